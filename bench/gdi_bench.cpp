// HALFTONE resampling beside libswscale's area filter on the same frames, and the format
// conversions and blits every frame goes through.
#include "platform/gdi/Gdi.h"

#include <benchmark/benchmark.h>

extern "C" {
#include <libavutil/pixfmt.h>
#include <libswscale/swscale.h>
}

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

namespace {

struct Frame {
    HDC dc = 0;
    HBITMAP bitmap = 0;
    HGDIOBJ old = 0;
    BYTE* bits = nullptr;
    int width, height, bpp;
    LONG stride;

    Frame(int w, int h, int depth) : width(w), height(h), bpp(depth) {
        std::vector<BYTE> block(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD));
        auto* bi = reinterpret_cast<BITMAPINFO*>(block.data());
        bi->bmiHeader = BITMAPINFOHEADER{};
        bi->bmiHeader.biWidth = w;
        bi->bmiHeader.biHeight = -h;
        bi->bmiHeader.biBitCount = static_cast<WORD>(depth);
        if (depth == 8) {
            for (int i = 0; i < 256; ++i)
                bi->bmiColors[i] = RGBQUAD{BYTE(i), BYTE(255 - i), BYTE(i * 7), 0};
        }
        void* p = nullptr;
        bitmap = CreateDIBSection(0, bi, DIB_RGB_COLORS, &p, 0, 0);
        bits = static_cast<BYTE*>(p);
        stride = DibRowBytes(w, depth);
        dc = CreateCompatibleDC(0);
        old = SelectObject(dc, bitmap);
        // A smooth picture with detail, like a video frame.
        for (int y = 0; y < h; ++y)
            for (LONG i = 0; i < stride; ++i)
                bits[static_cast<std::size_t>(y) * stride + i] =
                    static_cast<BYTE>((i * 7 + y * 3 + (i * y >> 6)) & 0xFF);
    }
    ~Frame() {
        SelectObject(dc, old);
        DeleteDC(dc);
        DeleteObject(bitmap);
    }
    std::size_t bytes() const { return static_cast<std::size_t>(stride) * height; }
};

int targetWidth(int w, int mode) {
    return mode == 0 ? w / 3 : 145;
}
int targetHeight(int w, int h, int mode) {
    return mode == 0 ? h / 3 : static_cast<int>((static_cast<long long>(h) * 145 + w / 2) / w);
}

void BM_HalftoneStretch(benchmark::State& state) {
    int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
    int mode = static_cast<int>(state.range(2));
    Frame src(w, h, 24);
    int dw = targetWidth(w, mode), dh = targetHeight(w, h, mode);
    Frame dest(dw, dh, 24);
    SetStretchBltMode(dest.dc, HALFTONE);
    for (auto _ : state) {
        StretchBlt(dest.dc, 0, 0, dw, dh, src.dc, 0, 0, w, h, SRCCOPY);
        benchmark::DoNotOptimize(dest.bits[0]);
    }
    state.counters["src_GBps"] = benchmark::Counter(static_cast<double>(src.bytes()) / 1e9,
                                                    benchmark::Counter::kIsIterationInvariantRate);
    state.SetLabel(std::to_string(dw) + "x" + std::to_string(dh));
}

void BM_SwscaleArea(benchmark::State& state) {
    int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
    int mode = static_cast<int>(state.range(2));
    Frame src(w, h, 24);
    int dw = targetWidth(w, mode), dh = targetHeight(w, h, mode);
    Frame dest(dw, dh, 24);
    SwsContext* ctx = sws_getContext(w, h, AV_PIX_FMT_BGR24, dw, dh, AV_PIX_FMT_BGR24, SWS_AREA,
                                     nullptr, nullptr, nullptr);
    const uint8_t* in[1] = {src.bits};
    int inStride[1] = {src.stride};
    uint8_t* out[1] = {dest.bits};
    int outStride[1] = {dest.stride};
    for (auto _ : state) {
        sws_scale(ctx, in, inStride, 0, h, out, outStride);
        benchmark::DoNotOptimize(dest.bits[0]);
    }
    sws_freeContext(ctx);
    state.counters["src_GBps"] = benchmark::Counter(static_cast<double>(src.bytes()) / 1e9,
                                                    benchmark::Counter::kIsIterationInvariantRate);
    state.SetLabel(std::to_string(dw) + "x" + std::to_string(dh));
}

#define FRAME_ARGS                                                                                 \
    Args({640, 480, 0})                                                                            \
        ->Args({640, 480, 1})                                                                      \
        ->Args({1920, 1080, 0})                                                                    \
        ->Args({1920, 1080, 1})                                                                    \
        ->Unit(benchmark::kMicrosecond)
