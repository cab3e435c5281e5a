#pragma once
// No C++ exception may unwind through the system's frames: a window, dialog, hook or timer
// procedure, an enumeration callback or a COM method that Windows calls runs its body through
// CallbackBarrier, which turns an exception into the callback's answer for "not handled". A COM
// method or an export that answers an HRESULT runs its body through ComBarrier instead.

#include <windows.h>

#include <new>

template <typename R, typename F>
R CallbackBarrier(R onException, F&& body) noexcept {
    try {
        return body();
    } catch (...) {
        return onException;
    }
}

// For callbacks without a result.
template <typename F>
void CallbackBarrier(F&& body) noexcept {
    try {
        body();
    } catch (...) {
    }
}

// For COM methods and exports: an exception becomes an error result.
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
