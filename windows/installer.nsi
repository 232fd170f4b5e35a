; Korvane's installer: Korvane.exe in one folder (Program Files\Korvane unless the
; user chose another, and then that one again on every later install), a Start-menu
; shortcut, an "Apps & features" entry and an uninstaller that removes all of it.
; An install into another folder first removes the installation in the old one, so
; no copy is left without its entry. Neither the setup nor the uninstaller touches
; anything while Korvane runs: the user is asked to close it, and a silent run ends
; with exit code 2 and changes nothing. Each owns only what is Korvane's: another
; program's uninstall.exe is never overwritten, and an uninstaller leaves the
; shortcut and the entry of an installation in another folder alone.
; One setup program for each architecture, with that architecture's Korvane.exe:
; makensis -DARCH=x64|x86 -DVERSION= -DVERSION_TEXT= -DPRODUCT= -DPUBLISHER= -DEXE= -DICON= -DOUTFILE= installer.nsi
; x64: a 64-bit stub, which runs on 64-bit Windows only (and where only 64-bit Windows programs
; run, as under a 64-bit Wine). x86: a 32-bit stub, for 32-bit Windows; on 64-bit Windows it
; names the x64 setup program and changes nothing, as the build that fits is that one.
Unicode true
!if ${ARCH} == x64
  Target amd64-unicode
  !define PROGRAM_FILES "$PROGRAMFILES64"
  !define REG_VIEW 64
!else if ${ARCH} == x86
  Target x86-unicode
  !define PROGRAM_FILES "$PROGRAMFILES32"
  !define REG_VIEW 32
!else
  !error "ARCH is x64 or x86"
!endif
ManifestDPIAware true
SetCompressor /SOLID lzma
; Reproducible: the installed files get the time of installing, not of the build.
SetDateSave off
; A file that cannot be written stops the installation rather than being skipped.
AllowSkipFiles off

!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "LogicLib.nsh"
!include "x64.nsh"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Korvane"

Name "Korvane"
OutFile "${OUTFILE}"
InstallDir "${PROGRAM_FILES}\Korvane"
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
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE FolderChosen
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
; Korvane.exe could not be removed with no Korvane window in this session: it runs in
; another user's, or another program holds it. There is nothing to retry from here.
LangString KorvaneInUse ${LANG_BULGARIAN} "Korvane.exe в $R9 се използва, може би в сесията на друг потребител. Затворете Korvane там и стартирайте тази програма отново."
LangString KorvaneInUse ${LANG_ENGLISH} "Korvane.exe in $R9 is in use, perhaps in another user's session. Close Korvane there, then run this program again."
LangString FolderTaken ${LANG_BULGARIAN} "В $INSTDIR вече има uninstall.exe на друга програма. Изберете друга папка за Korvane."
LangString FolderTaken ${LANG_ENGLISH} "$INSTDIR already holds another program's uninstall.exe. Choose another folder for Korvane."
LangString FolderImpossible ${LANG_BULGARIAN} "Папката $INSTDIR не може да бъде създадена: няма такова устройство или файл носи името на папка по пътя. Изберете друга папка за Korvane."
LangString WrongWindows ${LANG_BULGARIAN} "Тази програма е за 32-битов Windows. Нищо не е променено. На този компютър пуснете Korvane-${VERSION}-setup.exe."
LangString WrongWindows ${LANG_ENGLISH} "This setup program is for 32-bit Windows. Nothing was changed. On this PC, run Korvane-${VERSION}-setup.exe."
LangString FolderImpossible ${LANG_ENGLISH} "$INSTDIR cannot be made: there is no such drive, or a file has the name of a folder on the way. Choose another folder for Korvane."
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

; Removes Korvane.exe and its uninstaller from FOLDER, and the folder if that leaves it
; empty. The program goes first: if it cannot (it runs where FindWindow does not see it),
; nothing at all is removed, and a silent run ends with exit code 2.
!macro RemoveKorvaneFrom FOLDER
  StrCpy $R9 "${FOLDER}"
  Delete "$R9\Korvane.exe"
  ${If} ${FileExists} "$R9\Korvane.exe"
    MessageBox MB_OK|MB_ICONSTOP "$(KorvaneInUse)" /SD IDOK
    SetErrorLevel 2
    Quit
  ${EndIf}
  Delete "$R9\uninstall.exe"
  RMDir "$R9"
!macroend

; $0: "yes" when uninstall.exe in $INSTDIR is none, or Korvane's: the entry names this
; folder, or Korvane.exe lies beside it (a copy that an older setup left).
Function UninstallerIsKorvanes
  StrCpy $0 "yes"
  ${IfNot} ${FileExists} "$INSTDIR\uninstall.exe"
    Return
  ${EndIf}
  ReadRegStr $1 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $1 == $INSTDIR
  ${OrIf} ${FileExists} "$INSTDIR\Korvane.exe"
    Return
  ${EndIf}
  StrCpy $0 "no"
