// Texts from the results: NumberToText and FormatThreeDecimals write a double in
// the user's format.
#pragma once

#include <string>
#include <string_view>

#include "calc/number_format.h"

namespace calc {

// General form: 15 significant digits, trailing zeros dropped, no grouping,
// exponent form (1E+20, 5.6789E-12) where the plain form would not fit.
std::string NumberToText(double value, const NumberFormat& format);

// Exactly three decimals, rounded half away from zero, grouped as the format says.
std::string FormatThreeDecimals(double value, const NumberFormat& format);

// The same, appended to `out`, for callers that build a longer text.
void AppendNumberText(std::string& out, double value, const NumberFormat& format);
void AppendThreeDecimals(std::string& out, double value, const NumberFormat& format);

}  // namespace calc
