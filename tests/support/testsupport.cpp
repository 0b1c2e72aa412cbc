#include "testsupport.h"

#include "core/birthdays.h"

#include <QFile>

#include <algorithm>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#endif

namespace qctest {

void fixClock(const QDateTime &now)
{
    ScopedClock::set([now] { return now; });
}

void restoreClock()
{
    ScopedClock::set({});
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
    : m_temporary(std::in_place)
    , m_path(m_temporary->path())
    , m_seam(filePath(QStringLiteral("quorvelcal")))
{ }

ProgramDir::ProgramDir(const QString &directory)
    : m_path(directory)
    , m_seam(filePath(QStringLiteral("quorvelcal")))
{ }

QByteArray settingsRecord(int remindDays)
{
    QByteArray record(qc::BirthdayRecordSize, '\0');
    record[0] = char(remindDays);
    return record;
}

QByteArray birthdayRecord(int month, int day, const QByteArray &name, int length)
{
    QByteArray record(qc::BirthdayRecordSize, '\0');
    record[0] = char(month);
    record[1] = char(day);
    record[2] = char(length < 0 ? name.size() : length);
    std::copy(name.cbegin(), name.cbegin() + std::min<qsizetype>(name.size(), 50), record.begin() + 3);
    return record;
}

} // namespace qctest
