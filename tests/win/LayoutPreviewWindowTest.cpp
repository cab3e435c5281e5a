// The preview window inside this process: a layout file read from disk, pictured against a desktop
// reading, its pixels captured from the window and compared with where the icons must stand.

#include <windows.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "DisplayConfig.h"
#include "GdiObjectCount.h"
#include "LayoutFile.h"
#include "LayoutPreview.h"
#include "LayoutPreviewWindow.h"
#include "TestEnvironment.h"
#include "WindowsVersion.h"

namespace {

void Pump() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        DispatchMessageA(&message);
    }
}

void CALLBACK PressEscapeOnPreview(HWND, UINT, UINT_PTR, DWORD) {
    PostMessageA(FindWindowA(LayoutPreviewClassName, nullptr), WM_KEYDOWN, VK_ESCAPE, 0);
}

// The client area's pixels, top row first, as COLORREF values.
struct TPixels {
    int Width = 0;
    int Height = 0;
    std::vector<COLORREF> Colours;
    COLORREF At(int x, int y) const { return Colours[static_cast<size_t>(y) * Width + x]; }
};

// Copies the client area as the window paints it (PrintWindow: the window draws into our bitmap)
// and writes it as a bitmap file to `file` for the record.
TPixels Capture(HWND window, const std::string& file) {
    TPixels pixels;
    RECT client = {};
    GetClientRect(window, &client);
    pixels.Width = client.right;
    pixels.Height = client.bottom;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = pixels.Width;
    info.bmiHeader.biHeight = -pixels.Height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HGDIOBJ old = SelectObject(memory, bitmap);
    EXPECT_TRUE(PrintWindow(window, memory, PW_CLIENTONLY));
    GdiFlush();
    const auto* bgra = static_cast<const uint8_t*>(bits);
    for (int i = 0; i < pixels.Width * pixels.Height; ++i) {
        pixels.Colours.push_back(RGB(bgra[4 * i + 2], bgra[4 * i + 1], bgra[4 * i]));
    }
    const DWORD imageBytes = static_cast<DWORD>(pixels.Width * pixels.Height * 4);
    BITMAPFILEHEADER header = {};
    header.bfType = 0x4D42;
    header.bfOffBits = sizeof(header) + sizeof(info.bmiHeader);
    header.bfSize = header.bfOffBits + imageBytes;
    if (FILE* out = std::fopen(file.c_str(), "wb")) {
        std::fwrite(&header, sizeof(header), 1, out);
        std::fwrite(&info.bmiHeader, sizeof(info.bmiHeader), 1, out);
        std::fwrite(bits, imageBytes, 1, out);
        std::fclose(out);
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return pixels;
}

class LayoutPreviewWindow : public ::testing::Test {
protected:
    void SetUp() override {
        DetectWindowsVersion();
        folder_ = MakeTempFolder("preview");
        // A 1280 x 1024 monitor recorded in the file, so that the picture does not depend on this
        // display. Three icons: Here stays, Away moves, Gone is not on the desktop.
        TDisplayConfig recorded;
        TMonitor monitor;
        monitor.Rect = monitor.WorkArea = {0, 0, 1280, 1024};
        monitor.Primary = true;
        recorded.Monitors = {monitor};
        ASSERT_TRUE(WriteFileBytes(folder_ + "fixture.kvl", LayoutHeaderLines("1280x1024", "20261208120000") +
                                                                DisplayConfigLine(recorded) +
                                                                LayoutEntryLine(200, 200, "Here") +
                                                                LayoutEntryLine(600, 400, "Away") +
                                                                LayoutEntryLine(1000, 800, "Gone")));
        content_ = PreviewContentOfFile(folder_ + "fixture.kvl", {});
        ASSERT_TRUE(content_.Readable) << content_.Message;
        content_.HasDesktop = true;
        content_.Desktop.Origin = {0, 0, 1280, 1024};
        content_.Desktop.Icons = {{0, "Here", 200, 200}, {1, "Away", 100, 700}, {2, "Extra", 900, 100}};
    }
    void TearDown() override {
        Pump();
        RemoveTree(folder_);
    }

    std::string folder_;
    TPreviewContent content_;
};

TEST_F(LayoutPreviewWindow, PaintsTheIconsWhereTheLayoutHasThemWithoutTakingTheActivation) {
    const HWND active = CreateWindowExA(0, "STATIC", "active", WS_POPUP | WS_VISIBLE, 600, 600, 50, 50,
                                        nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(active, nullptr);
    SetForegroundWindow(active);
    SetActiveWindow(active);
    Pump();

    const HWND preview = OpenLayoutPreview(content_, {20, 30}, TPreviewMode::Popup);
    ASSERT_NE(preview, nullptr);
    Pump();
    EXPECT_EQ(GetActiveWindow(), active);
    const LONG exStyle = GetWindowLongA(preview, GWL_EXSTYLE);
    EXPECT_EQ(exStyle & (WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE),
              WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE);
    RECT frame = {};
    GetWindowRect(preview, &frame);
    EXPECT_EQ(frame.left, 20);
    EXPECT_EQ(frame.top, 30);

    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    const int longSide = MulDiv(PreviewLongSide, dpi, 96);
    const int margin = MulDiv(6, dpi, 96);
    const double scale = longSide / 1280.0;
    const int side = PreviewSquareSide(scale);
    const TPixels pixels = Capture(preview, TestBinDir() + "layout-preview.bmp");
    ASSERT_EQ(pixels.Width, longSide + 2 * margin);
    const auto at = [&](int x, int y, int dx, int dy) {
        return pixels.At(margin + static_cast<int>(std::lround(x * scale)) + dx,
                         margin + static_cast<int>(std::lround(y * scale)) + dy);
    };
    const struct {
        const char* What;
        int X, Y;
        COLORREF Centre, Corner;
    } icons[] = {
        {"stays", 200, 200, PreviewIconColour, PreviewIconColour},
        {"moves", 600, 400, PreviewAccentColour, PreviewAccentColour},
        {"not on the desktop: hollow", 1000, 800, PreviewMonitorColour, PreviewIconColour},
    };
    for (const auto& icon : icons) {
        EXPECT_EQ(at(icon.X, icon.Y, side / 2, side / 2), icon.Centre) << icon.What;
        EXPECT_EQ(at(icon.X, icon.Y, 0, 0), icon.Corner) << icon.What;
    }
    // The line of the moving icon starts at the centre of the square where it stands now, and the
    // picture leaves the top-left corner of the monitor in the monitor's frame colour.
    EXPECT_EQ(at(100, 700, side / 2, side / 2), PreviewAccentColour);
    EXPECT_EQ(pixels.At(margin, margin), PreviewMonitorFrameColour);
    // The footer: text below the picture.
    int dark = 0;
    for (int y = margin + static_cast<int>(std::lround(1024 * scale)); y < pixels.Height; ++y) {
        for (int x = 0; x < pixels.Width; ++x) {
            dark += GetRValue(pixels.At(x, y)) < 128;
        }
    }
    EXPECT_GT(dark, 30);

    CloseLayoutPreview(preview);
    EXPECT_FALSE(IsWindow(preview));
    DestroyWindow(active);
}

TEST_F(LayoutPreviewWindow, AnUnreadableFileShowsTheReadersMessage) {
    ASSERT_TRUE(WriteFileBytes(folder_ + "broken.kvl", "not a layout\r\n"));
    const TPreviewContent broken = PreviewContentOfFile(folder_ + "broken.kvl", {});
    EXPECT_FALSE(broken.Readable);
    // The message of the reader that a restore shows in its box.
    EXPECT_EQ(broken.Message, "Corrupt file: Error opening\r\r" + folder_ + "broken.kvl\r\rError code 2");
    const TPreviewContent missing = PreviewContentOfFile(folder_ + "missing.kvl", {});
    EXPECT_FALSE(missing.Readable);
    EXPECT_EQ(missing.Message.rfind("I/O error: ", 0), 0u) << missing.Message;

    const HWND preview = OpenLayoutPreview(content_, {0, 0}, TPreviewMode::Popup);
    ASSERT_NE(preview, nullptr);
    RECT before = {};
    GetClientRect(preview, &before);
    UpdateLayoutPreview(preview, broken, {0, 0});
    RECT after = {};
    GetClientRect(preview, &after);
    EXPECT_LT(after.bottom, before.bottom) << "a few lines of text instead of the picture";
    const TPixels pixels = Capture(preview, TestBinDir() + "layout-preview-unreadable.bmp");
    int dark = 0;
    for (const COLORREF colour : pixels.Colours) {
        dark += GetRValue(colour) < 128;
    }
    EXPECT_GT(dark, 30);
    CloseLayoutPreview(preview);
}

// Wine without a window manager takes 2 s to destroy a window of this kind, so there are two.
TEST_F(LayoutPreviewWindow, AStandaloneWindowClosesOnEscapeOrAClick) {
    const HWND preview = OpenLayoutPreview(content_, {0, 0}, TPreviewMode::Standalone);
    ASSERT_NE(preview, nullptr);
    EXPECT_EQ(GetWindowLongA(preview, GWL_EXSTYLE) & (WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE), 0);
    PostMessageA(preview, WM_LBUTTONDOWN, 0, 0);
    Pump();
    EXPECT_FALSE(IsWindow(preview));
    // The command line's loop returns once Escape closes its window.
    const UINT_PTR timer = SetTimer(nullptr, 0, 100, PressEscapeOnPreview);
    EXPECT_TRUE(RunLayoutPreview(content_));
    KillTimer(nullptr, timer);
    EXPECT_EQ(FindWindowA(LayoutPreviewClassName, nullptr), nullptr);
}

TEST_F(LayoutPreviewWindow, OpeningAndClosingItLeavesNoGdiObjectBehind) {
    // A first round lets the system's lazily made objects (fonts, caches) settle.
    CloseLayoutPreview(OpenLayoutPreview(content_, {0, 0}, TPreviewMode::Popup));
    Pump();
    const long before = CountOwnGdiObjects();
    for (int i = 0; i < 200; ++i) {
        const HWND preview = OpenLayoutPreview(content_, {i, i}, TPreviewMode::Popup);
        ASSERT_NE(preview, nullptr);
        UpdateWindow(preview);
        UpdateLayoutPreview(preview, content_, {0, 0});
        CloseLayoutPreview(preview);
        Pump();
    }
    const long after = CountOwnGdiObjects();
    std::printf("GDI objects after 200 previews: %ld -> %ld\n", before, after);
    if (before < 0 || after < 0) {
        GTEST_SKIP() << "this system counts no GDI objects";
    }
    // A leak of one object per window would show as 200.
    EXPECT_LE(after - before, 3);
}

} // namespace
