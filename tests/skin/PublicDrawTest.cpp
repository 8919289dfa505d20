#include "SkinTestUtil.h"

#include "framework/Panel.h"
#include "skin/SKPublic.h"

namespace {

using skin_test::Coded;
using skin_test::PatternBitmap;
using skin_test::PixelOf;
using skin_test::SolidBitmap;

constexpr TColor kUnpainted = 0x00123456;

// The source pixel (x, y) of a Coded bitmap that landed at a destination pixel.
TPoint SourceOf(TColor c) {
    return Point(c & 0xFF, (c >> 8) & 0xFF);
}

TEST(NinePart, WorkedExampleLandsEveryPixel) {
    // A 74 x 21 button piece onto an 80 x 27 client rectangle.
    ObjectPtr<TBitmap> piece = PatternBitmap(74, 21, Coded);
    ObjectPtr<TBitmap> dest = SolidBitmap(80, 27, kUnpainted);
    DrawNinePartBitmap(piece.get(), dest->Canvas(), Rect(0, 0, 80, 27), false);
    // Where each destination pixel must come from, in drawing order (later pieces win).
    auto expected = [](int x, int y) {
        TPoint p{-1, -1};
        auto in = [&](int l, int t, int r, int b) { return x >= l && x < r && y >= t && y < b; };
        if (in(0, 0, 37, 10)) p = Point(x, y);           // top-left corner 37 x 10
        if (in(0, 18, 37, 27)) p = Point(x, y - 6);      // bottom-left 37 x 9
        if (in(0, 10, 37, 18)) p = Point(x, 10);         // left edge: row 10 stretched
        if (in(44, 0, 80, 10)) p = Point(x - 6, y);      // top-right 36 x 10
        if (in(44, 18, 80, 27)) p = Point(x - 6, y - 6); // bottom-right 36 x 9
        if (in(44, 10, 80, 18)) p = Point(x - 6, 11);    // right edge: row 11 stretched
        if (in(37, 0, 44, 10)) p = Point(37, y);         // top edge: column 37 stretched
        if (in(37, 10, 44, 17)) p = Point(37, 10);       // centre
        if (in(36, 17, 44, 27)) p = Point(37, y - 6);    // bottom edge: bottom rows 1:1
        return p;
    };
    for (int y = 0; y < 27; ++y)
        for (int x = 0; x < 80; ++x) {
            TPoint want = expected(x, y);
            TColor got = PixelOf(dest.get(), x, y);
            ASSERT_NE(want.x, -1) << "every pixel is covered, " << x << "," << y;
            ASSERT_NE(got, kUnpainted) << x << "," << y;
            TPoint from = SourceOf(got);
            ASSERT_EQ(from.x, want.x) << "at " << x << "," << y;
            ASSERT_EQ(from.y, want.y) << "at " << x << "," << y;
        }
}

TEST(NinePart, FuchsiaIsSeeThroughInEdgesAlwaysAndInCornersWhenAsked) {
    // Fuchsia in a corner pixel (0, 0) and at the pixel the centre stretches (37, 10).
    auto pattern = [](int x, int y) {
        return (x == 0 && y == 0) || (x == 37 && y == 10) ? clFuchsia : Coded(x, y);
    };
    for (bool transparent : {false, true}) {
        ObjectPtr<TBitmap> piece = PatternBitmap(74, 21, pattern);
        ObjectPtr<TBitmap> dest = SolidBitmap(80, 27, kUnpainted);
        DrawNinePartBitmap(piece.get(), dest->Canvas(), Rect(0, 0, 80, 27), transparent);
        EXPECT_EQ(PixelOf(dest.get(), 40, 13), kUnpainted) << "centre, transparent " << transparent;
        EXPECT_EQ(PixelOf(dest.get(), 0, 0), transparent ? kUnpainted : clFuchsia);
        EXPECT_EQ(SourceOf(PixelOf(dest.get(), 1, 0)).x, 1);
    }
}

TEST(NinePart, DegenerateInputDrawsNothingAndNeverFails) {
    struct Case {
        int bw, bh;
        TRect rect;
    };
    const Case cases[] = {
        {0, 0, Rect(0, 0, 20, 20)},   {74, 21, Rect(0, 0, 0, 0)},  {74, 21, Rect(0, 0, -5, 10)},
        {74, 21, Rect(10, 10, 2, 2)}, {1, 1, Rect(0, 0, 20, 20)},  {2, 2, Rect(0, 0, 1, 1)},
        {74, 20, Rect(0, 0, 80, 27)}, {3, 21, Rect(0, 0, 80, 27)}, {74, 21, Rect(0, 0, 1, 27)},
    };
    for (const Case& c : cases) {
        ObjectPtr<TBitmap> piece = MakeObject<TBitmap>();
        if (c.bw > 0) {
            piece = PatternBitmap(c.bw, c.bh, Coded);
        }
        ObjectPtr<TBitmap> dest = SolidBitmap(30, 30, kUnpainted);
        DrawNinePartBitmap(piece.get(), dest->Canvas(), c.rect, false);
        // Nothing lands outside the rectangle.
        const bool empty = c.rect.right <= c.rect.left || c.rect.bottom <= c.rect.top;
        if (empty || c.bw == 0) {
            EXPECT_EQ(PixelOf(dest.get(), 0, 0), kUnpainted) << c.bw << "x" << c.bh;
        }
        EXPECT_EQ(PixelOf(dest.get(), 29, 29), kUnpainted) << c.bw << "x" << c.bh;
    }
    DrawNinePartBitmap(nullptr, nullptr, Rect(0, 0, 5, 5), true);
}

TEST(Slice, PiecesOfAStrip) {
    ObjectPtr<TBitmap> strip =
        PatternBitmap(342, 19, [](int x, int y) { return TColor(x | y << 16); });
    ObjectPtr<TBitmap> piece = MakeObject<TBitmap>();
    SliceBitmap(strip.get(), piece.get(), 18, 18);
    ASSERT_EQ(piece->Width(), 19);
    ASSERT_EQ(piece->Height(), 19);
    EXPECT_EQ(PixelOf(piece.get(), 0, 0), TColor(323));
    EXPECT_EQ(PixelOf(piece.get(), 18, 18), TColor(341 | 18 << 16));
    // 20 columns into 3 pieces of 6: the last two columns belong to no piece.
    ObjectPtr<TBitmap> odd = PatternBitmap(20, 2, [](int x, int) { return TColor(x); });
    SliceBitmap(odd.get(), piece.get(), 3, 3);
    ASSERT_EQ(piece->Width(), 6);
    EXPECT_EQ(PixelOf(piece.get(), 5, 0), TColor(17));
}

TEST(Slice, CountAndIndexOutsideTheStripLeaveTheDestinationEmpty) {
    ObjectPtr<TBitmap> strip = PatternBitmap(30, 4, Coded);
    const int cases[][2] = {{0, 1}, {0, 0}, {-3, 1}, {3, 0}, {3, 4}, {3, -1}, {31, 1}};
    for (const auto& c : cases) {
        ObjectPtr<TBitmap> piece = SolidBitmap(5, 5, clRed);
        SliceBitmap(strip.get(), piece.get(), c[0], c[1]);
        EXPECT_TRUE(piece->Empty()) << c[0] << "/" << c[1];
    }
}

TEST(Rotate, QuarterTurnsMovePixelsAndComeBack) {
    ObjectPtr<TBitmap> b = PatternBitmap(7, 3, Coded);
    RotateBitmapLeft(b.get());
    ASSERT_EQ(b->Width(), 3);
    ASSERT_EQ(b->Height(), 7);
    // (x, y) goes to (y, width - 1 - x).
    EXPECT_EQ(PixelOf(b.get(), 2, 7 - 1 - 4), Coded(4, 2));
    EXPECT_EQ(PixelOf(b.get(), 0, 6), Coded(0, 0));
    RotateBitmapRight(b.get());
    ASSERT_EQ(b->Width(), 7);
    ASSERT_EQ(b->Height(), 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 7; ++x)
            EXPECT_EQ(PixelOf(b.get(), x, y), Coded(x, y));
    ObjectPtr<TBitmap> r = PatternBitmap(7, 3, Coded);
    RotateBitmapRight(r.get());
    EXPECT_EQ(PixelOf(r.get(), 3 - 1 - 2, 4), Coded(4, 2)); // (x, y) goes to (h - 1 - y, x)
}

TEST(Tiled, TilesStartAtTheOriginAndRunPastTheRectangle) {
    ObjectPtr<TPicture> picture = MakeObject<TPicture>();
    picture->Bitmap()->Assign(SolidBitmap(8, 8, clBlue).get());
    ObjectPtr<TBitmap> dest = SolidBitmap(40, 40, kUnpainted);
    DrawTiled(dest->Canvas(), picture.get(), Rect(5, 5, 25, 25));
    EXPECT_EQ(PixelOf(dest.get(), 0, 0), clBlue);
    EXPECT_EQ(PixelOf(dest.get(), 31, 31), clBlue) << "tiles at 0, 8, 16 and 24";
    EXPECT_EQ(PixelOf(dest.get(), 32, 5), kUnpainted);
    EXPECT_EQ(PixelOf(dest.get(), 5, 32), kUnpainted);
    ObjectPtr<TPicture> empty = MakeObject<TPicture>();
    DrawTiled(dest->Canvas(), empty.get(), Rect(0, 0, 40, 40));
}

TEST(ThreePart, EndsKeepTheirSizeAndTheMiddleStretches) {
    // Three 3 x 2 pieces: red, green, blue, with a fuchsia pixel in the left end.
    auto pattern = [](int x, int y) {
        if (x == 0 && y == 1) return clFuchsia;
        return x < 3 ? clRed : x < 6 ? clLime : clBlue;
    };
    ObjectPtr<TBitmap> strip = PatternBitmap(9, 2, pattern);
    ObjectPtr<TBitmap> dest = SolidBitmap(30, 4, kUnpainted);
    DrawThreePartBitmap(strip.get(), dest->Canvas(), Rect(5, 1, 25, 3), false);
    EXPECT_EQ(PixelOf(dest.get(), 5, 1), clRed);
    EXPECT_EQ(PixelOf(dest.get(), 5, 2), kUnpainted) << "clFuchsia is the mask";
    EXPECT_EQ(PixelOf(dest.get(), 7, 1), clRed);
    for (int x = 8; x < 22; ++x)
        EXPECT_EQ(PixelOf(dest.get(), x, 1), clLime) << x;
    EXPECT_EQ(PixelOf(dest.get(), 22, 2), clBlue);
    EXPECT_EQ(PixelOf(dest.get(), 24, 1), clBlue);
    EXPECT_EQ(PixelOf(dest.get(), 25, 1), kUnpainted);
    EXPECT_EQ(PixelOf(dest.get(), 10, 0), kUnpainted);
    // With the corner colour as the mask, pixel (0, 0)'s red is see-through instead.
    ObjectPtr<TBitmap> dest2 = SolidBitmap(30, 4, kUnpainted);
    DrawThreePartBitmap(strip.get(), dest2->Canvas(), Rect(5, 1, 25, 3), true);
    EXPECT_EQ(PixelOf(dest2.get(), 6, 1), kUnpainted);
    EXPECT_EQ(PixelOf(dest2.get(), 10, 1), clLime);
    DrawThreePartBitmap(SolidBitmap(2, 2, clRed).get(), dest2->Canvas(), Rect(0, 0, 30, 4), false);
    EXPECT_EQ(PixelOf(dest2.get(), 0, 0), kUnpainted)
        << "a strip narrower than three pieces draws nothing";
}

TEST(ThreePart, TheStretchedMiddleIsOpaque) {
    // The middle piece holds the see-through colours of both masks: stretched, it covers
    // everything between the ends whatever its pixels are.
    auto pattern = [](int x, int y) {
        if (x == 4 && y == 0) return clFuchsia;
        if (x == 4 && y == 1) return clRed; // the corner colour
        return x < 3 ? clRed : x < 6 ? clLime : clBlue;
    };
    ObjectPtr<TBitmap> strip = PatternBitmap(9, 2, pattern);
    for (bool corner : {false, true}) {
        ObjectPtr<TBitmap> dest = SolidBitmap(30, 4, kUnpainted);
        DrawThreePartBitmap(strip.get(), dest->Canvas(), Rect(0, 0, 30, 2), corner);
        for (int x = 3; x < 27; ++x) {
            EXPECT_NE(PixelOf(dest.get(), x, 0), kUnpainted) << x << " corner " << corner;
            EXPECT_NE(PixelOf(dest.get(), x, 1), kUnpainted) << x << " corner " << corner;
        }
    }
}

TEST(PointInRectTest, AllFourEdgesAreInside) {
    const TRect r = Rect(10, 20, 30, 40);
    struct Case {
        int x, y;
        bool inside;
    };
    const Case cases[] = {{10, 20, true},  {30, 40, true},  {30, 20, true}, {20, 40, true},
                          {31, 30, false}, {20, 41, false}, {9, 30, false}, {20, 19, false}};
    for (const Case& c : cases) {
        EXPECT_EQ(PointInRect(c.x, c.y, r), c.inside) << c.x << "," << c.y;
        EXPECT_EQ(PointInRect(Point(c.x, c.y), r), c.inside);
    }
}

// A parent that paints red, with a non-windowed child in blue and a windowed child in green.
class PaintingParent : public TCustomControl {
    KORVID_CLASS(PaintingParent, TCustomControl)
    int paints = 0;

protected:
    void Paint() override {
        ++paints;
        Canvas()->Brush()->SetColor(clRed);
        Canvas()->FillRect(ClientRect());
    }
};

class ColourBlock : public TGraphicControl {
    KORVID_CLASS(ColourBlock, TGraphicControl)
    TColor colour = clBlue;

protected:
    void Paint() override {
        Canvas()->Brush()->SetColor(colour);
        Canvas()->FillRect(ClientRect());
    }
};

// A see-through windowed control that paints its parent's background under itself.
class SeeThrough : public TCustomControl {
    KORVID_CLASS(SeeThrough, TCustomControl)
    ObjectPtr<TBitmap> picture;

protected:
    void Paint() override {
        picture = SolidBitmap(Width(), Height(), kUnpainted);
        DrawParentBackground(picture->Canvas(), this);
        DrawParentBackground(picture->Canvas(), this); // again: nothing piles up
        Canvas()->Draw(0, 0, picture.get());
    }
};

class ParentBackgroundTest : public skin_test::SkinFixture {};

TEST_F(ParentBackgroundTest, ParentAndItsGraphicChildrenOnly) {
    auto* parent = CreateComponent<PaintingParent>(form_);
    parent->SetBounds(0, 0, 200, 100);
    parent->SetParent(form_);
    auto* block = CreateComponent<ColourBlock>(form_);
    block->SetBounds(20, 10, 10, 10);
    block->SetParent(parent);
    auto* windowed = CreateComponent<PaintingParent>(form_);
    windowed->SetBounds(40, 10, 10, 10);
    windowed->SetParent(parent);
    auto* control = CreateComponent<SeeThrough>(form_);
    control->SetBounds(10, 5, 60, 30);
    control->SetParent(parent);
    ShowForm();
    ASSERT_TRUE(control->picture);
    TBitmap* p = control->picture.get();
    EXPECT_EQ(PixelOf(p, 0, 0), clRed);
    EXPECT_EQ(PixelOf(p, 15, 10), clBlue) << "the graphic child at (20, 10) of the parent";
    EXPECT_EQ(PixelOf(p, 35, 10), clRed) << "the windowed sibling is not painted";
    ObjectPtr<TBitmap> orphanCanvas = SolidBitmap(4, 4, kUnpainted);
    auto* orphan = CreateComponent<SeeThrough>(form_);
    DrawParentBackground(orphanCanvas->Canvas(), orphan);
    EXPECT_EQ(PixelOf(orphanCanvas.get(), 0, 0), kUnpainted) << "no parent: nothing";
}

} // namespace
