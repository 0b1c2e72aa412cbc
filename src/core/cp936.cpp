// Code page 936 through Qt's ICU-backed converter. Every byte count of the program goes through here.
#include "cp936.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace qc::cp936 {

namespace {

constexpr const char *CodecName = "windows-936";

bool isLeadByte(char c)
{
    const auto b = static_cast<unsigned char>(c);
    return b >= 0x81 && b <= 0xFE;
}

// Converters keep conversion state, so each thread gets its own, reset before every use.
QStringEncoder &encoder()
{
    thread_local QStringEncoder e(CodecName, QStringConverter::Flag::Stateless);
    e.resetState();
    return e;
}

QStringDecoder &decoder()
{
    thread_local QStringDecoder d(CodecName, QStringConverter::Flag::Stateless);
    d.resetState();
    return d;
}

} // namespace

QByteArray encode(QStringView text, bool *ok)
{
    QStringEncoder &e = encoder();
    QByteArray bytes = e.encode(text);
    if (ok)
        *ok = !e.hasError();
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
    return decoder().decode(bytes);
}

qsizetype byteLength(QStringView text)
{
    return encode(text).size();
}

QByteArray cut(const QByteArray &bytes, qsizetype maxBytes)
{
    if (maxBytes <= 0)
        return {};
    qsizetype i = 0;
    const qsizetype limit = std::min(maxBytes, bytes.size());
    while (i < limit) {
        const qsizetype step = isLeadByte(bytes[i]) ? 2 : 1;
        if (i + step > limit)
            break;
        i += step;
    }
    return bytes.left(i);
}

QString cutText(QStringView text, qsizetype maxBytes)
{
    return decode(cut(encode(text), maxBytes));
}

} // namespace qc::cp936
