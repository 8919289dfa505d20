#include "ControlTestUtil.h"

#include "framework/ScrollBox.h"

#include "platform/user/User.h"

namespace {

// The box at (10, 10), 150 x 100 with a one-pixel border: 148 x 98 inside.
class ScrollBoxTest : public ControlFixture {
protected:
    void SetUp() override {
        ControlFixture::SetUp();
        box_ = CreateComponent<TScrollBox>(form_);
        box_->SetBounds(10, 10, 150, 100);
        box_->SetParent(form_);
        child_ = CreateComponent<TProbe>(form_);
        child_->SetBounds(0, 0, 50, 50);
        child_->SetParent(box_);
        ShowForm();
    }
    TScrollBox* box_ = nullptr;
    TProbe* child_ = nullptr;
};

TEST_F(ScrollBoxTest, RangesAndBarsFollowTheChildren) {
    EXPECT_FALSE(box_->HorzScrollBar()->IsScrollBarVisible());
    EXPECT_FALSE(box_->VertScrollBar()->IsScrollBarVisible());
    EXPECT_EQ(box_->ClientWidth(), 148);
    // Taller than the box: a vertical bar, taking its width from the client area.
    child_->SetBounds(0, 0, 50, 300);
    EXPECT_EQ(box_->VertScrollBar()->Range(), 300);
    EXPECT_TRUE(box_->VertScrollBar()->IsScrollBarVisible());
    EXPECT_FALSE(box_->HorzScrollBar()->IsScrollBarVisible());
    EXPECT_EQ(box_->ClientWidth(), 148 - kScrollBarSize);
    EXPECT_EQ(box_->ClientHeight(), 98);
    // Wide enough only once the vertical bar is there: both bars.
    child_->SetBounds(0, 0, 140, 300);
    EXPECT_TRUE(box_->HorzScrollBar()->IsScrollBarVisible());
    EXPECT_EQ(box_->VertScrollBar()->MaxPosition(), 300 - (98 - kScrollBarSize));
    // Back inside: no bars.
    child_->SetBounds(0, 0, 50, 50);
    EXPECT_FALSE(box_->HorzScrollBar()->IsScrollBarVisible());
    EXPECT_FALSE(box_->VertScrollBar()->IsScrollBarVisible());
    EXPECT_EQ(box_->ClientWidth(), 148);
}

TEST_F(ScrollBoxTest, ScrollingMovesTheChildrenAndClamps) {
    child_->SetBounds(10, 20, 50, 300);
    auto* second = CreateComponent<TWinProbe>(form_);
    second->SetBounds(60, 100, 30, 30);
    second->SetParent(box_);
    box_->VertScrollBar()->SetPosition(50);
    EXPECT_EQ(child_->Top(), -30);
    EXPECT_EQ(second->Top(), 50);
    box_->VertScrollBar()->SetPosition(10000);
    EXPECT_EQ(box_->VertScrollBar()->Position(), 320 - 98);
    EXPECT_EQ(child_->Top() + child_->Height(), 98); // the bottom edge in view
    // The range does not change with scrolling.
    EXPECT_EQ(box_->VertScrollBar()->Range(), 320);
    // Shrinking the content pulls the position back.
    child_->SetHeight(150);
    EXPECT_EQ(box_->VertScrollBar()->Range(), 170);
    EXPECT_EQ(box_->VertScrollBar()->Position(), 170 - 98);
    EXPECT_EQ(child_->Top(), 20 - 72);
    // Content that fits again needs no bar, and everything is back in its place.
    second->Free();
    child_->SetHeight(50);
    EXPECT_EQ(box_->VertScrollBar()->Position(), 0);
    EXPECT_FALSE(box_->VertScrollBar()->IsScrollBarVisible());
    EXPECT_EQ(child_->Top(), 20);
}

TEST_F(ScrollBoxTest, ClicksAndDragsOnTheBarScroll) {
    child_->SetBounds(0, 0, 50, 400);
    Pump();
    // The vertical bar lies in the box's frame at x = 1 + 132 .. 148 of the box.
    int barX = 100 + 10 + 1 + box_->ClientWidth() + 8;
    int top = 100 + 10 + 1;
    int inc = box_->VertScrollBar()->Increment();
    session_->Click(barX, top + 98 - 5); // the down arrow
    Pump();
    EXPECT_EQ(box_->VertScrollBar()->Position(), inc);
    EXPECT_EQ(child_->Top(), -inc);
    session_->Click(barX, top + 5); // the up arrow
    Pump();
    EXPECT_EQ(box_->VertScrollBar()->Position(), 0);
    session_->Click(barX, top + 80); // the track below the thumb: a page
    Pump();
    EXPECT_EQ(box_->VertScrollBar()->Position(), box_->ClientHeight());
    // Drag the thumb to the far end.
    box_->VertScrollBar()->SetPosition(0);
    Pump();
    session_->MovePointer(barX, top + 20);
    session_->PressButton();
    Pump();
    session_->MovePointer(barX + 30, top + 300); // outside the box: still dragging
    Pump();
    EXPECT_EQ(box_->VertScrollBar()->Position(), box_->VertScrollBar()->MaxPosition());
    session_->ReleaseButton();
    Pump();
    EXPECT_EQ(GetCapture(), HWND(0));
    // A click on the child after the drag reaches the child, not the bar.
    child_->clicks = 0;
    session_->Click(100 + 10 + 20, top + 50);
    Pump();
    EXPECT_EQ(child_->clicks, 1);
}

TEST_F(ScrollBoxTest, HeldArrowRepeats) {
    child_->SetBounds(0, 0, 50, 400);
    Pump();
    int barX = 100 + 10 + 1 + box_->ClientWidth() + 8;
    int bottom = 100 + 10 + 1 + 98 - 5;
    session_->MovePointer(barX, bottom);
    session_->PressButton();
    Pump();
    int inc = box_->VertScrollBar()->Increment();
    EXPECT_EQ(box_->VertScrollBar()->Position(), inc);
    session_->AdvanceClock(400 + 100);
    EXPECT_EQ(box_->VertScrollBar()->Position(), 3 * inc);
    session_->ReleaseButton();
    Pump();
    session_->AdvanceClock(1000);
    EXPECT_EQ(box_->VertScrollBar()->Position(), 3 * inc);
}

TEST_F(ScrollBoxTest, AlignedChildrenFillTheContentAndDoNotCount) {
    child_->SetBounds(0, 0, 50, 300);
    auto* top = CreateComponent<TProbe>(form_);
    top->SetHeight(20);
    top->SetParent(box_);
    top->SetAlign(alTop);
    // Horizontally aligned controls take the width in view; they give no horizontal range.
    EXPECT_EQ(top->Width(), box_->ClientWidth());
    EXPECT_FALSE(box_->HorzScrollBar()->IsScrollBarVisible());
    box_->VertScrollBar()->SetPosition(40);
    EXPECT_EQ(top->Top(), -40);
}

TEST_F(ScrollBoxTest, ScrollInViewAndHiddenBars) {
    child_->SetBounds(0, 250, 40, 40);
    box_->ScrollInView(child_);
    EXPECT_EQ(child_->Top() + child_->Height(), box_->ClientHeight());
    box_->VertScrollBar()->SetVisible(false);
    EXPECT_FALSE(box_->VertScrollBar()->IsScrollBarVisible());
    EXPECT_EQ(box_->VertScrollBar()->Position(), 0);
    EXPECT_EQ(child_->Top(), 250);
}

class ScrollBoxBars : public ControlFixture {};

TEST_F(ScrollBoxBars, ScrollBoxFilledBeforeItsWindowExistsShowsItsBars) {
    auto* box = CreateComponent<TScrollBox>(form_);
    box->SetBounds(10, 10, 150, 100);
    box->SetParent(form_);
    auto* child = CreateComponent<TProbe>(form_);
    child->SetBounds(0, 0, 300, 50);
    child->SetParent(box);
    ShowForm();
    EXPECT_TRUE(box->HorzScrollBar()->IsScrollBarVisible());
    EXPECT_FALSE(box->VertScrollBar()->IsScrollBarVisible());
    // The bar is painted in the frame, below the client area.
    HWND h = box->Handle();
    COLORREF track =
        headless::HeadlessBackend::WindowFramePixel(h, 75, 1 + box->ClientHeight() + 1);
    COLORREF content = headless::HeadlessBackend::WindowFramePixel(h, 75, 1 + 20);
    EXPECT_NE(track, content);
    EXPECT_EQ(content, COLORREF(clRed));
}

TEST_F(ScrollBoxTest, ScrollMessagesAndWheel) {
    child_->SetBounds(0, 0, 50, 400);
    box_->Perform(WM_VSCROLL, SB_LINEDOWN, 0);
    EXPECT_EQ(box_->VertScrollBar()->Position(), box_->VertScrollBar()->Increment());
    box_->Perform(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 77), 0);
    EXPECT_EQ(box_->VertScrollBar()->Position(), 77);
    box_->Perform(WM_VSCROLL, SB_TOP, 0);
    EXPECT_EQ(box_->VertScrollBar()->Position(), 0);
    box_->Perform(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0);
    EXPECT_EQ(box_->VertScrollBar()->Position(), 3 * box_->VertScrollBar()->Increment());
}

} // namespace
