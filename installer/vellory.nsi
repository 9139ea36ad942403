; Vellory's installer and uninstaller, for one user and without administrator rights.
; Built by installer/CMakeLists.txt, which defines VERSION (x.y.z), VERSION4 (x.y.z.w),
; PROGRAM (the built Vellory.exe), ICON and OUTFILE.
;   setup.exe [/S] [/D=<folder>]        /S: silent, starts Vellory only when one was running
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
; Both named as the program names them (docs/ARCHITECTURE.md, "The way out").
!define INSTANCE_MUTEX "Local\Brannock.Vellory.Instance"
!define QUIT_MESSAGE "Brannock.Vellory.Quit"

Name "Vellory"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Vellory"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "Vellory ${VERSION}"
ShowInstDetails nevershow
ShowUninstDetails nevershow

Var WasRunning
Var Purge

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Запустить Vellory"
!define MUI_FINISHPAGE_RUN_FUNCTION StartVellory
; The finish page's second box, which MUI names after a readme.
!define MUI_FINISHPAGE_SHOWREADME
!define MUI_FINISHPAGE_SHOWREADME_TEXT "Запускать при старте Windows"
!define MUI_FINISHPAGE_SHOWREADME_FUNCTION MakeStartupShortcut
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

; Asks a running Vellory to save everything and end (flags 1: and erase its settings), and
; waits until its single-instance mutex is gone, at most about 10 s. $WasRunning tells whether
; one ran; a copy that does not end aborts the run before anything is touched.
!macro QUIT_VELLORY un
Function ${un}QuitVellory
  Exch $0
  Push $1
  Push $2
  StrCpy $WasRunning 0
  System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "${INSTANCE_MUTEX}") p .r1'
  ${If} $1 P<> 0
    System::Call 'kernel32::CloseHandle(p r1)'
    StrCpy $WasRunning 1
    System::Call 'user32::RegisterWindowMessageW(w "${QUIT_MESSAGE}") i .r2'
    System::Call 'user32::PostMessageW(p 0xFFFF, i r2, p r0, p 0)'
    StrCpy $2 0
    ${Do}
      Sleep 100
      System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "${INSTANCE_MUTEX}") p .r1'
      ${If} $1 P= 0
        ${Break}
      ${EndIf}
      System::Call 'kernel32::CloseHandle(p r1)'
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

Function MakeStartupShortcut
  !insertmacro STARTUP_SHORTCUT
FunctionEnd

Section "Vellory"
  Push 0
  Call QuitVellory
  SetOutPath "$INSTDIR"
  File "/oname=Vellory.exe" "${PROGRAM}"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\Vellory.lnk" "$INSTDIR\Vellory.exe" "" "" 0 SW_SHOWNORMAL "" "Vellory"
  ; A shortcut left by an earlier copy starts this one from now on.
  ${If} ${FileExists} "$SMSTARTUP\Vellory.lnk"
    !insertmacro STARTUP_SHORTCUT
  ${EndIf}

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
