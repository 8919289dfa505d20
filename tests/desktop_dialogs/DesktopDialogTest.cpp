// The framework's own open dialog in a real window on Xvfb, answered with xdotool: a name
// typed into it and Enter. Skipped where Xvfb or xdotool is missing.
#include "framework/Application.h"
#include "framework/Dialogs.h"
#include "platform/user/User.h"
#include "support/TempFolder.h"
#include "support/XvfbServer.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

// The display of the running test's own server.
const char* testDisplay = "";
constexpr UINT_PTR kWatchdog = 77;
constexpr UINT kWatchdogMs = 20000; // a dialog nobody answers is cancelled after this

void CancelModalForm(HWND, UINT, UINT_PTR, DWORD) {
    if (TCustomForm* f = Screen ? Screen->ActiveForm() : nullptr;
        f && f->FormState().Contains(fsModal))
        f->SetModalResult(mrCancel);
}

class DesktopDialog : public ::testing::Test {
protected:
    void SetUp() override {
        if (!Have("Xvfb") || !Have("xdotool")) GTEST_SKIP() << "Xvfb or xdotool is not installed";
        std::unique_ptr<user::DisplayBackend> backend = server_.Start("800x600x24");
        testDisplay = server_.Display();
        ASSERT_TRUE(backend) << "Xvfb did not start";
        user::SetDisplayBackend(std::move(backend));
        std::ofstream(dir_.File("clip.mpg")) << "x";
        std::ofstream(dir_.File("notes.txt")) << "x";
    }
    void TearDown() override {
        if (helper_.joinable()) helper_.join();
        if (app_) app_->Free();
        user::SetDisplayBackend(nullptr);
        server_.Stop();
    }

    XvfbServer server_;
    test_support::TempFolder dir_{"korvid-xvfb-dialog-"};
    TApplication* app_ = nullptr;
    std::thread helper_;
};

TEST_F(DesktopDialog, OpenDialogTakesATypedNameAndEnter) {
    app_ = CreateComponent<TApplication>(nullptr);
    app_->SetTitle("Varnelo");
    TForm* main = nullptr;
    app_->CreateForm(main);
    main->SetBounds(20, 20, 300, 200);
    main->Show();
    TOpenDialog* dialog = CreateComponent<TOpenDialog>(main);
    dialog->SetFilter("video clips|*.mpg;*.mpeg;*.avi");
    dialog->SetInitialDir(dir_.Path().string());
    SetTimer(main->Handle(), kWatchdog, kWatchdogMs, &CancelModalForm);

    // The user, on another thread: waits for the dialog's window, types into it, presses Enter.
    const std::string env = std::string("DISPLAY=") + testDisplay + " ";
    helper_ = std::thread([env] {
        std::system((env + "timeout 15 xdotool search --sync --name '^Open$' windowfocus --sync "
                           ">/dev/null 2>&1")
                        .c_str());
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        if (const char* shot = std::getenv("KORVID_DIALOG_SHOT"))
            std::system((env + "import -window root '" + shot + "' >/dev/null 2>&1").c_str());
        std::system((env + "xdotool type --delay 30 clip; " + env + "xdotool key Return").c_str());
    });
    bool chosen = dialog->Execute();
    KillTimer(main->Handle(), kWatchdog);
    ASSERT_TRUE(chosen);
    // The typed name gets the chosen type's extension.
    EXPECT_EQ(dialog->FileName(), dir_.File("clip.mpg"));
    EXPECT_EQ(dialog->FilterIndex(), 1);
}

} // namespace
