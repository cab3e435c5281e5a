; The Kavrilon setup program. It installs in one of two kinds:
; - for all users: elevated, the programs side by side in Program Files\Kavrilon (the registration
;   utility expects its siblings in its own folder), the Start-menu shortcut and the entry under
;   Add/Remove Programs for every user, and, offered on a page of their own, autostart and the
;   desktop context menu for every user (through the registration utility). The setup may run as
;   another account than the user's, so nothing it writes goes into that account's profile.
; - for the current user: without elevation, the programs in %LOCALAPPDATA%\Programs\Kavrilon, the
;   shortcut, the entry, autostart (the user's Run key) and the context menu (the registration
;   below HKEY_CURRENT_USER that Kavrilon.exe writes for a copy outside Program Files) of this user.
; An administrator chooses the kind on the first page (all users by default); anyone else installs
; for the current user. Silently: /S with /ALLUSERS or /CURRENTUSER (by default as on the page). An
; installation of one kind over one of the other kind or over the Windows Installer package is
; refused (exit code 1638), as is one for all users without administrator rights (exit code 740).
; The uninstaller removes exactly what its kind installed; the layouts and backups in the data
; folder of the account that runs it only when asked on its first page, never in silent mode.
;
; The account's rights come from the UserInfo plugin; tests, which run where every account is an
; administrator, set the environment variable KAVRILON_SETUP_ACCOUNT_TYPE to the account type to
; assume instead ("User", for example).
;
; The build passes:
;   KV_VERSION          the version users see, e.g. 8.2
;   KV_VERSION_NUMBERS  the four numbers of the version block, e.g. 8.2.0.0
;   KV_BIN_DIR          the folder of the built programs
;   KV_NAMES_HEADER     the header with the names the programs agree on
;   KV_RES_DIR          the folder of the icons
;   KV_OUT_FILE         the setup program to write
;   KV_MSI_UPGRADE_CODE the upgrade code of the Windows Installer packages

Unicode true
ManifestDPIAware true
; Administrators are asked for elevation, anyone else runs with their own rights.
RequestExecutionLevel highest
SetCompressor /SOLID lzma

!include LogicLib.nsh
!include FileFunc.nsh
!include MUI2.nsh
!include nsDialogs.nsh
!include WinMessages.nsh
!include x64.nsh

; Names shared with the programs, taken from their header so they are written in one place only.
!macro KvName symbol cppName
    !searchparse /file "${KV_NAMES_HEADER}" `${cppName} = "` ${symbol} `"`
!macroend
!insertmacro KvName KV_MAIN_EXE MainProgramFileName
!insertmacro KvName KV_SHELLEXT_DLL ShellExtFileName
!insertmacro KvName KV_SHELLEXT64_DLL ShellExt64FileName
!insertmacro KvName KV_REGUTIL_EXE RegUtilFileName
!insertmacro KvName KV_UNINSTALLER_EXE UninstallerFileName
!insertmacro KvName KV_SHORTCUT StartMenuShortcutName
!insertmacro KvName KV_PUBLISHER PublisherName
!insertmacro KvName KV_TRAY_CLASS TrayWindowClassName
!insertmacro KvName KV_TRAY_TITLE TrayWindowTitle
!insertmacro KvName KV_VENDOR_FOLDER VendorFolderName
!insertmacro KvName KV_PRODUCT_FOLDER ProductFolderName
!insertmacro KvName KV_AUTOSTART_VALUE AutostartValueName
!insertmacro KvName KV_RUN_KEY_ESCAPED RunKeyPath
!insertmacro KvName KV_UNINSTALL_KEY_ESCAPED UninstallKeyPath
!searchparse /file "${KV_NAMES_HEADER}" `#define KV_SHELLEXT_CLSID_TEXT "` KV_CLSID `"`
; The header writes backslashes C-escaped.
!searchreplace KV_RUN_KEY "${KV_RUN_KEY_ESCAPED}" "\\" "\"
!searchreplace KV_UNINSTALL_KEY "${KV_UNINSTALL_KEY_ESCAPED}" "\\" "\"
!define KV_CLASS_KEY "Software\Classes\CLSID\${KV_CLSID}"
!define KV_INPROC_KEY "${KV_CLASS_KEY}\InProcServer32"
!define KV_HANDLER_PARENT "Software\Classes\Directory\Background\shellex\ContextMenuHandlers"
!define KV_HANDLER_KEY "${KV_HANDLER_PARENT}\Kavrilon"
!define KV_APPROVED_PARENT "Software\Microsoft\Windows\CurrentVersion\Shell Extensions"
!define KV_APPROVED_KEY "${KV_APPROVED_PARENT}\Approved"
; The exit codes of a refused setup.
!define KV_EXIT_RIGHTS_NEEDED 740
!define KV_EXIT_OTHER_KIND 1638

