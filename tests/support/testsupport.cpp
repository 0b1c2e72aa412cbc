#include "testsupport.h"

#include "core/clock.h"
#include "core/programdir.h"

#include <QFile>

namespace qctest {

void fixClock(const QDateTime &now)
{
    qc::setClockSource([now] { return now; });
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
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
