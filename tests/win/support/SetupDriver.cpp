#include "SetupDriver.h"

#include <msi.h>
#include <objbase.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <set>

#include "DialogDriver.h"
#include "KavrilonNames.h"
#include "KavrilonVersion.h"
#include "ProcessRunner.h"
#include "RegistryReadback.h"
#include "TestEnvironment.h"

namespace {

std::string LowerCase(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

// The file of a running process, lower case; empty when it cannot be read.
std::string ImageOf(HANDLE process) {
    char path[MAX_PATH] = {};
    DWORD size = MAX_PATH;
    if (!QueryFullProcessImageNameA(process, 0, path, &size)) {
        return {};
    }
    char longPath[MAX_PATH] = {};
    GetLongPathNameA(path, longPath, MAX_PATH);
    return LowerCase(longPath);
}

// Adds to `tree` the running processes that a member started from the temp folder: an uninstaller
// hands its work to a copy of itself there. Other children (the registration utility, which the
// setup program waits for itself, or a process the platform starts beside the first program of a
// session) are not waited for. A handle is kept for each member, which also keeps its id unique.
void AddChildProcesses(std::map<DWORD, HANDLE>& tree) {
    char temp[MAX_PATH] = {};
    char longTemp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    GetLongPathNameA(temp, longTemp, MAX_PATH);
    const std::string tempFolder = LowerCase(longTemp);
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        return;
    }
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
        if (tree.count(entry.th32ParentProcessID) == 0 || tree.count(entry.th32ProcessID) != 0) {
            continue;
        }
        HANDLE process =
            OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID);
        if (process == nullptr) {
            continue;
        }
        if (ImageOf(process).rfind(tempFolder, 0) == 0) {
            tree[entry.th32ProcessID] = process;
        } else {
            CloseHandle(process);
        }
    }
    CloseHandle(snapshot);
}

bool AllEnded(const std::map<DWORD, HANDLE>& tree) {
    for (const auto& process : tree) {
        if (WaitForSingleObject(process.second, 0) == WAIT_TIMEOUT) {
            return false;
        }
    }
    return true;
}

// The control of the wizard's header that shows the page's title.
constexpr int WizardHeaderTitleId = 1037;

struct TWizardState {
    std::set<std::string> PagesPressed; // page window and header text of every page left
};

// One step of driving the visible windows of one process: sets the named check boxes of the current
// page and presses its default button once. Returns false when a message box is up.
bool DrivePages(DWORD pid, const std::map<std::string, bool>& choices, TWizardState& wizard, TSetupRun& run) {
    for (const TSeenWindow& window : TopLevelWindowsOf(pid)) {
        if (window.ClassName != "#32770" || !window.Visible) {
            continue;
        }
        // The wizard has a header (its title control) and shows the current page as a child dialog,
        // which is missing or still hidden (while its controls are made) for a moment between two
        // pages; a message box has neither.
        HWND page = FindWindowExA(window.Window, nullptr, "#32770", nullptr);
        while (page != nullptr && !IsWindowVisible(page)) {
            page = FindWindowExA(window.Window, page, "#32770", nullptr);
        }
        if (GetDlgItem(window.Window, WizardHeaderTitleId) != nullptr) {
            if (page == nullptr) {
                continue;
            }
        } else {
            const std::vector<HWND> children = ChildWindows(window.Window);
            run.Log += "message box \"" + window.Caption + "\":";
            for (HWND child : children) {
                run.Log += " " + TextOf(child);
            }
            run.Log += "\n";
            return false;
        }
        const std::vector<HWND> children = ChildWindows(page);
        for (HWND child : children) {
            const LONG type = GetWindowLongA(child, GWL_STYLE) & BS_TYPEMASK;
            if (ClassOf(child) != "Button" ||
                (type != BS_AUTOCHECKBOX && type != BS_CHECKBOX && type != BS_AUTORADIOBUTTON &&
                 type != BS_RADIOBUTTON) ||
                !IsWindowVisible(child)) {
                continue;
            }
            const std::string text = TextOf(child);
            const bool checked = SendMessageA(child, BM_GETCHECK, 0, 0) == BST_CHECKED;
            run.CheckBoxesShown.emplace(text, checked);
            const auto choice = choices.find(text);
            if (choice != choices.end() && choice->second != checked) {
                // As a click would: the box toggles and tells its page.
                SendMessageTimeoutA(child, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 5000, nullptr);
            }
        }
        const std::string pageName = std::to_string(reinterpret_cast<uintptr_t>(page)) + " " +
                                     TextOf(GetDlgItem(window.Window, WizardHeaderTitleId));
        HWND next = GetDlgItem(window.Window, IDOK);
        if (next != nullptr && IsWindowVisible(next) && IsWindowEnabled(next) &&
            wizard.PagesPressed.insert(pageName).second) {
            run.Log += "page \"" + TextOf(GetDlgItem(window.Window, WizardHeaderTitleId)) + "\": pressed \"" +
                       TextOf(next) + "\"\n";
            PostMessageA(window.Window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                         reinterpret_cast<LPARAM>(next));
        }
    }
    return true;
}

} // namespace

