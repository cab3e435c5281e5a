#include "ServerState.h"

HINSTANCE ModuleInstance = nullptr;
volatile LONG LiveObjectCount = 0;
volatile LONG ServerLockCount = 0;
volatile LONG FactoryReferenceCount = 0;

namespace {

CRITICAL_SECTION HandlerStateSection;

} // namespace

THandlerStateLock::THandlerStateLock() noexcept {
    EnterCriticalSection(&HandlerStateSection);
}

THandlerStateLock::~THandlerStateLock() {
    LeaveCriticalSection(&HandlerStateSection);
}

void CreateServerState(HINSTANCE instance) {
    ModuleInstance = instance;
    LiveObjectCount = 0;
    ServerLockCount = 0;
    FactoryReferenceCount = 0;
    InitializeCriticalSection(&HandlerStateSection);
}

void FreeServerState() {
    DeleteCriticalSection(&HandlerStateSection);
}
