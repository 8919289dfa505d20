#pragma once
// A test on a private X display with a window manager: the server, the manager, the desktop
// backend and an application, and the message loop kept running while a test waits or while
// xdotool works the pointer and the keys.
#include "framework/Application.h"
#include "platform/user/User.h"
#include "support/Poll.h"
#include "support/TempFolder.h"
#include "support/XvfbServer.h"
#include "support/desktop/WindowManager.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>

namespace test_support {

class DesktopFixture : public ::testing::Test {
protected:
    explicit DesktopFixture(const char* folderPrefix) : folder_(folderPrefix) {}

    // Starts the server, the manager and the application; a derived SetUp goes on only when
    // neither skipped nor failed.
    void StartDesktop() {
        if (!Have("Xvfb") || !Have("xdotool") || !Have(WindowManager::kProgram))
            GTEST_SKIP() << "Xvfb, xdotool or " << WindowManager::kProgram << " is not installed";
        std::unique_ptr<user::DisplayBackend> backend = server_.Start("1024x768x24");
        ASSERT_TRUE(backend) << "Xvfb did not start";
        display_ = server_.Display();
        ASSERT_TRUE(wm_.Start(display_, folder_.File("openbox.xml")))
            << "the window manager did not start";
        user::SetDisplayBackend(std::move(backend));
        app_ = CreateComponent<TApplication>(nullptr);
    }
    bool Started() const { return app_ && !IsSkipped() && !HasFatalFailure(); }

    void TearDown() override {
        if (app_) app_->Free();
        user::SetDisplayBackend(nullptr);
        wm_.Stop();
        server_.Stop();
    }

    // Runs the message loop until done() holds or 4 s pass.
    bool PumpUntil(const std::function<bool()>& done) {
        return PollUntil(
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
    // xdotool reads its arguments (text to type) by the locale: UTF-8.
    void Xdotool(const std::string& args) const {
        const std::string command = std::string("DISPLAY=") + display_ +
                                    " LC_ALL=C.UTF-8 xdotool " + args + " >/dev/null 2>&1";
        (void)std::system(command.c_str());
    }
    // Runs xdotool on another thread while this one keeps the program alive.
    void Script(const std::string& args) {
        std::atomic<bool> done{false};
        std::thread t([&] {
            Xdotool(args);
            done = true;
        });
        PumpUntil([&] { return done.load(); });
        t.join();
        PumpFor(200);
    }

    XvfbServer server_;
    const char* display_ = ""; // the server's, once started
    WindowManager wm_;
    TempFolder folder_;
    TApplication* app_ = nullptr;
};

} // namespace test_support
