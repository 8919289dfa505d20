// The real program, started through scripts/run.sh on Xvfb with a window manager, driven
// with xdotool as a user would: open a video through the dialog, auto positions, capture,
// Make GIF, save both. The GIF then plays in ffplay and decodes in giflib, the AVI reads back
// in ffprobe at the chosen rate. Skipped where Xvfb, xdotool, openbox or the tools are
// missing. KORVID_SCREENSHOT_DIR, when set, receives the window before and after capture.
#include "app/MainForm.h"
#include "framework/Application.h"
#include "platform/headless/Headless.h"
#include "support/Poll.h"
#include "support/TempFolder.h"
#include "support/XvfbServer.h"
#include "support/desktop/WindowManager.h"
#include "support/media/MovieFixtures.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <thread>

#ifndef KORVID_SOURCE_DIR
#define KORVID_SOURCE_DIR "."
#endif
#ifndef KORVID_BUILD_DIR
#define KORVID_BUILD_DIR "."
#endif

namespace {

namespace fs = std::filesystem;
// The display of the running test's own server.
const char* testDisplay = "";

std::string Output(const std::string& command) {
    std::string result;
    if (FILE* p = popen(command.c_str(), "r")) {
        char buffer[512];
        while (size_t n = fread(buffer, 1, sizeof buffer, p))
            result.append(buffer, n);
        pclose(p);
    }
    while (!result.empty() && (result.back() == '\n' || result.back() == ' '))
        result.pop_back();
    return result;
}

// The program's own steps run on fixed waits plus their work; a sanitizer build does the work
// several times slower, so the pauses between the clicks stretch with it.
#ifdef KORVID_SLOW_BUILD
constexpr int kPace = 3;
#else
constexpr int kPace = 1;
#endif

std::chrono::seconds Paced(int seconds) {
    return std::chrono::seconds(seconds * kPace);
}

bool WaitFor(const std::function<bool()>& done, int seconds) {
    return test_support::PollUntil(
        done, [] { std::this_thread::sleep_for(std::chrono::milliseconds(200)); }, Paced(seconds));
}

// Where the controls lie in the window's client area: the same window built on the
// headless display, where the layout is the same code.
std::map<std::string, TPoint> ControlCentres() {
    std::map<std::string, TPoint> centres;
    headless::HeadlessSession session;
    TApplication* app = CreateComponent<TApplication>(nullptr);
    app->CreateForm(Form1);
    Form1->Show();
    headless::HeadlessBackend::PumpMessages();
    TPoint origin = Form1->ClientToScreen(Point(0, 0));
    auto centre = [&](const char* name, TControl* c) {
        TPoint p = c->ClientToScreen(Point(c->Width() / 2, c->Height() / 2));
        centres[name] = Point(p.x - origin.x, p.y - origin.y);
    };
    centre("open", Form1->Button1);
    centre("auto", Form1->skButton4);
    centre("next", Form1->skButton7);
    // The output page's controls are placed once that page shows.
    Form1->skButton7Click(Form1);
    headless::HeadlessBackend::PumpMessages();
    centre("capture", Form1->Button6);
    centre("frames", Form1->skSpinEdit1);
    centre("make", Form1->Button9);
    centre("savegif", Form1->Button7);
    centre("saveavi", Form1->skButton5);
    app->Free();
    Form1 = nullptr;
    return centres;
}

class KorvidXvfbTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!Have("Xvfb") || !Have("xdotool") || !Have("openbox") || !Have("ffprobe") ||
            !Have("giftext") || !Have("import"))
            GTEST_SKIP() << "Xvfb, xdotool, openbox, ffprobe, giftext or import is missing";
        centres_ = ControlCentres();
        fs::create_directories(dir_.Path() / "bin");
        backend_ = server_.Start("1280x1024x24");
        testDisplay = server_.Display();
        ASSERT_TRUE(backend_) << "Xvfb did not start";
        ASSERT_TRUE(wm_.Start(testDisplay, dir_.File("openbox.xml")))
            << "the window manager did not start";
        // The browser the product page would open: a stand-in that notes what it was given.
        std::ofstream opener(dir_.Path() / "bin" / "xdg-open");
        opener << "#!/bin/sh\necho \"$1\" >> '" << dir_.File("opened.txt") << "'\n";
        opener.close();
        fs::permissions(dir_.Path() / "bin" / "xdg-open", fs::perms::owner_all);
    }
    void TearDown() override {
        if (program_ > 0) {
            kill(program_, SIGTERM);
            waitpid(program_, nullptr, 0);
        }
        wm_.Stop();
        backend_.reset();
        server_.Stop();
    }
    std::string X(const std::string& args) {
        return Output(std::string("DISPLAY=") + testDisplay + " xdotool " + args + " 2>/dev/null");
    }
    // Clicks at a point of the window's client area.
    void ClickAt(const TPoint& p) {
        X("mousemove --window " + window_ + " " + std::to_string(p.x + dx_) + " " +
          std::to_string(p.y + dy_) + " click 1");
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
    }
    void Shot(const char* name) {
        const char* out = std::getenv("KORVID_SCREENSHOT_DIR");
        if (!out) return;
        std::system((std::string("DISPLAY=") + testDisplay + " import -window " + window_ + " '" +
                     (fs::path(out) / name).string() + "' >/dev/null 2>&1")
                        .c_str());
    }

    XvfbServer server_;
    std::unique_ptr<user::DisplayBackend> backend_;
    test_support::WindowManager wm_;
    pid_t program_ = -1;
    test_support::TempFolder dir_{"korvid-xvfb-"};
    std::map<std::string, TPoint> centres_;
    std::string window_;
    int dx_ = 0, dy_ = 0;
};

