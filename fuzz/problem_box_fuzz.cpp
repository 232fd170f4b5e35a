// Arbitrary bytes, split at the first two NUL bytes into the three input texts,
// must give the error line or an eight-line report without inf or nan, whose
// thickness is positive and no more than the flag's shorter side, and whose
// numbers show at most 15 significant digits.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "calc/report.h"
#include "tests/cases/cases.h"

namespace {

void Require(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "broken: %s\n", what);
    std::abort();
  }
}

std::size_t Count(std::string_view text, std::string_view part) {
  std::size_t n = 0;
  for (auto at = text.find(part); at != std::string_view::npos; at = text.find(part, at + part.size())) ++n;
  return n;
}

// The most significant digits in any number of the text: digits joined across the
// separators of every format used here, without leading or trailing zeros.
std::size_t MostSignificantDigits(std::string_view text) {
  std::size_t most = 0;
  std::string digits;
  const auto flush = [&] {
    const auto first = digits.find_first_not_of('0');
    if (first != std::string::npos) most = std::max(most, digits.find_last_not_of('0') + 1 - first);
    digits.clear();
  };
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c >= '0' && c <= '9') {
      digits += c;
    } else if (text.substr(i, 2) == "\u00A0") {
      ++i;  // the Bulgarian group separator, two bytes in UTF-8
    } else if (c != ',' && c != '.') {
      flush();
    }
  }
  flush();
  return most;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view rest(reinterpret_cast<const char*>(data), size);
  std::array<std::string_view, 3> texts;
  for (std::size_t i = 0; i < 2; ++i) {
    const auto cut = rest.find('\0');
    texts[i] = rest.substr(0, cut);
    rest = cut == std::string_view::npos ? std::string_view{} : rest.substr(cut + 1);
  }
  texts[2] = rest;

  const auto solution = calc::SolveCross(texts[0], texts[1], texts[2]);
  if (solution) {
    Require(solution->thickness > 0, "thickness not positive");
    Require(solution->thickness <= std::min(solution->a, solution->b), "thickness beyond the shorter side");
  }
  static const std::array<calc::NumberFormat, 3> formats = {cases::Format("English"), cases::Format("Bulgarian"),
                                                            cases::Format("German")};
  for (const auto& format : formats) {
    const std::string box = calc::ProblemBoxText(texts[0], texts[1], texts[2], format);
    if (!solution) {
      Require(box == calc::kErrorLine, "invalid input without the error line");
      continue;
    }
    Require(Count(box, "\r\n") == 8 && box.size() >= 2 && box.substr(box.size() - 2) == "\r\n",
            "report is not eight CR LF lines");
    Require(Count(box, "\n") == 8 && Count(box, "\r") == 8, "stray line break in the report");
    for (const char* bad : {"inf", "Inf", "nan", "NaN"}) Require(Count(box, bad) == 0, "inf or nan in the report");
    Require(MostSignificantDigits(box) <= 15, "a number with more than 15 significant digits");
  }
  return 0;
}
