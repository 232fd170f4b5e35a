// NumberToText and FormatThreeDecimals: doubles written for the report, with
// std::to_chars doing the correctly rounded digits and this file the layout
// (separator, grouping, sign, exponent). Independent of the C locale.
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

#include "calc/number_text.h"

namespace calc {
namespace {

constexpr int kSignificantDigits = 15;

void AppendNonFinite(std::string& out, double value) {
  out += std::isnan(value) ? "NaN" : value < 0 ? "-Infinity" : "Infinity";
}

// The decimal exponent after E: a sign and at least two digits (E+20, E-05, E+308).
void AppendExponent(std::string& out, int exponent) {
  out += 'E';
  out += exponent < 0 ? '-' : '+';
  const int magnitude = exponent < 0 ? -exponent : exponent;
  if (magnitude < 10) out += '0';
  out += std::to_string(magnitude);
}

// Integer digits with group separators: one group of the primary size at the
// right, then groups of the secondary size.
void AppendGrouped(std::string& out, std::string_view digits, const NumberFormat& format) {
  const int count = static_cast<int>(digits.size());
  const int primary = format.primary_group_size;
  const int secondary = format.secondary_group_size;
  const bool grouped = primary > 0 && count >= primary + format.minimum_grouping_digits;
  for (int i = 0; i < count; ++i) {
    const int right = count - i;  // digits from here to the end
    const bool boundary = right == primary || (secondary > 0 && right > primary && (right - primary) % secondary == 0);
    if (grouped && i > 0 && boundary) out += format.group_separator;
    out += digits[static_cast<std::size_t>(i)];
  }
}

// A double lies exactly halfway between two three-decimal values only when it is
// an odd multiple of 1/16 (1/2000 = 1/(16 * 125), and 125 must cancel).
// Such ties are rounded away from zero here; to_chars would round them to even.
bool IsThreeDecimalTie(double magnitude) {
  const double sixteenths = magnitude * 16.0;  // exact: a power of two
  return sixteenths < 9007199254740992.0 && sixteenths == std::floor(sixteenths) && std::fmod(sixteenths, 2.0) == 1.0;
}

// From 1E+12 on, three decimals would show more than 15 significant digits, and
// the digits past the 17th would be noise of the binary value. There the value is
// rounded to 15 significant digits and the rest is zeros: 1181221514250.870.
constexpr double kFifteenDigitThreeDecimals = 1e12;

// Writes at most 309 integer digits, the period and three decimals from `out` on.
char* AppendFifteenDigitsFixed(char* out, double magnitude) {
  std::array<char, 32> scientific{};  // d.dddddddddddddde+XXX
  const char* end = std::to_chars(scientific.data(), scientific.data() + scientific.size(), magnitude,
                                  std::chars_format::scientific, kSignificantDigits - 1)
                        .ptr;
  const std::string_view text(scientific.data(), static_cast<std::size_t>(end - scientific.data()));
  const std::size_t e = text.find('e');
  int exponent = 0;
  std::from_chars(text.data() + e + 2, text.data() + text.size(), exponent);  // always e+
  std::array<char, kSignificantDigits> digits{};
  std::size_t count = 0;
  for (char c : text.substr(0, e))
    if (c != '.') digits[count++] = c;

  // Integer digits, then three decimals; digits past the fifteenth are zeros.
  const int integer_digits = exponent + 1;
  for (int i = 0; i < integer_digits + 3; ++i) {
    if (i == integer_digits) *out++ = '.';
    *out++ = i < kSignificantDigits ? digits[static_cast<std::size_t>(i)] : '0';
  }
  return out;
}

}  // namespace

void AppendNumberText(std::string& out, double value, const NumberFormat& format) {
  if (!std::isfinite(value)) return AppendNonFinite(out, value);
  if (value == 0) {  // negative zero too
    out += '0';
    return;
  }
  // Whole numbers below 1E+15 have at most 15 digits: they print as they are.
  if (std::fabs(value) < 1e15 && value == std::trunc(value)) {
    std::array<char, 24> digits{};
    const auto end = std::to_chars(digits.data(), digits.data() + digits.size(), static_cast<std::int64_t>(value)).ptr;
    out.append(digits.data(), end);
    return;
  }
  // d.ddde±x: the value rounded to 15 significant digits. Where the shortest
  // round-trip form has at most 15 digits it is that rounding (any 15-digit decimal
  // survives the trip through a double), and it is much cheaper to find.
  std::array<char, 32> buffer{};
  const double magnitude = std::fabs(value);
  char* end = std::to_chars(buffer.data(), buffer.data() + buffer.size(), magnitude, std::chars_format::scientific).ptr;
  std::string_view text(buffer.data(), static_cast<std::size_t>(end - buffer.data()));
  std::size_t e = text.find('e');
  // A subnormal value holds fewer than 15 digits' precision, so its shortest form
  // may differ from its 15-digit rounding (1E-310 is 9.99999999999997E-311).
  const bool subnormal = magnitude < std::numeric_limits<double>::min();
  if (e > kSignificantDigits + 1 || subnormal) {  // more digits than the leading one, the period and 14 more
    end = std::to_chars(buffer.data(), buffer.data() + buffer.size(), magnitude, std::chars_format::scientific,
                        kSignificantDigits - 1)
              .ptr;
    text = std::string_view(buffer.data(), static_cast<std::size_t>(end - buffer.data()));
    e = text.find('e');
  }
  int exponent = 0;
  std::from_chars(text.data() + e + (text[e + 1] == '+' ? 2 : 1), text.data() + text.size(), exponent);

  std::array<char, kSignificantDigits> digits{};
  int count = 0;
  for (char c : text.substr(0, e))
    if (c != '.') digits[count++] = c;
  while (count > 1 && digits[count - 1] == '0') --count;
  const std::string_view significant(digits.data(), static_cast<std::size_t>(count));

  if (value < 0) out += '-';
  const bool plain = exponent < kSignificantDigits && (exponent >= 0 || count - 1 - exponent <= kSignificantDigits);
  if (!plain) {
    out += significant[0];
    if (count > 1) {
      out += format.decimal_separator;
      out += significant.substr(1);
    }
    return AppendExponent(out, exponent);
  }
  if (exponent >= 0) {
    const auto integer_digits = static_cast<std::size_t>(exponent) + 1;
    out += significant.substr(0, integer_digits);
    if (significant.size() < integer_digits) out.append(integer_digits - significant.size(), '0');
    if (significant.size() > integer_digits) {
      out += format.decimal_separator;
      out += significant.substr(integer_digits);
    }
    return;
  }
  out += '0';
  out += format.decimal_separator;
  out.append(static_cast<std::size_t>(-exponent - 1), '0');
  out += significant;
}

void AppendThreeDecimals(std::string& out, double value, const NumberFormat& format) {
  if (!std::isfinite(value)) return AppendNonFinite(out, value);
  const double magnitude = std::fabs(value);

  // The largest double has 309 integer digits; with ".000" this is ample.
  std::array<char, 330> buffer{};
  char* end = nullptr;
  if (magnitude >= kFifteenDigitThreeDecimals) {
    end = AppendFifteenDigitsFixed(buffer.data(), magnitude);
  } else if (IsThreeDecimalTie(magnitude)) {
    const auto thousandths = (static_cast<std::uint64_t>(magnitude * 16.0) * 125 + 1) / 2;
    end = std::to_chars(buffer.data(), buffer.data() + buffer.size(), thousandths / 1000).ptr;
    const auto fraction = static_cast<unsigned>(thousandths % 1000);
    *end++ = '.';
    *end++ = static_cast<char>('0' + fraction / 100);
    *end++ = static_cast<char>('0' + fraction / 10 % 10);
    *end++ = static_cast<char>('0' + fraction % 10);
  } else {
    end = std::to_chars(buffer.data(), buffer.data() + buffer.size(), magnitude, std::chars_format::fixed, 3).ptr;
  }
  const std::string_view text(buffer.data(), static_cast<std::size_t>(end - buffer.data()));
  const std::string_view integer = text.substr(0, text.size() - 4);
  const std::string_view fraction = text.substr(text.size() - 3);

  // A value that rounds to zero shows no sign.
  const bool negative = value < 0 && text.find_first_not_of("0.") != std::string_view::npos;
  const bool parentheses = negative && format.negative_form == NumberFormat::NegativeForm::Parentheses;
  if (parentheses)
    out += '(';
  else if (negative)
    out += format.negative_sign;
  if (integer != "0" || format.leading_zero) AppendGrouped(out, integer, format);
  out += format.decimal_separator;
  out += fraction;
  if (parentheses) out += ')';
}

std::string NumberToText(double value, const NumberFormat& format) {
  std::string out;
  AppendNumberText(out, value, format);
  return out;
}

std::string FormatThreeDecimals(double value, const NumberFormat& format) {
  std::string out;
  AppendThreeDecimals(out, value, format);
  return out;
}

}  // namespace calc
