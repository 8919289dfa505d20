// The caption parts and the pictures outside the theme items.
#include "Parts.h"

#include <cstdint>

namespace art {

namespace {

// A deterministic grain in [-1, 1] per column, for brushed metal.
double Grain(int x) {
    std::uint32_t v = std::uint32_t(x) * 2654435761u;
    v ^= v >> 13;
    v *= 0x5bd1e995u;
    v ^= v >> 15;
    return (v % 2001) / 1000.0 - 1.0;
}

Paint CaptionPaint(const Style& s) {
    return Gradient(
        {{0, s.titleHighlight}, {0.07, s.titleTop}, {0.93, s.titleBottom}, {1, s.titleShadow}});
}

enum Kind { ControlBox, Help, Maximise, Restore, Minimise, Close };

void Glyph(Image& p, Kind kind, double size, Rgb c) {
    const double m = size * 0.3, a = m, b = size - m;
    const double pen = size >= 19 ? 2.0 : 1.6;
    switch (kind) {
    case Close:
        p.Line(a, a, b, b, pen, c);
        p.Line(a, b, b, a, pen, c);
        break;
    case Minimise:
        p.Line(a, b - 0.5, b, b - 0.5, pen, c);
        break;
    case Maximise:
        p.Line(a, a, b, a, pen + 0.6, c);
        p.Line(a, a, a, b, 1.2, c);
        p.Line(b, a, b, b, 1.2, c);
        p.Line(a, b, b, b, 1.2, c);
        break;
    case Restore: {
        const double d = size * 0.12;
        p.Line(a + d, a, b, a, 1.6, c);
        p.Line(b, a, b, b - d, 1.2, c);
        p.Line(a, a + d, b - d, a + d, 1.8, c);
        p.Line(a, a + d, a, b, 1.2, c);
        p.Line(b - d, a + d, b - d, b, 1.2, c);
        p.Line(a, b, b - d, b, 1.2, c);
        break;
    }
    case Help: {
        const double cx = size / 2.0;
        p.Line(cx - size * 0.14, a + 1, cx, a, pen, c);
        p.Line(cx, a, cx + size * 0.15, a + 1.2, pen, c);
        p.Line(cx + size * 0.15, a + 1.2, cx + size * 0.12, a + size * 0.2, pen, c);
        p.Line(cx + size * 0.12, a + size * 0.2, cx, size * 0.56, pen, c);
        p.Line(cx, size * 0.56, cx, size * 0.6, pen, c);
        p.Draw(Ellipse(cx, b - 0.2, pen * 0.6, pen * 0.6), Solid(c), 0, 0, 1, 1);
        break;
    }
    case ControlBox: {
        // A small picture of a preview grid: the program's own mark.
        const double g = (b - a) / 2.0;
        for (int i = 0; i < 2; ++i)
            for (int j = 0; j < 2; ++j)
                p.Draw(RoundRect(a + i * g + 0.5, a + j * g + 0.5, a + (i + 1) * g - 0.5,
                                 a + (j + 1) * g - 0.5, 0.8),
                       Solid(c), 0, 0, 1, 1);
        break;
    }
    }
}

} // namespace

Image TitleButtonStrip(const Style& s, int w, int h, int titleHeight) {
    const int pw = w / 18;
    Image strip(w, h);
    for (int kind = 0; kind < 6; ++kind)
        for (int state = 0; state < 3; ++state) {
            Image p(pw, h);
            if (!s.titleButtonSeeThrough) {
                // Drawn over the caption as it is where the buttons sit.
                Paint caption = CaptionPaint(s);
                for (int y = 0; y < h; ++y) {
                    double v = double(std::clamp(y + s.titleButtonTop, 0, titleHeight - 1)) /
                               (titleHeight - 1);
                    p.FillRect(0, y, pw, y + 1, caption(0, v));
                }
            }
            const bool close = kind == Close;
            Rgb top, bottom, edge, ink = s.titleGlyph;
            switch (s.look) {
            case Look::Aqua:
                top = state == 0 ? Hex(0xF4F6F8) : state == 1 ? Hex(0xC9E3FB) : Hex(0x7DB6EC);
                bottom = state == 0 ? Hex(0xB9BEC6) : state == 1 ? Hex(0x68A9E8) : Hex(0x2F78C9);
                edge = Hex(0x7D8188);
                ink = state == 0 ? Hex(0x6A6E75) : Hex(0x17406E);
                break;
            case Look::Xp:
                top = close ? Hex(0xF0A080) : Hex(0x7FB0FF);
                bottom = close ? Hex(0xC8411E) : Hex(0x2A62DB);
                if (state == 1) {
                    top = Lighter(top, 0.25);
                    bottom = Lighter(bottom, 0.2);
                }
                if (state == 2) {
                    top = Darker(bottom, 0.1);
                    bottom = Darker(bottom, 0.25);
                }
                edge = Hex(0xFFFFFF);
                break;
            case Look::Deep:
                top = close ? Hex(0xD86A5C) : Hex(0x4C76C2);
                bottom = close ? Hex(0x8E2A1E) : Hex(0x1B3774);
                if (state == 1) {
                    top = Lighter(top, 0.2);
                    bottom = Lighter(bottom, 0.15);
                }
                if (state == 2) {
                    std::swap(top, bottom);
                }
                edge = Hex(0x8FAEE6);
                break;
            case Look::Silver:
                top = state == 2 ? Hex(0xAEB3BB) : Hex(0xFFFFFF);
                bottom = state == 2 ? Hex(0xE4E6EA) : state == 1 ? Hex(0xD3DAE6) : Hex(0xC2C6CD);
                edge = Hex(0x5A5E66);
                if (close && state == 1) {
                    top = Hex(0xFFE9E6);
                    bottom = Hex(0xE89488);
                }
                break;
            case Look::Glass:
                top = close ? Hex(0xF7B3AA) : Hex(0xD5ECFF);
                bottom = close ? Hex(0xC43A2C) : Hex(0x3F83CC);
                if (state == 1) {
                    top = Lighter(top, 0.3);
                    bottom = Lighter(bottom, 0.2);
                }
                if (state == 2) {
                    top = Darker(top, 0.2);
                    bottom = Darker(bottom, 0.2);
                }
                edge = Hex(0x1A4478);
                ink = Hex(0xFFFFFF);
                break;
            }
            const double x0 = 1, y0 = 1, x1 = pw - 1, y1 = h - 1;
            if (s.look == Look::Aqua) {
                const double r = (x1 - x0) / 2.0;
                p.Draw(Ellipse(pw / 2.0, h / 2.0, r, r), Solid(edge), 0, 0, pw, h);
                p.Draw(Ellipse(pw / 2.0, h / 2.0, r - 1, r - 1), Gradient({{0, top}, {1, bottom}}),
                       x0, y0, x1, y1);
                p.Draw(Ellipse(pw / 2.0, h * 0.36, r * 0.6, r * 0.38), Solid(Rgb{255, 255, 255}), 0,
                       0, 1, 1, 0.6);
            } else {
                const double r = s.look == Look::Xp ? 3 : s.look == Look::Glass ? 4 : 2.5;
                p.Draw(RoundRect(x0, y0, x1, y1, r), Solid(edge), 0, 0, 1, 1);
                p.Draw(RoundRect(x0 + 1, y0 + 1, x1 - 1, y1 - 1, r - 1),
                       Gradient({{0, top}, {1, bottom}}), x0, y0, x1, y1);
                if (s.gloss)
                    p.Draw(RoundRect(x0 + 2, y0 + 1.5, x1 - 2, h / 2.0, r - 2),
                           Solid(Rgb{255, 255, 255}), 0, 0, 1, 1, 0.45);
            }
            if (!(s.look == Look::Aqua && state == 0 && kind != ControlBox))
                Glyph(p, Kind(kind), pw, ink);
            if (s.titleButtonSeeThrough) {
                p.Set(0, 0, kSeeThrough);
                p.Set(0, h - 1, kSeeThrough);
            }
            strip.Put(p, (kind * 3 + state) * pw, 0);
        }
    return strip;
}

Image TitleSection(const Style& s, int w, int h, int which) {
    Image img(w, h, s.titleTop);
    img.FillRect(0, 0, w, h, CaptionPaint(s));
    switch (s.look) {
    case Look::Aqua:
        // Fine horizontal lines over the whole caption.
        for (int y = 1; y < h - 1; y += 2)
            img.FillRect(0, y, w, y + 1, Lighter(img.Get(0, y), 0.35));
        break;
    case Look::Silver:
        if (which == 0) {
            // Brushed metal that fades into the plain caption the stretched parts continue.
            for (int x = 0; x < w; ++x) {
                double fade = std::clamp(1.0 - double(x) / (w * 0.8), 0.0, 1.0);
                double g = Grain(x) * 0.06 * fade;
                for (int y = 1; y < h - 1; ++y) {
                    Rgb c = img.Get(x, y);
                    img.Set(x, y, g > 0 ? Lighter(c, g) : Darker(c, -g));
                }
            }
        }
        break;
    case Look::Glass:
        // A shine over the upper half, and a soft glow behind the caption's start.
        // A light shine: the white caption must stand out from it too.
        img.Draw(RoundRect(-4, 1, w + 4, h * 0.48, 0), Solid(Rgb{255, 255, 255}), 0, 0, 1, 1, 0.12);
        if (which == 0)
            img.Draw(Ellipse(w * 0.35, h * 0.6, w * 0.45, h * 0.5), Solid(s.titleHighlight), 0, 0,
                     1, 1, 0.08);
        break;
    case Look::Deep:
        if (which == 0)
            for (int x = 0; x < w; ++x) {
                double t = std::clamp(1.0 - double(x) / w, 0.0, 1.0);
                for (int y = 1; y < h / 2; ++y)
                    img.Set(x, y, Lighter(img.Get(x, y), 0.12 * t));
            }
        break;
    case Look::Xp:
        break;
    }
    // The outer frame line of the window's caption.
    if (which == 0) img.FillRect(0, 0, 1, h, s.titleShadow);
    if (which == 2) img.FillRect(w - 1, 0, w, h, s.titleShadow);
    img.FillRect(0, 0, w, 1, s.titleShadow);
    return img;
}

Image MenuBarStrip(int w, int h) {
    Image img(w, h);
    img.FillRect(
        0, 0, w, h,
        Gradient(
            {{0, Hex(0xFFFFFF)}, {0.5, Hex(0xF1F1F1)}, {0.95, Hex(0xDCDCDC)}, {1, Hex(0xA8A8A8)}}));
    return img;
}

Image MenuSelectStrip(int w, int h) {
    Image img(w, h);
    img.FillRect(0, 0, w, h, Gradient({{0, Hex(0x7DB9F2)}, {1, Hex(0x2E7AD6)}}));
    return img;
}

Image FormTile(const Style& s, int w, int h) {
    Image img(w, h, s.background);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            if (s.look == Look::Aqua)
                img.Set(x, y, y % 2 ? Hex(0xE2E2E2) : Hex(0xEDEDED));
            else if ((x + y) % 4 == 0)
                img.Set(x, y, Darker(s.background, 0.025));
        }
    return img;
}

