// Helpers the tests share: a fixed clock and a program directory of the test's own.
#pragma once

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTemporaryDir>

namespace qctest {

// Fixes today and now for the whole test run (time of day 12:00:00 unless given).
void fixClock(const QDateTime &now);
inline void fixToday(QDate date)
{
    fixClock(QDateTime(date, QTime(12, 0)));
}

// The whole contents of a file (empty when it can't be read), and a file written whole.
QByteArray readFile(const QString &path);
[[nodiscard]] bool writeFile(const QString &path, const QByteArray &bytes);

// Whether the test runs on Wine rather than on Windows itself (for what Wine can't do, said where
// a test leaves something out because of it).
bool underWine();

// A temporary directory that the program takes for its own directory while the object lives.
class ProgramDir
{
public:
    ProgramDir();
    ~ProgramDir();
    QString path() const { return m_dir.path(); }
    QString filePath(const QString &name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
};

} // namespace qctest
