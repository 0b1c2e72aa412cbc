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

enum class Stale { Removed, Gone, NotYet, NotOurs };

Stale removeIfStale(int directory, const char *name, const char *target)
{
    struct stat seen
    { };
    if (::fstatat(directory, name, &seen, AT_SYMLINK_NOFOLLOW) != 0)
        return Stale::Gone;
    // Nothing but a regular file is ever opened: no link is followed, no pipe or device touched.
    if (!S_ISREG(seen.st_mode) || seen.st_uid != ::geteuid() || !onlyOurNames(directory, target, seen))
        return Stale::NotOurs;
    if (::time(nullptr) - seen.st_mtime < GraceSeconds)
        return Stale::NotYet; // perhaps another copy of the program saving right now
    const int flags = O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    Descriptor file(::openat(directory, name, O_RDONLY | flags));
    if (file.fd < 0)
        file.fd = ::openat(directory, name, O_WRONLY | flags);
    struct stat opened
    { };
    if (file.fd < 0 || ::fstat(file.fd, &opened) != 0 || !sameFile(opened, seen))
        return Stale::NotYet;
    if (::flock(file.fd, LOCK_EX | LOCK_NB) != 0) // held by a live save, or no locks here at all
        return errno == EWOULDBLOCK ? Stale::NotYet : Stale::NotOurs;
    // Just before the name goes: it still names the locked file, which still has no other name.
    if (::fstat(file.fd, &opened) != 0 || !onlyOurNames(directory, target, opened))
        return Stale::NotOurs;
    if (!namesFile(directory, name, opened))
        return Stale::Gone;
    return ::unlinkat(directory, name, 0) == 0 ? Stale::Removed : Stale::NotOurs;
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
