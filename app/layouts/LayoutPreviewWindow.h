#pragma once
// The preview window: the picture of a layout (LayoutPreview.h) with the footer that counts what a
// restore would change, or, for a file that cannot be read, the reader's message instead.
//
// Two modes. A popup (beside a menu or a file dialog) is a topmost tool window that never takes the
// activation; its owner shows, updates and closes it. A standalone window is an ordinary window that
// closes itself on Escape or a mouse click. The picture's long side is PreviewLongSide pixels at
// 96 DPI, scaled to the system DPI.

#include <windows.h>

#include <string>
#include <vector>

#include "DesktopCapture.h"
#include "DisplayConfig.h"
#include "ItemProp.h"

inline constexpr const char* LayoutPreviewClassName = "KavrilonLayoutPreview";
inline constexpr int PreviewLongSide = 320;

// What the window shows.
struct TPreviewContent {
    // False for a file that could not be read: the window shows Message instead of a picture.
    bool Readable = true;
    std::string Message;
    std::vector<TItemProp> Entries; // layout coordinates
    // The configuration the layout records, else the current one.
    TDisplayConfig Display;
    // The current desktop, when it was read, and the current configuration.
    bool HasDesktop = false;
    TDesktopCapture Desktop;
    TDisplayConfig CurrentDisplay;
};

// The entries of a layout file and the configuration it records; `current` where it records none.
// A file that cannot be read gives Readable false with the reader's message (the kind of error and
// its code) in the current language. Leaves the reader's table of entries empty.
TPreviewContent PreviewContentOfFile(const std::string& path, const TDisplayConfig& current);

enum class TPreviewMode {
    Popup,      // topmost tool window, not activated
    Standalone, // ordinary window, closes on Escape or a click
};

// Registers the window class once per process; true when it is registered.
bool RegisterLayoutPreviewClass();

// Creates the window for `content` and shows it with its top-left corner at `anchor` (screen
// coordinates), moved as far as needed to lie on the virtual screen: a popup without taking the
// activation, a standalone window in front. Null when it could not be created.
HWND OpenLayoutPreview(const TPreviewContent& content, POINT anchor, TPreviewMode mode, HWND owner = nullptr);

// Shows other content in an open preview window, resized, its top-left corner at `anchor`.
void UpdateLayoutPreview(HWND window, const TPreviewContent& content, POINT anchor);

// Destroys an open preview window; nothing for null or a window already gone.
void CloseLayoutPreview(HWND window);

// Opens a standalone window centred on the primary screen and returns when it has closed: for the
// command line. False when it could not be opened.
bool RunLayoutPreview(const TPreviewContent& content);

// Draws the window's client area into `dc` (what WM_PAINT shows).
void PaintLayoutPreview(HWND window, HDC dc);

// A popup picture that follows a selection (the highlighted item of a menu, the selected file of a
// file dialog). The desktop is read once, at its first picture, for the whole time it follows: each
// icon costs a message round trip to the shell.
struct TPreviewFollower {
    HWND Window = nullptr;
    std::string File; // the file shown; empty while nothing is
    bool DesktopRead = false;
    bool DesktopValid = false;
    TDesktopCapture Desktop;
};
// Shows the picture of `file` beside `beside` (a screen rectangle: to its left where there is room,
// else to its right, level with its top), owned by `owner`; an empty `file` removes the picture.
// The window is named for the file.
void FollowSelection(TPreviewFollower& follower, const std::string& file, const RECT& beside, HWND owner);
// Removes the picture and forgets the desktop read for it.
void StopFollowing(TPreviewFollower& follower);
