#include "startup.h"

#include "components/glyphs.h"
#include "core/editorprocess.h"
#include "fonts.h"
#include "messages.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

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
    // The system's own boxes (Yes and No of the exit question) in the desktop's language.
    auto *translator = new QTranslator(&app);
    if (translator->load(QLocale::system(), QStringLiteral("qtbase"), QStringLiteral("_"),
            QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
    else
        delete translator;
}

ProgramWindows::ProgramWindows()
{
    QObject::connect(&mainform, &Tmainform::closed, qApp, &QCoreApplication::quit);
    setMainWindow(&mainform);
    // The error box of an editor that could not be started comes once the current event is done.
    setLateErrorHandler(&reportExceptionLater);
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
