// Building the animated GIF from grid frames: delays, looping, colour modes, zoom and the
// unchanged-pixel transparency, decoded back by FFmpeg and compared colour for colour.
#include "app/GifBuilder.h"
#include "AppTestUtil.h"
#include "gif/GIFExtensions.h"
#include "gif/GIFSubImage.h"
#include "platform/headless/Headless.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using apptest::MakeBitmap;

class GifBuilderTest : public ::testing::Test {
protected:
    void SetUp() override { GIFGraphicInit(); }

    // Builds from the frames and saves; answers the file name.
    String Build(const TGifBuildSettings& settings,
                 const std::vector<std::function<std::uint32_t(int, int)>>& frames, int w, int h,
                 const char* name, TGifBuilder** keep = nullptr) {
        builder_ = std::make_unique<TGifBuilder>(settings);
        for (auto& f : frames) {
            auto bitmap = MakeBitmap(w, h, f);
            builder_->AddGridFrame(bitmap.get());
        }
        String path = dir_.File(name);
        builder_->Result()->SaveToFile(path);
        if (keep) *keep = builder_.get();
        return path;
    }

    headless::HeadlessSession session_;
    test_support::TempFolder dir_{"korvid-gif-"};
    std::unique_ptr<TGifBuilder> builder_;
};

TGIFGraphicControlExtension* ControlOf(TGIFSubImage* frame) {
    for (int i = 0; i < frame->FrameExtensions().Count(); ++i)
        if (auto* gce =
                dynamic_cast<TGIFGraphicControlExtension*>(frame->FrameExtensions().ExtensionAt(i)))
            return gce;
    return nullptr;
}

// A background with a few colours and a square that moves by `step` pixels a frame: most
// pixels stay, the square leaves places that must show the background again.
std::function<std::uint32_t(int, int)> MovingSquare(int frame, int step = 3) {
    return [=](int x, int y) -> std::uint32_t {
        int left = 10 + frame * step;
        if (x >= left && x < left + 12 && y >= 20 && y < 32) return 0xE02020;
        return ((x / 16 + y / 16) % 2) ? 0x3060A0 : 0xF0E0C0;
    };
}

TEST_F(GifBuilderTest, DelayFollowsTheOutputRateAndTheFirstFrameLoopsForever) {
    for (int delay : {33, 4, 100}) {
        TGifBuildSettings s;
        s.delay = delay;
        s.transparency = false;
        Build(s, {MovingSquare(0), MovingSquare(1), MovingSquare(2)}, 64, 48, "d.gif");
        TGIFGraphic* gif = builder_->Result();
        ASSERT_EQ(gif->Frames().Count(), 3);
        TGIFSubImage* first = gif->Frames().GetFrame(0);
        ASSERT_EQ(first->FrameExtensions().Count(), 2);
        auto* loop = dynamic_cast<TGIFAppExtNSLoop*>(first->FrameExtensions().ExtensionAt(0));
        ASSERT_NE(loop, nullptr);
        EXPECT_EQ(loop->LoopCount, 0);
        EXPECT_NE(
            dynamic_cast<TGIFGraphicControlExtension*>(first->FrameExtensions().ExtensionAt(1)),
            nullptr);
        for (int i = 0; i < 3; ++i) {
            TGIFGraphicControlExtension* gce = ControlOf(gif->Frames().GetFrame(i));
            ASSERT_NE(gce, nullptr);
            EXPECT_EQ(gce->FrameDelay(), delay);
            EXPECT_FALSE(gce->HasTransparency());
            // Nothing shows the built frames: they are held as the file holds them.
            EXPECT_TRUE(gif->Frames().GetFrame(i)->Packed()) << i;
            EXPECT_EQ(gif->Frames().GetFrame(i)->HeldPixelBytes(), 0) << i;
        }
    }
}

// The fault the transparency had: indices compared across two colour maps, and against the
// last whole frame instead of what a viewer shows. With colours compared against the
// composite, every frame decodes to exactly what the same frame written whole shows.
TEST_F(GifBuilderTest, TransparentFramesDecodeToTheColoursOfTheWholeFrames) {
    for (bool dither : {false, true}) {
        std::vector<std::function<std::uint32_t(int, int)>> frames;
        for (int i = 0; i < 8; ++i)
            frames.push_back(MovingSquare(i));
        // A last frame with a new colour shifts the octree palette's order.
        frames.push_back([](int x, int y) -> std::uint32_t {
            if (x < 6) return 0x10F010;
            return MovingSquare(7)(x, y);
        });
        TGifBuildSettings whole;
        whole.floydSteinberg = dither;
        whole.transparency = false;
        TGifBuildSettings smaller = whole;
        smaller.transparency = true;
        String a = Build(whole, frames, 96, 64, "whole.gif");
        TGifBuilder* b = nullptr;
        String c = Build(smaller, frames, 96, 64, "smaller.gif", &b);
        EXPECT_GT(b->TransparentFrames(), 0);
        EXPECT_LT(std::filesystem::file_size(c), std::filesystem::file_size(a));
        auto expected = apptest::DecodeGifWithFFmpeg(a);
        auto got = apptest::DecodeGifWithFFmpeg(c);
        ASSERT_EQ(expected.frames.size(), frames.size());
        ASSERT_EQ(got.frames.size(), frames.size());
        for (size_t i = 0; i < frames.size(); ++i)
            EXPECT_EQ(got.frames[i], expected.frames[i]) << "frame " << i << " dither " << dither;
    }
}

