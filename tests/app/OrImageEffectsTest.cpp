// The picture view's spatial effects: each rule on a picture small enough to follow by hand,
// every effect on tiny and odd-sized pictures (run in the sanitizer build, this shows that
// no effect reads or writes outside the picture), and one golden picture per effect.
#include "OrImageTestUtil.h"

#include "app/OrImageEffects.h"

#include <algorithm>
#include <functional>
#include <vector>

namespace {

using namespace orimagetest;

// A picture whose red channel holds the given values row by row; green and blue are 0.
ObjectPtr<TBitmap> RedPicture(int width, const std::vector<int>& reds) {
    const int height = int(reds.size()) / width;
    return MakePicture(width, height, [&](int x, int y) {
        return Rgb{reds[size_t(y * width + x)], 0, 0};
    });
}

std::vector<int> Reds(TBitmap* bitmap) {
    std::vector<int> out;
    for (int y = 0; y < bitmap->Height(); ++y)
        for (int x = 0; x < bitmap->Width(); ++x)
            out.push_back(PixelAt(bitmap, x, y).r);
    return out;
}

TEST(OrImageEffects, EmbossAveragesWithTheInversePartner) {
    // 5 x 2: row 0 takes row 1 three columns on (its own column in the last three); row 1
    // takes the embossed row 0 in the same way.
    ObjectPtr<TBitmap> b = RedPicture(5, {100, 100, 100, 100, 100, 0, 10, 20, 30, 40});
    EmbossBitmap(b.get());
    // Row 0: (100 + 255 - 30) / 2 = 162, (100 + 255 - 40) / 2 = 157, then own columns
    // 2..4: (100 + 255 - 20) / 2 = 167, 162, 157.
    // Row 1 against the new row 0: (0 + 255 - 162) / 2 = 46, (10 + 255 - 157) / 2 = 54,
    // then (20 + 255 - 167) / 2 = 54, (30 + 93) / 2 = 61, (40 + 98) / 2 = 69.
    EXPECT_EQ(Reds(b.get()), (std::vector<int>{162, 157, 167, 162, 157, 46, 54, 54, 61, 69}));
    // Green was 0 throughout: (0 + 255) / 2 in every pixel of row 0, then (0 + 128) / 2.
    EXPECT_EQ(PixelAt(b.get(), 0, 0).g, 127);
    EXPECT_EQ(PixelAt(b.get(), 4, 1).g, 64);
}

TEST(OrImageEffects, EmbossLeavesASingleRow) {
    ObjectPtr<TBitmap> b = RedPicture(4, {1, 2, 3, 4});
    EmbossBitmap(b.get());
    EXPECT_EQ(Reds(b.get()), (std::vector<int>{1, 2, 3, 4}));
}

TEST(OrImageEffects, MosaicFillsBlocksFromTheirTopLeftPixel) {
    ObjectPtr<TBitmap> b = RedPicture(5, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15});
    MosaicBitmap(b.get(), 2);
    EXPECT_EQ(Reds(b.get()), (std::vector<int>{1, 1, 3, 3, 5, 1, 1, 3, 3, 5, 11, 11, 13, 13, 15}));
    MosaicBitmap(b.get(), 1);
    EXPECT_EQ(Reds(b.get())[1], 1);
}

TEST(OrImageEffects, SplitBlurTakesOwnRowAboveAndTheLastRowBelow) {
    // One row: above and below are the row itself. Left of x is x itself, right of the last
    // column is the last column; pixels to the left are already blurred.
    ObjectPtr<TBitmap> b = RedPicture(3, {0, 100, 200});
    SplitBlurBitmap(b.get(), 1);
    // (0 + 100 + 0 + 100) / 4 = 50; (50 + 200) * 2 / 4 = 125; (125 + 200) * 2 / 4 = 162.
    EXPECT_EQ(Reds(b.get()), (std::vector<int>{50, 125, 162}));
}

TEST(OrImageEffects, SplitBlurFarBeyondThePictureStaysInside) {
    // Distances at and past the size take the nearest edge pixel on both sides.
    ObjectPtr<TBitmap> b = RedPicture(2, {0, 40, 80, 120});
    SplitBlurBitmap(b.get(), 255);
    // (0,0): rows 0 and 1, columns 0 and 1: (0 + 40 + 80 + 120) / 4 = 60; (1,0): own column
    // 1 and last column 1: (40 + 40 + 120 + 120) / 4 = 80; (0,1): own row and last row 1 with
    // column 0 and 1: (80 + 120) * 2 / 4 = 100; (1,1): 120.
    EXPECT_EQ(Reds(b.get()), (std::vector<int>{60, 80, 100, 120}));
}

