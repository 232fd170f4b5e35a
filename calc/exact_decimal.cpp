// Exact conversions between doubles and decimal digits, on a LongDecimal that can
// hold a text's digits, so that no rounding decision here is ever approximate. A double
// is written from 40 digits of its value, which are shown below to settle every rounding;
// a text is first read on 40 digits, which settle it unless its rest lies just below a
// half, and only then are all its digits worked out.
#include "calc/exact_decimal.h"

#include <bit>
#include <cfloat>
#include <cstdint>
#include <limits>
#include <optional>
#include <string_view>

#include "calc/long_decimal.h"

namespace calc {
namespace {

// The quick path below relies on each operation being rounded once, to double.
static_assert(FLT_EVAL_METHOD == 0 && std::numeric_limits<double>::is_iec559);

constexpr int kMantissaBits = 52;
constexpr int kExponentBias = 1023;
constexpr std::uint64_t kHiddenBit = std::uint64_t{1} << kMantissaBits;

// Beyond these decimal orders a text is surely infinite or zero as a double.
constexpr std::int64_t kOverflowOrder = 310;
constexpr std::int64_t kUnderflowOrder = -330;

// 40 digits decide every rounding of a double and almost every one of a text; a
// text's exact value, up to 801 digits, the rest.
constexpr int kQuickDigits = 40;

// A finite, positive double's value, to 40 digits.
LongDecimal ValueOf(double magnitude) {
  const auto bits = std::bit_cast<std::uint64_t>(magnitude);
  const auto biased = static_cast<int>(bits >> kMantissaBits);
  const std::uint64_t fraction = bits & (kHiddenBit - 1);
  LongDecimal d(kQuickDigits);
  d.Assign(biased > 0 ? fraction | kHiddenBit : fraction);
  d.Shift((biased > 0 ? biased : 1) - kExponentBias - kMantissaBits);
  return d;
}

constexpr std::int64_t kSaturation = std::int64_t{1} << 40;
std::int64_t Saturate(std::int64_t v) { return v > kSaturation ? kSaturation : v < -kSaturation ? -kSaturation : v; }

// 10^exponent for 0 <= exponent <= 22: every one of them is a double, and so is each product on the way.
double PowerOfTen(int exponent) {
  double power = 1;
  for (int i = 0; i < exponent; ++i) power *= 10;
  return power;
}

// A double from a decimal whose value is below 10^310 and at least 10^-331: halved or
// doubled into [1/2, 1), then 53 bits taken from it (fewer below the normal range).
// Nothing when digits dropped on the way leave the last bit in doubt.
std::optional<double> ToDouble(LongDecimal d) {
  int exponent = 0;  // the value is d × 2^exponent
  for (;;) {
    const int point = d.point();
    if (point > 0) {
      const int bits = point >= 18 ? 59 : 3 * point;
      d.Shift(-bits);
      exponent += bits;
    } else if (point < 0 || d.digit(0) < 5) {
      const int bits = point <= -18 ? 59 : point < 0 ? -3 * point : 1;  // never reaches 1
      d.Shift(bits);
      exponent -= bits;
    } else {
      break;
    }
  }
  // Now 2d is in [1, 2) and the value is 2d × 2^(exponent - 1).
  constexpr int kMinExponent = 1 - kExponentBias;
  int binary = exponent - 1;
  if (binary < kMinExponent) {  // subnormal: fewer bits of precision
    d.Shift(binary - kMinExponent);
    binary = kMinExponent;
  }
  d.Shift(kMantissaBits + 1);
  if (!d.RoundingIsCertain(d.point())) return std::nullopt;
  std::uint64_t mantissa = d.RoundedInteger();
  if (mantissa == 2 * kHiddenBit) {  // rounded up to the next power of two
    mantissa = kHiddenBit;
    ++binary;
  }
  if (binary > kExponentBias) return std::numeric_limits<double>::infinity();
  const std::uint64_t biased = mantissa >= kHiddenBit ? static_cast<std::uint64_t>(binary + kExponentBias) : 0;
  return std::bit_cast<double>(biased << kMantissaBits | (mantissa & (kHiddenBit - 1)));
}

}  // namespace

// The 40 digits of ValueOf round as the whole value does, to any count of 1 to 17 digits. They lie
// below the value by less than 2E-37 of it, so by less than 2 × 10^(count - 37) units of the last
// digit kept: digits are dropped at most 19 times (a shift of up to 1074 bits, 59 at a time), each
// time less than 1E-38 of the value (39 digits or more are kept). Rounding is monotonic, so they
// could round lower only if the value lay above a tie by less than that (an exact tie has at most
// 18 digits, none dropped on the way). tests/calc/nearest_ties.py finds the doubles nearest above a
// tie for every binary exponent and decade (continued fractions): none is nearer than 8.2E-21 of
// the last digit (at 13 digits); 1.4E-19 at the report's 15 (9.324754620109615e+226, a case of
// tests/cases/number_text.txt); at 17, 3.7E-20 against the bound of 2E-20.
SignificantDigits RoundToSignificant(double magnitude, int count) {
  LongDecimal d = ValueOf(magnitude);
  d.RoundTo(count);
  SignificantDigits out;
  out.count = d.count();
  out.exponent = d.point() - 1;
  for (int i = 0; i < out.count; ++i) out.digits[static_cast<std::size_t>(i)] = static_cast<char>('0' + d.digit(i));
  return out;
}

std::uint64_t RoundToThousandths(double magnitude) {
  // magnitude = mantissa × 2^exponent; mantissa × 1000 stays below 2^63.
  const auto bits = std::bit_cast<std::uint64_t>(magnitude);
  const auto biased = static_cast<int>(bits >> kMantissaBits);
  const std::uint64_t mantissa = biased > 0 ? (bits & (kHiddenBit - 1)) | kHiddenBit : bits & (kHiddenBit - 1);
  const int exponent = (biased > 0 ? biased : 1) - kExponentBias - kMantissaBits;
  if (exponent >= 0) return (mantissa << exponent) * 1000;  // a whole number below 1E+12
  const int shift = -exponent;
  // Below 2^63 / 2^64, the value is less than half a thousandth.
  if (shift >= 64) return 0;
  const std::uint64_t scaled = mantissa * 1000;
  const std::uint64_t half = std::uint64_t{1} << (shift - 1);
  const std::uint64_t rest = scaled & ((half << 1) - 1);
  return (scaled >> shift) + (rest >= half ? 1 : 0);
}

double DecimalToDouble(std::string_view number) {
  LongDecimal d;
  std::int64_t point = 0;  // where the period stands, counted from the first significant digit
  bool after_period = false;
  std::size_t i = 0;
  for (; i < number.size() && number[i] != 'e'; ++i) {
    const char c = number[i];
    if (c == '.') {
      after_period = true;
    } else if (d.count() == 0 && c == '0') {
      if (after_period) point = Saturate(point - 1);
    } else {
      if (!after_period) point = Saturate(point + 1);
      d.AppendDigit(c - '0');
    }
  }
  std::int64_t exponent = 0;
  if (i < number.size()) {
    const bool negative = i + 1 < number.size() && number[i + 1] == '-';
    for (i += negative ? 2 : 1; i < number.size(); ++i) exponent = Saturate(exponent * 10 + (number[i] - '0'));
    if (negative) exponent = -exponent;
  }
  if (d.count() == 0) return 0;
  point = Saturate(point + exponent);
  if (point > kOverflowOrder) return std::numeric_limits<double>::infinity();
  if (point < kUnderflowOrder) return 0;
  d.FinishReading(static_cast<int>(point));

  // At most 15 digits and a power of ten up to 22 are both doubles, and one
  // correctly rounded product or quotient of them is the answer.
  const int scale = d.point() - d.count();
  if (d.count() <= 15 && scale >= -22 && scale <= 22) {
    std::uint64_t digits = 0;
    for (int k = 0; k < d.count(); ++k) digits = digits * 10 + static_cast<std::uint64_t>(d.digit(k));
    const auto whole = static_cast<double>(digits);
    return scale >= 0 ? whole * PowerOfTen(scale) : whole / PowerOfTen(-scale);
  }
  LongDecimal quick = d;
  quick.Limit(kQuickDigits);
  if (const auto value = ToDouble(quick)) return *value;
  return *ToDouble(d);  // never in doubt: with room for every digit, none is dropped
}

}  // namespace calc
