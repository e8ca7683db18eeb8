; The installer of the Windows build: the programs into Program Files, a Start-menu
; shortcut, an uninstaller, and a per-user working folder under %LOCALAPPDATA% that holds
; OEM\Logo.bmp, where the shortcut starts the utility so that its key file (OEM.tmp) is
; writable without administrator rights.
; makensis -DVERSION=1.0.2.0 -DSTAGE=<folder with the files> -DOUTFILE=<installer.exe>
;          [-DUTILITY] (when ap-utility.exe is among the files)
Unicode true
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!define APPNAME "ap-utility"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${APPNAME}"

Name "${APPNAME} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES\${APPNAME}"
InstallDirRegKey HKLM "Software\${APPNAME}" "InstallDir"

VIProductVersion "${VERSION}"
VIAddVersionKey "ProductName" "${APPNAME}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "${APPNAME} ${VERSION} installer"
VIAddVersionKey "LegalCopyright" "The ${APPNAME} developers"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section "Install"
    SetShellVarContext current
    SetOutPath "$INSTDIR"
    File /r "${STAGE}\*.*"
    WriteUninstaller "$INSTDIR\Uninstall.exe"
    WriteRegStr HKLM "Software\${APPNAME}" "InstallDir" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${APPNAME} ${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1

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
    Delete "$SMPROGRAMS\${APPNAME}\*.lnk"
    RMDir "$SMPROGRAMS\${APPNAME}"
    Delete "$INSTDIR\ap-utility.exe"
    Delete "$INSTDIR\ap-config.exe"
    Delete "$INSTDIR\Uninstall.exe"
    Delete "$INSTDIR\README.txt"
    Delete "$INSTDIR\OEM\Logo.bmp"
    RMDir "$INSTDIR\OEM"
    RMDir "$INSTDIR"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
    DeleteRegKey HKLM "Software\${APPNAME}"
    ; The working folder stays: it holds the user's keys (OEM.tmp).
SectionEnd
