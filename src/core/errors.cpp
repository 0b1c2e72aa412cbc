// The program's exception types and the texts of the I/O error codes.
#include "errors.h"

#include <cerrno>
#include <utility>

namespace qc {

Exception::Exception(QString message)
    : m_message(std::move(message))
    , m_utf8(m_message.toUtf8())
{ }

EInOutError::EInOutError(int errorCode)
    : Exception(ioErrorMessage(errorCode))
    , m_errorCode(errorCode)
{ }

EInOutError::EInOutError(int errorCode, QString message)
    : Exception(std::move(message))
    , m_errorCode(errorCode)
{ }

QString ioErrorMessage(int errorCode)
{
    switch (errorCode) {
    case IoError::FileNotFound:
        return QStringLiteral("File not found");
    case IoError::InvalidFilename:
        return QStringLiteral("Invalid filename");
    case IoError::TooManyOpenFiles:
        return QStringLiteral("Too many open files");
    case IoError::AccessDenied:
        return QStringLiteral("File access denied");
    case IoError::ReadBeyondEnd:
        return QStringLiteral("Read beyond end of file");
    case IoError::DiskFull:
        return QStringLiteral("Disk full");
    case IoError::InvalidNumericInput:
        return QStringLiteral("Invalid numeric input");
    default:
        return QStringLiteral("I/O error %1").arg(errorCode);
    }
}

std::optional<int> ioErrorCodeFromErrno(int systemError)
{
    switch (systemError) {
    case ENOENT:
        return IoError::FileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
        return IoError::InvalidFilename;
    case EMFILE:
    case ENFILE:
        return IoError::TooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR: // a folder where the file should be reads as access denied
        return IoError::AccessDenied;
    case ENOSPC:
    case EFBIG:
#ifdef EDQUOT
    case EDQUOT:
#endif
        return IoError::DiskFull;
    case EIO:
        return IoError::WriteFault; // errno 5 would read as "File access denied"
    default:
        return std::nullopt;
    }
}

EInOutError ioErrorFromErrno(int systemError)
{
    if (const std::optional<int> code = ioErrorCodeFromErrno(systemError))
        return EInOutError(*code);
    return EInOutError(systemError, QStringLiteral("I/O error %1").arg(systemError));
}

QString errorBoxText(const QString &message)
{
    if (message.isEmpty())
        return message;
    // Comparing the UTF-16 unit is enough: a character outside ASCII is stored either with a
    // first byte of 0x80 or more or, when the code page lacks it, as "?"; both sort above ".".
    if (message.back().unicode() > u'.')
        return message + QLatin1Char('.');
    return message;
}

} // namespace qc
