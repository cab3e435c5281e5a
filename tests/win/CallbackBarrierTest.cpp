// A C++ exception inside a callback that Windows calls must not unwind through the system's frames:
// the program would end (or the system's state would be left half-way).

#include <windows.h>

#include <gtest/gtest.h>

#include "AllocationFailure.h"
#include "OptionsDialog.h"
#include "ResourceIds.h"
#include "WinHandles.h"

namespace {

// The options dialog's procedure, called by the dialog manager with every allocation failing: the
// dialog is created all the same (its texts missing) and the test program lives on.
TEST(CallbackBarrier, AnExceptionInTheOptionsDialogStopsAtItsProcedure) {
    HWND dialog = nullptr;
    long failed = 0;
    {
        TFailingAllocations failing;
        dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(DialogOptions), nullptr,
                                    OptionsDialogProc, 0);
        failed = failing.Failed();
    }
    EXPECT_GT(failed, 0) << "no allocation was attempted: the test shows nothing";
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(DestroyWindow(dialog));
}

} // namespace
