// Cell-grid arithmetic, kept free of painting so it can be tested directly.
#include "gridlayout.h"

#include <algorithm>

namespace qc::grid {

namespace {

int cellSize(int clientExtent, int lineWidth, int count)
{
    if (count <= 0)
        return 0;
    const qint64 free = qint64(std::min(clientExtent, MaxExtent)) - qint64(count - 1) * lineWidth;
    return int(std::max<qint64>(0, free / count));
}

} // namespace

int clampedLineWidth(int lineWidth)
{
    return std::clamp(lineWidth, 0, MaxExtent);
}

CellMetrics cellMetrics(QSize clientSize, int lineWidth, Shape shape)
{
    CellMetrics m;
    m.lineWidth = clampedLineWidth(lineWidth);
    m.width = cellSize(clientSize.width(), m.lineWidth, shape.columns);
    m.height = cellSize(clientSize.height(), m.lineWidth, shape.rows);
    return m;
}

QRect cellRect(const CellMetrics &metrics, int column, int row)
{
    return QRect(column * (metrics.width + metrics.lineWidth), row * (metrics.height + metrics.lineWidth),
        metrics.width, metrics.height);
}

QSize gridExtent(const CellMetrics &metrics, Shape shape)
{
    return QSize(shape.columns * (metrics.width + metrics.lineWidth),
        shape.rows * (metrics.height + metrics.lineWidth));
}

std::optional<QPoint> cellAt(const CellMetrics &metrics, Shape shape, QPoint point)
{
    const int stepX = metrics.width + metrics.lineWidth;
    const int stepY = metrics.height + metrics.lineWidth;
    if (point.x() < 0 || point.y() < 0 || stepX <= 0 || stepY <= 0)
        return std::nullopt;
    const int column = point.x() / stepX;
    const int row = point.y() / stepY;
    if (column >= shape.columns || row >= shape.rows)
        return std::nullopt;
    return QPoint(column, row);
}

bool isNavigationKey(int key)
{
    switch (key) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        return true;
    default:
        return false;
    }
}

std::optional<QPoint> keyTarget(int key, Qt::KeyboardModifiers modifiers, QPoint current, Shape shape)
{
    const bool ctrl = modifiers.testFlag(Qt::ControlModifier);
    const int firstRow = shape.fixedRows;
    const int lastRow = shape.rows - 1;
    const int lastColumn = shape.columns - 1;
    // Every cell is always in view, so a page is the rows or columns in view less one.
    const int pageRows = std::max(1, lastRow - firstRow);
    const int pageColumns = std::max(1, lastColumn);
    int c = current.x();
    int r = current.y();
    switch (key) {
    case Qt::Key_Left:
        c -= ctrl ? pageColumns : 1;
        break;
    case Qt::Key_Right:
        c += ctrl ? pageColumns : 1;
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
            r = firstRow;
        break;
    case Qt::Key_End:
        c = lastColumn;
        if (ctrl)
            r = lastRow;
        break;
    case Qt::Key_PageUp:
        r = ctrl ? firstRow : r - pageRows;
        break;
    case Qt::Key_PageDown:
        r = ctrl ? lastRow : r + pageRows;
        break;
    default:
        return std::nullopt;
    }
    return QPoint(std::clamp(c, 0, lastColumn), std::clamp(r, firstRow, lastRow));
}

QPoint edgeStep(const CellMetrics &metrics, Shape shape, QPoint current, QPoint pointer)
{
    const QSize extent = gridExtent(metrics, shape);
    const int firstRowTop = shape.fixedRows * (metrics.height + metrics.lineWidth);
    int column = current.x();
    int row = current.y();
    if (pointer.x() < 0 && column > 0)
        --column;
    else if (pointer.x() >= extent.width() && column < shape.columns - 1)
        ++column;
    if (pointer.y() < firstRowTop && row > shape.fixedRows)
        --row;
    else if (pointer.y() >= extent.height() && row < shape.rows - 1)
        ++row;
    return QPoint(column, row);
}

GridLines gridLines(const CellMetrics &metrics, Shape shape)
{
    GridLines lines;
    const int lw = metrics.lineWidth;
    if (lw <= 0)
        return lines;
    const int w = metrics.width;
    const int h = metrics.height;
    const int stepX = w + lw;
    const int stepY = h + lw;
    const int fullWidth = shape.columns * stepX;
    const int fixedHeight = shape.fixedRows * stepY;

    for (int column = 0; column < shape.columns; ++column) {
        const int x = column * stepX + w;
        if (shape.fixedRows > 0)
            lines.fixed.append(QRect(x, 0, lw, fixedHeight - lw));
        lines.body.append(QRect(x, fixedHeight, lw, (shape.rows - shape.fixedRows) * stepY));
    }
    for (int row = 0; row < shape.rows; ++row)
        (row < shape.fixedRows ? lines.fixed : lines.body).append(QRect(0, row * stepY + h, fullWidth, lw));
    return lines;
}

int centredOffset(int cellExtent, int textExtent)
{
    return (cellExtent - textExtent) / 2;
}

} // namespace qc::grid
