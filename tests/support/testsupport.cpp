#include "testsupport.h"

#include "core/clock.h"
#include "core/programdir.h"

namespace qctest {

void fixClock(const QDateTime &now)
{
    qc::setClockSource([now] { return now; });
}

ProgramDir::ProgramDir()
{
    qc::setProgramFilePathForTesting(m_dir.filePath(QStringLiteral("quorvelcal")));
}

ProgramDir::~ProgramDir()
{
    qc::setProgramFilePathForTesting(QString());
}

} // namespace qctest
