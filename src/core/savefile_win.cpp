// The save on Windows. The new file is written to a temporary beside the target, flushed to disk
// and then given the target's name: by a rename that replaces for a replacement, by one that never
// replaces for a new file (a note another program made meanwhile stays). The temporary is held
// open without sharing, but for the rename, from its creation to its end, which is what marks it
// as in use; the clean-up of leftovers (leftovers_win.cpp) leaves such a file alone.
#include "savefile.h"
#include "savefile_p.h"

#include "leftovers.h"
#include "regularfile.h"
#include "winhandle.h"

#include <qt_windows.h>

#include <aclapi.h>

#include <QDir>
#include <QFileInfo>

#include <utility>

namespace qc {

namespace {
// An absolute path as the system takes it without the old 260-character limit.
QString longPath(const QString &absolute)
{
    const QString native = QDir::toNativeSeparators(QDir::cleanPath(absolute));
    if (native.startsWith(QLatin1String("\\\\?\\")))
        return native;
    if (native.startsWith(QLatin1String("\\\\")))
        return QStringLiteral("\\\\?\\UNC\\") + native.mid(2);
    return QStringLiteral("\\\\?\\") + native;
}

struct Target
{
    QString path; // where the new file goes: a link's final target
    QString folder;
    QString name;
    QString longFolder; // the folder as the system calls take it

