// The number format as the page passes it to the core: three texts and five
// integers, as Intl.NumberFormat's probe gives them. Shared by the WebAssembly
// binding and the native driver it is compared with.
#pragma once

#include <cstdint>
#include <string_view>

#include "calc/number_format.h"

namespace web {

inline calc::NumberFormat NumberFormatFromFields(std::string_view decimal_separator, std::string_view group_separator,
                                                 std::string_view negative_sign, std::int32_t primary_group_size,
                                                 std::int32_t secondary_group_size,
                                                 std::int32_t minimum_grouping_digits, bool leading_zero,
                                                 bool parentheses) {
  calc::NumberFormat format;
  format.decimal_separator = decimal_separator;
  format.group_separator = group_separator;
  format.negative_sign = negative_sign;
  format.primary_group_size = primary_group_size;
  format.secondary_group_size = secondary_group_size;
  format.minimum_grouping_digits = minimum_grouping_digits;
  format.leading_zero = leading_zero;
  format.negative_form =
      parentheses ? calc::NumberFormat::NegativeForm::Parentheses : calc::NumberFormat::NegativeForm::LeadingMinus;
  return format;
}

}  // namespace web