FunctionEnd

; $0: "yes" when $INSTDIR is a folder or can be made, without making it: the nearest part of
; its path that exists is a folder (not a file, and not a drive that is missing).
Function FolderCanBeMade
  StrCpy $0 "no"
  StrCpy $1 $INSTDIR
  ${Do}
    ${If} ${FileExists} "$1\*.*"
      StrCpy $0 "yes"
      Return
    ${ElseIf} ${FileExists} "$1"
      Return
    ${EndIf}
    ${GetParent} "$1" $2
    ${If} $2 == ""
    ${OrIf} $2 == $1
      Return
    ${EndIf}
    StrCpy $1 $2
  ${Loop}
FunctionEnd

; $1: the folder given with /D=, or "". By .onInit the setup has put its default (or the earlier
; installation's folder) in place of one it found unusable, and $CMDLINE has lost the /D=, so
; the process's own command line is read. /D= is the last parameter, written in capitals.
Function FolderGiven
  System::Call "kernel32::GetCommandLineW() t .r0"
  StrCpy $1 ""
  StrLen $2 $0
  ${For} $3 0 $2
    StrCpy $4 $0 4 $3
    ${If} $4 S== " /D="
      IntOp $3 $3 + 4
      StrCpy $1 $0 "" $3
      ${Break}
    ${EndIf}
  ${Next}
FunctionEnd

; The folder page keeps the user there until a folder fits.
Function FolderChosen
  Call FolderCanBeMade
  ${If} $0 != "yes"
    MessageBox MB_OK|MB_ICONEXCLAMATION "$(FolderImpossible)"
    Abort
  ${EndIf}
  Call UninstallerIsKorvanes
  ${If} $0 != "yes"
    MessageBox MB_OK|MB_ICONEXCLAMATION "$(FolderTaken)"
    Abort
  ${EndIf}
FunctionEnd

Function .onInit
  SetRegView ${REG_VIEW}
  !insertmacro MUI_LANGDLL_DISPLAY
  !if ${ARCH} == x86
    ${If} ${RunningX64}
      MessageBox MB_OK|MB_ICONSTOP "$(WrongWindows)" /SD IDOK
      SetErrorLevel 2
      Quit
    ${EndIf}
  !endif
  !insertmacro RefuseBesideTheMsiInstallation
  ; A folder given with /D= that cannot be made (no such drive, a file where the path needs a
  ; folder) or that the setup would not take ends the run: the setup would otherwise install into
  ; its default folder instead, unasked.
  Call FolderGiven
  ${If} $1 != ""
    StrCpy $5 $INSTDIR
    StrCpy $INSTDIR $1
    Call FolderCanBeMade
    ${If} $0 != "yes"
    ${OrIf} $5 != $INSTDIR
      MessageBox MB_OK|MB_ICONSTOP "$(FolderImpossible)" /SD IDOK
      SetErrorLevel 2
      Quit
    ${EndIf}
  ${EndIf}
  !insertmacro WaitForKorvaneToClose
FunctionEnd

Function un.onInit
  SetRegView ${REG_VIEW}
  !insertmacro MUI_UNGETLANGUAGE
  ; An uninstaller left behind by an in-place uninstall must not take the package's Korvane.exe.
  !insertmacro RefuseBesideTheMsiInstallation
  !insertmacro WaitForKorvaneToClose
FunctionEnd

Section "Korvane"
  SetShellVarContext all
  ; A silent install shows no folder page: the folder from /D or the entry is checked here,
  ; and one that cannot be made ends the run before anything is written.
  Call FolderCanBeMade
  ${If} $0 == "yes"
    Call UninstallerIsKorvanes
  ${EndIf}
  ${If} $0 != "yes"
    SetErrorLevel 2
    Quit
  ${EndIf}
  ; The installation in another folder goes first, as its own uninstaller would remove it.
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 != ""
  ${AndIf} $0 != $INSTDIR
    !insertmacro RemoveKorvaneFrom "$0"
  ${EndIf}
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
  ; Korvane's own files in KB, rounded up, as "Apps & features" shows them: the folder
  ; may hold files of the user's or of another program.
  ${GetSize} "$INSTDIR" "/M=Korvane.exe /S=0B /G=0" $0 $1 $2
  ${GetSize} "$INSTDIR" "/M=uninstall.exe /S=0B /G=0" $3 $1 $2
  IntOp $0 $0 + $3
  IntOp $0 $0 + 1023
  IntOp $0 $0 / 1024
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "Uninstall"
  SetShellVarContext all
  ; The shortcut and the entry are this folder's only while the entry names it: an
  ; uninstaller left in an older folder must not take the current installation's.
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  !insertmacro RemoveKorvaneFrom "$INSTDIR"
  ${If} $0 == $INSTDIR
    Delete "$SMPROGRAMS\Korvane.lnk"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
  ${EndIf}
SectionEnd
