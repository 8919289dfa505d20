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
