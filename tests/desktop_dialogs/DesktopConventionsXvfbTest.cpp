// The desktop's conventions under a window manager (openbox on Xvfb, driven by xdotool): a
// message box stays above the window it belongs to and keeps the keyboard when that window is
// clicked; typed characters past ASCII and an input method's commit strings reach an edit and
// the file dialog's name field as themselves. Skipped where the programs are missing.
#include "framework/Dialogs.h"
#include "framework/Edit.h"
#include "framework/FileDialogForm.h"
#include "framework/Forms.h"
#include "support/desktop/DesktopFixture.h"
#include "support/desktop/Keyboard.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

namespace {

constexpr UINT_PTR kWatchdog = 78;
constexpr UINT kWatchdogMs = 15000; // a modal window nobody answers is cancelled after this

// Whichever form is modal, active or not: a lost box is what a failing test leaves.
void CancelModalForm(HWND, UINT, UINT_PTR, DWORD) {
    for (int i = 0; Screen && i < Screen->FormCount(); ++i)
        if (Screen->Forms(i)->FormState().Contains(fsModal))
            Screen->Forms(i)->SetModalResult(mrCancel);
}

// X keysyms: e-acute and sharp s are Latin-1, the two CJK characters Unicode key symbols.
constexpr unsigned long kEacute = 0xE9, kSharpS = 0xDF, kZhong = 0x1004E2D, kWen = 0x1006587,
                        kMultiKey = 0xFF20;
// What xdotool types by key events, and what the compose table below commits: Multi_key a gives
// the two CJK characters at once, Multi_key e ' an e-acute.
constexpr const char* kKeyed = "\xC3\xA9\xC3\x9F\xE4\xB8\xAD\xE6\x96\x87";
constexpr const char* kCommitted = "\xE4\xB8\xAD\xE6\x96\x87\xC3\xA9";
constexpr const char* kComposeTable = "<Multi_key> <a> : \"\xE4\xB8\xAD\xE6\x96\x87\"\n"
                                      "<Multi_key> <e> <apostrophe> : \"\xC3\xA9\"\n";
constexpr const char* kCommitKeys = "Multi_key a Multi_key e apostrophe";

class DesktopConventions : public test_support::DesktopFixture {
protected:
    DesktopConventions() : DesktopFixture("korvid-xvfb-conventions-") {}
    void SetUp() override {
        // Xlib's own input method reads it when the backend opens.
        std::ofstream(folder_.File("Compose")) << kComposeTable;
        setenv("XCOMPOSEFILE", folder_.File("Compose").c_str(), 1);
        StartDesktop();
        unsetenv("XCOMPOSEFILE");
        if (!Started()) return;
        ASSERT_TRUE(test_support::AddKeys(display_, {kEacute, kSharpS, kZhong, kWen, kMultiKey}));
        app_->SetTitle("Varnelo");
        app_->CreateForm(main_);
        main_->SetBorderStyle(bsSingle);
        main_->SetCaption("korvid main");
        main_->SetBounds(100, 100, 600, 400);
        main_->Show();
        ASSERT_TRUE(
            PumpUntil([&] { return Shell("search --onlyvisible --name '^korvid main$'") != ""; }));
        PumpFor(300);
    }
    // xdotool's output, trimmed.
    std::string Shell(const std::string& args) const {
        std::string out;
        const std::string command =
            std::string("DISPLAY=") + display_ + " LC_ALL=C.UTF-8 xdotool " + args + " 2>/dev/null";
        if (FILE* p = popen(command.c_str(), "r")) {
            char buffer[256];
            while (std::fgets(buffer, sizeof buffer, p))
                out += buffer;
            pclose(p);
        }
        while (!out.empty() && (out.back() == '\n' || out.back() == ' '))
            out.pop_back();
        return out;
    }
    // The window manager's stacking order of its clients, bottom first (X window ids).
    std::vector<unsigned long> Stacking() const {
        std::vector<unsigned long> ids;
        const std::string command = std::string("DISPLAY=") + display_ +
                                    " xprop -root _NET_CLIENT_LIST_STACKING 2>/dev/null";
        std::string out;
        if (FILE* p = popen(command.c_str(), "r")) {
            char buffer[1024];
            while (std::fgets(buffer, sizeof buffer, p))
                out += buffer;
            pclose(p);
        }
        const size_t hash = out.find('#');
        std::istringstream in(hash == std::string::npos ? "" : out.substr(hash + 1));
        for (std::string id; std::getline(in, id, ',');)
            ids.push_back(std::stoul(id, nullptr, 16));
        return ids;
    }
    static long Place(const std::vector<unsigned long>& stacking, const std::string& id) {
        if (id.empty()) return -1;
        const unsigned long window = std::stoul(id);
        for (size_t i = 0; i < stacking.size(); ++i)
            if (stacking[i] == window) return static_cast<long>(i);
        return -1;
    }

