#include "SkinTestUtil.h"

#include "framework/MDIClient.h"
#include "framework/Menus.h"
#include "platform/gdi/Gdi.h"
#include "platform/user/User.h"
#include "skin/SKForm.h"
#include "skin/SKMDIForm.h"
#include "skin/SKPublic.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <vector>

namespace skin_test {
namespace {

// A shown 800 x 600 MDI parent with the skin on it.
class MDISkinFixture : public SkinFixture {
protected:
    void SetUp() override {
        SkinFixture::SetUp();
        form_->SetFormStyle(fsMDIForm);
        form_->SetBorderStyle(bsSingle);
        form_->SetCaption("Frame");
        form_->SetBounds(0, 0, 800, 600);
        skin_ = CreateComponent<TskMDIForm>(form_);
        ShowForm();
    }
    // A child at (10, 10), 200 x 150; with a TskForm when skinned.
    TForm* AddChild(bool skinned, TMainMenu* menu = nullptr) {
        TForm* child = nullptr;
        app_->CreateForm(child);
        child->SetFormStyle(fsMDIChild);
        child->SetBounds(10, 10, 200, 150);
        if (menu) child->SetMenu(menu);
        if (skinned) CreateComponent<TskForm>(child);
        child->Show();
        Pump();
        return child;
    }
    TMainMenu* MakeMenu(std::initializer_list<const char*> captions) {
        auto* menu = CreateComponent<TMainMenu>(form_);
        for (const char* caption : captions) {
            auto* item = CreateComponent<TMenuItem>(menu);
            item->SetCaption(caption);
            menu->Items()->Add(item);
        }
        return menu;
    }
    std::vector<String> BarCaptions() {
        std::vector<String> out;
        TToolBar* bar = skin_->MenuBar();
        for (int i = 0; i < bar->ButtonCount(); ++i)
            out.push_back(bar->Buttons(i)->MenuItem() ? bar->Buttons(i)->MenuItem()->Caption()
                                                      : String("?"));
        return out;
    }
    // Makes the form's client area exactly Width pixels wide.
    void SetClientWidth(int Width) {
        form_->SetWidth(form_->Width() + Width - form_->ClientWidth());
        ASSERT_EQ(form_->ClientWidth(), Width);
    }

