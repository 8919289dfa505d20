// A skinned MDI parent with two skinned children in a real window under Xvfb with a window
// manager: one child maximised (its buttons in the frame's menu bar, restored by a click
// there), then both tiled; in every built-in style, with a screenshot of each step when
// KORVID_SHOT_DIR is set. Skipped where Xvfb, xdotool or the window manager is missing.
#include "framework/Application.h"
#include "framework/Label.h"
#include "framework/Menus.h"
#include "platform/user/User.h"
#include "skin/SKForm.h"
#include "skin/SKMDIForm.h"
#include "support/Poll.h"
#include "support/SkinStyles.h"
#include "support/TempFolder.h"
#include "support/XvfbServer.h"
#include "support/desktop/WindowManager.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

using test_support::WindowManager;

constexpr const char* kDisplay = ":71";

class MDIFormOnX : public ::testing::Test {
protected:
    void SetUp() override {
        if (!Have("Xvfb") || !Have("xdotool") || !Have(WindowManager::kProgram))
            GTEST_SKIP() << "Xvfb, xdotool or " << WindowManager::kProgram << " is not installed";
        std::unique_ptr<user::DisplayBackend> backend = server_.Start(kDisplay, "1024x768x24");
        ASSERT_TRUE(backend) << "Xvfb did not start";
        ASSERT_TRUE(wm_.Start(kDisplay, folder_.File("openbox.xml")))
            << "the window manager did not start";
        user::SetDisplayBackend(std::move(backend));
        app_ = CreateComponent<TApplication>(nullptr);
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
    void TearDown() override {
        if (app_) app_->Free();
        user::SetDisplayBackend(nullptr);
        wm_.Stop();
        server_.Stop();
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
    bool PumpUntil(const std::function<bool()>& done) {
        return test_support::PollUntil(
            [&] {
                app_->ProcessMessages();
                return done();
            },
            [] { std::this_thread::sleep_for(std::chrono::milliseconds(10)); },
            std::chrono::seconds(4));
    }
    void PumpFor(int ms) {
        for (int i = 0; i < ms / 10; ++i) {
            app_->ProcessMessages();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    // Runs xdotool on another thread while this one keeps the program alive.
    void Script(const std::string& args) {
        std::atomic<bool> done{false};
        std::thread t([&] {
            const std::string command =
                std::string("DISPLAY=") + kDisplay + " xdotool " + args + " >/dev/null 2>&1";
            (void)std::system(command.c_str());
            done = true;
        });
        PumpUntil([&] { return done.load(); });
        t.join();
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
        const std::string command = std::string("import -display ") + kDisplay +
                                    " -window root -crop " + crop + " +repage " + dir + "/" + name +
                                    ".png";
        EXPECT_EQ(std::system(command.c_str()), 0) << name;
    }

    XvfbServer server_;
    WindowManager wm_;
    test_support::TempFolder folder_{"korvid-xvfb-mdi-"};
    TApplication* app_ = nullptr;
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

} // namespace