Name "Kavrilon ${KV_VERSION}"
OutFile "${KV_OUT_FILE}"
; The folder follows the kind of installation (see SetInstallKind), unless given with /D=.
InstallDir ""
BrandingText "Kavrilon ${KV_VERSION}"

VIProductVersion "${KV_VERSION_NUMBERS}"
VIFileVersion "${KV_VERSION_NUMBERS}"
VIAddVersionKey /LANG=1033 "ProductName" "Kavrilon"
VIAddVersionKey /LANG=1033 "ProductVersion" "${KV_VERSION}"
VIAddVersionKey /LANG=1033 "FileVersion" "${KV_VERSION}"
VIAddVersionKey /LANG=1033 "FileDescription" "Kavrilon ${KV_VERSION} Setup"
VIAddVersionKey /LANG=1033 "CompanyName" "${KV_PUBLISHER}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (C) 2008-2026 ${KV_PUBLISHER}"

!define MUI_ICON "${KV_RES_DIR}\Kavrilon.ico"
!define MUI_UNICON "${KV_RES_DIR}\Kavrilon.ico"
!define MUI_ABORTWARNING

; "all" (for all users) or "user" (for the current user only).
Var InstallKind
; The kind of the installed copy: "all", "user" or "" when there is none.
Var InstalledKind
; 1 when the account has administrator rights.
Var IsAdmin
; 1 when the folder was given on the command line (/D=).
Var FolderGiven
Var AllUsersButton
; The choices of the options page: 1 on, 0 off.
Var AutostartOption
Var ShellExtOption
Var AutostartBox
Var ShellExtBox
; The uninstaller's choice: 1 removes the user's layouts, backups and settings.
Var RemoveDataOption
Var RemoveDataBox

Page custom KindPageShow KindPageLeave
!insertmacro MUI_PAGE_DIRECTORY
Page custom OptionsPageShow OptionsPageLeave
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

UninstPage custom un.DataPageShow un.DataPageLeave
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "German"

