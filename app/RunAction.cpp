#include "RunAction.h"

#include <windows.h>

#include "AppGlobals.h"
#include "WinHandles.h"

void RunAction(TAction action) {
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
    action();
}
