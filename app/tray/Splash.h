#pragma once
// The splash screen shown when a tray instance starts, and the about screen: one small borderless
// window of the class "Kavrilon" with the program name, the version, the maker's notice and two
// links on a colour gradient.

#include <windows.h>

// The splash or about window while it exists, otherwise null; there is one at a time.
extern HWND SplashWindow;
// The 1500 ms thread timer that closes the splash screen.
extern UINT_PTR SplashTimer;
// Owner of the next about screen, set by the caller just before ShowAbout (the tray window, or the
// options dialog).
extern HWND AboutOwner;
// The areas of the two link texts in client coordinates, computed by every paint.
extern RECT WebLinkRect;
extern RECT MailLinkRect;

// How long the splash screen stays.
inline constexpr UINT SplashDurationMs = 1500;

// The texts of the window besides the program name.
inline constexpr const char* SplashNoticeText = "\251 2008-2026 Quellwyn";
inline constexpr const char* SplashWebAddress = "http://www.example.org/kavrilon/";
inline constexpr const char* SplashMailAddress = "kavrilon@example.org";

// Client width of the window on this Windows version (the height is always SplashHeight).
int SplashWidth();
inline constexpr int SplashHeight = 180;

// Creates the window owned by `owner`, hidden, and remembers it in SplashWindow. Null when it could
// not be created.
HWND ShowSplash(HWND owner);

// Shows the about screen owned by AboutOwner, without timer. While one is open, a second request
// brings the open one to the front instead.
void ShowAbout();

// Timer procedure of the splash screen: kills the timer and closes the window.
void CALLBACK SplashTimerProc(HWND, UINT, UINT_PTR, DWORD);

// Draws the whole window into a memory bitmap and copies it to `dc` in one step.
void PaintSplash(HDC dc, HWND window);

// Window procedure of the splash and about windows (the class's procedure hands their messages
// here).
LRESULT SplashWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The gradient's colour of row `y` of a window `height` pixels high.
COLORREF SplashGradientColour(int y, int height);
