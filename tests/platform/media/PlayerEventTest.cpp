#include "platform/media/EngineTestUtil.h"
#include "platform/media/PlayerTestUtil.h"
#include "support/Poll.h"
#include "support/TempFolder.h"
#include "support/media/MovieFixtures.h"

#include <gtest/gtest.h>

using namespace fixtures;
using namespace media;

namespace {

EngineOptions Options(bool autoStart) {
    EngineOptions o;
    o.useAudioDevice = false;
    o.autoStart = autoStart;
    return o;
}

int ShownNumber(MediaPlayer& player) {
    LONG size = 0;
    if (FAILED(player.BasicVideo().GetCurrentImage(&size, nullptr)) || size <= 0) return -1;
    std::vector<BYTE> dib(static_cast<std::size_t>(size));
    if (FAILED(player.BasicVideo().GetCurrentImage(&size, dib.data()))) return -1;
    return ReadFrameNumberFromDib(dib);
}

void WaitSeek(MediaPlayer& player) {
    WaitForSeek(player.Engine());
}

class PlayerEvents : public ::testing::Test {
protected:
    test_support::TempFolder dir{"korvid-media-"};
    std::string File(const MovieDesc& desc, const std::string& name) {
        const std::string path = dir.File(name);
        WriteMovie(path, desc);
        return path;
    }
};

} // namespace

TEST_F(PlayerEvents, OpenRaisesOpenStepsThenReadyStatesThenPlaying) {
    const std::string path = File({"mpeg", Video::Mpeg1}, "clip.mpg");
    MediaPlayer player(Options(true));
    PlayerProbe probe(player);
    ASSERT_EQ(player.Open(path), S_OK);
    // Nothing is raised until the owner delivers: events come on its thread only.
    EXPECT_TRUE(probe.events.empty());
    ASSERT_TRUE(probe.Until(eventid::PlayStateChange, mpPlaying));
    const std::vector<std::string> expected = {"3011:0,3", "-609:1", "3011:3,4", "3011:4,5",
                                               "3011:5,6", "-609:3", "-609:4",   "3012:0,2"};
    EXPECT_EQ(probe.Trace(), expected);
    EXPECT_FALSE(probe.offThread);
    EXPECT_EQ(Get(player, dispid::OpenState), Variant::Int(mpOpen));
    EXPECT_EQ(Get(player, dispid::ImageSourceWidth), Variant::Int(160));
    EXPECT_EQ(Get(player, dispid::ImageSourceHeight), Variant::Int(120));
    EXPECT_EQ(Get(player, dispid::FileName), Variant::Str(path));
}

TEST_F(PlayerEvents, PlayingToTheEndRaisesEndOfStreamThenStopped) {
    const std::string path = File({"mpeg", Video::Mpeg1, Audio::None, 160, 120, 10}, "short.mpg");
    MediaPlayer player(Options(true));
    PlayerProbe probe(player);
    player.Open(path);
    ASSERT_TRUE(probe.Until(eventid::PlayStateChange, mpStopped));
    std::vector<std::string> trace = probe.Trace();
    ASSERT_GE(trace.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(trace.end() - 3, trace.end()),
              (std::vector<std::string>{"3012:0,2", "3002:0", "3012:2,0"}));
    // Auto rewind brings it back to the start.
    WaitSeek(player);
    EXPECT_EQ(ShownNumber(player), 0);
}

TEST_F(PlayerEvents, PlayPauseStopRaiseEachPlayState) {
    const std::string path = File({"avi", Video::Mjpeg}, "clip.avi");
    MediaPlayer player(Options(false));
    PlayerProbe probe(player);
    player.Open(path);
    ASSERT_TRUE(probe.Until(eventid::ReadyStateChange, mpReadyStateComplete));
    probe.events.clear();
    EXPECT_EQ(player.Play(), S_OK);
    EXPECT_EQ(player.Pause(), S_OK);
    EXPECT_EQ(player.Stop(), S_OK);
    ASSERT_TRUE(probe.Until(eventid::PlayStateChange, mpStopped));
    EXPECT_EQ(probe.Trace(), (std::vector<std::string>{"3012:0,2", "3012:2,1", "3012:1,0"}));
}

