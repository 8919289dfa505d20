// Animated GIFs and the picture view, with the real animation painter: a GIF given as the
// original is drawn once into a 24-bit bitmap (its first frame) and leaves no painter behind;
// a GIF in the adjusted picture is painted by its own painter, and the view's end stops it.
#include "OrImageTestUtil.h"

#include "framework/ControlTestUtil.h"
#include "gif/GIFGraphic.h"
#include "gif/GIFPainter.h"
#include "platform/kernel/Clock.h"
#include "rtl/Thread.h"

#include <chrono>
#include <thread>

namespace {

using headless::HeadlessBackend;
using namespace orimagetest;

// Timed waits of the painter's thread end at once, the clock moved to their deadline, so an
// animation runs through without real delays; the main thread's waits are the plain fake's.
class SleepThroughClock : public kernel::FakeClock {
public:
    bool WaitUntil(std::unique_lock<std::mutex>& lock, std::condition_variable& cv,
                   kernel::Milliseconds deadline, const std::function<bool()>& done) override {
        if (std::this_thread::get_id() == main_ || deadline == kernel::kForever)
            return FakeClock::WaitUntil(lock, cv, deadline, done);
        if (done()) return true;
        if (Now() < deadline) Set(deadline);
        return done();
    }

private:
    std::thread::id main_ = std::this_thread::get_id();
};

class OrImageGif : public ControlFixture {
protected:
    void SetUp() override {
        before_ = SetGIFPainterMaker(GIFPainterMaker());
        ControlFixture::SetUp();
        form_->SetColor(clWhite);
        image_ = CreateComponent<TOrImage>(form_);
        image_->SetBounds(10, 10, 40, 40);
        image_->SetParent(form_);
        ShowForm();
    }
    void TearDown() override {
        ControlFixture::TearDown();
        EXPECT_TRUE(Serve([] { return LivePainterCount() == 0; }));
        SetGIFPainterMaker(before_);
    }
    // Serves the painters' synchronised calls until done() holds; the real-time limit only
    // keeps a broken painter from hanging the suite.
    static bool Serve(const std::function<bool()>& done) {
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (!done()) {
            if (std::chrono::steady_clock::now() > giveUp) return false;
            if (!CheckSynchronize()) std::this_thread::yield();
        }
        return true;
    }
    // Two 8 x 8 frames: red, then blue.
    static ObjectPtr<TGIFGraphic> Animation() {
        ObjectPtr<TGIFGraphic> gif = MakeObject<TGIFGraphic>();
        gif->SetPaintOptions(gif->PaintOptions() & ~drDither);
        for (Rgb colour : {Rgb{255, 0, 0}, Rgb{0, 0, 255}}) {
            ObjectPtr<TBitmap> frame = MakePicture(8, 8, [&](int, int) { return colour; });
            gif->AddFrame(frame.get());
        }
        return gif;
    }
    COLORREF At(int x, int y) {
        return HeadlessBackend::WindowPixel(form_->Handle(), 10 + x, 10 + y);
    }

    SleepThroughClock clock_;
    kernel::ScopedClock clockScope_{clock_};
    TOrImage* image_ = nullptr;

private:
    TGIFPainterMaker before_;
};

TEST_F(OrImageGif, AnAnimationGivenAsTheOriginalBecomesItsFirstFrame) {
    ObjectPtr<TGIFGraphic> gif = Animation();
    ASSERT_EQ(gif->Frames().Count(), 2);
    image_->SetPicBrightness(-55);
    image_->PictureOriginal()->SetGraphic(gif.get());
    TBitmap* original = OriginalBitmap(image_);
    ASSERT_NE(original, nullptr);
    EXPECT_EQ(original->PixelFormat(), pf24bit);
    EXPECT_EQ(original->Width(), 8);
    EXPECT_EQ(original->Height(), 8);
    EXPECT_EQ(PixelAt(original, 7, 7), (Rgb{255, 0, 0}));
    EXPECT_EQ(PixelAt(AdjustedBitmap(image_), 0, 0), (Rgb{200, 0, 0}));
    // The copy that was drawn is gone, and its painters with it.
    EXPECT_TRUE(Serve([] { return LivePainterCount() == 0; }));
}

TEST_F(OrImageGif, AnAnimationInTheAdjustedPictureIsPlayedByItsPainter) {
    ObjectPtr<TGIFGraphic> gif = Animation();
    image_->AdjustedPicture()->SetGraphic(gif.get());
    Pump();
    // The painter shows frame 0, then frame 1; each frame it draws repaints the view.
    EXPECT_TRUE(Serve([&] {
        HeadlessBackend::PumpMessages();
        return At(3, 3) == RGB(0, 0, 255);
    }));
    EXPECT_EQ(At(20, 20), COLORREF(clWhite));
}

} // namespace
