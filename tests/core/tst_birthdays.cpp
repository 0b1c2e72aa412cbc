// The birthday file both ways, the entry text, the checks on a new entry and the reminder window.
#include "core/birthdays.h"
#include "core/cp936.h"
#include "core/errors.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace qc;
using namespace Qt::StringLiterals;

using qctest::birthdayRecord;
using qctest::settingsRecord;
using qctest::ZhangSan;

class TestBirthdays : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void filePath_data();
    void filePath();
    void parseFile_data();
    void parseFile();
    void entryCut_data();
    void entryCut();
    void roundTripKeepsEveryByte();
    void serializeRejects_data();
    void serializeRejects();
    void remindDaysText_data();
    void remindDaysText();
    void newEntry_data();
    void newEntry();
    void dayOfYear_data();
    void dayOfYear();
    void reminders_data();
    void reminders();
    void loadAndSave();
    void failedSaveLeavesOldFile_data();
    void failedSaveLeavesOldFile();
};

void TestBirthdays::filePath_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("expected");
    QTest::newRow("no extension") << "/opt/qc/quorvelcal"
                                  << "/opt/qc/quorvelcal.CFG";
    QTest::newRow("extension replaced") << "/opt/qc/CAL.EXE"
                                        << "/opt/qc/CAL.CFG";
    QTest::newRow("last extension only") << "/opt/qc/cal.v1.exe"
                                         << "/opt/qc/cal.v1.CFG";
    QTest::newRow("dot in a folder") << "/opt/qc.d/quorvelcal"
                                     << "/opt/qc.d/quorvelcal.CFG";
}

void TestBirthdays::filePath()
{
    QFETCH(QString, program);
    QFETCH(QString, expected);
    QCOMPARE(birthdayFilePathFor(program), expected);
}

void TestBirthdays::parseFile_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<int>("remindDays"); // -1: record 0 was short
    QTest::addColumn<QList<QByteArray>>("entries");
    QTest::addColumn<bool>("truncated");

    const QByteArray one = birthdayRecord(3, 7, ZhangSan);
    const QByteArray entry = "03-07  " + ZhangSan;
    QTest::newRow("empty") << QByteArray() << -1 << QList<QByteArray>() << true;
    QTest::newRow("short settings") << settingsRecord(5).left(52) << -1 << QList<QByteArray>() << true;
    QTest::newRow("53 bytes") << settingsRecord(7) << 7 << QList<QByteArray>() << false;
    QTest::newRow("106 bytes") << settingsRecord(255) + one << 255 << QList<QByteArray> { entry } << false;
    QTest::newRow("ragged end keeps what came before")
        << settingsRecord(4) + one + one.left(20) << 4 << QList<QByteArray> { entry } << true;
    QTest::newRow("one byte over") << settingsRecord(4) + "x" << 4 << QList<QByteArray>() << true;
    QTest::newRow("file order kept") << settingsRecord(3) + birthdayRecord(12, 5, "b")
            + birthdayRecord(1, 2, "a")
                                     << 3 << QList<QByteArray> { "12-05  b", "01-02  a" } << false;
    QTest::newRow("empty name") << settingsRecord(3) + birthdayRecord(2, 29, "") << 3
                                << QList<QByteArray> { "02-29  " } << false;
    QTest::newRow("name length 51 read as 50")
        << settingsRecord(3) + birthdayRecord(1, 1, QByteArray(50, 'n'), 51) << 3
        << QList<QByteArray> { "01-01  " + QByteArray(50, 'n') } << false;
    QTest::newRow("name length 255 read as 50")
        << settingsRecord(3) + birthdayRecord(1, 1, QByteArray(50, 'n'), 255) << 3
        << QList<QByteArray> { "01-01  " + QByteArray(50, 'n') } << false;
    QTest::newRow("bytes past the length ignored") << settingsRecord(3) + birthdayRecord(1, 1, "abcdef", 3)
                                                   << 3 << QList<QByteArray> { "01-01  abc" } << false;
    QTest::newRow("damaged month and day")
        << settingsRecord(3) + birthdayRecord(200, 0, "x") << 3 << QList<QByteArray> { "200-00  x" } << false;
}

