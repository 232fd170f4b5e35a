// The Windows functions that Korvane uses and Windows 7 SP1 lacks, looked up by name at run
// time, each with what stands in for it there: the system dpi for the per-monitor dpi, and
// Windows 7's own guard against planted DLLs for the safe DLL search. Everything else that
// Korvane calls, Windows 7 SP1 has.
#pragma once

#include <windows.h>

namespace korvane {

// Every DLL that the program or Windows for it loads by name later comes from System32, not
// from the program's folder or the current one. Where Windows cannot restrict the search
// (Windows 7 without KB2533623), the current folder leaves it, and the program's own DLLs are
// loaded by their full path (LoadSystemLibrary).
void RestrictDllSearch();

// A DLL of Windows' own, from System32; nullptr where it cannot be loaded.
HMODULE LoadSystemLibrary(const wchar_t* name);

// The dpi of the window's monitor; where Windows has no per-monitor dpi, the system's.
UINT WindowDpi(HWND window);

// The frame around a client area at a dpi; before Windows 10 1607, at the system's dpi,
// the only one an older Windows draws frames at.
bool FrameForClientArea(RECT* area, DWORD style, DWORD ex_style, UINT dpi);

// The stand-ins, for a Windows without the newer functions (and for the tests).
UINT SystemDpi();
HMODULE LoadFromSystemFolder(const wchar_t* name);

}  // namespace korvane
