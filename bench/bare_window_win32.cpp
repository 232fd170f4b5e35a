// The floor for the Windows start-up benchmark: a bare Win32 window with the same
// kinds and numbers of controls as Korvane.exe, built the same way (MinGW-w64,
// static), but with no generated table, font, colours, photograph, icon or locale.
// Built with KORVANE_BARE_EMPTY: a truly bare window, no controls and no RichEdit.
#include <windows.h>

namespace {

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcW(window, message, wparam, lparam);
}

[[maybe_unused]] void Add(HWND parent, const wchar_t* kind, DWORD style, DWORD ex_style, int x, int y, int width,
                          int height) {
  CreateWindowExW(ex_style, kind, L"bare", WS_CHILD | WS_VISIBLE | style, x, y, width, height, parent, nullptr, nullptr,
                  nullptr);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
#ifndef KORVANE_BARE_EMPTY
  LoadLibraryExW(L"Msftedit.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
#endif
  WNDCLASSW window_class{};
  window_class.lpfnWndProc = WindowProc;
  window_class.hInstance = instance;
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  window_class.lpszClassName = L"bare";
  RegisterClassW(&window_class);
  RECT frame{0, 0, 484, 424};
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  AdjustWindowRect(&frame, style, FALSE);
  HWND window = CreateWindowExW(0, L"bare", L"bare", style, CW_USEDEFAULT, CW_USEDEFAULT, frame.right - frame.left,
                                frame.bottom - frame.top, nullptr, nullptr, instance, nullptr);
#ifndef KORVANE_BARE_EMPTY
  Add(window, L"BUTTON", BS_GROUPBOX, 0, 272, 32, 201, 169);
  for (int i = 0; i < 3; ++i) {
    Add(window, L"STATIC", SS_LEFTNOWORDWRAP, 0, 280, 56 + 27 * i, 120, 27);
    Add(window, L"EDIT", WS_TABSTOP, WS_EX_CLIENTEDGE, 400, 56 + 27 * i, 41, 27);
  }
  Add(window, L"STATIC", 0, 0, 440, 110, 25, 27);
  Add(window, L"BUTTON", WS_TABSTOP, 0, 280, 152, 73, 25);
  Add(window, L"BUTTON", WS_TABSTOP, 0, 392, 168, 73, 25);
  Add(window, L"STATIC", 0, 0, 64, 0, 305, 25);
  Add(window, L"STATIC", 0, 0, 8, 40, 254, 163);
  Add(window, L"RICHEDIT50W", ES_MULTILINE | WS_VSCROLL, WS_EX_CLIENTEDGE, 8, 216, 465, 201);
  CreateWindowExW(0, L"RICHEDIT50W", L"", WS_CHILD | ES_MULTILINE, 40, 312, 449, 121, window, nullptr, nullptr,
                  nullptr);
#endif
  ShowWindow(window, show);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (IsDialogMessageW(window, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}