void TestBirthdays::parseFile()
{
    QFETCH(QByteArray, data);
    QFETCH(int, remindDays);
    QFETCH(QList<QByteArray>, entries);
    QFETCH(bool, truncated);

    const BirthdayFileContents contents = parseBirthdayFile(data);
    QVERIFY(contents.found);
    QCOMPARE(contents.remindDays.value_or(-1), remindDays);
    QCOMPARE(contents.entries, entries);
    QCOMPARE(contents.truncated, truncated);
}

void TestBirthdays::entryCut_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QByteArray>("expectedEntry");
    QTest::addColumn<QByteArray>("expectedName"); // as read back for saving: at most 50 bytes

    const QByteArray zhang("\xD5\xC5");
    QTest::newRow("fits") << ZhangSan << "03-07  " + ZhangSan << ZhangSan;
    QTest::newRow("100 bytes exactly")
        << QByteArray(91, 'a') + zhang << "03-07  " + QByteArray(91, 'a') + zhang << QByteArray(50, 'a');
    QTest::newRow("cut inside a character at 100")
        << QByteArray(92, 'a') + zhang << "03-07  " + QByteArray(92, 'a') << QByteArray(50, 'a');
    QTest::newRow("cut inside a character at 50")
        << QByteArray(49, 'a') + zhang << "03-07  " + QByteArray(49, 'a') + zhang << QByteArray(49, 'a');
}

void TestBirthdays::entryCut()
{
    QFETCH(QByteArray, name);
    QFETCH(QByteArray, expectedEntry);
    QFETCH(QByteArray, expectedName);

    const QByteArray entry = birthdayEntry(3, 7, name);
    QCOMPARE(entry, expectedEntry);
    QCOMPARE(parseBirthdayEntry(entry), (BirthdayRecord { 3, 7, expectedName }));
}

void TestBirthdays::roundTripKeepsEveryByte()
{
    // Names a damaged file can hold: bytes that are no character, a lone lead byte at the end,
    // spaces and a dash that must not confuse the entry's separators.
    const QList<QByteArray> names { ZhangSan, QByteArray("\x81\x20\xFF\x80", 4), QByteArray("ab\xB0", 3),
        QByteArray("  -  x", 6), QByteArray("\0a\0", 3), QByteArray(50, '\xA1') };
    QByteArray file = settingsRecord(42);
    for (int i = 0; i < names.size(); ++i)
        file += birthdayRecord(i + 1, 28, names[i]);

    const BirthdayFileContents contents = parseBirthdayFile(file);
    QCOMPARE(serializeBirthdayFile(*contents.remindDays, contents.entries), file);

    // The list decodes with one converter for all entries; a bad byte must not leak into the next.
    QStringList oneByOne;
    for (const QByteArray &entry : contents.entries)
        oneByOne.append(cp936::decode(entry));
    QCOMPARE(cp936::decodeEach(contents.entries), oneByOne);
    QCOMPARE(oneByOne.constFirst(), u"01-28  张三"_s);
    QCOMPARE(serializeBirthdayFile(9, {}), settingsRecord(9));
}

void TestBirthdays::serializeRejects_data()
{
    QTest::addColumn<int>("remindDays");
    QTest::addColumn<QByteArray>("entry");
    QTest::addColumn<QString>("message");
    QTest::newRow("month no number") << 3 << QByteArray("ab-07  x") << "'ab' is not a valid integer value";
    QTest::newRow("day no number") << 3 << QByteArray("03-7x  x") << "'7x' is not a valid integer value";
    QTest::newRow("day beyond a byte")
        << 3 << QByteArray("03-300  x") << "生日条目的月或日超出范围：03-300  x";
    QTest::newRow("remind days beyond a byte")
        << 300 << QByteArray("03-07  x") << "提醒天数应为 0 到 255 之间的整数";
}

