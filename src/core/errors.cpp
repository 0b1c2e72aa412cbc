// The program's exception types and the texts of the I/O error codes.
#include "errors.h"

#include <QDir>

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

namespace {

// Windows' system error numbers (winerror.h), fixed by its interface; here so that the mapping is
// the same text on every system.
namespace WindowsError {
constexpr unsigned long FileNotFound = 2;
constexpr unsigned long PathNotFound = 3;
constexpr unsigned long TooManyOpenFiles = 4;
constexpr unsigned long AccessDenied = 5;
constexpr unsigned long WriteProtect = 19;
constexpr unsigned long WriteFault = 29;
constexpr unsigned long ReadFault = 30;
constexpr unsigned long SharingViolation = 32;
constexpr unsigned long LockViolation = 33;
constexpr unsigned long HandleDiskFull = 39;
constexpr unsigned long DiskFull = 112;
constexpr unsigned long InvalidName = 123;
constexpr unsigned long BadPathname = 161;
constexpr unsigned long FilenameTooLong = 206;
constexpr unsigned long FileTooLarge = 223;
constexpr unsigned long NotADirectory = 267;
constexpr unsigned long DiskQuotaExceeded = 1295;
} // namespace WindowsError

} // namespace

std::optional<int> ioErrorCodeFromWindowsError(unsigned long systemError)
{
    switch (systemError) {
    case WindowsError::FileNotFound:
        return IoError::FileNotFound;
    case WindowsError::PathNotFound:
    case WindowsError::InvalidName:
    case WindowsError::BadPathname:
    case WindowsError::FilenameTooLong:
    case WindowsError::NotADirectory:
        return IoError::InvalidFilename;
    case WindowsError::TooManyOpenFiles:
        return IoError::TooManyOpenFiles;
    case WindowsError::AccessDenied:
    case WindowsError::WriteProtect: // a write-protected disk, as a read-only file system elsewhere
        return IoError::AccessDenied;
    case WindowsError::WriteFault:
        return IoError::WriteFault;
    case WindowsError::ReadFault:
        return IoError::ReadFault;
    case WindowsError::SharingViolation:
    case WindowsError::LockViolation:
        return IoError::FileInUse;
    case WindowsError::HandleDiskFull:
    case WindowsError::DiskFull:
    case WindowsError::FileTooLarge:
    case WindowsError::DiskQuotaExceeded:
        return IoError::DiskFull;
    default:
        return std::nullopt;
    }
}

EInOutError ioErrorFromWindowsError(unsigned long systemError)
{
    const std::optional<int> code = ioErrorCodeFromWindowsError(systemError);
    if (!code)
        return EInOutError(int(systemError), QStringLiteral("I/O error %1").arg(systemError));
    if (*code == IoError::FileInUse)
        return EInOutError(*code, QStringLiteral("另一个程序正在使用这个文件，请关闭那个程序后再试"));
    return EInOutError(*code);
}

EInOutError fileInUseError(const QString &path)
{
    return EInOutError(IoError::FileInUse,
        QStringLiteral("“%1”正被另一个程序使用，无法替换，所以没有保存。请关闭那个程序后再试")
            .arg(QDir::toNativeSeparators(path)));
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
