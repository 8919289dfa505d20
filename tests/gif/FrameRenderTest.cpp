#include "GIFGraphicTestUtil.h"

#include "gif/codec/GIFException.h"
#include "platform/gdi/Bitmap.h"
#include "platform/gdi/Object.h"

#include <gtest/gtest.h>

using namespace gifgraphictest;

namespace {

// Mask bits of the frame, one row of 0/1 per frame row.
std::vector<std::vector<int>> MaskBits(TGIFSubImage& frame) {
    BITMAP bm{};
    EXPECT_GT(GetObject(frame.MaskHandle(), sizeof(bm), &bm), 0);
    EXPECT_EQ(bm.bmBitsPixel, 1);
    std::vector<Byte> bits(static_cast<size_t>(bm.bmWidthBytes) * bm.bmHeight);
    GetBitmapBits(frame.MaskHandle(), static_cast<LONG>(bits.size()), bits.data());
    std::vector<std::vector<int>> out(static_cast<size_t>(frame.Height()));
    for (int y = 0; y < frame.Height(); ++y)
        for (int x = 0; x < frame.Width(); ++x)
            out[y].push_back(
                (bits[static_cast<size_t>(y * bm.bmWidthBytes + x / 8)] >> (7 - x % 8)) & 1);
    return out;
}

TColor CanvasPixel(TBitmap& bitmap, int x, int y) {
    return bitmap.Canvas()->Pixels(x, y);
}

} // namespace

TEST(FrameRender, PlainRenderingHoldsTheIndicesAndTheMap) {
    RecordingGraphic image;
    image->SetPaintOptions(image->PaintOptions() & (~drDither));
    TGIFSubImage* frame =
        AddPlainFrame(*image, 3, 2, {RGB(10, 0, 0), RGB(0, 20, 0), RGB(0, 0, 30)});
    Byte values[] = {0, 1, 2, 2, 1, 0};
    std::copy(values, values + 6, frame->Data());
    TBitmap* bitmap = frame->GetFrameBitmap();
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(bitmap->PixelFormat(), pf8bit);
    EXPECT_EQ(frame->GetFrameBitmap(), bitmap); // cached
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(static_cast<Byte*>(bitmap->ScanLine(y))[x], values[y * 3 + x]);
    EXPECT_EQ(CanvasPixel(*bitmap, 0, 0), RGB(10, 0, 0));
    EXPECT_EQ(CanvasPixel(*bitmap, 0, 1), RGB(0, 0, 30));
    EXPECT_FALSE(frame->MaskReady());
}

TEST(FrameRender, MaskBitsMarkTheTransparentIndex) {
    RecordingGraphic image;
    image->SetPaintOptions(image->PaintOptions() & (~drDither));
    struct Case {
        int width;
        std::vector<Byte> pixels;
    } cases[] = {
        {1, {2}}, // one pixel: a 2-byte mask row, bit 0x80
        {10, {2, 0, 2, 0, 0, 0, 0, 0, 0, 2}},
        {17, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2}},
    };
    for (const Case& c : cases) {
        TGIFSubImage* frame =
            AddPlainFrame(*image, c.width, 1, {RGB(1, 1, 1), RGB(2, 2, 2), RGB(3, 3, 3)});
        std::copy(c.pixels.begin(), c.pixels.end(), frame->Data());
        MakeTransparent(*frame, 2);
        ASSERT_TRUE(frame->MaskReady());
        std::vector<int> expected;
        for (Byte p : c.pixels)
            expected.push_back(p == 2);
        EXPECT_EQ(MaskBits(*frame)[0], expected) << "width " << c.width;
    }
}

TEST(FrameRender, TransparentFrameWithoutTransparentPixelsDrawsOpaque) {
    RecordingGraphic image;
    image->SetPaintOptions(image->PaintOptions() & (~drDither));
    TGIFSubImage* frame = AddPlainFrame(*image, 2, 2, {RGB(200, 0, 0), RGB(0, 0, 0)}, 0);
    MakeTransparent(*frame, 1);
    EXPECT_FALSE(frame->MaskReady());
    auto target = MakeBitmap(2, 2);
    frame->PaintFrame(target->Canvas(), Rect(0, 0, 2, 2), false, true);
    EXPECT_EQ(CanvasPixel(*target, 1, 1), RGB(200, 0, 0));
}

