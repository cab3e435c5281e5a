#pragma once
// One reading of the desktop and what the actions decide from it: the text of the layout file,
// whether the desktop matches a layout, and which icons a restore has to move. Includes no Windows
// header.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "DesktopRules.h"
#include "ItemProp.h"

// One readable icon: its index in the view's item order and its caption and position in view
// coordinates.
struct TCapturedIcon {
    int32_t Index = 0;
    std::string Caption;
    int32_t X = 0;
    int32_t Y = 0;
};

struct TDesktopCapture {
    std::vector<TCapturedIcon> Icons; // in item order; icons that could not be read are left out
    bool Grid = false;                // align-to-grid was on
    bool AutoArrange = false;         // auto-arrange was on
    TScreenRect Origin;               // the virtual screen at the time of the reading
};

// A move of one icon to a position in view coordinates.
struct TIconMove {
    int32_t Index = 0;
    int32_t X = 0;
    int32_t Y = 0;
};

// The whole layout file of a capture: header lines, "# Grid" when the grid was on, one line per
// icon in virtual-screen coordinates.
std::string LayoutTextOf(const TDesktopCapture& capture, std::string_view resolutionKey,
                         std::string_view timeStamp);

// Whether the captured desktop differs from layout entries (file coordinates). Every icon whose
// caption the layout lists must stand at its entry's position (duplicates paired in order). With
// `exact`, every icon must be listed and every entry used: an extra icon or entry is a difference.
bool CaptureDiffersFrom(const TDesktopCapture& capture, std::vector<TItemProp> entries, bool exact);

// The moves that put every listed icon at its entry's position (duplicates paired in order).
// Icons that already stand there are left out unless `moveAll` is set.
std::vector<TIconMove> PlanRestoreMoves(const TDesktopCapture& capture, std::vector<TItemProp> entries,
                                        bool moveAll);
