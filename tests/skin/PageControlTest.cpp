// The page control: adding, removing, moving and hiding pages, the order of the pages'
// OnShow / OnHide and the control's OnChange, the focus on a switch, and loading an order.
#include "SkinTestUtil.h"

#include "framework/Edit.h"
#include "skin/SKPageControl.h"

#include <string>

namespace {

using skin_test::SkinFixture;

class Pages : public SkinFixture {
protected:
    void SetUp() override {
        SkinFixture::SetUp();
        pc_ = CreateComponent<TskPageControl>(form_);
        pc_->SetParent(form_);
        pc_->SetBounds(10, 10, 360, 250);
        pc_->OnChange = [this](TObject*) { log_ += "change;"; };
    }
    TskTabSheet* AddSheet(const String& caption) {
        auto* sheet = CreateComponent<TskTabSheet>(form_);
        sheet->SetName("Sheet" + std::to_string(++made_));
        sheet->SetCaption(caption);
        sheet->OnShow = [this, caption](TObject*) { log_ += "show " + caption + ";"; };
        sheet->OnHide = [this, caption](TObject*) { log_ += "hide " + caption + ";"; };
        sheet->SetParent(pc_);
        return sheet;
    }
    void AddFour() {
        for (const char* c : {"A", "B", "C", "D"})
            sheets_.push_back(AddSheet(c));
    }
    std::string Tabs() {
        std::string out;
        for (int i = 0; i < pc_->TopPanel()->Tabs()->Count(); ++i)
            out += pc_->TopPanel()->Tabs()->Get(i);
        return out;
    }

