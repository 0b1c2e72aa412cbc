// The program entry: the start-up sequence. The three windows are created once here and live
// until the program ends; the birthdays are loaded and announced before the main window shows.
#include "components/glyphs.h"
#include "core/platform.h"
#include "forms/UABOUT.h"
#include "forms/fonts.h"
#include "forms/mainunit.h"
#include "forms/messages.h"
#include "forms/usetup.h"

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
    // The title stays ours: as the application display name Qt would append it to every caption.
    app.setApplicationName(QStringLiteral("quorvelcal"));
    QApplication::setWindowIcon(qc::programIcon());
    // The program ends when the main window closes, not when its last visible window does: the
    // main window may be hidden behind the notification-area icon while a dialog closes.
    QApplication::setQuitOnLastWindowClosed(false);
    qc::installFontSubstitutions();
    qc::installToolTipTiming(app);

    Tmainform mainform;
    QObject::connect(&mainform, &Tmainform::closed, &app, &QCoreApplication::quit);
    TSetupForm setupForm;
    TAboutForm aboutForm;
    AboutForm = &aboutForm;
    mainform.setSetupForm(&setupForm);
    mainform.setAboutForm(&aboutForm);

    mainform.StartupLoad = true;
    qc::guarded([&] { mainform.BitBtn6Click(); });
    qc::guarded([&] { setupForm.BitBtn4Click(); });
    mainform.StartupLoad = false;

    showMainWindow(mainform);
    app.exec();
    AboutForm = nullptr;
    return 0;
}
