#pragma once
// Small owners for Windows resources: each releases its resource exactly once, on every path, and
// keeps the caller's last-error value intact across the release, so that code can still report
// GetLastError() of the call that failed after a guard went out of scope.

#include <windows.h>

#include <utility>

template <typename Traits>
class TUniqueResource {
public:
    using Type = typename Traits::Type;

    TUniqueResource() noexcept : value_(Traits::Invalid()) {}
    explicit TUniqueResource(Type value) noexcept : value_(value) {}
    TUniqueResource(const TUniqueResource&) = delete;
    TUniqueResource& operator=(const TUniqueResource&) = delete;
    TUniqueResource(TUniqueResource&& other) noexcept : value_(other.release()) {}
    TUniqueResource& operator=(TUniqueResource&& other) noexcept {
        if (this != &other) {
            reset(other.release());
        }
        return *this;
    }
    ~TUniqueResource() { reset(); }

    Type get() const noexcept { return value_; }
    bool valid() const noexcept { return value_ != Traits::Invalid(); }
    explicit operator bool() const noexcept { return valid(); }

    // Gives up ownership without releasing.
    Type release() noexcept { return std::exchange(value_, Traits::Invalid()); }

    void reset(Type value = Traits::Invalid()) noexcept {
        const Type old = std::exchange(value_, value);
        if (old != Traits::Invalid()) {
            const DWORD lastError = GetLastError();
            Traits::Close(old);
            SetLastError(lastError);
        }
    }

    // For APIs that return the resource through an out parameter.
    Type* put() noexcept {
        reset();
        return &value_;
    }

private:
    Type value_;
};

struct THandleTraits {
    using Type = HANDLE;
    static Type Invalid() noexcept { return nullptr; }
    static void Close(Type h) noexcept { CloseHandle(h); }
};

// File handles use INVALID_HANDLE_VALUE as their "none".
struct TFileHandleTraits {
    using Type = HANDLE;
    static Type Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void Close(Type h) noexcept { CloseHandle(h); }
};

struct TFindHandleTraits {
    using Type = HANDLE;
    static Type Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void Close(Type h) noexcept { FindClose(h); }
};

struct TRegKeyTraits {
    using Type = HKEY;
    static Type Invalid() noexcept { return nullptr; }
    static void Close(Type k) noexcept { RegCloseKey(k); }
};

struct TMenuTraits {
    using Type = HMENU;
    static Type Invalid() noexcept { return nullptr; }
    static void Close(Type m) noexcept { DestroyMenu(m); }
};

struct THookTraits {
    using Type = HHOOK;
    static Type Invalid() noexcept { return nullptr; }
    static void Close(Type h) noexcept { UnhookWindowsHookEx(h); }
};

struct TLibraryTraits {
    using Type = HMODULE;
    static Type Invalid() noexcept { return nullptr; }
    static void Close(Type m) noexcept { FreeLibrary(m); }
};

struct TMapViewTraits {
    using Type = void*;
    static Type Invalid() noexcept { return nullptr; }
    static void Close(Type p) noexcept { UnmapViewOfFile(p); }
};

struct TGdiObjectTraits {
    using Type = HGDIOBJ;
    static Type Invalid() noexcept { return nullptr; }
    static void Close(Type o) noexcept { DeleteObject(o); }
};

struct TMemoryDCTraits {
    using Type = HDC;
    static Type Invalid() noexcept { return nullptr; }
    static void Close(Type dc) noexcept { DeleteDC(dc); }
};

using TUniqueHandle = TUniqueResource<THandleTraits>;
using TUniqueFile = TUniqueResource<TFileHandleTraits>;
using TUniqueFind = TUniqueResource<TFindHandleTraits>;
using TUniqueRegKey = TUniqueResource<TRegKeyTraits>;
using TUniqueMenu = TUniqueResource<TMenuTraits>;
using TUniqueHook = TUniqueResource<THookTraits>;
using TUniqueLibrary = TUniqueResource<TLibraryTraits>;
using TUniqueMapView = TUniqueResource<TMapViewTraits>;
using TUniqueGdiObject = TUniqueResource<TGdiObjectTraits>;
using TUniqueMemoryDC = TUniqueResource<TMemoryDCTraits>;

template <typename T>
struct TComReleaseTraits {
    using Type = T*;
    static Type Invalid() noexcept { return nullptr; }
    static void Close(Type p) noexcept { p->Release(); }
};

// A COM interface pointer that holds one reference and releases it when it leaves scope.
template <typename T>
class TComPtr : public TUniqueResource<TComReleaseTraits<T>> {
public:
    using TUniqueResource<TComReleaseTraits<T>>::TUniqueResource;
    T* operator->() const noexcept { return this->get(); }
    // For QueryInterface and the other calls that return an interface through a void**.
    void** putVoid() noexcept { return reinterpret_cast<void**>(this->put()); }
};

// Releases a mutex that the current thread acquired, on every path out of a scope.
class TMutexOwnership {
public:
    explicit TMutexOwnership(HANDLE mutex) noexcept : mutex_(mutex) {}
    TMutexOwnership(const TMutexOwnership&) = delete;
    TMutexOwnership& operator=(const TMutexOwnership&) = delete;
    ~TMutexOwnership() {
        const DWORD lastError = GetLastError();
        ReleaseMutex(mutex_);
        SetLastError(lastError);
    }

private:
    HANDLE mutex_;
};

// Runs a callable when the scope ends (for releases that are no handle, such as a counter).
template <typename F>
class TScopeExit {
public:
    explicit TScopeExit(F f) noexcept : f_(std::move(f)) {}
    TScopeExit(const TScopeExit&) = delete;
    TScopeExit& operator=(const TScopeExit&) = delete;
    ~TScopeExit() { f_(); }

private:
    F f_;
};
