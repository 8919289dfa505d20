#include "ControlTestUtil.h"

#include "framework/Bitmap.h"
#include "framework/Image.h"
#include "framework/ScrollBox.h"

namespace {

using headless::HeadlessBackend;

// A picture that, like an animation starting up, first copies what lies under its
// rectangle on the canvas, then paints itself in a colour of its own.
class TUnderlayGraphic : public TGraphic {
    KORVID_GRAPHIC_CLASS(TUnderlayGraphic, TGraphic)

    TColor fill = clBlue;
    int width = 8, height = 8;
    static inline TColor underlay = clNone;
    static inline int draws = 0;

    void Assign(TPersistent* Source) override {
        if (auto* g = dynamic_cast<TUnderlayGraphic*>(Source)) {
            fill = g->fill;
            width = g->width;
            height = g->height;
            return;
        }
        inherited::Assign(Source);
    }
    void Draw(TCanvas* ACanvas, const TRect& Rect) override {
        ++draws;
        underlay = ACanvas->Pixels(Rect.left, Rect.top);
        ACanvas->Brush()->SetColor(fill);
        ACanvas->FillRect(Rect);
    }
    void LoadFromStream(TStream&) override {}
    void SaveToStream(TStream&) override {}
    void SetWidth(int v) override {
        width = v;
        Changed(this);
    }
    void SetHeight(int v) override {
        height = v;
        Changed(this);
    }

protected:
    bool GetEmpty() const override { return false; }
    int GetWidth() const override { return width; }
    int GetHeight() const override { return height; }
};

class ImageTest : public ControlFixture {
protected:
    void SetUp() override {
        ControlFixture::SetUp();
        form_->SetColor(clWhite);
        image_ = CreateComponent<TImage>(form_);
        image_->SetBounds(10, 10, 40, 40);
        image_->SetParent(form_);
        ShowForm();
    }
    void LoadRed(int w, int h) {
        TBitmap* b = image_->Picture()->Bitmap();
        b->SetWidth(w);
        b->SetHeight(h);
        b->Canvas()->Brush()->SetColor(clRed);
        b->Canvas()->FillRect(Rect(0, 0, w, h));
    }
    COLORREF At(int x, int y) {
        return HeadlessBackend::WindowPixel(form_->Handle(), 10 + x, 10 + y);
    }
    TImage* image_ = nullptr;
};

TEST_F(ImageTest, NormalCenterAndStretchPlaceThePicture) {
    LoadRed(10, 10);
    struct Case {
        bool center, stretch;
        COLORREF at2, at20, at38;
    };
    const Case cases[] = {
        {false, false, clRed, clWhite, clWhite},
        {true, false, clWhite, clRed, clWhite},
        {false, true, clRed, clRed, clRed},
        {true, true, clRed, clRed, clRed},
    };
    for (const Case& c : cases) {
        image_->SetCenter(c.center);
        image_->SetStretch(c.stretch);
        Pump();
        EXPECT_EQ(At(2, 2), c.at2) << c.center << c.stretch;
        EXPECT_EQ(At(20, 20), c.at20) << c.center << c.stretch;
        EXPECT_EQ(At(38, 38), c.at38) << c.center << c.stretch;
    }
}

TEST_F(ImageTest, ProportionalStretchKeepsTheAspect) {
    LoadRed(20, 10);
    image_->SetStretch(true);
    image_->SetProportional(true);
    EXPECT_EQ(image_->DestRect(), Rect(0, 0, 40, 20));
    image_->SetCenter(true);
    EXPECT_EQ(image_->DestRect(), Rect(0, 10, 40, 30));
}

TEST_F(ImageTest, ChangesToThePictureRedrawWithoutBeingAsked) {
    LoadRed(40, 40);
    Pump();
    EXPECT_EQ(At(5, 5), COLORREF(clRed));
    TCanvas* c = image_->Picture()->Bitmap()->Canvas();
    c->Brush()->SetColor(clLime);
    c->FillRect(Rect(0, 0, 40, 40));
    Pump();
    EXPECT_EQ(At(5, 5), COLORREF(clLime));
    image_->Picture()->SetGraphic(nullptr);
    Pump();
    EXPECT_EQ(At(5, 5), COLORREF(clWhite));
}

TEST_F(ImageTest, AutoSizeTakesThePictureSizeUnlessAligned) {
    image_->SetAutoSize(true);
    LoadRed(30, 20);
    EXPECT_EQ(image_->Width(), 30);
    EXPECT_EQ(image_->Height(), 20);
    image_->SetAlign(alTop);
    LoadRed(12, 14);
    EXPECT_EQ(image_->Width(), form_->ClientWidth());
    EXPECT_EQ(image_->Height(), 14);
}

TEST_F(ImageTest, CanvasIsTheBitmapsAndCanBeReadBack) {
    TCanvas* c = image_->Canvas();
    EXPECT_EQ(image_->Picture()->Width(), 40);
    c->SetPixels(3, 4, clBlue);
    EXPECT_EQ(image_->Canvas()->Pixels(3, 4), clBlue);
    Pump();
    EXPECT_EQ(At(3, 4), COLORREF(clBlue));
    TUnderlayGraphic* g = CreateObject<TUnderlayGraphic>();
    image_->Picture()->SetGraphic(g);
    g->Free();
    EXPECT_THROW(image_->Canvas(), EInvalidOperation);
}

TEST_F(ImageTest, AGraphicSeesWhatLiesUnderIt) {
    auto* below = CreateComponent<TProbe>(form_);
    below->fill = clLime;
    below->SetBounds(0, 0, 100, 100);
    below->SetParent(form_);
    below->SendToBack();
    TUnderlayGraphic* g = CreateObject<TUnderlayGraphic>();
    image_->Picture()->SetGraphic(g);
    g->Free();
    image_->SetCenter(true);
    Pump();
    EXPECT_EQ(TUnderlayGraphic::underlay, clLime);
    EXPECT_EQ(At(20, 20), COLORREF(clBlue));
    // Repainted on its own, the image still has what lies under it drawn first.
    TUnderlayGraphic::underlay = clNone;
    image_->Repaint();
    EXPECT_EQ(TUnderlayGraphic::underlay, clLime);
}

TEST_F(ImageTest, AutoSizedImageInAScrollBoxSetsItsRange) {
    auto* box = CreateComponent<TScrollBox>(form_);
    box->SetBounds(60, 10, 120, 100);
    box->SetParent(form_);
    auto* preview = CreateComponent<TImage>(form_);
    preview->SetAutoSize(true);
    preview->SetParent(box);
    TBitmap* b = preview->Picture()->Bitmap();
    b->SetWidth(400);
    b->SetHeight(300);
    EXPECT_EQ(box->HorzScrollBar()->Range(), 400);
    EXPECT_EQ(box->VertScrollBar()->Range(), 300);
    EXPECT_TRUE(box->VertScrollBar()->IsScrollBarVisible());
    b->SetWidth(50);
    b->SetHeight(40);
    EXPECT_FALSE(box->VertScrollBar()->IsScrollBarVisible());
    EXPECT_FALSE(box->HorzScrollBar()->IsScrollBarVisible());
}

TEST_F(ImageTest, ClickRaisesOnClick) {
    int clicks = 0;
    image_->OnClick = [&](TObject*) { ++clicks; };
    session_->Click(100 + 20, 100 + 20);
    Pump();
    EXPECT_EQ(clicks, 1);
}

} // namespace
