// The desktop backend on a real X server: Xvfb, driven by xdotool and read back with
// ImageMagick's import. Skipped where those programs are missing.
#include "platform/gdi/Draw.h"
#include "platform/gdi/Object.h"
#include "platform/user/User.h"
#include "platform/x11/X11Backend.h"
#include "support/Poll.h"
#include "support/TempFolder.h"
#include "support/XvfbServer.h"
#include "support/desktop/Keyboard.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

// The display of the running test's own server.
const char* testDisplay = "";
// X keysyms: Latin-1 ones are the character, the others the code point plus 0x01000000.
constexpr unsigned long kEacute = 0xE9, kSharpS = 0xDF, kEuroSign = 0x20AC, kZhong = 0x1004E2D,
                        kWen = 0x1006587, kMultiKey = 0xFF20;
// "a", e-acute, sharp s and the two CJK characters of "Chinese" as UTF-8, and as code points.
constexpr const char* kTyped = "a\xC3\xA9\xC3\x9F\xE4\xB8\xAD\xE6\x96\x87";
const std::vector<WPARAM> kTypedCodePoints{'a', 0xE9, 0xDF, 0x4E2D, 0x6587};

std::string Shell(const std::string& command) {
    std::string out;
    if (FILE* p = popen(command.c_str(), "r")) {
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, p))
            out += buffer;
        pclose(p);
    }
    return out;
}

int clicks = 0;
std::vector<WPARAM> typed; // WM_CHAR code points

LRESULT SmokeProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_LBUTTONDOWN) ++clicks;
    if (msg == WM_CHAR) typed.push_back(wParam);
    if (msg == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        RECT r{0, 0, 200, 100};
        HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
        FillRect(dc, &r, red);
        DeleteObject(red);
        EndPaint(hwnd, &ps);
        return 0;
    }
    return DefWindowProc(hwnd, msg, wParam, lParam);
}

