// Text between the core and Windows: UTF-8 (the core) to UTF-16 (the wide API) and
// back, a control's text, and plain text onto the clipboard.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace korvane {

std::wstring Wide(std::string_view utf8);
std::string Utf8(std::wstring_view text);
std::wstring WindowText(HWND window);
// CF_UNICODETEXT holding exactly `text` and its terminating NUL; false if the
// clipboard stayed busy or memory ran out.
bool CopyToClipboard(HWND owner, std::wstring_view text);

}  // namespace korvane
