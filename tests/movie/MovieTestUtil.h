#pragma once
// A headless screen with an application and a form holding one movie component, the small
// movies the media tests encode (each picture carries its frame number), and the waits a
// test needs: the player opens on threads of its own, so a test pumps messages until what
// it waits for has happened, within a generous bound; time itself (the poll, playback) moves
// only when the test advances the fake clock.
#include "movie/ActiveMovie.h"
#include "movie/DerivedMovie.h"

#include "framework/Application.h"
#include "platform/gdi/Gdi.h"
#include "platform/headless/Headless.h"
#include "platform/media/MediaPlayer.h"
#include "support/Poll.h"
#include "support/TempFolder.h"
#include "support/media/MovieFixtures.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>

namespace movie_tests {

using fixtures::Audio;
using fixtures::MovieDesc;
using fixtures::Video;

class MovieTest : public ::testing::Test {
protected:
    void SetUp() override {
        app = CreateComponent<TApplication>(nullptr);
        app->SetTitle("Test");
        app->CreateForm(form);
        form->SetBorderStyle(bsNone);
        form->SetBounds(0, 0, 400, 300);
        movie = MakeMovie(form);
        form->Show();
        Pump();
    }
    void TearDown() override {
        app->Free();
        app = nullptr;
    }

    TActiveMovie* MakeMovie(TWinControl* parent, int width = 400, int height = 300) {
        TActiveMovie* m = CreateComponent<TActiveMovie>(form);
        m->SetParent(parent);
        m->SetBounds(0, 0, width, height);
        return m;
    }

    void Pump() { headless::HeadlessBackend::PumpMessages(); }

    // Pumps until done() holds; false when the bound passed first.
    bool WaitFor(const std::function<bool()>& done,
                 std::chrono::milliseconds bound = test_support::kPollBound) {
        return test_support::PollUntil(
            [&] {
                Pump();
                return done();
            },
            [] { std::this_thread::sleep_for(std::chrono::milliseconds(1)); }, bound);
    }

    // Moves the fake clock on by whole polls (50 ms each), running every timer on the way.
    void Ticks(int n) { session->AdvanceClock(50 * static_cast<kernel::Milliseconds>(n)); }

    // Plays on poll by poll until done() holds, giving the player's threads a moment after
    // each step of the clock to catch up with it; false after maxTicks polls.
    bool PlayUntil(const std::function<bool()>& done, int maxTicks) {
        for (int i = 0; i < maxTicks; ++i) {
            Ticks(1);
            if (WaitFor(done, std::chrono::milliseconds(100))) return true;
        }
        return false;
    }

    // Records every play-state change the player raises (before the component defers it),
    // and passes it on to the component.
    void WatchPlays(TActiveMovie* m, std::vector<std::pair<int, int>>& into) {
        auto component = m->Player()->OnPlayStateChange;
        m->Player()->OnPlayStateChange = [component, &into](TObject* s, int o, int n) {
            into.push_back({o, n});
            component(s, o, n);
        };
    }

    String Write(const MovieDesc& desc, const String& name) {
        const String path = dir.File(name);
        fixtures::WriteMovie(path, desc);
        return path;
    }

    int OpenState() { return movie->GetIntegerProp(media::dispid::OpenState); }
    int PlayState() { return movie->GetIntegerProp(media::dispid::PlayState); }
    int ReadyState() { return movie->GetIntegerProp(media::dispid::ReadyState); }

    // Opens the file and waits until the movie is complete (first picture shown) and the
    // component has heard so: the player's states change before their queued events arrive.
    ::testing::AssertionResult OpenAndWait(TActiveMovie* m, const String& path) {
        m->SetFileName(path);
        m->Open();
        if (!WaitFor([&] {
                return m->GetIntegerProp(media::dispid::OpenState) == kOpenStateOpen &&
                       m->GetIntegerProp(media::dispid::ReadyState) == kReadyStateComplete &&
                       !m->Player()->MediaPlayer().WaitForEvents(std::chrono::milliseconds(0));
            }))
            return ::testing::AssertionFailure() << "the movie did not open: " << path;
        return ::testing::AssertionSuccess();
    }
    ::testing::AssertionResult OpenAndWait(const String& path) { return OpenAndWait(movie, path); }

    // Seeks while paused and waits until the frame at the target is shown.
    void SeekAndWait(double seconds) {
        movie->SetDoubleProp(media::dispid::CurrentPosition, seconds);
        EXPECT_TRUE(WaitFor([&] { return !movie->Player()->MediaPlayer().Engine().Seeking(); }));
    }

    // The frame number drawn into a captured bitmap (24 or 32 bits), -1 when unreadable.
    static int FrameNumberOf(TBitmap* bitmap) {
        if (!bitmap || bitmap->Empty()) return -1;
        return fixtures::ReadFrameNumber(bitmap->Width(), bitmap->Height(), [&](int x, int y) {
            const COLORREF c = GetPixel(bitmap->Canvas()->Handle(), x, y);
            return static_cast<int>((GetRValue(c) + GetGValue(c) + GetBValue(c)) / 3);
        });
    }

    headless::HeadlessSession session;
    test_support::TempFolder dir{"korvid-movie-"};
    TApplication* app = nullptr;
    TForm* form = nullptr;
    TActiveMovie* movie = nullptr;
};

} // namespace movie_tests
