#include "RegistryReadback.h"

#include <sstream>
#include <vector>

#include "KavrilonNames.h"
#include "TestEnvironment.h"

std::string TRegValue::Text() const {
    return Bytes.substr(0, Bytes.find('\0'));
}

TRegValue ReadRegValue(HKEY root, const std::string& key, const char* name, REGSAM view) {
    TRegValue value;
    HKEY handle = nullptr;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_QUERY_VALUE | view, &handle) != ERROR_SUCCESS) {
        return value;
    }
    DWORD size = 0;
    if (RegQueryValueExA(handle, name, nullptr, &value.Type, nullptr, &size) == ERROR_SUCCESS) {
        std::vector<char> data(size + 1, '\0');
        if (RegQueryValueExA(handle, name, nullptr, &value.Type, reinterpret_cast<BYTE*>(data.data()),
                             &size) == ERROR_SUCCESS) {
            value.Exists = true;
            value.Bytes.assign(data.data(), size);
        }
    }
    RegCloseKey(handle);
    return value;
}

bool RegKeyExists(HKEY root, const std::string& key, REGSAM view) {
    HKEY handle = nullptr;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_QUERY_VALUE | view, &handle) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(handle);
    return true;
}

bool TShellExtEntries::operator==(const TShellExtEntries& o) const {
    return Describe() == o.Describe();
}

std::string TShellExtEntries::Describe() const {
    std::ostringstream text;
    const struct {
        const char* Name;
        const TRegValue& Value;
    } rows[] = {{"approved", Approved},        {"class", ClassName}, {"server", Server},
                {"threading", ThreadingModel}, {"exe", ExeLocation}, {"handler", Handler}};
    for (const auto& row : rows) {
        text << row.Name << ": ";
        if (row.Value.Exists) {
            text << "type " << row.Value.Type << ", " << row.Value.Bytes.size() << " bytes \""
                 << row.Value.Text() << "\"\n";
        } else {
            text << "missing\n";
        }
    }
    text << "keys: class " << ClassKeyExists << ", server " << ServerKeyExists << ", handler "
         << HandlerKeyExists << "\n";
    return text.str();
}

TShellExtEntries ReadShellExtEntries(REGSAM view, bool perUser) {
    const HKEY approvedRoot = perUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
    const HKEY classesRoot = perUser ? HKEY_CURRENT_USER : HKEY_CLASSES_ROOT;
    const std::string prefix = perUser ? ClassesKeyPath : "";
    const std::string classKey = prefix + ShellExtClassKeyPath;
    const std::string serverKey = prefix + ShellExtServerKeyPath;
    const std::string handlerKey = prefix + ShellExtHandlerKeyPath;
    TShellExtEntries e;
    e.Approved = ReadRegValue(approvedRoot, ShellExtApprovedKeyPath, ShellExtClassIdText, view);
    e.ClassName = ReadRegValue(classesRoot, classKey, nullptr, view);
    e.Server = ReadRegValue(classesRoot, serverKey, nullptr, view);
    e.ThreadingModel = ReadRegValue(classesRoot, serverKey, ThreadingModelValueName, view);
    e.ExeLocation = ReadRegValue(classesRoot, serverKey, ExeLocationValueName, view);
    e.Handler = ReadRegValue(classesRoot, handlerKey, nullptr, view);
    e.ClassKeyExists = RegKeyExists(classesRoot, classKey, view);
    e.ServerKeyExists = RegKeyExists(classesRoot, serverKey, view);
    e.HandlerKeyExists = RegKeyExists(classesRoot, handlerKey, view);
    return e;
}

bool NoShellExtEntries(REGSAM view, bool perUser) {
    const TShellExtEntries e = ReadShellExtEntries(view, perUser);
    return !e.Approved.Exists && !e.ClassKeyExists && !e.ServerKeyExists && !e.HandlerKeyExists;
}

namespace {

// The parent is opened in the view, so that the subtree of that view goes.
void DeleteSubtree(HKEY root, const std::string& path, REGSAM view) {
    const size_t split = path.find_last_of('\\');
    HKEY parent = nullptr;
    if (RegOpenKeyExA(root, path.substr(0, split).c_str(), 0, KEY_ALL_ACCESS | view, &parent) ==
        ERROR_SUCCESS) {
        RegDeleteTreeA(parent, path.substr(split + 1).c_str());
        RegCloseKey(parent);
    }
}

} // namespace

void ClearShellExtEntries() {
    for (REGSAM view : {REGSAM(KEY_WOW64_32KEY), REGSAM(KEY_WOW64_64KEY)}) {
        for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
            HKEY approved = nullptr;
            if (RegOpenKeyExA(root, ShellExtApprovedKeyPath, 0, KEY_SET_VALUE | view, &approved) ==
                ERROR_SUCCESS) {
                RegDeleteValueA(approved, ShellExtClassIdText);
                RegCloseKey(approved);
            }
            const std::string classes = ClassesKeyPath;
            DeleteSubtree(root, classes + ShellExtClassKeyPath, view);
            DeleteSubtree(root, classes + ShellExtHandlerKeyPath, view);
        }
    }
}

bool WriteServerEntries(const std::string& extensionPath, const std::string& exeLocation) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CLASSES_ROOT, ShellExtServerKeyPath, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS) {
        return false;
    }
    auto set = [key](const char* name, const std::string& text) {
        return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                              static_cast<DWORD>(text.size() + 1)) == ERROR_SUCCESS;
    };
    bool ok = set(nullptr, extensionPath) && set(ThreadingModelValueName, ShellExtThreadingModel);
    if (ok && !exeLocation.empty()) {
        ok = set(ExeLocationValueName, exeLocation);
    }
    RegCloseKey(key);
    return ok;
}

bool WritePerUserEntries(const std::string& folder) {
    const std::string classes = ClassesKeyPath;
    std::vector<std::pair<REGSAM, const char*>> views = {{KEY_WOW64_32KEY, ShellExtFileName}};
    if (RunsUnderWow64()) {
        views.push_back({KEY_WOW64_64KEY, ShellExt64FileName});
    }
    bool ok = true;
    for (const auto& [view, dll] : views) {
        ok = SetRegistryString(HKEY_CURRENT_USER, ShellExtApprovedKeyPath, ShellExtClassIdText,
                               ShellExtRegisteredName, view) &&
             SetRegistryString(HKEY_CURRENT_USER, classes + ShellExtClassKeyPath, "", ShellExtRegisteredName,
                               view) &&
             SetRegistryString(HKEY_CURRENT_USER, classes + ShellExtServerKeyPath, "", folder + dll, view) &&
             SetRegistryString(HKEY_CURRENT_USER, classes + ShellExtServerKeyPath, ThreadingModelValueName,
                               ShellExtThreadingModel, view) &&
             SetRegistryString(HKEY_CURRENT_USER, classes + ShellExtServerKeyPath, ExeLocationValueName,
                               folder + MainProgramFileName, view) &&
             SetRegistryString(HKEY_CURRENT_USER, classes + ShellExtHandlerKeyPath, "", ShellExtClassIdText,
                               view) &&
             ok;
    }
    return ok;
}
