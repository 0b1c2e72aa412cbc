#include "startup.h"

#include "components/glyphs.h"
#include "fonts.h"
#include "messages.h"

#include <QApplication>

namespace qc {

void prepareApplication(QApplication &app)
{
    // The title stays ours: as the application display name Qt would append it to every caption.
    app.setApplicationName(QStringLiteral("quorvelcal"));
    QApplication::setWindowIcon(programIcon());
    // The program ends when the main window closes, not when its last visible window does: the
    // main window may be hidden behind the notification-area icon while a dialog closes.
    QApplication::setQuitOnLastWindowClosed(false);
    installFontSubstitutions();
    installToolTipTiming(app);
}

ProgramWindows::ProgramWindows()
{
    QObject::connect(&mainform, &Tmainform::closed, qApp, &QCoreApplication::quit);
    mainform.setSetupForm(&setupForm);
    mainform.setAboutForm(&aboutForm);
}

void ProgramWindows::loadAndRemind()
{
    mainform.StartupLoad = true;
    guarded([&] { mainform.BitBtn6Click(); });
    guarded([&] { setupForm.BitBtn4Click(); });
    mainform.StartupLoad = false;
}

} // namespace qc
