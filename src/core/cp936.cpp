// The code page layer's shared part: byte counts, cuts at character boundaries and Qt's converter.
// Which converter encodes and decodes is each system's choice (cp936_posix.cpp, cp936_win.cpp).
#include "cp936.h"

#include "cp936_p.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <optional>

namespace qc::cp936 {

namespace {

constexpr const char *CodecName = "windows-936";

// Length of the code point starting at index i (a surrogate pair counts as one).
qsizetype codePointLength(QStringView text, qsizetype i)
{
    return text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate() ? 2 : 1;
}

QString decodeWith(QStringDecoder &decoder, const QByteArray &bytes)
{
    QString text = decoder.decode(bytes);
    // The converter silently swallows a lead byte at the very end; show it like any other bad byte.
    if (cut(bytes, bytes.size()).size() != bytes.size())
        text += QChar(QChar::ReplacementCharacter);
    return text;
}

bool isAscii(const QByteArray &bytes)
{
    return std::all_of(bytes.cbegin(), bytes.cend(), [](char c) { return (c & 0x80) == 0; });
}

} // namespace

namespace withQt {

bool available()
{
    static const bool valid = QStringEncoder(CodecName).isValid();
    return valid;
}

QByteArray encode(QStringView text, bool *ok)
{
    // A fresh converter per operation: converters are not thread-safe, and the ICU-backed ones
    // keep their error flag across resetState(), which would make a cached one report stale errors.
    QStringEncoder encoder(CodecName, QStringConverter::Flag::Stateless);
    Q_ASSERT(encoder.isValid());
    QByteArray bytes = encoder.encode(text);
    // The converter drops a high surrogate at the very end (it waits for its partner);
    // store it as "?" like every other character that cannot be stored.
    if (!text.isEmpty() && text.back().isHighSurrogate())
        bytes += '?';
    if (ok)
        *ok = !encoder.hasError();
    return bytes;
}

QString decode(const QByteArray &bytes)
{
    QStringDecoder decoder(CodecName, QStringConverter::Flag::Stateless);
    Q_ASSERT(decoder.isValid());
    return decodeWith(decoder, bytes);
}

QStringList decodeEach(const QList<QByteArray> &texts)
{
    // Opened at the first text that needs it: an empty or plain-ASCII list loads no code page tables.
    std::optional<QStringDecoder> opened;
    QStringList decoded;
    decoded.reserve(texts.size());
    for (const QByteArray &bytes : texts) {
        if (isAscii(bytes)) {
            decoded.append(QString::fromLatin1(bytes));
            continue;
        }
        if (!opened)
            opened.emplace(CodecName, QStringConverter::Flag::Stateless);
        decoded.append(decodeWith(*opened, bytes));
    }
    return decoded;
}

} // namespace withQt

bool canEncode(QStringView text)
{
    bool ok = false;
    encode(text, &ok);
    return ok;
}

qsizetype byteLength(QStringView text)
{
    return encode(text).size();
}

QByteArray cut(const QByteArray &bytes, qsizetype maxBytes)
{
    const qsizetype limit = std::min(maxBytes, bytes.size());
    qsizetype end = 0;
    while (end < limit) {
        const qsizetype step = isLeadByte(bytes[end]) ? 2 : 1;
        if (end + step > limit)
            break;
        end += step;
    }
    return bytes.left(end);
}

QString cutText(QStringView text, qsizetype maxBytes)
{
    // No character takes more than two bytes: a text that surely fits needs no converter, which
    // keeps the code page tables unloaded at start-up (the icon's fixed tooltip).
    if (text.size() * 2 <= maxBytes)
        return text.toString();
    // Counted per character rather than by decoding cut bytes, so characters the code page
    // cannot store survive (each counts as the one "?" byte it would be stored as).
    qsizetype used = 0;
    qsizetype end = 0;
    while (end < text.size()) {
        const qsizetype length = codePointLength(text, end);
        const QChar first = text[end];
        const qsizetype bytes = first.unicode() < 0x80 || (length == 1 && first.isSurrogate())
            ? 1
            : encode(text.mid(end, length)).size();
        if (used + bytes > maxBytes)
            break;
        used += bytes;
        end += length;
    }
    return text.left(end).toString();
}

} // namespace qc::cp936
