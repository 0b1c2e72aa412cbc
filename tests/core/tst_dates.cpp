// Date values: encoding limits, decoding (negative values included), weekdays, DateKey,
// and the program directory override the other tests rely on.
#include "core/dates.h"
#include "core/errors.h"
#include "core/programdir.h"
#include "testsupport.h"

#include <QFileInfo>
#include <QTest>

#include <cmath>
#include <limits>

class TestDates : public QObject
{
    Q_OBJECT

private slots:
    void encode_data();
    void encode();
    void decode_data();
    void decode();
    void everyDayInOrder();
    void nonsenseValues();
    void dateKey_data();
    void dateKey();
    void programDirectoryOverride();
};

void TestDates::encode_data()
{
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("day");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<double>("value");

    QTest::newRow("day zero") << 1899 << 12 << 30 << true << 0.0;
    QTest::newRow("1900-1-1") << 1900 << 1 << 1 << true << 2.0;
    QTest::newRow("2000-1-1") << 2000 << 1 << 1 << true << 36526.0;
    QTest::newRow("before day zero") << 1899 << 12 << 29 << true << -1.0;
    QTest::newRow("first day") << 1 << 1 << 1 << true << -693593.0;
    QTest::newRow("last day") << 9999 << 12 << 31 << true << 2958465.0;
    QTest::newRow("2000-2-29 leap") << 2000 << 2 << 29 << true << 36585.0;
    QTest::newRow("2004-2-29 leap") << 2004 << 2 << 29 << true << 38046.0;
    QTest::newRow("1900-2-29 century") << 1900 << 2 << 29 << false << 0.0;
    QTest::newRow("2100-2-29 century") << 2100 << 2 << 29 << false << 0.0;
    QTest::newRow("2001-2-29 common") << 2001 << 2 << 29 << false << 0.0;
    QTest::newRow("april 31") << 2000 << 4 << 31 << false << 0.0;
    QTest::newRow("day 0") << 2000 << 1 << 0 << false << 0.0;
    QTest::newRow("month 0") << 2000 << 0 << 1 << false << 0.0;
    QTest::newRow("month 13") << 2000 << 13 << 1 << false << 0.0;
    QTest::newRow("year 0") << 0 << 1 << 1 << false << 0.0;
    QTest::newRow("year 10000") << 10000 << 1 << 1 << false << 0.0;
    QTest::newRow("negative year") << -1 << 1 << 1 << false << 0.0;
}

void TestDates::encode()
{
    QFETCH(int, year);
    QFETCH(int, month);
    QFETCH(int, day);
    QFETCH(bool, valid);
    QFETCH(double, value);

    qc::TDateTime result = -12345;
    QCOMPARE(qc::tryEncodeDate(year, month, day, result), valid);
    if (valid) {
        QCOMPARE(result, value);
        QCOMPARE(qc::encodeDate(year, month, day), value);
        return;
    }
    QCOMPARE(result, -12345.0); // untouched on failure
    try {
        qc::encodeDate(year, month, day);
        QFAIL("no exception");
    } catch (const qc::EConvertError &e) {
        QCOMPARE(e.message(), QStringLiteral("Invalid argument to date encode"));
    }
}

void TestDates::decode_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("day");
    QTest::addColumn<int>("weekday");

    QTest::newRow("day zero") << 0.0 << 1899 << 12 << 30 << 7;
    QTest::newRow("2000-1-1 noon") << 36526.5 << 2000 << 1 << 1 << 7;
    QTest::newRow("just before midnight") << 36526.999 << 2000 << 1 << 1 << 7;
    QTest::newRow("2015-2-1") << 42036.0 << 2015 << 2 << 1 << 1;
    QTest::newRow("minus one") << -1.0 << 1899 << 12 << 29 << 6;
    QTest::newRow("negative fraction floors") << -0.25 << 1899 << 12 << 29 << 6;
    QTest::newRow("first day") << -693593.0 << 1 << 1 << 1 << 2;
    QTest::newRow("last day") << 2958465.0 << 9999 << 12 << 31 << 6;
}

