// A pop-up menu in real windows: Xvfb shows it, xdotool moves the pointer and clicks an item
// and types keys, the menu's loop takes them. Skipped where Xvfb or xdotool is missing.
#include "framework/Application.h"
#include "framework/Menus.h"
#include "platform/user/User.h"
#include "support/Poll.h"
#include "support/XvfbServer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

// The display of the running test's own server.
const char* testDisplay = "";

void Xdotool(const std::string& args) {
    std::string command =
        std::string("DISPLAY=") + testDisplay + " xdotool " + args + " >/dev/null 2>&1";
    (void)std::system(command.c_str());
}

class PopupMenuOnX : public ::testing::Test {
protected:
    void SetUp() override {
        if (!Have("Xvfb") || !Have("xdotool")) GTEST_SKIP() << "Xvfb or xdotool is not installed";
        std::unique_ptr<user::DisplayBackend> backend = server_.Start("640x480x24");
        testDisplay = server_.Display();
        ASSERT_TRUE(backend) << "Xvfb did not start";
        user::SetDisplayBackend(std::move(backend));
        app_ = CreateComponent<TApplication>(nullptr);
        app_->CreateForm(form_);
        form_->SetBorderStyle(bsNone);
        form_->SetCaption("korvid menu");
        form_->SetBounds(40, 30, 300, 200);
        form_->Show();
        for (int i = 0; i < 20; ++i) {
            app_->ProcessMessages();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        menu_ = CreateComponent<TPopupMenu>(form_);
        for (const char* caption : {"&Open", "&Save", "&Close"}) {
            auto* item = CreateComponent<TMenuItem>(nullptr);
            item->SetCaption(caption);
            item->OnMeasureItem = [](TObject*, TCanvas*, int& w, int& h) {
                w = 120;
                h = 20;
            };
            item->OnClick = [this, caption](TObject*) { chosen_ = caption; };
            // Once drawn, the menu is on the screen and takes input.
            item->OnDrawItem = [this](TObject* sender, TCanvas* c, const TRect& r, bool sel) {
                static_cast<TMenuItem*>(sender)->DefaultDrawItem(c, r, sel);
                drawn_ = true;
            };
            menu_->Items()->Add(item);
        }
    }
    void TearDown() override {
        if (app_) app_->Free();
        user::SetDisplayBackend(nullptr);
        server_.Stop();
    }
    // Pops the menu up at (100, 100) and runs the script on another thread once it shows.
    void PopupWith(const std::string& script) {
        drawn_ = false;
        chosen_.clear();
        std::thread user([this, script] {
            test_support::PollUntil([this] { return drawn_.load(); }, std::chrono::seconds(3));
            Xdotool(script);
            // A menu that missed the input must not hang the test.
            std::this_thread::sleep_for(std::chrono::milliseconds(1500));
            Xdotool("key Escape");
            Xdotool("mousemove 600 450 click 1");
        });
        menu_->Popup(100, 100);
        user.join();
    }

    XvfbServer server_;
    TApplication* app_ = nullptr;
    TForm* form_ = nullptr;
    TPopupMenu* menu_ = nullptr;
    std::atomic<bool> drawn_{false};
    std::string chosen_;
};

TEST_F(PopupMenuOnX, PointerPicksAnItem) {
    // Rows are 20 high below a 2-pixel frame: "&Save" spans y 122 .. 141.
    PopupWith("mousemove 140 131 click 1");
    EXPECT_EQ(chosen_, "&Save");
}

TEST_F(PopupMenuOnX, KeysPickAnItem) {
    Xdotool("search --name 'korvid menu' windowfocus --sync");
    PopupWith("key Down Down Down Return");
    EXPECT_EQ(chosen_, "&Close");
}

} // namespace
