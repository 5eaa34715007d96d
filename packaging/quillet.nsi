; The per-user installer of Quillet. make_packages.cmake runs makensis on it with VERSION, STAGE
; (the folder holding the files to install), ICON and OUTFILE defined, and CMAKE and SIGN_SCRIPT
; when the uninstaller is to be signed.

Unicode true
; Quillet is a 64-bit program; so is its installer.
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user
; A file that cannot be replaced fails the install, silent too, instead of leaving the old one.
AllowSkipFiles off
ManifestDPIAware true

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include nsDialogs.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillet"
!define PUBLISHER "The Quillet developers"
!define EXIT_COMMAND 356
!define CALENDAR_ID 1000
; Tenths of a second a running Quillet gets to save and end.
!define CLOSE_WAIT_STEPS 300

Name "Quillet"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Quillet"
BrandingText "Quillet ${VERSION}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "Quillet"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileDescription" "Quillet Setup"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (C) 2026 ${PUBLISHER}"

!ifdef SIGN_SCRIPT
!uninstfinalize '"${CMAKE}" "-DFILE=%1" -P "${SIGN_SCRIPT}"' = 0
!endif

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING

!define MUI_WELCOMEPAGE_TEXT "Setup will install Quillet ${VERSION} for you alone; it needs no administrator rights.$\r$\n$\r$\nA running Quillet is asked to save your notes and close before its files are replaced.$\r$\n$\r$\nClick Next to continue."
!insertmacro MUI_PAGE_WELCOME
Page custom OptionsPage OptionsPageLeave
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\Quillet.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Run Quillet"
!insertmacro MUI_PAGE_FINISH

!define MUI_UNCONFIRMPAGE_TEXT_TOP "Quillet will be removed from $INSTDIR. Your notes stay in $APPDATA\Quillet."
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!define MUI_FINISHPAGE_TEXT "Quillet has been removed from your computer.$\r$\n$\r$\nYour notes stay in $APPDATA\Quillet. Delete that folder yourself if you no longer need them."
!insertmacro MUI_UNPAGE_FINISH

!insertmacro MUI_LANGUAGE "English"

; Asks the running Quillet of this installation to exit through its Exit command, which saves the notes, and waits
; until its process has ended; ending it any other way would lose what was typed since the last
; save. Its main window is the dialog that carries the "Quillet.MainWindow" mark and holds the
; calendar; a copy that is ending has taken the mark away already.
!macro CLOSE_QUILLET un
Function ${un}CloseQuillet
    Push $0
    Push $1
    Push $2
    Push $3
    Push $4
    Push $5
again:
    StrCpy $0 0
