// Frame optimisation must not change what a file shows: animations built here are saved,
// optimised with TGIFGraphic::OptimizeFrames and saved again, and FFmpeg must show the same
// screens for the same time from both files. Each screen counts for its frame's delay (as
// giflib reads it), so a frame that goes must leave its time to the frame before it.
// Transparent pixels come out of FFmpeg with alpha 0 and a colour that varies, so they are
// compared by their alpha alone.
#include "GIFGraphicTestUtil.h"
#include "GifToolsTestUtil.h"

#include <gtest/gtest.h>

#include <cstring>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

using namespace giftools;

namespace {

constexpr int kNone = -1;

struct OptimizedFrame {
    TRect rect;
    // Opaque within this part of the frame (screen coordinates), transparent around it
    // (when transparent is not kNone); an empty rectangle gives a wholly transparent frame.
    TRect opaque;
    Byte pixel;              // the opaque pixels' index
    int transparent;         // the index of the transparent pixels, kNone for none
    std::vector<TColor> own; // the local map; empty: the frame uses the global one
    int disposal;
    int delay;
};

struct OptimizedCase {
    const char* name;
    int width, height;
    std::vector<TColor> global;
    int background;
    Byte options;
    std::vector<OptimizedFrame> frames;
};

const TColor kRed = RGB(255, 0, 0), kGreen = RGB(0, 160, 0), kBlue = RGB(0, 0, 255),
             kYellow = RGB(255, 255, 0), kKey = RGB(9, 9, 9);

// A frame of one colour from its own two-entry map; index 1 stands for transparency.
OptimizedFrame Solid(TRect rect, TColor color, int disposal, int delay = 10) {
    return {rect, rect, 0, kNone, {color, kKey}, disposal, delay};
}

// A transparent frame opaque only within `opaque`.
OptimizedFrame Holed(TRect rect, TRect opaque, TColor color, int disposal, int delay = 10) {
    return {rect, opaque, 0, 1, {color, kKey}, disposal, delay};
}

void PrintTo(const OptimizedCase& c, std::ostream* out) {
    *out << c.name;
}

void Build(TGIFGraphic& image, const OptimizedCase& c) {
    image.SetScreenWidth(c.width);
    image.SetScreenHeight(c.height);
    for (TColor color : c.global)
        image.GlobalColorMap().AppendColor(color);
    image.StreamHeader().ScreenDescriptor.BackgroundColorIndex = static_cast<Byte>(c.background);
    for (const OptimizedFrame& f : c.frames) {
        TGIFSubImage* frame = CreateObject<TGIFSubImage>(&image);
        frame->ChangeBounds(f.rect.left, f.rect.top, f.rect.right - f.rect.left,
                            f.rect.bottom - f.rect.top);
        for (TColor color : f.own)
            frame->OwnColorMap().AppendColor(color);
        for (int y = 0; y < frame->Height(); ++y)
            for (int x = 0; x < frame->Width(); ++x) {
                int sx = f.rect.left + x, sy = f.rect.top + y;
                bool inside = sx >= f.opaque.left && sx < f.opaque.right && sy >= f.opaque.top &&
                              sy < f.opaque.bottom;
                frame->RowAt(y)[x] =
                    inside || f.transparent == kNone ? f.pixel : static_cast<Byte>(f.transparent);
            }
        image.AddFrame(frame);
        auto* gce = CreateObject<TGIFGraphicControlExtension>(frame);
        frame->FrameExtensions().AppendItem(gce);
        gce->SetDisposalMethod(f.disposal);
        gce->SetFrameDelay(static_cast<Word>(f.delay));
        if (f.transparent != kNone) {
            gce->SetHasTransparency(true);
            gce->SetTransparentIndex(f.transparent);
        }
    }
}

// A case on an 8 x 6 screen without a global map.
OptimizedCase OnScreen(const char* name, Byte options, std::vector<OptimizedFrame> frames) {
    return {name, 8, 6, {}, 0, options, std::move(frames)};
}

const TRect kScreen = Rect(0, 0, 8, 6), kCorner = Rect(0, 0, 1, 1), kNothing = Rect(0, 0, 0, 0);

const OptimizedCase kCases[] = {
    // Sorting the global map must keep the background colour, which no pixel uses, and the
    // index that names it.
    {"colour_maps_keep_the_background",
     8,
     6,
     {kRed, kGreen, kBlue, kYellow},
     2,
     kOptimizeColorMaps,
     {{Rect(2, 2, 6, 5), Rect(2, 2, 6, 5), 1, kNone, {}, 1, 10},
      {Rect(0, 0, 3, 3), Rect(0, 0, 3, 3), 3, kNone, {}, 1, 10}}},
    // A frame that clears its area keeps doing so when the next frame covers only part of it.
    OnScreen("cleanup_keeps_a_clear_the_next_frame_does_not_cover", kOptimizeCleanup,
             {Solid(kScreen, kRed, 1), Solid(Rect(1, 1, 7, 5), kGreen, 2),
              Solid(Rect(3, 2, 5, 4), kBlue, 1), Solid(kCorner, kYellow, 1)}),
    // Nor when the next frame, covering it all, puts back what was before it.
    OnScreen("cleanup_keeps_a_clear_under_a_frame_that_restores", kOptimizeCleanup,
             {Solid(kScreen, kRed, 1), Solid(Rect(1, 1, 7, 5), kGreen, 2), Solid(kScreen, kBlue, 3),
              Solid(kCorner, kYellow, 1)}),
    // A covering opaque frame makes the clear needless: dropping it changes nothing seen.
    OnScreen("cleanup_drops_a_clear_that_the_next_frame_covers", kOptimizeCleanup,
             {Solid(kScreen, kRed, 1), Solid(Rect(1, 1, 7, 5), kGreen, 2), Solid(kScreen, kBlue, 1),
              Solid(kCorner, kYellow, 1)}),
    // Cropping a frame that clears its area would clear less of the screen.
    OnScreen("crop_keeps_the_whole_area_a_frame_clears", kOptimizeCrop,
             {Solid(kScreen, kRed, 1), Holed(kScreen, Rect(3, 2, 5, 4), kGreen, 2),
              Solid(kCorner, kYellow, 1)}),
    OnScreen(
        "crop_keeps_a_transparent_frame_that_clears_the_screen", kOptimizeCrop,
        {Solid(kScreen, kRed, 1), Holed(kScreen, kNothing, kGreen, 2), Solid(kCorner, kYellow, 1)}),
    // A frame that shows nothing goes, and the frame before it is shown for its time too.
    OnScreen("crop_gives_the_time_of_a_frame_that_goes_to_the_one_before", kOptimizeCrop,
             {Solid(kScreen, kRed, 1, 10), Holed(kScreen, kNothing, kGreen, 1, 20),
              Solid(kCorner, kYellow, 1, 10)}),
    OnScreen(
        "crop_keeps_a_first_frame_that_shows_nothing", kOptimizeCrop,
        {Holed(kScreen, kNothing, kGreen, 1), Solid(kScreen, kRed, 1), Solid(kCorner, kYellow, 1)}),
    OnScreen("crop_trims_a_frame_that_stays", kOptimizeCrop,
             {Solid(kScreen, kRed, 1), Holed(kScreen, Rect(3, 2, 5, 4), kGreen, 1),
              Holed(Rect(2, 1, 8, 6), Rect(2, 1, 4, 3), kBlue, 3), Solid(kCorner, kYellow, 1)}),
    // A repeated frame merges away; all passes together.
    OnScreen("everything_on_a_repeated_frame",
             kOptimizeCrop | kOptimizeMerge | kOptimizeCleanup | kOptimizeColorMaps,
             {Solid(kScreen, kRed, 1), Solid(kScreen, kRed, 1), Solid(Rect(2, 2, 8, 6), kBlue, 1),
              Solid(kCorner, kYellow, 1)}),
};

// The screens FFmpeg shows for a file, each repeated for its frame's delay.
std::vector<Bytes> Timeline(const std::string& file, int width, int height, std::string& error) {
    FileView view = GiflibView(file, error);
    if (!error.empty()) return {};
    bool ok = false;
    Bytes raw = Capture(std::string(kFfmpeg.path) + " -v error -nostdin -i " + Quote(file) +
                            " -fps_mode passthrough -f rawvideo -pix_fmt bgra - 2>/dev/null",
                        ok);
    size_t screenBytes = size_t(width) * height * 4;
    if (!ok || raw.size() != view.frames.size() * screenBytes) {
        error = "FFmpeg gave " + std::to_string(raw.size() / screenBytes) + " screens for " +
                std::to_string(view.frames.size()) + " frames";
        return {};
    }
    std::vector<Bytes> timeline;
    for (size_t i = 0; i < view.frames.size(); ++i) {
        Bytes screen(raw.begin() + i * screenBytes, raw.begin() + (i + 1) * screenBytes);
        for (size_t p = 0; p < screen.size(); p += 4)
            if (screen[p + 3] == 0) screen[p] = screen[p + 1] = screen[p + 2] = 0;
        for (int t = 0; t < view.frames[i].delay; ++t)
            timeline.push_back(screen);
    }
    return timeline;
}

// Where two screens first differ, for a readable failure.
std::string Difference(const Bytes& before, const Bytes& after, int width) {
    for (size_t p = 0; p < before.size(); p += 4)
        if (std::memcmp(&before[p], &after[p], 4) != 0) {
            auto bgra = [&](const Bytes& s) {
                return std::to_string(s[p + 2]) + "," + std::to_string(s[p + 1]) + "," +
                       std::to_string(s[p]) + "/" + std::to_string(s[p + 3]);
            };
            return "at (" + std::to_string(p / 4 % width) + ", " + std::to_string(p / 4 / width) +
                   "): " + bgra(before) + " before, " + bgra(after) + " after";
        }
    return "";
}

class OptimizedFiles : public ::testing::TestWithParam<OptimizedCase> {};

TEST_P(OptimizedFiles, FFmpegShowsWhatTheFileShowedBefore) {
    ASSERT_TRUE(Have(kFfmpeg));
    const OptimizedCase& c = GetParam();
    test_support::TempFolder folder{"korvid-giftools-"};
    ObjectPtr<TGIFGraphic> image = MakeObject<TGIFGraphic>();
    image->SetWarningHandler([](TObject*, int, const String&) {});
    Build(*image, c);
    auto save = [&](const std::string& name) {
        TMemoryStream stream;
        image->SaveToStream(stream);
        WriteFile(folder.File(name), stream.Memory(), static_cast<size_t>(stream.Size()));
        return folder.File(name);
    };
    const std::string before = save("before.gif");
    image->OptimizeFrames(c.options, redNone, 8, dtNearest);
    const std::string after = save("after.gif");

    std::string error;
    std::vector<Bytes> shown = Timeline(before, c.width, c.height, error);
    ASSERT_EQ(error, "") << "before";
    std::vector<Bytes> optimized = Timeline(after, c.width, c.height, error);
    ASSERT_EQ(error, "") << "after";
    ASSERT_EQ(optimized.size(), shown.size()) << "the animation's length changed";
    for (size_t t = 0; t < shown.size(); ++t)
        ASSERT_EQ(Difference(shown[t], optimized[t], c.width), "") << "at " << t << "/100 s";
}

INSTANTIATE_TEST_SUITE_P(Cases, OptimizedFiles, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<OptimizedCase>& test) {
                             return std::string(test.param.name);
                         });

} // namespace
