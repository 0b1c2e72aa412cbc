// The program entry: the start-up sequence. The three windows are created once here and live
// until the program ends; the birthdays are loaded and announced before the main window shows.
#include "core/platform.h"
#include "forms/startup.h"

#include <QApplication>

namespace {

// The show command the program was started with: minimised or maximised on request.
void showMainWindow(Tmainform &mainform)
{
    switch (qc::platform::startShowCommand()) {
    case qc::platform::StartShow::Minimized:
        mainform.showMinimized();
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
    QApplication app(argc, argv);
    qc::prepareApplication(app);
    if (!qc::programDirectoryUsable())
        return 1;
    qc::ProgramWindows windows;
    windows.loadAndRemind();
    showMainWindow(windows.mainform);
    app.exec();
    return 0;
}
