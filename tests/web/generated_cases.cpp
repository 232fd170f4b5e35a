// The generated requests and, for each, the native check of its conversions: every
// number text that a generator made reads as std::from_chars reads it, and every value
// of the calculation rounds as std::to_chars rounds it (to 15 significant digits; to
// three decimals, where an exact tie goes away from zero instead of to even).
#include "tests/web/generated_cases.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

#include "calc/exact_decimal.h"
#include "calc/number_parse.h"
#include "calc/number_text.h"
#include "calc/report.h"

namespace compare {
namespace {

const double kInfinity = std::numeric_limits<double>::infinity();

// What std::from_chars makes of a number as the core's reader collects it; where it is
// out of range, infinity or zero by its order of magnitude, as the core reads it.
double StdDecimal(std::string_view number) {
  double value = 0;
  const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
  if (error != std::errc::result_out_of_range) return value;
  const std::size_t e = std::min(number.find('e'), number.size());
  const std::string_view mantissa = number.substr(0, e);
  const std::size_t first = mantissa.find_first_not_of("0.");
  const std::size_t period = std::min(mantissa.find('.'), mantissa.size());
  const long long order =
      first < period ? static_cast<long long>(period - first) : -static_cast<long long>(first - period - 1);
  long long exponent = 0;
  if (e < number.size()) std::from_chars(number.data() + e + 1, number.data() + number.size(), exponent);
  return order + exponent > 0 ? kInfinity : 0.0;
}

// Digits and the exponent of the first, as "314159e0".
std::string StdSignificant(double magnitude) {
  std::array<char, 40> buffer{};
  const char* end =
      std::to_chars(buffer.data(), buffer.data() + buffer.size(), magnitude, std::chars_format::scientific, 14).ptr;
  const std::string_view text(buffer.data(), static_cast<std::size_t>(end - buffer.data()));
  const std::size_t e = text.find('e');
  std::string digits;
  for (char c : text.substr(0, e))
    if (c != '.') digits += c;
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
  int exponent = 0;
  std::from_chars(text.data() + e + (text[e + 1] == '+' ? 2 : 1), text.data() + text.size(), exponent);
  return digits + 'e' + std::to_string(exponent);
}

std::string CoreSignificant(double magnitude) {
  const calc::SignificantDigits rounded = calc::RoundToSignificant(magnitude, 15);
  return std::string(rounded.digits.data(), static_cast<std::size_t>(rounded.count)) + 'e' +
         std::to_string(rounded.exponent);
}

// Below 1E+12: std::to_chars's three decimals, except that an exact tie, an odd
// multiple of 1/16, goes up rather than to the even neighbour.
std::uint64_t StdThousandths(double magnitude) {
  std::array<char, 40> buffer{};
  const char* end =
      std::to_chars(buffer.data(), buffer.data() + buffer.size(), magnitude, std::chars_format::fixed, 3).ptr;
  std::uint64_t thousandths = 0;
  for (const char* c = buffer.data(); c != end; ++c)
    if (*c != '.') thousandths = thousandths * 10 + static_cast<std::uint64_t>(*c - '0');
  const double sixteenths = magnitude * 16;
  if (sixteenths == std::floor(sixteenths) && std::fmod(sixteenths, 2.0) == 1.0)
    thousandths = (static_cast<std::uint64_t>(sixteenths) * 125 + 1) / 2;
  return thousandths;
}

// The exact decimal value of a finite double with 1100 decimals, more than any has.
std::string ExactFixed(double value) {
  std::array<char, 1500> buffer{};
  const char* end =
      std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::fixed, 1100).ptr;
  return {buffer.data(), static_cast<std::size_t>(end - buffer.data())};
}

// (a + b) / 2 of two texts from ExactFixed, exactly.
std::string HalfSum(std::string a, std::string b) {
  const std::size_t width = std::max(a.size(), b.size()) + 1;
  a.insert(0, width - a.size(), '0');
  b.insert(0, width - b.size(), '0');
  std::string sum(width, '.');
  int carry = 0;
  for (std::size_t i = width; i-- > 0;) {
    if (a[i] == '.') continue;
    const int digit = (a[i] - '0') + (b[i] - '0') + carry;
    sum[i] = static_cast<char>('0' + digit % 10);
    carry = digit / 10;
  }
  int rest = 0;
  for (char& c : sum) {
    if (c == '.') continue;
    const int digit = rest * 10 + (c - '0');
    c = static_cast<char>('0' + digit / 2);
    rest = digit % 2;
  }
  // The last of 1100 decimals is always even here (no double has that many), so nothing is left over.
  const std::size_t first = std::min(sum.find_first_not_of('0'), sum.find('.') - 1);
  sum.erase(0, first);
  sum.erase(sum.find_last_not_of('0') + 1);
  return sum;
}

// A double as a text that reads back as the same double: 17 significant digits.
std::string RoundTrip(double value) {
  std::array<char, 40> buffer{};
  const char* end =
      std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::scientific, 16).ptr;
  std::string text(buffer.data(), static_cast<std::size_t>(end - buffer.data()));
  if (const auto plus = text.find("e+"); plus != std::string::npos) text.erase(plus + 1, 1);
  return text;
}

}  // namespace

