// The title bar: where its buttons and caption go, which picture a button shows, what clicks
// and double clicks do, the collections' rules and the system menu.
#include "SkinFormTestUtil.h"

#include "platform/user/User.h"

namespace {

using skin_test::SkinFormFixture;

class SkinTitleBar : public SkinFormFixture {
protected:
    void SetUp() override {
        SkinFormFixture::SetUp();
        ShowForm();
        bar_ = skin_->TitleBar();
    }
    // A point of the bar in screen coordinates.
    TPoint OnBar(int x, int y) { return bar_->ClientToScreen(Point(x, y)); }
    TskTitleBarButton* Button(int i) { return bar_->Buttons()->Items(i); }
    // The bar's pixel at (x, y) as shown in its window.
    COLORREF BarPixel(int x, int y) { return WindowPixel(bar_, x, y); }
    COLORREF PiecePixel(int piece, int x, int y) {
        auto b = MakeObject<TBitmap>();
        GetBuiltinThemeBitmap(DeepBlue, tiTitleBarButtonImage, b.get(), kTitleButtonPieces, piece);
        return COLORREF(b->Canvas()->Pixels(x, y));
    }

    TskTitleBar* bar_ = nullptr;
};

TEST_F(SkinTitleBar, ButtonsFromTheRightEdgeAndTheCaptionAfterTheControlBox) {
    const int W = bar_->Width();
    const TskTitleBar::Layout layout = bar_->ComputeLayout(W);
    // DeepBlue pieces are 19 pixels wide.
    struct Case {
        int index;
        int left;
    } cases[] = {{1, W - 19}, {2, W - 39}, {3, W - 59}, {0, 0}};
    ASSERT_EQ(layout.buttons.size(), 4u);
    for (const Case& c : cases) {
        auto it =
            std::find_if(layout.buttons.begin(), layout.buttons.end(),
                         [&](const TskTitleBar::ButtonPlace& p) { return p.index == c.index; });
        ASSERT_NE(it, layout.buttons.end());
        EXPECT_EQ(it->rect.left, c.left) << c.index;
        EXPECT_EQ(it->rect.right - it->rect.left, 19);
        EXPECT_EQ(it->rect.top, bar_->ButtonTop());
    }
    EXPECT_EQ(layout.captionLeft, 24);
    EXPECT_EQ(layout.captionRight, W - 59);
    // The button top is the style's less 3 on a skinned form.
    EXPECT_EQ(bar_->ButtonTop(), GetBuiltinThemeInt(DeepBlue, tiTitleBarButtonTopInt) - 3);
    // Hidden buttons make room; a wider interval spreads them.
    Button(3)->SetVisible(false);
    bar_->SetButtonInterval(4);
    const TskTitleBar::Layout after = bar_->ComputeLayout(W);
    EXPECT_EQ(after.buttons.size(), 3u);
    EXPECT_EQ(after.buttons[0].rect.left, W - 23);
    EXPECT_EQ(after.buttons[1].rect.left, W - 47);
}

TEST_F(SkinTitleBar, HotAndPressedPicturesFollowThePointer) {
    const int W = bar_->Width(), T = bar_->ButtonTop();
    // The close button (piece 16) and its mouse-on (17) and pressed (18) pictures.
    const int cx = W - 19;
    EXPECT_EQ(BarPixel(cx + 9, T + 9), PiecePixel(kClosePiece, 9, 9));
    TPoint p = OnBar(cx + 9, T + 9);
    screen().MovePointer(p.x, p.y);
    Pump();
    EXPECT_EQ(bar_->HotButton(), 1);
    EXPECT_EQ(BarPixel(cx + 9, T + 9), PiecePixel(kClosePiece + 1, 9, 9));
    screen().PressButton();
    Pump();
    EXPECT_TRUE(bar_->Pressed());
    EXPECT_EQ(BarPixel(cx + 9, T + 9), PiecePixel(kClosePiece + 2, 9, 9));
    // Off the button while pressed: no button is hot, the normal picture comes back.
    TPoint off = OnBar(W / 2, T + 5);
    screen().MovePointer(off.x, off.y);
    Pump();
    EXPECT_EQ(bar_->HotButton(), -1);
    EXPECT_EQ(BarPixel(cx + 9, T + 9), PiecePixel(kClosePiece, 9, 9));
    // Released off the button: nothing is clicked.
    screen().ReleaseButton();
    Pump();
    EXPECT_TRUE(form_->Visible());
    EXPECT_FALSE(bar_->Pressed());
}

TEST_F(SkinTitleBar, ClickingCloseClosesTheFormAndMinimiseMinimisesIt) {
    TForm* other = nullptr;
    app_->CreateForm(other); // not the main form
    other->SetBounds(500, 100, 300, 200);
    auto* skin2 = CreateComponent<TskForm>(other);
    other->Show();
    Pump();
    TskTitleBar* bar2 = skin2->TitleBar();
    const int T = bar2->ButtonTop();
    TPoint min = bar2->ClientToScreen(Point(bar2->Width() - 59 + 9, T + 9));
    screen().Click(min.x, min.y);
    Pump();
    EXPECT_EQ(other->WindowState(), wsMinimized);
    EXPECT_NE(form_->WindowState(), wsMinimized); // only that form
    other->SetWindowState(wsNormal);
    Pump();
    TPoint close = bar2->ClientToScreen(Point(bar2->Width() - 19 + 9, T + 9));
    screen().Click(close.x, close.y);
    Pump();
    EXPECT_FALSE(other->Visible());
    // The main form's minimise button minimises the application through the system command.
    TPoint mainMin = OnBar(bar_->Width() - 59 + 9, T + 9);
    screen().Click(mainMin.x, mainMin.y);
    Pump();
    EXPECT_TRUE(IsIconic(FormWindow()));
}

TEST_F(SkinTitleBar, DoubleClickOnTheEmptyBarMaximisesAndRestores) {
    TPoint empty = OnBar(bar_->Width() / 2, 8);
    screen().DoubleClick(empty.x, empty.y);
    Pump();
    EXPECT_EQ(form_->WindowState(), wsMaximized);
    empty = OnBar(bar_->Width() / 2, 8);
    screen().DoubleClick(empty.x, empty.y);
    Pump();
    EXPECT_EQ(form_->WindowState(), wsNormal);
    const int T = bar_->ButtonTop();
    EXPECT_EQ(BarPixel(bar_->Width() - 39 + 9, T + 9), PiecePixel(kMaximizePiece, 9, 9));
}

TEST_F(SkinTitleBar, PressOnTheEmptyBarHandsTheDragToTheDesktop) {
    const int before = screen().MoveSizeRequests();
    TPoint empty = OnBar(bar_->Width() / 2, 8);
    screen().MovePointer(empty.x, empty.y);
    screen().PressButton();
    Pump();
    EXPECT_EQ(screen().MoveSizeRequests(), before + 1);
    EXPECT_EQ(screen().LastMoveSizeHit(), HTCAPTION);
    EXPECT_FALSE(bar_->Pressed());
    screen().MovePointer(empty.x + 30, empty.y + 20);
    screen().ReleaseButton();
    Pump();
    EXPECT_EQ(form_->Left(), 130);
    EXPECT_EQ(form_->Top(), 120);
    // A press on a button is no drag.
    TPoint close = OnBar(bar_->Width() - 10, bar_->ButtonTop() + 9);
    screen().MovePointer(close.x, close.y);
    screen().PressButton();
    Pump();
    EXPECT_EQ(screen().MoveSizeRequests(), before + 1);
    screen().MovePointer(10, 10);
    screen().ReleaseButton();
    Pump();
}

TEST_F(SkinTitleBar, LongCaptionsEndInDotsBeforeTheButtons) {
    TBitmap* c = MakeObject<TBitmap>().release();
    c->Canvas()->SetFont(bar_->Font());
    struct Case {
        String text;
        int room;
    } cases[] = {
        {"Varnelo", 1000},
        {"A caption far too long for a small title bar of a form", 120},
        {"Größenänderung über Ränder", 60},
        {"预览网格动画", 40},
        {"Wide", 1},
    };
    for (const Case& k : cases) {
        const String fitted = TskTitleBar::FitCaption(c->Canvas(), k.text, k.room);
        if (c->Canvas()->TextWidth(k.text) <= k.room) {
            EXPECT_EQ(fitted, k.text);
            continue;
        }
        ASSERT_GE(fitted.size(), 3u) << k.text;
        EXPECT_EQ(fitted.substr(fitted.size() - 3), "...") << k.text;
        EXPECT_TRUE(fitted == "..." || c->Canvas()->TextWidth(fitted) <= k.room) << k.text;
        // Cut on a character boundary: what is left is a prefix of whole UTF-8 characters.
        const String kept = fitted.substr(0, fitted.size() - 3);
        EXPECT_EQ(k.text.compare(0, kept.size(), kept), 0);
        if (!kept.empty() && kept.size() < k.text.size()) {
            EXPECT_NE(static_cast<unsigned char>(k.text[kept.size()]) & 0xC0, 0x80u) << k.text;
        }
    }
    c->Free();
    // On the bar, nothing of the caption is drawn under the buttons.
    bar_->SetCaption(String(200, 'W'));
    Pump();
    const int T = bar_->ButtonTop();
    for (int y = std::max(0, T); y < T + 19; ++y)
        EXPECT_EQ(BarPixel(bar_->Width() - 59 + 1, y), PiecePixel(kMinimizePiece, 1, y - T)) << y;
}

// How far it is dimmed is the contrast test's; here the caption takes its active look back.
TEST_F(SkinTitleBar, InactiveFormsCaptionIsDimmedUntilTheFormIsActiveAgain) {
    bar_->SetCaption("IIIIIIIIIIIIIIIIIIII");
    bar_->SetFont(bar_->Font());
    Pump();
    auto countColour = [&](COLORREF colour) {
        int n = 0;
        for (int x = 24; x < 120; ++x)
            for (int y = 0; y < bar_->Height(); ++y)
                n += BarPixel(x, y) == colour;
        return n;
    };
    const int white = countColour(RGB(255, 255, 255));
    EXPECT_GT(white, 20);
    bar_->SetFormActive(false);
    Pump();
    EXPECT_EQ(countColour(RGB(255, 255, 255)), 0);
    bar_->SetFormActive(true);
    Pump();
    EXPECT_EQ(countColour(RGB(255, 255, 255)), white);
}

TEST_F(SkinTitleBar, OnlyOneClientSectionAndOneControlBox) {
    TskTitleBarSection* s0 = bar_->Sections()->Items(0);
    TskTitleBarSection* s2 = bar_->Sections()->Items(2);
    ASSERT_EQ(s2->Align(), skClient);
    EXPECT_TRUE(s2->Stretch());
    s2->SetStretch(false);
    EXPECT_TRUE(s2->Stretch()); // a client section always stretches
    screen().ClearCalls();
    s2->SetAlign(skClient); // the same value again is no second one
    EXPECT_TRUE(screen().Calls().empty());
    s0->SetAlign(skClient);
    EXPECT_EQ(s0->Align(), skLeft);
    ASSERT_EQ(screen().Calls().size(), 1u);
    EXPECT_EQ(screen().Calls()[0].text,
              "Sorry, only one section's Align property can be \"skClient\"");
    EXPECT_NE(screen().Calls()[0].type & MB_ICONERROR, 0u);

    screen().ClearCalls();
    Button(0)->SetButtonType(skControlBox); // again: accepted silently
    EXPECT_TRUE(screen().Calls().empty());
    Button(1)->SetButtonType(skControlBox);
    EXPECT_EQ(Button(1)->ButtonType(), skClose);
    ASSERT_EQ(screen().Calls().size(), 1u);
    EXPECT_EQ(screen().Calls()[0].text,
              "Sorry, only one button's ButtonType property can be \"skControlBox\"");
}

TEST_F(SkinTitleBar, CustomBarKeepsItsPartsThroughStyleChanges) {
    bar_->SetCustom(true);
    bar_->Sections()->Items(0)->SetWidth(77);
    bar_->Font()->SetColor(clRed);
    skin_->SetUIStyle(MacOS);
    EXPECT_EQ(bar_->Sections()->Items(0)->Width(), 77);
    EXPECT_EQ(bar_->Font()->Color(), clRed);
    bar_->SetCustom(false);
    skin_->SetUIStyle(MacOS);
    EXPECT_EQ(bar_->Font()->Color(), clBlack); // the MacOS caption is black
}

TEST_F(SkinTitleBar, SystemMenuEnablesWhatTheVisibleButtonsOffer) {
    struct Case {
        bool min, max, close;
    } cases[] = {{true, true, true}, {false, false, true}, {true, false, false}};
    TskTitleBarPopupMenu* menu = bar_->SystemMenu();
    ASSERT_EQ(menu->Items()->Count(), 4);
    EXPECT_EQ(menu->MinimizeItem()->Caption(), "最小化(&N)");
    EXPECT_EQ(menu->MaximizeItem()->Caption(), "最大化/还原(&X)");
    EXPECT_TRUE(menu->Items()->Items(2)->IsLine());
    EXPECT_EQ(menu->CloseItem()->Caption(), "关闭(&C)");
    EXPECT_EQ(menu->AutoHotkeys(), maManual);
    menu->OnPopup = [&](TObject*) { screen().PressKey(VK_ESCAPE); };
    for (const Case& c : cases) {
        Button(3)->SetVisible(c.min);
        Button(2)->SetVisible(c.max);
        Button(1)->SetVisible(c.close);
        menu->Popup(200, 200);
        EXPECT_EQ(menu->MinimizeItem()->Enabled(), c.min);
        EXPECT_EQ(menu->MaximizeItem()->Enabled(), c.max);
        EXPECT_EQ(menu->CloseItem()->Enabled(), c.close);
    }
}

TEST_F(SkinTitleBar, ControlBoxOpensTheSystemMenuAndItsItemsAct) {
    TskTitleBarPopupMenu* menu = bar_->SystemMenu();
    int popups = 0;
    menu->OnPopup = [&](TObject*) {
        ++popups;
        screen().PressKey(VK_ESCAPE);
    };
    TPoint box = OnBar(5, bar_->ButtonTop() + 5);
    screen().Click(box.x, box.y);
    Pump();
    EXPECT_EQ(popups, 1);
    menu->MaximizeItem()->Click();
    EXPECT_EQ(form_->WindowState(), wsMaximized);
    menu->MaximizeItem()->Click();
    EXPECT_EQ(form_->WindowState(), wsNormal);
    // A double click on the control box closes the form.
    bool closing = false;
    form_->OnClose = [&](TObject*, TCloseAction& action) {
        closing = true;
        action = caNone;
    };
    screen().DoubleClick(box.x, box.y);
    Pump();
    EXPECT_TRUE(closing);
}

TEST_F(SkinTitleBar, CustomAndHelpButtonsRaiseTheirEvents) {
    TskTitleBarButton* help = bar_->Buttons()->Add();
    help->SetButtonType(skHelp);
    TskTitleBarButton* custom = bar_->Buttons()->Add();
    custom->PicNormal()->Assign(nullptr);
    auto pic = skin_test::SolidBitmap(15, 15, clLime);
    custom->PicNormal()->SetGraphic(pic.get());
    custom->PicMouseOn()->SetGraphic(pic.get());
    custom->PicMouseDown()->SetGraphic(pic.get());
    std::vector<std::pair<char, int>> events;
    bar_->OnHelpBtnClick = [&](TObject*, int i) { events.push_back({'h', i}); };
    bar_->OnCustomBtnsClick = [&](TObject*, int i) { events.push_back({'c', i}); };
    Pump();
    const TskTitleBar::Layout layout = bar_->ComputeLayout(bar_->Width());
    for (const auto& place : layout.buttons) {
        if (place.index < 4) continue;
        TPoint p = OnBar(place.rect.left + 3, place.rect.top + 3);
        screen().Click(p.x, p.y);
        Pump();
    }
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0], std::make_pair('h', 4));
    EXPECT_EQ(events[1], std::make_pair('c', 5));
}

TEST_F(SkinTitleBar, AppIconTakesTheControlBoxsPlace) {
    bar_->SetDrawAppIcon(true);
    EXPECT_EQ(bar_->ComputeLayout(bar_->Width()).captionLeft, 21);
    Pump(); // draws without an icon as well
}

} // namespace
