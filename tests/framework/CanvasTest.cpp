#include "GraphicTestUtil.h"

#include <gtest/gtest.h>

#include <thread>

using namespace gfx_test;

namespace {

TEST(Canvas, RectangleOutlinesWithPenFillsWithBrushAndExcludesRightBottom) {
    auto b = SolidBitmap(8, 8, clWhite);
    TCanvas* c = b->Canvas();
    c->Pen()->SetColor(clRed);
    c->Brush()->SetColor(clBlue);
    c->Rectangle(1, 1, 6, 5);
    EXPECT_EQ(c->Pixels(1, 1), clRed);
    EXPECT_EQ(c->Pixels(5, 4), clRed);   // last column and row inside
    EXPECT_EQ(c->Pixels(6, 4), clWhite); // right edge excluded
    EXPECT_EQ(c->Pixels(5, 5), clWhite); // bottom edge excluded
    EXPECT_EQ(c->Pixels(3, 3), clBlue);
    // A clear brush leaves the inside.
    c->Brush()->SetStyle(bsClear);
    c->Pen()->SetColor(clLime);
    c->Rectangle(0, 0, 8, 8);
    EXPECT_EQ(c->Pixels(0, 0), clLime);
    EXPECT_EQ(c->Pixels(3, 3), clBlue);
}

TEST(Canvas, ToolChangesTakeEffectOnTheNextCall) {
    auto b = SolidBitmap(6, 2, clWhite);
    TCanvas* c = b->Canvas();
    c->Pen()->SetColor(clRed);
    c->MoveTo(0, 0);
    c->LineTo(3, 0);
    c->Pen()->SetColor(clBlue);
    c->LineTo(6, 0);
    EXPECT_EQ(c->Pixels(2, 0), clRed);
    EXPECT_EQ(c->Pixels(3, 0), clBlue);
    EXPECT_EQ(c->PenPos(), Point(6, 0));
    c->Pen()->SetWidth(2);
    EXPECT_EQ(c->Pen()->Width(), 2);
    c->Brush()->SetColor(clYellow);
    c->FillRect(Rect(0, 1, 6, 2));
    EXPECT_EQ(c->Pixels(5, 1), clYellow);
}

TEST(Canvas, TextOutDrawsAndMeasures) {
    auto b = SolidBitmap(80, 30, clWhite);
    TCanvas* c = b->Canvas();
    c->Font()->SetColor(clBlack);
    c->Font()->SetHeight(-14);
    const int shortWidth = c->TextWidth("i");
    const int longWidth = c->TextWidth("iiii WWWW");
    EXPECT_GT(shortWidth, 0);
    EXPECT_GT(longWidth, shortWidth * 4);
    EXPECT_GT(c->TextHeight("Ag"), 10);
    c->Brush()->SetStyle(bsClear);
    c->TextOut(2, 2, "WWW");
    int dark = 0;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 80; ++x)
            if ((c->Pixels(x, y) & 0xFF) < 100) ++dark;
    EXPECT_GT(dark, 10);
    EXPECT_EQ(c->PenPos(), Point(2 + c->TextWidth("WWW"), 2));
}

TEST(Canvas, TextRectClipsAndFillsTheRectangle) {
    auto b = SolidBitmap(60, 20, clWhite);
    TCanvas* c = b->Canvas();
    c->Brush()->SetColor(clYellow);
    c->Font()->SetColor(clBlack);
    c->TextRect(Rect(0, 0, 10, 20), 0, 0, "WWWWWWWWWW");
    EXPECT_EQ(c->Pixels(9, 19), clYellow);
    for (int y = 0; y < 20; ++y)
        for (int x = 10; x < 60; ++x)
            ASSERT_EQ(c->Pixels(x, y), clWhite) << x << "," << y;
}

TEST(Canvas, CopyRectUsesTheCopyMode) {
    auto src = SolidBitmap(2, 2, clWhite);
    auto dst = SolidBitmap(4, 4, clRed);
    dst->Canvas()->CopyRect(Rect(0, 0, 2, 2), src->Canvas(), Rect(0, 0, 2, 2));
    EXPECT_EQ(dst->Canvas()->Pixels(1, 1), clWhite);
    dst->Canvas()->SetCopyMode(cmSrcInvert);
    dst->Canvas()->CopyRect(Rect(2, 2, 4, 4), src->Canvas(), Rect(0, 0, 2, 2));
    EXPECT_EQ(dst->Canvas()->Pixels(3, 3), TColor(clRed ^ clWhite));
    // Stretched: one source pixel fills the whole target.
    src->Canvas()->SetPixels(0, 0, clBlue);
    dst->Canvas()->SetCopyMode(cmSrcCopy);
    dst->Canvas()->CopyRect(Rect(0, 0, 4, 4), src->Canvas(), Rect(0, 0, 1, 1));
    EXPECT_EQ(dst->Canvas()->Pixels(3, 0), clBlue);
}

