// Layout arithmetic of a grid of equal cells with fixed (header) rows on top: cell sizes from the
// client size, where a cell and the grid lines lie, which cell a point or a navigation key leads
// to, and which way the selection steps while the pointer is held beyond an edge. Plain functions
// of the grid's shape, so they can be tested without painting, timers or a widget.
#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>

#include <Qt>

#include <optional>

namespace qc::grid {

struct Shape
{
    int columns = 1;
    int rows = 1;
    int fixedRows = 0; // rows 0 .. fixedRows - 1 are headers that user input never targets
};

// No window can be larger than this; wider lines and larger areas paint the same as this wide, and
// capping them keeps every position of a small grid's cells and lines inside int.
constexpr int MaxExtent = (1 << 24) - 1;

struct CellMetrics
{
    int width = 0;
    int height = 0;
    int lineWidth = 1; // 0 .. MaxExtent
};

// One width for all columns and one height for all rows:
// (extent - (count - 1) * line) / count, truncated, never below 0.
CellMetrics cellMetrics(QSize clientSize, int lineWidth, Shape shape);
int clampedLineWidth(int lineWidth);
QRect cellRect(const CellMetrics &metrics, int column, int row);
// Where the last column's and the last row's grid lines end.
QSize gridExtent(const CellMetrics &metrics, Shape shape);

// The cell under a point; a point on a grid line belongs to the cell left of or above it.
// Nothing for points right of the last column's grid line or below the last row's.
std::optional<QPoint> cellAt(const CellMetrics &metrics, Shape shape, QPoint point);

// The keys the grid navigates with (arrows, Home, End, Page Up, Page Down), with or without
// modifiers: the grid consumes them even when they move nothing.
bool isNavigationKey(int key);
// Target cell of a navigation key from (column, row), clamped to the non-fixed rows; nothing for
// keys that do not navigate, or Ctrl+Up/Down, which move no cell.
std::optional<QPoint> keyTarget(int key, Qt::KeyboardModifiers modifiers, QPoint current, Shape shape);

// Where the selection goes on one timer tick while the button is held with the pointer at
// `pointer` (client coordinates): one column towards a pointer left or right of the grid, one row
// towards a pointer above the first non-fixed row or below the grid, both at once diagonally;
// the current cell when there is no step left in that direction.
QPoint edgeStep(const CellMetrics &metrics, Shape shape, QPoint current, QPoint pointer);

// Each cell is followed by a line on its right and below it; the lines of the fixed rows (to the
// line under the last of them) and those of the other rows are drawn in different colours.
struct GridLines
{
    QList<QRect> fixed;
    QList<QRect> body;
};
GridLines gridLines(const CellMetrics &metrics, Shape shape);

// Left edge of a text of the given width centred in a cell (truncating division).
int centredOffset(int cellExtent, int textExtent);

} // namespace qc::grid