std::uint64_t CaseGenerator::Below(std::uint64_t n) {
  // splitmix64: the same stream on every platform
  std::uint64_t z = (state_ += 0x9e3779b97f4a7c15);
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9;
  z = (z ^ (z >> 27)) * 0x94d049bb133111eb;
  return (z ^ (z >> 31)) % n;
}

std::string CaseGenerator::Digits(std::size_t count) {
  std::string digits;
  for (std::size_t i = 0; i < count; ++i) digits += static_cast<char>('0' + Below(10));
  return digits;
}

// The number as a user might type it: another exponent letter, a plus sign, blanks anywhere.
std::string CaseGenerator::Decorate(const std::string& number) {
  std::string text = number;
  if (const auto e = text.find('e'); e != std::string::npos) {
    text[e] = "eEdD"[Below(4)];
    if (text[e + 1] != '-' && OneIn(4)) text.insert(e + 1, "+");
  }
  if (OneIn(4)) {
    for (auto blanks = 1 + Below(3); blanks > 0; --blanks) text.insert(Below(text.size() + 1), 1, " \t\n"[Below(3)]);
  }
  return text;
}

// Texts for the reader: long digit strings, exponents at the range's edges, many
// leading zeros, midpoints between doubles.
std::string CaseGenerator::GeneratedNumber() {
  switch (Below(4)) {
    case 0: {  // long digit strings, some longer than the digits the reader keeps
      const std::size_t length = OneIn(4) ? 300 + Below(900) : 1 + Below(25);
      std::string number = Digits(length);
      if (OneIn(2)) number.insert(Below(length + 1), ".");
      if (number == ".") number = "0";
      if (OneIn(2)) number += 'e' + std::to_string(static_cast<long long>(Below(800)) - 400);
      return number;
    }
    case 1: {  // d.ddd e±N at the edges of the range, and of the exact powers of ten
      static constexpr int kOrders[] = {308,  309, 307, -307, -308, -320, -323, -324, -325, -330,
                                        -340, 22,  23,  -22,  -23,  15,   16,   -15,  -16,  0};
      const int order = kOrders[Below(std::size(kOrders))] + static_cast<int>(Below(5)) - 2;
      std::string number = std::to_string(1 + Below(9));
      if (OneIn(2)) number += '.' + Digits(Below(20));
      return number + 'e' + std::to_string(order);
    }
    case 2: {  // leading zeros, with an exponent that brings them back
      const auto zeros = Below(400);
      return "0." + std::string(zeros, '0') + Digits(1 + Below(20)) + 'e' + std::to_string(zeros + Below(10));
    }
    default:
      return Midpoint();
  }
}

// The exact midpoint between a double and the next, or a hair above it (the hair
// sometimes past the 800 digits that the reader keeps), or cut short below it.
std::string CaseGenerator::Midpoint() {
  const std::uint64_t largest = std::bit_cast<std::uint64_t>(std::numeric_limits<double>::max());
  const std::uint64_t bits = 1 + Below(OneIn(8) ? std::uint64_t{1} << 52 : largest - 1);
  const double value = std::bit_cast<double>(bits);
  std::string middle = HalfSum(ExactFixed(value), ExactFixed(std::nextafter(value, kInfinity)));
  if (middle.find('.') == std::string::npos) middle += '.';
  switch (Below(4)) {
    case 0:
      return middle;
    case 1:
      return middle + std::string(Below(50), '0') + '1';
    case 2:
      return middle + std::string(900, '0') + '1';
    default:
      return middle.substr(0, middle.size() - 1 - Below(std::min<std::size_t>(middle.size() - 1, 40)));
  }
}

