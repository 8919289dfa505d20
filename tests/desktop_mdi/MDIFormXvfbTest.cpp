// A skinned MDI parent with two skinned children in a real window under Xvfb with a window
// manager: one child maximised (its buttons in the frame's menu bar, restored by a click
// there), then both tiled; in every built-in style, with a screenshot of each step when
// KORVID_SHOT_DIR is set. Skipped where Xvfb, xdotool or the window manager is missing.
#include "framework/Label.h"
#include "framework/Menus.h"
#include "skin/SKForm.h"
#include "skin/SKMDIForm.h"
#include "support/SkinStyles.h"
#include "support/desktop/DesktopFixture.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

namespace {

class MDIFormOnX : public test_support::DesktopFixture {
protected:
    MDIFormOnX() : DesktopFixture("korvid-xvfb-mdi-") {}
    void SetUp() override {
        StartDesktop();
        if (!Started()) return;
        app_->CreateForm(frame_);
        frame_->SetFormStyle(fsMDIForm);
        frame_->SetBorderStyle(bsSizeable);
        frame_->SetCaption("korvid MDI");
        frame_->SetBounds(40, 40, 720, 520);
        skin_ = CreateComponent<TskMDIForm>(frame_);
        auto* menu = CreateComponent<TMainMenu>(frame_);
        for (const char* caption : {"File", "Window", "Help"}) {
            auto* item = CreateComponent<TMenuItem>(menu);
            item->SetCaption(caption);
            menu->Items()->Add(item);
        }
        skin_->SetMenu(menu);
        frame_->Show();
        PumpUntil([&] { return IsWindowVisible(frame_->Handle()) != FALSE; });
        one_ = AddChild("Child one", TColor(0x00F0FBFF));
        two_ = AddChild("Child two", TColor(0x00C0DCC0));
        PumpFor(300);
    }
    TForm* AddChild(const char* caption, TColor color) {
        TForm* child = nullptr;
        app_->CreateForm(child);
        child->SetFormStyle(fsMDIChild);
        child->SetCaption(caption);
        child->SetBounds(20, 20, 300, 200);
        auto* skin = CreateComponent<TskForm>(child);
        auto* label = CreateComponent<TLabel>(child);
        label->SetParent(skin);
        label->SetCaption(caption);
        label->SetColor(color);
        label->SetTransparent(false);
        label->SetAlign(alClient);
        child->Show();
        PumpFor(100);
        return child;
    }
    void ApplyStyle(TskUIStyle style) {
        skin_->SetUIStyle(style);
        for (TForm* child : {one_, two_})
            if (TskForm* skin = TskForm::SkinOf(child)) skin->SetUIStyle(style);
        PumpFor(200);
    }
    void Shot(const std::string& name) {
        const char* dir = std::getenv("KORVID_SHOT_DIR");
        if (!dir || !Have("import")) return;
        PumpFor(300);
        const std::string crop = std::to_string(frame_->Width() + 20) + "x" +
                                 std::to_string(frame_->Height() + 20) + "+" +
                                 std::to_string(std::max(0, frame_->Left() - 10)) + "+" +
                                 std::to_string(std::max(0, frame_->Top() - 10));
        const std::string command = std::string("import -display ") + display_ +
                                    " -window root -crop " + crop + " +repage " + dir + "/" + name +
                                    ".png";
        EXPECT_EQ(std::system(command.c_str()), 0) << name;
    }

