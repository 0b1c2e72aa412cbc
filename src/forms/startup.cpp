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
#include <QTimer>
#include <QTranslator>

#include <memory>

namespace qc {

void prepareApplication(QApplication &app)
{
    // The application's name is its title, which notification-area hosts show as the icon's title.
    // (Not the display name: Qt would append that to every caption.) X11 desktops match the windows
    // to the desktop entry by the executable's name, the instance part of the window class.
    app.setApplicationName(applicationTitle());
    // The desktop entry's name: Wayland matches the windows to the entry (icon, launcher) by it.
    QGuiApplication::setDesktopFileName(QStringLiteral(QC_APP_ID));
    QApplication::setWindowIcon(programIcon());
    // The program ends when the main window closes, not when its last visible window does: the
    // main window may be hidden behind the notification-area icon while a dialog closes.
    QApplication::setQuitOnLastWindowClosed(false);
    installFontSubstitutions();
    installToolTipTiming(app);
    installQtTranslation(app);
}

QTranslator *installQtTranslation(QApplication &app, const QLocale &locale)
{
    // Qt's own texts (Yes and No of the exit question, the fields' context menus) in the language
    // of the desktop. The portable program brings them in translations/ beside itself, as the
    // Windows ZIP does; an installed one uses Qt's.
    const QStringList folders { programDirectory() + QStringLiteral("/translations"),
        QLibraryInfo::path(QLibraryInfo::TranslationsPath) };
    auto translator = std::make_unique<QTranslator>(&app);
    for (const QString &folder : folders) {
        if (translator->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"), folder)) {
            QCoreApplication::installTranslator(translator.get());
            return translator.release();
        }
    }
    return nullptr;
}

bool programDirectoryUsable()
{
    const QString problem = programDirectoryProblem();
    if (problem.isEmpty())
        return true;
    showErrorBox(problem);
    return false;
}

AfterFirstFrame::AfterFirstFrame(const QWidget *window, std::function<void()> run)
    : m_window(window)
    , m_run(std::move(run))
{
    qApp->installEventFilter(this);
}

bool AfterFirstFrame::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Paint && watched->isWidgetType()
        && static_cast<const QWidget *>(watched)->window() == m_window) {
        qApp->removeEventFilter(this);
        QTimer::singleShot(0, this, m_run);
    }
    return false;
}

ProgramWindows::ProgramWindows()
    : m_buildFont(Tmainform::ownFont())
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
