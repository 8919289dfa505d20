// Builds a looping GIF from 24-bit BMP frames the way the program builds its animations:
// each frame becomes an image of its own (reduced to 256 colours or grey, dithered or not),
// is added to the result with a graphic control extension carrying the delay, and frame 0
// also carries the loop extension. With --unchanged, a frame in which more than nine tenths
// of the pixels show the colour already on screen is written with those pixels turned into
// a free index marked transparent.
//
// The pixels are compared by colour with what the viewer shows at that moment (the frame
// before), not by index with the last frame written whole: every frame has a colour map of
// its own, so equal indices can stand for different colours, and pixels that changed in a
// frame written with transparency would otherwise keep showing through later ones.
//   gif_encode [--grey] [--nearest] [--delay N] [--unchanged] FRAME.bmp... -o OUT.gif
#include "framework/Bitmap.h"
#include "gif/GIFExtensions.h"
#include "gif/GIFGraphic.h"
#include "gif/GIFSubImage.h"
#include "gif_tool_support.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

struct Options {
    TReductionMethod reduction = redQuantize;
    TDitherMethod dither = dtFloydSteinberg;
    int delay = 33;
    bool unchanged = false;
    std::vector<std::string> frames;
    std::string output;
};

int Usage() {
    std::fprintf(stderr,
                 "usage: gif_encode [--grey] [--nearest] [--delay N] [--unchanged] FRAME.bmp... "
                 "-o OUT.gif\n");
    return 2;
}

int AddAnimationFrame(TGIFGraphic& result, TPersistent* source, int transparent, int delay) {
    int i = result.AddFrame(source);
    TGIFSubImage* frame = result.Frames().GetFrame(i);
    if (i == 0) {
        auto* loop = CreateObject<TGIFAppExtNSLoop>(frame);
        loop->LoopCount = 0;
        frame->FrameExtensions().AppendItem(loop);
    }
    auto* gce = CreateObject<TGIFGraphicControlExtension>(frame);
    gce->SetFrameDelay(static_cast<Word>(delay));
    if (transparent >= 0) {
        gce->SetHasTransparency(true);
        gce->SetTransparentIndex(transparent);
    }
    frame->FrameExtensions().AppendItem(gce);
    return i;
}

// What the viewer shows: one colour per pixel, packed red, green, blue.
using Screen = std::vector<std::uint32_t>;

std::uint32_t Packed(const TGIFColor& c) {
    return std::uint32_t(c.Red) << 16 | std::uint32_t(c.Green) << 8 | c.Blue;
}

// Counts the pixels whose colour is already on screen and picks the lowest index the others
// leave free (-1 when they use every entry of the frame's colour map);
// same[i] tells which pixels those are.
int CompareWithScreen(TGIFSubImage& frame, const Screen& screen, Int64& unchanged,
                      std::vector<Byte>& same) {
    bool used[256] = {};
    unchanged = 0;
    same.assign(static_cast<size_t>(frame.PixelCount()), 0);
    TGIFColorMap& map = frame.EffectiveColorMap();
    const Byte* p = frame.Data();
    for (Int64 i = 0; i < frame.PixelCount(); ++i) {
        int index = p[i];
        if (index < map.Count() && Packed(map.Colors()[index]) == screen[static_cast<size_t>(i)]) {
            ++unchanged;
            same[static_cast<size_t>(i)] = 1;
        } else {
            used[index] = true;
        }
    }
    for (int i = 0; i < std::min(map.Count(), 256); ++i)
        if (!used[i]) return i;
    return -1;
}

void Show(TGIFSubImage& frame, Screen& screen) {
    TGIFColorMap& map = frame.EffectiveColorMap();
    screen.assign(static_cast<size_t>(frame.PixelCount()), 0);
    const Byte* p = frame.Data();
    for (Int64 i = 0; i < frame.PixelCount(); ++i)
        if (p[i] < map.Count()) screen[static_cast<size_t>(i)] = Packed(map.Colors()[p[i]]);
}

} // namespace

