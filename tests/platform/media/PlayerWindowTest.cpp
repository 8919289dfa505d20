#include "platform/media/Fixtures.h"
#include "platform/media/PlayerLayout.h"
#include "platform/media/PlayerTestSupport.h"

#include "platform/headless/Headless.h"
#include "platform/user/Input.h"
#include "platform/user/MessageQueue.h"
#include "platform/user/Window.h"

#include <gtest/gtest.h>

#include <cstring>
#include <thread>

using namespace fixtures;
using namespace media;

namespace {

LRESULT HostProc(HWND hwnd, UINT msg, WPARAM w, LPARAM l) { return DefWindowProc(hwnd, msg, w, l); }

HWND FindChild(HWND parent, const char* className) {
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
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (std::chrono::steady_clock::now() < deadline) {
            headless::HeadlessBackend::PumpMessages();
            if (done())
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return false;
    }
    bool PumpUntilEvent(DISPID id, LONG last) {
        return PumpUntil([&] {
            for (const PlayerEvent& e : probe.events)
                if (e.id == id && !e.args.empty() && e.args.back().lVal == last)
                    return true;
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
        int number = 0;
        for (int bit = 0; bit < 16; ++bit) {
            const int x = (bit % 4) * r.right / 4 + r.right / 8;
            const int y = (bit / 4) * r.bottom / 4 + r.bottom / 8;
            const COLORREF c = headless::HeadlessBackend::WindowPixel(renderer, x, y);
            if (c == 0xFFFFFFFFu)
                return -1;
            if (GetGValue(c) > 128)
                number |= 1 << bit;
        }
        return number;
    }
    RECT RectIn(HWND hwnd, HWND relativeTo) {
        RECT r;
        GetWindowRect(hwnd, &r);
        POINT p{r.left, r.top};
        ScreenToClient(relativeTo, &p);
        return RECT{p.x, p.y, p.x + (r.right - r.left), p.y + (r.bottom - r.top)};
    }

    headless::HeadlessSession session;
    TempDir dir;
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

}  // namespace

TEST_F(HostedPlayer, DeliversEventsThroughItsWindowAndShowsTheSeekedFrame) {
    const String path = dir.File("clip.mpg");
    WriteMovie(path, {"mpeg", Video::Mpeg1});
    ASSERT_EQ(player.Open(path), S_OK);
    ASSERT_TRUE(PumpUntilEvent(eventid::ReadyStateChange, mpReadyStateComplete));
    EXPECT_FALSE(probe.offThread);
    EXPECT_EQ(probe.Trace(), (std::vector<String>{"3011:0,3", "-609:1", "3011:3,4", "3011:4,5",
                                                  "3011:5,6", "-609:3", "-609:4"}));
    // Default size: the 160x120 video sits in the middle of the 400x300 view.
    EXPECT_EQ(RectIn(renderer, control), (RECT{120, 90, 280, 210}));
    Seek(10 / 25.0);
    EXPECT_EQ(ShownOnScreen(), 10);
    Seek(6 / 25.0);
    EXPECT_EQ(ShownOnScreen(), 6);
}

TEST_F(HostedPlayer, ScalesTheVideoByDisplaySizeAndHidesTheBar) {
    const String path = dir.File("clip.avi");
    WriteMovie(path, {"avi", Video::Mjpeg});
    player.Open(path);
    ASSERT_TRUE(PumpUntilEvent(eventid::ReadyStateChange, mpReadyStateComplete));
    struct Case {
        LONG size;
        bool controls;
        RECT expected;
    };
    const Case cases[] = {
        {mpHalfSize, true, {160, 120, 240, 180}},
        {mpDoubleSize, true, {40, 30, 360, 270}},
        {mpFitToSize, true, {0, 0, 400, 300}},
        {mpFitToSize, false, {0, 13, 400, 313}},  // the bar's room goes to the video
    };
    for (const Case& c : cases) {
        player.PutProperty(dispid::ShowControls, Variant::Bool(c.controls));
        player.PutProperty(dispid::DisplaySize, Variant::Int(c.size));
        headless::HeadlessBackend::PumpMessages();
        EXPECT_EQ(RectIn(renderer, control), c.expected) << "display size " << c.size;
    }
    Seek(9 / 25.0);
    EXPECT_EQ(ShownOnScreen(), 9) << "the frame is scaled into the bigger window";
}

TEST_F(HostedPlayer, TheControlBarPlaysStopsAndSeeks) {
    const String path = dir.File("clip.avi");
    WriteMovie(path, {"avi", Video::Mjpeg, Audio::None, 160, 120, 100, 25});
    player.Open(path);
    ASSERT_TRUE(PumpUntilEvent(eventid::ReadyStateChange, mpReadyStateComplete));
    const ControlBarLayout bar = LayoutControlBar(400, 300 + kControlBarHeight, {});
    const int y = bar.bar.top + kControlBarHeight / 2;
    session->Click(bar.playPause.left + 5, y);
    ASSERT_TRUE(PumpUntilEvent(eventid::PlayStateChange, mpPlaying));
    session->Click(bar.stop.left + 5, y);
    ASSERT_TRUE(PumpUntilEvent(eventid::PlayStateChange, mpStopped));
    ASSERT_TRUE(PumpUntil([&] { return !player.Engine().Seeking(); }));
    EXPECT_DOUBLE_EQ(Get(player, dispid::CurrentPosition).dblVal, 0);
    // A click three quarters along the tracker seeks three quarters into the 4 s movie.
    const int x = bar.track.left + 4 + (bar.track.right - bar.track.left - 8) * 3 / 4;
    session->Click(x, bar.bar.top + 2);
    ASSERT_TRUE(PumpUntil([&] { return !player.Engine().Seeking(); }));
    EXPECT_NEAR(Get(player, dispid::CurrentPosition).dblVal, 3.0, 0.05);
    headless::HeadlessBackend::PumpMessages();
    EXPECT_NEAR(ShownOnScreen(), 75, 1);
    // With the control disabled the bar takes no clicks.
    player.PutProperty(dispid::Enabled, Variant::Bool(false));
    session->Click(bar.playPause.left + 5, y);
    headless::HeadlessBackend::PumpMessages();
    EXPECT_EQ(Get(player, dispid::PlayState), Variant::Int(mpStopped));
}

TEST_F(HostedPlayer, FullScreenCoversTheScreenAndEscapeLeavesIt) {
    const String path = dir.File("clip.mpg");
    WriteMovie(path, {"mpeg", Video::Mpeg1});
    player.Open(path);
    ASSERT_TRUE(PumpUntilEvent(eventid::ReadyStateChange, mpReadyStateComplete));
    player.PutProperty(dispid::DisplaySize, Variant::Int(mpFitToSize));
    player.PutProperty(dispid::DisplaySize, Variant::Int(mpFullScreen));
    headless::HeadlessBackend::PumpMessages();
    const HWND screen = GetParent(renderer);
    ASSERT_NE(screen, control);
    RECT r;
    GetWindowRect(renderer, &r);
    // 1280x1024 screen, 4:3 video: full width, centred.
    EXPECT_EQ(r, (RECT{0, 32, 1280, 992}));
    Seek(4 / 25.0);
    EXPECT_EQ(ShownOnScreen(), 4);
    session->PressKey(VK_ESCAPE);
    headless::HeadlessBackend::PumpMessages();
    EXPECT_EQ(GetParent(renderer), control);
    EXPECT_FALSE(IsWindow(screen));
    EXPECT_EQ(Get(player, dispid::DisplaySize), Variant::Int(mpFitToSize));
}
