#include "PainterTestUtil.h"

#include "platform/user/MessageQueue.h"
#include "platform/user/Timer.h"

#include <gtest/gtest.h>

#include <thread>

using namespace paintertest;
using gifgraphictest::MakeBitmap;

namespace {

const TColor kUnder = RGB(128, 128, 128);
const TColor kRed = RGB(255, 0, 0);
const TColor kGreen = RGB(0, 255, 0);
const TColor kYellow = RGB(255, 255, 0);
const TColor kBlue = RGB(0, 0, 255);

constexpr TGIFPaintOptions kOnePass = drAnimate;
constexpr TGIFPaintOptions kLooping = drAnimate | drLoop;

class Painter : public PainterFixture {
protected:
    // A 4 x 2 canvas for painters that draw straight onto it.
    ObjectPtr<TBitmap> target_ = MakeBitmap(4, 2);
    TCanvas* Target() { return target_->Canvas(); }
    HandlerLog log_;
};

} // namespace

// ---- frame timing ----

struct TimingCase {
    const char* name;
    bool asynchronous;
    int speed;
    std::vector<int> delays;
    // From the start handler to the first frame, then between frames (ms).
    kernel::Milliseconds first;
    std::vector<kernel::Milliseconds> gaps;
};

class PainterTiming : public Painter, public ::testing::WithParamInterface<TimingCase> {};

TEST_P(PainterTiming, FramesWaitTheirDelays) {
    const TimingCase& c = GetParam();
    ObjectPtr<TGIFGraphic> image = Strip(c.delays);
    image->SetSpeedPercent(c.speed);
    log_.Hook(*image);
    if (c.asynchronous)
        ASSERT_NE(StartAsync(*image, Target(), Rect(0, 0, 4, 2), kOnePass), nullptr);
    else
        RunInline(*image, Target(), Rect(0, 0, 4, 2), kOnePass);
    ASSERT_TRUE(Serve([&] { return log_.Count('E') == 1 && Listed(*image) == 0; }));

    std::vector<int> order;
    for (size_t i = 0; i < c.delays.size(); ++i)
        order.push_back(int(i));
    EXPECT_EQ(log_.Frames('P'), order);
    std::vector<kernel::Milliseconds> paints = log_.Times('P');
    ASSERT_EQ(paints.size(), c.delays.size());
    EXPECT_EQ(paints[0] - log_.Times('S')[0], c.first);
    std::vector<kernel::Milliseconds> gaps;
    for (size_t i = 1; i < paints.size(); ++i)
        gaps.push_back(paints[i] - paints[i - 1]);
    EXPECT_EQ(gaps, c.gaps);
}

// Delay 0 shows 10 units of 12 ms, 1 and 2 count as 3 units; a synchronous painter waits one
// unit before its first frame and caps a delay at 1000 units; a negative speed waits nowhere.
INSTANTIATE_TEST_SUITE_P(
    Cases, PainterTiming,
    ::testing::Values(TimingCase{"AsyncDelays", true, 100, {0, 1, 2, 5}, 0, {120, 36, 36}},
                      TimingCase{"InlineDelays", false, 100, {0, 1, 2, 5}, 12, {120, 36, 36}},
                      TimingCase{"AsyncDoubleSpeed", true, 200, {0, 1, 2, 5}, 0, {60, 18, 18}},
                      TimingCase{"InlineDoubleSpeed", false, 200, {0, 1, 2, 5}, 6, {60, 18, 18}},
                      TimingCase{"AsyncHalfSpeed", true, 50, {4, 0}, 0, {96}},
                      TimingCase{"AsyncLongDelay", true, 100, {2000, 0}, 0, {24000}},
                      TimingCase{"InlineLongDelayCapped", false, 100, {2000, 0}, 12, {12000}},
                      TimingCase{"AsyncNegativeSpeedNoWaits", true, -100, {0, 50, 7}, 0, {0, 0}},
                      TimingCase{"InlineNegativeSpeedNoWaits", false, -100, {0, 50, 7}, 0, {0, 0}}),
    [](const auto& test) { return std::string(test.param.name); });

