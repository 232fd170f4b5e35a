// NumberToText and FormatThreeDecimals: doubles written for the report, with
// exact_decimal.h doing the correctly rounded digits and this file the layout
// (separator, grouping, sign, exponent). Independent of the C locale.
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

#include "calc/exact_decimal.h"
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

// From 1E+12 on, three decimals would show more than 15 significant digits, and
// the digits past the 17th would be noise of the binary value. There the value is
// rounded to 15 significant digits and the rest is zeros: 1181221514250.870.
constexpr double kFifteenDigitThreeDecimals = 1e12;

// Writes at most 309 integer digits, the period and three decimals from `out` on.
char* AppendFifteenDigitsFixed(char* out, double magnitude) {
  const SignificantDigits rounded = RoundToSignificant(magnitude, kSignificantDigits);
  // Integer digits, then three decimals; digits past the last significant one are zeros.
  const int integer_digits = rounded.exponent + 1;
  for (int i = 0; i < integer_digits + 3; ++i) {
    if (i == integer_digits) *out++ = '.';
    *out++ = i < rounded.count ? rounded.digits[static_cast<std::size_t>(i)] : '0';
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
  const SignificantDigits rounded = RoundToSignificant(std::fabs(value), kSignificantDigits);
  const int count = rounded.count;
  const int exponent = rounded.exponent;
  const std::string_view significant(rounded.digits.data(), static_cast<std::size_t>(count));

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
  } else {
    const std::uint64_t thousandths = RoundToThousandths(magnitude);
    end = std::to_chars(buffer.data(), buffer.data() + buffer.size(), thousandths / 1000).ptr;
    const auto fraction = static_cast<unsigned>(thousandths % 1000);
    *end++ = '.';
    *end++ = static_cast<char>('0' + fraction / 100);
    *end++ = static_cast<char>('0' + fraction / 10 % 10);
    *end++ = static_cast<char>('0' + fraction % 10);
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
