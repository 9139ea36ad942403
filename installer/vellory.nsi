; Vellory's installer and uninstaller, for one user and without administrator rights.
; Built by installer/CMakeLists.txt, which defines VERSION (x.y.z), VERSION4 (x.y.z.w),
; PROGRAM (the built Vellory.exe), ICON, OUTFILE, and the names the program finds itself by,
; INSTANCE_MUTEX and QUIT_MESSAGE (read from toolkit/product.h).
; Built for both programs: "-XTarget amd64-unicode" around the 64-bit one, x86-unicode around
; the 32-bit one. Neither needs $PROGRAMFILES64 or SetRegView: the folder is the user's own and
; every key lives under HKCU\Software, which Windows shares between 32- and 64-bit programs, so
; either setup finds, ends and replaces the other's copy and keeps its settings.
;   setup.exe [/S] [/D=<folder>]        /S: silent, starts Vellory only when one was running;
;                                       keeps the Startup shortcut as the finish page's box would
;   uninstall.exe [/S] [/PURGE]         /PURGE: also the settings (silent keeps them)
Unicode true
ManifestDPIAware true
RequestExecutionLevel user
SetCompressor /SOLID lzma

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Vellory"
!define SETTINGS_KEY "Software\Brannock\Vellory"
!define MAIN_WINDOW_KEY "${SETTINGS_KEY}\Options\Windows\Main"

Name "Vellory"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Vellory"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "Vellory ${VERSION}"
ShowInstDetails nevershow
ShowUninstDetails nevershow

Var WasRunning
Var Purge
; 1 when the Startup shortcut is wanted: the finish page's box, or what it would show.
Var Autostart

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Запустить Vellory"
!define MUI_FINISHPAGE_RUN_FUNCTION StartVellory
; The finish page's second box, which MUI names after a readme.
!define MUI_FINISHPAGE_SHOWREADME
!define MUI_FINISHPAGE_SHOWREADME_TEXT "Запускать при старте Windows"
!define MUI_FINISHPAGE_SHOWREADME_FUNCTION StartupShortcutChosen
!define MUI_PAGE_CUSTOMFUNCTION_SHOW ShowStartupChoice
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE ApplyStartupChoice
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Russian"

VIProductVersion "${VERSION4}"
VIFileVersion "${VERSION4}"
VIAddVersionKey /LANG=${LANG_RUSSIAN} "ProductName" "Vellory"
VIAddVersionKey /LANG=${LANG_RUSSIAN} "CompanyName" "Brannock"
VIAddVersionKey /LANG=${LANG_RUSSIAN} "FileDescription" "Установка Vellory"
VIAddVersionKey /LANG=${LANG_RUSSIAN} "FileVersion" "${VERSION4}"
VIAddVersionKey /LANG=${LANG_RUSSIAN} "ProductVersion" "${VERSION4}"
VIAddVersionKey /LANG=${LANG_RUSSIAN} "LegalCopyright" "© 2026 Brannock"

; Sets $1 to 1 while a Vellory runs: its single-instance mutex exists. A copy run as
; administrator owns one that this process may not open; access denied means it is there.
!macro VELLORY_RUNNING
  Push $3
  System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "${INSTANCE_MUTEX}") p .r1 ?e'
  Pop $3
  ${If} $1 P<> 0
    System::Call 'kernel32::CloseHandle(p r1)'
    StrCpy $1 1
  ${ElseIf} $3 = 5
    StrCpy $1 1
  ${Else}
    StrCpy $1 0
  ${EndIf}
  Pop $3
!macroend

; Asks a running Vellory to save everything and end (flags 1: and erase its settings), and
; waits until its single-instance mutex is gone, at most about 10 s. $WasRunning tells whether
; one ran; a copy that does not end aborts the run before anything is touched.
!macro QUIT_VELLORY un
Function ${un}QuitVellory
  Exch $0
  Push $1
  Push $2
  StrCpy $WasRunning 0
  !insertmacro VELLORY_RUNNING
  ${If} $1 = 1
    StrCpy $WasRunning 1
    System::Call 'user32::RegisterWindowMessageW(w "${QUIT_MESSAGE}") i .r2'
    System::Call 'user32::PostMessageW(p 0xFFFF, i r2, p r0, p 0)'
    StrCpy $2 0
    ${Do}
      Sleep 100
      !insertmacro VELLORY_RUNNING
      ${If} $1 = 0
        ${Break}
      ${EndIf}
      IntOp $2 $2 + 1
      ${If} $2 >= 100
        MessageBox MB_OK|MB_ICONSTOP "Vellory не завершился за 10 секунд. Закройте его («Выход» в меню значка в трее) и запустите программу ещё раз." /SD IDOK
        SetErrorLevel 2
        Quit
      ${EndIf}
    ${Loop}
    ; The mutex goes as the process ends; give the system a moment to let go of its file.
    Sleep 300
  ${EndIf}
  Pop $2
  Pop $1
  Pop $0
