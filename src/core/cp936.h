// The code-page-936 text layer. Stored and measured text is code-page-936 bytes
// (a Chinese character takes two bytes); every length limit of the program counts these bytes.
// Qt converts where it can (ICU); a Windows Qt without ICU leaves it to the system's tables.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace qc::cp936 {

// Bytes of the text; characters the code page cannot store become "?" and set *ok to false.
QByteArray encode(QStringView text, bool *ok = nullptr);
bool canEncode(QStringView text);

// Text of the bytes; bytes that are no valid character decode to U+FFFD (for display only).
QString decode(const QByteArray &bytes);
// Each text as decode() gives it, with one converter for them all (opening a converter per text
// dominates the time to load a long birthday list).
QStringList decodeEach(const QList<QByteArray> &texts);

// Number of bytes the text takes.
qsizetype byteLength(QStringView text);

// The first maxBytes bytes at most, never ending inside a two-byte character: a partial
// character at the cut is dropped.
QByteArray cut(const QByteArray &bytes, qsizetype maxBytes);
QString cutText(QStringView text, qsizetype maxBytes);

} // namespace qc::cp936
