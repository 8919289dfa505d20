// Looping GIFs made by giflib's gifbuild, drawn the way a picture control draws them (the
// default options without dithering, through the rendered bitmap) and watched for two
// passes: the screens must be the ones FFmpeg decodes when it loops the file. FFmpeg starts
// every pass afresh; what it leaves transparent must show what lay under the picture.
#include "GifToolsTestUtil.h"
#include "PainterTestUtil.h"

#include <gtest/gtest.h>

#include <cstring>
#include <ostream>
#include <string>
#include <vector>

using namespace giftools;
using namespace paintertest;

namespace {

struct PaintedCase {
    const char* name;
    int width, height;
    int frames;
    const char* description; // for gifbuild; every file loops forever
};

// Four colours; index 3 is the transparent one wherever a frame has transparency.
constexpr const char* kMap = "\trgb 255 0 0\n\trgb 0 160 0\n\trgb 0 0 255\n\trgb 255 255 0\nend\n";

std::string Control(int disposal, bool transparent) {
    return std::string("graphics control\n\tdisposal mode ") + std::to_string(disposal) +
           "\n\tdelay 5\n\ttransparent index " + (transparent ? "3" : "-1") + "\nend\n";
}

std::string Image(int left, int top, int width, const std::vector<const char*>& rows) {
    std::string out = "image\nimage left " + std::to_string(left) + "\nimage top " +
                      std::to_string(top) + "\nimage bits " + std::to_string(width) + " by " +
                      std::to_string(rows.size()) + " hex\n";
    for (const char* row : rows)
        out += std::string(row) + "\n";
    return out + "\n";
}

std::string Screen(int width, int height) {
    return "screen width " + std::to_string(width) + "\nscreen height " + std::to_string(height) +
           "\nscreen colors 4\nscreen background 0\nscreen map\n" + kMap + "\nnetscape loop 0\n\n";
}

const std::string kBuiltUp = Screen(4, 2) + Control(1, true) +
                             Image(0, 0, 4, {"00030303", "03030303"}) + Control(1, false) +
                             Image(2, 0, 2, {"0202", "0202"});
const std::string kRestorePrevious = Screen(6, 2) + Control(1, true) +
                                     Image(0, 0, 6, {"000303030303", "030303030303"}) +
                                     Control(3, false) + Image(1, 0, 3, {"010101", "010101"}) +
                                     Control(1, false) + Image(4, 1, 2, {"0202"});
const std::string kRestoreBackground = Screen(6, 2) + Control(1, true) +
                                       Image(0, 0, 6, {"030303030300", "030303030303"}) +
                                       Control(2, true) + Image(0, 0, 4, {"01010303", "01010101"}) +
                                       Control(1, true) + Image(3, 0, 3, {"020303", "030302"});

const PaintedCase kCases[] = {
    {"frames_built_up_on_a_transparent_first_frame", 4, 2, 2, kBuiltUp.c_str()},
    {"restore_previous", 6, 2, 3, kRestorePrevious.c_str()},
    {"restore_background", 6, 2, 3, kRestoreBackground.c_str()},
};

void PrintTo(const PaintedCase& c, std::ostream* out) {
    *out << c.name;
}

class PaintedFiles : public PainterFixture, public ::testing::WithParamInterface<PaintedCase> {};

TEST_P(PaintedFiles, TwoPassesShowWhatFFmpegShowsLoopingTheFile) {
    ASSERT_TRUE(Have(kGifbuild));
    ASSERT_TRUE(Have(kFfmpeg));
    const PaintedCase& c = GetParam();
    test_support::TempFolder folder{"korvid-giftools-"};
    const std::string text = folder.File("in.txt"), file = folder.File("looping.gif");
    WriteFile(text, c.description, std::strlen(c.description));
    ASSERT_TRUE(RunShell(std::string(kGifbuild.path) + " " + Quote(text) + " > " + Quote(file)))
        << c.description;

    const int shots = 2 * c.frames;
    bool ok = false;
    Bytes raw = Capture(std::string(kFfmpeg.path) + " -v error -nostdin -ignore_loop 0 -i " +
                            Quote(file) + " -frames:v " + std::to_string(shots) +
                            " -fps_mode passthrough -f rawvideo -pix_fmt bgra - 2>/dev/null",
                        ok);
    const size_t screenBytes = size_t(c.width) * c.height * 4;
    ASSERT_TRUE(ok);
    ASSERT_EQ(raw.size(), shots * screenBytes);

    std::vector<String> warnings;
    ObjectPtr<TGIFGraphic> image = LoadOurs(file, warnings);
    image->SetPaintOptions(kGIFDefaultPaintOptions & ~drDither);
    const TColor under = RGB(128, 128, 128);
    auto canvas = gifgraphictest::MakeBitmap(c.width, c.height);
    canvas->Canvas()->Brush()->SetColor(under);
    canvas->Canvas()->FillRect(Rect(0, 0, c.width, c.height));
    std::vector<std::vector<TColor>> seen;
    TGIFPaintHandlers handlers;
    handlers.FrameDoneHandler = [&](TObject* sender) {
        std::vector<TColor> pixels;
        for (int y = 0; y < c.height; ++y)
            for (int x = 0; x < c.width; ++x)
                pixels.push_back(image->RenderedBitmap()->Canvas()->Pixels(x, y));
        seen.push_back(pixels);
        if (int(seen.size()) == shots) static_cast<TGIFPainter*>(sender)->StopPainting();
    };
    image->SetPaintHandlers(handlers);
    canvas->Canvas()->StretchDraw(Rect(0, 0, c.width, c.height), image.get());
    ASSERT_TRUE(Serve([&] { return image->PainterCount() == 0; }));

    ASSERT_EQ(int(seen.size()), shots);
    for (int i = 0; i < shots; ++i)
        for (int p = 0; p < c.width * c.height; ++p) {
            const Byte* theirs = raw.data() + i * screenBytes + p * 4;
            const TColor expected = theirs[3] == 0 ? under : RGB(theirs[2], theirs[1], theirs[0]);
            ASSERT_EQ(seen[i][p], expected)
                << "screen " << i << " at (" << p % c.width << ", " << p / c.width << ")";
        }
}

INSTANTIATE_TEST_SUITE_P(Cases, PaintedFiles, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<PaintedCase>& test) {
                             return std::string(test.param.name);
                         });

} // namespace
