// Where the program keeps its files: the directory of its own executable, symbolic links resolved.
#pragma once

#include <QString>

namespace qc {

QString programDirectory();
QString programFilePath();

// Tests point the program at a directory of their own; an empty path restores the real one.
void setProgramFilePathForTesting(const QString &filePath);

} // namespace qc
