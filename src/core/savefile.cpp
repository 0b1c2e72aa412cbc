#include "savefile.h"

#include "descriptor.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <utility>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ctime>
#else
#include "platform.h"

#include <QSaveFile>
#endif

namespace qc {

namespace {

const QString TemporaryMark = QStringLiteral(".qcsave-");
constexpr int TemporaryLetters = 6;

} // namespace

EFolderNotWritable::EFolderNotWritable(QString folder)
    : EInOutError(IoError::AccessDenied)
    , m_folder(std::move(folder))
{ }

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
        return IoError::WriteFault; // the classic "write fault"; errno 5 would read as "File access denied"
    default:
        return systemError;
    }
}

bool isTemporaryNameFor(const QString &fileName, const QString &targetName)
{
    const qsizetype stem = targetName.size() + TemporaryMark.size();
    if (fileName.size() != stem + TemporaryLetters || !fileName.startsWith(targetName)
        || QStringView(fileName).mid(targetName.size(), TemporaryMark.size()) != TemporaryMark)
        return false;
    const QStringView letters = QStringView(fileName).mid(stem);
    return std::all_of(letters.begin(), letters.end(),
        [](QChar c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); });
}

#ifdef Q_OS_UNIX

namespace {

QByteArray encoded(const QString &path)
{
    return QFile::encodeName(path);
}

// A temporary is stale when no program holds its lock and it has not been written for a while: a
// second copy of the program saving at the same moment keeps its own.
void removeStaleTemporaries(const QString &directory, const QString &targetName)
{
    const QStringList names = QDir(directory).entryList(
        QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Unsorted);
    const time_t now = ::time(nullptr);
    for (const QString &name : names) {
        if (!isTemporaryNameFor(name, targetName))
            continue;
        const QByteArray path = encoded(QDir(directory).filePath(name));
        const Descriptor file(::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        struct stat status
        { };
        if (file.fd < 0 || ::fstat(file.fd, &status) != 0 || !S_ISREG(status.st_mode)
            || now - status.st_mtime < 10 || ::flock(file.fd, LOCK_EX | LOCK_NB) != 0)
            continue;
        ::unlink(path.constData());
    }
}

QString randomLetters()
{
    QString letters(TemporaryLetters, Qt::Uninitialized);
    for (QChar &c : letters) {
        const int n = int(QRandomGenerator::global()->bounded(52));
        c = QChar(n < 26 ? u'a' + n : u'A' + n - 26);
    }
    return letters;
}

bool writeAll(int fd, const QByteArray &contents)
{
    const char *data = contents.constData();
    qsizetype left = contents.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, size_t(left));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            if (written == 0)
                errno = ENOSPC;
            return false;
        }
        data += written;
        left -= written;
    }
    return true;
}

[[noreturn]] void throwForWrite(int systemError)
{
    throw EInOutError(ioErrorCodeFromErrno(systemError));
}

// A file that can't be created or put in place is refused access, unless the disk is full.
[[noreturn]] void throwForPlacing(int systemError)
{
    throw EInOutError(
        ioErrorCodeFromErrno(systemError) == IoError::DiskFull ? IoError::DiskFull : IoError::AccessDenied);
}

// The new name is in place: make the directory entry durable too, as far as the system allows.
void syncDirectory(const QString &directory)
{
    const Descriptor dir(::open(encoded(directory).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.fd >= 0)
        ::fsync(dir.fd);
}

// For file systems without hard links: create the target exclusively and write it whole, removing
// it again when the write fails, so an existing file still always wins.
bool createExclusively(const QByteArray &target, const QByteArray &contents)
{
    Descriptor file(::open(target.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (file.fd < 0) {
        if (errno == EEXIST)
            return false;
        throwForPlacing(errno);
    }
    if (!writeAll(file.fd, contents) || ::fsync(file.fd) != 0) {
        const int systemError = errno;
        file.reset();
        ::unlink(target.constData());
        throwForWrite(systemError);
    }
    return true;
}

} // namespace

bool writeWholeFile(const QString &path, const QByteArray &contents, WhenPresent whenPresent)
{
    const QFileInfo info(path);
    // A link keeps pointing where it did: its target gets the new contents.
    QString target = info.absoluteFilePath();
    if (whenPresent == WhenPresent::Replace && info.isSymLink() && !info.canonicalFilePath().isEmpty())
        target = info.canonicalFilePath();
    const QFileInfo targetInfo(target);
    const QString directory = targetInfo.absolutePath();
    const QString name = targetInfo.fileName();
    removeStaleTemporaries(directory, name);

    struct stat existing
    { };
    const bool replacing
        = whenPresent == WhenPresent::Replace && ::stat(encoded(target).constData(), &existing) == 0;
    if (replacing && S_ISDIR(existing.st_mode))
        throw EInOutError(IoError::AccessDenied);

    QByteArray temporary;
    Descriptor file;
    for (int attempt = 0; file.fd < 0 && attempt < 100; ++attempt) {
        temporary = encoded(QDir(directory).filePath(name + TemporaryMark + randomLetters()));
        file.fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (file.fd < 0 && errno != EEXIST)
            break;
    }
    if (file.fd < 0) {
        const int code = ioErrorCodeFromErrno(errno);
        if (code == IoError::DiskFull || code == IoError::TooManyOpenFiles)
            throw EInOutError(code);
        if (errno == EACCES || errno == EPERM || errno == EROFS)
            throw EFolderNotWritable(directory);
        throw EInOutError(IoError::AccessDenied);
    }
    // Held until the file is closed, also by a killed program's kernel: the mark of a live save.
    ::flock(file.fd, LOCK_EX | LOCK_NB);
    if (replacing)
        ::fchmod(file.fd, existing.st_mode & 07777);

    const auto dropTemporary = [&] {
        file.reset();
        ::unlink(temporary.constData());
    };
    if (!writeAll(file.fd, contents) || ::fsync(file.fd) != 0) {
        const int systemError = errno;
        dropTemporary();
        throwForWrite(systemError);
    }

    const QByteArray targetPath = encoded(target);
    if (whenPresent == WhenPresent::Replace) {
        if (::rename(temporary.constData(), targetPath.constData()) != 0) {
            const int systemError = errno;
            dropTemporary();
            throwForPlacing(systemError);
        }
        file.reset();
        syncDirectory(directory);
        return true;
    }

    // A hard link never replaces: whatever appeared at the path meanwhile stays as it is.
    const bool linked = ::link(temporary.constData(), targetPath.constData()) == 0;
    const int linkError = errno;
    dropTemporary();
    if (linked) {
        syncDirectory(directory);
        return true;
    }
    if (linkError == EEXIST)
        return false;
    if (linkError == EPERM || linkError == EOPNOTSUPP || linkError == EMLINK || linkError == ENOSYS)
        return createExclusively(targetPath, contents);
    throwForPlacing(linkError);
}

#else

bool writeWholeFile(const QString &path, const QByteArray &contents, WhenPresent whenPresent)
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
        if (platform::folderRefusesNewFiles(folder))
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

#endif

} // namespace qc
