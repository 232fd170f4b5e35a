// Exact conversions between doubles and decimal digits, on a decimal number of up to
// a few thousand digits that is multiplied and divided by powers of two digit by digit
// (the "simple decimal conversion"). Every double and every midpoint between two
// doubles has a finite decimal expansion of at most 767 significant digits, so no
// rounding decision here is ever approximate. Each conversion is first tried on 40
// digits, which settle it unless its rest lies just below a half; only then are all
// the digits worked out.
#include "calc/exact_decimal.h"

#include <array>
#include <bit>
#include <cfloat>
#include <cstdint>
#include <limits>
#include <optional>
#include <string_view>

namespace calc {
namespace {

// The quick path below relies on each operation being rounded once, to double.
static_assert(FLT_EVAL_METHOD == 0 && std::numeric_limits<double>::is_iec559);

constexpr int kMantissaBits = 52;
constexpr int kExponentBias = 1023;
constexpr std::uint64_t kHiddenBit = std::uint64_t{1} << kMantissaBits;

// A reader keeps this many significant digits of a text exactly, and of the rest only
// whether any is not zero. No double and no midpoint between two doubles has more than
// 767 significant digits, so the kept digits and a non-zero digit after them (standing
// for all the rest) lie on the same side of every one of them as the whole text does.
constexpr int kKeptInputDigits = 800;

// Beyond these decimal orders a text is surely infinite or zero as a double.
constexpr std::int64_t kOverflowOrder = 310;
constexpr std::int64_t kUnderflowOrder = -330;

// A non-negative number 0.d[0]d[1]...d[count-1] × 10^point, the first digit not
// zero and the last one either. Room for the longest number that the conversions
// build: 801 input digits divided by 2^1030 gains about 720 digits (5^1030), and a
// double's exact value has at most 767.
class Decimal {
 public:
  static constexpr int kCapacity = 2048;

  // A number that keeps only its first `limit` digits, and of the rest whether any is not zero.
  explicit Decimal(int limit = kCapacity) : limit_(limit) {}

  void Assign(std::uint64_t value) {
    std::array<std::uint8_t, 20> reversed{};
    int n = 0;
    for (; value > 0; value /= 10) reversed[static_cast<std::size_t>(n++)] = static_cast<std::uint8_t>(value % 10);
    count_ = 0;
    while (n > 0) digit_[static_cast<std::size_t>(count_++)] = reversed[static_cast<std::size_t>(--n)];
    point_ = count_;
    Trim();
  }

  // Reading a text: the next digit, before any shift. Leading zeros are the caller's.
  void AppendDigit(int digit) {
    if (count_ < kKeptInputDigits)
      digit_[static_cast<std::size_t>(count_++)] = static_cast<std::uint8_t>(digit);
    else
      dropped_nonzero_ = dropped_nonzero_ || digit != 0;
  }
  // After the last digit: the point's place, and a stand-in for the dropped digits.
  void FinishReading(int point) {
    point_ = point;
    if (dropped_nonzero_) {
      digit_[static_cast<std::size_t>(count_++)] = 1;
      dropped_nonzero_ = false;
    } else {
      Trim();
    }
  }

  [[nodiscard]] int count() const { return count_; }
  [[nodiscard]] int point() const { return point_; }
  [[nodiscard]] int digit(int i) const { return digit_[static_cast<std::size_t>(i)]; }

  // Multiplies by 2^bits, or divides by 2^-bits, exactly.
  void Shift(int bits) {
    for (; bits > kMaxShift; bits -= kMaxShift) ShiftLeft(kMaxShift);
    for (; bits < -kMaxShift; bits += kMaxShift) ShiftRight(kMaxShift);
    if (bits > 0) ShiftLeft(bits);
    if (bits < 0) ShiftRight(-bits);
  }

  // Whether keeping the first `n` digits rounds up: above half, or an exact half
  // after an odd digit.
  [[nodiscard]] bool RoundsUpAt(int n) const {
    if (n < 0 || n >= count_) return false;
    if (digit(n) == 5 && n + 1 == count_ && !dropped_nonzero_) return n > 0 && digit(n - 1) % 2 == 1;
    return digit(n) >= 5;
  }

  // Whether keeping the first `n` digits rounds the true value as it rounds this one, which
  // lies less than 3,000 units of the last place above it: each dropping of digits takes
  // less than 10^(2 - limit) of the value (a left shift may keep one digit fewer than the
  // limit), and a conversion drops digits at most 30 times. Only a rest from .49 to .5
  // might be lifted to a half; it is left to the exact value, however far it lies below.
  [[nodiscard]] bool RoundingIsCertain(int n) const {
    return !dropped_nonzero_ || n < 0 || n + 1 >= count_ || digit(n) != 4 || digit(n + 1) != 9;
  }

  // Keeps the first `limit` digits from now on, and of the rest whether any is not zero.
  void Limit(int limit) {
    for (int i = limit; i < count_; ++i) dropped_nonzero_ = dropped_nonzero_ || digit(i) != 0;
    if (count_ > limit) count_ = limit;
    limit_ = limit;
    Trim();
  }

