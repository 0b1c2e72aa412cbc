// The program entry: the start-up sequence. The three windows are created once here and live
// until the program ends; the birthdays are loaded and announced before the main window shows.
#include "components/taskbarentry.h"
#include "core/platform.h"
#include "forms/fontwarmup.h"
#include "forms/messages.h"
#include "forms/startup.h"

#include <QApplication>

#include <array>

namespace {

// The show command the program was started with: minimised or maximised on request.
void showMainWindow(Tmainform &mainform)
{
    switch (qc::platform::startShowCommand()) {
    case qc::platform::StartShow::Minimized:
        // Where the program has a taskbar entry of its own, it starts as that entry alone.
        if (qc::hasTaskbarEntry()) {
            mainform.show();
            qc::minimizeToTaskbarEntry();
        } else {
            mainform.showMinimized();
        }
        break;
    case qc::platform::StartShow::Maximized:
        mainform.showMaximized();
        break;
    case qc::platform::StartShow::Normal:
        mainform.show();
        break;
    }
}

} // namespace

int main(int argc, char *argv[])
{
    // The font configuration is read meanwhile (before any window measures its text).
    qc::FontSystemWarmUp fontWarmUp;
    // The program takes no command line, and neither does Qt for it: the application object sees
    // the program name alone, so "-reverse", "-platform", "-style" and the like change nothing.
    // (Qt's environment variables, QT_QPA_PLATFORM and the others, stay the user's to set.)
    static char fallbackName[] = "quorvelcal";
    char *programName = argc > 0 && argv[0] ? argv[0] : fallbackName;
    int qtArgc = 1;
    std::array<char *, 2> qtArgv { programName, nullptr };
    QApplication app(qtArgc, qtArgv.data());
    qc::prepareApplication(app);
    fontWarmUp.wait();
    if (!qc::programDirectoryUsable())
        return 1;
    qc::ProgramWindows windows;
    // The taskbar entry is in place before the start-up reminders, which show while it is up.
    qc::attachTaskbarEntry(&windows.mainform, qc::applicationTitle());
    windows.loadAndRemind();
    showMainWindow(windows.mainform);
    app.exec();
    return 0;
}
