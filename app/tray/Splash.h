#pragma once
// The splash screen shown when a tray instance starts, and the about screen: one small borderless
// window of the class "Kavrilon" with the program name, the version, the maker's notice and two
// links on a colour gradient.

#include <windows.h>

// The window while it exists is SplashWindow, the owner of the next about screen AboutOwner
// (ProcessState.h).

// The areas of the two link texts in client coordinates, as the last paint computed them.
struct TSplashLinks {
    RECT Web;
    RECT Mail;
};
TSplashLinks SplashLinkAreas();

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

// Timer procedure of the splash screen (a thread timer of SplashDurationMs): kills the timer and
// closes the window.
void CALLBACK SplashTimerProc(HWND, UINT, UINT_PTR timer, DWORD);

// Draws the whole window into a memory bitmap and copies it to `dc` in one step.
void PaintSplash(HDC dc, HWND window);

// Window procedure of the splash and about windows (the class's procedure hands their messages
// here).
LRESULT SplashWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The gradient's colour of row `y` of a window `height` pixels high.
COLORREF SplashGradientColour(int y, int height);
