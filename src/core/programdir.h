// Where the program keeps its files: the directory of its own executable, symbolic links resolved.
#pragma once

#include <QString>

namespace qc {

QString programDirectory();
QString programFilePath();

// Empty when the directory of the program at filePath can hold its files; otherwise the text for
// the error box. Qt gives an empty path for an executable whose path it can't represent (a
// folder name that is no valid UTF-8), which would otherwise mean the current directory.
QString programDirectoryProblemFor(const QString &filePath);
QString programDirectoryProblem();

// Tests point the program at a directory of their own; an empty path restores the real one.
void setProgramFilePathForTesting(const QString &filePath);

} // namespace qc
