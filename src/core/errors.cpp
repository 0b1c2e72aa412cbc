// The program's exception types and the texts of the I/O error codes.
#include "errors.h"

#include "cp936.h"

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

QString errorBoxText(const QString &message)
{
    if (message.isEmpty())
        return message;
    // Only the last character matters; a character the code page cannot store still counts
    // as non-ASCII, which sorts above "." like every lead byte does.
    const qsizetype lastStart = message.size() >= 2 && message.back().isLowSurrogate()
            && message.at(message.size() - 2).isHighSurrogate()
        ? message.size() - 2
        : message.size() - 1;
    const QStringView last = QStringView(message).mid(lastStart);
    unsigned char firstByte;
    if (last.size() == 1 && last.front().unicode() < 0x80) {
        firstByte = static_cast<unsigned char>(last.front().unicode());
    } else {
        const QByteArray bytes = cp936::encode(last);
        firstByte = bytes.isEmpty() ? 0xFF : static_cast<unsigned char>(bytes.front());
        if (firstByte < 0x80) // unencodable, became "?"
            firstByte = 0xFF;
    }
    if (firstByte > static_cast<unsigned char>('.'))
        return message + QLatin1Char('.');
    return message;
}

} // namespace qc
