// What the page asks of the module, as bytes in the module's memory: a list of texts
// back to back, each after its byte count (4 bytes, little-endian). A problem box's
// request holds the fields of kRequestFields in that order; the module hands the list
// to the page, and the comparison's native driver reads the same bytes with this decoder.
#pragma once

#include <string>
#include <string_view>

#include "calc/number_format.h"

namespace web {

// Named as the page names them; the numbers and the two flags (0 or 1) are decimal texts.
inline constexpr char kRequestFields[] =
    "length width percentage decimalSeparator groupSeparator negativeSign primaryGroupSize secondaryGroupSize "
    "minimumGroupingDigits leadingZero parentheses";

struct Request {
  std::string_view length, width, percentage;
  calc::NumberFormat format;
};

// Whether `bytes` hold `count` texts, which then go to `texts`.
bool DecodeTexts(std::string_view bytes, std::string_view* texts, std::size_t count);

// Whether `bytes` hold a problem box's request, which then goes to `request`.
bool DecodeRequest(std::string_view bytes, Request& request);

// The bytes of a problem box's request, as the page writes them.
std::string EncodeRequest(const Request& request);

}  // namespace web
