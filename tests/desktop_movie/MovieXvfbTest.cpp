// The movie component in a real window: Xvfb shows the form, the component plays a movie,
// pauses and captures the frame its position names; full screen covers the screen, a key
// reaches OnFullScreenKeyPress and Esc brings the video back. xdotool types the keys.
// Skipped where Xvfb or xdotool is missing.
#include "movie/ActiveMovie.h"
#include "movie/DerivedMovie.h"

#include "framework/Application.h"
#include "framework/Forms.h"
#include "platform/gdi/Gdi.h"
#include "platform/media/PlayerDispatch.h"
#include "platform/user/Input.h"
#include "platform/user/User.h"
#include "support/Poll.h"
#include "support/TempFolder.h"
#include "support/XvfbServer.h"
#include "support/media/MovieFixtures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

namespace {

// The display of the running test's own server.
const char* testDisplay = "";
namespace d = media::dispid;

// The frame number drawn into a captured bitmap.
int FrameNumberOf(TBitmap* bitmap) {
    return fixtures::ReadFrameNumber(bitmap->Width(), bitmap->Height(), [&](int x, int y) {
        const COLORREF c = GetPixel(bitmap->Canvas()->Handle(), x, y);
        return static_cast<int>((GetRValue(c) + GetGValue(c) + GetBValue(c)) / 3);
    });
}

void Xdotool(const std::string& args) {
    const std::string command =
        std::string("DISPLAY=") + testDisplay + " xdotool " + args + " >/dev/null 2>&1";
    (void)std::system(command.c_str());
}

class MovieOnX : public ::testing::Test {
protected:
    void SetUp() override {
        if (!Have("Xvfb") || !Have("xdotool")) GTEST_SKIP() << "Xvfb or xdotool is not installed";
        std::unique_ptr<user::DisplayBackend> backend = server.Start("800x600x24");
        testDisplay = server.Display();
        ASSERT_TRUE(backend) << "Xvfb did not start";
        user::SetDisplayBackend(std::move(backend));
        app = CreateComponent<TApplication>(nullptr);
        app->CreateForm(form);
        form->SetBorderStyle(bsNone);
        form->SetCaption("korvid movie");
        form->SetBounds(20, 20, 400, 300);
        movie = CreateComponent<TActiveMovie>(form);
        movie->SetParent(form);
        movie->SetAlign(alClient);
        form->Show();
        Run([] { return false; }, 200);
    }
    void TearDown() override {
        if (app) app->Free();
        user::SetDisplayBackend(nullptr);
        server.Stop();
    }
    // Runs the message loop until done() holds or the time (real, on this display) passes.
    bool Run(const std::function<bool()>& done, int ms = 10000) {
        return test_support::PollUntil(
            [&] {
                app->ProcessMessages();
                return done();
            },
            [] { std::this_thread::sleep_for(std::chrono::milliseconds(5)); },
            std::chrono::milliseconds(ms));
    }
    int PlayState() { return movie->GetIntegerProp(d::PlayState); }

    XvfbServer server;
    test_support::TempFolder dir{"korvid-xvfb-movie-"};
    TApplication* app = nullptr;
    TForm* form = nullptr;
    TActiveMovie* movie = nullptr;
};

TEST_F(MovieOnX, PlaysPausesCapturesAndGoesFullScreenAndBackWithAKey) {
    const String path = dir.File("clip.avi");
    fixtures::WriteMovie(path,
                         {"avi", fixtures::Video::Mjpeg, fixtures::Audio::None, 320, 240, 100, 25});
    bool opened = false;
    movie->OnOpenComplete = [&](TObject*) { opened = true; };
    double lastPolled = 0;
    movie->OnPositionChange = [&](TObject*, double, double now, Cardinal, Cardinal) {
        lastPolled = now;
    };
    movie->SetFileName(path);
    movie->Open();
    ASSERT_TRUE(Run([&] { return opened; }));
    ASSERT_TRUE(Run([&] { return PlayState() == kPlayStatePlaying; }));
    // The poll sees it move.
    ASSERT_TRUE(Run([&] { return lastPolled > 0.4; }));

    ASSERT_TRUE(movie->Pause());
    ASSERT_TRUE(Run([&] { return PlayState() == kPlayStatePaused; }));
    const double at = movie->GetDoubleProp(d::CurrentPosition);
    ObjectPtr<TBitmap> frame = MakeObject<TBitmap>();
    ASSERT_TRUE(movie->CaptureFrameToBitmap(frame.get()));
    EXPECT_EQ(frame->Width(), 320);
    EXPECT_EQ(frame->Height(), 240);
    const int expected = static_cast<int>(std::floor(at * 25 + 1e-6));
    EXPECT_EQ(FrameNumberOf(frame.get()), expected) << "at " << at << " s";
    EXPECT_EQ(PlayState(), kPlayStatePaused);

    std::vector<Word> keys;
    movie->OnFullScreenKeyPress = [&](TObject*, Word key, TShiftState) { keys.push_back(key); };
    movie->SetFullScreenMode(true);
    const HWND renderer = movie->RendererWindow();
    ASSERT_NE(renderer, 0u);
    auto screenWide = [&] {
        RECT r{};
        GetWindowRect(GetAncestor(renderer, GA_ROOT), &r);
        return r.right - r.left == 800 && r.bottom - r.top == 600;
    };
    ASSERT_TRUE(Run(screenWide));
    Run([] { return false; }, 300);
    Xdotool("key a");
    ASSERT_TRUE(Run([&] { return !keys.empty(); }));
    EXPECT_EQ(keys[0], 'A');
    Xdotool("key Escape");
    ASSERT_TRUE(Run([&] { return !screenWide(); }));
    EXPECT_EQ(movie->GetIntegerProp(d::DisplaySize), media::mpDefaultSize);
    EXPECT_EQ(GetAncestor(renderer, GA_ROOT), form->Handle());
}

} // namespace
