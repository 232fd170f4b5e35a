// UTF-8 (the calculation core's texts) and UTF-16 (Windows' wide API and its
// regional settings) into each other. No Windows header, so that the conversion is
// tested on Linux too. What is not well formed becomes U+FFFD, as Windows writes it.
#pragma once

#include <string>
#include <string_view>

namespace korvane {

std::string Utf8(std::u16string_view text);
std::u16string Utf16(std::string_view text);

}  // namespace korvane
