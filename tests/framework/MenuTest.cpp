#include "MenuTestUtil.h"
#include "framework/MenuPopup.h"
#include "platform/user/User.h"

namespace {

using headless::HeadlessBackend;

TEST(ShortCutText, NamesKeysWithModifiers) {
    struct Case {
        TShortCut shortCut;
        const char* text;
    } cases[] = {
        {ShortCut('S', TShiftState{ssCtrl}), "Ctrl+S"},
        {ShortCut('S', TShiftState{ssCtrl, ssShift}), "Shift+Ctrl+S"},
        {ShortCut(VK_F5, TShiftState{}), "F5"},
        {ShortCut(VK_DELETE, TShiftState{ssAlt}), "Alt+Del"},
        {ShortCut(VK_RETURN, TShiftState{}), "Enter"},
        {ShortCut('0', TShiftState{ssCtrl}), "Ctrl+0"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ShortCutToText(c.shortCut), c.text);
        EXPECT_EQ(TextToShortCut(c.text), c.shortCut) << c.text;
    }
    EXPECT_EQ(ShortCutToText(scNone), "");
    EXPECT_EQ(ShortCutToText(ShortCut(VK_SHIFT, TShiftState{})), ""); // no name, no text
    EXPECT_EQ(TextToShortCut("Hyper+Q"), scNone);
    EXPECT_EQ(ShortCut(0x1FF, TShiftState{}), scNone);
}

TEST(ShortCutText, HotkeysOfCaptions) {
    EXPECT_EQ(StripHotkey("&File"), "File");
    EXPECT_EQ(StripHotkey("Save && &Quit"), "Save & Quit");
    EXPECT_EQ(GetHotkey("E&xit"), 'X');
    EXPECT_EQ(GetHotkey("A && B"), 0);
    EXPECT_EQ(GetHotkey("Trailing&"), 0);
}

class Menus : public ControlFixture {
protected:
    void SetUp() override {
        ControlFixture::SetUp();
        ShowForm();
        menu_ = CreateComponent<TPopupMenu>(form_);
    }
    HeadlessBackend& screen() { return *session_; }
    // Popup at (400, 300) with every row 20 pixels high: row k spans y 302 + 20k ...
    void FixedRows() {
        std::function<void(TMenuItem*)> fix = [&](TMenuItem* parent) {
            for (int i = 0; i < parent->Count(); ++i) {
                parent->Items(i)->OnMeasureItem = [](TObject*, TCanvas*, int& w, int& h) {
                    w = 120;
                    h = 20;
                };
                fix(parent->Items(i));
            }
        };
        fix(menu_->Items());
    }
    TPoint Row(int k) { return Point(420, 302 + 20 * k + 10); }
    // Runs the popup with the keys pressed once it tracks.
    void PopupWithKeys(std::initializer_list<int> keys) {
        menu_->OnPopup = [this, keys](TObject*) {
            for (int vk : keys)
                screen().PressKey(vk);
        };
        menu_->Popup(400, 300);
    }
    TPopupMenu* menu_ = nullptr;
};

TEST_F(Menus, TreeKeepsOrderAndRefusesLoops) {
    TMenuItem* root = menu_->Items();
    TMenuItem* a = NewItem(root, "A");
    TMenuItem* c = NewItem(root, "C");
    auto* b = CreateComponent<TMenuItem>(nullptr);
    b->SetCaption("B");
    root->Insert(1, b);
    ASSERT_EQ(root->Count(), 3);
    EXPECT_EQ(root->Items(1), b);
    EXPECT_EQ(c->MenuIndex(), 2);
    EXPECT_EQ(b->GetParentMenu(), menu_);
    EXPECT_THROW(root->Add(a), EMenuError); // already in the tree
    EXPECT_THROW(a->Add(root), EMenuError); // its own ancestor
    TMenuItem* child = NewItem(a, "child");
    EXPECT_THROW(child->Add(a), EMenuError);
    EXPECT_THROW(root->Items(3), EMenuError);
    auto* loose = CreateComponent<TMenuItem>(nullptr);
    EXPECT_THROW(root->Insert(7, loose), EMenuError);
    loose->Free();
    // Freeing an item takes it (and its sub-items) out of the tree.
    a->Free();
    EXPECT_EQ(root->Count(), 2);
    EXPECT_EQ(root->Items(0), b);
    root->Delete(0);
    EXPECT_EQ(root->Count(), 1);
}

TEST_F(Menus, ChangesReachOnChange) {
    std::vector<std::pair<TMenuItem*, bool>> seen;
    menu_->OnChange = [&](TObject*, TMenuItem* source, bool rebuild) {
        seen.push_back({source, rebuild});
    };
    TMenuItem* a = NewItem(menu_->Items(), "A");
    seen.clear();
    a->SetCaption("B");
    a->SetCaption("B"); // no change, no call
    a->SetVisible(false);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0], std::make_pair(a, false));
    EXPECT_EQ(seen[1], std::make_pair(a, true));
}

