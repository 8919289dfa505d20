#include "framework/ToolBar.h"
#include "MenuTestUtil.h"
#include "framework/MenuPopup.h"

#include <vector>

namespace {

using headless::HeadlessBackend;

class ToolBars : public ControlFixture {
protected:
    void SetUp() override {
        ControlFixture::SetUp();
        bar_ = CreateComponent<TToolBar>(form_);
        bar_->SetParent(form_);
        bar_->SetEdgeBorders(TEdgeBorders{});
        ShowForm();
    }
    HeadlessBackend& screen() { return *session_; }
    // Buttons made in the order given show in that order (each new one goes first, so they
    // are made from the last).
    std::vector<TToolButton*> AddButtons(std::initializer_list<const char*> captions) {
        std::vector<TToolButton*> made;
        std::vector<const char*> list(captions);
        for (auto it = list.rbegin(); it != list.rend(); ++it) {
            auto* b = CreateComponent<TToolButton>(bar_);
            b->SetCaption(*it);
            b->SetParent(bar_);
            made.insert(made.begin(), b);
        }
        Pump();
        return made;
    }
    // The centre of a button on the screen.
    TPoint Centre(TToolButton* b) {
        TPoint o = b->ClientOrigin();
        return Point(o.x + b->Width() / 2, o.y + b->Height() / 2);
    }
    TToolBar* bar_ = nullptr;
};

TEST_F(ToolBars, NewButtonsGoFirstAndCaptionsSizeThem) {
    bar_->SetShowCaptions(true);
    auto b = AddButtons({"&File", "Edit", "A much longer caption"});
    ASSERT_EQ(bar_->ButtonCount(), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(bar_->Buttons(i), b[size_t(i)]);
    for (TToolButton* x : b)
        x->SetAutoSize(true);
    Pump();
    EXPECT_EQ(b[0]->Left(), 0);
    EXPECT_EQ(b[1]->Left(), b[0]->Left() + b[0]->Width());
    EXPECT_GT(b[2]->Width(), b[1]->Width() * 2);
    EXPECT_EQ(b[0]->Height(), bar_->ButtonHeight());
    EXPECT_THROW(bar_->Buttons(3), EListError);
}

TEST_F(ToolBars, WrapingRowsAndAutoSize) {
    bar_->SetAutoSize(true);
    auto b =
        AddButtons({"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12", "13", "14"});
    // 14 buttons of 23 pixels do not fit into 300: the rest goes on a second row.
    EXPECT_EQ(b[12]->Top(), 0);
    EXPECT_EQ(b[13]->Top(), bar_->ButtonHeight());
    EXPECT_EQ(b[13]->Left(), 0);
    EXPECT_EQ(bar_->Height(), 2 * bar_->ButtonHeight());
    bar_->SetWrapable(false);
    Pump();
    EXPECT_EQ(b[13]->Top(), 0);
    EXPECT_EQ(bar_->Height(), bar_->ButtonHeight());
    // A button's new height is every button's.
    b[0]->SetHeight(30);
    Pump();
    EXPECT_EQ(bar_->ButtonHeight(), 30);
    EXPECT_EQ(b[5]->Height(), 30);
    EXPECT_EQ(bar_->Height(), 30);
}

TEST_F(ToolBars, CustomDrawSeesEachButtonState) {
    bar_->SetFlat(true);
    auto b = AddButtons({"hot", "down", "off", "plain"});
    b[1]->SetStyle(tbsCheck);
    b[1]->SetDown(true);
    b[2]->SetEnabled(false);
    std::map<TToolButton*, TCustomDrawState> seen;
    bar_->OnCustomDrawButton = [&](TToolBar* sender, TToolButton* button, TCustomDrawState state,
                                   bool& dflt) {
        EXPECT_EQ(sender, bar_);
        seen[button] = state;
        if (button == b[3]) {
            // This one is ours: the framework must not paint over it.
            sender->Canvas()->Brush()->SetColor(clFuchsia);
            sender->Canvas()->FillRect(button->BoundsRect());
            dflt = false;
        }
    };
    screen().MovePointer(Centre(b[0]).x, Centre(b[0]).y);
    Pump();
    EXPECT_EQ(bar_->HotButton(), b[0]);
    EXPECT_TRUE(seen[b[0]].Contains(cdsHot));
    EXPECT_FALSE(seen[b[0]].Contains(cdsSelected));
    EXPECT_TRUE(seen[b[1]].Contains(cdsChecked));
    EXPECT_TRUE(seen[b[2]].Contains(cdsDisabled));
    EXPECT_TRUE(seen[b[3]].Empty());
    EXPECT_EQ(screen().ScreenPixel(Centre(b[3]).x, Centre(b[3]).y), RGB(255, 0, 255));
    // Pressed: hot and selected; the click runs on release.
    int clicks = 0;
    b[0]->OnClick = [&](TObject*) { ++clicks; };
    screen().PressButton();
    Pump();
    EXPECT_TRUE(seen[b[0]].Contains(cdsSelected));
    screen().ReleaseButton();
    Pump();
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(seen[b[0]].Contains(cdsSelected));
    // A disabled button never gets hot.
    screen().MovePointer(Centre(b[2]).x, Centre(b[2]).y);
    Pump();
    EXPECT_EQ(bar_->HotButton(), nullptr);
    // OnCustomDraw may skip every button.
    seen.clear();
    bar_->OnCustomDraw = [](TToolBar*, const TRect&, bool& dflt) { dflt = false; };
    bar_->Repaint();
    EXPECT_TRUE(seen.empty());
}

TEST_F(ToolBars, GroupedCheckButtonsKeepOneDown) {
    auto b = AddButtons({"a", "b", "c"});
    for (TToolButton* x : b) {
        x->SetStyle(tbsCheck);
        x->SetGrouped(true);
    }
    screen().Click(Centre(b[0]).x, Centre(b[0]).y);
    Pump();
    screen().Click(Centre(b[2]).x, Centre(b[2]).y);
    Pump();
    EXPECT_FALSE(b[0]->Down());
    EXPECT_TRUE(b[2]->Down());
    screen().Click(Centre(b[2]).x, Centre(b[2]).y); // without AllowAllUp it stays down
    Pump();
    EXPECT_TRUE(b[2]->Down());
}

class MenuBar : public ToolBars {
protected:
    void SetUp() override {
        ToolBars::SetUp();
        menu_ = CreateComponent<TMainMenu>(form_);
        file_ = NewItem(menu_->Items(), "&File");
        NewItem(file_, "&Open", &open_);
        NewItem(file_, "&Close", &close_);
        edit_ = NewItem(menu_->Items(), "&Edit");
        NewItem(edit_, "&Copy", &copy_);
        bar_->SetShowCaptions(true);
        bar_->SetFlat(true);
        buttons_ = AddButtons({"", ""});
        buttons_[0]->SetMenuItem(file_);
        buttons_[1]->SetMenuItem(edit_);
        Pump();
    }
    // Presses the button and runs `inside` once the menu tracks.
    void DropDown(TToolButton* b, std::function<void()> inside) {
        StepHook hook(form_, [&] {
            HWND below = screen().TopLevelAt(Centre(b).x, b->ClientOrigin().y + b->Height() + 5);
            dropped_ = below != 0 && below != form_->Handle();
            pressedWhileOpen_ = bar_->ButtonState(b).Contains(cdsSelected);
        });
        // The press runs the loop; everything scripted waits in the queue for it.
        screen().MovePointer(Centre(b).x, Centre(b).y);
        screen().PressButton();
        hook.Post();
        inside();
        Pump();
        screen().ReleaseButton();
        Pump();
    }
    TMainMenu* menu_ = nullptr;
    TMenuItem* file_ = nullptr;
    TMenuItem* edit_ = nullptr;
    std::vector<TToolButton*> buttons_;
    int open_ = 0, close_ = 0, copy_ = 0, paste_ = 0;
    bool dropped_ = false, pressedWhileOpen_ = false;
};

TEST_F(MenuBar, ButtonsTakeTheirItems) {
    EXPECT_EQ(buttons_[0]->Caption(), "&File");
    file_->SetEnabled(false);
    TToolButton* b = buttons_[0];
    b->SetMenuItem(nullptr);
    b->SetMenuItem(file_);
    EXPECT_FALSE(b->Enabled());
    // An item that goes leaves no dangling button behind.
    edit_->Free();
    EXPECT_EQ(buttons_[1]->MenuItem(), nullptr);
}

TEST_F(MenuBar, SubMenuDropsBelowTheButton) {
    DropDown(buttons_[0], [&] {
        screen().PressKey(VK_DOWN);
        screen().PressKey(VK_DOWN);
        screen().PressKey(VK_RETURN);
    });
    EXPECT_TRUE(dropped_);
    EXPECT_TRUE(pressedWhileOpen_);
    EXPECT_EQ(close_, 1);
    EXPECT_EQ(bar_->MenuButton(), nullptr);
    EXPECT_FALSE(MenuTrackingActive());
}

TEST_F(MenuBar, TrackingMovesAcrossButtons) {
    // Onto the next button with the pointer: its menu replaces the first.
    DropDown(buttons_[0], [&] {
        screen().MovePointer(Centre(buttons_[1]).x, Centre(buttons_[1]).y);
        screen().PressKey(VK_DOWN);
        screen().PressKey(VK_RETURN);
    });
    EXPECT_EQ(copy_, 1);
    EXPECT_EQ(open_, 0);
    // With Right (the File items have no sub-menus) and back with Left.
    DropDown(buttons_[0], [&] {
        screen().PressKey(VK_RIGHT);
        screen().PressKey(VK_LEFT);
        screen().PressKey(VK_RETURN);
    });
    EXPECT_EQ(open_, 1);
    EXPECT_EQ(copy_, 1);
}

TEST_F(MenuBar, FormMenuShowsABarOfItsItems) {
    TForm* form = form_;
    form->SetMenu(menu_);
    Pump();
    TToolBar* shown = nullptr;
    for (int i = 0; i < form->ControlCount(); ++i)
        if (auto* b = dynamic_cast<TToolBar*>(form->Controls(i)); b && b != bar_) shown = b;
    ASSERT_NE(shown, nullptr);
    ASSERT_EQ(shown->ButtonCount(), 2);
    EXPECT_EQ(shown->Buttons(0)->MenuItem(), file_);
    EXPECT_EQ(shown->Buttons(1)->MenuItem(), edit_);
    // A caption changed at run time shows on its button; a new item adds a button.
    file_->SetCaption("&Movie");
    EXPECT_EQ(shown->Buttons(0)->Caption(), "&Movie");
    NewItem(menu_->Items(), "&Help");
    EXPECT_EQ(shown->ButtonCount(), 3);
    EXPECT_EQ(shown->Buttons(2)->Caption(), "&Help");
    // Shortcuts and Alt with an accelerator reach the menu through the focused control.
    auto* field = CreateComponent<TWinProbe>(form);
    field->SetBounds(10, 100, 50, 20);
    field->SetParent(form);
    field->SetFocus();
    NewItem(edit_, "&Paste", &paste_, ShortCut('V', TShiftState{ssCtrl}));
    screen().PressKey('V', false, true);
    Pump();
    EXPECT_EQ(paste_, 1);
    screen().PressKey('E', false, false, true);
    screen().PressKey(VK_RETURN); // waits in the queue for the menu Alt+E opens
    Pump();
    EXPECT_EQ(copy_, 1);
    // F10 enters the bar at its first menu, the arrows move along it and Esc leaves.
    const int opened = open_;
    for (std::vector<int> keys :
         {std::vector<int>{VK_F10, VK_RETURN}, std::vector<int>{VK_F10, VK_RIGHT, VK_RETURN},
          std::vector<int>{VK_F10, VK_ESCAPE, VK_RETURN}}) {
        for (int vk : keys)
            screen().PressKey(vk);
        Pump();
    }
    EXPECT_EQ(open_, opened + 1);
    EXPECT_EQ(copy_, 2);
    // The menu going takes the bar with it.
    menu_->Free();
    menu_ = nullptr;
    EXPECT_EQ(form->Menu(), nullptr);
    for (int i = 0; i < form->ControlCount(); ++i)
        EXPECT_NE(form->Controls(i), shown);
}

TEST_F(ToolBars, APointerThatLeavesTheFormTakesTheHotLookAlong) {
    bar_->SetFlat(true);
    auto b = AddButtons({"hot", "next"});
    screen().MovePointer(Centre(b[0]).x, Centre(b[0]).y);
    Pump();
    ASSERT_EQ(bar_->HotButton(), b[0]);
    // Straight off the form onto the bare desktop: no idle time passes in between.
    screen().MovePointer(5, 5);
    Pump();
    EXPECT_EQ(bar_->HotButton(), nullptr);
    EXPECT_EQ(MouseControl(), nullptr);
}

TEST_F(ToolBars, ScreenshotOfAToolBar) {
    auto* images = CreateComponent<TImageList>(form_);
    TColor colours[] = {TColor(0x0000A000), TColor(0x000060E0), TColor(0x00C04000)};
    for (TColor c : colours) {
        ObjectPtr<TBitmap> glyph = MakeObject<TBitmap>();
        glyph->SetSize(16, 16);
        glyph->Canvas()->Brush()->SetColor(clWhite);
        glyph->Canvas()->FillRect(Rect(0, 0, 16, 16));
        glyph->Canvas()->Brush()->SetColor(c);
        glyph->Canvas()->Rectangle(2, 2, 14, 14);
        images->AddMasked(glyph.get(), clWhite);
    }
    bar_->SetImages(images);
    bar_->SetFlat(true);
    bar_->SetShowCaptions(true);
    bar_->SetList(true);
    bar_->SetAutoSize(true);
    bar_->SetEdgeBorders(TEdgeBorders{ebBottom});
    auto b = AddButtons({"&Open", "Save", "|", "Loop", "Grid"});
    for (int i = 0; i < 5; ++i)
        b[size_t(i)]->SetImageIndex(i < 2 ? i : 2);
    b[2]->SetStyle(tbsDivider);
    b[3]->SetStyle(tbsCheck);
    b[3]->SetDown(true);
    b[4]->SetStyle(tbsDropDown);
    b[1]->SetEnabled(false);
    screen().MovePointer(Centre(b[0]).x, Centre(b[0]).y);
    Pump();
    SaveScreenShot(screen(), RECT{100, 100, 400, 100 + bar_->Height() + 8}, "tool-bar.bmp");
    EXPECT_EQ(bar_->HotButton(), b[0]);
    // The hot flat button has a raised edge: light at its top-left.
    TPoint o = b[0]->ClientOrigin();
    EXPECT_EQ(screen().ScreenPixel(o.x, o.y + 3), COLORREF(ColorToRGB(clBtnHighlight)));
    TPoint p = b[4]->ClientOrigin();
    EXPECT_EQ(screen().ScreenPixel(p.x, p.y + 3), COLORREF(ColorToRGB(clBtnFace))); // flat, not hot
}

} // namespace
