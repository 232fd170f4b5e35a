// ParseNumberPrefix: the leading number of a text, read the way the input boxes
// have always been read (blanks anywhere ignored, a period as the only decimal
// separator, &H and &O for hexadecimal and octal). Independent of the C locale.
#include <string>
#include <string_view>

#include "calc/exact_decimal.h"
#include "calc/number_parse.h"

namespace calc {
namespace {

// Walks a text, passing over the blanks, tabs and line feeds that the reading ignores.
class Cursor {
 public:
  explicit Cursor(std::string_view text) : text_(text) {}

  // The next character that counts, or '\0' at the end.
  char Peek() {
    while (pos_ < text_.size() && IsIgnored(text_[pos_])) ++pos_;
    return pos_ < text_.size() ? text_[pos_] : '\0';
  }
  void Advance() { ++pos_; }
  [[nodiscard]] Cursor Copy() const { return *this; }

 private:
  static bool IsIgnored(char c) { return c == ' ' || c == '\t' || c == '\n'; }

  std::string_view text_;
  std::size_t pos_ = 0;
};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int DigitValue(char c, int radix) {
  int value = radix;  // "not a digit"
  if (c >= '0' && c <= '9')
    value = c - '0';
  else if (c >= 'a' && c <= 'f')
    value = c - 'a' + 10;
  else if (c >= 'A' && c <= 'F')
    value = c - 'A' + 10;
  return value < radix ? value : -1;
}

// &H1F, &O17: the digits after the prefix as a non-negative integer.
double ReadRadixDigits(Cursor& cursor, int radix) {
  double value = 0;
  for (int digit = DigitValue(cursor.Peek(), radix); digit >= 0; digit = DigitValue(cursor.Peek(), radix)) {
    value = value * radix + digit;
    cursor.Advance();
  }
  return value;
}

// The digits, the period and the exponent as DecimalToDouble reads them; blanks are
// passed over, and an exponent counts only when at least one digit follows its
// letter and sign.
double ReadDecimal(Cursor& cursor) {
  std::string number;
  bool any_digit = false;
  for (char c = cursor.Peek(); IsDigit(c); c = cursor.Peek()) {
    number += c;
    any_digit = true;
    cursor.Advance();
  }
  if (cursor.Peek() == '.') {
    number += '.';
    cursor.Advance();
    for (char c = cursor.Peek(); IsDigit(c); c = cursor.Peek()) {
      number += c;
      any_digit = true;
      cursor.Advance();
    }
  }
  if (!any_digit) return 0;

  if (char e = cursor.Peek(); e == 'e' || e == 'E' || e == 'd' || e == 'D') {
    Cursor look = cursor.Copy();
    look.Advance();
    bool negative = false;
    if (char s = look.Peek(); s == '+' || s == '-') {
      negative = s == '-';
      look.Advance();
    }
    if (IsDigit(look.Peek())) {
      number += negative ? "e-" : "e";
      for (char c = look.Peek(); IsDigit(c); c = look.Peek()) {
        number += c;
        look.Advance();
      }
      cursor = look;
    }
  }
  return DecimalToDouble(number);
}

}  // namespace

double ParseNumberPrefix(std::string_view text) {
  Cursor cursor(text);
  if (cursor.Peek() == '&') {
    Cursor look = cursor.Copy();
    look.Advance();
    const char kind = look.Peek();
    const int radix = (kind == 'H' || kind == 'h') ? 16 : (kind == 'O' || kind == 'o') ? 8 : 0;
    if (radix == 0) return 0;
    look.Advance();
    return ReadRadixDigits(look, radix);
  }

  bool negative = false;
  if (const char sign = cursor.Peek(); sign == '+' || sign == '-') {
    negative = sign == '-';
    cursor.Advance();
  }
  const double magnitude = ReadDecimal(cursor);
  return negative ? -magnitude : magnitude;
}

}  // namespace calc
