// The 50 ms poll: position reports in both units, the four deferred events with one slot
// each, the pause the selection end asks for, AutoStart, Loop, and a handler that raises.
#include "MovieTestUtil.h"

#include <vector>

using namespace movie_tests;

namespace {

struct PositionReport {
    double oldTime, newTime;
    Cardinal oldFrame, newFrame;
};

class MoviePoll : public MovieTest {
protected:
    void Record() {
        movie->OnPositionChange = [this](TObject* sender, double ot, double nt, Cardinal of,
                                         Cardinal nf) {
            EXPECT_EQ(sender, movie);
            reports.push_back({ot, nt, of, nf});
        };
    }
    // A paused movie of 50 frames at 25 fps, the component not starting it by itself.
    void OpenPaused() {
        movie->SetAutoStart(false);
        ASSERT_TRUE(
            OpenAndWait(Write({"avi", Video::Mjpeg, Audio::None, 160, 120, 50, 25}, "clip.avi")));
        Ticks(1); // the pause the open asks for
        ASSERT_EQ(PlayState(), kPlayStatePaused);
    }
    std::vector<PositionReport> reports;
};

TEST_F(MoviePoll, FirstPollAfterOpenReportsOldPositionZeroAndAnUnchangedPositionNothing) {
    OpenPaused();
    Record();
    SeekAndWait(0.5);
    Ticks(1);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].oldTime, 0.0);
    EXPECT_DOUBLE_EQ(reports[0].newTime, 0.5);
    EXPECT_EQ(reports[0].oldFrame, 0u);
    // 0.5 s of 2 s with 50 frames is frame 12.5, which rounds to the even 12.
    EXPECT_EQ(reports[0].newFrame, 12u);
    // The position stands: no more reports however long the poll runs.
    Ticks(10);
    EXPECT_EQ(reports.size(), 1u);
    SeekAndWait(0.82);
    Ticks(1);
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_DOUBLE_EQ(reports[1].oldTime, 0.5);
    EXPECT_DOUBLE_EQ(reports[1].newTime, 0.82);
    EXPECT_EQ(movie->CurrentTimePosition(), 0.82);
}

TEST_F(MoviePoll, FramePositionsRoundHalvesToEven) {
    OpenPaused();
    Record();
    // 50 frames in 2 s: 0.05 s is frame 1.25 -> 1, 0.07 s is 1.75 -> 2, 0.1 s is 2.5 -> 2,
    // 0.14 s is 3.5 -> 4.
    const struct {
        double seconds;
        Cardinal frame;
    } cases[] = {{0.05, 1}, {0.07, 2}, {0.1, 2}, {0.14, 4}};
    for (const auto& c : cases) {
        SeekAndWait(c.seconds);
        Ticks(1);
        ASSERT_FALSE(reports.empty());
        EXPECT_EQ(reports.back().newFrame, c.frame) << c.seconds;
    }
}

TEST_F(MoviePoll, InFramesModeTheTimesComeFromTheFrameCount) {
    OpenPaused();
    movie->SetDisplayMode(mpFrames);
    Record();
    movie->SetDoubleProp(media::dispid::CurrentPosition, 30);
    ASSERT_TRUE(WaitFor([&] { return !movie->Player()->MediaPlayer().Engine().Seeking(); }));
    Ticks(1);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].newFrame, 30u);
    EXPECT_NEAR(reports[0].newTime, 30 * movie->Duration() / 50, 1e-9);
    EXPECT_EQ(reports[0].oldTime, 0.0);
}

TEST_F(MoviePoll, WithoutFramesTheFramePositionsAreZero) {
    // Sound alone has no frames: the player tells the same number in both units.
    ASSERT_TRUE(OpenAndWait(Write({"wav", Video::None, Audio::Pcm}, "tone.wav")));
    EXPECT_EQ(movie->FrameCount(), 0u);
    EXPECT_GT(movie->Duration(), 0.5);
    Record();
    Ticks(6);
    ASSERT_FALSE(reports.empty());
    EXPECT_GT(reports.back().newTime, 0.0);
    for (const PositionReport& r : reports) {
        EXPECT_EQ(r.oldFrame, 0u);
        EXPECT_EQ(r.newFrame, 0u);
    }
}

