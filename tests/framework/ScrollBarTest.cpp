#include "ControlTestUtil.h"

#include "framework/ScrollBar.h"

#include "platform/user/User.h"

#include <vector>

namespace {

class ScrollBarTest : public ControlFixture {
protected:
    void SetUp() override {
        ControlFixture::SetUp();
        bar_ = CreateComponent<TScrollBar>(form_);
        bar_->SetBounds(10, 10, 216, 16); // arrows 16 wide, track 184
        bar_->SetParent(form_);
        bar_->OnChange = [this](TObject*) { changes.push_back(bar_->Position()); };
        bar_->OnScroll = [this](TObject*, TScrollCode code, int& pos) { scrolls.push_back(code); };
        ShowForm();
    }
    // Screen point of a point in the bar.
    void Press(int x, int y) {
        session_->MovePointer(110 + x, 110 + y);
        session_->PressButton();
        Pump();
    }
    void Release() {
        session_->ReleaseButton();
        Pump();
    }
    TScrollBar* bar_ = nullptr;
    std::vector<int> changes;
    std::vector<TScrollCode> scrolls;
};

TEST_F(ScrollBarTest, PositionIsClampedAndOnChangeFollowsRealChanges) {
    bar_->SetPosition(150);
    EXPECT_EQ(bar_->Position(), 100);
    bar_->SetPosition(100);
    bar_->SetPosition(-5);
    EXPECT_EQ(bar_->Position(), 0);
    EXPECT_EQ(changes, (std::vector<int>{100, 0}));
    bar_->SetPageSize(21);
    bar_->SetPosition(100);
    EXPECT_EQ(bar_->Position(), 80); // Max - PageSize + 1
    bar_->SetParams(5, 10, 20);
    EXPECT_EQ(bar_->Position(), 10);
    EXPECT_EQ(bar_->PageSize(), 11); // cut to the new range
    EXPECT_THROW(bar_->SetParams(0, 10, 5), EInvalidOperation);
    EXPECT_THROW(bar_->SetPageSize(-1), EInvalidOperation);
    EXPECT_THROW(bar_->SetPageSize(12), EInvalidOperation);
    EXPECT_EQ(bar_->Min(), 10);
    EXPECT_EQ(bar_->Max(), 20);
}

TEST_F(ScrollBarTest, ArrowsStepAndRepeatWhileHeld) {
    bar_->SetSmallChange(3);
    Press(5, 8); // left arrow at position 0: nothing to go to
    Release();
    EXPECT_TRUE(changes.empty());
    EXPECT_EQ(scrolls, (std::vector<TScrollCode>{scLineUp, scEndScroll}));
    Press(210, 8); // right arrow
    EXPECT_EQ(bar_->Position(), 3);
    session_->AdvanceClock(399);
    EXPECT_EQ(bar_->Position(), 3);
    session_->AdvanceClock(1);
    EXPECT_EQ(bar_->Position(), 6);
    session_->AdvanceClock(200);
    EXPECT_EQ(bar_->Position(), 12);
    // Off the arrow it holds still; back on it goes on.
    session_->MovePointer(110 + 100, 110 + 8);
    Pump();
    session_->AdvanceClock(300);
    EXPECT_EQ(bar_->Position(), 12);
    Release();
    session_->AdvanceClock(500);
    EXPECT_EQ(bar_->Position(), 12);
    EXPECT_EQ(bar_->PressedPart(), TScrollBarPart::None);
}

TEST_F(ScrollBarTest, TrackPagesUntilTheThumbReachesThePointer) {
    bar_->SetLargeChange(10);
    bar_->SetPageSize(10);
    Press(150, 8);
    EXPECT_EQ(bar_->Position(), 10);
    session_->AdvanceClock(2000);
    // The thumb stops once it lies under the pointer.
    TScrollBarLayout l = bar_->Layout();
    EXPECT_LE(l.thumb.left, 150);
    EXPECT_GT(l.thumb.right, 150 - 1);
    int held = bar_->Position();
    session_->AdvanceClock(1000);
    EXPECT_EQ(bar_->Position(), held);
    Release();
    EXPECT_EQ(scrolls.back(), scEndScroll);
    EXPECT_EQ(scrolls.front(), scPageDown);
}

TEST_F(ScrollBarTest, DraggingTheThumbTracksAndEndsWithPosition) {
    bar_->SetPageSize(10);
    TScrollBarLayout l = bar_->Layout();
    int grab = (l.thumb.left + l.thumb.right) / 2;
    Press(grab, 8);
    session_->MovePointer(110 + grab + 80, 110 + 40); // off the bar: the drag goes on
    Pump();
    int mid = bar_->Position();
    EXPECT_GT(mid, 40);
    EXPECT_LT(mid, 60);
    session_->MovePointer(110 + 400, 110 + 8);
    Pump();
    EXPECT_EQ(bar_->Position(), 91);
    Release();
    ASSERT_GE(scrolls.size(), 3u);
    EXPECT_EQ(scrolls[0], scTrack);
    EXPECT_EQ(scrolls[scrolls.size() - 2], scPosition);
    EXPECT_EQ(scrolls.back(), scEndScroll);
}

TEST_F(ScrollBarTest, OnScrollCanRedirectTheStep) {
    bar_->OnScroll = [](TObject*, TScrollCode, int& pos) { pos = 42; };
    bar_->SetFocus();
    Pump();
    session_->PressKey(VK_RIGHT);
    Pump();
    EXPECT_EQ(bar_->Position(), 42);
}

TEST_F(ScrollBarTest, KeysFollowTheKind) {
    bar_->SetLargeChange(25);
    bar_->SetFocus();
    Pump();
    struct Case {
        int vk;
        int expect;
    };
    const Case horizontal[] = {{VK_RIGHT, 1}, {VK_NEXT, 26},  {VK_END, 100}, {VK_LEFT, 99},
                               {VK_DOWN, 99}, {VK_PRIOR, 74}, {VK_HOME, 0}};
    for (const Case& c : horizontal) {
        session_->PressKey(c.vk);
        Pump();
        EXPECT_EQ(bar_->Position(), c.expect) << c.vk;
    }
    bar_->SetKind(sbVertical);
    EXPECT_EQ(bar_->Width(), 16);
    EXPECT_EQ(bar_->Height(), 216);
    session_->PressKey(VK_DOWN);
    session_->PressKey(VK_RIGHT);
    Pump();
    EXPECT_EQ(bar_->Position(), 1);
}

TEST_F(ScrollBarTest, ThumbIsDrawnWhereThePositionSays) {
    bar_->SetPageSize(10);
    Pump();
    auto thumbAt = [&](int x) {
        COLORREF c = headless::HeadlessBackend::WindowPixel(bar_->Handle(), x, 8);
        return c != headless::HeadlessBackend::WindowPixel(bar_->Handle(), 100, 1);
    };
    EXPECT_TRUE(thumbAt(20));
    EXPECT_FALSE(thumbAt(190));
    bar_->SetPosition(91);
    Pump();
    EXPECT_FALSE(thumbAt(20));
    EXPECT_TRUE(thumbAt(190));
}

} // namespace
