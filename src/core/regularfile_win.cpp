// Reading the program's files on Windows, through Qt's file classes.
#include "regularfile.h"
#include "regularfile_p.h"

#include "errors.h"

#include <qt_windows.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace qc {

namespace {

// The system's error for opening the file for reading as Qt does (sharing it with everyone); 0
// when it opens after all.
DWORD openError(const QString &path)
{
    const HANDLE file = CreateFileW(reinterpret_cast<const wchar_t *>(QDir::toNativeSeparators(path).utf16()),
        GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
        FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return GetLastError();
    CloseHandle(file);
    return 0;
}

} // namespace

std::optional<qint64> regularFileSize(const QString &path)
{
    if (!QFileInfo(path).isFile())
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.size();
}

std::optional<QByteArray> readRegularFile(const QString &path, qint64 maxBytes)
{
    const qint64 limit = maxBytes + 1;
    const QFileInfo info(path);
    if (!info.exists())
        return std::nullopt;
    if (!info.isFile())
        throw EInOutError(IoError::AccessDenied);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        // A file that exists but can't be opened for reading is refused access whatever the
        // reason, but for a file another program holds and the open-file limit.
        if (const DWORD error = openError(path); ioErrorCodeFromWindowsError(error) == IoError::FileInUse)
            throw ioErrorFromWindowsError(error);
        throw EInOutError(
            file.error() == QFileDevice::ResourceError ? IoError::TooManyOpenFiles : IoError::AccessDenied);
    }
    QByteArray data = file.read(limit);
    if (file.error() != QFileDevice::NoError)
        throw EInOutError(IoError::ReadFault);
    return data;
}

PathKind pathKind(const QString &path)
{
    const QFileInfo info(path);
    return !info.exists() ? PathKind::Missing : info.isFile() ? PathKind::Regular : PathKind::Other;
}

QString finalLinkTarget(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isSymLink())
        return info.absoluteFilePath();
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.symLinkTarget() : canonical;
}

bool folderExistsAt(const QString &target)
{
    return QFileInfo(target).absoluteDir().exists();
}

QString shownLinkTarget(const QString &target)
{
    return QDir::cleanPath(QFileInfo(target).absoluteFilePath());
}

} // namespace qc
