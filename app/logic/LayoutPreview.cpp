#include "LayoutPreview.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <set>

#include "LangTable.h"
#include "LayoutFile.h"

namespace {

// The rows of the footer texts in the language table: each the singular, the plural after it.
constexpr int32_t WouldMoveText = 5100;
constexpr int32_t NotOnDesktopText = 5102;
constexpr int32_t NotInLayoutText = 5104;
constexpr int32_t InLayoutText = 5106;

// The desktop's icon image, in screen pixels.
constexpr int32_t IconImageSide = 32;
// At most this many letters of a caption, and at least this many (or the whole caption) or none.
constexpr size_t MaxCaptionLetters = 8;
constexpr size_t MinCaptionLetters = 2;
// Between a square and its letters.
constexpr int32_t CaptionGap = 2;
// Without any monitor or icon: a 4:3 screen.
constexpr TDisplayRect FallbackArea = {0, 0, 1024, 768};

// One icon of the picture, in layout coordinates.
struct TPreviewIcon {
    std::string Caption;
    TDisplayPoint Stored;
    bool Moves = false;
    TDisplayPoint Current; // where it stands now, when it moves
    bool Missing = false;  // no desktop icon bears its caption
};

void Include(TDisplayRect& area, bool& empty, int32_t left, int32_t top, int32_t right, int32_t bottom) {
    if (empty) {
        area = {left, top, right, bottom};
        empty = false;
        return;
    }
    area.Left = std::min(area.Left, left);
    area.Top = std::min(area.Top, top);
    area.Right = std::max(area.Right, right);
    area.Bottom = std::max(area.Bottom, bottom);
}

int32_t Clamped(int64_t value) {
    return static_cast<int32_t>(
        std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

// Layout coordinates to picture coordinates.
struct TPictureScale {
    TDisplayRect Area;
    double Factor = 1;

    int32_t X(int32_t x) const {
        return Clamped(std::llround((static_cast<double>(x) - Area.Left) * Factor));
    }
    int32_t Y(int32_t y) const { return Clamped(std::llround((static_cast<double>(y) - Area.Top) * Factor)); }
};

TPictureScale ScaleFor(const TPreviewInput& input, const std::vector<TPreviewIcon>& icons) {
    TDisplayRect area;
    bool empty = true;
    for (const TMonitor& monitor : input.Display.Monitors) {
        Include(area, empty, monitor.Rect.Left, monitor.Rect.Top, monitor.Rect.Right, monitor.Rect.Bottom);
    }
    const auto includeIcon = [&](TDisplayPoint p) {
        Include(area, empty, p.X, p.Y, Clamped(int64_t{p.X} + IconImageSide),
                Clamped(int64_t{p.Y} + IconImageSide));
    };
    for (const TPreviewIcon& icon : icons) {
        includeIcon(icon.Stored);
        if (icon.Moves) {
            includeIcon(icon.Current);
        }
    }
    if (empty || area.Right <= area.Left || area.Bottom <= area.Top) {
        area = FallbackArea;
    }
    const double longSide =
        std::max(static_cast<double>(area.Right) - area.Left, static_cast<double>(area.Bottom) - area.Top);
    return {area, std::max<int32_t>(input.LongSide, 1) / longSide};
}

// Pairs the layout's entries with the desktop's icons as a restore does. Every entry becomes one
// icon of the picture, in the desktop's order for those the desktop has, then in file order.
std::vector<TPreviewIcon> PairIcons(const TPreviewInput& input, TLayoutPreview& preview) {
    std::vector<TPreviewIcon> icons;
    if (!input.HasDesktop) {
        for (const TItemProp& entry : input.Entries) {
            icons.push_back({entry.Caption, {entry.X, entry.Y}, false, {}, false});
        }
        return icons;
    }
    const TDesktopCapture& desktop = input.Desktop;
    std::set<int32_t> moving;
    for (const TIconMove& move :
         PlanRestore(desktop, input.Entries, false, input.CurrentDisplay, false, {}).Moves) {
        moving.insert(move.Index);
    }
    std::vector<TItemProp> entries = input.Entries;
    for (TItemProp& entry : entries) {
        entry.Matched = false;
    }
    for (const TCapturedIcon& icon : desktop.Icons) {
        TLayoutPoint stored;
        if (!TakeLayoutEntry(entries, icon.Caption, stored)) {
            ++preview.NotInLayout;
            continue;
        }
        TPreviewIcon pictured{icon.Caption, {stored.X, stored.Y}, moving.count(icon.Index) != 0, {}, false};
        if (pictured.Moves) {
            pictured.Current = {ViewToLayoutCoordinate(icon.X, desktop.Origin.Left),
                                ViewToLayoutCoordinate(icon.Y, desktop.Origin.Top)};
            ++preview.WouldMove;
        }
        icons.push_back(pictured);
    }
    for (const TItemProp& entry : entries) {
        if (!entry.Matched) {
            icons.push_back({entry.Caption, {entry.X, entry.Y}, false, {}, true});
            ++preview.NotOnDesktop;
        }
    }
    return icons;
}

std::string FooterOf(const TPreviewInput& input, const TLayoutPreview& preview) {
    if (!input.HasDesktop) {
        return LangCountTextFor(InLayoutText, input.Entries.size(), input.Language);
    }
    return LangCountTextFor(WouldMoveText, preview.WouldMove, input.Language) + ", " +
           LangCountTextFor(NotOnDesktopText, preview.NotOnDesktop, input.Language) + ", " +
           LangCountTextFor(NotInLayoutText, preview.NotInLayout, input.Language);
}

// The number of characters of UTF-8 text (continuation bytes do not start one).
size_t LetterCount(const std::string& text) {
    return static_cast<size_t>(std::count_if(
        text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

// The byte length of its first `letters` characters.
size_t PrefixBytes(const std::string& text, size_t letters) {
    size_t seen = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
            if (seen == letters) {
                return i;
            }
            ++seen;
        }
    }
    return text.size();
}

TPreviewShape Shape(TShapeKind kind, int32_t left, int32_t top, int32_t right, int32_t bottom,
                    uint32_t colour) {
    TPreviewShape shape;
    shape.Kind = kind;
    shape.Left = left;
    shape.Top = top;
    shape.Right = right;
    shape.Bottom = bottom;
    shape.Colour = colour;
    return shape;
}

// The letters of each caption right of its square: as many as fit before the next square whose
// rows they share, or the picture's edge.
void AddCaptions(const std::vector<TPreviewIcon>& icons, const std::vector<TPreviewShape>& squares,
                 const TPreviewInput& input, int32_t pictureWidth, std::vector<TPreviewShape>& shapes) {
    const int32_t letterWidth = std::max<int32_t>(input.LetterWidth, 1);
    for (size_t i = 0; i < icons.size(); ++i) {
        const TPreviewShape& square = squares[i];
        const int32_t left = square.Right + CaptionGap;
        const int32_t top = square.Top;
        const int32_t bottom = top + input.LetterHeight;
        int32_t right = pictureWidth;
        for (const TPreviewShape& other : squares) {
            if (&other != &square && other.Left >= square.Left && other.Left < right && other.Top < bottom &&
                other.Bottom > top && other.Right > left) {
                right = std::max(other.Left - 1, left);
            }
        }
        const size_t letters = LetterCount(icons[i].Caption);
        const size_t room = static_cast<size_t>(std::max(right - left, 0) / letterWidth);
        const size_t shown = std::min({letters, room, MaxCaptionLetters});
        if (shown == 0 || shown < std::min(letters, MinCaptionLetters)) {
            continue;
        }
        // The letters are counted at the average width; the text may use all the room there is.
        TPreviewShape text = Shape(TShapeKind::Text, left, top, right, bottom,
                                   icons[i].Moves ? PreviewAccentColour : PreviewIconColour);
        text.Text = icons[i].Caption.substr(0, PrefixBytes(icons[i].Caption, shown));
        shapes.push_back(text);
    }
}

} // namespace

int32_t PreviewSquareSide(double scale) {
    return std::max<int32_t>(3, static_cast<int32_t>(std::lround(IconImageSide * scale)));
}

TLayoutPreview BuildLayoutPreview(const TPreviewInput& input) {
    TLayoutPreview preview;
    const std::vector<TPreviewIcon> icons = PairIcons(input, preview);
    preview.Footer = FooterOf(input, preview);

    const TPictureScale scale = ScaleFor(input, icons);
    preview.Width = std::max(scale.X(scale.Area.Right), 1);
    preview.Height = std::max(scale.Y(scale.Area.Bottom), 1);
    std::vector<TPreviewShape>& shapes = preview.Shapes;
    shapes.push_back(
        Shape(TShapeKind::FilledRect, 0, 0, preview.Width, preview.Height, PreviewBackgroundColour));
    for (const TMonitor& monitor : input.Display.Monitors) {
        const TDisplayRect& r = monitor.Rect;
        shapes.push_back(Shape(TShapeKind::FilledRect, scale.X(r.Left), scale.Y(r.Top), scale.X(r.Right),
                               scale.Y(r.Bottom), PreviewMonitorColour));
        shapes.push_back(Shape(TShapeKind::HollowRect, scale.X(r.Left), scale.Y(r.Top), scale.X(r.Right),
                               scale.Y(r.Bottom), PreviewMonitorFrameColour));
    }

    const int32_t side = PreviewSquareSide(scale.Factor);
    const auto squareAt = [&](TDisplayPoint p, TShapeKind kind, uint32_t colour) {
        const int32_t x = scale.X(p.X);
        const int32_t y = scale.Y(p.Y);
        return Shape(kind, x, y, x + side, y + side, colour);
    };
    // Lines under the squares, so that both ends stay visible.
    for (const TPreviewIcon& icon : icons) {
        if (icon.Moves) {
            const TPreviewShape from = squareAt(icon.Current, TShapeKind::Line, PreviewAccentColour);
            const TPreviewShape to = squareAt(icon.Stored, TShapeKind::Line, PreviewAccentColour);
            shapes.push_back(Shape(TShapeKind::Line, from.Left + side / 2, from.Top + side / 2,
                                   to.Left + side / 2, to.Top + side / 2, PreviewAccentColour));
        }
    }
    std::vector<TPreviewShape> squares;
    for (const TPreviewIcon& icon : icons) {
        squares.push_back(squareAt(icon.Stored,
                                   icon.Missing ? TShapeKind::HollowRect : TShapeKind::FilledRect,
                                   icon.Moves ? PreviewAccentColour : PreviewIconColour));
    }
    shapes.insert(shapes.end(), squares.begin(), squares.end());
    AddCaptions(icons, squares, input, preview.Width, shapes);
    return preview;
}
