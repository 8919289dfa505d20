// The GIF codec's inner loops beside giflib's on the same index buffers: LZW encoding and
// decoding of a photographic and a flat-colour 639 x 480 frame, and the colour work before
// it (octree quantising, each ditherer, the fast colour lookup).
#include "gif/GIFColorLookup.h"
#include "gif/GIFDitherers.h"
#include "gif/GIFQuantizer.h"
#include "gif/codec/GIFEncoders.h"
#include "gif/codec/GIFLZWDecoder.h"

#include <benchmark/benchmark.h>

#include <gif_lib.h>

#include <cmath>
#include <cstring>
#include <random>
#include <stdexcept>
#include <vector>

namespace {

constexpr int kWidth = 639;
constexpr int kHeight = 480;

// 24-bit rows (blue, green, red) of a smooth scene with noise, like a video frame.
std::vector<Byte> PhotoRGB() {
    std::vector<Byte> rgb(static_cast<size_t>(kWidth) * kHeight * 3);
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> noise(-6, 6);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            double fx = x / double(kWidth), fy = y / double(kHeight);
            int r = int(128 + 100 * std::sin(fx * 7 + fy * 3)) + noise(rng);
            int g = int(128 + 90 * std::cos(fx * 4 - fy * 5)) + noise(rng);
            int b = int(100 + 80 * std::sin((fx + fy) * 9)) + noise(rng);
            Byte* p = &rgb[(static_cast<size_t>(y) * kWidth + x) * 3];
            p[0] = Byte(std::clamp(b, 0, 255));
            p[1] = Byte(std::clamp(g, 0, 255));
            p[2] = Byte(std::clamp(r, 0, 255));
        }
    }
    return rgb;
}

// Index buffer of the photographic frame: quantised to 256 colours and dithered, as the
// program makes its frames.
const std::vector<Byte>& PhotoIndices() {
    static const std::vector<Byte> indices = [] {
        std::vector<Byte> rgb = PhotoRGB();
        PixelBufferRows rows(rgb.data(), kWidth, kHeight);
        TColorQuantizer quantizer(256, 8);
        quantizer.ScanImage(rows);
        std::vector<RGBQUAD> colors = quantizer.Colors();
        std::vector<PALETTEENTRY> entries;
        for (const RGBQUAD& q : colors)
            entries.push_back({q.rgbRed, q.rgbGreen, q.rgbBlue, 0});
        TFastColorLookup lookup(entries.data(), static_cast<int>(entries.size()));
        TFloydSteinbergDitherer ditherer(kWidth, &lookup);
        std::vector<Byte> out(static_cast<size_t>(kWidth) * kHeight);
        Byte r, g, b;
        for (int y = 0; y < kHeight; ++y) {
            for (int x = ditherer.Column; x >= 0 && x < kWidth; x = ditherer.Column) {
                const Byte* p = &rgb[(static_cast<size_t>(y) * kWidth + x) * 3];
                out[static_cast<size_t>(y) * kWidth + x] =
                    ditherer.DitherPixel(p[2], p[1], p[0], r, g, b);
            }
            ditherer.NextRow();
        }
        return out;
    }();
    return indices;
}

// Index buffer of a flat frame: a few large rectangles of single colours.
const std::vector<Byte>& FlatIndices() {
    static const std::vector<Byte> indices = [] {
        std::vector<Byte> out(static_cast<size_t>(kWidth) * kHeight);
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                out[static_cast<size_t>(y) * kWidth + x] = Byte((x / 160) * 4 + (y / 120) * 16 + 3);
        return out;
    }();
    return indices;
}

const std::vector<Byte>& Indices(int kind) {
    return kind == 0 ? PhotoIndices() : FlatIndices();
}

std::vector<Byte> OurImageData(const std::vector<Byte>& pixels) {
    TMemoryStream s;
    EncodeImageData(s, pixels.data(), kWidth, kHeight, false, 8, 256, kCompressLZW, nullptr);
    return std::vector<Byte>(s.Memory(), s.Memory() + s.Size());
}