// Values around each switch-over of the general form to an exponent: numbers of 1 to
// 17 digits from 1E-20 to 1E+20, and the doubles next to each power of ten.
std::string CaseGenerator::SwitchOverValue() {
  const int order = static_cast<int>(Below(41)) - 20;
  if (OneIn(2)) return std::to_string(1 + Below(9)) + '.' + Digits(Below(17)) + 'e' + std::to_string(order);
  const double power = StdDecimal("1e" + std::to_string(order));
  switch (Below(3)) {
    case 0:
      return RoundTrip(std::nextafter(power, 0.0));
    case 1:
      return RoundTrip(std::nextafter(power, kInfinity));
    default:  // fifteen nines and a five: a tie in decimal, never in binary
      return "9.999999999999995e" + std::to_string(order - 1);
  }
}

// Values for the three-decimal form: exact ties, carries, the switch to fifteen
// digits at 1E+12, huge and tiny values.
std::string CaseGenerator::ThreeDecimalValue() {
  const auto integer = [this] { return std::to_string(Below(std::uint64_t{1} << (4 * Below(10)))); };
  switch (Below(6)) {
    case 0:  // an odd number of sixteenths: exactly halfway between two thousandths
      return RoundTrip(static_cast<double>(Below(std::uint64_t{1} << 36)) + static_cast<double>(2 * Below(8) + 1) / 16);
    case 1: {  // carries and near-halves, in decimal
      static constexpr const char* kTails[] = {"9995", "99949999", "99950001", "0005", "00049999", "4995", "5"};
      return integer() + "." + std::string(Below(3), '9') + kTails[Below(std::size(kTails))];
    }
    case 2: {  // around 1E+12
      const double switch_over = 1e12;
      const double value = OneIn(3) ? switch_over : std::nextafter(switch_over, OneIn(2) ? 0.0 : kInfinity);
      return OneIn(4) ? "999999999999.9995" : RoundTrip(value);
    }
    case 3:  // huge, while the square still fits in a double
      return std::to_string(1 + Below(9)) + '.' + Digits(16) + 'e' + std::to_string(12 + Below(142));
    case 4:  // tiny
      return std::to_string(1 + Below(9)) + '.' + Digits(Below(17)) + "e-" + std::to_string(1 + Below(12));
    default:
      return integer() + '.' + Digits(1 + Below(6));
  }
}

// &H and &O with up to 20 digits; up to 2^52 each must be the integer std::from_chars reads.
std::string CaseGenerator::RadixText() {
  const bool hex = OneIn(2);
  const std::string letters = hex ? "0123456789abcdefABCDEF" : "01234567";
  std::string digits;
  for (auto n = 1 + Below(20); n > 0; --n) digits += letters[Below(letters.size())];
  const std::string text = std::string("&") + (hex ? "Hh" : "Oo")[Below(2)] + digits;
  if (digits.size() <= (hex ? 13u : 17u)) {
    std::uint64_t value = 0;
    std::from_chars(digits.data(), digits.data() + digits.size(), value, hex ? 16 : 8);
    ++checks_;
    if (calc::ParseNumberPrefix(text) != static_cast<double>(value))
      mismatches_.push_back("\"" + text + "\": not " + std::to_string(value));
  }
  return text;
}

// What a user types into a box of four characters: mostly numbers, some noise.
std::string CaseGenerator::BoxText() {
  static const std::string kAlphabet = "0123456789012345678901234567890123456789..eE-+&HhOo ,x";
  std::string text;
  if (OneIn(2)) {  // 1 to 4 digits, the period anywhere or nowhere
    text = std::to_string(Below(10000));
    if (OneIn(2)) text.insert(Below(text.size() + 1), 1, '.');
    return text.substr(0, 4);
  }
  for (auto n = Below(5); n > 0; --n) text += OneIn(40) ? "\xd1\x82" : kAlphabet.substr(Below(kAlphabet.size()), 1);
  return text;
}

