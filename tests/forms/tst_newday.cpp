// The program left running across days: at the first clock tick of a day it has not yet had, the
// reminder check runs once more, as at start-up, with the birthday file read again. The clock moves
// as a user's does: past midnight, forward over days the machine slept through, back to a day that
// already had its check, back to one that never had.
#include "core/birthdays.h"
#include "core/clock.h"
#include "messages.h"
#include "startup.h"
#include "testsupport.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>

namespace {

QByteArray birthdayFile(int remindDays, const QList<std::pair<int, int>> &dates)
{
    QByteArray file = qctest::settingsRecord(remindDays);
    for (const auto &[month, day] : dates)
        file += qctest::birthdayRecord(month, day, QByteArray::number(month) + '-' + QByteArray::number(day));
    return file;
}

// The name of the reminder's birthday: each is named after its date, as in "12-28".
QString shortForm(const QString &reminder)
{
    return reminder.section(u'是', 1).chopped(3);
}

QDateTime at(const QString &text)
{
    return QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd hh:mm:ss"));
}

struct Step
{
    QString at; // the clock moves here ("yyyy-MM-dd hh:mm:ss"), then ticks twice
    QStringList announced; // the boxes those ticks bring
};
using Steps = QList<Step>;

} // namespace

Q_DECLARE_METATYPE(Steps)

