// The main window driven through its controls: spinner steps and how often the grid reports a
// change, jumping to today, the status bar after a click on a day, the note button, the clock,
// the exit question, the close box, hiding and coming back through the icon.
#include "components/calendar.h"
#include "components/panel.h"
#include "components/trayicon.h"
#include "core/clock.h"
#include "core/daynotes.h"
#include "forms/mainunit.h"
#include "forms/messages.h"
#include "testsupport.h"

#include <QFile>
#include <QLocale>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <memory>

namespace {

struct Shown
{
    qc::MessageKind kind;
    QString caption;
    QString text;
};

QString heldKey(const TCalendar *grid)
{
    return QStringLiteral("%1-%2-%3").arg(grid->Year()).arg(grid->Month()).arg(grid->Day());
}

} // namespace

// A notification area that is there or not, as the test says.
class FakeTray final : public qc::TrayShell
{
public:
    explicit FakeTray(bool available)
        : m_available(available)
    { }
    bool available() const override { return m_available; }
    void notify(Message, const Record &) override { }

private:
    bool m_available;
};

class TestMainUnit : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_shown.clear();
        m_started.clear();
        m_answer = false;
    }
    void cleanup()
    {
        m_form.reset();
        m_dir.reset();
        qctest::restoreClock();
    }

    void startsEmptyAndReady()
    {
        createOn(QDate(2000, 1, 31));
        QCOMPARE(m_form->windowTitle(), QStringLiteral("Quorvel Calendar V1.0"));
        QCOMPARE(m_form->size(), QSize(441, 273));
        QVERIFY(!(m_form->windowFlags() & Qt::WindowMaximizeButtonHint));
        QCOMPARE(m_form->statusText(0), QStringLiteral("Quorvel Studio"));
        QCOMPARE(m_form->statusText(1), QString());
        QCOMPARE(m_form->statusText(2), QString());
        // The three status panels at 0, 100 and 250, and the credit line fits its panel.
        QCOMPARE(panel("SBARPanel0")->geometry().left(), 0);
        QCOMPARE(panel("SBARPanel1")->geometry().left(), 100);
        QCOMPARE(panel("SBARPanel2")->geometry().left(), 250);
        QVERIFY(panel("SBARPanel0")->fontMetrics().horizontalAdvance(m_form->statusText(0))
            <= panel("SBARPanel0")->contentsRect().width());
        QCOMPARE(upDown("UpDown1")->value(), 2000);
        QCOMPARE(upDown("UpDown2")->value(), 1);
        QCOMPARE(grid()->toolTip(), QStringLiteral("2000-1-31"));
        QCOMPARE(panel("Edit1")->text(), QString());
        const QList<QPushButton *> buttons = m_form->findChildren<QPushButton *>();
        QCOMPARE(buttons.size(), 6);
        for (const QPushButton *button : buttons)
            QVERIFY(!button->isDefault() && !button->autoDefault());

        m_form->show();
        QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
        QCOMPARE(QApplication::focusWidget(), button("BitBtn2"));
        // Enter presses the focused button although none is a default button.
        QTest::keyClick(button("BitBtn2"), Qt::Key_Return);
        QTRY_COMPARE(m_started.size(), 1);
        const qc::EditorCommand expected = qc::editorCommand(m_dir->filePath(QStringLiteral("000131.QVN")));
        QCOMPARE(m_started[0].program, expected.program);
        QCOMPARE(m_started[0].arguments, expected.arguments);
        QCOMPARE(m_started[0].nativeArguments, expected.nativeArguments);
        QCOMPARE(m_form->statusText(2), QString());
    }

    void clockFilledByFirstTick()
    {
        qctest::fixClock(QDateTime(QDate(2001, 2, 15), QTime(9, 8, 7)));
        createOn({});
        QCOMPARE(panel("Edit2")->text(), QString());
        QTRY_VERIFY_WITH_TIMEOUT(!panel("Edit2")->text().isEmpty(), 3000);
        QCOMPARE(
            panel("Edit1")->text(), QLocale::system().toString(QDate(2001, 2, 15), QLocale::ShortFormat));
        QVERIFY(panel("Edit2")->text().startsWith(QStringLiteral("09:08:07"))
            || panel("Edit2")->text().startsWith(QStringLiteral("9:08:07")));
    }

    void spinnerSteps_data()
    {
        QTest::addColumn<QDate>("held");
        QTest::addColumn<QString>("spinner");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<int>("changes");
        QTest::newRow("month up") << QDate(2000, 3, 15) << "UpDown2" << int(Qt::Key_Up) << "2000-4-15" << 1;
        QTest::newRow("year down") << QDate(2000, 3, 15) << "UpDown1" << int(Qt::Key_Down) << "1999-3-15"
                                   << 1;
        QTest::newRow("31 Jan to Feb")
            << QDate(2000, 1, 31) << "UpDown2" << int(Qt::Key_Up) << "2000-2-29" << 2;
        QTest::newRow("31 Mar to Apr")
            << QDate(1999, 3, 31) << "UpDown2" << int(Qt::Key_Up) << "1999-4-30" << 2;
        QTest::newRow("29 Feb to common year")
            << QDate(2000, 2, 29) << "UpDown1" << int(Qt::Key_Up) << "2001-2-28" << 2;
        QTest::newRow("page up is one step")
            << QDate(2000, 3, 15) << "UpDown2" << int(Qt::Key_PageUp) << "2000-4-15" << 1;
        QTest::newRow("year end 2100")
            << QDate(2100, 6, 1) << "UpDown1" << int(Qt::Key_Up) << "2100-6-1" << 0;
        QTest::newRow("year end 1900")
            << QDate(1900, 6, 1) << "UpDown1" << int(Qt::Key_Down) << "1900-6-1" << 0;
        QTest::newRow("month end 12")
            << QDate(2000, 12, 5) << "UpDown2" << int(Qt::Key_Up) << "2000-12-5" << 0;
        QTest::newRow("month end 1") << QDate(2000, 1, 5) << "UpDown2" << int(Qt::Key_Down) << "2000-1-5"
                                     << 0;
    }
    void spinnerSteps()
    {
        QFETCH(QDate, held);
        QFETCH(QString, spinner);
        QFETCH(int, key);
        QFETCH(QString, expected);
        QFETCH(int, changes);
        createOn(held);
        TUpDown *spin = upDown(spinner);
        const int before = spin->value();
        QSignalSpy changed(grid(), &TCalendar::OnChange);
        QTest::keyClick(spin, Qt::Key(key));
        QCOMPARE(heldKey(grid()), expected);
        QCOMPARE(changed.size(), changes);
        QVERIFY(m_shown.isEmpty());
        QCOMPARE(upDown("UpDown1")->value(), grid()->Year());
        QCOMPARE(upDown("UpDown2")->value(), grid()->Month());
        QCOMPARE(qAbs(spin->value() - before), changes ? 1 : 0);
        if (changes) {
            QCOMPARE(m_form->statusText(1), QStringLiteral("Date :") + expected);
            QCOMPARE(grid()->toolTip(), expected);
        }
    }

    void settingPositionRunsNothing()
    {
        createOn(QDate(2000, 3, 15));
        QSignalSpy changed(grid(), &TCalendar::OnChange);
        QSignalSpy clicked(upDown("UpDown1"), &TUpDown::Click);
        upDown("UpDown1")->setPosition(2005);
        QCOMPARE(clicked.size(), 0);
        QCOMPARE(changed.size(), 0);
    }

    void jumpToToday_data()
    {
        QTest::addColumn<QDate>("held");
        QTest::addColumn<QDate>("today");
        QTest::addColumn<int>("changes");
        QTest::newRow("31 Jan 2000 to 15 Feb 2001") << QDate(2000, 1, 31) << QDate(2001, 2, 15) << 3;
        QTest::newRow("29 Feb 2000 to 1 Mar 2001") << QDate(2000, 2, 29) << QDate(2001, 3, 1) << 3;
        QTest::newRow("31 Mar to 30 Apr") << QDate(2000, 3, 31) << QDate(2000, 4, 30) << 2;
        QTest::newRow("ordinary") << QDate(2000, 1, 10) << QDate(2000, 3, 5) << 2;
        QTest::newRow("year only") << QDate(1999, 6, 5) << QDate(2003, 6, 5) << 1;
        QTest::newRow("already today") << QDate(2000, 1, 31) << QDate(2000, 1, 31) << 0;
    }
    void jumpToToday()
    {
        QFETCH(QDate, held);
        QFETCH(QDate, today);
        QFETCH(int, changes);
        createOn(held);
        qctest::fixToday(today);
        QSignalSpy changed(grid(), &TCalendar::OnChange);
        QTest::mouseClick(button("BitBtn1"), Qt::LeftButton);
        QVERIFY(m_shown.isEmpty());
        QCOMPARE(changed.size(), changes);
        const QString key = qc::dateKey(today.year(), today.month(), today.day());
        QCOMPARE(heldKey(grid()), key);
        QCOMPARE(upDown("UpDown1")->value(), today.year());
        QCOMPARE(upDown("UpDown2")->value(), today.month());
        QCOMPARE(grid()->toolTip(), key);
        QCOMPARE(m_form->statusText(1), changes ? QStringLiteral("Date :") + key : QString());
        QCOMPARE(m_form->statusText(2), changes ? QStringLiteral("0 Bytes") : QString());
    }

    void clickOnDayShowsDateAndNoteSize_data()
    {
        QTest::addColumn<QString>("day");
        QTest::addColumn<QByteArray>("note");
        QTest::addColumn<QString>("size");
        QTest::addColumn<qint64>("extent"); // the note grown sparsely to this length, if not 0
        QTest::newRow("no note") << "15" << QByteArray() << "0 Bytes" << qint64(0);
        QTest::newRow("with note") << "20" << QByteArray("[At]2000-1-20\r\nhello") << "20 Bytes" << qint64(0);
        QTest::newRow("a megabyte") << "21" << QByteArray("x") << "1048576 Bytes" << (qint64(1) << 20);
        QTest::newRow("ten gigabytes")
            << "22" << QByteArray("x") << "10737418240 Bytes" << (qint64(10) << 30);
    }
    void clickOnDayShowsDateAndNoteSize()
    {
        QFETCH(QString, day);
        QFETCH(QByteArray, note);
        QFETCH(QString, size);
        QFETCH(qint64, extent);
        createOn(QDate(2000, 1, 31));
        if (!note.isEmpty()) {
            QFile file(m_dir->filePath(qc::noteFileName(2000, 1, day.toInt())));
            QVERIFY(file.open(QIODevice::WriteOnly));
            QCOMPARE(file.write(note), note.size());
            QVERIFY(extent == 0 || file.resize(extent));
            file.close();
        }
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
        QPoint cell(-1, -1);
        for (int row = 1; row < 7; ++row)
            for (int column = 0; column < 7; ++column)
                if (grid()->CellLabel(column, row) == day)
                    cell = grid()->CellRect(column, row).center();
        QVERIFY(cell.x() >= 0);
        QTest::mouseClick(grid(), Qt::LeftButton, {}, cell);
        const QString key = QStringLiteral("2000-1-") + day;
        QTRY_COMPARE(m_form->statusText(1), QStringLiteral("Date :") + key);
        QCOMPARE(m_form->statusText(2), size);
        // Every size reads whole, in its panel or, where none fits, on to the bar's edge.
        const auto *sizePanel = m_form->findChild<TPanel *>(QStringLiteral("SBARPanel2"));
        QVERIFY(sizePanel && sizePanel->captionFits());
        QVERIFY(sizePanel->width() > 48 || extent < (qint64(1) << 30));
        QCOMPARE(grid()->toolTip(), key);
        QCOMPARE(upDown("UpDown1")->value(), 2000);
        QCOMPARE(upDown("UpDown2")->value(), 1);
    }

    void exitQuestion_data()
    {
        QTest::addColumn<bool>("answer");
        QTest::newRow("yes closes") << true;
        QTest::newRow("no keeps running") << false;
    }
    void exitQuestion()
    {
        QFETCH(bool, answer);
        createOn(QDate(2000, 1, 31));
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
        QSignalSpy closed(m_form.get(), &Tmainform::closed);
        m_answer = answer;
        QTest::mouseClick(button("BitBtn5"), Qt::LeftButton);
        QCOMPARE(m_shown.size(), 1);
        QCOMPARE(m_shown[0].kind, qc::MessageKind::Question);
        QCOMPARE(m_shown[0].caption, QStringLiteral("Quorvel日历记事本"));
        QCOMPARE(m_shown[0].text, QStringLiteral("您确信要退出Quorvel日历记事本吗"));
        QCOMPARE(closed.size(), answer ? 1 : 0);
        QCOMPARE(m_form->isVisible(), !answer);
    }

    void closeBoxAsksNothing()
    {
        createOn(QDate(2000, 1, 31));
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
        QSignalSpy closed(m_form.get(), &Tmainform::closed);
        QVERIFY(m_form->close());
        QVERIFY(m_shown.isEmpty());
        QCOMPARE(closed.size(), 1);
    }

    void hideAndComeBackThroughIcon_data()
    {
        QTest::addColumn<bool>("trayAvailable");
        QTest::newRow("notification area") << true;
        QTest::newRow("no notification area") << false;
    }

    void hideAndComeBackThroughIcon()
    {
        QFETCH(bool, trayAvailable);
        {
            const qctest::ScopedTrayShellFactory tray(
                [trayAvailable] { return std::make_unique<FakeTray>(trayAvailable); });
            createOn(QDate(2000, 1, 31));
        }
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
        QTest::mouseClick(button("BitBtn4"), Qt::LeftButton);
        if (trayAvailable)
            QVERIFY(!m_form->isVisible());
        else
            QVERIFY(m_form->isVisible() && m_form->isMinimized()); // never stranded without an icon
        m_form->iTaskClick(nullptr);
        QVERIFY(m_form->isVisible());
        QVERIFY(!m_form->isMinimized());

        m_form->showMinimized();
        m_form->iTaskClick(nullptr);
        QVERIFY(m_form->isVisible());
        QVERIFY(!m_form->isMinimized());
    }

