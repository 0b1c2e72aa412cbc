// The design fonts' stand-in faces, unhinted text, and the application style that sets the tooltip timing.
#include "fonts.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QProxyStyle>

namespace qc {

namespace {

class ToolTipTimingStyle : public QProxyStyle
{
public:
    using QProxyStyle::QProxyStyle;

    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
        QStyleHintReturn *returnData) const override
    {
        switch (hint) {
        case SH_ToolTip_WakeUpDelay:
            return 500;
        case SH_ToolTip_FallAsleepDelay:
            // As long as a hint may still be up, the next one follows quickly (Qt's quick path is a
            // fixed 20 ms, the closest it comes to the classic 50 ms re-show delay).
            return hintDisplayMs;
        default:
            return QProxyStyle::styleHint(hint, option, widget, returnData);
        }
    }
};

} // namespace

void installFontSubstitutions()
{
    // A Song face whose Latin letters and digits are half the width of a Chinese character, as
    // the design's were: texts measured against the design's control widths fit the same way.
    const QString song = QStringLiteral("AR PL UMing CN");
    QFont::insertSubstitutions(QStringLiteral("宋体"), { song, QStringLiteral("Noto Serif CJK SC") });
    const QStringList brush { QStringLiteral("AR PL UKai CN"), song };
    QFont::insertSubstitutions(QStringLiteral("隶书"), brush);
    QFont::insertSubstitutions(QStringLiteral("楷体_GB2312"), brush);
    // A narrow sans face: the common sans faces are wider than the small bitmap face the status
    // bar's 50-pixel note size panel was measured with. Chinese text takes the Song face, as it
    // did on the original desktop.
    QFont::insertSubstitutions(
        QStringLiteral("MS Sans Serif"), { QStringLiteral("Liberation Sans Narrow"), song });
    // Outlines as the faces draw them, without the desktop's usual light hinting: the Chinese
    // faces carry no hinting code of their own, so light hinting means FreeType's auto-hinter,
    // which first classifies every character a face maps (some 20,000 each) and reads glyphs
    // never drawn. That cost a sixth of the program's start-up memory.
    QFont font = QGuiApplication::font();
    font.setHintingPreference(QFont::PreferNoHinting);
    QGuiApplication::setFont(font);
}

bool familyInstalled(const QString &family)
{
    // Case-insensitive: fontconfig may name a family in lower case.
    static const QStringList installed = QFontDatabase::families();
    return installed.contains(family, Qt::CaseInsensitive);
}

QStringList designFamilies(const QString &family, FontText text)
{
    QStringList families = QFont::substitutes(family);
    // Where the faces after the first are only its stand-ins (宋体, the brush faces), the first alone
    // is named once it is installed: Qt builds the sorted list of all installed fonts for every font
    // that names more than one family, once per script. "MS Sans Serif" keeps its list, whose second
    // face draws the Chinese characters the first lacks, unless it draws ASCII alone.
    const bool fallbackNeeded = family == QLatin1String("MS Sans Serif") && text == FontText::Any;
    if (!fallbackNeeded && !families.isEmpty() && familyInstalled(families.first()))
        return { families.first() };
    return families << family;
}

QFont designFont(const QString &family, int pixels, FontText text)
{
    QFont font;
    font.setFamilies(designFamilies(family, text));
    font.setPixelSize(pixels);
    return font;
}

ApplicationFontScope::ApplicationFontScope(const QFont &font)
    : m_desktop(QApplication::font())
{
    QApplication::setFont(font);
}

ApplicationFontScope::~ApplicationFontScope()
{
    restore();
}

void ApplicationFontScope::restore()
{
    if (m_desktop) {
        QApplication::setFont(*m_desktop);
        m_desktop.reset();
    }
}

void installToolTipTiming(QApplication &app)
{
    app.setStyle(new ToolTipTimingStyle(app.style()->name()));
}

} // namespace qc
