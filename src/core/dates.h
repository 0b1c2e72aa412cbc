// The date value: a count of days with day 0 on 30 December 1899, the fraction the time of day;
// proleptic Gregorian calendar, years 1 to 9999. Also the DateKey text (the grid's hint, the status
// bar, a note's header line) and the one leap-year rule and month-length table of the program.
#pragma once

#include <QDate>
#include <QString>

namespace qc {

using TDateTime = double;

struct DateParts
{
    int year = 0;
    int month = 0;
    int day = 0;
    friend bool operator==(const DateParts &, const DateParts &) = default;
};

bool isLeapYear(int year); // divisible by 4 and not by 100, or by 400
// Days in month 1..12, February with its leap day when leapYear; 0 for any other month.
int monthLength(int month, bool leapYear);
int daysInMonth(int year, int month); // 28..31; month must be 1..12

// Throws EConvertError "Invalid argument to date encode" for a year outside 1..9999,
// a month outside 1..12 or a day outside the month.
TDateTime encodeDate(int year, int month, int day);
bool tryEncodeDate(int year, int month, int day, TDateTime &result);
DateParts decodeDate(TDateTime date);
int dayOfWeek(TDateTime date); // 1 = Sunday ... 7 = Saturday

// An invalid QDate gives NaN; NaN and values far outside the calendar give an invalid QDate,
// which decodes to all-zero parts and weekday 0.
TDateTime fromQDate(QDate date);
QDate toQDate(TDateTime date);

// "1999-3-7": year, month and day in decimal without leading zeros.
QString dateKey(int year, int month, int day);

} // namespace qc
