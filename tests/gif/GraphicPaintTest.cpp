#include "GIFGraphicTestUtil.h"

#include <gtest/gtest.h>

#include <memory>

using namespace gifgraphictest;

namespace {

// A painter that only records what the image asks of it. An asynchronous one "draws" its
// first frame when started and detaches when stopped, as a real one's thread would end.
struct FakePainter final : TGIFPainterLink {
    FakePainter(TGIFGraphic* target, TGIFPaintOptions paintOptions, const TRect& paintRect,
                TCanvas* paintCanvas, TGIFPainterLink** ownerSlot)
        : image(target), options(paintOptions), rect(paintRect), canvas(paintCanvas),
          slot(ownerSlot) {
        if (slot) *slot = this;
    }
    void StartPainting() override { shown = started = IsAsynchronous(); }
    void StopPainting() override {
        stopped = true;
        if (IsAsynchronous()) Detach();
    }
    void RunInline() override {
        ran = true;
        if (duringRun) duringRun();
        Detach();
    }
    bool IsAsynchronous() const override { return options & drAsynchronous; }
    bool IsTerminated() const override { return stopped; }
    bool HasShownFirstFrame() const override { return shown; }
    TCanvas* PaintCanvas() const override { return canvas; }
    TRect PaintRect() const override { return rect; }
    void ForgetImage() override {
        image = nullptr;
        forgotten = true;
    }
    void Detach() {
        if (!image) return;
        image->DetachPainter(this, slot);
        image = nullptr;
    }

    TGIFGraphic* image;
    TGIFPaintOptions options;
    TRect rect;
    TCanvas* canvas;
    TGIFPainterLink** slot;
    bool started = false, stopped = false, shown = false, ran = false, forgotten = false;
    std::function<void()> duringRun;
};

// Installs a maker that keeps every fake it makes; puts the earlier maker back at the end.
class GraphicPaint : public ::testing::Test {
protected:
    void SetUp() override {
        before_ = SetGIFPainterMaker([this](TGIFGraphic* image, TGIFPaintOptions options,
                                            const TRect& rect, TCanvas* canvas,
                                            TGIFPainterLink** slot) -> TGIFPainterLink* {
            painters.push_back(std::make_unique<FakePainter>(image, options, rect, canvas, slot));
            if (onMake) onMake(*painters.back());
            return painters.back().get();
        });
    }
    void TearDown() override { SetGIFPainterMaker(before_); }

    // A 2-frame image of 4 x 2: red, then blue.
    ObjectPtr<TGIFGraphic> Animated() {
        ObjectPtr<TGIFGraphic> image = MakeObject<TGIFGraphic>();
        image->SetPaintOptions(image->PaintOptions() & (~drDither));
        AddPlainFrame(*image, 4, 2, {RGB(255, 0, 0)});
        AddPlainFrame(*image, 4, 2, {RGB(0, 0, 255)});
        return image;
    }
    int Listed(TGIFGraphic& image) { return image.PainterCount(); }

    std::vector<std::unique_ptr<FakePainter>> painters;
    std::function<void(FakePainter&)> onMake;

private:
    TGIFPainterMaker before_;
};

} // namespace

TEST_F(GraphicPaint, OneFrameDrawsItselfWithoutAPainter) {
    ObjectPtr<TGIFGraphic> image = MakeObject<TGIFGraphic>();
    image->SetPaintOptions(image->PaintOptions() & (~drDither));
    AddPlainFrame(*image, 2, 2, {RGB(0, 200, 0)});
    auto target = MakeBitmap(4, 4);
    target->Canvas()->StretchDraw(Rect(0, 0, 4, 4), image.get());
    EXPECT_TRUE(painters.empty());
    EXPECT_EQ(target->Canvas()->Pixels(3, 3), RGB(0, 200, 0));
}

