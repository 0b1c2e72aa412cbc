// The program's three windows, created once in start-up order, and the start-up steps that run
// before the message loop. main() runs them; the start-up benchmark and the tests run the same code.
#pragma once

#include "UABOUT.h"
#include "fonts.h"
#include "mainunit.h"
#include "usetup.h"

#include <QLocale>

#include <QObject>

#include <functional>

class QApplication;
class QTranslator;

namespace qc {

// The application object's settings: icon, quit policy, font substitutions and hint timing.
void prepareApplication(QApplication &app);

// Qt's translation for the desktop's language, from translations/ in the program's folder where
// there is one, else from Qt's own folder; none (Qt's English) when neither has it. Returns the
// installed translator, owned by the application.
QTranslator *installQtTranslation(QApplication &app, const QLocale &locale = QLocale::system());

// True when the program's own directory can hold its notes and birthdays; otherwise the error box
// says why, and the program must end before it reads or writes anything.
bool programDirectoryUsable();

// Runs a function once, when the first frame of a window is out (the zero timer runs after the
// backing store has painted and flushed the whole window); never, if the window never paints.
class AfterFirstFrame : public QObject
{
public:
    AfterFirstFrame(const QWidget *window, std::function<void()> run);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    const QWidget *m_window;
    std::function<void()> m_run;
};

class ProgramWindows
{
public:
    // The main window, the birthday dialog and the about dialog, in that order (members are
    // built in declaration order), in the main window's font; the desktop's is back once they are
    // built. The dialogs build their controls when they are first shown, the birthday dialog
    // already once the main window's first frame is out. Closing the main window ends the
    // message loop.
    ProgramWindows();

    // The birthday list is loaded and every birthday due is announced, before the main window is
    // ever shown; the birthday dialog stays hidden meanwhile.
    void loadAndRemind();

private:
    ApplicationFontScope m_buildFont;

public:
    Tmainform mainform;
    TSetupForm setupForm { nullptr, TSetupForm::Controls::Later };
    TAboutForm aboutForm;

private:
    AfterFirstFrame m_buildSetupForm { &mainform, [this] { setupForm.buildControls(); } };
};

} // namespace qc
