// ParseNumberPrefix: the number at the start of any text, as the input boxes read it.
#pragma once

#include <string_view>

namespace calc {

// Blanks, tabs and line feeds are ignored wherever they stand; then an optional
// sign, digits with at most one period, an optional exponent (E or D); or &H/&O
// with hexadecimal/octal digits. Whatever follows is ignored; no number reads 0.
// A number too large for a double reads as an infinity, one too small as zero.
// Never fails.
double ParseNumberPrefix(std::string_view text);

}  // namespace calc
