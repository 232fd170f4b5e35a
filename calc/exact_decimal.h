// The two conversions under the report's digits, done exactly on the double's binary
// value: decimal digits from a double, and the nearest double to a decimal text.
// In: a double, or the digits that the number reader collected; out: correctly
// rounded digits or a correctly rounded double. Independent of the C locale, and
// small enough that the WebAssembly core carries no printing or parsing tables.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace calc {

struct SignificantDigits {
  static constexpr int kMaxCount = 17;
  std::array<char, kMaxCount> digits{};  // '0' to '9', no trailing zeros, the first not '0'
  int count = 0;
  int exponent = 0;  // the decimal exponent of the first digit: d.ddd × 10^exponent
};

// A finite, positive `magnitude` rounded to `count` (1 to 17) significant digits,
// an exact tie going to the even digit.
SignificantDigits RoundToSignificant(double magnitude, int count);

// A non-negative `magnitude` below 1E+12 in thousandths, an exact tie (an odd
// multiple of 1/2000) rounded away from zero.
std::uint64_t RoundToThousandths(double magnitude);

// The double nearest to `number`: digits with at most one period, then optionally
// 'e', an optional '-' and digits (at least one digit in all before the 'e').
// Of any length; a tie goes to the even double, a value beyond the largest double
// reads as infinity, one below half the smallest as zero.
double DecimalToDouble(std::string_view number);

}  // namespace calc
