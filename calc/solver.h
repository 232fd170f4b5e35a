// SolveCross: the three input texts (length, width, percentage) to the numbers of
// one calculation, or nothing when they cannot be solved.
#pragma once

#include <optional>
#include <string_view>

namespace calc {

// One successful calculation. Every field is finite, a, b, k and thickness positive.
struct CrossSolution {
  double a = 0;             // length of the flag
  double b = 0;             // width of the flag
  double k = 0;             // share of the flag covered, as a fraction in (0, 1]
  double sum = 0;           // a + b
  double flag_area = 0;     // a * b
  double product_term = 0;  // (a * b) * k, the constant term of the equation
  double discriminant = 0;  // (a + b)^2 - 4 a b k
  double thickness = 0;     // x, the smaller root
  double cross_area = 0;    // a x + b x - x^2
};

// Nothing when the input is invalid: a, b or the share not positive, a share
// above 100 %, no real root, or a value that does not fit in a double.
std::optional<CrossSolution> SolveCross(std::string_view length, std::string_view width, std::string_view percentage);

}  // namespace calc