TEST_F(Menus, RadioItemsOfAGroupExcludeEachOther) {
    TMenuItem* a = NewItem(menu_->Items(), "A");
    TMenuItem* b = NewItem(menu_->Items(), "B");
    TMenuItem* other = NewItem(menu_->Items(), "Other");
    for (TMenuItem* i : {a, b})
        i->SetRadioItem(true);
    other->SetRadioItem(true);
    other->SetGroupIndex(2);
    other->SetChecked(true);
    a->SetChecked(true);
    b->SetChecked(true);
    EXPECT_FALSE(a->Checked());
    EXPECT_TRUE(b->Checked());
    EXPECT_TRUE(other->Checked());
}

TEST_F(Menus, KeysSkipSeparatorsHiddenItemsAndRunAfterClosing) {
    int first = 0, hidden = 0, second = 0;
    NewItem(menu_->Items(), "First", &first);
    NewItem(menu_->Items(), "-");
    NewItem(menu_->Items(), "Hidden", &hidden)->SetVisible(false);
    TMenuItem* s = NewItem(menu_->Items(), "Second", &second);
    bool closedBeforeClick = false;
    menu_->OnClose = [&](TObject*) { closedBeforeClick = second == 0; };
    s->OnClick = [&](TObject*) {
        ++second;
        EXPECT_FALSE(MenuTrackingActive());
        EXPECT_EQ(GetCapture(), HWND(0));
    };
    PopupWithKeys({VK_DOWN, VK_DOWN, VK_RETURN});
    EXPECT_EQ(second, 1);
    EXPECT_EQ(first + hidden, 0);
    EXPECT_TRUE(closedBeforeClick);
    // Up from the top wraps to the bottom; Esc runs nothing.
    PopupWithKeys({VK_DOWN, VK_UP, VK_UP, VK_RETURN});
    EXPECT_EQ(second, 1);
    EXPECT_EQ(first, 1);
    PopupWithKeys({VK_DOWN, VK_ESCAPE});
    EXPECT_EQ(first + second, 2);
}

TEST_F(Menus, DisabledItemsNeverRun) {
    int disabled = 0, shortcut = 0;
    TMenuItem* d =
        NewItem(menu_->Items(), "&Disabled", &disabled, ShortCut('D', TShiftState{ssCtrl}));
    d->SetEnabled(false);
    FixedRows();
    // Enter, its accelerator and a click on it leave the menu open; Esc closes it.
    PopupWithKeys({VK_DOWN, VK_RETURN, 'D', VK_ESCAPE});
    menu_->OnPopup = [&](TObject*) {
        screen().Click(Row(0).x, Row(0).y);
        screen().PressKey(VK_ESCAPE);
    };
    menu_->Popup(400, 300);
    EXPECT_EQ(disabled, 0);
    TMessage key{WM_KEYDOWN, 'D', 0, 0};
    menu_->Items()->Add(CreateComponent<TMenuItem>(nullptr));
    menu_->Items()->Items(1)->SetShortCut(ShortCut('E', TShiftState{}));
    menu_->Items()->Items(1)->OnClick = [&](TObject*) { ++shortcut; };
    screen().KeyDown(VK_CONTROL);
    Pump();
    EXPECT_FALSE(menu_->IsShortCut(key)); // disabled: the key goes on
    screen().KeyUp(VK_CONTROL);
    Pump();
    TMessage e{WM_KEYDOWN, 'E', 0, 0};
    EXPECT_TRUE(menu_->IsShortCut(e));
    EXPECT_EQ(shortcut, 1);
    EXPECT_EQ(disabled, 0);
}

