#include "DesktopCapture.h"

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
                         std::string_view timeStamp) {
    std::string text = LayoutHeaderLines(resolutionKey, timeStamp);
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
    std::vector<TIconMove> moves;
    for (const TCapturedIcon& icon : capture.Icons) {
        TLayoutPoint stored;
        if (!TakeLayoutEntry(entries, icon.Caption, stored)) {
            continue;
        }
        TIconMove move;
        move.Index = icon.Index;
        move.X = LayoutToViewCoordinate(stored.X, capture.Origin.Left);
        move.Y = LayoutToViewCoordinate(stored.Y, capture.Origin.Top);
        if (moveAll || move.X != icon.X || move.Y != icon.Y) {
            moves.push_back(move);
        }
    }
    return moves;
}
