#include "platform/media/EngineTestUtil.h"
#include "support/Poll.h"
#include "support/TempFolder.h"
#include "support/media/MovieFixtures.h"

#include "platform/kernel/Clock.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <mutex>
#include <thread>

using namespace fixtures;
using media::EngineEvent;
using media::MediaEngine;

namespace {

// Records the number of every frame the hook sees, with the header it was promised.
class RecordingHook : public media::ISampleGrabberCB {
public:
    explicit RecordingHook(BITMAPINFOHEADER header) : header_(header) {}
    HRESULT BufferCB(double time, BYTE* buffer, LONG length) override {
        std::lock_guard lock(mutex_);
        lengthsRight_ = lengthsRight_ && length == static_cast<LONG>(header_.biSizeImage);
        numbers_.push_back(ReadFrameNumber(buffer, header_.biWidth, header_.biHeight));
        times_.push_back(time);
        return S_OK;
    }
    std::vector<int> Numbers() {
        std::lock_guard lock(mutex_);
        return numbers_;
    }
    // Numbers and times of the same frames, read at one moment.
    std::pair<std::vector<int>, std::vector<double>> Frames() {
        std::lock_guard lock(mutex_);
        return {numbers_, times_};
    }
    bool LengthsRight() {
        std::lock_guard lock(mutex_);
        return lengthsRight_;
    }

private:
    BITMAPINFOHEADER header_;
    std::mutex mutex_;
    std::vector<int> numbers_;
    std::vector<double> times_;
    bool lengthsRight_ = true;
};

// Waits (bounded, in real time) until the condition holds.
bool Eventually(const std::function<bool()>& done) {
    return test_support::PollUntil(done, [] { std::this_thread::yield(); });
}

bool WaitForFrames(RecordingHook& hook, std::size_t count) {
    return Eventually([&] { return hook.Numbers().size() >= count; });
}

std::vector<int> Count(int from, int to) {
    std::vector<int> numbers;
    for (int i = from; i < to; ++i)
        numbers.push_back(i);
    return numbers;
}

TEST(MediaEnginePlayback, PlaysEveryFrameOnTheKernelClockThenEndsAndRewinds) {
    test_support::TempFolder dir{"korvid-media-"};
    const std::string path = dir.File("clip.avi");
    WriteMovie(
        path,
        MovieDesc{.container = "avi", .video = Video::Mjpeg, .audio = Audio::Pcm, .frames = 20});
    // Playback moves on only as the time is moved: each 40 ms step shows exactly one frame.
    kernel::FakeClock clock(5000);
    kernel::ScopedClock useClock(clock);
    MediaEngine engine(SilentOptions());
    OpenPaused(engine, path);
    media::ISampleGrabber* grabber = engine.InsertSampleGrabber();
    ASSERT_NE(grabber, nullptr);
    BITMAPINFOHEADER header{};
    ASSERT_EQ(grabber->GetConnectedMediaType(&header), S_OK);
    EXPECT_EQ(header.biBitCount, 24);
    EXPECT_EQ(header.biWidth, 160);
    EXPECT_EQ(header.biHeight, 120);
    EXPECT_EQ(header.biSizeImage, 160u * 3 * 120);
    RecordingHook hook(header);
    ASSERT_EQ(grabber->SetCallback(&hook), S_OK);
    grabber->SetArmed(true);

    engine.Play();
    std::vector<EngineEvent> events = CollectUntil(engine, Kind(EngineEvent::PlayStateChange));
    ASSERT_EQ(events.back().newValue, media::mpPlaying);
    // Frame 0 was shown at the open, before the hook was armed; the time stands still.
    EXPECT_TRUE(hook.Numbers().empty());
    EXPECT_DOUBLE_EQ(engine.Position(), 0);
    for (int k = 1; k < 20; ++k) {
        clock.Advance(40);
        ASSERT_TRUE(WaitForFrames(hook, static_cast<std::size_t>(k)))
            << "frame " << k << " not shown at " << engine.Position() << " s";
        ASSERT_EQ(hook.Numbers(), Count(1, k + 1)) << "at " << k * 40 << " ms";
        EXPECT_NEAR(engine.Position(), k / 25.0, 1e-3);
        // The hook sits before the display: the shown frame follows a moment later.
        EXPECT_TRUE(Eventually([&] { return PresentedNumber(engine) == k; })) << "frame " << k;
    }
    // The sound (whole blocks of 1152 samples) runs on to 0.81 s; the end comes once it has
    // been heard, while still playing.
    clock.Advance(100);
    events = CollectUntil(engine, Kind(EngineEvent::EndOfStream));
    EXPECT_EQ(engine.GetPlayState(), media::mpPlaying);
    auto [numbers, times] = hook.Frames();
    EXPECT_EQ(numbers, Count(1, 20));
    for (std::size_t i = 0; i < times.size(); ++i)
        EXPECT_NEAR(times[i], numbers[i] / 25.0, 1e-6);
    EXPECT_TRUE(hook.LengthsRight());

    // Then the player stops and rewinds: frame 0 is shown again, paused at the start.
    events = CollectUntil(engine, Kind(EngineEvent::PlayStateChange));
    EXPECT_EQ(events.back().oldValue, media::mpPlaying);
    EXPECT_EQ(events.back().newValue, media::mpStopped);
    WaitForSeek(engine);
    EXPECT_EQ(engine.Position(), 0);
    EXPECT_EQ(PresentedNumber(engine), 0);
    ASSERT_TRUE(WaitForFrames(hook, 20));
    EXPECT_EQ(hook.Numbers().back(), 0);
    grabber->SetArmed(false);
    grabber->SetCallback(nullptr);
}

TEST(MediaEnginePlayback, DisarmedHookSeesNothingAndRemovalDetaches) {
    test_support::TempFolder dir{"korvid-media-"};
    const std::string path = dir.File("clip.mpg");
    WriteMovie(path, MovieDesc{.container = "mpeg", .video = Video::Mpeg1, .frames = 10});
    MediaEngine engine(SilentOptions());
    OpenPaused(engine, path);
    media::ISampleGrabber* grabber = engine.InsertSampleGrabber();
    ASSERT_NE(grabber, nullptr);
    BITMAPINFOHEADER header{};
    grabber->GetConnectedMediaType(&header);
    RecordingHook hook(header);
    grabber->SetCallback(&hook);
    engine.SetPosition(0.2);
    WaitForSeek(engine);
    EXPECT_TRUE(hook.Numbers().empty());
    grabber->SetArmed(true);
    engine.SetPosition(0.3);
    WaitForSeek(engine);
    EXPECT_EQ(hook.Numbers(), std::vector<int>{7});
    engine.RemoveSampleGrabber();
    EXPECT_FALSE(grabber->Armed());
    EXPECT_EQ(grabber->GetConnectedMediaType(&header), E_UNEXPECTED);
    engine.SetPosition(0.1);
    WaitForSeek(engine);
    EXPECT_EQ(hook.Numbers(), std::vector<int>{7});
    EXPECT_EQ(PresentedNumber(engine), 2);
}

TEST(MediaEnginePlayback, SeekWhilePlayingShowsTheTargetFrameFirst) {
    test_support::TempFolder dir{"korvid-media-"};
    const std::string path = dir.File("clip.mpg");
    WriteMovie(
        path,
        MovieDesc{.container = "mpeg", .video = Video::Mpeg1, .audio = Audio::Mp2, .frames = 60});
    MediaEngine engine(SilentOptions());
    OpenPaused(engine, path);
    media::ISampleGrabber* grabber = engine.InsertSampleGrabber();
    BITMAPINFOHEADER header{};
    grabber->GetConnectedMediaType(&header);
    RecordingHook hook(header);
    grabber->SetCallback(&hook);
    grabber->SetArmed(true);
    engine.Play();
    engine.SetPosition(1.5); // frame 37 holds it
    CollectUntil(engine, Kind(EngineEvent::EndOfStream));
    std::vector<int> numbers = hook.Numbers();
    auto jump = std::find_if(numbers.begin(), numbers.end(), [](int n) { return n > 30; });
    ASSERT_NE(jump, numbers.end());
    EXPECT_EQ(*jump, 37);
    // After the jump the frames run on in order, none shown twice.
    for (auto it = jump + 1; it != numbers.end(); ++it)
        EXPECT_GT(*it, *(it - 1));
    EXPECT_EQ(numbers.back(), 59);
}

// Four tenths of a second of sound and no pictures.
const MovieDesc kTone{
    .container = "wav", .video = Video::None, .audio = Audio::Pcm, .audioSeconds = 0.4};

TEST(MediaEnginePlayback, AudioOnlyFileOpensPlaysAndHasNoImage) {
    test_support::TempFolder dir{"korvid-media-"};
    const std::string path = dir.File("tone.wav");
    WriteMovie(path, kTone);
    MediaEngine engine(SilentOptions());
    OpenPaused(engine, path);
    EXPECT_EQ(engine.GetOpenState(), media::mpOpen);
    EXPECT_TRUE(engine.HasAudio());
    EXPECT_FALSE(engine.HasVideo());
    EXPECT_EQ(engine.VideoWidth(), 0);
    EXPECT_EQ(engine.VideoHeight(), 0);
    EXPECT_NEAR(engine.Duration(), 0.4, 0.03);
    EXPECT_DOUBLE_EQ(engine.DurationInFrames(), engine.Duration());
    LONG w = 0, h = 0;
    EXPECT_TRUE(FAILED(engine.BasicVideo().GetVideoSize(&w, &h)));
    EXPECT_EQ(engine.InsertSampleGrabber(), nullptr);
    engine.Play();
    CollectUntil(engine, Kind(EngineEvent::EndOfStream));
    EXPECT_EQ(engine.GetPlayState(), media::mpPlaying); // stops once the event was handled
    CollectUntil(engine,
                 [](const EngineEvent& e) { return e.kind == EngineEvent::PlayStateChange; });
    EXPECT_EQ(engine.GetPlayState(), media::mpStopped);
}

// Without pictures a seek is carried out by the sound alone: the position moves on from the
// target, the end comes, and after the rewind the file plays again.
TEST(MediaEnginePlayback, AudioOnlyFileSeeksAndPlaysAgainAfterTheEnd) {
    test_support::TempFolder dir{"korvid-media-"};
    const std::string path = dir.File("tone.wav");
    WriteMovie(path, kTone);
    kernel::FakeClock clock(5000);
    kernel::ScopedClock useClock(clock);
    MediaEngine engine(SilentOptions());
    OpenPaused(engine, path);
    const double end = engine.Duration();
    ASSERT_NEAR(end, 0.4, 0.03);
    auto positionNear = [&](double expected) {
        return Eventually([&] { return std::abs(engine.Position() - expected) < 1e-3; });
    };

    engine.SetPosition(0.2);
    WaitForSeek(engine);
    EXPECT_NEAR(engine.Position(), 0.2, 1e-9);
    for (int round = 0; round < 2; ++round) {
        const double from = round == 0 ? 0.2 : 0.0;
        engine.Play();
        CollectUntil(engine, Kind(EngineEvent::PlayStateChange));
        clock.Advance(100);
        EXPECT_TRUE(positionNear(from + 0.1)) << "round " << round << " at " << engine.Position();
        clock.Advance(500);
        CollectUntil(engine, Kind(EngineEvent::EndOfStream));
        std::vector<EngineEvent> events = CollectUntil(engine, Kind(EngineEvent::PlayStateChange));
        EXPECT_EQ(events.back().newValue, media::mpStopped);
        // Rewound to the start, ready to play again.
        WaitForSeek(engine);
        EXPECT_NEAR(engine.Position(), 0, 1e-9) << "round " << round;
    }
}

TEST(MediaEnginePlayback, CurrentImageIsAskedForItsSizeFirst) {
    test_support::TempFolder dir{"korvid-media-"};
    const std::string path = dir.File("odd.avi");
    MovieDesc desc{.container = "avi", .video = Video::Mjpeg, .frames = 5};
    desc.width = 162; // rows of 486 bytes, padded to 488
    desc.height = 90;
    WriteMovie(path, desc);
    MediaEngine engine(SilentOptions());
    OpenPaused(engine, path);
    LONG w = 0, h = 0;
    ASSERT_EQ(engine.BasicVideo().GetVideoSize(&w, &h), S_OK);
    EXPECT_EQ(w, 162);
    EXPECT_EQ(h, 90);
    LONG size = 0;
    ASSERT_EQ(engine.BasicVideo().GetCurrentImage(&size, nullptr), S_OK);
    EXPECT_EQ(size, static_cast<LONG>(sizeof(BITMAPINFOHEADER) + 488 * 90));
    std::vector<BYTE> small(static_cast<std::size_t>(size - 1));
    LONG smallSize = size - 1;
    EXPECT_EQ(engine.BasicVideo().GetCurrentImage(&smallSize, small.data()), E_OUTOFMEMORY);
    engine.SetPosition(0.17);
    WaitForSeek(engine);
    std::vector<BYTE> dib(static_cast<std::size_t>(size));
    ASSERT_EQ(engine.BasicVideo().GetCurrentImage(&size, dib.data()), S_OK);
    BITMAPINFOHEADER header;
    std::memcpy(&header, dib.data(), sizeof header);
    EXPECT_EQ(header.biWidth, 162);
    EXPECT_EQ(header.biHeight, 90);
    EXPECT_EQ(header.biBitCount, 24);
    EXPECT_EQ(header.biClrUsed, 0u);
    EXPECT_EQ(ReadFrameNumberFromDib(dib), 4);
    engine.Close();
    EXPECT_TRUE(FAILED(engine.BasicVideo().GetCurrentImage(&size, nullptr)));
}

} // namespace
