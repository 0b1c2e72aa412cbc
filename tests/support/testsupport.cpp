#include "testsupport.h"

#include "core/clock.h"
#include "core/programdir.h"

#include <QFile>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#endif

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

bool underWine()
{
#ifdef Q_OS_WIN
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
#else
    return false;
#endif
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
