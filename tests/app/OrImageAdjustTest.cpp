// The picture view's per-pixel arithmetic: every adjustment alone and in its place in the
// order, with the rounding and truncation rules at the edges.
#include "OrImageTestUtil.h"

#include <algorithm>
#include <functional>
#include <vector>

namespace {

using namespace orimagetest;

struct ToneCase {
    const char* name;
    std::function<void(TOrImage*)> set;
    Rgb in;
    Rgb out;
};

// A fresh control per case, showing a 1 x 1 picture of the case's colour.
Rgb Adjust(const ToneCase& c, bool throughNoisePath) {
    headless::HeadlessSession session;
    ObjectPtr<TOrImage> image(CreateComponent<TOrImage>(nullptr));
    ObjectPtr<TBitmap> picture = MakePicture(1, 1, [&](int, int) { return c.in; });
    image->PictureOriginal()->SetGraphic(picture.get());
    // Mono noise of 1 draws only zeros: same result, but through the per-pixel noise path.
    if (throughNoisePath) image->SetPicMonoNoise(1);
    c.set(image.get());
    return PixelAt(AdjustedBitmap(image.get()), 0, 0);
}

const std::vector<ToneCase>& ToneCases() {
    static const std::vector<ToneCase> cases = {
        {"brightness 20 clamps at 255",
         [](TOrImage* i) { i->SetPicBrightness(20); },
         {250, 100, 0},
         {255, 120, 20}},
        {"brightness -255 is black",
         [](TOrImage* i) { i->SetPicBrightness(-255); },
         {255, 254, 128},
         {0, 0, 0}},
        {"brightness 255 is white",
         [](TOrImage* i) { i->SetPicBrightness(255); },
         {0, 1, 128},
         {255, 255, 255}},
        // Halves go to the even multiple: 96/64 = 1.5 -> 2, 32/64 = 0.5 -> 0, 160/64 -> 2.
        {"posterize 64 rounds halves to even",
         [](TOrImage* i) { i->SetPicPosterize(64); },
         {96, 32, 160},
         {128, 0, 128}},
        // 255/64 rounds up to 4, i.e. 256, which only the final clamp brings back.
        {"posterize past 255 is clamped",
         [](TOrImage* i) { i->SetPicPosterize(64); },
         {255, 31, 33},
         {255, 0, 64}},
        {"posterize then brightness",
         [](TOrImage* i) {
             i->SetPicPosterize(64);
             i->SetPicBrightness(20);
         },
         {96, 32, 100},
         {148, 20, 148}},
        {"posterize larger than twice a channel gives 0",
         [](TOrImage* i) { i->SetPicPosterize(510); },
         {255, 200, 1},
         {0, 0, 0}},
        // Average 156 > 255 - 100: every channel inverted.
        {"solarize 100 inverts an average of 156",
         [](TOrImage* i) { i->SetPicSolorize(100); },
         {200, 100, 168},
         {55, 155, 87}},
        {"solarize 100 keeps an average of 155",
         [](TOrImage* i) { i->SetPicSolorize(100); },
         {200, 100, 165},
         {200, 100, 165}},
        // 255 * |127 - c| div 255, negative at or below 127.
        {"contrast 255", [](TOrImage* i) { i->SetPicContrast(255); }, {0, 127, 128}, {0, 127, 129}},
        // 100 * 73 / 255 = 28.6 -> 28 up; 100 * 77 / 255 = 30.2 -> 30 down; 100 * 27 / 255 = 10.6
        // -> 10.
        {"contrast 100 truncates",
         [](TOrImage* i) { i->SetPicContrast(100); },
         {200, 50, 100},
         {228, 20, 90}},
        {"contrast -255 pulls to the middle",
         [](TOrImage* i) { i->SetPicContrast(-255); },
         {200, 50, 255},
         {127, 127, 127}},
        // 100 * 200 / 255 = 78.4 -> 78; -100 * 100 / 255 = -39.2 -> -39 (toward zero).
        {"lightness both ways",
         [](TOrImage* i) { i->SetPicLightness(100); },
         {55, 255, 0},
         {133, 255, 100}},
        {"negative lightness truncates toward zero",
         [](TOrImage* i) { i->SetPicLightness(-100); },
         {155, 0, 255},
         {116, 0, 255}},
        // -(200 * 100) / 255 = -78.4 -> -78; with -100: +39.2 -> +39.
        {"darkness", [](TOrImage* i) { i->SetPicDarkness(100); }, {200, 0, 255}, {122, 0, 155}},
        {"negative darkness brightens",
         [](TOrImage* i) { i->SetPicDarkness(-100); },
         {100, 200, 0},
         {139, 255, 0}},
        // round(sin(c / 255 * pi / 2) * 255), once and twice.
        {"split light once",
         [](TOrImage* i) { i->SetPicSplitlight(1); },
         {64, 128, 200},
         {98, 181, 241}},
        {"split light twice",
         [](TOrImage* i) { i->SetPicSplitlight(2); },
         {64, 128, 1},
         {145, 229, 3}},
        // 0.3 * 10 + 0.59 * 20 + 0.11 * 30 = 18.1.
        {"gray scale", [](TOrImage* i) { i->SetPicGrayScale(true); }, {10, 20, 30}, {18, 18, 18}},
        // 1.5 -> 2 and 4.5 -> 4: halves to even, exactly.
        {"gray scale rounds a half up to even",
         [](TOrImage* i) { i->SetPicGrayScale(true); },
         {5, 0, 0},
         {2, 2, 2}},
        {"gray scale rounds a half down to even",
         [](TOrImage* i) { i->SetPicGrayScale(true); },
         {15, 0, 0},
         {4, 4, 4}},
        {"saturation 255 doubles the distance to the mean",
         [](TOrImage* i) { i->SetPicSaturation(255); },
         {100, 150, 200},
         {50, 150, 250}},
        {"saturation -255 is the mean",
         [](TOrImage* i) { i->SetPicSaturation(-255); },
         {100, 150, 200},
         {150, 150, 150}},
        // (100 - 150) * 355 / 255 = -69.6 -> -69; (200 - 150) * 355 / 255 = 69.6 -> 69.
        {"saturation 100 truncates toward zero",
         [](TOrImage* i) { i->SetPicSaturation(100); },
         {100, 150, 200},
         {81, 150, 219}},
        // Mean 118: (100 - 118) * 1255 / 255 = -88.6 -> -88, so green becomes 30.
        {"saturation clamps",
         [](TOrImage* i) { i->SetPicSaturation(1000); },
         {0, 100, 255},
         {0, 30, 255}},
        {"invert", [](TOrImage* i) { i->SetPicInvert(true); }, {10, 20, 30}, {245, 235, 225}},
        // Brightness first (255, 120, 20), gray 149.5 -> 150, then inverted.
        {"brightness, gray scale and invert in order",
         [](TOrImage* i) {
             i->SetPicBrightness(20);
             i->SetPicGrayScale(true);
             i->SetPicInvert(true);
         },
         {250, 100, 0},
         {105, 105, 105}},
        // Gray scale wins over saturation.
        {"gray scale before saturation",
         [](TOrImage* i) {
             i->SetPicSaturation(255);
             i->SetPicGrayScale(true);
         },
         {10, 20, 30},
         {18, 18, 18}},
        // The terms add up before one clamp: 200 + 28 (contrast) + 21 (lightness) - 78 (darkness)
        // + 10.
        {"terms add before clamping",
         [](TOrImage* i) {
             i->SetPicContrast(100);
             i->SetPicLightness(100);
             i->SetPicDarkness(100);
             i->SetPicBrightness(10);
         },
         {200, 200, 200},
         {181, 181, 181}},
        // Huge values must not overflow: contrast and lightness saturate the sum.
        {"extreme contrast does not overflow",
         [](TOrImage* i) { i->SetPicContrast(2147483647); },
         {255, 0, 127},
         {255, 0, 127}},
        {"extreme lightness does not overflow",
         [](TOrImage* i) { i->SetPicLightness(-2147483647 - 1); },
         {254, 255, 0},
         {0, 255, 0}},
        {"extreme saturation does not overflow",
         [](TOrImage* i) { i->SetPicSaturation(2147483647); },
         {100, 101, 102},
         {0, 101, 255}},
    };
    return cases;
}

TEST(OrImageAdjust, EachAdjustmentGivesTheExactValues) {
    for (const ToneCase& c : ToneCases())
        EXPECT_EQ(Adjust(c, false), c.out) << c.name;
}

TEST(OrImageAdjust, TheNoisePathComputesTheSameValues) {
    for (const ToneCase& c : ToneCases())
        EXPECT_EQ(Adjust(c, true), c.out) << c.name;
}

class OrImageAdjustPicture : public OrImageFixture {};

TEST_F(OrImageAdjustPicture, BrightnessReachesEveryPixelOfAnOddSizedPicture) {
    // An odd width makes rows padded, a tall picture makes the pass walk every row.
    ObjectPtr<TBitmap> picture = MakePicture(7, 5, Pattern);
    Show(picture.get());
    image_->SetPicBrightness(20);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x) {
            const Rgb p = Pattern(x, y);
            const Rgb want{std::min(p.r + 20, 255), std::min(p.g + 20, 255),
                           std::min(p.b + 20, 255)};
            ASSERT_EQ(PixelAt(Adjusted(), x, y), want) << x << "," << y;
        }
    // The original stays as given.
    EXPECT_EQ(Checksum(OriginalBitmap(image_.get())), Checksum(picture.get()));
}

