#include "SkinTestUtil.h"

#include "skin/SKScrollBar.h"

namespace {

class ScrollBarTest : public skin_test::SkinFixture {
protected:
    void SetUp() override {
        SkinFixture::SetUp();
        // The brightness bar of the main window.
        bar_ = CreateComponent<TskScrollBar>(form_);
        bar_->SetParent(form_);
        bar_->SetUIStyle(Protein);
        bar_->SetBounds(10, 10, 252, 16);
        bar_->SetMin(-255);
        bar_->SetMax(255);
        bar_->SetPosition(0);
        bar_->SetSmallChange(1);
        bar_->SetLargeChange(2);
        bar_->SetPageSize(2);
        bar_->SetOnChange([this](TObject*) { ++changes_; });
        ShowForm();
    }
    void HoldArrow(TskImageButton* b, int ms) {
        TPoint p = b->ClientToScreen(Point(b->Width() / 2, b->Height() / 2));
        session_->MovePointer(p.x, p.y);
        session_->PressButton();
        Pump();
        Advance(ms);
        session_->ReleaseButton();
        Pump();
    }
    int SliderLength() { return bar_->Track()->Slider()->Width(); }
    TskScrollBar* bar_ = nullptr;
    int changes_ = 0;
};

TEST_F(ScrollBarTest, AClickStepsOnceAndHoldingStepsEvery100Ms) {
    struct Case {
        int held; // ms
        int steps;
    };
    // The release of a press that has repeated adds no step of its own.
    const Case cases[] = {{0, 1}, {99, 1}, {100, 1}, {199, 1}, {350, 3}};
    for (const Case& c : cases) {
        bar_->SetPosition(0);
        HoldArrow(bar_->IncreaseButton(), c.held);
        EXPECT_EQ(bar_->Position(), c.steps) << c.held << " ms";
        HoldArrow(bar_->DecreaseButton(), c.held);
        EXPECT_EQ(bar_->Position(), 0) << c.held << " ms";
    }
    bar_->SetSmallChange(10);
    changes_ = 0;
    HoldArrow(bar_->DecreaseButton(), 200);
    EXPECT_EQ(bar_->Position(), -20);
    EXPECT_EQ(changes_, 2);
    // A press released off the arrow steps only on its ticks; the next click steps again.
    TskImageButton* inc = bar_->IncreaseButton();
    TPoint p = inc->ClientToScreen(Point(inc->Width() / 2, inc->Height() / 2));
    session_->MovePointer(p.x, p.y);
    session_->PressButton();
    Pump();
    Advance(100);
    session_->MovePointer(p.x, p.y + 100);
    session_->ReleaseButton();
    Pump();
    EXPECT_EQ(bar_->Position(), -10);
    HoldArrow(inc, 0);
    EXPECT_EQ(bar_->Position(), 0);
}

TEST_F(ScrollBarTest, HorizontalLayoutAndTurnedArrows) {
    EXPECT_EQ(bar_->Height(), 16) << "as high as the arrows";
    TskImageButton* dec = bar_->DecreaseButton();
    TskImageButton* inc = bar_->IncreaseButton();
    EXPECT_EQ(dec->Left(), 0);
    EXPECT_EQ(inc->Left(), 252 - inc->Width());
    EXPECT_EQ(bar_->Track()->Left(), dec->Width());
    EXPECT_EQ(bar_->Track()->Width(), 252 - dec->Width() - inc->Width());
    // The strip is drawn for a vertical bar: a horizontal one turns its pieces left, so the
    // upward arrow of the decrease button points left: its tip is in the left half.
    TGraphic* pic = dec->PicNormal()->Graphic();
    ASSERT_TRUE(pic);
    EXPECT_EQ(pic->Width(), 16);
    bar_->SetOrientation(skVertical);
    bar_->SetBounds(10, 10, 40, 185);
    EXPECT_EQ(bar_->Width(), 16) << "as wide as the arrows";
    EXPECT_EQ(bar_->Track()->Top(), dec->Height());
    EXPECT_EQ(bar_->Track()->Height(), 185 - dec->Height() - inc->Height() - 1);
    EXPECT_EQ(inc->Top(), 185 - inc->Height());
}

TEST_F(ScrollBarTest, SliderLengthFollowsPageSizeOrLineButton) {
    const int track = bar_->Track()->Width();
    struct Case {
        int pageSize;
        int length;
    };
    const Case cases[] = {
        {2, 10 * track / 100}, {50, 50 * track / 100}, {150, 10 * track / 100}, {100, track}};
    for (const Case& c : cases) {
        bar_->SetPageSize(c.pageSize);
        EXPECT_EQ(SliderLength(), c.length) << c.pageSize;
    }
    bar_->SetLineButton(5);
    EXPECT_EQ(bar_->LineButton(), 18);
    EXPECT_EQ(SliderLength(), 18);
    bar_->SetLineButton(1000);
    EXPECT_EQ(bar_->LineButton(), 18) << "longer than the room between the arrows: refused";
    bar_->SetLineButton(40);
    EXPECT_EQ(SliderLength(), 40);
}

TEST_F(ScrollBarTest, LargeChangeSetsPageSizeWithoutRebuildingTheSlider) {
    bar_->SetPageSize(2);
    const int before = SliderLength();
    bar_->SetLargeChange(50);
    EXPECT_EQ(bar_->PageSize(), 50);
    EXPECT_EQ(SliderLength(), before);
    bar_->SetPageSize(50);
    EXPECT_GT(SliderLength(), before);
}

TEST_F(ScrollBarTest, TheRebuiltSliderIsPlacedAgain) {
    bar_->SetPosition(255);
    bar_->SetPageSize(50);
    TskImagePanel* slider = bar_->Track()->Slider();
    EXPECT_EQ(slider->Left() + slider->Width(), bar_->Track()->Width()) << "still at the far end";
}

TEST_F(ScrollBarTest, PositionIsClampedByTheTrack) {
    bar_->SetPosition(-300);
    EXPECT_EQ(bar_->Position(), -255);
    EXPECT_EQ(changes_, 1);
    bar_->SetPosition(-255);
    EXPECT_EQ(changes_, 1);
}

TEST_F(ScrollBarTest, ABarWithoutSizeHidesAndShowsAgainWithOne) {
    bar_->SetWidth(0);
    EXPECT_FALSE(bar_->Visible());
    EXPECT_FALSE(bar_->Track()->Visible());
    bar_->SetWidth(200);
    EXPECT_TRUE(bar_->Visible());
    EXPECT_TRUE(bar_->Track()->Visible());
    EXPECT_TRUE(bar_->IncreaseButton()->Visible());
    // A bar the program hid stays hidden through a resize.
    bar_->SetVisible(false);
    bar_->SetWidth(150);
    EXPECT_FALSE(bar_->Visible());
}

TEST_F(ScrollBarTest, ColourComesFromTheStyle) {
    struct Case {
        TskUIStyle style;
        TColor colour;
    };
    const Case cases[] = {{MacOS, 0x00C9C9C9}, {WinXP, 0x00F9F9F9}, {BlueGlass, 0x00F4F4F4}};
    for (const Case& c : cases) {
        bar_->SetUIStyle(c.style);
        EXPECT_EQ(bar_->Color(), c.colour);
        EXPECT_EQ(bar_->Track()->Color(), c.colour);
    }
}

} // namespace
