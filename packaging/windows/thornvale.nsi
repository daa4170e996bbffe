; The Windows installer. A per-user install: no administrator, the program under
; %LOCALAPPDATA%\Programs\Thornvale, its shortcut in the user's own Start menu, its uninstall entry
; under HKCU. The uninstaller deletes the files this installer put there by name, never the folder
; with whatever else the user keeps in it.
;
; packaging/windows/package.cmake runs makensis on this file with these defined:
;   VERSION         the program's version, 0.1.0
;   VERSION4        the same in four numbers, 0.1.0.0, for the installer's own version block
;   OUTFILE         where the installer goes
;   ICON            the program's .ico
;   LICENSE         the licence text shown before installing
;   INSTALL_LIST    SetOutPath and File lines for every file of the cmake --install folder
;   UNINSTALL_LIST  Delete lines for the same files, then RMDir of their folders, deepest first
;   SIZE_KB         the installed size in KiB, for the uninstall entry

; The program is x86_64 only, and so is its installer: it runs where the program does, and under a
; Wine without its 32-bit half.
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user

!include MUI2.nsh

!define APP_NAME "Thornvale 캐릭터 정보검색 프로그램"
!define APP_EXE "thornvale.exe"
!define UNINSTALLER "uninst.exe"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Thornvale"
!define SHORTCUT "$SMPROGRAMS\${APP_NAME}.lnk"

Name "${APP_NAME}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Thornvale"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "Thornvale ${VERSION}"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION4}"
VIFileVersion "${VERSION4}"
VIAddVersionKey /LANG=1042 "ProductName" "Thornvale Character Search"
VIAddVersionKey /LANG=1042 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1042 "FileDescription" "Thornvale Character Search setup"
VIAddVersionKey /LANG=1042 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1042 "LegalCopyright" "Copyright (c) 2026 Thornvale developers"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\${APP_EXE}"

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "${LICENSE}"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "Korean"
; Korean.nlf asks for Gulim, which a Windows without Korean support may lack; Malgun Gothic comes
; with every Windows since Vista.
SetFont /LANG=${LANG_KOREAN} "Malgun Gothic" 9

Function .onInit
  SetShellVarContext current
FunctionEnd

Function un.onInit
  SetShellVarContext current
FunctionEnd

Section
  !include "${INSTALL_LIST}"

  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"
  ; The shortcut starts the program in its own folder, with its icon.
  CreateShortcut "${SHORTCUT}" "$INSTDIR\${APP_EXE}" "" "$INSTDIR\${APP_EXE}" 0

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${APP_NAME}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${APP_EXE},0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Thornvale developers"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" ${SIZE_KB}
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  !include "${UNINSTALL_LIST}"
  Delete "$INSTDIR\${UNINSTALLER}"
  ; Only if nothing else is left in it: the user may have picked a folder of their own.
  RMDir "$INSTDIR"

  Delete "${SHORTCUT}"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
