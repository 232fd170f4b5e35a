// The flag photograph: the JPEG resource as it is in the executable in, a 32-bit
// bitmap out, decoded in the program itself (stb_image): no COM and no imaging
// component to load before the first frame.
#pragma once

#include <windows.h>

namespace korvane {

// Null if the resource is missing or is not a JPEG that can be decoded.
HBITMAP DecodeJpegResource(HINSTANCE instance, const wchar_t* name);

}  // namespace korvane
