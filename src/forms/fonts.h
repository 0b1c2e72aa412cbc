// Fonts and tooltip timing for the whole program. The windows name their fonts as the design did
// ("宋体", "隶书", ...); each name is given faces a Linux desktop has, which are asked for ahead of
// the name itself (where none of them is installed, the name alone decides). Text is drawn unhinted.
#pragma once

#include <QFont>
#include <QStringList>

class QApplication;

namespace qc {

// How long the month grid's hint stays up.
constexpr int hintDisplayMs = 2500;

void installFontSubstitutions();

// The design's font name followed by the faces that stand in for it, those first: the font
// database finds a face at once instead of searching every installed font for the design's name.
QStringList designFamilies(const QString &family);
// A design font at a pixel height, as designFamilies() names it.
QFont designFont(const QString &family, int pixels);

// Hints appear after the pointer rests for 500 ms; while one has just been showing, Qt shows the
// next one after its own short fixed delay.
void installToolTipTiming(QApplication &app);

} // namespace qc
