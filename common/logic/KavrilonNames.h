#pragma once
// Names that the three programs, the installer and the tests must agree on. Windows-free.

// The shell extension's class id, upper case with braces.
#define KV_SHELLEXT_CLSID_TEXT "{6E1B4C92-7A3D-4F05-B8E2-91C4D7A35B60}"

inline constexpr const char* ShellExtClassIdText = KV_SHELLEXT_CLSID_TEXT;

// The single-instance mutex of the tray application and the mutex that serialises the actions of
// every Kavrilon process.
inline constexpr const char* SingleInstanceMutexName = "Kavrilon" KV_SHELLEXT_CLSID_TEXT;
inline constexpr const char* ActionMutexName = "KavrilonAction" KV_SHELLEXT_CLSID_TEXT;

// Class and title of the hidden tray window (the class also serves the splash and about windows).
inline constexpr const char* TrayWindowClassName = "Kavrilon";
inline constexpr const char* TrayWindowTitle = "Kavrilon";

// The data folder below the user's application data: VendorFolderName\ProductFolderName\.
inline constexpr const char* VendorFolderName = "Quellwyn";
inline constexpr const char* ProductFolderName = "Kavrilon";
inline constexpr const char* OptionsFileName = "Options.ini";
inline constexpr const char* LayoutsFolderName = "Layouts";
inline constexpr const char* BackupsFolderName = "Backups";

// File names of the deliverables, side by side in one folder.
inline constexpr const char* MainProgramFileName = "Kavrilon.exe";
inline constexpr const char* ShellExtFileName = "KavrilonShellEx.dll";
inline constexpr const char* ShellExt64FileName = "KavrilonShellEx64.dll";
inline constexpr const char* RegUtilFileName = "KVRegShellEx.exe";

// The autostart value under HKCU\Software\Microsoft\Windows\CurrentVersion\Run.
inline constexpr const char* RunKeyPath = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr const char* AutostartValueName = "Kavrilon";

// The shell extension's registry layout. The "Approved" key lies below HKEY_LOCAL_MACHINE (every
// user) or HKEY_CURRENT_USER (one user); the other keys below HKEY_CLASSES_ROOT, which shows the
// classes of both, ClassesKeyPath + key below either root. "InProcServer32" is spelt with a
// capital P.
inline constexpr const char* ClassesKeyPath = "Software\\Classes\\";
inline constexpr const char* ShellExtApprovedKeyPath =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved";
inline constexpr const char* ShellExtClassKeyPath = "CLSID\\" KV_SHELLEXT_CLSID_TEXT;
inline constexpr const char* ShellExtServerKeyPath = "CLSID\\" KV_SHELLEXT_CLSID_TEXT "\\InProcServer32";
inline constexpr const char* ShellExtHandlerKeyPath =
    "Directory\\Background\\shellex\\ContextMenuHandlers\\Kavrilon";
// The data of the "Approved" value and of the class key's default value.
inline constexpr const char* ShellExtRegisteredName = "Kavrilon";
inline constexpr const char* ThreadingModelValueName = "ThreadingModel";
inline constexpr const char* ShellExtThreadingModel = "Apartment";
// Custom value of the in-process server key: the main program's full path.
inline constexpr const char* ExeLocationValueName = "ExeLocation";

// The installed program: its entry under Add/Remove Programs (below HKEY_LOCAL_MACHINE), the
// publisher shown there, the uninstaller beside the programs and the Start-menu shortcut.
// The setup script reads each name from a line of its own.
// clang-format off
inline constexpr const char* UninstallKeyPath = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Kavrilon";
// clang-format on
inline constexpr const char* PublisherName = "Quellwyn";
inline constexpr const char* UninstallerFileName = "Uninstall.exe";
inline constexpr const char* StartMenuShortcutName = "Kavrilon.lnk";

// Private messages of the tray window: the tray icon's callback (lParam carries the mouse message)
// and the request to ask the first-run question.
inline constexpr unsigned TrayCallbackMessage = 0x500;
inline constexpr unsigned TrayFirstRunMessage = 0x501;

// Command ids of the tray menu (the menu resource writes the same numbers); a backup of the archive
// submenu has BackupCommandBase + its index. CommandTable.h says which command each id runs.
inline constexpr unsigned CommandSavePrimary = 3000;
inline constexpr unsigned CommandRestorePrimary = 3001;
inline constexpr unsigned CommandOptions = 3002;
inline constexpr unsigned CommandAbout = 3003;
inline constexpr unsigned CommandExit = 3004;
inline constexpr unsigned CommandBackupArchive = 3007;
inline constexpr unsigned CommandDeleteBackups = 3008;
inline constexpr unsigned CommandSaveToFile = 3009;
inline constexpr unsigned CommandRestoreFromFile = 3010;
inline constexpr unsigned BackupCommandBase = 5000;
inline constexpr unsigned BackupCommandLast = 6000;
