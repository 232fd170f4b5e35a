// One row of the window's control table, as windows/emit_controls.py writes it
// from the Designer form: kind, array name and index, place and size in pixels at
// 96 dpi, text (CR LF line breaks), colour and settings. Rows come in creation order,
// each value named by its field, so that the compiler holds the generator to this struct.
#pragma once

#include <cstdint>

namespace korvane {

enum class ControlKind : std::uint8_t { Frame, Input, TextBox, Button, Label, Picture };

struct Colour {
  std::uint8_t red, green, blue;
};

struct ControlSpec {
  ControlKind kind;
  int id;               // the control's id: WM_COMMAND and GetDlgItem
  const wchar_t* name;  // the control array's name, Text2
  int index;            // index in the array; -1 for a single control
  int x, y, width, height;
  const wchar_t* text;
  bool has_background;  // false: the platform's default colours
  Colour background;
  bool centred;
  int max_length;  // 0: no limit
  bool read_only;
  bool vertical_scroll_bar;
  bool visible;
  bool tab_stop;
  const wchar_t* picture;          // the picture's resource name, or empty
  const wchar_t* accessible_name;  // what a screen reader calls it, or empty
};

}  // namespace korvane
