#include "Raster.h"

namespace art {

Paint Gradient(std::vector<std::pair<double, Rgb>> stops) {
    return [stops](double, double v) {
        if (v <= stops.front().first) return stops.front().second;
        for (size_t i = 1; i < stops.size(); ++i)
            if (v <= stops[i].first) {
                double span = stops[i].first - stops[i - 1].first;
                double t = span > 0 ? (v - stops[i - 1].first) / span : 1.0;
                return Mix(stops[i - 1].second, stops[i].second, t);
            }
        return stops.back().second;
    };
}

Coverage RoundRect(double x0, double y0, double x1, double y1, double radius) {
    return [=](double x, double y) {
        if (x < x0 || y < y0 || x > x1 || y > y1) return 0.0;
        double cx = std::clamp(x, x0 + radius, x1 - radius);
        double cy = std::clamp(y, y0 + radius, y1 - radius);
        double dx = x - cx, dy = y - cy;
        return dx * dx + dy * dy <= radius * radius ? 1.0 : 0.0;
    };
}

Coverage Ellipse(double cx, double cy, double rx, double ry) {
    return [=](double x, double y) {
        double dx = (x - cx) / rx, dy = (y - cy) / ry;
        return dx * dx + dy * dy <= 1.0 ? 1.0 : 0.0;
    };
}

Coverage Polygon(std::vector<std::pair<double, double>> points) {
    return [points](double x, double y) {
        bool inside = false;
        for (size_t i = 0, j = points.size() - 1; i < points.size(); j = i++) {
            auto [xi, yi] = points[i];
            auto [xj, yj] = points[j];
            if ((yi > y) != (yj > y) && x < (xj - xi) * (y - yi) / (yj - yi) + xi) inside = !inside;
        }
        return inside ? 1.0 : 0.0;
    };
}

void Image::FillRect(int x0, int y0, int x1, int y1, Rgb c) {
    for (int y = std::max(y0, 0); y < std::min(y1, h_); ++y)
        for (int x = std::max(x0, 0); x < std::min(x1, w_); ++x)
            Set(x, y, c);
}

void Image::FillRect(int x0, int y0, int x1, int y1, const Paint& paint) {
    const double w = std::max(1, x1 - x0 - 1), h = std::max(1, y1 - y0 - 1);
    for (int y = std::max(y0, 0); y < std::min(y1, h_); ++y)
        for (int x = std::max(x0, 0); x < std::min(x1, w_); ++x)
            Set(x, y, paint((x - x0) / w, (y - y0) / h));
}

void Image::Blend(int x, int y, Rgb c, double a) {
    if (x < 0 || y < 0 || x >= w_ || y >= h_ || a <= 0) return;
    Rgb below = Get(x, y);
    if (below == kSeeThrough) {
        if (a >= 0.5) Set(x, y, c);
        return;
    }
    Set(x, y, Mix(below, c, a));
}

void Image::Draw(const Coverage& shape, const Paint& paint, double x0, double y0, double x1,
                 double y1, double alpha) {
    constexpr int kSub = 4; // 4 x 4 samples per pixel
    const double w = std::max(1e-9, x1 - x0), h = std::max(1e-9, y1 - y0);
    for (int y = 0; y < h_; ++y)
        for (int x = 0; x < w_; ++x) {
            int hits = 0;
            for (int sy = 0; sy < kSub; ++sy)
                for (int sx = 0; sx < kSub; ++sx)
                    if (shape(x + (sx + 0.5) / kSub, y + (sy + 0.5) / kSub) > 0) ++hits;
            if (!hits) continue;
            Rgb c = paint(std::clamp((x + 0.5 - x0) / w, 0.0, 1.0),
                          std::clamp((y + 0.5 - y0) / h, 0.0, 1.0));
            Blend(x, y, c, alpha * hits / double(kSub * kSub));
        }
}

void Image::Line(double x0, double y0, double x1, double y1, double width, Rgb c, double alpha) {
    const double r = width / 2;
    Coverage seg = [=](double x, double y) {
        double dx = x1 - x0, dy = y1 - y0;
        double len2 = dx * dx + dy * dy;
        double t = len2 > 0 ? std::clamp(((x - x0) * dx + (y - y0) * dy) / len2, 0.0, 1.0) : 0.0;
        double px = x0 + t * dx - x, py = y0 + t * dy - y;
        return px * px + py * py <= r * r ? 1.0 : 0.0;
    };
    Draw(seg, Solid(c), 0, 0, 1, 1, alpha);
}

void Image::Put(const Image& src, int x, int y) {
    for (int j = 0; j < src.h_; ++j)
        for (int i = 0; i < src.w_; ++i)
            if (!(src.Get(i, j) == kSeeThrough)) Set(x + i, y + j, src.Get(i, j));
}

void Image::Solidify() {
    for (Rgb& c : px_)
        if (c == kSeeThrough) c = Rgb{254, 1, 254};
}

std::vector<std::uint8_t> Image::Bmp() const {
    const int stride = (w_ * 3 + 3) & ~3;
    const std::uint32_t dataSize = std::uint32_t(stride) * std::uint32_t(h_);
    const std::uint32_t fileSize = 54 + dataSize;
    std::vector<std::uint8_t> out;
    auto u16 = [&](unsigned v) {
        out.push_back(v & 255);
        out.push_back(v >> 8 & 255);
    };
    auto u32 = [&](std::uint32_t v) {
        u16(v & 0xFFFF);
        u16(v >> 16);
    };
    out.push_back('B');
    out.push_back('M');
    u32(fileSize);
    u32(0);
    u32(54);
    u32(40);
    u32(std::uint32_t(w_));
    u32(std::uint32_t(h_));
    u16(1);
    u16(24);
    u32(0);
    u32(dataSize);
    u32(2835);
    u32(2835);
    u32(0);
    u32(0);
    for (int y = h_ - 1; y >= 0; --y) {
        for (int x = 0; x < w_; ++x) {
            Rgb c = Get(x, y);
            out.push_back(std::uint8_t(c.b));
            out.push_back(std::uint8_t(c.g));
            out.push_back(std::uint8_t(c.r));
        }
        for (int p = w_ * 3; p < stride; ++p)
            out.push_back(0);
    }
    return out;
}

} // namespace art
