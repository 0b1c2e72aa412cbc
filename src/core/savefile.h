// Writing a file whole: the new contents go to a file beside the target and are renamed into place
// only when complete, so a failure never leaves a half-written or emptied file behind.
#pragma once

#include <QByteArray>
#include <QString>

namespace qc {

enum class WhenPresent {
    Replace, // the new file takes the place of whatever is there
    KeepExisting, // a file that appeared meanwhile wins; ours is dropped
};

// Throws EInOutError with the classic code: "File access denied", "Disk full", "File not found",
// "Invalid filename", "Too many open files" or "I/O error %d". False when KeepExisting found a file
// at the path just before the rename and left it alone.
bool writeWholeFile(const QString &path, const QByteArray &contents, WhenPresent whenPresent);

// The classic I/O error code of a system error number (errno).
int ioErrorCodeFromErrno(int systemError);

} // namespace qc
