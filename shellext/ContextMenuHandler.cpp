#include "ContextMenuHandler.h"

#include <shellapi.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "BackupRules.h"
#include "BackupStore.h"
#include "CallbackBarrier.h"
#include "CommandTable.h"
#include "FileSystem.h"
#include "KavrilonNames.h"
#include "LanguageRules.h"
#include "OptionsFile.h"
#include "RegistryText.h"
#include "ServerState.h"
#include "SystemLanguage.h"
#include "SystemVersion.h"
#include "TextRules.h"
#include "UserFolders.h"
#include "WinHandles.h"

namespace {

// Process-wide state of the handler. THandlerStateLock guards it and is held only to copy or replace
// it, never across a file, registry or shell call: a shell thread that builds a menu never waits on
// another thread's disk access.
struct THandlerState {
    std::string DataFolder; // the per-user data folder; empty until an Initialize found it
    bool IsWindowsMe = false;
    bool IsWindows2000OrLater = false;
    bool IsVistaFamily = false;
};
THandlerState HandlerState;

// The bitmap of the "Kavrilon" item, loaded once per load of the library and deleted at its unload.
// LR_SHARED does not share bitmaps: every menu would leave a new GDI object in the shell's process.
void* volatile MenuBitmap = nullptr;

THandlerState CopyHandlerState() {
    THandlerStateLock lock;
    return HandlerState;
}

// What one menu or command is built from: a copy of the state and the language chosen for it.
struct TMenuContext {
    std::string DataFolder;
    uint8_t Language = 1;
    bool IsVistaFamily = false;
};

// The language from the locale and the Language option; from the locale alone without a data folder.
// No other option is read.
uint8_t ChooseLanguage(const std::string& dataFolder) {
    TOptions options = DefaultOptions();
    options.Language = NormalizeLanguage(LanguageFromLocale());
    if (!dataFolder.empty()) {
        LoadOption(dataFolder + OptionsFileName, OptionRowOf(&TOptions::Language), options);
    }
    return options.Language;
}

TMenuContext MenuContext(const THandlerState& state) {
    TMenuContext context;
    context.DataFolder = state.DataFolder;
    context.Language = ChooseLanguage(state.DataFolder);
    context.IsVistaFamily = state.IsVistaFamily;
    return context;
}

// Command offsets, from the table of commands: the fixed commands below the backups of the archive.
constexpr UINT DeleteAllBackupsOffset = CommandRecord(TCommand::DeleteBackups).ShellExtOffset;
constexpr UINT FirstBackupOffset = CommandRecord(TCommand::RestoreBackup).ShellExtOffset;
constexpr UINT CommandOffsetLimit = ShellExtOffsetLimit();

enum TRowKind { RowCommand, RowSeparator, RowArchive };

// The submenu, position by position.
struct TMenuRow {
    TRowKind Kind;
    TCommand Command; // the command of a RowCommand, the archive's for RowArchive; unused otherwise
    const char* German;
    const char* English;
    bool CaseMarks;            // the text passes the "#" marks in Auto mode
    bool GrayedWithoutPrimary; // greyed while the current resolution has no primary layout
};

constexpr TMenuRow MenuRows[] = {
    {RowCommand, TCommand::SavePrimary, "Hauptlayout &sichern", "&Save Primary #layout", true, false},
    {RowCommand, TCommand::RestorePrimary, "Hauptlayout &restaurieren", "&Restore Primary #layout", true,
     true},
    {RowSeparator, TCommand::SavePrimary, nullptr, nullptr, false, false},
    {RowCommand, TCommand::SaveToFile, "&In Datei sichern...", "Save &to #file...", true, false},
    {RowCommand, TCommand::RestoreFromFile, "&Aus Datei restaurieren...", "Restore &from #file...", true,
     false},
    {RowSeparator, TCommand::SavePrimary, nullptr, nullptr, false, false},
    {RowArchive, TCommand::RestoreBackup, "&Backuparchiv", "&Backup #archive", true, false},
    {RowSeparator, TCommand::SavePrimary, nullptr, nullptr, false, false},
    {RowCommand, TCommand::Options, "&Optionen", "&Options", false, false},
};

const char* const ForbiddenForegroundClasses[] = {"ExploreWClass", "CabinetWClass", "#32770"};

std::string MenuText(const TMenuContext& context, const char* german, const char* english, bool caseMarks) {
    const std::string text = PickLanguage(german, english, context.Language);
    return caseMarks ? ApplyCaseMarksFor(text, CaseAuto, context.IsVistaFamily) : text;
}

// The command offsets that the shell's range holds: idCmdFirst to idCmdLast, both included, and never
// more than the handler's sixteen.
UINT OffsetsInRange(UINT idCmdFirst, UINT idCmdLast) {
    if (idCmdLast < idCmdFirst) {
        return 0;
    }
    const UINT span = idCmdLast - idCmdFirst;
    return span >= CommandOffsetLimit - 1 ? CommandOffsetLimit : span + 1;
}

// The shell offers the menu in folder windows and file dialogs too, where the desktop folder can be
// shown: those foreground windows refuse it. Without a foreground window, or when its class cannot
// be read, the menu is offered.
bool ForegroundRefusesMenu() {
    HWND foreground = GetForegroundWindow();
    if (foreground == nullptr) {
        return false;
    }
    char className[51] = {};
    if (GetClassNameA(foreground, className, sizeof(className)) <= 0) {
        return false;
    }
    for (const char* forbidden : ForbiddenForegroundClasses) {
        if (std::strcmp(className, forbidden) == 0) { // with case
            return true;
        }
    }
    return false;
}

// The archive submenu from the pruned backup list: the newest backups, as many as the shell's range
// holds (`backupsInRange`), and "delete all"; or the disabled "no backup" item when there is none.
// `listed` receives the ids of the backups listed.
TUniqueMenu BuildArchiveMenu(const TMenuContext& context, UINT idCmdFirst, size_t backupsInRange,
                             std::vector<std::string>& listed) {
    listed.clear();
    TUniqueMenu archive(CreatePopupMenu());
    if (!archive) {
        return archive;
    }
    const std::vector<std::string> backupIds = ListBackupIds(context.DataFolder, ResolutionKey(), true);
    const size_t shown = backupIds.size() < backupsInRange ? backupIds.size() : backupsInRange;
    bool ok = true;
    if (backupIds.empty()) {
        ok = AppendMenuA(
                 archive.get(), MF_STRING | MF_DISABLED, idCmdFirst + DeleteAllBackupsOffset,
                 PickLanguage("Kein Backup vorhanden", "No backup available", context.Language).c_str()) !=
             FALSE;
    } else {
        for (size_t i = 0; i < shown && ok; ++i) {
            ok = AppendMenuA(archive.get(), MF_STRING, idCmdFirst + FirstBackupOffset + static_cast<UINT>(i),
                             FormatBackupLabel(backupIds[i], context.Language).c_str()) != FALSE;
        }
        ok =
            ok && (shown == 0 || AppendMenuA(archive.get(), MF_SEPARATOR, 0, nullptr) != FALSE) &&
            AppendMenuA(
                archive.get(), MF_STRING, idCmdFirst + DeleteAllBackupsOffset,
                MenuText(context, "Alle Backups &l\366schen", "&Delete all #backups", true).c_str()) != FALSE;
    }
    if (!ok) {
        archive.reset();
        return archive;
    }
    listed.assign(backupIds.begin(), backupIds.begin() + static_cast<std::ptrdiff_t>(shown));
    return archive;
}

// The "Kavrilon" submenu with its nine positions; `listed` receives the ids of the backups listed.
TUniqueMenu BuildSubmenu(const TMenuContext& context, UINT idCmdFirst, size_t backupsInRange,
                         std::vector<std::string>& listed) {
    listed.clear();
    TUniqueMenu submenu(CreatePopupMenu());
    if (!submenu) {
        return submenu;
    }
    const bool primaryMissing = !PathExists(PrimaryLayoutToRestore(context.DataFolder, ResolutionKey()));
    UINT position = 0;
    for (const TMenuRow& row : MenuRows) {
        BOOL inserted = FALSE;
        if (row.Kind == RowSeparator) {
            inserted = InsertMenuA(submenu.get(), position, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
        } else if (row.Kind == RowArchive) {
            TUniqueMenu archive = BuildArchiveMenu(context, idCmdFirst, backupsInRange, listed);
            inserted =
                archive && InsertMenuA(submenu.get(), position, MF_BYPOSITION | MF_POPUP,
                                       reinterpret_cast<UINT_PTR>(archive.get()),
                                       MenuText(context, row.German, row.English, row.CaseMarks).c_str());
            if (inserted) {
                archive.release(); // now part of the submenu
            }
        } else {
            const UINT grayed = row.GrayedWithoutPrimary && primaryMissing ? MF_GRAYED : 0;
            inserted = InsertMenuA(submenu.get(), position, MF_BYPOSITION | MF_STRING | grayed,
                                   idCmdFirst + CommandRecord(row.Command).ShellExtOffset,
                                   MenuText(context, row.German, row.English, row.CaseMarks).c_str());
        }
        if (!inserted) {
            submenu.reset();
            return submenu;
        }
        ++position;
    }
    return submenu;
}

bool MenuIconHidden(const std::string& dataFolder) {
    return LoadMenuIconHidden(dataFolder + OptionsFileName);
}

// The one bitmap of this load of the library. Two threads that load it at the same moment keep the
// first one stored and delete the other.
HBITMAP LoadedMenuBitmap() {
    void* bitmap = InterlockedCompareExchangePointer(&MenuBitmap, nullptr, nullptr);
    if (bitmap != nullptr) {
        return static_cast<HBITMAP>(bitmap);
    }
    HANDLE loaded = LoadImageA(ModuleInstance, "#100", IMAGE_BITMAP, 16, 16, LR_DEFAULTCOLOR);
    if (loaded == nullptr) {
        return nullptr;
    }
    bitmap = InterlockedCompareExchangePointer(&MenuBitmap, loaded, nullptr);
    if (bitmap != nullptr) {
        DeleteObject(loaded);
        return static_cast<HBITMAP>(bitmap);
    }
    return static_cast<HBITMAP>(loaded);
}

// ExeLocation of the in-process server key; empty when it cannot be read.
std::string MainProgramPath() {
    TUniqueRegKey key;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, ShellExtServerKeyPath, 0, KEY_QUERY_VALUE, key.put()) !=
        ERROR_SUCCESS) {
        return {};
    }
    std::string path;
    ReadRegistryText(key.get(), ExeLocationValueName, path);
    return path;
}

