// Generated requests for the comparison of the WebAssembly core with the native one:
// input texts and number formats aimed at the conversions' hard places (long digit
// strings, exponents at the range's edges, midpoints between doubles, hexadecimal and
// octal, blanks inside, every switch-over of the general form to an exponent, ties and
// carries of the three-decimal form, every field of the number format). Each request's
// conversions are checked natively against std::from_chars and std::to_chars as it is made.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "calc/number_format.h"

namespace compare {

// The three input texts and the number format of a problem box's request.
struct Request {
  std::array<std::string, 3> text;
  calc::NumberFormat format;
};

class CaseGenerator {
 public:
  explicit CaseGenerator(std::uint64_t seed) : state_(seed) {}

  // The next request, its conversions already checked.
  Request Next();

  // Every disagreement with the C++ library found so far, one line each.
  [[nodiscard]] const std::vector<std::string>& mismatches() const { return mismatches_; }
  // How many conversions were compared.
  [[nodiscard]] std::uint64_t checks() const { return checks_; }

 private:
  std::uint64_t Below(std::uint64_t n);
  bool OneIn(std::uint64_t n) { return Below(n) == 0; }
  std::string Digits(std::size_t count);
  std::string Decorate(const std::string& number);
  std::string GeneratedNumber();
  std::string Midpoint();
  std::string SwitchOverValue();
  std::string ThreeDecimalValue();
  std::string RadixText();
  std::string BoxText();
  void RandomFormat(Request& request);

  void CheckParse(const std::string& text, const std::string& number, bool negative);
  void CheckValue(double value);

  std::uint64_t state_;
  std::uint64_t checks_ = 0;
  std::vector<std::string> mismatches_;
  // The texts that the current request's generators made, with the number each reads as.
  struct Known {
    std::string text, number;
    bool negative = false;
  };
  std::vector<Known> known_;
};

}  // namespace compare
