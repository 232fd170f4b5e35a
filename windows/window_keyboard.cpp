// The keyboard beyond the dialog keys, the focus across minimise and restore, and
// the problem box's menu and copy.
#include <richedit.h>
#include <windowsx.h>

#include <algorithm>
#include <string>

#include "korvane_controls.h"
#include "windows/korvane_window.h"
#include "windows/text.h"

namespace korvane {
namespace {

bool IsInput(HWND control) { return IndexIn(kText2, GetDlgCtrlID(control)) >= 0; }

}  // namespace

// Return in an input box calculates; Return on a focused button presses it; Tab
// leaves the problem box, selecting the whole text of an input box it enters, as
// the dialog keys do; a copy from the problem box is its exact text.
bool Korvane::TranslateKeyboard(MSG& message) {
  if (message.message == WM_KEYDOWN && IsChild(window_, message.hwnd)) {
    const int id = GetDlgCtrlID(message.hwnd);
    const bool control_key = GetKeyState(VK_CONTROL) < 0;
    if (message.wParam == VK_RETURN && IsInput(message.hwnd)) {
      Command1_Click(0);
      return true;
    }
    if (message.wParam == VK_RETURN && IndexIn(kCommand1, id) >= 0) {
      SendMessageW(message.hwnd, BM_CLICK, 0, 0);
      return true;
    }
    if (id == kText1[0] && message.wParam == VK_TAB && !control_key) {
      HWND next = GetNextDlgTabItem(window_, message.hwnd, GetKeyState(VK_SHIFT) < 0);
      SetFocus(next);
      if (IsInput(next)) Edit_SetSel(next, 0, -1);
      return true;
    }
    if (id == kText1[0] && control_key && (message.wParam == 'C' || message.wParam == VK_INSERT)) {
      CopyProblemBoxSelection();
      return true;
    }
  }
  return IsDialogMessageW(window_, &message);
}

// The control that has the focus, kept for when the window gets it back: on
// switching to another window, and before minimising, which takes it away first.
void Korvane::RememberFocus() {
  HWND focus = GetFocus();
  if (focus && IsChild(window_, focus)) last_focus_ = focus;
}

void Korvane::OnActivate(HWND, UINT state, HWND, BOOL) {
  if (state == WA_INACTIVE) RememberFocus();
}

void Korvane::OnSetFocus(HWND, HWND) {
  if (last_focus_ && IsChild(window_, last_focus_)) SetFocus(last_focus_);
}

// The problem box's menu: RichEdit has none of its own. False for any other
// control, whose menu (the title bar's system menu) is the system's to show.
bool Korvane::OnContextMenu(HWND control, int x, int y) {
  if (GetDlgCtrlID(control) != kText1[0] || !IsChild(window_, control)) return false;
  enum : UINT { kCopy = 1, kSelectAll };
  CHARRANGE range{};
  SendMessageW(control, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
  POINT at{x, y};
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
  return true;
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
  if (!CopyToClipboard(window_, text)) MessageBeep(MB_ICONWARNING);
}

}  // namespace korvane