    TskMDIForm* skin_ = nullptr;
};

TEST_F(SkinFixture, TheMDISkinNeedsAForm) {
    try {
        CreateComponent<TskMDIForm>(app_);
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Sorry, TskMDIForm must be placed on a form");
    }
}

TEST_F(MDISkinFixture, SetsUpTheFormAndHooksItsClient) {
    EXPECT_EQ(form_->BorderStyle(), bsDialog);
    EXPECT_EQ(GetWindowLong(form_->Handle(), GWL_STYLE) & LONG(WS_CAPTION), 0);
    EXPECT_EQ(form_->Constraints()->MinHeight, 50);
    EXPECT_EQ(skin_->TitleBar()->Caption(), "Frame");
    EXPECT_EQ(skin_->TitleBar()->Top(), 0);
    EXPECT_TRUE(skin_->HookedAppMessage());
    const HWND client = form_->ClientHandle();
    ASSERT_NE(client, HWND(0));
    EXPECT_EQ(skin_->HookedClient(), client);
    EXPECT_NE(GetWindowLongPtr(client, GWLP_WNDPROC),
              reinterpret_cast<LONG_PTR>(&MDIClientWndProc));
    for (auto [before, after] : {std::pair{bsNone, bsDialog}, std::pair{bsToolWindow, bsDialog},
                                 std::pair{bsSizeable, bsSizeable}}) {
        TForm* other = nullptr;
        app_->CreateForm(other);
        other->SetBorderStyle(before);
        CreateComponent<TskMDIForm>(other);
        EXPECT_EQ(other->BorderStyle(), after) << before;
    }
}

TEST_F(MDISkinFixture, AFormThatIsNoMDIParentHasNoClientHooked) {
    TForm* plain = nullptr;
    app_->CreateForm(plain);
    plain->Show();
    auto* skin = CreateComponent<TskMDIForm>(plain);
    EXPECT_EQ(plain->ClientHandle(), HWND(0));
    EXPECT_EQ(skin->HookedClient(), HWND(0));
    skin->Free();
}

// Stands for whatever procedure the form had before the skin came.
struct EarlierProc {
    TWndMethod inner;
    void operator()(TMessage& m) const { inner(m); }
};

WNDPROC g_beforeRecorder = nullptr;
int g_recorded = 0;
LRESULT RecordingProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
    if (msg == WM_MDITILE) ++g_recorded;
    return CallWindowProc(g_beforeRecorder, h, msg, w, l);
}

TEST_F(SkinFixture, FreeingTheSkinPutsBothProceduresBack) {
    form_->SetFormStyle(fsMDIForm);
    form_->SetBorderStyle(bsSizeable);
    form_->WindowProc = EarlierProc{form_->WindowProc};
    ShowForm();
    auto* skin = CreateComponent<TskMDIForm>(form_);
    const HWND client = form_->ClientHandle();
    EXPECT_EQ(form_->WindowProc.target<EarlierProc>(), nullptr);
    skin->Free();
    EXPECT_NE(form_->WindowProc.target<EarlierProc>(), nullptr);
    EXPECT_EQ(GetWindowLongPtr(client, GWLP_WNDPROC),
              reinterpret_cast<LONG_PTR>(&MDIClientWndProc));
    EXPECT_NE(GetWindowLong(form_->Handle(), GWL_STYLE) & LONG(WS_CAPTION), 0);
    EXPECT_EQ(app_->MessageHandlerCount(), 0);
    // The form and its client go on working.
    TForm* child = nullptr;
    app_->CreateForm(child);
    child->SetFormStyle(fsMDIChild);
    child->Show();
    child->SetWindowState(wsMaximized);
    form_->Tile();
    EXPECT_EQ(child->WindowState(), wsNormal);
}

TEST_F(MDISkinFixture, AHookPutOnTheClientAfterTheSkinKeepsWorkingWhenTheSkinGoes) {
    TForm* child = AddChild(false);
    const HWND client = form_->ClientHandle();
    g_recorded = 0;
    g_beforeRecorder = reinterpret_cast<WNDPROC>(
        SetWindowLongPtr(client, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&RecordingProc)));
    skin_->Free();
    skin_ = nullptr;
    // Ours stays in the chain but only passes messages on.
    EXPECT_EQ(GetWindowLongPtr(client, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&RecordingProc));
    form_->SetTileMode(tbVertical);
    form_->Tile();
    EXPECT_EQ(g_recorded, 1);
    RECT area;
    GetClientRect(client, &area);
    EXPECT_EQ(child->BoundsRect(), area);
}

TEST_F(MDISkinFixture, AMaximisedChildShowsTheButtonsOfItsTitleBar) {
    struct Case {
        const char* what;
        std::vector<TskTitleBarBtnType> kept; // the others become custom buttons
        bool close, restore, minimize;
    };
    const Case cases[] = {
        {"all three", {skMin, skMax, skClose}, true, true, true},
        {"close only", {skClose}, true, false, false},
    };
    for (const Case& c : cases) {
        TForm* child = AddChild(true);
        TskTitleBarButtons* buttons = TskForm::SkinOf(child)->TitleBar()->Buttons();
        for (int i = 0; i < buttons->Count(); ++i) {
            TskTitleBarButton* b = buttons->Items(i);
            if (b->ButtonType() == skControlBox) continue;
            if (std::find(c.kept.begin(), c.kept.end(), b->ButtonType()) == c.kept.end())
                b->SetButtonType(skCustom);
        }
        child->SetWindowState(wsMaximized);
        // The child's own caption makes way; the frame's bar carries its buttons.
        EXPECT_FALSE(TskForm::SkinOf(child)->TitleBar()->Visible()) << c.what;
        EXPECT_EQ(skin_->MDIButton(TskMDIForm::mbClose)->Visible(), c.close) << c.what;
        EXPECT_EQ(skin_->MDIButton(TskMDIForm::mbRestore)->Visible(), c.restore) << c.what;
        EXPECT_EQ(skin_->MDIButton(TskMDIForm::mbMinimize)->Visible(), c.minimize) << c.what;
        const int w = skin_->MenuPanel()->Width();
        EXPECT_EQ(skin_->MDIButton(TskMDIForm::mbClose)->Left(), w - 20) << c.what;
        EXPECT_EQ(skin_->MDIButton(TskMDIForm::mbMinimize)->Left(), w - 56) << c.what;
        child->SetWindowState(wsNormal);
        EXPECT_TRUE(TskForm::SkinOf(child)->TitleBar()->Visible()) << c.what;
        for (auto which : {TskMDIForm::mbClose, TskMDIForm::mbRestore, TskMDIForm::mbMinimize})
            EXPECT_FALSE(skin_->MDIButton(which)->Visible()) << c.what;
        child->Free();
    }
    // A maximised child that goes takes its buttons with it.
    TForm* last = AddChild(true);
    last->SetWindowState(wsMaximized);
    ASSERT_TRUE(skin_->MDIButton(TskMDIForm::mbClose)->Visible());
    last->Free();
    EXPECT_FALSE(skin_->MDIButton(TskMDIForm::mbClose)->Visible());
    EXPECT_EQ(form_->MDIChildCount(), 0);
}

