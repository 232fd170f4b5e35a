// Numbers from the input texts and texts from the results.
// ParseNumberPrefix reads the number at the start of any text (never fails);
// NumberToText and FormatThreeDecimals write a double in the user's format.
#pragma once

#include <string>
#include <string_view>

#include "calc/number_format.h"

namespace calc {

// Blanks, tabs and line feeds are ignored wherever they stand; then an optional
// sign, digits with at most one period, an optional exponent (E or D); or &H/&O
// with hexadecimal/octal digits. Whatever follows is ignored; no number reads 0.
// A number too large for a double reads as an infinity, one too small as zero.
double ParseNumberPrefix(std::string_view text);

// General form: 15 significant digits, trailing zeros dropped, no grouping,
// exponent form (1E+20, 5.6789E-12) where the plain form would not fit.
std::string NumberToText(double value, const NumberFormat& format);

// Exactly three decimals, rounded half away from zero, grouped as the format says.
std::string FormatThreeDecimals(double value, const NumberFormat& format);

// The same, appended to `out`, for callers that build a longer text.
void AppendNumberText(std::string& out, double value, const NumberFormat& format);
void AppendThreeDecimals(std::string& out, double value, const NumberFormat& format);

}  // namespace calc
