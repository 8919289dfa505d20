#pragma once
// Small pieces the GIF tools and the whole-file GIF benchmark share: BMP files written and
// read by hand (so a tool's output does not depend on the codec it checks), a clock, a
// checksum, and the composing of frames onto a logical screen by their disposal methods.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

namespace giftool {

inline double NowMs() {
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

// FNV-1a over bytes, continued from `hash`.
inline std::uint64_t Fnv1a(const void* data, size_t size,
                           std::uint64_t hash = 0xcbf29ce484222325ULL) {
    const auto* p = static_cast<const unsigned char*>(data);
    for (size_t i = 0; i < size; ++i)
        hash = (hash ^ p[i]) * 0x100000001b3ULL;
    return hash;
}

inline void Put16(std::vector<unsigned char>& out, unsigned v) {
    out.push_back(static_cast<unsigned char>(v));
    out.push_back(static_cast<unsigned char>(v >> 8));
}
inline void Put32(std::vector<unsigned char>& out, std::uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

// A picture of 8-bit channels, rows from the top: 3 bytes (red, green, blue) or 4 (plus
// alpha) per pixel.
struct Picture {
    int width = 0, height = 0, channels = 3;
    std::vector<unsigned char> pixels;
    unsigned char* At(int x, int y) {
        return &pixels[(static_cast<size_t>(y) * width + x) * channels];
    }
    const unsigned char* At(int x, int y) const {
        return &pixels[(static_cast<size_t>(y) * width + x) * channels];
    }
};

inline Picture MakePicture(int width, int height, int channels) {
    Picture p;
    p.width = width;
    p.height = height;
    p.channels = channels;
    p.pixels.assign(static_cast<size_t>(width) * height * channels, 0);
    return p;
}

// An uncompressed bottom-up BMP: 24 bits for 3 channels, 32 bits (with alpha) for 4.
inline void WriteBMP(const std::string& path, const Picture& picture) {
    int bpp = picture.channels * 8;
    size_t stride = (static_cast<size_t>(picture.width) * bpp / 8 + 3) & ~size_t(3);
    std::uint32_t bitsSize = static_cast<std::uint32_t>(stride * picture.height);
    std::vector<unsigned char> out;
    out.reserve(54 + bitsSize);
    out.push_back('B');
    out.push_back('M');
    Put32(out, 54 + bitsSize);
    Put32(out, 0);
    Put32(out, 54);
    Put32(out, 40);
    Put32(out, static_cast<std::uint32_t>(picture.width));
    Put32(out, static_cast<std::uint32_t>(picture.height));
    Put16(out, 1);
    Put16(out, static_cast<unsigned>(bpp));
    Put32(out, 0); // no compression
    Put32(out, bitsSize);
    Put32(out, 2835);
    Put32(out, 2835);
    Put32(out, 0);
    Put32(out, 0);
    for (int y = picture.height - 1; y >= 0; --y) {
        size_t start = out.size();
        for (int x = 0; x < picture.width; ++x) {
            const unsigned char* p = picture.At(x, y);
            out.push_back(p[2]);
            out.push_back(p[1]);
            out.push_back(p[0]);
            if (picture.channels == 4) out.push_back(p[3]);
        }
        out.resize(start + stride, 0);
    }
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) throw std::runtime_error("cannot create " + path);
    size_t written = std::fwrite(out.data(), 1, out.size(), f);
    std::fclose(f);
    if (written != out.size()) throw std::runtime_error("cannot write " + path);
}

// Reads an uncompressed 24 or 32-bit BMP (either row order) as red, green, blue.
inline Picture ReadBMP(const std::string& path) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) throw std::runtime_error("cannot open " + path);
    std::vector<unsigned char> data;
    unsigned char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
        data.insert(data.end(), buffer, buffer + n);
    std::fclose(f);
    auto u32 = [&](size_t at) {
        if (at + 4 > data.size()) throw std::runtime_error("short BMP " + path);
        return std::uint32_t(data[at]) | std::uint32_t(data[at + 1]) << 8 |
               std::uint32_t(data[at + 2]) << 16 | std::uint32_t(data[at + 3]) << 24;
    };
    if (data.size() < 54 || data[0] != 'B' || data[1] != 'M')
        throw std::runtime_error("not a BMP: " + path);
    std::uint32_t offset = u32(10);
    auto width = static_cast<std::int32_t>(u32(18));
    auto height = static_cast<std::int32_t>(u32(22));
    unsigned bpp = data[28] | (data[29] << 8);
    if ((bpp != 24 && bpp != 32) || u32(30) != 0 || width <= 0 || height == 0 || width > 65535 ||
        height > 65535 || height < -65535)
        throw std::runtime_error("unsupported BMP: " + path);
    bool bottomUp = height > 0;
    int h = bottomUp ? height : -height;
    size_t stride = (static_cast<size_t>(width) * bpp / 8 + 3) & ~size_t(3);
    if (offset + stride * h > data.size()) throw std::runtime_error("short BMP " + path);
    Picture p = MakePicture(width, h, 3);
    for (int y = 0; y < h; ++y) {
        const unsigned char* row = &data[offset + stride * (bottomUp ? h - 1 - y : y)];
        for (int x = 0; x < width; ++x, row += bpp / 8) {
            unsigned char* q = p.At(x, y);
            q[0] = row[2];
            q[1] = row[1];
            q[2] = row[0];
        }
    }
    return p;
}

