// LongDecimal: a non-negative decimal number of up to a few thousand digits that is
// multiplied and divided by powers of two exactly, digit by digit (the "simple
// decimal conversion"). Every double and every midpoint between two doubles has a
// finite decimal expansion of at most 767 significant digits, so one of these holds
// any of them whole; exact_decimal.cpp's conversions work on it.
#pragma once

#include <array>
#include <cstdint>

namespace calc {

// A reader keeps this many significant digits of a text exactly, and of the rest only
// whether any is not zero. No double and no midpoint between two doubles has more than
// 767 significant digits, so the kept digits and a non-zero digit after them (standing
// for all the rest) lie on the same side of every one of them as the whole text does.
inline constexpr int kKeptInputDigits = 800;

// 0.d[0]d[1]...d[count-1] × 10^point, the first digit not zero and the last one
// either. Room for the longest number that the conversions build: 801 input digits
// divided by 2^1030 gains about 720 digits (5^1030), and a double's exact value has
// at most 767.
class LongDecimal {
 public:
  static constexpr int kCapacity = 2048;

  // A number that keeps only its first `limit` digits, and of the rest whether any is not zero.
  explicit LongDecimal(int limit = kCapacity) : limit_(limit) {}

  void Assign(std::uint64_t value);

  // Reading a text: the next digit, before any shift. Leading zeros are the caller's.
  void AppendDigit(int digit) {
    if (count_ < kKeptInputDigits)
      digit_[static_cast<std::size_t>(count_++)] = static_cast<std::uint8_t>(digit);
    else
      dropped_nonzero_ = dropped_nonzero_ || digit != 0;
  }
  // After the last digit: the point's place, and a stand-in for the dropped digits.
  void FinishReading(int point);

  [[nodiscard]] int count() const { return count_; }
  [[nodiscard]] int point() const { return point_; }
  [[nodiscard]] int digit(int i) const { return digit_[static_cast<std::size_t>(i)]; }

  // Multiplies by 2^bits, or divides by 2^-bits, exactly.
  void Shift(int bits);

  // Whether keeping the first `n` digits rounds up: above half, or an exact half
  // after an odd digit.
  [[nodiscard]] bool RoundsUpAt(int n) const;

  // Whether keeping the first `n` digits rounds the true value as it rounds this one, which
  // lies less than 3,000 units of the last place above it: each dropping of digits takes
  // less than 10^(2 - limit) of the value (a left shift may keep one digit fewer than the
  // limit), and a conversion drops digits at most 30 times. Only a rest from .49 to .5
  // might be lifted to a half; it is left to the exact value, however far it lies below.
  [[nodiscard]] bool RoundingIsCertain(int n) const {
    return !dropped_nonzero_ || n < 0 || n + 1 >= count_ || digit(n) != 4 || digit(n + 1) != 9;
  }

  // Keeps the first `limit` digits from now on, and of the rest whether any is not zero.
  void Limit(int limit);

  // Keeps `n` significant digits.
  void RoundTo(int n);

  // The nearest integer; the value is below 2^63.
  [[nodiscard]] std::uint64_t RoundedInteger() const;

 private:
  // n * 10 + 9 must fit in 64 bits for any n below 2^kMaxShift.
  static constexpr int kMaxShift = 59;

  void ShiftRight(int bits);
  void ShiftLeft(int bits);
  void Put(int index, std::uint64_t value);
  void Trim();

  std::array<std::uint8_t, kCapacity> digit_;  // 0 to 9; only the first count_ are meaningful
  int limit_;
  int count_ = 0;
  int point_ = 0;
  bool dropped_nonzero_ = false;  // a digit beyond the last one was not zero
};

}  // namespace calc
