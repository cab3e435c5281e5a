// The tray menu and the splash screen, driven inside this process through the program's own window
// procedure: menus and the splash's painting cannot be read from another process under Wine.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

#include <cstdlib>
#include <string>
#include <vector>

#include "BackupArchive.h"
#include "DesktopHostClient.h"
#include "KavrilonNames.h"
#include "Language.h"
#include "LayoutScenario.h"
#include "ProcessState.h"
#include "Splash.h"
#include "TestEnvironment.h"
#include "TrayInstance.h"
#include "TrayWindow.h"
#include "WindowsVersion.h"

namespace {

void Pump() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        DispatchMessageA(&message);
    }
}

// The program's globals set as a tray instance has them, with a data folder of the test's own.
class InProcess : public ::testing::Test {
protected:
    void SetUp() override {
        DetectWindowsVersion();
        ResolveLateBoundFunctions();
        RegisterTrayWindowClass();
        savedDataFolder_ = DataFolder;
        DataFolder = MakeTempFolder("tray");
        CreateDirectoryA((DataFolder + "Layouts").c_str(), nullptr);
        CreateDirectoryA((DataFolder + "Backups").c_str(), nullptr);
        PortableMode = false;
        CommandLineMode = false;
        MessagesAllowed = true;
    }
    void TearDown() override {
        Pump();
        RemoveTree(DataFolder);
        DataFolder = savedDataFolder_;
        OwnerWindow = nullptr;
    }
    static std::string Primary() { return DataFolder + "Layouts\\Layout_" + ResolutionKey() + ".kvl"; }
    static void WriteOptions(const std::string& lines) {
        ASSERT_TRUE(WriteFileBytes(DataFolder + "Options.ini", "[Opt]\r\n" + lines));
    }

    std::string savedDataFolder_;
};

class SplashScreen : public InProcess {
protected:
    void SetUp() override {
        InProcess::SetUp();
        owner_ =
            CreateWindowExA(0, "STATIC", "owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(owner_, nullptr);
    }
    void TearDown() override {
        if (SplashWindow != nullptr) {
            DestroyWindow(SplashWindow);
        }
        DestroyWindow(owner_);
        InProcess::TearDown();
    }
    HWND Open() {
        AboutOwner = owner_;
        ShowAbout();
        if (SplashWindow != nullptr) {
            UpdateWindow(SplashWindow);
        }
        Pump();
        return SplashWindow;
    }
    static POINT Centre(const RECT& rect) {
        return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    }

    HWND owner_ = nullptr;
};

TEST_F(SplashScreen, PaintsTheGradientTheFrameAndTheCentredTexts) {
    const HWND splash = Open();
    ASSERT_NE(splash, nullptr);
    RECT client = {};
    GetClientRect(splash, &client);
    ASSERT_EQ(client.right, 260);
    ASSERT_EQ(client.bottom, 180);

    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, client.right, client.bottom);
    HGDIOBJ old = SelectObject(memory, bitmap);
    PaintSplash(memory, splash);
    const struct {
        int X, Y;
        COLORREF Colour;
    } pixels[] = {
        {0, 0, RGB(150, 150, 150)}, {259, 179, RGB(150, 150, 150)}, {5, 179, RGB(150, 150, 150)},
        {5, 1, RGB(52, 103, 255)},  {5, 90, RGB(153, 178, 255)},    {254, 90, RGB(153, 178, 255)},
    };
    for (const auto& p : pixels) {
        EXPECT_EQ(GetPixel(memory, p.X, p.Y), p.Colour) << p.X << "," << p.Y;
    }
    // The title: white over its grey shadow in the band of its 40-pixel font.
    int white = 0, shadow = 0;
    for (int y = 10; y < 55; ++y) {
        for (int x = 0; x < client.right; ++x) {
            const COLORREF colour = GetPixel(memory, x, y);
            white += colour == RGB(255, 255, 255);
            shadow += colour == RGB(100, 100, 100);
        }
    }
    EXPECT_GT(white, 100);
    EXPECT_GT(shadow, 50);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);

    // The links: below each other, centred on the client width, inside the window.
    const TSplashLinks areas = SplashLinkAreas();
    EXPECT_LT(areas.Web.bottom, areas.Mail.top + 1);
    EXPECT_LE(areas.Mail.bottom, 180);
    for (const RECT& link : {areas.Web, areas.Mail}) {
        EXPECT_GT(link.right - link.left, 50);
        EXPECT_LE(std::abs(link.left - (client.right - link.right)), 1);
    }
}