void TestDates::decode()
{
    QFETCH(double, value);
    QFETCH(int, year);
    QFETCH(int, month);
    QFETCH(int, day);
    QFETCH(int, weekday);

    QCOMPARE(qc::decodeDate(value), (qc::DateParts { year, month, day }));
    QCOMPARE(qc::dayOfWeek(value), weekday);
    QCOMPARE(qc::toQDate(value), QDate(year, month, day));
}

// Walks the whole calendar with our own month lengths: every day must encode to the previous
// value plus one, decode back, and the weekday must cycle.
void TestDates::everyDayInOrder()
{
    qc::TDateTime expected = qc::encodeDate(1, 1, 1);
    int weekday = qc::dayOfWeek(expected);
    int checked = 0;
    for (int year = 1; year <= 9999; ++year) {
        QCOMPARE(qc::daysInMonth(year, 2), QDate::isLeapYear(year) ? 29 : 28);
        QCOMPARE(qc::isLeapYear(year), QDate::isLeapYear(year));
        for (int month = 1; month <= 12; ++month) {
            for (int day = 1; day <= qc::daysInMonth(year, month); ++day) {
                const qc::TDateTime value = qc::encodeDate(year, month, day);
                if (value != expected || qc::decodeDate(value) != qc::DateParts { year, month, day }
                    || qc::dayOfWeek(value) != weekday) {
                    QFAIL(qPrintable(qc::dateKey(year, month, day)));
                }
                expected += 1;
                weekday = weekday % 7 + 1;
                ++checked;
            }
        }
        qc::TDateTime scratch = 0;
        QVERIFY(!qc::tryEncodeDate(year, 2, qc::daysInMonth(year, 2) + 1, scratch));
    }
    QCOMPARE(checked, 3652059);
}

void TestDates::nonsenseValues()
{
    QCOMPARE(qc::decodeDate(std::numeric_limits<double>::quiet_NaN()), qc::DateParts {});
    QCOMPARE(qc::decodeDate(std::numeric_limits<double>::infinity()), qc::DateParts {});
    QCOMPARE(qc::decodeDate(1e300), qc::DateParts {});
    QCOMPARE(qc::dayOfWeek(-1e300), 0);
    QVERIFY(std::isnan(qc::fromQDate(QDate())));
}

void TestDates::dateKey_data()
{
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("day");
    QTest::addColumn<QString>("key");

    QTest::newRow("short") << 1999 << 3 << 7 << QStringLiteral("1999-3-7");
    QTest::newRow("long") << 2000 << 12 << 31 << QStringLiteral("2000-12-31");
    QTest::newRow("tenth") << 2010 << 10 << 10 << QStringLiteral("2010-10-10");
    QTest::newRow("year 1") << 1 << 1 << 1 << QStringLiteral("1-1-1");
}

void TestDates::dateKey()
{
    QFETCH(int, year);
    QFETCH(int, month);
    QFETCH(int, day);
    QFETCH(QString, key);
    QCOMPARE(qc::dateKey(year, month, day), key);
}

void TestDates::programDirectoryOverride()
{
    const QString real = qc::programFilePath();
    QVERIFY(QFileInfo(real).isFile());
    QCOMPARE(real, QFileInfo(real).canonicalFilePath());

#ifdef Q_OS_WIN
    const QString somewhere = QStringLiteral("C:/somewhere");
#else
    const QString somewhere = QStringLiteral("/tmp/somewhere");
#endif
    {
        const qctest::ProgramDir dir(somewhere);
        QCOMPARE(qc::programFilePath(), somewhere + QStringLiteral("/quorvelcal"));
        QCOMPARE(qc::programDirectory(), somewhere);
    }
    QCOMPARE(qc::programFilePath(), real);
    QCOMPARE(qc::programDirectory(), QFileInfo(real).absolutePath());
}

QTEST_GUILESS_MAIN(TestDates)
#include "tst_dates.moc"
