// What the save's per-system files share with the common part: the seams in force and the shape
// of a temporary's name.
#pragma once

#include "savefile.h"

#include <QString>

namespace qc {

// "<target>.qcsave-" and six letters.
inline const QString TemporaryMark = QStringLiteral(".qcsave-");
constexpr int TemporaryLetters = 6;

// The seams tests set; all empty in the program.
SaveHooks &saveHooks();

} // namespace qc
