#include "platform/media/EngineTestUtil.h"
#include "support/media/MovieFixtures.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace fixtures;
using media::MediaEngine;

namespace {

struct SeekCase {
    const char* name;
    MovieDesc desc;
    const char* file;
};

class MediaEngineSeek : public ::testing::TestWithParam<SeekCase> {};

// Runs of seeks as a capture makes them: from each start, steps of a few frames and a part
// (across key frames; the runs in and out of order). An engine that decodes on from the frame
// shown must present, every time, exactly the picture of an engine whose every seek reads anew
// from a key frame; and it must have decoded on for the steps of a run.
void ExpectDecodingOnGivesTheFramesOfFreshSeeks(const std::string& path, double framesPerStep,
                                                const std::vector<double>& starts) {
    MediaEngine decodingOn(SilentOptions());
    media::EngineOptions everyReadAnew = SilentOptions();
    everyReadAnew.decodeOn = false;
    MediaEngine readingAnew(everyReadAnew);
    OpenPaused(decodingOn, path);
    OpenPaused(readingAnew, path);
    ASSERT_GT(decodingOn.FrameRate(), 0);
    const double step = framesPerStep / decodingOn.FrameRate();
    constexpr int kSteps = 5;
    std::uint64_t seeks = 0;
    for (double start : starts)
        for (int k = 1; k <= kSteps; ++k) {
            const double p = start + k * step;
            decodingOn.SetPosition(p);
            readingAnew.SetPosition(p);
            WaitForSeek(decodingOn);
            WaitForSeek(readingAnew);
            ++seeks;
            const std::vector<BYTE> fresh = PresentedImage(readingAnew);
            ASSERT_FALSE(fresh.empty()) << "position " << p;
            const std::vector<BYTE> decoded = PresentedImage(decodingOn);
            EXPECT_EQ(ReadFrameNumberFromDib(decoded), ReadFrameNumberFromDib(fresh))
                << "position " << p;
            EXPECT_TRUE(decoded == fresh) << "the pictures differ at position " << p;
            EXPECT_DOUBLE_EQ(decodingOn.Position(), readingAnew.Position()) << "position " << p;
        }
    EXPECT_GE(readingAnew.ReadingMoveCount(), seeks);
    // Only the first seek of a run may read anew.
    EXPECT_LE(decodingOn.ReadingMoveCount(), starts.size());
}

// The frame whose span [n / fps, (n + 1) / fps) holds the position; past the end, the last.
int ExpectedFrame(double position, const MovieDesc& desc) {
    const int n = static_cast<int>(std::floor(position * desc.fps + 1e-9));
    return std::min(n, desc.frames - 1);
}

TEST_P(MediaEngineSeek, PausedSeekPresentsTheFrameWhoseSpanHoldsThePosition) {
    const SeekCase& c = GetParam();
    PausedMovie movie(c.desc, c.file);
    MediaEngine& engine = movie.engine;
    ASSERT_EQ(engine.GetOpenState(), media::mpOpen);
    const double fps = c.desc.fps;
    // Frame boundaries, the middle of frames, key frames and the frames just before them
    // (a group is 12 frames), backwards jumps, the first and the last frame, past the end.
    const double positions[] = {
        13 / fps,          0.5 / fps, 11.99 / fps, 12 / fps, 23.5 / fps, 1 / fps,
        24 / fps,          36 / fps,  35.2 / fps,  47 / fps, 0,          (c.desc.frames - 1) / fps,
        29.0 / fps + 1e-7, 100};
    for (double p : positions) {
        engine.SetPosition(p);
        WaitForSeek(engine);
        const double clamped = std::min(p, engine.Duration());
        EXPECT_EQ(PresentedNumber(engine), ExpectedFrame(clamped, c.desc)) << "position " << p;
        EXPECT_DOUBLE_EQ(engine.Position(), clamped) << "position " << p;
        EXPECT_EQ(engine.GetPlayState(), media::mpStopped);
    }
}

TEST_P(MediaEngineSeek, DecodingOnGivesTheFramesOfFreshSeeks) {
    const SeekCase& c = GetParam();
    PausedMovie movie(c.desc, c.file);
    // 50 frames: runs of 17 frames and a part from frames 4, 27 (ahead) and 14 (back); the
    // second run ends two frames before the end.
    const double fps = c.desc.fps;
    ExpectDecodingOnGivesTheFramesOfFreshSeeks(movie.path, 3.4, {4 / fps, 27 / fps, 14 / fps});
}

TEST_P(MediaEngineSeek, DurationInSecondsAndFrames) {
    const SeekCase& c = GetParam();
    PausedMovie movie(c.desc, c.file);
    MediaEngine& engine = movie.engine;
    EXPECT_DOUBLE_EQ(engine.FrameRate(), c.desc.fps);
    EXPECT_DOUBLE_EQ(engine.DurationInFrames(), c.desc.frames);
    // To the end of the last frame, within the container's millisecond stamps.
    EXPECT_NEAR(engine.Duration(), static_cast<double>(c.desc.frames) / c.desc.fps, 1e-3);
}

// The default clip (25 frames, key frames at 0, 12 and 24): each seek decodes forward from
// the key frame before the target, across both group boundaries and from either direction.
struct DefaultClipCase {
    const char* name;
    const char* container;
    const char* file;
};

class MediaEngineSeekDefaultClip : public ::testing::TestWithParam<DefaultClipCase> {};

TEST_P(MediaEngineSeekDefaultClip, EverySeekPresentsTheFrameAtThePosition) {
    const DefaultClipCase& c = GetParam();
    MovieDesc desc{.container = c.container};
    PausedMovie movie(desc, c.file);
    MediaEngine& engine = movie.engine;
    ASSERT_EQ(engine.GetOpenState(), media::mpOpen);
    const int frames[] = {13, 0, 5, 11, 12, 17, 23, 24, 13, 12, 11, 24, 0, 13};
    for (int n : frames) {
        const double p = static_cast<double>(n) / desc.fps;
        engine.SetPosition(p);
        WaitForSeek(engine);
        EXPECT_EQ(PresentedNumber(engine), n) << "frame " << n;
        EXPECT_DOUBLE_EQ(engine.Position(), p) << "frame " << n;
    }
}

INSTANTIATE_TEST_SUITE_P(Containers, MediaEngineSeekDefaultClip,
                         ::testing::Values(DefaultClipCase{"Mpeg1", "mpeg", "a.mpg"},
                                           DefaultClipCase{"Mpeg1Mkv", "matroska", "b.mkv"}),
                         [](const auto& test) { return std::string(test.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Containers, MediaEngineSeek,
    ::testing::Values(
        SeekCase{"Mpeg1", MovieDesc{.container = "mpeg", .video = Video::Mpeg1, .frames = 50},
                 "a.mpg"},
        SeekCase{"Mpeg1WithAudio",
                 MovieDesc{
                     .container = "mpeg", .video = Video::Mpeg1, .audio = Audio::Mp2, .frames = 50},
                 "b.mpg"},
        SeekCase{"MjpegAvi",
                 MovieDesc{.container = "avi", .video = Video::Mjpeg, .frames = 50, .fps = 10},
                 "c.avi"},
        SeekCase{"MjpegAviWithAudio",
                 MovieDesc{.container = "avi",
                           .video = Video::Mjpeg,
                           .audio = Audio::Pcm,
                           .frames = 50,
                           .fps = 10},
                 "d.avi"},
        SeekCase{"H264Mp4", MovieDesc{.container = "mp4", .video = Video::H264, .frames = 50},
                 "e.mp4"},
        SeekCase{"Mpeg4Mkv",
                 MovieDesc{.container = "matroska",
                           .video = Video::Mpeg4,
                           .audio = Audio::Mp2,
                           .frames = 50,
                           .fps = 30},
                 "f.mkv"},
        // Decoded times one frame after the stream's start.
        SeekCase{"Mpeg4AviBFrames",
                 MovieDesc{.container = "avi", .video = Video::Mpeg4, .frames = 50}, "g.avi"},
        SeekCase{
            "Mpeg4AviBFramesWithAudio",
            MovieDesc{.container = "avi", .video = Video::Mpeg4, .audio = Audio::Pcm, .frames = 50},
            "h.avi"},
        // Lengths that end at the last frame's start.
        SeekCase{"H264Mkv", MovieDesc{.container = "matroska", .video = Video::H264, .frames = 50},
                 "i.mkv"},
        SeekCase{"Vp9Webm",
                 MovieDesc{.container = "webm", .video = Video::Vp9, .frames = 50, .fps = 30},
                 "j.webm"}),
    [](const auto& test) { return std::string(test.param.name); });

} // namespace

// A variable rate: frames of 20 ms and of 100 ms in turn. A frame's span runs to the next
// frame's start, whatever span its packet states, and the count is the number of frames.
struct VariableRateCase {
    const char* name;
    const char* container;
    const char* file;
    bool statesRate;
};

class MediaEngineVariableRate : public ::testing::TestWithParam<VariableRateCase> {
protected:
    static MovieDesc Movie(const VariableRateCase& c) {
        MovieDesc desc{
            .container = c.container, .video = Video::H264, .fps = 25, .statesRate = c.statesRate};
        for (int i = 0; i < 40; ++i)
            desc.frameTimesMs.push_back(i / 2 * 120 + (i % 2) * 20);
        return desc;
    }
};

TEST_P(MediaEngineVariableRate, SeeksWithinLongFramesAndCountsFrames) {
    const VariableRateCase& c = GetParam();
    const MovieDesc desc = Movie(c);
    PausedMovie movie(desc, c.file);
    MediaEngine& engine = movie.engine;
    ASSERT_EQ(engine.GetOpenState(), media::mpOpen);
    EXPECT_DOUBLE_EQ(engine.DurationInFrames(), 40);
    // The last frame starts at 2.3 s; its own span is not known beyond what its packet says.
    EXPECT_GT(engine.Duration(), 2.3);
    EXPECT_LE(engine.Duration(), 2.3 + 1.0 / desc.fps + 1e-9);
    for (int n : {0, 1, 2, 13, 20, 27, 38, 39, 1}) {
        const double start = desc.frameTimesMs[static_cast<std::size_t>(n)] / 1000.0;
        const double end = n + 1 < 40 ? desc.frameTimesMs[static_cast<std::size_t>(n) + 1] / 1000.0
                                      : engine.Duration();
        for (double part : {0.0, 0.5, 0.9}) {
            const double p = start + part * (end - start);
            engine.SetPosition(p);
            WaitForSeek(engine);
            EXPECT_EQ(PresentedNumber(engine), n) << "frame " << n << " at " << p;
        }
    }
}

TEST_P(MediaEngineVariableRate, DecodingOnGivesTheFramesOfFreshSeeks) {
    const VariableRateCase& c = GetParam();
    PausedMovie movie(Movie(c), c.file);
    ExpectDecodingOnGivesTheFramesOfFreshSeeks(movie.path, 2.6, {0.1, 1.2, 0.5});
}

INSTANTIATE_TEST_SUITE_P(Containers, MediaEngineVariableRate,
                         ::testing::Values(VariableRateCase{"H264Mkv", "matroska", "a.mkv", false},
                                           VariableRateCase{"H264MkvStatingAConstantRate",
                                                            "matroska", "b.mkv", true},
                                           VariableRateCase{"H264Mp4", "mp4", "c.mp4", false}),
                         [](const auto& test) { return std::string(test.param.name); });

// The sound stops long before the pictures: a seek past its end is carried out by the
// picture alone, though the file is too long to be read to its end while paused.
TEST(MediaEngineSeekPastTheSound, SettlesOnThePicture) {
    MovieDesc desc{.container = "avi",
                   .video = Video::Mjpeg,
                   .audio = Audio::Pcm,
                   .frames = 400,
                   .audioEndsAt = 0.5};
    PausedMovie movie(desc, "short-sound.avi");
    MediaEngine& engine = movie.engine;
    ASSERT_EQ(engine.GetOpenState(), media::mpOpen);
    for (int n : {100, 200, 10, 390}) {
        const double p = static_cast<double>(n) / desc.fps;
        engine.SetPosition(p);
        WaitForSeek(engine);
        EXPECT_FALSE(engine.Seeking()) << "frame " << n;
        EXPECT_EQ(PresentedNumber(engine), n);
        EXPECT_DOUBLE_EQ(engine.Position(), p);
    }
}
