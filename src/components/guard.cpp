// The handler guard's reporting: an exception becomes its message, and the message goes to the sink.
#include "guard.h"

#include "core/errors.h"

#include <QCoreApplication>
#include <QTimer>

namespace qc {

namespace {

ErrorSink &errorSink()
{
    static ErrorSink sink;
    return sink;
}

QString messageOf(std::exception_ptr error)
{
    try {
        std::rethrow_exception(std::move(error));
    } catch (const Exception &e) {
        return e.message();
    } catch (const std::exception &e) {
        return QString::fromLocal8Bit(e.what());
    } catch (...) {
        return QStringLiteral("Unknown exception");
    }
}

} // namespace

void setErrorSink(ErrorSink sink)
{
    errorSink() = std::move(sink);
}

void reportException(std::exception_ptr error)
{
    const QString message = messageOf(std::move(error));
    if (errorSink())
        errorSink()(message);
    else
        qWarning("%s", qUtf8Printable(message));
}

void reportExceptionLater(std::exception_ptr error)
{
    QTimer::singleShot(0, qApp, [error = std::move(error)] { reportException(error); });
}

} // namespace qc
