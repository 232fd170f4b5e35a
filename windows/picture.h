// The flag photograph: the JPEG resource as it is in the executable in, a 32-bit
// bitmap decoded by Windows' own imaging component (WIC) out.
#pragma once

#include <windows.h>

namespace korvane {

// Null if the resource is missing or Windows cannot decode it.
HBITMAP DecodeJpegResource(HINSTANCE instance, const wchar_t* name);

}  // namespace korvane
