// The picture view's properties and pictures: clamping, the values that clear each other,
// conversion of what it is given, and when its effect and noise caches are reused or made
// again.
#include "OrImageTestUtil.h"

#include "framework/Jpeg.h"

#include <functional>
#include <vector>

namespace {

using namespace orimagetest;

// A picture format of its own: draws a fixed two-colour pattern and counts its draws.
class TStripesGraphic : public TGraphic {
    KORVID_GRAPHIC_CLASS(TStripesGraphic, TGraphic)

    int width = 6, height = 4;
    static inline int draws = 0;

    void Assign(TPersistent* Source) override {
        if (auto* g = dynamic_cast<TStripesGraphic*>(Source)) {
            width = g->width;
            height = g->height;
            return;
        }
        inherited::Assign(Source);
    }
    void Draw(TCanvas* ACanvas, const TRect& R) override {
        ++draws;
        for (int x = 0; x < width; ++x) {
            ACanvas->Brush()->SetColor(x % 2 ? clRed : clBlue);
            ACanvas->FillRect(Rect(R.left + x, R.top, R.left + x + 1, R.top + height));
        }
    }
    void LoadFromStream(TStream&) override {}
    void SaveToStream(TStream&) override {}
    void SetWidth(int v) override { width = v; }
    void SetHeight(int v) override { height = v; }

protected:
    bool GetEmpty() const override { return false; }
    int GetWidth() const override { return width; }
    int GetHeight() const override { return height; }
};

// Drawing fails while failing is set, as a damaged picture's decoder would.
class TFailingGraphic : public TStripesGraphic {
    KORVID_GRAPHIC_CLASS(TFailingGraphic, TStripesGraphic)
    static inline bool failing = true;
    void Draw(TCanvas* ACanvas, const TRect& R) override {
        if (failing) throw EInvalidGraphic("Picture is damaged");
        inherited::Draw(ACanvas, R);
    }
};

class OrImageState : public OrImageFixture {
protected:
    void ShowPattern(int w, int h) {
        picture_ = MakePicture(w, h, Pattern);
        Show(picture_.get());
    }
    ObjectPtr<TBitmap> picture_;
};

TEST_F(OrImageState, SettersClampToTheirRanges) {
    ShowPattern(30, 20);
    struct Case {
        const char* name;
        void (TOrImage::*set)(int);
        int (TOrImage::*get)() const;
        int value, stored;
    };
    const Case cases[] = {
        {"brightness high", &TOrImage::SetPicBrightness, &TOrImage::PicBrightness, 300, 255},
        {"brightness low", &TOrImage::SetPicBrightness, &TOrImage::PicBrightness, -300, -255},
        {"contrast low", &TOrImage::SetPicContrast, &TOrImage::PicContrast, -300, -255},
        {"contrast high is kept", &TOrImage::SetPicContrast, &TOrImage::PicContrast, 1000, 1000},
        {"lightness high", &TOrImage::SetPicLightness, &TOrImage::PicLightness, 256, 255},
        {"lightness low is kept", &TOrImage::SetPicLightness, &TOrImage::PicLightness, -999, -999},
        {"darkness high", &TOrImage::SetPicDarkness, &TOrImage::PicDarkness, 900, 255},
        {"saturation low", &TOrImage::SetPicSaturation, &TOrImage::PicSaturation, -256, -255},
        {"split light high", &TOrImage::SetPicSplitlight, &TOrImage::PicSplitlight, 11, 10},
        {"split light low", &TOrImage::SetPicSplitlight, &TOrImage::PicSplitlight, -1, 0},
        {"colour noise", &TOrImage::SetPicColorNoise, &TOrImage::PicColorNoise, -5, 0},
        {"mono noise", &TOrImage::SetPicMonoNoise, &TOrImage::PicMonoNoise, -5, 0},
        {"posterize", &TOrImage::SetPicPosterize, &TOrImage::PicPosterize, -1, 0},
        {"solarize high", &TOrImage::SetPicSolorize, &TOrImage::PicSolorize, 300, 255},
        {"solarize low", &TOrImage::SetPicSolorize, &TOrImage::PicSolorize, -3, 0},
        {"mosaic to the larger side", &TOrImage::SetPicMosaic, &TOrImage::PicMosaic, 100, 30},
        {"mosaic low", &TOrImage::SetPicMosaic, &TOrImage::PicMosaic, -4, 0},
        {"split blur", &TOrImage::SetPicSplitBlur, &TOrImage::PicSplitBlur, 256, 255},
        {"gaussian blur", &TOrImage::SetPicGaussianBlur, &TOrImage::PicGaussianBlur, 60, 50},
        {"anti-alias", &TOrImage::SetPicAntiAlias, &TOrImage::PicAntiAlias, 51, 50},
        {"trace", &TOrImage::SetPicTrace, &TOrImage::PicTrace, 11, 10},
        {"tile", &TOrImage::SetPicTile, &TOrImage::PicTile, -1, 0},
    };
    for (const Case& c : cases) {
        (image_.get()->*c.set)(c.value);
        EXPECT_EQ((image_.get()->*c.get)(), c.stored) << c.name;
    }
}

TEST_F(OrImageState, MosaicWithoutAPictureHasNoSideToReach) {
    image_->SetPicMosaic(8);
    EXPECT_EQ(image_->PicMosaic(), 0);
}

TEST_F(OrImageState, ExclusiveValuesClearEachOther) {
    image_->SetPicPosterize(64);
    image_->SetPicSolorize(100);
    EXPECT_EQ(image_->PicPosterize(), 0);
    image_->SetPicPosterize(32);
    EXPECT_EQ(image_->PicSolorize(), 0);
    image_->SetPicMonoNoise(10);
    image_->SetPicColorNoise(20);
    EXPECT_EQ(image_->PicMonoNoise(), 0);
    image_->SetPicMonoNoise(30);
    EXPECT_EQ(image_->PicColorNoise(), 0);
    // Setting one to 0 still clears the other.
    image_->SetPicColorNoise(0);
    EXPECT_EQ(image_->PicMonoNoise(), 0);
}

TEST_F(OrImageState, EachSpatialEffectClearsEveryOther) {
    ShowPattern(30, 20);
    struct Effect {
        const char* name;
        std::function<void(TOrImage*)> on;
        std::function<bool(TOrImage*)> isOn;
    };
    const std::vector<Effect> effects = {
        {"emboss", [](TOrImage* i) { i->SetPicEmboss(true); },
         [](TOrImage* i) { return i->PicEmboss(); }},
        {"mosaic", [](TOrImage* i) { i->SetPicMosaic(3); },
         [](TOrImage* i) { return i->PicMosaic() > 0; }},
        {"split blur", [](TOrImage* i) { i->SetPicSplitBlur(2); },
         [](TOrImage* i) { return i->PicSplitBlur() > 0; }},
        {"gaussian", [](TOrImage* i) { i->SetPicGaussianBlur(1); },
         [](TOrImage* i) { return i->PicGaussianBlur() > 0; }},
        {"anti-alias", [](TOrImage* i) { i->SetPicAntiAlias(1); },
         [](TOrImage* i) { return i->PicAntiAlias() > 0; }},
        {"trace", [](TOrImage* i) { i->SetPicTrace(1); },
         [](TOrImage* i) { return i->PicTrace() > 0; }},
        {"tile", [](TOrImage* i) { i->SetPicTile(2); },
         [](TOrImage* i) { return i->PicTile() > 0; }},
    };
    for (const Effect& first : effects)
        for (const Effect& second : effects) {
            if (&first == &second) continue;
            first.on(image_.get());
            second.on(image_.get());
            EXPECT_TRUE(second.isOn(image_.get())) << first.name << " then " << second.name;
            for (const Effect& other : effects) {
                if (&other == &second) continue;
                EXPECT_FALSE(other.isOn(image_.get()))
                    << first.name << " then " << second.name << ": " << other.name;
            }
        }
}

TEST_F(OrImageState, EverySetterRecomputesEvenWithTheSameValue) {
    ShowPattern(4, 4);
    image_->SetPicBrightness(20);
    // A change made behind the control's back shows once any value is set again.
    SetPixelAt(OriginalBitmap(image_.get()), 1, 1, Rgb{10, 10, 10});
    EXPECT_NE(PixelAt(Adjusted(), 1, 1), (Rgb{30, 30, 30}));
    image_->SetPicBrightness(20);
    EXPECT_EQ(PixelAt(Adjusted(), 1, 1), (Rgb{30, 30, 30}));
}

TEST_F(OrImageState, PublishedPropertiesSetByNameGoThroughTheSetters) {
    ShowPattern(2, 2);
    const PropertyInfo* brightness = image_->ClassType().FindProperty("picbrightness");
    ASSERT_NE(brightness, nullptr);
    brightness->SetOrdinal(*image_, 400);
    EXPECT_EQ(image_->PicBrightness(), 255);
    EXPECT_EQ(PixelAt(Adjusted(), 0, 0), (Rgb{255, 255, 255}));
    const PropertyInfo* effects = image_->ClassType().FindProperty("PictureEffects");
    ASSERT_NE(effects, nullptr);
    effects->SetText(*image_, "anything");
    EXPECT_EQ(image_->PictureEffects(), "anything");
}

TEST_F(OrImageState, AnyPictureBecomesA24BitBitmapOriginal) {
    struct Case {
        const char* name;
        std::function<ObjectPtr<TGraphic>()> make;
        int width, height;
    };
    const Case cases[] = {
        {"8-bit bitmap",
         [] {
             ObjectPtr<TBitmap> b = MakePicture(5, 3, Pattern);
             b->SetPixelFormat(pf8bit);
             return ObjectPtr<TGraphic>(b.release());
         },
         5, 3},
        {"own format", [] { return ObjectPtr<TGraphic>(CreateObject<TStripesGraphic>()); }, 6, 4},
        {"JPEG",
         [] {
             ObjectPtr<TBitmap> b = MakePicture(9, 7, Pattern);
             ObjectPtr<TJPEGImage> j = MakeObject<TJPEGImage>();
             j->Assign(b.get());
             return ObjectPtr<TGraphic>(j.release());
         },
         9, 7},
    };
    for (const Case& c : cases) {
        ObjectPtr<TGraphic> graphic = c.make();
        image_->PictureOriginal()->SetGraphic(graphic.get());
        TBitmap* original = OriginalBitmap(image_.get());
        ASSERT_NE(original, nullptr) << c.name;
        EXPECT_EQ(original->PixelFormat(), pf24bit) << c.name;
        EXPECT_EQ(original->Width(), c.width) << c.name;
        EXPECT_EQ(original->Height(), c.height) << c.name;
        ASSERT_NE(Adjusted(), nullptr) << c.name;
        EXPECT_EQ(Adjusted()->PixelFormat(), pf24bit) << c.name;
        EXPECT_EQ(Checksum(Adjusted()), Checksum(original)) << c.name;
    }
}

TEST_F(OrImageState, AnOwnFormatIsDrawnOnceIntoTheOriginal) {
    TStripesGraphic::draws = 0;
    ObjectPtr<TStripesGraphic> stripes = MakeObject<TStripesGraphic>();
    image_->SetPicInvert(true);
    image_->PictureOriginal()->SetGraphic(stripes.get());
    EXPECT_EQ(TStripesGraphic::draws, 1);
    EXPECT_EQ(PixelAt(OriginalBitmap(image_.get()), 0, 0), (Rgb{0, 0, 255}));
    EXPECT_EQ(PixelAt(OriginalBitmap(image_.get()), 1, 3), (Rgb{255, 0, 0}));
    EXPECT_EQ(PixelAt(Adjusted(), 1, 3), (Rgb{0, 255, 255}));
}

TEST_F(OrImageState, AFailedConversionKeepsThePictureAndItsNotices) {
    TFailingGraphic::failing = true;
    ObjectPtr<TFailingGraphic> damaged = MakeObject<TFailingGraphic>();
    EXPECT_THROW(image_->PictureOriginal()->SetGraphic(damaged.get()), EInvalidGraphic);
    TGraphic* kept = image_->PictureOriginal()->Graphic();
    ASSERT_NE(dynamic_cast<TFailingGraphic*>(kept), nullptr);
    // Its next change is heard and converts it: nothing was left half-way.
    TFailingGraphic::failing = false;
    kept->Changed(kept);
    TBitmap* original = OriginalBitmap(image_.get());
    ASSERT_NE(original, nullptr);
    EXPECT_EQ(original->Width(), 6);
    ASSERT_NE(Adjusted(), nullptr);
    EXPECT_EQ(PixelAt(Adjusted(), 1, 0), (Rgb{255, 0, 0}));
}

TEST_F(OrImageState, ClearingTheOriginalClearsTheAdjustedPicture) {
    ShowPattern(5, 5);
    image_->SetPicEmboss(true);
    image_->PictureOriginal()->SetGraphic(nullptr);
    EXPECT_EQ(image_->AdjustedPicture()->Graphic(), nullptr);
    // Setters on an empty view do nothing harmful; the effect comes back with a picture.
    image_->SetPicBrightness(5);
    ShowPattern(5, 5);
    ObjectPtr<TBitmap> embossed = MakePicture(5, 5, Pattern);
    ObjectPtr<TOrImage> reference(CreateComponent<TOrImage>(nullptr));
    reference->SetPicBrightness(5);
    reference->PictureOriginal()->SetGraphic(embossed.get());
    reference->SetPicEmboss(true);
    EXPECT_EQ(Checksum(Adjusted()), Checksum(AdjustedBitmap(reference.get())));
}

TEST_F(OrImageState, BrightnessReusesTheEffectCacheUntilTheOriginalChanges) {
    ShowPattern(8, 6);
    image_->SetPicEmboss(true);
    const std::uint32_t embossed = Checksum(Adjusted());
    // Pixels changed without notice are not seen: the effect is not made again.
    TBitmap* original = OriginalBitmap(image_.get());
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 8; ++x)
            SetPixelAt(original, x, y, Rgb{0, 0, 0});
    image_->SetPicBrightness(1);
    image_->SetPicBrightness(0);
    EXPECT_EQ(Checksum(Adjusted()), embossed);
    // A new original drops the cache; the effect is made from the new pixels.
    ObjectPtr<TBitmap> black = MakePicture(8, 6, [](int, int) { return Rgb{0, 0, 0}; });
    Show(black.get());
    EXPECT_TRUE(image_->PicEmboss());
    EXPECT_EQ(PixelAt(Adjusted(), 3, 2), (Rgb{127, 127, 127}));
    // Switched off, the adjusted picture is the original again.
    image_->SetPicEmboss(false);
    EXPECT_EQ(PixelAt(Adjusted(), 3, 2), (Rgb{0, 0, 0}));
}

