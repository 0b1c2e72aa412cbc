// The replaceable clock: the system clock unless a test or benchmark put its own in place.
#include "clock.h"

#include <QMutex>
#include <QMutexLocker>

#include <utility>

namespace qc {

namespace {

QMutex clockMutex;
std::function<QDateTime()> clockSource;

} // namespace

QDateTime now()
{
    std::function<QDateTime()> source;
    {
        QMutexLocker lock(&clockMutex);
        source = clockSource;
    }
    return source ? source() : QDateTime::currentDateTime();
}

QDate today()
{
    return now().date();
}

void setClockSourceForTesting(std::function<QDateTime()> source)
{
    QMutexLocker lock(&clockMutex);
    clockSource = std::move(source);
}

} // namespace qc
