// Writing a file whole: the new contents go to a temporary file beside the target and are put in
// place only when complete, so a failure never leaves a half-written or emptied file behind.
#pragma once

#include "errors.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <utility>

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

// Throws EInOutError with the program's own I/O error code: "File access denied", "Disk full", "File not
// found", "Invalid filename", "Too many open files" or "I/O error %d". False when KeepExisting found a file
// at the path (a link that leads nowhere included) and left it alone.
//
// The new file never grants more than the file it replaces (or a new file's default mode) at any
// moment: the temporary is created without access for others and gets the old file's owner, group
// and mode before its first byte; when it can't, the save fails and the old file stays.
//
// Where the system has unnamed files the temporary has no name until it is complete and locked;
// elsewhere it is named after the target, "<name>.qcsave-" and six letters, and locked at once. A
// temporary that a killed program left behind is removed by a later write of the same target in
// the same folder, or of a sibling that alsoClean accepts by its file name: the folder is read
// once per run for them. Only a regular file of the user the program runs as, not locked, not
// written for ten seconds and with no other name (or only its target's own) is ever removed;
// where files can't be locked, nothing is.
using SiblingFilter = bool (*)(QByteArrayView fileName);
bool writeWholeFile(const QString &path, const QByteArray &contents, WhenPresent whenPresent,
    SiblingFilter alsoClean = nullptr);

// True for the name of a temporary of writeWholeFile for the file called targetName.
bool isTemporaryNameFor(const QString &fileName, const QString &targetName);

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
void setSaveHooksForTesting(SaveHooks hooks);

// The seams above for as long as the guard lives, set by name
// (ScopedSaveHooks hooks({ .namedTemporariesOnly = true })); the real calls again after it.
class ScopedSaveHooks
{
public:
    explicit ScopedSaveHooks(SaveHooks hooks) { setSaveHooksForTesting(std::move(hooks)); }
    ~ScopedSaveHooks() { setSaveHooksForTesting({}); }
    ScopedSaveHooks(const ScopedSaveHooks &) = delete;
    ScopedSaveHooks &operator=(const ScopedSaveHooks &) = delete;
};

} // namespace qc