  // Keeps `n` significant digits.
  void RoundTo(int n) {
    if (n >= count_) return;
    if (!RoundsUpAt(n)) {
      count_ = n;
      Trim();
      return;
    }
    int i = n - 1;
    while (i >= 0 && digit(i) == 9) --i;
    if (i < 0) {  // 999.. became 1000..
      digit_[0] = 1;
      count_ = 1;
      ++point_;
      return;
    }
    ++digit_[static_cast<std::size_t>(i)];
    count_ = i + 1;
  }

  // The nearest integer; the value is below 2^63.
  [[nodiscard]] std::uint64_t RoundedInteger() const {
    std::uint64_t n = 0;
    int i = 0;
    for (; i < point_ && i < count_; ++i) n = n * 10 + static_cast<std::uint64_t>(digit(i));
    for (; i < point_; ++i) n *= 10;
    return RoundsUpAt(point_) ? n + 1 : n;
  }

 private:
  // n * 10 + 9 must fit in 64 bits for any n below 2^kMaxShift.
  static constexpr int kMaxShift = 59;

  // Digit by digit from the top, carrying the remainder below 2^bits.
  void ShiftRight(int bits) {
    int r = 0;
    std::uint64_t n = 0;
    for (; (n >> bits) == 0; ++r) {
      if (r >= count_) {
        if (n == 0) return;  // zero stays zero
        for (; (n >> bits) == 0; ++r) n *= 10;
        break;
      }
      n = n * 10 + static_cast<std::uint64_t>(digit(r));
    }
    point_ -= r - 1;
    const std::uint64_t mask = (std::uint64_t{1} << bits) - 1;
    int w = 0;
    for (; r < count_; ++r) {
      const int next = digit(r);
      digit_[static_cast<std::size_t>(w++)] = static_cast<std::uint8_t>(n >> bits);
      n = (n & mask) * 10 + static_cast<std::uint64_t>(next);
    }
    for (; n > 0; n = (n & mask) * 10) Put(w++, n >> bits);
    count_ = w < limit_ ? w : limit_;
    Trim();
  }

  // Digit by digit from the bottom, into room for as many more digits as 2^bits has;
  // the product may have one fewer, and then moves down a place.
  void ShiftLeft(int bits) {
    const int more = bits * 30103 / 100000 + 1;  // digits of 2^bits (bits <= 59)
    int w = count_ + more;
    std::uint64_t n = 0;
    for (int r = count_ - 1; r >= 0; --r) {
      n += static_cast<std::uint64_t>(digit(r)) << bits;
      Put(--w, n % 10);
      n /= 10;
    }
    for (; n > 0; n /= 10) Put(--w, n % 10);
    int end = count_ + more < limit_ ? count_ + more : limit_;
    point_ += more;
    if (w > 0) {  // one digit fewer than room was made for
      for (int i = w; i < end; ++i) digit_[static_cast<std::size_t>(i - w)] = digit_[static_cast<std::size_t>(i)];
      end -= w;
      point_ -= w;
    }
    count_ = end;
    Trim();
  }

  // A digit at `index`; past the limit, only whether a non-zero one was lost.
  void Put(int index, std::uint64_t value) {
    if (index < limit_)
      digit_[static_cast<std::size_t>(index)] = static_cast<std::uint8_t>(value);
    else
      dropped_nonzero_ = dropped_nonzero_ || value != 0;
  }

  void Trim() {
    while (count_ > 0 && digit(count_ - 1) == 0) --count_;
    if (count_ == 0) point_ = 0;
  }

  std::array<std::uint8_t, kCapacity> digit_;  // 0 to 9; only the first count_ are meaningful
  int limit_;
  int count_ = 0;
  int point_ = 0;
  bool dropped_nonzero_ = false;  // a digit beyond the last one was not zero
};

// A finite, positive double's value, to `limit` digits.
Decimal ValueOf(double magnitude, int limit) {
  const auto bits = std::bit_cast<std::uint64_t>(magnitude);
  const auto biased = static_cast<int>(bits >> kMantissaBits);
  const std::uint64_t fraction = bits & (kHiddenBit - 1);
  Decimal d(limit);
  d.Assign(biased > 0 ? fraction | kHiddenBit : fraction);
  d.Shift((biased > 0 ? biased : 1) - kExponentBias - kMantissaBits);
  return d;
}

// 40 digits decide almost every rounding; the exact value, up to 767 digits for a
// double and 801 for a text, the rest.
constexpr int kQuickDigits = 40;

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
std::optional<double> ToDouble(Decimal d) {
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

SignificantDigits RoundToSignificant(double magnitude, int count) {
  Decimal d = ValueOf(magnitude, kQuickDigits);
  if (!d.RoundingIsCertain(count)) d = ValueOf(magnitude, Decimal::kCapacity);
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
  Decimal d;
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
  Decimal quick = d;
  quick.Limit(kQuickDigits);
  if (const auto value = ToDouble(quick)) return *value;
  return *ToDouble(d);  // never in doubt: with room for every digit, none is dropped
}

}  // namespace calc
