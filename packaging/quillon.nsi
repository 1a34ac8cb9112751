; Installer for Quillon. Built by CMake (packaging/CMakeLists.txt) with:
;   makensis -DARCH=x86|x64 -DVERSION=1.0.1020.0 -DBINDIR=<folder with the binaries> -DOUTFILE=<setup.exe>
; Installs the panel, the start-up program, the hook library and the language file into
; Program Files; optionally registers the start-up program to filter from log-on.
Unicode true
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "x64.nsh"

!ifndef ARCH | VERSION | BINDIR | OUTFILE | ICON
  !error "ARCH, VERSION, BINDIR, OUTFILE and ICON must be defined"
!endif

!if ${ARCH} == "x64"
  Target amd64-unicode
  !define PROGRAM_FILES "$PROGRAMFILES64"
!else
  Target x86-unicode
  !define PROGRAM_FILES "$PROGRAMFILES"
!endif

!define PRODUCT "Quillon"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillon"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "${PROGRAM_FILES}\${PRODUCT}"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"
VIProductVersion "${VERSION}"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "FileDescription" "${PRODUCT} setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "Velmora Workshop"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_FINISHPAGE_RUN "$INSTDIR\Quillon.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Open the Quillon control panel"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Function .onInit
  SetShellVarContext all
!if ${ARCH} == "x64"
  ${IfNot} ${RunningX64}
    MessageBox MB_ICONSTOP "This is the 64-bit edition of ${PRODUCT}; this Windows is 32-bit. Please use the x86 edition." /SD IDOK
    Abort
  ${EndIf}
  SetRegView 64
!endif
FunctionEnd

Function un.onInit
  SetShellVarContext all
!if ${ARCH} == "x64"
  SetRegView 64
!endif
FunctionEnd

; Ends every running part of Quillon cleanly: the hook is removed through the library itself
; (the start-up program ends by itself within half a second once it is gone), then the panel
; is asked to close like a user would.
!macro StopRunningInstances UN
Function ${UN}StopRunningInstances
  ${If} ${FileExists} "$INSTDIR\Latchkin.dll"
    System::Call '"$INSTDIR\Latchkin.dll"::UninstallHook() i ? u'
  ${EndIf}
  nsExec::Exec 'taskkill /IM Quillon.exe'
  Pop $0
  Sleep 1500
FunctionEnd
!macroend
!insertmacro StopRunningInstances ""
!insertmacro StopRunningInstances "un."

Section "Quillon (required)" SecMain
  SectionIn RO
  Call StopRunningInstances
  SetOutPath "$INSTDIR"
  File "${BINDIR}\Quillon.exe"
  File "${BINDIR}\Quillrun.exe"
  File "${BINDIR}\Latchkin.dll"
  File "${BINDIR}\Language.cfg"
  File "${BINDIR}\README.txt"

  ; The programs keep their settings and log beside themselves; let ordinary users write those
  ; two files (only those: the folder itself stays administrators' only, so nobody can plant a
  ; library where the programs load theirs).
  ${IfNot} ${FileExists} "$INSTDIR\Quillon.cfg"
    ; Started as UTF-16 with a byte-order mark, so settings keep any language name intact.
    FileOpen $0 "$INSTDIR\Quillon.cfg" w
    FileWriteWord $0 0xFEFF
    FileClose $0
  ${EndIf}
  ${IfNot} ${FileExists} "$INSTDIR\Quillon.log"
    FileOpen $0 "$INSTDIR\Quillon.log" w
    FileWriteWord $0 0xFEFF
    FileClose $0
  ${EndIf}
  nsExec::Exec 'icacls "$INSTDIR\Quillon.cfg" /grant *S-1-5-32-545:M'
  Pop $0
  nsExec::Exec 'icacls "$INSTDIR\Quillon.log" /grant *S-1-5-32-545:M'
  Pop $0

  ; SetOutPath above makes the install folder the shortcut's working directory, where the
  ; panel finds its settings and language file.
  CreateDirectory "$SMPROGRAMS\${PRODUCT}"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk" "$INSTDIR\Quillon.exe" "" "$INSTDIR\Quillon.exe" 0

  WriteUninstaller "$INSTDIR\Uninstall.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Velmora Workshop"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Quillon.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Filter from log-on" SecLogOn
  ; The start-up program registers itself, so the Run value always names the installed copy.
  ExecWait '"$INSTDIR\Quillrun.exe" /REG'
SectionEnd

Section "un.Quillon" SecUnMain
  SectionIn RO
  Call un.StopRunningInstances
  ExecWait '"$INSTDIR\Quillrun.exe" /UNREG'
  ; Should the start-up program have been unable to remove its value, remove it here.
  DeleteRegValue HKLM "${RUN_KEY}" "Quillrun"

  Delete "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk"
  RMDir "$SMPROGRAMS\${PRODUCT}"
  Delete "$INSTDIR\Quillon.exe"
  Delete "$INSTDIR\Quillrun.exe"
  ; Processes that still map the library release it at their next mouse message; a copy still
  ; in use goes at the next restart.
  Delete /REBOOTOK "$INSTDIR\Latchkin.dll"
  Delete "$INSTDIR\Language.cfg"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\Uninstall.exe"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd

Section /o "un.Remove my settings and log" SecUnData
  Delete "$INSTDIR\Quillon.cfg"
  Delete "$INSTDIR\Quillon.log"
SectionEnd

Section "-un.Folder"
  ; Only removed when empty: the user's settings and log stay unless asked for.
  RMDir "$INSTDIR"
SectionEnd
