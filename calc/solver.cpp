// SolveCross: three input texts to the numbers of one calculation, or nothing.
// The cross of thickness x on an a-by-b flag covers a x + b x - x^2, so x is the
// smaller root of x^2 - (a + b) x + a b k = 0.
#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <optional>
#include <string_view>

#include "calc/number_parse.h"
#include "calc/solver.h"

namespace calc {
namespace {

bool AllFinite(std::initializer_list<double> values) {
  return std::all_of(values.begin(), values.end(), [](double v) { return std::isfinite(v); });
}

}  // namespace

std::optional<CrossSolution> SolveCross(std::string_view length, std::string_view width, std::string_view percentage) {
  CrossSolution s;
  s.a = ParseNumberPrefix(length);
  s.b = ParseNumberPrefix(width);
  s.k = ParseNumberPrefix(percentage) / 100.0;

  // This order of operations fixes the last bits of D, and so of the report.
  s.sum = s.a + s.b;
  const double square = s.sum * (s.a + s.b);
  s.discriminant = square - ((4 * s.a) * s.b) * s.k;

  // A share above 100 % would ask for a cross larger than the flag. Written as
  // what must hold, so that a NaN anywhere fails it.
  const bool valid =
      s.a > 0 && s.b > 0 && s.k > 0 && s.k <= 1 && s.discriminant >= 0 && AllFinite({s.a, s.b, s.k, s.discriminant});
  if (!valid) return std::nullopt;

  s.flag_area = s.a * s.b;
  s.product_term = s.flag_area * s.k;
  // The smaller root ((a + b) - sqrt(D)) / 2, written without the subtraction,
  // which loses every digit on a long thin flag (a >> b, small k).
  const double root = 2 * s.product_term / (s.sum + std::sqrt(s.discriminant));
  if (!(root > 0) || !AllFinite({s.flag_area, s.product_term, root})) return std::nullopt;
  // With k <= 1 the root never exceeds the shorter side; rounding may lift it an
  // ulp above when the cross covers the whole flag.
  s.thickness = std::min(root, std::min(s.a, s.b));

  const double x = s.thickness;
  s.cross_area = (s.a * x + s.b * x) - x * x;
  if (!std::isfinite(s.cross_area)) return std::nullopt;
  return s;
}

}  // namespace calc
