// Animated GIFs and the picture view, with the real animation painter: a GIF given as the
// original is drawn once into a 24-bit bitmap (its first frame) and leaves no painter behind;
// a GIF in the adjusted picture is painted by its own painter, and the view's end stops it.
#include "OrImageTestUtil.h"

#include "framework/ControlTestUtil.h"
#include "gif/GIFGraphic.h"
#include "gif/GIFPainter.h"
#include "platform/kernel/Clock.h"
#include "rtl/Thread.h"
#include "support/ServeSynchronize.h"
#include "support/SleepThroughClock.h"

namespace {

using headless::HeadlessBackend;
using namespace orimagetest;

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
        EXPECT_TRUE(test_support::ServeSynchronizeUntil([] { return LivePainterCount() == 0; }));
        SetGIFPainterMaker(before_);
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

    test_support::SleepThroughClock clock_;
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
    EXPECT_TRUE(test_support::ServeSynchronizeUntil([] { return LivePainterCount() == 0; }));
}

TEST_F(OrImageGif, AnAnimationInTheAdjustedPictureIsPlayedByItsPainter) {
    ObjectPtr<TGIFGraphic> gif = Animation();
    image_->AdjustedPicture()->SetGraphic(gif.get());
    Pump();
    // The painter shows frame 0, then frame 1; each frame it draws repaints the view.
    EXPECT_TRUE(test_support::ServeSynchronizeUntil([&] {
        HeadlessBackend::PumpMessages();
        return At(3, 3) == RGB(0, 0, 255);
    }));
    EXPECT_EQ(At(20, 20), COLORREF(clWhite));
}

} // namespace
