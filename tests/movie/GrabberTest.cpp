// The frame-hook path: the callback object on its own (rows, bursts, dropped samples, a
// frame too big for memory) and the component splicing it in, grabbing through it and
// giving up within its bound.
#include "MovieTestUtil.h"

#include "movie/SampleGrabberCB.h"
#include "platform/user/MessageQueue.h"
#include "platform/user/Window.h"

#include <atomic>
#include <cstring>
#include <thread>

using namespace movie_tests;

namespace {

std::vector<MSG> g_posted;

LRESULT RecordProc(HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
    if (msg == WM_FRAMEGRABBED) {
        MSG m;
        m.hwnd = hwnd;
        m.message = msg;
        m.wParam = w;
        m.lParam = l;
        g_posted.push_back(m);
    }
    return DefWindowProc(hwnd, msg, w, l);
}

BITMAPINFOHEADER Header(int width, int height) {
    BITMAPINFOHEADER h{};
    h.biSize = sizeof h;
    h.biWidth = width;
    h.biHeight = height;
    h.biPlanes = 1;
    h.biBitCount = 24;
    return h;
}

class GrabberCallback : public ::testing::Test {
protected:
    void SetUp() override {
        g_posted.clear();
        WNDCLASS wc;
        wc.lpfnWndProc = RecordProc;
        wc.lpszClassName = "KorvidGrabberProbe";
        RegisterClass(&wc);
        window =
            CreateWindowEx(0, "KorvidGrabberProbe", "", WS_POPUP, 0, 0, 10, 10, 0, 0, 0, nullptr);
        ASSERT_NE(window, 0u);
        cb.SetWindow(window);
        cb.SetMediaType(Header(8, 2), 1);
        sample.assign(32 * 2, 0x55);
    }
    void TearDown() override { DestroyWindow(window); }

    // One sample from the streaming side; true when it made a frame, which the user-interface
    // side then delivers at once (as WM_FRAMEGRABBED would).
    bool Sample(bool deliver = true) {
        const std::size_t before = g_posted.size();
        cb.BufferCB(0, sample.data(), static_cast<LONG>(sample.size()));
        headless::HeadlessBackend::PumpMessages();
        const bool made = g_posted.size() > before;
        if (made && deliver) cb.EndDelivery();
        return made;
    }

