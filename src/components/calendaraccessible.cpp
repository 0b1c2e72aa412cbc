// The month grid's accessible interface and its cells. The cells are no objects of their own, so
// the grid's interface creates one interface per cell position on demand and registers it with
// Qt's accessibility cache, which hands out the ids assistive technology refers to them by.
#include "calendaraccessible.h"

#include "calendar.h"
#include "core/dates.h"
#include "core/monthlayout.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QPointer>
#include <QWindow>

#include <algorithm>
#include <array>

namespace {

QString heldDateKey(const TCalendar &grid)
{
    return qc::dateKey(grid.Year(), grid.Month(), grid.Day());
}

constexpr int Columns = qc::layout::MonthGrid.columns;
constexpr int HeaderRows = qc::layout::MonthGrid.fixedRows;
constexpr int CellCount = Columns * qc::layout::MonthGrid.rows;

// A cell is a child of the grid's interface at index row × 7 + column of the grid: first the
// weekday headers, then the six weeks, as the grid draws them. As a table the grid has the six
// weeks for its rows, each cell of a week under the header of its column.
class CalendarCell : public QAccessibleInterface, public QAccessibleTableCellInterface
{
public:
    CalendarCell(TCalendar *grid, int column, int row)
        : m_grid(grid)
        , m_column(column)
        , m_row(row)
    { }

    bool isValid() const override { return !m_grid.isNull(); }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override { return m_grid->window()->windowHandle(); }
    QAccessibleInterface *parent() const override { return QAccessible::queryAccessibleInterface(m_grid); }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }

    QString text(QAccessible::Text t) const override
    {
        QString label = m_grid->CellLabel(m_column, m_row);
        switch (t) {
        case QAccessible::Name:
            return label;
        case QAccessible::Description:
            // A day cell tells its whole date; a reader moving through the cells hears where it is.
            if (isDay())
                return qc::dateKey(m_grid->Year(), m_grid->Month(), label.toInt());
            return {};
        default:
            return {};
        }
    }
    void setText(QAccessible::Text, const QString &) override { }

    QRect rect() const override
    {
        const QRect cell = m_grid->CellRect(m_column, m_row);
        return { m_grid->mapToGlobal(cell.topLeft()), cell.size() };
    }

    QAccessible::Role role() const override
    {
        return m_row < HeaderRows ? QAccessible::ColumnHeader : QAccessible::Cell;
    }

    QAccessible::State state() const override
    {
        QAccessible::State state;
        state.invisible = !m_grid->isVisible();
        if (!isDay())
            return state;
        state.selectable = true;
        state.focusable = true;
        state.selected = isSelected();
        state.focused = state.selected && m_grid->hasFocus();
        return state;
    }

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TableCellInterface && m_row >= HeaderRows)
            return static_cast<QAccessibleTableCellInterface *>(this);
        return nullptr;
    }

    // The table cell of a week: its place, one row and one column wide, under its weekday.
    bool isSelected() const override { return isDay() && m_grid->currentCell() == QPoint(m_column, m_row); }
    QList<QAccessibleInterface *> columnHeaderCells() const override
    {
        return { tableOf()->child(m_column) };
    }
    QList<QAccessibleInterface *> rowHeaderCells() const override { return {}; }
    int columnIndex() const override { return m_column; }
    int rowIndex() const override { return m_row - HeaderRows; }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface *table() const override { return tableOf(); }

private:
    QAccessibleInterface *tableOf() const { return QAccessible::queryAccessibleInterface(m_grid); }

    bool isDay() const { return m_row >= HeaderRows && !m_grid->CellLabel(m_column, m_row).isEmpty(); }

    QPointer<TCalendar> m_grid;
    int m_column;
    int m_row;
};

class CalendarAccessible : public QAccessibleWidget, public QAccessibleTableInterface
{
public:
    explicit CalendarAccessible(TCalendar *grid)
        : QAccessibleWidget(grid, QAccessible::Table)
    {
        m_cells.fill(0);
    }

    ~CalendarAccessible() override
    {
        for (const QAccessible::Id id : m_cells) {
            if (id)
                QAccessible::deleteAccessibleInterface(id);
        }
    }

    int childCount() const override { return CellCount; }

    QAccessibleInterface *child(int index) const override
    {
        if (index < 0 || index >= CellCount)
            return nullptr;
        QAccessible::Id &id = m_cells[size_t(index)];
        if (!id)
            id = QAccessible::registerAccessibleInterface(
                new CalendarCell(grid(), index % Columns, index / Columns));
        return QAccessible::accessibleInterface(id);
    }

