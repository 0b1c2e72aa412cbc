// What is month-specific about the month grid: its shape, where each day of a month stands and what
// the header cells say. The grid arithmetic itself is in gridlayout.h, month lengths in dates.h.
#pragma once

#include "gridlayout.h"

#include <QPoint>
#include <QString>
#include <QStringList>

namespace qc::layout {

// Seven weekday columns; a header row of weekday names above six rows of days.
constexpr grid::Shape MonthGrid { 7, 7, 1 };

// -5..1: cell (c, r) for r >= 1 stands for day monthOffset + c + 7 * (r - 1).
// weekdayOfFirst is 1 = Sunday ... 7 = Saturday; startOfWeek 0 = Sunday ... 6 = Saturday.
int monthOffset(int weekdayOfFirst, int startOfWeek);
int dayNumber(int monthOffset, int column, int row);
QPoint cellOfDay(int monthOffset, int day); // (column, row)

// Weekday name of header column c, or the English fallback when the locale gives none.
QString headerLabel(const QStringList &abbreviatedNames, int startOfWeek, int column);
QStringList fallbackDayNames(); // "Sun" ... "Sat"

} // namespace qc::layout
