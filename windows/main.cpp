// Korvane.exe: reads the user's number settings, builds the window and runs the
// message loop; closing the window ends the program. It takes no command line
// and reads no file or registry value of its own.
#include <objbase.h>
#include <windows.h>

#include "windows/korvane_window.h"
#include "windows/locale_format.h"

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
  info.name = LocaleValue(LOCALE_SNAME);
  info.decimal = LocaleValue(LOCALE_SDECIMAL);
  info.thousand = LocaleValue(LOCALE_STHOUSAND);
  info.grouping = LocaleValue(LOCALE_SGROUPING);
  info.leading_zero = LocaleValue(LOCALE_ILZERO);
  info.negative_number = LocaleValue(LOCALE_INEGNUMBER);
  info.negative_sign = LocaleValue(LOCALE_SNEGATIVESIGN);
  return korvane::NumberFormatFromLocaleInfo(info);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) return 1;
  korvane::Korvane window(UserNumberFormat());
  if (!window.Create(instance, show)) return 1;
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (window.TranslateKeyboard(message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  CoUninitialize();
  return static_cast<int>(message.wParam);
}
