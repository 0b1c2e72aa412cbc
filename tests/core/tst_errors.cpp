// Error texts: the I/O code messages and the full stop of the error box.
#include "core/errors.h"

#include <QTest>

class TestErrors : public QObject
{
    Q_OBJECT

private slots:
    void ioErrorMessage_data();
    void ioErrorMessage();
    void windowsErrors_data();
    void windowsErrors();
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

// GetLastError() numbers as the program reports them (the same mapping on every system).
void TestErrors::windowsErrors_data()
{
    QTest::addColumn<unsigned long>("systemError");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("message");
    const QString inUse = QStringLiteral("另一个程序正在使用这个文件，请关闭那个程序后再试");

    QTest::newRow("file not found") << 2UL << 2 << QStringLiteral("File not found");
    QTest::newRow("path not found") << 3UL << 3 << QStringLiteral("Invalid filename");
    QTest::newRow("invalid name") << 123UL << 3 << QStringLiteral("Invalid filename");
    QTest::newRow("name too long") << 206UL << 3 << QStringLiteral("Invalid filename");
    QTest::newRow("too many open files") << 4UL << 4 << QStringLiteral("Too many open files");
    QTest::newRow("access denied") << 5UL << 5 << QStringLiteral("File access denied");
    QTest::newRow("write-protected disk") << 19UL << 5 << QStringLiteral("File access denied");
    QTest::newRow("write fault") << 29UL << 29 << QStringLiteral("I/O error 29");
    QTest::newRow("read fault") << 30UL << 30 << QStringLiteral("I/O error 30");
    QTest::newRow("sharing violation") << 32UL << 32 << inUse;
    QTest::newRow("lock violation") << 33UL << 32 << inUse;
    QTest::newRow("handle disk full") << 39UL << 101 << QStringLiteral("Disk full");
    QTest::newRow("disk full") << 112UL << 101 << QStringLiteral("Disk full");
    QTest::newRow("quota") << 1295UL << 101 << QStringLiteral("Disk full");
    // Numbers that merely equal codes of the program's own say nothing of what those mean.
    QTest::newRow("100 (semaphores)") << 100UL << 100 << QStringLiteral("I/O error 100");
    QTest::newRow("101 (semaphore owned)") << 101UL << 101 << QStringLiteral("I/O error 101");
    QTest::newRow("106 (semaphore limit)") << 106UL << 106 << QStringLiteral("I/O error 106");
    QTest::newRow("drive not ready") << 21UL << 21 << QStringLiteral("I/O error 21");
}

void TestErrors::windowsErrors()
{
    QFETCH(unsigned long, systemError);
    QFETCH(int, code);
    QFETCH(QString, message);
    const qc::EInOutError error = qc::ioErrorFromWindowsError(systemError);
    QCOMPARE(error.errorCode(), code);
    QCOMPARE(error.message(), message);
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
