// The user's number settings, as the report needs them: what separates the
// decimals, how the integer digits are grouped, and how a negative value looks.
// The window fills one from the user's locale; tests build them by hand.
#pragma once

#include <string>

namespace calc {

struct NumberFormat {
  enum class NegativeForm { LeadingMinus, Parentheses };

  std::string decimal_separator = ".";  // UTF-8
  std::string group_separator = ",";    // UTF-8
  int primary_group_size = 3;           // digits in the group next to the separator; 0: no grouping
  int secondary_group_size = 3;         // digits in every further group, repeating
  int minimum_grouping_digits = 1;      // group only with at least primary + this many integer digits
  bool leading_zero = true;             // 0.5 rather than .5
  NegativeForm negative_form = NegativeForm::LeadingMinus;
  std::string negative_sign = "-";  // UTF-8; used with LeadingMinus
};

}  // namespace calc