    int indexOfChild(const QAccessibleInterface *child) const override
    {
        const QAccessible::Id id = QAccessible::uniqueId(const_cast<QAccessibleInterface *>(child));
        const auto found = std::find(m_cells.cbegin(), m_cells.cend(), id);
        return found == m_cells.cend() ? -1 : int(found - m_cells.cbegin());
    }

    QAccessibleInterface *childAt(int x, int y) const override
    {
        const QPoint local = grid()->mapFromGlobal(QPoint(x, y));
        for (int index = 0; index < CellCount; ++index) {
            if (grid()->CellRect(index % Columns, index / Columns).contains(local))
                return child(index);
        }
        return nullptr;
    }

    QAccessibleInterface *focusChild() const override
    {
        return grid()->hasFocus() ? child(heldCellIndex()) : nullptr;
    }

    QString text(QAccessible::Text t) const override
    {
        // The held date is the value; it is the description too, as the Linux bridge passes on
        // no text value: a reader there finds the date where it looks for the grid's hint.
        if (t == QAccessible::Value
            || (t == QAccessible::Description && widget()->accessibleDescription().isEmpty()))
            return heldDateKey(*grid());
        return QAccessibleWidget::text(t);
    }

    int heldCellIndex() const
    {
        const QPoint cell = grid()->currentCell();
        return cell.y() * Columns + cell.x();
    }

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TableInterface)
            return static_cast<QAccessibleTableInterface *>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    // The table: 6 weeks of 7 days under the weekday headers. Its one selected cell is the held day;
    // a whole row or column is never selected, and a reader's selection commands change nothing (the
    // held day moves by the grid's own keys, which announce it).
    QAccessibleInterface *caption() const override { return nullptr; }
    QAccessibleInterface *summary() const override { return nullptr; }
    QAccessibleInterface *cellAt(int row, int column) const override
    {
        if (row < 0 || row >= rowCount() || column < 0 || column >= Columns)
            return nullptr;
        return child((row + HeaderRows) * Columns + column);
    }
    int selectedCellCount() const override { return int(selectedCells().size()); }
    QList<QAccessibleInterface *> selectedCells() const override
    {
        QAccessibleInterface *held = child(heldCellIndex());
        if (held && held->tableCellInterface() && held->tableCellInterface()->isSelected())
            return { held };
        return {};
    }
    QString columnDescription(int column) const override
    {
        QAccessibleInterface *header = column >= 0 && column < Columns ? child(column) : nullptr;
        return header ? header->text(QAccessible::Name) : QString();
    }
    QString rowDescription(int) const override { return {}; }
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override { return 0; }
    int columnCount() const override { return Columns; }
    int rowCount() const override { return qc::layout::MonthGrid.rows - HeaderRows; }
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override { return {}; }
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int) const override { return false; }
    bool selectRow(int) override { return false; }
    bool selectColumn(int) override { return false; }
    bool unselectRow(int) override { return false; }
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent *) override { }

private:
    TCalendar *grid() const { return static_cast<TCalendar *>(widget()); }

    mutable std::array<QAccessible::Id, CellCount> m_cells {};
};

QAccessibleInterface *calendarFactory(const QString &className, QObject *object)
{
    if (className == QLatin1String(TCalendar::staticMetaObject.className()) && object->isWidgetType())
        return new CalendarAccessible(static_cast<TCalendar *>(object));
    return nullptr;
}

} // namespace

namespace qc {

void installCalendarAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(calendarFactory);
        return true;
    }();
    Q_UNUSED(installed);
}

void announceCalendarDate(TCalendar *grid)
{
    if (!QAccessible::isActive())
        return;
#ifndef Q_OS_LINUX
    // Bridges that take a text value (UI Automation, macOS) announce the new date; the Linux one
    // takes numbers only and would just log the event as invalid.
    QAccessibleValueChangeEvent changed(grid, heldDateKey(*grid));
    QAccessible::updateAccessibility(&changed);
#endif
    QAccessibleEvent described(grid, QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&described);
    auto *accessible = dynamic_cast<CalendarAccessible *>(QAccessible::queryAccessibleInterface(grid));
    if (accessible && grid->hasFocus()) {
        QAccessibleEvent focus(accessible->child(accessible->heldCellIndex()), QAccessible::Focus);
        QAccessible::updateAccessibility(&focus);
    }
}

} // namespace qc