TEST_F(KorvidXvfbTest, OpenPositionCaptureAndSaveBoth) {
    const std::string video = dir_.File("clip.mpg");
    fixtures::MovieDesc clip{.container = "mpeg", .frames = 20 * 25};
    fixtures::WriteMovie(video, clip);

    program_ = fork();
    if (program_ == 0) {
        setenv("DISPLAY", testDisplay, 1);
        setenv("KORVID_SKIP_SETUP", "1", 1);
        setenv("KORVID_BUILD_DIR", KORVID_BUILD_DIR, 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        setenv("PATH", (dir_.File("bin") + ":" + getenv("PATH")).c_str(), 1);
        execlp("bash", "bash", KORVID_SOURCE_DIR "/scripts/run.sh", static_cast<char*>(nullptr));
        _exit(127);
    }
    ASSERT_TRUE(WaitFor(
        [&] { return !(window_ = X("search --onlyvisible --name '^Varnelo  -  V 1.2$'")).empty(); },
        60))
        << "the window did not appear";
    window_ = window_.substr(0, window_.find('\n'));
    // The window's client area lies inside whatever frame of its own it has.
    std::string geometry = X("getwindowgeometry --shell " + window_);
    int w = 0, h = 0;
    std::sscanf(geometry.substr(geometry.find("WIDTH=")).c_str(), "WIDTH=%d", &w);
    std::sscanf(geometry.substr(geometry.find("HEIGHT=")).c_str(), "HEIGHT=%d", &h);
    ASSERT_GE(w, 951);
    dx_ = (w - 951) / 2;
    dy_ = h - 612 - dx_;
    std::this_thread::sleep_for(std::chrono::seconds(1));

    ClickAt(centres_["open"]);
    ASSERT_TRUE(WaitFor([&] { return !X("search --onlyvisible --name '^Open$'").empty(); }, 15));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    X("key End");
    X("key --repeat 40 BackSpace");
    X("type --delay 10 '" + video + "'");
    X("key Return");
    std::this_thread::sleep_for(Paced(9)); // the player's fixed waits: 3 to 7 s
    ClickAt(centres_["auto"]);
    std::this_thread::sleep_for(Paced(12));
    Shot("window-before-capture.png");
    ClickAt(centres_["next"]);
    ClickAt(centres_["frames"]);
    X("key End");
    X("key --repeat 5 BackSpace");
    X("type 6"); // the field's range starts at 5
    ClickAt(centres_["capture"]);
    const std::string ini = dir_.File("clip.ini");
    ASSERT_TRUE(WaitFor([&] { return fs::exists(ini); }, 20)) << "capture did not start";
    EXPECT_EQ(Output("cut -c1-20 '" + ini + "'"), "<Maxstep>3</Maxstep>");
    // Capture of 9 cells x 6 frames takes about 20 s; the list then shows the frames.
    std::this_thread::sleep_for(Paced(30));
    Shot("window-after-capture.png");
    ClickAt(centres_["savegif"]);
    ClickAt(centres_["saveavi"]);
    const std::string gif = dir_.File("clip.gif"), avi = dir_.File("clip_thumb.avi");
    ASSERT_TRUE(WaitFor([&] { return fs::exists(gif) && fs::exists(avi); }, 30));
    std::this_thread::sleep_for(std::chrono::seconds(1));

    EXPECT_NE(Output("grep -c korvid.html '" + dir_.File("opened.txt") + "'"), "");
    EXPECT_EQ(Output("giftext '" + gif + "' >/dev/null 2>&1 && echo ok"), "ok");
    EXPECT_EQ(
        Output("ffprobe -v error -count_frames -show_entries stream=nb_read_frames,width,height "
               "-of csv=p=0 '" +
               gif + "'"),
        "159,120,6");
    EXPECT_EQ(Output("DISPLAY=" + std::string(testDisplay) +
                     " SDL_AUDIODRIVER=dummy timeout 20 ffplay "
                     "-autoexit -loglevel error -loop 1 '" +
                     gif + "' >/dev/null 2>&1 && echo played"),
              "played");
    EXPECT_EQ(Output("ffprobe -v error -count_frames -show_entries "
                     "stream=codec_name,r_frame_rate,nb_read_frames "
                     "-of csv=p=0 '" +
                     avi + "'"),
              "rawvideo,30/11,6");
}

} // namespace
