// Korvane.exe: reads the user's number settings, builds the window and runs the
// message loop; closing the window ends the program. It takes no command line
// and reads no file or registry value of its own. A start that fails says so.
#include <windows.h>

#include <string>

#include "windows/korvane_window.h"
#include "windows/locale_format.h"
#include "windows/os_functions.h"

namespace {

std::u16string LocaleValue(LCTYPE type) {
  wchar_t value[LOCALE_NAME_MAX_LENGTH] = {};
  const int length = GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, type, value, LOCALE_NAME_MAX_LENGTH);
  return length > 1 ? std::u16string(reinterpret_cast<const char16_t*>(value), static_cast<std::size_t>(length - 1))
                    : std::u16string();
}

// The user's regional settings, including what they changed in the Control Panel.
calc::NumberFormat UserNumberFormat() {
  korvane::LocaleInfo info;
  info.decimal = LocaleValue(LOCALE_SDECIMAL);
  info.thousand = LocaleValue(LOCALE_STHOUSAND);
  info.grouping = LocaleValue(LOCALE_SGROUPING);
  info.leading_zero = LocaleValue(LOCALE_ILZERO);
  info.negative_number = LocaleValue(LOCALE_INEGNUMBER);
  info.negative_sign = LocaleValue(LOCALE_SNEGATIVESIGN);
  return korvane::NumberFormatFromLocaleInfo(info);
}

int Fail(const wchar_t* what) {
  const DWORD error = GetLastError();
  std::wstring text = what;
  if (error) text += L"\n\nКод на грешката от Windows: " + std::to_wstring(error) + L".";
  MSG quit;  // a window destroyed on the way has asked the loop to end: not this box's loop
  PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
  MessageBoxW(nullptr, text.c_str(), L"Korvane", MB_OK | MB_ICONERROR);
  return 1;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  // Every DLL loaded from now on, by the program or by Windows for it, from System32.
  korvane::RestrictDllSearch();
  korvane::Korvane window(UserNumberFormat());
  if (!window.Create(instance, show)) return Fail(L"Прозорецът на Korvane не може да бъде отворен.");
  MSG message{};
  for (;;) {
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == 0) break;
    if (got == -1) return Fail(L"Korvane спря: Windows не предаде съобщение на прозореца.");
    if (window.TranslateKeyboard(message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}