TEST_F(OrImageState, NoiseIsDrawnOnceAndAgainForANewOriginal) {
    ShowPattern(12, 9);
    image_->SetPicColorNoise(80);
    const std::uint32_t noisy = Checksum(Adjusted());
    image_->SetPicBrightness(7);
    image_->SetPicBrightness(0);
    EXPECT_EQ(Checksum(Adjusted()), noisy);
    ShowPattern(12, 9);
    EXPECT_EQ(image_->PicColorNoise(), 80);
    EXPECT_NE(Checksum(Adjusted()), noisy);
}

// Caches made for one size must never be read for another: the original is resized here
// with its notice held back, as code that swaps the picture's handlers could do.
TEST_F(OrImageState, CachesOfAnotherSizeAreMadeAgain) {
    struct Case {
        const char* name;
        std::function<void(TOrImage*)> set;
        int width, height;
    };
    const Case cases[] = {
        {"noise, larger", [](TOrImage* i) { i->SetPicMonoNoise(1); }, 40, 30},
        {"noise, smaller", [](TOrImage* i) { i->SetPicColorNoise(1); }, 3, 2},
        {"emboss, larger", [](TOrImage* i) { i->SetPicEmboss(true); }, 31, 17},
        {"mosaic, smaller", [](TOrImage* i) { i->SetPicMosaic(4); }, 2, 9},
        {"tile, larger", [](TOrImage* i) { i->SetPicTile(2); }, 64, 48},
    };
    for (const Case& c : cases) {
        ShowPattern(10, 8);
        image_->SetPicBrightness(0);
        c.set(image_.get());
        TPicture* original = image_->PictureOriginal();
        TNotifyEvent notice = std::move(original->OnChange);
        original->OnChange = nullptr;
        OriginalBitmap(image_.get())->SetSize(c.width, c.height);
        original->OnChange = std::move(notice);
        image_->SetPicBrightness(-255);
        ASSERT_NE(Adjusted(), nullptr) << c.name;
        EXPECT_EQ(Adjusted()->Width(), c.width) << c.name;
        EXPECT_EQ(Adjusted()->Height(), c.height) << c.name;
        EXPECT_EQ(PixelAt(Adjusted(), c.width - 1, c.height - 1), (Rgb{0, 0, 0})) << c.name;
    }
}

