// Where the video sits for every display size and zoom, the scroll bars, the setters'
// refusals, logo mode and the component's own Visible, full screen and its keys.
#include "MovieTestUtil.h"

#include "framework/Forms.h"
#include "framework/ScrollBar.h"
#include "platform/user/Input.h"
#include "platform/user/MessageQueue.h"

using namespace movie_tests;

namespace {

namespace d = media::dispid;

TRect Bounds(TControl* c) {
    return c->BoundsRect();
}

struct LayoutCase {
    const char* name;
    int videoWidth, videoHeight;
    int clientWidth, clientHeight;
    TDisplaySize size;
    int zoom;
    bool scrollBars;
    TRect expected;
    bool horzBar, vertBar;
};

class MovieLayout : public MovieTest, public ::testing::WithParamInterface<LayoutCase> {};

TEST_P(MovieLayout, PlacesTheVideo) {
    const LayoutCase& c = GetParam();
    ASSERT_TRUE(OpenAndWait(
        Write({"avi", Video::Mjpeg, Audio::None, c.videoWidth, c.videoHeight, 5}, "clip.avi")));
    movie->SetShowControls(false);
    movie->SetShowScrollBars(c.scrollBars);
    movie->SetZoomSize(c.zoom);
    movie->SetDisplaySize(c.size);
    movie->SetBounds(0, 0, c.clientWidth, c.clientHeight);
    Pump();
    EXPECT_EQ(Bounds(movie->InnerPanel()), c.expected);
    EXPECT_EQ(movie->HorzScrollBar()->Visible(), c.horzBar);
    EXPECT_EQ(movie->VertScrollBar()->Visible(), c.vertBar);
    EXPECT_EQ(movie->CornerPanel()->Visible(), c.horzBar && c.vertBar);
    // Without the control bar the player fills its window, which the layout sizes.
    EXPECT_EQ(movie->GetIntegerProp(d::DisplaySize), media::mpFitToSize);
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, MovieLayout,
    ::testing::Values(
        LayoutCase{"DefaultCentred",
                   320,
                   240,
                   400,
                   300,
                   mpDefaultSize,
                   100,
                   true,
                   {40, 30, 360, 270},
                   false,
                   false},
        // 300 - 320 < 300 - 240: the width fills; (300 - 225) / 2 = 37.5 rounds to 38.
        LayoutCase{"DefaultTooWideFits",
                   320,
                   240,
                   300,
                   300,
                   mpDefaultSize,
                   100,
                   true,
                   {0, 38, 300, 263},
                   false,
                   false},
        LayoutCase{"HalfOfOdd",
                   321,
                   241,
                   400,
                   300,
                   mpHalfSize,
                   100,
                   true,
                   {120, 90, 280, 210},
                   false,
                   false},
        LayoutCase{"DoubleFits",
                   160,
                   120,
                   400,
                   300,
                   mpDoubleSize,
                   100,
                   true,
                   {40, 30, 360, 270},
                   false,
                   false},
        LayoutCase{"DoubleTooBigFits",
                   320,
                   240,
                   400,
                   300,
                   mpDoubleSize,
                   100,
                   true,
                   {0, 0, 400, 300},
                   false,
                   false},
        // 400 - 320 < 200 - 240 is false: the height fills, 266.67 -> 267, x 66.5 -> 66.
        LayoutCase{"FitByHeight",
                   320,
                   240,
                   400,
                   200,
                   mpFitToSize,
                   100,
                   true,
                   {66, 0, 333, 200},
                   false,
                   false},
        LayoutCase{"ZoomHalf",
                   320,
                   240,
                   400,
                   300,
                   mpCustomSize,
                   50,
                   true,
                   {120, 90, 280, 210},
                   false,
                   false},
        // 640 x 480 with both bars at the middle: x = 328 * (400 - 640) / 640 = -123.
        LayoutCase{"ZoomDoubleBothBars",
                   320,
                   240,
                   400,
                   300,
                   mpCustomSize,
                   200,
                   true,
                   {-123, -93, 517, 387},
                   true,
                   true},
        LayoutCase{"ZoomWiderOnly",
                   320,
                   120,
                   400,
                   300,
                   mpCustomSize,
                   200,
                   true,
                   {-120, 30, 520, 270},
                   true,
                   false},
        LayoutCase{"ZoomTallerOnly",
                   120,
                   240,
                   400,
                   300,
                   mpCustomSize,
                   200,
                   true,
                   {80, -90, 320, 390},
                   false,
                   true},
        LayoutCase{"ZoomWithoutBarsCentred",
                   320,
                   240,
                   400,
                   300,
                   mpCustomSize,
                   200,
                   false,
                   {-120, -90, 520, 390},
                   false,
                   false}),
    [](const ::testing::TestParamInfo<LayoutCase>& i) { return String(i.param.name); });

class MovieLayoutRules : public MovieTest {
protected:
    void Open320() {
        ASSERT_TRUE(
            OpenAndWait(Write({"avi", Video::Mjpeg, Audio::None, 320, 240, 25}, "clip.avi")));
    }
};

TEST_F(MovieLayoutRules, ZoomedBarsGetTheirRangesAndMoveTheVideo) {
    Open320();
    movie->SetShowControls(false);
    movie->SetDisplaySize(mpCustomSize);
    movie->SetZoomSize(200);
    TScrollBar* h = movie->HorzScrollBar();
    TScrollBar* v = movie->VertScrollBar();
    EXPECT_EQ(h->Max(), 656);
    EXPECT_EQ(v->Max(), 496);
    EXPECT_EQ(h->SmallChange(), 13); // 640 / 50 = 12.8
    EXPECT_EQ(h->LargeChange(), 64);
    EXPECT_EQ(Bounds(h), TRect(0, 284, 384, 300));
    EXPECT_EQ(Bounds(v), TRect(384, 0, 400, 284));
    EXPECT_EQ(Bounds(movie->CornerPanel()), TRect(384, 284, 400, 300));
    // Scrolled to the far left: the video's left edge shows.
    int pos = 0;
    h->OnScroll(h, scTrack, pos);
    EXPECT_EQ(movie->InnerPanel()->Left(), 0);
    pos = 656;
    h->OnScroll(h, scTrack, pos);
    // The range takes the bar's thickness too: 656 * (400 - 640) / 640 = -246.
    EXPECT_EQ(movie->InnerPanel()->Left(), -246);
    // Back to a plain size: the bars go.
    movie->SetDisplaySize(mpDefaultSize);
    EXPECT_FALSE(h->Visible());
    EXPECT_FALSE(v->Visible());
    EXPECT_FALSE(movie->CornerPanel()->Visible());
}

TEST_F(MovieLayoutRules, WithTheControlsShownThePlayerFillsTheClientWhateverTheSize) {
    Open320();
    ASSERT_TRUE(movie->ShowControls());
    const struct {
        TDisplaySize size;
        LONG player;
    } cases[] = {{mpDefaultSize, media::mpDefaultSize},
                 {mpHalfSize, media::mpHalfSize},
                 {mpDoubleSize, media::mpDoubleSize},
                 {mpFitToSize, media::mpFitToSize}};
    for (const auto& c : cases) {
        movie->SetDisplaySize(c.size);
        EXPECT_EQ(movie->GetIntegerProp(d::DisplaySize), c.player) << c.size;
        EXPECT_EQ(Bounds(movie->InnerPanel()), TRect(0, 0, 400, 300)) << c.size;
    }
}

TEST_F(MovieLayoutRules, SettingsThatConflictChangeNothingButShowTheMessage) {
    Open320();
    movie->SetDisplaySize(mpHalfSize);
    movie->SetDisplaySize(mpCustomSize);
    EXPECT_EQ(movie->DisplaySize(), mpHalfSize);
    movie->SetShowControls(false);
    movie->SetDisplaySize(mpCustomSize);
    ASSERT_EQ(movie->DisplaySize(), mpCustomSize);
    movie->SetShowControls(true);
    EXPECT_FALSE(movie->ShowControls());
    EXPECT_EQ(movie->DisplaySize(), mpCustomSize);
    ASSERT_EQ(session->Calls().size(), 2u);
    EXPECT_EQ(
        session->Calls()[0].text,
        "this setting is not allowed when ShowControls is enabled. Disable ShowControls first.");
    EXPECT_EQ(session->Calls()[1].text, "this setting is not allowed when DisplaySize = "
                                        "mpCustomSize. Set DisplaySize to another value first.");
    // A zoom of 0 or below is ignored.
    movie->SetZoomSize(0);
    movie->SetZoomSize(-5);
    EXPECT_EQ(movie->ZoomSize(), 100);
}

TEST_F(MovieLayoutRules, LogoModeAndVisibleKeepTheVideoOutOfView) {
    form->SetColor(clTeal);
    movie->SetDisplayLogo(false);
    EXPECT_TRUE(movie->LogoMode());
    const TRect out = Bounds(movie->InnerPanel());
    EXPECT_GE(out.left, 500);
    EXPECT_GE(out.top, 500);
    // A movie that shows its first picture leaves logo mode.
    Open320();
    EXPECT_FALSE(movie->LogoMode());
    EXPECT_EQ(Bounds(movie->InnerPanel()), TRect(0, 0, 400, 300));

    movie->SetColor(clNavy);
    movie->SetVisible(false);
    EXPECT_GE(movie->InnerPanel()->Left(), 500);
    EXPECT_EQ(movie->Color(), clTeal); // blends into its parent
    movie->SetVisible(true);
    EXPECT_EQ(movie->Color(), clNavy); // the kept colour comes back
    EXPECT_EQ(Bounds(movie->InnerPanel()), TRect(0, 0, 400, 300));
}

class MovieFullScreen : public MovieLayoutRules {
protected:
    // A whole key stroke: the player's own window sees the press too.
    void Stroke(HWND window, int key, LPARAM data = 0) {
        SendMessage(window, WM_KEYDOWN, key, data);
        SendMessage(window, WM_KEYUP, key, data | (LPARAM{3} << 30));
    }
    std::vector<Word> keys;
    void Listen() {
        movie->OnFullScreenKeyPress = [this](TObject* sender, Word key, TShiftState) {
            EXPECT_EQ(sender, movie);
            keys.push_back(key);
        };
    }
};

TEST_F(MovieFullScreen, KeyReleasesAreDeliveredOnTheTickAndEscLeaves) {
    Open320();
    Listen();
    movie->SetFullScreenMode(true);
    EXPECT_EQ(movie->GetIntegerProp(d::DisplaySize), media::mpFullScreen);
    const HWND renderer = movie->RendererWindow();
    ASSERT_NE(renderer, 0u);
    Stroke(renderer, 'A');
    Stroke(renderer, 'B'); // one is pending: this one passes on to the player
    EXPECT_TRUE(keys.empty());
    Ticks(1);
    EXPECT_EQ(keys, std::vector<Word>{'A'});
    Stroke(renderer, VK_ESCAPE);
    EXPECT_EQ(movie->GetIntegerProp(d::DisplaySize), media::mpFullScreen) << "left before the tick";
    Ticks(1);
    EXPECT_EQ(keys, std::vector<Word>{'A'});
    EXPECT_EQ(movie->GetIntegerProp(d::DisplaySize), media::mpDefaultSize);
    EXPECT_TRUE(movie->FullScreenMode());
    // The hidden form catches key releases while the player is in full screen.
    movie->SetFullScreenMode(true);
    Stroke(movie->HiddenForm()->Handle(), 'C');
    Ticks(1);
    EXPECT_EQ(keys, (std::vector<Word>{'A', 'C'}));
    movie->SetFullScreenMode(false);
    EXPECT_EQ(movie->GetIntegerProp(d::DisplaySize), media::mpDefaultSize);
}

TEST_F(MovieFullScreen, WithoutAHandlerKeysAreNotCaughtAndEscDoesNotLeave) {
    Open320();
    movie->SetFullScreenMode(true);
    Stroke(movie->RendererWindow(), VK_ESCAPE);
    Ticks(2);
    EXPECT_EQ(movie->GetIntegerProp(d::DisplaySize), media::mpFullScreen);
    movie->SetFullScreenMode(false);
}

TEST_F(MovieFullScreen, EachOpenHooksTheRendererOnce) {
    Open320();
    Listen();
    for (int i = 0; i < 2; ++i) {
        movie->Close();
        ASSERT_TRUE(WaitFor([&] { return OpenState() == kOpenStateClosed; }));
        EXPECT_EQ(movie->RendererWindow(), 0u);
        Open320();
    }
    Stroke(movie->RendererWindow(), 'K');
    Ticks(1);
    EXPECT_EQ(keys, std::vector<Word>{'K'});
}

TEST_F(MovieFullScreen, PlayingInFullScreenModeEntersFullScreenOnTheTick) {
    movie->SetFullScreenMode(true);
    ASSERT_TRUE(OpenAndWait(Write({"avi", Video::Mjpeg, Audio::None, 320, 240, 50}, "clip.avi")));
    ASSERT_TRUE(WaitFor([&] { return PlayState() == kPlayStatePlaying; }));
    movie->SetIntegerProp(d::DisplaySize, media::mpDefaultSize);
    Ticks(1);
    EXPECT_EQ(movie->GetIntegerProp(d::DisplaySize), media::mpFullScreen);
    movie->SetFullScreenMode(false);
}

TEST_F(MovieFullScreen, HiddenFormPositionChangeSeeksAPausedMovieBackToThePolledPosition) {
    movie->SetAutoStart(false);
    Open320();
    Ticks(1);
    movie->OnPositionChange = [](TObject*, double, double, Cardinal, Cardinal) {};
    SeekAndWait(0.4);
    Ticks(1);
    ASSERT_DOUBLE_EQ(movie->CurrentTimePosition(), 0.4);
    // The player moved on its own; the component has not polled it yet.
    SeekAndWait(0.8);
    SendMessage(movie->HiddenForm()->Handle(), WM_WINDOWPOSCHANGING, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return !movie->Player()->MediaPlayer().Engine().Seeking(); }));
    EXPECT_DOUBLE_EQ(movie->GetDoubleProp(d::CurrentPosition), 0.4);
}

} // namespace
