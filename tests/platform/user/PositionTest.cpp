#include "WindowTestUtil.h"

namespace usertest {
namespace {

using PositionTest = WindowTest;

TEST_F(PositionTest, SetWindowPosSendsChangingCalcSizeChangedMoveSize) {
    HWND top = Top(0, 0, 100, 100);
    HWND child = Child(top, 0, 0, 10, 10);
    ClearLog();
    SetWindowPos(child, 0, 5, 6, 30, 40, SWP_NOZORDER);
    EXPECT_EQ(Messages(child, {WM_WINDOWPOSCHANGING, WM_NCCALCSIZE, WM_WINDOWPOSCHANGED, WM_MOVE,
                               WM_SIZE}),
              (std::vector<UINT>{WM_WINDOWPOSCHANGING, WM_NCCALCSIZE, WM_WINDOWPOSCHANGED, WM_MOVE,
                                 WM_SIZE}));
    EXPECT_EQ(Received(child, WM_SIZE).back().lParam, MAKELPARAM(30, 40));
    EXPECT_EQ(Received(child, WM_MOVE).back().lParam, MAKELPARAM(5, 6));
}

TEST_F(PositionTest, NoMoveAndNoSizeLeaveOutTheirMessages) {
    HWND top = Top(0, 0, 100, 100);
    HWND child = Child(top, 0, 0, 10, 10);
    struct Case {
        UINT flags;
        std::vector<UINT> expected;
    };
    const Case cases[] = {
        {SWP_NOMOVE | SWP_NOZORDER, {WM_SIZE}},
        {SWP_NOSIZE | SWP_NOZORDER, {WM_MOVE}},
        {SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER, {}},
        {SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED, {WM_SIZE}},
    };
    int step = 1;
    for (const Case& c : cases) {
        ClearLog();
        SetWindowPos(child, 0, step, step, 10 + step, 10 + step, c.flags);
        ++step;
        EXPECT_EQ(Messages(child, {WM_MOVE, WM_SIZE}), c.expected) << "flags " << c.flags;
    }
}

TEST_F(PositionTest, ChangingHandlerMayAlterTheBounds) {
    HWND top = Top(0, 0, 100, 100);
    HWND child = Child(top, 0, 0, 10, 10);
    HookFn() = [](HWND, UINT msg, WPARAM, LPARAM l) -> std::optional<LRESULT> {
        if (msg == WM_WINDOWPOSCHANGING) {
            auto* wp = reinterpret_cast<WINDOWPOS*>(l);
            if (wp->cx > 50) wp->cx = 50; // a maximum width
        }
        return std::nullopt;
    };
    SetWindowPos(child, 0, 0, 0, 80, 20, SWP_NOZORDER);
    RECT r;
    GetClientRect(child, &r);
    EXPECT_EQ(r, (RECT{0, 0, 50, 20}));
}

TEST_F(PositionTest, ResizeInsideWmSizeEndsWithTheLastSize) {
    HWND top = Top(0, 0, 100, 100);
    HWND child = Child(top, 0, 0, 10, 10);
    HookFn() = [&](HWND h, UINT msg, WPARAM, LPARAM l) -> std::optional<LRESULT> {
        if (h == child && msg == WM_SIZE && LOWORD(l) == 30) MoveWindow(h, 0, 0, 40, 40, TRUE);
        return std::nullopt;
    };
    MoveWindow(child, 0, 0, 30, 30, TRUE);
    RECT r;
    GetClientRect(child, &r);
    EXPECT_EQ(r, (RECT{0, 0, 40, 40}));
    EXPECT_EQ(Received(child, WM_SIZE).back().lParam, MAKELPARAM(40, 40));
}

TEST_F(PositionTest, MaximiseCoversTheWorkAreaAndRestoreGivesBackTheBounds) {
    HWND top = Top(50, 60, 200, 100, WS_OVERLAPPEDWINDOW);
    Pump();
    ShowWindow(top, SW_MAXIMIZE);
    RECT r;
    GetWindowRect(top, &r);
    RECT work;
    SystemParametersInfo(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_EQ(r, work);
    EXPECT_TRUE(IsZoomed(top));
    EXPECT_EQ(Received(top, WM_SIZE).back().wParam, static_cast<WPARAM>(SIZE_MAXIMIZED));
    EXPECT_EQ(session->NativeState(top), user::ShowState::Maximized);
    SendMessage(top, WM_SYSCOMMAND, SC_RESTORE, 0);
    GetWindowRect(top, &r);
    EXPECT_EQ(r, (RECT{50, 60, 250, 160}));
    SendMessage(top, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(IsIconic(top));
    EXPECT_EQ(session->NativeState(top), user::ShowState::Minimized);
}

TEST_F(PositionTest, MinMaxInfoLimitsSizingAndPlacesTheMaximisedWindow) {
    // Limits a program sets: 80 x 60 to 300 x 200, maximised at (10, 20) as 400 x 150.
    HookFn() = [](HWND, UINT msg, WPARAM, LPARAM l) -> std::optional<LRESULT> {
        if (msg == WM_GETMINMAXINFO) {
            auto* info = reinterpret_cast<MINMAXINFO*>(l);
            info->ptMinTrackSize = POINT{80, 60};
            info->ptMaxTrackSize = POINT{300, 200};
            info->ptMaxPosition = POINT{10, 20};
            info->ptMaxSize = POINT{400, 150};
            return 0;
        }
        return std::nullopt;
    };
    HWND top = Top(50, 60, 20, 20, WS_OVERLAPPEDWINDOW);
    RECT r;
    GetWindowRect(top, &r);
    EXPECT_EQ(r, (RECT{50, 60, 130, 120})) << "made at the minimum";
    struct Case {
        int cx, cy;
        RECT expected;
    };
    const Case cases[] = {
        {50, 50, {0, 0, 80, 60}},
        {500, 500, {0, 0, 300, 200}},
        {120, 500, {0, 0, 120, 200}},
        {150, 100, {0, 0, 150, 100}},
    };
    for (const Case& c : cases) {
        ClearLog();
        SetWindowPos(top, 0, 0, 0, c.cx, c.cy, SWP_NOZORDER | SWP_NOACTIVATE);
        GetWindowRect(top, &r);
        EXPECT_EQ(r, c.expected) << c.cx << "x" << c.cy;
        EXPECT_EQ(Messages(top, {WM_GETMINMAXINFO, WM_WINDOWPOSCHANGING}),
                  (std::vector<UINT>{WM_GETMINMAXINFO, WM_WINDOWPOSCHANGING}));
    }
    // Moving alone asks nothing; a child has no limits.
    ClearLog();
    SetWindowPos(top, 0, 5, 5, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    HWND child = Child(top, 0, 0, 10, 10);
    MoveWindow(child, 0, 0, 5, 500, TRUE);
    EXPECT_TRUE(Messages(0, {WM_GETMINMAXINFO}).empty());
    GetWindowRect(child, &r);
    EXPECT_EQ(r.bottom - r.top, 500);
    // Maximised: at the asked position, with the asked size kept within the track limits.
    ShowWindow(top, SW_MAXIMIZE);
    GetWindowRect(top, &r);
    EXPECT_EQ(r, (RECT{10, 20, 310, 170}));
    EXPECT_EQ(Received(top, WM_SIZE).back().wParam, static_cast<WPARAM>(SIZE_MAXIMIZED));
    ShowWindow(top, SW_RESTORE);
    GetWindowRect(top, &r);
    EXPECT_EQ(r, (RECT{5, 5, 155, 105}));
}

TEST_F(PositionTest, DefaultLimitsHoldOnlyWindowsWithASizingFrame) {
    HWND sizeable = Top(0, 0, 200, 100, WS_OVERLAPPEDWINDOW);
    HWND popup = Top(0, 0, 200, 100, WS_POPUP);
    MoveWindow(sizeable, 0, 0, 3, 3, TRUE);
    MoveWindow(popup, 0, 0, 3, 3, TRUE);
    RECT r;
    GetWindowRect(sizeable, &r);
    EXPECT_EQ(r, (RECT{0, 0, GetSystemMetrics(SM_CXMINTRACK), GetSystemMetrics(SM_CYMINTRACK)}));
    GetWindowRect(popup, &r);
    EXPECT_EQ(r, (RECT{0, 0, 3, 3}));
    MoveWindow(popup, 0, 0, 1500, 1100, TRUE);
    GetWindowRect(popup, &r);
    EXPECT_EQ(r, (RECT{0, 0, 1500, 1100}));
}

TEST_F(PositionTest, CloseCommandClosesAndDestroys) {
    HWND top = Top(0, 0, 50, 50);
    SendMessage(top, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_FALSE(IsWindow(top));
    EXPECT_EQ(Messages(top, {WM_CLOSE, WM_DESTROY, WM_NCDESTROY}),
              (std::vector<UINT>{WM_CLOSE, WM_DESTROY, WM_NCDESTROY}));
}

TEST_F(PositionTest, DestroyingTheActiveWindowActivatesTheNext) {
    HWND a = Top(0, 0, 50, 50);
    HWND b = Top(60, 0, 50, 50);
    EXPECT_EQ(GetActiveWindow(), b);
    DestroyWindow(b);
    EXPECT_EQ(GetActiveWindow(), a);
    EXPECT_FALSE(Received(a, WM_ACTIVATE).empty());
    EXPECT_EQ(Received(a, WM_ACTIVATE).back().wParam, static_cast<WPARAM>(WA_ACTIVE));
}

TEST_F(PositionTest, ClientScreenMappingAndMetrics) {
    HWND top = Top(100, 200, 80, 60, WS_POPUP | WS_BORDER);
    HWND child = Child(top, 10, 20, 30, 30);
    POINT p{1, 2};
    ClientToScreen(child, &p);
    EXPECT_EQ(p.x, 100 + 1 + 10 + 1); // the border is one pixel
    EXPECT_EQ(p.y, 200 + 1 + 20 + 2);
    ScreenToClient(child, &p);
    EXPECT_EQ(p.x, 1);
    EXPECT_EQ(p.y, 2);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1280);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 1024);
    EXPECT_EQ(GetSystemMetrics(9999), 0);
    NONCLIENTMETRICS m;
    EXPECT_TRUE(SystemParametersInfo(SPI_GETNONCLIENTMETRICS, 0, &m, 0));
    m.cbSize = 12;
    EXPECT_FALSE(SystemParametersInfo(SPI_GETNONCLIENTMETRICS, 0, &m, 0));
}

} // namespace
} // namespace usertest
