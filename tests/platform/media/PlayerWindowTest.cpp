#include "platform/media/HostedPlayerTestUtil.h"

using namespace fixtures;
using namespace media;

TEST_F(HostedPlayer, DeliversEventsThroughItsWindowAndShowsTheSeekedFrame) {
    const std::string path = dir.File("clip.mpg");
    WriteMovie(path, {"mpeg", Video::Mpeg1});
    ASSERT_EQ(player.Open(path), S_OK);
    ASSERT_TRUE(PumpUntilEvent(eventid::ReadyStateChange, mpReadyStateComplete));
    EXPECT_FALSE(probe.offThread);
    EXPECT_EQ(probe.Trace(), (std::vector<std::string>{"3011:0,3", "-609:1", "3011:3,4", "3011:4,5",
                                                       "3011:5,6", "-609:3", "-609:4"}));
    // Default size: the 160x120 video sits in the middle of the 400x300 view.
    EXPECT_EQ(RectIn(renderer, control), (RECT{120, 90, 280, 210}));
    Seek(10 / 25.0);
    EXPECT_EQ(ShownOnScreen(), 10);
    Seek(6 / 25.0);
    EXPECT_EQ(ShownOnScreen(), 6);
}

TEST_F(HostedPlayer, ScalesTheVideoByDisplaySizeAndHidesTheBar) {
    const std::string path = dir.File("clip.avi");
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
        {mpFitToSize, false, {0, 13, 400, 313}}, // the bar's room goes to the video
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
    const std::string path = dir.File("clip.avi");
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
    const std::string path = dir.File("clip.mpg");
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
