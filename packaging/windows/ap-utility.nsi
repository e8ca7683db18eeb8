; The installer of the Windows build, per user and without elevation: after the licence, the
; programs and their documents into %LOCALAPPDATA%\Programs\ap-utility (or the folder chosen),
; the uninstall entry under HKCU, the program folder on the user's PATH, a Start-menu shortcut,
; and the user's working folder under %LOCALAPPDATA% that holds OEM\Logo.bmp, where the
; shortcut starts the utility so that its key file (OEM.tmp) is writable.
; makensis -DVERSION=1.0.2.0 -DSTAGE=<folder with the files> -DOUTFILE=<installer.exe>
;          -DICON=<AppIcon.ico> -DPATH_TOOL=<ap-path.exe> [-DUTILITY] (when ap-utility.exe
;          is among the files) [-DHOMEPAGE=<URL>] [-DSIGN=<command>] (run on the installer
;          and the uninstaller, with the file's name after it)
;
; What this installer keeps of an install, under HKCU\Software\ap-utility: InstallDir (the
; folder), PathEntry (the PATH entry it added, as written), LogoInstalled (1: the folder's
; OEM\Logo.bmp is the one it put there; any other is the user's and stays). While it writes
; the files, its journal there: PendingDir (the folder), PendingLogo (whether the logo is
; among the files), PendingPut (1 once every file there before is set aside as
; NAME.previous and the new ones are being written). An install ended half way is undone
; from the journal by whatever runs next, the installer or the uninstaller.
Unicode true
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true

!include LogicLib.nsh
!include FileFunc.nsh
!include WordFunc.nsh
!include nsDialogs.nsh

!define APPNAME "ap-utility"
; The name the Start menu shows, as the Linux desktop entry does.
!define MENUNAME "AP Utility"
!define PUBLISHER "The ${APPNAME} developers"
!define RECORD_KEY "Software\${APPNAME}"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${APPNAME}"
!define RUNONCE_KEY "Software\Microsoft\Windows\CurrentVersion\RunOnce"
; The exit codes of the installer and the uninstaller besides 0 (README.md, "Exit codes").
; The build's winget manifest takes its ExpectedReturnCodes from these lines: the word after
; the ";" is winget's name for the code.
!define EXIT_CANCELLED 1 ; cancelledByUser
!define EXIT_IN_USE 2 ; packageInUse
!define EXIT_DOWNGRADE 3 ; downgrade
!define EXIT_ROLLED_BACK 4 ; custom
!define EXIT_FOREIGN_FOLDER 5 ; invalidParameter
; The locks of the programs (InstanceLock): ap-config holds the writer lock while it writes,
; the utility the instance lock from its start to its end. Only these, no window caption
; another program might show too, tell that one runs.
!define WRITER_MUTEX "Local\ap-utility.ap-config"
!define INSTANCE_MUTEX "Local\ap-utility.instance"
!define AGAIN_TEXT "then choose Retry; Cancel leaves everything as it is."
!define WRITER_TEXT "ap-config is writing to the access point. Let it finish, ${AGAIN_TEXT}"
!define RUNNING_TEXT "${APPNAME} is running. Close it, ${AGAIN_TEXT}"
!define IN_USE_TEXT "Is ap-config running in a command prompt? Close the program that uses the file, ${AGAIN_TEXT}"
!define PREVIOUS ".previous"
!define WORK_DIR "$LOCALAPPDATA\${APPNAME}"
; The copy of the uninstaller the quiet uninstall runs (the caller's, overwritten each time).
!define QUIET_COPY "%TEMP%\${APPNAME}-uninstall.exe"

Name "${APPNAME} ${VERSION}"
BrandingText "${MENUNAME} ${VERSION}"
OutFile "${OUTFILE}"
Icon "${ICON}"
UninstallIcon "${ICON}"
InstallDir "$LOCALAPPDATA\Programs\${APPNAME}"
InstallDirRegKey HKCU "${RECORD_KEY}" "InstallDir"
LicenseData "${STAGE}\LICENSE.txt"
!ifdef SIGN
!finalize '${SIGN} "%1"' = 0
!uninstfinalize '${SIGN} "%1"' = 0
!endif

VIProductVersion "${VERSION}"
VIAddVersionKey "ProductName" "${APPNAME}"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "${APPNAME} ${VERSION} installer"
VIAddVersionKey "LegalCopyright" "${PUBLISHER}"

Var LogFile ; where this run writes down what it did
Var OwnLogo ; 1 when $INSTDIR\OEM\Logo.bmp is this installer's to replace or remove
Var PrevDir ; the folder of the install there before, when there is one
Var PrevLogo ; its LogoInstalled
Var Kept ; what of the user's this install kept, for its last page
Var Recorded ; 1 when the records name the folder being removed

Page license
Page directory "" "" CheckFolder
Page instfiles
Page custom KeptPage
UninstPage uninstConfirm
UninstPage instfiles

; The files in DIR besides the uninstaller: M is inserted with each; the logo only when LOGO
; is 1.
!macro FOR_EACH_FILE M DIR LOGO
!ifdef UTILITY
    !insertmacro ${M} "${DIR}" "ap-utility.exe"
!endif
    !insertmacro ${M} "${DIR}" "ap-config.exe"
    !insertmacro ${M} "${DIR}" "README.txt"
    !insertmacro ${M} "${DIR}" "ap-config.md"
    !insertmacro ${M} "${DIR}" "LICENSE.txt"
    ${If} ${LOGO} = 1
        !insertmacro ${M} "${DIR}" "OEM\Logo.bmp"
    ${EndIf}
!macroend

; $0: the first of the files (its path) that is there but cannot be opened for writing alone,
; as while a program runs from it or holds it open; empty when none is.
!macro FIRST_IN_USE DIR F
    ${If} $0 == ""
    ${AndIf} ${FileExists} "${DIR}\${F}"
        System::Call 'kernel32::CreateFileW(w "${DIR}\${F}", i 0x40000000, i 0, p 0, i 3, i 0, p 0) i .r1 ?e'
        Pop $2
        ${If} $1 <> -1
            System::Call 'kernel32::CloseHandle(i r1)'
        ${ElseIf} $2 = 32 ; ERROR_SHARING_VIOLATION (a read-only file is not in use)
            StrCpy $0 "${DIR}\${F}"
        ${EndIf}
    ${EndIf}
!macroend

; A line for the log (and the details on the page).
!macro LOG TEXT
    Push `${TEXT}`
!ifdef __UNINSTALL__
    Call un.Log
!else
    Call Log
!endif
!macroend
!define LOG "!insertmacro LOG"

; $0: 1 when the mutex NAME exists.
!macro MUTEX_HELD NAME
    System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "${NAME}") p .r0'
    ${If} $0 P<> 0
        System::Call 'kernel32::CloseHandle(p r0)'
        StrCpy $0 1
    ${EndIf}
!macroend

; Installer and uninstaller functions come in pairs: the uninstaller's carry "un.".
!macro BOTH_FUNCTIONS UN
Function ${UN}Log
    Exch $0
    Push $1
    DetailPrint "$0"
    ${If} $LogFile != ""
        ClearErrors
        FileOpen $1 "$LogFile" a
        ${IfNot} ${Errors}
            FileSeek $1 0 END
            FileWriteUTF16LE $1 "$0$\r$\n"
            FileClose $1
        ${EndIf}
    ${EndIf}
    Pop $1
    Pop $0
FunctionEnd

; The log: the file /LOG= names, else NAME in %TEMP%; begun anew by each run, in UTF-16.
Function ${UN}OpenLog
    Exch $0
    Push $1
    ${GetParameters} $1
    ClearErrors
    ${GetOptions} $1 "/LOG=" $LogFile
    ${If} ${Errors}
    ${OrIf} $LogFile == ""
        StrCpy $LogFile "$TEMP\$0"
    ${EndIf}
    ClearErrors
    FileOpen $0 "$LogFile" w
    ${If} ${Errors}
        StrCpy $LogFile ""
    ${Else}
        FileWriteUTF16LE /BOM $0 "$(^Name), $EXEPATH $1$\r$\n"
        FileClose $0
    ${EndIf}
    Pop $1
    Pop $0
FunctionEnd

; Waits until no copy of the utility runs, no ap-config writes and, for the installer, none
; of the files it replaces or removes is in use: asks Retry/Cancel meanwhile, naming what
; holds them. Cancel (and a silent run, which cannot ask) ends the run with EXIT_IN_USE
; before anything changes.
Function ${UN}WaitUntilClosed
    Push $0
    Push $1
    Push $2
    ${Do}
        StrCpy $0 ""
        !insertmacro MUTEX_HELD "${WRITER_MUTEX}"
        ${If} $0 = 1
            StrCpy $1 "${WRITER_TEXT}"
        ${Else}
            !insertmacro MUTEX_HELD "${INSTANCE_MUTEX}"
            ${If} $0 = 1
                StrCpy $1 "${RUNNING_TEXT}"
            ${Else}
                StrCpy $0 ""
!ifndef __UNINSTALL__
                !insertmacro FOR_EACH_FILE FIRST_IN_USE "$INSTDIR" 1
                ${If} $PrevDir != ""
                    !insertmacro FOR_EACH_FILE FIRST_IN_USE "$PrevDir" 1
                ${EndIf}
!endif
                StrCpy $1 "$0$\n$\nis in use. ${IN_USE_TEXT}"
            ${EndIf}
        ${EndIf}
        ${If} $0 == ""
            ${Break}
        ${EndIf}
        ${LOG} "$1"
        ${IfNot} ${Cmd} `MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$1" /SD IDCANCEL IDRETRY`
            SetErrorLevel ${EXIT_IN_USE}
            Quit
        ${EndIf}
    ${Loop}
    Pop $2
    Pop $1
    Pop $0
FunctionEnd

; Runs the PATH tool (carried inside this program) with $0 "add" or "remove" and the entry
; $1; $0: its exit code (tools/ap-path: 0 changed, 1 nothing to change, 3 too long, others
; failed; 5 when it did not start).
Function ${UN}EditPath
    InitPluginsDir
    File "/oname=$PLUGINSDIR\ap-path.exe" "${PATH_TOOL}"
    ClearErrors
    ExecWait '"$PLUGINSDIR\ap-path.exe" $0 "$1"' $0
    ${IfThen} ${Errors} ${|} StrCpy $0 5 ${|}
    Delete "$PLUGINSDIR\ap-path.exe"
FunctionEnd

; The install the journal names as ended half way undone: the files it had set aside put
; back, and once it was writing, the ones it wrote where there were none taken away, so that
; its folder is as it was before (in place, the install before whole again).
Function ${UN}UndoPending
    Push $0
    Push $1
    Push $2
    ReadRegStr $1 HKCU "${RECORD_KEY}" "PendingDir"
    ${If} $1 != ""
        ${LOG} "Undoing the install in $1 that was ended half way"
        ReadRegDWORD $0 HKCU "${RECORD_KEY}" "PendingPut"
        ReadRegDWORD $2 HKCU "${RECORD_KEY}" "PendingLogo"
        ${If} $0 = 1
            !insertmacro FOR_EACH_FILE TAKE_BACK "$1" $2
        ${EndIf}
        !insertmacro FOR_EACH_FILE PUT_BACK "$1" 1
        RMDir "$1\OEM"
        RMDir "$1"
        Call ${UN}EndJournal
    ${EndIf}
    Pop $2
    Pop $1
    Pop $0
FunctionEnd

Function ${UN}EndJournal
    DeleteRegValue HKCU "${RECORD_KEY}" "PendingDir"
    DeleteRegValue HKCU "${RECORD_KEY}" "PendingLogo"
    DeleteRegValue HKCU "${RECORD_KEY}" "PendingPut"
    DeleteRegKey /ifempty HKCU "${RECORD_KEY}"
FunctionEnd

; $0 (the folder of the install recorded, empty when there is none): 1 when the records say
; that folder's logo is the installer's: their LogoInstalled, or, for an install of an
; earlier version, which kept no such record and always put its logo there, always.
Function ${UN}ReadLogoRecord
    ${If} $0 != ""
        ClearErrors
        ReadRegDWORD $0 HKCU "${RECORD_KEY}" "LogoInstalled"
        ${IfThen} ${Errors} ${|} StrCpy $0 1 ${|}
    ${EndIf}
    ${IfThen} $0 != 1 ${|} StrCpy $0 0 ${|}
FunctionEnd

; The install in the folder $1: its PATH entry taken off (only the one the installer added,
; as it recorded it, and only when $Recorded says the records are this folder's), its
; files, those set aside by an update that did not finish, the logo when $2 is 1, and the
; uninstaller deleted; $R9 is 1 when a file stays.
Function ${UN}RemoveInstall
    Push $0
    StrCpy $0 ""
    ${IfThen} $Recorded = 1 ${|} ReadRegStr $0 HKCU "${RECORD_KEY}" "PathEntry" ${|}
    ${If} $0 == "1" ; as the first versions recorded it: the folder itself
        StrCpy $0 $1
    ${EndIf}
    ${If} $0 != ""
        Push $1
        StrCpy $1 $0
        StrCpy $0 remove
        Call ${UN}EditPath
        ${If} $0 > 1
            ${LOG} "$1 was not taken off PATH (ap-path: $0)"
        ${Else}
            DeleteRegValue HKCU "${RECORD_KEY}" "PathEntry"
        ${EndIf}
        Pop $1
    ${EndIf}
    StrCpy $R9 0
    !insertmacro FOR_EACH_FILE DELETE "$1" $2
    !insertmacro FOR_EACH_FILE DROP_PREVIOUS "$1" 1
    RMDir "$1\OEM"
    ${If} $R9 = 0
        ; Started by the uninstall entry, the uninstaller runs from its copy while the one
        ; that started it may still be ending: its file goes once that has ended.
        StrCpy $0 0
        ${Do}
            Delete "$1\Uninstall.exe"
            ${If} $EXEPATH == "$1\Uninstall.exe"
            ${OrIfNot} ${FileExists} "$1\Uninstall.exe"
            ${OrIf} $0 >= 50
                ${Break}
            ${EndIf}
            Sleep 100
            IntOp $0 $0 + 1
        ${Loop}
        RMDir "$1"
    ${EndIf}
    Pop $0
FunctionEnd
!macroend

; Each file of the version installed before set aside, each new one put in its place, and
; should any of that fail, the new ones taken away and the ones set aside put back: $R9 is 1
; once something failed.
!macro SET_ASIDE DIR F
    ${If} $R9 = 0
    ${AndIf} ${FileExists} "${DIR}\${F}"
        ClearErrors
        Rename "${DIR}\${F}" "${DIR}\${F}${PREVIOUS}"
        ${IfThen} ${Errors} ${|} StrCpy $R9 1 ${|}
    ${EndIf}
!macroend
!macro PUT DIR F
    ${If} $R9 = 0
        ClearErrors
        File "/oname=${DIR}\${F}" "${STAGE}\${F}"
        ${IfThen} ${Errors} ${|} StrCpy $R9 1 ${|}
    ${EndIf}
!macroend
!macro PUT_BACK DIR F
    ${If} ${FileExists} "${DIR}\${F}${PREVIOUS}"
        Delete "${DIR}\${F}"
        Rename "${DIR}\${F}${PREVIOUS}" "${DIR}\${F}"
    ${EndIf}
!macroend
!macro TAKE_BACK DIR F
    Delete "${DIR}\${F}"
    !insertmacro PUT_BACK "${DIR}" "${F}"
!macroend
!macro DROP_PREVIOUS DIR F
    Delete "${DIR}\${F}${PREVIOUS}"
!macroend
; Each file deleted if nothing holds it; $R9 is 1 when one stays.
!macro DELETE DIR F
    Delete "${DIR}\${F}"
    ${IfThen} ${FileExists} "${DIR}\${F}" ${|} StrCpy $R9 1 ${|}
!macroend

!insertmacro BOTH_FUNCTIONS ""
!insertmacro BOTH_FUNCTIONS "un."

; $0: the folder $0 by its long name, as PATH and the records hold it, when it exists.
!macro LONG_NAME
    System::Call 'kernel32::GetLongPathNameW(w r0, w .r1, i ${NSIS_MAX_STRLEN}) i .r2'
    ${If} $2 > 0
        StrCpy $0 $1
    ${EndIf}
!macroend

!macro FIRST_PRESENT DIR F
    ${If} $0 == ""
    ${AndIf} ${FileExists} "${DIR}\${F}"
        StrCpy $0 "${DIR}\${F}"
    ${EndIf}
!macroend
; $0: the first file in $INSTDIR by one of the names this installer writes (a README.txt, a
; LICENSE.txt) when the folder holds another program's files: not this installer's folder
; by its records or its journal, and without ap-config.exe, which every install and zip of
; this program holds. Installing there would replace the file and the uninstall delete it.
Function ForeignFile
    Push $1
    Push $2
    Push $3
    StrCpy $0 $INSTDIR
    !insertmacro LONG_NAME
    StrCpy $1 $0
    StrCpy $0 ""
    ReadRegStr $2 HKCU "${RECORD_KEY}" "InstallDir"
    ReadRegStr $3 HKCU "${RECORD_KEY}" "PendingDir"
    ${If} $1 != $2
    ${AndIf} $1 != $3
    ${AndIfNot} ${FileExists} "$1\ap-config.exe"
        !insertmacro FOR_EACH_FILE FIRST_PRESENT "$1" 0
    ${EndIf}
    Pop $3
    Pop $2
    Pop $1
FunctionEnd
!define FOREIGN_TEXT "holds files of another program or of your own, which installing would replace. Choose an empty folder or a new one."

; The folder page's Install: refused while the folder holds files of someone else's.
Function CheckFolder
    Call ForeignFile
    ${If} $0 != ""
        MessageBox MB_OK|MB_ICONEXCLAMATION "$INSTDIR ${FOREIGN_TEXT}$\n$\n$0"
        Abort
    ${EndIf}
FunctionEnd

Function .onInit
    Push "${APPNAME}-setup.log"
    Call OpenLog
    ; A folder given by /D= that NSIS does not take (a drive's root, a quoted one) leaves the
    ; default folder in $INSTDIR: refused, rather than installed elsewhere as if it succeeded.
    System::Call 'kernel32::GetCommandLineW() t .r0'
    ${WordFind} "$0" "/D=" "E-1}" $1
    ${IfNot} ${Errors}
        ${Do} ; without the quote and spaces that may end the command line
            StrCpy $2 $1 1 -1
            ${If} $2 != '"'
            ${AndIf} $2 != " "
                ${Break}
            ${EndIf}
            StrCpy $1 $1 -1
        ${Loop}
        ${If} "$1" != "$INSTDIR"
        ${AndIf} "$1" != "$INSTDIR\"
            ${LOG} "Not installed: the folder /D= names cannot be installed into: $1"
            MessageBox MB_OK|MB_ICONSTOP "${APPNAME} cannot be installed into$\n$\n$1" /SD IDOK
            SetErrorLevel ${EXIT_FOREIGN_FOLDER}
            Quit
        ${EndIf}
    ${EndIf}
    ; The install there before, by its records (the uninstall entry tells that it is whole).
    ReadRegStr $PrevDir HKCU "${RECORD_KEY}" "InstallDir"
    ReadRegStr $R0 HKCU "${UNINSTALL_KEY}" "DisplayVersion"
    ${If} $R0 == ""
        StrCpy $PrevDir ""
    ${EndIf}
    StrCpy $0 $PrevDir
    Call ReadLogoRecord
    StrCpy $PrevLogo $0

    ; An older version over a newer one only when asked: /ALLOWDOWNGRADE, or Yes to the
    ; question. The same version installs again (a repair).
    ${If} $R0 != ""
        ${VersionCompare} $R0 "${VERSION}" $R1
        ${GetParameters} $R2
        ClearErrors
        ${GetOptions} $R2 "/ALLOWDOWNGRADE" $R3
        ${If} $R1 = 1
        ${AndIf} ${Errors}
            ${LOG} "${APPNAME} $R0, newer than ${VERSION}, is installed."
            ${If} ${Silent}
                ${LOG} "Not replaced by the older version without /ALLOWDOWNGRADE."
                SetErrorLevel ${EXIT_DOWNGRADE}
                Quit
            ${EndIf}
            MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 \
                "${APPNAME} $R0 is installed, which is newer than this ${VERSION}.$\n$\nReplace it with the older version?" \
                IDYES downgrade
            ${LOG} "Not replaced: the older version was declined."
            SetErrorLevel ${EXIT_CANCELLED}
            Quit
            downgrade:
            ${LOG} "Replacing it with the older version, as chosen."
        ${EndIf}
    ${EndIf}
    Call WaitUntilClosed
FunctionEnd

Function un.onInit
    Push "${APPNAME}-uninstall.log"
    Call un.OpenLog
    ; Started by the uninstall entry, the uninstaller runs from a copy of itself in %TEMP%,
    ; whose own removal at the restart a standard user may not arrange: the next logon
    ; deletes it (only the copy, and its folder if that is then empty), under a name of this
    ; run's own, so that two uninstalls before a logon remove both copies. Only a copy in a
    ; folder NSIS made for it (%TEMP%\~nsuN.tmp): one the user made and started with _?=
    ; is theirs, and so is its folder.
    ${GetFileName} "$EXEDIR" $0
    StrCpy $1 $0 4
    StrCpy $2 $0 "" -4
    ${If} $EXEDIR != $INSTDIR
    ${AndIfNot} ${FileExists} "$EXEDIR\Uninstall.exe"
    ${AndIf} $1 == "~nsu"
    ${AndIf} $2 == ".tmp"
        System::Call 'kernel32::GetCurrentProcessId() i .r1'
        WriteRegStr HKCU "${RUNONCE_KEY}" "${APPNAME} uninstaller copy $0 $1" \
            '"$SYSDIR\cmd.exe" /c del /f /q "$EXEPATH" & rd "$EXEDIR"'
    ${EndIf}
    ; The folder by its long name, as PATH and the records hold it, even when the
    ; uninstaller was started by a short one.
    StrCpy $0 $INSTDIR
    !insertmacro LONG_NAME
    StrCpy $INSTDIR $0
    ; The records are this folder's only when they name it: else they belong to another
    ; install, which this uninstaller leaves alone.
    ReadRegStr $0 HKCU "${RECORD_KEY}" "InstallDir"
    StrCpy $Recorded 0
    ${If} $0 == $INSTDIR
        StrCpy $Recorded 1
    ${Else}
        StrCpy $0 ""
    ${EndIf}
    Call un.ReadLogoRecord
    StrCpy $OwnLogo $0
    Call un.WaitUntilClosed
FunctionEnd

Section "Install"
    SetShellVarContext current
    ; The user may have started the utility, or a file may have been opened, since the first
    ; page.
    Call WaitUntilClosed
    ; A folder that holds files of someone else's is refused (on the folder page, and here for
    ; a silent run or a folder changed since).
    Call ForeignFile
    ${If} $0 != ""
        ${LOG} "Not installed: $INSTDIR ${FOREIGN_TEXT} ($0)"
        MessageBox MB_OK|MB_ICONSTOP "$INSTDIR ${FOREIGN_TEXT}$\n$\n$0" /SD IDOK
        SetErrorLevel ${EXIT_FOREIGN_FOLDER}
        Quit
    ${EndIf}
    ; An uninstall left waiting for the next logon would remove this install.
    DeleteRegValue HKCU "${RUNONCE_KEY}" "${APPNAME} uninstall"
    ${If} ${FileExists} "$INSTDIR\*.*"
        StrCpy $0 $INSTDIR
        !insertmacro LONG_NAME
        StrCpy $INSTDIR $0
    ${EndIf}
    ${If} $PrevDir == $INSTDIR
        StrCpy $PrevDir ""
        StrCpy $OwnLogo $PrevLogo
    ${Else}
        StrCpy $OwnLogo 0
    ${EndIf}
    ${LOG} "Installing ${APPNAME} ${VERSION} in $INSTDIR"

    ; An install that was ended half way undone, so that this one starts from the last
    ; whole install.
    Call UndoPending

    ; A logo already in the folder is the user's unless the records say this installer put
    ; it there: it stays as it is (as in the folder a zip was unpacked to).
    ${If} $OwnLogo <> 1
    ${AndIf} ${FileExists} "$INSTDIR\OEM\Logo.bmp"
        StrCpy $Kept "$INSTDIR\OEM\Logo.bmp"
    ${Else}
        StrCpy $OwnLogo 1
    ${EndIf}

    ; The new files replace the ones there all or none: the version installed before stays
    ; whole when one cannot be written.
    CreateDirectory "$INSTDIR\OEM"
    SetOverwrite try
    StrCpy $R9 0
    WriteRegStr HKCU "${RECORD_KEY}" "PendingDir" "$INSTDIR"
    WriteRegDWORD HKCU "${RECORD_KEY}" "PendingLogo" $OwnLogo
    !insertmacro FOR_EACH_FILE SET_ASIDE "$INSTDIR" $OwnLogo
    WriteRegDWORD HKCU "${RECORD_KEY}" "PendingPut" 1
    !insertmacro FOR_EACH_FILE PUT "$INSTDIR" $OwnLogo
    ${If} $R9 = 1
        !insertmacro FOR_EACH_FILE TAKE_BACK "$INSTDIR" $OwnLogo
        RMDir "$INSTDIR\OEM"
        RMDir "$INSTDIR"
        Call EndJournal
        ${LOG} "Not all files could be written; the installed ones are kept as they were."
        MessageBox MB_OK|MB_ICONSTOP \
            "The files of ${APPNAME} ${VERSION} could not all be written to$\n$\n$INSTDIR$\n$\nThe files there before are kept as they were." \
            /SD IDOK
        SetErrorLevel ${EXIT_ROLLED_BACK}
        Abort
    ${EndIf}
    !insertmacro FOR_EACH_FILE DROP_PREVIOUS "$INSTDIR" 1
    Call EndJournal
    SetOverwrite on
    SetOutPath "$INSTDIR"
    WriteUninstaller "$INSTDIR\Uninstall.exe"

    ; Installed in another folder than the install before: that one goes now that this one
    ; is whole, through its own records (its PATH entry, its logo), so that there is one
    ; install and one PATH entry.
    ${If} $PrevDir != ""
        ${LOG} "Removing the install in $PrevDir"
        StrCpy $1 $PrevDir
        StrCpy $2 $PrevLogo
        StrCpy $Recorded 1
        Call RemoveInstall
        ${IfThen} $R9 = 1 ${|} ${LOG} "Files in $PrevDir could not be removed." ${|}
    ${EndIf}

    WriteRegStr HKCU "${RECORD_KEY}" "InstallDir" "$INSTDIR"
    WriteRegDWORD HKCU "${RECORD_KEY}" "LogoInstalled" $OwnLogo
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${APPNAME} ${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Uninstall.exe,0"
!ifdef HOMEPAGE
    WriteRegStr HKCU "${UNINSTALL_KEY}" "URLInfoAbout" "${HOMEPAGE}"
!else
    DeleteRegValue HKCU "${UNINSTALL_KEY}" "URLInfoAbout"
!endif
    WriteRegStr HKCU "${UNINSTALL_KEY}" "HelpLink" "$INSTDIR\README.txt"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
    ; The quiet uninstall that deployment tools run waits for the uninstall and ends with its
    ; exit code. Uninstall.exe started in its folder cannot: NSIS's start hands over to a copy
    ; of it in %TEMP% and ends with 0 at once, before any of this script runs. So the entry
    ; runs a copy itself, with _?=, which does the work in the folder and is waited for.
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" \
        '"$SYSDIR\cmd.exe" /c copy /y "$INSTDIR\Uninstall.exe" "${QUIET_COPY}" >nul && "${QUIET_COPY}" /S _?=$INSTDIR'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0

    ; The program folder on the user's PATH, once, so that "ap-config" works by name in the
    ; next command prompt. The tool edits a value of any length; PathEntry records the entry
    ; this installer added, so that the uninstaller takes off only that one.
    StrCpy $0 add
    StrCpy $1 $INSTDIR
    Call EditPath
    ${If} $0 = 0
        WriteRegStr HKCU "${RECORD_KEY}" "PathEntry" "$INSTDIR"
    ${ElseIf} $0 <> 1
        ${LOG} "$INSTDIR was not added to PATH (ap-path: $0)"
        MessageBox MB_OK|MB_ICONINFORMATION \
            "This folder could not be added to your PATH (it would be too long, or it could not be written):$\n$\n$INSTDIR$\n$\nYour PATH is left as it was. To run ap-config by name, add the folder under $\"Edit environment variables for your account$\"." \
            /SD IDOK
    ${EndIf}

    ; The working folder: the logo beside the key file the utility writes. A logo or a key
    ; file there is the user's, and stays; the ones of a folder the user worked in before
    ; (where a zip was unpacked) are carried over when it has none.
    CreateDirectory "${WORK_DIR}\OEM"
    ${IfNot} ${FileExists} "${WORK_DIR}\OEM\Logo.bmp"
        CopyFiles /SILENT "$INSTDIR\OEM\Logo.bmp" "${WORK_DIR}\OEM"
    ${EndIf}
    ${If} ${FileExists} "$INSTDIR\OEM.tmp"
        ${IfThen} $Kept != "" ${|} StrCpy $Kept "$Kept$\n" ${|}
        StrCpy $Kept "$Kept$INSTDIR\OEM.tmp"
        ${IfNot} ${FileExists} "${WORK_DIR}\OEM.tmp"
            CopyFiles /SILENT "$INSTDIR\OEM.tmp" "${WORK_DIR}"
        ${EndIf}
    ${EndIf}
    ${If} $Kept != ""
        StrCpy $Kept "Your own files in the folder you chose are kept as they were:$\n$Kept$\n$\nThe Start-menu shortcut starts ${APPNAME} in ${WORK_DIR}, which holds copies of them unless it had its own."
        ${LOG} "$Kept"
    ${EndIf}

    ; The Start-menu folder of earlier versions, with the shortcuts they made.
    Delete "$SMPROGRAMS\${APPNAME}\${APPNAME}.lnk"
    Delete "$SMPROGRAMS\${APPNAME}\Uninstall ${APPNAME}.lnk"
    Delete "$SMPROGRAMS\${APPNAME}\README.lnk"
    RMDir "$SMPROGRAMS\${APPNAME}"
    CreateDirectory "$SMPROGRAMS\${MENUNAME}"
!ifdef UTILITY
    ; A shortcut starts in the output folder at the time it is made.
    SetOutPath "${WORK_DIR}"
    CreateShortcut "$SMPROGRAMS\${MENUNAME}\${MENUNAME}.lnk" "$INSTDIR\ap-utility.exe" "" \
        "$INSTDIR\ap-utility.exe" 0
!endif
    SetOutPath "$INSTDIR"
    CreateShortcut "$SMPROGRAMS\${MENUNAME}\Uninstall ${MENUNAME}.lnk" "$INSTDIR\Uninstall.exe"
    CreateShortcut "$SMPROGRAMS\${MENUNAME}\README.lnk" "$INSTDIR\README.txt"
    ${LOG} "Installed."
SectionEnd

; The last page, only when the install kept files of the user's: which, and where.
Function KeptPage
    ${If} $Kept == ""
        Abort
    ${EndIf}
    SendMessage $HWNDPARENT ${WM_SETTEXT} 0 "STR:$(^Name) Setup: Your files kept"
    nsDialogs::Create 1018
    Pop $0
    ${NSD_CreateLabel} 0 0 100% 100% "$Kept"
    Pop $0
    GetDlgItem $0 $HWNDPARENT 2 ; Cancel: nothing is left to cancel
    EnableWindow $0 0
    GetDlgItem $0 $HWNDPARENT 1
    SendMessage $0 ${WM_SETTEXT} 0 "STR:$(^CloseBtn)"
    nsDialogs::Show
FunctionEnd

Section "Uninstall"
    SetShellVarContext current
    Call un.WaitUntilClosed
    Call un.UndoPending
!ifdef UTILITY
    Delete "$SMPROGRAMS\${MENUNAME}\${MENUNAME}.lnk"
!endif
    Delete "$SMPROGRAMS\${MENUNAME}\Uninstall ${MENUNAME}.lnk"
    Delete "$SMPROGRAMS\${MENUNAME}\README.lnk"
    RMDir "$SMPROGRAMS\${MENUNAME}"

    ; Only the PATH entry this installer added goes; one the user had stays. What something
    ; else still holds open stays, and so do the uninstaller and its entry: the uninstaller
    ; runs again at the next logon, when it is no longer held. (A standard user may not have
    ; files deleted at the restart.) A logo the records do not name, and a key file, are the
    ; user's and stay with their folder.
    StrCpy $1 $INSTDIR
    StrCpy $2 $OwnLogo
    Call un.RemoveInstall
    ${If} $R9 = 1
        WriteRegStr HKCU "${RUNONCE_KEY}" "${APPNAME} uninstall" '"$INSTDIR\Uninstall.exe" /S'
        ${LOG} "Files in use stay in $INSTDIR until the next logon."
        MessageBox MB_OK|MB_ICONINFORMATION \
            "Some files of ${APPNAME} are in use; they are removed when you next log on." \
            /SD IDOK
    ${Else}
        DeleteRegValue HKCU "${RUNONCE_KEY}" "${APPNAME} uninstall"
        ${If} $Recorded = 1
            DeleteRegKey HKCU "${UNINSTALL_KEY}"
            DeleteRegKey HKCU "${RECORD_KEY}"
        ${EndIf}
        ${LOG} "Uninstalled."
    ${EndIf}
    ; The working folder stays: it holds the user's keys (OEM.tmp) and logo.
SectionEnd