LangString KindTitle ${LANG_ENGLISH} "Installation"
LangString KindTitle ${LANG_GERMAN} "Installation"
LangString KindSubtitle ${LANG_ENGLISH} "Choose for whom Kavrilon is installed."
LangString KindSubtitle ${LANG_GERMAN} "Wählen Sie, für wen Kavrilon installiert wird."
LangString AllUsersText ${LANG_ENGLISH} "For all users of this computer (in Program Files)"
LangString AllUsersText ${LANG_GERMAN} "Für alle Benutzer dieses Computers (in Programme)"
LangString CurrentUserText ${LANG_ENGLISH} "For me only (in my user profile)"
LangString CurrentUserText ${LANG_GERMAN} "Nur für mich (in meinem Benutzerprofil)"
LangString InstalledByPackage ${LANG_ENGLISH} "Kavrilon is installed on this computer by its Windows Installer package. Please ask your administrator to remove it first."
LangString InstalledByPackage ${LANG_GERMAN} "Kavrilon ist auf diesem Computer durch sein Windows-Installer-Paket installiert. Bitten Sie Ihren Administrator, es zuerst zu entfernen."
LangString InstalledForAllUsers ${LANG_ENGLISH} "Kavrilon is already installed for all users of this computer. To install it for yourself only, it must first be uninstalled (by an administrator); or install it for all users again."
LangString InstalledForAllUsers ${LANG_GERMAN} "Kavrilon ist bereits für alle Benutzer dieses Computers installiert. Um es nur für Sie zu installieren, muss es zuerst (von einem Administrator) deinstalliert werden; oder installieren Sie es wieder für alle Benutzer."
LangString InstalledForCurrentUser ${LANG_ENGLISH} "Kavrilon is already installed for you alone. To install it for all users, uninstall it first; or install it for yourself again."
LangString InstalledForCurrentUser ${LANG_GERMAN} "Kavrilon ist bereits nur für Sie installiert. Um es für alle Benutzer zu installieren, deinstallieren Sie es zuerst; oder installieren Sie es wieder nur für sich."
LangString OptionsTitle ${LANG_ENGLISH} "Options"
LangString OptionsTitle ${LANG_GERMAN} "Optionen"
LangString OptionsSubtitle ${LANG_ENGLISH} "Choose how Kavrilon fits into Windows."
LangString OptionsSubtitle ${LANG_GERMAN} "Wählen Sie, wie Kavrilon sich in Windows einfügt."
LangString AutostartText ${LANG_ENGLISH} "Start Kavrilon with Windows"
LangString AutostartText ${LANG_GERMAN} "Kavrilon mit Windows starten"
LangString ShellExtText ${LANG_ENGLISH} "Add Kavrilon to the desktop context menu"
LangString ShellExtText ${LANG_GERMAN} "Kavrilon zum Kontextmenü des Desktops hinzufügen"
LangString ShellExtFailed ${LANG_ENGLISH} "Kavrilon could not be added to the desktop context menu (code $0).$\r$\nYou can add it later in Kavrilon's options."
LangString ShellExtFailed ${LANG_GERMAN} "Kavrilon konnte nicht zum Kontextmenü des Desktops hinzugefügt werden (Code $0).$\r$\nSie können es später in den Optionen von Kavrilon hinzufügen."
LangString ShellExtRemoveFailed ${LANG_ENGLISH} "Kavrilon could not be removed from the desktop context menu (code $0)."
LangString ShellExtRemoveFailed ${LANG_GERMAN} "Kavrilon konnte nicht aus dem Kontextmenü des Desktops entfernt werden (Code $0)."
LangString AdminNeeded ${LANG_ENGLISH} "Kavrilon's setup needs administrator rights. Please start it as an administrator."
LangString AdminNeeded ${LANG_GERMAN} "Das Setup von Kavrilon benötigt Administratorrechte. Bitte starten Sie es als Administrator."
LangString DataTitle ${LANG_ENGLISH} "Uninstall Kavrilon"
LangString DataTitle ${LANG_GERMAN} "Kavrilon deinstallieren"
LangString DataSubtitle ${LANG_ENGLISH} "Remove Kavrilon from this computer."
LangString DataSubtitle ${LANG_GERMAN} "Kavrilon von diesem Computer entfernen."
LangString DataText ${LANG_ENGLISH} "Kavrilon will be removed from $INSTDIR.$\r$\n$\r$\nYour layouts, backups and settings are kept unless you tick the box below."
LangString DataText ${LANG_GERMAN} "Kavrilon wird aus $INSTDIR entfernt.$\r$\n$\r$\nIhre Layouts, Backups und Einstellungen bleiben erhalten, wenn Sie das Kästchen unten nicht ankreuzen."
LangString RemoveDataText ${LANG_ENGLISH} "Also remove my layouts, backups and settings"
LangString RemoveDataText ${LANG_GERMAN} "Auch meine Layouts, Backups und Einstellungen entfernen"

; Ends a running tray instance of this user, so that its program file can be replaced or removed:
; asks its window to close and waits for the process to end.
!macro DefineCloseTrayInstance un
Function ${un}CloseTrayInstance
    Push $0
    Push $1
    Push $2
    FindWindow $0 "${KV_TRAY_CLASS}" "${KV_TRAY_TITLE}"
    ${If} $0 <> 0
        StrCpy $1 0
        System::Call "user32::GetWindowThreadProcessId(p r0, *i .r1)"
        ; SYNCHRONIZE access is enough to wait for the end.
        System::Call "kernel32::OpenProcess(i 0x00100000, i 0, i r1) p .r2"
        SendMessage $0 ${WM_CLOSE} 0 0 /TIMEOUT=5000
        ${If} $2 <> 0
            System::Call "kernel32::WaitForSingleObject(p r2, i 10000)"
            System::Call "kernel32::CloseHandle(p r2)"
        ${EndIf}
    ${EndIf}
    Pop $2
    Pop $1
    Pop $0
FunctionEnd
!macroend
!insertmacro DefineCloseTrayInstance ""
!insertmacro DefineCloseTrayInstance "un."