// What InvokeCommand decided under the lock, carried out after it.
struct TInvocation {
    bool Refused = false; // E_FAIL without a message
    std::string Program;
    std::string Parameters;
    uint8_t Language = 1;
};

// Reads the state under the lock, then the registry and the archive without it. `backupId` is the
// backup that the menu listed at a backup command's offset.
TInvocation PrepareInvocation(HWND owner, UINT offset, const std::string& backupId) {
    const TMenuContext context = MenuContext(CopyHandlerState());
    TInvocation invocation;
    invocation.Language = context.Language;
    invocation.Program = MainProgramPath();
    if (invocation.Program.empty()) {
        return invocation;
    }
    // A window handle's low 32 bits are all that identify it, in 32-bit and 64-bit processes alike.
    const auto handle = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(owner));
    invocation.Parameters = "/h " + std::to_string(handle) + " /dlg ";
    const TCommandRecord* command = CommandOfShellExtOffset(offset);
    if (command == nullptr) {
        invocation.Refused = true;
        return invocation;
    }
    // The main program's verb of the command.
    invocation.Parameters += command->Verb;
    if (command->Command != TCommand::RestoreBackup) {
        return invocation;
    }
    // The backup the user saw and chose, not whichever now holds its place in the archive.
    if (context.DataFolder.empty() ||
        !PathExists(BackupFilePath(context.DataFolder, ResolutionKey(), backupId))) {
        // Another process removed it since the menu was shown: nothing to restore.
        invocation.Refused = true;
        return invocation;
    }
    invocation.Parameters += " " + backupId;
    return invocation;
}

} // namespace

