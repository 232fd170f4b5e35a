// Controls are children of the window itself, placed in client coordinates, so the
// frame is only a drawn group box: it lies beneath the controls it holds. Sizes in
// the table are pixels at 96 dpi and are scaled to the window's monitor.
#include "windows/korvane_window.h"

#include <richedit.h>
#include <windowsx.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <utility>

#include "calc/cross.h"
#include "korvane_controls.h"
#include "korvane_version.h"
#include "windows/picture.h"
#include "windows/text.h"

namespace korvane {
namespace {

constexpr wchar_t kClassName[] = L"Korvane";
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr int kPictureBorder = 2;

COLORREF Rgb(Colour c) { return RGB(c.red, c.green, c.blue); }

std::size_t RowOf(int id) {
  const auto found =
      std::find_if(std::begin(kControls), std::end(kControls), [id](const ControlSpec& c) { return c.id == id; });
  return static_cast<std::size_t>(found - std::begin(kControls));
}

template <std::size_t N>
int IndexIn(const int (&ids)[N], int id) {
  const auto found = std::find(std::begin(ids), std::end(ids), id);
  return found == std::end(ids) ? -1 : static_cast<int>(found - std::begin(ids));
}

// Class, style and extended style of each kind of control.
struct Make {
  const wchar_t* class_name;
  DWORD style;
  DWORD ex_style;
};

Make MakeOf(const ControlSpec& c) {
  switch (c.kind) {
    case ControlKind::Frame:
      return {L"BUTTON", BS_GROUPBOX, 0};
    case ControlKind::Input:
      return {L"EDIT", static_cast<DWORD>(ES_AUTOHSCROLL | (c.centred ? ES_CENTER : ES_LEFT)), WS_EX_CLIENTEDGE};
    case ControlKind::TextBox:
      // RichEdit, not EDIT: Wine's multi-line EDIT stops painting on some Cyrillic text.
      return {MSFTEDIT_CLASS,
              static_cast<DWORD>(ES_MULTILINE | ES_AUTOVSCROLL | ES_NOHIDESEL | (c.read_only ? ES_READONLY : 0) |
                                 (c.vertical_scroll_bar ? WS_VSCROLL | ES_DISABLENOSCROLL : 0)),
              WS_EX_CLIENTEDGE};
    case ControlKind::Button:
      return {L"BUTTON", BS_OWNERDRAW, 0};
    case ControlKind::Label:
      // No word wrap: "Дължина на флаг " only just fits its box.
      return {L"STATIC", static_cast<DWORD>(SS_NOPREFIX | (c.centred ? SS_CENTER : SS_LEFTNOWORDWRAP)), 0};
    case ControlKind::Picture:
      return {L"STATIC", SS_OWNERDRAW, 0};
  }
  return {L"STATIC", 0, 0};
}

}  // namespace

Korvane::Korvane(calc::NumberFormat format) : format_(std::move(format)) {}

Korvane::~Korvane() {
  if (font_) DeleteObject(font_);
  if (flag_) DeleteObject(flag_);
  for (HBRUSH brush : brushes_)
    if (brush) DeleteObject(brush);
  if (window_brush_) DeleteObject(window_brush_);
}

bool Korvane::Create(HINSTANCE instance, int show) {
  LoadLibraryW(L"Msftedit.dll");  // registers MSFTEDIT_CLASS
  window_brush_ = CreateSolidBrush(Rgb(kWindowBackground));
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof(window_class);
  window_class.lpfnWndProc = WindowProc;
  window_class.hInstance = instance;
  window_class.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
  window_class.hIconSm = window_class.hIcon;
  window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  window_class.hbrBackground = window_brush_;
  window_class.lpszClassName = kClassName;
  if (!RegisterClassExW(&window_class)) return false;

  const std::wstring caption = std::wstring(L"" KORVANE_PUBLISHER_ADDRESS L"  ") + kCaptionText;
  if (!CreateWindowExW(0, kClassName, caption.c_str(), kStyle, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                       CW_USEDEFAULT, nullptr, nullptr, instance, this)) {
    return false;
  }
  ShowWindow(window_, show);
  UpdateWindow(window_);
  return true;
}

LRESULT CALLBACK Korvane::WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<Korvane*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
    self->window_ = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<Korvane*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  return self ? self->Handle(window, message, wparam, lparam) : DefWindowProcW(window, message, wparam, lparam);
}

