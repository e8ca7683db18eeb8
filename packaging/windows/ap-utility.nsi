; The installer of the Windows build, per user and without elevation: the programs into
; %LOCALAPPDATA%\Programs\ap-utility, the uninstall entry under HKCU, the program folder on
; the user's PATH, a Start-menu shortcut, and the user's working folder under %LOCALAPPDATA%
; that holds OEM\Logo.bmp, where the shortcut starts the utility so that its key file
; (OEM.tmp) is writable.
; makensis -DVERSION=1.0.2.0 -DSTAGE=<folder with the files> -DOUTFILE=<installer.exe>
;          -DICON=<AppIcon.ico> [-DUTILITY] (when ap-utility.exe is among the files)
Unicode true
SetCompressor /SOLID lzma
RequestExecutionLevel user

!include LogicLib.nsh
!include WinMessages.nsh
!include FileFunc.nsh

!define APPNAME "ap-utility"
!define PUBLISHER "The ${APPNAME} developers"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${APPNAME}"
!define RUNONCE_KEY "Software\Microsoft\Windows\CurrentVersion\RunOnce"
; The utility holds this mutex while it runs (InstanceLock::DefaultPath), and shows one of
; these captions (the ones it looks for itself before it starts).
!define INSTANCE_MUTEX "Local\ap-utility.instance"
; The longest PATH value this installer's strings hold whole.
!define /math PATH_LIMIT ${NSIS_MAX_STRLEN} - 2
!define RUNNING_TEXT "${APPNAME} is running. Close it, then choose Retry; Cancel leaves everything as it is."

Name "${APPNAME} ${VERSION}"
OutFile "${OUTFILE}"
Icon "${ICON}"
UninstallIcon "${ICON}"
InstallDir "$LOCALAPPDATA\Programs\${APPNAME}"
InstallDirRegKey HKCU "Software\${APPNAME}" "InstallDir"

VIProductVersion "${VERSION}"
VIAddVersionKey "ProductName" "${APPNAME}"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "${APPNAME} ${VERSION} installer"
VIAddVersionKey "LegalCopyright" "${PUBLISHER}"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

; Installer and uninstaller functions come in pairs: the uninstaller's carry "un.".
!macro BOTH_FUNCTIONS UN
; Waits until no copy of the utility runs: asks Retry/Cancel while one does. Cancel (and a
; silent run, which cannot ask) ends the run with exit code 2 before anything changes.
Function ${UN}WaitUntilClosed
    Push $0
    ${Do}
        StrCpy $0 ""
        System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "${INSTANCE_MUTEX}") p .r0'
        ${If} $0 != 0
            System::Call 'kernel32::CloseHandle(p r0)'
        ${Else}
            FindWindow $0 "#32770" "Login"
            ${If} $0 = 0
                FindWindow $0 "#32770" "AP Utility"
            ${EndIf}
        ${EndIf}
        ${If} $0 = 0
            ${Break}
        ${EndIf}
        ${IfNot} ${Cmd} `MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "${RUNNING_TEXT}" /SD IDCANCEL IDRETRY`
            SetErrorLevel 2
            Quit
        ${EndIf}
    ${Loop}
    Pop $0
FunctionEnd

; $R0: the PATH value without the entries equal to $INSTDIR (any case, with or without a
; trailing backslash); $R1: 1 when one was there.
Function ${UN}PathWithoutInstDir
    Push $0
    Push $1
    Push $2
    Push $3
    ReadRegStr $0 HKCU "Environment" "Path"
    StrCpy $R0 ""
    StrCpy $R1 0
    ; A value as long as this program's strings may have been cut short: left alone.
    StrLen $2 $0
    ${If} $2 >= ${PATH_LIMIT}
        StrCpy $0 ""
    ${EndIf}
    ${DoUntil} $0 == ""
        ; $1: the entry up to the next ";", $0: the rest.
        StrCpy $2 0
        ${Do}
            StrCpy $3 $0 1 $2
            ${IfThen} $3 == "" ${|} ${Break} ${|}
            ${IfThen} $3 == ";" ${|} ${Break} ${|}
            IntOp $2 $2 + 1
        ${Loop}
        StrCpy $1 $0 $2
        IntOp $2 $2 + 1
        StrCpy $0 $0 "" $2
        ${If} $1 == "$INSTDIR"
        ${OrIf} $1 == "$INSTDIR\"
            StrCpy $R1 1
        ${ElseIf} $1 != ""
            ${If} $R0 == ""
                StrCpy $R0 $1
            ${Else}
                StrCpy $R0 "$R0;$1"
            ${EndIf}
        ${EndIf}
    ${Loop}
    Pop $3
    Pop $2
    Pop $1
    Pop $0
FunctionEnd
!macroend
!insertmacro BOTH_FUNCTIONS ""
!insertmacro BOTH_FUNCTIONS "un."

; Tells the running programs (Explorer, so the next command prompt) that PATH changed.
!macro BROADCAST_ENVIRONMENT
    SendMessage ${HWND_BROADCAST} ${WM_SETTINGCHANGE} 0 "STR:Environment" /TIMEOUT=5000
!macroend

Function .onInit
    Call WaitUntilClosed
