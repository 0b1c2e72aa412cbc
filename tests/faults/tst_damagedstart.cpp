// Start-up with a damaged birthday file: every length from empty to two whole records, filled
// with bytes of several kinds, goes through the same steps the program's start takes (load
// without the dialog, the reminder check, the main window's first paint). None may crash; a
// file that ends inside a record reports it once and keeps the entries read before.
#include "core/birthdays.h"
#include "core/programdir.h"
#include "messages.h"
#include "startup.h"
#include "testsupport.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTest>

namespace {

QByteArray pattern(const QString &kind, qsizetype size)
{
    QByteArray bytes(size, '\0');
    if (kind == QLatin1String("zeros"))
        return bytes;
    if (kind == QLatin1String("all ones"))
        return bytes.fill('\xff');
    if (kind == QLatin1String("whole records")) {
        // A real file: remind 3 days, a birthday today and one with a two-byte name.
        const QByteArray file = qctest::settingsRecord(3) + qctest::birthdayRecord(6, 15, "Alice")
            + qctest::birthdayRecord(12, 31, qctest::ZhangSan);
        return file.left(size);
    }
    QRandomGenerator random(quint32(size) * 7919u);
    for (char &byte : bytes)
        byte = char(random.bounded(256));
    return bytes;
}

} // namespace

class TestDamagedStart : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { qctest::fixToday(QDate(2023, 6, 14)); }

    void everyShortLength_data()
    {
        QTest::addColumn<QString>("kind");
        for (const char *kind : { "zeros", "all ones", "whole records", "random" })
            QTest::newRow(kind) << QString::fromLatin1(kind);
    }
    void everyShortLength()
    {
        QFETCH(QString, kind);
        qctest::ProgramDir dir;
        const QString path = qc::birthdayFilePath();
        for (qsizetype length = 0; length <= 2 * qc::BirthdayRecordSize; ++length) {
            const QByteArray bytes = pattern(kind, length);
            {
                QFile file(path);
                QVERIFY(file.open(QIODevice::WriteOnly));
                QCOMPARE(file.write(bytes), length);
            }
            m_errors.clear();
            m_information.clear();

            // What main() does, in its order.
            qc::ProgramWindows windows;
            windows.loadAndRemind();
            // Wine maps and unmaps every top-level window through the X server and waits for it
            // (seconds per start, 516 starts): there the first paint is drawn without a screen.
            if (qctest::underWine())
                windows.mainform.setAttribute(Qt::WA_DontShowOnScreen);
            windows.mainform.show();
            (void)windows.mainform.grab();
            const TSetupForm &setupForm = windows.setupForm;

            const QByteArray where = "length " + QByteArray::number(length);
            const bool whole = length > 0 && length % qc::BirthdayRecordSize == 0;
            QVERIFY2(m_errors
                    == (whole ? QStringList() : QStringList { QStringLiteral("Read beyond end of file.") }),
                QByteArray(where + ": " + m_errors.join(u'|').toUtf8()).constData());
            QVERIFY2(setupForm.isHidden(), where.constData());
            const qsizetype entries = std::max<qsizetype>(0, length / qc::BirthdayRecordSize - 1);
            QVERIFY2(setupForm.birthdayEntries().size() == entries, where.constData());
            if (kind == QLatin1String("whole records") && length >= 2 * qc::BirthdayRecordSize)
                QCOMPARE(m_information, QStringList { QStringLiteral("生日提醒：6月15日是Alice的生日") });
            // Loading never writes.
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadOnly));
            QVERIFY2(file.readAll() == bytes, where.constData());
        }
    }

    // The list on a drive that is not there: said at start-up, where it points, and never written.
    void linkToAMissingFolder()
    {
#ifdef Q_OS_WIN
        QSKIP("Qt makes a Windows shortcut (.lnk) for a link, a file of its own that is not followed");
#endif
        qctest::ProgramDir dir;
        const QString path = qc::birthdayFilePath();
        const QString target = dir.filePath(QStringLiteral("unmounted/quorvelcal.CFG"));
        QVERIFY(QFile::link(target, path));
        m_errors.clear();
        qc::ProgramWindows windows;
        windows.loadAndRemind();
        QCOMPARE(m_errors,
            QStringList { QStringLiteral(
                "生日文件“%1”是一个链接，它指向的“%2”不存在（也许那个驱动器或同步文件夹还没有接上），"
                "所以没有读入.")
                              .arg(path, target) });
        QCOMPARE(QFileInfo(path).symLinkTarget(), target);
        QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("unmounted"))));
    }

private:
    QStringList m_errors;
    QStringList m_information;
    qctest::ScopedMessageHook m_hook { [this](qc::MessageKind kind, const QString &, const QString &text) {
        (kind == qc::MessageKind::Error ? m_errors : m_information).append(text);
        return true;
    } };
};

QTEST_MAIN(TestDamagedStart)
#include "tst_damagedstart.moc"
