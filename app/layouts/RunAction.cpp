#include "RunAction.h"

#include <windows.h>

#include <cstdint>

#include "KavrilonNames.h"
#include "WinHandles.h"

namespace {

// Actions running on this thread; above 1 only when one action starts another (the about screen
// opened from the options dialog).
int32_t RunningActions = 0;

void RunCounted(const TAction& action) {
    ++RunningActions;
    TScopeExit lower([] { --RunningActions; });
    action();
}

} // namespace

bool ActionRunning() {
    return RunningActions > 0;
}

void RunDirectAction(const TAction& action) {
    RunCounted(action);
}

void RunAction(const TAction& action) {
    TUniqueHandle mutex(CreateMutexA(nullptr, FALSE, ActionMutexName));
    if (!mutex) {
        return;
    }
    const DWORD wait = WaitForSingleObject(mutex.get(), ActionMutexWaitMs);
    if (wait != WAIT_OBJECT_0 && wait != WAIT_ABANDONED) {
        return;
    }
    // The same thread may take the mutex again, so an action started inside another one runs at once.
    TMutexOwnership ownership(mutex.get());
    RunCounted(action);
}