private:
    void createOn(QDate today)
    {
        if (today.isValid())
            qctest::fixToday(today);
        // One test directory at a time: a ProgramDir resets the program path when it goes.
        m_form.reset();
        m_dir.reset();
        m_dir = std::make_unique<qctest::ProgramDir>();
        m_form = std::make_unique<Tmainform>();
    }
    TCalendar *grid() const { return m_form->calendar(); }
    TUpDown *upDown(const QString &name) const { return m_form->findChild<TUpDown *>(name); }
    QPushButton *button(const char *name) const
    {
        return m_form->findChild<QPushButton *>(QLatin1String(name));
    }
    QLabel *panel(const char *name) const { return m_form->findChild<QLabel *>(QLatin1String(name)); }

    std::unique_ptr<qctest::ProgramDir> m_dir;
    std::unique_ptr<Tmainform> m_form;
    QList<Shown> m_shown;
    QList<qc::EditorCommand> m_started;
    bool m_answer = false;
    qctest::ScopedMessageHook m_hook { [this](qc::MessageKind kind, const QString &caption,
                                           const QString &text) {
        m_shown.append({ kind, caption, text });
        return m_answer;
    } };
    qctest::ScopedNoteLauncher m_launcher { [this](const qc::EditorCommand &command) {
        m_started.append(command);
    } };
};

QTEST_MAIN(TestMainUnit)
#include "tst_mainunit.moc"
