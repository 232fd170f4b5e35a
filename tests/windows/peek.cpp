// The Wine test's eyes inside Windows: reads Korvane's window through window
// messages, as any other program could, and prints JSON on standard output.
//   peek texts       every control of the window "Korvane": id, class, place, visible, text
//   peek focus       the id of the control that has the keyboard focus
//   peek clipboard   the clipboard's formats and its CF_UNICODETEXT, NUL and all
//   peek name ID     the accessible name of control ID, as a screen reader asks (MSAA),
//                    and whether this system keeps names set through IAccPropServices
//   peek selection   the focused input's selection: [start, end]
//   peek minimize, peek restore   the window's system menu commands
//   peek iconic      whether the window is minimised
//   peek windows     the Windows version that the system tells a program: [major, minor]
//   peek hold FILE   opens FILE as a program reading it would (shared for reading only, so it
//                    cannot be deleted), prints true, and keeps it open until its input ends
#include <windows.h>
// clang-format off
#include <initguid.h>
#include <oleacc.h>
// clang-format on

#include <string>

namespace {

std::string Json(const wchar_t* text, std::size_t length) {
  std::string out = "\"";
  for (std::size_t i = 0; i < length; ++i) {
    const unsigned c = text[i];
    if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\') {
      out += static_cast<char>(c);
    } else {
      char escape[8];
      wsprintfA(escape, "\\u%04x", c);
      out += escape;
    }
  }
  return out + "\"";
}

std::string Json(const std::wstring& text) { return Json(text.data(), text.size()); }

std::wstring Text(HWND window) {
  const LRESULT length = SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  text.resize(
      static_cast<std::size_t>(SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()))));
  return text;
}

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

BOOL CALLBACK AddControl(HWND control, LPARAM out) {
  auto& json = *reinterpret_cast<std::string*>(out);
  RECT rect{};
  GetWindowRect(control, &rect);
  MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
  json += json.size() > 1 ? ",\n " : "\n ";
  json += "{\"id\": " + std::to_string(GetDlgCtrlID(control)) + ", \"class\": " + Json(ClassOf(control)) +
          ", \"rect\": [" + std::to_string(rect.left) + ", " + std::to_string(rect.top) + ", " +
          std::to_string(rect.right - rect.left) + ", " + std::to_string(rect.bottom - rect.top) + "]" +
          ", \"visible\": " + (IsWindowVisible(control) ? "true" : "false") + ", \"text\": " + Json(Text(control)) +
          "}";
  return TRUE;
}

std::string Clipboard() {
  std::string json = "{\"formats\": [";
  if (!OpenClipboard(nullptr)) return "{\"error\": \"clipboard busy\"}";
  for (UINT format = EnumClipboardFormats(0); format; format = EnumClipboardFormats(format)) {
    json += (json.back() == '[' ? "" : ", ") + std::to_string(format);
  }
  json += "]";
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* text = static_cast<const wchar_t*>(GlobalLock(data))) {
      // All of the memory, so that a stray character after the NUL shows.
      json += ", \"unicode_text\": " + Json(text, GlobalSize(data) / sizeof(wchar_t));
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return json + "}";
}

// The name MSAA gives the control (null where there is none), and whether the
// system's annotation service takes a name at all: Wine's answers E_NOTIMPL.
std::string AccessibleName(HWND control) {
  std::string name = "null";
  bool annotations = false;
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return "null";
  IAccessible* accessible = nullptr;
  if (SUCCEEDED(AccessibleObjectFromWindow(control, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                           reinterpret_cast<void**>(&accessible)))) {
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR text = nullptr;
    if (accessible->get_accName(self, &text) == S_OK && text) {
      name = Json(text, SysStringLen(text));
      SysFreeString(text);
    }
    accessible->Release();
  }
  IAccPropServices* services = nullptr;
  HWND own = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  if (own && SUCCEEDED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER, IID_IAccPropServices,
                                        reinterpret_cast<void**>(&services)))) {
    wchar_t probe[] = L"probe";
    annotations = SUCCEEDED(
        services->SetHwndPropStr(own, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, PROPID_ACC_NAME, probe));
    services->Release();
  }
  if (own) DestroyWindow(own);
  CoUninitialize();
  return "{\"name\": " + name + ", \"annotations\": " + (annotations ? "true" : "false") + "}";
}

// A file held open with no window of Korvane's: what an uninstaller meets when
// Korvane runs in another user's session.
int Hold(const wchar_t* path) {
  HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  const char* answer = file == INVALID_HANDLE_VALUE ? "false\n" : "true\n";
  DWORD count = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), answer, lstrlenA(answer), &count, nullptr);
  char buffer[64];
  while (ReadFile(GetStdHandle(STD_INPUT_HANDLE), buffer, sizeof(buffer), &count, nullptr) && count) {
  }
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring command = argc > 1 ? argv[1] : L"";
  if (command == L"hold" && argc > 2) return Hold(argv[2]);
  std::string out;
  HWND window = FindWindowW(L"Korvane", nullptr);
  if (command == L"clipboard") {
    out = Clipboard();
  } else if (command == L"windows") {
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof(version);
    GetVersionExW(&version);
    out = "[" + std::to_string(version.dwMajorVersion) + ", " + std::to_string(version.dwMinorVersion) + "]";
  } else if (!window) {
    out = "null";
  } else if (command == L"texts") {
    out = "[";
    EnumChildWindows(window, AddControl, reinterpret_cast<LPARAM>(&out));
    out += "]";
  } else if (command == L"focus") {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
    out = std::to_string(info.hwndFocus ? GetDlgCtrlID(info.hwndFocus) : 0);
  } else if (command == L"name" && argc > 2) {
    out = AccessibleName(GetDlgItem(window, _wtoi(argv[2])));
  } else if (command == L"selection") {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
    const auto range =
        static_cast<DWORD>(SendMessageW(info.hwndFocus, EM_GETSEL, 0, 0));  // no pointers across processes
    out = "[" + std::to_string(LOWORD(range)) + ", " + std::to_string(HIWORD(range)) + "]";
  } else if (command == L"iconic") {
    out = IsIconic(window) ? "true" : "false";
  } else if (command == L"minimize" || command == L"restore") {
    PostMessageW(window, WM_SYSCOMMAND, command == L"minimize" ? SC_MINIMIZE : SC_RESTORE, 0);
    out = "true";
  } else {
    return 2;
  }
  out += "\n";
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), out.data(), static_cast<DWORD>(out.size()), &written, nullptr);
  return 0;
}
