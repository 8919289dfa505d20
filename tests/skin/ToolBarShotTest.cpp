// Two skinned tool bars over a striped picture in each built-in style, dumped for looking at by
// eye when KORVID_SHOT_DIR is set: one with captions below the images (a drop-down button under
// the pointer, a checked one), one in list layout (a button held down). Each shot also checks
// the style's colours where the bar draws them.
#include "SkinFormTestUtil.h"
#include "support/SkinStyles.h"

#include "framework/Image.h"
#include "framework/ImageList.h"
#include "skin/SKToolBar.h"

namespace {

class ToolBarShotTest : public skin_test::SkinFixture {
protected:
    headless::HeadlessBackend& screen() { return *session_; }

    TskToolBar* MakeBar(std::initializer_list<const char*> captions) {
        auto* bar = CreateComponent<TskToolBar>(form_);
        bar->SetParent(form_);
        bar->SetAutoSize(true);
        bar->SetShowCaptions(true);
        bar->SetImages(images_.get());
        int image = 0;
        std::vector<const char*> list(captions);
        for (auto it = list.rbegin(); it != list.rend(); ++it) {
            auto* b = CreateComponent<TToolButton>(bar);
            b->SetCaption(*it);
            b->SetImageIndex(int(list.size()) - 1 - image++);
            b->SetParent(bar);
        }
        return bar;
    }
    void Hold(TToolButton* b, bool press) {
        TPoint p = b->ClientToScreen(Point(b->Width() / 2 - 7, b->Height() / 2));
        screen().MovePointer(p.x, p.y);
        if (press) screen().PressButton();
        Pump();
    }

    ObjectPtr<TImageList> images_;
};

// Small pictures drawn in code: a coloured disc on a see-through square.
ObjectPtr<TBitmap> Icons() {
    const TColor inks[] = {clRed, clGreen, clBlue, clPurple};
    return skin_test::PatternBitmap(64, 16, [&](int x, int y) {
        const int cx = x % 16 - 8, cy = y - 8;
        return cx * cx + cy * cy < 36 ? inks[x / 16] : clFuchsia;
    });
}

TEST_F(ToolBarShotTest, EachStyleDrawsItsButtons) {
    auto behind = CreateComponent<TImage>(form_);
    behind->SetBounds(0, 0, 400, 120);
    auto stripes = skin_test::PatternBitmap(400, 120, [](int x, int y) {
        return (x + y) / 6 % 2 ? TColor(0x00D0E8F8) : TColor(0x00B0C8E0);
    });
    behind->Picture()->Assign(stripes.get());
    behind->SetParent(form_);
    images_ = MakeObject<TImageList>();
    images_->AddMasked(Icons().get(), clFuchsia);

    TskToolBar* top = MakeBar({"&File", "Open", "Save && Send", "Print"});
    TskToolBar* list = MakeBar({"Cut", "Copy", "Paste"});
    list->SetTop(100); // below the first bar
    list->SetList(true);
    TToolButton* open = top->Buttons(1);
    TToolButton* send = top->Buttons(2);
    open->SetStyle(tbsCheck);
    open->SetDown(true);
    send->SetStyle(tbsDropDown);
    list->Buttons(0)->SetStyle(tbsCheck);
    list->Buttons(0)->SetDown(true);
    form_->Show();
    Pump();

    for (const auto& s : test_support::kBuiltinStyles) {
        SCOPED_TRACE(s.name);
        for (TskToolBar* bar : {top, list})
            bar->SetUIStyle(s.style);
        const COLORREF fill = GetBuiltinThemeColor(s.style, tiToolBarButtonBackgroundColor);
        const COLORREF frame = GetBuiltinThemeColor(s.style, tiToolBarButtonBorderColor);
        const COLORREF down = GetBuiltinThemeColor(s.style, tiToolBarButtonDownBackgroundColor);

        Hold(send, false);
        ASSERT_TRUE(send->Hot());
        const TRect o = open->BoundsRect(), d = send->BoundsRect();
        EXPECT_EQ(WindowPixel(top, o.left, o.top), frame);
        EXPECT_EQ(WindowPixel(top, o.left + 1, o.top + 1), fill);
        EXPECT_EQ(WindowPixel(top, d.left + 1, d.top + 1), fill);
        EXPECT_EQ(WindowPixel(top, d.right - 7, d.top + (d.bottom - d.top) / 2), RGB(0, 0, 0));
        // Past the last button: the stripes where the style is see-through.
        const int x = top->Width() - 3, y = top->Height() / 2;
        const bool seeThrough = s.style == MacOS || s.style == Protein;
        EXPECT_EQ(WindowPixel(top, x, y) == COLORREF(stripes->Canvas()->Pixels(x, y)), seeThrough);
        skin_test::SaveScreenShot(screen(), Rect(100, 100, 500, 240),
                                  std::string("toolbar_") + s.name + "_hot.bmp");

        TToolButton* copy = list->Buttons(1);
        Hold(copy, true);
        ASSERT_TRUE(copy->Pressed());
        const TRect c = copy->BoundsRect();
        EXPECT_EQ(WindowPixel(list, c.left + 1, c.top + 1), down);
        EXPECT_EQ(WindowPixel(list, c.left, c.top), frame);
        skin_test::SaveScreenShot(screen(), Rect(100, 100, 500, 240),
                                  std::string("toolbar_") + s.name + "_pressed.bmp");
        screen().ReleaseButton();
        Pump();
    }
    for (TskToolBar* bar : {top, list})
        bar->SetImages(nullptr);
}

} // namespace