    TForm* frame_ = nullptr;
    TskMDIForm* skin_ = nullptr;
    TForm* one_ = nullptr;
    TForm* two_ = nullptr;
};

TEST_F(MDIFormOnX, TwoChildrenMaximisedThenTiledInEveryStyle) {
    const HWND client = frame_->ClientHandle();
    ASSERT_NE(client, HWND(0));
    for (const test_support::NamedStyle& s : test_support::kBuiltinStyles) {
        SCOPED_TRACE(s.name);
        ApplyStyle(s.style);
        two_->SetWindowState(wsMaximized);
        ASSERT_TRUE(PumpUntil([&] { return two_->WindowState() == wsMaximized; }));
        EXPECT_EQ(frame_->ActiveMDIChild(), two_);
        EXPECT_FALSE(TskForm::SkinOf(two_)->TitleBar()->Visible());
        TskToolBarSpeedButton* restore = skin_->MDIButton(TskMDIForm::mbRestore);
        ASSERT_TRUE(restore->Visible());
        RECT area;
        GetClientRect(client, &area);
        EXPECT_EQ(two_->ClientWidth(), area.right);
        EXPECT_EQ(two_->ClientHeight(), area.bottom);
        Shot(std::string("mdi_maximised_") + s.name);

        // The frame's restore button, clicked as a user would.
        const TPoint at =
            restore->ClientToScreen(Point(restore->Width() / 2, restore->Height() / 2));
        Script("mousemove " + std::to_string(at.x) + " " + std::to_string(at.y) +
               " sleep 0.2 click 1");
        EXPECT_TRUE(PumpUntil([&] { return two_->WindowState() == wsNormal; }));
        EXPECT_FALSE(restore->Visible());
        EXPECT_TRUE(TskForm::SkinOf(two_)->TitleBar()->Visible());

        frame_->SetTileMode(tbVertical);
        frame_->Tile();
        PumpFor(100);
        const int w = frame_->ClientWidth() / 2;
        EXPECT_EQ(one_->Left(), 0);
        EXPECT_EQ(two_->Left(), w - 2);
        EXPECT_EQ(one_->Width(), w - 2);
        EXPECT_EQ(two_->Width(), w - 2);
        Shot(std::string("mdi_tiled_") + s.name);
        one_->SetBounds(20, 20, 300, 200);
        two_->SetBounds(60, 60, 300, 200);
    }
}

// The user's own way with a child: dragged by its caption, sized by its lower-right corner,
// maximised by a double click on the caption in a frame that has no menu, restored and
// closed with the frame's buttons; and Alt+F opening the frame's first menu.
TEST_F(MDIFormOnX, AUserMovesSizesMaximisesRestoresAndClosesAChild) {
    ApplyStyle(Protein);
    skin_->SetMenu(nullptr);
    PumpFor(100);
    ASSERT_FALSE(skin_->MenuPanel()->Visible());
    two_->OnClose = [](TObject*, TCloseAction& action) { action = caFree; };
    auto at = [](TControl* c, int x, int y) {
        const TPoint p = c->ClientToScreen(Point(x, y));
        return std::to_string(p.x) + " " + std::to_string(p.y);
    };
    TskTitleBar* caption = TskForm::SkinOf(two_)->TitleBar();
    const TRect before = two_->BoundsRect();
    Script("mousemove " + at(caption, 60, caption->Height() / 2) +
           " sleep 0.2 mousedown 1 sleep 0.1 mousemove_relative 40 30 sleep 0.1"
           " mousemove_relative 60 45 sleep 0.2 mouseup 1");
    EXPECT_TRUE(PumpUntil([&] { return two_->Left() == before.left + 100; }));
    EXPECT_EQ(two_->Top(), before.top + 75);
    EXPECT_EQ(two_->Width(), before.right - before.left);

    RECT r;
    GetWindowRect(two_->Handle(), &r);
    Script("mousemove " + std::to_string(r.right - 1) + " " + std::to_string(r.bottom - 1) +
           " sleep 0.2 mousedown 1 sleep 0.1 mousemove_relative 30 20 sleep 0.1"
           " mousemove_relative 50 40 sleep 0.2 mouseup 1");
    EXPECT_TRUE(PumpUntil([&] { return two_->Width() == before.right - before.left + 80; }));
    EXPECT_EQ(two_->Height(), before.bottom - before.top + 60);
    EXPECT_EQ(two_->Left(), before.left + 100);

    Script("mousemove " + at(caption, 60, caption->Height() / 2) + " sleep 0.2 click --repeat 2 1");
    ASSERT_TRUE(PumpUntil([&] { return two_->WindowState() == wsMaximized; }));
    // The frame has no menu, yet its bar comes to carry the child's buttons.
    TskToolBarSpeedButton* restore = skin_->MDIButton(TskMDIForm::mbRestore);
    TskToolBarSpeedButton* close = skin_->MDIButton(TskMDIForm::mbClose);
    ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(skin_->MenuPanel()->Handle()) != FALSE; }));
    EXPECT_TRUE(restore->Visible());
    Shot("mdi_maximised_no_menu");
    Script("mousemove " + at(restore, restore->Width() / 2, restore->Height() / 2) +
           " sleep 0.2 click 1");
    EXPECT_TRUE(PumpUntil([&] { return two_->WindowState() == wsNormal; }));
    EXPECT_EQ(two_->Left(), before.left + 100);
    EXPECT_FALSE(skin_->MenuPanel()->Visible());

    two_->SetWindowState(wsMaximized);
    ASSERT_TRUE(PumpUntil([&] { return close->Visible(); }));
    Script("mousemove " + at(close, close->Width() / 2, close->Height() / 2) +
           " sleep 0.2 click 1");
    EXPECT_TRUE(PumpUntil([&] { return frame_->MDIChildCount() == 1; }));
    two_ = nullptr;
    // The child behind takes the front and the maximised state over, and the buttons with it.
    EXPECT_TRUE(PumpUntil([&] { return one_->WindowState() == wsMaximized; }));
    EXPECT_TRUE(close->Visible());
    one_->SetWindowState(wsNormal);
    EXPECT_TRUE(PumpUntil([&] { return !skin_->MenuPanel()->Visible(); }));

    // Alt+F drops the frame's first menu down with its first entry selected; Enter runs it.
    auto* menu = CreateComponent<TMainMenu>(frame_);
    auto* file = CreateComponent<TMenuItem>(menu);
    file->SetCaption("&File");
    menu->Items()->Add(file);
    int opened = 0, ran = 0;
    file->OnClick = [&opened](TObject*) { ++opened; };
    auto* entry = CreateComponent<TMenuItem>(menu);
    entry->SetCaption("&New");
    entry->OnClick = [&ran](TObject*) { ++ran; };
    file->Add(entry);
    skin_->SetMenu(menu);
    PumpFor(200);
    Script("mousemove " + at(one_, 40, 60) +
           " sleep 0.2 click 1 sleep 0.3 key alt+f sleep 0.5 key Return");
    EXPECT_TRUE(PumpUntil([&] { return ran == 1; }));
    EXPECT_EQ(opened, 1);
    file->OnClick = nullptr;
    entry->OnClick = nullptr;
}

} // namespace
