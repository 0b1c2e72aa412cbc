// Code page 936 on Windows: Qt's usual Windows builds come without ICU and then have no converter
// for it, so the system's own tables stand in. Bytes and texts are those of Qt's converter: a
// character the code page lacks becomes one "?" (an invisible one is left out) and sets *ok to
// false; a bad byte, a lead byte without its trail byte included, decodes to U+FFFD.
#include "cp936.h"

#include "cp936_p.h"

#include <qt_windows.h>

#include <algorithm>
#include <iterator>
#include <utility>

namespace qc::cp936 {

namespace {

constexpr UINT CodePage936 = 936;
// The code page's one single byte above 0x80 that is not the euro sign, a private-use character
// both ways; the system encodes it but does not decode it.
constexpr char PrivateUseByte = '\xff';
constexpr char16_t PrivateUseCharacter = 0xF8F5;

// Characters the code page lacks that carry no visible text of their own (soft hyphen, joiners,
// direction marks, variation selectors, the byte-order mark ...): they are left out of the bytes
// rather than stored as "?", like the other builds of the program do.
bool isIgnorable(char32_t c)
{
    static constexpr std::pair<char32_t, char32_t> ranges[] = {
        { 0x00AD, 0x00AD },
        { 0x034F, 0x034F },
        { 0x061C, 0x061C },
        { 0x115F, 0x1160 },
        { 0x17B4, 0x17B5 },
        { 0x180B, 0x180F },
        { 0x200B, 0x200F },
        { 0x202A, 0x202E },
        { 0x2060, 0x206F },
        { 0x3164, 0x3164 },
        { 0xFE00, 0xFE0F },
        { 0xFEFF, 0xFEFF },
        { 0xFFA0, 0xFFA0 },
        { 0xFFF0, 0xFFF8 },
        { 0x1BCA0, 0x1BCA3 },
        { 0x1D173, 0x1D17A },
        { 0xE0000, 0xE0FFF },
    };
    return std::any_of(std::begin(ranges), std::end(ranges),
        [c](const auto &range) { return c >= range.first && c <= range.second; });
}

// One character of the code page, or none (an empty result).
QByteArray encodeCharacter(char16_t c)
{
    const auto wide = static_cast<wchar_t>(c);
    char bytes[2] = {};
    BOOL usedDefault = FALSE;
    const int size
        = WideCharToMultiByte(CodePage936, WC_NO_BEST_FIT_CHARS, &wide, 1, bytes, 2, "?", &usedDefault);
    if (size <= 0 || usedDefault)
        return {};
    return QByteArray(bytes, size);
}

QByteArray systemEncode(QStringView text, bool *ok)
{
    bool stored = true;
    QByteArray bytes;
    bytes.reserve(text.size() * 2);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.unicode() < 0x80) {
            bytes += char(c.unicode());
            continue;
        }
        char32_t codePoint = c.unicode();
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            codePoint = QChar::surrogateToUcs4(c, text[++i]);
        // Nothing outside the basic plane is in the code page; a lone surrogate is no character.
        const QByteArray character
            = codePoint <= 0xFFFF && !c.isSurrogate() ? encodeCharacter(char16_t(codePoint)) : QByteArray();
        if (character.isEmpty()) {
            stored = false;
            if (!isIgnorable(codePoint))
                bytes += '?';
        } else {
            bytes += character;
        }
    }
    if (ok)
        *ok = stored;
    return bytes;
}

QString systemDecode(QByteArrayView bytes)
{
    // The byte structure is walked here: a lead byte with a trail byte is one character; a lead
    // byte without one is a bad byte (U+FFFD) and what follows it is read on its own. The system
    // converts only whole characters, so what it does with damaged bytes never matters.
    QString text;
    text.reserve(bytes.size());
    qsizetype i = 0;
    while (i < bytes.size()) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80) {
            text += QChar(b);
            ++i;
            continue;
        }
        qsizetype length = 1;
        if (isLeadByte(bytes[i])) {
            if (i + 1 >= bytes.size() || !isTrailByte(bytes[i + 1])) {
                text += QChar(QChar::ReplacementCharacter);
                ++i;
                continue;
            }
            length = 2;
        }
        wchar_t wide[2] = {};
        const int size
            = MultiByteToWideChar(CodePage936, MB_ERR_INVALID_CHARS, bytes.data() + i, int(length), wide, 2);
        if (size == 1)
            text += QChar(char16_t(wide[0]));
        else if (length == 1 && bytes[i] == PrivateUseByte)
            text += QChar(PrivateUseCharacter);
        else
            text += QChar(QChar::ReplacementCharacter);
        i += length;
    }
    return text;
}

} // namespace

QByteArray encode(QStringView text, bool *ok)
{
    return withQt::available() ? withQt::encode(text, ok) : systemEncode(text, ok);
}

QString decode(const QByteArray &bytes)
{
    return withQt::available() ? withQt::decode(bytes) : systemDecode(bytes);
}

QStringList decodeEach(const QList<QByteArray> &texts)
{
    if (withQt::available())
        return withQt::decodeEach(texts);
    QStringList decoded;
    decoded.reserve(texts.size());
    for (const QByteArray &bytes : texts)
        decoded.append(systemDecode(bytes));
    return decoded;
}

} // namespace qc::cp936
