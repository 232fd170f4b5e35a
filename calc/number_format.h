// The user's number settings, as the report needs them: what separates the
// decimals, how the integer digits are grouped, and how a negative value looks.
// A front end fills one from how its platform writes sample integers
// (NumberFormatFromSample); tests build them by hand.
#pragma once

#include <string>
#include <string_view>

namespace calc {

struct NumberFormat {
  enum class NegativeForm { LeadingMinus, Parentheses };

  std::string decimal_separator = ".";  // UTF-8
  std::string group_separator = ",";    // UTF-8
  int primary_group_size = 3;           // digits in the group next to the separator; 0: no grouping
  int secondary_group_size = 3;         // digits in every further group, repeating; 0: no further group
  int minimum_grouping_digits = 1;      // group only with at least primary + this many integer digits
  bool leading_zero = true;             // 0.5 rather than .5
  NegativeForm negative_form = NegativeForm::LeadingMinus;
  std::string negative_sign = "-";  // UTF-8; used with LeadingMinus
};

// The integers whose written form NumberFormatFromSample reads: the first digit, the first two, and
// so on to all fourteen.
inline constexpr std::string_view kSampleDigits = "12345678901234";

// The format of a locale that names its separators and sign as given, and writes the prefixes of
// kSampleDigits as `samples` holds them, one a line (UTF-8, any digits). Its group sizes and minimum
// grouping are read off those lines; a locale that groups nothing gets sizes of 0.
NumberFormat NumberFormatFromSample(std::string_view decimal_separator, std::string_view group_separator,
                                    std::string_view negative_sign, std::string_view samples);

}  // namespace calc