std::string ReleaseDir() {
    char full[MAX_PATH] = {};
    GetFullPathNameA((TestBinDir() + "..\\..\\release\\").c_str(), MAX_PATH, full, nullptr);
    return full;
}

std::string SetupProgramPath() {
    return ReleaseDir() + "Kavrilon-" KV_VERSION_TEXT "-setup.exe";
}

std::string MsiPackagePath() {
    return ReleaseDir() +
           (RunsUnderWow64() ? "Kavrilon-" KV_VERSION_TEXT ".msi" : "Kavrilon-" KV_VERSION_TEXT "-x86.msi");
}

std::string NextMsiPackagePath() {
    return TestBinDir() + (RunsUnderWow64() ? "Kavrilon-next.msi" : "Kavrilon-next-x86.msi");
}

std::string InstallFolder() {
    // A 32-bit process on 64-bit Windows finds the native folder in ProgramW6432.
    char folder[MAX_PATH] = {};
    if (GetEnvironmentVariableA("ProgramW6432", folder, MAX_PATH) == 0) {
        return ShellFolder(CSIDL_PROGRAM_FILES) + "\\Kavrilon\\";
    }
    return std::string(folder) + "\\Kavrilon\\";
}

std::string UninstallerPath() {
    return InstallFolder() + UninstallerFileName;
}

std::string StartMenuShortcutPath() {
    return ShellFolder(CSIDL_COMMON_PROGRAMS) + "\\" + StartMenuShortcutName;
}

std::string PerUserInstallFolder() {
    return ShellFolder(CSIDL_LOCAL_APPDATA) + "\\Programs\\Kavrilon\\";
}

std::string PerUserUninstallerPath() {
    return PerUserInstallFolder() + UninstallerFileName;
}

std::string UserStartMenuShortcutPath() {
    return ShellFolder(CSIDL_PROGRAMS) + "\\" + StartMenuShortcutName;
}

std::string ShortcutTarget(const std::string& shortcut) {
    std::string target;
    const bool initialized = SUCCEEDED(CoInitialize(nullptr));
    IShellLinkA* link = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void**>(&link)))) {
        IPersistFile* file = nullptr;
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
            std::wstring wide(shortcut.begin(), shortcut.end());
            char path[MAX_PATH] = {};
            if (SUCCEEDED(file->Load(wide.c_str(), STGM_READ)) &&
                SUCCEEDED(link->GetPath(path, MAX_PATH, nullptr, SLGP_RAWPATH))) {
                target = path;
            }
            file->Release();
        }
        link->Release();
    }
    if (initialized) {
        CoUninitialize();
    }
    return target;
}

std::string RegistryValue(HKEY root, const std::string& key, const std::string& name, REGSAM view) {
    const TRegValue value = ReadRegValue(root, key, name.c_str(), view);
    if (!value.Exists) {
        return "<missing>";
    }
    if (value.Type == REG_DWORD && value.Bytes.size() == sizeof(DWORD)) {
        return std::to_string(*reinterpret_cast<const DWORD*>(value.Bytes.data()));
    }
    return value.Text();
}

