#pragma once
// Serialises the layout actions of every Kavrilon process through one named mutex.

using TAction = void (*)();

// How long an action waits for another process's action to end before it is dropped.
inline constexpr unsigned long ActionMutexWaitMs = 2000;

// Runs `action` while holding the action mutex. A mutex that stays busy for longer than the wait,
// or that cannot be created, drops the action silently. A mutex abandoned by a process that died
// holding it runs the action. The mutex is released also when the action raises an exception.
void RunAction(TAction action);
