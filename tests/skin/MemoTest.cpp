// The skinned memo: its frame, where the attached bars go, what they copy from the window's
// own bars, scrolling from a bar, and detaching.
#include "SkinTestUtil.h"

#include "platform/user/ScrollBar.h"
#include "skin/SKMemo.h"

#include <string>

namespace {

using skin_test::SkinFixture;

class Memo : public SkinFixture {
protected:
    void SetUp() override {
        SkinFixture::SetUp();
        memo_ = CreateComponent<TskMemo>(form_);
        memo_->SetParent(form_);
        memo_->SetBounds(20, 20, 200, 120);
        v_ = CreateComponent<TskScrollBar>(form_);
        v_->SetParent(form_);
        v_->SetBounds(0, 0, 16, 50);
        h_ = CreateComponent<TskScrollBar>(form_);
        h_->SetParent(form_);
        h_->SetBounds(0, 0, 50, 16);
        ShowForm();
    }
    void ManyLines(int n) {
        std::string text;
        for (int i = 0; i < n; ++i)
            text += "line " + std::to_string(i) + "\r\n";
        memo_->SetText(text);
        Pump();
    }

    TskMemo* memo_ = nullptr;
    TskScrollBar* v_ = nullptr;
    TskScrollBar* h_ = nullptr;
};

TEST_F(Memo, FrameInTheStylesBorderColour) {
    memo_->SetUIStyle(WinXP);
    Pump();
    const COLORREF border = ColorToRGB(GetBuiltinThemeColor(WinXP, tiControlBorderColor));
    EXPECT_EQ(headless::HeadlessBackend::WindowFramePixel(memo_->Handle(), 0, 50), border);
    EXPECT_EQ(headless::HeadlessBackend::WindowFramePixel(memo_->Handle(), 199, 50), border);
    EXPECT_EQ(memo_->BorderStyle(), bsNone);
    EXPECT_EQ(memo_->BorderWidth(), 2);
}

TEST_F(Memo, BarsLieOverTheEdges) {
    memo_->SetVScrollBar(v_);
    memo_->SetHScrollBar(h_);
    EXPECT_EQ(memo_->ScrollBars(), ssBoth);
    EXPECT_EQ(v_->Orientation(), skVertical);
    EXPECT_EQ(h_->Orientation(), skHorizontal);
    EXPECT_EQ(v_->BoundsRect(), Rect(20 + 200 - 16 - 2, 21, 20 + 200 - 2, 21 + 120 - 2 - 16));
    EXPECT_EQ(h_->BoundsRect(), Rect(21, 20 + 120 - 16 - 2, 21 + 200 - 2 - 16, 20 + 120 - 2));
    // They follow the memo.
    memo_->SetBounds(30, 40, 150, 100);
    EXPECT_EQ(v_->Left(), 30 + 150 - 16 - 2);
    EXPECT_EQ(h_->Top(), 40 + 100 - 16 - 2);
    // A memo thinner than a bar hides it; hiding the memo hides both.
    memo_->SetWidth(10);
    EXPECT_FALSE(v_->Visible());
    memo_->SetWidth(150);
    EXPECT_TRUE(v_->Visible());
    memo_->SetVisible(false);
    EXPECT_FALSE(v_->Visible());
    EXPECT_FALSE(h_->Visible());
}

TEST_F(Memo, ShortTextLeavesTheBarDisabled) {
    memo_->SetText("one line");
    memo_->SetVScrollBar(v_);
    Pump();
    EXPECT_FALSE(v_->Enabled());
    EXPECT_EQ(v_->LineButton(), 0);
}

TEST_F(Memo, BarsCopyTheWindowsBarsAndScrollTheText) {
    memo_->SetVScrollBar(v_);
    ManyLines(200);
    SCROLLINFO si;
    si.fMask = SIF_ALL;
    ASSERT_TRUE(GetScrollInfo(memo_->Handle(), SB_VERT, &si));
    EXPECT_TRUE(v_->Enabled());
    EXPECT_EQ(v_->Min(), si.nMin);
    EXPECT_EQ(v_->Max(), si.nMax - int(si.nPage) + 1);
    EXPECT_EQ(v_->Position(), si.nPos);
    EXPECT_GT(v_->LineButton(), 0);
    // Moving the bar scrolls the text; the bar is not pulled back by its own change.
    v_->SetPosition(50);
    Pump();
    ASSERT_TRUE(GetScrollInfo(memo_->Handle(), SB_VERT, &si));
    EXPECT_EQ(si.nPos, 50);
    EXPECT_EQ(v_->Position(), 50);
    // Scrolling the text moves the bar.
    memo_->Perform(WM_VSCROLL, MAKEWPARAM(SB_TOP, 0), 0);
    EXPECT_EQ(v_->Position(), 0);
}

TEST_F(Memo, RangeGoesInWholeWhenItMovesPastTheOldOne) {
    // The bar's old range lies wholly above the new one.
    v_->SetMax(900);
    v_->SetMin(800);
    memo_->SetVScrollBar(v_);
    ManyLines(300);
    SCROLLINFO si;
    si.fMask = SIF_ALL;
    ASSERT_TRUE(GetScrollInfo(memo_->Handle(), SB_VERT, &si));
    EXPECT_EQ(v_->Min(), si.nMin);
    EXPECT_EQ(v_->Max(), si.nMax - int(si.nPage) + 1);
    EXPECT_LT(v_->Max(), 800);
}

TEST_F(Memo, PositionsBeyondSixteenBitsReachTheText) {
    memo_->SetVScrollBar(v_);
    ManyLines(70000);
    v_->SetPosition(66000);
    Pump();
    SCROLLINFO si;
    si.fMask = SIF_POS;
    ASSERT_TRUE(GetScrollInfo(memo_->Handle(), SB_VERT, &si));
    EXPECT_EQ(si.nPos, 66000);
}

TEST_F(Memo, DetachedBarsAreLeftPlain) {
    memo_->SetVScrollBar(v_);
    memo_->SetHScrollBar(h_);
    ManyLines(100);
    memo_->SetVScrollBar(nullptr);
    EXPECT_EQ(memo_->ScrollBars(), ssHorizontal);
    EXPECT_FALSE(v_->OnChange());
    EXPECT_EQ(v_->LineButton(), 0);
    EXPECT_EQ(v_->Max(), 100);
    EXPECT_TRUE(v_->Enabled());
    // A freed bar detaches itself.
    h_->Free();
    EXPECT_EQ(memo_->HScrollBar(), nullptr);
    EXPECT_EQ(memo_->ScrollBars(), ssNone);
}

TEST_F(Memo, WithoutSkinnedBarsTheWindowsOwnBarStays) {
    memo_->SetScrollBars(ssVertical);
    ManyLines(100);
    memo_->SetUIStyle(Protein);
    memo_->SetFileTheme(nullptr);
    EXPECT_EQ(memo_->ScrollBars(), ssVertical);
}

} // namespace
