#pragma once
// A tiny raster for the style art: 24-bit pixels, see-through pixels in magenta (the skin's
// transparent colour), shapes with smooth edges blended into what lies below them, and BMP
// output. Everything is integer-exact and deterministic.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace art {

struct Rgb {
    int r = 0, g = 0, b = 0;
    bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};

constexpr Rgb kSeeThrough{255, 0, 255};

inline Rgb Hex(unsigned v) {
    return Rgb{int(v >> 16 & 255), int(v >> 8 & 255), int(v & 255)};
}

// a at t = 0, b at t = 1.
inline Rgb Mix(Rgb a, Rgb b, double t) {
    t = std::clamp(t, 0.0, 1.0);
    auto m = [t](int x, int y) { return int(std::lround(x + (y - x) * t)); };
    return Rgb{m(a.r, b.r), m(a.g, b.g), m(a.b, b.b)};
}
inline Rgb Lighter(Rgb c, double t) {
    return Mix(c, Rgb{255, 255, 255}, t);
}
inline Rgb Darker(Rgb c, double t) {
    return Mix(c, Rgb{0, 0, 0}, t);
}

// Colour by position inside a shape, from its top-left corner in [0, 1] units.
using Paint = std::function<Rgb(double u, double v)>;

// Vertical gradient through stops at the given fractions (sorted).
Paint Gradient(std::vector<std::pair<double, Rgb>> stops);
inline Paint Solid(Rgb c) {
    return [c](double, double) { return c; };
}

// How much of a pixel a shape covers, 0..1.
using Coverage = std::function<double(double x, double y)>;
Coverage RoundRect(double x0, double y0, double x1, double y1, double radius);
Coverage Ellipse(double cx, double cy, double rx, double ry);
Coverage Polygon(std::vector<std::pair<double, double>> points);

class Image {
public:
    Image(int w, int h, Rgb fill = kSeeThrough) : w_(w), h_(h), px_(size_t(w) * size_t(h), fill) {}

    int Width() const { return w_; }
    int Height() const { return h_; }
    Rgb Get(int x, int y) const { return px_[size_t(y) * size_t(w_) + size_t(x)]; }
    void Set(int x, int y, Rgb c) {
        if (x >= 0 && y >= 0 && x < w_ && y < h_) px_[size_t(y) * size_t(w_) + size_t(x)] = c;
    }
    void Fill(Rgb c) { std::fill(px_.begin(), px_.end(), c); }
    void FillRect(int x0, int y0, int x1, int y1, Rgb c);
    void FillRect(int x0, int y0, int x1, int y1, const Paint& paint);

    // Paints the shape inside the box (x0, y0)-(x1, y1) (the paint's unit square). Partly
    // covered pixels blend into what is below; over see-through pixels they are taken
    // when at least half covered and left see-through otherwise, so no magenta fringe appears.
    void Draw(const Coverage& shape, const Paint& paint, double x0, double y0, double x1, double y1,
              double alpha = 1.0);
    // A line of the given width, round-ended.
    void Line(double x0, double y0, double x1, double y1, double width, Rgb c, double alpha = 1.0);

    // Copies another image at (x, y), see-through pixels of it skipped.
    void Put(const Image& src, int x, int y);
    // Replaces magenta by a near colour where opaque art is meant, so nothing shows through.
    void Solidify();

    // A complete BMP file, 24 bits per pixel, bottom-up.
    std::vector<std::uint8_t> Bmp() const;

private:
    void Blend(int x, int y, Rgb c, double a);
    int w_, h_;
    std::vector<Rgb> px_;
};

} // namespace art
