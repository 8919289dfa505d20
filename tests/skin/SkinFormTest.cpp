// The skinned form: what its constructor does to the form, the frame it paints, the window
// region, maximising onto the work area, the window-procedure hook and Alt+Space.
#include "SkinFormTestUtil.h"

#include "framework/Panel.h"
#include "platform/gdi/Gdi.h"
#include "platform/user/User.h"
#include "skin/SKPageControl.h"

namespace {

using skin_test::SkinFormFixture;

class SkinForm : public SkinFormFixture {};

TEST_F(SkinForm, ConstructorTakesTheFormsCaptionAndFrame) {
    EXPECT_EQ(form_->BorderStyle(), bsDialog); // bsSingle became a dialog frame
    EXPECT_EQ(GetWindowLong(FormWindow(), GWL_STYLE) & LONG(WS_CAPTION), 0);
    EXPECT_EQ(form_->Constraints()->MinHeight, 50);
    EXPECT_GE(form_->Constraints()->MinWidth, 125);
    EXPECT_EQ(form_->BorderWidth(), 0);
    EXPECT_FALSE(form_->Scaled());
    EXPECT_EQ(skin_->Parent(), form_);
    EXPECT_EQ(skin_->Align(), alClient);
    // The skin fills the client area inside the 3-pixel frame it paints.
    EXPECT_EQ(form_->ClientWidth(), form_->Width() - 6);
    EXPECT_EQ(skin_->BoundsRect(), Rect(0, 0, form_->ClientWidth(), form_->ClientHeight()));
    ASSERT_NE(skin_->TitleBar(), nullptr);
    EXPECT_EQ(skin_->TitleBar()->Parent(), skin_);
    EXPECT_EQ(skin_->TitleBar()->Align(), alTop);
    EXPECT_EQ(skin_->Caption(), "Varnelo");
    EXPECT_EQ(skin_->UIStyle(), DeepBlue);
    EXPECT_EQ(skin_->Version(), "5.5");
    skin_->SetVersion("1.0");
    EXPECT_EQ(skin_->Version(), "5.5");
    // The title bar holds the control box, close, maximise and minimise.
    const TskTitleBarBtnType expected[] = {skControlBox, skClose, skMax, skMin};
    ASSERT_EQ(skin_->TitleBar()->Buttons()->Count(), 4);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(skin_->TitleBar()->Buttons()->Items(i)->ButtonType(), expected[i]);
    // New skinned controls on the form take the skin's style.
    skin_->SetUIStyle(Protein);
    auto* pages = CreateComponent<TskPageControl>(form_);
    EXPECT_EQ(pages->UIStyle(), Protein);
}

TEST_F(SkinForm, OneSkinPerFormAndOnlyOnForms) {
    EXPECT_THROW(CreateComponent<TskForm>(form_), Exception);
    EXPECT_EQ(form_->ComponentCount(), 1);
    // Owned by something that is no form: a plain panel whose title-bar properties do nothing.
    auto* holder = CreateComponent<TPanel>(form_);
    auto* plain = CreateComponent<TskForm>(holder);
    EXPECT_EQ(plain->TitleBar(), nullptr);
    EXPECT_EQ(plain->Form(), nullptr);
    plain->SetCaption("x");
    plain->SetTitleBarVisible(false);
    plain->SetRoundCorner(5);
    plain->PaintFormBorder();
    plain->UpdateRegion();
    EXPECT_EQ(plain->Caption(), "");
    EXPECT_EQ(plain->RoundCorner(), 0);
}

TEST_F(SkinForm, SizeableFormsStaySizeable) {
    TForm* other = nullptr;
    app_->CreateForm(other);
    other->SetBorderStyle(bsSizeable);
    CreateComponent<TskForm>(other);
    EXPECT_EQ(other->BorderStyle(), bsSizeable);
    EXPECT_EQ(GetWindowLong(other->Handle(), GWL_STYLE) & LONG(WS_CAPTION), 0);
}

TEST_F(SkinForm, FrameIsPaintedInTheStylesColours) {
    ShowForm();
    const int W = form_->Width(), H = form_->Height();
    skin_->SetUIStyle(WinXP); // border $00C82C00, 3 pixels wide; background $00DEEBEF
    Pump();
    EXPECT_EQ(skin_->BorderWidth(), 3);
    for (int x : {0, 1, 2})
        EXPECT_EQ(FramePixel(x, H / 2), COLORREF(0x00C82C00)) << x;
    EXPECT_EQ(FramePixel(W - 1, H / 2), COLORREF(0x00C82C00));
    EXPECT_EQ(FramePixel(W / 2, H - 1), COLORREF(0x00C82C00));
    skin_->SetUIStyle(DeepBlue); // black, 1 pixel; the rest of the frame in the background
    Pump();
    EXPECT_EQ(FramePixel(0, H / 2), COLORREF(0));
    EXPECT_EQ(FramePixel(1, H / 2), COLORREF(0x00E8E8E8));
    EXPECT_EQ(FramePixel(2, H / 2), COLORREF(0x00E8E8E8));
    EXPECT_EQ(FramePixel(W - 2, H / 2), COLORREF(0x00E8E8E8));
    EXPECT_EQ(FramePixel(W / 2, H - 2), COLORREF(0x00E8E8E8));
    EXPECT_EQ(FramePixel(W / 2, H - 1), COLORREF(0));
    // The title bar's pictures run on into the frame above and beside the caption.
    auto* left = dynamic_cast<TBitmap*>(skin_->TitleBar()->GetLeftImage());
    ASSERT_NE(left, nullptr);
    EXPECT_EQ(FramePixel(1, 5), COLORREF(left->Canvas()->Pixels(0, 5)));
    EXPECT_EQ(FramePixel(10, 1), COLORREF(left->Canvas()->Pixels(10, 1)));
}

TEST_F(SkinForm, HiddenTitleBarLeavesABorderLineAndTwoRowsOfBackground) {
    ShowForm();
    skin_->SetTitleBarVisible(false);
    Pump();
    EXPECT_EQ(skin_->GetTitleBarHeight(), 0);
    const int W = form_->Width();
    EXPECT_EQ(FramePixel(W / 2, 0), COLORREF(0));
    EXPECT_EQ(FramePixel(W / 2, 1), COLORREF(0x00E8E8E8));
    EXPECT_EQ(FramePixel(W / 2, 2), COLORREF(0x00E8E8E8));
    // Square corners then, whatever the style's rounding.
    skin_->SetRoundCorner(11);
    HRGN r = CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(GetWindowRgn(FormWindow(), r), ERROR);
    EXPECT_TRUE(PtInRegion(r, 0, 0));
    DeleteObject(r);
}

TEST(SkinFormRegion, OnlyTheTopCornersAreRound) {
    struct Case {
        int R;
        int x, y;
        bool inside;
    };
    // A 200 x 100 window.
    const Case cases[] = {
        {11, 0, 0, false},   {11, 199, 0, false},  {11, 5, 5, true},     {11, 0, 99, true},
        {11, 199, 99, true}, {11, 100, 0, true},   {11, 200, 50, false}, {0, 0, 0, true},
        {0, 199, 99, true},  {0, 199, 100, false}, {13, 1, 1, false},
    };
    for (const Case& c : cases) {
        HRGN r = TskForm::MakeWindowRegion(200, 100, c.R);
        EXPECT_EQ(PtInRegion(r, c.x, c.y) != FALSE, c.inside) << c.R << " " << c.x << "," << c.y;
        DeleteObject(r);
    }
}

TEST_F(SkinForm, RoundStylesShapeTheWindow) {
    ShowForm();
    skin_->SetUIStyle(BlueGlass); // corners of 11
    Pump();
    EXPECT_EQ(skin_->RoundCorner(), 11);
    HRGN r = CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(GetWindowRgn(FormWindow(), r), ERROR);
    EXPECT_FALSE(PtInRegion(r, 0, 0));
    EXPECT_TRUE(PtInRegion(r, 0, form_->Height() - 1));
    DeleteObject(r);
    // The screen shows the desktop through the cut corner.
    EXPECT_EQ(screen().TopLevelAt(form_->Left(), form_->Top()), HWND(0));
    EXPECT_EQ(screen().TopLevelAt(form_->Left() + 20, form_->Top() + 2), FormWindow());
}

TEST_F(SkinForm, MaximisedFormFillsTheWorkAreaLessOneRow) {
    ShowForm();
    skin_->SetUIStyle(BlueGlass);
    form_->SetWindowState(wsMaximized);
    Pump();
    TRect area;
    GetWorkAreaRect(area);
    EXPECT_EQ(form_->Left(), area.left);
    EXPECT_EQ(form_->Top(), area.top);
    EXPECT_EQ(form_->Width(), area.right - area.left);
    EXPECT_EQ(form_->Height(), area.bottom - area.top - 1);
    HRGN r = CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(GetWindowRgn(FormWindow(), r), ERROR);
    EXPECT_FALSE(PtInRegion(r, 0, 0)); // still round at the top
    DeleteObject(r);
    // The maximise button shows the restore pictures now.
    TskTitleBarButton* max = skin_->TitleBar()->Buttons()->Items(2);
    auto restore = MakeObject<TBitmap>();
    GetBuiltinThemeBitmap(BlueGlass, tiTitleBarButtonImage, restore.get(), kTitleButtonPieces,
                          kRestorePiece);
    auto* shown = dynamic_cast<TBitmap*>(max->PicNormal()->Graphic());
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->Canvas()->Pixels(9, 9), restore->Canvas()->Pixels(9, 9));
    form_->SetWindowState(wsNormal);
    Pump();
    EXPECT_EQ(form_->Width(), 400);
    EXPECT_EQ(form_->Height(), 300);
}

