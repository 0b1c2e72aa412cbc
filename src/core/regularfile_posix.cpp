// Reading the program's files on POSIX systems: opened without waiting and checked by descriptor,
// links followed as the system follows them.
#include "regularfile.h"
#include "regularfile_p.h"

#include "descriptor.h"
#include "errors.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>

namespace qc {

namespace {

enum class Opened { Regular, Missing, NotRegular, Failed };

// On Failed, systemError holds errno.
Opened openRegular(const QString &path, Descriptor &file, qint64 &size, int &systemError)
{
    const QByteArray name = QFile::encodeName(path);
    // Without O_NONBLOCK, opening a pipe that has no writer waits for one.
    do {
        file.fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    } while (file.fd < 0 && errno == EINTR);
    if (file.fd < 0) {
        systemError = errno;
        return systemError == ENOENT ? Opened::Missing : Opened::Failed;
    }
    struct stat status
    { };
    if (::fstat(file.fd, &status) != 0) {
        systemError = errno;
        return Opened::Failed;
    }
    if (!S_ISREG(status.st_mode))
        return Opened::NotRegular;
    ::fcntl(file.fd, F_SETFL, ::fcntl(file.fd, F_GETFL) & ~O_NONBLOCK);
    size = status.st_size;
    return Opened::Regular;
}

} // namespace

std::optional<qint64> regularFileSize(const QString &path)
{
    Descriptor file;
    qint64 size = 0;
    int systemError = 0;
    if (openRegular(path, file, size, systemError) != Opened::Regular)
        return std::nullopt;
    return size;
}

std::optional<QByteArray> readRegularFile(const QString &path, qint64 maxBytes)
{
    const qint64 limit = maxBytes + 1;
    Descriptor file;
    qint64 size = 0;
    int systemError = 0;
    switch (openRegular(path, file, size, systemError)) {
    case Opened::Missing:
        return std::nullopt;
    case Opened::NotRegular:
        throw EInOutError(IoError::AccessDenied);
    case Opened::Failed:
        // A file that exists but can't be opened for reading is refused access whatever the reason.
        throw EInOutError(systemError == EMFILE || systemError == ENFILE ? IoError::TooManyOpenFiles
                                                                         : IoError::AccessDenied);
    case Opened::Regular:
        break;
    }
    QByteArray data;
    data.reserve(std::min(size, limit));
    char buffer[65536];
    while (data.size() < limit) {
        const auto wanted = static_cast<size_t>(std::min<qint64>(sizeof buffer, limit - data.size()));
        const ssize_t got = ::read(file.fd, buffer, wanted);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            throw errno == EIO ? EInOutError(IoError::ReadFault) : ioErrorFromErrno(errno);
        if (got == 0)
            break;
        data.append(buffer, got);
    }
    return data;
}

PathKind pathKind(const QString &path)
{
    struct stat status
    { };
    if (::stat(QFile::encodeName(path).constData(), &status) == 0)
        return S_ISREG(status.st_mode) ? PathKind::Regular : PathKind::Other;
    return errno == ENOENT ? PathKind::Missing : PathKind::Other;
}

namespace {

// The path with its longest leading part that exists made canonical by the system (links
// followed, "." and ".." taken after them, as the system walks a path); the rest as written.
QByteArray resolvedAsFarAsItExists(const QByteArray &path)
{
    for (qsizetype end = path.size(); end > 0; end = path.lastIndexOf('/', end - 1)) {
        char *real = ::realpath(path.left(end).constData(), nullptr);
        if (real) {
            QByteArray resolved(real);
            ::free(real); // NOLINT(cppcoreguidelines-no-malloc): realpath's buffer
            return resolved == "/" && end < path.size() ? path.mid(end) : resolved + path.mid(end);
        }
        if (errno != ENOENT && errno != ENOTDIR)
            break;
    }
    return path;
}

} // namespace

QString finalLinkTarget(const QString &path)
{
    QByteArray current = QFile::encodeName(path);
    // As many links as the system itself follows before it gives up.
    for (int depth = 0; depth < 40; ++depth) {
        struct stat status
        { };
        if (::lstat(current.constData(), &status) != 0 || !S_ISLNK(status.st_mode))
            return QFile::decodeName(current);
        QByteArray target(qsizetype(status.st_size > 0 ? status.st_size : 4096) + 1, Qt::Uninitialized);
        const ssize_t length = ::readlink(current.constData(), target.data(), size_t(target.size()));
        if (length < 0 || length >= target.size())
            return {};
        target.truncate(length);
        if (!target.startsWith('/'))
            target = current.left(current.lastIndexOf('/') + 1) + target;
        // The folder part as the system reaches it: "lnk/../x" is beside where lnk leads, not
        // beside lnk. The last part is the next link to follow, or the file.
        const qsizetype slash = target.lastIndexOf('/');
        current = slash > 0 ? resolvedAsFarAsItExists(target.left(slash)) + target.mid(slash) : target;
    }
    return {};
}

bool folderExistsAt(const QString &target)
{
    // The folder as the system finds it, not as text: a ".." left in the target (below a folder
    // that is missing) must not be cleaned away into a folder that happens to exist.
    const QByteArray folder = QFile::encodeName(target.left(target.lastIndexOf(u'/') + 1));
    struct stat status
    { };
    return ::stat(folder.constData(), &status) == 0 && S_ISDIR(status.st_mode);
}

QString shownLinkTarget(const QString &target)
{
    return target;
}

} // namespace qc
