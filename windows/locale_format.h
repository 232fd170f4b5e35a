// The user's regional settings, as Windows' GetLocaleInfoEx gives them (UTF-16
// texts), turned into the calculation core's number format. No Windows header
// here, so that the tests of this mapping run on Linux too.
#pragma once

#include <string>

#include "calc/number_format.h"

namespace korvane {

struct LocaleInfo {
  std::u16string decimal;          // LOCALE_SDECIMAL
  std::u16string thousand;         // LOCALE_STHOUSAND
  std::u16string grouping;         // LOCALE_SGROUPING: 3;0, 3;2;0, 3, 0
  std::u16string leading_zero;     // LOCALE_ILZERO: 0 or 1
  std::u16string negative_number;  // LOCALE_INEGNUMBER: 0 to 4
  std::u16string negative_sign;    // LOCALE_SNEGATIVESIGN
};

calc::NumberFormat NumberFormatFromLocaleInfo(const LocaleInfo& info);

}  // namespace korvane
