// Number formats built by hand, as the user's locale would give them; shared by
// the tests, the benchmark and the fuzzer.
#pragma once

#include "calc/number_format.h"

namespace calc::testing {

inline NumberFormat English() { return {}; }

inline NumberFormat Bulgarian() {
  NumberFormat f;
  f.decimal_separator = ",";
  f.group_separator = "\u00A0";  // no-break space
  f.minimum_grouping_digits = 2;
  return f;
}

inline NumberFormat German() {
  NumberFormat f;
  f.decimal_separator = ",";
  f.group_separator = ".";
  return f;
}

}  // namespace calc::testing
