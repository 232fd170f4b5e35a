// The Windows Installer package's one custom action: finds the Korvane.exe that an earlier
// package installed (by the program component's GUID, the private property
// KorvaneProgramComponent, which the command line cannot set; the other architecture's as
// KorvaneOtherProgramComponent, for the second only) and tells the package two things
// before anything changes: the folder it lies in, as KorvaneFolder, where a package older than
// the folder's own record (HKLM\Software\Korvane) left none, so that an upgrade stays where the
// first install went unless told otherwise; and whether it is running, as KORVANE_RUNNING,
// which a launch condition refuses.
// A running program cannot be opened for writing: that is the test, and it holds for a
// program started in another session too (a deployment runs as SYSTEM, the pupil's session
// is another), where no window could be seen.
#include <windows.h>

#include <msi.h>
#include <msiquery.h>

namespace {

// Windows' longest path, and so the longest value either property holds here.
constexpr DWORD kLongest = 32768;

bool Running(const wchar_t *program) {
  HANDLE file = CreateFileW(program, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    CloseHandle(file);
    return false;
  }
  return GetLastError() == ERROR_SHARING_VIOLATION;
}

}  // namespace

// Plain C buffers rather than std::wstring: the library would add some 150 KB to a package
// of 240 KB.
extern "C" __declspec(dllexport) UINT __stdcall FindInstalledKorvane(MSIHANDLE install) {
  static wchar_t component[kLongest], program[kLongest], folder[kLongest];
  // This package's program, then the other architecture's, which an upgrade may remove too.
  struct Program {
    const wchar_t *property;
    bool own;
  };
  static const Program programs[] = {{L"KorvaneProgramComponent", true}, {L"KorvaneOtherProgramComponent", false}};
  for (const auto &[property, own] : programs) {
    DWORD length = kLongest;
    if (MsiGetPropertyW(install, property, component, &length) != ERROR_SUCCESS) continue;
    length = kLongest;
    if (MsiLocateComponentW(component, program, &length) != INSTALLSTATE_LOCAL) continue;
    length = kLongest;
    if (own && MsiGetPropertyW(install, L"KorvaneFolder", folder, &length) == ERROR_SUCCESS &&
        length == 0) {
      lstrcpynW(folder, program, kLongest);
      if (wchar_t *name = wcsrchr(folder, L'\\')) name[1] = L'\0';
      MsiSetPropertyW(install, L"KorvaneFolder", folder);
    }
    if (Running(program)) MsiSetPropertyW(install, L"KORVANE_RUNNING", program);
  }
  return ERROR_SUCCESS;
}