TEST_F(SkinForm, FormThatStartsMaximisedFillsTheWorkArea) {
    // A form that starts maximised counts its own size events; another skinned form shares
    // nothing of that count.
    TForm* second = nullptr;
    app_->CreateForm(second);
    second->SetBounds(50, 60, 300, 200);
    second->SetWindowState(wsMaximized);
    auto* skin2 = CreateComponent<TskForm>(second);
    second->Show();
    ShowForm();
    Pump();
    TRect area;
    GetWorkAreaRect(area);
    EXPECT_EQ(second->WindowState(), wsMaximized);
    EXPECT_EQ(second->Height(), area.bottom - area.top - 1);
    EXPECT_EQ(skin_->MaximizeCounter(), 0);
    EXPECT_LE(skin2->MaximizeCounter(), 2);
    // Restored, it takes the bounds it was made with.
    second->SetWindowState(wsNormal);
    Pump();
    EXPECT_EQ(second->BoundsRect(), Rect(50, 60, 350, 260));
}

TEST_F(SkinForm, HookForwardsEverythingAndGoesWithTheSkin) {
    ShowForm();
    int seen = 0;
    // A hook put on after the skin's: the skin cannot take its own out from under it.
    TWndMethod skinHook = form_->WindowProc;
    form_->WindowProc = [&](TMessage& m) {
        if (m.Msg == WM_APP + 5) ++seen;
        skinHook(m);
    };
    skin_->Free();
    skin_ = nullptr;
    // The form works on through both hooks, and its caption is back.
    EXPECT_NE(GetWindowLong(FormWindow(), GWL_STYLE) & LONG(WS_CAPTION), 0);
    form_->Perform(WM_APP + 5, 0, 0);
    EXPECT_EQ(seen, 1);
    form_->SetCaption("still here");
    EXPECT_EQ(form_->Caption(), "still here");
    form_->Perform(WM_SIZE, 0, 0); // no skin left to reach
    Pump();
    form_->WindowProc = skinHook; // the test's hook dies with the test
}

