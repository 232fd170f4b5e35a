#include "web/request.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace web {

void NoSuchField();  // not constexpr: a name that is not in kRequestFields does not compile

namespace {

constexpr std::size_t kFieldCount = [] {
  std::size_t count = 1;
  for (char c : std::string_view(kRequestFields)) count += c == ' ';
  return count;
}();

// Where the field `name` stands in the request.
consteval std::size_t Index(std::string_view name) {
  std::string_view rest = kRequestFields;
  for (std::size_t index = 0;; ++index) {
    const std::size_t end = std::min(rest.find(' '), rest.size());
    if (rest.substr(0, end) == name) return index;
    if (end == rest.size()) NoSuchField();
    rest.remove_prefix(end + 1);
  }
}

// The number at the start of a field; a larger one than any format has stops growing.
int Number(std::string_view text) {
  int value = 0;
  for (std::size_t i = 0; i < text.size() && text[i] >= '0' && text[i] <= '9' && value < 100000; ++i)
    value = value * 10 + (text[i] - '0');
  return value;
}

}  // namespace

bool DecodeTexts(std::string_view bytes, std::string_view* texts, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    if (bytes.size() < 4) return false;
    const std::uint32_t size = static_cast<unsigned char>(bytes[0]) | static_cast<unsigned char>(bytes[1]) << 8 |
                               static_cast<unsigned char>(bytes[2]) << 16 |
                               static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[3])) << 24;
    bytes.remove_prefix(4);
    if (size > bytes.size()) return false;
    texts[i] = bytes.substr(0, size);
    bytes.remove_prefix(size);
  }
  return bytes.empty();
}

bool DecodeRequest(std::string_view bytes, Request& r) {
  std::array<std::string_view, kFieldCount> field;
  if (!DecodeTexts(bytes, field.data(), field.size())) return false;
  r.length = field[Index("length")];
  r.width = field[Index("width")];
  r.percentage = field[Index("percentage")];
  r.format.decimal_separator = field[Index("decimalSeparator")];
  r.format.group_separator = field[Index("groupSeparator")];
  r.format.negative_sign = field[Index("negativeSign")];
  r.format.primary_group_size = Number(field[Index("primaryGroupSize")]);
  r.format.secondary_group_size = Number(field[Index("secondaryGroupSize")]);
  r.format.minimum_grouping_digits = Number(field[Index("minimumGroupingDigits")]);
  r.format.leading_zero = Number(field[Index("leadingZero")]) != 0;
  r.format.negative_form = Number(field[Index("parentheses")]) != 0 ? calc::NumberFormat::NegativeForm::Parentheses
                                                                    : calc::NumberFormat::NegativeForm::LeadingMinus;
  return true;
}

std::string EncodeRequest(const Request& r) {
  const auto flag = [](bool on) { return std::string(on ? "1" : "0"); };
  std::array<std::string, kFieldCount> field;
  field[Index("length")] = r.length;
  field[Index("width")] = r.width;
  field[Index("percentage")] = r.percentage;
  field[Index("decimalSeparator")] = r.format.decimal_separator;
  field[Index("groupSeparator")] = r.format.group_separator;
  field[Index("negativeSign")] = r.format.negative_sign;
  field[Index("primaryGroupSize")] = std::to_string(r.format.primary_group_size);
  field[Index("secondaryGroupSize")] = std::to_string(r.format.secondary_group_size);
  field[Index("minimumGroupingDigits")] = std::to_string(r.format.minimum_grouping_digits);
  field[Index("leadingZero")] = flag(r.format.leading_zero);
  field[Index("parentheses")] = flag(r.format.negative_form == calc::NumberFormat::NegativeForm::Parentheses);
  std::string bytes;
  for (const std::string& text : field) {
    for (int shift = 0; shift < 32; shift += 8) bytes += static_cast<char>(text.size() >> shift);
    bytes += text;
  }
  return bytes;
}

}  // namespace web
