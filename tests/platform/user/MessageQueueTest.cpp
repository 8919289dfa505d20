#include "WindowTestUtil.h"

#include "platform/kernel/Time.h"

#include <atomic>
#include <thread>

namespace usertest {
namespace {

using MessageQueueTest = WindowTest;

TEST_F(MessageQueueTest, CreationSendsItsMessagesInOrder) {
    HWND top = Top(10, 10, 100, 80);
    HWND child = Child(top, 5, 5, 20, 20);
    EXPECT_EQ(
        Messages(child, {WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE, WM_SIZE, WM_MOVE, WM_SHOWWINDOW}),
        (std::vector<UINT>{WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE, WM_SIZE, WM_MOVE,
                           WM_SHOWWINDOW}));
    auto sizes = Received(child, WM_SIZE);
    ASSERT_FALSE(sizes.empty());
    EXPECT_EQ(sizes[0].lParam, MAKELPARAM(20, 20));
}

TEST_F(MessageQueueTest, PostedMessagesComeFirstInOrderThenQuitThenPaintThenTimers) {
    HWND top = Top(0, 0, 50, 50);
    Pump();
    SetTimer(top, 7, 10, nullptr);
    session->Clock().Advance(10);
    InvalidateRect(top, nullptr, FALSE);
    PostQuitMessage(3);
    PostMessage(top, WM_APP + 1, 1, 0);
    PostMessage(top, WM_APP + 2, 2, 0);

    std::vector<UINT> order;
    MSG msg;
    for (int i = 0; i < 10 && PeekMessage(&msg, 0, 0, 0, PM_REMOVE); ++i) {
        order.push_back(msg.message);
        if (msg.message == WM_QUIT) {
            EXPECT_EQ(msg.wParam, 3u);
        }
        DispatchMessage(&msg);
    }
    EXPECT_EQ(order, (std::vector<UINT>{WM_APP + 1, WM_APP + 2, WM_QUIT, WM_PAINT, WM_TIMER}));
}

TEST_F(MessageQueueTest, PeekFiltersByWindowAndRangeAndNoRemoveKeepsIt) {
    HWND a = Top(0, 0, 50, 50);
    HWND b = Top(60, 0, 50, 50);
    Pump();
    PostMessage(a, WM_APP, 0, 0);
    PostMessage(b, WM_APP + 5, 0, 0);
    MSG msg;
    ASSERT_TRUE(PeekMessage(&msg, b, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(msg.message, WM_APP + 5u);
    ASSERT_TRUE(PeekMessage(&msg, 0, WM_APP + 1, WM_APP + 9, PM_REMOVE));
    EXPECT_EQ(msg.hwnd, b);
    ASSERT_TRUE(PeekMessage(&msg, 0, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.hwnd, a);
    EXPECT_FALSE(PeekMessage(&msg, 0, 0, 0, PM_REMOVE));
}

TEST_F(MessageQueueTest, PostToStaleWindowFailsAndGetMessageWithStaleFilterReturnsMinusOne) {
    HWND top = Top(0, 0, 50, 50);
    DestroyWindow(top);
    EXPECT_FALSE(PostMessage(top, WM_APP, 0, 0));
    MSG msg;
    EXPECT_EQ(GetMessage(&msg, top, 0, 0), -1);
}

TEST_F(MessageQueueTest, PostFromAnotherThreadWakesABlockedGetMessage) {
    HWND top = Top(0, 0, 50, 50);
    Pump();
    std::atomic<bool> posted{false};
    std::thread other([&] {
        EXPECT_TRUE(PostMessage(top, WM_APP + 3, 42, 0));
        posted = true;
    });
    MSG msg;
    // Blocks until the other thread's message arrives.
    ASSERT_EQ(GetMessage(&msg, 0, 0, 0), TRUE);
    other.join();
    EXPECT_TRUE(posted);
    EXPECT_EQ(msg.message, WM_APP + 3u);
    EXPECT_EQ(msg.hwnd, top);
    EXPECT_EQ(msg.wParam, 42u);
}

TEST_F(MessageQueueTest, SendFromAnotherThreadRunsOnTheOwnerThread) {
    HWND top = Top(0, 0, 50, 50);
    Pump();
    DWORD owner = GetCurrentThreadId();
    std::atomic<DWORD> ranOn{0};
    HookFn() = [&](HWND, UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (msg == WM_APP + 9) {
            ranOn = GetCurrentThreadId();
            EXPECT_TRUE(InSendMessage());
            return 1234;
        }
        return std::nullopt;
    };
    std::atomic<LRESULT> result{0};
    std::thread other([&] {
        result = SendMessage(top, WM_APP + 9, 0, 0);
        PostMessage(top, WM_APP + 10, 0, 0);
    });
    MSG msg;
    do {
        ASSERT_EQ(GetMessage(&msg, 0, 0, 0), TRUE);
        DispatchMessage(&msg);
    } while (msg.message != WM_APP + 10);
    other.join();
    EXPECT_EQ(result.load(), 1234);
    EXPECT_EQ(ranOn.load(), owner);
}

TEST_F(MessageQueueTest, QuitEndsGetMessageAfterPostedMessages) {
    HWND top = Top(0, 0, 50, 50);
    Pump();
    PostQuitMessage(9);
    PostMessage(top, WM_APP, 0, 0);
    MSG msg;
    EXPECT_EQ(GetMessage(&msg, 0, 0, 0), TRUE);
    EXPECT_EQ(msg.message, WM_APP + 0u);
    EXPECT_EQ(GetMessage(&msg, 0, 0, 0), FALSE);
    EXPECT_EQ(msg.message, WM_QUIT);
    EXPECT_EQ(msg.wParam, 9u);
    // Only once.
    EXPECT_FALSE(PeekMessage(&msg, 0, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST_F(MessageQueueTest, ReplacedProcedureChainsToTheSavedOne) {
    HWND top = Top(0, 0, 50, 50);
    static WNDPROC saved;
    static std::vector<UINT> seenByNew;
    seenByNew.clear();
    saved = reinterpret_cast<WNDPROC>(SetWindowLongPtr(
        top, GWLP_WNDPROC,
        reinterpret_cast<LONG_PTR>(+[](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
            seenByNew.push_back(m);
            if (m == WM_APP + 1) return 77;
            return CallWindowProc(saved, h, m, w, l);
        })));
    ASSERT_NE(saved, nullptr);
    ClearLog();
    EXPECT_EQ(SendMessage(top, WM_APP + 1, 0, 0), 77);
    SendMessage(top, WM_APP + 2, 0, 0);
    EXPECT_EQ(seenByNew, (std::vector<UINT>{WM_APP + 1, WM_APP + 2}));
    // Only the message the new procedure passed on reached the old one.
    EXPECT_EQ(Messages(top), (std::vector<UINT>{WM_APP + 2}));
}

TEST_F(MessageQueueTest, RegisteredMessagesShareANumberPerName) {
    UINT a = RegisterWindowMessage("korvid.test.one");
    EXPECT_GE(a, 0xC000u);
    EXPECT_EQ(RegisterWindowMessage("KORVID.TEST.ONE"), a);
    EXPECT_NE(RegisterWindowMessage("korvid.test.two"), a);
    EXPECT_EQ(RegisterWindowMessage(""), 0u);
}

// --- timers ---

using TimerTest = WindowTest;

std::vector<Seen> timerTicks(HWND hwnd) {
    return Received(hwnd, WM_TIMER);
}

TEST_F(TimerTest, FirstTickOneIntervalAfterStartThenEveryInterval) {
    HWND top = Top(0, 0, 50, 50);
    Pump();
    ASSERT_EQ(SetTimer(top, 5, 100, nullptr), 5u);
    session->AdvanceClock(99);
    EXPECT_TRUE(timerTicks(top).empty());
    session->AdvanceClock(1);
    ASSERT_EQ(timerTicks(top).size(), 1u);
    EXPECT_EQ(timerTicks(top)[0].wParam, 5u);
    session->AdvanceClock(250);
    EXPECT_EQ(timerTicks(top).size(), 3u); // at 200 and 300
}

TEST_F(TimerTest, IntervalZeroNeverTicks) {
    HWND top = Top(0, 0, 50, 50);
    SetTimer(top, 1, 0, nullptr);
    session->AdvanceClock(100000);
    EXPECT_TRUE(timerTicks(top).empty());
}

TEST_F(TimerTest, TicksMissedWhileBusyComeAsOne) {
    HWND top = Top(0, 0, 50, 50);
    Pump();
    SetTimer(top, 1, 10, nullptr);
    session->Clock().Advance(55); // nobody ran the loop meanwhile
    Pump();
    EXPECT_EQ(timerTicks(top).size(), 1u);
    session->AdvanceClock(9);
    EXPECT_EQ(timerTicks(top).size(), 1u);
    session->AdvanceClock(1);
    EXPECT_EQ(timerTicks(top).size(), 2u);
}

TEST_F(TimerTest, SameIdReplacesAndKillStopsEvenFromItsOwnTick) {
    HWND top = Top(0, 0, 50, 50);
    Pump();
    SetTimer(top, 1, 10, nullptr);
    SetTimer(top, 1, 50, nullptr); // replaces, restarting the interval
    session->AdvanceClock(49);
    EXPECT_TRUE(timerTicks(top).empty());
    HookFn() = [&](HWND h, UINT msg, WPARAM id, LPARAM) -> std::optional<LRESULT> {
        if (msg == WM_TIMER) {
            EXPECT_TRUE(KillTimer(h, id));
        }
        return std::nullopt;
    };
    session->AdvanceClock(1000);
    EXPECT_EQ(timerTicks(top).size(), 1u);
    EXPECT_FALSE(KillTimer(top, 1));
}

TEST_F(TimerTest, DestroyedWindowTakesItsTimersAlong) {
    HWND top = Top(0, 0, 50, 50);
    SetTimer(top, 1, 10, nullptr);
    DestroyWindow(top);
    ClearLog();
    session->AdvanceClock(100);
    EXPECT_TRUE(Log().empty());
}

std::vector<UINT_PTR> callbackIds;
void timerCallback(HWND, UINT msg, UINT_PTR id, DWORD) {
    EXPECT_EQ(msg, WM_TIMER);
    callbackIds.push_back(id);
}

TEST_F(TimerTest, ThreadTimerGetsFreshIdsAndRunsItsCallback) {
    callbackIds.clear();
    UINT_PTR a = SetTimer(0, 0, 20, timerCallback);
    UINT_PTR b = SetTimer(0, a, 30, timerCallback); // the id is not the caller's without a window
    ASSERT_NE(a, 0u);
    ASSERT_NE(b, 0u);
    EXPECT_NE(a, b);
    session->AdvanceClock(30);
    EXPECT_EQ(callbackIds, (std::vector<UINT_PTR>{a, b}));
    KillTimer(0, a);
    KillTimer(0, b);
}

TEST_F(TimerTest, BadTimersAreRefused) {
    EXPECT_EQ(SetTimer(0xDEAD0001, 1, 10, nullptr), 0u);
    EXPECT_FALSE(KillTimer(0, 12345));
}

} // namespace
} // namespace usertest
