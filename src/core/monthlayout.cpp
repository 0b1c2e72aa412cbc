// Month placement and header labels, kept free of painting and locale so they can be tested directly.
#include "monthlayout.h"

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

} // namespace qc::layout
