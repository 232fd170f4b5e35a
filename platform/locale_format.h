// The user's locale as the calculation core's number format: read once at
// start-up from a QLocale, so that the core never sees Qt.
#pragma once

#include <QLocale>

#include "calc/number_format.h"

namespace platform {

calc::NumberFormat NumberFormatFromLocale(const QLocale& locale);

}  // namespace platform
