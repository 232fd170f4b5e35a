// The controls' accessible names, from the form, through the system's annotation
// service: COM, loaded from System32 once the window is on the screen, so that it
// costs the first frame nothing.
// clang-format off
#include <initguid.h>  // the accessibility GUIDs, defined here
#include <oleacc.h>
// clang-format on

#include "korvane_controls.h"
#include "windows/korvane_window.h"
#include "windows/os_functions.h"

namespace korvane {
namespace {

template <typename Function>
Function ComFunction(const char* name) {
  HMODULE ole32 = LoadSystemLibrary(L"ole32.dll");
  return ole32 ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(ole32, name))) : nullptr;
}

}  // namespace

// "Задача и решение" for the problem box, which no label names; a screen reader
// asks for the names only after the window is on the screen.
void Korvane::OnFirstFrameShown() {
  const auto initialize = ComFunction<HRESULT(WINAPI*)(void*, DWORD)>("CoInitializeEx");
  const auto create = ComFunction<HRESULT(WINAPI*)(REFCLSID, IUnknown*, DWORD, REFIID, void**)>("CoCreateInstance");
  if (!initialize || !create) return;
  com_ = SUCCEEDED(initialize(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE));
  if (!com_ || FAILED(create(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER, IID_IAccPropServices,
                             reinterpret_cast<void**>(&accessibility_)))) {
    return;
  }
  for (const ControlSpec& c : kControls) {
    if (*c.accessible_name) {
      accessibility_->SetHwndPropStr(Control(c.id), static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, PROPID_ACC_NAME,
                                     c.accessible_name);
    }
  }
}

void Korvane::ClearAccessibleNames() {
  if (accessibility_) {
    MSAAPROPID name = PROPID_ACC_NAME;
    for (const ControlSpec& c : kControls)
      accessibility_->ClearHwndProps(Control(c.id), static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, &name, 1);
    accessibility_->Release();
    accessibility_ = nullptr;
  }
  if (com_) {
    if (const auto uninitialize = ComFunction<void(WINAPI*)()>("CoUninitialize")) uninitialize();
    com_ = false;
  }
}

}  // namespace korvane
