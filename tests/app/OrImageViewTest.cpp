// The picture view on a form: where the adjusted picture is drawn, that a recomputation shows
// at once, auto-size and opacity, the pointer flag and its events, and progress passed on.
#include "OrImageTestUtil.h"

#include "framework/ControlTestUtil.h"

namespace {

using headless::HeadlessBackend;
using namespace orimagetest;

// A picture that, like an animation starting up, reports a change while it draws.
class TRestlessGraphic : public TGraphic {
    KORVID_GRAPHIC_CLASS(TRestlessGraphic, TGraphic)

    static inline int draws = 0;

    void Assign(TPersistent* Source) override {
        if (dynamic_cast<TRestlessGraphic*>(Source)) return;
        inherited::Assign(Source);
    }
    void Draw(TCanvas* ACanvas, const TRect& R) override {
        ++draws;
        ACanvas->Brush()->SetColor(clLime);
        ACanvas->FillRect(R);
        Changed(this);
    }
    void LoadFromStream(TStream&) override {}
    void SaveToStream(TStream&) override {}
    void SetWidth(int) override {}
    void SetHeight(int) override {}

protected:
    bool GetEmpty() const override { return false; }
    int GetWidth() const override { return 8; }
    int GetHeight() const override { return 8; }
};

// Counts its paints.
class TCountingOrImage : public TOrImage {
    KORVID_CLASS(TCountingOrImage, TOrImage)
    int paints = 0;
    bool AskAutoSize(int& w, int& h) { return CanAutoSize(w, h); }

protected:
    void Paint() override {
        ++paints;
        inherited::Paint();
    }
};

class OrImageView : public ControlFixture {
protected:
    void SetUp() override {
        ControlFixture::SetUp();
        form_->SetColor(clWhite);
        image_ = CreateComponent<TCountingOrImage>(form_);
        image_->SetBounds(10, 10, 40, 40);
        image_->SetParent(form_);
        ShowForm();
    }
    void ShowSolid(int w, int h, Rgb colour) {
        ObjectPtr<TBitmap> picture = MakePicture(w, h, [&](int, int) { return colour; });
        image_->PictureOriginal()->SetGraphic(picture.get());
    }
    COLORREF At(int x, int y) {
        return HeadlessBackend::WindowPixel(form_->Handle(), 10 + x, 10 + y);
    }
    TCountingOrImage* image_ = nullptr;
};

TEST_F(OrImageView, NormalCenterAndStretchPlaceTheAdjustedPicture) {
    ShowSolid(10, 10, Rgb{200, 0, 0});
    image_->SetPicBrightness(55); // shown as (255, 55, 55)
    const COLORREF picture = RGB(255, 55, 55);
    struct Case {
        bool center, stretch;
        TRect dest;
        COLORREF at2, at20, at38;
    };
    const Case cases[] = {
        {false, false, Rect(0, 0, 10, 10), picture, clWhite, clWhite},
        {true, false, Rect(15, 15, 25, 25), clWhite, picture, clWhite},
        {false, true, Rect(0, 0, 40, 40), picture, picture, picture},
        {true, true, Rect(0, 0, 40, 40), picture, picture, picture},
    };
    for (const Case& c : cases) {
        image_->SetCenter(c.center);
        image_->SetStretch(c.stretch);
        Pump();
        EXPECT_EQ(image_->DestRect(), c.dest) << c.center << c.stretch;
        EXPECT_EQ(At(2, 2), c.at2) << c.center << c.stretch;
        EXPECT_EQ(At(20, 20), c.at20) << c.center << c.stretch;
        EXPECT_EQ(At(38, 38), c.at38) << c.center << c.stretch;
    }
}

TEST_F(OrImageView, ARecomputationShowsWithoutWaitingForThePaintCycle) {
    ShowSolid(40, 40, Rgb{100, 100, 100});
    Pump();
    image_->SetPicBrightness(-100);
    EXPECT_EQ(At(5, 5), RGB(0, 0, 0));
    image_->SetPicInvert(true);
    EXPECT_EQ(At(39, 39), RGB(255, 255, 255));
}

TEST_F(OrImageView, AutoSizeTakesThePictureSize) {
    image_->SetAutoSize(true);
    ShowSolid(30, 20, Rgb{1, 2, 3});
    EXPECT_EQ(image_->Width(), 30);
    EXPECT_EQ(image_->Height(), 20);
    EXPECT_EQ(image_->Left(), 10);
}

TEST_F(OrImageView, AutoSizeFollowsThePictureAlongTheFreeSidesOfTheAlignment) {
    ShowSolid(30, 20, Rgb{1, 2, 3});
    struct Case {
        TAlign align;
        int w, h;
    };
    const Case cases[] = {{alNone, 30, 20}, {alTop, 40, 20},   {alBottom, 40, 20},
                          {alLeft, 30, 40}, {alRight, 30, 40}, {alClient, 40, 40}};
    for (const Case& c : cases) {
        image_->SetAlign(c.align);
        int w = 40, h = 40;
        EXPECT_TRUE(image_->AskAutoSize(w, h));
        EXPECT_EQ(w, c.w) << c.align;
        EXPECT_EQ(h, c.h) << c.align;
    }
}

TEST_F(OrImageView, OpaqueOnlyWhenThePictureCoversTheControl) {
    struct Case {
        const char* name;
        int w, h;
        bool stretch, transparent, opaque;
    };
    const Case cases[] = {
        {"covers", 40, 40, false, false, true},
        {"larger", 50, 45, false, false, true},
        {"narrower", 39, 40, false, false, false},
        {"lower", 40, 10, false, false, false},
        {"smaller but stretched", 5, 5, true, false, true},
        {"transparent", 40, 40, false, true, false},
    };
    for (const Case& c : cases) {
        image_->SetStretch(c.stretch);
        image_->SetTransparent(c.transparent);
        ShowSolid(c.w, c.h, Rgb{9, 9, 9});
        EXPECT_EQ(image_->ControlStyle().Contains(csOpaque), c.opaque) << c.name;
    }
    image_->PictureOriginal()->SetGraphic(nullptr);
    EXPECT_FALSE(image_->ControlStyle().Contains(csOpaque));
}

TEST_F(OrImageView, APictureThatChangesWhileDrawnIsPaintedOnce) {
    // The adjusted picture may hold any graphic (an animation drawn by its own painter); its
    // change notices during the paint must not ask for the paint again.
    TRestlessGraphic::draws = 0;
    ObjectPtr<TRestlessGraphic> restless = MakeObject<TRestlessGraphic>();
    image_->AdjustedPicture()->SetGraphic(restless.get());
    Pump();
    const int paints = image_->paints;
    EXPECT_EQ(At(3, 3), COLORREF(clLime));
    Pump();
    Pump();
    EXPECT_EQ(image_->paints, paints);
    EXPECT_GE(TRestlessGraphic::draws, 1);
}

TEST_F(OrImageView, PointerEnterLeaveAndMove) {
    int enters = 0, exits = 0;
    image_->OnMouseEnter = [&](TObject* s) {
        EXPECT_EQ(s, image_);
        ++enters;
    };
    image_->OnMouseExit = [&](TObject* s) {
        EXPECT_EQ(s, image_);
        ++exits;
    };
    image_->Perform(CM_MOUSEENTER, 0, 0);
    EXPECT_TRUE(image_->MouseInside());
    EXPECT_EQ(enters, 1);
    image_->Perform(CM_MOUSELEAVE, 0, 0);
    EXPECT_FALSE(image_->MouseInside());
    EXPECT_EQ(exits, 1);
    int moves = 0;
    image_->OnMouseMove = [&](TObject*, TShiftState, int, int) { ++moves; };
    image_->Perform(WM_MOUSEMOVE, 0, MAKELPARAM(3, 4));
    EXPECT_TRUE(image_->MouseInside());
    EXPECT_EQ(moves, 1);
    EXPECT_EQ(enters, 1);
}

TEST_F(OrImageView, ProgressOfTheAdjustedPictureIsPassedOnAndCanRedraw) {
    ShowSolid(40, 40, Rgb{50, 60, 70});
    Pump();
    struct Seen {
        TObject* sender = nullptr;
        TProgressStage stage = psStarting;
        int percent = -1;
        bool redraw = false;
        TRect rect{};
        String message;
    } seen;
    image_->OnProgress = [&](TObject* s, TProgressStage st, Byte pct, bool redraw, const TRect& r,
                             const String& msg) { seen = {s, st, pct, redraw, r, msg}; };
    TGraphic* graphic = image_->AdjustedPicture()->Graphic();
    struct Case {
        bool incremental, redraw;
        int paintsAdded;
    };
    for (const Case c : {Case{false, true, 0}, Case{true, false, 0}, Case{true, true, 1}}) {
        image_->SetIncrementalDisplay(c.incremental);
        const int before = image_->paints;
        graphic->Progress(graphic, psRunning, 40, c.redraw, Rect(1, 2, 3, 4), "Loading...");
        EXPECT_EQ(image_->paints - before, c.paintsAdded) << c.incremental << c.redraw;
        EXPECT_EQ(seen.sender, graphic);
        EXPECT_EQ(seen.stage, psRunning);
        EXPECT_EQ(seen.percent, 40);
        EXPECT_EQ(seen.redraw, c.redraw);
        EXPECT_EQ(seen.rect, Rect(1, 2, 3, 4));
        EXPECT_EQ(seen.message, "Loading...");
    }
}

TEST_F(OrImageView, APictureWithoutAPaletteHasItsMarkClearedWithoutAQuery) {
    ShowSolid(4, 4, Rgb{1, 1, 1});
    TGraphic* graphic = image_->AdjustedPicture()->Graphic();
    graphic->SetPaletteModified(true);
    image_->SetCenter(true); // runs the picture-changed steps
    EXPECT_FALSE(graphic->PaletteModified());
    EXPECT_EQ(image_->GetPalette(), HPALETTE(0));
}

TEST_F(OrImageView, ANewPaletteIsOfferedToTheActiveForm) {
    ASSERT_TRUE(form_->Active());
    int queries = 0;
    TWndMethod formProc = form_->WindowProc;
    form_->WindowProc = [&](TMessage& m) {
        if (m.Msg == WM_QUERYNEWPALETTE) ++queries;
        formProc(m);
    };
    ObjectPtr<TBitmap> paletted = MakePicture(4, 4, Pattern);
    paletted->SetPixelFormat(pf8bit);
    image_->AdjustedPicture()->SetGraphic(paletted.get());
    TGraphic* graphic = image_->AdjustedPicture()->Graphic();
    ASSERT_NE(image_->GetPalette(), HPALETTE(0));
    graphic->SetPaletteModified(true);
    image_->SetCenter(true); // runs the picture-changed steps; not drawing: posted
    EXPECT_FALSE(graphic->PaletteModified());
    EXPECT_EQ(queries, 0);
    Pump();
    EXPECT_EQ(queries, 1);
    form_->WindowProc = formProc;
}

} // namespace