TEST_F(OrImageState, AnOriginalOfAnotherFormatIsTakenAsNew) {
    ShowPattern(6, 5);
    image_->SetPicEmboss(true);
    TPicture* original = image_->PictureOriginal();
    TNotifyEvent notice = std::move(original->OnChange);
    original->OnChange = nullptr;
    OriginalBitmap(image_.get())->SetPixelFormat(pf8bit);
    original->OnChange = std::move(notice);
    image_->SetPicBrightness(-255);
    EXPECT_EQ(OriginalBitmap(image_.get())->PixelFormat(), pf24bit);
    ASSERT_NE(Adjusted(), nullptr);
    EXPECT_EQ(Adjusted()->PixelFormat(), pf24bit);
    EXPECT_EQ(PixelAt(Adjusted(), 5, 4), (Rgb{0, 0, 0}));
}

TEST_F(OrImageState, AnAdjustedPictureResizedFromOutsideIsMadeAgain) {
    ShowPattern(6, 5);
    Adjusted()->SetSize(2, 2);
    image_->SetPicBrightness(255);
    ASSERT_NE(Adjusted(), nullptr);
    EXPECT_EQ(Adjusted()->Width(), 6);
    EXPECT_EQ(Adjusted()->Height(), 5);
    EXPECT_EQ(PixelAt(Adjusted(), 5, 4), (Rgb{255, 255, 255}));
}

TEST_F(OrImageState, DragModeAndCursorArePublishedByName) {
    EXPECT_EQ(GetOrdProp(image_.get(), "DragCursor"), crDrag);
    SetOrdProp(image_.get(), "DragMode", dmAutomatic);
    SetOrdProp(image_.get(), "DragCursor", crHandPoint);
    EXPECT_EQ(image_->DragMode(), dmAutomatic);
    EXPECT_EQ(image_->DragCursor(), crHandPoint);
}

} // namespace
