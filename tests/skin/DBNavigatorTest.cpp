// The data-set navigator on a memory data set: layout, enabling from the set's state, the
// actions and their events, the delete question, the repeat of prior and next on the fake
// clock, focus and keys, hints, and what happens when its partners go.
#include "SkinTestUtil.h"

#include "framework/MemoryDataSet.h"
#include "platform/user/Input.h"
#include "platform/user/MessageBox.h"
#include "skin/SKDBNavigator.h"

#include <string>
#include <vector>

namespace {

const char* const kNames[kNavButtonCount] = {"First",  "Prior", "Next", "Last",   "Insert",
                                             "Delete", "Edit",  "Post", "Cancel", "Refresh"};

std::string Names(TButtonSet set) {
    std::string out;
    for (int i = 0; i < kNavButtonCount; ++i)
        if (set.Contains(static_cast<TNavigateBtn>(i)))
            out += std::string(out.empty() ? "" : " ") + kNames[i];
    return out;
}

class NavigatorTest : public skin_test::SkinFixture {
protected:
    void SetUp() override {
        SkinFixture::SetUp();
        set_ = CreateComponent<TMemoryDataSet>(form_);
        set_->FieldDefs()->Add("N", ftInteger);
        source_ = CreateComponent<TDataSource>(form_);
        source_->SetDataSet(set_);
        nav_ = CreateComponent<TskDBNavigator>(form_);
        nav_->SetParent(form_);
        nav_->SetLeft(10);
        nav_->SetTop(10);
        nav_->SetDataSource(source_);
        nav_->OnClick = [this](TObject* sender, TNavigateBtn b) {
            EXPECT_EQ(sender, nav_);
            clicks_.push_back(b);
        };
        nav_->BeforeAction = [this](TObject*, TNavigateBtn b) { actions_.push_back(b); };
    }
    // Opens the set with records numbered 1..n, on the first.
    void Fill(int n) {
        set_->Open();
        for (int i = 1; i <= n; ++i)
            set_->AppendRecord({Int64(i)});
        set_->First();
    }
    std::string Enabled() {
        TButtonSet on;
        for (int i = 0; i < kNavButtonCount; ++i)
            if (nav_->Buttons(static_cast<TNavigateBtn>(i))->Enabled())
                on.Include(static_cast<TNavigateBtn>(i));
        return Names(on);
    }
    void MoveTo(TNavigateBtn b) {
        TskNavButton* button = nav_->Buttons(b);
        TPoint p = button->ClientToScreen(Point(button->Width() / 2, button->Height() / 2));
        session_->MovePointer(p.x, p.y);
        Pump();
    }
    void Press(TNavigateBtn b) {
        MoveTo(b);
        session_->PressButton();
        Pump();
    }
    void Release() {
        session_->ReleaseButton();
        Pump();
    }
    void ClickOn(TNavigateBtn b) {
        Press(b);
        Release();
    }
    void Key(int vk) {
        session_->PressKey(vk);
        Pump();
    }

