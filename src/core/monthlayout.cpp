// Month grid arithmetic, kept free of painting and locale so it can be tested directly.
#include "monthlayout.h"

#include <algorithm>

namespace qc::layout {

int monthOffset(int weekdayOfFirst, int startOfWeek)
{
    // Day 1 goes to column k - 1; a month whose first falls on the last column (k == 0) would
    // otherwise get offset 2 and lose its first day off the grid.
    const int k = ((weekdayOfFirst - startOfWeek) % 7 + 7) % 7;
    return k == 0 ? -5 : 2 - k;
}

int dayNumber(int monthOffset, int column, int row)
{
    return monthOffset + column + 7 * (row - 1);
}

QPoint cellOfDay(int monthOffset, int day)
{
    const int index = day - monthOffset;
    return QPoint(index % 7, index / 7 + 1);
}

QStringList fallbackDayNames()
{
    return { QStringLiteral("Sun"), QStringLiteral("Mon"), QStringLiteral("Tue"), QStringLiteral("Wed"),
        QStringLiteral("Thu"), QStringLiteral("Fri"), QStringLiteral("Sat") };
}

QString headerLabel(const QStringList &abbreviatedNames, int startOfWeek, int column)
{
    const int weekday = ((startOfWeek + column) % 7 + 7) % 7;
    const QString name = abbreviatedNames.value(weekday);
    return name.isEmpty() ? fallbackDayNames().at(weekday) : name;
}

CellMetrics cellMetrics(QSize clientSize, int lineWidth)
{
    CellMetrics m;
    m.lineWidth = lineWidth;
    m.width = std::max(0, (clientSize.width() - 6 * lineWidth) / Columns);
    m.height = std::max(0, (clientSize.height() - 6 * lineWidth) / Rows);
    return m;
}

QRect cellRect(const CellMetrics &metrics, int column, int row)
{
    return QRect(column * (metrics.width + metrics.lineWidth), row * (metrics.height + metrics.lineWidth),
        metrics.width, metrics.height);
}

std::optional<QPoint> cellAt(const CellMetrics &metrics, QPoint point)
{
    const int stepX = metrics.width + metrics.lineWidth;
    const int stepY = metrics.height + metrics.lineWidth;
    if (point.x() < 0 || point.y() < 0 || stepX <= 0 || stepY <= 0)
        return std::nullopt;
    const int column = point.x() / stepX;
    const int row = point.y() / stepY;
    if (column >= Columns || row >= Rows)
        return std::nullopt;
    return QPoint(column, row);
}

std::optional<QPoint> keyTarget(int key, Qt::KeyboardModifiers modifiers, QPoint current)
{
    const bool ctrl = modifiers.testFlag(Qt::ControlModifier);
    int c = current.x();
    int r = current.y();
    switch (key) {
    case Qt::Key_Left:
        c -= ctrl ? 6 : 1;
        break;
    case Qt::Key_Right:
        c += ctrl ? 6 : 1;
        break;
    case Qt::Key_Up:
        if (ctrl)
            return std::nullopt;
        r -= 1;
        break;
    case Qt::Key_Down:
        if (ctrl)
            return std::nullopt;
        r += 1;
        break;
    case Qt::Key_Home:
        c = 0;
        if (ctrl)
            r = 1;
        break;
    case Qt::Key_End:
        c = 6;
        if (ctrl)
            r = 6;
        break;
    case Qt::Key_PageUp:
        r = ctrl ? 1 : r - 5;
        break;
    case Qt::Key_PageDown:
        r = ctrl ? 6 : r + 5;
        break;
    default:
        return std::nullopt;
    }
    return QPoint(std::clamp(c, 0, Columns - 1), std::clamp(r, 1, Rows - 1));
}

int centredOffset(int cellExtent, int textExtent)
{
    return (cellExtent - textExtent) / 2;
}

} // namespace qc::layout
