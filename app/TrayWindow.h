#pragma once
// The hidden tray window of a tray instance.

// Set before the automatic save at logoff, never cleared: saving and restoring then show no question
// and no message.
extern bool SavingAtLogoff;

// Registers the window class "Kavrilon" (also used by the splash and about windows).
void RegisterTrayWindowClass();

// Runs the tray instance while the single-instance mutex is held; returns the message loop's result.
int RunTrayInstance();