    TMemoryDataSet* set_ = nullptr;
    TDataSource* source_ = nullptr;
    TskDBNavigator* nav_ = nullptr;
    std::vector<TNavigateBtn> clicks_;
    std::vector<TNavigateBtn> actions_;
};

TEST_F(NavigatorTest, ANewNavigatorHasTenButtonsOf25) {
    EXPECT_EQ(nav_->Width(), 250);
    EXPECT_EQ(nav_->Height(), 30);
    EXPECT_EQ(nav_->ButtonWidth(), 25);
    EXPECT_EQ(nav_->VisibleButtons(), kAllNavButtons);
    EXPECT_TRUE(nav_->ConfirmDelete());
    EXPECT_EQ(nav_->MinButtonSize().x, 20);
    EXPECT_EQ(nav_->MinButtonSize().y, 18);
    for (int i = 0; i < kNavButtonCount; ++i) {
        TskNavButton* b = nav_->Buttons(static_cast<TNavigateBtn>(i));
        EXPECT_EQ(b->BoundsRect(), Rect(25 * i, 0, 25 * i + 25, 30)) << kNames[i];
        EXPECT_FALSE(b->TabStop());
        EXPECT_EQ(b->NavStyle().Contains(nsAllowTimer), i == nbPrior || i == nbNext);
        EXPECT_EQ(b->Glyph()->Width(), 16);
    }
}

TEST_F(NavigatorTest, PublishedPropertiesReachTheButtons) {
    for (const char* name : {"UIStyle", "FileTheme", "DataSource", "VisibleButtons", "Hints",
                             "ConfirmDelete", "Cursor", "Align", "Enabled", "Visible"})
        EXPECT_TRUE(IsPublishedProp(nav_, name)) << name;
    SetOrdProp(nav_, "VisibleButtons", 0x9); // first and last
    EXPECT_EQ(nav_->VisibleButtons(), (TButtonSet{nbFirst, nbLast}));
    EXPECT_FALSE(nav_->Buttons(nbNext)->Visible());
    EXPECT_EQ(nav_->Buttons(nbLast)->Width(), 125);
    SetOrdProp(nav_, "UIStyle", Protein);
    EXPECT_EQ(nav_->Buttons(nbNext)->UIStyle(), Protein) << "hidden ones too";
    SetOrdProp(nav_, "Cursor", crHandPoint);
    EXPECT_EQ(nav_->Buttons(nbRefresh)->Cursor(), crHandPoint);
    SetObjectProp(nav_, "DataSource", nullptr);
    EXPECT_EQ(nav_->DataSource(), nullptr);
}

TEST_F(NavigatorTest, LayoutSharesTheWidthAndKeepsItDivisible) {
    struct Case {
        TButtonSet visible;
        TAlign align;
        int width;
        int expectedWidth;
        std::vector<int> widths; // of the visible buttons, in order
    };
    const Case cases[] = {
        {kAllNavButtons, alNone, 250, 250, std::vector<int>(10, 25)},
        {kAllNavButtons, alNone, 259, 250, std::vector<int>(10, 25)},
        {{nbFirst, nbLast}, alNone, 251, 250, {125, 125}},
        {{nbFirst, nbLast}, alTop, 251, 251, {125, 126}},
        {{nbFirst, nbNext, nbRefresh}, alTop, 100, 100, {33, 34, 33}},
        {kAllNavButtons, alNone, 100, 200, std::vector<int>(10, 20)},
        // Hiding every button lays out as if one were shown.
        {{}, alNone, 97, 97, {}},
    };
    for (bool shown : {false, true}) {
        if (shown) ShowForm();
        for (const Case& c : cases) {
            const std::string what = Names(c.visible) + " at " + std::to_string(c.width) +
                                     (c.align == alTop ? " top" : "") + (shown ? " shown" : "");
            auto* host = CreateComponent<TPanel>(form_);
            host->SetBevelOuter(bvNone);
            host->SetBounds(0, 50, c.width, 60);
            host->SetParent(form_);
            auto* nav = CreateComponent<TskDBNavigator>(form_);
            nav->SetParent(host);
            nav->SetVisibleButtons(c.visible);
            nav->SetAlign(c.align);
            nav->SetBounds(0, 0, c.width, 30);
            Pump();
            EXPECT_EQ(nav->HandleAllocated(), shown) << what;
            EXPECT_EQ(nav->Width(), c.expectedWidth) << what;
            std::vector<int> widths;
            int x = 0;
            for (int i = 0; i < kNavButtonCount; ++i) {
                TskNavButton* b = nav->Buttons(static_cast<TNavigateBtn>(i));
                if (!b->Visible()) {
                    EXPECT_EQ(b->Left(), nav->Width() + 1) << what << " hidden " << kNames[i];
                    continue;
                }
                EXPECT_EQ(b->Left(), x) << what << " " << kNames[i];
                EXPECT_EQ(b->Height(), 30) << what;
                widths.push_back(b->Width());
                x += b->Width();
            }
            EXPECT_EQ(widths, c.widths) << what;
            if (c.visible.Empty()) {
                EXPECT_EQ(nav->ButtonWidth(), c.expectedWidth) << what;
            }
            host->Free();
        }
    }
}

TEST_F(NavigatorTest, ButtonsFollowTheDataSetsState) {
    struct Case {
        const char* what;
        std::function<void()> setUp;
        const char* enabled;
    };
    const Case cases[] = {
        {"no data source", [&] { nav_->SetDataSource(nullptr); }, ""},
        {"closed set", [] {}, ""},
        {"first of three", [&] { Fill(3); }, "Next Last Insert Delete Edit Refresh"},
        {"middle of three",
         [&] {
             Fill(3);
             set_->Next();
         },
         "First Prior Next Last Insert Delete Edit Refresh"},
        {"last of three",
         [&] {
             Fill(3);
             set_->Last();
         },
         "First Prior Insert Delete Edit Refresh"},
        {"editing the last",
         [&] {
             Fill(3);
             set_->Last();
             set_->Edit();
         },
         "First Prior Insert Delete Post Cancel Refresh"},
        {"empty set", [&] { Fill(0); }, "Insert Edit Refresh"},
        {"inserting into an empty set",
         [&] {
             Fill(0);
             set_->Insert();
         },
         // Moving or deleting would leave the new record, so they may.
         "First Prior Next Last Insert Delete Post Cancel Refresh"},
        {"read-only set",
         [&] {
             Fill(3);
             set_->SetReadOnly(true);
         },
         "Next Last"},
        {"navigator disabled",
         [&] {
             Fill(3);
             nav_->SetEnabled(false);
         },
         ""},
        {"source switched off",
         [&] {
             Fill(3);
             source_->SetEnabled(false);
         },
         ""},
        {"set closed after use",
         [&] {
             Fill(3);
             set_->Close();
         },
         ""},
    };
    for (const Case& c : cases) {
        set_->Close();
        set_->SetReadOnly(false);
        set_->EmptyDataSet();
        nav_->SetEnabled(true);
        source_->SetEnabled(true);
        nav_->SetDataSource(source_);
        c.setUp();
        EXPECT_EQ(Enabled(), c.enabled) << c.what;
    }
    // Back on: everything comes back from the set as it is.
    nav_->SetEnabled(true);
    source_->SetEnabled(true);
    set_->Open();
    set_->Next();
    EXPECT_EQ(Enabled(), "First Prior Next Last Insert Delete Edit Refresh");
}

TEST_F(NavigatorTest, EachButtonActsOnTheSetThenRaisesOnClick) {
    Fill(5);
    ShowForm();
    struct Step {
        TNavigateBtn button;
        TDataSetState state;
        int recNo;
    };
    const Step steps[] = {
        {nbNext, dsBrowse, 2},  {nbLast, dsBrowse, 5},   {nbPrior, dsBrowse, 4},
        {nbFirst, dsBrowse, 1}, {nbInsert, dsInsert, 1}, {nbCancel, dsBrowse, 1},
        {nbEdit, dsEdit, 1},    {nbPost, dsBrowse, 1},   {nbRefresh, dsBrowse, 1}};
    std::vector<TNavigateBtn> expected;
    for (const Step& s : steps) {
        ClickOn(s.button);
        expected.push_back(s.button);
        EXPECT_EQ(set_->State(), s.state) << kNames[s.button];
        EXPECT_EQ(set_->RecNo(), s.recNo) << kNames[s.button];
    }
    EXPECT_EQ(clicks_, expected);
    EXPECT_EQ(actions_, expected) << "BeforeAction came before each action";
}

TEST_F(NavigatorTest, WithoutAnActiveSourceAClickRaisesOnlyOnClick) {
    for (bool withSource : {false, true}) {
        clicks_.clear();
        actions_.clear();
        nav_->SetDataSource(withSource ? source_ : nullptr); // the set stays closed
        nav_->ButtonClick(nbNext);
        EXPECT_EQ(clicks_, std::vector<TNavigateBtn>{nbNext}) << withSource;
        EXPECT_TRUE(actions_.empty()) << withSource;
    }
}

TEST_F(NavigatorTest, DeleteAsksFirstAndOnlyOKDeletes) {
    ShowForm();
    struct Case {
        bool confirm;
        int answer;
        int recordsLeft;
    };
    const Case cases[] = {{true, IDCANCEL, 3}, {true, IDOK, 2}, {false, 0, 2}};
    for (const Case& c : cases) {
        set_->Close();
        set_->EmptyDataSet();
        Fill(3);
        set_->Next();
        nav_->SetConfirmDelete(c.confirm);
        session_->ClearCalls();
        clicks_.clear();
        if (c.confirm) session_->QueueMessageBoxAnswer(c.answer);
        ClickOn(nbDelete);
        EXPECT_EQ(set_->RecordCount(), c.recordsLeft) << c.answer;
        EXPECT_EQ(clicks_, std::vector<TNavigateBtn>{nbDelete}) << "OnClick also after Cancel";
        if (!c.confirm) {
            EXPECT_TRUE(session_->Calls().empty());
            continue;
        }
        ASSERT_EQ(session_->Calls().size(), 1u);
        const headless::RecordedCall& box = session_->Calls()[0];
        EXPECT_EQ(box.text, "删除记录？");
        EXPECT_EQ(box.type & 0xF, MB_OKCANCEL);
        EXPECT_TRUE(box.type & MB_ICONQUESTION);
        EXPECT_EQ(set_->FieldByName("N")->AsInteger(), c.answer == IDOK ? 3 : 2);
    }
}

TEST_F(NavigatorTest, HeldNextRepeatsAfter400ThenEvery100) {
    Fill(20);
    ShowForm();
    Press(nbNext);
    struct Tick {
        int advance;
        int recNo;
    };
    const Tick ticks[] = {{399, 1}, {1, 2}, {99, 2}, {1, 3}, {250, 5}};
    for (const Tick& t : ticks) {
        Advance(t.advance);
        EXPECT_EQ(set_->RecNo(), t.recNo) << "after " << t.advance;
    }
    EXPECT_TRUE(nav_->Buttons(nbNext)->RepeatArmed());
    Release();
    EXPECT_EQ(set_->RecNo(), 6) << "the release clicks once more";
    EXPECT_FALSE(nav_->Buttons(nbNext)->RepeatArmed());
    Advance(1000);
    EXPECT_EQ(set_->RecNo(), 6);
    EXPECT_EQ(clicks_.size(), 5u);
    // A second press starts again from 400.
    Press(nbPrior);
    Advance(399);
    EXPECT_EQ(set_->RecNo(), 6);
    Advance(1);
    EXPECT_EQ(set_->RecNo(), 5);
    Release();
}

TEST_F(NavigatorTest, RepeatStopsWhenThePressEnds) {
    struct Case {
        const char* what;
        std::function<void()> end;
    };
    const Case cases[] = {
        {"capture taken by another window", [&] { SetCapture(form_->Handle()); }},
        {"capture let go", [] { ReleaseCapture(); }},
        {"navigator disabled", [&] { nav_->SetEnabled(false); }},
        {"button disabled", [&] { nav_->Buttons(nbNext)->SetEnabled(false); }},
    };
    ShowForm();
    for (const Case& c : cases) {
        set_->Close();
        set_->EmptyDataSet();
        nav_->SetEnabled(true);
        Fill(20);
        Press(nbNext);
        Advance(400);
        ASSERT_EQ(set_->RecNo(), 2) << c.what;
        c.end();
        Pump();
        EXPECT_FALSE(nav_->Buttons(nbNext)->RepeatArmed()) << c.what;
        Advance(1000);
        EXPECT_EQ(set_->RecNo(), 2) << c.what;
        Release();
        ReleaseCapture();
        Pump();
    }
    // Reaching the end disables next, which ends its repeat.
    nav_->SetEnabled(true);
    set_->Last();
    set_->Prior();
    set_->Prior();
    Press(nbNext);
    Advance(400 + 100 * 5);
    EXPECT_TRUE(set_->Eof());
    EXPECT_FALSE(nav_->Buttons(nbNext)->Enabled());
    EXPECT_FALSE(nav_->Buttons(nbNext)->RepeatArmed());
    Release();
}

TEST_F(NavigatorTest, KeysMoveTheFocusOnlyOverButtonsThatCanTakeIt) {
    Fill(5);
    set_->SetRecNo(3);
    nav_->SetTabStop(true);
    ShowForm();
    // A press on a button gives the navigator the focus, and that button the rectangle.
    ClickOn(nbRefresh);
    EXPECT_TRUE(nav_->Focused());
    EXPECT_EQ(nav_->FocusedButton(), nbRefresh);
    nav_->SetVisibleButtons(kAllNavButtons - TButtonSet{nbPrior});
    struct Step {
        int key;
        TNavigateBtn focused;
        int recNo;
    };
    const Step steps[] = {
        {VK_LEFT, nbEdit, 3}, // over post and cancel, disabled while browsing
        {VK_LEFT, nbDelete, 3},   {VK_LEFT, nbInsert, 3},  {VK_LEFT, nbLast, 3},
        {VK_LEFT, nbNext, 3},     {VK_LEFT, nbFirst, 3}, // over the hidden prior
        {VK_LEFT, nbFirst, 3},                           // nothing before the first
        {VK_SPACE, nbNext, 1}, // first is disabled now: the focus moves on
        {VK_LEFT, nbNext, 1},  // and never back onto it, nor onto the hidden prior
        {VK_RIGHT, nbLast, 1},    {VK_SPACE, nbInsert, 5}, // last and next are disabled now
        {VK_RIGHT, nbDelete, 5},  {VK_RIGHT, nbEdit, 5},   {VK_RIGHT, nbRefresh, 5},
        {VK_RIGHT, nbRefresh, 5}, // nothing after the last
    };
    for (const Step& s : steps) {
        Key(s.key);
        EXPECT_EQ(nav_->FocusedButton(), s.focused) << kNames[s.focused] << " key " << s.key;
        EXPECT_EQ(set_->RecNo(), s.recNo) << s.key;
    }
    // Hiding the focused button moves the focus too.
    nav_->SetVisibleButtons(kAllNavButtons - TButtonSet{nbRefresh});
    EXPECT_EQ(nav_->FocusedButton(), nbEdit);
}

TEST_F(NavigatorTest, TheFocusedButtonShowsARectangleWhileTheNavigatorHasTheFocus) {
    auto* other = CreateComponent<TskButton>(form_);
    other->SetParent(form_);
    other->SetBounds(10, 100, 80, 27);
    Fill(5);
    set_->SetRecNo(3);
    nav_->SetTabStop(true);
    ShowForm();
    other->SetFocus();
    Pump();
    ASSERT_FALSE(nav_->Focused());
    auto column = [&](TNavigateBtn b) {
        std::vector<COLORREF> px;
        for (int y = 0; y < 30; ++y)
            px.push_back(WindowPixel(nav_->Buttons(b), 3, y));
        return px;
    };
    const auto plainFirst = column(nbFirst), plainNext = column(nbNext);
    nav_->SetFocus();
    Pump();
    EXPECT_NE(column(nbFirst), plainFirst) << "the rectangle's left side is at x = 3";
    EXPECT_EQ(column(nbNext), plainNext);
    Key(VK_RIGHT);
    Key(VK_RIGHT);
    EXPECT_EQ(column(nbFirst), plainFirst);
    EXPECT_NE(column(nbNext), plainNext);
    other->SetFocus();
    Pump();
    EXPECT_EQ(column(nbNext), plainNext);
}

TEST_F(NavigatorTest, HintsComeFromDefaultsUnlessSetPerLine) {
    const char* defaults[kNavButtonCount] = {
        "第一条记录", "前一条记录", "下一条记录", "最后一条记录", "插入记录",
        "删除记录",   "修改记录",   "提交修改",   "取消修改",     "刷新数据"};
    for (int i = 0; i < kNavButtonCount; ++i) {
        EXPECT_EQ(nav_->Buttons(static_cast<TNavigateBtn>(i))->Hint(), defaults[i]);
        EXPECT_EQ(nav_->DefaultHints()->Strings(i), defaults[i]);
    }
    auto custom = MakeObject<TStringList>();
    custom->SetText("\nBack one\n\nTo the end\n");
    nav_->SetHints(custom.get());
    EXPECT_EQ(nav_->Buttons(nbFirst)->Hint(), defaults[0]) << "an empty line keeps the default";
    EXPECT_EQ(nav_->Buttons(nbPrior)->Hint(), "Back one");
    EXPECT_EQ(nav_->Buttons(nbLast)->Hint(), "To the end");
    nav_->Hints()->Strings(1); // the list is the navigator's own
    nav_->Hints()->Put(1, "");
    EXPECT_EQ(nav_->Buttons(nbPrior)->Hint(), defaults[1]) << "a change to the list applies";

    auto same = MakeObject<TStringList>();
    same->Assign(nav_->DefaultHints());
    nav_->SetHints(same.get());
    EXPECT_EQ(nav_->Hints()->Count(), 0) << "the ten defaults store no custom hints";
    EXPECT_EQ(nav_->Buttons(nbLast)->Hint(), defaults[3]);
}

TEST_F(NavigatorTest, PartnersThatGoAreForgotten) {
    Fill(3);
    EXPECT_NE(Enabled(), "");
    source_->Free();
    EXPECT_EQ(nav_->DataSource(), nullptr);
    EXPECT_EQ(Enabled(), "");
    nav_->ButtonClick(nbNext);
    EXPECT_EQ(clicks_.size(), 1u);

    auto* theme = CreateComponent<TskFileTheme>(form_);
    nav_->SetUIStyle(Protein);
    nav_->SetFileTheme(theme);
    EXPECT_EQ(nav_->Buttons(nbLast)->FileTheme(), theme);
    theme->Free();
    EXPECT_EQ(nav_->FileTheme(), nullptr);
    EXPECT_EQ(nav_->UIStyle(), DeepBlue);
    EXPECT_EQ(nav_->Buttons(nbLast)->FileTheme(), nullptr);
    EXPECT_EQ(nav_->Buttons(nbLast)->UIStyle(), DeepBlue);
}

TEST_F(NavigatorTest, FreedWhileFocusedAndHeld) {
    Fill(20);
    nav_->SetTabStop(true);
    ShowForm();
    Press(nbNext);
    Advance(400);
    ASSERT_TRUE(nav_->Focused());
    ASSERT_EQ(set_->RecNo(), 2);
    nav_->Free();
    nav_ = nullptr;
    Pump();
    Advance(1000);
    Release();
    EXPECT_EQ(set_->RecNo(), 2);
    EXPECT_EQ(clicks_.size(), 1u);
    set_->Next(); // the source no longer has the navigator's link
}

TEST_F(NavigatorTest, LoadingLaysOutAndEnablesOnceAtTheEnd) {
    Fill(3);
    TskDBNavigator* loaded = nullptr;
    LoadComponents(form_, [&] {
        loaded = CreateComponent<TskDBNavigator>(form_);
        loaded->SetParent(form_);
        loaded->SetVisibleButtons({nbFirst, nbLast});
        loaded->SetBounds(0, 100, 251, 24);
        loaded->SetDataSource(source_);
        EXPECT_EQ(loaded->Width(), 251) << "no layout while loading";
    });
    EXPECT_EQ(loaded->Width(), 250);
    EXPECT_EQ(loaded->Buttons(nbLast)->BoundsRect(), Rect(125, 0, 250, 24));
    EXPECT_FALSE(loaded->Buttons(nbFirst)->Enabled());
    EXPECT_TRUE(loaded->Buttons(nbLast)->Enabled());
}

} // namespace
