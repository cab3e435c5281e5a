// KavrilonShellEx.dll: the in-process COM server of the desktop context-menu handler.
// Library entry and the COM server exports. The context-menu class and its class factory are not
// built yet: no class is offered, so the shell never creates an object of this library.

#include <windows.h>
#include <objbase.h>

namespace {

HINSTANCE ModuleInstance = nullptr;

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/) {
    if (reason == DLL_PROCESS_ATTACH) {
        ModuleInstance = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

extern "C" HRESULT WINAPI DllGetClassObject(REFCLSID /*classId*/, REFIID /*interfaceId*/, void** object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    *object = nullptr;
    return CLASS_E_CLASSNOTAVAILABLE;
}

extern "C" HRESULT WINAPI DllCanUnloadNow() {
    // No object of this library can exist yet.
    return S_OK;
}

extern "C" HRESULT WINAPI DllRegisterServer() {
    return E_NOTIMPL;
}

extern "C" HRESULT WINAPI DllUnregisterServer() {
    return E_NOTIMPL;
}
