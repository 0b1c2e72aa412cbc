// Code page 936 on systems whose Qt converts it itself (through ICU).
#include "cp936.h"

#include "cp936_p.h"

namespace qc::cp936 {

QByteArray encode(QStringView text, bool *ok)
{
    return withQt::encode(text, ok);
}

QString decode(const QByteArray &bytes)
{
    return withQt::decode(bytes);
}

QStringList decodeEach(const QList<QByteArray> &texts)
{
    return withQt::decodeEach(texts);
}

} // namespace qc::cp936
