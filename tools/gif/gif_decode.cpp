// Loads GIF files as TGIFGraphic and tells what came out: per file the frame count, pixels
// and load time, per frame its place, a checksum of its index pixels and one of its colour
// map. --dump DIR writes every frame as a 32-bit BMP in its own colours (transparent pixels
// with alpha 0); --composite DIR writes the logical screen after each frame, composed by
// the frames' disposal methods. A stub file (frames declaring far more pixels than their data
// holds) is refused as saving refuses it, and a screen is composed only up to the size of the
// largest frame the codec reads.
//   gif_decode [--dump DIR] [--composite DIR] FILE...
#include "gif/GIFExtensions.h"
#include "gif/GIFGraphic.h"
#include "gif/GIFSubImage.h"
#include "gif/codec/GIFException.h"
#include "gif/codec/GIFStreamIO.h"
#include "gif_tool_support.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::string BaseName(const std::string& path) {
    size_t slash = path.find_last_of('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    size_t dot = name.find_last_of('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

std::string Numbered(const std::string& dir, const std::string& base, const char* kind, int i) {
    char tail[32];
    std::snprintf(tail, sizeof tail, "-%s%03d.bmp", kind, i);
    return dir + "/" + base + tail;
}

// The frame's colours as red, green, blue triplets, and a view of it for the composer.
giftool::FrameView ViewOf(TGIFSubImage& frame, std::vector<unsigned char>& colors) {
    TGIFColorMap& map = frame.EffectiveColorMap();
    colors.clear();
    for (int i = 0; i < map.Count(); ++i) {
        colors.push_back(map.Colors()[i].Red);
        colors.push_back(map.Colors()[i].Green);
        colors.push_back(map.Colors()[i].Blue);
    }
    giftool::FrameView v;
    v.left = frame.Left();
    v.top = frame.Top();
    v.width = frame.Width();
    v.height = frame.Height();
    v.indices = frame.Data();
    v.colors = colors.data();
    v.colorCount = map.Count();
    v.transparent = frame.IsTransparent() ? frame.TransparentIndex() : -1;
    v.disposal = frame.ControlExtension() ? frame.ControlExtension()->DisposalMethod() : 0;
    return v;
}

giftool::Picture FramePicture(const giftool::FrameView& v) {
    giftool::Composer own(v.width, v.height);
    giftool::FrameView at = v;
    at.left = at.top = 0;
    own.Draw(at);
    return own.Screen();
}

} // namespace

int main(int argc, char** argv) {
    std::string dumpDir, compositeDir;
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--dump" && i + 1 < argc)
            dumpDir = argv[++i];
        else if (a == "--composite" && i + 1 < argc)
            compositeDir = argv[++i];
        else if (!a.empty() && a[0] == '-') {
            std::fprintf(stderr, "usage: gif_decode [--dump DIR] [--composite DIR] FILE...\n");
            return 2;
        } else
            files.push_back(a);
    }
    if (files.empty()) {
        std::fprintf(stderr, "usage: gif_decode [--dump DIR] [--composite DIR] FILE...\n");
        return 2;
    }
    int failures = 0;
    for (const std::string& file : files) {
        try {
            ObjectPtr<TGIFGraphic> image = MakeObject<TGIFGraphic>();
            std::vector<String> warnings;
            image->SetWarningHandler(
                [&](TObject*, int, const String& message) { warnings.push_back(message); });
            double t0 = giftool::NowMs();
            image->LoadFromFile(file);
            double ms = giftool::NowMs() - t0;
            int n = image->Frames().Count();
            long long pixels = 0;
            for (int i = 0; i < n; ++i)
                pixels += image->Frames().GetFrame(i)->PixelCount();
            std::printf("%s: %d frames, screen %dx%d, %lld pixels, load %.2f ms (%.1f Mpixel/s)\n",
                        file.c_str(), n, image->ScreenWidth(), image->ScreenHeight(), pixels, ms,
                        ms > 0 ? pixels / ms / 1000.0 : 0.0);
            for (const String& w : warnings)
                std::printf("  warning: %s\n", w.c_str());
            // Checksums and pictures make every pixel.
            image->CheckMissingPixels();
            const bool composing = !compositeDir.empty();
            if (composing && Int64(image->ScreenWidth()) * image->ScreenHeight() > kMaxFramePixels)
                RaiseGIFError(gifmsg::ImageTooLarge);
            std::string base = BaseName(file);
            giftool::Composer screen(composing ? image->ScreenWidth() : 0,
                                     composing ? image->ScreenHeight() : 0);
            std::vector<unsigned char> colors;
            for (int i = 0; i < n; ++i) {
                TGIFSubImage& frame = *image->Frames().GetFrame(i);
                giftool::FrameView v = ViewOf(frame, colors);
                std::printf(
                    "  frame %d: %dx%d at %d,%d, pixels %016llx, %d colours %016llx, "
                    "transparent %d, disposal %d\n",
                    i, v.width, v.height, v.left, v.top,
                    static_cast<unsigned long long>(
                        giftool::Fnv1a(v.indices, static_cast<size_t>(frame.PixelCount()))),
                    v.colorCount,
                    static_cast<unsigned long long>(giftool::Fnv1a(colors.data(), colors.size())),
                    v.transparent, v.disposal);
                if (v.width == 0 || v.height == 0 || !v.indices) continue;
                if (!dumpDir.empty())
                    giftool::WriteBMP(Numbered(dumpDir, base, "f", i), FramePicture(v));
                if (composing) {
                    screen.Draw(v);
                    giftool::WriteBMP(Numbered(compositeDir, base, "c", i), screen.Screen());
                    screen.Dispose();
                }
            }
        } catch (const std::exception& e) {
            std::printf("%s: %s\n", file.c_str(), e.what());
            ++failures;
        }
    }
    return failures ? 1 : 0;
}
