#pragma once

#include "short_text.hpp"

namespace zum {

// Plain decimal text of a value rounded to 15 significant digits: trailing
// zeros and a bare point dropped, no digit before the point below 1 in
// magnitude (".5"), "-" for negatives, never an exponent, never "-0". Zero is
// "0". This is the coordinate text of the output files and the number layout
// of the settings file.
//
// When `readBack` is given, it receives the value of the text as NumericValue
// would read it, without reading it.
NumberText CoordinateText(double value, double* readBack = nullptr);
// The same, written into `text`.
void CoordinateText(double value, NumberText& text, double* readBack = nullptr);
// The texts of two values, faster than one after the other: a position's
// latitude and longitude.
void CoordinateTextPair(double first, double second, NumberText& firstText, NumberText& secondText,
                        double* firstReadBack, double* secondReadBack);

// A speed with exactly one decimal and at least one digit before the point,
// rounded half away from zero from its 15-significant-digit decimal form
// (1.15 -> "1.2", 0.25 -> "0.3"). A result of zero is "0.0", never "-0.0".
NumberText SpeedText(double value);
void SpeedText(double value, NumberText& text);

} // namespace zum
