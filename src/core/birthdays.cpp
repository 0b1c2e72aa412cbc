// The birthday file, the entry text and the reminder check (see birthdays.h).
#include "birthdays.h"

#include "clock.h"
#include "convert.h"
#include "cp936.h"
#include "dates.h"
#include "errors.h"
#include "programdir.h"
#include "regularfile.h"
#include "savefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

namespace qc {

namespace {

QByteArray cutBytes(const QByteArray &bytes, qsizetype maxBytes)
{
    // Only a text over the limit is touched: a name read from a file keeps its exact bytes,
    // even a dangling lead byte that a cut would drop.
    return bytes.size() <= maxBytes ? bytes : cp936::cut(bytes, maxBytes);
}

QByteArray twoDigits(int value)
{
    return QByteArray::number(value).rightJustified(2, '0');
}

struct EntryParts
{
    QByteArray month;
    QByteArray day;
    QByteArray name;
};

// The entry is "MM-DD  name". Splitting at the separators rather than at fixed columns keeps
// a damaged month or day of three digits (a byte above 99) readable.
EntryParts splitEntry(const QByteArray &entry)
{
    EntryParts parts;
    const qsizetype dash = entry.indexOf('-');
    if (dash < 0) {
        parts.month = entry;
        return parts;
    }
    parts.month = entry.left(dash);
    const qsizetype gap = entry.indexOf("  ", dash + 1);
    if (gap < 0) {
        parts.day = entry.mid(dash + 1);
        return parts;
    }
    parts.day = entry.mid(dash + 1, gap - dash - 1);
    parts.name = cutBytes(entry.mid(gap + 2), BirthdayNameBytes);
    return parts;
}

std::optional<int> tryNumber(const QByteArray &text)
{
    // Entries hold plain digits almost always; the general conversion is only for the rest.
    if (!text.isEmpty() && text.size() <= 3) {
        int value = 0;
        bool digits = true;
        for (const char c : text) {
            if (c < '0' || c > '9') {
                digits = false;
                break;
            }
            value = value * 10 + (c - '0');
        }
        if (digits)
            return value;
    }
    return tryStrToInt(cp936::decode(text));
}

int number(const QByteArray &text)
{
    if (const auto value = tryNumber(text))
        return *value;
    return strToInt(cp936::decode(text)); // throws with the exact message
}

int daysInYear(int year)
{
    return isLeapYear(year) ? 366 : 365;
}

bool isRemindDays(int value)
{
    return value >= 0 && value <= MaxRemindDays;
}

EConvertError remindDaysOutOfRange()
{
    return EConvertError(QStringLiteral("提醒天数应为 0 到 255 之间的整数"));
}

} // namespace

QString birthdayFilePathFor(const QString &programFilePath)
{
    const qsizetype slash = programFilePath.lastIndexOf(u'/');
    const qsizetype dot = programFilePath.lastIndexOf(u'.');
    return (dot > slash ? programFilePath.left(dot) : programFilePath) + QStringLiteral(".CFG");
}

QString birthdayFilePath()
{
    return birthdayFilePathFor(programFilePath());
}

QByteArray birthdayEntry(int month, int day, const QByteArray &name)
{
    return cutBytes(twoDigits(month) + '-' + twoDigits(day) + "  " + name, BirthdayEntryBytes);
}

BirthdayRecord parseBirthdayEntry(const QByteArray &entry)
{
    EntryParts parts = splitEntry(entry);
    BirthdayRecord record;
    record.month = number(parts.month);
    record.day = number(parts.day);
    record.name = std::move(parts.name);
    return record;
}

BirthdayFileContents parseBirthdayFile(const QByteArray &data)
{
    BirthdayFileContents contents;
    contents.found = true;
    if (data.size() < BirthdayRecordSize) {
        contents.truncated = true;
        return contents;
    }
    const auto *bytes = reinterpret_cast<const unsigned char *>(data.constData());
    contents.remindDays = bytes[0];

    const qsizetype records = data.size() / BirthdayRecordSize;
    contents.entries.reserve(records - 1);
    for (qsizetype i = 1; i < records; ++i) {
        const unsigned char *record = bytes + i * BirthdayRecordSize;
        // A length above 50 only comes from a damaged file; the name field holds 50 bytes.
        const qsizetype length = std::min<qsizetype>(record[2], BirthdayNameBytes);
        contents.entries.append(birthdayEntry(
            record[0], record[1], QByteArray(reinterpret_cast<const char *>(record + 3), length)));
    }
    contents.truncated = data.size() % BirthdayRecordSize != 0;
    return contents;
}

namespace {

// A link to a list on a drive or in a sync folder that is not there: its list is not empty, just
// out of reach, and saving must neither break the link nor orphan the list.
void refuseLinkToNowhere(const QString &path, bool saving)
{
    const std::optional<DanglingLink> link = danglingLink(path);
    if (link && !link->folderExists)
        throw EInOutError(IoError::AccessDenied,
            QStringLiteral(
                "生日文件“%1”是一个链接，它指向的“%2”不存在（也许那个驱动器或同步文件夹还没有接上），"
                "%3")
                .arg(QDir::toNativeSeparators(path), QDir::toNativeSeparators(link->target),
                    saving ? QStringLiteral("所以没有保存") : QStringLiteral("所以没有读入")));
}

} // namespace

BirthdayFileContents loadBirthdayFile(const QString &path)
{
    // Opened for reading only, so a read-only file is loaded like any other.
    std::optional<QByteArray> data;
    try {
        data = readRegularFile(path, MaxBirthdayFileBytes);
    } catch (const EInOutError &error) {
        throw EInOutError(error.errorCode(),
            QStringLiteral("生日文件“%1”无法读入：%2").arg(QDir::toNativeSeparators(path), error.message()));
    }
    if (!data) {
        // A link to a file not created yet in a folder that is there starts a new list.
        refuseLinkToNowhere(path, false);
        return {};
    }
    if (data->size() > MaxBirthdayFileBytes)
        throw EInOutError(IoError::AccessDenied,
            QStringLiteral("生日文件“%1”超过 64 MB，不是生日列表，没有读入")
                .arg(QDir::toNativeSeparators(path)));
    return parseBirthdayFile(*data);
}

QByteArray serializeBirthdayFile(int remindDays, const QList<QByteArray> &entries)
{
    if (!isRemindDays(remindDays))
        throw remindDaysOutOfRange();

    QByteArray data((entries.size() + 1) * BirthdayRecordSize, '\0');
    data[0] = static_cast<char>(remindDays);
    char *record = data.data();
    for (const QByteArray &entry : entries) {
        record += BirthdayRecordSize;
        const BirthdayRecord parsed = parseBirthdayEntry(entry);
        if (parsed.month < 0 || parsed.month > 255 || parsed.day < 0 || parsed.day > 255)
            throw EConvertError(QStringLiteral("生日条目的月或日超出范围：") + cp936::decode(entry));
        record[0] = static_cast<char>(parsed.month);
        record[1] = static_cast<char>(parsed.day);
        record[2] = static_cast<char>(parsed.name.size());
        std::copy(parsed.name.cbegin(), parsed.name.cend(), record + 3);
    }
    return data;
}

void saveBirthdayFile(const QString &path, const QByteArray &contents)
{
    // Renaming a new file over the old one would succeed even where the old file is marked
    // read-only, so the marking is honoured here rather than left to the system (which lets
    // root write anything anyway).
    const QFileInfo existing(path);
    if (existing.isFile()) {
        const QFileDevice::Permissions permissions = existing.permissions();
        if (!permissions.testFlag(QFileDevice::WriteOwner) || !permissions.testFlag(QFileDevice::WriteUser))
            throw EInOutError(IoError::AccessDenied);
    } else if (existing.exists()) {
        throw EInOutError(IoError::AccessDenied); // a folder, a pipe, a device: not ours to replace
    } else {
        refuseLinkToNowhere(path, true);
    }

    try {
        writeWholeFile(path, contents, WhenPresent::Replace);
    } catch (const EFolderNotWritable &error) {
        // Writing the file in place would leave it half-written when anything failed on the way.
        throw EInOutError(IoError::AccessDenied,
            QStringLiteral("无法保存生日文件“%1”：文件夹“%2”不可写。新的生日文件要先在这个文件夹里写好，"
                           "再换下旧的，请让这个文件夹可写")
                .arg(QDir::toNativeSeparators(path), QDir::toNativeSeparators(error.folder())));
    }
}

EInOutError unreadBirthdayFileError(const QString &path)
{
    return EInOutError(IoError::AccessDenied,
        QStringLiteral("生日文件“%1”没有读入，保存会丢掉其中的生日，所以没有保存。"
                       "请排除问题后在主窗口按“生日”重新读入")
            .arg(QDir::toNativeSeparators(path)));
}

NewBirthdayEntry checkNewBirthdayEntry(const QString &month, const QString &day, const QString &name)
{
    using Field = NewBirthdayEntry::Field;
    NewBirthdayEntry result;
    auto fail = [&result](Field field, QString error) {
        result.badField = field;
        result.error = std::move(error);
        return result;
    };

    const std::optional<int> m = tryStrToInt(month);
    if (!m || *m < 1 || *m > 12)
        return fail(Field::Month, QStringLiteral("月份应为 1 到 12 之间的整数"));
    // February always allows the 29th: the birthday is kept for every year.
    const int lastDay = daysInMonth(2000, *m);
    const std::optional<int> d = tryStrToInt(day);
    if (!d || *d < 1 || *d > lastDay)
        return fail(Field::Day, QStringLiteral("%1月的日期应为 1 到 %2 之间的整数").arg(*m).arg(lastDay));
    bool encodable = true;
    const QByteArray nameBytes = cp936::encode(name, &encodable);
    if (!encodable)
        return fail(Field::Name, QStringLiteral("姓名中有无法保存的字符（只能用简体中文和英文字符）"));
    if (nameBytes.size() > BirthdayNameBytes)
        return fail(Field::Name,
            QStringLiteral("姓名最长 50 个字节（25 个汉字），现在有 %1 个字节").arg(nameBytes.size()));

    result.entry = birthdayEntry(*m, *d, nameBytes);
    return result;
}

int remindDaysFromText(const QString &text)
{
    const int value = strToInt(text);
    if (!isRemindDays(value))
        throw remindDaysOutOfRange();
    return value;
}

std::optional<int> tryRemindDaysFromText(const QString &text)
{
    const std::optional<int> value = tryStrToInt(text);
    return value && isRemindDays(*value) ? value : std::nullopt;
}

int dayOfYear(int year, int month, int day)
{
    int result = day;
    for (int m = 1; m < month; ++m)
        result += daysInMonth(year, m);
    return result;
}

QString reminderText(int month, int day, const QByteArray &name)
{
    // The information window reads "&" as the mark of an underlined letter; a name shows as typed.
    const QString shownName
        = cp936::decode(cutBytes(name, BirthdayNameBytes)).replace(u'&', QStringLiteral("&&"));
    return QStringLiteral("生日提醒：") + QString::number(month) + QStringLiteral("月") + QString::number(day)
        + QStringLiteral("日是") + shownName + QStringLiteral("的生日");
}

QStringList dueBirthdayReminders(QDate today, const QList<QByteArray> &entries, int remindDays)
{
    QStringList texts;
    if (remindDays <= 0 || entries.isEmpty())
        return texts;
    // Nearest first: today's birthdays, then tomorrow's and so on, each day's in list order.
    std::vector<std::pair<int, QString>> due;
    const int year = today.year();
    const int todayNumber = dayOfYear(year, today.month(), today.day());
    for (const QByteArray &entry : entries) {
        const EntryParts parts = splitEntry(entry);
        const std::optional<int> month = tryNumber(parts.month);
        const std::optional<int> day = tryNumber(parts.day);
        if (!month || !day || *month < 1 || *month > 12 || *day < 1)
            continue;
        int ahead = dayOfYear(year, *month, *day) - todayNumber;
        if (ahead < 0) // already past this year: its next birthday is in the new year
            ahead = daysInYear(year) - todayNumber + dayOfYear(year + 1, *month, *day);
        if (ahead < remindDays)
            due.emplace_back(ahead, reminderText(*month, *day, parts.name));
    }
    std::stable_sort(due.begin(), due.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
    texts.reserve(qsizetype(due.size()));
    for (auto &[ahead, text] : due)
        texts.append(std::move(text));
    return texts;
}

bool ReminderDays::todayDue() const
{
    return !m_days.isEmpty() && !m_days.contains(today());
}

} // namespace qc
