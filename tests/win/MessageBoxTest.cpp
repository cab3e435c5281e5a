// Message boxes shown by the program's AppMessageBox in a process of their own, found, read and
// answered by the test.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "DialogDriver.h"
#include "ProcessRunner.h"
#include "TestEnvironment.h"

namespace {

std::string TrimmedOutput(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
        text.pop_back();
    }
    return text;
}

struct TBoxRun {
    TDialogContent Box;
    int Alpha = -2;
    std::string Output;
    bool Ended = false;
};

// Starts the probe, waits for its box, reads it and presses `answer`.
TBoxRun ShowAndAnswer(const char* mode, UINT style, bool transparent, int transparencyOption, int language,
                      const std::string& caption, const std::string& text, int answer) {
    TBoxRun run;
    TChildProcess probe;
    EXPECT_TRUE(probe.Start(TestToolPath("kv_message_box_probe.exe"),
                            {mode, std::to_string(style), transparent ? "1" : "0",
                             std::to_string(transparencyOption), std::to_string(language), caption, text},
                            true));
    HWND box = WaitForDialog(probe.Pid(), 15000);
    EXPECT_NE(box, nullptr) << "no message box appeared";
    if (box != nullptr) {
        // A user takes a moment too: the box has finished its set-up by then.
        Sleep(300);
        run.Box = ReadDialog(box);
        run.Alpha = LayeredAlpha(box);
        EXPECT_TRUE(PressDialogButton(box, answer));
    }
    run.Ended = probe.Wait(10000);
    run.Output = TrimmedOutput(probe.Output());
    return run;
}

bool HasButton(const TDialogContent& box, int id) {
    for (const TDialogButton& button : box.Buttons) {
        if (button.Id == id) {
            return true;
        }
    }
    return false;
}

TEST(AppMessageBox, ShowsCaptionTextAndButtonsAndReportsTheAnswer) {
    const TBoxRun run =
        ShowAndAnswer("dlg", MB_YESNO | MB_ICONQUESTION, false, 0, 1, "Kavrilon - Save Layout",
                      "Do you want to save this icon layout?", IDNO);
    EXPECT_EQ(run.Box.Caption, "Kavrilon - Save Layout");
    EXPECT_EQ(run.Box.Text, "Do you want to save this icon layout?");
    EXPECT_TRUE(HasButton(run.Box, IDYES));
    EXPECT_TRUE(HasButton(run.Box, IDNO));
    EXPECT_FALSE(HasButton(run.Box, IDOK));
    // MB_TOPMOST is asked for, but Wine 8 only makes system-modal boxes topmost, so the window style
    // cannot show it here.
    EXPECT_EQ(run.Alpha, -1) << "a box without the transparent flag is opaque";
    ASSERT_TRUE(run.Ended);
    EXPECT_EQ(run.Output, "result=7 depthDuring=1 depthAfter=0");
}

TEST(AppMessageBox, TranslucentOnlyWithTheFlagAndTheOptionBothOn) {
    const TBoxRun translucent =
        ShowAndAnswer("tray", MB_YESNO | MB_ICONQUESTION, true, 1, 1, "Kavrilon - Restore Layout",
                      "Do you want to keep this layout?", IDYES);
    EXPECT_EQ(translucent.Alpha, 180);
    EXPECT_NE(translucent.Box.ExStyle & WS_EX_LAYERED, 0);
    EXPECT_EQ(translucent.Output, "result=6 depthDuring=1 depthAfter=0");

    const TBoxRun optionOff =
        ShowAndAnswer("tray", MB_YESNO | MB_ICONQUESTION, true, 0, 1, "Kavrilon - Restore Layout",
                      "Do you want to keep this layout?", IDYES);
    EXPECT_EQ(optionOff.Alpha, -1);

    const TBoxRun flagOff =
        ShowAndAnswer("tray", MB_ICONHAND, false, 1, 1, "Kavrilon - Error", "Desktop not found!", IDOK);
    EXPECT_EQ(flagOff.Alpha, -1);
    EXPECT_TRUE(HasButton(flagOff.Box, IDOK));
    EXPECT_EQ(flagOff.Output, "result=1 depthDuring=1 depthAfter=0");
}

TEST(AppMessageBox, TheHookEndsWithItsBoxSoTheNextBoxIsOpaque) {
    TChildProcess probe;
    ASSERT_TRUE(probe.Start(
        TestToolPath("kv_message_box_probe.exe"),
        {"tray", std::to_string(MB_YESNO | MB_ICONQUESTION), "1", "1", "1", "Kavrilon", "first", "second"},
        true));
    HWND first = WaitForDialog(probe.Pid(), 15000);
    ASSERT_NE(first, nullptr);
    Sleep(300);
    EXPECT_EQ(LayeredAlpha(first), 180);
    ASSERT_TRUE(PressDialogButton(first, IDYES));
    HWND second = WaitForDialog(probe.Pid(), 15000);
    ASSERT_NE(second, nullptr);
    Sleep(300);
    EXPECT_EQ(ReadDialog(second).Text, "second");
    EXPECT_EQ(LayeredAlpha(second), -1);
    ASSERT_TRUE(PressDialogButton(second, IDOK));
    ASSERT_TRUE(probe.Wait(10000));
    EXPECT_NE(probe.Output().find("second=1 depthAfter=0"), std::string::npos) << probe.Output();
}

TEST(AppMessageBox, GermanTextsArriveAsWindows1252Bytes) {
    const std::string text = "Wollen Sie wirklich alle Backups l\xF6schen?";
    const TBoxRun run = ShowAndAnswer("dlg", MB_YESNO | MB_ICONEXCLAMATION, false, 0, 0,
                                      "Kavrilon - Alle Backups l\xF6schen", text, IDYES);
    EXPECT_EQ(run.Box.Caption, "Kavrilon - Alle Backups l\xF6schen");
    EXPECT_EQ(run.Box.Text, text);
    EXPECT_EQ(run.Output, "result=6 depthDuring=1 depthAfter=0");
}

TEST(AppMessageBox, SilentCommandLineModeShowsNothingAndAnswersYes) {
    const TRunResult run = RunProcess(TestToolPath("kv_message_box_probe.exe"),
                                      {"silent", std::to_string(MB_YESNO | MB_ICONQUESTION), "1", "1", "1",
                                       "Kavrilon", "Question nobody sees"},
                                      15000, true);
    ASSERT_FALSE(run.TimedOut) << run.WindowsDescription;
    EXPECT_EQ(run.WindowsDescription, "");
    // The timer that would read the depth never ran: no message loop was entered.
    EXPECT_EQ(TrimmedOutput(run.Output), "result=6 depthDuring=-1 depthAfter=0");
}

} // namespace