; Deletes this account's autostart value when it starts the program in $INSTDIR (written by the
; program's options or an earlier setup); one that starts another copy stays.
!macro DefineDeleteOwnUserAutostart un
Function ${un}DeleteOwnUserAutostart
    Push $0
    ReadRegStr $0 HKCU "${KV_RUN_KEY}" "${KV_AUTOSTART_VALUE}"
    ${If} $0 == '"$INSTDIR\${KV_MAIN_EXE}"'
        DeleteRegValue HKCU "${KV_RUN_KEY}" "${KV_AUTOSTART_VALUE}"
    ${EndIf}
    Pop $0
FunctionEnd
!macroend
!insertmacro DefineDeleteOwnUserAutostart ""
!insertmacro DefineDeleteOwnUserAutostart "un."

; Leaves in $0 1 when the desktop context menu is registered with the shell extension in the folder
; given on the stack, else 0: for every user or for the current user, as the shell-variable
; context is.
Function IsShellExtRegisteredIn
    Exch $1
    ReadRegStr $0 SHCTX "${KV_INPROC_KEY}" ""
    ; Either extension: see RemoveUserShellExtEntries.
    ${If} $0 == "$1\${KV_SHELLEXT_DLL}"
    ${OrIf} $0 == "$1\${KV_SHELLEXT64_DLL}"
        StrCpy $0 1
    ${Else}
        StrCpy $0 0
    ${EndIf}
    Pop $1
FunctionEnd

; Sets $IsAdmin from the account's type (see the head of this file for the tests' stand-in).
!macro DefineReadAccountRights un
Function ${un}ReadAccountRights
    Push $0
    ReadEnvStr $0 KAVRILON_SETUP_ACCOUNT_TYPE
    ${If} $0 == ""
        UserInfo::GetAccountType
        Pop $0
    ${EndIf}
    ${If} $0 == "Admin"
        StrCpy $IsAdmin 1
    ${Else}
        StrCpy $IsAdmin 0
    ${EndIf}
    Pop $0
FunctionEnd
!macroend
!insertmacro DefineReadAccountRights ""
!insertmacro DefineReadAccountRights "un."

; Program Files, the machine-wide registry and the shell extension's entries for every user need
; administrator rights; without them (a standard account, or Windows XP without elevation) nothing
; is begun.
!macro RequireAdministrator
    ${If} $IsAdmin != 1
        MessageBox MB_OK|MB_ICONSTOP "$(AdminNeeded)" /SD IDOK
        SetErrorLevel ${KV_EXIT_RIGHTS_NEEDED}
        Quit
    ${EndIf}
!macroend

; Takes $InstallKind into force: the shell-variable context (Start menu, SHCTX), the folder unless
; one was given, and the choices of the options page, which an update keeps as they are in force.
Function SetInstallKind
    ${If} $InstallKind == "user"
        SetShellVarContext current
    ${Else}
        SetShellVarContext all
    ${EndIf}
    StrCpy $AutostartOption 1
    StrCpy $ShellExtOption 1
    ReadRegStr $0 SHCTX "${KV_UNINSTALL_KEY}" "InstallLocation"
    ${If} $FolderGiven != 1
        ${If} $0 != ""
            StrCpy $INSTDIR $0
        ${ElseIf} $InstallKind == "user"
            StrCpy $INSTDIR "$LOCALAPPDATA\Programs\Kavrilon"
        ${Else}
            StrCpy $INSTDIR "$PROGRAMFILES64\Kavrilon"
        ${EndIf}
    ${EndIf}
    ${If} $0 != ""
        ; Autostart: the value of this kind's Run key, or for all users the value that earlier
        ; versions wrote for this account.
        ReadRegStr $1 SHCTX "${KV_RUN_KEY}" "${KV_AUTOSTART_VALUE}"
        ReadRegStr $2 HKCU "${KV_RUN_KEY}" "${KV_AUTOSTART_VALUE}"
        ${If} $1 != '"$0\${KV_MAIN_EXE}"'
        ${AndIf} $2 != '"$0\${KV_MAIN_EXE}"'
            StrCpy $AutostartOption 0
        ${EndIf}
        Push $0
        Call IsShellExtRegisteredIn
        StrCpy $ShellExtOption $0
    ${EndIf}
FunctionEnd

