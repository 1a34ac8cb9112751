; Installer for Quillon. Built by CMake (packaging/CMakeLists.txt) with:
;   makensis -DARCH=x86|x64 -DVERSION=1.0.1020.0 -DBINDIR=<folder with the binaries> -DOUTFILE=<setup.exe>
;            -DICON=<icon> -DHELPER=<QuillonSetupHelper.exe>
; Installs the panel, the start-up program, the hook library and the language file into
; Program Files; optionally registers the start-up program to filter from log-on.
Unicode true
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "x64.nsh"

!ifndef ARCH | VERSION | BINDIR | OUTFILE | ICON | HELPER
  !error "ARCH, VERSION, BINDIR, OUTFILE, ICON and HELPER must be defined"
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
; The setup runs elevated: the panel is started by the signed-in user's shell, with that user's
; normal rights, never by the setup itself (see StartPanelAsUser).
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_FUNCTION StartPanelAsUser
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

; The helper asks the shell's own process to start the panel; when there is no shell to ask,
; nothing is started (the panel is in the Start menu), rather than an elevated panel.
Function StartPanelAsUser
  InitPluginsDir
  ${IfNot} ${FileExists} "$PLUGINSDIR\QuillonSetupHelper.exe"
    File "/oname=$PLUGINSDIR\QuillonSetupHelper.exe" "${HELPER}"
  ${EndIf}
  ExecWait '"$PLUGINSDIR\QuillonSetupHelper.exe" /user "$INSTDIR\Quillon.exe"'
FunctionEnd

Function un.onInit
  SetShellVarContext all
!if ${ARCH} == "x64"
  SetRegView 64
!endif
FunctionEnd

; Ends every running part of Quillon cleanly: the hook is removed through the library itself
; (loaded and unloaded again, so this process holds no copy), then the helper asks the panel and
; the start-up program of this folder to close and waits until both are gone, ending what does
; not close within seconds. Only then may their files be replaced or deleted.
!macro StopRunningInstances UN
Function ${UN}StopRunningInstances
  InitPluginsDir
  File "/oname=$PLUGINSDIR\QuillonSetupHelper.exe" "${HELPER}"
  ${If} ${FileExists} "$INSTDIR\Latchkin.dll"
    System::Call '"$INSTDIR\Latchkin.dll"::UninstallHook() i ?u'
  ${EndIf}
  ExecWait '"$PLUGINSDIR\QuillonSetupHelper.exe" /stop "$INSTDIR"'
FunctionEnd
!macroend
!insertmacro StopRunningInstances ""
!insertmacro StopRunningInstances "un."

; Deletes a file of the install folder. A process that has just ended may release the file a
; moment later, so a failed delete is retried for two seconds. A file still in use after that
; (the library stays mapped in programs the hook was loaded into until they end) is renamed to a
; name of its own and that name, never the installed one, is left for deletion at the next start:
; a reinstall before that start puts a fresh file under the installed name, which the start must
; not delete.
!macro RemoveOrRetire UN
Function ${UN}RemoveOrRetire
  Exch $0  ; the file
  Push $1
  Push $2
  ${IfNot} ${FileExists} "$0"
    Goto done
  ${EndIf}
  StrCpy $1 0
  retry:
    ClearErrors
    Delete "$0"
    ${IfNot} ${Errors}
      Goto done
    ${EndIf}
    IntOp $1 $1 + 1
    ${If} $1 < 10
      Sleep 200
      Goto retry
    ${EndIf}
  System::Call 'kernel32::GetTickCount() i .r1'
  System::Call 'kernel32::GetCurrentProcessId() i .r2'
  ClearErrors
  Rename "$0" "$0.$1.$2.old"
  ${IfNot} ${Errors}
    Delete /REBOOTOK "$0.$1.$2.old"
  ${Else}
    Delete /REBOOTOK "$0"  ; could not even be renamed: the next install drops this again
  ${EndIf}
  done:
  Pop $2
  Pop $1
  Pop $0
FunctionEnd
!macroend
!insertmacro RemoveOrRetire ""
!insertmacro RemoveOrRetire "un."
!define RemoveOrRetire `!insertmacro CallRemoveOrRetire ""`
!define un.RemoveOrRetire `!insertmacro CallRemoveOrRetire "un."`
!macro CallRemoveOrRetire UN FILE
  Push "${FILE}"
  Call ${UN}RemoveOrRetire
!macroend

Section "Quillon (required)" SecMain
  SectionIn RO
  Call StopRunningInstances
  ; An earlier uninstall may have left deletions for the next start that name these very files
  ; (older setups scheduled the library itself): drop them, or that start would delete what is
  ; installed now.
  ExecWait '"$PLUGINSDIR\QuillonSetupHelper.exe" /keep "$INSTDIR\Quillon.exe" "$INSTDIR\Quillrun.exe" "$INSTDIR\Latchkin.dll" "$INSTDIR\Language.cfg" "$INSTDIR\README.txt" "$INSTDIR\Uninstall.exe" "$INSTDIR\Quillon.cfg" "$INSTDIR\Quillon.log"'
  ; A library still mapped by running programs cannot be overwritten: it makes room.
  ${RemoveOrRetire} "$INSTDIR\Latchkin.dll"
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
  ${un.RemoveOrRetire} "$INSTDIR\Quillon.exe"
  ${un.RemoveOrRetire} "$INSTDIR\Quillrun.exe"
  ${un.RemoveOrRetire} "$INSTDIR\Latchkin.dll"
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