TEST_F(MDISkinFixture, AChildKeepsItsPlaceThroughAStyleChange) {
    TForm* child = AddChild(true);
    TskForm* skin = TskForm::SkinOf(child);
    // BlueGlass asks for a wider form; a handler that moves the child when it grows does not
    // get to keep it moved: the style gives the child its place back.
    child->OnResize = [child](TObject*) { child->SetLeft(child->Left() + 50); };
    skin->SetUIStyle(BlueGlass);
    child->OnResize = nullptr;
    EXPECT_EQ(child->Left(), 10);
    EXPECT_EQ(child->Top(), 10);
    EXPECT_EQ(child->Width(), GetBuiltinThemeInt(BlueGlass, tiFormMinWidthInt));
    EXPECT_EQ(child->Height(), 150);
}

TEST_F(MDISkinFixture, TheRestoreButtonRestoresTheActiveChild) {
    TForm* child = AddChild(true);
    child->SetWindowState(wsMaximized);
    TskToolBarSpeedButton* restore = skin_->MDIButton(TskMDIForm::mbRestore);
    ASSERT_TRUE(restore->Visible());
    restore->OnClick(restore);
    EXPECT_EQ(child->WindowState(), wsNormal);
    EXPECT_EQ(child->BoundsRect(), Rect(10, 10, 210, 160));
    EXPECT_FALSE(restore->Visible());
    child->SetWindowState(wsMaximized);
    skin_->MDIButton(TskMDIForm::mbMinimize)->OnClick(nullptr);
    EXPECT_EQ(child->WindowState(), wsMinimized);
}

TEST_F(MDISkinFixture, TheMenuBarFollowsTheActiveChild) {
    skin_->SetMenu(MakeMenu({"File", "Window"}));
    TMainMenu* childMenu = MakeMenu({"Edit", "View", "Help"});
    TForm* withMenu = AddChild(false, childMenu);
    EXPECT_EQ(BarCaptions(), (std::vector<String>{"Edit", "View", "Help"}));
    TForm* without = AddChild(false);
    EXPECT_EQ(form_->ActiveMDIChild(), without);
    EXPECT_EQ(BarCaptions(), (std::vector<String>{"File", "Window"}));
    // A child's TskForm brings its own menu when the child has no native one.
    TForm* skinned = AddChild(true);
    TskForm::SkinOf(skinned)->SetMenu(MakeMenu({"Tools"}));
    without->Show();
    skinned->Show();
    EXPECT_EQ(BarCaptions(), (std::vector<String>{"Tools"}));
    withMenu->Show();
    EXPECT_EQ(skin_->ShownMenu(), childMenu);
    // Without child menus the bar keeps the skin's own.
    skin_->SetTitleBarDrawChildMenus(false);
    without->Show();
    withMenu->Show();
    EXPECT_EQ(BarCaptions(), (std::vector<String>{"File", "Window"}));
    // The shown child menu going leaves the bar without it.
    skin_->SetTitleBarDrawChildMenus(true);
    withMenu->Show();
    childMenu->Free();
    EXPECT_NE(skin_->ShownMenu(), childMenu);
}

