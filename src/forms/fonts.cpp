// Font substitutions and the application style that sets the tooltip timing.
#include "fonts.h"

#include <QApplication>
#include <QFont>
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
    QFont::insertSubstitutions(QStringLiteral("宋体"), { QStringLiteral("Noto Serif CJK SC") });
    const QStringList brush { QStringLiteral("AR PL UKai CN"), QStringLiteral("Noto Serif CJK SC") };
    QFont::insertSubstitutions(QStringLiteral("隶书"), brush);
    QFont::insertSubstitutions(QStringLiteral("楷体_GB2312"), brush);
    // A Latin face first: its line is short enough for the small banners the design gives it;
    // Chinese text falls back to the CJK face.
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
        { QStringLiteral("DejaVu Sans"), QStringLiteral("Noto Sans CJK SC") });
}

void installToolTipTiming(QApplication &app)
{
    app.setStyle(new ToolTipTimingStyle(app.style()->name()));
}

} // namespace qc