void TestBirthdays::serializeRejects()
{
    QFETCH(int, remindDays);
    QFETCH(QByteArray, entry);
    QFETCH(QString, message);
    try {
        serializeBirthdayFile(remindDays, { "01-01  ok", entry });
        QFAIL("no error");
    } catch (const EConvertError &error) {
        QCOMPARE(error.message(), message);
    }
}

void TestBirthdays::remindDaysText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("expected"); // -1: error
    QTest::addColumn<QString>("message");
    QTest::newRow("plain") << "7" << 7 << QString();
    QTest::newRow("leading blank") << " 7" << 7 << QString();
    QTest::newRow("hex") << "$FF" << 255 << QString();
    QTest::newRow("zero") << "0" << 0 << QString();
    QTest::newRow("trailing blank") << "7 " << -1 << "'7 ' is not a valid integer value";
    QTest::newRow("empty") << "" << -1 << "'' is not a valid integer value";
    QTest::newRow("300 is not wrapped") << "300" << -1 << "提醒天数应为 0 到 255 之间的整数";
    QTest::newRow("negative") << "-1" << -1 << "提醒天数应为 0 到 255 之间的整数";
}

void TestBirthdays::remindDaysText()
{
    QFETCH(QString, text);
    QFETCH(int, expected);
    QFETCH(QString, message);
    try {
        QCOMPARE(remindDaysFromText(text), expected);
        QVERIFY(message.isEmpty());
    } catch (const EConvertError &error) {
        QCOMPARE(error.message(), message);
    }
}

void TestBirthdays::newEntry_data()
{
    using Field = NewBirthdayEntry::Field;
    QTest::addColumn<QString>("month");
    QTest::addColumn<QString>("day");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("entry");
    QTest::addColumn<Field>("badField");

    QTest::newRow("padded") << "3"
                            << "7" << u"张三"_s << "03-07  " + ZhangSan << Field::None;
    QTest::newRow("two digits") << "12"
                                << "05"
                                << "x" << QByteArray("12-05  x") << Field::None;
    QTest::newRow("29 February") << "2"
                                 << "29"
                                 << "" << QByteArray("02-29  ") << Field::None;
    QTest::newRow("50 bytes") << "1"
                              << "31" << QString(25, u'汉') << "01-31  " + QByteArray(50, '\xBA')
                              << Field::None;
    QTest::newRow("month 13") << "13"
                              << "1"
                              << "x" << QByteArray() << Field::Month;
    QTest::newRow("month 0") << "0"
                             << "1"
                             << "x" << QByteArray() << Field::Month;
    QTest::newRow("month no number") << "三"
                                     << "1"
                                     << "x" << QByteArray() << Field::Month;
    QTest::newRow("30 February") << "2"
                                 << "30"
                                 << "x" << QByteArray() << Field::Day;
    QTest::newRow("31 April") << "4"
                              << "31"
                              << "x" << QByteArray() << Field::Day;
    QTest::newRow("day 0") << "1"
                           << "0"
                           << "x" << QByteArray() << Field::Day;
    QTest::newRow("day -1") << "1"
                            << "-1"
                            << "x" << QByteArray() << Field::Day;
    QTest::newRow("51 bytes") << "1"
                              << "1" << QString(51, u'a') << QByteArray() << Field::Name;
    QTest::newRow("26 characters") << "1"
                                   << "1" << QString(26, u'汉') << QByteArray() << Field::Name;
    QTest::newRow("not in the code page") << "1"
                                          << "1" << u"😀"_s << QByteArray() << Field::Name;
}

