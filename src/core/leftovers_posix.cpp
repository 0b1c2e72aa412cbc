// The clean-up of leftovers on POSIX systems.
#include "leftovers.h"
#include "savefile_p.h"

#include "descriptor.h"

#include <QHash>
#include <QList>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio> // renameat2
#include <ctime>
#include <mutex>

namespace qc {

namespace {

constexpr time_t GraceSeconds = 10;

// The target part of a name shaped like one of our temporaries, "<target>.qcsave-" and six
// letters; empty for any other name.
QByteArrayView temporaryTarget(QByteArrayView name)
{
    const QByteArrayView mark(TemporaryMark);
    const qsizetype stem = name.size() - TemporaryLetters;
    if (stem <= mark.size() || name.sliced(stem - mark.size(), mark.size()) != mark)
        return {};
    const QByteArrayView letters = name.sliced(stem);
    if (!std::all_of(letters.begin(), letters.end(),
            [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }))
        return {};
    return name.first(stem - mark.size());
}

// A link count of 1, or of 2 when the other name is the target itself: a program killed between
// giving a new note its name and dropping the temporary's leaves that. Any other link is a name of
// somebody's file elsewhere.
bool onlyOurNames(int directory, const char *target, const struct stat &file)
{
    return file.st_nlink == 1 || (file.st_nlink == 2 && namesFile(directory, target, file));
}

// Moves the name to another in the same folder, never replacing a file there; the system's error
// when it can't (EINVAL or ENOSYS where the file system or the system has no such rename).
int renameNoReplace(int directory, const char *from, const char *to)
{
#ifdef RENAME_NOREPLACE
    return ::renameat2(directory, from, directory, to, RENAME_NOREPLACE) == 0 ? 0 : errno;
#else
    Q_UNUSED(directory);
    Q_UNUSED(from);
    Q_UNUSED(to);
    return ENOSYS;
#endif
}

enum class Stale { Removed, Gone, NotYet, NotOurs };

Stale removeIfStale(int directory, const char *name, const char *target)
{
#ifdef O_PATH
    // The name's file is taken once without being opened (O_PATH opens no pipe or device, and with
    // O_NOFOLLOW no link is followed) and from then on reached only through that descriptor: a file
    // that another process puts at the name after this is never opened.
    const Descriptor handle(::openat(directory, name, O_PATH | O_NOFOLLOW | O_CLOEXEC));
    struct stat held
    { };
    if (handle.fd < 0 || ::fstat(handle.fd, &held) != 0)
        return Stale::Gone;
    if (!S_ISREG(held.st_mode) || held.st_uid != ::geteuid() || !onlyOurNames(directory, target, held))
        return Stale::NotOurs;
    if (::time(nullptr) - held.st_mtime < GraceSeconds)
        return Stale::NotYet; // perhaps another copy of the program saving right now
    // The lock needs the file open: opened through the descriptor, so it is the file just checked.
    const QByteArray self = "/proc/self/fd/" + QByteArray::number(handle.fd);
    const int flags = O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    Descriptor file(::open(self.constData(), O_RDONLY | flags));
    if (file.fd < 0)
        file.fd = ::open(self.constData(), O_WRONLY | flags);
    struct stat opened
    { };
    if (file.fd < 0 || ::fstat(file.fd, &opened) != 0 || !sameFile(opened, held))
        return Stale::NotYet; // no /proc: nothing is removed
    if (::flock(file.fd, LOCK_EX | LOCK_NB) != 0) // held by a live save, or no locks here at all
        return errno == EWOULDBLOCK ? Stale::NotYet : Stale::NotOurs;
    if (::fstat(file.fd, &opened) != 0 || !onlyOurNames(directory, target, opened))
        return Stale::NotOurs;
    // Linux can't unlink by descriptor, only by name, and another process may swap the name's file
    // at any moment. So the name is first moved to a private one of its own (never replacing
    // anything), which must then still name the locked file; a file found there instead is given
    // its name back. What remains is the moment between that check and the unlink, when only a
    // process that finds the private name in the folder could swap it.
    const QByteArray aside = QByteArray(name) + ".qcgone-" + randomLetters();
    const int moved = renameNoReplace(directory, name, aside.constData());
    if (moved == EINVAL || moved == ENOSYS) {
        // A file system without such renames: checked once more right before the unlink.
        if (!namesFile(directory, name, opened))
            return Stale::Gone;
        return ::unlinkat(directory, name, 0) == 0 ? Stale::Removed : Stale::NotOurs;
    }
    if (moved != 0)
        return moved == ENOENT ? Stale::Gone : Stale::NotOurs;
    if (namesFile(directory, aside.constData(), opened) && ::unlinkat(directory, aside.constData(), 0) == 0)
        return Stale::Removed;
    // Somebody's file swapped in, or ours could not be removed: the name is given back. When that
    // fails too (the name taken again meanwhile) the file stays under the private name, untouched.
    renameNoReplace(directory, aside.constData(), name);
    return Stale::NotOurs;
#else
    Q_UNUSED(directory);
    Q_UNUSED(name);
    Q_UNUSED(target);
    return Stale::NotOurs; // no way to check a file before it is opened: nothing is removed
#endif
}

// Names in a folder that are shaped like temporaries, read once per run: the folder may hold a
// century of notes, and reading it at every save would cost more than the save.
QList<QByteArray> temporaryNamesIn(int directory)
{
    QList<QByteArray> names;
    const int listing = ::openat(directory, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listing < 0)
        return names;
    DIR *entries = ::fdopendir(listing);
    if (!entries) {
        ::close(listing);
        return names;
    }
    while (const dirent *entry = ::readdir(entries)) {
        const QByteArrayView name(entry->d_name);
        if (!temporaryTarget(name).isEmpty())
            names.append(name.toByteArray());
    }
    ::closedir(entries);
    return names;
}

} // namespace

bool namesFile(int directory, const char *name, const struct stat &file)
{
    struct stat seen
    { };
    return ::fstatat(directory, name, &seen, AT_SYMLINK_NOFOLLOW) == 0 && sameFile(seen, file);
}

void removeStaleTemporaries(
    int directory, const QByteArray &directoryPath, const QByteArray &target, SiblingFilter alsoClean)
{
    static std::mutex guard;
    static QHash<QByteArray, QList<QByteArray>> pending; // folder → names still to look at
    const std::lock_guard<std::mutex> lock(guard);
    auto found = pending.find(directoryPath);
    if (found == pending.end())
        found = pending.insert(directoryPath, temporaryNamesIn(directory));
    QList<QByteArray> &names = *found;
    for (qsizetype i = 0; i < names.size();) {
        const QByteArray &name = names.at(i);
        const QByteArrayView of = temporaryTarget(name);
        // Not yet stale ones are looked at again by the next save.
        if ((of == target || (alsoClean && alsoClean(of)))
            && removeIfStale(directory, name.constData(), of.toByteArray().constData()) != Stale::NotYet)
            names.removeAt(i);
        else
            ++i;
    }
}

} // namespace qc
