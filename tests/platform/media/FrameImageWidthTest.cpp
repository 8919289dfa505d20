// The presented frame as a packed DIB for widths the converter does not write in whole
// blocks: each comes out whole, with nothing written past its rows.
#include "platform/media/EngineTestUtil.h"
#include "support/TempFolder.h"
#include "support/media/MovieFixtures.h"

#include <gtest/gtest.h>

using namespace fixtures;

namespace {

TEST(MediaFrameImage, EveryWidthComesOutWholeWithoutWritingPastItsRows) {
    test_support::TempFolder dir{"korvid-media-"};
    for (int width : {120, 124, 130, 161, 200}) {
        const std::string path = dir.File("w" + std::to_string(width) + ".avi");
        WriteMovie(path, {"avi", Video::Mjpeg, Audio::None, width, 240, 5});
        media::MediaEngine engine(SilentOptions());
        OpenPaused(engine, path);
        // Repeated conversions reuse the buffer; a write past it breaks the heap.
        for (int i = 0; i < 20; ++i)
            ASSERT_EQ(PresentedNumber(engine), 0) << "width " << width;
    }
}

} // namespace

namespace {

TEST(MediaFrameImage, DrawingAtAnySizeWritesOnlyTheCallersRows) {
    test_support::TempFolder dir{"korvid-media-"};
    const std::string path = dir.File("clip.avi");
    WriteMovie(path, {"avi", Video::Mjpeg, Audio::None, 200, 100, 5});
    media::MediaEngine engine(SilentOptions());
    OpenPaused(engine, path);
    // Narrow and odd sizes, each drawn into a buffer with a guard after it.
    constexpr std::uint32_t kGuard = 0xDEADBEEF;
    for (int w = 1; w <= 64; ++w)
        for (int h : {1, 3, 17, 100}) {
            std::vector<std::uint32_t> px(static_cast<std::size_t>(w) * h + 16, kGuard);
            ASSERT_TRUE(engine.DrawPresentedFrame(w, h, px.data(), w * 4));
            for (std::size_t i = static_cast<std::size_t>(w) * h; i < px.size(); ++i)
                ASSERT_EQ(px[i], kGuard) << w << " x " << h;
        }
}

} // namespace

namespace {

// The number on a picture drawn for the display (32-bit, rows top-down).
int DrawnNumber(media::MediaEngine& engine, int w, int h) {
    std::vector<std::uint32_t> px(static_cast<std::size_t>(w) * h);
    if (!engine.DrawPresentedFrame(w, h, px.data(), w * 4)) return -1;
    return ReadFrameNumber(w, h, [&](int x, int y) {
        const std::uint32_t p = px[static_cast<std::size_t>(y) * w + x];
        return int(((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF)) / 3;
    });
}

// The display picture and the grabbed image are kept per frame: after every seek (to another
// frame, to the same one again, back), each paint at each size and each grab shows the frame
// then shown, never one kept from before.
TEST(MediaFrameImage, PaintsAndGrabsFollowTheFrameShownAfterEverySeek) {
    const MovieDesc clip{"avi", Video::Mjpeg, Audio::None, 160, 120, 25};
    PausedMovie movie(clip, "clip.avi");
    for (int frame : {3, 3, 7, 2, 12, 13}) {
        movie.engine.SetPosition((frame + 0.5) / clip.fps);
        WaitForSeek(movie.engine);
        for (int round = 0; round < 2; ++round) {
            EXPECT_EQ(DrawnNumber(movie.engine, 160, 120), frame) << "round " << round;
            EXPECT_EQ(DrawnNumber(movie.engine, 320, 240), frame) << "round " << round;
            EXPECT_EQ(PresentedNumber(movie.engine), frame) << "round " << round;
        }
    }
}

} // namespace