int WriteToVector(GifFileType* gif, const GifByteType* data, int n) {
    auto* out = static_cast<std::vector<Byte>*>(gif->UserData);
    out->insert(out->end(), data, data + n);
    return n;
}

// A whole GIF of one frame, written by giflib.
std::vector<Byte> GiflibFile(const std::vector<Byte>& pixels) {
    std::vector<Byte> out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, WriteToVector, &error);
    if (!gif) throw std::runtime_error("EGifOpen");
    std::vector<GifColorType> colors(256);
    for (int i = 0; i < 256; ++i)
        colors[i] = {GifByteType(i), GifByteType(255 - i), GifByteType(i / 2)};
    ColorMapObject* map = GifMakeMapObject(256, colors.data());
    EGifPutScreenDesc(gif, kWidth, kHeight, 8, 0, map);
    EGifPutImageDesc(gif, 0, 0, kWidth, kHeight, false, nullptr);
    std::vector<GifPixelType> line(kWidth);
    for (int y = 0; y < kHeight; ++y) {
        std::memcpy(line.data(), pixels.data() + static_cast<size_t>(y) * kWidth, kWidth);
        EGifPutLine(gif, line.data(), kWidth);
    }
    EGifCloseFile(gif, &error);
    GifFreeMapObject(map);
    return out;
}

struct ReadCursor {
    const std::vector<Byte>* data;
    size_t at;
};

int ReadFromVector(GifFileType* gif, GifByteType* buffer, int n) {
    auto* c = static_cast<ReadCursor*>(gif->UserData);
    size_t k = std::min<size_t>(static_cast<size_t>(n), c->data->size() - c->at);
    std::memcpy(buffer, c->data->data() + c->at, k);
    c->at += k;
    return static_cast<int>(k);
}

const char* KindName(int kind) {
    return kind == 0 ? "photo" : "flat";
}

// The size of giflib's image data for the frame.
size_t GiflibImageDataSize(const std::vector<Byte>& pixels) {
    return GiflibFile(pixels).size() - 13 - 768 - 10 - 1;
}

void BM_LZWEncode_Ours(benchmark::State& state) {
    const std::vector<Byte>& pixels = Indices(static_cast<int>(state.range(0)));
    size_t size = 0;
    for (auto _ : state) {
        TMemoryStream s;
        EncodeImageData(s, pixels.data(), kWidth, kHeight, false, 8, 256, kCompressLZW, nullptr);
        size = static_cast<size_t>(s.Size());
        benchmark::DoNotOptimize(s.Memory());
    }
    // Speed bought with a weaker table would not count.
    if (size > GiflibImageDataSize(pixels))
        state.SkipWithError("our image data is larger than giflib's");
    state.SetLabel(KindName(static_cast<int>(state.range(0))));
    state.counters["bytes"] = static_cast<double>(size);
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}

void BM_LZWEncode_Giflib(benchmark::State& state) {
    const std::vector<Byte>& pixels = Indices(static_cast<int>(state.range(0)));
    size_t size = 0;
    for (auto _ : state) {
        std::vector<Byte> file = GiflibFile(pixels);
        // The image data alone: less header, global table, descriptor and trailer.
        size = file.size() - 13 - 768 - 10 - 1;
        benchmark::DoNotOptimize(file.data());
    }
    state.SetLabel(KindName(static_cast<int>(state.range(0))));
    state.counters["bytes"] = static_cast<double>(size);
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}

void BM_LZWDecode_Ours(benchmark::State& state) {
    const std::vector<Byte>& pixels = Indices(static_cast<int>(state.range(0)));
    std::vector<Byte> data = OurImageData(pixels);
    std::vector<Byte> out(pixels.size());
    for (auto _ : state) {
        TMemoryStream s;
        s.WriteBuffer(data.data(), static_cast<Int64>(data.size()));
        s.SetPosition(0);
        DecodeImageData(s, out.data(), kWidth, kHeight, false, nullptr);
        benchmark::DoNotOptimize(out.data());
    }
    if (out != pixels) state.SkipWithError("decoded pixels differ");
    state.SetLabel(KindName(static_cast<int>(state.range(0))));
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}