TEST(OrImageEffects, AntiAliasAveragesTheFourNeighboursInsideTheBorder) {
    ObjectPtr<TBitmap> b = RedPicture(4, {10, 20, 30, 40, 50, 0, 0, 80, 90, 100, 110, 120});
    AntiAliasBitmap(b.get());
    // (20 + 100 + 50 + 0) / 4 = 42, then with the new left neighbour (30 + 110 + 42 + 80) / 4 = 65.
    EXPECT_EQ(Reds(b.get()), (std::vector<int>{10, 20, 30, 40, 50, 42, 65, 80, 90, 100, 110, 120}));
    ObjectPtr<TBitmap> c = RedPicture(3, {0, 0, 0, 0, 0, 200, 0, 40, 0});
    AntiAliasBitmap(c.get());
    EXPECT_EQ(Reds(c.get()), (std::vector<int>{0, 0, 0, 0, 60, 200, 0, 40, 0}));
}

TEST(OrImageEffects, TraceBlackensWhereColoursMeet) {
    // White, white, red, red in two rows.
    const auto twoColours = [](int x, int) { return x < 2 ? Rgb{255, 255, 255} : Rgb{255, 0, 0}; };
    struct Case {
        int passes;
        std::vector<std::pair<int, int>> black;
    };
    const Case cases[] = {
        // Forward only: the first boundary found blackens the left pixel and remembers red.
        {1, {{1, 0}}},
        // The backward sweep: a red pixel next to white blackens the white neighbour.
        {2, {{1, 0}, {1, 1}}},
    };
    for (const Case& c : cases) {
        ObjectPtr<TBitmap> b = MakePicture(4, 2, twoColours);
        TraceBitmap(b.get(), c.passes);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 4; ++x) {
                const bool black =
                    std::find(c.black.begin(), c.black.end(), std::pair{x, y}) != c.black.end();
                EXPECT_EQ(PixelAt(b.get(), x, y), (black ? Rgb{0, 0, 0} : twoColours(x, y)))
                    << c.passes << " passes at " << x << "," << y;
            }
    }
}

TEST(OrImageEffects, ResampleInFixedPoint) {
    struct Case {
        const char* name;
        int sourceWidth;
        std::vector<int> source;
        int targetWidth, targetHeight;
        std::vector<int> want;
    };
    const Case cases[] = {
        // Steps of 2 * 32768 / 4: halfway points between the source pixels.
        {"one row widened", 3, {0, 100, 200}, 4, 1, {0, 50, 100, 150}},
        {"one row narrowed", 3, {0, 100, 200}, 2, 1, {0, 100}},
        // One column: no column to its right is read. Rows step by 2 * 32768 / 5 and
        // truncate: 100 * 13107 / 32768 = 39.99 -> 39.
        {"one column", 1, {0, 100, 200}, 1, 5, {0, 39, 79, 119, 159}},
        {"one pixel", 1, {77}, 3, 2, {77, 77, 77, 77, 77, 77}},
        {"square", 2, {0, 100, 100, 200}, 2, 2, {0, 50, 50, 100}},
    };
    for (const Case& c : cases) {
        ObjectPtr<TBitmap> source = RedPicture(c.sourceWidth, c.source);
        ObjectPtr<TBitmap> target =
            MakePicture(c.targetWidth, c.targetHeight, [](int, int) { return Rgb{}; });
        ResampleBitmap(source.get(), target.get());
        EXPECT_EQ(Reds(target.get()), c.want) << c.name;
    }
}

class OrImageEffectsView : public OrImageFixture {
protected:
    void ShowPattern(int w, int h) {
        picture_ = MakePicture(w, h, Pattern);
        Show(picture_.get());
    }
    ObjectPtr<TBitmap> picture_;
};

TEST_F(OrImageEffectsView, TileSizesAndTheValueKept) {
    struct Case {
        int width, height, value, kept, tileWidth;
    };
    const Case cases[] = {
        {100, 50, 1, 1, 100}, // one whole shrunk copy
        {100, 50, 3, 3, 33},
        {100, 50, 50, 10, 10}, // both sides at the minimum: the larger side div 10
        {100, 50, 9, 9, 11},
    };
    for (const Case& c : cases) {
        ShowPattern(c.width, c.height);
        image_->SetPicTile(c.value);
        EXPECT_EQ(image_->PicTile(), c.kept) << c.value;
        // The picture repeats every tile width along the rows.
        for (int x = c.tileWidth; x < c.width; x += 7)
            ASSERT_EQ(PixelAt(Adjusted(), x, 3), PixelAt(Adjusted(), x % c.tileWidth, 3))
                << c.value << " at " << x;
    }
}

TEST_F(OrImageEffectsView, TileOnAPictureBelowTenPixelsTurnsItselfOff) {
    ShowPattern(8, 6);
    image_->SetPicTile(4);
    EXPECT_EQ(image_->PicTile(), 0);
    EXPECT_EQ(Checksum(Adjusted()), Checksum(picture_.get()));
}

TEST_F(OrImageEffectsView, ValuesOfZeroLeaveThePictureAsItIs) {
    ShowPattern(9, 7);
    const std::uint32_t plain = Checksum(picture_.get());
    const std::vector<std::function<void(TOrImage*)>> offs = {
        [](TOrImage* i) { i->SetPicMosaic(1); },    [](TOrImage* i) { i->SetPicGaussianBlur(0); },
        [](TOrImage* i) { i->SetPicAntiAlias(0); }, [](TOrImage* i) { i->SetPicTrace(0); },
        [](TOrImage* i) { i->SetPicSplitBlur(0); }, [](TOrImage* i) { i->SetPicEmboss(false); },
    };
    for (size_t k = 0; k < offs.size(); ++k) {
        image_->SetPicGaussianBlur(3);
        ASSERT_NE(Checksum(Adjusted()), plain);
        offs[k](image_.get());
        EXPECT_EQ(Checksum(Adjusted()), plain) << k;
    }
}

