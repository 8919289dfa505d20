#include "platform/media/EngineTestSupport.h"
#include "platform/media/Fixtures.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace fixtures;
using media::MediaEngine;

namespace {

struct SeekCase {
    const char* name;
    MovieSpec desc;
    const char* file;
};

class MediaEngineSeek : public ::testing::TestWithParam<SeekCase> {};

// The frame whose span [n / fps, (n + 1) / fps) holds the position; past the end, the last.
int ExpectedFrame(double position, const MovieSpec& desc) {
    const int n = static_cast<int>(std::floor(position * desc.fps + 1e-9));
    return std::min(n, desc.frames - 1);
}

TEST_P(MediaEngineSeek, PausedSeekPresentsTheFrameWhoseSpanHoldsThePosition) {
    const SeekCase& c = GetParam();
    TempDir dir;
    const String path = dir.File(c.file);
    WriteMovie(path, c.desc);
    MediaEngine engine(SilentOptions());
    OpenPaused(engine, path);
    ASSERT_EQ(engine.GetOpenState(), media::mpOpen);
    const double fps = c.desc.fps;
    // Frame boundaries, the middle of frames, key frames and the frames just before them
    // (a group is 12 frames), backwards jumps, the first and the last frame, past the end.
    const double positions[] = {13 / fps,        0.5 / fps, 11.99 / fps, 12 / fps, 23.5 / fps, 1 / fps,
                                24 / fps,        36 / fps,  35.2 / fps,  47 / fps, 0,          (c.desc.frames - 1) / fps,
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

TEST_P(MediaEngineSeek, DurationInSecondsAndFrames) {
    const SeekCase& c = GetParam();
    TempDir dir;
    const String path = dir.File(c.file);
    WriteMovie(path, c.desc);
    MediaEngine engine(SilentOptions());
    OpenPaused(engine, path);
    EXPECT_DOUBLE_EQ(engine.FrameRate(), c.desc.fps);
    EXPECT_DOUBLE_EQ(engine.DurationInFrames(), c.desc.frames);
    EXPECT_NEAR(engine.Duration(), static_cast<double>(c.desc.frames) / c.desc.fps, 0.5 / c.desc.fps);
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
    MovieSpec desc;
    desc.container = c.container;
    TempDir dir;
    const String path = dir.File(c.file);
    WriteMovie(path, desc);
    MediaEngine engine(SilentOptions());
    OpenPaused(engine, path);
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
                         [](const auto& info) { return String(info.param.name); });

MovieSpec Movie(const char* container, Video video, Audio audio, int frames, int fps) {
    MovieSpec s;
    s.container = container;
    s.video = video;
    s.audio = audio;
    s.frames = frames;
    s.fps = fps;
    return s;
}

INSTANTIATE_TEST_SUITE_P(
    Containers, MediaEngineSeek,
    ::testing::Values(SeekCase{"Mpeg1", Movie("mpeg", Video::Mpeg1, Audio::None, 50, 25), "a.mpg"},
                      SeekCase{"Mpeg1WithAudio", Movie("mpeg", Video::Mpeg1, Audio::Mp2, 50, 25), "b.mpg"},
                      SeekCase{"MjpegAvi", Movie("avi", Video::Mjpeg, Audio::None, 50, 10), "c.avi"},
                      SeekCase{"MjpegAviWithAudio", Movie("avi", Video::Mjpeg, Audio::Pcm, 50, 10), "d.avi"},
                      SeekCase{"H264Mp4", Movie("mp4", Video::H264, Audio::None, 50, 25), "e.mp4"},
                      SeekCase{"Mpeg4Mkv", Movie("matroska", Video::Mpeg4, Audio::Mp2, 50, 30), "f.mkv"}),
    [](const auto& info) { return String(info.param.name); });

}  // namespace
