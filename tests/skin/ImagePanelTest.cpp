#include "SkinTestUtil.h"

#include "skin/SKImagePanel.h"

namespace {

class ImagePanelTest : public skin_test::SkinFixture {
protected:
    void SetUp() override {
        SkinFixture::SetUp();
        form_->SetColor(clLime);
        panel_ = CreateComponent<TskImagePanel>(form_);
        panel_->SetParent(form_);
        panel_->SetBounds(10, 10, 40, 30);
        panel_->SetColor(clBlue);
        ShowForm();
    }
    // A picture in c, its bottom-left pixel (its see-through colour) fuchsia.
    void SetPicture(int w, int h, TColor c) {
        ObjectPtr<TPicture> p = MakeObject<TPicture>();
        p->Bitmap()->Assign(skin_test::PatternBitmap(w, h, [=](int x, int y) {
                                return x == 0 && y == h - 1 ? clFuchsia : c;
                            }).get());
        panel_->SetPicture(p.get());
        Pump();
    }
    TskImagePanel* panel_ = nullptr;
};

TEST_F(ImagePanelTest, AutoSizeTakesThePictureSizeWhereAlignLeavesIt) {
    panel_->SetAutoSize(true);
    struct Case {
        TAlign align;
        bool width, height; // taken from the picture
    };
    const Case cases[] = {{alNone, true, true},
                          {alTop, false, true},
                          {alLeft, true, false},
                          {alClient, false, false}};
    for (const Case& c : cases) {
        panel_->SetAlign(c.align);
        const int w = panel_->Width(), h = panel_->Height();
        SetPicture(13 + int(c.align), 7 + int(c.align), clRed);
        EXPECT_EQ(panel_->Width(), c.width ? 13 + int(c.align) : w) << c.align;
        EXPECT_EQ(panel_->Height(), c.height ? 7 + int(c.align) : h) << c.align;
    }
}

TEST_F(ImagePanelTest, DrawStylesAndWhatShowsAroundThePicture) {
    // No picture: Color, or the parent when see-through.
    EXPECT_EQ(WindowPixel(panel_, 20, 20), COLORREF(clBlue));
    panel_->SetTransparent(true);
    Pump();
    EXPECT_EQ(WindowPixel(panel_, 20, 20), COLORREF(clLime));
    SetPicture(8, 8, clRed);
    struct Case {
        TskDrawStyle style;
        bool transparent;
        COLORREF at2, at12, at38; // (2, 2), (12, 2), (38, 28)
    };
    const COLORREF red = clRed, lime = clLime, white = clWhite;
    const Case cases[] = {
        {skNormal, true, red, lime, lime},
        {skNormal, false, red, white, white}, // with a picture, Color is never used
        {skTile, false, red, red, red},
        {skStretch, false, red, red, red},
    };
    for (const Case& c : cases) {
        panel_->SetTransparent(c.transparent);
        panel_->SetDrawStyle(c.style);
        Pump();
        EXPECT_EQ(WindowPixel(panel_, 2, 2), c.at2) << c.style;
        EXPECT_EQ(WindowPixel(panel_, 12, 2), c.at12) << c.style;
        EXPECT_EQ(WindowPixel(panel_, 38, 28), c.at38) << c.style;
    }
}

TEST_F(ImagePanelTest, CaptionOverThePictureUnlessBlank) {
    panel_->SetBounds(10, 10, 120, 30);
    panel_->Font()->SetColor(clWhite);
    auto whiteInMiddle = [&] {
        for (int x = 0; x < 120; ++x)
            if (WindowPixel(panel_, x, 15) == COLORREF(clWhite)) return true;
        return false;
    };
    panel_->SetCaption("   ");
    Pump();
    EXPECT_FALSE(whiteInMiddle());
    panel_->SetCaption("HHHH");
    Pump();
    EXPECT_TRUE(whiteInMiddle());
    const TRect r = panel_->CaptionRect();
    EXPECT_EQ(r.right - r.left, 120) << "the client rectangle the caption was centred in";
}

} // namespace
