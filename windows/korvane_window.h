// The main window on Windows: the controls of the Designer form's table, the
// handlers Form_Load and Command1_Click, and the procedures ClearInputs and
// CalculateCross. It reads the input boxes, hands their texts to the calculation
// core with the user's number format, and writes the problem box.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "calc/number_format.h"
#include "windows/control_table.h"

namespace korvane {

class Korvane {
 public:
  explicit Korvane(calc::NumberFormat format);
  ~Korvane();
  Korvane(const Korvane&) = delete;
  Korvane& operator=(const Korvane&) = delete;

  // Creates the window and runs Form_Load; false if Windows refused.
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
  void OnDrawItem(HWND window, const DRAWITEMSTRUCT* item);
  void OnContextMenu(HWND window, HWND control, UINT x, UINT y);
  void OnActivate(HWND window, UINT state, HWND other, BOOL minimized);
  void OnSetFocus(HWND window, HWND old_focus);
  void OnDpiChanged(HWND window, UINT dpi, const RECT& suggested);
  void OnDestroy(HWND window);

  void Form_Load();
  void Command1_Click(std::int16_t index);
  void ClearInputs();
  void CalculateCross();

  void Layout();
  void Place(const ControlSpec& control);
  void ResizeToClientArea(int left, int top);
  void DrawButton(const DRAWITEMSTRUCT& item, std::size_t row);
  void DrawPicture(const DRAWITEMSTRUCT& item);
  void CopyProblemBoxSelection();
  int Scale(int pixels) const { return MulDiv(pixels, static_cast<int>(dpi_), 96); }
  HWND Control(int id) const { return GetDlgItem(window_, id); }

  calc::NumberFormat format_;
  HWND window_ = nullptr;
  UINT dpi_ = 96;
  HFONT font_ = nullptr;
  HBRUSH window_brush_ = nullptr;
  std::vector<HBRUSH> brushes_;  // one per table row; null where the default colours apply
  HBITMAP flag_ = nullptr;
  bool picture_auto_size_ = false;
  HWND last_focus_ = nullptr;
};

}  // namespace korvane
