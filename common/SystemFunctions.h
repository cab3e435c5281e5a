#pragma once
// System functions that not every Windows has, looked up at run time: a missing import would stop
// a program from loading on the systems that lack it.

#include <windows.h>

// `functionName` of `module`, as a pointer of type F; null when the module is null or lacks it.
template <typename F>
F ModuleFunction(HMODULE module, const char* functionName) {
    return module == nullptr
               ? nullptr
               : reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, functionName)));
}

// `functionName` of a module that this process has loaded already (kernel32, user32, advapi32 ...);
// nothing is loaded. Null when the module is not loaded or lacks the function.
template <typename F>
F LoadedFunction(const char* moduleName, const char* functionName) {
    return ModuleFunction<F>(GetModuleHandleA(moduleName), functionName);
}
