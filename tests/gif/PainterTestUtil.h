#pragma once
// What the painter tests share: animations built in code, a clock that lets a painter's
// thread sleep through its waits at once, a recorder of the paint handlers, and a fixture
// that installs the real painter on a headless display.
#include "GIFGraphicTestUtil.h"

#include "framework/Canvas.h"
#include "gif/GIFPainter.h"
#include "gif/GIFSubImage.h"
#include "platform/headless/Headless.h"
#include "platform/kernel/Time.h"
#include "rtl/Thread.h"
#include "support/ServeSynchronize.h"
#include "support/SleepThroughClock.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace paintertest {

// One frame of a test animation: a rectangle of one colour, with a control extension when
// disposal is 0 or more.
struct FrameSpec {
    int left, top, width, height;
    TColor color;
    int disposal = -1;
    int delay = 0;
};

constexpr int kNoLoopExtension = -1;

inline TGIFGraphicControlExtension* AddControl(TGIFSubImage& frame, int disposal, int delay) {
    auto* gce = CreateObject<TGIFGraphicControlExtension>(&frame);
    frame.FrameExtensions().AppendItem(gce);
    gce->SetDisposalMethod(disposal);
    gce->SetFrameDelay(static_cast<Word>(delay));
    return gce;
}

// An image of the given screen size and frames; loopCount adds a looping extension in front
// of frame 0.
inline ObjectPtr<TGIFGraphic> Animation(int screenWidth, int screenHeight,
                                        const std::vector<FrameSpec>& frames,
                                        int loopCount = kNoLoopExtension) {
    ObjectPtr<TGIFGraphic> image = MakeObject<TGIFGraphic>();
    image->SetPaintOptions(image->PaintOptions() & (~drDither));
    image->SetScreenWidth(screenWidth);
    image->SetScreenHeight(screenHeight);
    for (const FrameSpec& f : frames) {
        TGIFSubImage* frame =
            gifgraphictest::AddPlainFrame(*image, f.width, f.height, {f.color}, 0, f.left, f.top);
        if (f.disposal >= 0) AddControl(*frame, f.disposal, f.delay);
    }
    if (loopCount != kNoLoopExtension) {
        TGIFSubImage* first = image->Frames().GetFrame(0);
        auto* loop = CreateObject<TGIFAppExtNSLoop>(first);
        loop->LoopCount = static_cast<Word>(loopCount);
        first->FrameExtensions().Items.Insert(0, loop);
    }
    return image;
}

// n full-screen frames of 4 x 2 in distinct colours, with the given delays (a control
// extension each, disposal 1).
inline ObjectPtr<TGIFGraphic> Strip(const std::vector<int>& delays,
                                    int loopCount = kNoLoopExtension) {
    std::vector<FrameSpec> frames;
    for (size_t i = 0; i < delays.size(); ++i)
        frames.push_back(
            {0, 0, 4, 2, TColor(RGB(40 * Byte(i + 1), 0, 255 - 40 * Byte(i))), 1, delays[i]});
    return Animation(4, 2, frames, loopCount);
}

// Every handler call of an image's painters, in order. Handlers run on the user-interface
// thread only, so the list needs no lock.
struct HandlerLog {
    struct Call {
        char kind; // S start, P frame paint, D frame done, L pass, E end
        int frame;
        const TGIFPainter* painter;
        kernel::Milliseconds time;
        bool onMainThread;
    };

    void Hook(TGIFGraphic& image) {
        image.SetPaintHandlers(
            {Recorder('S'), Recorder('P'), Recorder('D'), Recorder('L'), Recorder('E')});
    }
    TNotifyEvent Recorder(char kind) {
        return [this, kind](TObject* sender) {
            auto* painter = dynamic_cast<TGIFPainter*>(sender);
            calls.push_back({kind, painter ? painter->CurrentFrame : -2, painter, timeGetTime(),
                             IsMainThread()});
            if (kind == 'P' && onPaint) onPaint(*painter);
            if (kind == 'D' && onDone) onDone(*painter);
        };
    }
    int Count(char kind) const {
        int n = 0;
        for (const Call& c : calls)
            n += c.kind == kind;
        return n;
    }
    std::vector<int> Frames(char kind) const {
        std::vector<int> frames;
        for (const Call& c : calls)
            if (c.kind == kind) frames.push_back(c.frame);
        return frames;
    }
    std::vector<kernel::Milliseconds> Times(char kind) const {
        std::vector<kernel::Milliseconds> times;
        for (const Call& c : calls)
            if (c.kind == kind) times.push_back(c.time);
        return times;
    }

    std::vector<Call> calls;
    std::function<void(TGIFPainter&)> onPaint;
    std::function<void(TGIFPainter&)> onDone;
};

// The real painter on a headless display and the clock above; every painter must have
// freed itself by the end of each test.
class PainterFixture : public ::testing::Test {
protected:
    void SetUp() override { before_ = SetGIFPainterMaker(GIFPainterMaker()); }
    void TearDown() override {
        EXPECT_TRUE(Serve([] { return LivePainterCount() == 0; }));
        SetGIFPainterMaker(before_);
    }

    // Serves the painters' synchronised calls until done() holds.
    static bool Serve(const std::function<bool()>& done) {
        return test_support::ServeSynchronizeUntil(done);
    }
    static int Listed(TGIFGraphic& image) { return image.PainterCount(); }
    // An asynchronous painter of image onto canvas within rect, started.
    static TGIFPainterLink* StartAsync(TGIFGraphic& image, TCanvas* canvas, const TRect& rect,
                                       TGIFPaintOptions options) {
        TGIFPainterLink* painter =
            image.StartPainter(nullptr, canvas, options | drAsynchronous, rect);
        if (painter) painter->StartPainting();
        return painter;
    }
    // Runs a synchronous painter to its end.
    static void RunInline(TGIFGraphic& image, TCanvas* canvas, const TRect& rect,
                          TGIFPaintOptions options) {
        image.StartPainter(nullptr, canvas, options & ~drAsynchronous, rect);
    }

    headless::HeadlessSession session_;
    test_support::SleepThroughClock clock_;
    kernel::ScopedClock clockScope_{clock_};

private:
    TGIFPainterMaker before_;
};

} // namespace paintertest