TEST_F(SplashScreen, ShowsTheHandOnlyOverTheLinksAndOpensThemThroughTheShell) {
    // The registered programs of the two protocols write what they were given.
    const std::string folder = MakeTempFolder("links");
    const struct {
        const char* Protocol;
        RECT TSplashLinks::*Link;
        std::string Expected;
    } links[] = {{"http", &TSplashLinks::Web, SplashWebAddress},
                 {"mailto", &TSplashLinks::Mail,
                  std::string("mailto:") + SplashMailAddress + "?subject=Kavrilon 8.2"}};
    for (const auto& link : links) {
        const std::string key = std::string("Software\\Classes\\") + link.Protocol;
        SetRegistryString(HKEY_LOCAL_MACHINE, key, "URL Protocol", "");
        SetRegistryString(HKEY_LOCAL_MACHINE, key + "\\shell\\open\\command", "",
                          "C:\\windows\\system32\\cmd.exe /c echo %1>" + folder + link.Protocol + ".txt");
    }
    const HCURSOR hand = LoadCursorA(nullptr, IDC_HAND);
    const HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);

    for (const auto& link : links) {
        // A program that opens takes the activation, and the window closes: open it again then.
        const HWND splash = SplashWindow != nullptr ? SplashWindow : Open();
        ASSERT_NE(splash, nullptr);
        EXPECT_FALSE(IsWindowEnabled(owner_));
        const RECT area = SplashLinkAreas().*link.Link;
        const POINT centre = Centre(area);
        // Over the link, and beside it on the same line.
        const struct {
            POINT At;
            HCURSOR Cursor;
        } spots[] = {{centre, hand}, {{area.left - 3, centre.y}, arrow}};
        for (const auto& spot : spots) {
            POINT screenPoint = spot.At;
            ClientToScreen(splash, &screenPoint);
            SetCursorPos(screenPoint.x, screenPoint.y);
            SendMessageA(splash, WM_SETCURSOR, reinterpret_cast<WPARAM>(splash),
                         MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
            EXPECT_EQ(GetCursor(), spot.Cursor) << link.Protocol << " at " << spot.At.x << "," << spot.At.y;
        }
        SendMessageA(splash, WM_LBUTTONUP, 0, MAKELPARAM(centre.x, centre.y));
        const std::string file = folder + link.Protocol + ".txt";
        EXPECT_TRUE(WaitUntil([&] { return IsFile(file) && !ReadLines(file).empty(); }, 10000))
            << link.Protocol;
        if (IsFile(file)) {
            EXPECT_EQ(ReadLines(file)[0], link.Expected);
        }
    }
    for (const char* protocol : {"http", "mailto"}) {
        DeleteRegistryTree(HKEY_LOCAL_MACHINE,
                           std::string("Software\\Classes\\") + protocol + "\\shell\\open");
    }
    RemoveTree(folder);
}

TEST_F(SplashScreen, AClickOutsideTheLinksClosesItAndTheTrayOwnerIsAskedForAFirstLayout) {
    const struct {
        bool OwnerIsTray;
        bool PrimaryExists;
        bool Portable;
        UINT Close;
        bool Asks;
    } cases[] = {
        {true, false, false, WM_LBUTTONUP, true}, {true, true, false, WM_RBUTTONUP, false},
        {true, false, true, WM_LBUTTONUP, false}, {false, false, false, WM_LBUTTONUP, false},
        {true, false, false, WM_RBUTTONUP, true},
    };
    for (const auto& c : cases) {
        OwnerWindow = c.OwnerIsTray ? owner_ : nullptr;
        PortableMode = c.Portable;
        DeleteFileA(Primary().c_str());
        if (c.PrimaryExists) {
            ASSERT_TRUE(WriteFileBytes(Primary(), "x"));
        }
        const HWND splash = Open();
        ASSERT_NE(splash, nullptr);
        // A second about request keeps the one window.
        ShowAbout();
        EXPECT_EQ(SplashWindow, splash);
        // The version line lies outside both links.
        SendMessageA(splash, c.Close, 0, MAKELPARAM(130, 70));
        EXPECT_FALSE(IsWindow(splash));
        EXPECT_EQ(SplashWindow, nullptr);
        EXPECT_TRUE(IsWindowEnabled(owner_));
        MSG message;
        const bool asked =
            PeekMessageA(&message, owner_, TrayFirstRunMessage, TrayFirstRunMessage, PM_REMOVE);
        EXPECT_EQ(asked, c.Asks) << "case " << (&c - cases);
    }
}

TEST_F(SplashScreen, WidthFollowsTheWindowsVersion) {
    const struct {
        bool Nt;
        bool Nt5;
        LONG Width;
    } cases[] = {{false, false, 290}, {true, false, 270}, {true, true, 260}};
    for (const auto& c : cases) {
        RunningWindows.IsNTPlatform = c.Nt;
        RunningWindows.IsWindows2000OrLater = c.Nt5;
        const HWND splash = ShowSplash(owner_);
        ASSERT_NE(splash, nullptr);
        RECT client = {};
        GetClientRect(splash, &client);
        EXPECT_EQ(client.right, c.Width);
        DestroyWindow(splash);
    }
    DetectWindowsVersion();
}

