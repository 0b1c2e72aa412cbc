// The show command a Windows shortcut starts the program with ("Run: minimised / maximised"),
// read from the process's own start-up information: this test starts itself with each one.
#include "core/platform.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTest>

#include <qt_windows.h>

namespace {

constexpr char ReportVariable[] = "QC_REPORT_SHOW_COMMAND";
constexpr int NoShowWindow = -1;

} // namespace

class TestShowCommand : public QObject
{
    Q_OBJECT

private slots:
    void startedWith_data()
    {
        QTest::addColumn<int>("showWindow");
        QTest::addColumn<int>("expected");
        using qc::platform::StartShow;
        QTest::newRow("minimised without activation (7)") << SW_SHOWMINNOACTIVE << int(StartShow::Minimized);
        QTest::newRow("minimised (2)") << SW_SHOWMINIMIZED << int(StartShow::Minimized);
        QTest::newRow("minimise (6)") << SW_MINIMIZE << int(StartShow::Minimized);
        QTest::newRow("maximised (3)") << SW_SHOWMAXIMIZED << int(StartShow::Maximized);
        QTest::newRow("normal (1)") << SW_SHOWNORMAL << int(StartShow::Normal);
        QTest::newRow("default (10)") << SW_SHOWDEFAULT << int(StartShow::Normal);
        QTest::newRow("no show command") << NoShowWindow << int(StartShow::Normal);
    }
    void startedWith()
    {
        QFETCH(int, showWindow);
        QFETCH(int, expected);
        QProcess child;
        child.setProgram(QCoreApplication::applicationFilePath());
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QLatin1String(ReportVariable), QStringLiteral("1"));
        child.setProcessEnvironment(environment);
        child.setCreateProcessArgumentsModifier([showWindow](QProcess::CreateProcessArguments *arguments) {
            if (showWindow == NoShowWindow) {
                arguments->startupInfo->dwFlags &= ~DWORD(STARTF_USESHOWWINDOW);
            } else {
                arguments->startupInfo->dwFlags |= STARTF_USESHOWWINDOW;
                arguments->startupInfo->wShowWindow = WORD(showWindow);
            }
        });
        child.start();
        QVERIFY(child.waitForFinished(60000));
        QCOMPARE(child.exitStatus(), QProcess::NormalExit);
        QCOMPARE(child.exitCode(), expected);
    }
};

int main(int argc, char *argv[])
{
    // The child started by the test answers with what it was started with, and nothing else.
    if (qEnvironmentVariableIsSet(ReportVariable))
        return int(qc::platform::startShowCommand());
    QCoreApplication app(argc, argv);
    TestShowCommand test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_showcommand_win.moc"
