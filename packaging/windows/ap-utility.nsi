; The installer of the Windows build, per user and without elevation: after the licence, the
; programs and their documents into %LOCALAPPDATA%\Programs\ap-utility, the uninstall entry
; under HKCU, the program folder on the user's PATH, a Start-menu shortcut, and the user's
; working folder under %LOCALAPPDATA% that holds OEM\Logo.bmp, where the shortcut starts the
; utility so that its key file (OEM.tmp) is writable.
; makensis -DVERSION=1.0.2.0 -DSTAGE=<folder with the files> -DOUTFILE=<installer.exe>
;          -DICON=<AppIcon.ico> -DPATH_TOOL=<ap-path.exe> [-DUTILITY] (when ap-utility.exe
;          is among the files)
Unicode true
SetCompressor /SOLID lzma
RequestExecutionLevel user

!include LogicLib.nsh
!include FileFunc.nsh

!define APPNAME "ap-utility"
; The name the Start menu shows, as the Linux desktop entry does.
!define MENUNAME "AP Utility"
!define PUBLISHER "The ${APPNAME} developers"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${APPNAME}"
!define RUNONCE_KEY "Software\Microsoft\Windows\CurrentVersion\RunOnce"
; The utility holds this mutex from its start to its end (InstanceLock::DefaultPath): only
; that, no window caption another program might show too, tells that it runs.
!define INSTANCE_MUTEX "Local\ap-utility.instance"
!define RUNNING_TEXT "${APPNAME} is running. Close it, then choose Retry; Cancel leaves everything as it is."
!define IN_USE_TEXT "Is ap-config running in a command prompt? Close the program that uses the file, then choose Retry; Cancel leaves everything as it is."
!define PREVIOUS ".previous"

Name "${APPNAME} ${VERSION}"
BrandingText "${MENUNAME} ${VERSION}"
OutFile "${OUTFILE}"
Icon "${ICON}"
UninstallIcon "${ICON}"
InstallDir "$LOCALAPPDATA\Programs\${APPNAME}"
InstallDirRegKey HKCU "Software\${APPNAME}" "InstallDir"
LicenseData "${STAGE}\LICENSE.txt"

VIProductVersion "${VERSION}"
VIAddVersionKey "ProductName" "${APPNAME}"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "${APPNAME} ${VERSION} installer"
VIAddVersionKey "LegalCopyright" "${PUBLISHER}"

Page license
Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

; The files in $INSTDIR besides the uninstaller: M is inserted with each.
!macro FOR_EACH_FILE M
!ifdef UTILITY
    !insertmacro ${M} "ap-utility.exe"
!endif
    !insertmacro ${M} "ap-config.exe"
    !insertmacro ${M} "README.txt"
    !insertmacro ${M} "ap-config.md"
    !insertmacro ${M} "LICENSE.txt"
    !insertmacro ${M} "OEM\Logo.bmp"
!macroend

; $0: the first of the files (its name in $INSTDIR) that is there but cannot be opened for
; writing alone, as while a program runs from it or holds it open; empty when none is.
!macro FIRST_IN_USE F
    ${If} $0 == ""
    ${AndIf} ${FileExists} "$INSTDIR\${F}"
        System::Call 'kernel32::CreateFileW(w "$INSTDIR\${F}", i 0x40000000, i 0, p 0, i 3, i 0, p 0) i .r1 ?e'
        Pop $2
        ${If} $1 <> -1
            System::Call 'kernel32::CloseHandle(i r1)'
        ${ElseIf} $2 = 32 ; ERROR_SHARING_VIOLATION (a read-only file is not in use)
            StrCpy $0 "${F}"
        ${EndIf}
    ${EndIf}
!macroend

; Installer and uninstaller functions come in pairs: the uninstaller's carry "un.".
!macro BOTH_FUNCTIONS UN
; Waits until no copy of the utility runs and, for the installer, until none of the files it
; replaces is in use: asks Retry/Cancel meanwhile. Cancel (and a silent run, which cannot
; ask) ends the run with exit code 2 before anything changes.
Function ${UN}WaitUntilClosed
    Push $0
    Push $1
    Push $2
    ${Do}
        StrCpy $0 ""
        System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "${INSTANCE_MUTEX}") p .r0'
        ${If} $0 != 0
            System::Call 'kernel32::CloseHandle(p r0)'
            StrCpy $1 "${RUNNING_TEXT}"
        ${Else}
            StrCpy $0 ""
!if "${UN}" == ""
            !insertmacro FOR_EACH_FILE FIRST_IN_USE