TEST(FrameRender, MaskedDrawingKeepsWhatLiesUnder) {
    RecordingGraphic image;
    image->SetPaintOptions(image->PaintOptions() & (~drDither));
    // A 2 x 1 frame at (1, 0) on a 4 x 2 screen: red, then transparent.
    TGIFSubImage* screen = AddPlainFrame(*image, 4, 2, {RGB(0, 0, 0)});
    (void)screen;
    TGIFSubImage* frame = AddPlainFrame(*image, 2, 1, {RGB(255, 0, 0), RGB(0, 0, 0)}, 0, 1, 0);
    frame->RowAt(0)[1] = 1;
    MakeTransparent(*frame, 1);
    auto target = MakeBitmap(8, 4);
    target->Canvas()->Brush()->SetColor(RGB(0, 0, 255));
    target->Canvas()->FillRect(Rect(0, 0, 8, 4));
    // The rectangle stands for the whole 4 x 2 screen, scaled by 2.
    frame->PaintFrame(target->Canvas(), Rect(0, 0, 8, 4), false, true);
    EXPECT_EQ(CanvasPixel(*target, 0, 0), RGB(0, 0, 255));
    EXPECT_EQ(CanvasPixel(*target, 2, 0), RGB(255, 0, 0));
    EXPECT_EQ(CanvasPixel(*target, 3, 1), RGB(255, 0, 0));
    EXPECT_EQ(CanvasPixel(*target, 4, 0), RGB(0, 0, 255)); // transparent pixel
    EXPECT_EQ(CanvasPixel(*target, 2, 2), RGB(0, 0, 255)); // below the frame
    // Unmasked, the transparent index shows its colour.
    frame->PaintFrame(target->Canvas(), Rect(0, 0, 8, 4), false, false);
    EXPECT_EQ(CanvasPixel(*target, 4, 0), RGB(0, 0, 0));
}

// The frame was drawn once; then its control extension changes what is transparent. The
// next masked drawing must follow the change.
TEST(FrameRender, TransparencyChangedAfterADrawingIsDrawnAsChanged) {
    const TColor kUnder = RGB(0, 0, 255), kRed = RGB(255, 0, 0), kGreen = RGB(0, 255, 0);
    struct Case {
        const char* name;
        int before; // transparent index when first drawn, -1 for none
        int after;
        std::vector<TColor> shown; // left and right pixel after the change
    } cases[] = {
        {"turned on", -1, 1, {kRed, kUnder}},
        {"another index", 1, 0, {kUnder, kGreen}},
        {"turned off", 0, -1, {kRed, kGreen}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingGraphic image;
        image->SetPaintOptions(image->PaintOptions() & (~drDither));
        TGIFSubImage* frame = AddPlainFrame(*image, 2, 1, {kRed, kGreen}, 0);
        frame->RowAt(0)[1] = 1;
        auto* gce = CreateObject<TGIFGraphicControlExtension>(frame);
        frame->FrameExtensions().AppendItem(gce);
        auto set = [&](int index) {
            gce->SetHasTransparency(index >= 0);
            if (index >= 0) gce->SetTransparentIndex(index);
        };
        auto target = MakeBitmap(2, 1);
        set(c.before);
        frame->PaintFrame(target->Canvas(), Rect(0, 0, 2, 1), false, true);
        set(c.after);
        target->Canvas()->Brush()->SetColor(kUnder);
        target->Canvas()->FillRect(Rect(0, 0, 2, 1));
        frame->PaintFrame(target->Canvas(), Rect(0, 0, 2, 1), false, true);
        EXPECT_EQ(CanvasPixel(*target, 0, 0), c.shown[0]);
        EXPECT_EQ(CanvasPixel(*target, 1, 0), c.shown[1]);
    }
}

// A file's frame may reach past its logical screen; decoders cut it at the screen's edge.
// Drawn into a rectangle that stands for the screen, it must not spill out of that rectangle.
TEST(FrameRender, FrameReachingPastTheScreenIsCutAtItsEdge) {
    const TColor kUnder = RGB(128, 128, 128), kInside = RGB(255, 0, 0), kPast = RGB(0, 255, 0);
    for (bool transparent : {false, true}) {
        SCOPED_TRACE(transparent ? "masked" : "plain");
        // A 6 x 3 frame, red where the 4 x 2 screen holds it and green past it; one
        // transparent pixel, when masked, so that the masked path draws.
        ObjectPtr<TGIFGraphic> written = MakeObject<TGIFGraphic>();
        TGIFSubImage* frame = AddPlainFrame(*written, 6, 3, {kInside, kPast, RGB(0, 0, 0)}, 1);
        for (int y = 0; y < 2; ++y)
            std::fill_n(frame->RowAt(y), 4, Byte(0));
        if (transparent) {
            MakeTransparent(*frame, 2);
            frame->RowAt(2)[5] = 2;
        }
        TMemoryStream stream;
        written->SaveToStream(stream);
        Byte* screen = static_cast<Byte*>(stream.Memory()) + 6;
        screen[0] = 4, screen[1] = 0, screen[2] = 2, screen[3] = 0;
        stream.SetPosition(0);
        RecordingGraphic image;
        image->SetPaintOptions(image->PaintOptions() & (~drDither));
        image->LoadFromStream(stream);
        ASSERT_EQ(image->ScreenWidth(), 4);
        TGIFSubImage* loaded = image->Frames().GetFrame(0);
        ASSERT_EQ(loaded->Width(), 6);

        auto target = MakeBitmap(14, 10);
        target->Canvas()->Brush()->SetColor(kUnder);
        target->Canvas()->FillRect(Rect(0, 0, 14, 10));
        // The screen scaled by 2 at (2, 2).
        loaded->PaintFrame(target->Canvas(), Rect(2, 2, 10, 6), false, transparent);
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 14; ++x) {
                bool inside = x >= 2 && x < 10 && y >= 2 && y < 6;
                ASSERT_EQ(CanvasPixel(*target, x, y), inside ? kInside : kUnder)
                    << "(" << x << ", " << y << ")";
            }
        // The canvas draws as before afterwards: nothing of the cut stays with it.
        target->Canvas()->FillRect(Rect(0, 0, 14, 10));
        EXPECT_EQ(CanvasPixel(*target, 13, 9), kUnder);
        target->Canvas()->Brush()->SetColor(kPast);
        target->Canvas()->FillRect(Rect(12, 8, 14, 10));
        EXPECT_EQ(CanvasPixel(*target, 13, 9), kPast);
    }
}

