// The save on POSIX systems: the temporary, its owner and mode, and putting it in place.
#include "savefile.h"
#include "savefile_p.h"

#include "descriptor.h"
#include "leftovers.h"
#include "regularfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <optional>
#include <utility>

namespace qc {

namespace {

QByteArray encoded(const QString &path)
{
    return QFile::encodeName(path);
}

int syncFile(int fd, bool folder = false)
{
    const std::function<int(int)> &seam = folder ? saveHooks().folderFsync : saveHooks().fsync;
    int result = 0;
    do {
        result = seam ? seam(fd) : ::fsync(fd);
    } while (result != 0 && errno == EINTR);
    return result;
}

void reachedStep(SaveStep step, int fd, const QByteArray &temporaryPath)
{
    if (saveHooks().step)
        saveHooks().step(step, fd, temporaryPath);
}

mode_t currentUmask()
{
    // Read rather than set and restored, which would change it for other threads meanwhile.
    if (QFile status(QStringLiteral("/proc/self/status")); status.open(QIODevice::ReadOnly)) {
        const QByteArray text = status.readAll();
        const qsizetype at = text.indexOf("\nUmask:");
        if (at >= 0) {
            bool ok = false;
            const mode_t mask
                = mode_t(text.mid(at + 7, text.indexOf('\n', at + 1) - at - 7).trimmed().toUInt(&ok, 8));
            if (ok)
                return mask & 0777;
        }
    }
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return mask;
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

bool writeAndSync(int fd, const QByteArray &contents)
{
    return writeAll(fd, contents) && syncFile(fd) == 0;
}

// A file that can't be created or put in place is refused access, unless the disk is full; a
// system error the program has no code for is named by its number.
[[noreturn]] void throwForPlacing(int systemError)
{
    const std::optional<int> code = ioErrorCodeFromErrno(systemError);
    if (!code)
        throw ioErrorFromErrno(systemError);
    throw EInOutError(*code == IoError::DiskFull ? IoError::DiskFull : IoError::AccessDenied);
}

[[noreturn]] void throwForCreating(int systemError, const QString &directory)
{
    const std::optional<int> code = ioErrorCodeFromErrno(systemError);
    if (!code)
        throw ioErrorFromErrno(systemError);
    if (*code == IoError::DiskFull || *code == IoError::TooManyOpenFiles)
        throw EInOutError(*code);
    if (systemError == EACCES || systemError == EPERM || systemError == EROFS)
        throw EFolderNotWritable(directory);
    throw EInOutError(IoError::AccessDenied);
}

// The new name is in place: make the folder's entry durable too. A folder that can't be opened or
// flushed by its kind (EINVAL: the file system has no such flush) is left as the system allows; a
// flush that fails means the new name may not be on disk, which the user is told (the new file is
// complete and stays).
void syncDirectory(int directory, const QString &path, const QString &folder)
{
    const Descriptor dir(::openat(directory, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.fd < 0 || syncFile(dir.fd, true) == 0)
        return;
    const int systemError = errno;
    if (systemError == EINVAL || systemError == EOPNOTSUPP || systemError == EROFS)
        return;
    throw EFolderNotSynced(path, folder, ioErrorFromErrno(systemError).message());
}

struct Target
{
    QString path; // where the new file goes: a link's final target
    QString directory;
    QByteArray directoryPath;
    QByteArray name;
    int directoryFd = -1;
    std::optional<struct stat> replaced; // the file the new one replaces
};

// Owner, group and mode of the file replaced, or a new file's default mode; never more access
// than that at any moment, since the temporary starts without any for others.
void giveOwnerAndMode(int fd, const Target &target)
{
    struct stat now
    { };
    if (::fstat(fd, &now) != 0)
        throw ioErrorFromErrno(errno);
    const struct stat *old = target.replaced ? &*target.replaced : nullptr;
    const auto refuse = [&target, old] {
        throw EInOutError(IoError::AccessDenied,
            (old ? QStringLiteral("新的“%1”无法保持原来的所有者和权限，所以没有保存")
                 : QStringLiteral("无法设置新文件“%1”的权限，所以没有保存"))
                .arg(QDir::toNativeSeparators(target.path)));
    };
    bool chowned = false;
    if (old && (old->st_uid != now.st_uid || old->st_gid != now.st_gid)) {
        if (::fchown(fd, old->st_uid != now.st_uid ? old->st_uid : uid_t(-1),
                old->st_gid != now.st_gid ? old->st_gid : gid_t(-1))
            != 0)
            refuse();
        chowned = true; // which may have cleared the set-id bits
    }
    const mode_t wanted = old ? old->st_mode & 07777 : 0666 & ~currentUmask();
    if ((chowned || (now.st_mode & 07777) != wanted) && ::fchmod(fd, wanted) != 0) {
        // A new file that stays more private than its default (a file system that keeps no
        // modes) is no leak; anything else is.
        if (old || (now.st_mode & 07777 & ~wanted) != 0)
            refuse();
    }
}

// Locks the temporary: a clean-up leaves a locked one alone. False when another program holds its
// lock; true also where files can't be locked (where nothing is removed either).
bool lockTemporary(int fd)
{
    int result = 0;
    do {
        result = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    return result == 0 || errno != EWOULDBLOCK;
}

// An unnamed temporary, locked, with its owner and mode; none where the system has no unnamed files.
void unnamedTemporary(const Target &target, Descriptor &file)
{
#ifdef O_TMPFILE
    if (saveHooks().namedTemporariesOnly)
        return;
    file.fd = ::openat(target.directoryFd, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    if (file.fd < 0)
        return;
    reachedStep(SaveStep::Created, file.fd, {});
    lockTemporary(file.fd); // nothing else can reach it before it has a name
    giveOwnerAndMode(file.fd, target);
    reachedStep(SaveStep::Ready, file.fd, {});
#else
    Q_UNUSED(target);
    Q_UNUSED(file);
#endif
}

// Gives the unnamed file a name in the target's folder; the system's error when it can't.
int nameUnnamed(int fd, const Target &target, const QByteArray &name)
{
    const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd);
    if (::linkat(AT_FDCWD, self.constData(), target.directoryFd, name.constData(), AT_SYMLINK_FOLLOW) == 0)
        return 0;
    if (errno != ENOENT)
        return errno;
#ifdef AT_EMPTY_PATH
    // Without /proc; only privileged programs may do this.
    if (::linkat(fd, "", target.directoryFd, name.constData(), AT_EMPTY_PATH) == 0)
        return 0;
#endif
    return errno;
}

// A named temporary, created without access for others and locked. A clean-up of another copy may
// remove a name between its creation and its lock: then the name no longer names the locked file,
// and another name is taken.
QByteArray namedTemporary(const Target &target, Descriptor &file)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        QByteArray name = randomTemporaryName(target.name);
        file.fd = ::openat(
            target.directoryFd, name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (file.fd < 0) {
            if (errno == EEXIST)
                continue;
            throwForCreating(errno, target.directory);
        }
        const QByteArray path = target.directoryPath + '/' + name;
        reachedStep(SaveStep::Created, file.fd, path);
        struct stat created
        { };
        if (!lockTemporary(file.fd) || ::fstat(file.fd, &created) != 0
            || !namesFile(target.directoryFd, name.constData(), created)) {
            file.reset(); // whoever holds it or took its name deals with the name
            continue;
        }
        try {
            giveOwnerAndMode(file.fd, target);
        } catch (...) {
            file.reset();
            ::unlinkat(target.directoryFd, name.constData(), 0);
            throw;
        }
        reachedStep(SaveStep::Ready, file.fd, path);
        return name;
    }
    throw EInOutError(IoError::AccessDenied);
}

// For file systems without hard links, where renaming can't refuse to replace either: the target
// is created exclusively and written whole, and removed again when the write fails, so an existing
// file still always wins. A kill during the write can leave a short file here.
bool createExclusively(const Target &target, const QByteArray &contents)
{
    Descriptor file(::openat(target.directoryFd, target.name.constData(),
        O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (file.fd < 0) {
        if (errno == EEXIST)
            return false;
        throwForPlacing(errno);
    }
    try {
        giveOwnerAndMode(file.fd, target);
    } catch (...) {
        file.reset();
        ::unlinkat(target.directoryFd, target.name.constData(), 0);
        throw;
    }
    reachedStep(SaveStep::Ready, file.fd, target.directoryPath + '/' + target.name);
    if (!writeAndSync(file.fd, contents)) {
        const int systemError = errno;
        file.reset();
        ::unlinkat(target.directoryFd, target.name.constData(), 0);
        throw ioErrorFromErrno(systemError);
    }
    syncDirectory(target.directoryFd, target.path, target.directory);
    return true;
}

// Puts a complete unnamed temporary in place; nullopt when it can't be given a name here, and the
// named road is to be taken instead.
std::optional<bool> placeUnnamed(
    Descriptor &file, const Target &target, const QByteArray &contents, WhenPresent whenPresent)
{
    if (whenPresent == WhenPresent::KeepExisting) {
        if (!writeAndSync(file.fd, contents))
            throw ioErrorFromErrno(errno);
        // Linking never replaces: a file that appeared at the name meanwhile stays.
        const int error = nameUnnamed(file.fd, target, target.name);
        if (error == EEXIST)
            return false;
        if (error != 0)
            return std::nullopt;
        syncDirectory(target.directoryFd, target.path, target.directory);
        return true;
    }
    // Complete before it has a name, which it needs only to be renamed over the target: a crash
    // while writing leaves nothing behind.
    if (!writeAndSync(file.fd, contents))
        throw ioErrorFromErrno(errno);
    QByteArray name;
    for (int attempt = 0; attempt < 100 && name.isEmpty(); ++attempt) {
        name = randomTemporaryName(target.name);
        const int error = nameUnnamed(file.fd, target, name);
        if (error == EEXIST)
            name.clear();
        else if (error != 0)
            return std::nullopt;
    }
    if (name.isEmpty())
        return std::nullopt;
    if (::renameat(target.directoryFd, name.constData(), target.directoryFd, target.name.constData()) != 0) {
        const int systemError = errno;
        file.reset();
        ::unlinkat(target.directoryFd, name.constData(), 0);
        throwForPlacing(systemError);
    }
    file.reset();
    syncDirectory(target.directoryFd, target.path, target.directory);
    return true;
}

// Gives the named temporary the target's name as its second name, never replacing a file there; the
// system's error when it can't.
int linkToTarget(const Target &target, const QByteArray &name)
{
    if (saveHooks().noHardLinks)
        return EPERM; // the test seam: what a file system without hard links answers
    const int directory = target.directoryFd;
    return ::linkat(directory, name.constData(), directory, target.name.constData(), 0) == 0 ? 0 : errno;
}

bool placeNamed(const Target &target, const QByteArray &contents, WhenPresent whenPresent)
{
    Descriptor file;
    const QByteArray name = namedTemporary(target, file);
    const auto drop = [&] {
        file.reset();
        ::unlinkat(target.directoryFd, name.constData(), 0);
    };
    if (!writeAndSync(file.fd, contents)) {
        const int systemError = errno;
        drop();
        throw ioErrorFromErrno(systemError);
    }
    const int directory = target.directoryFd;
    if (whenPresent == WhenPresent::Replace) {
        if (::renameat(directory, name.constData(), directory, target.name.constData()) != 0) {
            const int systemError = errno;
            drop();
            throwForPlacing(systemError);
        }
        file.reset();
        syncDirectory(directory, target.path, target.directory);
        return true;
    }

    // A hard link never replaces: whatever appeared at the path meanwhile stays as it is. A kill
    // before the temporary's name is dropped leaves it as a second name of the note, which a later
    // clean-up removes.
    int error = linkToTarget(target, name);
    if (error == EPERM || error == EOPNOTSUPP || error == EMLINK || error == ENOSYS) {
#ifdef RENAME_NOREPLACE
        // No hard links here: a rename that refuses to replace puts the whole file in place too.
        if (::renameat2(directory, name.constData(), directory, target.name.constData(), RENAME_NOREPLACE)
            == 0) {
            file.reset();
            syncDirectory(directory, target.path, target.directory);
            return true;
        }
        error = errno;
#endif
        if (error != EEXIST) {
            drop();
            return createExclusively(target, contents);
        }
    }
    drop();
    if (error == 0) {
        syncDirectory(directory, target.path, target.directory);
        return true;
    }
    if (error == EEXIST)
        return false;
    throwForPlacing(error);
}

} // namespace

bool writeWholeFile(
    const QString &path, const QByteArray &contents, WhenPresent whenPresent, SiblingFilter alsoClean)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    // A link keeps pointing where it did: its target gets the new contents, or is created when it
    // doesn't exist yet but its folder does. A new note is never made through a link.
    const QString finalPath = whenPresent == WhenPresent::Replace ? finalLinkTarget(absolute) : absolute;
    if (finalPath.isEmpty())
        throw EInOutError(IoError::AccessDenied); // a loop of links
    const qsizetype slash = finalPath.lastIndexOf(u'/');
    Target target;
    target.path = finalPath;
    target.directory = slash > 0 ? finalPath.left(slash) : QStringLiteral("/");
    target.directoryPath = encoded(target.directory);
    target.name = encoded(finalPath.mid(slash + 1));
#ifdef O_PATH
    const int directoryFlags = O_PATH | O_DIRECTORY | O_CLOEXEC;
#else
    const int directoryFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
#endif
    const Descriptor directory(::open(target.directoryPath.constData(), directoryFlags));
    if (directory.fd < 0)
        throwForCreating(errno, target.directory);
    target.directoryFd = directory.fd;
    removeStaleTemporaries(directory.fd, target.directoryPath, target.name, alsoClean);

    if (whenPresent == WhenPresent::Replace) {
        struct stat existing
        { };
        if (::fstatat(directory.fd, target.name.constData(), &existing, AT_SYMLINK_NOFOLLOW) == 0) {
            if (!S_ISREG(existing.st_mode))
                throw EInOutError(IoError::AccessDenied); // a folder, a pipe: not ours to replace
            target.replaced = existing;
        }
    }

    Descriptor unnamed;
    unnamedTemporary(target, unnamed);
    if (unnamed.fd >= 0) {
        if (const std::optional<bool> placed = placeUnnamed(unnamed, target, contents, whenPresent))
            return *placed;
    }
    return placeNamed(target, contents, whenPresent);
}

} // namespace qc