    headless::HeadlessSession session;
    HWND window = 0;
    TSampleGrabberCB cb;
    std::vector<BYTE> sample;
};

TEST_F(GrabberCallback, A321PixelFrameIsCopiedWithWholePaddedRows) {
    cb.SetMediaType(Header(321, 3), 1);
    // 321 x 3 bytes = 963, padded to 964.
    sample.resize(964 * 3);
    for (std::size_t i = 0; i < sample.size(); ++i)
        sample[i] = static_cast<BYTE>(i * 7);
    cb.Arm();
    ASSERT_TRUE(Sample(false));
    const HBITMAP frame = cb.PendingFrame();
    ASSERT_NE(frame, 0u);
    DIBSECTION ds{};
    ASSERT_EQ(GetObject(frame, sizeof ds, &ds), kDibSectionObjectSize);
    EXPECT_EQ(ds.dsBm.bmWidthBytes, 964);
    EXPECT_EQ(std::memcmp(ds.dsBm.bmBits, sample.data(), sample.size()), 0);
    ASSERT_EQ(g_posted.size(), 1u);
    EXPECT_EQ(g_posted[0].wParam, 1u);
    EXPECT_EQ(g_posted[0].lParam, 1);
    cb.EndDelivery();
    EXPECT_EQ(cb.PendingFrame(), 0u);
}

TEST_F(GrabberCallback, AShortSampleIsCopiedOnlyAsFarAsItGoes) {
    cb.SetMediaType(Header(321, 3), 1);
    sample.assign(1000, 0xAB);
    cb.Arm();
    ASSERT_TRUE(Sample(false));
    DIBSECTION ds{};
    GetObject(cb.PendingFrame(), sizeof ds, &ds);
    const BYTE* bits = static_cast<const BYTE*>(ds.dsBm.bmBits);
    EXPECT_EQ(bits[999], 0xAB);
    EXPECT_EQ(bits[1000], 0);
    cb.EndDelivery();
}

TEST_F(GrabberCallback, SingleModeTakesOneFrameAndTellsTheDeliveryToPauseAgain) {
    cb.SetResume(true);
    cb.Arm();
    EXPECT_TRUE(Sample());
    EXPECT_FALSE(cb.Armed());
    EXPECT_EQ(g_posted.back().lParam, 0);
    EXPECT_FALSE(cb.Resume());
    EXPECT_FALSE(Sample());
}

struct BurstCase {
    const char* name;
    int count, interval;
    int samples;
    std::vector<int> taken; // 1-based sample numbers that made a frame
    bool armedAfter;
};

class GrabberBurst : public GrabberCallback, public ::testing::WithParamInterface<BurstCase> {};

TEST_P(GrabberBurst, TakesTheFirstSampleThenEveryNthUntilTheCount) {
    const BurstCase& c = GetParam();
    cb.SetBurstMode(true);
    cb.SetBurstCount(c.count);
    cb.SetBurstInterval(c.interval);
    cb.Arm();
    std::vector<int> taken;
    for (int i = 1; i <= c.samples; ++i)
        if (Sample()) taken.push_back(i);
    EXPECT_EQ(taken, c.taken);
    EXPECT_EQ(cb.Armed(), c.armedAfter);
    // Stopping the movie disarms an endless run.
    cb.Disarm();
    EXPECT_FALSE(Sample());
}

INSTANTIATE_TEST_SUITE_P(
    Runs, GrabberBurst,
    ::testing::Values(BurstCase{"ThreeEverySecond", 3, 2, 10, {1, 3, 5}, false},
                      BurstCase{"EndlessEverySecond", 0, 2, 10, {1, 3, 5, 7, 9}, true},
                      BurstCase{"TwoEveryThird", 2, 3, 10, {1, 4}, false}),
    [](const ::testing::TestParamInfo<BurstCase>& i) { return String(i.param.name); });

TEST_F(GrabberCallback, SamplesWhileAFrameIsPendingAreDroppedAndDoNotCount) {
    cb.SetBurstMode(true);
    cb.SetBurstCount(3);
    cb.SetBurstInterval(2);
    cb.Arm();
    ASSERT_TRUE(Sample(false));
    // Not delivered yet: three samples go by without counting.
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(Sample(false));
    EXPECT_EQ(g_posted.size(), 1u);
    cb.EndDelivery();
    EXPECT_FALSE(Sample()); // the interval starts counting only now
    EXPECT_TRUE(Sample());
}

// A burst frame still waiting for its delivery when a single grab is armed is not that grab's
// frame: taken as it, the grab would end at once with an old picture and leave the hook armed.
TEST_F(GrabberCallback, AFrameMadeBeforeANewArmingIsNotTakenForItsFrame) {
    cb.SetBurstMode(true);
    cb.SetBurstCount(0);
    cb.Arm();
    ASSERT_TRUE(Sample(false));
    cb.SetBurstMode(false);
    cb.Arm();
    EXPECT_EQ(cb.TakePendingFrame(), HBITMAP(0));
    cb.EndDelivery();
    ASSERT_TRUE(Sample(false));
    const HBITMAP own = cb.TakePendingFrame();
    EXPECT_NE(own, HBITMAP(0));
    if (own) DeleteObject(own);
    EXPECT_FALSE(cb.Armed());
    cb.EndDelivery();
}

TEST_F(GrabberCallback, AFrameTooBigForMemoryLeavesNothingPendingAndTheNextIsTaken) {
    cb.SetBurstMode(true);
    cb.SetBurstCount(0);
    cb.SetBurstInterval(1);
    cb.SetMediaType(Header(1 << 20, 1 << 20), 1);
    cb.Arm();
    EXPECT_FALSE(Sample(false));
    EXPECT_EQ(cb.PendingFrame(), 0u);
    EXPECT_FALSE(cb.Busy());
    cb.SetMediaType(Header(8, 2), 1);
    EXPECT_TRUE(Sample());
}

TEST_F(GrabberCallback, NoFormatOrNotArmedTakesNothing) {
    EXPECT_FALSE(Sample());
    cb.ClearMediaType();
    cb.Arm();
    EXPECT_FALSE(Sample());
    EXPECT_FALSE(cb.Busy());
}

class MovieGrabber : public MovieTest {
protected:
    void Open(bool grabber, int width = 320, int height = 240) {
        movie->SetFGrabber_Enabled(grabber);
        movie->SetAutoStart(false);
        ASSERT_TRUE(
            OpenAndWait(Write({"avi", Video::Mjpeg, Audio::None, width, height, 100}, "clip.avi")));
        Ticks(1);
        ASSERT_EQ(PlayState(), kPlayStatePaused);
    }
};

TEST_F(MovieGrabber, OffAtOpenNothingIsSplicedAndCaptureUsesTheRenderer) {
    Open(false);
    EXPECT_TRUE(movie->GrabberAvailable());
    EXPECT_FALSE(movie->GrabberInserted());
    SeekAndWait(1.0);
    ObjectPtr<TBitmap> frame = MakeObject<TBitmap>();
    ASSERT_TRUE(movie->CaptureFrameToBitmap(frame.get()));
    EXPECT_EQ(FrameNumberOf(frame.get()), 25);
    EXPECT_EQ(PlayState(), kPlayStatePaused);
}

TEST_F(MovieGrabber, AGrabOnAPausedMoviePlaysUntilTheFrameAndPausesAgainScaledOnce) {
    Open(true);
    ASSERT_TRUE(movie->GrabberInserted());
    SeekAndWait(1.0);
    std::vector<std::pair<int, int>> plays;
    WatchPlays(movie, plays);
    movie->SetCaptureSize(50);
    ObjectPtr<TBitmap> frame = MakeObject<TBitmap>();
    ASSERT_TRUE(movie->CaptureFrameToBitmap(frame.get()));
    EXPECT_EQ(frame->Width(), 160);
    EXPECT_EQ(frame->Height(), 120);
    // The movie played on from frame 25 to the next frame it showed.
    const int number = FrameNumberOf(frame.get());
    EXPECT_GE(number, 25);
    EXPECT_LE(number, 30);
    EXPECT_EQ(PlayState(), kPlayStatePaused);
    ASSERT_TRUE(WaitFor([&] { return plays.size() >= 2; }));
    EXPECT_EQ(plays[0], std::make_pair(kPlayStatePaused, kPlayStatePlaying));
    EXPECT_EQ(plays[1], std::make_pair(kPlayStatePlaying, kPlayStatePaused));
}

TEST_F(MovieGrabber, BurstFramesAfterTheGrabReachTheCompletedEvent) {
    Open(true);
    movie->SetFGrabber_BurstMode(true);
    movie->SetFGrabber_BurstCount(3);
    movie->SetFGrabber_BurstInterval(1);
    std::vector<int> numbers;
    movie->OnFGrabberCaptureCompleted = [&](TObject* sender, TBitmap* bitmap,
                                            TFrameCapture_Dest dest, const String& name, bool ok) {
        EXPECT_EQ(sender, movie);
        EXPECT_EQ(dest, fdBitmap);
        EXPECT_TRUE(name.empty());
        EXPECT_TRUE(ok);
        numbers.push_back(FrameNumberOf(bitmap));
    };
    ObjectPtr<TBitmap> frame = MakeObject<TBitmap>();
    ASSERT_TRUE(movie->CaptureFrameToBitmap(frame.get()));
    const int first = FrameNumberOf(frame.get());
    EXPECT_TRUE(
        PlayUntil([&] { return numbers.size() >= 2 && PlayState() == kPlayStatePaused; }, 40));
    ASSERT_EQ(numbers.size(), 2u);
    // A sample that arrives while the last frame is still on its way is passed over, so a busy
    // machine may skip a frame; the run still moves forward.
    EXPECT_GT(numbers[0], first);
    EXPECT_GT(numbers[1], numbers[0]);
    EXPECT_LE(numbers[1], first + 6);
    // The run is over: playing on raises no more.
    movie->Play();
    PlayUntil([] { return false; }, 4);
    EXPECT_EQ(numbers.size(), 2u);
}

// An endless burst counts its run below zero; a single grab armed after it, with burst mode
// turned off but the movie never stopped, still ends after one frame and pauses again.
TEST_F(MovieGrabber, ASingleGrabAfterAnEndlessBurstTakesOneFrameAndPausesAgain) {
    Open(true);
    movie->SetFGrabber_BurstMode(true);
    movie->SetFGrabber_BurstCount(0);
    movie->SetFGrabber_BurstInterval(1);
    int raised = 0;
    movie->OnFGrabberCaptureCompleted = [&](TObject*, TBitmap*, TFrameCapture_Dest, const String&,
                                            bool) { ++raised; };
    ObjectPtr<TBitmap> frame = MakeObject<TBitmap>();
    ASSERT_TRUE(movie->CaptureFrameToBitmap(frame.get()));
    ASSERT_TRUE(PlayUntil([&] { return raised >= 3; }, 40)) << "the endless run goes on";
    ASSERT_TRUE(movie->Pause());
    ASSERT_TRUE(WaitFor([&] { return PlayState() == kPlayStatePaused; }));
    movie->SetFGrabber_BurstMode(false);

    const int before = raised;
    ASSERT_TRUE(movie->CaptureFrameToBitmap(frame.get()));
    EXPECT_GE(FrameNumberOf(frame.get()), 0);
    EXPECT_TRUE(WaitFor([&] { return PlayState() == kPlayStatePaused; }))
        << "the grab left the movie playing";
    // Nothing stays armed: the hook (asked for again, which changes nothing) converts no more
    // frames and no event comes.
    EXPECT_FALSE(movie->Player()->MediaPlayer().Engine().InsertSampleGrabber()->Armed());
    PlayUntil([] { return false; }, 4);
    EXPECT_EQ(raised, before);
    EXPECT_EQ(PlayState(), kPlayStatePaused);
}

TEST_F(MovieGrabber, AGrabThatGetsNoFrameGivesUpWithinItsBoundAndLeavesNothingBehind) {
    Open(true);
    movie->Stop();
    ASSERT_TRUE(WaitFor([&] { return PlayState() == kPlayStateStopped; }));
    ASSERT_TRUE(WaitFor([&] { return !movie->Player()->MediaPlayer().Engine().Seeking(); }));
    int late = 0;
    movie->OnFGrabberCaptureCompleted = [&](TObject*, TBitmap*, TFrameCapture_Dest, const String&,
                                            bool) { ++late; };
    const kernel::Milliseconds before = session->Clock().Now();
    ObjectPtr<TBitmap> frame = MakeObject<TBitmap>();
    EXPECT_FALSE(movie->CaptureFrameToBitmap(frame.get()));
    const kernel::Milliseconds waited = session->Clock().Now() - before;
    EXPECT_GE(waited, TActiveMovie::kGrabWaitMs);
    EXPECT_LE(waited, TActiveMovie::kGrabWaitMs + 50);
    EXPECT_EQ(PlayState(), kPlayStateStopped);
    // Disarmed and nothing in flight: playing now raises no frame for the grab that gave up.
    movie->Play();
    PlayUntil([] { return false; }, 6);
    EXPECT_EQ(late, 0);
    // And the next grab works.
    movie->Pause();
    ASSERT_TRUE(WaitFor([&] { return PlayState() == kPlayStatePaused; }));
    EXPECT_TRUE(movie->CaptureFrameToBitmap(frame.get()));
}

} // namespace