TEST_F(GraphicPaint, AsynchronousPainterStartsOnceAndRepaintsCopyTheRenderedBitmap) {
    ObjectPtr<TGIFGraphic> image = Animated();
    auto target = MakeBitmap(8, 4);
    target->Canvas()->StretchDraw(Rect(0, 0, 8, 4), image.get());
    ASSERT_EQ(painters.size(), 1u);
    FakePainter& painter = *painters[0];
    EXPECT_TRUE(painter.started);
    EXPECT_EQ(image->ViewPainter(), &painter);
    // It draws into the rendered bitmap of the screen, which the draw copied.
    ASSERT_NE(image->RenderedBitmap(), nullptr);
    EXPECT_EQ(painter.canvas, image->RenderedBitmap()->Canvas());
    EXPECT_EQ(painter.rect, Rect(0, 0, 4, 2));
    target->Canvas()->StretchDraw(Rect(0, 0, 8, 4), image.get());
    target->Canvas()->StretchDraw(Rect(0, 0, 2, 2), image.get());
    EXPECT_EQ(painters.size(), 1u);
    EXPECT_EQ(Listed(*image), 1);

    image->MakeEmpty();
    EXPECT_TRUE(painter.stopped);
    EXPECT_EQ(Listed(*image), 0);
    EXPECT_EQ(image->ViewPainter(), nullptr);
    EXPECT_EQ(image->RenderedBitmap(), nullptr);
}

TEST_F(GraphicPaint, DirectDrawElsewhereReplacesThePainter) {
    ObjectPtr<TGIFGraphic> image = Animated();
    image->SetPaintOptions(image->PaintOptions() | (drDirect));
    auto target = MakeBitmap(8, 4);
    target->Canvas()->StretchDraw(Rect(0, 0, 8, 4), image.get());
    target->Canvas()->StretchDraw(Rect(0, 0, 8, 4), image.get());
    ASSERT_EQ(painters.size(), 1u);
    EXPECT_EQ(painters[0]->canvas, target->Canvas());
    target->Canvas()->StretchDraw(Rect(0, 0, 4, 2), image.get());
    ASSERT_EQ(painters.size(), 2u);
    EXPECT_TRUE(painters[0]->stopped);
    EXPECT_EQ(image->ViewPainter(), painters[1].get());
    EXPECT_EQ(Listed(*image), 1);
}

TEST_F(GraphicPaint, DestructionStopsPaintersBeforeTheFramesGo) {
    ObjectPtr<TGIFGraphic> image = Animated();
    auto target = MakeBitmap(8, 4);
    target->Canvas()->StretchDraw(Rect(0, 0, 8, 4), image.get());
    ASSERT_EQ(painters.size(), 1u);
    image.reset();
    EXPECT_TRUE(painters[0]->stopped);
    EXPECT_EQ(painters[0]->image, nullptr);
}

TEST_F(GraphicPaint, SynchronousPainterSurvivesItsImageFreedByAHandler) {
    TGIFGraphic* image = Animated().release();
    image->SetPaintOptions(image->PaintOptions() & (~drAsynchronous));
    onMake = [&](FakePainter& painter) {
        painter.duringRun = [&painter] {
            TGIFGraphic* going = painter.image;
            going->Free();
            // The image let go of the painter before its frames went.
            EXPECT_TRUE(painter.forgotten);
            EXPECT_TRUE(painter.stopped);
        };
    };
    auto target = MakeBitmap(8, 4);
    target->Canvas()->StretchDraw(Rect(0, 0, 8, 4), image);
    ASSERT_EQ(painters.size(), 1u);
    EXPECT_TRUE(painters[0]->ran);
}

TEST_F(GraphicPaint, WithoutAMakerAnAnimationShowsFrameZero) {
    TGIFPainterMaker ours = SetGIFPainterMaker(nullptr);
    ObjectPtr<TGIFGraphic> image = Animated();
    auto target = MakeBitmap(4, 2);
    target->Canvas()->StretchDraw(Rect(0, 0, 4, 2), image.get());
    EXPECT_EQ(target->Canvas()->Pixels(1, 1), RGB(255, 0, 0));
    TGIFPainterLink* slot = nullptr;
    EXPECT_EQ(image->StartPainter(&slot, target->Canvas(), image->PaintOptions(), Rect(0, 0, 4, 2)),
              nullptr);
    SetGIFPainterMaker(ours);
}

TEST_F(GraphicPaint, NewFrameStopsPaintersThatReadTheList) {
    ObjectPtr<TGIFGraphic> image = Animated();
    auto target = MakeBitmap(8, 4);
    target->Canvas()->StretchDraw(Rect(0, 0, 8, 4), image.get());
    ASSERT_EQ(painters.size(), 1u);
    AddPlainFrame(*image, 4, 2, {RGB(0, 255, 0)});
    EXPECT_TRUE(painters[0]->stopped);
    EXPECT_EQ(Listed(*image), 0);
    EXPECT_EQ(image->RenderedBitmap(), nullptr);
    // The next draw starts afresh.
    target->Canvas()->StretchDraw(Rect(0, 0, 8, 4), image.get());
    EXPECT_EQ(painters.size(), 2u);
}
