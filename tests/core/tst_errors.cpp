// Error texts: the I/O code messages and the full stop of the error box.
#include "core/errors.h"

#include <QTest>

class TestErrors : public QObject
{
    Q_OBJECT

private slots:
    void ioErrorMessage_data();
    void ioErrorMessage();
    void errorBoxText_data();
    void errorBoxText();
};

void TestErrors::ioErrorMessage_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("message");

    QTest::newRow("2") << 2 << QStringLiteral("File not found");
    QTest::newRow("3") << 3 << QStringLiteral("Invalid filename");
    QTest::newRow("4") << 4 << QStringLiteral("Too many open files");
    QTest::newRow("5") << 5 << QStringLiteral("File access denied");
    QTest::newRow("100") << 100 << QStringLiteral("Read beyond end of file");
    QTest::newRow("101") << 101 << QStringLiteral("Disk full");
    QTest::newRow("106") << 106 << QStringLiteral("Invalid numeric input");
    QTest::newRow("other") << 32 << QStringLiteral("I/O error 32");
    QTest::newRow("zero") << 0 << QStringLiteral("I/O error 0");
    QTest::newRow("negative") << -1 << QStringLiteral("I/O error -1");
}

void TestErrors::ioErrorMessage()
{
    QFETCH(int, code);
    QFETCH(QString, message);

    QCOMPARE(qc::ioErrorMessage(code), message);
    const qc::EInOutError error(code);
    QCOMPARE(error.errorCode(), code);
    QCOMPARE(error.message(), message);
    QCOMPARE(QString::fromUtf8(error.what()), message);
}

void TestErrors::errorBoxText_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("shown");

    QTest::newRow("letter") << QStringLiteral("Invalid argument to date encode")
                            << QStringLiteral("Invalid argument to date encode.");
    QTest::newRow("digit") << QStringLiteral("I/O error 32") << QStringLiteral("I/O error 32.");
    QTest::newRow("quote") << QStringLiteral("'x' is") << QStringLiteral("'x' is.");
    QTest::newRow("apostrophe sorts below") << QStringLiteral("'x'") << QStringLiteral("'x'");
    QTest::newRow("full stop") << QStringLiteral("Done.") << QStringLiteral("Done.");
    QTest::newRow("blank") << QStringLiteral("Done ") << QStringLiteral("Done ");
    QTest::newRow("hyphen") << QStringLiteral("Done-") << QStringLiteral("Done-");
    QTest::newRow("slash sorts above") << QStringLiteral("a/") << QStringLiteral("a/.");
    QTest::newRow("chinese") << QStringLiteral("文件") << QStringLiteral("文件.");
    QTest::newRow("chinese full stop") << QStringLiteral("完成。") << QStringLiteral("完成。.");
    QTest::newRow("not in code page") << QStringLiteral("x\U0001F600") << QStringLiteral("x\U0001F600.");
    QTest::newRow("empty") << QString() << QString();
}

void TestErrors::errorBoxText()
{
    QFETCH(QString, message);
    QFETCH(QString, shown);
    QCOMPARE(qc::errorBoxText(message), shown);
}

QTEST_GUILESS_MAIN(TestErrors)
#include "tst_errors.moc"
