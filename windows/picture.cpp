#include "windows/picture.h"

#include <cstdlib>
#include <memory>

#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#define STBI_ONLY_JPEG
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#define STBI_NO_FAILURE_STRINGS
#define STBI_NO_THREAD_LOCALS
#include <stb_image.h>

namespace korvane {

HBITMAP DecodeJpegResource(HINSTANCE instance, const wchar_t* name) {
  HRSRC found = FindResourceW(instance, name, MAKEINTRESOURCEW(10));  // RT_RCDATA
  if (!found) return nullptr;
  const auto* bytes = static_cast<const stbi_uc*>(LockResource(LoadResource(instance, found)));
  const DWORD size = SizeofResource(instance, found);
  if (!bytes || !size) return nullptr;

  int width = 0, height = 0, components = 0;
  const std::unique_ptr<stbi_uc, decltype(&stbi_image_free)> rgb(
      stbi_load_from_memory(bytes, static_cast<int>(size), &width, &height, &components, 3), &stbi_image_free);
  if (!rgb) return nullptr;

  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down, as the decoder writes rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* pixels = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
  if (!bitmap) return nullptr;
  auto* out = static_cast<BYTE*>(pixels);
  const stbi_uc* in = rgb.get();
  for (int i = 0; i < width * height; ++i, in += 3, out += 4) {
    out[0] = in[2];  // blue, green, red, unused
    out[1] = in[1];
    out[2] = in[0];
    out[3] = 0;
  }
  return bitmap;
}

}  // namespace korvane
