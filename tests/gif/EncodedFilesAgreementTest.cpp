// What our encoder writes, read by others: animations built through TGIFGraphic::AddFrame
// from 24-bit bitmaps drawn here and saved with SaveToStream must decode in giflib to exactly
// our frames (pixels, tables, descriptors, extensions), and in FFmpeg to exactly the screens
// our frames compose to with their disposal methods.
//
// FFmpeg's GIF decoder composes thus (seen with FFmpeg 5.1 on files built by gifbuild, with
// and without a global table, transparency and every disposal): the screen starts as the
// global table's background colour, opaque, when there is a global table and the first frame
// has no transparent index, and fully transparent otherwise; a transparent pixel leaves what
// lies under it; disposal 2 clears the frame's rectangle to transparent when the frame has a
// transparent index, else to the background colour when there is a global table, else to
// transparent; disposal 3 puts back what lay under the frame. Transparent comes out with
// alpha 0 and a colour that varies (white, or black after a clear without a global table),
// so only opaque pixels are compared by colour.
#include "GIFGraphicTestUtil.h"
#include "GifToolsTestUtil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace giftools;
using gifgraphictest::MakeBitmap;
using gifgraphictest::SetPixel24;

namespace {

struct BuiltFrame {
    int left, top, width, height;
    int disposal;
    int delay;
    bool transparent; // the colour of the frame's top-left pixel becomes transparent
};

struct EncodedCase {
    const char* name;
    TReductionMethod reduction;
    int quantizeBits;
    Byte compression;
    bool globalTable; // frames whose colours equal frame 0's share them as the global table
    bool interlaced;  // only frames without a local table can stay interlaced when saved
    int loop;         // -1: no looping extension
    std::vector<BuiltFrame> frames;
};

// Colours of the 216-colour cube, so every reduction keeps them apart.
const Byte kCube[][3] = {{255, 0, 0},    {0, 153, 0},    {0, 0, 255},     {255, 255, 0},
                         {0, 255, 255},  {204, 51, 153}, {255, 255, 255}, {0, 0, 0},
                         {102, 102, 51}, {153, 204, 255}};
constexpr int kCubeColors = sizeof kCube / sizeof kCube[0];

// Bands with a disc in them; seed shifts both so frames differ.
ObjectPtr<TBitmap> Picture(int width, int height, int seed) {
    ObjectPtr<TBitmap> bitmap = MakeBitmap(width, height);
    int cx = (width * (seed + 1)) / (seed + 3), cy = height / 2, r = std::max(1, height / 3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            int i = (x / 5 + y / 4 + seed) % 6;
            if ((x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r) i = 6 + (seed + x / 7) % 4;
            SetPixel24(*bitmap, x, y, kCube[i % kCubeColors][0], kCube[i % kCubeColors][1],
                       kCube[i % kCubeColors][2]);
        }
    return bitmap;
}

TGIFGraphicControlExtension* ControlOf(TGIFSubImage& frame) {
    if (!frame.ControlExtension())
        frame.FrameExtensions().AppendItem(CreateObject<TGIFGraphicControlExtension>(&frame));
    return frame.ControlExtension();
}

void Build(TGIFGraphic& image, const EncodedCase& c) {
    image.SetReductionMethod(c.reduction);
    image.SetQuantizeBits(c.quantizeBits);
    image.SetCompressionKind(c.compression);
    for (size_t i = 0; i < c.frames.size(); ++i) {
        const BuiltFrame& f = c.frames[i];
        ObjectPtr<TBitmap> picture = Picture(f.width, f.height, static_cast<int>(i));
        TGIFSubImage* frame = image.Frames().GetFrame(image.AddFrame(picture.get()));
        frame->SetBoundAt(1, f.left);
        frame->SetBoundAt(2, f.top);
        TGIFGraphicControlExtension* gce = ControlOf(*frame);
        gce->SetDisposalMethod(f.disposal);
        gce->SetFrameDelay(static_cast<Word>(f.delay));
        if (f.transparent) {
            gce->SetHasTransparency(true);
            gce->SetTransparentIndex(frame->PixelAt(0, 0));
        }
    }
    if (c.loop >= 0) {
        auto* loop = CreateObject<TGIFAppExtNSLoop>(image.Frames().GetFrame(0));
        loop->LoopCount = static_cast<Word>(c.loop);
        image.Frames().GetFrame(0)->FrameExtensions().AppendItem(loop);
    }
    if (c.globalTable) {
        image.GlobalColorMap().CopyFrom(image.Frames().GetFrame(0)->OwnColorMap());
        std::vector<TGIFColor> shared = detail::ColorsOf(image.GlobalColorMap());
        for (int i = 0; i < image.Frames().Count(); ++i) {
            TGIFSubImage* frame = image.Frames().GetFrame(i);
            if (detail::ColorsOf(frame->OwnColorMap()) == shared) frame->OwnColorMap().Reset();
        }
    }
    for (int i = 0; i < image.Frames().Count(); ++i)
        image.Frames().GetFrame(i)->SetInterlaced(c.interlaced);
}

// A table is written padded with black to a power of two entries.
FileView Padded(FileView view) {
    auto pad = [](std::vector<TGIFColor>& colors) {
        size_t n = colors.empty() ? 0 : 2;
        while (n < colors.size())
            n *= 2;
        colors.resize(n, TGIFColor{});
    };
    pad(view.globalColors);
    for (FrameView& f : view.frames)
        pad(f.colors);
    return view;
}

// One screen pixel as FFmpeg hands it over: blue, green, red, alpha.
struct Bgra {
    Byte b = 0, g = 0, r = 0, a = 0;
};
using Screen = std::vector<Bgra>;

// The screens our frames compose to, by FFmpeg's rules (see the top of the file).
std::vector<Screen> Compose(TGIFGraphic& image) {
    int w = image.ScreenWidth(), h = image.ScreenHeight();
    TGIFGlobalColorMap& global = image.GlobalColorMap();
    Bgra background;
    if (global.Count() > 0) {
        TGIFColor c = global.Colors()[image.StreamHeader().ScreenDescriptor.BackgroundColorIndex];
        background = {c.Blue, c.Green, c.Red, 255};
    }
    bool firstTransparent = image.Frames().GetFrame(0)->IsTransparent();
    Screen screen(static_cast<size_t>(w) * h, firstTransparent ? Bgra{} : background);
    std::vector<Screen> out;
    for (int i = 0; i < image.Frames().Count(); ++i) {
        TGIFSubImage& frame = *image.Frames().GetFrame(i);
        Screen before = screen;
        TGIFColorMap& map = frame.EffectiveColorMap();
        int t = frame.IsTransparent() ? frame.TransparentIndex() : -1;
        for (int y = 0; y < frame.Height(); ++y)
            for (int x = 0; x < frame.Width(); ++x) {
                int v = frame.PixelAt(x, y);
                if (v == t) continue;
                TGIFColor c = map.Colors()[v];
                screen[static_cast<size_t>(frame.Top() + y) * w + frame.Left() + x] = {
                    c.Blue, c.Green, c.Red, 255};
            }
        out.push_back(screen);
        int disposal = frame.ControlExtension() ? frame.ControlExtension()->DisposalMethod() : 0;
        if (disposal == 2) {
            Bgra clear = frame.IsTransparent() ? Bgra{} : background;
            for (int y = frame.Top(); y < frame.Top() + frame.Height(); ++y)
                for (int x = frame.Left(); x < frame.Left() + frame.Width(); ++x)
                    screen[static_cast<size_t>(y) * w + x] = clear;
        } else if (disposal == 3) {
            screen = before;
        }
    }
    return out;
}

// Where FFmpeg's screen first differs from ours; "" when they agree. Transparent is alpha 0
// whatever the colour.
std::string Difference(const Screen& ours, const Byte* theirs, int width) {
    for (size_t i = 0; i < ours.size(); ++i) {
        const Bgra& a = ours[i];
        const Byte* b = theirs + i * 4;
        bool same =
            a.a == 0 ? b[3] == 0 : (b[3] == 255 && a.b == b[0] && a.g == b[1] && a.r == b[2]);
        if (!same)
            return "at (" + std::to_string(i % width) + ", " + std::to_string(i / width) +
                   "): ours " + std::to_string(a.r) + "," + std::to_string(a.g) + "," +
                   std::to_string(a.b) + "/" + std::to_string(a.a) + ", FFmpeg's " +
                   std::to_string(b[2]) + "," + std::to_string(b[1]) + "," + std::to_string(b[0]) +
                   "/" + std::to_string(b[3]);
    }
    return "";
}

BuiltFrame Full(int w, int h, int disposal = 1, int delay = 10, bool transparent = false) {
    return {0, 0, w, h, disposal, delay, transparent};
}

const EncodedCase kCases[] = {
    {"one_frame", redNetscape, 8, kCompressLZW, false, false, -1, {Full(37, 23)}},
    {"quantized_few_colours",
     redQuantize,
     2,
     kCompressLZW,
     false,
     false,
     0,
     {Full(30, 20), {3, 4, 20, 10, 1, 5, false}, {10, 0, 15, 20, 1, 5, true}}},
    {"monochrome",
     redMonochrome,
     8,
     kCompressLZW,
     false,
     false,
     2,
     {Full(64, 9), {1, 1, 40, 7, 1, 3, true}}},
    {"transparency_and_keep",
     redNetscape,
     8,
     kCompressLZW,
     false,
     false,
     0,
     {Full(48, 32, 1, 10, true), {5, 5, 20, 20, 1, 10, true}, {20, 8, 28, 24, 0, 10, true}}},
    {"restore_background",
     redNetscape,
     8,
     kCompressLZW,
     false,
     false,
     0,
     {Full(40, 30),
      {4, 4, 16, 12, 2, 8, false},
      {20, 10, 18, 18, 2, 8, true},
      {0, 0, 40, 30, 1, 8, true}}},
    {"restore_previous",
     redNetscape,
     8,
     kCompressLZW,
     false,
     false,
     0,
     {Full(40, 30),
      {4, 4, 16, 12, 3, 8, false},
      {10, 10, 25, 18, 3, 8, true},
      {12, 2, 9, 9, 1, 8, false}}},
    {"global_table_interlaced",
     redNetscape,
     8,
     kCompressLZW,
     true,
     true,
     5,
     {Full(50, 41),
      {7, 3, 30, 30, 2, 4, false},
      {0, 20, 50, 21, 1, 4, true},
      {2, 2, 5, 5, 3, 4, false}}},
    {"global_table_first_transparent",
     redNetscape,
     8,
     kCompressLZW,
     true,
     false,
     0,
     {Full(20, 12, 2, 6, true), {2, 2, 10, 6, 2, 6, false}, Full(20, 12, 1, 6, true)}},
    {"run_length",
     redNetscape,
     8,
     kCompressRLE,
     false,
     false,
     0,
     {Full(61, 33), {3, 3, 40, 20, 2, 5, true}, {0, 0, 61, 33, 3, 5, false}}},
    {"one_pixel_frames",
     redNetscape,
     8,
     kCompressLZW,
     false,
     false,
     0,
     {Full(1, 1), Full(1, 1, 2, 2, true), Full(1, 1, 3, 2, false)}},
    {"large",
     redNetscape,
     8,
     kCompressLZW,
     false,
     false,
     0,
     {Full(640, 480), {100, 50, 400, 300, 2, 4, true}, {0, 0, 640, 480, 1, 4, false}}},
};

class EncodedFiles : public ::testing::TestWithParam<EncodedCase> {
protected:
    void SetUp() override {
        image = MakeObject<TGIFGraphic>();
        // A frame moved within the screen, or a transparent index, may warn: not our subject.
        image->SetWarningHandler([](TObject*, int, const String&) {});
        Build(*image, GetParam());
        TMemoryStream stream;
        image->SaveToStream(stream);
        WriteFile(file = folder.File("ours.gif"), stream.Memory(),
                  static_cast<size_t>(stream.Size()));
    }

    test_support::TempFolder folder{"korvid-giftools-"};
    ObjectPtr<TGIFGraphic> image;
    std::string file;
};

TEST_P(EncodedFiles, GiflibReadsOurFrames) {
    std::string error;
    FileView theirs = GiflibView(file, error);
    ASSERT_TRUE(error.empty()) << error;
    ASSERT_EQ(theirs.frames.size(), GetParam().frames.size());
    ExpectSameView(Padded(OurView(*image)), theirs);
}

TEST_P(EncodedFiles, FFmpegShowsTheScreensOurFramesCompose) {
    ASSERT_TRUE(Have(kFfmpeg));
    bool ok = false;
    std::string log = folder.File("ffmpeg.log");
    Bytes raw = Capture(std::string(kFfmpeg.path) + " -v error -nostdin -i " + Quote(file) +
                            " -fps_mode passthrough -f rawvideo -pix_fmt bgra - 2>" + Quote(log),
                        ok);
    Bytes said = ReadFile(log);
    ASSERT_TRUE(ok) << std::string(said.begin(), said.end());
    EXPECT_TRUE(said.empty()) << std::string(said.begin(), said.end());
    std::vector<Screen> ours = Compose(*image);
    size_t screenBytes = static_cast<size_t>(image->ScreenWidth()) * image->ScreenHeight() * 4;
    ASSERT_EQ(raw.size(), ours.size() * screenBytes) << "FFmpeg gave another number of screens";
    for (size_t i = 0; i < ours.size(); ++i)
        EXPECT_EQ(Difference(ours[i], raw.data() + i * screenBytes, image->ScreenWidth()), "")
            << "screen " << i;
}

INSTANTIATE_TEST_SUITE_P(Cases, EncodedFiles, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<EncodedCase>& test) {
                             return std::string(test.param.name);
                         });

} // namespace

