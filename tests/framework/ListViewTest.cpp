#include "framework/ListView.h"

#include "framework/ControlTestUtil.h"
#include "framework/DialogControls.h"
#include "platform/user/User.h"

#include <gtest/gtest.h>

namespace {

// A list view at (10, 10) of the test form, with a few items and 16 x 16 images whose colour
// tells which image was drawn.
class ListViewTest : public ControlFixture {
protected:
    void SetUp() override {
        ControlFixture::SetUp();
        images_ = CreateComponent<TImageList>(form_);
        for (TColor c : {clRed, clLime, clBlue}) {
            ObjectPtr<TBitmap> b = MakeObject<TBitmap>();
            b->SetWidth(16);
            b->SetHeight(16);
            b->Canvas()->Brush()->SetColor(c);
            b->Canvas()->FillRect(Rect(0, 0, 16, 16));
            images_->Add(b.get(), nullptr);
        }
        lv_ = CreateComponent<TListView>(form_);
        lv_->SetParent(form_);
        lv_->SetBounds(10, 10, 200, 150);
        lv_->SetSmallImages(images_);
        lv_->SetLargeImages(images_);
    }
    void AddItems(int n) {
        for (int i = 0; i < n; ++i) {
            TListItem* item = lv_->Items()->Add();
            item->SetCaption("Item " + std::to_string(i + 1));
            item->SetImageIndex(i % 3);
        }
    }
    TPoint Centre(const TRect& r) { return Point((r.left + r.right) / 2, (r.top + r.bottom) / 2); }
    // Clicks a point of the list view's client area and lets the messages run.
    void ClickAt(TPoint p) {
        TPoint s = lv_->ClientToScreen(p);
        session_->Click(s.x, s.y);
        Pump();
    }
    void ClickItem(int i) { ClickAt(Centre(lv_->LabelRect(lv_->Items()->Item(i)))); }
    void WaitForEdit() { session_->AdvanceClock(GetDoubleClickTime() + 1); }
    COLORREF Pixel(TPoint p) {
        return headless::HeadlessBackend::WindowPixel(lv_->Handle(), p.x, p.y);
    }

