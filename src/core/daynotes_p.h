// The per-system part of opening a note (daynotes_posix.cpp, daynotes_win.cpp).
#pragma once

#include "daynotes.h"

namespace qc {

// Starts the editor and does not wait for it.
void startDetached(const EditorCommand &command);

} // namespace qc