next:
    FindWindow $0 "#32770" "" "" $0
    StrCmp $0 0 done
    System::Call 'user32::GetPropW(p r0, w "Quillet.MainWindow") p .r1'
    StrCmp $1 0 next
    System::Call 'user32::GetDlgItem(p r0, i ${CALENDAR_ID}) p .r1'
    StrCmp $1 0 next
    System::Call 'user32::GetWindowThreadProcessId(p r0, *i .r2) i'
    ; Only the copy that runs the installed program: a portable copy beside it keeps running.
    ; A process whose path cannot be read is no installed copy of this user's.
    System::Call 'kernel32::OpenProcess(i 0x00101000, i 0, i r2) p .r3'
    StrCmp $3 0 next
    System::Call 'kernel32::QueryFullProcessImageNameW(p r3, i 0, w .r5, *i ${NSIS_MAX_STRLEN}) i .r1'
    ${If} $1 = 0
    ${OrIf} $5 != "$INSTDIR\Quillet.exe"
        System::Call 'kernel32::CloseHandle(p r3)'
        Goto next
    ${EndIf}
    ; A disabled window is asking the user something (a retry's earlier Exit may be); a second
    ; Exit would only ask again.
    System::Call 'user32::IsWindowEnabled(p r0) i .r1'
    ${If} $1 <> 0
        DetailPrint "Asking Quillet to save the notes and exit..."
        System::Call 'user32::PostMessageW(p r0, i ${WM_COMMAND}, p ${EXIT_COMMAND}, p 0)'
    ${EndIf}
    StrCpy $4 0
wait:
    System::Call 'kernel32::WaitForSingleObject(p r3, i 100) i .r1'
    StrCmp $1 0 ended
    IntOp $4 $4 + 1
    IntCmp $4 ${CLOSE_WAIT_STEPS} 0 wait
    System::Call 'kernel32::CloseHandle(p r3)'
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
        "Quillet is still running: it may be asking you something. Close it (it saves your notes as it closes), then choose Retry." \
        /SD IDCANCEL IDRETRY again
    DetailPrint "Quillet did not close; nothing was changed."
    Abort
ended:
    System::Call 'kernel32::CloseHandle(p r3)'
    Goto again
done:
    Pop $5
    Pop $4
    Pop $3
    Pop $2
    Pop $1
    Pop $0
FunctionEnd
!macroend
!insertmacro CLOSE_QUILLET ""
!insertmacro CLOSE_QUILLET "un."

; 1 when Quillet is to start at sign-in: the check box, or in a silent install the absence of
; /NOSTARTUP.
Var StartAtSignIn
Var StartCheck

Function .onInit
    StrCpy $StartAtSignIn 1
    ${GetParameters} $0
    ClearErrors
    ${GetOptions} $0 "/NOSTARTUP" $1
    ${IfNot} ${Errors}
        StrCpy $StartAtSignIn 0
    ${EndIf}
FunctionEnd

Function OptionsPage
    !insertmacro MUI_HEADER_TEXT "Options" "Choose when Quillet starts."
    nsDialogs::Create 1018
    Pop $0
    ${NSD_CreateLabel} 0 0 100% 24u "Quillet will be installed for you alone, in $INSTDIR, with a shortcut in the Start menu."
    Pop $0
    ${NSD_CreateCheckbox} 0 32u 100% 12u "Start Quillet when I sign in"
    Pop $StartCheck
    ${If} $StartAtSignIn == 1
        ${NSD_Check} $StartCheck
    ${EndIf}
    nsDialogs::Show
FunctionEnd

Function OptionsPageLeave
    ${NSD_GetState} $StartCheck $0
    ${If} $0 == ${BST_CHECKED}
        StrCpy $StartAtSignIn 1
    ${Else}
        StrCpy $StartAtSignIn 0
    ${EndIf}
FunctionEnd

Section "-Quillet"
    Call CloseQuillet
    SetOutPath "$INSTDIR"
    File "${STAGE}/Quillet.exe"
    File "${STAGE}/Quillet.html"
    WriteUninstaller "$INSTDIR\Uninstall.exe"
    CreateShortcut "$SMPROGRAMS\Quillet.lnk" "$INSTDIR\Quillet.exe"
    ; A new install follows the choice made now.
    Delete "$SMSTARTUP\Quillet.lnk"
    ${If} $StartAtSignIn == 1
        CreateShortcut "$SMSTARTUP\Quillet.lnk" "$INSTDIR\Quillet.exe"
    ${EndIf}

    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Quillet"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Quillet.exe,0"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    IntFmt $0 "0x%08X" $0
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" "$0"
SectionEnd

; The notes in the application-data folder, and a portable Data folder, are never touched.
Section "Uninstall"
    Call un.CloseQuillet
    Delete "$SMSTARTUP\Quillet.lnk"
    Delete "$SMPROGRAMS\Quillet.lnk"
    Delete "$INSTDIR\Quillet.exe"
    Delete "$INSTDIR\Quillet.html"
    Delete "$INSTDIR\Uninstall.exe"
    RMDir "$INSTDIR"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
    DetailPrint "Your notes stay in $APPDATA\Quillet."
SectionEnd