BENCHMARK(BM_HalftoneStretch)->FRAME_ARGS;
BENCHMARK(BM_SwscaleArea)->FRAME_ARGS;

// Reads the 1920x1080 frame back through GetDIBits at depth `to`, once an iteration.
void ConvertLoop(benchmark::State& state, Frame& src, int to) {
    std::vector<BYTE> block(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD));
    auto* bi = reinterpret_cast<BITMAPINFO*>(block.data());
    std::vector<BYTE> out(static_cast<std::size_t>(DibRowBytes(1920, to)) * 1080);
    for (auto _ : state) {
        bi->bmiHeader = BITMAPINFOHEADER{};
        bi->bmiHeader.biWidth = 1920;
        bi->bmiHeader.biHeight = -1080;
        bi->bmiHeader.biBitCount = static_cast<WORD>(to);
        GetDIBits(src.dc, src.bitmap, 0, 1080, out.data(), bi, DIB_RGB_COLORS);
        benchmark::DoNotOptimize(out[0]);
    }
    state.counters["GBps"] = benchmark::Counter(static_cast<double>(src.bytes() + out.size()) / 1e9,
                                                benchmark::Counter::kIsIterationInvariantRate);
}

// Format conversion through GetDIBits (source depth, target depth) on a 1920x1080 frame.
void BM_Convert(benchmark::State& state) {
    int from = static_cast<int>(state.range(0)), to = static_cast<int>(state.range(1));
    Frame src(1920, 1080, from);
    ConvertLoop(state, src, to);
}
BENCHMARK(BM_Convert)
    ->Args({24, 32})
    ->Args({32, 24})
    ->Args({8, 32})
    ->Args({8, 24})
    ->Args({32, 8})
    ->Args({24, 8})
    ->Unit(benchmark::kMicrosecond);

// The same down to 8 bits from noise: nearly every pixel falls in a box of colour space that
// the previous pixels did not touch, so this is the map's worst case for caches.
void BM_ConvertNoise(benchmark::State& state) {
    int from = static_cast<int>(state.range(0)), to = static_cast<int>(state.range(1));
    Frame src(1920, 1080, from);
    std::uint32_t seed = 12345;
    for (std::size_t i = 0; i < src.bytes(); ++i) {
        seed = seed * 1664525u + 1013904223u;
        src.bits[i] = static_cast<BYTE>(seed >> 24);
    }
    ConvertLoop(state, src, to);
}
BENCHMARK(BM_ConvertNoise)->Args({32, 8})->Args({24, 8})->Unit(benchmark::kMicrosecond);

// Noise written through SetDIBits into an 8-bit DIB section whose colour table changes before
// every frame: each frame pays for learning a new table, the cost of a first conversion.
void BM_ConvertNoiseNewTable(benchmark::State& state) {
    int from = static_cast<int>(state.range(0));
    Frame src(1920, 1080, from);
    std::uint32_t seed = 777;
    for (std::size_t i = 0; i < src.bytes(); ++i) {
        seed = seed * 1664525u + 1013904223u;
        src.bits[i] = static_cast<BYTE>(seed >> 24);
    }
    Frame dest(1920, 1080, 8);
    BITMAPINFO info{};
    info.bmiHeader.biWidth = 1920;
    info.bmiHeader.biHeight = -1080;
    info.bmiHeader.biBitCount = static_cast<WORD>(from);
    // Counted across runs, so that no table comes back while an earlier map is still kept.
    static std::uint32_t change = 0;
    for (auto _ : state) {
        ++change;
        RGBQUAD first{BYTE(change), BYTE(change >> 8), BYTE(change >> 16), 0};
        SetDIBColorTable(dest.dc, 0, 1, &first);
        SetDIBits(dest.dc, dest.bitmap, 0, 1080, src.bits, &info, DIB_RGB_COLORS);
        benchmark::DoNotOptimize(dest.bits[0]);
    }
    state.counters["GBps"] =
        benchmark::Counter(static_cast<double>(src.bytes() + dest.bytes()) / 1e9,
                           benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_ConvertNoiseNewTable)->Arg(32)->Arg(24)->Unit(benchmark::kMicrosecond);

void BM_BitBlt(benchmark::State& state) {
    int bpp = static_cast<int>(state.range(0));
    Frame src(1920, 1080, bpp), dest(1920, 1080, 32);
    for (auto _ : state) {
        BitBlt(dest.dc, 0, 0, 1920, 1080, src.dc, 0, 0, SRCCOPY);
        benchmark::DoNotOptimize(dest.bits[0]);
    }
    state.counters["GBps"] =
        benchmark::Counter(static_cast<double>(src.bytes() + dest.bytes()) / 1e9,
                           benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_BitBlt)->Arg(32)->Arg(24)->Arg(8)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
