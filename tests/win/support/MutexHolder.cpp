#include "MutexHolder.h"

#include <windows.h>

#include <string>

#include "TestEnvironment.h"

TMutexHolder::TMutexHolder(const std::string& mutexName, unsigned holdMs, bool abandon) {
    const std::string eventName = "KvTestMutexHolderReady-" + std::to_string(GetCurrentProcessId()) + "-" +
                                  std::to_string(GetTickCount());
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, eventName.c_str());
    std::vector<std::string> arguments = {mutexName, std::to_string(holdMs), eventName};
    if (abandon) {
        arguments.push_back("abandon");
    }
    if (process_.Start(TestToolPath("kv-mutex-holder.exe"), arguments)) {
        HANDLE waits[] = {ready, process_.Handle()};
        ready_ = WaitForMultipleObjects(2, waits, FALSE, 15000) == WAIT_OBJECT_0;
    }
    CloseHandle(ready);
}

bool TMutexHolder::WaitForEnd(unsigned timeoutMs) {
    return process_.Wait(timeoutMs);
}
