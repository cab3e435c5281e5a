#include "LayoutFileDialogs.h"

#include <commdlg.h>
#include <shobjidl.h>

#include <vector>

#include "BackupStore.h"
#include "CallbackBarrier.h"
#include "FileDialogRules.h"
#include "FileSystem.h"
#include "Language.h"
#include "LayoutPreviewWindow.h"
#include "Options.h"
#include "Paths.h"
#include "ProcessState.h"
#include "ResourceIds.h"
#include "WinHandles.h"

namespace {

// The file-name box of the Explorer-style dialogs (cmb13).
constexpr int FileNameControl = 1148;
constexpr DWORD FileBufferSize = MAX_PATH + 1;
constexpr DWORD SaveFlags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_ENABLEHOOK | OFN_EXPLORER;
constexpr DWORD OpenFlags = OFN_HIDEREADONLY | OFN_ENABLEHOOK | OFN_EXPLORER;
static_assert(SaveFlags == 0x80026 && OpenFlags == 0x80024);
// The save dialog accepts only file-system paths in existing folders and asks before it replaces a
// file; the open dialog accepts only file-system paths.
constexpr DWORD SaveOptions =
    FOS_OVERWRITEPROMPT | FOS_FORCEFILESYSTEM | FOS_PATHMUSTEXIST | FOS_DEFAULTNOMINIMODE;
constexpr DWORD OpenOptions = FOS_FORCEFILESYSTEM;
static_assert(SaveOptions == 0x20000842 && OpenOptions == 0x40);

// The event sink of the item dialog, held only while the dialog runs.
class TDialogEvents;
TDialogEvents* DialogEventSink = nullptr;
// The picture beside the classic open dialog (its hook has no context of its own).
TPreviewFollower ClassicPreview;

std::wstring Widen(const std::string& text) {
    const int length = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    if (length <= 0) {
        return {};
    }
    std::vector<wchar_t> buffer(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, buffer.data(), length);
    return buffer.data();
}

std::string Narrow(const wchar_t* text) {
    const int length = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (length <= 0) {
        return {};
    }
    std::vector<char> buffer(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, 0, text, -1, buffer.data(), length, nullptr, nullptr);
    return buffer.data();
}

std::string DialogTitle(bool saving) {
    return TitleCaption(saving ? 4000 : 4001);
}

std::string OkLabel(bool saving) {
    return saving ? LangPick("Sichern", "Save") : LangPick("Restaurieren", "Restore");
}

std::string KvlTypeName() {
    return LangPick("Kavrilon-Dateien", "Kavrilon Files");
}

std::string AllTypeName() {
    return LangPick("Alle Dateien", "All Files");
}

// Stores the folder of a chosen file for the next dialog of its kind.
void RememberFolder(const std::string& path, bool saving) {
    (saving ? ProgramOptions.SavePath : ProgramOptions.RestorePath) = FolderOfPath(path);
    WriteOptions();
}

// The file-system path of a shell item, or empty.
std::string FileSystemPath(IShellItem* item) {
    wchar_t* path = nullptr;
    if (item == nullptr || FAILED(item->GetDisplayName(SIGDN_FILESYSPATH, &path)) || path == nullptr) {
        return {};
    }
    std::string result = Narrow(path);
    CoTaskMemFree(path);
    return result;
}

// Shows the picture of `file` beside the dialog `window` while it names a file (not a folder).
void FollowSelectedFile(TPreviewFollower& preview, HWND window, const std::string& file) {
    RECT beside = {};
    const bool isFile = !file.empty() && PathExists(file) && !FolderExists(file);
    FollowSelection(preview,
                    isFile && window != nullptr && GetWindowRect(window, &beside) ? file : std::string(),
                    beside, window);
}

// Saving: proposes a free file name in every folder the dialog shows and refuses results that are
// not files of the file system. Opening: shows the picture of the selected layout file.
class TDialogEvents final : public IFileDialogEvents {
public:
    explicit TDialogEvents(bool saving) : saving_(saving) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (object == nullptr) {
            return E_POINTER;
        }
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IFileDialogEvents)) {
            *object = static_cast<IFileDialogEvents*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override {
        return static_cast<ULONG>(InterlockedIncrement(&references_));
    }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG count = InterlockedDecrement(&references_);
        if (count == 0) {
            delete this;
        }
        return static_cast<ULONG>(count);
    }

    HRESULT STDMETHODCALLTYPE OnFileOk(IFileDialog* dialog) override {
        if (!saving_) {
            return S_OK;
        }
        return CallbackBarrier<HRESULT>(E_FAIL, [&]() -> HRESULT {
            TComPtr<IShellItem> result;
            if (FAILED(dialog->GetResult(result.put()))) {
                return E_FAIL;
            }
            return FileSystemPath(result.get()).empty() ? E_FAIL : S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE OnFolderChanging(IFileDialog*, IShellItem*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnFolderChange(IFileDialog* dialog) override {
        if (!saving_) {
            return S_OK;
        }
        return CallbackBarrier<HRESULT>(E_FAIL, [&]() -> HRESULT {
            TComPtr<IShellItem> folder;
            if (FAILED(dialog->GetFolder(folder.put()))) {
                return E_FAIL;
            }
            const std::string path = FileSystemPath(folder.get());
            if (path.empty()) {
                return E_FAIL;
            }
            dialog->SetFileName(Widen(SuggestLayoutFileName(path)).c_str());
            return S_OK;
        });
    }
    // The open dialog shows the picture of the selected layout file beside itself.
    HRESULT STDMETHODCALLTYPE OnSelectionChange(IFileDialog* dialog) override {
        if (saving_) {
            return E_NOTIMPL;
        }
        return CallbackBarrier<HRESULT>(S_OK, [&]() -> HRESULT {
            std::string file;
            TComPtr<IShellItem> item;
            if (SUCCEEDED(dialog->GetCurrentSelection(item.put()))) {
                file = FileSystemPath(item.get());
            }
            HWND window = nullptr;
            TComPtr<IOleWindow> oleWindow;
            if (SUCCEEDED(
                    dialog->QueryInterface(IID_IOleWindow, reinterpret_cast<void**>(oleWindow.put())))) {
                oleWindow.get()->GetWindow(&window);
            }
            FollowSelectedFile(preview_, window, file);
            return S_OK;
        });
    }
    void StopPreview() { StopFollowing(preview_); }
    HRESULT STDMETHODCALLTYPE OnShareViolation(IFileDialog*, IShellItem*,
                                               FDE_SHAREVIOLATION_RESPONSE*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE OnTypeChange(IFileDialog*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnOverwrite(IFileDialog*, IShellItem*, FDE_OVERWRITE_RESPONSE*) override {
        return E_NOTIMPL;
    }

private:
    ~TDialogEvents() { StopFollowing(preview_); }
    LONG references_ = 1;
    bool saving_;
    TPreviewFollower preview_;
};

std::string RunClassicDialog(bool saving) {
    const std::string title = DialogTitle(saving);
    const std::string startFolder = LayoutDialogStartFolder(saving);
    std::string filter = KvlTypeName() + " (*.kvl)";
    filter += '\0';
    filter += "*.kvl";
    filter += '\0';
    filter += AllTypeName() + " (*.*)";
    filter += '\0';
    filter += "*.*";
    filter += '\0';
    std::vector<char> file(FileBufferSize, '\0');

    OPENFILENAMEA dialog = {};
    dialog.lStructSize = RunningWindows.OpenFileNameSize;
    dialog.hwndOwner = OwnerWindow;
    dialog.lpstrFilter = filter.c_str(); // the string's own terminator ends the list
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = FileBufferSize - 1;
    dialog.lpstrInitialDir = startFolder.c_str();
    dialog.lpstrTitle = title.c_str();
    dialog.lpstrDefExt = "kvl";
    dialog.Flags = saving ? SaveFlags : OpenFlags;
    dialog.lCustData = saving ? 1 : 0; // the purpose, for the hook
    dialog.lpfnHook = ClassicDialogHook;
    const BOOL chosen = saving ? GetSaveFileNameA(&dialog) : GetOpenFileNameA(&dialog);
    StopFollowing(ClassicPreview);
    if (!chosen) {
        return {};
    }
    const std::string result = file.data();
    RememberFolder(result, saving);
    return result;
}

std::string LayoutFileDialog(bool saving) {
    ++ModalDepth;
    TScopeExit lowerDepth([] { --ModalDepth; });
    return RunningWindows.IsVistaFamily ? RunItemDialog(saving) : RunClassicDialog(saving);
}

} // namespace

std::string LayoutDialogStartFolder(bool saving) {
    if (PortableMode) {
        return ProgramFolder();
    }
    const std::string& own = saving ? ProgramOptions.SavePath : ProgramOptions.RestorePath;
    const std::string& other = saving ? ProgramOptions.RestorePath : ProgramOptions.SavePath;
    return own.empty() ? other : own;
}

std::string SuggestLayoutFileName(const std::string& folder) {
    const std::string base = LayoutFileBase(ResolutionKey(), TimeStamp());
    const std::string prefix = WithTrailingBackslash(folder);
    int counter = 0;
    while (counter < LayoutFileMaxCounter && PathExists(prefix + LayoutFileCandidate(base, counter))) {
        ++counter;
    }
    return LayoutFileCandidate(base, counter);
}

std::string SaveLayoutFileDialog() {
    return LayoutFileDialog(true);
}

std::string OpenLayoutFileDialog() {
    return LayoutFileDialog(false);
}

std::string RunItemDialog(bool saving) {
    TComPtr<IFileDialog> dialog;
    if (FAILED(CoCreateInstance(saving ? CLSID_FileSaveDialog : CLSID_FileOpenDialog, nullptr,
                                CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                                saving ? IID_IFileSaveDialog : IID_IFileOpenDialog,
                                reinterpret_cast<void**>(dialog.put())))) {
        return {};
    }
    dialog.get()->SetTitle(Widen(DialogTitle(saving)).c_str());
    dialog.get()->SetOkButtonLabel(Widen(OkLabel(saving)).c_str());
    const std::wstring kvlName = Widen(KvlTypeName());
    const std::wstring allName = Widen(AllTypeName());
    const COMDLG_FILTERSPEC types[2] = {{kvlName.c_str(), L"*.kvl"}, {allName.c_str(), L"*.*"}};
    dialog.get()->SetFileTypes(2, types);

    const std::string startFolder = LayoutDialogStartFolder(saving);
    if (SHCreateItemFromParsingNamePtr != nullptr && !startFolder.empty()) {
        TComPtr<IShellItem> folder;
        if (SUCCEEDED(SHCreateItemFromParsingNamePtr(Widen(startFolder).c_str(), nullptr, IID_IShellItem,
                                                     reinterpret_cast<void**>(folder.put())))) {
            dialog.get()->SetFolder(folder.get());
        }
    }
    if (FAILED(dialog.get()->SetOptions(saving ? SaveOptions : OpenOptions))) {
        return {};
    }

    bool advised = false;
    DWORD cookie = 0;
    DialogEventSink = new TDialogEvents(saving);
    advised = SUCCEEDED(dialog.get()->Advise(DialogEventSink, &cookie));
    TScopeExit unadvise([&] {
        if (advised) {
            dialog.get()->Unadvise(cookie);
        }
        if (DialogEventSink != nullptr) {
            DialogEventSink->Release();
            DialogEventSink = nullptr;
        }
    });

    std::string result;
    const bool shown = SUCCEEDED(dialog.get()->Show(OwnerWindow));
    DialogEventSink->StopPreview();
    if (shown) {
        TComPtr<IShellItem> item;
        if (SUCCEEDED(dialog.get()->GetResult(item.put()))) {
            result = FileSystemPath(item.get());
        }
    }
    if (!result.empty()) {
        RememberFolder(result, saving);
    }
    return result;
}

namespace {

UINT_PTR ClassicDialogHookBody(HWND hook, UINT message, LPARAM lParam) {
    HWND dialog = GetParent(hook);
    if (message == WM_INITDIALOG) {
        RECT rect = {};
        GetWindowRect(dialog, &rect);
        // Centred on the screen by the dialog's size.
        const int x = (GetSystemMetrics(SM_CXSCREEN) - (rect.right - rect.left)) / 2;
        const int y = (GetSystemMetrics(SM_CYSCREEN) - (rect.bottom - rect.top)) / 2;
        SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOZORDER | SWP_NOSIZE);
        HANDLE icon =
            LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IconTray), IMAGE_ICON, 16, 16, LR_SHARED);
        SendMessageA(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
        SetWindowPos(dialog, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        return 0;
    }
    if (message != WM_NOTIFY) {
        return 0;
    }
    const auto* notify = reinterpret_cast<const OFNOTIFYA*>(lParam);
    const bool saving = notify->lpOFN != nullptr && notify->lpOFN->lCustData != 0;
    if (notify->hdr.code == CDN_SELCHANGE && !saving) {
        char path[MAX_PATH + 1] = {};
        const LRESULT length =
            SendMessageA(dialog, CDM_GETFILEPATH, MAX_PATH, reinterpret_cast<LPARAM>(path));
        FollowSelectedFile(ClassicPreview, dialog,
                           length > 0 && length <= MAX_PATH ? std::string(path) : std::string());
    } else if (notify->hdr.code == CDN_INITDONE) {
        const std::string label = OkLabel(saving);
        SendMessageA(dialog, CDM_SETCONTROLTEXT, IDOK, reinterpret_cast<LPARAM>(label.c_str()));
    } else if (notify->hdr.code == CDN_FOLDERCHANGE && saving) {
        char folder[MAX_PATH + 1] = {};
        const LRESULT length =
            SendMessageA(dialog, CDM_GETFOLDERPATH, MAX_PATH, reinterpret_cast<LPARAM>(folder));
        const std::string path = FolderPathFromReply(folder, MAX_PATH, static_cast<long>(length));
        const std::string name = SuggestLayoutFileName(path);
        OPENFILENAMEA* request = notify->lpOFN;
        if (request != nullptr && request->lpstrFile != nullptr && request->nMaxFile > name.size()) {
            lstrcpynA(request->lpstrFile, name.c_str(), static_cast<int>(request->nMaxFile));
        }
        SendMessageA(dialog, CDM_SETCONTROLTEXT, FileNameControl, reinterpret_cast<LPARAM>(name.c_str()));
    }
    return 0;
}

} // namespace

UINT_PTR CALLBACK ClassicDialogHook(HWND hook, UINT message, WPARAM, LPARAM lParam) {
    return CallbackBarrier<UINT_PTR>(0, [&] { return ClassicDialogHookBody(hook, message, lParam); });
}
