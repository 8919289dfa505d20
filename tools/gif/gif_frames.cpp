// Writes 20 grid frames of 639 x 480 as 24-bit BMP files (frame00.bmp .. frame19.bmp), the
// input of the GIF encoding measurements. "static": a 3 x 3 grid of still synthetic scenes
// in which only a small ball and a counter strip move; "moving": a zooming fractal that
// changes every pixel of every frame.
//   gif_frames static|moving DIR
#include "gif_tool_support.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

using giftool::Picture;

constexpr int kWidth = 639;
constexpr int kHeight = 480;
constexpr int kFrames = 20;
constexpr int kGridCells = 3;
constexpr int kBorder = 3;

void Put(Picture& p, int x, int y, double r, double g, double b) {
    unsigned char* q = p.At(x, y);
    q[0] = static_cast<unsigned char>(std::clamp(r, 0.0, 255.0));
    q[1] = static_cast<unsigned char>(std::clamp(g, 0.0, 255.0));
    q[2] = static_cast<unsigned char>(std::clamp(b, 0.0, 255.0));
}

// Scene number `kind` at (u, v) in 0..1 of its cell.
void SceneColor(int kind, double u, double v, double& r, double& g, double& b) {
    switch (kind % 6) {
    case 0: // sky over a field
        if (v < 0.6) {
            r = 90 + 100 * v, g = 140 + 80 * v, b = 230 - 40 * v;
        } else {
            r = 60 + 40 * u, g = 120 + 60 * (v - 0.6), b = 40;
        }
        break;
    case 1: // soft rings
    {
        double d = std::hypot(u - 0.5, v - 0.5);
        r = 128 + 120 * std::cos(d * 25), g = 90 + 60 * std::sin(d * 13), b = 160 - 100 * d;
    } break;
    case 2: // a room: wall, floor and a window
        if (u > 0.55 && u < 0.85 && v > 0.15 && v < 0.5) {
            r = 200, g = 220, b = 250;
        } else if (v > 0.7) {
            r = 120 + 30 * u, g = 80, b = 50;
        } else {
            r = 215 - 40 * v, g = 200 - 40 * v, b = 170 - 30 * v;
        }
        break;
    case 3: // a diagonal gradient
        r = 255 * u, g = 255 * (1 - v), b = 128 + 127 * std::sin((u + v) * 3);
        break;
    case 4: // a face-like blob on dark ground
    {
        double d = std::hypot((u - 0.5) * 1.3, v - 0.45);
        if (d < 0.3) {
            r = 230 - 200 * d, g = 180 - 180 * d, b = 150 - 150 * d;
        } else {
            r = 30 + 20 * v, g = 30, b = 45;
        }
    } break;
    default: // bars of colour
    {
        int bar = static_cast<int>(u * 7);
        static const double bars[7][3] = {{192, 192, 192}, {192, 192, 0}, {0, 192, 192},
                                          {0, 192, 0},     {192, 0, 192}, {192, 0, 0},
                                          {0, 0, 192}};
        r = bars[bar][0] * (0.7 + 0.3 * v), g = bars[bar][1] * (0.7 + 0.3 * v),
        b = bars[bar][2] * (0.7 + 0.3 * v);
    } break;
    }
}

Picture StaticFrame(int frame) {
    Picture p = giftool::MakePicture(kWidth, kHeight, 3);
    int cellW = (kWidth - kBorder * (kGridCells + 1)) / kGridCells;
    int cellH = (kHeight - kBorder * (kGridCells + 1)) / kGridCells;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            Put(p, x, y, 16, 16, 16);
    for (int cy = 0; cy < kGridCells; ++cy)
        for (int cx = 0; cx < kGridCells; ++cx) {
            int kind = cy * kGridCells + cx;
            int x0 = kBorder + cx * (cellW + kBorder), y0 = kBorder + cy * (cellH + kBorder);
            for (int y = 0; y < cellH; ++y)
                for (int x = 0; x < cellW; ++x) {
                    double r, g, b;
                    SceneColor(kind, x / double(cellW), y / double(cellH), r, g, b);
                    Put(p, x0 + x, y0 + y, r, g, b);
                }
        }
    // The moving parts: a ball crossing the middle cell and a counter strip in the last.
    int x0 = kBorder + (cellW + kBorder), y0 = kBorder + (cellH + kBorder);
    double bx = x0 + 20 + (cellW - 40) * frame / double(kFrames - 1), by = y0 + cellH / 2.0;
    for (int y = y0; y < y0 + cellH; ++y)
        for (int x = x0; x < x0 + cellW; ++x)
            if (std::hypot(x - bx, y - by) < 14) Put(p, x, y, 250, 60 + 8 * frame, 30);
    int sx = kBorder + 2 * (cellW + kBorder) + 8, sy = kBorder + 2 * (cellH + kBorder) + cellH - 20;
    for (int i = 0; i < 10; ++i)
        for (int y = sy; y < sy + 12; ++y)
            for (int x = sx + i * 14; x < sx + i * 14 + 10; ++x)
                Put(p, x, y, ((frame >> (i % 5)) & 1) ? 255 : 40, 255, 255);
    return p;
}

Picture FractalFrame(int frame) {
    Picture p = giftool::MakePicture(kWidth, kHeight, 3);
    // Zooms towards a point on the edge of the set; each frame shows four fifths of the last.
    const double cx = -0.743643887037151, cy = 0.131825904205330;
    double scale = 3.0 / kWidth * std::pow(0.8, frame);
    const int kMaxIterations = 400;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            double re = cx + (x - kWidth / 2.0) * scale, im = cy + (y - kHeight / 2.0) * scale;
            double zr = 0, zi = 0;
            int n = 0;
            while (n < kMaxIterations && zr * zr + zi * zi < 256) {
                double t = zr * zr - zi * zi + re;
                zi = 2 * zr * zi + im;
                zr = t;
                ++n;
            }
            if (n == kMaxIterations) {
                Put(p, x, y, 0, 0, 20);
                continue;
            }
            // Smooth colouring: a fractional iteration count through three sines.
            double mu = n + 1 - std::log2(std::log2(std::sqrt(zr * zr + zi * zi)));
            double t = mu * 0.05 + frame * 0.03;
            Put(p, x, y, 128 + 127 * std::sin(t * 6.28), 128 + 127 * std::sin(t * 6.28 + 2.1),
                128 + 127 * std::sin(t * 6.28 + 4.2));
        }
    return p;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3 || (std::strcmp(argv[1], "static") != 0 && std::strcmp(argv[1], "moving") != 0)) {
        std::fprintf(stderr, "usage: gif_frames static|moving DIR\n");
        return 2;
    }
    bool moving = std::strcmp(argv[1], "moving") == 0;
    try {
        for (int i = 0; i < kFrames; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "/frame%02d.bmp", i);
            giftool::WriteBMP(argv[2] + std::string(name),
                              moving ? FractalFrame(i) : StaticFrame(i));
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "gif_frames: %s\n", e.what());
        return 1;
    }
    return 0;
}