// The tray window created by the program's own procedure, its menu opened as the tray does.
class TrayMenuTest : public InProcess {
protected:
    void TearDown() override {
        if (TrayWindow != nullptr) {
            DestroyWindow(TrayWindow);
            TrayWindow = nullptr;
            ReleaseTrayResources();
        }
        MSG quit;
        PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
        InProcess::TearDown();
    }
    void Open(const std::string& options) {
        WriteOptions("RestoreAtStart=0\r\nQueryRestore=0\r\nDirectUndo=0\r\n" + options);
        if (TrayWindow == nullptr) {
            ASSERT_TRUE(CreateTrayWindow());
        }
        ReleaseBackupMenu();
        PrepareTrayMenu();
        SendMessageA(TrayWindow, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(TrayMenu), 0);
    }
    static std::string Text(HMENU menu, UINT position) {
        char text[256] = {};
        GetMenuStringA(menu, position, text, sizeof text, MF_BYPOSITION);
        return text;
    }
    static bool Grey(UINT position) {
        return (GetMenuState(TrayMenu, position, MF_BYPOSITION) & MF_GRAYED) != 0;
    }
    static void MakeBackups(int count) {
        const std::string folder = DataFolder + "Backups\\" + ResolutionKey() + "\\";
        CreateDirectoryA(folder.c_str(), nullptr);
        for (int i = 0; i < count; ++i) {
            char name[32];
            wsprintfA(name, "200801%02d120000S.kvl", i + 1);
            ASSERT_TRUE(WriteLayoutFile(folder + name, {{700 + i, 300, "Alpha"}}));
        }
    }
};

TEST_F(TrayMenuTest, ItemsCarryTheTextsOfTheLanguage) {
    const struct {
        const char* Language;
        std::vector<std::string> Texts; // positions 0, 1, 3, 4, 6, 8, 10, 11
    } cases[] = {
        {"Language=0",
         {"Hauptlayout &sichern", "Hauptlayout &restaurieren", "&In Datei sichern...",
          "&Aus Datei restaurieren...", "&Backuparchiv", "&Optionen", "I&nfo", "Kavrilon b&eenden"}},
        {"Language=1",
         {"&Save Primary layout", "&Restore Primary layout", "Save &to file...", "Restore &from file...",
          "&Backup archive", "&Options", "&About", "E&xit Kavrilon"}},
    };
    const UINT positions[] = {0, 1, 3, 4, 6, 8, 10, 11};
    ASSERT_TRUE(RunningWindows.IsVistaFamily) << "Wine reports Windows 7 unless told otherwise";
    for (const auto& c : cases) {
        Open(c.Language);
        ASSERT_EQ(GetMenuItemCount(TrayMenu), 12);
        for (size_t i = 0; i < 8; ++i) {
            EXPECT_EQ(Text(TrayMenu, positions[i]), c.Texts[i]) << c.Language << " position " << positions[i];
        }
        EXPECT_EQ(GetSubMenu(TrayMenu, 6), BackupMenu);
    }
}

TEST_F(TrayMenuTest, GreyingFollowsThePrimaryLayoutAndPortableMode) {
    const struct {
        bool Primary;
        bool Portable;
        bool SaveGrey, RestoreGrey, ArchiveGrey;
    } cases[] = {
        {false, false, false, true, false},
        {true, false, false, false, false},
        {true, true, true, true, true},
    };
    for (const auto& c : cases) {
        DeleteFileA(Primary().c_str());
        if (c.Primary) {
            ASSERT_TRUE(WriteFileBytes(Primary(), "x"));
        }
        PortableMode = c.Portable;
        Open("Language=1");
        EXPECT_EQ(Grey(0), c.SaveGrey) << "case " << (&c - cases);
        EXPECT_EQ(Grey(1), c.RestoreGrey) << "case " << (&c - cases);
        EXPECT_EQ(Grey(6), c.ArchiveGrey) << "case " << (&c - cases);
    }
}

