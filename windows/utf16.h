// UTF-8 (the calculation core's texts) and UTF-16 (Windows' wide API and its regional
// settings) into each other, with Windows' own conversion. What is not well formed, a lone
// surrogate among it, becomes U+FFFD. No Windows header here, so that the regional
// settings' mapping (locale_format.h) needs none either.
#pragma once

#include <string>
#include <string_view>

namespace korvane {

std::string Utf8(std::u16string_view text);
std::u16string Utf16(std::string_view text);

}  // namespace korvane