TEST_F(Menus, ShortCutsNeedTheirModifiers) {
    int saved = 0;
    TMenuItem* file = NewItem(menu_->Items(), "&File");
    int fileClicks = 0;
    file->OnClick = [&](TObject*) { ++fileClicks; };
    NewItem(file, "&Save", &saved, ShortCut('S', TShiftState{ssCtrl}));
    TMessage key{WM_KEYDOWN, 'S', 0, 0};
    EXPECT_FALSE(menu_->IsShortCut(key));
    screen().KeyDown(VK_CONTROL);
    Pump();
    EXPECT_TRUE(menu_->IsShortCut(key));
    screen().KeyUp(VK_CONTROL);
    Pump();
    EXPECT_EQ(saved, 1);
    EXPECT_EQ(fileClicks, 1); // the parent heard of it first
}

TEST_F(Menus, AcceleratorsAndSubMenus) {
    int open = 0, recent = 0, quit = 0;
    NewItem(menu_->Items(), "&Open", &open);
    TMenuItem* sub = NewItem(menu_->Items(), "&Recent");
    NewItem(sub, "one.avi");
    NewItem(sub, "&two.avi", &recent);
    NewItem(menu_->Items(), "&Quit", &quit);
    PopupWithKeys({'Q'});
    EXPECT_EQ(quit, 1);
    // Right opens the sub-menu on its first item; Down, Enter runs the second.
    PopupWithKeys({VK_DOWN, VK_DOWN, VK_RIGHT, VK_DOWN, VK_RETURN});
    EXPECT_EQ(recent, 1);
    // Left and Esc close only the sub-menu; the first level stays for Enter.
    PopupWithKeys({'R', VK_LEFT, VK_UP, VK_RETURN});
    EXPECT_EQ(open, 1);
    PopupWithKeys({'R', VK_ESCAPE, VK_UP, VK_RETURN});
    EXPECT_EQ(open, 2);
    // The accelerator of a sub-item.
    PopupWithKeys({'R', 'T'});
    EXPECT_EQ(recent, 2);
    EXPECT_EQ(quit, 1);
}

TEST_F(Menus, MouseTracksAndClicks) {
    int a = 0, b = 0, deep = 0;
    NewItem(menu_->Items(), "A", &a);
    NewItem(menu_->Items(), "B", &b);
    TMenuItem* sub = NewItem(menu_->Items(), "More");
    NewItem(sub, "Deep", &deep);
    FixedRows();
    std::vector<int> selectedRows;
    // A move selects; a release over an item runs it.
    menu_->OnPopup = [&](TObject*) {
        screen().MovePointer(Row(1).x, Row(1).y);
        screen().Click(Row(1).x, Row(1).y);
    };
    menu_->Popup(400, 300);
    EXPECT_EQ(b, 1);
    // Hovering opens the sub-menu at the right edge of the first level.
    menu_->OnPopup = [&](TObject*) {
        screen().MovePointer(Row(2).x, Row(2).y);
        screen().MovePointer(400 + 124 + 20, 302 + 40 + 10);
        screen().Click(400 + 124 + 20, 302 + 40 + 10);
    };
    menu_->Popup(400, 300);
    EXPECT_EQ(deep, 1);
    // A press outside closes the menu and runs nothing.
    menu_->OnPopup = [&](TObject*) { screen().Click(100, 100); };
    menu_->Popup(400, 300);
    EXPECT_EQ(a + b + deep, 2);
    EXPECT_FALSE(MenuTrackingActive());
}

