// The clean-up of leftovers: temporaries that a killed save left beside its target, removed by a
// later save in the same folder (leftovers_posix.cpp, leftovers_win.cpp).
#pragma once

#include "savefile.h"

#include <QByteArray>
#include <QString>

#ifndef Q_OS_WIN
#include <sys/stat.h>

namespace qc {

// Removes the leftovers of the target, and of the siblings alsoClean accepts by their file name,
// from the folder (an open descriptor of it; directoryPath names it). The folder is read once per
// run; a leftover not yet old enough is looked at again by the next save there. Only a regular
// file of the user the program runs as, not locked, not written for ten seconds and with no other
// name (or only its target's own) is ever removed; where files can't be locked, nothing is.
void removeStaleTemporaries(
    int directory, const QByteArray &directoryPath, const QByteArray &target, SiblingFilter alsoClean);

inline bool sameFile(const struct stat &a, const struct stat &b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// True when the name in the folder names exactly that file (a link is never followed).
bool namesFile(int directory, const char *name, const struct stat &file);

} // namespace qc
#else
namespace qc {
// The same on Windows, for the folder as the system calls take it (a long path) and the target's
// file name; a leftover is checked and removed through one handle that shuts everyone else out.
void removeStaleTemporaries(const QString &longFolder, const QString &target, SiblingFilter alsoClean);
} // namespace qc
#endif
