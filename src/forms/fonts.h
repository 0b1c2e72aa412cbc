// Fonts and tooltip timing for the whole program. The windows name their fonts as the original
// desktop did ("宋体", "隶书", ...); Qt font substitutions map those names to fonts a Linux desktop has.
#pragma once

class QApplication;

namespace qc {

// How long the month grid's hint stays up.
constexpr int hintDisplayMs = 2500;

void installFontSubstitutions();

// Hints appear after the pointer rests for 500 ms; while one has just been showing, Qt shows the
// next one after its own short fixed delay.
void installToolTipTiming(QApplication &app);

} // namespace qc
