// RunAction against the real action mutex, with other threads and processes competing for it.

#include <windows.h>

#include <gtest/gtest.h>

#include <stdexcept>
#include <thread>

#include "KavrilonNames.h"
#include "MutexHolder.h"
#include "ProcessRunner.h"
#include "RunAction.h"

namespace {

int ActionRuns = 0;
// What another thread saw while the action ran: WAIT_TIMEOUT means this thread owned the mutex.
DWORD OtherThreadWait = 0;

DWORD WaitFromAnotherThread(DWORD timeoutMs) {
    DWORD result = WAIT_FAILED;
    std::thread other([&] {
        HANDLE mutex = CreateMutexA(nullptr, FALSE, ActionMutexName);
        result = WaitForSingleObject(mutex, timeoutMs);
        if (result == WAIT_OBJECT_0 || result == WAIT_ABANDONED) {
            ReleaseMutex(mutex);
        }
        CloseHandle(mutex);
    });
    other.join();
    return result;
}

void CountingAction() {
    ++ActionRuns;
    OtherThreadWait = WaitFromAnotherThread(0);
}

void NestedAction() {
    ++ActionRuns;
    RunAction(CountingAction);
}

void ThrowingAction() {
    ++ActionRuns;
    throw std::runtime_error("action failed");
}

class RunActionTest : public ::testing::Test {
protected:
    void SetUp() override {
        ActionRuns = 0;
        OtherThreadWait = 0;
    }
};

TEST_F(RunActionTest, HoldsTheActionMutexExactlyWhileTheActionRuns) {
    RunAction(CountingAction);
    EXPECT_EQ(ActionRuns, 1);
    EXPECT_EQ(OtherThreadWait, static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_EQ(WaitFromAnotherThread(0), static_cast<DWORD>(WAIT_OBJECT_0));
}

TEST_F(RunActionTest, AnActionStartedInsideAnotherRunsAtOnce) {
    const double start = NowSeconds();
    RunAction(NestedAction);
    EXPECT_EQ(ActionRuns, 2);
    EXPECT_LT(NowSeconds() - start, 1.0);
    EXPECT_EQ(WaitFromAnotherThread(0), static_cast<DWORD>(WAIT_OBJECT_0));
}

TEST_F(RunActionTest, ReleasesTheMutexWhenTheActionRaises) {
    EXPECT_THROW(RunAction(ThrowingAction), std::runtime_error);
    EXPECT_EQ(ActionRuns, 1);
    EXPECT_EQ(WaitFromAnotherThread(0), static_cast<DWORD>(WAIT_OBJECT_0));
}

TEST_F(RunActionTest, DropsTheActionWhenAnotherProcessHoldsTheMutexForMoreThanTwoSeconds) {
    TMutexHolder holder(ActionMutexName, 8000);
    ASSERT_TRUE(holder.Ready());
    const double start = NowSeconds();
    RunAction(CountingAction);
    const double waited = NowSeconds() - start;
    EXPECT_EQ(ActionRuns, 0);
    EXPECT_GE(waited, 1.9);
    EXPECT_LT(waited, 4.0);
}

TEST_F(RunActionTest, RunsWhenTheOtherProcessReleasesWithinTwoSeconds) {
    TMutexHolder holder(ActionMutexName, 800);
    ASSERT_TRUE(holder.Ready());
    RunAction(CountingAction);
    EXPECT_EQ(ActionRuns, 1);
}

TEST_F(RunActionTest, RunsWhenTheOwnerDiedHoldingTheMutex) {
    // Keeps the mutex object alive after the holder process has ended.
    HANDLE keepAlive = CreateMutexA(nullptr, FALSE, ActionMutexName);
    ASSERT_NE(keepAlive, nullptr);
    {
        TMutexHolder holder(ActionMutexName, 0, /*abandon=*/true);
        ASSERT_TRUE(holder.Ready());
        ASSERT_TRUE(holder.WaitForEnd(10000));
    }
    RunAction(CountingAction);
    EXPECT_EQ(ActionRuns, 1);
    EXPECT_EQ(WaitFromAnotherThread(0), static_cast<DWORD>(WAIT_OBJECT_0));
    CloseHandle(keepAlive);
}

} // namespace
