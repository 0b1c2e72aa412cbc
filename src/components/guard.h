// The guard every event handler body runs under. Qt leaves an exception that escapes a slot
// undefined, so guarded() catches it and hands its message to the error sink, and the event loop
// goes on. The sink is the program's error box, which the window layer installs; the components
// that run handlers only need this unit.
#pragma once

#include <QString>

#include <exception>
#include <functional>
#include <utility>

namespace qc {

// Receives the message of every exception a guard catches. Until one is installed (a program
// without windows) the message goes to the Qt log.
using ErrorSink = std::function<void(const QString &message)>;
void setErrorSink(ErrorSink sink);

// Runs a handler body; an exception that leaves it goes to the error sink.
void reportException(std::exception_ptr error);
template<typename F> void guarded(F &&body)
{
    try {
        std::forward<F>(body)();
    } catch (...) {
        reportException(std::current_exception());
    }
}

// For bodies that must not open a window while they run (painting): the sink gets the message
// once the current event is done.
void reportExceptionLater(std::exception_ptr error);
template<typename F> void guardedDeferred(F &&body)
{
    try {
        std::forward<F>(body)();
    } catch (...) {
        reportExceptionLater(std::current_exception());
    }
}

} // namespace qc
