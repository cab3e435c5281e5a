; The Kavrilon setup program. Installs the programs side by side into Program Files\Kavrilon (the
; registration utility expects its siblings in its own folder), adds a Start-menu shortcut and an
; entry under Add/Remove Programs, and on a page of its own offers autostart and the desktop
; context menu, both for every user: the setup runs elevated, possibly as another account than the
; user's, so nothing it writes goes into the current user's profile. Its uninstaller removes all of
; that again, and only what the setup installed; the layouts and backups in the data folder of the
; account that runs it only when asked on its first page, never in silent mode.
;
; The build passes:
;   KV_VERSION          the version users see, e.g. 8.2
;   KV_VERSION_NUMBERS  the four numbers of the version block, e.g. 8.2.0.0
;   KV_BIN_DIR          the folder of the built programs
;   KV_NAMES_HEADER     the header with the names the programs agree on
;   KV_RES_DIR          the folder of the icons
;   KV_OUT_FILE         the setup program to write

Unicode true
ManifestDPIAware true
RequestExecutionLevel admin
SetCompressor /SOLID lzma

!include LogicLib.nsh
!include FileFunc.nsh
!include MUI2.nsh
!include nsDialogs.nsh
!include WinMessages.nsh

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
!define KV_INPROC_KEY "CLSID\${KV_CLSID}\InProcServer32"

Name "Kavrilon ${KV_VERSION}"
OutFile "${KV_OUT_FILE}"
InstallDir "$PROGRAMFILES64\Kavrilon"
; An update goes where the installed copy is.
InstallDirRegKey HKLM "${KV_UNINSTALL_KEY}" "InstallLocation"
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

; The choices of the options page: 1 on, 0 off.
Var AutostartOption
Var ShellExtOption
Var AutostartBox
Var ShellExtBox
; The uninstaller's choice: 1 removes the user's layouts, backups and settings.
Var RemoveDataOption
Var RemoveDataBox

!insertmacro MUI_PAGE_DIRECTORY
Page custom OptionsPageShow OptionsPageLeave
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

UninstPage custom un.DataPageShow un.DataPageLeave
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "German"

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
; given on the stack, else 0.
Function IsShellExtRegisteredIn
    Exch $1
    ReadRegStr $0 HKCR "${KV_INPROC_KEY}" ""
    ${If} $0 == "$1\${KV_SHELLEXT_DLL}"
        StrCpy $0 1
    ${Else}
        StrCpy $0 0
    ${EndIf}
    Pop $1
FunctionEnd

; Program Files, the machine-wide registry and the shell extension's entries need administrator
; rights; without them (Windows XP without elevation, for example) nothing is begun.
!macro RequireAdministrator
    UserInfo::GetAccountType
    Pop $0
    ${If} $0 != "Admin"
        MessageBox MB_OK|MB_ICONSTOP "$(AdminNeeded)" /SD IDOK
        SetErrorLevel 740
        Quit
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
    !insertmacro RequireAdministrator
    ; A first installation offers both options; an update keeps the choices in force.
    StrCpy $AutostartOption 1
    StrCpy $ShellExtOption 1
    ReadRegStr $0 HKLM "${KV_UNINSTALL_KEY}" "InstallLocation"
    ${If} $0 != ""
        ; Autostart for every user, or the value that earlier versions wrote for this account.
        ReadRegStr $1 HKLM "${KV_RUN_KEY}" "${KV_AUTOSTART_VALUE}"
        ReadRegStr $2 HKCU "${KV_RUN_KEY}" "${KV_AUTOSTART_VALUE}"
        ${If} $1 == ""
        ${AndIf} $2 != '"$0\${KV_MAIN_EXE}"'
            StrCpy $AutostartOption 0
        ${EndIf}
        Push $0
        Call IsShellExtRegisteredIn
        StrCpy $ShellExtOption $0
    ${EndIf}
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

