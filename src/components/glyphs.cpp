// The pictures from the resources: a button picture split into its normal and greyed images.
#include "glyphs.h"

#include <QFile>
#include <QImage>

namespace qc {

namespace {

QString resourcePath(const QString &name)
{
    for (const auto *extension : { ".xpm", ".png" }) {
        QString path = QLatin1String(":/") + name + QLatin1String(extension);
        if (QFile::exists(path))
            return path;
    }
    return {};
}

} // namespace

QString glyphResourceName(Glyph glyph)
{
    switch (glyph) {
    case Glyph::Today:
        return QStringLiteral("btn_today");
    case Glyph::Note:
        return QStringLiteral("btn_note");
    case Glyph::About:
        return QStringLiteral("btn_about");
    case Glyph::Hide:
        return QStringLiteral("btn_hide");
    case Glyph::Exit:
        return QStringLiteral("btn_exit");
    case Glyph::Add:
        return QStringLiteral("btn_add");
    case Glyph::Delete:
        return QStringLiteral("btn_delete");
    case Glyph::Remind:
        return QStringLiteral("btn_remind");
    case Glyph::Ok:
        return QStringLiteral("btn_ok");
    case Glyph::Back:
        return QStringLiteral("btn_back");
    }
    return {};
}

QIcon iconFromStrip(const QImage &strip)
{
    if (strip.isNull())
        return {};
    QImage image = strip.convertToFormat(QImage::Format_ARGB32);
    const QRgb transparentKey = image.pixel(0, image.height() - 1);
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (line[x] == transparentKey)
                line[x] = qRgba(0, 0, 0, 0);
        }
    }
    const int half = image.width() >= 2 * image.height() ? image.width() / 2 : image.width();
    QIcon icon;
    icon.addPixmap(QPixmap::fromImage(image.copy(0, 0, half, image.height())), QIcon::Normal);
    if (half < image.width())
        icon.addPixmap(QPixmap::fromImage(image.copy(half, 0, half, image.height())), QIcon::Disabled);
    return icon;
}

QIcon glyphIcon(Glyph glyph)
{
    const QString path = resourcePath(glyphResourceName(glyph));
    return path.isEmpty() ? QIcon() : iconFromStrip(QImage(path));
}

QIcon programIcon()
{
    const QString path = resourcePath(QStringLiteral("appicon"));
    return path.isEmpty() ? QIcon() : QIcon(path);
}

QPixmap aboutPicture()
{
    const QString path = resourcePath(QStringLiteral("about"));
    return path.isEmpty() ? QPixmap() : QPixmap(path);
}

} // namespace qc