class TestNewDay : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { m_announced.clear(); }

    void checkOncePerDay_data()
    {
        QTest::addColumn<int>("remindDays");
        QTest::addColumn<Steps>("steps"); // the first step is the start

        QTest::newRow("past midnight")
            << 1
            << Steps { { "2026-12-28 23:59:58", { "12-28" } }, { "2026-12-28 23:59:59", {} },
                   { "2026-12-29 00:00:00", { "12-29" } }, { "2026-12-29 00:00:01", {} },
                   { "2026-12-29 23:00:00", {} } };
        QTest::newRow("days slept through, then the year end")
            << 2
            << Steps { { "2026-12-26 22:00:00", {} }, { "2026-12-30 07:00:00", { "12-30", "12-31" } },
                   { "2027-01-01 00:00:02", { "1-1", "1-2" } } };
        QTest::newRow("set back to a day that had its check, and to one that had none")
            << 1
            << Steps { { "2026-12-29 10:00:00", { "12-29" } }, { "2026-12-31 10:00:00", { "12-31" } },
                   { "2026-12-29 10:00:05", {} }, { "2026-12-28 10:00:00", { "12-28" } },
                   { "2026-12-31 11:00:00", {} } };
        QTest::newRow("set back within the day, across midnight")
            << 3
            << Steps { { "2026-12-29 00:00:30", { "12-29", "12-30", "12-31" } },
                   { "2026-12-28 23:59:50", { "12-28", "12-29", "12-30" } }, { "2026-12-29 00:00:00", {} } };
    }

    void checkOncePerDay()
    {
        QFETCH(int, remindDays);
        QFETCH(Steps, steps);
        qctest::ProgramDir dir;
        QVERIFY(qctest::writeFile(qc::birthdayFilePath(),
            birthdayFile(
                remindDays, { { 1, 1 }, { 1, 2 }, { 12, 28 }, { 12, 29 }, { 12, 30 }, { 12, 31 } })));

        m_now = at(steps[0].at);
        qc::ProgramWindows windows;
        windows.loadAndRemind();
        QCOMPARE(m_announced, steps[0].announced);
        for (qsizetype i = 1; i < steps.size(); ++i) {
            m_announced.clear();
            m_now = at(steps[i].at);
            for (int tick = 0; tick < 2; ++tick) {
                windows.mainform.Timer1Timer();
                QCoreApplication::processEvents();
            }
            QVERIFY2(
                m_announced == steps[i].announced, qPrintable(steps[i].at + u": " + m_announced.join(u' ')));
        }
    }

    // The birthday file is read again for the new day, as a start reads it; while the birthday
    // dialog is open, its list as the user is editing it is the one checked, and nothing is read.
    void newDayReadsTheFileUnlessTheDialogIsOpen()
    {
        qctest::ProgramDir dir;
        QVERIFY(qctest::writeFile(qc::birthdayFilePath(), birthdayFile(1, { { 12, 28 } })));
        m_now = QDateTime(QDate(2026, 12, 28), QTime(23, 59, 59));
        qc::ProgramWindows windows;
        windows.loadAndRemind();
        QCOMPARE(m_announced, QStringList { "12-28" });

        QVERIFY(qctest::writeFile(qc::birthdayFilePath(), birthdayFile(2, { { 12, 29 }, { 12, 30 } })));
        m_announced.clear();
        m_now = m_now.addSecs(1);
        windows.mainform.Timer1Timer();
        QTRY_COMPARE(m_announced, (QStringList { "12-29", "12-30" }));

        QVERIFY(qctest::writeFile(qc::birthdayFilePath(), birthdayFile(2, {})));
        windows.setupForm.show();
        m_announced.clear();
        m_now = m_now.addDays(1);
        windows.mainform.Timer1Timer();
        QTRY_COMPARE(m_announced, QStringList { "12-30" });
        QCOMPARE(windows.setupForm.birthdayEntries().size(), 2);
    }

    // The start-up's birthday dialog builds its controls once the main window's first frame is out,
    // or when it is shown before that. The reminders of the start run on the loaded list alone; the
    // built dialog shows that list and the remind days, with every control under its name.
    void startupDialogBuiltAfterTheFirstFrame_data()
    {
        QTest::addColumn<bool>("mainWindowFirst");
        QTest::newRow("after the main window's first frame") << true;
        QTest::newRow("shown before any frame") << false;
    }
    void startupDialogBuiltAfterTheFirstFrame()
    {
        QFETCH(bool, mainWindowFirst);
        qctest::ProgramDir dir;
        QVERIFY(qctest::writeFile(qc::birthdayFilePath(), birthdayFile(9, { { 12, 30 }, { 12, 28 } })));
        m_now = at(QStringLiteral("2026-12-28 10:00:00"));
        qc::ProgramWindows windows;
        const QFont desktop = QApplication::font();
        TSetupForm &dialog = windows.setupForm;
        windows.loadAndRemind();
        QCOMPARE(m_announced, (QStringList { "12-28", "12-30" }));
        QVERIFY(!dialog.findChild<QListWidget *>(QStringLiteral("ListBox1")));

        if (mainWindowFirst) {
            windows.mainform.show();
            QTRY_VERIFY(dialog.findChild<QListWidget *>(QStringLiteral("ListBox1")));
            QVERIFY(dialog.isHidden());
        } else {
            dialog.show();
        }
        const auto *list = dialog.findChild<QListWidget *>(QStringLiteral("ListBox1"));
        QVERIFY(list);
        QCOMPARE(list->count(), 2);
        QCOMPARE(list->item(0)->text(), QStringLiteral("12-28  12-28"));
        QCOMPARE(dialog.findChild<QLineEdit *>(QStringLiteral("Edit4"))->text(), QStringLiteral("9"));
        for (const char *name :
            { "Panel1", "Panel2", "Label1", "Label5", "Edit1", "Edit3", "BitBtn1", "BitBtn4" })
            QVERIFY2(dialog.findChild<QWidget *>(QLatin1String(name)), name);
        QCOMPARE(dialog.findChild<QLabel *>(QStringLiteral("Label1"))->font().pixelSize(), 16);
        QCOMPARE(QApplication::font(), desktop); // the dialog's font while it was built, then back
    }

private:
    QDateTime m_now;
    QStringList m_announced;
    qctest::ScopedMessageHook m_hook { [this](qc::MessageKind kind, const QString &, const QString &text) {
        m_announced.append(kind == qc::MessageKind::Information ? shortForm(text) : text);
        return true;
    } };
    qctest::ScopedClock m_clock { [this] { return m_now; } };
};

QTEST_MAIN(TestNewDay)
#include "tst_newday.moc"