TEST_F(SkinForm, FreeingTheSkinGivesTheFormBackItsCaptionAndShape) {
    ShowForm();
    skin_->SetUIStyle(BlueGlass);
    Pump();
    HRGN r = CreateRectRgn(0, 0, 0, 0);
    EXPECT_NE(GetWindowRgn(FormWindow(), r), ERROR);
    skin_->Free();
    skin_ = nullptr;
    EXPECT_NE(GetWindowLong(FormWindow(), GWL_STYLE) & LONG(WS_CAPTION), 0);
    EXPECT_EQ(GetWindowRgn(FormWindow(), r), ERROR);
    EXPECT_EQ(app_->MessageHandlerCount(), 0);
    DeleteObject(r);
    // Size and paint messages reach the form with no skin behind them.
    form_->SetBounds(120, 120, 300, 250);
    Pump();
    EXPECT_EQ(form_->Width(), 300);
}

TEST_F(SkinForm, AltSpaceOpensTheSystemMenuOfTheFocusedForm) {
    ShowForm();
    EXPECT_TRUE(skin_->HookedApplicationMessages());
    TForm* second = nullptr;
    app_->CreateForm(second);
    second->SetBounds(600, 100, 300, 200);
    auto* skin2 = CreateComponent<TskForm>(second);
    second->Show();
    app_->ProcessMessages();
    std::vector<TskTitleBar*> opened;
    for (TskForm* s : {skin_, skin2}) {
        TskTitleBarPopupMenu* menu = s->TitleBar()->SystemMenu();
        menu->OnPopup = [&, s](TObject*) {
            opened.push_back(s->TitleBar());
            screen().PressKey(VK_ESCAPE);
        };
    }
    second->SetFocus();
    app_->ProcessMessages();
    screen().PressKey(' ', false, false, /*alt=*/true);
    app_->ProcessMessages();
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], skin2->TitleBar());
    form_->SetFocus();
    app_->ProcessMessages();
    screen().PressKey(' ', false, false, true);
    app_->ProcessMessages();
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[1], skin_->TitleBar());
}

