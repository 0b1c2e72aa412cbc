// Fonts and tooltip timing for the whole program. The windows name their fonts as the design did
// ("宋体", "隶书", ...); each name is given faces a Linux desktop has, which are asked for ahead of
// the name itself (where none of them is installed, the name alone decides). Text is drawn unhinted.
#pragma once

#include <QFont>
#include <QStringList>

#include <optional>

class QApplication;

namespace qc {

// How long the month grid's hint stays up.
constexpr int hintDisplayMs = 2500;

void installFontSubstitutions();

// What a design font draws: any text, or ASCII alone (Latin letters, digits and signs), which the
// first stand-in of every design font holds.
enum class FontText { Any, Ascii };

// The faces that stand in for a design font, followed by the design's own name: the font database
// finds a face at once instead of searching every installed font for the design's name. A font
// whose first stand-in is installed and whose others only replace it, or that draws ASCII alone,
// names that one face alone.
QStringList designFamilies(const QString &family, FontText text = FontText::Any);
// Whether the font database has the family, in any case.
bool familyInstalled(const QString &family);
// A design font at a pixel height, as designFamilies() names it.
QFont designFont(const QString &family, int pixels, FontText text = FontText::Any);

// While it lives, the application font is the given one: widgets built meanwhile take it before
// their form gives them their own, and so load no face that nothing draws. restore(), or the end
// of its life, brings back the desktop's font for what is built later (message boxes, the tray
// menu, tooltips) before any window shows.
class ApplicationFontScope
{
public:
    explicit ApplicationFontScope(const QFont &font);
    ~ApplicationFontScope();
    ApplicationFontScope(const ApplicationFontScope &) = delete;
    ApplicationFontScope &operator=(const ApplicationFontScope &) = delete;
    void restore();

private:
    std::optional<QFont> m_desktop;
};

// Hints appear after the pointer rests for 500 ms; while one has just been showing, Qt shows the
// next one after its own short fixed delay.
void installToolTipTiming(QApplication &app);

} // namespace qc
