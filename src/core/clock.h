// The one source of today and now. Everything that needs the local date or time asks here,
// so tests can fix the clock.
#pragma once

#include <QDate>
#include <QDateTime>

#include <functional>

namespace qc {

QDateTime now();
QDate today();

// Replaces the system clock (for tests and benchmarks); an empty function restores it.
void setClockSourceForTesting(std::function<QDateTime()> source);

} // namespace qc