TEST_F(PlayerEvents, EmptyFileNameClosesWithTheClosingSteps) {
    const std::string path = File({"mpeg", Video::Mpeg1}, "clip.mpg");
    MediaPlayer player(Options(false));
    PlayerProbe probe(player);
    ASSERT_EQ(player.PutProperty(dispid::FileName, Variant::Str(path)), S_OK);
    ASSERT_TRUE(probe.Until(eventid::ReadyStateChange, mpReadyStateComplete));
    probe.events.clear();
    ASSERT_EQ(player.PutProperty(dispid::FileName, Variant::Str("")), S_OK);
    ASSERT_TRUE(probe.Until(eventid::OpenStateChange, mpClosed));
    EXPECT_EQ(probe.Trace(), (std::vector<std::string>{"3011:6,0"}));
    EXPECT_EQ(Get(player, dispid::FileName), Variant::Str(""));
    EXPECT_EQ(Get(player, dispid::ImageSourceWidth), Variant::Int(0));
    EXPECT_EQ(player.Play(), E_UNEXPECTED);
}

TEST_F(PlayerEvents, LengthAndPositionFollowTheDisplayMode) {
    const std::string path = File({"avi", Video::Mjpeg, Audio::None, 160, 120, 50, 25}, "clip.avi");
    MediaPlayer player(Options(false));
    PlayerProbe probe(player);
    player.Open(path);
    ASSERT_TRUE(probe.Until(eventid::ReadyStateChange, mpReadyStateComplete));
    EXPECT_NEAR(Get(player, dispid::Duration).dblVal, 2.0, 0.05);
    ASSERT_EQ(player.PutProperty(dispid::DisplayMode, Variant::Int(mpFrames)), S_OK);
    EXPECT_NEAR(Get(player, dispid::Duration).dblVal, 50, 0.5);
    // Frame 37 is presented for a write of 37 frames, and reads back as 37.
    ASSERT_EQ(player.PutProperty(dispid::CurrentPosition, Variant::Double(37)), S_OK);
    WaitSeek(player);
    EXPECT_EQ(ShownNumber(player), 37);
    EXPECT_EQ(Get(player, dispid::CurrentPosition).dblVal, 37);
    ASSERT_TRUE(probe.Until(eventid::PositionChange));
    const PlayerEvent& moved = probe.events.back();
    ASSERT_EQ(moved.args.size(), 2u);
    EXPECT_EQ(moved.args[0].dblVal, 0);
    EXPECT_EQ(moved.args[1].dblVal, 37);
    // Back in seconds, a write of 1.0 s presents frame 25.
    ASSERT_EQ(player.PutProperty(dispid::DisplayMode, Variant::Int(mpTime)), S_OK);
    ASSERT_EQ(player.PutProperty(dispid::CurrentPosition, Variant::Double(1.0)), S_OK);
    WaitSeek(player);
    EXPECT_EQ(ShownNumber(player), 25);
    EXPECT_DOUBLE_EQ(Get(player, dispid::CurrentPosition).dblVal, 1.0);
}

TEST_F(PlayerEvents, AudioOnlyOpensWithNoImage) {
    MovieDesc desc{"wav", Video::None, Audio::Pcm};
    const std::string path = File(desc, "tone.wav");
    MediaPlayer player(Options(true));
    PlayerProbe probe(player);
    player.Open(path);
    ASSERT_TRUE(probe.Until(eventid::PlayStateChange, mpPlaying));
    EXPECT_EQ(Get(player, dispid::ImageSourceWidth), Variant::Int(0));
    EXPECT_EQ(Get(player, dispid::ImageSourceHeight), Variant::Int(0));
    EXPECT_NEAR(Get(player, dispid::Duration).dblVal, 1.0, 0.05);
    LONG w = 0, h = 0;
    EXPECT_EQ(player.BasicVideo().GetVideoSize(&w, &h), E_FAIL);
}

