// The birthday list without windows: the birthday file beside the program (53-byte records),
// the "MM-DD  name" entry text the list shows, the checks on a new entry, and the reminder check.
// Everything here works on code-page-936 bytes so that names survive a load and a save unchanged,
// even where a damaged file holds bytes that are no valid character.
#pragma once

#include "errors.h"

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>

namespace qc {

inline constexpr qsizetype BirthdayRecordSize = 53;
inline constexpr qsizetype BirthdayNameBytes = 50;
inline constexpr qsizetype BirthdayEntryBytes = 100;
inline constexpr int DefaultRemindDays = 3;
inline constexpr int MaxRemindDays = 255;
// Far above any real list (over a million entries): a larger file is something else and is never read.
inline constexpr qint64 MaxBirthdayFileBytes = qint64(64) * 1024 * 1024;

// The program's path with its extension replaced by ".CFG", or ".CFG" appended when the file
// name has none (a dot in a folder name is no extension).
QString birthdayFilePathFor(const QString &programFilePath);
QString birthdayFilePath();

struct BirthdayRecord
{
    int month = 0;
    int day = 0;
    QByteArray name; // code page 936
    friend bool operator==(const BirthdayRecord &, const BirthdayRecord &) = default;
};

// "MM-DD" + "  " + name, cut to 100 bytes without splitting a character.
QByteArray birthdayEntry(int month, int day, const QByteArray &name);

// Month, day and name (at most 50 bytes) of an entry. Throws EConvertError when the month
// or the day part is no number.
BirthdayRecord parseBirthdayEntry(const QByteArray &entry);

struct BirthdayFileContents
{
    bool found = false; // false: nothing at the path
    std::optional<int> remindDays; // set when the settings record was read whole
    QList<QByteArray> entries; // entry texts in file order
    bool truncated = false; // the file ended inside a record ("Read beyond end of file")
};

// The records of a birthday file; the entries read before a short record are kept.
BirthdayFileContents parseBirthdayFile(const QByteArray &data);

// Only a missing file counts as missing. Throws EInOutError for a file that exists but can't be
// read whole: "File access denied" (no read permission, a folder, a pipe, a device or a socket in
// its place), "I/O error N" for a failed read, and a plain explanation for a file over 64 MiB.
BirthdayFileContents loadBirthdayFile(const QString &path);

// The whole new file. Throws EConvertError for an entry whose month or day does not convert
// or does not fit a byte, so nothing is written when anything is wrong.
QByteArray serializeBirthdayFile(int remindDays, const QList<QByteArray> &entries);

// Replaces the file only by a complete new one. Throws EInOutError: "File access denied" for a
// read-only file or one that cannot be created or replaced, "Disk full" for a short write, and a
// plain explanation naming the folder when the folder takes no new file.
void saveBirthdayFile(const QString &path, const QByteArray &contents);

// The error for saving over a birthday file whose last load failed: its birthdays were never
// read, so replacing it would lose them.
EInOutError unreadBirthdayFileError(const QString &path);

// What the user typed for a new entry, checked. On failure `entry` is empty, `badField` names
// the field to correct and `error` says why.
struct NewBirthdayEntry
{
    enum class Field { None, Month, Day, Name };
    QByteArray entry;
    Field badField = Field::None;
    QString error;
};
NewBirthdayEntry checkNewBirthdayEntry(const QString &month, const QString &day, const QString &name);

// The remind-days text as a number 0..255. Throws EConvertError "'%s' is not a valid integer
// value" for text that is no number, and a plain explanation for a number out of range.
int remindDaysFromText(const QString &text);
// The same without the error: nothing where remindDaysFromText throws.
std::optional<int> tryRemindDaysFromText(const QString &text);

// Day of the year, 1 for 1 January; a day past the month's end simply counts on.
int dayOfYear(int year, int month, int day);

// "生日提醒：3月7日是张三的生日", for the information window: an "&" in the name is doubled so the
// window shows it as it stands.
QString reminderText(int month, int day, const QByteArray &name);

// The reminder texts for every entry whose next birthday (this year or, near the year end, next
// year) is 0 to remindDays - 1 days from today: nearest first, and in list order within one day. Entries with
// a month outside 1..12, day 0 or parts that are no number are skipped.
QStringList dueBirthdayReminders(QDate today, const QList<QByteArray> &entries, int remindDays);

// The days the reminder check has run on while the program runs. It runs at start-up, and then
// once for every other day the program's clock comes to: after midnight, after the machine slept
// through it, after the clock was set forward or back. No day gets a second check.
class ReminderDays
{
public:
    void add(QDate day) { m_days.insert(day); }
    // True when today, by the program's clock, has yet to get its check; never before a first check.
    bool todayDue() const;

private:
    QSet<QDate> m_days;
};

} // namespace qc