FunctionEnd
!macroend
!insertmacro QUIT_VELLORY ""
!insertmacro QUIT_VELLORY "un."

; The shortcut Vellory itself keeps in the Startup folder: the program, its folder as the
; working directory, the application name as description.
!macro STARTUP_SHORTCUT
  SetOutPath "$INSTDIR"
  CreateShortcut "$SMSTARTUP\Vellory.lnk" "$INSTDIR\Vellory.exe" "" "" 0 SW_SHOWNORMAL "" "Vellory"
!macroend

Function StartVellory
  Exec '"$INSTDIR\Vellory.exe"'
FunctionEnd

; The box is ticked on a fresh install; on an update only if the shortcut is there, so an
; update never brings back a shortcut the user removed.
Function .onInit
  StrCpy $Autostart 1
  ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
  ClearErrors
  EnumRegKey $1 HKCU "${MAIN_WINDOW_KEY}" 0
  ${IfNot} ${Errors}
  ${OrIf} $0 != ""
    ${IfNot} ${FileExists} "$SMSTARTUP\Vellory.lnk"
      StrCpy $Autostart 0
    ${EndIf}
  ${EndIf}
FunctionEnd

; The setup's choice is final. Vellory's first run (no "Options\Windows\Main" key yet) would
; create the shortcut: the empty key tells it the choice is made. No value is written.
Function ApplyAutostart
  System::Call 'advapi32::RegCreateKeyExW(p -2147483647, w "${MAIN_WINDOW_KEY}", i 0, p 0, i 0, i 0x20006, p 0, *p .r1, p 0) i .r0'
  ${If} $0 = 0
    System::Call 'advapi32::RegCloseKey(p r1)'
  ${EndIf}
  ${If} $Autostart = 1
    !insertmacro STARTUP_SHORTCUT
  ${Else}
    Delete "$SMSTARTUP\Vellory.lnk"
  ${EndIf}
FunctionEnd

Function ShowStartupChoice
  ${If} $Autostart = 1
    SendMessage $mui.FinishPage.ShowReadme ${BM_SETCHECK} ${BST_CHECKED} 0
  ${Else}
    SendMessage $mui.FinishPage.ShowReadme ${BM_SETCHECK} ${BST_UNCHECKED} 0
  ${EndIf}
FunctionEnd

; Runs before the page starts Vellory, which then reads the shortcut as it is.
Function ApplyStartupChoice
  SendMessage $mui.FinishPage.ShowReadme ${BM_GETCHECK} 0 0 $0
  ${If} $0 = ${BST_CHECKED}
    StrCpy $Autostart 1
  ${Else}
    StrCpy $Autostart 0
  ${EndIf}
  Call ApplyAutostart
FunctionEnd

; Done already by ApplyStartupChoice, ticked or not.
Function StartupShortcutChosen
FunctionEnd

Section "Vellory"
  Push 0
  Call QuitVellory
  SetOutPath "$INSTDIR"
  File "/oname=Vellory.exe" "${PROGRAM}"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\Vellory.lnk" "$INSTDIR\Vellory.exe" "" "" 0 SW_SHOWNORMAL "" "Vellory"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Vellory"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Brannock"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Vellory.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1

  ; The box's default holds until the finish page says otherwise, and without pages (or when
  ; the page is closed unanswered) it stays.
  Call ApplyAutostart
  ; Without pages nobody ticks "Запустить Vellory": bring back what ran before.
  ${If} ${Silent}
  ${AndIf} $WasRunning == 1
    Call StartVellory
  ${EndIf}
SectionEnd

Section "Uninstall"
  StrCpy $Purge 0
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/PURGE" $1
  ${IfNot} ${Errors}
    StrCpy $Purge 1
  ${Else}
    MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 "Удалить также настройки и комбинации Vellory?" /SD IDNO IDNO keep
    StrCpy $Purge 1
    keep:
  ${EndIf}
  ; A running copy would save its settings again after they were removed: it erases them
  ; itself when asked to, and it must be gone before its file goes.
  Push $Purge
  Call un.QuitVellory

  Delete "$INSTDIR\Vellory.exe"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\Vellory.lnk"
  Delete "$SMSTARTUP\Vellory.lnk"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  ${If} $Purge == 1
    DeleteRegKey HKCU "${SETTINGS_KEY}"
    DeleteRegKey /ifempty HKCU "Software\Brannock"
  ${EndIf}
SectionEnd