!endif
            StrCpy $1 "$0 in$\n$\n$INSTDIR$\n$\nis in use. ${IN_USE_TEXT}"
        ${EndIf}
        ${If} $0 == ""
            ${Break}
        ${EndIf}
        ${IfNot} ${Cmd} `MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$1" /SD IDCANCEL IDRETRY`
            SetErrorLevel 2
            Quit
        ${EndIf}
    ${Loop}
    Pop $2
    Pop $1
    Pop $0
FunctionEnd

; Runs the PATH tool (carried inside this program) with $0 "add" or "remove"; $0: its exit
; code (tools/ap-path: 0 changed, 1 nothing to change, 3 too long, others failed; 5 when it
; did not start).
Function ${UN}EditPath
    InitPluginsDir
    File "/oname=$PLUGINSDIR\ap-path.exe" "${PATH_TOOL}"
    ClearErrors
    ExecWait '"$PLUGINSDIR\ap-path.exe" $0 "$INSTDIR"' $0
    ${IfThen} ${Errors} ${|} StrCpy $0 5 ${|}
    Delete "$PLUGINSDIR\ap-path.exe"
FunctionEnd
!macroend
!insertmacro BOTH_FUNCTIONS ""
!insertmacro BOTH_FUNCTIONS "un."

; Each file of the version installed before set aside, each new one put in its place, and
; should any of that fail, the ones set aside put back: $R9 is 1 once something failed.
!macro SET_ASIDE F
    ${If} $R9 = 0
    ${AndIf} ${FileExists} "$INSTDIR\${F}"
        Delete "$INSTDIR\${F}${PREVIOUS}"
        ClearErrors
        Rename "$INSTDIR\${F}" "$INSTDIR\${F}${PREVIOUS}"
        ${IfThen} ${Errors} ${|} StrCpy $R9 1 ${|}
    ${EndIf}
!macroend
!macro PUT F
    ${If} $R9 = 0
        ClearErrors
        File "/oname=$INSTDIR\${F}" "${STAGE}\${F}"
        ${IfThen} ${Errors} ${|} StrCpy $R9 1 ${|}
    ${EndIf}
!macroend
!macro PUT_BACK F
    ${If} ${FileExists} "$INSTDIR\${F}${PREVIOUS}"
        Delete "$INSTDIR\${F}"
        Rename "$INSTDIR\${F}${PREVIOUS}" "$INSTDIR\${F}"
    ${EndIf}
!macroend
!macro DROP_PREVIOUS F
    Delete "$INSTDIR\${F}${PREVIOUS}"
!macroend
; The uninstaller's: each file deleted if nothing holds it; $R9 is 1 when one stays.
!macro DELETE F
    Delete "$INSTDIR\${F}"
    ${IfThen} ${FileExists} "$INSTDIR\${F}" ${|} StrCpy $R9 1 ${|}
!macroend

Function .onInit
    Call WaitUntilClosed
FunctionEnd

Function un.onInit
    ; Started by the uninstall entry, the uninstaller runs from a copy of itself in %TEMP%,
    ; whose own removal at the restart a standard user may not arrange: the next logon
    ; deletes it (only the copy, and its folder if that is then empty).
    ${If} $EXEDIR != $INSTDIR
    ${AndIfNot} ${FileExists} "$EXEDIR\Uninstall.exe"
        WriteRegStr HKCU "${RUNONCE_KEY}" "${APPNAME} uninstaller copy" \
            '"$SYSDIR\cmd.exe" /c del /f /q "$EXEPATH" & rd "$EXEDIR"'
    ${EndIf}
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
    ; The user may have started the utility, or a file may have been opened, since the first
    ; page.
    Call WaitUntilClosed
    ; An uninstall left waiting for the next logon would remove this install.
    DeleteRegValue HKCU "${RUNONCE_KEY}" "${APPNAME} uninstall"

    ; The new files replace the ones there all or none: the version installed before stays
    ; whole when one cannot be written.
    CreateDirectory "$INSTDIR\OEM"
    SetOverwrite try
    StrCpy $R9 0
    !insertmacro FOR_EACH_FILE SET_ASIDE
    !insertmacro FOR_EACH_FILE PUT
    ${If} $R9 = 1
        !insertmacro FOR_EACH_FILE PUT_BACK
        DetailPrint "Not all files could be written; the installed ones are kept as they were."
        MessageBox MB_OK|MB_ICONSTOP \
            "The files of ${APPNAME} ${VERSION} could not all be written to$\n$\n$INSTDIR$\n$\nThe files there before are kept as they were." \
            /SD IDOK
        SetErrorLevel 2
        Abort
    ${EndIf}
    !insertmacro FOR_EACH_FILE DROP_PREVIOUS
    SetOverwrite on
    SetOutPath "$INSTDIR"
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

    ; The program folder on the user's PATH, once, so that "ap-config" works by name in the
    ; next command prompt. The tool edits a value of any length; PathEntry records that this
    ; installer added the entry, so that the uninstaller takes off only an entry of its own.
    StrCpy $0 add
    Call EditPath
    ${If} $0 = 0
        WriteRegDWORD HKCU "Software\${APPNAME}" "PathEntry" 1
    ${ElseIf} $0 <> 1
        DetailPrint "$INSTDIR was not added to PATH (ap-path: $0)"
        MessageBox MB_OK|MB_ICONINFORMATION \
            "This folder could not be added to your PATH (it would be too long, or it could not be written):$\n$\n$INSTDIR$\n$\nYour PATH is left as it was. To run ap-config by name, add the folder under $\"Edit environment variables for your account$\"." \
            /SD IDOK
    ${EndIf}

    ; The working folder: the logo beside the key file the utility writes. A logo there is
    ; the user's to replace, and stays.
    CreateDirectory "$LOCALAPPDATA\${APPNAME}\OEM"
    ${IfNot} ${FileExists} "$LOCALAPPDATA\${APPNAME}\OEM\Logo.bmp"
        CopyFiles /SILENT "$INSTDIR\OEM\Logo.bmp" "$LOCALAPPDATA\${APPNAME}\OEM"
    ${EndIf}

    ; The Start-menu folder of earlier versions, with the shortcuts they made.
    Delete "$SMPROGRAMS\${APPNAME}\${APPNAME}.lnk"
    Delete "$SMPROGRAMS\${APPNAME}\Uninstall ${APPNAME}.lnk"
    Delete "$SMPROGRAMS\${APPNAME}\README.lnk"
    RMDir "$SMPROGRAMS\${APPNAME}"
    CreateDirectory "$SMPROGRAMS\${MENUNAME}"