void CaseGenerator::RandomFormat(Request& request) {
  static constexpr const char* kDecimal[] = {".", ",", "\xd9\xab"};
  static constexpr const char* kGroup[] = {"", ",", ".", "\xc2\xa0", "\xe2\x80\xaf", "'", "\xe2\x80\x99", " "};
  static constexpr const char* kNegative[] = {"-", "\xe2\x88\x92", "\xe2\x80\x8e-"};
  calc::NumberFormat& f = request.format;
  f = {kDecimal[Below(std::size(kDecimal))], kGroup[Below(std::size(kGroup))], static_cast<int>(Below(5)),
       static_cast<int>(Below(5)), static_cast<int>(1 + Below(3))};
  f.leading_zero = OneIn(2);
  f.negative_form =
      OneIn(2) ? calc::NumberFormat::NegativeForm::Parentheses : calc::NumberFormat::NegativeForm::LeadingMinus;
  f.negative_sign = kNegative[Below(std::size(kNegative))];
}

void CaseGenerator::CheckParse(const std::string& text, const std::string& number, bool negative) {
  const double core = calc::ParseNumberPrefix(text);
  const double expected = negative ? -StdDecimal(number) : StdDecimal(number);
  ++checks_;
  if (std::bit_cast<std::uint64_t>(core) != std::bit_cast<std::uint64_t>(expected))
    mismatches_.push_back("reading \"" + text.substr(0, 60) + "\": " + RoundTrip(core) + ", not " +
                          RoundTrip(expected));
}

void CaseGenerator::CheckValue(double value) {
  if (!std::isfinite(value) || value == 0) return;
  const double magnitude = std::fabs(value);
  ++checks_;
  if (CoreSignificant(magnitude) != StdSignificant(magnitude))
    mismatches_.push_back("15 digits of " + RoundTrip(magnitude) + ": " + CoreSignificant(magnitude) + ", not " +
                          StdSignificant(magnitude));
  if (magnitude < 1e12 && calc::RoundToThousandths(magnitude) != StdThousandths(magnitude))
    mismatches_.push_back("thousandths of " + RoundTrip(magnitude) + ": " +
                          std::to_string(calc::RoundToThousandths(magnitude)) + ", not " +
                          std::to_string(StdThousandths(magnitude)));
}

Request CaseGenerator::Next() {
  known_.clear();
  Request request;
  RandomFormat(request);
  request.text = {"37", "28", "50"};
  const auto put = [this, &request](std::size_t box, const std::string& number) {
    const bool negative = OneIn(16);
    std::string text = Decorate(number);
    if (negative || OneIn(8)) text.insert(text.begin(), negative ? '-' : '+');
    known_.push_back({text, number, negative});
    request.text[box] = text;
  };
  switch (Below(6)) {
    case 0:
      for (std::size_t box = 0; box < 3; ++box) request.text[box] = BoxText();
      break;
    case 1:
      put(Below(3), GeneratedNumber());
      break;
    case 2:
      request.text[Below(3)] = RadixText();
      break;
    case 3:  // the value shows in line 4 as it is
      put(0, SwitchOverValue());
      request.text[1] = "1";
      request.text[2] = std::to_string(1 + Below(100));
      break;
    case 4: {  // with v, v and 100 the thickness is about v and the cross's area about v * v
      const std::string number = ThreeDecimalValue();
      put(0, number);
      request.text[1] = request.text[0];
      request.text[2] = "100";
      break;
    }
    default:
      put(0, GeneratedNumber());
      put(1, SwitchOverValue());
      request.text[2] = BoxText();
  }
  for (const Known& k : known_) CheckParse(k.text, k.number, k.negative);
  if (const auto s = calc::SolveCross(request.text[0], request.text[1], request.text[2])) {
    for (double v : {s->a, s->b, s->k, s->sum, s->flag_area, s->product_term, s->thickness, s->cross_area})
      CheckValue(v);
  }
  return request;
}

}  // namespace compare
