// Writing a file whole: the new contents go to a temporary beside the target and are put in place
// only when complete, so a failure never leaves a half-written or emptied file behind.
//
// The ways of writing, the first that works here taken:
//
// way                system   runs when                     promises
// unnamed temporary  Linux    the file system has unnamed   no name until complete and locked, so a crash
//                             files (O_TMPFILE) and they    leaves nothing; then linked at the target
//                             can be linked into the        (KeepExisting, never replacing) or renamed over
//                             folder                        it from a temporary name (Replace)
// named temporary    POSIX    no unnamed files, or no way   named "<target>.qcsave-" and six letters, private
//                             to link them                  and locked from its creation; renamed over the
//                                                           target (Replace) or linked to its name
//                                                           (KeepExisting); a crash can leave it behind
//                                                           (leftovers.h)
// no hard links      Linux    KeepExisting, and the file    the named temporary renamed to the target by a
//                             system refuses hard links     rename that never replaces
// exclusive direct   POSIX    KeepExisting, with neither    the target created only when absent and written
// create                      hard links nor renames that   in place, removed when the write fails; a kill
//                             refuse to replace             during the write can leave a short file
// Windows            Windows  always                        a named temporary held open without sharing from
//                                                           its creation, flushed, then renamed with
//                                                           MoveFileExW written through: over the target
//                                                           (Replace; it first gets the old file's access
//                                                           list) or only where no file is (KeepExisting);
//                                                           a crash can leave it behind
//
// On POSIX systems every way also promises: the file and then its folder are flushed to disk before
// the save reports success; the new file never grants more than the file it replaces (or a new
// file's default mode) at any moment, since it is created without access for others and gets the
// old file's owner, group and mode before its first byte (when it can't, the save fails and the old
// file stays). Replace writes through a link to the link's target; KeepExisting never replaces a
// file, however late it appeared.
#pragma once

#include "errors.h"

#include <QByteArray>
#include <QString>

#include <functional>

namespace qc {

enum class WhenPresent {
    Replace, // the new file takes the place of whatever file is there (a link's target is replaced)
    KeepExisting, // any file already there wins, however late it appeared; ours is dropped
};

// The folder would not take the new file (no write permission, a read-only file system). Its
// message is "File access denied"; callers that can say more name the folder.
class EFolderNotWritable : public EInOutError
{
public:
    explicit EFolderNotWritable(QString folder);
    const QString &folder() const noexcept { return m_folder; }

private:
    QString m_folder;
};

// The new file is complete and in place, but the folder's entry for it could not be flushed to
// disk (the flush failed with an I/O error): a power cut may still lose it. Thrown after the save;
// the new file stays.
class EFolderNotSynced : public EInOutError
{
public:
    EFolderNotSynced(const QString &path, const QString &folder, const QString &reason);
};

// Throws EInOutError with the program's own I/O error code (errors.h): "File access denied", "Disk
// full", "File not found", "Invalid filename", "Too many open files" or "I/O error %d";
// EFolderNotSynced when the new file is in place but its folder could not be flushed. False when
// KeepExisting found a file at the path (a link that leads nowhere included) and left it alone.
// Leftovers of the target, and of the siblings alsoClean accepts by their file name, are removed
// first (leftovers.h).
using SiblingFilter = bool (*)(QByteArrayView fileName);
bool writeWholeFile(const QString &path, const QByteArray &contents, WhenPresent whenPresent,
    SiblingFilter alsoClean = nullptr);

// For tests: what a save does at its steps. Created comes right after the temporary is opened,
// Ready when it is locked and has its owner and mode, before the first byte is written;
// temporaryPath is empty while the temporary has no name. On Windows fd is -1, the path UTF-8, and
// of the seams below only step and windowsWriteError are used.
enum class SaveStep { Created, Ready };
struct SaveHooks
{
    std::function<int(int fd)> fsync {}; // in place of the system's fsync
    std::function<void(SaveStep step, int fd, const QByteArray &temporaryPath)> step {};
    bool namedTemporariesOnly = false; // as on a file system without unnamed files
    bool noHardLinks = false; // as on a file system without hard links
    std::function<int(int fd)> folderFsync {}; // in place of the system's fsync of the folder
    unsigned long windowsWriteError = 0; // Windows: writing the temporary fails with this GetLastError()
};

// The seams above for as long as the guard lives, set by name
// (ScopedSaveHooks hooks({ .namedTemporariesOnly = true })); the real calls again after it.
class ScopedSaveHooks
{
public:
    explicit ScopedSaveHooks(SaveHooks hooks);
    ~ScopedSaveHooks();
    ScopedSaveHooks(const ScopedSaveHooks &) = delete;
    ScopedSaveHooks &operator=(const ScopedSaveHooks &) = delete;
};

} // namespace qc