TEST_F(Painter, FrameIsTimedByItsOwnControlExtension) {
    // Read from a file, frame 0 carries two control extensions: its own (delay 20) and a
    // second one (delay 50) that does not decide.
    ObjectPtr<TGIFGraphic> written = Strip({20, 0});
    AddControl(*written->Frames().GetFrame(0), 1, 50);
    TMemoryStream stream;
    written->SaveToStream(stream);
    stream.SetPosition(0);
    ObjectPtr<TGIFGraphic> image = MakeObject<TGIFGraphic>();
    image->SetPaintOptions(image->PaintOptions() & ~drDither);
    image->LoadFromStream(stream);
    ASSERT_EQ(image->Frames().GetFrame(0)->FrameExtensions().Count(), 2);
    log_.Hook(*image);
    ASSERT_NE(StartAsync(*image, Target(), Rect(0, 0, 4, 2), kOnePass), nullptr);
    ASSERT_TRUE(Serve([&] { return log_.Count('E') == 1 && Listed(*image) == 0; }));
    std::vector<kernel::Milliseconds> paints = log_.Times('P');
    ASSERT_EQ(paints.size(), 2u);
    EXPECT_EQ(paints[1] - paints[0], 20 * 12);
}

TEST_F(Painter, SpeedZeroShowsFrameZeroAndHoldsUntilStopped) {
    ObjectPtr<TGIFGraphic> image = Strip({5, 5, 5});
    image->SetSpeedPercent(0);
    log_.Hook(*image);
    ASSERT_NE(StartAsync(*image, Target(), Rect(0, 0, 4, 2), kLooping), nullptr);
    ASSERT_TRUE(Serve([&] { return log_.Count('D') == 1; }));
    for (int i = 0; i < 50; ++i) {
        clock_.Advance(60 * 60 * 1000);
        CheckSynchronize();
        std::this_thread::yield();
    }
    EXPECT_EQ(log_.Count('P'), 1);
    image->StopPainters();
    EXPECT_EQ(Listed(*image), 0);
    // A stopped painter raises no more handlers.
    EXPECT_EQ(log_.Count('E'), 0);
    EXPECT_EQ(Target()->Pixels(0, 0), image->Frames().GetFrame(0)->OwnColorMap().ColorAt(0));
}

// ---- passes ----

struct LoopCase {
    const char* name;
    bool asynchronous;
    TGIFPaintOptions options;
    int loopCount;
    int stopAfterFrames; // 0: runs to its end
    int frames;          // frames painted in all
    int ends;            // end handler calls
};

class PainterLoops : public Painter, public ::testing::WithParamInterface<LoopCase> {};