int main(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--grey") {
            o.reduction = redGrayScale;
        } else if (a == "--nearest") {
            o.dither = dtNearest;
        } else if (a == "--unchanged") {
            o.unchanged = true;
        } else if (a == "--delay" && i + 1 < argc) {
            char* end = nullptr;
            long delay = std::strtol(argv[++i], &end, 10);
            if (*argv[i] == 0 || *end != 0 || delay < 0 || delay > 65535) return Usage();
            o.delay = static_cast<int>(delay);
        } else if (a == "-o" && i + 1 < argc) {
            o.output = argv[++i];
        } else if (!a.empty() && a[0] == '-') {
            return Usage();
        } else {
            o.frames.push_back(a);
        }
    }
    if (o.frames.empty() || o.output.empty()) return Usage();

    try {
        ObjectPtr<TGIFGraphic> result = MakeObject<TGIFGraphic>();
        Screen screen;
        double start = giftool::NowMs();
        int whole = 0, masked = 0;
        for (const std::string& name : o.frames) {
            double t0 = giftool::NowMs();
            ObjectPtr<TBitmap> bitmap = MakeObject<TBitmap>();
            bitmap->LoadFromFile(name);
            if (bitmap->PixelFormat() != pf24bit) {
                std::fprintf(stderr, "gif_encode: %s is not a 24-bit BMP\n", name.c_str());
                return 1;
            }
            double t1 = giftool::NowMs();
            ObjectPtr<TGIFGraphic> g = MakeObject<TGIFGraphic>();
            g->SetReductionMethod(o.reduction);
            g->SetDitherMethod(o.dither);
            g->Assign(bitmap.get());
            double t2 = giftool::NowMs();

            TGIFSubImage& frame = *g->Frames().GetFrame(0);
            Int64 unchanged = 0;
            int t = -1;
            std::vector<Byte> same;
            if (o.unchanged && screen.size() == static_cast<size_t>(frame.PixelCount()))
                t = CompareWithScreen(frame, screen, unchanged, same);
            if (o.unchanged) Show(frame, screen);
            Int64 w = g->ScreenWidth(), h = g->ScreenHeight();
            if (unchanged <= h * w * 9 / 10 || t < 0) {
                AddAnimationFrame(*result, g.get(), -1, o.delay);
                ++whole;
            } else {
                // The frame's own 8-bit rendering with the unchanged pixels set to t.
                ObjectPtr<TBitmap> copy = MakeObject<TBitmap>();
                copy->Assign(g->GetRenderedBitmap());
                for (int y = 0; y < h; ++y) {
                    auto* row = static_cast<Byte*>(copy->ScanLine(y));
                    const Byte* unchangedHere = same.data() + y * w;
                    for (int x = 0; x < w; ++x)
                        if (unchangedHere[x]) row[x] = static_cast<Byte>(t);
                }
                AddAnimationFrame(*result, copy.get(), t, o.delay);
                ++masked;
            }
            double t3 = giftool::NowMs();
            std::printf("%s: read %.2f ms, reduce %.2f ms, add %.2f ms\n", name.c_str(), t1 - t0,
                        t2 - t1, t3 - t2);
        }
        double t4 = giftool::NowMs();
        result->SaveToFile(o.output);
        double end = giftool::NowMs();
        struct stat st {};
        stat(o.output.c_str(), &st);
        int n = static_cast<int>(o.frames.size());
        std::printf("frames %d (%d whole, %d with unchanged pixels transparent)\n", n, whole,
                    masked);
        std::printf("build %.2f ms per frame, save %.2f ms, total %.2f ms per frame\n",
                    (t4 - start) / n, end - t4, (end - start) / n);
        std::printf("file %s: %lld bytes\n", o.output.c_str(), static_cast<long long>(st.st_size));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "gif_encode: %s\n", e.what());
        return 1;
    }
    return 0;
}