// Runs the message loop until done() or about three seconds passed.
template <class Done> bool PumpUntil(Done done) {
    return test_support::PollUntil(
        done,
        [] {
            MSG m;
            while (PeekMessage(&m, 0, 0, 0, PM_REMOVE)) {
                TranslateMessage(&m);
                DispatchMessage(&m);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        },
        std::chrono::seconds(3));
}

class X11Smoke : public ::testing::Test {
protected:
    void SetUp() override { Start(true); }
    // The compose table Xlib's own input method reads when it opens: its results come as
    // commit strings, a press without a key as a desktop input method sends them.
    void UseComposeTable(const std::string& lines) {
        const std::string path = folder_.File("Compose");
        std::ofstream(path) << lines;
        setenv("XCOMPOSEFILE", path.c_str(), 1);
    }
    void Start(bool useInputMethod) {
        if (!Have("Xvfb") || !Have("xdotool") || !Have("import"))
            GTEST_SKIP() << "Xvfb, xdotool or ImageMagick is not installed";
        backend_ = server_.Start("640x480x24", useInputMethod);
        testDisplay = server_.Display();
        ASSERT_TRUE(backend_) << "Xvfb did not start";
    }
    void TearDown() override {
        user::SetDisplayBackend(nullptr);
        server_.Stop();
    }
    XvfbServer server_;
    std::unique_ptr<user::DisplayBackend> backend_;
    test_support::TempFolder folder_{"korvid-x11-"};
};

TEST_F(X11Smoke, WindowIsShownPaintedAndClicked) {
    user::SetDisplayBackend(std::move(backend_));
    WNDCLASS wc;
    wc.lpfnWndProc = SmokeProc;
    wc.lpszClassName = "X11SmokeWindow";
    RegisterClass(&wc);
    HWND hwnd = CreateWindowEx(0, "X11SmokeWindow", "korvid smoke", WS_POPUP | WS_VISIBLE, 40, 30,
                               200, 100, 0, 0, 0, nullptr);
    ASSERT_NE(hwnd, 0u);
    UpdateWindow(hwnd);

    const std::string env = std::string("DISPLAY=") + testDisplay + " ";
    std::string pixel;
    EXPECT_TRUE(PumpUntil([&] {
        pixel = Shell(env + "import -window root -crop 1x1+100+60 -depth 8 txt:- 2>/dev/null");
        return pixel.find("#FF0000") != std::string::npos;
    })) << pixel;

    Shell(env + "xdotool mousemove 120 70 click 1");
    EXPECT_TRUE(PumpUntil([] { return clicks > 0; }));
    // Outside the window the click reaches nobody of ours.
    const int before = clicks;
    Shell(env + "xdotool mousemove 400 400 click 1");
    PumpUntil([] { return false; });
    EXPECT_EQ(clicks, before);
    DestroyWindow(hwnd);
}

// Runs xdotool on a focused window of ours; returns the WM_CHAR code points it made.
std::vector<WPARAM> XdotoolInto(const char* title, const std::string& args, size_t expected) {
    HWND hwnd = CreateWindowEx(0, "X11SmokeWindow", title, WS_POPUP | WS_VISIBLE, 40, 30, 200, 100,
                               0, 0, 0, nullptr);
    EXPECT_NE(hwnd, 0u);
    const std::string env = std::string("DISPLAY=") + testDisplay + " ";
    typed.clear();
    PumpUntil([&] {
        return Shell(env + "xdotool search --name '" + title + "' 2>/dev/null").size() > 1;
    });
    Shell(env + "xdotool search --name '" + title + "' windowfocus --sync 2>/dev/null");
    // xdotool reads its argument by the locale.
    Shell(env + "LC_ALL=C.UTF-8 xdotool " + args);
    PumpUntil([&] { return typed.size() >= expected; });
    PumpUntil([] { return false; }); // nothing more is coming
    DestroyWindow(hwnd);
    return typed;
}

std::vector<WPARAM> TypeInto(const char* title, const std::string& text, size_t expected) {
    return XdotoolInto(title, "type --delay 20 '" + text + "'", expected);
}

std::vector<WPARAM> KeysInto(const char* title, const std::string& keys, size_t expected) {
    return XdotoolInto(title, "key --delay 20 " + keys, expected);
}

void RegisterSmokeClass() {
    WNDCLASS wc;
    wc.lpfnWndProc = SmokeProc;
    wc.lpszClassName = "X11SmokeWindow";
    RegisterClass(&wc);
}

// Xvfb runs no input method server: this is Xlib's own, which looks keys up as UTF-8.
TEST_F(X11Smoke, TextComesAsCodePointsThroughTheInputMethod) {
    // xdotool could bind a spare key itself, but it takes the binding back right after the key
    // goes up, before a program that reads its events later has looked the key up.
    ASSERT_TRUE(test_support::AddKeys(testDisplay, {kEacute, kSharpS, kEuroSign, kZhong, kWen}));
    user::SetDisplayBackend(std::move(backend_));
    RegisterSmokeClass();
    std::vector<WPARAM> expected = kTypedCodePoints;
    expected.push_back(0x20AC);
    EXPECT_EQ(TypeInto("korvid typing", std::string(kTyped) + "\xE2\x82\xAC", expected.size()),
              expected);
}

class X11SmokeCommitted : public X11Smoke {
protected:
    void SetUp() override {
        UseComposeTable("<Multi_key> <a> : \"\xE4\xB8\xAD\xE6\x96\x87\"\n"
                        "<Multi_key> <e> <apostrophe> : \"\xC3\xA9\"\n");
        Start(true);
    }
    void TearDown() override {
        unsetenv("XCOMPOSEFILE");
        X11Smoke::TearDown();
    }
};

// What the input method commits arrives as its characters, several at a time or one.
TEST_F(X11SmokeCommitted, CommitStringsComeAsTheirCharacters) {
    ASSERT_TRUE(test_support::AddKeys(testDisplay, {kMultiKey}));
    user::SetDisplayBackend(std::move(backend_));
    RegisterSmokeClass();
    EXPECT_EQ(KeysInto("korvid commit", "Multi_key a Multi_key e apostrophe x", 4),
              (std::vector<WPARAM>{0x4E2D, 0x6587, 0xE9, 'x'}));
}

class X11SmokeNoInputMethod : public X11Smoke {
protected:
    void SetUp() override { Start(false); }
};

TEST_F(X11SmokeNoInputMethod, KeysAloneTypeLatin1AndUnicodeKeySymbols) {
    ASSERT_TRUE(test_support::AddKeys(testDisplay, {kEacute, kSharpS, kZhong, kWen}));
    user::SetDisplayBackend(std::move(backend_));
    RegisterSmokeClass();
    EXPECT_EQ(TypeInto("korvid keys", kTyped, kTypedCodePoints.size()), kTypedCodePoints);
}

TEST(X11Open, NoServerGivesNull) {
    EXPECT_EQ(x11::OpenX11Backend(":87"), nullptr);
}

} // namespace
