; Korvane's installer: Korvane.exe in one folder (Program Files\Korvane unless the
; user chose another, and then that one again on every later install), a Start-menu
; shortcut, an "Apps & features" entry and an uninstaller that removes all of it.
; Neither it nor the uninstaller touches anything while Korvane runs: the user is
; asked to close it, and a silent run ends with exit code 2 and changes nothing.
; makensis -DVERSION= -DVERSION_TEXT= -DPRODUCT= -DPUBLISHER= -DEXE= -DICON= -DOUTFILE= installer.nsi
; 64-bit and Unicode: the 32-bit stub does not run where only 64-bit Windows programs do.
Unicode true
Target amd64-unicode
ManifestDPIAware true
SetCompressor /SOLID lzma
; Reproducible: the installed files get the time of installing, not of the build.
SetDateSave off
; A file that cannot be written stops the installation rather than being skipped.
AllowSkipFiles off

!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "LogicLib.nsh"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Korvane"

Name "Korvane"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Korvane"
; Where an earlier installation went, a later one goes too.
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel admin
VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION_TEXT}"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION_TEXT}"
VIAddVersionKey /LANG=1033 "FileDescription" "Korvane ${VERSION_TEXT} setup"
VIAddVersionKey /LANG=1033 "LegalCopyright" "${PUBLISHER}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
; The language chosen once is remembered, for later installs and for the uninstaller.
!define MUI_LANGDLL_REGISTRY_ROOT HKLM
!define MUI_LANGDLL_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MUI_LANGDLL_REGISTRY_VALUENAME "Installer Language"
; No "start Korvane" on the finish page: the installer runs as administrator, and
; so would the program it started.
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
; The first language is the default where the user's is neither.
!insertmacro MUI_LANGUAGE "Bulgarian"
!insertmacro MUI_LANGUAGE "English"

LangString KorvaneRuns ${LANG_BULGARIAN} "Korvane е отворен. Затворете го и натиснете „Повторен опит“."
LangString KorvaneRuns ${LANG_ENGLISH} "Korvane is open. Close it, then press Retry."
!include "${__FILEDIR__}\beside_msi.nsh"

; Waits until no Korvane window is open: asks the user, or, silent, ends with exit code 2.
!macro WaitForKorvaneToClose
  ${Do}
    FindWindow $0 "Korvane"
    ${If} $0 = 0
      ${Break}
    ${EndIf}
    ${If} ${Silent}
      SetErrorLevel 2
      Quit
    ${EndIf}
    ${If} ${Cmd} `MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(KorvaneRuns)" /SD IDCANCEL IDCANCEL`
      SetErrorLevel 1
      Quit
    ${EndIf}
  ${Loop}
!macroend

Function .onInit
  SetRegView 64
  !insertmacro MUI_LANGDLL_DISPLAY
  !insertmacro RefuseBesideTheMsiInstallation
  !insertmacro WaitForKorvaneToClose
FunctionEnd

Function un.onInit
  SetRegView 64
  !insertmacro MUI_UNGETLANGUAGE
  !insertmacro WaitForKorvaneToClose
FunctionEnd

Section "Korvane"
  SetShellVarContext all
  SetOutPath "$INSTDIR"
  File "/oname=Korvane.exe" "${EXE}"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\Korvane.lnk" "$INSTDIR\Korvane.exe" "" "$INSTDIR\Korvane.exe" 0
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Korvane"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Korvane.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION_TEXT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  ; MUI saves it when its pages end; a silent install shows none, so it is saved here too.
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Installer Language" "$LANGUAGE"
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ; The installed files' size in KB, as "Apps & features" shows it.
  ${GetSize} "$INSTDIR" "/S=0K /G=0" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "Uninstall"
  SetShellVarContext all
  ; The program first: if it cannot go, everything else stays too.
  Delete "$INSTDIR\Korvane.exe"
  ${If} ${FileExists} "$INSTDIR\Korvane.exe"
    SetErrorLevel 2
    Abort "$(KorvaneRuns)"
  ${EndIf}
  Delete "$SMPROGRAMS\Korvane.lnk"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