; Refuses an installation over one of the other kind: a message, exit code 1638 and, with
; `quit`, the end of the setup. Leaves in $0 1 when refused.
!macro RefuseOtherKind quit
    StrCpy $0 0
    ${If} $InstalledKind != ""
    ${AndIf} $InstalledKind != $InstallKind
        ${If} $InstalledKind == "all"
            MessageBox MB_OK|MB_ICONSTOP "$(InstalledForAllUsers)" /SD IDOK
        ${Else}
            MessageBox MB_OK|MB_ICONSTOP "$(InstalledForCurrentUser)" /SD IDOK
        ${EndIf}
        StrCpy $0 1
        !if "${quit}" == "quit"
            SetErrorLevel ${KV_EXIT_OTHER_KIND}
            Quit
        !endif
    ${EndIf}
!macroend

; Explorer keeps a loaded shell extension open, and Kavrilon.exe may run in another user's session
; where the setup cannot close it: such a file cannot be replaced, but it can be renamed, so the
; copy in use moves aside (deleted at the next restart) and the new one takes its place.
!macro InstallFileInUse name
    ClearErrors
    Delete "$INSTDIR\${name}"
    ${If} ${Errors}
        GetTempFileName $R0 "$INSTDIR"
        Delete $R0
        Rename "$INSTDIR\${name}" $R0
        Delete /REBOOTOK $R0
    ${EndIf}
    File "${KV_BIN_DIR}\${name}"
!macroend

Function .onInit
    Call ReadAccountRights
    ${If} $INSTDIR != ""
        StrCpy $FolderGiven 1
    ${EndIf}
    ; The installed copy: the current user's entry, or the one for all users.
    StrCpy $InstalledKind ""
    ReadRegStr $0 HKLM "${KV_UNINSTALL_KEY}" "InstallLocation"
    ${If} $0 != ""
        StrCpy $InstalledKind "all"
    ${EndIf}
    ReadRegStr $0 HKCU "${KV_UNINSTALL_KEY}" "InstallLocation"
    ${If} $0 != ""
        StrCpy $InstalledKind "user"
    ${EndIf}
    ; A Windows Installer package of Kavrilon keeps its own record of the same files: neither kind
    ; is installed beside it.
    System::Call 'msi::MsiEnumRelatedProductsW(w "${KV_MSI_UPGRADE_CODE}", i 0, i 0, w .r1) i .r0'
    ${If} $0 == 0
        MessageBox MB_OK|MB_ICONSTOP "$(InstalledByPackage)" /SD IDOK
        SetErrorLevel ${KV_EXIT_OTHER_KIND}
        Quit
    ${EndIf}
    ; The kind: as asked on the command line, else that of the installed copy, else all users for
    ; an administrator and the current user for anyone else.
    ${GetParameters} $1
    ClearErrors
    ${GetOptions} $1 "/ALLUSERS" $2
    ${IfNot} ${Errors}
        StrCpy $InstallKind "all"
    ${Else}
        ClearErrors
        ${GetOptions} $1 "/CURRENTUSER" $2
        ${IfNot} ${Errors}
            StrCpy $InstallKind "user"
        ${ElseIf} $InstalledKind != ""
            StrCpy $InstallKind $InstalledKind
        ${ElseIf} $IsAdmin == 1
            StrCpy $InstallKind "all"
        ${Else}
            StrCpy $InstallKind "user"
        ${EndIf}
    ${EndIf}
    ${If} $InstallKind == "all"
        !insertmacro RequireAdministrator
    ${EndIf}
    !insertmacro RefuseOtherKind quit
    Call SetInstallKind
FunctionEnd

; The choice of the kind, for administrators only: anyone else installs for the current user.
Function KindPageShow
    ${If} $IsAdmin != 1
        Abort
    ${EndIf}
    !insertmacro MUI_HEADER_TEXT "$(KindTitle)" "$(KindSubtitle)"
    nsDialogs::Create 1018
    Pop $0
    ${If} $0 == error
        Abort
    ${EndIf}
    ${NSD_CreateRadioButton} 0 0 100% 12u "$(AllUsersText)"
    Pop $AllUsersButton
    ${NSD_CreateRadioButton} 0 20u 100% 12u "$(CurrentUserText)"
    Pop $0
    ${If} $InstallKind == "all"
        ${NSD_Check} $AllUsersButton
    ${Else}
        ${NSD_Check} $0
    ${EndIf}
    nsDialogs::Show
