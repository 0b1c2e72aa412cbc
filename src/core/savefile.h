// Writing a file whole: the new contents go to a temporary file beside the target and are put in
// place only when complete, so a failure never leaves a half-written or emptied file behind.
#pragma once

#include "errors.h"

#include <QByteArray>
#include <QString>

namespace qc {

enum class WhenPresent {
    Replace, // the new file takes the place of whatever file is there (a link's target is replaced)
    KeepExisting, // any file already there wins, however late it appeared; ours is dropped
};

// The folder would not take the new file (no write permission, a read-only file system). Its
// message is the classic "File access denied"; callers that can say more name the folder.
class EFolderNotWritable : public EInOutError
{
public:
    explicit EFolderNotWritable(QString folder);
    const QString &folder() const noexcept { return m_folder; }

private:
    QString m_folder;
};

// Throws EInOutError with the classic code: "File access denied", "Disk full", "File not found",
// "Invalid filename", "Too many open files" or "I/O error %d". False when KeepExisting found a file
// at the path and left it alone.
//
// The temporary is named after the target: "<name>.qcsave-" and six letters. One that a killed
// program left behind is removed by the next write of the same target; no other file is touched.
bool writeWholeFile(const QString &path, const QByteArray &contents, WhenPresent whenPresent);

// True for the name of a temporary of writeWholeFile for the file called targetName.
bool isTemporaryNameFor(const QString &fileName, const QString &targetName);

// The classic I/O error code of a system error number (errno).
int ioErrorCodeFromErrno(int systemError);

} // namespace qc
