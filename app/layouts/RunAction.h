#pragma once
// Serialises the layout actions of every Kavrilon process through one named mutex.

#include <functional>

using TAction = std::function<void()>;

// How long an action waits for another process's action to end before it is dropped.
inline constexpr unsigned long ActionMutexWaitMs = 2000;

// Runs `action` while holding the action mutex. A mutex that stays busy for longer than the wait,
// or that cannot be created, drops the action silently. A mutex abandoned by a process that died
// holding it runs the action. The mutex is released also when the action raises an exception.
void RunAction(const TAction& action);

// True while an action runs on this thread, started through RunAction or RunDirectAction. An action
// that shows a message box keeps the tray window's messages flowing; this tells the tray that the
// desktop access of the running action must not be disturbed.
bool ActionRunning();

// Runs `action` without the action mutex (the tray's automatic restores and the save after the
// first-run question), counted as running like an action of RunAction.
void RunDirectAction(const TAction& action);
