#pragma once
// One reading of the desktop and what the actions decide from it: the text of the layout file,
// whether the desktop matches a layout, and which icons a restore has to move. Includes no Windows
// header.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "DesktopRules.h"
#include "DisplayConfig.h"
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

// The whole layout file of a capture: header lines, `displayLine` (the display configuration's
// comment line with its line end, or nothing), "# Grid" when the grid was on, one line per icon in
// virtual-screen coordinates.
std::string LayoutTextOf(const TDesktopCapture& capture, std::string_view resolutionKey,
                         std::string_view timeStamp, std::string_view displayLine = {});

// Whether the captured desktop differs from layout entries (file coordinates). Every icon whose
// caption the layout lists must stand at its entry's position (duplicates paired in order). With
// `exact`, every icon must be listed and every entry used: an extra icon or entry is a difference.
bool CaptureDiffersFrom(const TDesktopCapture& capture, std::vector<TItemProp> entries, bool exact);

// The moves that put every listed icon at its entry's position (duplicates paired in order).
// Icons that already stand there are left out unless `moveAll` is set.
std::vector<TIconMove> PlanRestoreMoves(const TDesktopCapture& capture, std::vector<TItemProp> entries,
                                        bool moveAll);

// What a restore does on the current display configuration.
struct TRestorePlan {
    std::vector<TIconMove> Moves;        // listed icons to their stored positions, as PlanRestoreMoves
    std::vector<TIconMove> NewIconMoves; // icons the layout does not list, out from under restored ones
    size_t LeftInPlace = 0;              // listed icons whose stored position lies on no monitor
    bool Changes = false;                // some icon stands elsewhere afterwards (whatever `moveAll`)
};

// PlanRestoreMoves on `display`: a listed icon whose stored position lies on no monitor of it
// (LiesOnSomeMonitor) stays where it is and is counted; the layout keeps its entry for the
// configuration that has that monitor. A configuration without monitors leaves nothing out. With
// `placeNewIcons`, the icons the layout does not list that the restored icons cover move to free
// cells of `grid` (PlaceNewIcons; the listed icons left in place keep their cells).
TRestorePlan PlanRestore(const TDesktopCapture& capture, std::vector<TItemProp> entries, bool moveAll,
                         const TDisplayConfig& display, bool placeNewIcons, const TDesktopGrid& grid);
