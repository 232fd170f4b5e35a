#include "windows/utf16.h"

#include <windows.h>

namespace korvane {

// Without WC_ERR_INVALID_CHARS and MB_ERR_INVALID_CHARS, Windows writes U+FFFD for what is not
// well formed instead of failing. Each call is made twice: once for the length, once to write.
std::string Utf8(std::u16string_view text) {
  if (text.empty()) return {};
  const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
  const int length = static_cast<int>(text.size());
  std::string out(static_cast<std::size_t>(WideCharToMultiByte(CP_UTF8, 0, wide, length, nullptr, 0, nullptr, nullptr)),
                  '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide, length, out.data(), static_cast<int>(out.size()), nullptr, nullptr);
  return out;
}

std::u16string Utf16(std::string_view text) {
  if (text.empty()) return {};
  const int length = static_cast<int>(text.size());
  std::u16string out(static_cast<std::size_t>(MultiByteToWideChar(CP_UTF8, 0, text.data(), length, nullptr, 0)), u'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), length, reinterpret_cast<wchar_t*>(out.data()),
                      static_cast<int>(out.size()));
  return out;
}

}  // namespace korvane
