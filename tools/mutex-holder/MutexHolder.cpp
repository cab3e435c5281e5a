// Test tool: takes a named mutex, signals a named event once it owns it, holds the mutex for a
// given time, then releases it (or, with "abandon", ends without releasing it, as a process that
// dies while holding it).
//
// Usage: kv-mutex-holder <mutex name> <hold milliseconds> <ready event name> [abandon]
// Exit codes: 0 held and released/abandoned, 2 bad arguments, 3 mutex not obtained in 10 s.

#include <windows.h>

#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
    if (argc < 4) {
        return 2;
    }
    const char* mutexName = argv[1];
    const DWORD holdMs = static_cast<DWORD>(std::strtoul(argv[2], nullptr, 10));
    const char* readyEventName = argv[3];
    const bool abandon = argc > 4 && std::strcmp(argv[4], "abandon") == 0;

    HANDLE mutex = CreateMutexA(nullptr, FALSE, mutexName);
    if (mutex == nullptr) {
        return 3;
    }
    const DWORD wait = WaitForSingleObject(mutex, 10000);
    if (wait != WAIT_OBJECT_0 && wait != WAIT_ABANDONED) {
        return 3;
    }
    if (HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, readyEventName)) {
        SetEvent(ready);
        CloseHandle(ready);
    }
    Sleep(holdMs);
    if (abandon) {
        // Ends the process while it still owns the mutex.
        ExitProcess(0);
    }
    ReleaseMutex(mutex);
    CloseHandle(mutex);
    return 0;
}
