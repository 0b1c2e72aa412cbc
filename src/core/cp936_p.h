// What the code page layer's per-system files share: the byte structure of code page 936, and
// Qt's own converter (ICU), which every system uses where Qt has one.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace qc::cp936 {

// A lead byte starts a two-byte character; the byte after it must be a trail byte. Every other
// byte above 0x7F is a character of its own (the euro sign, 0xFF) or a bad byte.
constexpr bool isLeadByte(char c)
{
    const auto b = static_cast<unsigned char>(c);
    return b >= 0x81 && b <= 0xFE;
}

constexpr bool isTrailByte(char c)
{
    const auto b = static_cast<unsigned char>(c);
    return b >= 0x40 && b <= 0xFE && b != 0x7F;
}

namespace withQt {

// Whether this Qt has a converter for the code page (not so in a build without ICU).
bool available();
QByteArray encode(QStringView text, bool *ok);
QString decode(const QByteArray &bytes);
QStringList decodeEach(const QList<QByteArray> &texts);

} // namespace withQt

} // namespace qc::cp936
