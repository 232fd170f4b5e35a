// Platforms do not all publish a locale's group sizes or its minimum grouping (Qt 6.4 does
// not), so they are read off how the locale writes integers. Only the sizes are taken from
// the platform: Qt's own grouping of seven-digit numbers under a minimum grouping of two is
// wrong (1234 567), so the core does the grouping itself.
#include "calc/number_format.h"

#include <algorithm>
#include <vector>

namespace calc {
namespace {

std::vector<std::string_view> Split(std::string_view text, std::string_view separator) {
  std::vector<std::string_view> parts;
  for (std::size_t at; (at = text.find(separator)) != std::string_view::npos; text.remove_prefix(at + separator.size()))
    parts.push_back(text.substr(0, at));
  parts.push_back(text);
  return parts;
}

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
  std::vector<std::string_view> lines = Split(samples, "\n");
  if (lines.back().empty()) lines.pop_back();
  if (group_separator.empty() || lines.empty()) return format;
  // Fourteen digits: the leftmost group has two, more than any minimum grouping asks.
  const std::vector<std::string_view> groups = Split(lines.back(), group_separator);
  if (groups.size() < 2) return format;
  format.primary_group_size = CodePoints(groups.back());
  format.secondary_group_size = groups.size() > 2 ? CodePoints(groups[groups.size() - 2]) : format.primary_group_size;
  // The fewest integer digits that the locale groups at all (line i has i + 1 digits).
  const auto primary = static_cast<std::size_t>(format.primary_group_size);
  for (std::size_t i = primary; i < lines.size() && i < primary + 4; ++i) {
    if (lines[i].find(group_separator) != std::string_view::npos) {
      format.minimum_grouping_digits = static_cast<int>(i + 1 - primary);
      break;
    }
  }
  return format;
}

}  // namespace calc
