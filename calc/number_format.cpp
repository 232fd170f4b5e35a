// Platforms do not all publish a locale's group sizes or its minimum grouping (Qt 6.4 does
// not), so they are read off how the locale writes integers. Only the sizes are taken from
// the platform: Qt's own grouping of seven-digit numbers under a minimum grouping of two is
// wrong (1234 567), so the core does the grouping itself.
#include "calc/number_format.h"

#include <algorithm>

namespace calc {
namespace {

// Digits, not bytes: some locales' digits lie outside ASCII, some outside the Basic Multilingual Plane.
int CodePoints(std::string_view text) {
  return static_cast<int>(std::count_if(text.begin(), text.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

}  // namespace

NumberFormat NumberFormatFromSample(std::string_view decimal_separator, std::string_view group_separator,
                                    std::string_view negative_sign, std::string_view samples) {
  NumberFormat format;
  format.decimal_separator = decimal_separator;
  format.group_separator = group_separator;
  format.negative_sign = negative_sign;
  format.primary_group_size = format.secondary_group_size = 0;
  if (group_separator.empty()) return format;
  // Fourteen digits: the leftmost group has two, more than any minimum grouping asks.
  if (samples.ends_with('\n')) samples.remove_suffix(1);
  std::string_view longest = samples.substr(samples.rfind('\n') + 1);
  int separators = 0;
  for (std::size_t at; (at = longest.find(group_separator)) != std::string_view::npos; ++separators) {
    format.secondary_group_size = CodePoints(longest.substr(0, at));
    longest.remove_prefix(at + group_separator.size());
  }
  if (separators == 0) return format;
  format.primary_group_size = CodePoints(longest);
  // One separator, with the count of the digits before it left above: the groups repeat at the
  // primary size if those fit in one group; if not, the locale groups only the last digits (as
  // Windows' 123456,789 does).
  if (separators == 1)
    format.secondary_group_size =
        format.secondary_group_size <= format.primary_group_size ? format.primary_group_size : 0;
  // The fewest integer digits that the locale groups at all (the line of i digits is line i).
  const std::size_t primary = static_cast<std::size_t>(format.primary_group_size);
  for (std::size_t digits = 1; !samples.empty() && digits <= primary + 4; ++digits) {
    const std::size_t end = std::min(samples.find('\n'), samples.size());
    if (digits > primary && samples.substr(0, end).find(group_separator) != std::string_view::npos) {
      format.minimum_grouping_digits = static_cast<int>(digits - primary);
      break;
    }
    samples.remove_prefix(std::min(end + 1, samples.size()));
  }
  return format;
}

}  // namespace calc