// One frame as the stream gives it, whoever decoded it.
struct FrameView {
    int left = 0, top = 0, width = 0, height = 0;
    const unsigned char* indices = nullptr; // width x height
    const unsigned char* colors = nullptr;  // red, green, blue triplets
    int colorCount = 0;
    int transparent = -1; // -1: none
    int disposal = 0;
};

// The logical screen after each frame, RGBA; starts fully transparent. Disposal 2 clears the
// frame's area to transparent afterwards, 3 puts back what was there before it.
class Composer {
public:
    Composer(int width, int height) : screen_(MakePicture(width, height, 4)) {}

    const Picture& Screen() const { return screen_; }

    // Draws the frame; the screen then shows it. Call Dispose before the next frame.
    void Draw(const FrameView& f) {
        last_ = f;
        if (f.disposal == 3) saved_ = screen_;
        for (int y = 0; y < f.height; ++y) {
            int sy = f.top + y;
            if (sy < 0 || sy >= screen_.height) continue;
            for (int x = 0; x < f.width; ++x) {
                int sx = f.left + x;
                if (sx < 0 || sx >= screen_.width) continue;
                int i = f.indices[static_cast<size_t>(y) * f.width + x];
                if (i == f.transparent) continue;
                unsigned char* q = screen_.At(sx, sy);
                if (i < f.colorCount) {
                    q[0] = f.colors[i * 3];
                    q[1] = f.colors[i * 3 + 1];
                    q[2] = f.colors[i * 3 + 2];
                } else {
                    q[0] = q[1] = q[2] = 0; // an index beyond the table shows black
                }
                q[3] = 255;
            }
        }
    }

    void Dispose() {
        if (last_.disposal == 2) {
            for (int y = std::max(0, last_.top);
                 y < std::min(screen_.height, last_.top + last_.height); ++y)
                for (int x = std::max(0, last_.left);
                     x < std::min(screen_.width, last_.left + last_.width); ++x)
                    std::memset(screen_.At(x, y), 0, 4);
        } else if (last_.disposal == 3 && saved_.width == screen_.width) {
            screen_ = saved_;
        }
        last_ = FrameView{};
    }

private:
    Picture screen_;
    Picture saved_;
    FrameView last_;
};

// Sum of squared differences of the colour channels of an RGBA screen against an RGB source
// of the same size (a transparent screen pixel counts as black).
inline double SquaredError(const Picture& screen, const Picture& source) {
    double sum = 0;
    for (int y = 0; y < source.height; ++y)
        for (int x = 0; x < source.width; ++x) {
            const unsigned char* a = screen.At(x, y);
            const unsigned char* b = source.At(x, y);
            bool shown = screen.channels < 4 || a[3] != 0;
            for (int c = 0; c < 3; ++c) {
                double d = (shown ? a[c] : 0) - double(b[c]);
                sum += d * d;
            }
        }
    return sum;
}

inline double PSNR(double squaredError, double samples) {
    if (squaredError <= 0) return INFINITY;
    double mse = squaredError / samples;
    return 10.0 * std::log10(255.0 * 255.0 / mse);
}

} // namespace giftool
