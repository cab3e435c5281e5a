#pragma once
// No C++ exception may leave a COM method or an export into the shell's process: every entry point
// runs its body through ComBarrier, which turns an exception into an error result.

#include <windows.h>

#include <new>

template <typename F>
HRESULT ComBarrier(F&& body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}