    QString longPathOf(const QString &fileName) const { return longFolder + u'\\' + fileName; }
};

void reachedStep(SaveStep step, const Target &target, const QString &temporaryName)
{
    if (saveHooks().step)
        saveHooks().step(step, -1, (target.folder + u'/' + temporaryName).toUtf8());
}

QString temporaryNameFor(const QString &target)
{
    return target + QLatin1StringView(TemporaryMark) + QLatin1StringView(randomLetters());
}

// Whether another program holds the file open without letting it be renamed over or removed.
bool heldByAnotherProgram(const QString &longFilePath)
{
    const Handle file(
        CreateFileW(wide(longFilePath), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
            nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    return !file.isValid() && GetLastError() == ERROR_SHARING_VIOLATION;
}

// A file that can't be created is refused access, unless the disk is full, too many files are
// open or another program holds it; a folder that refuses new files is named.
[[noreturn]] void throwForCreating(DWORD systemError, const Target &target)
{
    const std::optional<int> code = ioErrorCodeFromWindowsError(systemError);
    if (!code || *code == IoError::DiskFull || *code == IoError::TooManyOpenFiles
        || *code == IoError::FileInUse)
        throw ioErrorFromWindowsError(systemError);
    if (systemError == ERROR_ACCESS_DENIED || systemError == ERROR_WRITE_PROTECT)
        throw EFolderNotWritable(target.folder);
    throw EInOutError(IoError::AccessDenied);
}

// A complete temporary that can't take the target's name: a target another program holds is named.
[[noreturn]] void throwForPlacing(DWORD systemError, const Target &target)
{
    if (heldByAnotherProgram(target.longPathOf(target.name)))
        throw fileInUseError(target.path);
    const std::optional<int> code = ioErrorCodeFromWindowsError(systemError);
    if (!code || *code == IoError::DiskFull || *code == IoError::FileInUse)
        throw ioErrorFromWindowsError(systemError);
    throw EInOutError(IoError::AccessDenied);
}

// Removes the temporary through its handle: a file that took its name meanwhile is not touched.
// Whether that works or not, the save has failed and says why; a temporary the system won't remove
// stays a leftover, which the clean-up of a later save of the same kind takes.
void drop(Handle &file)
{
    FILE_DISPOSITION_INFO removal {};
    removal.DeleteFile = TRUE;
    const bool removed = SetFileInformationByHandle(file.h, FileDispositionInfo, &removal, sizeof removal);
    Q_UNUSED(removed);
    file.reset();
}

// The old file's permissions (its access list, and whether it takes the folder's too) on the new
// file before its first byte, so that a list made private stays private; a new file keeps the
// folder's, as any new file there. When they can't be carried over the save fails, the old file stays.
void giveOldPermissions(HANDLE file, const Target &target)
{
    PACL access = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    const DWORD read = GetNamedSecurityInfoW(wide(target.longPathOf(target.name)), SE_FILE_OBJECT,
        DACL_SECURITY_INFORMATION, nullptr, nullptr, &access, nullptr, &descriptor);
    if (read == ERROR_FILE_NOT_FOUND)
        return;
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    bool given = read == ERROR_SUCCESS && GetSecurityDescriptorControl(descriptor, &control, &revision);
    if (given) {
        const SECURITY_INFORMATION what = DACL_SECURITY_INFORMATION
            | ((control & SE_DACL_PROTECTED) ? PROTECTED_DACL_SECURITY_INFORMATION
                                             : UNPROTECTED_DACL_SECURITY_INFORMATION);
        given
            = SetSecurityInfo(file, SE_FILE_OBJECT, what, nullptr, nullptr, access, nullptr) == ERROR_SUCCESS;
    }
    if (descriptor)
        LocalFree(descriptor);
    if (!given)
        throw EInOutError(IoError::AccessDenied,
            QStringLiteral("新的“%1”无法保持原来的权限，所以没有保存")
                .arg(QDir::toNativeSeparators(target.path)));
}

// The temporary, created new and held: writing, and removing it through the handle, is ours alone;
// others may only rename it (the rename that puts it in place is done by name).
Handle createTemporary(const Target &target, bool replacing, QString &name)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = temporaryNameFor(target.name);
        Handle file(
            CreateFileW(wide(target.longPathOf(name)), GENERIC_WRITE | DELETE | WRITE_DAC | READ_CONTROL,
                FILE_SHARE_DELETE, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.isValid()) {
            const DWORD error = GetLastError();
            if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS)
                continue;
            throwForCreating(error, target);
        }
        reachedStep(SaveStep::Created, target, name);
        if (replacing) {
            try {
                giveOldPermissions(file.h, target);
            } catch (...) {
                drop(file);
                throw;
            }
        }
        reachedStep(SaveStep::Ready, target, name);
        return Handle(std::exchange(file.h, INVALID_HANDLE_VALUE));
    }
    throw EInOutError(IoError::AccessDenied);
}

// 0, or the system's error of the write or the flush.
DWORD writeAndFlush(HANDLE file, const QByteArray &contents)
{
    if (saveHooks().windowsWriteError != 0)
        return saveHooks().windowsWriteError;
    const char *data = contents.constData();
    qsizetype left = contents.size();
    while (left > 0) {
        DWORD written = 0;
        if (!WriteFile(file, data, DWORD(std::min<qsizetype>(left, 1 << 30)), &written, nullptr))
            return GetLastError();
        if (written == 0)
            return ERROR_DISK_FULL;
        data += written;
        left -= written;
    }
    return FlushFileBuffers(file) ? 0 : GetLastError();
}

} // namespace

bool writeWholeFile(
    const QString &path, const QByteArray &contents, WhenPresent whenPresent, SiblingFilter alsoClean)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    // A link keeps pointing where it did: its target gets the new contents. A new note is never
    // made through a link.
    const QString finalPath = whenPresent == WhenPresent::Replace ? finalLinkTarget(absolute) : absolute;
    if (finalPath.isEmpty() || QFileInfo(finalPath).isDir())
        throw EInOutError(IoError::AccessDenied);
    const QFileInfo info(finalPath);
    Target target;
    target.path = finalPath;
    target.folder = info.absolutePath();
    target.name = info.fileName();
    target.longFolder = longPath(target.folder);
    removeStaleTemporaries(target.longFolder, target.name, alsoClean);

    QString name;
    Handle file = createTemporary(target, whenPresent == WhenPresent::Replace, name);
    if (const DWORD error = writeAndFlush(file.h, contents)) {
        drop(file);
        throw ioErrorFromWindowsError(error);
    }
    // Written through: the new name is on disk when the call returns.
    const DWORD flags
        = MOVEFILE_WRITE_THROUGH | (whenPresent == WhenPresent::Replace ? MOVEFILE_REPLACE_EXISTING : 0);
    if (!MoveFileExW(wide(target.longPathOf(name)), wide(target.longPathOf(target.name)), flags)) {
        const DWORD error = GetLastError();
        drop(file);
        if (whenPresent == WhenPresent::KeepExisting
            && (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS))
            return false;
        throwForPlacing(error, target);
    }
    file.reset();
    return true;
}

} // namespace qc
