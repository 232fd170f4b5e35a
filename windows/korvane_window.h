// The main window on Windows: the controls of the Designer form's table, the
// handlers Form_Load and Command1_Click, and the procedures ClearInputs and
// CalculateCross. It reads the input boxes, hands their texts to the calculation
// core with the user's number format, and writes the problem box.
// korvane_window.cpp: creation, layout, the handlers; window_paint.cpp: colours and
// owner drawing; window_keyboard.cpp: keyboard, focus, the problem box's menu and copy;
// window_accessibility.cpp: the accessible names.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "calc/number_format.h"
#include "windows/colours.h"
#include "windows/control_table.h"

struct IAccPropServices;

namespace korvane {

inline constexpr int kPictureBorder = 2;  // pixels around the photograph in its box

// The row of the control table that holds this control id; the table's size if none.
std::size_t RowOf(int id);

// The index of a control in its array (kText2, kCommand1), or -1.
template <std::size_t N>
int IndexIn(const int (&ids)[N], int id) {
  for (std::size_t i = 0; i < N; ++i)
    if (ids[i] == id) return static_cast<int>(i);
  return -1;
}

class Korvane {
 public:
  explicit Korvane(calc::NumberFormat format);
  ~Korvane();
  Korvane(const Korvane&) = delete;
  Korvane& operator=(const Korvane&) = delete;

  // Creates the window, runs Form_Load and shows the window; false if Windows refused.
  bool Create(HINSTANCE instance, int show);
  // The dialog keyboard, Return in the inputs and on the buttons, and the problem
  // box's copy. True if the message was handled and must not be dispatched.
  bool TranslateKeyboard(MSG& message);

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT Handle(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

  BOOL OnCreate(HWND window, LPCREATESTRUCTW create);
  void OnCommand(HWND window, int id, HWND control, UINT code);
  HBRUSH OnCtlColorStatic(HWND window, HDC dc, HWND control, int type);
  BOOL OnEraseBackground(HWND window, HDC dc);
  void OnDrawItem(HWND window, const DRAWITEMSTRUCT* item);
  bool OnContextMenu(HWND control, int x, int y);
  void OnActivate(HWND window, UINT state, HWND other, BOOL minimized);
  void OnSetFocus(HWND window, HWND old_focus);
  void OnDpiChanged(HWND window, UINT dpi, const RECT& suggested);
  void OnSettingChange();
  void OnFirstFrameShown();
  void ClearAccessibleNames();
  void OnDestroy(HWND window);

  void Form_Load();
  void Command1_Click(std::int16_t index);
  void ClearInputs();
  void CalculateCross();

  HFONT FormFont() const;
  void Layout();
  void Place(const ControlSpec& control);
  void ResizeToClientArea(int left, int top);
  void ReadColours();
  void DeleteBrushes();
  Paint PaintOfRow(std::size_t row) const;
  HBRUSH BackgroundOf(std::size_t row) const;
  void DrawButton(const DRAWITEMSTRUCT& item, std::size_t row);
  void DrawPicture(const DRAWITEMSTRUCT& item);
  void RememberFocus();
  void CopyProblemBoxSelection();
  int Scale(int pixels) const { return MulDiv(pixels, static_cast<int>(dpi_), 96); }
  HWND Control(int id) const { return GetDlgItem(window_, id); }

  calc::NumberFormat format_;
  HWND window_ = nullptr;
  UINT dpi_ = 96;
  HFONT font_ = nullptr;
  bool high_contrast_ = false;  // the system's colours for every text and background
  HBRUSH window_brush_ = nullptr;
  std::vector<HBRUSH> brushes_;  // one per table row
  HBITMAP flag_ = nullptr;
  bool picture_auto_size_ = false;
  HWND last_focus_ = nullptr;
  IAccPropServices* accessibility_ = nullptr;  // the problem box's accessible name
  bool com_ = false;
};

}  // namespace korvane
