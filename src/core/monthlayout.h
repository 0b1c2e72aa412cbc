// Layout arithmetic of the month grid: where each day of a month stands, what a cell shows,
// where a cell lies in pixels, which cell a point or a key leads to. Plain functions, no painting.
#pragma once

#include <QPoint>
#include <QRect>
#include <QString>
#include <QStringList>

#include <Qt>

#include <optional>

namespace qc::layout {

constexpr int Columns = 7;
constexpr int Rows = 7; // row 0 is the header

// -5..1: cell (c, r) for r >= 1 stands for day monthOffset + c + 7 * (r - 1).
// weekdayOfFirst is 1 = Sunday ... 7 = Saturday; startOfWeek 0 = Sunday ... 6 = Saturday.
int monthOffset(int weekdayOfFirst, int startOfWeek);
int dayNumber(int monthOffset, int column, int row);
QPoint cellOfDay(int monthOffset, int day); // (column, row)

// Weekday name of header column c, or the English fallback when the locale gives none.
QString headerLabel(const QStringList &abbreviatedNames, int startOfWeek, int column);
QStringList fallbackDayNames(); // "Sun" ... "Sat"

struct CellMetrics
{
    int width = 0;
    int height = 0;
    int lineWidth = 1;
};

CellMetrics cellMetrics(QSize clientSize, int lineWidth);
QRect cellRect(const CellMetrics &metrics, int column, int row);
// The cell under a point; a point on a grid line belongs to the cell left of or above it.
// Nothing for points right of the last column's grid line or below the last row's.
std::optional<QPoint> cellAt(const CellMetrics &metrics, QPoint point);

// Target cell of a navigation key from (column, row), clamped to the day rows; nothing for keys
// that do not navigate (or Ctrl+Up/Down).
std::optional<QPoint> keyTarget(int key, Qt::KeyboardModifiers modifiers, QPoint current);

// Left edge of a text of the given width centred in a cell (truncating division).
int centredOffset(int cellExtent, int textExtent);

} // namespace qc::layout