FunctionEnd

Function un.onInit
    ; The folder by its long name, as PATH and the entry hold it, even when the uninstaller
    ; was started by a short one.
    System::Call 'kernel32::GetLongPathNameW(w "$INSTDIR", w .r0, i ${NSIS_MAX_STRLEN}) i .r1'
    ${If} $1 > 0
        StrCpy $INSTDIR $0
    ${EndIf}
    Call un.WaitUntilClosed
FunctionEnd

Section "Install"
    SetShellVarContext current
    ; The user may have started the utility since the first page.
    Call WaitUntilClosed
    SetOutPath "$INSTDIR"
    File /r "${STAGE}\*.*"
    WriteUninstaller "$INSTDIR\Uninstall.exe"
    WriteRegStr HKCU "Software\${APPNAME}" "InstallDir" "$INSTDIR"

    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${APPNAME} ${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Uninstall.exe,0"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "URLInfoAbout" "$INSTDIR\README.txt"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "HelpLink" "$INSTDIR\README.txt"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0

    ; The program folder on the user's PATH, once, so that "ap-config" works by name in
    ; the next command prompt. A PATH too long for this installer's strings stays as it is.
    Call PathWithoutInstDir
    ${If} $R1 = 0
        ReadRegStr $0 HKCU "Environment" "Path"
        StrLen $1 "$0;$INSTDIR"
        ${If} $1 >= ${PATH_LIMIT}
            DetailPrint "PATH is too long to add $INSTDIR to it"
        ${Else}
            ${If} $0 == ""
                WriteRegExpandStr HKCU "Environment" "Path" "$INSTDIR"
            ${Else}
                WriteRegExpandStr HKCU "Environment" "Path" "$0;$INSTDIR"
            ${EndIf}
            !insertmacro BROADCAST_ENVIRONMENT
        ${EndIf}
    ${EndIf}

    ; The working folder: the logo beside the key file the utility writes.
    CreateDirectory "$LOCALAPPDATA\${APPNAME}\OEM"
    CopyFiles /SILENT "$INSTDIR\OEM\Logo.bmp" "$LOCALAPPDATA\${APPNAME}\OEM"

    CreateDirectory "$SMPROGRAMS\${APPNAME}"
!ifdef UTILITY
    ; A shortcut starts in the output folder at the time it is made.
    SetOutPath "$LOCALAPPDATA\${APPNAME}"
    CreateShortcut "$SMPROGRAMS\${APPNAME}\${APPNAME}.lnk" "$INSTDIR\ap-utility.exe" "" \
        "$INSTDIR\ap-utility.exe" 0
!endif
    SetOutPath "$INSTDIR"
    CreateShortcut "$SMPROGRAMS\${APPNAME}\Uninstall ${APPNAME}.lnk" "$INSTDIR\Uninstall.exe"
    CreateShortcut "$SMPROGRAMS\${APPNAME}\README.lnk" "$INSTDIR\README.txt"
SectionEnd

Section "Uninstall"
    SetShellVarContext current
    Call un.WaitUntilClosed
    Delete "$SMPROGRAMS\${APPNAME}\*.lnk"
    RMDir "$SMPROGRAMS\${APPNAME}"

    Call un.PathWithoutInstDir
    ${If} $R1 = 1
        WriteRegExpandStr HKCU "Environment" "Path" "$R0"
        !insertmacro BROADCAST_ENVIRONMENT
    ${EndIf}

    ; What something else still holds open goes at the next restart. Until it has gone, the
    ; uninstaller and its entry stay, and at the next logon the uninstaller runs again.
    Delete /REBOOTOK "$INSTDIR\ap-utility.exe"
    Delete /REBOOTOK "$INSTDIR\ap-config.exe"
    Delete /REBOOTOK "$INSTDIR\README.txt"
    Delete /REBOOTOK "$INSTDIR\OEM\Logo.bmp"
    RMDir "$INSTDIR\OEM"
    ${If} ${FileExists} "$INSTDIR\ap-utility.exe"
    ${OrIf} ${FileExists} "$INSTDIR\ap-config.exe"
    ${OrIf} ${FileExists} "$INSTDIR\README.txt"
    ${OrIf} ${FileExists} "$INSTDIR\OEM\Logo.bmp"
        SetRebootFlag true
        WriteRegStr HKCU "${RUNONCE_KEY}" "${APPNAME} uninstall" '"$INSTDIR\Uninstall.exe" /S'
        DetailPrint "Files in use stay in $INSTDIR until the next restart."
        MessageBox MB_OK|MB_ICONINFORMATION \
            "Some files of ${APPNAME} are in use; they are removed when you next restart and log on." \
            /SD IDOK
    ${Else}
        Delete "$INSTDIR\Uninstall.exe"
        RMDir /REBOOTOK "$INSTDIR"
        DeleteRegValue HKCU "${RUNONCE_KEY}" "${APPNAME} uninstall"
        DeleteRegKey HKCU "${UNINSTALL_KEY}"
        DeleteRegKey HKCU "Software\${APPNAME}"
    ${EndIf}
    ; The working folder stays: it holds the user's keys (OEM.tmp).
SectionEnd
