#include "ControlTestUtil.h"

#include "framework/PageControl.h"

#include "platform/user/User.h"

#include <vector>

namespace {

class PageControlTest : public ControlFixture {
protected:
    void SetUp() override {
        ControlFixture::SetUp();
        pc_ = CreateComponent<TPageControl>(form_);
        pc_->SetBounds(0, 0, 300, 200);
        pc_->SetParent(form_);
        for (const char* caption : {"First", "Second", "Third", "Fourth"}) {
            TTabSheet* s = CreateComponent<TTabSheet>(form_);
            s->SetCaption(caption);
            s->SetPageControl(pc_);
            sheets.push_back(s);
        }
        pc_->OnChange = [this](TObject*) { ++changes; };
        ShowForm();
    }
    void ClickTab(int tab) {
        TRect r = pc_->TabRect(tab);
        session_->Click(100 + (r.left + r.right) / 2, 100 + (r.top + r.bottom) / 2);
        Pump();
    }
    TPageControl* pc_ = nullptr;
    std::vector<TTabSheet*> sheets;
    int changes = 0;
};

TEST_F(PageControlTest, SheetsJoinInOrderAndTheFirstIsShown) {
    EXPECT_EQ(pc_->PageCount(), 4);
    EXPECT_EQ(pc_->ActivePage(), sheets[0]);
    EXPECT_EQ(pc_->TabIndex(), 0);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(sheets[size_t(i)]->PageIndex(), i);
        EXPECT_EQ(sheets[size_t(i)]->Visible(), i == 0);
    }
    // The active sheet fills the display area below the tabs.
    EXPECT_EQ(sheets[0]->BoundsRect(), pc_->DisplayRect());
    EXPECT_GT(pc_->DisplayRect().top, 10);
    sheets[2]->SetCaption("Renamed");
    EXPECT_EQ(pc_->TabCount(), 4);
    EXPECT_THROW(pc_->Pages(4), EListError);
}

TEST_F(PageControlTest, ClickingATabSwitchesAndOnChangingCanRefuse) {
    std::vector<int> seen;
    pc_->OnChanging = [&](TObject*, bool& allow) {
        seen.push_back(pc_->ActivePageIndex());
        allow = pc_->ActivePageIndex() != 1; // page 1 holds the user
    };
    ClickTab(1);
    EXPECT_EQ(pc_->ActivePage(), sheets[1]);
    EXPECT_TRUE(sheets[1]->Visible());
    EXPECT_FALSE(sheets[0]->Visible());
    EXPECT_EQ(changes, 1);
    ClickTab(2);
    EXPECT_EQ(pc_->ActivePage(), sheets[1]);
    EXPECT_EQ(pc_->TabIndex(), 1);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(seen, (std::vector<int>{0, 1}));
    // A click on the active tab asks nothing.
    ClickTab(1);
    EXPECT_EQ(seen.size(), 2u);
    // Code asks nobody and tells nobody.
    pc_->SetActivePageIndex(3);
    EXPECT_EQ(pc_->ActivePage(), sheets[3]);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(seen.size(), 2u);
    pc_->SetActivePageIndex(-1);
    pc_->SetActivePageIndex(4);
    EXPECT_EQ(pc_->ActivePage(), sheets[3]);
}

TEST_F(PageControlTest, ArrowKeysChangeTabsThroughOnChanging) {
    pc_->SetFocus();
    Pump();
    session_->PressKey(VK_RIGHT);
    Pump();
    EXPECT_EQ(pc_->ActivePage(), sheets[1]);
    EXPECT_EQ(changes, 1);
    pc_->OnChanging = [](TObject*, bool& allow) { allow = false; };
    session_->PressKey(VK_RIGHT);
    Pump();
    EXPECT_EQ(pc_->ActivePage(), sheets[1]);
}

TEST_F(PageControlTest, HiddenTabsAreSkipped) {
    sheets[1]->SetTabVisible(false);
    EXPECT_EQ(pc_->TabCount(), 3);
    EXPECT_EQ(sheets[1]->TabIndex(), -1);
    EXPECT_EQ(sheets[2]->TabIndex(), 1);
    EXPECT_EQ(pc_->PageForTab(1), sheets[2]);
    ClickTab(1);
    EXPECT_EQ(pc_->ActivePage(), sheets[2]);
    // A page with a hidden tab can still be shown by code; then no tab is selected.
    pc_->SetActivePage(sheets[1]);
    EXPECT_TRUE(sheets[1]->Visible());
    EXPECT_EQ(pc_->TabIndex(), -1);
    // Showing its tab again selects it.
    sheets[1]->SetTabVisible(true);
    EXPECT_EQ(pc_->TabIndex(), 1);
    // Hiding the active page's tab moves on to the next page with a tab.
    sheets[1]->SetTabVisible(false);
    EXPECT_EQ(pc_->ActivePage(), sheets[2]);
    EXPECT_EQ(pc_->TabIndex(), 1);
    pc_->SelectNextPage(true);
    EXPECT_EQ(pc_->ActivePage(), sheets[3]);
    pc_->SelectNextPage(true);
    EXPECT_EQ(pc_->ActivePage(), sheets[0]);
}

