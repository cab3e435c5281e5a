// The fixture file of the desktop host: the icons it shows and how its windows are arranged.
// Plain C++ without Windows headers, so that the parser can be unit-tested natively.
//
// UTF-8 text, one directive per line; blank lines and lines starting with '#' are ignored,
// a trailing CR is dropped.
//   item <x> <y> <caption>  an icon at list-view position (x, y) (signed 32-bit decimals); the
//                           caption is everything after the blank that follows <y>, blanks
//                           included; it may be empty ("item 5 5" or "item 5 5 ")
//   count <n>               n generated icons "Icon 0" .. "Icon n-1" on a grid of 80 x 80 pixels,
//                           15 per row, starting at (10, 10)
//   auto-arrange            the list view starts with LVS_AUTOARRANGE
//   snap-to-grid            the list view starts with LVS_EX_SNAPTOGRID
//   worker                  the view lives in a top-level "WorkerW" window in front of Progman
//   worker-class <name>     like worker, with another window class name (kept as written)
//   noview                  Progman without a view window
//   nolistview              a view window without list view
//   folder-view             the host also serves the view's positioning interface to other
//                           processes, as the shell's desktop (FolderViewServer.h)
//   view-rect <x> <y> <w> <h>  the view window's rectangle in its parent's client area
//                           (default: it fills the parent and follows its size)
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kvhost {

struct FixtureItem {
    std::u16string caption;
    int32_t x = 0;
    int32_t y = 0;
};

struct ViewRect {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
};

struct Fixture {
    std::vector<FixtureItem> items;
    bool autoArrange = false;
    bool snapToGrid = false;
    bool worker = false;
    std::string workerClass = "WorkerW";
    bool noView = false;
    bool noListView = false;
    bool folderView = false;
    std::optional<ViewRect> viewRect;
};

struct FixtureResult {
    std::optional<Fixture> fixture; // empty on error
    std::string error;              // "line N: what is wrong"
};

// Parses a whole fixture text. Fails on unknown directives, malformed numbers, malformed
// UTF-8 and contradicting options (noview together with worker or nolistview).
FixtureResult ParseFixture(const std::string& text);

// Largest accepted "count": keeps a typo from building a desktop that takes minutes.
constexpr uint32_t kMaxGeneratedItems = 100000;

} // namespace kvhost