TEST_F(OrImageAdjustPicture, BrightnessAloneIsAClampedAddForEveryByteValue) {
    // Every value in every channel, rows long enough for the many-bytes-at-a-time path and
    // 257 wide so that a few bytes are left over at the end of each row.
    ObjectPtr<TBitmap> picture = MakePicture(257, 3, [](int x, int y) {
        return Rgb{x % 256, (x + 85 * y) % 256, 255 - x % 256};
    });
    Show(picture.get());
    for (int b : {-255, -128, -1, 0, 1, 20, 127, 254, 255}) {
        image_->SetPicBrightness(b);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 257; ++x) {
                const Rgb p = PixelAt(picture.get(), x, y);
                const auto add = [b](int c) { return std::clamp(c + b, 0, 255); };
                ASSERT_EQ(PixelAt(Adjusted(), x, y), (Rgb{add(p.r), add(p.g), add(p.b)}))
                    << "brightness " << b << " at " << x << "," << y;
            }
    }
}

// The next picture of the same size goes into the adjusted picture there is: every pixel of it
// is the new picture's, with rows padded and not.
TEST_F(OrImageAdjustPicture, ANextPictureOfTheSameSizeReplacesEveryAdjustedPixel) {
    for (int width : {8, 7}) {
        image_->SetPicBrightness(20);
        ObjectPtr<TBitmap> first = MakePicture(width, 3, Pattern);
        Show(first.get());
        TBitmap* kept = Adjusted();
        ObjectPtr<TBitmap> next =
            MakePicture(width, 3, [](int x, int y) { return Pattern(y * 3 + 1, x + 5); });
        Show(next.get());
        EXPECT_EQ(Adjusted(), kept) << width;
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < width; ++x) {
                const Rgb p = PixelAt(next.get(), x, y);
                const Rgb want{std::min(p.r + 20, 255), std::min(p.g + 20, 255),
                               std::min(p.b + 20, 255)};
                ASSERT_EQ(PixelAt(Adjusted(), x, y), want) << width << ": " << x << "," << y;
            }
    }
}