TEST_F(PageControlTest, RemovingAndMovingPages) {
    pc_->SetActivePage(sheets[2]);
    sheets[2]->Free();
    sheets.erase(sheets.begin() + 2);
    EXPECT_EQ(pc_->PageCount(), 3);
    EXPECT_EQ(pc_->ActivePage(), sheets[2]); // the page after the removed one
    sheets[2]->SetPageIndex(0);
    EXPECT_EQ(pc_->Pages(0), sheets[2]);
    EXPECT_EQ(pc_->TabIndex(), 0);
    sheets[0]->SetParent(form_); // leaves the page control
    EXPECT_EQ(sheets[0]->PageControl(), nullptr);
    EXPECT_EQ(pc_->PageCount(), 2);
}

TEST_F(PageControlTest, OnShowAndOnHide) {
    std::vector<std::string> events;
    sheets[0]->OnHide = [&](TObject*) { events.push_back("hide0"); };
    sheets[1]->OnShow = [&](TObject*) { events.push_back("show1"); };
    pc_->SetActivePageIndex(1);
    EXPECT_EQ(events, (std::vector<std::string>{"hide0", "show1"}));
}

class TabControlTest : public ControlFixture {};

TEST_F(TabControlTest, OverflowingTabsScrollWithTheArrows) {
    auto* tc = CreateComponent<TTabControl>(form_);
    tc->SetBounds(0, 0, 200, 100);
    tc->SetParent(form_);
    for (int i = 0; i < 10; ++i)
        tc->Tabs()->Add("Tab number " + std::to_string(i));
    ShowForm();
    EXPECT_EQ(tc->TabIndex(), 0);
    ASSERT_TRUE(tc->ScrollArrowsShown());
    TRect right = tc->ScrollArrowRect(true), left = tc->ScrollArrowRect(false);
    auto click = [&](const TRect& r) {
        session_->Click(100 + (r.left + r.right) / 2, 100 + (r.top + r.bottom) / 2);
        Pump();
    };
    click(left);
    EXPECT_EQ(tc->FirstVisibleTab(), 0);
    click(right);
    click(right);
    EXPECT_EQ(tc->FirstVisibleTab(), 2);
    // Scrolling does not change the selection; a click on a shown tab does.
    EXPECT_EQ(tc->TabIndex(), 0);
    int changes = 0;
    tc->OnChange = [&](TObject*) { ++changes; };
    click(tc->TabRect(2));
    EXPECT_EQ(tc->TabIndex(), 2);
    EXPECT_EQ(changes, 1);
    // Selecting a far tab by code brings it into view.
    tc->SetTabIndex(9);
    EXPECT_LE(tc->TabRect(9).right, right.left);
    EXPECT_GT(tc->TabRect(9).right, 0);
    for (int i = 0; i < 20; ++i)
        click(right);
    EXPECT_LE(tc->FirstVisibleTab(), 9);
    EXPECT_THROW(tc->SetTabIndex(10), EListError);
    tc->Tabs()->Clear();
    EXPECT_EQ(tc->TabIndex(), -1);
    EXPECT_FALSE(tc->ScrollArrowsShown());
}

TEST_F(TabControlTest, SelectedTabIsDrawnJoinedToThePage) {
    auto* tc = CreateComponent<TTabControl>(form_);
    tc->SetBounds(0, 0, 200, 100);
    tc->SetColor(clWhite);
    tc->SetParent(form_);
    tc->Tabs()->Add("One");
    tc->Tabs()->Add("Two");
    ShowForm();
    int h = tc->TabHeight();
    auto px = [&](int x, int y) {
        return headless::HeadlessBackend::WindowPixel(tc->Handle(), x, y);
    };
    TRect sel = tc->TabRect(0), other = tc->TabRect(1);
    int midSel = (sel.left + sel.right) / 2, midOther = (other.left + other.right) / 2;
    // Under the selected tab the page's top line is open; under the other it is drawn.
    EXPECT_EQ(px(midSel, h), COLORREF(clWhite));
    EXPECT_NE(px(midOther, h), COLORREF(clWhite));
    EXPECT_NE(px(midOther, h - 3), COLORREF(clWhite)); // inactive tabs are shaded
}

} // namespace
