#include "DesktopCapture.h"

#include <utility>

#include "LayoutFile.h"

namespace {

int32_t StoredX(const TCapturedIcon& icon, const TScreenRect& origin) {
    return ViewToLayoutCoordinate(icon.X, origin.Left);
}

int32_t StoredY(const TCapturedIcon& icon, const TScreenRect& origin) {
    return ViewToLayoutCoordinate(icon.Y, origin.Top);
}

} // namespace

std::string LayoutTextOf(const TDesktopCapture& capture, std::string_view resolutionKey,
                         std::string_view timeStamp, std::string_view displayLine) {
    std::string text = LayoutHeaderLines(resolutionKey, timeStamp);
    text += displayLine;
    if (capture.Grid) {
        text += LayoutGridLine();
    }
    for (const TCapturedIcon& icon : capture.Icons) {
        text += LayoutEntryLine(StoredX(icon, capture.Origin), StoredY(icon, capture.Origin), icon.Caption);
    }
    return text;
}

bool CaptureDiffersFrom(const TDesktopCapture& capture, std::vector<TItemProp> entries, bool exact) {
    for (const TCapturedIcon& icon : capture.Icons) {
        TLayoutPoint stored;
        if (!TakeLayoutEntry(entries, icon.Caption, stored)) {
            if (exact) {
                return true;
            }
            continue;
        }
        if (stored.X != StoredX(icon, capture.Origin) || stored.Y != StoredY(icon, capture.Origin)) {
            return true;
        }
    }
    return exact && capture.Icons.size() != entries.size();
}

std::vector<TIconMove> PlanRestoreMoves(const TDesktopCapture& capture, std::vector<TItemProp> entries,
                                        bool moveAll) {
    return PlanRestore(capture, std::move(entries), moveAll, {}, false, {}).Moves;
}

TRestorePlan PlanRestore(const TDesktopCapture& capture, std::vector<TItemProp> entries, bool moveAll,
                         const TDisplayConfig& display, bool placeNewIcons, const TDesktopGrid& grid) {
    TRestorePlan plan;
    // Positions in file (screen) coordinates, where the monitors and the grid are.
    std::vector<TDisplayPoint> restored, fixed, unlisted;
    std::vector<int32_t> unlistedIndex;
    for (const TCapturedIcon& icon : capture.Icons) {
        const TDisplayPoint current{StoredX(icon, capture.Origin), StoredY(icon, capture.Origin)};
        TLayoutPoint stored;
        if (!TakeLayoutEntry(entries, icon.Caption, stored)) {
            unlisted.push_back(current);
            unlistedIndex.push_back(icon.Index);
            continue;
        }
        if (!display.Monitors.empty() && !LiesOnSomeMonitor(display, {stored.X, stored.Y})) {
            ++plan.LeftInPlace;
            fixed.push_back(current);
            continue;
        }
        restored.push_back({stored.X, stored.Y});
        TIconMove move;
        move.Index = icon.Index;
        move.X = LayoutToViewCoordinate(stored.X, capture.Origin.Left);
        move.Y = LayoutToViewCoordinate(stored.Y, capture.Origin.Top);
        const bool elsewhere = move.X != icon.X || move.Y != icon.Y;
        plan.Changes = plan.Changes || elsewhere;
        if (moveAll || elsewhere) {
            plan.Moves.push_back(move);
        }
    }
    if (placeNewIcons && !unlisted.empty()) {
        for (const TNewIconMove& placed : PlaceNewIcons(display, grid, restored, unlisted, fixed).Moves) {
            TIconMove move;
            move.Index = unlistedIndex[placed.Index];
            move.X = LayoutToViewCoordinate(placed.Position.X, capture.Origin.Left);
            move.Y = LayoutToViewCoordinate(placed.Position.Y, capture.Origin.Top);
            plan.NewIconMoves.push_back(move);
        }
        plan.Changes = plan.Changes || !plan.NewIconMoves.empty();
    }
    return plan;
}
