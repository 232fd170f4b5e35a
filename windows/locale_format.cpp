// The numbers are written as the user's regional settings say, as Windows' own
// programs write them: a grouping of "3;0" groups four-digit numbers too (4 999,250
// in Bulgarian), whatever other libraries' locale data would do.
#include "windows/locale_format.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "windows/utf16.h"

namespace korvane {
namespace {

// "3;2;0": a group of 3 at the right, then groups of 2 repeating. A trailing 0
// repeats the last size; without it Windows stops grouping after the listed
// sizes, which the core cannot say beyond the second group, so the second repeats.
void ReadGrouping(std::u16string_view text, calc::NumberFormat& format) {
  std::array<int, 2> sizes{};
  int count = 0;
  bool repeat = false;
  int value = -1;
  for (std::size_t i = 0; i <= text.size(); ++i) {
    if (i < text.size() && text[i] >= u'0' && text[i] <= u'9') {
      value = std::min((value < 0 ? 0 : value * 10) + (text[i] - u'0'), 9);
      continue;
    }
    if (value == 0) repeat = true;
    if (value > 0 && count < 2) sizes[count++] = value;
    value = -1;
  }
  format.primary_group_size = sizes[0];
  format.secondary_group_size = count > 1 ? sizes[1] : (repeat ? sizes[0] : 0);
}

}  // namespace

calc::NumberFormat NumberFormatFromLocaleInfo(const LocaleInfo& info) {
  calc::NumberFormat format;
  if (!info.decimal.empty()) format.decimal_separator = Utf8(info.decimal);
  format.group_separator = Utf8(info.thousand);
  ReadGrouping(info.grouping, format);
  if (format.group_separator.empty()) format.primary_group_size = format.secondary_group_size = 0;
  format.minimum_grouping_digits = 1;
  format.leading_zero = info.leading_zero != u"0";
  const std::string sign = info.negative_sign.empty() ? "-" : Utf8(info.negative_sign);
  // 0: (1.1); 1: -1.1; 2: - 1.1; 3 and 4 put the sign after the number, which the
  // core does not write, so they keep it in front.
  if (info.negative_number == u"0") {
    format.negative_form = calc::NumberFormat::NegativeForm::Parentheses;
  } else {
    format.negative_sign = info.negative_number == u"2" ? sign + " " : sign;
  }
  return format;
}

}  // namespace korvane
