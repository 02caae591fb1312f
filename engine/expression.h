// Number reading shared by the expression evaluator, conditions and the commands that
// take numbers from names.
#pragma once

#include <cstdint>
#include <string_view>

namespace ml {

// The leading decimal digits of s as a 32-bit value, wrapping like the arithmetic.
std::int32_t leadingDecimal(std::string_view s);
// The leading decimal digits of s, saturating at a value above every flag number, so
// that a long number cannot wrap into range.
std::int64_t leadingFlagNumber(std::string_view s);

inline bool isDigit(std::uint8_t c) { return c >= '0' && c <= '9'; }
inline bool isCapital(std::uint8_t c) { return c >= 'A' && c <= 'Z'; }

}  // namespace ml
