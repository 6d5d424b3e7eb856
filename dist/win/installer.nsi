; The Windows installer. tools/package-windows.sh runs makensis with
;   /DVERSION=1.00 /DFILE_VERSION=1.0.0.0 /DFILES=<folder of the files to install>
;   /DOUTFILE=<setup.exe> [/DICON=<.ico>]
; Run by an ordinary user it installs for that user alone; run elevated it installs
; for all users, unless /CurrentUser is given.

Unicode true
Target amd64-unicode
ManifestDPIAware true
RequestExecutionLevel user
SetCompressor /SOLID lzma
; A file that cannot be written (a running Plexifold) stops the setup rather than being
; skipped, which a silent setup would do without a word.
AllowSkipFiles off

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh

!define NAME "Plexifold"
!define PUBLISHER "The Plexifold developers"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${NAME}"
!define UNINSTALLER "uninstall.exe"

Name "${NAME}"
OutFile "${OUTFILE}"
BrandingText "${NAME} ${VERSION}"

VIProductVersion "${FILE_VERSION}"
VIAddVersionKey /LANG=1033 "ProductName" "${NAME}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileDescription" "${NAME} ${VERSION} Setup"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (c) 2026 ${PUBLISHER}"

!ifdef ICON
    !define MUI_ICON "${ICON}"
    !define MUI_UNICON "${ICON}"
!endif
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\plexifold.exe"
; The licence grants, it asks nothing to be agreed to: the page informs and goes on.
!define MUI_LICENSEPAGE_BUTTON "$(^NextBtn)"
!define MUI_LICENSEPAGE_TEXT_BOTTOM "$(^Name) is free software under the MIT licence above."

!insertmacro MUI_PAGE_LICENSE "${FILES}\LICENSE.txt"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; Every file the installer puts down; the uninstaller removes exactly these.
!macro InstalledFiles DO
    !insertmacro ${DO} "plexifold.exe"
    !insertmacro ${DO} "plexifold-split.exe"
    !insertmacro ${DO} "LICENSE.txt"
    !insertmacro ${DO} "README.txt"
!macroend
!macro InstallFile FILE
    File "${FILES}\${FILE}"
!macroend
!macro RemoveFile FILE
    Delete "$INSTDIR\${FILE}"
!macroend

Var AllUsers

; An elevated installer (UserInfo says "Admin" only for an elevated token) works for
; all users: Program Files, the common Start menu and HKLM. Otherwise, or with
; /CurrentUser, it works for the current user: their own programs folder and HKCU.
Function .onInit
    SetRegView 64
    UserInfo::GetAccountType
    Pop $0
    ${GetParameters} $1
    ClearErrors
    ${GetOptions} $1 "/CurrentUser" $2
    ${If} $0 == "Admin"
    ${AndIf} ${Errors}
        StrCpy $AllUsers 1
        SetShellVarContext all
    ${Else}
        StrCpy $AllUsers 0
        SetShellVarContext current
    ${EndIf}
    ReadRegStr $INSTDIR SHCTX "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $INSTDIR != ""
        Return
    ${ElseIf} $AllUsers = 1
        StrCpy $INSTDIR "$PROGRAMFILES64\${NAME}"
    ${Else}
        GetKnownFolderPath $INSTDIR {5CD7AEE2-2219-4A67-B85D-6C9CE15660CB} ; UserProgramFiles
        ${If} $INSTDIR == ""
            StrCpy $INSTDIR "$LOCALAPPDATA\Programs"
        ${EndIf}
        StrCpy $INSTDIR "$INSTDIR\${NAME}"
    ${EndIf}
FunctionEnd

Section "Install"
    SetOutPath "$INSTDIR"
    !insertmacro InstalledFiles InstallFile
    WriteUninstaller "$INSTDIR\${UNINSTALLER}"
    CreateShortcut "$SMPROGRAMS\${NAME}.lnk" "$INSTDIR\plexifold.exe"

    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${NAME}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\plexifold.exe,0"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; The uninstaller serves the installation it sits in: an all-users one when HKLM
; names its folder, which needs an elevated uninstaller.
Function un.onInit
    SetRegView 64
    SetShellVarContext all
    ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $0 != $INSTDIR
        SetShellVarContext current
        Return
    ${EndIf}
    UserInfo::GetAccountType
    Pop $1
    ${If} $1 != "Admin"
        MessageBox MB_OK|MB_ICONSTOP \
            "${NAME} is installed for all users. Run its uninstaller as an administrator." /SD IDOK
        SetErrorLevel 5 ; ERROR_ACCESS_DENIED
        Quit
    ${EndIf}
FunctionEnd

; Only the installed files go, and the folder if nothing else is left in it: the
; folder may have been chosen by hand and hold the user's own files. A file that stays
; (a running Plexifold) keeps the uninstaller and its key for another try.
Section "Uninstall"
    ClearErrors
    !insertmacro InstalledFiles RemoveFile
    ${If} ${Errors}
        MessageBox MB_OK|MB_ICONSTOP \
            "Some files of ${NAME} are in use. Close ${NAME} and run the uninstaller again." /SD IDOK
        SetErrorLevel 32 ; ERROR_SHARING_VIOLATION
        Abort
    ${EndIf}
    Delete "$INSTDIR\${UNINSTALLER}"
    RMDir "$INSTDIR"
    Delete "$SMPROGRAMS\${NAME}.lnk"
    DeleteRegKey SHCTX "${UNINSTALL_KEY}"
SectionEnd