    TImageList* images_ = nullptr;
    TListView* lv_ = nullptr;
};

TEST_F(ListViewTest, ItemsAddIndexDeleteAndClear) {
    AddItems(3);
    int tag = 7;
    lv_->Items()->Item(1)->SetData(&tag);
    EXPECT_EQ(lv_->Items()->Count(), 3);
    EXPECT_EQ((*lv_->Items())[1]->Caption(), "Item 2");
    EXPECT_EQ(lv_->Items()->Item(1)->Data(), &tag);
    EXPECT_THROW(lv_->Items()->Item(3), EListError);
    EXPECT_THROW(lv_->Items()->Item(-1), EListError);
    lv_->SetItemIndex(2);
    TListItem* last = lv_->Selected();
    lv_->Items()->Delete(0);
    // Later items move up one place; the selection stays on the same item.
    EXPECT_EQ(last->Index(), 1);
    EXPECT_EQ(lv_->ItemIndex(), 1);
    last->Delete();
    EXPECT_EQ(lv_->Selected(), nullptr);
    EXPECT_EQ(lv_->ItemIndex(), -1);
    lv_->Items()->Clear();
    EXPECT_EQ(lv_->Items()->Count(), 0);
    lv_->SetItemIndex(5); // out of range selects nothing
    EXPECT_EQ(lv_->Selected(), nullptr);
}

TEST_F(ListViewTest, ClickSelectsTellsOldAndNewAndEmptySpaceDeselects) {
    lv_->SetViewStyle(vsSmallIcon);
    AddItems(3);
    ShowForm();
    std::vector<std::pair<int, bool>> told;
    int clicks = 0;
    lv_->OnSelectItem = [&](TObject*, TListItem* item, bool sel) {
        told.push_back({item->Index(), sel});
    };
    lv_->OnClick = [&](TObject*) { ++clicks; };
    ClickItem(0);
    ClickItem(2);
    EXPECT_EQ(lv_->ItemIndex(), 2);
    EXPECT_EQ(clicks, 2);
    std::vector<std::pair<int, bool>> want{{0, true}, {0, false}, {2, true}};
    EXPECT_EQ(told, want);
    EXPECT_TRUE(lv_->Focused());
    // Below the last row nothing is hit.
    ClickAt(Point(100, 140));
    EXPECT_EQ(lv_->Selected(), nullptr);
    EXPECT_EQ(clicks, 3);
}

TEST_F(ListViewTest, SelectedItemIsDrawnHighlightedWithItsImage) {
    lv_->SetViewStyle(vsReport);
    lv_->Columns()->Add()->SetWidth(120);
    lv_->Columns()->Add()->SetWidth(60);
    AddItems(2);
    lv_->Items()->Item(1)->SetSubItems({"sub"});
    ShowForm();
    ClickItem(1);
    TRect label = lv_->LabelRect(lv_->Items()->Item(1));
    TRect cell = lv_->ItemRect(lv_->Items()->Item(1));
    // Image 1 (green) sits at the left of the row; the caption is on the highlight colour.
    EXPECT_EQ(Pixel(Point(cell.left + 6, (cell.top + cell.bottom) / 2)), ColorToRGB(clLime));
    EXPECT_EQ(Pixel(Point(label.right - 2, label.top + 2)), ColorToRGB(clHighlight));
    TRect other = lv_->LabelRect(lv_->Items()->Item(0));
    EXPECT_EQ(Pixel(Point(other.right - 2, other.top + 2)), ColorToRGB(clWindow));
    // The report view has a header above the rows.
    EXPECT_GT(cell.top, lv_->ClientRect().top + 10);
}

struct KeyCase {
    TViewStyle style;
    int start;
    int key;
    int want;
};

TEST_F(ListViewTest, ArrowKeysFollowEachViewsLayout) {
    // 200 wide: the icon view holds two cells of 76 per row, the list view columns of
    // 5 rows; the report view moves by rows only.
    const KeyCase cases[] = {
        {vsIcon, 0, VK_RIGHT, 1},  {vsIcon, 0, VK_DOWN, 2},    {vsIcon, 3, VK_UP, 1},
        {vsReport, 2, VK_DOWN, 3}, {vsReport, 2, VK_RIGHT, 2}, {vsReport, 0, VK_END, 9},
        {vsReport, 9, VK_DOWN, 9}, {vsReport, 5, VK_HOME, 0},  {vsSmallIcon, 4, VK_UP, -2},
    };
    AddItems(10);
    ShowForm();
    lv_->SetFocus();
    for (const KeyCase& k : cases) {
        lv_->SetViewStyle(k.style);
        lv_->SetItemIndex(k.start);
        session_->PressKey(k.key);
        Pump();
        int want = k.want;
        if (want == -2) {
            // Small icons: one row up is as many items back as a row holds.
            TRect a = lv_->ItemRect(lv_->Items()->Item(0));
            int perRow = std::max(1, (lv_->ClientWidth() - 4) / (a.right - a.left));
            want = std::max(0, k.start - perRow);
            if (k.start - perRow < 0) want = k.start;
        }
        EXPECT_EQ(lv_->ItemIndex(), want) << "style " << k.style << " key " << k.key;
    }
}

TEST_F(ListViewTest, OverflowingItemsScrollWithKeysWheelAndBar) {
    lv_->SetViewStyle(vsReport);
    lv_->Columns()->Add()->SetWidth(150);
    AddItems(40);
    ShowForm();
    lv_->SetFocus();
    EXPECT_GT(lv_->ScrollMax(), 0);
    EXPECT_EQ(lv_->ScrollPos(), 0);
    session_->PressKey(VK_END);
    Pump();
    // The last item is wholly in view.
    TRect last = lv_->ItemRect(lv_->Items()->Item(39));
    EXPECT_EQ(lv_->ScrollPos(), lv_->ScrollMax());
    EXPECT_LE(last.bottom, lv_->ClientHeight());
    TPoint s = lv_->ClientToScreen(Point(50, 80));
    session_->MovePointer(s.x, s.y);
    session_->Wheel(WHEEL_DELTA); // away from the user: back up
    Pump();
    EXPECT_LT(lv_->ScrollPos(), lv_->ScrollMax());
    // A press on the bar's track above the thumb pages up, up to the top.
    lv_->SetScrollPos(0);
    ClickAt(Point(lv_->ClientWidth() - 8, lv_->ClientHeight() - 6));
    EXPECT_GT(lv_->ScrollPos(), 0);
    EXPECT_EQ(lv_->ItemIndex(), 39); // the bar is no item
    lv_->SetScrollPos(1 << 20);
    EXPECT_EQ(lv_->ScrollPos(), lv_->ScrollMax());
    lv_->Items()->Clear();
    EXPECT_EQ(lv_->ScrollPos(), 0);
}

TEST_F(ListViewTest, ClickOnSelectedItemEditsCaptionAfterTheDoubleClickTime) {
    lv_->SetViewStyle(vsSmallIcon);
    AddItems(3);
    ShowForm();
    std::vector<String> edited;
    lv_->OnEdited = [&](TObject*, TListItem* item, String& s) {
        edited.push_back(item->Caption() + "->" + s);
        if (s == "shout") s = "SHOUT";
    };
    ClickItem(1);
    WaitForEdit();
    EXPECT_FALSE(lv_->IsEditing()); // the first click only selects
    ClickItem(1);
    EXPECT_FALSE(lv_->IsEditing());
    WaitForEdit();
    ASSERT_TRUE(lv_->IsEditing());
    ASSERT_NE(lv_->Editor(), nullptr);
    EXPECT_TRUE(lv_->Editor()->Focused());
    // The caption is selected whole: typing replaces it.
    session_->TypeText("1 [X]");
    session_->PressKey(VK_RETURN);
    Pump();
    EXPECT_FALSE(lv_->IsEditing());
    EXPECT_EQ(lv_->Items()->Item(1)->Caption(), "1 [X]");
    EXPECT_TRUE(lv_->Focused());
    // F2 edits too, and the handler may change the text.
    session_->PressKey(VK_F2);
    session_->TypeText("shout");
    session_->PressKey(VK_RETURN);
    Pump();
    EXPECT_EQ(lv_->Items()->Item(1)->Caption(), "SHOUT");
    // Esc drops the edit without OnEdited.
    session_->PressKey(VK_F2);
    session_->TypeText("lost");
    session_->PressKey(VK_ESCAPE);
    Pump();
    EXPECT_EQ(lv_->Items()->Item(1)->Caption(), "SHOUT");
    std::vector<String> want{"Item 2->1 [X]", "1 [X]->shout"};
    EXPECT_EQ(edited, want);
}

TEST_F(ListViewTest, DoubleClickReadOnlyAndOnEditingKeepTheCaption) {
    lv_->SetViewStyle(vsList);
    AddItems(3);
    ShowForm();
    ClickItem(0);
    WaitForEdit(); // so the next click is no double click with this one
    int dbl = 0;
    lv_->OnDblClick = [&](TObject*) { ++dbl; };
    TPoint s = lv_->ClientToScreen(Centre(lv_->LabelRect(lv_->Items()->Item(0))));
    session_->DoubleClick(s.x, s.y);
    Pump();
    WaitForEdit();
    EXPECT_EQ(dbl, 1);
    EXPECT_FALSE(lv_->IsEditing());
    bool asked = false;
    lv_->OnEditing = [&](TObject*, TListItem*, bool& allow) {
        asked = true;
        allow = false;
    };
    session_->PressKey(VK_F2);
    Pump();
    EXPECT_TRUE(asked);
    EXPECT_FALSE(lv_->IsEditing());
    lv_->OnEditing = nullptr;
    lv_->SetReadOnly(true);
    EXPECT_FALSE(lv_->Items()->Item(0)->EditCaption());
    lv_->SetReadOnly(false);
    EXPECT_TRUE(lv_->Items()->Item(0)->EditCaption());
    EXPECT_TRUE(lv_->IsEditing());
}

TEST_F(ListViewTest, EditEndsSafelyWhenItemsGoOrFocusMoves) {
    lv_->SetViewStyle(vsSmallIcon);
    AddItems(3);
    TWinProbe* other = CreateComponent<TWinProbe>(form_);
    other->SetParent(form_);
    other->SetBounds(220, 10, 40, 40);
    ShowForm();
    // Clearing the list while editing drops the edit.
    ASSERT_TRUE(lv_->Items()->Item(2)->EditCaption());
    lv_->Items()->Clear();
    EXPECT_FALSE(lv_->IsEditing());
    AddItems(3);
    // An OnEdited handler that deletes the item: the text goes nowhere.
    lv_->OnEdited = [&](TObject*, TListItem* item, String&) { item->Delete(); };
    ASSERT_TRUE(lv_->Items()->Item(0)->EditCaption());
    session_->TypeText("x");
    session_->PressKey(VK_RETURN);
    Pump();
    EXPECT_EQ(lv_->Items()->Count(), 2);
    // Moving the focus elsewhere keeps the typed text, and the focus stays where it went.
    lv_->OnEdited = nullptr;
    ASSERT_TRUE(lv_->Items()->Item(0)->EditCaption());
    session_->TypeText("kept");
    Pump();
    other->SetFocus();
    Pump();
    EXPECT_FALSE(lv_->IsEditing());
    EXPECT_EQ(lv_->Items()->Item(0)->Caption(), "kept");
    EXPECT_TRUE(other->Focused());
    // Freeing the list view in the middle of an edit.
    bool told = false;
    lv_->OnEdited = [&](TObject*, TListItem*, String&) { told = true; };
    ASSERT_TRUE(lv_->Items()->Item(1)->EditCaption());
    lv_->Free();
    Pump();
    EXPECT_FALSE(told);
}

TEST_F(ListViewTest, FreedImageListIsForgotten) {
    AddItems(2);
    ShowForm();
    images_->Free();
    EXPECT_EQ(lv_->SmallImages(), nullptr);
    EXPECT_EQ(lv_->LargeImages(), nullptr);
    lv_->Repaint();
    Pump();
    EXPECT_EQ(lv_->GetItemAt(-5, -5), nullptr);
}

} // namespace