TEST(FrameRender, PlaceInRectScalesAndSurvivesAnEmptyScreen) {
    RecordingGraphic image;
    AddPlainFrame(*image, 10, 10, {RGB(0, 0, 0)});
    TGIFSubImage* frame = AddPlainFrame(*image, 3, 5, {RGB(0, 0, 0)}, 0, 2, 4);
    EXPECT_EQ(frame->PlaceInRect(Rect(10, 20, 30, 40)), Rect(14, 28, 20, 38));
    TGIFSubImage* lone = CreateObject<TGIFSubImage>(nullptr);
    EXPECT_EQ(lone->PlaceInRect(Rect(0, 0, 10, 10)), Rect(-1, -1, -1, -1));
    lone->Free();
}

// Transparent pixels are filled with the cube's own entry for the transparent colour, so
// that a copy of the rendering made without the mask shows that colour. A fill of the cube
// index plus one would be a plain fault: black would fill with entry 1, a dark blue, and
// white with 216, past the cube's last entry.
TEST(FrameRender, DitheredFillIndexComesFromTheCube) {
    RecordingGraphic image;
    image->SetPaintOptions(drDither); // dither always
    struct Case {
        TColor transparentColor;
        Byte fill;
    } cases[] = {{RGB(0, 0, 0), 0}, {RGB(255, 255, 255), 215}, {RGB(255, 0, 0), 180}};
    for (const Case& c : cases) {
        TGIFSubImage* frame = AddPlainFrame(*image, 3, 1, {RGB(0, 255, 0), c.transparentColor});
        frame->RowAt(0)[1] = 1;
        MakeTransparent(*frame, 1);
        TBitmap* bitmap = frame->GetFrameBitmap();
        ASSERT_NE(bitmap, nullptr);
        auto* row = static_cast<Byte*>(bitmap->ScanLine(0));
        EXPECT_EQ(row[1], c.fill);
        EXPECT_EQ(row[0], 30); // pure green: r 0, g 5, b 0 in the cube
        EXPECT_EQ(MaskBits(*frame)[0], (std::vector<int>{0, 1, 0}));
    }
}

TEST(FrameRender, DitheredIndicesPastTheMapShowBlack) {
    RecordingGraphic image;
    image->SetPaintOptions(drDither);
    TGIFSubImage* frame = AddPlainFrame(*image, 4, 1, {RGB(255, 255, 255)}, 200);
    TBitmap* bitmap = frame->GetFrameBitmap();
    ASSERT_NE(bitmap, nullptr);
    for (int x = 0; x < 4; ++x)
        EXPECT_EQ(static_cast<Byte*>(bitmap->ScanLine(0))[x], 0);
}

