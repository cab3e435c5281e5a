#pragma once
// The server state of the in-process COM server, one per process: it exists from the library's load
// to its unload.

#include <windows.h>

// The library's own module (for its resources and its path).
extern HINSTANCE ModuleInstance;

// Objects alive; LockServer(TRUE) calls not yet matched by LockServer(FALSE); references handed out
// to the class factory. All three change only by interlocked operations.
extern volatile LONG LiveObjectCount;
extern volatile LONG ServerLockCount;
extern volatile LONG FactoryReferenceCount;

// Guards the context-menu handler's process-wide state, so that two shell threads building menus at
// the same moment cannot corrupt it. Held only to copy or replace that state, never across a file,
// registry or shell call.
class THandlerStateLock {
public:
    THandlerStateLock() noexcept;
    ~THandlerStateLock();
    THandlerStateLock(const THandlerStateLock&) = delete;
    THandlerStateLock& operator=(const THandlerStateLock&) = delete;
};

// Called at process attach and detach.
void CreateServerState(HINSTANCE instance);
void FreeServerState();
