// The application's set-up and the start-up steps that run before the message loop (see startup.h).
#include "startup.h"

#include "components/glyphs.h"
#include "core/editorprocess.h"
#include "core/programdir.h"
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
    // The desktop entry's name: Wayland matches the windows to the entry (icon, launcher) by it.
    QGuiApplication::setDesktopFileName(QStringLiteral(QC_APP_ID));
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

bool programDirectoryUsable()
{
    const QString problem = programDirectoryProblem();
    if (problem.isEmpty())
        return true;
    showErrorBox(problem);
    return false;
}

ProgramWindows::ProgramWindows()
    : m_buildFont(designFont(QStringLiteral("MS Sans Serif"), 11))
{
    m_buildFont.restore();
    QObject::connect(&mainform, &Tmainform::closed, qApp, &QCoreApplication::quit);
    setMainWindow(&mainform);
    // The error box of an editor that could not be started comes once the current event is done.
    setLateErrorHandler(&reportExceptionLater);
    mainform.setSetupForm(&setupForm);
    mainform.setAboutForm(&aboutForm);
}

void ProgramWindows::loadAndRemind()
{
    mainform.remindBirthdays(true);
}

} // namespace qc
