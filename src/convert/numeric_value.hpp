#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace zum {

// The number at the start of a text, as a 64-bit float. Spaces, tabs and line
// feeds are ignored wherever they stand. Then an optional sign, digits with at
// most one "." and an optional exponent introduced by E or D (either case) are
// read; reading stops at the first other character. "&H" and "&O" introduce a
// hexadecimal or octal whole number. A text that does not begin with a number
// gives 0, and so does a number too large for a 64-bit float.
double NumericValue(std::string_view text);

// The same reading, but no value when the text does not begin with a number.
std::optional<double> LeadingNumber(std::string_view text);

// Rounds to the nearest whole number, a half going to the even neighbour
// (2.5 -> 2, 3.5 -> 4, -3.5 -> -4). A result outside the 16-bit range is an
// overflow, returned as no value.
std::optional<std::int16_t> RoundToInt16(double x);

} // namespace zum
