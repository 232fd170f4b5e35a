// Controls are children of the window itself, placed in client coordinates, so the
// frame is only a drawn group box: it lies beneath the controls it holds. Sizes in
// the table are pixels at 96 dpi and are scaled to the window's monitor. Everything
// the first frame shows is made before the window is shown; what no frame needs
// (COM, for the accessible names) comes after it.
#include "windows/korvane_window.h"

#include <richedit.h>
#include <windowsx.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <utility>

#include "calc/report.h"
#include "korvane_controls.h"
#include "korvane_version.h"
#include "windows/os_functions.h"
#include "windows/picture.h"
#include "windows/text.h"

namespace korvane {
namespace {

constexpr wchar_t kClassName[] = L"Korvane";
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr int kTextBoxMargin = 4;  // between the problem box's border and its text, as in the Qt window
// A timer's message comes only once nothing else waits, the first frame's painting
// and its hand-over to the screen included.
constexpr UINT_PTR kFirstFrameShown = 1;

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

std::size_t RowOf(int id) {
  const auto found =
      std::find_if(std::begin(kControls), std::end(kControls), [id](const ControlSpec& c) { return c.id == id; });
  return static_cast<std::size_t>(found - std::begin(kControls));
}

Korvane::Korvane(calc::NumberFormat format) : format_(std::move(format)) {}

Korvane::~Korvane() {
  if (font_) DeleteObject(font_);
  if (flag_) DeleteObject(flag_);
  DeleteBrushes();
}

bool Korvane::Create(HINSTANCE instance, int show) {
  // Registers MSFTEDIT_CLASS; from System32 only, never from the program's folder.
  if (!LoadSystemLibrary(L"Msftedit.dll")) return false;
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof(window_class);
  window_class.lpfnWndProc = WindowProc;
  window_class.hInstance = instance;
  window_class.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
  window_class.hIconSm = window_class.hIcon;
  window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  window_class.lpszClassName = kClassName;  // no class brush: WM_ERASEBKGND paints in the current colours
  if (!RegisterClassExW(&window_class)) return false;

  const std::wstring caption = std::wstring(L"" KORVANE_PUBLISHER_ADDRESS L"  ") + kCaptionText;
  if (!CreateWindowExW(0, kClassName, caption.c_str(), kStyle, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                       CW_USEDEFAULT, nullptr, nullptr, instance, this)) {
    return false;
  }
  ShowWindow(window_, show);
  UpdateWindow(window_);
  SetTimer(window_, kFirstFrameShown, USER_TIMER_MINIMUM, nullptr);
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
    HANDLE_MSG(hwnd, WM_ERASEBKGND, this->OnEraseBackground);
    HANDLE_MSG(hwnd, WM_SETFOCUS, this->OnSetFocus);
    HANDLE_MSG(hwnd, WM_DESTROY, this->OnDestroy);
    case WM_DRAWITEM:
      OnDrawItem(hwnd, reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      return TRUE;
    case WM_CONTEXTMENU:
      if (OnContextMenu(reinterpret_cast<HWND>(wParam), GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam))) return 0;
      break;  // elsewhere, the system menu of the title bar
    case WM_ACTIVATE:
      OnActivate(hwnd, LOWORD(wParam), reinterpret_cast<HWND>(lParam), HIWORD(wParam));
      break;  // DefWindowProc gives the window the focus, and WM_SETFOCUS passes it on
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_MINIMIZE) RememberFocus();  // before minimising takes the focus away
      break;
    case WM_DPICHANGED:
      OnDpiChanged(hwnd, HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
      return 0;
    case WM_SETTINGCHANGE:
    case WM_SYSCOLORCHANGE:
    case WM_THEMECHANGED:
      OnSettingChange();
      break;
    case WM_TIMER:
      if (wParam != kFirstFrameShown) break;
      KillTimer(hwnd, kFirstFrameShown);
      OnFirstFrameShown();
      return 0;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

BOOL Korvane::OnCreate(HWND window, LPCREATESTRUCTW create) {
  dpi_ = WindowDpi(window);
  ReadColours();
  font_ = FormFont();
  // Each control gets its font and place before its text: the problem box lays its
  // text out once, not first a letter to a line in a box of no width.
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
    SetWindowFont(control, font_, FALSE);
    Place(c);
    SetWindowTextW(control, c.text);
  }
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
  SetWindowTextW(Control(kText1[0]), Wide(text).c_str());
}

void Korvane::OnCommand(HWND, int id, HWND, UINT code) {
  const int button = IndexIn(kCommand1, id);
  if (button >= 0 && code == BN_CLICKED) Command1_Click(static_cast<std::int16_t>(button));
}

void Korvane::OnDpiChanged(HWND, UINT dpi, const RECT& suggested) {
  dpi_ = dpi;
  Layout();
  ResizeToClientArea(suggested.left, suggested.top);
}

void Korvane::OnDestroy(HWND) {
  ClearAccessibleNames();
  PostQuitMessage(0);
}

// The form's font at the window's dpi.
HFONT Korvane::FormFont() const {
  return CreateFontW(-MulDiv(kFontPoints, static_cast<int>(dpi_), 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                     RUSSIAN_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                     DEFAULT_PITCH | FF_ROMAN, kFontFamily);
}

// Places every control, and the font, at a new dpi.
void Korvane::Layout() {
  const HFONT old_font = font_;
  font_ = FormFont();
  for (const ControlSpec& c : kControls) {
    SetWindowFont(Control(c.id), font_, TRUE);
    Place(c);
  }
  if (old_font) DeleteObject(old_font);
}

// A control at its place in the form; the picture box, once it sizes itself, at
// the size of its picture and border; the text boxes' text inside their margin.
void Korvane::Place(const ControlSpec& c) {
  int width = Scale(c.width), height = Scale(c.height);
  if (c.kind == ControlKind::Picture && picture_auto_size_ && flag_) {
    BITMAP bitmap{};
    GetObjectW(flag_, sizeof(bitmap), &bitmap);
    width = Scale(bitmap.bmWidth + 2 * kPictureBorder);
    height = Scale(bitmap.bmHeight + 2 * kPictureBorder);
  }
  HWND control = Control(c.id);
  SetWindowPos(control, nullptr, Scale(c.x), Scale(c.y), width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  if (c.kind == ControlKind::TextBox) {
    RECT text{};
    GetClientRect(control, &text);
    InflateRect(&text, -Scale(kTextBoxMargin), -Scale(kTextBoxMargin));
    SendMessageW(control, EM_SETRECT, 0, reinterpret_cast<LPARAM>(&text));
  }
}

void Korvane::ResizeToClientArea(int left, int top) {
  RECT frame{0, 0, Scale(kClientWidth), Scale(kClientHeight)};
  FrameForClientArea(&frame, kStyle, 0, dpi_);
  const UINT keep_place = left == CW_USEDEFAULT ? SWP_NOMOVE : 0;
  SetWindowPos(window_, nullptr, left, top, frame.right - frame.left, frame.bottom - frame.top,
               SWP_NOZORDER | SWP_NOACTIVATE | keep_place);
}

}  // namespace korvane