TEST(FrameBounds, GrowingPastTheScreenWarnsAndGrowsIt) {
    RecordingGraphic image;
    AddPlainFrame(*image, 10, 10, {RGB(0, 0, 0)});
    EXPECT_TRUE(image.warnings.empty()); // the first frame sets the screen silently
    TGIFSubImage* frame = AddPlainFrame(*image, 4, 4, {RGB(0, 0, 0)}, 0, 8, 2);
    EXPECT_EQ(image->ScreenWidth(), 12);
    EXPECT_EQ(image->ScreenHeight(), 10);
    EXPECT_EQ(image.warnings, (std::vector<String>{"Image width too small for contained frames",
                                                   "Image exceeds Logical Screen size"}));
    EXPECT_THROW(image->SetScreenWidth(11), GIFException);
    image->SetScreenWidth(12);
    // A new size drops the pixels and the cached rendering.
    frame->GetFrameBitmap();
    std::fill_n(frame->Data(), frame->PixelCount(), 7);
    frame->SetBoundAt(3, 2);
    EXPECT_FALSE(frame->BitmapExists());
    EXPECT_EQ(Pixels(*frame), std::vector<Byte>(8, 0));
}

TEST(FrameOptimize, TrimCropsToTheOpaquePixels) {
    RecordingGraphic image;
    TGIFSubImage* frame = AddPlainFrame(*image, 8, 9, {RGB(0, 0, 0), RGB(1, 1, 1)}, 1, 2, 3);
    MakeTransparent(*frame, 1);
    frame->RowAt(5)[3] = 0;
    frame->TrimTransparentEdges();
    EXPECT_EQ(frame->FrameRect(), Rect(5, 8, 6, 9));
    EXPECT_EQ(Pixels(*frame), std::vector<Byte>{0});
    EXPECT_EQ(image->ScreenWidth(), 10); // the screen stays

    frame->RowAt(0)[0] = 1;
    frame->TrimTransparentEdges();
    EXPECT_TRUE(frame->IsEmpty());
    EXPECT_EQ(frame->FrameExtensions().Count(), 0);
}

TEST(FrameOptimize, UnchangedPixelsBecomeTransparent) {
    RecordingGraphic image;
    TGIFSubImage* first = AddPlainFrame(*image, 4, 1, {RGB(1, 1, 1), RGB(2, 2, 2)}, 0);
    // The second frame covers columns 1..3 with its own map in another order.
    TGIFSubImage* second = AddPlainFrame(*image, 3, 1, {RGB(2, 2, 2), RGB(1, 1, 1)}, 1, 1, 0);
    second->RowAt(0)[2] = 0;
    second->MaskUnchangedPixels(first);
    ASSERT_TRUE(second->IsTransparent());
    int t = second->TransparentIndex();
    EXPECT_EQ(t, 2); // a new colour of its own map
    EXPECT_EQ(Pixels(*second), (std::vector<Byte>{2, 2, 0}));
}

TEST(FrameOptimize, NothingMaskedAfterRestoringDisposalOrWithoutFreeSlot) {
    RecordingGraphic image;
    TGIFSubImage* first = AddPlainFrame(*image, 2, 1, {RGB(1, 1, 1)}, 0);
    TGIFSubImage* second = AddPlainFrame(*image, 2, 1, {RGB(1, 1, 1)}, 0);
    auto* gce = CreateObject<TGIFGraphicControlExtension>(first);
    first->FrameExtensions().AppendItem(gce);
    gce->SetDisposalMethod(2);
    second->MaskUnchangedPixels(first);
    EXPECT_FALSE(second->IsTransparent());

    gce->SetDisposalMethod(1);
    for (int i = 1; i < 256; ++i)
        second->OwnColorMap().AppendColor(RGB(i, 0, 0));
    second->MaskUnchangedPixels(first);
    EXPECT_FALSE(second->IsTransparent());
    EXPECT_EQ(Pixels(*second), (std::vector<Byte>{0, 0}));
}

TEST(FrameOptimize, BorrowedTransparentIndexIsNeverOneTheFrameShows) {
    RecordingGraphic image;
    for (int i = 0; i < 4; ++i)
        image->GlobalColorMap().AppendColor(RGB(i, i, i));
    // Another frame on the global map uses index 2 for transparency.
    TGIFSubImage* other = AddPlainFrame(*image, 2, 1, {}, 0);
    MakeTransparent(*other, 2);
    TGIFSubImage* frame = AddPlainFrame(*image, 2, 1, {}, 2);
    int t = frame->PickTransparentIndex();
    EXPECT_NE(t, 2);
    EXPECT_EQ(t, 4); // black appended to the global map
    EXPECT_EQ(image->GlobalColorMap().Count(), 5);

    TGIFSubImage* free = AddPlainFrame(*image, 2, 1, {}, 0);
    EXPECT_EQ(free->PickTransparentIndex(), 2);
}
