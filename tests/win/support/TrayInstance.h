#pragma once
// A tray instance of Kavrilon.exe started by a test: its hidden window, its splash, its tray icon,
// and messages sent to it the way the system sends them.

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "ProcessRunner.h"
#include "TestEnvironment.h"

class TTrayInstance {
public:
    // Starts Kavrilon.exe with the arguments and waits for its tray window; Window() is null when
    // none appeared in time.
    explicit TTrayInstance(const std::vector<std::string>& arguments = {});

    HWND Window() const { return window_; }
    DWORD Pid() const { return process_.Pid(); }
    TChildProcess& Process() { return process_; }

    // Sends a message and waits until the instance has handled it; the result, or -1 on timeout.
    LRESULT Send(UINT message, WPARAM wParam, LPARAM lParam, DWORD timeoutMs = 15000);
    // Waits until the instance takes a sent message: it has started and its start-up work is done.
    // An action also takes sent messages while it talks to the desktop, so this does not tell that
    // an action has ended.
    bool Idle(DWORD timeoutMs = 15000);

    // The instance's visible window of the class "Kavrilon" with the popup style, or null.
    HWND Splash() const;
    // A visible window of the instance with the class name, or null.
    HWND VisibleWindowOfClass(const char* className) const;

    // Whether the notification area holds the instance's icon (id 1 of its window).
    bool IconPresent() const;
    // Removes the icon from the notification area, as a restarting taskbar loses it.
    bool RemoveIcon() const;

    // Waits for the instance's next message box and lets it finish its set-up; null on timeout.
    HWND NextBox(DWORD timeoutMs = 10000);

    // Menu item "Exit" as WM_COMMAND; waits for the end and returns the exit code (-1 if it runs on).
    long Exit(DWORD timeoutMs = 15000);

private:
    TChildProcess process_;
    HWND window_ = nullptr;
};