!ifdef UTILITY
    ; A shortcut starts in the output folder at the time it is made.
    SetOutPath "$LOCALAPPDATA\${APPNAME}"
    CreateShortcut "$SMPROGRAMS\${MENUNAME}\${MENUNAME}.lnk" "$INSTDIR\ap-utility.exe" "" \
        "$INSTDIR\ap-utility.exe" 0
!endif
    SetOutPath "$INSTDIR"
    CreateShortcut "$SMPROGRAMS\${MENUNAME}\Uninstall ${MENUNAME}.lnk" "$INSTDIR\Uninstall.exe"
    CreateShortcut "$SMPROGRAMS\${MENUNAME}\README.lnk" "$INSTDIR\README.txt"
SectionEnd

Section "Uninstall"
    SetShellVarContext current
    Call un.WaitUntilClosed
!ifdef UTILITY
    Delete "$SMPROGRAMS\${MENUNAME}\${MENUNAME}.lnk"
!endif
    Delete "$SMPROGRAMS\${MENUNAME}\Uninstall ${MENUNAME}.lnk"
    Delete "$SMPROGRAMS\${MENUNAME}\README.lnk"
    RMDir "$SMPROGRAMS\${MENUNAME}"

    ; Only the PATH entry this installer added goes; one the user had stays.
    ReadRegDWORD $0 HKCU "Software\${APPNAME}" "PathEntry"
    ${If} $0 = 1
        StrCpy $0 remove
        Call un.EditPath
        ${If} $0 > 1
            DetailPrint "$INSTDIR was not taken off PATH (ap-path: $0)"
        ${Else}
            DeleteRegValue HKCU "Software\${APPNAME}" "PathEntry"
        ${EndIf}
    ${EndIf}

    ; What something else still holds open stays, and so do the uninstaller and its entry:
    ; the uninstaller runs again at the next logon, when it is no longer held. (A standard
    ; user may not have files deleted at the restart.)
    StrCpy $R9 0
    !insertmacro FOR_EACH_FILE DELETE
    RMDir "$INSTDIR\OEM"
    ${If} $R9 = 1
        WriteRegStr HKCU "${RUNONCE_KEY}" "${APPNAME} uninstall" '"$INSTDIR\Uninstall.exe" /S'
        DetailPrint "Files in use stay in $INSTDIR until the next logon."
        MessageBox MB_OK|MB_ICONINFORMATION \
            "Some files of ${APPNAME} are in use; they are removed when you next log on." \
            /SD IDOK
    ${Else}
        Delete "$INSTDIR\Uninstall.exe"
        RMDir "$INSTDIR"
        DeleteRegValue HKCU "${RUNONCE_KEY}" "${APPNAME} uninstall"
        DeleteRegKey HKCU "${UNINSTALL_KEY}"
        DeleteRegKey HKCU "Software\${APPNAME}"
    ${EndIf}
    ; The working folder stays: it holds the user's keys (OEM.tmp) and logo.
SectionEnd
