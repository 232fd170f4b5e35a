#include "windows/os_functions.h"

#include <string>

// A test build (KORVANE_WITHOUT_NEWER_FUNCTIONS) looks every function up under a name that no
// Windows has: the same code, on its way through the stand-ins.
#ifdef KORVANE_WITHOUT_NEWER_FUNCTIONS
#define KORVANE_NEWER(name) "Korvane_missing_" name
#else
#define KORVANE_NEWER(name) name
#endif

namespace korvane {
namespace {

template <typename Function>
Function Find(const wchar_t* module, const char* name) {
  // Both are loaded in every process that imports from them, as Korvane does.
  const HMODULE loaded = GetModuleHandleW(module);
  return loaded ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(loaded, name))) : nullptr;
}

// Windows 8 and later, and Windows 7 with KB2533623, which also know LOAD_LIBRARY_SEARCH_SYSTEM32.
const auto kSetDefaultDllDirectories =
    Find<BOOL(WINAPI*)(DWORD)>(L"kernel32.dll", KORVANE_NEWER("SetDefaultDllDirectories"));
// Windows 10 1607 and later.
const auto kGetDpiForWindow = Find<UINT(WINAPI*)(HWND)>(L"user32.dll", KORVANE_NEWER("GetDpiForWindow"));
const auto kAdjustWindowRectExForDpi =
    Find<BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT)>(L"user32.dll", KORVANE_NEWER("AdjustWindowRectExForDpi"));

}  // namespace

void RestrictDllSearch() {
  if (kSetDefaultDllDirectories) {
    kSetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
  } else {
    SetDllDirectoryW(L"");  // the current folder leaves the search
  }
}

HMODULE LoadSystemLibrary(const wchar_t* name) {
  return kSetDefaultDllDirectories ? LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)
                                   : LoadFromSystemFolder(name);
}

HMODULE LoadFromSystemFolder(const wchar_t* name) {
  wchar_t folder[MAX_PATH];
  const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  const std::wstring path = std::wstring(folder, length) + L"\\" + name;
  // The DLLs it needs are looked for in its own folder, System32, first.
  return LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

UINT WindowDpi(HWND window) {
  const UINT dpi = kGetDpiForWindow ? kGetDpiForWindow(window) : 0;
  return dpi ? dpi : SystemDpi();
}

bool FrameForClientArea(RECT* area, DWORD style, DWORD ex_style, UINT dpi) {
  return kAdjustWindowRectExForDpi ? kAdjustWindowRectExForDpi(area, style, FALSE, ex_style, dpi)
                                   : AdjustWindowRectEx(area, style, FALSE, ex_style);
}

UINT SystemDpi() {
  const HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 0;
  if (screen) ReleaseDC(nullptr, screen);
  return dpi > 0 ? static_cast<UINT>(dpi) : USER_DEFAULT_SCREEN_DPI;
}

}  // namespace korvane
