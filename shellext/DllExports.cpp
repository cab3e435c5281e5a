// KavrilonShellEx.dll: the in-process COM server of the desktop context-menu handler. Library entry,
// the four exports and the server's self-registration.

#include <windows.h>
#include <objbase.h>

#include <string>

#include "ClassFactory.h"
#include "CallbackBarrier.h"
#include "FileSystem.h"
#include "ContextMenuHandler.h"
#include "KavrilonNames.h"
#include "ServerState.h"
#include "WinHandles.h"

namespace {

// {6E1B4C92-7A3D-4F05-B8E2-91C4D7A35B60}, the class id of KavrilonNames.h.
constexpr CLSID ContextMenuClassId = {
    0x6E1B4C92, 0x7A3D, 0x4F05, {0xB8, 0xE2, 0x91, 0xC4, 0xD7, 0xA3, 0x5B, 0x60}};

constexpr const char* ServerDescription = "Kavrilon Shell Extension";

// The factory list: the one class this server serves. It is fixed at load and only read afterwards.
struct TFactoryEntry {
    const CLSID* ClassId;
    IClassFactory* (*Factory)();
};
const TFactoryEntry FactoryList[] = {{&ContextMenuClassId, &ContextMenuFactory}};

HRESULT CreateKeyWithText(const std::string& path, const std::string& text) {
    TUniqueRegKey key;
    if (RegCreateKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, const_cast<char*>(""), 0, KEY_READ | KEY_WRITE,
                        nullptr, key.put(), nullptr) != ERROR_SUCCESS ||
        RegSetValueExA(key.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                       static_cast<DWORD>(text.size() + 1)) != ERROR_SUCCESS) {
        return E_FAIL;
    }
    return S_OK;
}

// The library's full path, in its short form when it holds a space.
std::string ServerPath() {
    std::string result = ModuleFilePath(ModuleInstance);
    if (result.find(' ') != std::string::npos) {
        char shortPath[262] = {};
        const DWORD shortLength = GetShortPathNameA(result.c_str(), shortPath, sizeof(shortPath));
        if (shortLength > 0 && shortLength < sizeof(shortPath)) {
            result.assign(shortPath, shortLength);
        }
    }
    return result;
}

constexpr const char* ClassKey = ShellExtClassKeyPath;
constexpr const char* SelfRegisteredServerKey = "CLSID\\" KV_SHELLEXT_CLSID_TEXT "\\InprocServer32";

} // namespace

// The library entry and the four exports have C linkage and the stdcall convention (EXTERN_C and
// STDAPI of the Windows headers); the .def file gives the exports their plain names.
EXTERN_C BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        DisableThreadLibraryCalls(instance);
        CreateServerState(instance);
    } else if (reason == DLL_PROCESS_DETACH && reserved == nullptr) {
        // Unloaded by FreeLibrary (after DllCanUnloadNow): the menu bitmap is deleted with the rest.
        // When the process ends instead, its other threads are gone, possibly holding the lock, and
        // the memory and the bitmap go with the process.
        ClearHandlerState();
        FreeServerState();
    }
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID classId, REFIID interfaceId, void** object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    *object = nullptr;
    for (const TFactoryEntry& entry : FactoryList) {
        if (IsEqualCLSID(classId, *entry.ClassId)) {
            return entry.Factory()->QueryInterface(interfaceId, object);
        }
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

STDAPI DllCanUnloadNow() {
    return LiveObjectCount == 0 && ServerLockCount == 0 && FactoryReferenceCount == 0 ? S_OK : S_FALSE;
}

// Writes the class key and its in-process server key; the entries that make the shell offer the menu
// are written by the registration utility only.
STDAPI DllRegisterServer() {
    return ComBarrier([]() -> HRESULT {
        const HRESULT result = CreateKeyWithText(ClassKey, ServerDescription);
        if (FAILED(result)) {
            return result;
        }
        const std::string path = ServerPath();
        return path.empty() ? E_FAIL : CreateKeyWithText(SelfRegisteredServerKey, path);
    });
}

STDAPI DllUnregisterServer() {
    return ComBarrier([]() -> HRESULT {
        RegDeleteKeyA(HKEY_CLASSES_ROOT, SelfRegisteredServerKey);
        RegDeleteKeyA(HKEY_CLASSES_ROOT, ClassKey);
        return S_OK;
    });
}