TEST_F(MDISkinFixture, AFreedChildMenuLeavesTheSkinsOwnMenuOnTheBar) {
    TMainMenu* own = MakeMenu({"File", "Window"});
    skin_->SetMenu(own);
    TForm* other = AddChild(false);
    for (bool viaSkin : {false, true}) {
        TMainMenu* childMenu = MakeMenu({"Edit", "View", "Help"});
        TForm* child = AddChild(viaSkin, viaSkin ? nullptr : childMenu);
        if (viaSkin) {
            TskForm::SkinOf(child)->SetMenu(childMenu);
            other->Show();
            child->Show();
        }
        ASSERT_EQ(BarCaptions(), (std::vector<String>{"Edit", "View", "Help"})) << viaSkin;
        childMenu->Free();
        EXPECT_EQ(skin_->ShownMenu(), own) << viaSkin;
        EXPECT_EQ(BarCaptions(), (std::vector<String>{"File", "Window"})) << viaSkin;
        for (int i = 0; i < skin_->MenuBar()->ButtonCount(); ++i)
            EXPECT_EQ(skin_->MenuBar()->Buttons(i)->Caption(), own->Items()->Items(i)->Caption());
        child->Free();
    }
    other->Free();
    // Without a menu of its own the bar goes.
    TMainMenu* childMenu = MakeMenu({"Edit"});
    skin_->SetMenu(nullptr);
    TForm* child = AddChild(false, childMenu);
    ASSERT_TRUE(skin_->MenuPanel()->Visible());
    childMenu->Free();
    EXPECT_EQ(skin_->ShownMenu(), nullptr);
    EXPECT_FALSE(skin_->MenuPanel()->Visible());
    child->Free();
}

TEST_F(MDISkinFixture, AChildsMenuShowsOnlyInTheFrame) {
    TMainMenu* childMenu = MakeMenu({"Edit", "View"});
    TForm* child = AddChild(false, childMenu);
    EXPECT_EQ(child->Menu(), childMenu);
    EXPECT_EQ(BarCaptions(), (std::vector<String>{"Edit", "View"}));
    // No bar of its own inside the child.
    for (int i = 0; i < child->ControlCount(); ++i)
        EXPECT_EQ(dynamic_cast<TToolBar*>(child->Controls(i)), nullptr) << i;
    EXPECT_EQ(child->ClientRect(), Rect(0, 0, child->ClientWidth(), child->ClientHeight()));
    // A form of another style keeps its bar.
    TForm* plain = nullptr;
    app_->CreateForm(plain);
    plain->SetMenu(MakeMenu({"File"}));
    int bars = 0;
    for (int i = 0; i < plain->ControlCount(); ++i)
        if (dynamic_cast<TToolBar*>(plain->Controls(i))) ++bars;
    EXPECT_EQ(bars, 1);
}

TEST_F(MDISkinFixture, AMaximisedChildCanBeRestoredAndClosedWithoutAFrameMenu) {
    ASSERT_EQ(skin_->Menu(), nullptr);
    ASSERT_FALSE(skin_->MenuPanel()->Visible());
    TForm* child = AddChild(true);
    child->OnClose = [](TObject*, TCloseAction& action) { action = caFree; };
    child->SetWindowState(wsMaximized);
    // The bar comes for the buttons, tall enough to hold them, and goes with them.
    EXPECT_TRUE(skin_->MenuPanel()->Visible());
    for (auto which : {TskMDIForm::mbClose, TskMDIForm::mbRestore, TskMDIForm::mbMinimize}) {
        TskToolBarSpeedButton* b = skin_->MDIButton(which);
        EXPECT_TRUE(b->Visible()) << which;
        EXPECT_LE(b->Top() + b->Height(), skin_->MenuPanel()->Height()) << which;
        EXPECT_TRUE(IsWindowVisible(skin_->MenuPanel()->Handle())) << which;
    }
    EXPECT_EQ(skin_->MenuBar()->ButtonCount(), 0);
    skin_->MDIButton(TskMDIForm::mbRestore)->OnClick(nullptr);
    EXPECT_EQ(child->WindowState(), wsNormal);
    EXPECT_FALSE(skin_->MenuPanel()->Visible());
    child->SetWindowState(wsMaximized);
    ASSERT_TRUE(skin_->MenuPanel()->Visible());
    skin_->MDIButton(TskMDIForm::mbClose)->OnClick(nullptr);
    Pump();
    EXPECT_EQ(form_->MDIChildCount(), 0);
    EXPECT_FALSE(skin_->MenuPanel()->Visible());
}