FunctionEnd

Function KindPageLeave
    ${NSD_GetState} $AllUsersButton $0
    ${If} $0 == ${BST_CHECKED}
        StrCpy $InstallKind "all"
    ${Else}
        StrCpy $InstallKind "user"
    ${EndIf}
    ; The page stays until a kind that can be installed is chosen.
    !insertmacro RefuseOtherKind ""
    ${If} $0 == 1
        Abort
    ${EndIf}
    Call SetInstallKind
FunctionEnd

Function OptionsPageShow
    !insertmacro MUI_HEADER_TEXT "$(OptionsTitle)" "$(OptionsSubtitle)"
    nsDialogs::Create 1018
    Pop $0
    ${If} $0 == error
        Abort
    ${EndIf}
    ${NSD_CreateCheckbox} 0 0 100% 12u "$(AutostartText)"
    Pop $AutostartBox
    ${NSD_SetState} $AutostartBox $AutostartOption
    ${NSD_CreateCheckbox} 0 20u 100% 12u "$(ShellExtText)"
    Pop $ShellExtBox
    ${NSD_SetState} $ShellExtBox $ShellExtOption
    nsDialogs::Show
FunctionEnd

Function OptionsPageLeave
    ${NSD_GetState} $AutostartBox $AutostartOption
    ${NSD_GetState} $ShellExtBox $ShellExtOption
FunctionEnd

; The current user's registration of the context menu in the registry view set before, naming
; the extension given on the stack in $INSTDIR: the six entries Kavrilon.exe writes for a copy
; outside Program Files (ShellExtRegistry.h). Sets the error flag when an entry could not be written.
!macro WriteUserShellExtEntries dll
    WriteRegStr HKCU "${KV_APPROVED_KEY}" "${KV_CLSID}" "Kavrilon"
    WriteRegStr HKCU "${KV_CLASS_KEY}" "" "Kavrilon"
    WriteRegStr HKCU "${KV_INPROC_KEY}" "" "$INSTDIR\${dll}"
    WriteRegStr HKCU "${KV_INPROC_KEY}" "ThreadingModel" "Apartment"
    WriteRegStr HKCU "${KV_INPROC_KEY}" "ExeLocation" "$INSTDIR\${KV_MAIN_EXE}"
    WriteRegStr HKCU "${KV_HANDLER_KEY}" "" "${KV_CLSID}"
!macroend

; Removes the current user's registration from the registry view set before when it names an
; extension in $INSTDIR (a registration of another copy stays), with the keys above it that are
; left empty. Either extension: where the system shares the user's classes between the views (as
; Wine does), the 32-bit view shows the 64-bit extension written last.
!macro DefineRemoveUserShellExtEntries un
Function ${un}RemoveUserShellExtEntries
    Push $0
    ReadRegStr $0 HKCU "${KV_INPROC_KEY}" ""
    ${If} $0 == "$INSTDIR\${KV_SHELLEXT_DLL}"
    ${OrIf} $0 == "$INSTDIR\${KV_SHELLEXT64_DLL}"
        DeleteRegValue HKCU "${KV_APPROVED_KEY}" "${KV_CLSID}"
        DeleteRegKey /ifempty HKCU "${KV_APPROVED_KEY}"
        DeleteRegKey /ifempty HKCU "${KV_APPROVED_PARENT}"
        DeleteRegKey HKCU "${KV_CLASS_KEY}"
        DeleteRegKey HKCU "${KV_HANDLER_KEY}"
        DeleteRegKey /ifempty HKCU "${KV_HANDLER_PARENT}"
        DeleteRegKey /ifempty HKCU "Software\Classes\Directory\Background\shellex"
        DeleteRegKey /ifempty HKCU "Software\Classes\Directory\Background"
        DeleteRegKey /ifempty HKCU "Software\Classes\Directory"
    ${EndIf}
    Pop $0
FunctionEnd
!macroend
!insertmacro DefineRemoveUserShellExtEntries ""
!insertmacro DefineRemoveUserShellExtEntries "un."

; Removes the current user's registration of this copy from every view it was written into.
!macro RemoveUserShellExt un
    Call ${un}RemoveUserShellExtEntries
    ${If} ${RunningX64}
        SetRegView 64
        Call ${un}RemoveUserShellExtEntries
        SetRegView default
    ${EndIf}
