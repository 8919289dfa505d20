// GIFs made at test time by giflib's gifbuild (exact shapes from a text description) and by
// ImageMagick's convert (what a common writer makes of pictures), loaded through
// TGIFGraphic::LoadFromStream and compared with giflib's DGifSlurp frame by frame: position,
// size, interlace flag, index pixels, the colour table used, delay, disposal, user input,
// transparent index, comments and the loop count.
#include "GifToolsTestUtil.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

using namespace giftools;

namespace {

// --- files described for gifbuild ---

constexpr int kNoControl = -1; // disposal: no graphic control extension at all

struct BuiltFrame {
    int left, top, width, height;
    int localBits; // 0: the frame uses the global table
    bool interlaced = false;
    int disposal = kNoControl;
    int delay = 0;
    int transparent = -1; // -1: none
    const char* comment = nullptr;
    bool userInput = false;
};

struct BuiltCase {
    std::string name;
    int screenWidth, screenHeight;
    int globalBits; // 0: no global table
    int background;
    int loop; // -1: no looping extension
    std::vector<BuiltFrame> frames;
    const char* trailingComment = nullptr;
};

// Colours that differ per table and per entry, so a wrong table shows.
void WriteMap(std::ostream& out, int bits, int salt) {
    for (int i = 0; i < (1 << bits); ++i)
        out << "\trgb " << (i * 37 + salt) % 256 << ' ' << (i * 91 + salt * 3) % 256 << ' '
            << (255 - i + salt) % 256 << "\n";
    out << "end\n";
}

// Every index of the table appears in a frame of any size, in an order that does not repeat
// along rows or columns.
int PixelValue(int x, int y, int frameIndex, int colors) {
    return (x * 7 + y * 3 + frameIndex * 5 + (x * y) % 11) % colors;
}

std::string Describe(const BuiltCase& c) {
    std::ostringstream out;
    out << "screen width " << c.screenWidth << "\nscreen height " << c.screenHeight << "\n";
    // Without a map gifbuild writes no global table.
    out << "screen colors " << (1 << std::max(c.globalBits, 1)) << "\n";
    out << "screen background " << c.background << "\n";
    if (c.globalBits > 0) {
        out << "screen map\n";
        WriteMap(out, c.globalBits, 0);
    }
    if (c.loop >= 0) out << "\nnetscape loop " << c.loop << "\n";
    for (size_t i = 0; i < c.frames.size(); ++i) {
        const BuiltFrame& f = c.frames[i];
        out << "\n";
        if (f.disposal != kNoControl) {
            out << "graphics control\n\tdisposal mode " << f.disposal << "\n\tuser input flag "
                << (f.userInput ? "on" : "off") << "\n\tdelay " << f.delay
                << "\n\ttransparent index " << f.transparent << "\nend\n\n";
        }
        if (f.comment) out << "comment\n" << f.comment << "\nend\n\n";
        out << "image\nimage left " << f.left << "\nimage top " << f.top << "\n";
        if (f.interlaced) out << "image interlaced\n";
        if (f.localBits > 0) {
            out << "image map\n";
            WriteMap(out, f.localBits, static_cast<int>(i) * 50 + 11);
        }
        int colors = 1 << (f.localBits > 0 ? f.localBits : c.globalBits);
        out << "image bits " << f.width << " by " << f.height << " hex\n";
        char hex[3];
        for (int y = 0; y < f.height; ++y) {
            for (int x = 0; x < f.width; ++x) {
                std::snprintf(hex, sizeof hex, "%02x",
                              PixelValue(x, y, static_cast<int>(i), colors));
                out << hex;
            }
            out << "\n";
        }
    }
    if (c.trailingComment) out << "\ncomment\n" << c.trailingComment << "\nend\n";
    return out.str();
}

BuiltFrame Plain(int w, int h, int localBits = 0, int left = 0, int top = 0) {
    BuiltFrame f{};
    f.left = left;
    f.top = top;
    f.width = w;
    f.height = h;
    f.localBits = localBits;
    return f;
}

BuiltFrame Controlled(BuiltFrame f, int disposal, int delay, int transparent) {
    f.disposal = disposal;
    f.delay = delay;
    f.transparent = transparent;
    return f;
}

std::vector<BuiltCase> BuiltCases() {
    std::vector<BuiltCase> cases;
    // One frame at every table size, global and local, plain and interlaced.
    for (int bits = 1; bits <= 8; ++bits) {
        cases.push_back(
            {"global" + std::to_string(bits), 23, 17, bits, bits - 1, -1, {Plain(23, 17)}});
        BuiltFrame local = Plain(19, 13, bits, 2, 3);
        local.interlaced = true;
        cases.push_back({"local" + std::to_string(bits) + "i", 25, 20, 0, 0, -1, {local}});
    }
    // Every height an interlaced frame can end its passes at.
    for (int h : {1, 2, 3, 4, 5, 7, 8, 9, 15, 16, 17}) {
        BuiltFrame f = Plain(5, h, 0);
        f.interlaced = true;
        cases.push_back({"interlaced_h" + std::to_string(h), 5, h, 3, 0, -1, {f}});
    }
    cases.push_back({"one_pixel", 1, 1, 1, 0, -1, {Plain(1, 1)}});
    cases.push_back({"one_pixel_local8", 1, 1, 0, 0, -1, {Plain(1, 1, 8)}});
    {
        BuiltFrame big = Plain(640, 480, 8);
        big.interlaced = true;
        cases.push_back(
            {"large_interlaced", 640, 480, 2, 1, -1, {big, Plain(600, 400, 0, 40, 80)}});
    }
    // Every disposal, the undefined ones included, with and without transparency.
    {
        BuiltCase c{"every_disposal", 12, 9, 4, 3, 0, {}};
        for (int d = 0; d <= 7; ++d)
            c.frames.push_back(Controlled(Plain(4 + d % 3, 3 + d % 4, d % 2 ? 3 : 0, d, d % 5), d,
                                          d * 7, d % 3 == 0 ? -1 : d + 1));
        cases.push_back(c);
    }
    // Transparent indices at both ends of the table and past it.
    {
        BuiltCase c{"transparent_indices",
                    8,
                    8,
                    2,
                    0,
                    1,
                    {Controlled(Plain(8, 8), 1, 10, 0), Controlled(Plain(8, 8), 1, 10, 3),
                     Controlled(Plain(8, 8, 1), 2, 10, 1), Controlled(Plain(8, 8, 1), 2, 10, 200)}};
        cases.push_back(c);
    }
    for (int loop : {0, 1, 65535})
        cases.push_back(
            {"loop" + std::to_string(loop),
             6,
             4,
             2,
             0,
             loop,
             {Controlled(Plain(6, 4), 0, 50, -1), Controlled(Plain(3, 2, 0, 1, 1), 0, 65535, 2)}});
    {
        BuiltFrame waits = Controlled(Plain(3, 3), 1, 200, -1);
        waits.userInput = true;
        cases.push_back({"user_input", 3, 3, 1, 0, -1, {waits}});
    }
    {
        BuiltFrame first = Controlled(Plain(10, 6), 0, 5, -1);
        first.comment = "made by gifbuild";
        BuiltFrame second = Plain(4, 4, 2, 3, 1);
        second.comment = "two\nlines";
        BuiltCase c{"comments", 10, 6, 3, 0, -1, {first, second}};
        c.trailingComment = "after the last image";
        cases.push_back(c);
    }
    // A frame reaching past the logical screen keeps its own descriptor.
    cases.push_back({"past_the_screen", 4, 2, 2, 0, -1, {Plain(4, 2), Plain(3, 3, 0, 2, 1)}});
    // Several frames, local and global tables mixed, most options at once.
    {
        BuiltCase c{"mixed_animation", 40, 30, 5, 7, 0, {}};
        for (int i = 0; i < 6; ++i) {
            BuiltFrame f =
                Controlled(Plain(40 - i * 6, 30 - i * 4, i % 2 ? 1 + i : 0, i * 3, i * 2), i % 4,
                           3 + i, i % 2 ? 1 : -1);
            f.interlaced = i % 3 == 1;
            c.frames.push_back(f);
        }
        cases.push_back(c);
    }
    return cases;
}

class GifbuildFiles : public ::testing::TestWithParam<BuiltCase> {};

TEST_P(GifbuildFiles, LoadAsGiflibReadsThem) {
    ASSERT_TRUE(Have(kGifbuild));
    test_support::TempFolder folder{"korvid-giftools-"};
    std::string text = folder.File("in.txt"), gif = folder.File("out.gif");
    std::string description = Describe(GetParam());
    WriteFile(text, description.data(), description.size());
    ASSERT_TRUE(RunShell(std::string(kGifbuild.path) + " " + Quote(text) + " > " + Quote(gif)))
        << "gifbuild refused:\n"
        << description;

    std::string error;
    FileView theirs = GiflibView(gif, error);
    ASSERT_TRUE(error.empty()) << error;
    ASSERT_EQ(theirs.frames.size(), GetParam().frames.size());
    std::vector<String> warnings;
    ObjectPtr<TGIFGraphic> image = LoadOurs(gif, warnings);
    ExpectSameView(OurView(*image), theirs);
    EXPECT_TRUE(warnings.empty()) << warnings.front();
}

INSTANTIATE_TEST_SUITE_P(Cases, GifbuildFiles, ::testing::ValuesIn(BuiltCases()),
                         [](const ::testing::TestParamInfo<BuiltCase>& test) {
                             return test.param.name;
                         });

// --- files written by ImageMagick ---

struct ConvertCase {
    const char* name;
    const char* arguments; // everything between convert and the output file
};

// -seed makes the plasma pictures repeatable; without dithering the colour reduction is quick.
const ConvertCase kConvertCases[] = {
    {"gradient_interlaced", "-size 64x48 gradient:red-blue -dither None -colors 32 -interlace GIF"},
    {"plasma_256", "-seed 7 -size 90x70 plasma: -dither None -colors 256"},
    {"plasma_5_colours", "-seed 3 -size 33x21 plasma: -dither None -colors 5"},
    {"monochrome", "-size 41x9 gradient: -monochrome"},
    {"one_pixel", "-size 1x1 xc:orange"},
    {"transparent", "-size 20x20 xc:white -fill red -draw 'circle 10,10 10,4' -transparent white"},
    {"dispose_background_loop",
     "-delay 7 -dispose Background -size 30x20 xc:red -size 30x20 gradient:yellow-green "
     "-size 30x20 xc:blue -loop 3 -dither None -colors 16"},
    {"dispose_previous_transparent",
     "-delay 4 -dispose Previous -size 24x24 pattern:checkerboard "
     "\\( -size 24x24 xc:none -fill blue -draw 'rectangle 3,3 12,20' \\) -loop 0"},
    {"layers_optimize",
     "-delay 3 -size 48x32 xc:white "
     "\\( -size 48x32 xc:white -fill black -draw 'rectangle 4,4 19,19' \\) "
     "\\( -size 48x32 xc:white -fill black -draw 'rectangle 14,6 30,22' \\) "
     "\\( -size 48x32 xc:white -fill green -draw 'circle 30,16 30,4' \\) -layers optimize"},
    {"layers_optimize_transparency",
     "-delay 3 -seed 5 -size 40x30 plasma: \\( +clone -fill red -draw 'rectangle 5,5 15,15' \\) "
     "\\( +clone -fill blue -draw 'rectangle 20,10 35,25' \\) -dither None -colors 64 "
     "-layers OptimizeTransparency"},
    {"interlaced_animation", "-delay 10 -size 50x37 gradient:white-black -size 50x37 "
                             "gradient:red-blue -dither None -colors 64 "
                             "-interlace GIF -loop 0"},
    {"comment", "-size 8x8 xc:teal -set comment 'made by convert'"},
    {"large_noise", "-seed 11 -size 700x500 plasma: -dither None -colors 256 -interlace GIF"},
};

class ConvertFiles : public ::testing::TestWithParam<ConvertCase> {};

TEST_P(ConvertFiles, LoadAsGiflibReadsThem) {
    ASSERT_TRUE(Have(kConvert));
    test_support::TempFolder folder{"korvid-giftools-"};
    std::string gif = folder.File("out.gif");
    std::string command =
        std::string(kConvert.path) + " " + GetParam().arguments + " " + Quote(gif);
    ASSERT_TRUE(RunShell(command)) << "convert refused: " << command;

    std::string error;
    FileView theirs = GiflibView(gif, error);
    ASSERT_TRUE(error.empty()) << error;
    ASSERT_FALSE(theirs.frames.empty());
    std::vector<String> warnings;
    ObjectPtr<TGIFGraphic> image = LoadOurs(gif, warnings);
    ExpectSameView(OurView(*image), theirs);
    EXPECT_TRUE(warnings.empty()) << warnings.front();
}

INSTANTIATE_TEST_SUITE_P(Cases, ConvertFiles, ::testing::ValuesIn(kConvertCases),
                         [](const ::testing::TestParamInfo<ConvertCase>& test) {
                             return std::string(test.param.name);
                         });

} // namespace
