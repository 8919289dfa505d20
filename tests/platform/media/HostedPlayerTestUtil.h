#pragma once
// A host panel on the headless screen with the player control in it, and what the window
// tests ask of it: pumping until an event, seeking, the frame number on the screen.
#include "platform/media/PlayerLayout.h"
#include "platform/media/PlayerTestUtil.h"
#include "support/Poll.h"
#include "support/TempFolder.h"
#include "support/media/MovieFixtures.h"

#include "platform/headless/Headless.h"
#include "platform/user/Input.h"
#include "platform/user/MessageQueue.h"
#include "platform/user/Window.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <thread>

namespace fixtures {

using namespace media;

inline LRESULT HostProc(HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
    return DefWindowProc(hwnd, msg, w, l);
}

inline HWND FindChild(HWND parent, const char* className) {
    struct Search {
        const char* name;
        HWND found;
    } search{className, 0};
    EnumChildWindows(
        parent,
        [](HWND hwnd, LPARAM p) -> BOOL {
            auto* s = reinterpret_cast<Search*>(p);
            char buf[100] = {};
            GetClassName(hwnd, buf, sizeof buf);
            if (std::strcmp(buf, s->name) == 0) {
                s->found = hwnd;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// A host panel on the headless screen with the control in it, its bar below a 400x300 view.
class HostedPlayer : public ::testing::Test {
protected:
    void SetUp() override {
        WNDCLASS wc;
        wc.lpfnWndProc = HostProc;
        wc.lpszClassName = "KorvidTestHost";
        RegisterClass(&wc);
        host = CreateWindowEx(0, "KorvidTestHost", "", WS_POPUP | WS_VISIBLE, 0, 0, 400,
                              300 + kControlBarHeight, 0, 0, 0, nullptr);
        ASSERT_NE(host, 0u);
        control = player.CreateWindowIn(host, 0, 0, 400, 300 + kControlBarHeight);
        ASSERT_NE(control, 0u);
        renderer = FindChild(control, "KorvidVideoRenderer");
        ASSERT_NE(renderer, 0u);
    }
    void TearDown() override { DestroyWindow(host); }

    // Runs the message loop (the engine's reports arrive as posted messages) until the
    // condition holds or the bound passes.
    bool PumpUntil(const std::function<bool()>& done) {
        return test_support::PollUntil(
            [&] {
                headless::HeadlessBackend::PumpMessages();
                return done();
            },
            [] { std::this_thread::sleep_for(std::chrono::milliseconds(2)); });
    }
    bool PumpUntilEvent(DISPID id, LONG last) {
        return PumpUntil([&] {
            for (const PlayerEvent& e : probe.events)
                if (e.id == id && !e.args.empty() && e.args.back().lVal == last) return true;
            return false;
        });
    }
    void Seek(double seconds) {
        player.PutProperty(dispid::CurrentPosition, Variant::Double(seconds));
        EXPECT_TRUE(PumpUntil([&] { return !player.Engine().Seeking(); }));
        headless::HeadlessBackend::PumpMessages();
    }
    // The frame number as the renderer window shows it.
    int ShownOnScreen() {
        RECT r;
        GetClientRect(renderer, &r);
        return ReadFrameNumber(r.right, r.bottom, [&](int x, int y) {
            const COLORREF c = headless::HeadlessBackend::WindowPixel(renderer, x, y);
            return c == 0xFFFFFFFFu ? -1 : static_cast<int>(GetGValue(c));
        });
    }
    RECT RectIn(HWND hwnd, HWND relativeTo) {
        RECT r;
        GetWindowRect(hwnd, &r);
        POINT p{r.left, r.top};
        ScreenToClient(relativeTo, &p);
        return RECT{p.x, p.y, p.x + (r.right - r.left), p.y + (r.bottom - r.top)};
    }

    headless::HeadlessSession session;
    test_support::TempFolder dir{"korvid-media-"};
    MediaPlayer player{[] {
        EngineOptions o;
        o.useAudioDevice = false;
        o.autoStart = false;
        return o;
    }()};
    PlayerProbe probe{player};
    HWND host = 0;
    HWND control = 0;
    HWND renderer = 0;
};

} // namespace fixtures
