// Number conversion: the accepted forms, the limits and the exact failure message.
#include "core/convert.h"
#include "core/errors.h"

#include <QTest>

class TestConvert : public QObject
{
    Q_OBJECT

private slots:
    void strToInt_data();
    void strToInt();
};

void TestConvert::strToInt_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("value");

    QTest::newRow("digits") << QStringLiteral("42") << true << 42;
    QTest::newRow("leading zeros") << QStringLiteral("007") << true << 7;
    QTest::newRow("plus") << QStringLiteral("+15") << true << 15;
    QTest::newRow("minus") << QStringLiteral("-15") << true << -15;
    QTest::newRow("minus zero") << QStringLiteral("-0") << true << 0;
    QTest::newRow("leading blanks") << QStringLiteral("   7") << true << 7;
    QTest::newRow("blanks then sign") << QStringLiteral("  -7") << true << -7;
    QTest::newRow("max") << QStringLiteral("2147483647") << true << 2147483647;
    QTest::newRow("min allowed") << QStringLiteral("-2147483647") << true << -2147483647;
    QTest::newRow("int min refused") << QStringLiteral("-2147483648") << false << 0;
    QTest::newRow("overflow") << QStringLiteral("2147483648") << false << 0;
    QTest::newRow("far overflow") << QStringLiteral("99999999999999999999") << false << 0;
    QTest::newRow("hex max") << QStringLiteral("$FFFFFFFF") << true << -1;
    QTest::newRow("hex high bit") << QStringLiteral("$80000000") << true << int(0x80000000u);
    QTest::newRow("hex lower case") << QStringLiteral("$7fffffff") << true << 2147483647;
    QTest::newRow("hex mixed case") << QStringLiteral("$aBc") << true << 0xABC;
    QTest::newRow("hex leading zeros") << QStringLiteral("$000000000001") << true << 1;
    QTest::newRow("hex after blanks") << QStringLiteral(" $10") << true << 16;
    QTest::newRow("hex overflow") << QStringLiteral("$100000000") << false << 0;
    QTest::newRow("dollar alone") << QStringLiteral("$") << false << 0;
    QTest::newRow("sign before dollar") << QStringLiteral("-$1") << false << 0;
    QTest::newRow("hex digit g") << QStringLiteral("$1G") << false << 0;
    QTest::newRow("empty") << QString() << false << 0;
    QTest::newRow("blanks only") << QStringLiteral("   ") << false << 0;
    QTest::newRow("sign alone") << QStringLiteral("+") << false << 0;
    QTest::newRow("double sign") << QStringLiteral("--1") << false << 0;
    QTest::newRow("trailing blank") << QStringLiteral("7 ") << false << 0;
    QTest::newRow("blank after sign") << QStringLiteral("- 7") << false << 0;
    QTest::newRow("exponent") << QStringLiteral("1e3") << false << 0;
    QTest::newRow("decimal point") << QStringLiteral("1.0") << false << 0;
    QTest::newRow("tab is no blank") << QStringLiteral("\t7") << false << 0;
    QTest::newRow("hex without dollar") << QStringLiteral("0x10") << false << 0;
    QTest::newRow("full-width digits") << QStringLiteral("\uFF17") << false << 0;
    QTest::newRow("placeholder in text") << QStringLiteral("%1 %2") << false << 0;
    QTest::newRow("chinese text") << QStringLiteral("一二") << false << 0;
    QTest::newRow("arabic-indic digit") << QStringLiteral("\u0667") << false << 0;
}

void TestConvert::strToInt()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(int, value);

    const std::optional<std::int32_t> result = qc::tryStrToInt(text);
    QCOMPARE(result.has_value(), valid);
    if (valid) {
        QCOMPARE(*result, value);
        QCOMPARE(qc::strToInt(text), value);
        return;
    }
    try {
        qc::strToInt(text);
        QFAIL("no exception");
    } catch (const qc::EConvertError &e) {
        QCOMPARE(e.message(), QStringLiteral("'") + text + QStringLiteral("' is not a valid integer value"));
    }
}

QTEST_GUILESS_MAIN(TestConvert)
#include "tst_convert.moc"
