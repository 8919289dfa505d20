#include "ControlTestUtil.h"

#include "framework/Panel.h"

namespace {

using headless::HeadlessBackend;

class PanelTest : public ControlFixture {
protected:
    void SetUp() override {
        ControlFixture::SetUp();
        panel_ = CreateComponent<TPanel>(form_);
        panel_->SetBounds(10, 10, 100, 60);
        panel_->SetColor(clWhite);
        panel_->SetParent(form_);
        ShowForm();
    }
    COLORREF At(int x, int y) { return HeadlessBackend::WindowPixel(panel_->Handle(), x, y); }
    TPanel* panel_ = nullptr;
};

TEST_F(PanelTest, BevelsAndBorderPaintTheirRings) {
    const COLORREF light = ColorToRGB(clBtnHighlight), dark = ColorToRGB(clBtnShadow);
    struct Case {
        TBevelCut outer, inner;
        int bevelWidth, border;
        // Expected colours at x = 0, 1, 2, ... along the left edge (y = 30) and at the
        // same distance in from the right edge.
        std::vector<COLORREF> left, right;
    };
    const Case cases[] = {
        {bvRaised, bvNone, 1, 0, {light, 0xFFFFFF}, {dark, 0xFFFFFF}},
        {bvLowered, bvNone, 2, 0, {dark, dark, 0xFFFFFF}, {light, light, 0xFFFFFF}},
        {bvRaised,
         bvLowered,
         1,
         2,
         {light, 0xFFFFFF, 0xFFFFFF, dark, 0xFFFFFF},
         {dark, 0xFFFFFF, 0xFFFFFF, light, 0xFFFFFF}},
        {bvNone, bvNone, 1, 0, {0xFFFFFF}, {0xFFFFFF}},
    };
    for (const Case& c : cases) {
        panel_->SetBevelOuter(c.outer);
        panel_->SetBevelInner(c.inner);
        panel_->SetBevelWidth(c.bevelWidth);
        panel_->SetBorderWidth(c.border);
        Pump();
        for (size_t i = 0; i < c.left.size(); ++i) {
            EXPECT_EQ(At(int(i), 30), c.left[i]) << "left " << i << " outer " << c.outer;
            EXPECT_EQ(At(99 - int(i), 30), c.right[i]) << "right " << i << " outer " << c.outer;
        }
    }
}

TEST_F(PanelTest, AlignedChildrenSitInsideTheFrame) {
    panel_->SetBevelOuter(bvRaised);
    panel_->SetBevelInner(bvLowered);
    panel_->SetBevelWidth(2);
    panel_->SetBorderWidth(3);
    auto* child = CreateComponent<TPanel>(form_);
    child->SetParent(panel_);
    child->SetAlign(alClient);
    // 2 + 3 + 2 pixels on every side.
    EXPECT_EQ(child->BoundsRect(), Rect(7, 7, 93, 53));
    panel_->SetBorderWidth(0);
    EXPECT_EQ(child->BoundsRect(), Rect(4, 4, 96, 56));
}

TEST_F(PanelTest, CaptionIsCentredAndBlankCaptionDrawsNothing) {
    panel_->SetBevelOuter(bvNone);
    panel_->Font()->SetColor(clBlack);
    panel_->Font()->SetHeight(-16);
    auto dark = [&](int x0, int x1) {
        int n = 0;
        for (int y = 0; y < 60; ++y)
            for (int x = x0; x < x1; ++x)
                if ((At(x, y) & 0xFF) < 0x80) ++n;
        return n;
    };
    panel_->SetCaption(" ");
    Pump();
    EXPECT_EQ(dark(0, 100), 0);
    panel_->SetCaption("WW");
    Pump();
    // Centred: ink in the middle, none near the edges, and the same on both halves (roughly).
    EXPECT_GT(dark(30, 70), 0);
    EXPECT_EQ(dark(0, 25), 0);
    EXPECT_EQ(dark(75, 100), 0);
    panel_->SetAlignment(taLeftJustify);
    Pump();
    EXPECT_GT(dark(0, 25), 0);
}

TEST_F(PanelTest, ParentBackgroundShowsTheParentAndItsGraphicControls) {
    form_->SetColor(clLime);
    auto* probe = CreateComponent<TProbe>(form_);
    probe->fill = clRed;
    probe->SetBounds(20, 20, 10, 10); // under the panel, which starts at (10, 10)
    probe->SetParent(form_);
    probe->SendToBack();
    panel_->SetBevelOuter(bvNone);
    panel_->SetParentBackground(true);
    Pump();
    EXPECT_EQ(At(50, 40), COLORREF(clLime));
    EXPECT_EQ(At(15, 15), COLORREF(clRed));
}

TEST_F(PanelTest, SettersClampAndSingleBorderFramesTheWindow) {
    panel_->SetBevelWidth(0);
    EXPECT_EQ(panel_->BevelWidth(), 1);
    panel_->SetBorderWidth(-4);
    EXPECT_EQ(panel_->BorderWidth(), 0);
    panel_->SetBorderStyle(bsSingle);
    Pump();
    EXPECT_EQ(panel_->ClientWidth(), 98);
    EXPECT_EQ(panel_->Width(), 100);
}

} // namespace