TEST_F(SkinForm, AnotherMessageHandlerKeepsAltSpaceForItself) {
    skin_->Free();
    skin_ = nullptr;
    int handled = 0;
    app_->OnMessage = [&](MSG& m, bool&) {
        if (m.message == WM_SYSCHAR) ++handled;
    };
    skin_ = CreateComponent<TskForm>(form_);
    EXPECT_FALSE(skin_->HookedApplicationMessages());
    ShowForm();
    bool popped = false;
    skin_->TitleBar()->SystemMenu()->OnPopup = [&](TObject*) {
        popped = true;
        screen().PressKey(VK_ESCAPE);
    };
    screen().PressKey(' ', false, false, true);
    app_->ProcessMessages();
    EXPECT_FALSE(popped);
    EXPECT_EQ(handled, 1);
}

TEST_F(SkinForm, RemovingTheFileThemeTurnsEverythingDeepBlue) {
    auto* theme = CreateComponent<TskFileTheme>(form_);
    auto* pages = CreateComponent<TskPageControl>(form_);
    pages->SetParent(skin_);
    skin_->SetUIStyleAutoUpdateSub(true);
    skin_->SetFileTheme(theme);
    skin_->SetUIStyle(Protein);
    EXPECT_EQ(pages->UIStyle(), Protein);
    EXPECT_EQ(pages->FileTheme(), theme);
    theme->Free();
    EXPECT_EQ(skin_->FileTheme(), nullptr);
    EXPECT_EQ(skin_->UIStyle(), DeepBlue);
    EXPECT_EQ(skin_->TitleBar()->UIStyle(), DeepBlue);
    EXPECT_EQ(pages->UIStyle(), DeepBlue);
    EXPECT_EQ(pages->FileTheme(), nullptr);
}

