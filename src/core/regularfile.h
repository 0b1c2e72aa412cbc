// Reading the program's own files without trusting what is at their paths. Only a regular file
// (links followed) is ever opened for its contents, and opening never waits: a named pipe, a socket
// or a device in a note's or the birthday file's place can neither hang the program nor feed it
// without end.
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace qc {

// Size in bytes of the regular file at the path; nullopt when there is none, it is something else,
// or it can't be opened for reading.
std::optional<qint64> regularFileSize(const QString &path);

// The file's bytes, at most maxBytes + 1 of them so that the caller can tell a file over its limit;
// nullopt when nothing is at the path (a dangling link included). Throws EInOutError: "File access
// denied" when the file can't be opened or is no regular file, "I/O error 30" (read fault) or the
// program's own code of the system's error when reading fails.
std::optional<QByteArray> readRegularFile(const QString &path, qint64 maxBytes);

// What is at a path, links followed: nothing (a link that leads nowhere included), a regular file
// or something else (a folder, a pipe, a device, a loop of links).
enum class PathKind { Missing, Regular, Other };
PathKind pathKind(const QString &path);

// The path a link at the path leads to in the end, followed through every link on the way (the
// path itself when it is no link), whether or not anything is there; empty for a loop of links.
// Each link's target is resolved as the system resolves it: the folders on the way that exist are
// taken with their links followed before a ".." after them, and the part from the first folder
// that doesn't exist stays as written.
QString finalLinkTarget(const QString &path);

// A link whose final target does not exist: a drive or a sync folder not there, or a file not
// created yet. folderExists tells the second from the first.
struct DanglingLink
{
    QString target;
    bool folderExists = false;
};
std::optional<DanglingLink> danglingLink(const QString &path);

} // namespace qc