TEST(EncodedRunLength, RunPastAFullCodeTableReadsBackInGiflib) {
    // With a 256-colour table the first run of 31878 pixels (1 + 2 + ... + 252) leaves a run
    // table of 252 codes, one pixel of another colour follows, and the run of four million
    // pixels after it would need more repeats of the longest run than the code table has
    // codes left: the encoder clears and starts that run anew.
    constexpr int kWidth = 2000, kHeight = 2016;
    constexpr Int64 kFirstRun = 252 * 253 / 2;
    ObjectPtr<TGIFGraphic> image = MakeObject<TGIFGraphic>();
    image->SetCompressionKind(kCompressRLE);
    TGIFSubImage* frame = CreateObject<TGIFSubImage>(image.get());
    image->AddFrame(frame);
    frame->ChangeBounds(0, 0, kWidth, kHeight);
    for (int i = 0; i < 256; ++i)
        frame->OwnColorMap().AppendColor(RGB(i, 255 - i, i / 2));
    frame->Data()[kFirstRun] = 1;
    test_support::TempFolder folder{"korvid-giftools-"};
    TMemoryStream stream;
    image->SaveToStream(stream);
    const std::string file = folder.File("runs.gif");
    WriteFile(file, stream.Memory(), static_cast<size_t>(stream.Size()));

    std::string error;
    FileView theirs = GiflibView(file, error);
    ASSERT_EQ(error, "");
    ASSERT_EQ(theirs.frames.size(), 1u);
    const Bytes& pixels = theirs.frames[0].pixels;
    ASSERT_EQ(pixels.size(), size_t(kWidth) * kHeight);
    EXPECT_TRUE(std::equal(pixels.begin(), pixels.end(), frame->Data()));
    EXPECT_EQ(pixels[kFirstRun], 1);
    EXPECT_EQ(std::count(pixels.begin(), pixels.end(), Byte(1)), 1);
}