!macroend

Section "Kavrilon"
    ${If} $InstallKind == "user"
        SetShellVarContext current
    ${Else}
        SetShellVarContext all
    ${EndIf}
    Call CloseTrayInstance

    SetOutPath "$INSTDIR"
    !insertmacro InstallFileInUse "${KV_MAIN_EXE}"
    File "${KV_BIN_DIR}\${KV_REGUTIL_EXE}"
    !insertmacro InstallFileInUse "${KV_SHELLEXT_DLL}"
    !insertmacro InstallFileInUse "${KV_SHELLEXT64_DLL}"
    WriteUninstaller "$INSTDIR\${KV_UNINSTALLER_EXE}"

    ; The shortcut and the entry under Add/Remove Programs of all users or of this user (SHCTX).
    CreateShortcut "$SMPROGRAMS\${KV_SHORTCUT}" "$INSTDIR\${KV_MAIN_EXE}" "" "$INSTDIR\${KV_MAIN_EXE}" 0

    WriteRegStr SHCTX "${KV_UNINSTALL_KEY}" "DisplayName" "Kavrilon"
    WriteRegStr SHCTX "${KV_UNINSTALL_KEY}" "DisplayVersion" "${KV_VERSION}"
    WriteRegStr SHCTX "${KV_UNINSTALL_KEY}" "Publisher" "${KV_PUBLISHER}"
    WriteRegStr SHCTX "${KV_UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${KV_MAIN_EXE},0"
    WriteRegStr SHCTX "${KV_UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr SHCTX "${KV_UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${KV_UNINSTALLER_EXE}"'
    WriteRegStr SHCTX "${KV_UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${KV_UNINSTALLER_EXE}" /S'
    WriteRegDWORD SHCTX "${KV_UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD SHCTX "${KV_UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K /G=0" $0 $1 $2
    WriteRegDWORD SHCTX "${KV_UNINSTALL_KEY}" "EstimatedSize" $0

    ; Autostart: the value the program's own options write, the quoted program path, in the Run key
    ; of the machine (every user who logs on) or of this user. For all users, a value of this
    ; account that an earlier version wrote for this copy goes; values of other copies stay.
    ${If} $AutostartOption == ${BST_CHECKED}
        WriteRegStr SHCTX "${KV_RUN_KEY}" "${KV_AUTOSTART_VALUE}" '"$INSTDIR\${KV_MAIN_EXE}"'
    ${ElseIf} $InstallKind == "user"
        Call DeleteOwnUserAutostart
    ${Else}
        DeleteRegValue HKLM "${KV_RUN_KEY}" "${KV_AUTOSTART_VALUE}"
    ${EndIf}
    ${If} $InstallKind == "all"
        Call DeleteOwnUserAutostart
    ${EndIf}

    ${If} $InstallKind == "user"
        ; This user's registration, written here as Kavrilon.exe writes it: the 32-bit view and, on
        ; 64-bit Windows, the 64-bit view with the 64-bit extension. All or nothing.
        !insertmacro RemoveUserShellExt ""
        ${If} $ShellExtOption == ${BST_CHECKED}
            ClearErrors
            !insertmacro WriteUserShellExtEntries "${KV_SHELLEXT_DLL}"
            ${If} ${RunningX64}
                SetRegView 64
                !insertmacro WriteUserShellExtEntries "${KV_SHELLEXT64_DLL}"
                SetRegView default
            ${EndIf}
            ${If} ${Errors}
                !insertmacro RemoveUserShellExt ""
                StrCpy $0 "-1"
                MessageBox MB_OK|MB_ICONEXCLAMATION "$(ShellExtFailed)" /SD IDOK
                SetErrorLevel 3
            ${EndIf}
        ${EndIf}
    ${ElseIf} $ShellExtOption == ${BST_CHECKED}
        ; The registration utility writes the entries for every user; exit code 1 is its only success.
        SetOutPath "$INSTDIR"
        StrCpy $0 ""
        ExecWait '"$INSTDIR\${KV_REGUTIL_EXE}" r' $0
        ${If} $0 != 1
            MessageBox MB_OK|MB_ICONEXCLAMATION "$(ShellExtFailed)" /SD IDOK
            SetErrorLevel 3
        ${EndIf}
    ${Else}
        ; Switched off on an update: the registration of this copy goes.
        SetOutPath "$INSTDIR"
        Push "$INSTDIR"
        Call IsShellExtRegisteredIn
        ${If} $0 == 1
            ExecWait '"$INSTDIR\${KV_REGUTIL_EXE}" u' $0
        ${EndIf}
    ${EndIf}
SectionEnd

Function un.onInit
    ; The kind of this copy: the current user's when the user's entry names its folder.
    Call un.ReadAccountRights
    ReadRegStr $0 HKCU "${KV_UNINSTALL_KEY}" "InstallLocation"
    ${If} $0 == $INSTDIR
        StrCpy $InstallKind "user"
        SetShellVarContext current
    ${Else}
        StrCpy $InstallKind "all"
        !insertmacro RequireAdministrator
        SetShellVarContext all
    ${EndIf}
FunctionEnd

Function un.DataPageShow
    !insertmacro MUI_HEADER_TEXT "$(DataTitle)" "$(DataSubtitle)"
    nsDialogs::Create 1018
    Pop $0
    ${If} $0 == error
        Abort
    ${EndIf}
    ${NSD_CreateLabel} 0 0 100% 40u "$(DataText)"
    Pop $0
    ${NSD_CreateCheckbox} 0 50u 100% 12u "$(RemoveDataText)"
    Pop $RemoveDataBox
    GetDlgItem $0 $HWNDPARENT 1
    SendMessage $0 ${WM_SETTEXT} 0 "STR:$(^UninstallBtn)"
    nsDialogs::Show
FunctionEnd

Function un.DataPageLeave
    ${NSD_GetState} $RemoveDataBox $RemoveDataOption
FunctionEnd

Section "Uninstall"
    ; Silent uninstalls never remove the user's files.
    ${If} ${Silent}
        StrCpy $RemoveDataOption 0
    ${EndIf}
    Call un.CloseTrayInstance

    ${If} $InstallKind == "user"
        !insertmacro RemoveUserShellExt "un."
    ${Else}
        SetOutPath "$TEMP"
        StrCpy $0 ""
        ExecWait '"$INSTDIR\${KV_REGUTIL_EXE}" u' $0
        ${If} $0 != 1
            DetailPrint "$(ShellExtRemoveFailed)"
        ${EndIf}
        ; Autostart for every user, if it names this copy.
        ReadRegStr $0 HKLM "${KV_RUN_KEY}" "${KV_AUTOSTART_VALUE}"
        ${If} $0 == '"$INSTDIR\${KV_MAIN_EXE}"'
            DeleteRegValue HKLM "${KV_RUN_KEY}" "${KV_AUTOSTART_VALUE}"
        ${EndIf}
    ${EndIf}
    ; This account's autostart value, if it names this copy.
    Call un.DeleteOwnUserAutostart

    Delete "$SMPROGRAMS\${KV_SHORTCUT}"
    ; A copy still running in another session goes at the next restart.
    Delete /REBOOTOK "$INSTDIR\${KV_MAIN_EXE}"
    Delete "$INSTDIR\${KV_REGUTIL_EXE}"
    ; A shell extension still loaded by Explorer goes at the next restart.
    Delete /REBOOTOK "$INSTDIR\${KV_SHELLEXT_DLL}"
    Delete /REBOOTOK "$INSTDIR\${KV_SHELLEXT64_DLL}"
    Delete "$INSTDIR\${KV_UNINSTALLER_EXE}"
    ; Only an empty folder goes: anything the user put there stays. So does the user's folder of
    ; programs, which the setup may have made, unless it is left empty.
    RMDir /REBOOTOK "$INSTDIR"
    ${If} $InstallKind == "user"
        RMDir "$LOCALAPPDATA\Programs"
    ${EndIf}
    DeleteRegKey SHCTX "${KV_UNINSTALL_KEY}"

    ${If} $RemoveDataOption == ${BST_CHECKED}
        ; The data folder of the account that runs the uninstaller. Files of a portable start that
        ; a user put beside the program (Options.ini, Layouts, Backups) are theirs and stay.
        SetShellVarContext current
        RMDir /r "$LOCALAPPDATA\${KV_VENDOR_FOLDER}\${KV_PRODUCT_FOLDER}"
        RMDir "$LOCALAPPDATA\${KV_VENDOR_FOLDER}"
    ${EndIf}
SectionEnd
