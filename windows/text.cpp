#include "windows/text.h"

#include <cstring>

#include "windows/utf16.h"

namespace korvane {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows' wide characters are UTF-16 code units");

std::wstring Wide(std::string_view utf8) {
  const std::u16string text = Utf16(utf8);
  return std::wstring(reinterpret_cast<const wchar_t*>(text.data()), text.size());
}

std::string Utf8(std::wstring_view text) {
  return Utf8(std::u16string_view(reinterpret_cast<const char16_t*>(text.data()), text.size()));
}

std::wstring WindowText(HWND window) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

// The data is ready before the clipboard is opened, so that it is held open only
// for the hand-over; another program holding it gets a few tries' time to let go.
bool CopyToClipboard(HWND owner, std::wstring_view text) {
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
  auto* target = memory ? static_cast<wchar_t*>(GlobalLock(memory)) : nullptr;
  if (!target) {
    if (memory) GlobalFree(memory);
    return false;
  }
  std::memcpy(target, text.data(), text.size() * sizeof(wchar_t));
  target[text.size()] = L'\0';
  GlobalUnlock(memory);
  bool opened = false;
  for (int attempt = 0; attempt < 10 && !(opened = OpenClipboard(owner)); ++attempt) Sleep(20);
  const bool done = opened && EmptyClipboard() && SetClipboardData(CF_UNICODETEXT, memory);
  if (opened) CloseClipboard();
  if (!done) GlobalFree(memory);  // the clipboard owns it only once it has taken it
  return done;
}

}  // namespace korvane
