// Windows keeps no minimum grouping in its regional settings, yet Qt, browsers and
// Windows' own ICU write 1036 rather than 1 036 in Bulgarian: the locales that
// group only from five integer digits come from CLDR 42, as Debian's Qt 6.4 has it,
// so that the report is the same on Windows and on Linux.
#include "windows/locale_format.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace korvane {
namespace {

constexpr std::array<std::u16string_view, 26> kMinimumGroupingTwo = {
    u"be-BY", u"bg-BG", u"es-EA", u"es-ES", u"es-GQ", u"es-IC", u"es-PH", u"et-EE", u"ia-001",
    u"ka-GE", u"lv-LV", u"pl-PL", u"pt-CH", u"pt-CV", u"pt-GQ", u"pt-GW", u"pt-LU", u"pt-MO",
    u"pt-MZ", u"pt-PT", u"pt-ST", u"pt-TL", u"ru-UA", u"sq-AL", u"sq-MK", u"sq-XK"};

std::string Utf8(std::u16string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
    } else if (c >= 0xD800 && c < 0xE000) {
      c = 0xFFFD;  // a lone surrogate
    }
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

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
  const bool two =
      std::find(kMinimumGroupingTwo.begin(), kMinimumGroupingTwo.end(), info.name) != kMinimumGroupingTwo.end();
  format.minimum_grouping_digits = two ? 2 : 1;
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
