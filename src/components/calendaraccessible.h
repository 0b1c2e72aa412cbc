// What assistive technology (a screen reader, over AT-SPI on Linux) learns about the month grid:
// a table whose value and description are the held date as a DateKey, whose children are its 49
// cells (the weekday headers, then the days, each with its date), the held day's cell selected
// and, while the grid has the focus, focused. The grid paints itself, so without this a reader
// would find nothing in it.
#pragma once

class TCalendar;

namespace qc {

// Installs the interface factory for TCalendar; later calls do nothing.
void installCalendarAccessibility();

// Announces a new held date: the grid's value and description changed and, while the grid has
// the focus, the focus moved to the new day's cell.
void announceCalendarDate(TCalendar *grid);

} // namespace qc
