// Fuzz target: number conversion of typed text, and the code-page-936 cut and decode that sit
// between stored bytes and that text.
#include "core/convert.h"
#include "core/cp936.h"
#include "core/errors.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    // The first byte picks the cut length; the rest is the text, once as UTF-8, once as bytes.
    const qsizetype cutAt = data[0];
    const QByteArray bytes(reinterpret_cast<const char *>(data + 1), static_cast<qsizetype>(size - 1));
    const QString text = QString::fromUtf8(bytes);

    const std::optional<std::int32_t> value = qc::tryStrToInt(text);
    try {
        const std::int32_t thrown = qc::strToInt(text);
        if (!value || *value != thrown)
            std::abort();
    } catch (const qc::EConvertError &) {
        if (value)
            std::abort();
    }

    const QByteArray cut = qc::cp936::cut(bytes, cutAt);
    if (cut.size() > cutAt || cut.size() > bytes.size() || !bytes.startsWith(cut))
        std::abort();
    const QString decoded = qc::cp936::decode(bytes);
    (void)qc::tryStrToInt(decoded);
    (void)qc::cp936::encode(text);
    if (qc::cp936::byteLength(text) < 0)
        std::abort();
    (void)qc::cp936::cutText(decoded, cutAt);
    return 0;
}