TEST_F(TrayMenuTest, TheArchiveListsTheTenNewestAndPrunesTheRest) {
    Open("Language=1");
    SendMessageA(TrayWindow, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(BackupMenu), 6);
    ASSERT_EQ(GetMenuItemCount(BackupMenu), 1);
    EXPECT_EQ(Text(BackupMenu, 0), "No backup available");
    EXPECT_EQ(GetMenuItemID(BackupMenu, 0), 0u);
    EXPECT_EQ(GetMenuState(BackupMenu, 0, MF_BYPOSITION) & (MF_DISABLED | MF_GRAYED),
              static_cast<UINT>(MF_DISABLED));

    MakeBackups(12);
    Open("Language=1");
    SendMessageA(TrayWindow, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(BackupMenu), 6);
    ASSERT_EQ(GetMenuItemCount(BackupMenu), 12);
    for (UINT n = 0; n < 10; ++n) {
        EXPECT_EQ(GetMenuItemID(BackupMenu, n), 5000 + n);
        EXPECT_EQ(Text(BackupMenu, n), BackupLabel("200801" + std::string(n >= 3 ? "0" : "") +
                                                   std::to_string(12 - n) + "120000S"));
    }
    EXPECT_EQ(GetMenuItemID(BackupMenu, 11), 3008u);
    EXPECT_EQ(Text(BackupMenu, 11), "&Delete all backups");
    const std::vector<std::string> left = FolderEntries(DataFolder + "Backups\\" + ResolutionKey());
    ASSERT_EQ(left.size(), 10u);
    EXPECT_EQ(left.front(), "20080103120000S.kvl") << "the two oldest are deleted";
}

TEST_F(TrayMenuTest, ChoosingABackupRestoresIt) {
    kvtest::DesktopHost host;
    ASSERT_TRUE(host.Start({{"Alpha", 100, 100}})) << host.LastError();
    MakeBackups(3);
    Open("Language=1");
    SendMessageA(TrayWindow, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(BackupMenu), 6);
    // The second entry: the second newest backup, of 2 January, with Alpha at 701.
    SendMessageA(TrayWindow, WM_COMMAND, 5001, 0);
    EXPECT_EQ(CurrentPlaces(host), std::vector<TPlace>({{701, 300}}));
    host.Stop();
}

// Wine cannot lock the workstation: the input desktop check is replaced by one the test controls.
bool InputDesktopOpen = false;

TEST_F(TrayMenuTest, ALockedWorkstationDefersTheRestoreUntilTheInputDesktopReturns) {
    kvtest::DesktopHost host;
    ASSERT_TRUE(host.Start({{"Alpha", 100, 100}})) << host.LastError();
    ASSERT_TRUE(WriteLayoutFile(Primary(), {{600, 400, "Alpha"}}));
    Open("RestoreAtChange=1\r\nDelayAutoRest=300\r\n");
    InputDesktopOpen = false;
    InputDesktopAvailable = [] { return InputDesktopOpen; };

    SendMessageA(TrayWindow, WM_DISPLAYCHANGE, 32, 0);
    for (int i = 0; i < 5; ++i) {
        Sleep(100);
        Pump();
    }
    EXPECT_EQ(CurrentPlaces(host), std::vector<TPlace>({{100, 100}})) << "restored on a locked workstation";

    InputDesktopOpen = true;
    const ULONGLONG unlocked = GetTickCount64();
    EXPECT_TRUE(WaitUntil(
        [&] {
            Pump();
            return CurrentPlaces(host) == std::vector<TPlace>({{600, 400}});
        },
        5000));
    EXPECT_GE(GetTickCount64() - unlocked, 300u) << "the pause of DelayAutoRest";
    InputDesktopAvailable = OpenInputDesktopSucceeds;
    host.Stop();
}

// A hand-edited pause of ten minutes: the tray's thread keeps answering while it runs, and the
// restore comes after at most ten seconds.
TEST_F(TrayMenuTest, AHugeAutoRestoreDelayNeitherFreezesTheTrayNorPostponesTheRestoreForLong) {
    kvtest::DesktopHost host;
    ASSERT_TRUE(host.Start({{"Alpha", 100, 100}})) << host.LastError();
    ASSERT_TRUE(WriteLayoutFile(Primary(), {{600, 400, "Alpha"}}));
    Open("RestoreAtChange=1\r\nDelayAutoRest=600000\r\n");
    // The pause follows the return of a locked workstation's input desktop.
    InputDesktopOpen = false;
    InputDesktopAvailable = [] { return InputDesktopOpen; };
    SendMessageA(TrayWindow, WM_DISPLAYCHANGE, 32, 0);
    Pump();
    InputDesktopOpen = true;
    const ULONGLONG requested = GetTickCount64();
    // Each pump returns at once; a tray that slept on its thread would hold the first one for the
    // whole pause.
    ULONGLONG longestPump = 0;
    EXPECT_TRUE(WaitUntil(
        [&] {
            const ULONGLONG start = GetTickCount64();
            Pump();
            longestPump = std::max(longestPump, GetTickCount64() - start);
            return CurrentPlaces(host) == std::vector<TPlace>({{600, 400}});
        },
        20000));
    EXPECT_LT(longestPump, 5000u) << "the tray's thread stood still during the pause";
    EXPECT_GE(GetTickCount64() - requested, 9900u) << "the pause is kept to ten seconds, not skipped";
    InputDesktopAvailable = OpenInputDesktopSucceeds;
    host.Stop();
}

} // namespace