TEST_F(MDISkinFixture, SwitchingMaximisedChildrenShowsTheNewChildsButtons) {
    TForm* closeOnly = AddChild(true);
    TskTitleBarButtons* buttons = TskForm::SkinOf(closeOnly)->TitleBar()->Buttons();
    for (int i = 0; i < buttons->Count(); ++i)
        if (buttons->Items(i)->ButtonType() == skMin || buttons->Items(i)->ButtonType() == skMax)
            buttons->Items(i)->SetButtonType(skCustom);
    TForm* all = AddChild(true);
    TForm* plain = AddChild(false);
    auto shown = [&] {
        std::vector<bool> out;
        for (auto which : {TskMDIForm::mbClose, TskMDIForm::mbRestore, TskMDIForm::mbMinimize})
            out.push_back(skin_->MDIButton(which)->Visible());
        return out;
    };
    all->SetWindowState(wsMaximized);
    ASSERT_EQ(shown(), (std::vector<bool>{true, true, true}));
    closeOnly->Show();
    EXPECT_EQ(closeOnly->WindowState(), wsMaximized);
    EXPECT_EQ(shown(), (std::vector<bool>{true, false, false}));
    all->Show();
    EXPECT_EQ(shown(), (std::vector<bool>{true, true, true}));
    // A child without a skin has no title-bar buttons to mirror; the frame still needs a way
    // back: the buttons its window's caption would have.
    plain->Show();
    EXPECT_EQ(plain->WindowState(), wsMaximized);
    EXPECT_EQ(shown(), (std::vector<bool>{true, true, true}));
    plain->SetWindowState(wsNormal);
    EXPECT_EQ(shown(), (std::vector<bool>{false, false, false}));
}

TEST_F(MDISkinFixture, TheSkinnedTitleBarMovesAChildAndItsDoubleClickMaximises) {
    TForm* child = AddChild(true);
    TskTitleBar* bar = TskForm::SkinOf(child)->TitleBar();
    const TPoint at = bar->ClientToScreen(Point(40, bar->Height() / 2));
    session_->MovePointer(at.x, at.y);
    session_->PressButton();
    session_->MovePointer(at.x + 60, at.y + 45);
    session_->ReleaseButton();
    Pump();
    EXPECT_EQ(child->BoundsRect(), Rect(70, 55, 270, 205));
    const TPoint now = bar->ClientToScreen(Point(40, bar->Height() / 2));
    session_->DoubleClick(now.x, now.y);
    Pump();
    EXPECT_EQ(child->WindowState(), wsMaximized);
    EXPECT_TRUE(skin_->MDIButton(TskMDIForm::mbRestore)->Visible());
}

TEST_F(MDISkinFixture, TheChildInFrontCountsAsFocused) {
    TForm* back = AddChild(false);
    TForm* front = AddChild(false);
    EXPECT_TRUE(FormHasFocus(form_));
    EXPECT_TRUE(FormHasFocus(front));
    EXPECT_FALSE(FormHasFocus(back));
    back->Show();
    EXPECT_TRUE(FormHasFocus(back));
    EXPECT_FALSE(FormHasFocus(front));
}

TEST_F(MDISkinFixture, TheShownMenusShortcutsRunFromTheKeyboard) {
    int own = 0, childs = 0;
    auto addNew = [](TMainMenu* menu, int& runs) {
        auto* item = CreateComponent<TMenuItem>(menu);
        item->SetCaption("New");
        item->SetShortCut(ShortCut('N', TShiftState{ssCtrl}));
        item->OnClick = [&runs](TObject*) { ++runs; };
        menu->Items()->Items(0)->Add(item);
    };
    TMainMenu* frameMenu = MakeMenu({"File"});
    addNew(frameMenu, own);
    skin_->SetMenu(frameMenu);
    ASSERT_EQ(app_->MessageHandlerCount(), 1);
    session_->PressKey('N', false, true);
    Pump();
    EXPECT_EQ(own, 1);
    // The active child's menu is the one shown, so its shortcut runs instead.
    TMainMenu* childMenu = MakeMenu({"Edit"});
    addNew(childMenu, childs);
    TForm* child = AddChild(false, childMenu);
    ASSERT_EQ(skin_->ShownMenu(), childMenu);
    SetFocus(child->Handle());
    // Through the application's loop, where its message handler sees the key.
    session_->PressKey('N', false, true);
    app_->ProcessMessages();
    EXPECT_EQ(childs, 1);
    EXPECT_EQ(own, 1);
    // Once the skin is gone its handler is too.
    skin_->Free();
    skin_ = nullptr;
    EXPECT_EQ(app_->MessageHandlerCount(), 0);
}

