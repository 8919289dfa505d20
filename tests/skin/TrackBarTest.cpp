#include "SkinTestUtil.h"

#include "platform/user/Input.h"
#include "skin/SKTrackBar.h"

#include <climits>

namespace {

class TrackBarTest : public skin_test::SkinFixture {
protected:
    void SetUp() override {
        SkinFixture::SetUp();
        bar_ = CreateComponent<TskTrackBar>(form_);
        bar_->SetParent(form_);
        bar_->SetUIStyle(DeepBlue);
        bar_->SetBounds(10, 10, 211, 25);
        bar_->OnChange = [this](TObject*) { ++changes_; };
        ShowForm();
        changes_ = 0;
    }
    TPoint Screen(int x, int y) { return bar_->ClientToScreen(Point(x, y)); }
    TskTrackBar* bar_ = nullptr;
    int changes_ = 0;
};

TEST_F(TrackBarTest, RangeSettersKeepPositionInside) {
    bar_->SetPosition(8);
    EXPECT_EQ(changes_, 1);
    bar_->SetPosition(8);
    EXPECT_EQ(changes_, 1) << "the same value raises nothing";
    bar_->SetPosition(40);
    EXPECT_EQ(bar_->Position(), 10);
    EXPECT_EQ(changes_, 2);
    bar_->SetMin(4);
    bar_->SetMax(2);
    EXPECT_EQ(bar_->Max(), 4) << "raised to Min";
    EXPECT_EQ(bar_->Position(), 4);
    EXPECT_EQ(changes_, 3) << "once, for the move";
    bar_->SetMin(9);
    EXPECT_EQ(bar_->Min(), 4) << "lowered to Max";
}

TEST_F(TrackBarTest, PageAndLineSizeMustLieWithinZeroAndMax) {
    bar_->SetMin(-5);
    struct Case {
        int value;
        int page;
    };
    const Case cases[] = {{11, 2}, {-1, 2}, {0, 0}, {10, 10}, {7, 7}};
    for (const Case& c : cases) {
        bar_->SetPageSize(c.value);
        bar_->SetLineSize(c.value);
        EXPECT_EQ(bar_->PageSize(), c.page) << c.value;
        EXPECT_EQ(bar_->LineSize(), c.page == 2 ? bar_->LineSize() : c.page) << c.value;
    }
}

TEST_F(TrackBarTest, SliderPlaceAndValueAtAPoint) {
    const int sw = bar_->Slider()->Width();
    ASSERT_EQ(sw, 11);
    const int free = 211 - sw; // 200 pixels of travel
    struct Case {
        int min, max, position;
        int x;
    };
    const Case cases[] = {
        {0, 10, 0, 0},
        {0, 10, 10, free},
        {0, 10, 5, free / 2},
        {-255, 255, 0, 100},
        {INT_MIN, INT_MAX, INT_MAX, free},
        {INT_MIN, INT_MAX, INT_MIN, 0},
        {INT_MIN, INT_MAX, 0, 100},
    };
    for (const Case& c : cases) {
        bar_->SetMin(INT_MIN);
        bar_->SetMax(c.max);
        bar_->SetMin(c.min);
        bar_->SetPosition(c.position);
        EXPECT_EQ(bar_->Slider()->Left(), c.x) << c.min << ".." << c.max << " at " << c.position;
        EXPECT_EQ(bar_->ValueAtPoint(c.x + sw / 2, 0), c.position) << c.min << ".." << c.max;
    }
    // Halves round to even: 0..4 over 200 pixels is 50 pixels a step.
    bar_->SetMin(0);
    bar_->SetMax(4);
    EXPECT_EQ(bar_->ValueAtPoint(25 + sw / 2, 0), 0);
    EXPECT_EQ(bar_->ValueAtPoint(75 + sw / 2, 0), 2);
    EXPECT_EQ(bar_->ValueAtPoint(-500, 0), -10) << "not clamped here";
}

TEST_F(TrackBarTest, EqualBoundsAndAFullSlider) {
    bar_->SetMax(3);
    bar_->SetMin(3);
    EXPECT_EQ(bar_->Slider()->Left(), 0);
    EXPECT_TRUE(bar_->TickPositions().empty());
    EXPECT_EQ(bar_->ValueAtPoint(150, 0), 3) << "a slider that cannot move has the one value Min";
    bar_->SetMax(10);
    bar_->SetBounds(10, 10, bar_->Slider()->Width(), 25);
    EXPECT_EQ(bar_->ValueAtPoint(5, 0), 3) << "the slider fills the bar";
}

TEST_F(TrackBarTest, TicksEveryFrequencyAndAtMax) {
    struct Case {
        int min, max, frequency;
        size_t count;
    };
    const Case cases[] = {{0, 10, 1, 11},  {0, 10, 3, 5},  {0, 10, 0, 11},
                          {0, 10, -4, 11}, {0, 10, 20, 2}, {INT_MIN, INT_MAX, 1, 211}};
    for (const Case& c : cases) {
        bar_->SetMin(INT_MIN);
        bar_->SetMax(c.max);
        bar_->SetMin(c.min);
        bar_->SetFrequency(c.frequency);
        std::vector<int> ticks = bar_->TickPositions();
        EXPECT_LE(ticks.size(), c.count) << c.frequency;
        if (c.max - Int64(c.min) < 100) {
            EXPECT_EQ(ticks.size(), c.count) << c.frequency;
        }
        ASSERT_FALSE(ticks.empty());
        const int sw = bar_->Slider()->Width();
        EXPECT_EQ(ticks.front(), sw / 2);
        EXPECT_EQ(ticks.back(), 211 - sw + sw / 2);
    }
    bar_->SetMin(0);
    bar_->SetMax(10);
    bar_->SetFrequency(5);
    Pump();
    // A tick is a black line over the bottom three rows.
    const int t = bar_->TickPositions()[1];
    EXPECT_EQ(WindowPixel(bar_, t, bar_->Height() - 1), COLORREF(clBlack));
    EXPECT_NE(WindowPixel(bar_, t + 1, bar_->Height() - 1), COLORREF(clBlack));
}

TEST_F(TrackBarTest, HoldingOnTheBarPagesTowardsThePointer) {
    bar_->SetMax(100);
    bar_->SetPageSize(2);
    TPoint p = Screen(190, 12); // value 89 under the pointer
    session_->MovePointer(p.x, p.y);
    session_->PressButton();
    Pump();
    EXPECT_EQ(bar_->Position(), 2) << "one page at once";
    EXPECT_TRUE(bar_->Paging());
    Advance(100);
    EXPECT_EQ(bar_->Position(), 8) << "then three pages a tick";
    Advance(200);
    EXPECT_EQ(bar_->Position(), 20);
    Advance(5000);
    EXPECT_EQ(bar_->Position(), bar_->ValueAtPoint(190, 12)) << "and stops under the pointer";
    session_->ReleaseButton();
    Pump();
    EXPECT_FALSE(bar_->Paging());
}

TEST_F(TrackBarTest, PagingStopsWhenTheCaptureIsLostOrAHandlerFails) {
    bar_->SetMax(100);
    TPoint p = Screen(190, 12);
    session_->MovePointer(p.x, p.y);
    session_->PressButton();
    Pump();
    ASSERT_TRUE(bar_->Paging());
    ReleaseCapture();
    Pump();
    EXPECT_FALSE(bar_->Paging());
    session_->ReleaseButton();
    Pump();

    bar_->SetPosition(0);
    int calls = 0;
    bar_->OnChange = [&](TObject*) {
        if (++calls == 2) throw Exception("change failed");
    };
    session_->PressButton();
    Pump();
    Advance(100);
    EXPECT_FALSE(bar_->Paging()) << "the failing tick ended the paging";
    const int at = bar_->Position();
    Advance(1000);
    EXPECT_EQ(bar_->Position(), at);
    session_->ReleaseButton();
    Pump();
}

TEST_F(TrackBarTest, DraggingTheSliderFollowsThePointer) {
    bar_->SetMax(200);
    TskImagePanel* slider = bar_->Slider();
    TPoint p = slider->ClientToScreen(Point(5, 10));
    session_->MovePointer(p.x, p.y);
    session_->PressButton();
    Pump();
    EXPECT_TRUE(bar_->Dragging());
    EXPECT_TRUE(bar_->Focused());
    for (int x : {60, 160, 400}) {
        TPoint q = Screen(x, 12);
        session_->MovePointer(q.x, q.y);
        Pump();
        EXPECT_EQ(bar_->Position(), std::clamp(bar_->ValueAtPoint(x, 12), 0, 200)) << x;
        EXPECT_EQ(slider->Left(), bar_->SliderPoint().x);
    }
    EXPECT_EQ(changes_, 3);
    session_->ReleaseButton();
    Pump();
    EXPECT_FALSE(bar_->Dragging());
}

TEST_F(TrackBarTest, KeysMoveThePosition) {
    bar_->SetMax(20);
    bar_->SetPageSize(5);
    bar_->SetLineSize(2);
    bar_->SetPosition(10);
    bar_->SetFocus();
    struct Case {
        int key;
        int position;
    };
    const Case cases[] = {{VK_NEXT, 15}, {VK_NEXT, 20}, {VK_RIGHT, 20}, {VK_PRIOR, 15},
                          {VK_LEFT, 13}, {VK_UP, 11},   {VK_DOWN, 13},  {VK_HOME, 0},
                          {VK_LEFT, 0},  {VK_END, 20}};
    for (const Case& c : cases) {
        session_->PressKey(c.key);
        Pump();
        EXPECT_EQ(bar_->Position(), c.position) << c.key;
    }
}

TEST_F(TrackBarTest, StyleSizesTheBarAndMacOSMakesItSeeThrough) {
    bar_->SetUIStyle(WinXP);
    EXPECT_EQ(bar_->Height(), 21) << "the taller of bar and slider";
    EXPECT_FALSE(bar_->Transparent());
    bar_->SetUIStyle(MacOS);
    EXPECT_TRUE(bar_->Transparent());
    bar_->SetUIStyle(Protein);
    EXPECT_TRUE(bar_->Transparent()) << "stays on";
    bar_->SetOrientation(skVertical);
    EXPECT_EQ(bar_->Width(), 18);
    EXPECT_EQ(bar_->Slider()->Height(), 11);
    bar_->SetPosition(bar_->Max());
    EXPECT_EQ(bar_->Slider()->Top(), bar_->Height() - 11);
}

} // namespace