void TestBirthdays::newEntry()
{
    QFETCH(QString, month);
    QFETCH(QString, day);
    QFETCH(QString, name);
    QFETCH(QByteArray, entry);
    QFETCH(NewBirthdayEntry::Field, badField);

    const NewBirthdayEntry checked = checkNewBirthdayEntry(month, day, name);
    QCOMPARE(checked.entry, entry);
    QCOMPARE(checked.badField, badField);
    QCOMPARE(checked.error.isEmpty(), badField == NewBirthdayEntry::Field::None);
}

void TestBirthdays::dayOfYear_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<int>("expected");
    QTest::newRow("1 January") << QDate(2023, 1, 1) << 1;
    QTest::newRow("1 March common") << QDate(2023, 3, 1) << 60;
    QTest::newRow("1 March leap") << QDate(2024, 3, 1) << 61;
    QTest::newRow("1 March 2000") << QDate(2000, 3, 1) << 61;
    QTest::newRow("1 March 2100") << QDate(2100, 3, 1) << 60;
    QTest::newRow("31 December") << QDate(2023, 12, 31) << 365;
}

void TestBirthdays::dayOfYear()
{
    QFETCH(QDate, date);
    QFETCH(int, expected);
    QCOMPARE(qc::dayOfYear(date.year(), date.month(), date.day()), expected);
    QCOMPARE(qc::dayOfYear(date.year(), date.month(), date.day()), date.dayOfYear());
}

void TestBirthdays::reminders_data()
{
    QTest::addColumn<QDate>("today");
    QTest::addColumn<int>("remindDays");
    QTest::addColumn<QList<QByteArray>>("entries");
    QTest::addColumn<QStringList>("expected");

    const QList<QByteArray> march { "03-06  yesterday", "03-07  " + ZhangSan, "03-08  b", "03-09  c",
        "03-10  d" };
    const QDate march7(2023, 3, 7);
    QTest::newRow("0 days") << march7 << 0 << march << QStringList();
    QTest::newRow("1 day: today only")
        << march7 << 1 << march << QStringList { u"生日提醒：3月7日是张三的生日"_s };
    QTest::newRow("3 days") << march7 << 3 << march
                            << QStringList { u"生日提醒：3月7日是张三的生日"_s,
                                   u"生日提醒：3月8日是b的生日"_s, u"生日提醒：3月9日是c的生日"_s };
    QTest::newRow("same date in list order")
        << march7 << 1 << QList<QByteArray> { "03-07  z", "03-07  a" }
        << QStringList { u"生日提醒：3月7日是z的生日"_s, u"生日提醒：3月7日是a的生日"_s };
    QTest::newRow("across the year end, nearest first")
        << QDate(2023, 12, 30) << 5
        << QList<QByteArray> { "01-01  m", "01-02  n", "01-03  o", "12-29  p", "12-30  r", "12-31  q",
               "12-30  s" }
        << QStringList { u"生日提醒：12月30日是r的生日"_s, u"生日提醒：12月30日是s的生日"_s,
               u"生日提醒：12月31日是q的生日"_s, u"生日提醒：1月1日是m的生日"_s,
               u"生日提醒：1月2日是n的生日"_s, u"生日提醒：1月3日是o的生日"_s };
    QTest::newRow("29 February where 1 March is")
        << QDate(2023, 3, 1) << 1 << QList<QByteArray> { "02-29  leap" }
        << QStringList { u"生日提醒：2月29日是leap的生日"_s };
    QTest::newRow("29 February in a leap year")
        << QDate(2024, 3, 1) << 1 << QList<QByteArray> { "02-29  leap" } << QStringList();
    QTest::newRow("2100 is no leap year")
        << QDate(2100, 2, 28) << 2 << QList<QByteArray> { "03-01  m", "03-02  n" }
        << QStringList { u"生日提醒：3月1日是m的生日"_s };
    QTest::newRow("29 February of next year")
        << QDate(2023, 12, 31) << 61 << QList<QByteArray> { "02-29  leap" }
        << QStringList { u"生日提醒：2月29日是leap的生日"_s };
    QTest::newRow("an ampersand in a name stays one")
        << march7 << 1 << QList<QByteArray> { "03-07  Tom & Jerry", "03-07  A&&B" }
        << QStringList { u"生日提醒：3月7日是Tom && Jerry的生日"_s, u"生日提醒：3月7日是A&&&&B的生日"_s };
    QTest::newRow("damaged entries skipped")
        << QDate(2023, 1, 1) << 255
        << QList<QByteArray> { "13-01  a", "00-05  b", "01-00  c", "ab-07  d", "255-01  e", "", "01-01  ok" }
        << QStringList { u"生日提醒：1月1日是ok的生日"_s };
}

