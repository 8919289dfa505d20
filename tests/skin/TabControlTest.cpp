// The tab strip: tab widths, clipping and the scroll arrows, the hit search, OnChanging, the
// index rules and keeping the active tab in view.
#include "SkinTestUtil.h"

#include "platform/user/User.h"
#include "skin/SKPageControl.h"

namespace {

using skin_test::SkinFixture;

// A tab control with the strip and nothing else (the page control without pages).
class TTestTab : public TskTab {
    KORVID_CLASS(TTestTab, TskTab)

protected:
    TskTabControlTopPanel* CreateTopPanel() override {
        return CreateComponent<TskTabControlTopPanel>(this);
    }

public:
    std::vector<int> activated;
    void TabActivated(int Index) override {
        activated.push_back(Index);
        inherited::TabActivated(Index);
    }
};

class TabStrip : public SkinFixture {
protected:
    void SetUp() override {
        SkinFixture::SetUp();
        tabs_ = CreateComponent<TTestTab>(form_);
        tabs_->SetParent(form_);
        tabs_->SetBounds(10, 10, 300, 120);
        ShowForm();
        strip_ = tabs_->TopPanel();
    }
    void SetTabs(std::initializer_list<String> texts) {
        strip_->Tabs()->Clear();
        for (const String& t : texts)
            strip_->Tabs()->Add(t);
        strip_->Repaint();
    }
    int TextWidth(const String& s) {
        auto b = MakeObject<TBitmap>();
        b->Canvas()->SetFont(tabs_->Font());
        return b->Canvas()->TextWidth(s);
    }
    void ClickStrip(int x, int y) {
        TPoint p = strip_->ClientToScreen(Point(x, y));
        session_->Click(p.x, p.y);
        Pump();
    }