TEST_F(MoviePoll, SelectionEndPausesOnceAndNotAgain) {
    movie->SetSelectionEnd(0.3);
    int pauses = 0;
    movie->OnPlayStateChange = [&](TObject*, int, int now) { pauses += now == kPlayStatePaused; };
    ASSERT_TRUE(
        OpenAndWait(Write({"avi", Video::Mjpeg, Audio::None, 160, 120, 50, 25}, "clip.avi")));
    ASSERT_EQ(PlayState(), kPlayStatePlaying);
    // No handler is bound for positions: the selection end alone makes the poll read them.
    EXPECT_TRUE(PlayUntil([&] { return PlayState() == kPlayStatePaused; }, 40));
    const double stopped = movie->GetDoubleProp(media::dispid::CurrentPosition);
    EXPECT_GE(stopped, 0.3);
    Ticks(10);
    EXPECT_EQ(pauses, 1);
    EXPECT_EQ(movie->GetDoubleProp(media::dispid::CurrentPosition), stopped);
}

TEST_F(MoviePoll, AutoStartFalseRewindsAndPausesOnTheNextTick) {
    movie->SetAutoStart(false);
    std::vector<std::pair<int, int>> changes;
    movie->OnPlayStateChange = [&](TObject*, int was, int now) { changes.push_back({was, now}); };
    ASSERT_TRUE(OpenAndWait(Write({"mpeg", Video::Mpeg1}, "clip.mpg")));
    // The player starts by itself; the component stops it at the start on its next tick.
    EXPECT_EQ(movie->GetDoubleProp(media::dispid::CurrentPosition), 0.0);
    Ticks(1);
    EXPECT_EQ(PlayState(), kPlayStatePaused);
    Ticks(1);
    ASSERT_FALSE(changes.empty());
    EXPECT_EQ(changes.back(), std::make_pair(kPlayStatePlaying, kPlayStatePaused));
}

TEST_F(MoviePoll, DeferredEventsKeepOneSlotEachAndComeOnTheTick) {
    std::vector<String> raised;
    movie->OnOpenStateChange = [&](TObject*, int o, int n) {
        raised.push_back("open " + std::to_string(o) + ">" + std::to_string(n));
    };
    movie->OnPlayStateChange = [&](TObject*, int o, int n) {
        raised.push_back("play " + std::to_string(o) + ">" + std::to_string(n));
    };
    std::vector<int> ready;
    movie->OnReadyStateChange = [&](TObject*, int s) { ready.push_back(s); };
    ASSERT_TRUE(OpenAndWait(Write({"mpeg", Video::Mpeg1}, "clip.mpg")));
    ASSERT_TRUE(WaitFor([&] { return PlayState() == kPlayStatePlaying; }));
    // The ready states are raised at once; the others wait for the poll.
    EXPECT_EQ(ready,
              (std::vector<int>{kReadyStateLoading, kReadyStateInteractive, kReadyStateComplete}));
    EXPECT_TRUE(raised.empty());
    Ticks(1);
    // Four open steps came before the tick; only the last of them is raised.
    EXPECT_EQ(raised, (std::vector<String>{"open 5>6", "play 0>2"}));
    movie->Pause();
    movie->Play();
    ASSERT_TRUE(WaitFor([&] { return PlayState() == kPlayStatePlaying; }));
    WaitFor([] { return true; });
    raised.clear();
    Ticks(1);
    EXPECT_EQ(raised, (std::vector<String>{"play 1>2"}));
}

TEST_F(MoviePoll, EndOfStreamIsRaisedOnTheTickAndLoopPlaysAgain) {
    movie->SetLoop(true);
    int ends = 0;
    movie->OnEndOfStream = [&](TObject*, int result) {
        EXPECT_EQ(result, 0);
        ++ends;
    };
    ASSERT_TRUE(
        OpenAndWait(Write({"mpeg", Video::Mpeg1, Audio::None, 160, 120, 10, 25}, "short.mpg")));
    ASSERT_TRUE(PlayUntil([&] { return ends > 0; }, 60));
    EXPECT_EQ(ends, 1);
    EXPECT_TRUE(WaitFor([&] { return PlayState() == kPlayStatePlaying; }));
}

TEST_F(MoviePoll, AHandlerThatRaisesDoesNotStopTheTicks) {
    OpenPaused();
    int calls = 0;
    movie->OnPositionChange = [&](TObject*, double, double, Cardinal, Cardinal) {
        ++calls;
        throw EInvalidOperation("handler failed");
    };
    app->OnException = [](TObject*, const std::exception&) {};
    SeekAndWait(0.4);
    Ticks(1);
    EXPECT_EQ(calls, 1);
    SeekAndWait(0.8);
    Ticks(1);
    EXPECT_EQ(calls, 2);
}

} // namespace
