#pragma once
// What the agreement tests need around the outside GIF tools: a check that a tool is there
// (a missing one fails the test, naming its Debian package), a private folder for the files
// they make, running them, and one plain view of a GIF file as giflib's DGifSlurp reads it
// and as TGIFGraphic loaded it, so the two can be compared field by field.
#include "gif/GIFGraphic.h"
#include "gif/GIFSubImage.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <gif_lib.h>

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace giftools {

using Bytes = std::vector<Byte>;

// Absolute paths: the Debian packages put them there, and a look-alike earlier in PATH must
// not answer for them.
struct Tool {
    const char* path;
    const char* package;
};
inline constexpr Tool kGifbuild{"/usr/bin/gifbuild", "giflib-tools"};
inline constexpr Tool kConvert{"/usr/bin/convert", "imagemagick"};
inline constexpr Tool kFfmpeg{"/usr/bin/ffmpeg", "ffmpeg"};

inline ::testing::AssertionResult Have(const Tool& tool) {
    if (::access(tool.path, X_OK) == 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << tool.path << " is missing: install the Debian package "
                                         << tool.package << " (scripts/setup.sh does)";
}

// Single quotes for the shell.
inline std::string Quote(const std::string& s) {
    std::string out = "'";
    for (char c : s) {
        if (c == '\'')
            out += "'\\''";
        else
            out += c;
    }
    return out + "'";
}

// Runs a shell command; true when it exited with 0.
inline bool RunShell(const std::string& command) {
    return std::system(command.c_str()) == 0;
}

// A command's standard output; ok tells whether it exited with 0.
inline Bytes Capture(const std::string& command, bool& ok) {
    Bytes out;
    FILE* pipe = ::popen(command.c_str(), "r");
    ok = false;
    if (!pipe) return out;
    Byte buffer[65536];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        out.insert(out.end(), buffer, buffer + n);
    ok = ::pclose(pipe) == 0;
    return out;
}

inline Bytes ReadFile(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteFile(const std::string& name, const void* data, size_t size) {
    std::ofstream out(name, std::ios::binary);
    out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
}

// One frame with an image, as a decoder sees it.
struct FrameView {
    int left = 0, top = 0, width = 0, height = 0;
    bool interlaced = false;
    Bytes pixels;                                  // rows top to bottom, in display order
    std::vector<TGIFColor> colors;                 // the table the pixels index: local, else global
    bool hasControl = false;                       // a graphic control extension came before it
    int disposal = 0, delay = 0, transparent = -1; // -1: no transparent index
    bool userInput = false;
    std::vector<Bytes> comments; // each comment's data, sub-blocks joined
};

struct FileView {
    int screenWidth = 0, screenHeight = 0, background = 0;
    std::vector<TGIFColor> globalColors;
    int loopCount = -1; // -1: no looping extension
    std::vector<FrameView> frames;
    std::vector<Bytes> trailingComments; // comments after the last image
};

namespace detail {

inline std::string ErrorText(int code) {
    const char* text = GifErrorString(code);
    return text ? text : "error " + std::to_string(code);
}

inline std::vector<TGIFColor> ColorsOf(const ColorMapObject* map) {
    std::vector<TGIFColor> out;
    if (!map) return out;
    for (int i = 0; i < map->ColorCount; ++i)
        out.push_back({map->Colors[i].Red, map->Colors[i].Green, map->Colors[i].Blue});
    return out;
}

inline std::vector<TGIFColor> ColorsOf(const TGIFColorMap& map) {
    return std::vector<TGIFColor>(map.Colors(), map.Colors() + map.Count());
}

// Comments and the loop count out of giflib's extension blocks; a block of function 0 goes
// on the block before it.
inline void ReadBlocks(const ExtensionBlock* blocks, int count, std::vector<Bytes>& comments,
                       int& loopCount) {
    for (int i = 0; i < count; ++i) {
        const ExtensionBlock& b = blocks[i];
        if (b.Function == COMMENT_EXT_FUNC_CODE) {
            Bytes text(b.Bytes, b.Bytes + b.ByteCount);
            for (int k = i + 1; k < count && blocks[k].Function == CONTINUE_EXT_FUNC_CODE; ++k)
                text.insert(text.end(), blocks[k].Bytes, blocks[k].Bytes + blocks[k].ByteCount);
            comments.push_back(text);
        } else if (b.Function == APPLICATION_EXT_FUNC_CODE && b.ByteCount == 11 &&
                   std::memcmp(b.Bytes, "NETSCAPE2.0", 11) == 0 && i + 1 < count &&
                   blocks[i + 1].Function == CONTINUE_EXT_FUNC_CODE &&
                   blocks[i + 1].ByteCount >= 3 && blocks[i + 1].Bytes[0] == 1 && loopCount < 0) {
            loopCount = blocks[i + 1].Bytes[1] | (blocks[i + 1].Bytes[2] << 8);
        }
    }
}

} // namespace detail

// giflib's reading of a file; error says why when it could not.
inline FileView GiflibView(const std::string& file, std::string& error) {
    FileView view;
    int code = 0;
    GifFileType* gif = DGifOpenFileName(file.c_str(), &code);
    if (!gif) {
        error = std::string("giflib cannot open the file: ") + detail::ErrorText(code);
        return view;
    }
    if (DGifSlurp(gif) != GIF_OK) {
        error = std::string("giflib cannot read the file: ") + detail::ErrorText(gif->Error);
        DGifCloseFile(gif, &code);
        return view;
    }
    view.screenWidth = gif->SWidth;
    view.screenHeight = gif->SHeight;
    view.background = gif->SBackGroundColor;
    view.globalColors = detail::ColorsOf(gif->SColorMap);
    for (int i = 0; i < gif->ImageCount; ++i) {
        const SavedImage& im = gif->SavedImages[i];
        FrameView f;
        f.left = im.ImageDesc.Left;
        f.top = im.ImageDesc.Top;
        f.width = im.ImageDesc.Width;
        f.height = im.ImageDesc.Height;
        f.interlaced = im.ImageDesc.Interlace;
        f.pixels.assign(im.RasterBits, im.RasterBits + static_cast<size_t>(f.width) * f.height);
        f.colors = detail::ColorsOf(im.ImageDesc.ColorMap ? im.ImageDesc.ColorMap : gif->SColorMap);
        GraphicsControlBlock gcb;
        if (DGifSavedExtensionToGCB(gif, i, &gcb) == GIF_OK) {
            f.hasControl = true;
            f.disposal = gcb.DisposalMode;
            f.delay = gcb.DelayTime;
            f.transparent = gcb.TransparentColor;
            f.userInput = gcb.UserInputFlag;
        }
        detail::ReadBlocks(im.ExtensionBlocks, im.ExtensionBlockCount, f.comments, view.loopCount);
        view.frames.push_back(std::move(f));
    }
    int ignored = -1;
    detail::ReadBlocks(gif->ExtensionBlocks, gif->ExtensionBlockCount, view.trailingComments,
                       ignored);
    DGifCloseFile(gif, &code);
    return view;
}

// What a loaded image holds, in the same shape. Frames without an image (extensions only)
// can only stand at the end in giflib's view: their comments become trailing ones.
inline FileView OurView(TGIFGraphic& image) {
    FileView view;
    view.screenWidth = image.ScreenWidth();
    view.screenHeight = image.ScreenHeight();
    view.background = image.StreamHeader().ScreenDescriptor.BackgroundColorIndex;
    view.globalColors = detail::ColorsOf(image.GlobalColorMap());
    for (int i = 0; i < image.Frames().Count(); ++i) {
        TGIFSubImage& frame = *image.Frames().GetFrame(i);
        FrameView f;
        std::vector<Bytes>& comments = frame.IsEmpty() ? view.trailingComments : f.comments;
        for (int k = 0; k < frame.FrameExtensions().Count(); ++k) {
            TGIFExtension* e = frame.FrameExtensions().ExtensionAt(k);
            if (auto* c = dynamic_cast<TGIFCommentExtension*>(e)) {
                Bytes text;
                for (const String& line : c->Lines)
                    text.insert(text.end(), line.begin(), line.end());
                comments.push_back(text);
            } else if (auto* loop = dynamic_cast<TGIFAppExtNSLoop*>(e)) {
                if (view.loopCount < 0) view.loopCount = loop->LoopCount;
            }
        }
        if (frame.IsEmpty()) continue;
        f.left = frame.Left();
        f.top = frame.Top();
        f.width = frame.Width();
        f.height = frame.Height();
        f.interlaced = frame.IsInterlaced();
        f.pixels.assign(frame.Data(), frame.Data() + frame.PixelCount());
        f.colors = detail::ColorsOf(frame.EffectiveColorMap());
        if (TGIFGraphicControlExtension* gce = frame.ControlExtension()) {
            f.hasControl = true;
            f.disposal = gce->DisposalMethod();
            f.delay = gce->FrameDelay();
            f.transparent = gce->HasTransparency() ? gce->TransparentIndex() : -1;
            f.userInput = gce->WaitsForUserInput();
        }
        view.frames.push_back(std::move(f));
    }
    return view;
}

// Where two pixel buffers first differ, for a readable failure.
inline std::string FirstDifference(const Bytes& a, const Bytes& b, int width) {
    if (a.size() != b.size())
        return "sizes " + std::to_string(a.size()) + " and " + std::to_string(b.size());
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i])
            return "first at (" + std::to_string(width ? i % width : i) + ", " +
                   std::to_string(width ? i / width : 0) + "): " + std::to_string(a[i]) + " vs " +
                   std::to_string(b[i]);
    return "none";
}

// Every field of the two views, the frame named in each failure.
inline void ExpectSameView(const FileView& ours, const FileView& theirs) {
    EXPECT_EQ(ours.screenWidth, theirs.screenWidth);
    EXPECT_EQ(ours.screenHeight, theirs.screenHeight);
    EXPECT_EQ(ours.background, theirs.background);
    EXPECT_TRUE(ours.globalColors == theirs.globalColors) << "global colour table";
    EXPECT_EQ(ours.loopCount, theirs.loopCount);
    EXPECT_EQ(ours.trailingComments, theirs.trailingComments);
    ASSERT_EQ(ours.frames.size(), theirs.frames.size()) << "frames with an image";
    for (size_t i = 0; i < ours.frames.size(); ++i) {
        const FrameView& a = ours.frames[i];
        const FrameView& b = theirs.frames[i];
        SCOPED_TRACE("frame " + std::to_string(i));
        EXPECT_EQ(a.left, b.left);
        EXPECT_EQ(a.top, b.top);
        EXPECT_EQ(a.width, b.width);
        EXPECT_EQ(a.height, b.height);
        EXPECT_EQ(a.interlaced, b.interlaced);
        EXPECT_TRUE(a.pixels == b.pixels)
            << "pixels differ, " << FirstDifference(a.pixels, b.pixels, a.width);
        EXPECT_TRUE(a.colors == b.colors)
            << "colour table: " << a.colors.size() << " vs " << b.colors.size() << " entries";
        EXPECT_EQ(a.hasControl, b.hasControl);
        EXPECT_EQ(a.disposal, b.disposal);
        EXPECT_EQ(a.delay, b.delay);
        EXPECT_EQ(a.transparent, b.transparent);
        EXPECT_EQ(a.userInput, b.userInput);
        EXPECT_EQ(a.comments, b.comments);
    }
}

// The file loaded through TGIFGraphic::LoadFromStream; warnings are collected.
inline ObjectPtr<TGIFGraphic> LoadOurs(const std::string& file, std::vector<String>& warnings) {
    ObjectPtr<TGIFGraphic> image = MakeObject<TGIFGraphic>();
    image->SetWarningHandler(
        [&warnings](TObject*, int, const String& m) { warnings.push_back(m); });
    Bytes data = ReadFile(file);
    TMemoryStream stream;
    if (!data.empty()) stream.WriteBuffer(data.data(), static_cast<Int64>(data.size()));
    stream.SetPosition(0);
    image->LoadFromStream(stream);
    image->SetWarningHandler(nullptr);
    return image;
}

} // namespace giftools
