; The per-user installer: Quillbrook.exe and its help under the user's own programs folder, a Start-menu
; shortcut, "start with Windows" (the same Run value the tray item writes) and an entry in "Apps" with
; its uninstaller. Nothing needs administrator rights. The build passes VERSION, PROGRAM (the exe), HELP
; (the help document), ICON and OUTFILE with -D.
Unicode true
Target amd64-unicode
RequestExecutionLevel user
ManifestDPIAware true
SetCompressor /SOLID lzma

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include Sections.nsh
!include WinMessages.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillbrook"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define SETTINGS_KEY "Software\Quillbrook"

Name "Quillbrook"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Quillbrook"
; An upgrade goes where the installed copy is.
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1041 "ProductName" "Quillbrook"
VIAddVersionKey /LANG=1041 "CompanyName" "Quillbrook"
VIAddVersionKey /LANG=1041 "LegalCopyright" "© Quillbrook"
VIAddVersionKey /LANG=1041 "FileDescription" "Quillbrook セットアップ"
VIAddVersionKey /LANG=1041 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1041 "ProductVersion" "${VERSION}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_FINISHPAGE_RUN "$INSTDIR\Quillbrook.exe"
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Japanese"

; Ends each running copy of the installed exe as the user's Exit does: its main form is asked to close,
; and the copy stores its settings on its way out. Its file can be replaced or removed after that. A copy
; that has not ended after ten seconds is hung and is ended; a resident copy has stored every change
; already. Only the exe in $INSTDIR counts: another program may well have a window of the same name.
!macro CLOSE_RUNNING_COPIES un
Function ${un}CloseRunningCopies
  StrCpy $5 0 ; tries: a copy that will not go must not keep the setup waiting forever
  StrCpy $6 0 ; the main form the search goes on after
  ${Do}
    FindWindow $0 "TMainForm" "MainForm" 0 $6
    ${If} $0 = 0
    ${OrIf} $5 >= 8
      ${Break}
    ${EndIf}
    StrCpy $6 $0
    System::Call "user32::GetWindowThreadProcessId(p r0, *i 0 r1)"
    ; SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE
    System::Call "kernel32::OpenProcess(i 0x101001, i 0, i r1) p .r2"
    ${If} $2 P<> 0
      StrCpy $3 ""
      System::Call "kernel32::QueryFullProcessImageNameW(p r2, i 0, w .r3, *i ${NSIS_MAX_STRLEN})"
      ${If} $3 == "$INSTDIR\Quillbrook.exe"
        DetailPrint "Quillbrookを終了しています…"
        System::Call "user32::PostMessageW(p r0, i ${WM_CLOSE}, p 0, p 0)"
        System::Call "kernel32::WaitForSingleObject(p r2, i 10000) i .r4"
        ${If} $4 <> 0
          System::Call "kernel32::TerminateProcess(p r2, i 1)"
          System::Call "kernel32::WaitForSingleObject(p r2, i 5000)"
        ${EndIf}
        IntOp $5 $5 + 1
        StrCpy $6 0 ; its window is gone: search again from the top
      ${EndIf}
      System::Call "kernel32::CloseHandle(p r2)"
    ${EndIf}
  ${Loop}
FunctionEnd
!macroend
!insertmacro CLOSE_RUNNING_COPIES ""
!insertmacro CLOSE_RUNNING_COPIES "un."

; Deletes the file named on the stack. A process that has just ended (a closed copy, the uninstaller that
; handed its work to a copy of itself) may hold its exe a moment longer: up to five seconds are waited for.
!macro DELETE_WHEN_FREE un
Function ${un}DeleteWhenFree
  Exch $R0
  Push $R1
  ${For} $R1 1 25
    ClearErrors
    Delete "$R0"
    ${IfNot} ${Errors}
      ${Break}
    ${EndIf}
    Sleep 200
  ${Next}
  Pop $R1
  Pop $R0
FunctionEnd
!macroend
!insertmacro DELETE_WHEN_FREE ""
!insertmacro DELETE_WHEN_FREE "un."

Section "Quillbrook" SecProgram
  SectionIn RO
  Call CloseRunningCopies
  Push "$INSTDIR\Quillbrook.exe"
  Call DeleteWhenFree
  SetOutPath "$INSTDIR"
  File "/oname=Quillbrook.exe" "${PROGRAM}"
  File "/oname=Quillbrook.html" "${HELP}"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\Quillbrook.lnk" "$INSTDIR\Quillbrook.exe"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Quillbrook"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Quillbrook"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Quillbrook.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "Windowsの起動時に開始する" SecStartWithWindows
  WriteRegStr HKCU "${RUN_KEY}" "Quillbrook" '"$INSTDIR\Quillbrook.exe"'
SectionEnd

; Unchecked over an install that started with Windows: it no longer does.
Section "-StartWithWindowsOff"
  ${IfNot} ${SectionIsSelected} ${SecStartWithWindows}
    DeleteRegValue HKCU "${RUN_KEY}" "Quillbrook"
  ${EndIf}
SectionEnd

Function .onInit
  ; Over an older install the choice is what the user has now (the tray item may have changed it).
  ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
  ReadRegStr $1 HKCU "${RUN_KEY}" "Quillbrook"
  ${If} $0 != ""
  ${AndIf} $1 == ""
    !insertmacro UnselectSection ${SecStartWithWindows}
  ${EndIf}
FunctionEnd

; The finish page offers the start (checked); a silent install starts the program itself.
Function .onInstSuccess
  ${If} ${Silent}
    Exec '"$INSTDIR\Quillbrook.exe"'
  ${EndIf}
FunctionEnd

Section "Uninstall"
  Call un.CloseRunningCopies
  Push "$INSTDIR\Quillbrook.exe"
  Call un.DeleteWhenFree
  Push "$INSTDIR\uninstall.exe"
  Call un.DeleteWhenFree
  Delete "$INSTDIR\Quillbrook.html"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\Quillbrook.lnk"
  DeleteRegValue HKCU "${RUN_KEY}" "Quillbrook"
  ; Asked after the program has gone, which stores them as it ends. A silent uninstall keeps them.
  MessageBox MB_YESNO|MB_ICONQUESTION "Quillbrookの設定を残しますか？" /SD IDYES IDYES +2
  DeleteRegKey HKCU "${SETTINGS_KEY}"
  ; Last: the entry's going tells a caller (the tests) that the copy of the uninstaller has done its work.
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
