// LongDecimal's shifts and roundings, digit by digit.
#include "calc/long_decimal.h"

namespace calc {

void LongDecimal::Assign(std::uint64_t value) {
  std::array<std::uint8_t, 20> reversed{};
  int n = 0;
  for (; value > 0; value /= 10) reversed[static_cast<std::size_t>(n++)] = static_cast<std::uint8_t>(value % 10);
  count_ = 0;
  while (n > 0) digit_[static_cast<std::size_t>(count_++)] = reversed[static_cast<std::size_t>(--n)];
  point_ = count_;
  Trim();
}

void LongDecimal::FinishReading(int point) {
  point_ = point;
  if (dropped_nonzero_) {
    digit_[static_cast<std::size_t>(count_++)] = 1;
    dropped_nonzero_ = false;
  } else {
    Trim();
  }
}

void LongDecimal::Shift(int bits) {
  for (; bits > kMaxShift; bits -= kMaxShift) ShiftLeft(kMaxShift);
  for (; bits < -kMaxShift; bits += kMaxShift) ShiftRight(kMaxShift);
  if (bits > 0) ShiftLeft(bits);
  if (bits < 0) ShiftRight(-bits);
}

bool LongDecimal::RoundsUpAt(int n) const {
  if (n < 0 || n >= count_) return false;
  if (digit(n) == 5 && n + 1 == count_ && !dropped_nonzero_) return n > 0 && digit(n - 1) % 2 == 1;
  return digit(n) >= 5;
}

void LongDecimal::Limit(int limit) {
  for (int i = limit; i < count_; ++i) dropped_nonzero_ = dropped_nonzero_ || digit(i) != 0;
  if (count_ > limit) count_ = limit;
  limit_ = limit;
  Trim();
}

void LongDecimal::RoundTo(int n) {
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

std::uint64_t LongDecimal::RoundedInteger() const {
  std::uint64_t n = 0;
  int i = 0;
  for (; i < point_ && i < count_; ++i) n = n * 10 + static_cast<std::uint64_t>(digit(i));
  for (; i < point_; ++i) n *= 10;
  return RoundsUpAt(point_) ? n + 1 : n;
}

// Digit by digit from the top, carrying the remainder below 2^bits.
void LongDecimal::ShiftRight(int bits) {
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
void LongDecimal::ShiftLeft(int bits) {
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
void LongDecimal::Put(int index, std::uint64_t value) {
  if (index < limit_)
    digit_[static_cast<std::size_t>(index)] = static_cast<std::uint8_t>(value);
  else
    dropped_nonzero_ = dropped_nonzero_ || value != 0;
}

void LongDecimal::Trim() {
  while (count_ > 0 && digit(count_ - 1) == 0) --count_;
  if (count_ == 0) point_ = 0;
}

}  // namespace calc