    TForm* main_ = nullptr;
};

TEST_F(DesktopConventions, AMessageBoxStaysOnTopOfItsWindowAndKeepsTheKeyboard) {
    if (!Started()) return;
    SetTimer(main_->Handle(), kWatchdog, kWatchdogMs, &CancelModalForm);
    long boxPlace = -1, mainPlace = -1;
    std::string focused, box;
    // The user, on another thread: clicks the main window beside the box, then presses Enter.
    std::thread user([&] {
        Xdotool("search --sync --onlyvisible --name '^korvid box$'");
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        Xdotool("mousemove 130 470 click 1");
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        box = Shell("search --name '^korvid box$'");
        const std::vector<unsigned long> stacking = Stacking();
        boxPlace = Place(stacking, box);
        mainPlace = Place(stacking, Shell("search --name '^korvid main$'"));
        focused = Shell("getwindowfocus");
        Xdotool("key Return");
    });
    const int answer = MessageBox(main_->Handle(), "Still on top?", "korvid box", MB_OKCANCEL);
    user.join();
    KillTimer(main_->Handle(), kWatchdog);
    ASSERT_NE(box, "");
    EXPECT_GT(mainPlace, -1);
    EXPECT_GT(boxPlace, mainPlace) << "the click raised the main window over the box";
    EXPECT_EQ(focused, box);
    EXPECT_EQ(answer, IDOK);
    EXPECT_TRUE(IsWindowEnabled(main_->Handle()));
}

TEST_F(DesktopConventions, TypedAndCommittedTextReachesAnEditAsItself) {
    if (!Started()) return;
    TEdit* edit = CreateComponent<TEdit>(main_);
    edit->SetParent(main_);
    edit->SetBounds(20, 20, 300, 24);
    edit->SetFocus();
    PumpFor(200);
    Script(std::string("type --delay 40 '") + kKeyed + "'");
    Script(std::string("key --delay 40 ") + kCommitKeys);
    const std::string expected = std::string(kKeyed) + kCommitted;
    EXPECT_TRUE(PumpUntil([&] { return edit->Text() == expected; })) << edit->Text();
}

TEST_F(DesktopConventions, TypedAndCommittedTextNamesAFileInTheOpenDialog) {
    if (!Started()) return;
    const std::string name = std::string(kKeyed) + kCommitted + ".txt";
    std::ofstream(folder_.File(name)) << "x";
    TOpenDialog* dialog = CreateComponent<TOpenDialog>(main_);
    dialog->SetFilter("Text|*.txt");
    dialog->SetInitialDir(folder_.Path().string());
    SetTimer(main_->Handle(), kWatchdog, kWatchdogMs, &CancelModalForm);
    std::thread user([&] {
        Xdotool("search --sync --onlyvisible --name '^Open$'");
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        Xdotool(std::string("type --delay 40 '") + kKeyed + "'");
        Xdotool(std::string("key --delay 40 ") + kCommitKeys);
        Xdotool("type --delay 40 '.txt'");
        Xdotool("key Return");
    });
    const bool chosen = dialog->Execute();
    user.join();
    KillTimer(main_->Handle(), kWatchdog);
    ASSERT_TRUE(chosen);
    EXPECT_EQ(dialog->FileName(), folder_.File(name));
}

} // namespace
