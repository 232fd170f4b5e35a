// The user's locale as the calculation core's number format: read once at
// start-up from a QLocale, so that the core never sees Qt.
#pragma once

#include <QLocale>

#include "calc/number_format.h"

namespace platform {

// The locale that says how the user's numbers look: LC_ALL, then LC_NUMERIC, then
// LANG, as the C library and Qt agree; with none of them set, the C locale.
QLocale NumericLocale();

// Every part of the format (separators, group sizes, minimum grouping, sign) from `locale`.
calc::NumberFormat NumberFormatFromLocale(const QLocale& locale);

}  // namespace platform
