// The native core's answers for the WebAssembly comparison: one request a line on
// standard input, one answer a line on standard output. A request is the three input
// texts, the decimal separator, the group separator and the negative sign, each as hex
// of its UTF-8 bytes ("-" for empty), then the group sizes, the minimum grouping, the
// leading zero and the parentheses flag as integers. The answer is the problem box's
// text as hex.
#include <iostream>
#include <sstream>
#include <string>

#include "calc/cross.h"
#include "web/number_format_fields.h"

namespace {

std::string FromHex(const std::string& hex) {
  std::string text;
  if (hex == "-") return text;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
    text += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
  return text;
}

std::string ToHex(const std::string& text) {
  static const char digits[] = "0123456789abcdef";
  std::string hex;
  for (unsigned char c : text) {
    hex += digits[c >> 4];
    hex += digits[c & 15];
  }
  return hex;
}

}  // namespace

int main() {
  std::ios::sync_with_stdio(false);
  std::string line;
  while (std::getline(std::cin, line)) {
    std::istringstream fields(line);
    std::string text[6];
    int primary = 0, secondary = 0, minimum = 0, leading_zero = 0, parentheses = 0;
    for (std::string& t : text) {
      fields >> t;
      t = FromHex(t);
    }
    fields >> primary >> secondary >> minimum >> leading_zero >> parentheses;
    if (!fields) {
      std::cerr << "report_driver: bad request: " << line << '\n';
      return 2;
    }
    const calc::NumberFormat format = web::NumberFormatFromFields(text[3], text[4], text[5], primary, secondary,
                                                                  minimum, leading_zero != 0, parentheses != 0);
    std::cout << ToHex(calc::ProblemBoxText(text[0], text[1], text[2], format)) << '\n';
  }
  return 0;
}
