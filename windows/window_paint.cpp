// The window's colours and the controls it draws itself: the form's colours for the
// window, the labels and the two buttons; in high-contrast mode the system's colours
// for every text and background instead (windows/colours.h chooses).
#include <windowsx.h>

#include "korvane_controls.h"
#include "windows/colours.h"
#include "windows/korvane_window.h"

namespace korvane {
namespace {

COLORREF Rgb(Colour c) { return RGB(c.red, c.green, c.blue); }

Colour SystemColour(int index) {
  const COLORREF c = GetSysColor(index);
  return {GetRValue(c), GetGValue(c), GetBValue(c)};
}

bool HighContrast() {
  HIGHCONTRASTW setting{};
  setting.cbSize = sizeof(setting);
  return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(setting), &setting, 0) &&
         (setting.dwFlags & HCF_HIGHCONTRASTON);
}

}  // namespace

// One brush for the window and one for each control.
void Korvane::ReadColours() {
  DeleteBrushes();
  high_contrast_ = HighContrast();
  window_brush_ = CreateSolidBrush(Rgb(PaintOfRow(std::size(kControls)).background));
  for (std::size_t row = 0; row < std::size(kControls); ++row)
    brushes_.push_back(CreateSolidBrush(Rgb(PaintOfRow(row).background)));
}

// The control's colours, the window's for the table's size.
Paint Korvane::PaintOfRow(std::size_t row) const {
  const SystemColours system{SystemColour(COLOR_BTNFACE), SystemColour(COLOR_BTNTEXT), SystemColour(COLOR_WINDOWTEXT)};
  return PaintOf(row < std::size(kControls) ? &kControls[row] : nullptr, kWindowBackground, high_contrast_, system);
}

void Korvane::DeleteBrushes() {
  for (HBRUSH brush : brushes_) DeleteObject(brush);
  if (window_brush_) DeleteObject(window_brush_);
  brushes_.clear();
  window_brush_ = nullptr;
}

// The control's background, the window's for the table's size.
HBRUSH Korvane::BackgroundOf(std::size_t row) const { return row < brushes_.size() ? brushes_[row] : window_brush_; }

// In high-contrast mode the theme's colours may have changed with the setting.
void Korvane::OnSettingChange() {
  if (HighContrast() == high_contrast_ && !high_contrast_) return;
  ReadColours();
  RedrawWindow(window_, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_ALLCHILDREN);
}

BOOL Korvane::OnEraseBackground(HWND window, HDC dc) {
  RECT client{};
  GetClientRect(window, &client);
  FillRect(dc, &client, BackgroundOf(std::size(kControls)));
  return TRUE;
}

// Labels in their colours, the frame on the window's colour.
HBRUSH Korvane::OnCtlColorStatic(HWND, HDC dc, HWND control, int) {
  const std::size_t row = RowOf(GetDlgCtrlID(control));
  const Paint paint = PaintOfRow(row);
  SetTextColor(dc, Rgb(paint.text));
  SetBkColor(dc, Rgb(paint.background));
  return BackgroundOf(row);
}

void Korvane::OnDrawItem(HWND, const DRAWITEMSTRUCT* item) {
  if (item->CtlType == ODT_BUTTON) DrawButton(*item, RowOf(static_cast<int>(item->CtlID)));
  if (item->CtlType == ODT_STATIC) DrawPicture(*item);
}

void Korvane::DrawButton(const DRAWITEMSTRUCT& item, std::size_t row) {
  RECT face = item.rcItem;
  const bool pressed = item.itemState & ODS_SELECTED;
  FillRect(item.hDC, &face, BackgroundOf(row));
  DrawEdge(item.hDC, &face, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_ADJUST);
  if (pressed) OffsetRect(&face, 1, 1);
  SetBkMode(item.hDC, TRANSPARENT);
  SetTextColor(item.hDC, Rgb(PaintOfRow(row).text));
  HGDIOBJ old = SelectObject(item.hDC, font_);
  DrawTextW(item.hDC, kControls[row].text, -1, &face, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  SelectObject(item.hDC, old);
  if ((item.itemState & ODS_FOCUS) && !(item.itemState & ODS_NOFOCUSRECT)) {
    InflateRect(&face, -Scale(1), -Scale(1));
    DrawFocusRect(item.hDC, &face);
  }
}

// The photograph in a sunken border, scaled smoothly to the monitor's dpi.
void Korvane::DrawPicture(const DRAWITEMSTRUCT& item) {
  RECT box = item.rcItem;
  FillRect(item.hDC, &box, GetSysColorBrush(COLOR_BTNFACE));
  DrawEdge(item.hDC, &box, EDGE_SUNKEN, BF_RECT);
  if (!flag_) return;
  BITMAP bitmap{};
  GetObjectW(flag_, sizeof(bitmap), &bitmap);
  HDC source = CreateCompatibleDC(item.hDC);
  HGDIOBJ old = SelectObject(source, flag_);
  SetStretchBltMode(item.hDC, HALFTONE);
  SetBrushOrgEx(item.hDC, 0, 0, nullptr);
  const int border = Scale(kPictureBorder);
  StretchBlt(item.hDC, box.left + border, box.top + border, Scale(bitmap.bmWidth), Scale(bitmap.bmHeight), source, 0, 0,
             bitmap.bmWidth, bitmap.bmHeight, SRCCOPY);
  SelectObject(source, old);
  DeleteDC(source);
}

}  // namespace korvane