void ClearHandlerState() {
    {
        THandlerStateLock lock;
        HandlerState = THandlerState();
    }
    void* bitmap = InterlockedExchangePointer(&MenuBitmap, nullptr);
    if (bitmap != nullptr) {
        DeleteObject(static_cast<HBITMAP>(bitmap));
    }
}

TContextMenu::TContextMenu(IUnknown* outer) noexcept
    : inner_(*this), controlling_(outer != nullptr ? outer : &inner_) {
    InterlockedIncrement(&LiveObjectCount);
}

TContextMenu::~TContextMenu() {
    InterlockedDecrement(&LiveObjectCount);
}

HRESULT TContextMenu::InnerQueryInterface(REFIID interfaceId, void** object) noexcept {
    if (object == nullptr) {
        return E_POINTER;
    }
    if (IsEqualIID(interfaceId, IID_IUnknown)) {
        *object = static_cast<IUnknown*>(&inner_);
    } else if (IsEqualIID(interfaceId, IID_IContextMenu)) {
        *object = static_cast<IContextMenu*>(this);
    } else if (IsEqualIID(interfaceId, IID_IShellExtInit)) {
        *object = static_cast<IShellExtInit*>(this);
    } else if (IsEqualIID(interfaceId, IID_ISupportErrorInfo)) {
        *object = static_cast<ISupportErrorInfo*>(this);
    } else {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    // Through the interface handed out: in an aggregate every interface but the inner IUnknown
    // counts on the outer object, which holds the inner one.
    static_cast<IUnknown*>(*object)->AddRef();
    return S_OK;
}

ULONG TContextMenu::InnerAddRef() noexcept {
    return static_cast<ULONG>(InterlockedIncrement(&references_));
}

ULONG TContextMenu::InnerRelease() noexcept {
    const LONG remaining = InterlockedDecrement(&references_);
    if (remaining == 0) {
        delete this;
    }
    return static_cast<ULONG>(remaining);
}

STDMETHODIMP TContextMenu::TInnerUnknown::QueryInterface(REFIID interfaceId, void** object) {
    return owner_.InnerQueryInterface(interfaceId, object);
}

STDMETHODIMP_(ULONG) TContextMenu::TInnerUnknown::AddRef() {
    return owner_.InnerAddRef();
}

STDMETHODIMP_(ULONG) TContextMenu::TInnerUnknown::Release() {
    return owner_.InnerRelease();
}

STDMETHODIMP TContextMenu::QueryInterface(REFIID interfaceId, void** object) {
    return controlling_->QueryInterface(interfaceId, object);
}

STDMETHODIMP_(ULONG) TContextMenu::AddRef() {
    return controlling_->AddRef();
}

STDMETHODIMP_(ULONG) TContextMenu::Release() {
    return controlling_->Release();
}

STDMETHODIMP TContextMenu::Initialize(PCIDLIST_ABSOLUTE folder, IDataObject*, HKEY) {
    return ComBarrier([&]() -> HRESULT {
        // Only the empty item-id list, which the shell passes for the desktop folder itself.
        if (folder == nullptr || folder->mkid.cb != 0 || ForegroundRefusesMenu()) {
            return E_FAIL;
        }
        const TVersionFlags flags = SystemVersionFlags();
        std::string dataFolder;
        {
            THandlerStateLock lock;
            HandlerState.IsWindowsMe = flags.IsWindowsMe;
            HandlerState.IsWindows2000OrLater = flags.IsWindows2000OrLater;
            HandlerState.IsVistaFamily = HandlerState.IsVistaFamily || flags.IsVistaFamily;
            dataFolder = HandlerState.DataFolder;
        }
        if (!dataFolder.empty()) {
            return S_OK;
        }
        // The lookup asks the shell and reads the registry, so it runs outside the lock; it is tried
        // again at every Initialize until it finds the folder.
        dataFolder = PerUserDataFolder(nullptr, flags.IsWindows2000OrLater || flags.IsWindowsMe);
        if (dataFolder.empty()) {
            // No per-user folder: no menu, rather than options and backups looked for (and pruned)
            // relative to the shell's current folder or drive.
            return E_FAIL;
        }
        THandlerStateLock lock;
        // Of two threads that looked it up at the same time, the first one to get here sets it.
        if (HandlerState.DataFolder.empty()) {
            HandlerState.DataFolder = dataFolder;
        }
        return S_OK;
    });
}

STDMETHODIMP TContextMenu::QueryContextMenu(HMENU menu, UINT indexMenu, UINT idCmdFirst, UINT idCmdLast,
                                            UINT flags) {
    return ComBarrier([&]() -> HRESULT {
        // The commands of an earlier menu of this object are no longer offered.
        InterlockedExchange(&issuedOffsets_, 0);
        if ((flags & CMF_DEFAULTONLY) != 0) {
            return MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0);
        }
        const THandlerState state = CopyHandlerState();
        // Without an accepted Initialize there is no data folder: the archive must not be looked for
        // (and pruned) relative to the shell's current folder.
        if (state.DataFolder.empty()) {
            return E_UNEXPECTED;
        }
        // A range too small for the fixed commands gets no menu at all; one that holds them but not
        // every backup lists the newest backups that fit.
        const UINT offsetsInRange = OffsetsInRange(idCmdFirst, idCmdLast);
        if (offsetsInRange < FirstBackupOffset) {
            return MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0);
        }
        const TMenuContext context = MenuContext(state);
        std::vector<std::string> listed;
        TUniqueMenu submenu = BuildSubmenu(context, idCmdFirst, offsetsInRange - FirstBackupOffset, listed);
        if (!submenu) {
            return HRESULT_FROM_WIN32(GetLastError() != 0 ? GetLastError() : ERROR_NOT_ENOUGH_MEMORY);
        }
        MENUITEMINFOA item = {};
        item.cbSize = sizeof(item);
        item.fMask = MIIM_ID | MIIM_SUBMENU | MIIM_TYPE;
        item.fType = MFT_STRING;
        item.fState = 0;
        item.wID = 0;
        item.hSubMenu = submenu.get();
        char caption[] = "Kavrilon";
        item.dwTypeData = caption;
        item.cch = sizeof(caption) - 1;
        InsertMenuA(menu, indexMenu, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
        if (!InsertMenuItemA(menu, indexMenu + 1, TRUE, &item)) {
            const DWORD error = GetLastError();
            DeleteMenu(menu, indexMenu, MF_BYPOSITION);
            return HRESULT_FROM_WIN32(error != 0 ? error : ERROR_INVALID_MENU_HANDLE);
        }
        submenu.release(); // the shell's menu owns it now
        InsertMenuA(menu, indexMenu + 2, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
        if (!MenuIconHidden(context.DataFolder)) {
            // The library's own bitmap: the menu only refers to it and the library deletes it at unload,
            // which cannot come while this object, and so the shell's use of the menu, lives.
            HBITMAP bitmap = LoadedMenuBitmap();
            if (bitmap != nullptr) {
                SetMenuItemBitmaps(menu, indexMenu + 1, MF_BYPOSITION, bitmap, bitmap);
            }
        }
        const UINT used = FirstBackupOffset + static_cast<UINT>(listed.size());
        listedBackups_ = std::move(listed);
        InterlockedExchange(&issuedOffsets_, static_cast<LONG>(used));
        return MAKE_HRESULT(SEVERITY_SUCCESS, 0, used);
    });
}

STDMETHODIMP TContextMenu::InvokeCommand(CMINVOKECOMMANDINFO* info) {
    return ComBarrier([&]() -> HRESULT {
        if (info == nullptr) {
            return E_INVALIDARG;
        }
        // A verb given as text, or an offset that the last menu of this object did not issue: not
        // ours, no message.
        if (!IS_INTRESOURCE(info->lpVerb)) {
            return E_FAIL;
        }
        const UINT offset = LOWORD(reinterpret_cast<UINT_PTR>(info->lpVerb));
        if (offset >= CommandOffsetLimit ||
            offset >= static_cast<UINT>(InterlockedCompareExchange(&issuedOffsets_, 0, 0))) {
            return E_FAIL;
        }
        std::string backupId;
        if (offset >= FirstBackupOffset) {
            const size_t position = offset - FirstBackupOffset;
            if (position >= listedBackups_.size()) {
                return E_FAIL;
            }
            backupId = listedBackups_[position];
        }
        const TInvocation invocation = PrepareInvocation(info->hwnd, offset, backupId);
        if (invocation.Refused) {
            return E_FAIL;
        }
        if (!invocation.Program.empty() &&
            reinterpret_cast<INT_PTR>(ShellExecuteA(info->hwnd, nullptr, invocation.Program.c_str(),
                                                    invocation.Parameters.c_str(), nullptr, SW_HIDE)) > 32) {
            return S_OK;
        }
        const uint8_t language = invocation.Language;
        const std::string text = PickLanguage("Basis-Anwendung wurde nicht gefunden!\r"
                                              "Bitte starten Sie Kavrilon um die\r"
                                              "Shell-Erweiterung einzuschalten!",
                                              "Base application not found!\r"
                                              "Please start Kavrilon in order to\r"
                                              "turn on the shell extension!",
                                              language);
        const std::string caption = "Kavrilon - " + PickLanguage("Fehler", "Error", language);
        // The primary language identifiers German and English.
        const WORD languageId = language == 0 ? 0x0007 : 0x0009;
        MessageBoxExA(info->hwnd, text.c_str(), caption.c_str(), MB_ICONEXCLAMATION, languageId);
        return E_FAIL;
    });
}

STDMETHODIMP TContextMenu::GetCommandString(UINT_PTR, UINT type, UINT*, CHAR* buffer, UINT bufferSize) {
    return ComBarrier([&]() -> HRESULT {
        // No verb names and no help texts: an empty text, as wide as the request asks for.
        if (buffer != nullptr && bufferSize > 0) {
            if ((type & GCS_UNICODE) != 0) {
                *reinterpret_cast<WCHAR*>(buffer) = L'\0';
            } else {
                *buffer = '\0';
            }
        }
        return S_OK;
    });
}

STDMETHODIMP TContextMenu::InterfaceSupportsErrorInfo(REFIID interfaceId) {
    const bool implemented =
        IsEqualIID(interfaceId, IID_IUnknown) || IsEqualIID(interfaceId, IID_IContextMenu) ||
        IsEqualIID(interfaceId, IID_IShellExtInit) || IsEqualIID(interfaceId, IID_ISupportErrorInfo);
    return implemented ? S_OK : S_FALSE;
}
