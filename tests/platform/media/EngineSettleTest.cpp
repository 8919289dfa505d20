#include "platform/kernel/Clock.h"
#include "platform/media/EngineTestUtil.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <thread>

using namespace fixtures;
using media::MediaEngine;

namespace {

// A hand-made AVI whose packets are far larger than its 16 x 16 pictures (1.1 MB each, the
// picture in the first bytes), with 40 ms of sound at the start only. After a seek the video
// queue stops taking packets before it counts as full and before the reading is a second past
// the target, while the sound never begins there: nothing the seek waits for comes.
class StallingAvi {
public:
    static constexpr int kFrames = 30;
    static constexpr int kRate = 25;
    static constexpr std::uint32_t kPacketBytes = 1100000;
    static constexpr int kSide = 16;
    static constexpr std::uint32_t kSoundBytes = 640; // 320 samples at 8 kHz

    static void Write(const std::string& path) {
        Bytes movi = Tag("movi");
        Bytes index;
        for (int n = 0; n < kFrames; ++n) {
            AddChunk(movi, index, "00db", Bytes(kPacketBytes, ValueOf(n)));
            if (n == 0) AddChunk(movi, index, "01wb", Bytes(kSoundBytes, 0x10));
        }
        Bytes body = Tag("AVI ");
        Append(body, List("hdrl", Headers()));
        Append(body, Chunk("LIST", movi));
        Append(body, Chunk("idx1", index));
        Bytes file = Chunk("RIFF", body);
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(file.data()), std::streamsize(file.size()));
    }
    // Every byte of picture n.
    static BYTE ValueOf(int n) { return BYTE(n * 6); }

private:
    using Bytes = std::vector<BYTE>;

    static Bytes Tag(const char* tag) { return Bytes(tag, tag + 4); }
    static void Append(Bytes& to, const Bytes& more) {
        to.insert(to.end(), more.begin(), more.end());
    }
    static void Put32(Bytes& to, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            to.push_back(BYTE(v >> (8 * i)));
    }
    static void Put16(Bytes& to, std::uint16_t v) {
        to.push_back(BYTE(v));
        to.push_back(BYTE(v >> 8));
    }
    static Bytes Chunk(const char* tag, const Bytes& data) {
        Bytes out = Tag(tag);
        Put32(out, std::uint32_t(data.size()));
        Append(out, data);
        if (data.size() % 2) out.push_back(0);
        return out;
    }
    static Bytes List(const char* tag, const Bytes& data) {
        Bytes inner = Tag(tag);
        Append(inner, data);
        return Chunk("LIST", inner);
    }
    // The chunk into 'movi' and its key-frame entry (offset from the 'movi' tag) into the index.
    static void AddChunk(Bytes& movi, Bytes& index, const char* tag, const Bytes& data) {
        Append(index, Tag(tag));
        Put32(index, 0x10);
        Put32(index, std::uint32_t(movi.size()));
        Put32(index, std::uint32_t(data.size()));
        Append(movi, Chunk(tag, data));
    }
    static Bytes StreamHeader(const char* type, std::uint32_t scale, std::uint32_t rate,
                              std::uint32_t length, std::uint32_t sampleSize) {
        Bytes h = Tag(type);
        for (std::uint32_t v :
             {0u, 0u, 0u, 0u, scale, rate, 0u, length, 0u, 0xFFFFFFFFu, sampleSize})
            Put32(h, v);
        for (int i = 0; i < 4; ++i)
            Put16(h, 0);
        h.resize(8 + 48);
        return h;
    }
    static Bytes Headers() {
        Bytes avih;
        for (std::uint32_t v : {1000000u / kRate, 0u, 0u, 0x10u, std::uint32_t(kFrames), 0u, 2u, 0u,
                                std::uint32_t(kSide), std::uint32_t(kSide), 0u, 0u, 0u, 0u})
            Put32(avih, v);
        Bytes bitmap;
        for (std::uint32_t v : {40u, std::uint32_t(kSide), std::uint32_t(kSide)})
            Put32(bitmap, v);
        Put16(bitmap, 1);
        Put16(bitmap, 24);
        for (std::uint32_t v : {0u, std::uint32_t(kSide * kSide * 3), 0u, 0u, 0u, 0u})
            Put32(bitmap, v);
        Bytes wave;
        Put16(wave, 1); // PCM
        Put16(wave, 1);
        Put32(wave, 8000);
        Put32(wave, 16000);
        Put16(wave, 2);
        Put16(wave, 16);
        Bytes out = Chunk("avih", avih);
        Bytes video = Chunk("strh", StreamHeader("vids", 1, kRate, kFrames, 0));
        Append(video, Chunk("strf", bitmap));
        Append(out, List("strl", video));
        Bytes sound = Chunk("strh", StreamHeader("auds", 2, 16000, kSoundBytes / 2, 2));
        Append(sound, Chunk("strf", wave));
        Append(out, List("strl", sound));
        return out;
    }
};

// The first byte of the shown picture's pixels; -1 when there is none.
int ShownValue(MediaEngine& engine) {
    const std::vector<BYTE> dib = PresentedImage(engine);
    if (dib.empty()) return -1;
    BITMAPINFOHEADER header;
    std::memcpy(&header, dib.data(), sizeof header);
    return dib[header.biSize];
}

} // namespace

TEST(MediaEngineSettle, ASeekWhoseSoundNeverComesSettlesOnItsPictureWithinTheBound) {
    test_support::TempFolder dir{"korvid-media-"};
    const std::string path = dir.File("stall.avi");
    StallingAvi::Write(path);
    kernel::FakeClock clock(5000);
    kernel::ScopedClock useClock(clock);
    MediaEngine engine(SilentOptions());
    OpenPaused(engine, path);
    ASSERT_EQ(engine.GetOpenState(), media::mpOpen);
    ASSERT_TRUE(engine.HasVideo() && engine.HasAudio());
    EXPECT_EQ(ShownValue(engine), StallingAvi::ValueOf(0));

    engine.SetPosition(0.2);
    // The time moves on at about twice the real pace while the seek is waited for.
    kernel::Milliseconds waited = 0;
    const bool settled =
        test_support::PollUntil([&] { return !engine.Seeking(); },
                                [&] {
                                    std::this_thread::sleep_for(std::chrono::milliseconds(5));
                                    clock.Advance(10);
                                    waited += 10;
                                });
    ASSERT_TRUE(settled) << "the seek never settled";
    // Two seconds after the last packet, plus what reading and decoding took at twice the
    // real pace (slow in the sanitizer builds).
    EXPECT_LE(waited, 6000);
    EXPECT_EQ(ShownValue(engine), StallingAvi::ValueOf(5));
    EXPECT_DOUBLE_EQ(engine.Position(), 0.2);
    EXPECT_EQ(engine.GetOpenState(), media::mpOpen);
    while (std::optional<media::EngineEvent> e = engine.NextEvent())
        EXPECT_NE(e->kind, media::EngineEvent::Error);
}