Section "Kavrilon"
    SetShellVarContext all
    Call CloseTrayInstance

    SetOutPath "$INSTDIR"
    !insertmacro InstallFileInUse "${KV_MAIN_EXE}"
    File "${KV_BIN_DIR}\${KV_REGUTIL_EXE}"
    !insertmacro InstallFileInUse "${KV_SHELLEXT_DLL}"
    !insertmacro InstallFileInUse "${KV_SHELLEXT64_DLL}"
    WriteUninstaller "$INSTDIR\${KV_UNINSTALLER_EXE}"

    CreateShortcut "$SMPROGRAMS\${KV_SHORTCUT}" "$INSTDIR\${KV_MAIN_EXE}" "" "$INSTDIR\${KV_MAIN_EXE}" 0

    WriteRegStr HKLM "${KV_UNINSTALL_KEY}" "DisplayName" "Kavrilon"
    WriteRegStr HKLM "${KV_UNINSTALL_KEY}" "DisplayVersion" "${KV_VERSION}"
    WriteRegStr HKLM "${KV_UNINSTALL_KEY}" "Publisher" "${KV_PUBLISHER}"
    WriteRegStr HKLM "${KV_UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${KV_MAIN_EXE},0"
    WriteRegStr HKLM "${KV_UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${KV_UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${KV_UNINSTALLER_EXE}"'
    WriteRegStr HKLM "${KV_UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${KV_UNINSTALLER_EXE}" /S'
    WriteRegDWORD HKLM "${KV_UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${KV_UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K /G=0" $0 $1 $2
    WriteRegDWORD HKLM "${KV_UNINSTALL_KEY}" "EstimatedSize" $0

    ; Autostart for every user who logs on: the value the program's own options write, the quoted
    ; program path, in the Run key of the machine. A value of this account that an earlier version
    ; wrote for this copy goes; values of other copies stay.
    ${If} $AutostartOption == ${BST_CHECKED}
        WriteRegStr HKLM "${KV_RUN_KEY}" "${KV_AUTOSTART_VALUE}" '"$INSTDIR\${KV_MAIN_EXE}"'
    ${Else}
        DeleteRegValue HKLM "${KV_RUN_KEY}" "${KV_AUTOSTART_VALUE}"
    ${EndIf}
    Call DeleteOwnUserAutostart

    ; The registration utility writes the shell's entries; exit code 1 is its only success.
    SetOutPath "$INSTDIR"
    ${If} $ShellExtOption == ${BST_CHECKED}
        StrCpy $0 ""
        ExecWait '"$INSTDIR\${KV_REGUTIL_EXE}" r' $0
        ${If} $0 != 1
            MessageBox MB_OK|MB_ICONEXCLAMATION "$(ShellExtFailed)" /SD IDOK
            SetErrorLevel 3
        ${EndIf}
    ${Else}
        ; Switched off on an update: the registration of this copy goes.
        Push "$INSTDIR"
        Call IsShellExtRegisteredIn
        ${If} $0 == 1
            ExecWait '"$INSTDIR\${KV_REGUTIL_EXE}" u' $0
        ${EndIf}
    ${EndIf}
SectionEnd

Function un.onInit
    !insertmacro RequireAdministrator
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

    SetOutPath "$TEMP"
    StrCpy $0 ""
    ExecWait '"$INSTDIR\${KV_REGUTIL_EXE}" u' $0
    ${If} $0 != 1
        DetailPrint "$(ShellExtRemoveFailed)"
    ${EndIf}
    ; Autostart of this copy: for every user only if it names this copy, and this account's value.
    ReadRegStr $0 HKLM "${KV_RUN_KEY}" "${KV_AUTOSTART_VALUE}"
    ${If} $0 == '"$INSTDIR\${KV_MAIN_EXE}"'
        DeleteRegValue HKLM "${KV_RUN_KEY}" "${KV_AUTOSTART_VALUE}"
    ${EndIf}
    Call un.DeleteOwnUserAutostart

    SetShellVarContext all
    Delete "$SMPROGRAMS\${KV_SHORTCUT}"
    ; A copy still running in another session goes at the next restart.
    Delete /REBOOTOK "$INSTDIR\${KV_MAIN_EXE}"
    Delete "$INSTDIR\${KV_REGUTIL_EXE}"
    ; A shell extension still loaded by Explorer goes at the next restart.
    Delete /REBOOTOK "$INSTDIR\${KV_SHELLEXT_DLL}"
    Delete /REBOOTOK "$INSTDIR\${KV_SHELLEXT64_DLL}"
    Delete "$INSTDIR\${KV_UNINSTALLER_EXE}"

    ${If} $RemoveDataOption == ${BST_CHECKED}
        ; The data folder of the account that runs the uninstaller. Files of a portable start that
        ; a user put beside the program (Options.ini, Layouts, Backups) are theirs and stay.
        SetShellVarContext current
        RMDir /r "$LOCALAPPDATA\${KV_VENDOR_FOLDER}\${KV_PRODUCT_FOLDER}"
        RMDir "$LOCALAPPDATA\${KV_VENDOR_FOLDER}"
    ${EndIf}
    ; Only an empty folder goes: anything the user put there stays.
    RMDir /REBOOTOK "$INSTDIR"

    DeleteRegKey HKLM "${KV_UNINSTALL_KEY}"
SectionEnd
