#include "WindowTestUtil.h"

namespace usertest {

std::vector<Seen>& Log() {
    static std::vector<Seen> log;
    return log;
}

Hook& HookFn() {
    static Hook hook;
    return hook;
}

namespace {

LRESULT recordingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    Log().push_back(Seen{hwnd, msg, wParam, lParam});
    if (HookFn())
        if (auto r = HookFn()(hwnd, msg, wParam, lParam)) return *r;
    return DefWindowProc(hwnd, msg, wParam, lParam);
}

void registerClasses() {
    static bool done = false;
    if (done) return;
    done = true;
    WNDCLASS wc;
    wc.lpfnWndProc = recordingProc;
    wc.lpszClassName = kClass;
    wc.hbrBackground = static_cast<HBRUSH>(COLOR_WINDOW + 1);
    RegisterClass(&wc);
    wc.style = CS_DBLCLKS;
    wc.lpszClassName = kDblClass;
    RegisterClass(&wc);
}

} // namespace

std::vector<UINT> Messages(HWND hwnd, std::initializer_list<UINT> only) {
    std::vector<UINT> out;
    for (const Seen& s : Log()) {
        if (hwnd && s.hwnd != hwnd) continue;
        if (only.size() && std::find(only.begin(), only.end(), s.msg) == only.end()) continue;
        out.push_back(s.msg);
    }
    return out;
}

std::vector<Seen> Received(HWND hwnd, UINT msg) {
    std::vector<Seen> out;
    for (const Seen& s : Log())
        if (s.hwnd == hwnd && s.msg == msg) out.push_back(s);
    return out;
}

void WindowTest::SetUp() {
    registerClasses();
    Log().clear();
    HookFn() = nullptr;
}

void WindowTest::TearDown() {
    HookFn() = nullptr;
    Log().clear();
}

HWND WindowTest::Top(int x, int y, int w, int h, DWORD style, DWORD exStyle) {
    HWND hwnd =
        CreateWindowEx(exStyle, kClass, "top", style | WS_VISIBLE, x, y, w, h, 0, 0, 0, nullptr);
    EXPECT_NE(hwnd, 0u);
    return hwnd;
}

HWND WindowTest::Child(HWND parent, int x, int y, int w, int h, DWORD style, const char* cls) {
    HWND hwnd = CreateWindowEx(0, cls, "child", WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent,
                               0, 0, nullptr);
    EXPECT_NE(hwnd, 0u);
    return hwnd;
}

} // namespace usertest