TEST_P(PainterLoops, PassesFollowTheLoopCountAndOptions) {
    const LoopCase& c = GetParam();
    ObjectPtr<TGIFGraphic> image = Strip({0, 0, 0}, c.loopCount);
    log_.Hook(*image);
    log_.onDone = [&](TGIFPainter& painter) {
        if (c.stopAfterFrames && log_.Count('D') == c.stopAfterFrames) painter.StopPainting();
    };
    if (c.asynchronous)
        ASSERT_NE(StartAsync(*image, Target(), Rect(0, 0, 4, 2), c.options), nullptr);
    else
        RunInline(*image, Target(), Rect(0, 0, 4, 2), c.options);
    ASSERT_TRUE(Serve([&] { return Listed(*image) == 0; }));

    std::vector<int> expected;
    for (int i = 0; i < c.frames; ++i)
        expected.push_back(i % 3);
    EXPECT_EQ(log_.Frames('P'), expected);
    EXPECT_EQ(log_.Count('L'), (c.frames - 1) / 3);
    EXPECT_EQ(log_.Count('E'), c.ends);
    EXPECT_EQ(log_.Count('S'), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PainterLoops,
    ::testing::Values(LoopCase{"AsyncThreeTimes", true, kLooping, 3, 0, 9, 1},
                      LoopCase{"InlineThreeTimes", false, kLooping, 3, 0, 9, 1},
                      LoopCase{"AsyncOnce", true, kLooping, 1, 0, 3, 1},
                      LoopCase{"AsyncZeroIsForever", true, kLooping, 0, 13, 13, 0},
                      LoopCase{"InlineZeroIsOnce", false, kLooping, 0, 0, 3, 1},
                      LoopCase{"NoExtensionOnePass", true, kLooping, kNoLoopExtension, 0, 3, 1},
                      LoopCase{"WithoutLoopOptionOnePass", true, kOnePass, 3, 0, 3, 1},
                      LoopCase{"LoopForeverOverridesTheCount", false, kLooping | drLoopForever, 2,
                               8, 8, 0},
                      LoopCase{"WithoutAnimateFrameZeroOnly", true, drLoop, 3, 0, 1, 1}),
    [](const auto& test) { return std::string(test.param.name); });

TEST_F(Painter, OnePassEndsOnTheLastFrameInTheRenderedBitmap) {
    ObjectPtr<TGIFGraphic> image = Strip({0, 0, 0});
    image->SetPaintOptions(image->PaintOptions() & (~drLoop));
    log_.Hook(*image);
    auto shown = MakeBitmap(8, 4);
    shown->Canvas()->StretchDraw(Rect(0, 0, 8, 4), image.get());
    ASSERT_TRUE(Serve([&] { return log_.Count('E') == 1 && Listed(*image) == 0; }));
    const TColor last = image->Frames().GetFrame(2)->OwnColorMap().ColorAt(0);
    ASSERT_NE(image->RenderedBitmap(), nullptr);
    EXPECT_EQ(image->RenderedBitmap()->Canvas()->Pixels(3, 1), last);
    // A repaint copies the rendered bitmap and starts nothing new.
    shown->Canvas()->StretchDraw(Rect(0, 0, 8, 4), image.get());
    EXPECT_EQ(shown->Canvas()->Pixels(7, 3), last);
    EXPECT_EQ(log_.Count('S'), 1);
}

TEST_F(Painter, OneFrameImageRunsInlineWhateverTheOptions) {
    ObjectPtr<TGIFGraphic> image = Animation(4, 2, {{0, 0, 4, 2, kRed, 1, 50}}, 0);
    log_.Hook(*image);
    TGIFPainterLink* slot = nullptr;
    EXPECT_EQ(image->StartPainter(&slot, Target(), kGIFDefaultPaintOptions | drLoopForever,
                                  Rect(0, 0, 4, 2)),
              nullptr);
    // Done and gone before StartPainter returned: no thread of its own.
    EXPECT_EQ(slot, nullptr);
    EXPECT_EQ(LivePainterCount(), 0);
    EXPECT_EQ(log_.Frames('P'), std::vector<int>{0});
    EXPECT_EQ(log_.Count('E'), 1);
    for (const auto& call : log_.calls)
        EXPECT_TRUE(call.onMainThread);
    EXPECT_EQ(Target()->Pixels(3, 1), kRed);
}

// ---- disposal, read back as pixels ----

struct Pixel {
    int frame; // after this frame was drawn
    int x, y;  // within the picture
    TColor color;
};

struct DisposalCase {
    const char* name;
    std::vector<FrameSpec> frames;
    TGIFPaintOptions options;
    TColor backdrop;
    std::vector<Pixel> pixels;
};

const TColor kWindow = ColorToRGB(clWindow);

// The picture (6 x 2) sits at (10, 4) of a grey canvas, so that a painter that mixes up
// canvas and buffer coordinates draws or clears the wrong place; the picture is read after
// every frame.
class PicturePainter : public Painter {
protected:
    void PlayToTheEnd(TGIFGraphic& image, TGIFPaintOptions options, bool asynchronous) {
        log_.Hook(image);
        canvas_->Canvas()->Brush()->SetColor(kUnder);
        canvas_->Canvas()->FillRect(Rect(0, 0, 20, 8));
        log_.onDone = [this](TGIFPainter&) {
            std::vector<TColor> pixels;
            for (int y = 0; y < 2; ++y)
                for (int x = 0; x < 6; ++x)
                    pixels.push_back(canvas_->Canvas()->Pixels(10 + x, 4 + y));
            after_.push_back(pixels);
        };
        const TRect place = Rect(10, 4, 16, 6);
        if (asynchronous)
            ASSERT_NE(StartAsync(image, canvas_->Canvas(), place, options), nullptr);
        else
            RunInline(image, canvas_->Canvas(), place, options);
        ASSERT_TRUE(Serve([&] { return Listed(image) == 0; }));
    }

    ObjectPtr<TBitmap> canvas_ = MakeBitmap(20, 8);
    std::vector<std::vector<TColor>> after_; // the picture after each frame
};

class PainterDisposal : public PicturePainter,
                        public ::testing::WithParamInterface<std::tuple<DisposalCase, bool>> {};

TEST_P(PainterDisposal, FramesLeaveTheAreaAsTheirDisposalSays) {
    const auto& [c, asynchronous] = GetParam();
    ObjectPtr<TGIFGraphic> image = Animation(6, 2, c.frames);
    image->SetBackdropColor(c.backdrop);
    PlayToTheEnd(*image, c.options | kOnePass, asynchronous);

    ASSERT_EQ(after_.size(), c.frames.size());
    for (const Pixel& p : c.pixels)
        EXPECT_EQ(after_[p.frame][p.y * 6 + p.x], p.color)
            << "after frame " << p.frame << " at (" << p.x << ", " << p.y << ")";
    // Nothing outside the picture was touched.
    for (auto [x, y] : {std::pair{9, 4}, {16, 5}, {10, 3}, {15, 6}, {0, 0}})
        EXPECT_EQ(canvas_->Canvas()->Pixels(x, y), kUnder) << "(" << x << ", " << y << ")";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PainterDisposal,
    ::testing::Combine(
        ::testing::Values(
            DisposalCase{"LeaveInPlace",
                         {{0, 0, 6, 2, kRed, 1}, {4, 0, 2, 2, kGreen, 1}},
                         0,
                         clNone,
                         {{1, 0, 0, kRed}, {1, 4, 1, kGreen}}},
            DisposalCase{"BackgroundIsTheBackdrop",
                         {{0, 0, 6, 2, kRed, 2}, {4, 0, 2, 2, kGreen, 1}},
                         0,
                         kBlue,
                         {{0, 0, 0, kRed}, {1, 0, 0, kBlue}, {1, 3, 1, kBlue}, {1, 4, 1, kGreen}}},
            DisposalCase{"BackgroundWithoutBackdropIsTheWindowColour",
                         {{0, 0, 6, 2, kRed, 2}, {4, 0, 2, 2, kGreen, 1}},
                         0,
                         clNone,
                         {{1, 0, 0, kWindow}, {1, 5, 0, kGreen}}},
            DisposalCase{
                "BackgroundWithTransparencyIsWhatLayUnder",
                {{0, 0, 6, 2, kRed, 2}, {4, 0, 2, 2, kGreen, 1}},
                drTransparent,
                kBlue,
                {{0, 2, 1, kRed}, {1, 0, 0, kUnder}, {1, 3, 1, kUnder}, {1, 4, 0, kGreen}}},
            DisposalCase{"TiledSmallFrameClearsToAColourNeverNone",
                         {{0, 0, 3, 1, kRed, 2}, {4, 0, 2, 2, kGreen, 1}},
                         drTile,
                         clNone,
                         {{0, 0, 0, kRed},
                          {0, 3, 0, kUnder},
                          {1, 0, 0, kWindow},
                          {1, 2, 0, kWindow},
                          {1, 0, 1, kUnder},
                          {1, 4, 1, kGreen}}},
            DisposalCase{"TiledTransparentRestoresWhatLayUnder",
                         {{0, 0, 3, 1, kRed, 2}, {4, 0, 2, 2, kGreen, 1}},
                         drTile | drTransparent,
                         kBlue,
                         {{0, 1, 0, kRed}, {1, 1, 0, kUnder}, {1, 5, 1, kGreen}}},
            DisposalCase{"PreviousRevertsToThePictureBefore",
                         {{0, 0, 6, 2, kRed, 1}, {0, 0, 2, 2, kYellow, 3}, {4, 0, 2, 2, kGreen, 1}},
                         0,
                         clNone,
                         {{1, 0, 0, kYellow},
                          {1, 2, 0, kRed},
                          {2, 0, 0, kRed},
                          {2, 1, 1, kRed},
                          {2, 4, 0, kGreen}}},
            DisposalCase{"PreviousAfterABackgroundFrame",
                         {{0, 0, 6, 2, kRed, 2}, {0, 0, 2, 2, kYellow, 3}, {4, 0, 2, 2, kGreen, 1}},
                         drTransparent,
                         clNone,
                         {{1, 0, 0, kYellow},
                          {1, 2, 0, kUnder},
                          {2, 0, 0, kUnder},
                          {2, 3, 1, kUnder},
                          {2, 4, 0, kGreen}}},
            DisposalCase{"MeaninglessDisposalStaysInPlace",
                         {{0, 0, 6, 2, kRed, 6}, {4, 0, 2, 2, kGreen, 2}, {2, 0, 1, 1, kYellow, 7}},
                         0,
                         clNone,
                         {{0, 0, 0, kRed},
                          {1, 0, 1, kRed},
                          {1, 4, 0, kGreen},
                          {2, 2, 0, kYellow},
                          {2, 0, 0, kRed},
                          {2, 4, 0, kWindow}}}),
        ::testing::Bool()),
    [](const auto& test) {
        return std::string(std::get<0>(test.param).name) +
               (std::get<1>(test.param) ? "Async" : "Inline");
    });

// ---- further passes ----

struct PassCase {
    const char* name;
    std::vector<FrameSpec> frames; // none of them covers the whole picture
    TGIFPaintOptions options;
};

class PainterPasses : public PicturePainter,
                      public ::testing::WithParamInterface<std::tuple<PassCase, bool>> {};

// A further pass shows each frame as the first pass did: it starts on what lay under the
// picture, not on what the last frame of the pass before left there.
TEST_P(PainterPasses, EachPassShowsWhatTheFirstShowed) {
    const auto& [c, asynchronous] = GetParam();
    ObjectPtr<TGIFGraphic> image = Animation(6, 2, c.frames, 2);
    PlayToTheEnd(*image, c.options | kLooping, asynchronous);

    const size_t n = c.frames.size();
    ASSERT_EQ(after_.size(), 2 * n);
    for (size_t i = 0; i < n; ++i)
        EXPECT_EQ(after_[n + i], after_[i]) << "frame " << i << " of the second pass";
    // The first frame was drawn on what lay under the picture.
    EXPECT_EQ(after_[0][5], kUnder);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PainterPasses,
    ::testing::Combine(
        ::testing::Values(
            PassCase{"FramesThatStay", {{0, 0, 2, 2, kRed, 1}, {4, 0, 2, 2, kGreen, 1}}, 0},
            PassCase{"FramesThatRestore",
                     {{0, 0, 2, 2, kRed, 1},
                      {2, 0, 2, 2, kGreen, 3},
                      {4, 0, 2, 2, kYellow, 2},
                      {3, 1, 3, 1, kBlue, 1}},
                     drTransparent},
            PassCase{"FramesThatRestoreToTheBackdrop",
                     {{0, 0, 2, 1, kRed, 1}, {4, 0, 2, 2, kGreen, 2}, {2, 1, 2, 1, kYellow, 1}},
                     0}),
        ::testing::Bool()),
    [](const auto& test) {
        return std::string(std::get<0>(test.param).name) +
               (std::get<1>(test.param) ? "Async" : "Inline");
    });

// ---- stopping ----

namespace {

// Serves calls for a while without waiting for anything in particular.
void ServeSome() {
    for (int i = 0; i < 200; ++i) {
        CheckSynchronize();
        std::this_thread::yield();
    }
}

} // namespace

TEST_F(Painter, MakeEmptyStopsTheAnimation) {
    ObjectPtr<TGIFGraphic> image = Strip({0, 0, 0}, 0);
    log_.Hook(*image);
    auto shown = MakeBitmap(4, 2);
    shown->Canvas()->StretchDraw(Rect(0, 0, 4, 2), image.get());
    ASSERT_TRUE(Serve([&] { return log_.Count('P') >= 4; }));
    image->MakeEmpty();
    EXPECT_EQ(Listed(*image), 0);
    EXPECT_EQ(image->ViewPainter(), nullptr);
    EXPECT_EQ(image->RenderedBitmap(), nullptr);
    size_t calls = log_.calls.size();
    ServeSome();
    EXPECT_EQ(log_.calls.size(), calls);
}

TEST_F(Painter, DirectDrawElsewhereReplacesTheRunningPainter) {
    ObjectPtr<TGIFGraphic> image = Strip({0, 0, 0}, 0);
    image->SetPaintOptions(image->PaintOptions() | (drDirect));
    log_.Hook(*image);
    std::vector<TRect> paintedAt;
    log_.onPaint = [&](TGIFPainter& painter) { paintedAt.push_back(painter.PaintRect()); };
    auto shown = MakeBitmap(8, 4);
    shown->Canvas()->StretchDraw(Rect(0, 0, 4, 2), image.get());
    ASSERT_TRUE(Serve([&] { return log_.Count('P') >= 2; }));
    shown->Canvas()->StretchDraw(Rect(4, 2, 8, 4), image.get());
    ASSERT_NE(image->ViewPainter(), nullptr);
    EXPECT_EQ(image->ViewPainter()->PaintRect(), Rect(4, 2, 8, 4));
    EXPECT_EQ(Listed(*image), 1);
    const size_t before = paintedAt.size();
    ASSERT_TRUE(Serve([&] { return paintedAt.size() >= before + 3; }));
    for (size_t i = before; i < paintedAt.size(); ++i)
        EXPECT_EQ(paintedAt[i], Rect(4, 2, 8, 4));
    EXPECT_EQ(log_.Count('S'), 2);
    image->MakeEmpty();
}

TEST_F(Painter, FreeingTheImageWhileItAnimatesEndsThePainterFirst) {
    ObjectPtr<TGIFGraphic> image = Strip({0, 0, 0}, 0);
    log_.Hook(*image);
    auto shown = MakeBitmap(4, 2);
    shown->Canvas()->StretchDraw(Rect(0, 0, 4, 2), image.get());
    ASSERT_TRUE(Serve([&] { return log_.Count('P') >= 3; }));
    image.reset();
    // The painter had left before the frames went; nothing of it runs any more.
    EXPECT_LE(LivePainterCount(), 1);
    size_t calls = log_.calls.size();
    ServeSome();
    EXPECT_EQ(log_.calls.size(), calls);
}

TEST_F(Painter, FreeRenderedBitmapFromAHandlerStopsTheDrawIntoIt) {
    ObjectPtr<TGIFGraphic> image = Strip({0, 0, 0}, 0);
    log_.Hook(*image);
    log_.onPaint = [&](TGIFPainter&) {
        if (log_.Count('P') == 3) image->FreeRenderedBitmap();
    };
    auto shown = MakeBitmap(4, 2);
    shown->Canvas()->StretchDraw(Rect(0, 0, 4, 2), image.get());
    ASSERT_TRUE(Serve([] { return LivePainterCount() == 0; }));
    // The third frame was announced, then never drawn nor finished.
    EXPECT_EQ(log_.Count('P'), 3);
    EXPECT_EQ(log_.Count('D'), 2);
    EXPECT_EQ(image->ViewPainter(), nullptr);
    EXPECT_EQ(image->RenderedBitmap(), nullptr);
    EXPECT_EQ(Listed(*image), 0);
}

// Whatever the painter's thread is doing when the bitmap goes, it never draws into it again
// (the sanitizer builds catch a draw into freed memory).
TEST_F(Painter, FreeRenderedBitmapAtAnyMomentIsSafe) {
    ObjectPtr<TGIFGraphic> image = Strip({0, 0, 0}, 0);
    log_.Hook(*image);
    auto shown = MakeBitmap(4, 2);
    for (int round = 0; round < 20; ++round) {
        shown->Canvas()->StretchDraw(Rect(0, 0, 4, 2), image.get());
        int target = log_.Count('P') + 1 + round % 3;
        ASSERT_TRUE(Serve([&] { return log_.Count('P') >= target; }));
        for (int i = 0; i < round % 4; ++i)
            std::this_thread::yield();
        image->FreeRenderedBitmap();
        ASSERT_TRUE(Serve([] { return LivePainterCount() == 0; }));
    }
    EXPECT_EQ(Listed(*image), 0);
}

// The user-interface thread may change frames while a painter animates: the painter reads
// them only inside its calls to that thread (the thread sanitizer build checks this).
TEST_F(Painter, FramesChangedMeanwhileAreReadOnTheUserInterfaceThread) {
    ObjectPtr<TGIFGraphic> image = Strip({0, 0, 0, 0}, 0);
    log_.Hook(*image);
    ASSERT_NE(StartAsync(*image, Target(), Rect(0, 0, 4, 2), kLooping), nullptr);
    for (int round = 0; round < 30; ++round) {
        const int seen = log_.Count('D');
        TGIFSubImage* second = image->Frames().GetFrame(1);
        second->ControlExtension()->SetFrameDelay(static_cast<Word>(round % 5));
        second->ControlExtension()->SetDisposalMethod(round % 8);
        second->OwnColorMap().Reset();
        second->OwnColorMap().AppendColor(RGB(round, 0, 0));
        second->DropBitmap();
        ASSERT_TRUE(Serve([&] { return log_.Count('D') > seen; }));
    }
    // The last frame goes while the painter runs: it shows the frames that are left.
    image->Frames().GetFrame(3)->Free();
    const size_t from = log_.calls.size();
    const int passes = log_.Count('L');
    ASSERT_TRUE(Serve([&] { return log_.Count('L') >= passes + 3; }));
    for (size_t i = from; i < log_.calls.size(); ++i)
        if (log_.calls[i].kind == 'D') {
            EXPECT_LT(log_.calls[i].frame, 3);
        }
    image->StopPainters();
}

TEST_F(Painter, AddingAFrameStopsThePainter) {
    ObjectPtr<TGIFGraphic> image = Strip({0, 0, 0}, 0);
    log_.Hook(*image);
    ASSERT_NE(StartAsync(*image, Target(), Rect(0, 0, 4, 2), kLooping), nullptr);
    ASSERT_TRUE(Serve([&] { return log_.Count('D') >= 2; }));
    gifgraphictest::AddPlainFrame(*image, 4, 2, {kGreen});
    EXPECT_EQ(Listed(*image), 0);
    const size_t calls = log_.calls.size();
    ServeSome();
    EXPECT_EQ(log_.calls.size(), calls);
}

// ---- synchronous painters and the message loop ----

TEST_F(Painter, QuitDuringAnInlineWaitEndsThePainterAndIsPostedAgain) {
    ObjectPtr<TGIFGraphic> image = Strip({5, 5, 5});
    log_.Hook(*image);
    log_.onDone = [&](TGIFPainter&) {
        if (log_.Count('D') == 2) PostQuitMessage(7);
    };
    RunInline(*image, Target(), Rect(0, 0, 4, 2), kLooping);
    EXPECT_EQ(log_.Frames('P'), (std::vector<int>{0, 1}));
    EXPECT_EQ(log_.Count('E'), 0);
    EXPECT_EQ(Listed(*image), 0);
    MSG msg;
    ASSERT_TRUE(PeekMessage(&msg, 0, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_QUIT);
    EXPECT_EQ(msg.wParam, 7u);
}

TEST_F(Painter, InlineHandlerMayFreeTheImage) {
    TGIFGraphic* image = Strip({0, 0, 0}).release();
    image->SetPaintOptions(image->PaintOptions() & (~drAsynchronous));
    log_.Hook(*image);
    log_.onDone = [&](TGIFPainter& painter) {
        if (log_.Count('D') == 2) {
            image->Free();
            EXPECT_EQ(painter.TargetImage(), nullptr);
        }
    };
    auto shown = MakeBitmap(4, 2);
    shown->Canvas()->StretchDraw(Rect(0, 0, 4, 2), image);
    EXPECT_EQ(log_.Frames('P'), (std::vector<int>{0, 1}));
    EXPECT_EQ(log_.Count('E'), 0);
    EXPECT_EQ(LivePainterCount(), 0);
}

namespace {

TGIFGraphic* doomed = nullptr;

void FreeDoomedImage(HWND, UINT, UINT_PTR, DWORD) {
    if (doomed) doomed->Free();
    doomed = nullptr;
}

} // namespace

TEST_F(Painter, MessageHandledDuringAnInlineWaitMayFreeTheImage) {
    doomed = Strip({0, 0, 0}).release();
    doomed->SetPaintOptions(doomed->PaintOptions() & (~drAsynchronous));
    log_.Hook(*doomed);
    auto shown = MakeBitmap(4, 2);
    // Due in the wait after frame 0 (12 ms, then 120 ms in slices).
    UINT_PTR timer = SetTimer(0, 0, 50, FreeDoomedImage);
    ASSERT_NE(timer, 0u);
    shown->Canvas()->StretchDraw(Rect(0, 0, 4, 2), doomed);
    KillTimer(0, timer);
    EXPECT_EQ(doomed, nullptr);
    EXPECT_EQ(log_.Frames('P'), std::vector<int>{0});
    EXPECT_EQ(log_.Count('E'), 0);
    EXPECT_EQ(LivePainterCount(), 0);
}

// The image waits for its painters by serving their calls; a handler inside such a call
// must not make it wait for the very painter whose call it is.
TEST_F(Painter, AsyncHandlerMayFreeTheImage) {
    TGIFGraphic* image = Strip({0, 0, 0}, 0).release();
    log_.Hook(*image);
    bool freed = false;
    log_.onPaint = [&](TGIFPainter& painter) {
        if (log_.Count('P') == 2) {
            image->Free();
            freed = true;
            EXPECT_EQ(painter.TargetImage(), nullptr);
        }
    };
    ASSERT_NE(StartAsync(*image, Target(), Rect(0, 0, 4, 2), kLooping), nullptr);
    ASSERT_TRUE(Serve([&] { return freed && LivePainterCount() == 0; }));
    EXPECT_EQ(log_.Count('P'), 2);
    EXPECT_EQ(log_.Count('D'), 1);
    EXPECT_EQ(log_.Count('E'), 0);
}

// ---- exceptions ----

TEST_F(Painter, AsyncFailureIsReportedOnTheUserInterfaceThread) {
    ObjectPtr<TGIFGraphic> image = Strip({0, 0, 0}, 0);
    log_.Hook(*image);
    log_.onPaint = [&](TGIFPainter&) {
        if (log_.Count('P') == 2) throw EInvalidOperation("Frame handler failed");
    };
    ASSERT_NE(StartAsync(*image, Target(), Rect(0, 0, 4, 2), kLooping), nullptr);
    ASSERT_TRUE(Serve([] { return LivePainterCount() == 0; }));
    EXPECT_EQ(Listed(*image), 0);
    EXPECT_EQ(log_.Count('E'), 0);
    int reports = 0;
    for (const auto& call : session_->Calls())
        if (call.kind == headless::RecordedCall::Kind::MessageBox) {
            ++reports;
            EXPECT_EQ(call.text, "Frame handler failed");
        }
    EXPECT_EQ(reports, 1);
}

TEST_F(Painter, InlineFailureIsRaisedInTheCallerAfterThePainterWent) {
    ObjectPtr<TGIFGraphic> image = Strip({0, 0, 0});
    log_.Hook(*image);
    log_.onPaint = [&](TGIFPainter&) {
        if (log_.Count('P') == 2) throw EInvalidOperation("Frame handler failed");
    };
    TGIFPainterLink* slot = nullptr;
    try {
        image->StartPainter(&slot, Target(), kLooping, Rect(0, 0, 4, 2));
        ADD_FAILURE() << "no exception";
    } catch (const EInvalidOperation& e) {
        EXPECT_EQ(e.Message(), "Frame handler failed");
    }
    EXPECT_EQ(slot, nullptr);
    EXPECT_EQ(Listed(*image), 0);
    EXPECT_EQ(LivePainterCount(), 0);
    EXPECT_TRUE(session_->Calls().empty());
}

TEST_F(Painter, CanvasWhoseDeviceContextWentEndsThePainterQuietly) {
    ObjectPtr<TGIFGraphic> image = Strip({0, 0, 0}, 0);
    log_.Hook(*image);
    for (bool composed : {false, true}) {
        SCOPED_TRACE(composed ? "composed" : "plain");
        if (composed) AddControl(*image->Frames().GetFrame(1), 2, 0);
        TBitmap* canvas = MakeBitmap(4, 2).release();
        log_.calls.clear();
        log_.onDone = [&](TGIFPainter&) {
            if (log_.Count('D') == 2) FreeAndNil(canvas);
        };
        ASSERT_NE(
            StartAsync(*image, canvas->Canvas(), Rect(0, 0, 4, 2), kLooping | drValidateCanvas),
            nullptr);
        ASSERT_TRUE(Serve([&] { return Listed(*image) == 0; }));
        EXPECT_EQ(canvas, nullptr);
        EXPECT_EQ(log_.Count('D'), 2);
        EXPECT_EQ(log_.Count('E'), 0);
    }
}
