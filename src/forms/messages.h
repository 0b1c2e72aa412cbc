// The program's message windows. The handler guard comes with them: this unit makes the ordinary
// error box the sink of every guard in the program.
#pragma once

#include "components/guard.h"
#include "core/errors.h"

#include <QList>
#include <QString>
#include <QStringView>

#include <functional>

class QDialog;
class QMessageBox;
class QWidget;

namespace qc {

// "Quorvel日历记事本 V1.0": the caption of the error box and of the information window.
QString applicationTitle();

enum class MessageKind { Error, Information, Question };

// The program's main window: the owner of every modal window that opens while no other is open.
void setMainWindow(QWidget *window);

// Runs a dialog modally over the window it is opened from (the topmost open modal window, else
// the main window) and that window's owners, which it disables and stays in front of. It is
// window-modal, not application-modal, so the notification-area icon, a window of its own, keeps
// answering meanwhile.
int execModal(QDialog *dialog);

// Modal error box: caption the application title, stop icon, one OK; the text is
// errorBoxText(message), shown as plain text.
void showErrorBox(const QString &message);

// The information message window: caption the application title, no icon, one "OK" that
// answers Enter and Esc, text word-wrapped at half the screen width ("&" underlines, "&&" is "&"),
// centred on the screen.
void showInformation(const QString &text);

// The Yes/No question box with no icon, Yes the default. True for Yes.
bool askYesNo(const QString &caption, const QString &text);

// Text with the "&" prefixes resolved: "&x" gives x underlined, "&&" gives one "&", a lone "&" at the end
// is dropped. underlined holds the positions in text of the underlined characters.
struct MnemonicText
{
    QString text;
    QList<qsizetype> underlined;
};
MnemonicText resolveMnemonics(QStringView text);

// The windows behind showInformation(), askYesNo() and showErrorBox() (given the box's text),
// unshown and parentless, so tests can drive them. Each is at least as wide as its caption needs.
QDialog *createInformationWindow(const QString &text);
QMessageBox *createQuestionBox(const QString &caption, const QString &text);
QMessageBox *createErrorBox(const QString &text);

// Tests replace the modal windows: the hook receives every message instead and, for questions,
// returns true for Yes. An empty hook restores the real windows.
using MessageHook = std::function<bool(MessageKind kind, const QString &caption, const QString &text)>;
void setMessageHookForTesting(MessageHook hook);

} // namespace qc