TEST_F(OrImageAdjustPicture, AdjustmentsSetBeforeThePictureApplyWhenItArrives) {
    image_->SetPicBrightness(-30);
    image_->SetPicInvert(true);
    ObjectPtr<TBitmap> picture = MakePicture(3, 2, [](int x, int) { return Rgb{100 + x, 50, 20}; });
    Show(picture.get());
    EXPECT_EQ(PixelAt(Adjusted(), 2, 1), (Rgb{255 - 72, 255 - 20, 255}));
}

TEST_F(OrImageAdjustPicture, NoiseIsAddedNeverSubtractedAndMonoNoiseIsGray) {
    ObjectPtr<TBitmap> picture = MakePicture(16, 16, [](int, int) { return Rgb{100, 100, 100}; });
    Show(picture.get());
    struct Case {
        const char* name;
        bool mono;
    };
    for (const Case c : {Case{"colour", false}, Case{"mono", true}}) {
        if (c.mono)
            image_->SetPicMonoNoise(60);
        else
            image_->SetPicColorNoise(60);
        // Draws of 0 .. 59 less 30, negatives kept as 0: additions of 0 .. 29.
        bool someAdded = false, channelsDiffer = false;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                const Rgb p = PixelAt(Adjusted(), x, y);
                for (int v : {p.r, p.g, p.b}) {
                    ASSERT_GE(v, 100) << c.name;
                    ASSERT_LE(v, 129) << c.name;
                    someAdded |= v > 100;
                }
                channelsDiffer |= p.r != p.g || p.g != p.b;
            }
        EXPECT_TRUE(someAdded) << c.name;
        EXPECT_EQ(channelsDiffer, !c.mono) << c.name;
    }
}

} // namespace