std::vector<REGSAM> ShellRegistryViews() {
    if (RunsUnderWow64()) {
        return {KEY_WOW64_64KEY, KEY_WOW64_32KEY};
    }
    return {0};
}

TSetupRun RunSetupProgram(const std::string& exe, const std::vector<std::string>& arguments, bool pages,
                          const std::map<std::string, bool>& choices, DWORD timeoutMs) {
    TSetupRun run;
    TChildProcess process;
    run.Started = process.Start(exe, arguments);
    if (!run.Started) {
        return run;
    }
    std::map<DWORD, HANDLE> tree;
    HANDLE own = nullptr;
    DuplicateHandle(GetCurrentProcess(), process.Handle(), GetCurrentProcess(), &own, 0, FALSE,
                    DUPLICATE_SAME_ACCESS);
    tree[process.Pid()] = own;
    TWizardState wizard;
    const double deadline = NowSeconds() + timeoutMs / 1000.0;
    while (true) {
        AddChildProcesses(tree);
        if (AllEnded(tree)) {
            break;
        }
        bool blocked = false;
        if (pages) {
            for (const auto& member : tree) {
                blocked = !DrivePages(member.first, choices, wizard, run) || blocked;
            }
        }
        if (blocked || NowSeconds() >= deadline) {
            run.TimedOut = true;
            break;
        }
        Sleep(100);
    }
    for (const auto& member : tree) {
        if (run.TimedOut) {
            TerminateProcess(member.second, 0xDEAD);
        }
        CloseHandle(member.second);
    }
    run.ExitCode = process.ExitCode();
    return run;
}

DWORD RunMsiexec(const std::vector<std::string>& arguments) {
    char system[MAX_PATH] = {};
    GetSystemDirectoryA(system, MAX_PATH);
    const TRunResult run = RunProcess(std::string(system) + "\\msiexec.exe", arguments, 120000);
    return run.Started && !run.TimedOut ? run.ExitCode : ~0u;
}

std::vector<std::string> InstalledMsiProducts() {
    std::vector<std::string> products;
    char code[39] = {};
    for (DWORD index = 0; MsiEnumRelatedProductsA(KV_MSI_UPGRADE_CODE, 0, index, code) == ERROR_SUCCESS;
         ++index) {
        products.push_back(code);
    }
    return products;
}

TAssumedAccountType::TAssumedAccountType(const char* type) {
    SetEnvironmentVariableA("KAVRILON_SETUP_ACCOUNT_TYPE", type);
}

TAssumedAccountType::~TAssumedAccountType() {
    SetEnvironmentVariableA("KAVRILON_SETUP_ACCOUNT_TYPE", nullptr);
}

void RemoveInstallation() {
    for (const std::string& uninstaller : {UninstallerPath(), PerUserUninstallerPath()}) {
        if (IsFile(uninstaller)) {
            RunSetupProgram(uninstaller, {"/S"});
        }
    }
    for (const std::string& product : InstalledMsiProducts()) {
        RunMsiexec({"/x", product, "/qn"});
    }
    RemoveTree(InstallFolder());
    RemoveTree(PerUserInstallFolder());
    DeleteFileA(StartMenuShortcutPath().c_str());
    DeleteFileA(UserStartMenuShortcutPath().c_str());
    DeleteRegistryTree(HKEY_LOCAL_MACHINE, UninstallKeyPath);
    DeleteRegistryTree(HKEY_CURRENT_USER, UninstallKeyPath);
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
        HKEY run = nullptr;
        if (RegOpenKeyExA(root, RunKeyPath, 0, KEY_SET_VALUE, &run) == ERROR_SUCCESS) {
            RegDeleteValueA(run, AutostartValueName);
            RegCloseKey(run);
        }
    }
    ClearShellExtEntries();
}