LRESULT Korvane::Handle(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    HANDLE_MSG(hwnd, WM_CREATE, this->OnCreate);
    HANDLE_MSG(hwnd, WM_COMMAND, this->OnCommand);
    HANDLE_MSG(hwnd, WM_CTLCOLORSTATIC, this->OnCtlColorStatic);
    HANDLE_MSG(hwnd, WM_DRAWITEM, this->OnDrawItem);
    HANDLE_MSG(hwnd, WM_CONTEXTMENU, this->OnContextMenu);
    HANDLE_MSG(hwnd, WM_ACTIVATE, this->OnActivate);
    HANDLE_MSG(hwnd, WM_SETFOCUS, this->OnSetFocus);
    HANDLE_MSG(hwnd, WM_DESTROY, this->OnDestroy);
    case WM_DPICHANGED:
      OnDpiChanged(hwnd, HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
      return 0;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

BOOL Korvane::OnCreate(HWND window, LPCREATESTRUCTW create) {
  dpi_ = GetDpiForWindow(window);
  for (const ControlSpec& c : kControls) {
    if (*c.picture) flag_ = DecodeJpegResource(create->hInstance, c.picture);
    const Make make = MakeOf(c);
    const DWORD style =
        WS_CHILD | WS_CLIPSIBLINGS | make.style | (c.visible ? WS_VISIBLE : 0) | (c.tab_stop ? WS_TABSTOP : 0);
    HWND control = CreateWindowExW(make.ex_style, make.class_name, nullptr, style, 0, 0, 0, 0, window,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), create->hInstance, nullptr);
    if (!control) return FALSE;
    if (c.kind == ControlKind::TextBox) {
      SendMessageW(control, EM_SETTEXTMODE, TM_PLAINTEXT | TM_MULTILEVELUNDO | TM_MULTICODEPAGE, 0);
    }
    if (c.max_length > 0) Edit_LimitText(control, c.max_length);
    SetWindowTextW(control, c.text);
    brushes_.push_back(c.has_background ? CreateSolidBrush(Rgb(c.background)) : nullptr);
  }
  Layout();
  ResizeToClientArea(create->x, create->y);
  Form_Load();
  last_focus_ = Control(kText2[0]);
  Edit_SetSel(last_focus_, 0, -1);
  return TRUE;
}

// The handlers and procedures of the window, named as in the other front ends.

void Korvane::Form_Load() {
  picture_auto_size_ = true;
  Place(kControls[RowOf(kPicture1[0])]);
  ClearInputs();
  SetWindowTextW(Control(kText2[0]), L"37");
  SetWindowTextW(Control(kText2[1]), L"28");
  SetWindowTextW(Control(kText2[2]), L"50");
}

void Korvane::Command1_Click(std::int16_t index) {
  if (index == 0) {
    CalculateCross();
  } else if (index == 1) {
    ClearInputs();
    SetWindowTextW(Control(kText1[0]), L"");
  }
}

void Korvane::ClearInputs() {
  for (int id : kText2) SetWindowTextW(Control(id), L"");
}

void Korvane::CalculateCross() {
  const std::string text =
      calc::ProblemBoxText(Utf8(WindowText(Control(kText2[0]))), Utf8(WindowText(Control(kText2[1]))),
                           Utf8(WindowText(Control(kText2[2]))), format_);
  SetWindowTextW(Control(kText1[0]), Utf16(text).c_str());
}

void Korvane::OnCommand(HWND, int id, HWND, UINT code) {
  const int button = IndexIn(kCommand1, id);
  if (button >= 0 && code == BN_CLICKED) Command1_Click(static_cast<std::int16_t>(button));
}

// Labels in their colours, the frame on the window's colour.
HBRUSH Korvane::OnCtlColorStatic(HWND, HDC dc, HWND control, int) {
  const std::size_t row = RowOf(GetDlgCtrlID(control));
  const bool own = row < brushes_.size() && brushes_[row];
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  SetBkColor(dc, own ? Rgb(kControls[row].background) : Rgb(kWindowBackground));
  return own ? brushes_[row] : window_brush_;
}

void Korvane::OnDrawItem(HWND, const DRAWITEMSTRUCT* item) {
  if (item->CtlType == ODT_BUTTON) DrawButton(*item, RowOf(static_cast<int>(item->CtlID)));
  if (item->CtlType == ODT_STATIC) DrawPicture(*item);
}

void Korvane::DrawButton(const DRAWITEMSTRUCT& item, std::size_t row) {
  RECT face = item.rcItem;
  const bool pressed = item.itemState & ODS_SELECTED;
  FillRect(item.hDC, &face, brushes_[row]);
  DrawEdge(item.hDC, &face, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_ADJUST);
  if (pressed) OffsetRect(&face, 1, 1);
  SetBkMode(item.hDC, TRANSPARENT);
  SetTextColor(item.hDC, GetSysColor(COLOR_BTNTEXT));
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

// The problem box's menu: RichEdit has none of its own.
void Korvane::OnContextMenu(HWND, HWND control, UINT x, UINT y) {
  if (GetDlgCtrlID(control) != kText1[0]) return;
  enum : UINT { kCopy = 1, kSelectAll };
  CHARRANGE range{};
  SendMessageW(control, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
  POINT at{static_cast<int>(static_cast<short>(x)), static_cast<int>(static_cast<short>(y))};
  if (at.x == -1 && at.y == -1) {  // Shift+F10 or the menu key: at the box's corner
    at = {0, 0};
    ClientToScreen(control, &at);
  }
  HMENU menu = CreatePopupMenu();
  AppendMenuW(menu, MF_STRING | (range.cpMax > range.cpMin ? 0u : MF_GRAYED), kCopy, L"Копирай\tCtrl+C");
  AppendMenuW(menu, MF_STRING, kSelectAll, L"Избери всичко\tCtrl+A");
  const UINT chosen = static_cast<UINT>(
      TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, at.x, at.y, 0, window_, nullptr));
  DestroyMenu(menu);
  if (chosen == kCopy) CopyProblemBoxSelection();
  if (chosen == kSelectAll) SendMessageW(control, EM_SETSEL, 0, -1);
}

// Keeps the focus on the control the user left when the window is switched away and back.
void Korvane::OnActivate(HWND, UINT state, HWND, BOOL) {
  if (state == WA_INACTIVE) last_focus_ = GetFocus();
}

void Korvane::OnSetFocus(HWND, HWND) {
  if (last_focus_ && IsChild(window_, last_focus_)) SetFocus(last_focus_);
}

void Korvane::OnDpiChanged(HWND, UINT dpi, const RECT& suggested) {
  dpi_ = dpi;
  Layout();
  ResizeToClientArea(suggested.left, suggested.top);
}

void Korvane::OnDestroy(HWND) { PostQuitMessage(0); }

// Places every control, and the font, at the window's dpi.
void Korvane::Layout() {
  HFONT old_font = font_;
  font_ = CreateFontW(-MulDiv(kFontPoints, static_cast<int>(dpi_), 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                      RUSSIAN_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                      DEFAULT_PITCH | FF_ROMAN, kFontFamily);
  for (const ControlSpec& c : kControls) {
    Place(c);
    SendMessageW(Control(c.id), WM_SETFONT, reinterpret_cast<WPARAM>(font_), TRUE);
  }
  if (old_font) DeleteObject(old_font);
}

// A control at its place in the form; the picture box, once it sizes itself, at
// the size of its picture and border.
void Korvane::Place(const ControlSpec& c) {
  int width = Scale(c.width), height = Scale(c.height);
  if (c.kind == ControlKind::Picture && picture_auto_size_ && flag_) {
    BITMAP bitmap{};
    GetObjectW(flag_, sizeof(bitmap), &bitmap);
    width = Scale(bitmap.bmWidth + 2 * kPictureBorder);
    height = Scale(bitmap.bmHeight + 2 * kPictureBorder);
  }
  SetWindowPos(Control(c.id), nullptr, Scale(c.x), Scale(c.y), width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void Korvane::ResizeToClientArea(int left, int top) {
  RECT frame{0, 0, Scale(kClientWidth), Scale(kClientHeight)};
  AdjustWindowRectExForDpi(&frame, kStyle, FALSE, 0, dpi_);
  const UINT keep_place = left == CW_USEDEFAULT ? SWP_NOMOVE : 0;
  SetWindowPos(window_, nullptr, left, top, frame.right - frame.left, frame.bottom - frame.top,
               SWP_NOZORDER | SWP_NOACTIVATE | keep_place);
}

// Return in an input box calculates; Return on a focused button presses it; Tab
// leaves the problem box; a copy from the problem box is its exact text.
bool Korvane::TranslateKeyboard(MSG& message) {
  if (message.message == WM_KEYDOWN && IsChild(window_, message.hwnd)) {
    const int id = GetDlgCtrlID(message.hwnd);
    const bool control_key = GetKeyState(VK_CONTROL) < 0;
    if (message.wParam == VK_RETURN && IndexIn(kText2, id) >= 0) {
      Command1_Click(0);
      return true;
    }
    if (message.wParam == VK_RETURN && IndexIn(kCommand1, id) >= 0) {
      SendMessageW(message.hwnd, BM_CLICK, 0, 0);
      return true;
    }
    if (id == kText1[0] && message.wParam == VK_TAB && !control_key) {
      SetFocus(GetNextDlgTabItem(window_, message.hwnd, GetKeyState(VK_SHIFT) < 0));
      return true;
    }
    if (id == kText1[0] && control_key && (message.wParam == 'C' || message.wParam == VK_INSERT)) {
      CopyProblemBoxSelection();
      return true;
    }
  }
  return IsDialogMessageW(window_, &message);
}

// RichEdit's own copy adds its rich-text and OLE formats, so that a paste elsewhere
// brings the box's font along, and under Wine pads the text with NULs: put exactly
// the selected text there, with CR LF line breaks, as plain text alone.
void Korvane::CopyProblemBoxSelection() {
  HWND box = Control(kText1[0]);
  CHARRANGE range{};
  SendMessageW(box, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
  if (range.cpMax <= range.cpMin) return;
  // A selected line break is one character in the box and two in the text.
  std::wstring text(2 * static_cast<std::size_t>(range.cpMax - range.cpMin) + 1, L'\0');
  GETTEXTEX request{};
  request.cb = static_cast<DWORD>(text.size() * sizeof(wchar_t));
  request.flags = GT_SELECTION | GT_USECRLF;
  request.codepage = 1200;  // UTF-16
  const LRESULT length =
      SendMessageW(box, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&request), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(std::max<LRESULT>(length, 0)));
  CopyToClipboard(window_, text);
}

}  // namespace korvane