    TskPageControl* pc_ = nullptr;
    std::vector<TskTabSheet*> sheets_;
    std::string log_;
    int made_ = 0;
};

TEST_F(Pages, AddingASheetMakesItActiveWithItsTabLast) {
    EXPECT_EQ(pc_->TopPanel()->Tabs()->Count(), 0); // no "Tab1" on a page control
    TskTabSheet* a = AddSheet("A");
    EXPECT_EQ(pc_->ActivePage(), a);
    EXPECT_EQ(log_, "show A;"); // the strip's first tab was selected already
    log_.clear();
    TskTabSheet* b = AddSheet("B");
    EXPECT_EQ(pc_->PageCount(), 2);
    EXPECT_EQ(Tabs(), "AB");
    EXPECT_EQ(pc_->ActivePage(), b);
    EXPECT_EQ(b->PageIndex(), 1);
    EXPECT_EQ(log_, "hide A;show B;change;"); // each once
    EXPECT_FALSE(a->Enabled());
    EXPECT_TRUE(b->Enabled());
    EXPECT_EQ(a->Align(), alClient);
    EXPECT_EQ(pc_->TopPanel()->TabIndex(), 1);
    // The caption is the tab's text at once.
    a->SetCaption("First");
    EXPECT_EQ(Tabs(), "FirstB");
}

TEST_F(Pages, SwitchingRaisesHideShowChangeOncePerActivation) {
    AddFour();
    struct Case {
        std::function<void()> step;
        TskTabSheet** expected;
        const char* log;
    };
    TskTabSheet* a = sheets_[0];
    TskTabSheet* c = sheets_[2];
    const Case cases[] = {
        {[&] { pc_->SetActivePageIndex(0); }, &a, "hide D;show A;change;"},
        {[&] { pc_->SetActivePage(c); }, &c, "hide A;show C;change;"},
        {[&] { pc_->SetActivePage(c); }, &c, ""}, // already active
        {[&] { pc_->SetActivePageIndex(-1); }, &c, ""},
        {[&] { pc_->SetActivePageIndex(4); }, &c, ""},
        {[&] { pc_->TopPanel()->SetTabIndex(0); }, &a, "hide C;show A;change;"},
    };
    for (const Case& k : cases) {
        log_.clear();
        k.step();
        EXPECT_EQ(pc_->ActivePage(), *k.expected);
        EXPECT_EQ(log_, k.log);
    }
}

TEST_F(Pages, RemovingPages) {
    AddFour();
    pc_->SetActivePageIndex(3);
    log_.clear();
    // Removing page 3 activates page 2.
    sheets_[3]->SetParent(nullptr);
    EXPECT_EQ(pc_->PageCount(), 3);
    EXPECT_EQ(Tabs(), "ABC");
    EXPECT_EQ(pc_->ActivePage(), sheets_[2]);
    EXPECT_EQ(sheets_[3]->PageControl(), nullptr);
    // Removing the first page: the page now first is active, so the pages that remain never
    // stand there all disabled with no tab selected.
    log_.clear();
    sheets_[0]->SetParent(nullptr);
    EXPECT_EQ(pc_->ActivePage(), sheets_[1]);
    EXPECT_EQ(pc_->TopPanel()->TabIndex(), 0);
    EXPECT_TRUE(sheets_[1]->Enabled());
    EXPECT_EQ(log_, "hide C;show B;change;");
    EXPECT_EQ(Tabs(), "BC");
    EXPECT_EQ(sheets_[1]->PageIndex(), 0);
    pc_->SetActivePageIndex(1);
    EXPECT_EQ(pc_->ActivePage(), sheets_[2]);
    // A freed page leaves its control.
    sheets_[2]->Free();
    EXPECT_EQ(pc_->PageCount(), 1);
    EXPECT_EQ(pc_->ActivePage(), sheets_[1]);
    // The last page gone: no active page, and no tab selected.
    sheets_[1]->SetParent(nullptr);
    EXPECT_EQ(pc_->ActivePage(), nullptr);
    EXPECT_EQ(pc_->TopPanel()->TabIndex(), -1);
}

TEST_F(Pages, ShowingASheetActivatesItsPage) {
    AddFour();
    pc_->SetActivePageIndex(0);
    log_.clear();
    sheets_[2]->Show();
    EXPECT_EQ(pc_->ActivePage(), sheets_[2]);
    EXPECT_EQ(pc_->TopPanel()->TabIndex(), 2);
    EXPECT_EQ(log_.find("hide A;"), 0u);
    EXPECT_NE(log_.find("show C;"), std::string::npos);
    // A control inside the page shown: its page comes to the front as well.
    auto* edit = CreateComponent<TEdit>(form_);
    edit->SetParent(sheets_[1]);
    edit->SetVisible(false);
    edit->Show();
    EXPECT_EQ(pc_->ActivePage(), sheets_[1]);
}

TEST_F(Pages, MovingAPageKeepsItsTabFlag) {
    AddFour();
    sheets_[1]->SetTabVisible(false);
    sheets_[3]->SetPageIndex(0);
    EXPECT_EQ(Tabs(), "DABC");
    EXPECT_EQ(sheets_[3]->PageIndex(), 0);
    EXPECT_EQ(pc_->ActivePage(), sheets_[3]);
    // B is now at 2 and still hidden; A at 1 shows.
    EXPECT_FALSE(pc_->TopPanel()->TabVisible(2));
    EXPECT_TRUE(pc_->TopPanel()->TabVisible(1));
    EXPECT_FALSE(sheets_[1]->TabVisible());
    sheets_[3]->SetPageIndex(9); // out of range: stays
    EXPECT_EQ(sheets_[3]->PageIndex(), 0);
    // Removing a page before a hidden one keeps the flag with its page.
    sheets_[0]->SetParent(nullptr);
    EXPECT_FALSE(sheets_[1]->TabVisible());
    EXPECT_EQ(sheets_[1]->PageIndex(), 1);
}

TEST_F(Pages, HidingTabs) {
    AddFour();
    pc_->SetActivePageIndex(2);
    // The active page's tab hidden: the nearest visible one before it.
    sheets_[2]->SetTabVisible(false);
    EXPECT_EQ(pc_->ActivePage(), sheets_[1]);
    // Another page's tab: only the strip changes.
    log_.clear();
    sheets_[3]->SetTabVisible(false);
    EXPECT_EQ(pc_->ActivePage(), sheets_[1]);
    EXPECT_EQ(log_, "");
    // Nothing before: the nearest after.
    pc_->SetActivePageIndex(0);
    sheets_[0]->SetTabVisible(false);
    EXPECT_EQ(pc_->ActivePage(), sheets_[1]);
    // The only visible tab hidden: the page stays active.
    sheets_[1]->SetTabVisible(false);
    EXPECT_EQ(pc_->ActivePage(), sheets_[1]);
}

TEST_F(Pages, SwitchFocusesTheFirstControlOfTheNewPage) {
    AddFour();
    ShowForm();
    auto* edit = CreateComponent<TEdit>(form_);
    edit->SetParent(sheets_[1]);
    pc_->SetActivePageIndex(1);
    Pump();
    EXPECT_EQ(form_->ActiveControl(), edit);
    auto* other = CreateComponent<TEdit>(form_);
    other->SetParent(sheets_[1]);
    other->SetFocus();
    // Activating the page whose tab is selected already moves nothing.
    pc_->SetActivePage(sheets_[1]);
    EXPECT_EQ(form_->ActiveControl(), other);
}

TEST_F(Pages, StyleAndColourReachEveryPage) {
    AddFour();
    auto* button = CreateComponent<TskPageControl>(form_); // any child with a style
    button->SetParent(sheets_[0]);
    pc_->SetUIStyle(Protein);
    for (TskTabSheet* s : sheets_) {
        EXPECT_EQ(s->Color(), pc_->Color());
        EXPECT_EQ(s->BorderColor(), pc_->BorderColor());
    }
    EXPECT_EQ(button->UIStyle(), Protein);
    pc_->SetColor(clYellow);
    EXPECT_EQ(sheets_[3]->Color(), clYellow);
}

TEST_F(Pages, StoredOrderIsAppliedAfterLoading) {
    LoadComponents(pc_, [&] {
        AddFour();
        sheets_[0]->SetTabVisible(false);
        pc_->SetStoredPageNames({"Sheet3", "Sheet1", "Sheet4", "Sheet2"});
    });
    EXPECT_EQ(Tabs(), "CADB");
    std::vector<String> names = pc_->PageNames();
    EXPECT_EQ(names, (std::vector<String>{"Sheet3", "Sheet1", "Sheet4", "Sheet2"}));
    // Each tab's flag comes from its own page.
    EXPECT_FALSE(pc_->TopPanel()->TabVisible(1));
    EXPECT_TRUE(pc_->TopPanel()->TabVisible(0));
}

TEST_F(Pages, PagesGoWithTheirControl) {
    AddFour();
    const int before = form_->ComponentCount();
    pc_->Free(); // its child pages go with it, without reaching back into it
    EXPECT_EQ(form_->ComponentCount(), before - 5);
}

TEST_F(Pages, DragModeAndCursorArePublishedByName) {
    AddFour();
    for (TControl* c : std::initializer_list<TControl*>{pc_, sheets_[0]}) {
        SetOrdProp(c, "DragMode", dmAutomatic);
        SetOrdProp(c, "DragCursor", crHandPoint);
        EXPECT_EQ(c->DragMode(), dmAutomatic) << c->ClassName();
        EXPECT_EQ(GetOrdProp(c, "DragCursor"), crHandPoint) << c->ClassName();
    }
}

} // namespace
