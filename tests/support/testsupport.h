// Helpers the tests share: the program's process-wide test seams behind scoped guards, a program
// directory of the test's own, whole files, and the records of the birthday file.
#pragma once

#include "components/trayicon.h"
#include "core/clock.h"
#include "core/daynotes.h"
#include "core/programdir.h"
#include "forms/messages.h"

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTemporaryDir>

#include <functional>
#include <optional>
#include <utility>

namespace qctest {

// One of the program's process-wide seams (set…ForTesting), set for as long as the guard lives.
// What was set before comes back when it goes, also when a failed check leaves the test function
// early, so nothing a test set reaches the next one. Tests set the seams only through these.
template<typename Value, auto Set> class ScopedSeam
{
public:
    explicit ScopedSeam(Value value)
        : m_previous(std::exchange(current(), std::move(value)))
    {
        Set(current());
    }
    ~ScopedSeam()
    {
        current() = m_previous;
        Set(m_previous);
    }
    ScopedSeam(const ScopedSeam &) = delete;
    ScopedSeam &operator=(const ScopedSeam &) = delete;

    // Sets the seam until the next guard or call changes it (for a whole test run).
    static void set(Value value)
    {
        current() = std::move(value);
        Set(current());
    }

private:
    static Value &current()
    {
        static Value value {};
        return value;
    }
    Value m_previous;
};

using ScopedClock = ScopedSeam<std::function<QDateTime()>, &qc::setClockSourceForTesting>;
using ScopedMessageHook = ScopedSeam<qc::MessageHook, &qc::setMessageHookForTesting>;
using ScopedNoteLauncher = ScopedSeam<qc::NoteLauncher, &qc::setNoteLauncherForTesting>;
using ScopedTrayShellFactory = ScopedSeam<qc::TrayShellFactory, &qc::setTrayShellFactoryForTesting>;
using ScopedProgramFilePath = ScopedSeam<QString, &qc::setProgramFilePathForTesting>;
// The save's seams have their guard beside them: qc::ScopedSaveHooks (core/savefile.h).

// Fixes today and now until the next fix (time of day 12:00:00 unless given); restoreClock() goes
// back to the system's clock.
void fixClock(const QDateTime &now);
inline void fixToday(QDate date)
{
    fixClock(QDateTime(date, QTime(12, 0)));
}
void restoreClock();

// The whole contents of a file (empty when it can't be read), and a file written whole.
QByteArray readFile(const QString &path);
[[nodiscard]] bool writeFile(const QString &path, const QByteArray &bytes);

// Whether the test runs on Wine rather than on Windows itself (for what Wine can't do, said where
// a test leaves something out because of it).
bool underWine();

// The program takes a directory for its own while the object lives: a temporary one of its own,
// or one the test made (which stays). Another ProgramDir inside it takes over until it goes.
class ProgramDir
{
public:
    ProgramDir();
    explicit ProgramDir(const QString &directory);
    ProgramDir(const ProgramDir &) = delete;
    ProgramDir &operator=(const ProgramDir &) = delete;
    QString path() const { return m_path; }
    QString filePath(const QString &name) const { return m_path + u'/' + name; }

private:
    std::optional<QTemporaryDir> m_temporary;
    QString m_path;
    ScopedProgramFilePath m_seam;
};

// The records of the birthday file (each qc::BirthdayRecordSize bytes): the first holds the remind
// days, each other a birthday, its name (at most 50 bytes, code page 936) after its length byte,
// which is the name's unless given.
QByteArray settingsRecord(int remindDays);
QByteArray birthdayRecord(int month, int day, const QByteArray &name = {}, int length = -1);
inline const QByteArray ZhangSan("\xD5\xC5\xC8\xFD"); // 张三 in code page 936

} // namespace qctest
