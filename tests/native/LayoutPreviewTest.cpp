#include "LayoutPreview.h"

#include <gtest/gtest.h>

namespace {

TMonitor Monitor(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    TMonitor monitor;
    monitor.Rect = {left, top, right, bottom};
    monitor.WorkArea = monitor.Rect;
    return monitor;
}

TItemProp Entry(const char* caption, int32_t x, int32_t y) {
    TItemProp entry;
    entry.Caption = caption;
    entry.X = x;
    entry.Y = y;
    return entry;
}

// One 1280 x 1024 monitor pictured 320 wide: a quarter of every coordinate.
TPreviewInput OneMonitor(std::vector<TItemProp> entries) {
    TPreviewInput input;
    input.Entries = std::move(entries);
    input.Display.Monitors = {Monitor(0, 0, 1280, 1024)};
    return input;
}

std::vector<TPreviewShape> OfKind(const TLayoutPreview& preview, TShapeKind kind) {
    std::vector<TPreviewShape> shapes;
    for (const TPreviewShape& shape : preview.Shapes) {
        if (shape.Kind == kind) {
            shapes.push_back(shape);
        }
    }
    return shapes;
}

// The icon square with the top-left corner (x, y), if any.
const TPreviewShape* SquareAt(const TLayoutPreview& preview, int32_t x, int32_t y) {
    for (const TPreviewShape& shape : preview.Shapes) {
        if ((shape.Kind == TShapeKind::FilledRect || shape.Kind == TShapeKind::HollowRect) &&
            shape.Left == x && shape.Top == y && shape.Right == x + 8 && shape.Bottom == y + 8) {
            return &shape;
        }
    }
    return nullptr;
}

TEST(LayoutPreview, EachEntryIsASquareAtItsScaledPositionMarkedByWhatARestoreWouldDo) {
    // The desktop has the first A and B where the layout has them, C elsewhere (on a virtual screen
    // that starts 1280 left of the primary monitor), no D, and an icon E the layout does not list;
    // the two A are paired in order, so the second one moves.
    TPreviewInput input = OneMonitor({Entry("A", 100, 200), Entry("B", 400, 400), Entry("C", 800, 600),
                                      Entry("D", 1000, 800), Entry("A", 40, 40)});
    input.HasDesktop = true;
    input.Desktop.Origin = {-1280, 0, 1280, 1024};
    input.Desktop.Icons = {{0, "A", 1380, 200},
                           {1, "E", 1300, 10},
                           {2, "C", 1480, 100},
                           {3, "B", 1680, 400},
                           {4, "A", 1300, 40}};
    const TLayoutPreview preview = BuildLayoutPreview(input);
    EXPECT_EQ(preview.Width, 320);
    EXPECT_EQ(preview.Height, 256);

    const struct {
        int32_t X, Y;
        TShapeKind Kind;
        uint32_t Colour;
    } squares[] = {
        {25, 50, TShapeKind::FilledRect, PreviewIconColour},     // A in place
        {100, 100, TShapeKind::FilledRect, PreviewIconColour},   // B in place
        {200, 150, TShapeKind::FilledRect, PreviewAccentColour}, // C moves
        {250, 200, TShapeKind::HollowRect, PreviewIconColour},   // D is not on the desktop
        {10, 10, TShapeKind::FilledRect, PreviewAccentColour},   // the second A moves
    };
    for (const auto& s : squares) {
        const TPreviewShape* square = SquareAt(preview, s.X, s.Y);
        ASSERT_NE(square, nullptr) << s.X << "," << s.Y;
        EXPECT_EQ(square->Kind, s.Kind) << s.X << "," << s.Y;
        EXPECT_EQ(square->Colour, s.Colour) << s.X << "," << s.Y;
    }
    // One line per moving icon, from the centre of its square now to the centre of its stored one.
    const std::vector<TPreviewShape> lines = OfKind(preview, TShapeKind::Line);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ((std::vector<int32_t>{lines[0].Left, lines[0].Top, lines[0].Right, lines[0].Bottom}),
              (std::vector<int32_t>{54, 29, 204, 154}));
    EXPECT_EQ((std::vector<int32_t>{lines[1].Left, lines[1].Top, lines[1].Right, lines[1].Bottom}),
              (std::vector<int32_t>{9, 14, 14, 14}));
    for (const TPreviewShape& line : lines) {
        EXPECT_EQ(line.Colour, PreviewAccentColour);
    }
    EXPECT_EQ(preview.WouldMove, 2u);
    EXPECT_EQ(preview.NotOnDesktop, 1u);
    EXPECT_EQ(preview.NotInLayout, 1u);
    // The accent colour belongs to moving icons only.
    size_t accented = 0;
    for (const TPreviewShape& shape : preview.Shapes) {
        accented += shape.Kind != TShapeKind::Text && shape.Colour == PreviewAccentColour;
    }
    EXPECT_EQ(accented, 4u);

    // On a current configuration whose one monitor ends at x 500, C's stored place (800, 600) lies on
    // no monitor: C stays where it is, as a restore leaves it, and only the second A moves.
    input.CurrentDisplay.Monitors = {Monitor(0, 0, 500, 1024)};
    EXPECT_EQ(BuildLayoutPreview(input).WouldMove, 1u);
}

TEST(LayoutPreview, FooterCountsInBothLanguages) {
    const struct {
        size_t Moving, Missing, Unlisted;
        const char* English;
        const char* German;
    } cases[] = {
        {12, 3, 2, "12 icons would move, 3 are not on the desktop, 2 are not in the layout",
         "12 Icons w\xFCrden verschoben, 3 sind nicht auf dem Desktop, 2 sind nicht im Layout"},
        {1, 1, 1, "1 icon would move, 1 is not on the desktop, 1 is not in the layout",
         "1 Icon w\xFCrde verschoben, 1 ist nicht auf dem Desktop, 1 ist nicht im Layout"},
        {0, 0, 0, "0 icons would move, 0 are not on the desktop, 0 are not in the layout",
         "0 Icons w\xFCrden verschoben, 0 sind nicht auf dem Desktop, 0 sind nicht im Layout"},
    };
    for (const auto& c : cases) {
        TPreviewInput input = OneMonitor({});
        input.HasDesktop = true;
        int32_t index = 0;
        const auto add = [&](size_t count, const char* prefix, bool inLayout, bool onDesktop) {
            for (size_t i = 0; i < count; ++i, ++index) {
                const std::string caption = prefix + std::to_string(i);
                if (inLayout) {
                    input.Entries.push_back(Entry(caption.c_str(), 10, index * 10));
                }
                if (onDesktop) {
                    input.Desktop.Icons.push_back({index, caption, 500, index * 10});
                }
            }
        };
        add(c.Moving, "move", true, true);
        add(c.Missing, "gone", true, false);
        add(c.Unlisted, "new", false, true);
        add(4, "same", true, false);
        for (size_t i = 0; i < 4; ++i) {
            const TItemProp& entry = input.Entries[input.Entries.size() - 4 + i];
            input.Desktop.Icons.push_back({index++, entry.Caption, entry.X, entry.Y});
        }
        input.Language = 1;
        const TLayoutPreview english = BuildLayoutPreview(input);
        EXPECT_EQ(english.Footer, c.English);
        EXPECT_EQ(english.WouldMove, c.Moving);
        EXPECT_EQ(english.NotOnDesktop, c.Missing);
        EXPECT_EQ(english.NotInLayout, c.Unlisted);
        input.Language = 0;
        EXPECT_EQ(BuildLayoutPreview(input).Footer, c.German);
    }

    // Without a desktop reading: every square plain, no line, the layout's size in the footer.
    TPreviewInput input = OneMonitor({Entry("A", 0, 0), Entry("B", 400, 400)});
    const TLayoutPreview preview = BuildLayoutPreview(input);
    EXPECT_EQ(preview.Footer, "2 icons in the layout");
    EXPECT_TRUE(OfKind(preview, TShapeKind::Line).empty());
    ASSERT_NE(SquareAt(preview, 100, 100), nullptr);
    EXPECT_EQ(SquareAt(preview, 100, 100)->Colour, PreviewIconColour);
    input.Entries.pop_back();
    input.Language = 0;
    EXPECT_EQ(BuildLayoutPreview(input).Footer, "1 Icon im Layout");
}

TEST(LayoutPreview, MonitorsAndOutlyingIconsSetTheScale) {
    const struct {
        const char* What;
        std::vector<TMonitor> Monitors;
        std::vector<TItemProp> Entries;
        int32_t Width, Height;
        std::vector<TDisplayRect> Pictured; // the monitors' rectangles in the picture
    } cases[] = {
        {"a second monitor left of the primary one",
         {Monitor(0, 0, 1280, 1024), Monitor(-1280, 0, 0, 1024)},
         {},
         320,
         128,
         {{160, 0, 320, 128}, {0, 0, 160, 128}}},
        {"a portrait monitor right of the primary one, its top higher",
         {Monitor(0, 0, 1280, 1024), Monitor(1280, -256, 2048, 1024)},
         {},
         320,
         200,
         {{0, 40, 200, 200}, {200, 0, 320, 200}}},
        {"an icon beyond the only monitor",
         {Monitor(0, 0, 1280, 1024)},
         {Entry("far", 2528, 0)},
         320,
         128,
         {{0, 0, 160, 128}}},
        {"no monitor and no icon", {}, {}, 320, 240, {}},
    };
    for (const auto& c : cases) {
        TPreviewInput input;
        input.Display.Monitors = c.Monitors;
        input.Entries = c.Entries;
        const TLayoutPreview preview = BuildLayoutPreview(input);
        EXPECT_EQ(preview.Width, c.Width) << c.What;
        EXPECT_EQ(preview.Height, c.Height) << c.What;
        std::vector<TDisplayRect> filled, framed;
        for (const TPreviewShape& shape : preview.Shapes) {
            const TDisplayRect rect = {shape.Left, shape.Top, shape.Right, shape.Bottom};
            if (shape.Colour == PreviewMonitorColour && shape.Kind == TShapeKind::FilledRect) {
                filled.push_back(rect);
            } else if (shape.Colour == PreviewMonitorFrameColour && shape.Kind == TShapeKind::HollowRect) {
                framed.push_back(rect);
            }
            EXPECT_TRUE(shape.Left >= 0 && shape.Top >= 0 && shape.Right <= c.Width &&
                        shape.Bottom <= c.Height)
                << c.What;
        }
        EXPECT_EQ(filled, c.Pictured) << c.What;
        EXPECT_EQ(framed, c.Pictured) << c.What;
    }
}

TEST(LayoutPreview, CaptionLettersStandWhereThereIsRoom) {
    // Squares are 8 pixels, letters 6: the letters start 2 pixels right of the square.
    const struct {
        const char* What;
        std::vector<TItemProp> Entries;
        const char* Shown; // letters of the first entry, nullptr for none
    } cases[] = {
        {"alone: at most eight letters", {Entry("Recycle Bin", 0, 0)}, "Recycle "},
        {"short caption whole", {Entry("Go", 0, 0)}, "Go"},
        {"a square 25 pixels right: two letters", {Entry("Documents", 0, 0), Entry("X", 100, 20)}, "Do"},
        {"a square 15 pixels right: none", {Entry("Documents", 0, 0), Entry("X", 60, 0)}, nullptr},
        {"a square on another row does not stop them",
         {Entry("Documents", 0, 0), Entry("X", 100, 60)},
         "Document"},
        {"letters are never cut",
         {Entry("\xC3\x9C"
                "bersicht",
                0, 0),
          Entry("X", 100, 0)},
         "\xC3\x9C"
         "b"},
        {"the picture's edge", {Entry("Documents", 1200, 0)}, nullptr},
    };
    for (const auto& c : cases) {
        const TLayoutPreview preview = BuildLayoutPreview(OneMonitor(c.Entries));
        const TPreviewShape* text = nullptr;
        for (const TPreviewShape& shape : preview.Shapes) {
            if (shape.Kind == TShapeKind::Text && shape.Left == 10 + c.Entries[0].X / 4) {
                text = &shape;
            }
        }
        if (c.Shown == nullptr) {
            EXPECT_EQ(text, nullptr) << c.What;
            continue;
        }
        ASSERT_NE(text, nullptr) << c.What;
        EXPECT_EQ(text->Text, c.Shown) << c.What;
        EXPECT_EQ(text->Top, c.Entries[0].Y / 4) << c.What;
        EXPECT_LE(text->Right, 320) << c.What;
    }
}

} // namespace