TEST_F(Menus, OwnerDrawItemsAreMeasuredFirstThenDrawn) {
    std::vector<std::string> calls;
    TMenuItem* item = NewItem(menu_->Items(), "Painted");
    NewItem(menu_->Items(), "Plain");
    item->OnMeasureItem = [&](TObject*, TCanvas* canvas, int& w, int& h) {
        calls.push_back("measure");
        EXPECT_NE(canvas, nullptr);
        EXPECT_GT(w, 0); // the framework's own measures come in
        w = 150;
        h = 40;
    };
    std::vector<bool> selected;
    TRect drawn{};
    item->OnDrawItem = [&](TObject*, TCanvas* canvas, const TRect& r, bool sel) {
        calls.push_back("draw");
        selected.push_back(sel);
        drawn = r;
        canvas->Brush()->SetColor(clLime);
        canvas->FillRect(r);
    };
    COLORREF inside = 0, below = 0;
    RECT window{};
    StepHook hook(form_, [&] {
        inside = screen().ScreenPixel(420, 320);
        below = screen().ScreenPixel(420, 350);
        HWND popup = screen().TopLevelAt(420, 320);
        GetWindowRect(popup, &window);
    });
    menu_->OnPopup = [&](TObject*) {
        screen().PressKey(VK_DOWN);
        hook.Post();
        screen().PressKey(VK_ESCAPE);
    };
    menu_->Popup(400, 300);
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls[0], "measure");
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "measure"), 1);
    EXPECT_EQ(selected.front(), false);
    EXPECT_EQ(selected.back(), true); // drawn again once Down selected it
    EXPECT_EQ(drawn.bottom - drawn.top, 40);
    EXPECT_EQ(inside, RGB(0, 255, 0));
    EXPECT_NE(below, RGB(0, 255, 0));
    EXPECT_GE(window.right - window.left, 150);
}

TEST_F(Menus, MenuStaysOnTheScreen) {
    for (int i = 0; i < 3; ++i)
        NewItem(menu_->Items(), "Item");
    FixedRows();
    RECT r{};
    StepHook hook(form_, [&] { GetWindowRect(screen().TopLevelAt(1270, 1000), &r); });
    menu_->OnPopup = [&](TObject*) {
        hook.Post();
        screen().PressKey(VK_ESCAPE);
    };
    menu_->Popup(1270, 1010);
    EXPECT_LE(r.right, 1280);
    EXPECT_LE(r.bottom, 1024);
    EXPECT_EQ(r.bottom, 1010); // opened upwards from the point
}

TEST_F(Menus, ScreenshotOfAPopupMenu) {
    auto* images = CreateComponent<TImageList>(form_);
    ObjectPtr<TBitmap> glyph = MakeObject<TBitmap>();
    glyph->SetSize(16, 16);
    glyph->Canvas()->Brush()->SetColor(clWhite);
    glyph->Canvas()->FillRect(Rect(0, 0, 16, 16));
    glyph->Canvas()->Brush()->SetColor(TColor(0x00C07030));
    glyph->Canvas()->Ellipse(2, 2, 14, 14);
    images->AddMasked(glyph.get(), clWhite);
    menu_->SetImages(images);
    NewItem(menu_->Items(), "&Open...", nullptr, ShortCut('O', TShiftState{ssCtrl}))
        ->SetImageIndex(0);
    NewItem(menu_->Items(), "&Save", nullptr, ShortCut('S', TShiftState{ssCtrl}))->SetDefault(true);
    NewItem(menu_->Items(), "Save &As...")->SetEnabled(false);
    NewItem(menu_->Items(), "-");
    NewItem(menu_->Items(), "&Loop")->SetChecked(true);
    TMenuItem* view = NewItem(menu_->Items(), "&View");
    NewItem(view, "&Grid 3x3");
    NewItem(menu_->Items(), "-");
    NewItem(menu_->Items(), "E&xit", nullptr, ShortCut(VK_F4, TShiftState{ssAlt}));
    COLORREF selected = 0, plain = 0;
    StepHook hook(form_, [&] {
        SaveScreenShot(screen(), RECT{380, 280, 720, 560}, "popup-menu.bmp");
        selected = screen().ScreenPixel(410, 306 + 22 + 3); // inside "Save", selected
        plain = screen().ScreenPixel(410, 306);             // inside "Open"
    });
    menu_->OnPopup = [&](TObject*) {
        screen().PressKey(VK_DOWN);
        screen().PressKey(VK_DOWN);
        hook.Post();
        screen().PressKey(VK_ESCAPE);
    };
    menu_->Popup(400, 300);
    EXPECT_EQ(selected, COLORREF(ColorToRGB(clHighlight)));
    EXPECT_EQ(plain, COLORREF(ColorToRGB(clMenu)));
}

} // namespace
