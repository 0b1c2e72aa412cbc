// The date value (days since 30 December 1899) and the calendar helpers built on it.
#include "dates.h"

#include "errors.h"

#include <cmath>
#include <limits>

namespace qc {

namespace {

// Julian day of 30 December 1899, day 0 of the date value.
constexpr qint64 EpochJulianDay = 2415019;

} // namespace

bool isLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int monthLength(int month, bool leapYear)
{
    static constexpr int CommonYear[12] = { 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31 };
    if (month < 1 || month > 12)
        return 0;
    return CommonYear[month - 1] + (month == 2 && leapYear ? 1 : 0);
}

int daysInMonth(int year, int month)
{
    return monthLength(month, isLeapYear(year));
}

bool tryEncodeDate(int year, int month, int day, TDateTime &result)
{
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > daysInMonth(year, month))
        return false;
    result = fromQDate(QDate(year, month, day));
    return true;
}

TDateTime encodeDate(int year, int month, int day)
{
    TDateTime result = 0;
    if (!tryEncodeDate(year, month, day, result))
        throw EConvertError(QStringLiteral("Invalid argument to date encode"));
    return result;
}

DateParts decodeDate(TDateTime date)
{
    const QDate d = toQDate(date);
    return { d.year(), d.month(), d.day() };
}

int dayOfWeek(TDateTime date)
{
    // QDate counts Monday = 1 ... Sunday = 7; the program counts Sunday = 1 ... Saturday = 7.
    const QDate d = toQDate(date);
    return d.isValid() ? d.dayOfWeek() % 7 + 1 : 0;
}

TDateTime fromQDate(QDate date)
{
    if (!date.isValid())
        return std::numeric_limits<TDateTime>::quiet_NaN();
    return static_cast<TDateTime>(date.toJulianDay() - EpochJulianDay);
}

QDate toQDate(TDateTime date)
{
    // Far beyond any representable year; also keeps NaN and infinities out of the integer cast.
    if (!(std::abs(date) < 1e9))
        return QDate();
    return QDate::fromJulianDay(static_cast<qint64>(std::floor(date)) + EpochJulianDay);
}

QString dateKey(int year, int month, int day)
{
    return QStringLiteral("%1-%2-%3").arg(year).arg(month).arg(day);
}

} // namespace qc