    TTestTab* tabs_ = nullptr;
    TskTabControlTopPanel* strip_ = nullptr;
};

TEST_F(TabStrip, WidthsFromTheTexts) {
    // A new strip holds one tab "Tab1".
    ASSERT_EQ(strip_->Tabs()->Count(), 1);
    EXPECT_EQ(strip_->Tabs()->Get(0), "Tab1");
    EXPECT_EQ(strip_->TabWidth(0), TextWidth("Tab1") + 20);
    SetTabs({"", "i", "Brightness"});
    EXPECT_EQ(strip_->TabWidth(0), 80); // empty text
    EXPECT_EQ(strip_->TabWidth(1), std::max(15, TextWidth("i") + 20));
    EXPECT_GE(strip_->TabWidth(1), 15);
    EXPECT_EQ(strip_->TabWidth(2), TextWidth("Brightness") + 20);
    // Tabs lie side by side from the left margin; the active one a pixel lower.
    EXPECT_EQ(strip_->TabRect(0).left, 10);
    EXPECT_EQ(strip_->TabRect(0).top, 1);
    EXPECT_EQ(strip_->TabRect(1).left, 90);
    EXPECT_EQ(strip_->TabRect(1).top, 0);
    EXPECT_FALSE(strip_->Overflow());
    // The strip is as high as the tab and bar pictures, and the control's area lies below.
    auto tab = MakeObject<TBitmap>(), bar = MakeObject<TBitmap>();
    GetBuiltinThemeBitmap(DeepBlue, tiTabControlTabImage, tab.get(), 0, 0);
    GetBuiltinThemeBitmap(DeepBlue, tiTabControlBarImage, bar.get(), 0, 0);
    EXPECT_EQ(strip_->Height(), tab->Height() + bar->Height());
    EXPECT_EQ(strip_->Width(), tabs_->Width());
}

TEST_F(TabStrip, HiddenTabsTakeNoRoomAndCannotBeHit) {
    SetTabs({"One", "Two", "Three"});
    strip_->SetTabVisible(1, false);
    strip_->Repaint();
    EXPECT_EQ(strip_->TabWidth(1), 0);
    EXPECT_EQ(strip_->TabRect(2).left, 10 + strip_->TabWidth(0));
    const TRect r2 = strip_->TabRect(2);
    ClickStrip(r2.left + 5, 5);
    EXPECT_EQ(strip_->TabIndex(), 2);
    EXPECT_EQ(strip_->TabAt(r2.left - 2, 5), 0);
}

TEST_F(TabStrip, ClicksSelectTabsAndOnChangingMayRefuse) {
    SetTabs({"One", "Two", "Three"});
    int changes = 0;
    tabs_->OnChange = [&](TObject*) { ++changes; };
    bool allow = false;
    int asked = 0;
    tabs_->OnChanging = [&](TObject* sender, bool& allowChange) {
        EXPECT_EQ(sender, tabs_);
        ++asked;
        allowChange = allow;
    };
    const TRect r1 = strip_->TabRect(1);
    ClickStrip(r1.left + 5, 5);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(strip_->TabIndex(), 0);
    EXPECT_EQ(changes, 0);
    EXPECT_TRUE(tabs_->activated.empty());
    allow = true;
    ClickStrip(r1.left + 5, 5);
    EXPECT_EQ(strip_->TabIndex(), 1);
    EXPECT_EQ(changes, 1);
    // By code OnChanging is never asked.
    tabs_->SetTabIndex(2);
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(strip_->TabIndex(), 2);
    // Edges are outside: the hit search is strict.
    EXPECT_EQ(strip_->TabAt(r1.left, 5), -1);
    EXPECT_EQ(strip_->TabAt(r1.left + 1, 0), -1);
}

TEST_F(TabStrip, AClickWhoseHandlerFailsLeavesCodeChangesUnasked) {
    SetTabs({"One", "Two", "Three"});
    tabs_->OnChange = [](TObject*) { throw Exception("change failed"); };
    const TRect r1 = strip_->TabRect(1);
    ClickStrip(r1.left + 5, 5);
    ASSERT_EQ(strip_->TabIndex(), 1);
    tabs_->OnChange = nullptr;
    int asked = 0;
    tabs_->OnChanging = [&](TObject*, bool& allowChange) {
        ++asked;
        allowChange = false;
    };
    tabs_->SetTabIndex(2);
    EXPECT_EQ(asked, 0) << "a change by code is never put to OnChanging";
    EXPECT_EQ(strip_->TabIndex(), 2);
}

TEST_F(TabStrip, IndexRules) {
    SetTabs({"One", "Two", "Three"});
    tabs_->activated.clear();
    struct Case {
        int set;
        int expected;
        bool activates;
    } cases[] = {
        {5, 0, false},                               // beyond the tabs: repaint only
        {-2, 0, false}, {1, 1, true}, {1, 1, false}, // no change
        {-1, -1, true},                              // none selected
        {0, 0, true},
    };
    for (const Case& c : cases) {
        const size_t before = tabs_->activated.size();
        tabs_->SetTabIndex(c.set);
        EXPECT_EQ(strip_->TabIndex(), c.expected) << c.set;
        EXPECT_EQ(tabs_->activated.size() > before, c.activates) << c.set;
    }
    SetTabs({});
    tabs_->SetTabIndex(2);
    EXPECT_EQ(strip_->TabIndex(), -1);
}

TEST_F(TabStrip, TooManyTabsClipAndScroll) {
    SetTabs({"Set Cell Positions", "Create GIF/AVI", "Brightness", "Help", "About", "More"});
    EXPECT_TRUE(strip_->Overflow());
    // The first tab crossing the limit is cut there, never turned inside out.
    const int limit = strip_->Width() - 2 * strip_->ArrowWidth() - 2;
    int cut = -1;
    for (int i = 0; i < 6; ++i) {
        const TRect r = strip_->TabRect(i);
        EXPECT_LE(r.left, r.right) << i;
        if (r.right == limit && cut < 0) cut = i;
    }
    ASSERT_GE(cut, 1);
    // Left arrow at the start: stays at 0. Right arrow: one tab further.
    const int ax = strip_->Width() - (strip_->ArrowWidth() + 2);
    const int ah = strip_->ArrowHeight();
    const int ay = ah + 4 < strip_->Height() ? (strip_->Height() - ah) / 2 - 2 : 0;
    ClickStrip(ax - strip_->ArrowWidth() + 2, ay + 2);
    EXPECT_EQ(strip_->FirstVisibleTab(), 0);
    ClickStrip(ax + 2, ay + 2);
    EXPECT_EQ(strip_->FirstVisibleTab(), 1);
    EXPECT_EQ(strip_->TabIndex(), 0); // the arrows select nothing
    ClickStrip(ax - strip_->ArrowWidth() + 2, ay + 2);
    EXPECT_EQ(strip_->FirstVisibleTab(), 0);
}

TEST_F(TabStrip, SelectingByCodeBringsTheActiveTabIntoView) {
    SetTabs(
        {"Set Cell Positions", "Create GIF/AVI", "Brightness", "Help", "About", "More", "Last"});
    tabs_->SetTabIndex(6);
    strip_->Repaint();
    EXPECT_GT(strip_->FirstVisibleTab(), 0);
    const TRect r = strip_->TabRect(6);
    EXPECT_LT(r.left, r.right);
    EXPECT_LE(r.right, strip_->Width() - 10);
    // Back to the first: scrolls back so that it shows again.
    tabs_->SetTabIndex(0);
    strip_->Repaint();
    EXPECT_EQ(strip_->FirstVisibleTab(), 0);
    // A tab wider than the whole strip still ends the scrolling.
    SetTabs({"x", String(400, 'W')});
    tabs_->SetTabIndex(1);
    strip_->Repaint();
    EXPECT_LE(strip_->FirstVisibleTab(), 1);
}

TEST_F(TabStrip, HiddenTabsBeforeTheScrollPositionKeepTheActiveTabInView) {
    SetTabs({"Hidden", "Set Cell Positions", "Create GIF/AVI", "Brightness", "Help", "About",
             "More", "Last"});
    strip_->SetTabVisible(0, false);
    tabs_->SetTabIndex(7);
    strip_->Repaint();
    ASSERT_GT(strip_->FirstVisibleTab(), 0);
    // Each tab selected by code is drawn, however far the strip has to scroll back.
    for (int index : {2, 1, 7, 3}) {
        tabs_->SetTabIndex(index);
        strip_->Repaint();
        const TRect r = strip_->TabRect(index);
        EXPECT_LT(r.left, r.right) << index;
        EXPECT_EQ(strip_->TabAt(r.left + 3, 5), index) << index;
    }
    tabs_->SetTabIndex(1);
    strip_->Repaint();
    EXPECT_EQ(strip_->FirstVisibleTab(), 0); // the first shown tab: no scrolling left
}

TEST_F(TabStrip, AFreedSkinFileLeavesNoLinkBehind) {
    // The strip on a theme of its own, which the tab control does not know of.
    auto* theme = CreateComponent<TskFileTheme>(form_);
    strip_->SetFileTheme(theme);
    strip_->SetUIStyle(FromThemeFile);
    theme->Free();
    EXPECT_EQ(strip_->FileTheme(), nullptr);
    EXPECT_EQ(strip_->UIStyle(), DeepBlue);
    strip_->Repaint();
    strip_->SetFileTheme(nullptr);
}

TEST_F(TabStrip, TabsArePublished) {
    ASSERT_TRUE(HasPublishedProperty(strip_, "Tabs"));
    auto lines = MakeObject<TStringList>();
    lines->Add("One");
    lines->Add("Two");
    SetObjectProp(strip_, "Tabs", lines.get());
    EXPECT_EQ(strip_->Tabs()->Count(), 2);
    EXPECT_EQ(GetObjectProp(strip_, "Tabs"), strip_->Tabs());
}

TEST_F(TabStrip, WhateverAsksItToRealignTheStripLiesAcrossTheTop) {
    tabs_->SetBounds(10, 10, 260, 120);
    strip_->SetAlign(alBottom);
    EXPECT_EQ(strip_->BoundsRect(), Rect(0, 0, 260, strip_->Height()));
    strip_->SetAlign(alNone);
    strip_->SetTop(5); // a move that keeps the size
    EXPECT_EQ(strip_->BoundsRect(), Rect(0, 0, 260, strip_->Height()));
}

TEST_F(TabStrip, EveryTabCanBeClickedEvenBeyondSixtyFour) {
    strip_->Tabs()->Clear();
    for (int i = 0; i < 70; ++i)
        strip_->Tabs()->Add("");
    tabs_->SetBounds(0, 0, 40000, 60); // wide enough for all 70 tabs of 80 pixels
    strip_->Repaint();
    const TRect r = strip_->TabRect(68);
    ASSERT_LT(r.left, r.right);
    EXPECT_EQ(strip_->TabAt(r.left + 3, 5), 68);
    EXPECT_EQ(strip_->TabWidth(69), 80);
}

TEST_F(TabStrip, StripBackgroundIsFilledBeforeTheTabs) {
    SetTabs({"One"});
    strip_->SetColor(clLime);
    strip_->Repaint();
    // Right of the last tab, above the bar: the strip's own colour, nothing left over.
    EXPECT_EQ(WindowPixel(strip_, strip_->Width() - 20, 2), COLORREF(clLime));
}

TEST_F(TabStrip, StyleSetsTheColoursAndLoadingRaisesNoEvents) {
    tabs_->SetUIStyle(WinXP);
    EXPECT_EQ(tabs_->Color(), clWhite);
    EXPECT_EQ(tabs_->BorderColor(), GetBuiltinThemeColor(WinXP, tiControlBorderColor));
    EXPECT_EQ(strip_->Color(), GetBuiltinThemeColor(WinXP, tiControlBackgroundColor));
    tabs_->SetUIStyle(Protein);
    EXPECT_EQ(tabs_->Color(), GetBuiltinThemeColor(Protein, tiControlBackgroundColor));
    SetTabs({"One", "Two"});
    int events = 0;
    tabs_->OnChange = [&](TObject*) { ++events; };
    tabs_->OnTabActive = [&](TObject*, int) { ++events; };
    LoadComponents(tabs_, [&] { tabs_->SetTabIndex(1); });
    EXPECT_EQ(strip_->TabIndex(), 1);
    EXPECT_EQ(events, 0);
}

} // namespace