TEST_F(MDISkinFixture, ASkinnedChildHearsItsKeysBesideTheFramesSkin) {
    int runs = 0;
    TMainMenu* frameMenu = MakeMenu({"File"});
    auto* item = CreateComponent<TMenuItem>(frameMenu);
    item->SetShortCut(ShortCut('N', TShiftState{ssCtrl}));
    item->OnClick = [&runs](TObject*) { ++runs; };
    frameMenu->Items()->Items(0)->Add(item);
    skin_->SetMenu(frameMenu);
    TForm* child = AddChild(true);
    TskForm* childSkin = TskForm::SkinOf(child);
    EXPECT_TRUE(skin_->HookedAppMessage());
    EXPECT_TRUE(childSkin->HookedApplicationMessages());
    bool popped = false;
    childSkin->TitleBar()->SystemMenu()->OnPopup = [&](TObject*) {
        popped = true;
        session_->PressKey(VK_ESCAPE);
    };
    SetFocus(child->Handle());
    app_->ProcessMessages();
    // Alt+Space is the child skin's, the frame's shortcut the frame skin's.
    session_->PressKey(' ', false, false, true);
    app_->ProcessMessages();
    EXPECT_TRUE(popped);
    session_->PressKey('N', false, true);
    app_->ProcessMessages();
    EXPECT_EQ(runs, 1);
}

TEST_F(MDISkinFixture, TheKeyboardReachesTheMenuBar) {
    // "&File" (New, Open) and "&Edit" (Undo), each entry counting its runs.
    std::map<String, int> runs;
    auto menuOf = [&](bool frames) {
        TMainMenu* menu = MakeMenu({"&File", "&Edit"});
        auto add = [&](TMenuItem* parent, const char* caption) {
            auto* item = CreateComponent<TMenuItem>(menu);
            item->SetCaption(caption);
            const String name = String(frames ? "frame " : "child ") + caption;
            item->OnClick = [&runs, name](TObject*) { ++runs[name]; };
            parent->Add(item);
        };
        add(menu->Items()->Items(0), "New");
        add(menu->Items()->Items(0), "Open");
        add(menu->Items()->Items(1), "Undo");
        return menu;
    };
    struct Case {
        const char* what;
        std::vector<std::pair<int, bool>> keys; // key, with Alt
        const char* ran;                        // nullptr: nothing
    };
    const Case cases[] = {
        {"Alt+F opens the first menu", {{'F', true}, {VK_RETURN, false}}, "New"},
        {"its arrows move down it", {{'F', true}, {VK_DOWN, false}, {VK_RETURN, false}}, "Open"},
        {"and along the bar", {{'F', true}, {VK_RIGHT, false}, {VK_RETURN, false}}, "Undo"},
        {"Alt+E opens the second", {{'E', true}, {VK_RETURN, false}}, "Undo"},
        {"F10 selects the first item", {{VK_F10, false}, {VK_RETURN, false}}, "New"},
        {"Esc leaves", {{VK_F10, false}, {VK_ESCAPE, false}, {VK_RETURN, false}}, nullptr},
    };
    skin_->SetMenu(menuOf(true));
    TForm* child = nullptr;
    for (const char* who : {"frame ", "child "}) {
        // First the frame with the keyboard and its own menu, then a child in front with one.
        if (String(who) == "child ") {
            child = AddChild(false, menuOf(false));
            SetFocus(child->Handle());
        } else {
            SetFocus(form_->Handle());
        }
        for (const Case& c : cases) {
            runs.clear();
            for (auto [vk, alt] : c.keys)
                session_->PressKey(vk, false, false, alt);
            // Through the application's loop, where its message handler sees the keys.
            app_->ProcessMessages();
            std::map<String, int> expected;
            if (c.ran) expected[String(who) + c.ran] = 1;
            EXPECT_EQ(runs, expected) << who << c.what;
        }
    }
    // The menus' handlers record into this test's own map: the menus go before it does.
    child->Free();
    skin_->Menu()->Free();
}