void BM_LZWDecode_Giflib(benchmark::State& state) {
    const std::vector<Byte>& pixels = Indices(static_cast<int>(state.range(0)));
    std::vector<Byte> file = GiflibFile(pixels);
    bool same = true;
    for (auto _ : state) {
        ReadCursor cursor{&file, 0};
        int error = 0;
        GifFileType* gif = DGifOpen(&cursor, ReadFromVector, &error);
        if (!gif || DGifSlurp(gif) != GIF_OK) {
            state.SkipWithError("giflib could not read its own file");
            break;
        }
        same = std::memcmp(gif->SavedImages[0].RasterBits, pixels.data(), pixels.size()) == 0;
        DGifCloseFile(gif, &error);
    }
    if (!same) state.SkipWithError("giflib's pixels differ");
    state.SetLabel(KindName(static_cast<int>(state.range(0))));
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}

void BM_OctreeQuantize(benchmark::State& state) {
    static const std::vector<Byte> rgb = PhotoRGB();
    for (auto _ : state) {
        PixelBufferRows rows(rgb.data(), kWidth, kHeight);
        TColorQuantizer quantizer(256, 8);
        quantizer.ScanImage(rows);
        benchmark::DoNotOptimize(quantizer.Leaves());
    }
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}

std::vector<PALETTEENTRY> PhotoPalette(const std::vector<Byte>& rgb) {
    PixelBufferRows rows(rgb.data(), kWidth, kHeight);
    TColorQuantizer quantizer(256, 8);
    quantizer.ScanImage(rows);
    std::vector<PALETTEENTRY> entries;
    for (const RGBQUAD& q : quantizer.Colors())
        entries.push_back({q.rgbRed, q.rgbGreen, q.rgbBlue, 0});
    return entries;
}

void BM_Dither(benchmark::State& state) {
    static const std::vector<Byte> rgb = PhotoRGB();
    static const std::vector<PALETTEENTRY> palette = PhotoPalette(rgb);
    int method = static_cast<int>(state.range(0));
    static const char* names[] = {"nearest", "floyd-steinberg", "stucki", "sierra",
                                  "jajuni",  "stevenson-arce",  "burkes"};
    for (auto _ : state) {
        TFastColorLookup lookup(palette.data(), static_cast<int>(palette.size()));
        std::unique_ptr<TDitherEngine> ditherer = CreateDitherer(method, kWidth, &lookup);
        Byte r, g, b;
        unsigned sum = 0;
        for (int y = 0; y < kHeight; ++y) {
            for (int x = ditherer->Column; x >= 0 && x < kWidth; x = ditherer->Column) {
                const Byte* p = &rgb[(static_cast<size_t>(y) * kWidth + x) * 3];
                sum += ditherer->DitherPixel(p[2], p[1], p[0], r, g, b);
            }
            ditherer->NextRow();
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetLabel(names[method]);
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}

void BM_FastColorLookup(benchmark::State& state) {
    static const std::vector<Byte> rgb = PhotoRGB();
    static const std::vector<PALETTEENTRY> palette = PhotoPalette(rgb);
    for (auto _ : state) {
        TFastColorLookup lookup(palette.data(), static_cast<int>(palette.size()));
        Byte r, g, b;
        unsigned sum = 0;
        for (size_t i = 0; i < rgb.size(); i += 3)
            sum += lookup.NearestIndex(rgb[i + 2], rgb[i + 1], rgb[i], r, g, b);
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}

} // namespace

BENCHMARK(BM_LZWEncode_Ours)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LZWEncode_Giflib)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LZWDecode_Ours)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LZWDecode_Giflib)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OctreeQuantize)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Dither)->DenseRange(0, 6)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FastColorLookup)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