TEST_F(GifBuilderTest, StillSceneGivesOneWholeFrameThenTransparentOnes) {
    TGifBuildSettings s;
    auto still = MovingSquare(0);
    Build(s, {still, still, still}, 64, 48, "still.gif");
    TGIFGraphic* gif = builder_->Result();
    EXPECT_EQ(builder_->WholeFrames(), 1);
    EXPECT_EQ(builder_->TransparentFrames(), 2);
    for (int i = 1; i < 3; ++i) {
        TGIFSubImage* frame = gif->Frames().GetFrame(i);
        TGIFGraphicControlExtension* gce = ControlOf(frame);
        ASSERT_TRUE(gce->HasTransparency());
        // Nothing changed, so the lowest index is free and every pixel takes it.
        EXPECT_EQ(gce->TransparentIndex(), 0);
        for (int p = 0; p < 64 * 48; ++p)
            ASSERT_EQ(frame->Data()[p], 0);
    }
}

// The changed pixels use the three colours the frame has; the spare index is the first one
// past them and names an entry of the frame's map.
TEST_F(GifBuilderTest, SpareIndexIsTheLowestNoChangedPixelUses) {
    TGifBuildSettings whole;
    whole.floydSteinberg = false;
    whole.transparency = false;
    TGifBuildSettings smaller = whole;
    smaller.transparency = true;
    auto first = [](int x, int y) -> std::uint32_t { return x < 2 && y < 2 ? 0x00FF00 : 0x202020; };
    auto second = [](int x, int y) -> std::uint32_t {
        if (y == 5 && x < 2) return 0xFF0000;
        if (y == 6 && x < 2) return 0x0000FF;
        return 0x202020;
    };
    String a = Build(whole, {first, second}, 20, 20, "short-whole.gif");
    String b = Build(smaller, {first, second}, 20, 20, "short-smaller.gif");
    TGIFSubImage* frame = builder_->Result()->Frames().GetFrame(1);
    TGIFGraphicControlExtension* gce = ControlOf(frame);
    ASSERT_TRUE(gce->HasTransparency());
    EXPECT_EQ(gce->TransparentIndex(), 3);
    EXPECT_GT(frame->OwnColorMap().Count(), 3);
    EXPECT_EQ(apptest::DecodeGifWithFFmpeg(b).frames, apptest::DecodeGifWithFFmpeg(a).frames);
}

// Pixels of a 10 x 10 frame that change: 10 (nine tenths unchanged, written whole) and 9
// (more than nine tenths, transparent).
TEST_F(GifBuilderTest, NineTenthsUnchangedIsStillWrittenWhole) {
    struct Case {
        int changed;
        int whole;
    };
    for (Case c : {Case{10, 2}, Case{9, 1}}) {
        TGifBuildSettings s;
        s.floydSteinberg = false;
        auto base = [](int, int) -> std::uint32_t { return 0x204060; };
        auto next = [c](int x, int y) -> std::uint32_t {
            return y * 10 + x < c.changed ? 0xC0C0C0 : 0x204060;
        };
        Build(s, {base, next}, 10, 10, "nine.gif");
        EXPECT_EQ(builder_->WholeFrames(), c.whole) << c.changed;
    }
}

TEST_F(GifBuilderTest, ChangedPixelsUsingEveryIndexGiveAWholeFrame) {
    TGifBuildSettings s;
    s.floydSteinberg = false;
    // 256 colours in the first row of a 256 x 40 frame; the next frame shifts them by one,
    // so its 256 changed pixels use every index while over nine tenths stay.
    // Colours apart in their top bits, so the octree palette keeps all 256.
    auto colourAt = [](int i) -> std::uint32_t {
        return (std::uint32_t(i & 7) << 21) | (std::uint32_t((i >> 3) & 7) << 13) |
               (std::uint32_t((i >> 6) & 3) << 6);
    };
    auto first = [&](int x, int y) -> std::uint32_t { return y == 0 ? colourAt(x) : colourAt(0); };
    auto second = [&](int x, int y) -> std::uint32_t {
        return y == 0 ? colourAt((x + 1) % 256) : colourAt(0);
    };
    Build(s, {first, second, second}, 256, 40, "full.gif");
    // The second frame is written whole; the third equals it and is transparent.
    EXPECT_EQ(builder_->WholeFrames(), 2);
    EXPECT_EQ(builder_->TransparentFrames(), 1);
    EXPECT_FALSE(ControlOf(builder_->Result()->Frames().GetFrame(1))->HasTransparency());
}

TEST_F(GifBuilderTest, GreyScaleAndZoom) {
    TGifBuildSettings s;
    s.colors256 = false;
    s.zoom = 50;
    String path = Build(s, {MovingSquare(0), MovingSquare(1)}, 65, 48, "grey.gif");
    auto decoded = apptest::DecodeGifWithFFmpeg(path);
    EXPECT_EQ(decoded.width, 32);
    EXPECT_EQ(decoded.height, 24);
    for (auto& frame : decoded.frames)
        for (std::uint32_t c : frame) {
            ASSERT_EQ(c >> 16, (c >> 8) & 0xFF);
            ASSERT_EQ(c >> 16, c & 0xFF);
        }
}

} // namespace
