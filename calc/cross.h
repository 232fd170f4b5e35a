// The flag-cross calculation: the three input texts (length, width, percentage)
// in, the problem box's text out. SolveCross gives the numbers or nothing,
// ComposeReport turns numbers into the eight-line worked solution.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "calc/number_format.h"
#include "calc/number_text.h"

namespace calc {

// What the problem box shows when the input cannot be solved.
inline constexpr std::string_view kErrorLine = "Некоректни входни данни!";

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

// The eight lines of the worked solution, each ending in CR LF.
std::string ComposeReport(const CrossSolution& solution, const NumberFormat& format);

// The error line or the report.
std::string ProblemBoxText(std::string_view length, std::string_view width, std::string_view percentage,
                           const NumberFormat& format);

}  // namespace calc
