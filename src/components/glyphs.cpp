// The pictures from the resources: a button picture split into its normal and greyed images.
#include "glyphs.h"

#include <QHash>
#include <QImage>
#include <QImageReader>

namespace qc {

namespace {

// The picture built in under the name, decoded by the PNG reader alone: left to detect the format,
// Qt would open every image plugin to ask whether it knows the file.
QImage resourceImage(const QString &name)
{
    QImageReader reader(QLatin1String(":/") + name + QLatin1String(".png"), "png");
    reader.setAutoDetectImageFormat(false);
    return reader.read();
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
    // Each picture decoded once: "跳到今天" and "生日" share theirs. Images, not pixmaps, outlive
    // the application object safely.
    static QHash<Glyph, QImage> decoded;
    auto found = decoded.find(glyph);
    if (found == decoded.end())
        found = decoded.insert(glyph, resourceImage(glyphResourceName(glyph)));
    return iconFromStrip(*found);
}

QIcon programIcon()
{
    // Decoded once: every window and the notification icon show it.
    static const QImage image = resourceImage(QStringLiteral("appicon"));
    return image.isNull() ? QIcon() : QIcon(QPixmap::fromImage(image));
}

QPixmap aboutPicture()
{
    return QPixmap::fromImage(resourceImage(QStringLiteral("about")));
}

} // namespace qc