Image MenuCheckMark(int w, int h) {
    Image img(w, h, Rgb{255, 255, 255});
    Rgb ink = Hex(0x1F2733);
    img.Line(w * 0.25, h * 0.52, w * 0.42, h * 0.70, 2.0, ink);
    img.Line(w * 0.42, h * 0.70, w * 0.76, h * 0.30, 2.0, ink);
    return img;
}

Image MdiButtons(int w, int h) {
    Image img(w, h);
    const int pw = w / 3;
    const Rgb ink = Hex(0x2B2F36);
    Kind kinds[3] = {Minimise, Restore, Close};
    for (int i = 0; i < 3; ++i) {
        Image p(pw, h);
        Glyph(p, kinds[i], pw, ink);
        img.Put(p, i * pw, 0);
    }
    return img;
}

Image NavigatorGlyphs(int w, int h) {
    Image img(w, h);
    const int pw = w / 10;
    const Rgb ink = Hex(0x2A3A55), green = Hex(0x2E8B3A), red = Hex(0xC0392B);
    for (int i = 0; i < 10; ++i) {
        Image p(pw, h);
        const double c = pw / 2.0, m = h / 2.0;
        auto tri = [&](double cx, bool left) {
            std::vector<std::pair<double, double>> pts =
                left ? std::vector<std::pair<double, double>>{{cx + 3, m - 4.5},
                                                              {cx + 3, m + 4.5},
                                                              {cx - 2, m}}
                     : std::vector<std::pair<double, double>>{
                           {cx - 3, m - 4.5}, {cx - 3, m + 4.5}, {cx + 2, m}};
            p.Draw(Polygon(pts), Solid(ink), 0, 0, 1, 1);
        };
        switch (i) {
        case 0:
            p.FillRect(3, 4, 5, 12, ink);
            tri(c + 1, true);
            break;
        case 1:
            tri(c, true);
            break;
        case 2:
            tri(c, false);
            break;
        case 3:
            tri(c - 1, false);
            p.FillRect(11, 4, 13, 12, ink);
            break;
        case 4:
            p.Line(c, 3.5, c, 12.5, 2.2, green);
            p.Line(3.5, m, 12.5, m, 2.2, green);
            break;
        case 5:
            p.Line(3.5, m, 12.5, m, 2.2, red);
            break;
        case 6:
            p.Line(4, 12, 12, 4, 2.6, ink);
            p.Line(3.2, 12.8, 4.4, 11.6, 1.2, Hex(0xE0A030));
            break;
        case 7:
            p.Line(3.5, 8.5, 6.5, 11.5, 2.0, green);
            p.Line(6.5, 11.5, 12.5, 4.5, 2.0, green);
            break;
        case 8:
            p.Line(4, 4, 12, 12, 2.0, red);
            p.Line(4, 12, 12, 4, 2.0, red);
            break;
        default: {
            // A circular arrow.
            const double r = 4.6;
            double px = c + r, py = m;
            for (int k = 1; k <= 10; ++k) {
                double t = k * 0.5;
                double x = c + r * std::cos(t), y = m - r * std::sin(t);
                p.Line(px, py, x, y, 1.8, ink);
                px = x;
                py = y;
            }
            p.Draw(Polygon({{c + r - 3, m - 1}, {c + r + 3, m - 1}, {c + r, m + 2.5}}), Solid(ink),
                   0, 0, 1, 1);
            break;
        }
        }
        img.Put(p, i * pw, 0);
    }
    return img;
}

Image MainIcon(int w, int h) {
    Image img(w, h);
    img.Draw(RoundRect(1, 1, w - 1, h - 1, 5), Solid(Hex(0x24324A)), 1, 1, w - 1, h - 1);
    const Rgb cells[4] = {Hex(0x4A9BE6), Hex(0xF0A030), Hex(0x57B65F), Hex(0xD9534F)};
    const double g = (w - 8) / 2.0;
    for (int i = 0; i < 2; ++i)
        for (int j = 0; j < 2; ++j) {
            const double x0 = 4 + i * g + 0.5, y0 = 4 + j * g + 0.5;
            img.Draw(RoundRect(x0, y0, x0 + g - 1, y0 + g - 1, 2),
                     Gradient({{0, Lighter(cells[j * 2 + i], 0.3)}, {1, cells[j * 2 + i]}}), x0, y0,
                     x0 + g - 1, y0 + g - 1);
        }
    img.Set(0, 0, kSeeThrough);
    img.Set(0, h - 1, kSeeThrough);
    return img;
}

} // namespace art