TEST_F(OrImageEffectsView, MosaicAsLargeAsThePictureFillsItWithTheTopLeftColour) {
    ShowPattern(7, 4);
    image_->SetPicMosaic(1000);
    EXPECT_EQ(image_->PicMosaic(), 7);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 7; ++x)
            ASSERT_EQ(PixelAt(Adjusted(), x, y), Pattern(0, 0));
}

struct NamedEffect {
    const char* name;
    std::function<void(TOrImage*)> set;
};

const std::vector<NamedEffect>& AllEffects() {
    static const std::vector<NamedEffect> effects = {
        {"emboss", [](TOrImage* i) { i->SetPicEmboss(true); }},
        {"mosaic 3", [](TOrImage* i) { i->SetPicMosaic(3); }},
        {"split blur 1", [](TOrImage* i) { i->SetPicSplitBlur(1); }},
        {"split blur 255", [](TOrImage* i) { i->SetPicSplitBlur(255); }},
        {"gaussian blur 2", [](TOrImage* i) { i->SetPicGaussianBlur(2); }},
        {"anti-alias 3", [](TOrImage* i) { i->SetPicAntiAlias(3); }},
        {"trace 3", [](TOrImage* i) { i->SetPicTrace(3); }},
        {"tile 2", [](TOrImage* i) { i->SetPicTile(2); }},
        {"colour noise 50", [](TOrImage* i) { i->SetPicColorNoise(50); }},
        {"mono noise 50", [](TOrImage* i) { i->SetPicMonoNoise(50); }},
    };
    return effects;
}

TEST_F(OrImageEffectsView, EveryEffectStaysInsideTinyAndOddPictures) {
    const std::pair<int, int> sizes[] = {{1, 1}, {1, 6}, {6, 1}, {2, 2},  {3, 1},
                                         {1, 3}, {2, 7}, {4, 4}, {13, 7}, {5, 11}};
    for (const auto& [w, h] : sizes)
        for (const NamedEffect& e : AllEffects()) {
            ShowPattern(w, h);
            e.set(image_.get());
            image_->SetPicBrightness(10);
            ASSERT_NE(Adjusted(), nullptr) << e.name << " " << w << "x" << h;
            EXPECT_EQ(Adjusted()->Width(), w) << e.name;
            EXPECT_EQ(Adjusted()->Height(), h) << e.name;
            image_->SetPicBrightness(0);
            image_->SetPicEmboss(false);
            image_->SetPicColorNoise(0);
        }
}

TEST(OrImageEffects, RoutinesLeaveEmptyAndOtherFormatsAlone) {
    ObjectPtr<TBitmap> empty = MakeObject<TBitmap>();
    ObjectPtr<TBitmap> paletted = MakePicture(4, 4, Pattern);
    paletted->SetPixelFormat(pf8bit);
    for (TBitmap* b : {empty.get(), paletted.get()}) {
        EmbossBitmap(b);
        MosaicBitmap(b, 2);
        SplitBlurBitmap(b, 2);
        GaussianBlurBitmap(b, 2);
        AntiAliasBitmap(b);
        TraceBitmap(b, 2);
        ResampleBitmap(b, b);
    }
    EXPECT_TRUE(empty->Empty());
    EXPECT_EQ(paletted->PixelFormat(), pf8bit);
}

// Golden pictures: each effect on a 23 x 17 picture of 4 x 3 blocks of the pattern (flat
// areas and edges both), brightness 20 on top. Looked at once, enlarged, then fixed by
// checksum: a change to any rule of any effect changes its sum.
TEST_F(OrImageEffectsView, GoldenPictures) {
    const std::uint32_t want[] = {
        4255187447u, // emboss
        3638994513u, // mosaic 3
        2189813667u, // split blur 1
        2147612729u, // split blur 255
        4050352662u, // gaussian blur 2
        1004195577u, // anti-alias 3
        77473359u,   // trace 3
        2491866267u, // tile 2
        1909487993u, // colour noise 50
        88841534u,   // mono noise 50
    };
    for (std::size_t k = 0; k < AllEffects().size(); ++k) {
        ObjectPtr<TOrImage> view(CreateComponent<TOrImage>(nullptr));
        ObjectPtr<TBitmap> picture =
            MakePicture(23, 17, [](int x, int y) { return Pattern(x / 4, y / 3); });
        view->PictureOriginal()->SetGraphic(picture.get());
        AllEffects()[k].set(view.get());
        view->SetPicBrightness(20);
        EXPECT_EQ(Checksum(AdjustedBitmap(view.get())), want[k]) << AllEffects()[k].name;
    }
}

} // namespace
