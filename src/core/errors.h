// The error types of the program. Every message is the text the user sees in the error box,
// so core code reports failures by throwing one of these and never formats messages elsewhere.
#pragma once

#include <QByteArray>
#include <QString>

#include <exception>
#include <optional>

namespace qc {

class Exception : public std::exception
{
public:
    explicit Exception(QString message);

    const QString &message() const noexcept { return m_message; }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};

// A text that is no number, or a date that does not exist.
class EConvertError : public Exception
{
public:
    using Exception::Exception;
};

// A file operation that failed after the file was found; carries one of the program's own I/O error
// codes (IoError below), whose numbers and texts every message of the file layer is built from.
class EInOutError : public Exception
{
public:
    explicit EInOutError(int errorCode);
    // The code with a message of its own where the code's text would not tell the user what to do.
    EInOutError(int errorCode, QString message);

    int errorCode() const noexcept { return m_errorCode; }

private:
    int m_errorCode;
};

namespace IoError {
constexpr int FileNotFound = 2;
constexpr int InvalidFilename = 3;
constexpr int TooManyOpenFiles = 4;
constexpr int AccessDenied = 5;
constexpr int WriteFault = 29;
// A file another program holds open without sharing it (Windows' own number for it); the program
// reports it with a text of its own, not as "I/O error 32".
constexpr int FileInUse = 32;
constexpr int ReadFault = 30;
constexpr int ReadBeyondEnd = 100;
constexpr int DiskFull = 101;
constexpr int InvalidNumericInput = 106;
} // namespace IoError

// "File not found", "File access denied", "Read beyond end of file", ... or "I/O error %d".
QString ioErrorMessage(int errorCode);

// The program's own I/O error code for a system error number (errno); nullopt for a number that
// has none. Callers choose their message from this code, never from the raw number: errno 4
// (EINTR) or 101 (ENETUNREACH) is no "Too many open files" or "Disk full".
std::optional<int> ioErrorCodeFromErrno(int systemError);

// The error for a system error number: the program's text where a code fits, otherwise
// "I/O error N", also for a number that happens to equal a code of its own text (100, 101 ...).
EInOutError ioErrorFromErrno(int systemError);

// The program's own I/O error code for a Windows system error (GetLastError()); nullopt for one
// that has none. Windows' first numbers are the program's own codes (2 to 5, 29, 30), its "disk
// full" and "file in use" have numbers of their own, and a number that merely equals a code (100,
// 101, 106) says nothing about what happened.
std::optional<int> ioErrorCodeFromWindowsError(unsigned long systemError);

// The error for a Windows system error: the program's text where a code fits ("另一个程序正在使用这个
// 文件……" for a file in use), otherwise "I/O error N" with the system's number.
EInOutError ioErrorFromWindowsError(unsigned long systemError);

// A file another program holds open without sharing it, named: "“path”正被另一个程序使用……".
EInOutError fileInUseError(const QString &path);

// The text of the ordinary error box: the message with "." appended when its last
// character sorts above "." in byte order (the code-page-936 bytes of the message).
QString errorBoxText(const QString &message);

} // namespace qc
