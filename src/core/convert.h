// Conversion of user-typed text to a 32-bit integer, with the program's fixed rules:
// leading blanks, an optional sign and decimal digits, or "$" and hexadecimal digits, nothing after.
#pragma once

#include <QString>

#include <cstdint>
#include <optional>

namespace qc {

// The value, or nothing when the text does not convert.
std::optional<std::int32_t> tryStrToInt(QStringView text);

// The value; throws EConvertError "'<text>' is not a valid integer value" when it does not convert.
std::int32_t strToInt(const QString &text);

} // namespace qc
