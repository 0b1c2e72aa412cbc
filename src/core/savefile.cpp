#include "savefile.h"

#include "errors.h"

#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>

namespace qc {

int ioErrorCodeFromErrno(int systemError)
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
    case EISDIR: // a folder where the file should be: the classic system says access denied
        return IoError::AccessDenied;
    case ENOSPC:
    case EFBIG:
#ifdef EDQUOT
    case EDQUOT:
#endif
        return IoError::DiskFull;
    case EIO:
        return 29; // the classic "write fault"; errno 5 would read as "File access denied"
    default:
        return systemError;
    }
}

namespace {

enum class Stage { Create, Write, Replace };

// The classic code for a failed step: a full disk and the open-file limit are told as such at
// every step; otherwise a file that cannot be created or put in place is refused access, and a
// write that fails says why when the system says.
[[noreturn]] void throwFor(Stage stage, const QFileDevice &file, int systemError)
{
    const int code = ioErrorCodeFromErrno(systemError);
    if (file.error() == QFileDevice::ResourceError || code == IoError::DiskFull)
        throw EInOutError(IoError::DiskFull);
    if (code == IoError::TooManyOpenFiles)
        throw EInOutError(IoError::TooManyOpenFiles);
    switch (stage) {
    case Stage::Create:
        throw EInOutError(IoError::AccessDenied);
    case Stage::Write:
        throw EInOutError(systemError != 0 ? code : IoError::DiskFull);
    case Stage::Replace:
        throw EInOutError(
            file.error() == QFileDevice::WriteError ? IoError::DiskFull : IoError::AccessDenied);
    }
    throw EInOutError(code);
}

} // namespace

bool writeWholeFile(const QString &path, const QByteArray &contents, WhenPresent whenPresent)
{
    QSaveFile file(path);
    // Writing in place would leave a half-written file behind on failure.
    file.setDirectWriteFallback(false);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly))
        throwFor(Stage::Create, file, errno);
    // QSaveFile::commit() ignores a failure of the flush it does while closing (Qt 6.4) and would
    // rename a short file into place on a full disk, so the buffer is flushed and checked here.
    errno = 0;
    if (file.write(contents) != contents.size() || !file.flush()) {
        const int systemError = errno;
        file.cancelWriting();
        throwFor(Stage::Write, file, systemError);
    }
    // The rename replaces whatever is at the path. Where an existing file must win (a note the
    // user's editor saved, a second copy of the program), look once more right before it; what
    // remains is the instant between this check and the rename.
    if (whenPresent == WhenPresent::KeepExisting && QFileInfo::exists(path)) {
        file.cancelWriting();
        return false;
    }
    errno = 0;
    if (!file.commit())
        throwFor(Stage::Replace, file, errno);
    return true;
}

} // namespace qc
