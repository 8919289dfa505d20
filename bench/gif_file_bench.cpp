// Whole GIF files loaded as TGIFGraphic beside giflib's DGifSlurp: the best of several rounds
// each, in megapixels (of frame pixels) per second, and the ratio; once with both reading
// the file already in memory, once with both opening the file by name.
//   gif_file_bench [--rounds N] FILE...
#include "gif/GIFGraphic.h"
#include "gif/GIFSubImage.h"
#include "gif_tool_support.h"
#include "rtl/Stream.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Cursor {
    const Byte* data;
    size_t size, at;
};

int ReadFromCursor(GifFileType* gif, GifByteType* out, int count) {
    auto* c = static_cast<Cursor*>(gif->UserData);
    size_t n = std::min(static_cast<size_t>(count), c->size - c->at);
    std::memcpy(out, c->data + c->at, n);
    c->at += n;
    return static_cast<int>(n);
}

// Frame pixels giflib decoded, or -1 when it failed.
long long SlurpOnce(TMemoryStream& file) {
    Cursor cursor{file.Memory(), static_cast<size_t>(file.Size()), 0};
    int error = 0;
    GifFileType* gif = DGifOpen(&cursor, ReadFromCursor, &error);
    if (!gif) return -1;
    long long pixels = -1;
    if (DGifSlurp(gif) == GIF_OK) {
        pixels = 0;
        for (int i = 0; i < gif->ImageCount; ++i)
            pixels += static_cast<long long>(gif->SavedImages[i].ImageDesc.Width) *
                      gif->SavedImages[i].ImageDesc.Height;
    }
    DGifCloseFile(gif, &error);
    return pixels;
}

long long LoadOnce(TMemoryStream& file) {
    file.SetPosition(0);
    ObjectPtr<TGIFGraphic> image = MakeObject<TGIFGraphic>();
    image->LoadFromStream(file);
    long long pixels = 0;
    for (int i = 0; i < image->Frames().Count(); ++i)
        pixels += image->Frames().GetFrame(i)->PixelCount();
    return pixels;
}

long long SlurpFileOnce(const std::string& name) {
    int error = 0;
    GifFileType* gif = DGifOpenFileName(name.c_str(), &error);
    if (!gif) return -1;
    long long pixels = DGifSlurp(gif) == GIF_OK ? 0 : -1;
    DGifCloseFile(gif, &error);
    return pixels;
}

void LoadFileOnce(const std::string& name) {
    ObjectPtr<TGIFGraphic> image = MakeObject<TGIFGraphic>();
    image->LoadFromFile(name);
}

template <typename F> double BestMs(int rounds, F&& body) {
    double best = 1e300;
    for (int r = 0; r < rounds; ++r) {
        double t0 = giftool::NowMs();
        body();
        best = std::min(best, giftool::NowMs() - t0);
    }
    return best;
}

} // namespace

int main(int argc, char** argv) {
    int rounds = 7;
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--rounds") == 0 && i + 1 < argc)
            rounds = std::max(1, std::atoi(argv[++i]));
        else
            files.push_back(argv[i]);
    }
    if (files.empty()) {
        std::fprintf(stderr, "usage: gif_file_bench [--rounds N] FILE...\n");
        return 2;
    }
    std::printf("%-34s %-6s %8s %11s %13s %6s\n", "file", "from", "Mpixels", "ours Mpx/s",
                "giflib Mpx/s", "ratio");
    int failures = 0;
    for (const std::string& name : files) {
        try {
            TMemoryStream file;
            file.LoadFromFile(name);
            long long ours = LoadOnce(file), theirs = SlurpOnce(file);
            if (theirs < 0) std::printf("%s: giflib cannot read it\n", name.c_str());
            double oursMs = BestMs(rounds, [&] { LoadOnce(file); });
            double theirsMs = theirs < 0 ? 0 : BestMs(rounds, [&] { SlurpOnce(file); });
            double oursRate = ours / oursMs / 1000.0;
            double theirsRate = theirs > 0 ? theirs / theirsMs / 1000.0 : 0;
            std::printf("%-34s %-6s %8.2f %11.1f %13.1f %6.2f\n", name.c_str(), "memory",
                        ours / 1e6, oursRate, theirsRate,
                        theirsRate > 0 ? oursRate / theirsRate : 0.0);
            oursMs = BestMs(rounds, [&] { LoadFileOnce(name); });
            theirsMs = theirs < 0 ? 0 : BestMs(rounds, [&] { SlurpFileOnce(name); });
            oursRate = ours / oursMs / 1000.0;
            theirsRate = theirs > 0 ? theirs / theirsMs / 1000.0 : 0;
            std::printf("%-34s %-6s %8.2f %11.1f %13.1f %6.2f\n", name.c_str(), "file", ours / 1e6,
                        oursRate, theirsRate, theirsRate > 0 ? oursRate / theirsRate : 0.0);
        } catch (const std::exception& e) {
            std::printf("%s: %s\n", name.c_str(), e.what());
            ++failures;
        }
    }
    return failures ? 1 : 0;
}