TEST_F(MDISkinFixture, AShorterMenuLeavesFewerButtonsBoundToTheNewItems) {
    skin_->SetMenu(MakeMenu({"A", "B", "C", "D", "E"}));
    EXPECT_EQ(skin_->MenuBar()->ButtonCount(), 5);
    TMainMenu* three = MakeMenu({"X", "Y", "Z"});
    skin_->SetMenu(three);
    ASSERT_EQ(skin_->MenuBar()->ButtonCount(), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(skin_->MenuBar()->Buttons(i)->MenuItem(), three->Items()->Items(i));
    skin_->SetMenu(nullptr);
    EXPECT_FALSE(skin_->MenuPanel()->Visible());
}

TEST_F(MDISkinFixture, TilingAndCascadingLeaveRoomBetweenTheChildren) {
    skin_->SetMenu(MakeMenu({"File"}));
    SetClientWidth(800);
    std::vector<TForm*> kids;
    for (int i = 0; i < 4; ++i)
        kids.push_back(AddChild(false));
    // kids[3] is in front, kids[0] at the back.
    const int bars = skin_->TitleBar()->Height() + skin_->MenuPanel()->Height();
    const int room = form_->ClientHeight() - bars;

    form_->SetTileMode(tbVertical);
    form_->Tile();
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(kids[size_t(i)]->BoundsRect(), Rect(198 * i, 0, 198 * i + 198, room - 4)) << i;

    form_->SetTileMode(tbHorizontal);
    form_->Tile();
    const int h = room / 4;
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(kids[size_t(i)]->BoundsRect(), Rect(0, (h - 2) * i, 796, (h - 2) * i + h - 2))
            << i;

    // A minimised child takes no share, and leaves 25 pixels at the bottom.
    kids[1]->SetWindowState(wsMinimized);
    form_->Tile();
    const int h3 = (room - 25) / 3;
    EXPECT_EQ(kids[0]->BoundsRect(), Rect(0, 0, 796, h3 - 2));
    EXPECT_EQ(kids[3]->BoundsRect(), Rect(0, 2 * (h3 - 2), 796, 3 * (h3 - 2)));

    form_->Cascade();
    const int cw = 640, ch = int(std::nearbyint(form_->ClientHeight() * 0.6));
    EXPECT_EQ(kids[0]->BoundsRect(), Rect(0, 0, cw, ch));
    EXPECT_EQ(kids[2]->BoundsRect(), Rect(22, 22, 22 + cw, 22 + ch));
    EXPECT_EQ(kids[3]->BoundsRect(), Rect(44, 44, 44 + cw, 44 + ch));
}

TEST_F(MDISkinFixture, RoundTopCornersGetAnArcAndTheBottomOnesStaySquare) {
    const HWND h = form_->Handle();
    auto limeInTopLeft = [&] {
        int n = 0;
        for (int y = 0; y < 11; ++y)
            for (int x = 1; x < 11; ++x)
                if (headless::HeadlessBackend::WindowFramePixel(h, x, y) == RGB(0, 255, 0)) ++n;
        return n;
    };
    // Square corners (DeepBlue) get no arc.
    ASSERT_EQ(skin_->RoundCorner(), 0);
    skin_->SetBorderColor(clLime);
    Pump();
    EXPECT_EQ(limeInTopLeft(), 0);

    skin_->SetUIStyle(BlueGlass);
    ASSERT_EQ(skin_->BorderWidth(), 1);
    ASSERT_EQ(skin_->RoundCorner(), 11);
    skin_->SetBorderColor(clLime);
    Pump();
    const int H = form_->Height();
    EXPECT_GT(limeInTopLeft(), 0);
    EXPECT_EQ(headless::HeadlessBackend::WindowFramePixel(h, 0, H - 1), RGB(0, 255, 0));
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(GetWindowRgn(h, region), ERROR);
    EXPECT_FALSE(PtInRegion(region, 0, 0));
    EXPECT_TRUE(PtInRegion(region, 0, H - 1));
    EXPECT_TRUE(PtInRegion(region, form_->Width() - 1, H - 1));
    DeleteObject(region);
}

} // namespace
} // namespace skin_test
