#include "WindowTestUtil.h"

namespace usertest {
namespace {

using WindowLifetimeTest = WindowTest;

// The parent notices are sent up the chain while the call that creates or destroys the child is
// still walking it; a parent whose procedure destroys its own window there must not leave the
// walk on a freed window (the sanitizer build reports that as a use after free).
TEST_F(WindowLifetimeTest, ParentDestroyingItselfOnANoticeEndsTheCallCleanly) {
    struct Case {
        const char* name;
        UINT event;       // the notice: WM_CREATE or WM_DESTROY of the child
        bool topDestroys; // the top-level window destroys itself, else the middle one
    };
    const Case cases[] = {
        {"middle on create", WM_CREATE, false},
        {"top on create", WM_CREATE, true},
        {"middle on destroy", WM_DESTROY, false},
        {"top on destroy", WM_DESTROY, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HWND top = Top(0, 0, 100, 100);
        HWND middle = Child(top, 10, 10, 60, 60);
        HWND child = c.event == WM_DESTROY ? Child(middle, 5, 5, 20, 20) : 0;
        HWND victim = c.topDestroys ? top : middle;
        ClearLog();
        HookFn() = [&](HWND hwnd, UINT msg, WPARAM wParam, LPARAM) -> std::optional<LRESULT> {
            if (hwnd == victim && msg == WM_PARENTNOTIFY && LOWORD(wParam) == c.event)
                DestroyWindow(hwnd);
            return std::nullopt;
        };

        if (c.event == WM_CREATE) {
            EXPECT_EQ(CreateWindowEx(0, kClass, "child", WS_CHILD | WS_VISIBLE, 5, 5, 20, 20,
                                     middle, 0, 0, nullptr),
                      0u);
            auto notices = Received(middle, WM_PARENTNOTIFY);
            ASSERT_FALSE(notices.empty());
            child = static_cast<HWND>(notices.front().lParam);
        } else {
            EXPECT_TRUE(DestroyWindow(child));
        }
        HookFn() = nullptr;

        EXPECT_FALSE(IsWindow(child));
        EXPECT_FALSE(IsWindow(middle));
        EXPECT_EQ(IsWindow(top), !c.topDestroys);
        std::vector<HWND> gone{child, middle};
        if (c.topDestroys) gone.push_back(top);
        for (HWND h : gone)
            EXPECT_EQ(Received(h, WM_NCDESTROY).size(), 1u) << "window " << h;

        // What the top-level window heard: the notice itself when it destroyed itself; else
        // only that the middle window went, which took the child along.
        std::vector<std::pair<UINT, HWND>> heard;
        for (const Seen& s : Received(top, WM_PARENTNOTIFY))
            heard.emplace_back(LOWORD(s.wParam), static_cast<HWND>(s.lParam));
        const std::vector<std::pair<UINT, HWND>> expected =
            c.topDestroys ? std::vector<std::pair<UINT, HWND>>{{c.event, child}}
                          : std::vector<std::pair<UINT, HWND>>{{WM_DESTROY, middle}};
        EXPECT_EQ(heard, expected);
        if (IsWindow(top)) DestroyWindow(top);
    }
}

} // namespace
} // namespace usertest
