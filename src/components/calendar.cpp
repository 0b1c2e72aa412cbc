// TCalendar: the held date, its month's layout on the grid, and the date-element setter that
// every change of the date goes through.
#include "calendar.h"

#include "calendaraccessible.h"
#include "core/clock.h"
#include "core/monthlayout.h"

#include <QFontMetrics>
#include <QLocale>
#include <QPainter>
#include <QScopeGuard>

TCalendar::TCalendar(QWidget *parent)
    : TCellGrid(qc::layout::MonthGrid, parent)
{
    m_heldDate = qc::fromQDate(qc::today());
    // No override applies before the derived control exists: the month has its own length.
    const qc::DateParts parts = qc::decodeDate(m_heldDate);
    layOutMonth(qc::daysInMonth(parts.year, parts.month));
    qc::installCalendarAccessibility();
}

int TCalendar::Year() const
{
    return qc::decodeDate(m_heldDate).year;
}

int TCalendar::Month() const
{
    return qc::decodeDate(m_heldDate).month;
}

int TCalendar::Day() const
{
    return qc::decodeDate(m_heldDate).day;
}

void TCalendar::setYear(int value)
{
    changeDate(Element::Year, value);
}

void TCalendar::setMonth(int value)
{
    changeDate(Element::Month, value);
}

void TCalendar::setDay(int value)
{
    changeDate(Element::Day, value);
}

void TCalendar::changeDate(Element element, int value)
{
    if (value < 1)
        return;
    qc::DateParts parts = qc::decodeDate(m_heldDate);
    switch (element) {
    case Element::Year:
        if (value == parts.year)
            return;
        parts.year = value;
        break;
    case Element::Month:
        if (value > 12 || value == parts.month)
            return;
        parts.month = value;
        break;
    case Element::Day:
        if (value > CurrentMonthLength() || value == parts.day)
            return;
        parts.day = value;
        break;
    }
    // Throws before anything is touched when the combination is no date; a day that does not
    // fit the new month is refused, never clamped.
    const qc::TDateTime date = qc::encodeDate(parts.year, parts.month, parts.day);
    m_heldDate = date;
    m_useCurrentDate = false;
    RefreshMonth();
    NotifyChange();
    // Announced here rather than in the overridable change hook, so a derived control keeps it.
    qc::announceCalendarDate(this);
}

void TCalendar::setStartOfWeek(int value)
{
    // Only Sunday (0) to Saturday (6) name a weekday; anything else would garble the header.
    if (value < 0 || value > 6 || value == m_startOfWeek)
        return;
    m_startOfWeek = value;
    RefreshMonth();
}

void TCalendar::setUseCurrentDate(bool value)
{
    if (value == m_useCurrentDate)
        return;
    m_useCurrentDate = value;
    if (value) {
        m_heldDate = qc::fromQDate(qc::today());
        RefreshMonth();
    }
}

QString TCalendar::CellLabel(int column, int row) const
{
    if (column < 0 || column >= shape().columns || row < 0 || row >= shape().rows)
        return {};
    if (row < shape().fixedRows)
        return qc::layout::headerLabel(dayNames(), m_startOfWeek, column);
    const int day = qc::layout::dayNumber(m_monthOffset, column, row);
    if (day < 1 || day > CurrentMonthLength())
        return {};
    return QString::number(day);
}

int TCalendar::MonthLength(int year, int month) const
{
    return qc::monthLength(month, LeapYear(year));
}

int TCalendar::CurrentMonthLength() const
{
    const qc::DateParts parts = qc::decodeDate(m_heldDate);
    return MonthLength(parts.year, parts.month);
}

bool TCalendar::LeapYear(int year) const
{
    return qc::isLeapYear(year);
}

void TCalendar::RefreshMonth()
{
    // Through the overridable length, so a derived control's idea of the month decides the labels
    // and with them whether the whole grid needs repainting.
    layOutMonth(CurrentMonthLength());
}

void TCalendar::layOutMonth(int length)
{
    m_refreshing = true;
    const auto done = qScopeGuard([this] { m_refreshing = false; });
    const qc::DateParts parts = qc::decodeDate(m_heldDate);
    const int firstWeekday = qc::dayOfWeek(qc::encodeDate(parts.year, parts.month, 1));
    const int offset = qc::layout::monthOffset(firstWeekday, m_startOfWeek);
    // A new day in a month laid out the same way changes no label: SetCurrentCell repaints the
    // old and the new cell, and that is all that changes on the screen.
    const bool sameLayout = m_laidOut && offset == m_monthOffset && length == m_laidOutLength
        && m_startOfWeek == m_laidOutStartOfWeek;
    m_monthOffset = offset;
    m_laidOutLength = length;
    m_laidOutStartOfWeek = m_startOfWeek;
    m_laidOut = true;
    const QPoint cell = qc::layout::cellOfDay(m_monthOffset, parts.day);
    SetCurrentCell(cell.x(), cell.y());
    if (!sameLayout)
        update();
}

const QStringList &TCalendar::dayNames()
{
    static const QStringList names = [] {
        const QLocale locale = QLocale::system();
        const QStringList fallback = qc::layout::fallbackDayNames();
        QStringList result;
        for (int weekday = 0; weekday < 7; ++weekday) {
            // QLocale counts Monday 1 ... Sunday 7; the grid counts Sunday 0 ... Saturday 6.
            const QString name = locale.dayName(weekday == 0 ? 7 : weekday, QLocale::ShortFormat);
            result.append(name.isEmpty() ? fallback.at(weekday) : name);
        }
        return result;
    }();
    return names;
}

void TCalendar::NotifyChange()
{
    Q_EMIT OnChange(this);
}

QPoint TCalendar::labelOrigin(const QRect &cell, QSize textSize)
{
    return { cell.left() + qc::grid::centredOffset(cell.width(), textSize.width()),
        cell.top() + qc::grid::centredOffset(cell.height(), textSize.height()) };
}

void TCalendar::PaintCell(int column, int row, const QRect &rect, QPainter &painter)
{
    const QString text = CellLabel(column, row);
    if (text.isEmpty())
        return;
    const QFontMetrics metrics = painter.fontMetrics();
    const QPoint origin = labelOrigin(rect, QSize(metrics.horizontalAdvance(text), metrics.height()));
    painter.drawText(origin.x(), origin.y() + metrics.ascent(), text);
}

bool TCalendar::CanSelectCell(int column, int row) const
{
    if (m_readOnly && !m_refreshing)
        return false;
    return !CellLabel(column, row).isEmpty();
}

void TCalendar::CellClicked()
{
    Q_EMIT OnClick(this);
    const QString label = CellLabel(Col(), Row());
    if (!label.isEmpty())
        setDay(label.toInt());
}

void TCalendar::DoubleClicked()
{
    Q_EMIT OnDblClick(this);
}
