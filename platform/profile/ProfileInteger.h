#pragma once

#include <QString>
#include <cstdint>
#include <optional>

// A stored integer as the Windows profile reader takes it: an optional sign,
// then decimal digits, or hexadecimal ones after "$", "x", "X", "0x" or "0X".
// Decimal must fit a signed 32-bit value; hexadecimal is a 32-bit pattern.
// Anything else (empty, other characters, out of range) gives nothing.
std::optional<std::int32_t> ParseProfileInteger(const QString& text);
