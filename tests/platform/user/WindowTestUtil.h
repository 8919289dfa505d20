#pragma once
// A window class that records every message it gets, on the headless display.
#include "platform/gdi/Draw.h"
#include "platform/gdi/SysColor.h"
#include "platform/headless/Headless.h"
#include "platform/user/User.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace usertest {

struct Seen {
    HWND hwnd;
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
};

// Everything the recording windows received, in order.
std::vector<Seen>& Log();
// Runs before the default handling; a value stops it there.
using Hook = std::function<std::optional<LRESULT>(HWND, UINT, WPARAM, LPARAM)>;
Hook& HookFn();

// The messages of one window (or all with 0) among the given numbers (all when empty).
std::vector<UINT> Messages(HWND hwnd, std::initializer_list<UINT> only = {});
std::vector<Seen> Received(HWND hwnd, UINT msg);

inline constexpr const char* kClass = "UserTestWindow";
inline constexpr const char* kDblClass = "UserTestDblWindow";

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A shown top-level window without a frame at screen (x, y).
    HWND Top(int x, int y, int w, int h, DWORD style = WS_POPUP, DWORD exStyle = 0);
    HWND Child(HWND parent, int x, int y, int w, int h, DWORD style = 0, const char* cls = kClass);
    int Pump() { return headless::HeadlessBackend::PumpMessages(); }
    void ClearLog() { Log().clear(); }

    headless::HeadlessSession session;
};

} // namespace usertest