void TestBirthdays::reminders()
{
    QFETCH(QDate, today);
    QFETCH(int, remindDays);
    QFETCH(QList<QByteArray>, entries);
    QFETCH(QStringList, expected);
    QCOMPARE(dueBirthdayReminders(today, entries, remindDays), expected);
}

void TestBirthdays::loadAndSave()
{
    qctest::ProgramDir dir;
    const QString path = birthdayFilePath();
    QCOMPARE(path, dir.filePath(QStringLiteral("quorvelcal.CFG")));

    const BirthdayFileContents missing = loadBirthdayFile(path);
    QVERIFY(!missing.found);
    QVERIFY(missing.entries.isEmpty());

    const QByteArray file = settingsRecord(6) + birthdayRecord(3, 7, ZhangSan);
    saveBirthdayFile(path, file);
    QCOMPARE(qctest::readFile(path), file);

    // A read-only file is read like any other.
    QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
    const BirthdayFileContents readOnly = loadBirthdayFile(path);
    QCOMPARE(readOnly.remindDays.value_or(-1), 6);
    QCOMPARE(readOnly.entries, QList<QByteArray> { "03-07  " + ZhangSan });
}

void TestBirthdays::failedSaveLeavesOldFile_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("read-only file") << "read-only";
    QTest::newRow("directory in the way") << "directory";
    QTest::newRow("unwritable place") << "proc";
    QTest::newRow("folder refusing files") << "sys";
}

void TestBirthdays::failedSaveLeavesOldFile()
{
    QFETCH(QString, kind);
    qctest::ProgramDir dir;
    QString path = birthdayFilePath();
    const QByteArray old = settingsRecord(3) + birthdayRecord(1, 1, "old");
    if (kind == QLatin1String("read-only")) {
        QVERIFY(qctest::writeFile(path, old));
        QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner));
    } else if (kind == QLatin1String("directory")) {
        QVERIFY(QDir().mkpath(path));
    } else {
        path = QStringLiteral("/%1/quorvelcal.CFG").arg(kind);
    }
    // Only a folder that refuses the new file is named, with the system's own separators.
    const QString message = kind == QLatin1String("sys")
        ? QStringLiteral(
            "无法保存生日文件“%1”：文件夹“%2”不可写。新的生日文件要先在这个文件夹里写好，再换下旧的，"
            "请让这个文件夹可写")
              .arg(QDir::toNativeSeparators(path), QDir::toNativeSeparators(QFileInfo(path).absolutePath()))
        : QStringLiteral("File access denied");

    try {
        saveBirthdayFile(path, settingsRecord(9));
        QFAIL("the save reported success");
    } catch (const EInOutError &error) {
        QCOMPARE(error.errorCode(), IoError::AccessDenied);
        QCOMPARE(error.message(), message);
    }
    if (kind == QLatin1String("read-only"))
        QCOMPARE(qctest::readFile(path), old);
    if (kind == QLatin1String("directory"))
        QVERIFY(QFileInfo(path).isDir());
    // No temporary file is left behind.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(),
        kind == QLatin1String("read-only") ? 1 : 0);
}

QTEST_GUILESS_MAIN(TestBirthdays)
#include "tst_birthdays.moc"
