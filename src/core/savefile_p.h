// What the save's per-system files and the clean-up share with its common part: the seams in
// force and the names of temporaries.
#pragma once

#include "savefile.h"

#include <QByteArray>

namespace qc {

// A temporary is named "<target>.qcsave-" and six letters.
constexpr char TemporaryMark[] = ".qcsave-";
constexpr int TemporaryLetters = 6;

// Six random letters, a-z and A-Z.
QByteArray randomLetters();
QByteArray randomTemporaryName(const QByteArray &target);

// The seams tests set; all empty in the program.
SaveHooks &saveHooks();

} // namespace qc
