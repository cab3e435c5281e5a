#pragma once
// Holds a named mutex from another process, the way a second Kavrilon process would.

#include <string>

#include "ProcessRunner.h"

class TMutexHolder {
public:
    // Starts the holder and waits until it owns the mutex. With `abandon` the holder ends after
    // `holdMs` without releasing the mutex.
    TMutexHolder(const std::string& mutexName, unsigned holdMs, bool abandon = false);
    // Ends the holder if it still runs.
    ~TMutexHolder() = default;

    // The holder owns (or owned) the mutex.
    bool Ready() const { return ready_; }
    // Waits until the holder has ended.
    bool WaitForEnd(unsigned timeoutMs);

private:
    TChildProcess process_;
    bool ready_ = false;
};
