#pragma once
// The picture of a layout: its monitors, its icons at their stored positions, and what a restore
// would change on the current desktop, as a list of shapes that a window paints one after the
// other. Includes no Windows header.
//
// Picture coordinates are pixels from the picture's top-left corner. The union of the monitors'
// rectangles (and of every icon that lies outside them) is scaled to fit the long side, keeping its
// proportions. Each icon is a square whose top-left corner is its scaled position (a position is
// the upper-left corner of an icon's item, in layout coordinates, see DisplayConfig.h); the first
// letters of its caption stand right of it when no other square is in their way.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "DesktopCapture.h"
#include "DisplayConfig.h"
#include "ItemProp.h"

// A colour in the byte order of a Windows COLORREF (0x00BBGGRR), so it is painted as it is.
constexpr uint32_t PreviewRgb(uint8_t r, uint8_t g, uint8_t b) {
    return static_cast<uint32_t>(r) | static_cast<uint32_t>(g) << 8 | static_cast<uint32_t>(b) << 16;
}

inline constexpr uint32_t PreviewBackgroundColour = PreviewRgb(250, 250, 250);
inline constexpr uint32_t PreviewMonitorColour = PreviewRgb(214, 226, 242);
inline constexpr uint32_t PreviewMonitorFrameColour = PreviewRgb(110, 125, 150);
inline constexpr uint32_t PreviewIconColour = PreviewRgb(40, 40, 40);
// Icons that a restore would move, and their lines.
inline constexpr uint32_t PreviewAccentColour = PreviewRgb(232, 96, 0);

enum class TShapeKind {
    FilledRect, // the rectangle filled with the colour
    HollowRect, // a one-pixel frame along the inside of the rectangle
    Line,       // a one-pixel line from (Left, Top) to (Right, Bottom), both ends drawn
    Text,       // the text in one line from (Left, Top), clipped to the rectangle (its room)
};

struct TPreviewShape {
    TShapeKind Kind = TShapeKind::FilledRect;
    // Rectangles exclude Right and Bottom.
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Right = 0;
    int32_t Bottom = 0;
    uint32_t Colour = 0;
    std::string Text; // Text shapes only; the caption's bytes as they came
};

struct TPreviewInput {
    std::vector<TItemProp> Entries; // the layout's entries, layout coordinates
    // The configuration the layout records; the current one when it records none.
    TDisplayConfig Display;
    // The current desktop, when it could be read, and the current configuration: icons whose
    // stored position lies on no monitor of it would stay where they are (none left out while it
    // has no monitors).
    bool HasDesktop = false;
    TDesktopCapture Desktop;
    TDisplayConfig CurrentDisplay;
    int32_t LongSide = 320; // of the picture, in pixels
    // The caption font's average letter width and line height in pixels.
    int32_t LetterWidth = 6;
    int32_t LetterHeight = 12;
    uint8_t Language = 1; // 0 German, 1 English
};

struct TLayoutPreview {
    int32_t Width = 0; // of the picture; shapes lie within it
    int32_t Height = 0;
    std::vector<TPreviewShape> Shapes; // in painting order, the background first
    // With a desktop reading: entries that a restore would move, entries no desktop icon matches,
    // desktop icons the layout does not list. Matching follows the restore (TakeLayoutEntry).
    size_t WouldMove = 0;
    size_t NotOnDesktop = 0;
    size_t NotInLayout = 0;
    // "12 icons would move, 3 are not on the desktop, 2 are not in the layout" in the language;
    // without a desktop reading the number of icons in the layout.
    std::string Footer;
};

// Side of an icon's square in the picture: the 32-pixel icon image scaled, at least 3 pixels.
int32_t PreviewSquareSide(double scale);

TLayoutPreview BuildLayoutPreview(const TPreviewInput& input);