TEST(Canvas, PixelsOutsideAreInvalidAndClipRectIsTheBitmap) {
    auto b = SolidBitmap(5, 3, clWhite);
    EXPECT_EQ(b->Canvas()->Pixels(5, 0), TColor(-1));
    EXPECT_EQ(b->Canvas()->Pixels(-1, 0), TColor(-1));
    EXPECT_EQ(b->Canvas()->ClipRect(), Rect(0, 0, 5, 3));
}

TEST(Canvas, ChangingAndChangedBracketEveryDrawingCall) {
    auto b = SolidBitmap(4, 4, clWhite);
    TCanvas* c = b->Canvas();
    std::vector<char> order;
    c->OnChanging = [&](TObject*) { order.push_back('('); };
    c->OnChange = [&](TObject*) { order.push_back(')'); };
    c->FillRect(Rect(0, 0, 1, 1));
    c->Ellipse(0, 0, 4, 4);
    c->Polygon({Point(0, 0), Point(3, 0), Point(0, 3)});
    EXPECT_EQ(String(order.begin(), order.end()), "()()()");
}

TEST(Canvas, PolygonAndEllipseFill) {
    auto b = SolidBitmap(10, 10, clWhite);
    TCanvas* c = b->Canvas();
    c->Brush()->SetColor(clRed);
    c->Pen()->SetColor(clRed);
    c->Ellipse(0, 0, 10, 10);
    EXPECT_EQ(c->Pixels(5, 5), clRed);
    EXPECT_EQ(c->Pixels(0, 0), clWhite);
    c->Brush()->SetColor(clBlue);
    c->Pen()->SetColor(clBlue);
    c->Polygon({Point(0, 9), Point(9, 9), Point(0, 0)});
    EXPECT_EQ(c->Pixels(1, 8), clBlue);
    EXPECT_EQ(c->Pixels(9, 0), clWhite);
}

TEST(Canvas, LockSerialisesThreads) {
    auto b = SolidBitmap(2, 2, clWhite);
    TCanvas* c = b->Canvas();
    c->Lock();
    c->Lock();
    EXPECT_EQ(c->LockCount(), 2);
    bool otherGotIt = true;
    std::thread t([&] { otherGotIt = c->TryLock(); });
    t.join();
    EXPECT_FALSE(otherGotIt);
    c->Unlock();
    c->Unlock();
    EXPECT_EQ(c->LockCount(), 0);
    std::thread u([&] {
        otherGotIt = c->TryLock();
        if (otherGotIt) c->Unlock();
    });
    u.join();
    EXPECT_TRUE(otherGotIt);
}

TEST(Canvas, FontSizeAndHeightFollowEachOther) {
    auto font = MakeObject<TFont>();
    font->SetSize(12);
    EXPECT_EQ(font->Height(), -16);
    font->SetHeight(-11);
    EXPECT_EQ(font->Size(), 8);
    int changes = 0;
    font->OnChange = [&](TObject*) { ++changes; };
    font->SetStyle(TFontStyles{fsBold});
    font->SetStyle(TFontStyles{fsBold});
    EXPECT_EQ(changes, 1);
}

TEST(Canvas, PatternBrushFromBitmap) {
    auto pattern = SolidBitmap(8, 8, clWhite);
    pattern->Canvas()->SetPixels(0, 0, clRed);
    auto b = SolidBitmap(16, 16, clBlack);
    b->Canvas()->Brush()->SetBitmap(pattern.get());
    b->Canvas()->FillRect(Rect(0, 0, 16, 16));
    EXPECT_EQ(b->Canvas()->Pixels(8, 8), clRed);
    EXPECT_EQ(b->Canvas()->Pixels(9, 8), clWhite);
    b->Canvas()->Brush()->SetBitmap(nullptr);
}

} // namespace
