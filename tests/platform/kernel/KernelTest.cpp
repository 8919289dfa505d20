#include "platform/kernel/Clock.h"
#include "platform/kernel/Events.h"
#include "platform/kernel/Time.h"
#include "support/Poll.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

using kernel::FakeClock;
using kernel::ScopedClock;

namespace {

void RealPause() {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

} // namespace

TEST(KernelClock, FakeClockDrivesTheTimeCallsAndWrapsAt32Bits) {
    FakeClock clock(0xFFFFFFF0ull);
    ScopedClock scope(clock);
    EXPECT_EQ(timeGetTime(), 0xFFFFFFF0u);
    clock.Advance(0x20);
    EXPECT_EQ(timeGetTime(), 0x10u);
    EXPECT_EQ(GetTickCount(), 0x10u);
    EXPECT_EQ(GetTickCount64(), 0x100000010ull);
    Sleep(250); // a fake sleep moves the time at once
    EXPECT_EQ(GetTickCount64(), 0x100000010ull + 250);
    Sleep(0);
    EXPECT_EQ(GetTickCount64(), 0x100000010ull + 250);
}

TEST(KernelClock, ScopeRestoresThePreviousClock) {
    FakeClock outer(1000), inner(5);
    {
        ScopedClock a(outer);
        {
            ScopedClock b(inner);
            EXPECT_EQ(timeGetTime(), 5u);
        }
        EXPECT_EQ(timeGetTime(), 1000u);
    }
    EXPECT_NE(&kernel::CurrentClock(), &outer);
    EXPECT_NE(&kernel::CurrentClock(), &inner);
}

TEST(KernelEvents, AutoAndManualResetStates) {
    struct Case {
        BOOL manual;
        BOOL initial;
        DWORD first, second;
    } cases[] = {
        {FALSE, TRUE, WAIT_OBJECT_0, WAIT_TIMEOUT}, // auto: the wait consumes the signal
        {TRUE, TRUE, WAIT_OBJECT_0, WAIT_OBJECT_0}, // manual: stays signalled
        {FALSE, FALSE, WAIT_TIMEOUT, WAIT_TIMEOUT},
        {TRUE, FALSE, WAIT_TIMEOUT, WAIT_TIMEOUT},
    };
    for (const Case& c : cases) {
        HANDLE h = CreateEventA(nullptr, c.manual, c.initial, nullptr);
        ASSERT_NE(h, 0u);
        EXPECT_EQ(WaitForSingleObject(h, 0), c.first) << c.manual << c.initial;
        EXPECT_EQ(WaitForSingleObject(h, 0), c.second) << c.manual << c.initial;
        EXPECT_TRUE(SetEvent(h));
        EXPECT_EQ(WaitForSingleObject(h, 0), WAIT_OBJECT_0);
        EXPECT_TRUE(ResetEvent(h));
        EXPECT_EQ(WaitForSingleObject(h, 0), WAIT_TIMEOUT);
        EXPECT_TRUE(CloseHandle(h));
    }
}

TEST(KernelEvents, StaleAndMadeUpHandlesFail) {
    HANDLE first = CreateEvent(nullptr, TRUE, FALSE, nullptr);
    ASSERT_TRUE(CloseHandle(first));
    HANDLE second = CreateEvent(nullptr, TRUE, FALSE, nullptr); // may reuse the slot
    EXPECT_NE(first, second);
    SetLastError(ERROR_SUCCESS);
    EXPECT_FALSE(SetEvent(first));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_FALSE(ResetEvent(first));
    EXPECT_EQ(WaitForSingleObject(first, 0), WAIT_FAILED);
    EXPECT_FALSE(CloseHandle(first));
    for (HANDLE bogus : {HANDLE{0}, HANDLE{1}, HANDLE{12345}, ~HANDLE{0}, second + 1})
        EXPECT_EQ(WaitForSingleObject(bogus, 0), WAIT_FAILED) << bogus;
    // The live handle is untouched by all of this.
    EXPECT_TRUE(SetEvent(second));
    EXPECT_EQ(WaitForSingleObject(second, INFINITE), WAIT_OBJECT_0);
    EXPECT_TRUE(CloseHandle(second));
}

TEST(KernelEvents, ManualEventReleasesEveryWaiterAutoEventOne) {
    for (BOOL manual : {TRUE, FALSE}) {
        HANDLE h = CreateEvent(nullptr, manual, FALSE, nullptr);
        std::atomic<int> released{0};
        std::vector<std::thread> waiters;
        for (int i = 0; i < 3; ++i)
            waiters.emplace_back([&] {
                if (WaitForSingleObject(h, INFINITE) == WAIT_OBJECT_0) ++released;
            });
        SetEvent(h);
        EXPECT_TRUE(test_support::PollUntil([&] { return released.load() > 0; }, RealPause));
        if (manual) {
            for (auto& t : waiters)
                t.join();
            EXPECT_EQ(released.load(), 3);
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            EXPECT_EQ(released.load(), 1);
            for (int k = 2; k <= 3; ++k) {
                SetEvent(h);
                EXPECT_TRUE(
                    test_support::PollUntil([&] { return released.load() >= k; }, RealPause));
            }
            for (auto& t : waiters)
                t.join();
            EXPECT_EQ(released.load(), 3);
            EXPECT_EQ(WaitForSingleObject(h, 0), WAIT_TIMEOUT); // nothing left over
        }
        CloseHandle(h);
    }
}

TEST(KernelEvents, TimedWaitEndsWhenTheFakeClockPassesItsDeadline) {
    FakeClock clock(100);
    ScopedClock scope(clock);
    HANDLE h = CreateEvent(nullptr, FALSE, FALSE, nullptr);
    std::atomic<bool> done{false};
    DWORD result = 0;
    kernel::Milliseconds started = 0, ended = 0;
    std::thread waiter([&] {
        started = clock.Now();
        result = WaitForSingleObject(h, 500);
        ended = clock.Now();
        done = true;
    });
    // Another thread's sleeps move the fake time until the wait gives up.
    EXPECT_TRUE(test_support::PollUntil([&] { return done.load(); },
                                        [] {
                                            Sleep(50);
                                            RealPause();
                                        }));
    waiter.join();
    EXPECT_EQ(result, WAIT_TIMEOUT);
    EXPECT_GE(ended - started, 500u);
    CloseHandle(h);
}

TEST(KernelEvents, SignalBeforeTheDeadlineWins) {
    FakeClock clock;
    ScopedClock scope(clock);
    HANDLE h = CreateEvent(nullptr, FALSE, FALSE, nullptr);
    DWORD result = 0;
    std::thread waiter([&] { result = WaitForSingleObject(h, 1000); });
    clock.Advance(999);
    SetEvent(h);
    waiter.join();
    // Had the wait started after the advance, its deadline lies further out still.
    EXPECT_EQ(result, WAIT_OBJECT_0);
    CloseHandle(h);
}

TEST(KernelEvents, RealClockTimeoutAndCrossThreadSignal) {
    HANDLE h = CreateEvent(nullptr, FALSE, FALSE, nullptr);
    EXPECT_EQ(WaitForSingleObject(h, 5), WAIT_TIMEOUT);
    std::thread setter([&] { SetEvent(h); });
    EXPECT_EQ(WaitForSingleObject(h, INFINITE), WAIT_OBJECT_0);
    setter.join();
    CloseHandle(h);
}

TEST(KernelThreads, ThreadIdsDiffer) {
    DWORD mine = GetCurrentThreadId();
    DWORD other = 0;
    std::thread([&] { other = GetCurrentThreadId(); }).join();
    EXPECT_NE(mine, 0u);
    EXPECT_NE(mine, other);
    EXPECT_EQ(mine, GetCurrentThreadId());
}
