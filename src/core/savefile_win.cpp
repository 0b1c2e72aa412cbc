// The save on Windows: QSaveFile for a replacement, an exclusive create for a new note.
#include "savefile.h"

#include <qt_windows.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QUuid>

namespace qc {

namespace {

// Whether the folder refuses a new file for want of write access (the folder or the drive is not
// writable), rather than being missing or no place for files. Tried with a file of a name of its
// own that is gone again when closed.
bool folderRefusesNewFiles(const QString &folder)
{
    const QString probe = QDir::toNativeSeparators(QDir(folder).filePath(
        QStringLiteral("quorvelcal-%1.probe").arg(QUuid::createUuid().toString(QUuid::Id128))));
    const HANDLE file = CreateFileW(reinterpret_cast<const wchar_t *>(probe.utf16()), GENERIC_WRITE, 0,
        nullptr, CREATE_NEW, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
        return false;
    }
    const DWORD error = GetLastError();
    return error == ERROR_ACCESS_DENIED || error == ERROR_WRITE_PROTECT;
}

} // namespace

bool writeWholeFile(const QString &path, const QByteArray &contents, WhenPresent whenPresent, SiblingFilter)
{
    if (QFileInfo(path).isDir())
        throw EInOutError(IoError::AccessDenied);
    if (whenPresent == WhenPresent::KeepExisting) {
        // Created exclusively and written whole; removed again when the write fails.
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            if (QFileInfo::exists(path))
                return false;
            throw EInOutError(IoError::AccessDenied);
        }
        if (file.write(contents) != contents.size() || !file.flush()) {
            file.close();
            QFile::remove(path);
            throw EInOutError(IoError::DiskFull);
        }
        return true;
    }
    QSaveFile file(path);
    // Writing in place would leave a half-written file behind on failure.
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly)) {
        // Only a folder that refuses the new file is named, as on other systems; a place that can
        // hold no file at all is plainly denied.
        const QString folder = QFileInfo(path).absolutePath();
        if (folderRefusesNewFiles(folder))
            throw EFolderNotWritable(folder);
        throw EInOutError(IoError::AccessDenied);
    }
    // QSaveFile::commit() ignores a failure of the flush it does while closing (Qt 6.4), so the
    // buffer is flushed and checked here.
    if (file.write(contents) != contents.size() || !file.flush()) {
        file.cancelWriting();
        throw EInOutError(IoError::DiskFull);
    }
    if (!file.commit())
        throw EInOutError(IoError::AccessDenied);
    return true;
}

} // namespace qc