TEST_F(SkinForm, TheTitleBarsCollectionsFontAndEventsArePublished) {
    TskTitleBar* bar = skin_->TitleBar();
    // Another bar's collections, as a form description would give them.
    auto* other = CreateComponent<TskTitleBar>(form_);
    other->Sections()->Items(0)->SetWidth(77);
    other->Buttons()->Items(1)->SetButtonType(skHelp);
    other->Buttons()->Add()->SetButtonType(skCustom);
    struct Case {
        TObject* target;
        const char* sections;
        const char* buttons;
    };
    const Case cases[] = {{bar, "Sections", "Buttons"},
                          {skin_, "TitleBarSections", "TitleBarButtons"}};
    auto* plain = CreateComponent<TskTitleBar>(form_);
    for (const Case& c : cases) {
        bar->SetUIStyle(DeepBlue); // the style's own sections again
        bar->SetButtons(plain->Buttons());
        ASSERT_EQ(bar->Buttons()->Count(), 4);
        SetObjectProp(c.target, c.sections, other->Sections());
        SetObjectProp(c.target, c.buttons, other->Buttons());
        EXPECT_EQ(bar->Sections()->Items(0)->Width(), 77) << c.sections;
        EXPECT_EQ(bar->Buttons()->Count(), 5) << c.buttons;
        EXPECT_EQ(bar->Buttons()->Items(1)->ButtonType(), skHelp) << c.buttons;
        EXPECT_EQ(GetObjectProp(c.target, c.sections), bar->Sections());
        EXPECT_EQ(GetObjectProp(c.target, c.buttons), bar->Buttons());
    }
    // The skin's Font is its title bar's.
    auto font = MakeObject<TFont>();
    font->SetName("DejaVu Serif");
    font->SetSize(13);
    SetObjectProp(skin_, "Font", font.get());
    EXPECT_EQ(bar->Font()->Name(), "DejaVu Serif");
    EXPECT_EQ(GetObjectProp(skin_, "Font"), bar->Font());
    SetOrdProp(skin_, "Color", clTeal);
    EXPECT_EQ(skin_->Color(), clTeal);
    SetOrdProp(bar, "Height", 40);
    EXPECT_EQ(bar->Height(), 40);
    // Events set by name on the skin reach its bar, and the bar's own read back.
    int help = -1, custom = -1, clicks = 0;
    SetMethodProp<TskTitleBarButtonClickEvent>(skin_, "OnTitleBarHelpBtnClick",
                                               [&](TObject*, int i) { help = i; });
    SetMethodProp<TskTitleBarButtonClickEvent>(bar, "OnCustomBtnsClick",
                                               [&](TObject*, int i) { custom = i; });
    SetMethodProp<TNotifyEvent>(skin_, "OnClick", [&](TObject*) { ++clicks; });
    ASSERT_TRUE(bar->OnHelpBtnClick);
    bar->OnHelpBtnClick(bar, 1);
    GetMethodProp<TskTitleBarButtonClickEvent>(skin_, "OnTitleBarCustomBtnsClick")(bar, 4);
    skin_->Click();
    EXPECT_EQ(help, 1);
    EXPECT_EQ(custom, 4);
    EXPECT_EQ(clicks, 1);
    for (const char* name : {"OnResize", "OnCustomBtnsClick", "OnHelpBtnClick", "AutoSize"})
        EXPECT_TRUE(HasPublishedProperty(bar, name)) << name;
    for (const char* name : {"PopupMenu", "OnMouseDown", "OnMouseMove", "OnMouseUp"})
        EXPECT_TRUE(HasPublishedProperty(skin_, name)) << name;
}

TEST_F(SkinForm, FormPanelRefusesTheSkinItself) {
    auto* panel = CreateComponent<TPanel>(form_);
    panel->SetParent(skin_);
    skin_->SetFormPanel(panel);
    EXPECT_EQ(skin_->FormPanel(), panel);
    EXPECT_EQ(panel->Align(), alClient);
    EXPECT_EQ(panel->BevelOuter(), bvNone);
    EXPECT_EQ(panel->Caption(), "");
    skin_->SetFormPanel(skin_);
    EXPECT_EQ(skin_->FormPanel(), panel);
    ASSERT_FALSE(screen().Calls().empty());
    EXPECT_EQ(screen().Calls().back().text,
              "Sorry, you can't select the Form assign to FormPanel property");
    EXPECT_NE(screen().Calls().back().type & MB_ICONERROR, 0u);
    panel->Free();
    EXPECT_EQ(skin_->FormPanel(), nullptr);
}

} // namespace
