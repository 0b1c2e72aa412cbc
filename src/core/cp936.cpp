// Code page 936 through Qt's ICU-backed converter, or the system's tables where Qt has no ICU (Windows).
// Every byte count of the program goes through here.
#include "cp936.h"

#include "platform.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>

namespace qc::cp936 {

namespace {

constexpr const char *CodecName = "windows-936";

bool isLeadByte(char c)
{
    const auto b = static_cast<unsigned char>(c);
    return b >= 0x81 && b <= 0xFE;
}

// A fresh converter per operation: converters are not thread-safe, and the ICU-backed ones
// keep their error flag across resetState(), which would make a cached one report stale errors.
QStringEncoder newEncoder()
{
    QStringEncoder encoder(CodecName, QStringConverter::Flag::Stateless);
    Q_ASSERT(encoder.isValid());
    return encoder;
}

#ifdef Q_OS_WIN
// Qt's Windows builds usually come without ICU and then have no converter for this code page;
// the system's own tables stand in.
bool qtConverts()
{
    static const bool valid = QStringEncoder(CodecName).isValid();
    return valid;
}
#endif

// Length of the code point starting at index i (a surrogate pair counts as one).
qsizetype codePointLength(QStringView text, qsizetype i)
{
    return text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate() ? 2 : 1;
}

} // namespace

QByteArray encode(QStringView text, bool *ok)
{
#ifdef Q_OS_WIN
    if (!qtConverts())
        return platform::encodeCodePage936(text, ok);
#endif
    QStringEncoder encoder = newEncoder();
    QByteArray bytes = encoder.encode(text);
    // The converter drops a high surrogate at the very end (it waits for its partner);
    // store it as "?" like every other character that cannot be stored.
    if (!text.isEmpty() && text.back().isHighSurrogate())
        bytes += '?';
    if (ok)
        *ok = !encoder.hasError();
    return bytes;
}

bool canEncode(QStringView text)
{
    bool ok = false;
    encode(text, &ok);
    return ok;
}

QString decode(const QByteArray &bytes)
{
#ifdef Q_OS_WIN
    if (!qtConverts())
        return platform::decodeCodePage936(bytes);
#endif
    QStringDecoder decoder(CodecName, QStringConverter::Flag::Stateless);
    Q_ASSERT(decoder.isValid());
    QString text = decoder.decode(bytes);
    // The converter silently swallows a lead byte at the very end; show it like any other bad byte.
    if (cut(bytes, bytes.size()).size() != bytes.size())
        text += QChar(QChar::ReplacementCharacter);
    return text;
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
