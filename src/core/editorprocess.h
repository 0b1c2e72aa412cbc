// Starting the text editor on a note where the desktop's opener tells whether it could: xdg-open
// exits with a non-zero status when no application takes the note. Its end is watched, never
// waited for (it may run as long as the editor does), and a failure reaches the user after the
// handler that started it has ended.
#pragma once

#include "daynotes.h"
#include "errors.h"

#include <exception>
#include <functional>

namespace qc {

// No editor could be started for the note; the message names the note so the user can open it.
class EEditorError : public Exception
{
public:
    explicit EEditorError(const QString &notePath);
};

// Receives the errors that come up after their handler has ended; the windows show them in the
// error box. Without a handler they go unnoticed.
using LateErrorHandler = std::function<void(std::exception_ptr error)>;
void setLateErrorHandler(LateErrorHandler handler);

// Starts the command, whose one argument is the note, and reports EEditorError when it can't be
// started or exits with a non-zero status. A running editor is never stopped, not even when the
// program ends first.
void startWatchedEditor(const EditorCommand &command);

} // namespace qc
