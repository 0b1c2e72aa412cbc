// The program's taskbar entry: a window of its own with the program's title owns the main window,
// so the taskbar lists the program once, by that title, exactly while one of its windows shows.
// What the taskbar lists are the visible unowned top-level windows without the tool-window style.
#include "components/taskbarentry.h"

#include <QDialog>
#include <QTest>
#include <QWidget>

#include <qt_windows.h>

namespace {

const QString ProgramTitle = QStringLiteral("Quorvel日历记事本 V1.0");

QList<HWND> taskbarWindows()
{
    QList<HWND> windows;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND hwnd, LPARAM list) -> BOOL {
            if (IsWindowVisible(hwnd) && !GetWindow(hwnd, GW_OWNER)
                && !(GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_TOOLWINDOW))
                reinterpret_cast<QList<HWND> *>(list)->append(hwnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&windows));
    return windows;
}

QString titleOf(HWND hwnd)
{
    wchar_t buffer[256] = {};
    const int length = GetWindowTextW(hwnd, buffer, 256);
    return QString::fromWCharArray(buffer, length);
}

HWND handleOf(const QWidget &widget)
{
    return reinterpret_cast<HWND>(widget.winId());
}

} // namespace

class TestTaskbar : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_main = std::make_unique<QWidget>();
        m_main->setWindowTitle(QStringLiteral("Quorvel Calendar V1.0"));
        m_main->resize(441, 273);
        qc::attachTaskbarEntry(m_main.get(), ProgramTitle);
        QVERIFY(qc::hasTaskbarEntry());
    }
    void cleanup()
    {
        m_main.reset();
        QVERIFY(!qc::hasTaskbarEntry());
        QTRY_VERIFY(taskbarWindows().isEmpty());
    }

    void oneEntryWithTheProgramTitleFollowsTheMainWindow()
    {
        // Nothing is listed before a window shows.
        QCoreApplication::processEvents();
        QVERIFY(taskbarWindows().isEmpty());
        for (int round = 0; round < 2; ++round) {
            m_main->show();
            QTRY_COMPARE(taskbarWindows().size(), 1);
            const HWND entry = taskbarWindows().constFirst();
            QCOMPARE(titleOf(entry), ProgramTitle);
            QCOMPARE(GetWindow(handleOf(*m_main), GW_OWNER), entry);
            QVERIFY(IsWindowVisible(handleOf(*m_main)));
            // Hidden ("隐藏"), the program leaves the taskbar; shown again, it is back.
            m_main->hide();
            QTRY_VERIFY(taskbarWindows().isEmpty());
        }
    }

    void aBoxKeepsTheEntryWhileTheMainWindowIsHidden()
    {
        // A start-up reminder shows before the main window does.
        QDialog box;
        box.setWindowTitle(ProgramTitle);
        box.winId();
        box.windowHandle()->setTransientParent(m_main->windowHandle());
        box.show();
        QTRY_COMPARE(taskbarWindows().size(), 1);
        QVERIFY(taskbarWindows().constFirst() != handleOf(box));
        QCOMPARE(titleOf(taskbarWindows().constFirst()), ProgramTitle);
        box.hide();
        QTRY_VERIFY(taskbarWindows().isEmpty());
    }

    void theMinimiseBoxMinimisesTheProgram()
    {
        m_main->show();
        QTRY_COMPARE(taskbarWindows().size(), 1);
        const HWND entry = taskbarWindows().constFirst();
        const HWND main = handleOf(*m_main);
        SendMessageW(main, WM_SYSCOMMAND, SC_MINIMIZE, 0);
        QTRY_VERIFY(IsIconic(entry));
        QVERIFY(IsWindowVisible(entry));
        QTRY_VERIFY(!IsWindowVisible(main));
        QVERIFY(!IsIconic(main));
        // The notification-area icon brings it back, the main window in front.
        qc::restoreFromTaskbarEntry();
        QTRY_VERIFY(IsWindowVisible(main));
        QVERIFY(!IsIconic(entry));
        QTRY_COMPARE(GetActiveWindow(), main);
        QCOMPARE(taskbarWindows(), QList<HWND> { entry });
    }

    void minimisedAtStartAndRestoredByTheEntry()
    {
        // A shortcut set to "Minimised": the program starts as its taskbar entry alone.
        m_main->show();
        QVERIFY(qc::minimizeToTaskbarEntry());
        QTRY_COMPARE(taskbarWindows().size(), 1);
        const HWND entry = taskbarWindows().constFirst();
        QTRY_VERIFY(IsIconic(entry));
        QTRY_VERIFY(!IsWindowVisible(handleOf(*m_main)));
        // A click on the entry restores it (the system's restore command).
        SendMessageW(entry, WM_SYSCOMMAND, SC_RESTORE, 0);
        QTRY_VERIFY(IsWindowVisible(handleOf(*m_main)));
        QTRY_COMPARE(GetActiveWindow(), handleOf(*m_main));
    }

private:
    std::unique_ptr<QWidget> m_main;
};

QTEST_MAIN(TestTaskbar)
#include "tst_taskbar_win.moc"