TEST_F(PlayerEvents, NotMediaRaisesErrorWithDescriptionAndCloses) {
    const std::string path = dir.File("notes.mpg");
    WriteBytes(path, std::vector<BYTE>(4096, 'x'));
    MediaPlayer player(Options(true));
    PlayerProbe probe(player);
    player.Open(path);
    ASSERT_TRUE(probe.Until(eventid::OpenStateChange, mpClosed));
    std::vector<std::string> trace = probe.Trace();
    ASSERT_GE(trace.size(), 2u);
    EXPECT_EQ(trace[trace.size() - 2], "3010");
    LONG code = 0;
    std::string text;
    player.ErrorCode(&code);
    player.ErrorDescription(&text);
    EXPECT_NE(code, 0);
    EXPECT_FALSE(text.empty());
    EXPECT_EQ(Get(player, dispid::OpenState), Variant::Int(mpClosed));
}

TEST_F(PlayerEvents, SendFlagsOffSilenceTheirEvents) {
    const std::string path = dir.File("missing.mpg");
    MediaPlayer player(Options(true));
    PlayerProbe probe(player);
    player.PutProperty(dispid::SendErrorEvents, Variant::Bool(false));
    player.PutProperty(dispid::SendOpenStateChangeEvents, Variant::Bool(false));
    player.Open(path);
    // The ready state still comes; error and open-state events do not.
    ASSERT_TRUE(probe.Until(eventid::ReadyStateChange, mpReadyStateLoading));
    EXPECT_TRUE(
        test_support::PollUntil([&] { return player.Engine().GetOpenState() == mpClosed; },
                                [&] { player.WaitForEvents(std::chrono::milliseconds(20)); }));
    player.DeliverEvents();
    for (const PlayerEvent& e : probe.events) {
        EXPECT_NE(e.id, eventid::Error);
        EXPECT_NE(e.id, eventid::OpenStateChange);
    }
    LONG code = 0;
    player.ErrorCode(&code);
    EXPECT_EQ(code, kErrorFileNotFound);
}

// A program stream finds times by bisecting the file; in a larger file that lands past the
// first key frame, and a seek into the first group must still present its own frame.
TEST_F(PlayerEvents, SeeksIntoTheFirstGroupOfALargerProgramStream) {
    const std::string path =
        File({"mpeg", Video::Mpeg1, Audio::None, 640, 480, 75, 25, 12}, "big.mpg");
    MediaPlayer player(Options(false));
    PlayerProbe probe(player);
    player.Open(path);
    ASSERT_TRUE(probe.Until(eventid::ReadyStateChange, mpReadyStateComplete));
    ASSERT_EQ(player.PutProperty(dispid::DisplayMode, Variant::Int(mpFrames)), S_OK);
    for (int frame : {50, 5, 30, 1, 11}) {
        ASSERT_EQ(player.PutProperty(dispid::CurrentPosition, Variant::Double(frame)), S_OK);
        WaitSeek(player);
        EXPECT_EQ(ShownNumber(player), frame);
    }
}

TEST_F(PlayerEvents, ASeekInAnAudioOnlyFileSettles) {
    const std::string path = File({"wav", Video::None, Audio::Pcm}, "tone.wav");
    MediaPlayer player(Options(false));
    PlayerProbe probe(player);
    player.Open(path);
    ASSERT_TRUE(probe.Until(eventid::OpenStateChange, mpOpen));
    ASSERT_EQ(player.PutProperty(dispid::CurrentPosition, Variant::Double(0.5)), S_OK);
    // Settled once the sound has begun at the target.
    WaitSeek(player);
    EXPECT_FALSE(player.Engine().Seeking());
    EXPECT_NEAR(Get(player, dispid::CurrentPosition).dblVal, 0.5, 0.05);
}
