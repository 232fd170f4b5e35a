; The setup program's and the Windows Installer package's installations must not share a
; folder unknowingly: where the package's is present, the setup refuses, names the package's
; uninstaller, and changes nothing (silent, with exit code 2, as while Korvane is open). So does
; the setup's uninstaller: one left behind by an in-place uninstall would take the package's
; Korvane.exe and folder and leave its entry and shortcut pointing at nothing.
; Included by installer.nsi after its languages.
LangString KorvaneFromMsi ${LANG_BULGARIAN} "Korvane вече е инсталиран от пакета за Windows Installer (.msi). Нищо не е променено. Премахнете първо онази инсталация с $R0 (или от „Приложения и функции“), после пуснете тази програма отново."
LangString KorvaneFromMsi ${LANG_ENGLISH} "Korvane is already installed from its Windows Installer package (.msi). Nothing was changed. Remove that installation first with $R0 (or in Apps & features), then run this setup again."

!define ARP_KEYS "Software\Microsoft\Windows\CurrentVersion\Uninstall"

; The package's entry is the one named Korvane that Windows Installer made; its key is the
; package's product code, which changes with each version.
!macro RefuseBesideTheMsiInstallation
  StrCpy $R1 0
  ${Do}
    EnumRegKey $R2 HKLM "${ARP_KEYS}" $R1
    ${If} $R2 == ""
      ${Break}
    ${EndIf}
    IntOp $R1 $R1 + 1
    ReadRegStr $R3 HKLM "${ARP_KEYS}\$R2" "DisplayName"
    ReadRegDWORD $R4 HKLM "${ARP_KEYS}\$R2" "WindowsInstaller"
    ${If} $R3 == "Korvane"
    ${AndIf} $R4 == 1
      StrCpy $R0 "msiexec /x $R2"
      MessageBox MB_OK|MB_ICONSTOP "$(KorvaneFromMsi)" /SD IDOK
      SetErrorLevel 2
      Quit
    ${EndIf}
  ${Loop}
!macroend
