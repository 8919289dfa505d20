#include "platform/media/EngineTestUtil.h"
#include "support/TempFolder.h"
#include "support/media/MovieFixtures.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace fixtures;
using media::EngineEvent;
using media::MediaEngine;

namespace {

MovieDesc Mjpeg(int frames) {
    return {.container = "avi", .video = Video::Mjpeg, .frames = frames};
}

// Replaces every occurrence of a four-character code.
void Retag(std::vector<BYTE>& bytes, const char* from, const char* to) {
    for (std::size_t i = 0; i + 4 <= bytes.size(); ++i)
        if (std::equal(from, from + 4, bytes.begin() + static_cast<long>(i)))
            std::copy(to, to + 4, bytes.begin() + static_cast<long>(i));
}

struct BadFile {
    const char* name;
    std::function<void(const std::string& path)> make;
    int code;
    const char* words; // a phrase the description must hold
};

class MediaEngineBadInput : public ::testing::TestWithParam<BadFile> {};

TEST_P(MediaEngineBadInput, ReportsAnErrorAndGoesBackToClosed) {
    const BadFile& c = GetParam();
    test_support::TempFolder dir{"korvid-media-"};
    const std::string path = dir.File(c.name);
    c.make(path);
    MediaEngine engine(SilentOptions());
    engine.Open(path);
    std::vector<EngineEvent> events = CollectUntil(engine, [](const EngineEvent& e) {
        return e.kind == EngineEvent::OpenStateChange && e.newValue == media::mpClosed;
    });
    auto error = std::find_if(events.begin(), events.end(),
                              [](const EngineEvent& e) { return e.kind == EngineEvent::Error; });
    ASSERT_NE(error, events.end());
    EXPECT_EQ(error->newValue, c.code);
    EXPECT_NE(error->text.find(c.words), std::string::npos) << error->text;
    EXPECT_EQ(engine.ErrorCode(), c.code);
    EXPECT_EQ(engine.ErrorDescription(), error->text);
    EXPECT_EQ(engine.GetOpenState(), media::mpClosed);
    EXPECT_NE(engine.GetReadyState(), media::mpReadyStateLoading);
    // Nothing works on a closed player, and it opens a good file afterwards.
    engine.Play();
    EXPECT_EQ(engine.GetPlayState(), media::mpStopped);
    EXPECT_EQ(engine.InsertSampleGrabber(), nullptr);
    const std::string good = dir.File("good.avi");
    WriteMovie(good, Mjpeg(3));
    OpenPaused(engine, good);
    EXPECT_EQ(engine.GetOpenState(), media::mpOpen);
    EXPECT_EQ(engine.ErrorCode(), 0);
}

const BadFile kBadFiles[] = {
    BadFile{"missing.mpg", [](const std::string&) {}, media::kErrorFileNotFound, "cannot be found"},
    BadFile{"notes.avi",
            [](const std::string& p) {
                const std::string text = "These are notes, not a movie.\n";
                WriteBytes(p, std::vector<BYTE>(text.begin(), text.end()));
            },
            media::kErrorNotMedia, "not a media file"},
    BadFile{"empty.mpg", [](const std::string& p) { WriteBytes(p, {}); }, media::kErrorNotMedia,
            "not a media file"},
    BadFile{"header.avi",
            [](const std::string& p) {
                // Cut where the frames begin: the streams are known but no picture is there.
                WriteMovie(p, Mjpeg(10));
                std::vector<BYTE> bytes = ReadBytes(p);
                const char movi[] = "movi";
                auto at = std::search(bytes.begin(), bytes.end(), movi, movi + 4);
                bytes.resize(static_cast<std::size_t>(at - bytes.begin()) + 4);
                WriteBytes(p, bytes);
            },
            media::kErrorNoFrames, "no picture"},
    BadFile{"strange.avi",
            [](const std::string& p) {
                WriteMovie(p, Mjpeg(3));
                std::vector<BYTE> bytes = ReadBytes(p);
                Retag(bytes, "MJPG", "QZQZ");
                WriteBytes(p, bytes);
            },
            media::kErrorCodecMissing, "no decoder"}};

INSTANTIATE_TEST_SUITE_P(Files, MediaEngineBadInput, ::testing::ValuesIn(kBadFiles),
                         [](const auto& test) {
                             std::string n = test.param.name;
                             return n.substr(0, n.find('.'));
                         });

TEST(MediaEngineTruncated, PlaysWhatIsThereAndEnds) {
    test_support::TempFolder dir{"korvid-media-"};
    const std::string path = dir.File("cut.mpg");
    MovieDesc desc{.container = "mpeg", .frames = 40};
    WriteMovie(path, desc);
    std::vector<BYTE> bytes = ReadBytes(path);
    bytes.resize(bytes.size() / 2);
    WriteBytes(path, bytes);
    MediaEngine engine(SilentOptions());
    OpenPaused(engine, path);
    ASSERT_EQ(engine.GetOpenState(), media::mpOpen);
    EXPECT_EQ(PresentedNumber(engine), 0);
    // Past what is there, the last frame that decodes is shown.
    engine.SetPosition(engine.Duration());
    WaitForSeek(engine);
    const int last = PresentedNumber(engine);
    EXPECT_GT(last, 5);
    EXPECT_LT(last, 30);
    engine.SetPosition(0);
    WaitForSeek(engine);
    engine.Play();
    CollectUntil(engine, Kind(EngineEvent::EndOfStream));
}

TEST(MediaEngineClose, ClosingWhileOpeningOrPlayingReturnsAtOnce) {
    test_support::TempFolder dir{"korvid-media-"};
    const std::string path = dir.File("clip.mpg");
    MovieDesc desc{.container = "mpeg", .audio = Audio::Mp2, .frames = 100};
    WriteMovie(path, desc);
    MediaEngine engine(SilentOptions());
    for (int i = 0; i < 5; ++i) {
        engine.Open(path); // closed again before it is open
        engine.Open(path);
        engine.SetAutoStart(true);
        CollectUntil(engine, [](const EngineEvent& e) {
            return e.kind == EngineEvent::PlayStateChange && e.newValue == media::mpPlaying;
        });
        engine.Close();
        EXPECT_EQ(engine.GetOpenState(), media::mpClosed);
        EXPECT_EQ(engine.GetPlayState(), media::mpStopped);
    }
    std::vector<EngineEvent> closing;
    while (std::optional<EngineEvent> e = engine.NextEvent())
        closing.push_back(*e);
    ASSERT_EQ(closing.size(), 2u);
    EXPECT_EQ(closing[0].kind, EngineEvent::PlayStateChange);
    EXPECT_EQ(closing[1].kind, EngineEvent::OpenStateChange);
    EXPECT_EQ(closing[1].oldValue * 10 + closing[1].newValue, 60);
}

} // namespace
