// The control parts: buttons, boxes, bars and their pieces.
#include "Parts.h"

namespace art {

namespace {

// Makes the corners see-through where the art is meant to show what lies behind it: the
// controls test pixel (0, 0) or the bottom-left pixel for that.
void MarkSeeThroughCorners(Image& img) {
    img.Set(0, 0, kSeeThrough);
    img.Set(0, img.Height() - 1, kSeeThrough);
}

// A framed face: an outline in `edge` and a face painted inside it.
void Face(Image& img, double x0, double y0, double x1, double y1, double r, Rgb edge,
          const Paint& face) {
    img.Draw(RoundRect(x0, y0, x1, y1, r), Solid(edge), x0, y0, x1, y1);
    img.Draw(RoundRect(x0 + 1, y0 + 1, x1 - 1, y1 - 1, std::max(0.0, r - 1)), face, x0 + 1, y0 + 1,
             x1 - 1, y1 - 1);
}

// A shine over the upper half of a face.
void Gloss(Image& img, double x0, double y0, double x1, double y1, double r, double strength) {
    const double mid = y0 + (y1 - y0) * 0.5;
    img.Draw(RoundRect(x0 + 2, y0 + 1.5, x1 - 2, mid, std::max(0.0, r - 2)),
             Gradient({{0, Rgb{255, 255, 255}}, {1, Lighter(Rgb{200, 220, 240}, 0.5)}}), x0,
             y0 + 1.5, x1, mid, strength);
}

// Colour across a piece from left to right (for pieces drawn for a vertical bar).
Paint Across(Rgb left, Rgb right) {
    return [left, right](double u, double) { return Mix(left, right, u); };
}

Paint Down(Rgb top, Rgb bottom) {
    return Gradient({{0, top}, {1, bottom}});
}

// State colours: 0 normal, 1 hot, 2 pressed.
void StateColours(const Style& s, int state, Rgb& top, Rgb& bottom) {
    top = state == 0 ? s.faceTop : state == 1 ? s.hotTop : s.downTop;
    bottom = state == 0 ? s.faceBottom : state == 1 ? s.hotBottom : s.downBottom;
}

void Triangle(Image& img, double cx, double cy, double size, int direction, Rgb c) {
    // direction: 0 up, 1 down, 2 left, 3 right
    const double a = size, b = size / 2;
    std::vector<std::pair<double, double>> p;
    switch (direction) {
    case 0:
        p = {{cx - a, cy + b}, {cx + a, cy + b}, {cx, cy - b}};
        break;
    case 1:
        p = {{cx - a, cy - b}, {cx + a, cy - b}, {cx, cy + b}};
        break;
    case 2:
        p = {{cx + b, cy - a}, {cx + b, cy + a}, {cx - b, cy}};
        break;
    default:
        p = {{cx - b, cy - a}, {cx - b, cy + a}, {cx + b, cy}};
        break;
    }
    img.Draw(Polygon(p), Solid(c), 0, 0, 1, 1);
}

} // namespace

Image ButtonStrip(const Style& s, int w, int h) {
    const int pw = w / 3;
    Image strip(w, h, s.buttonSeeThrough ? kSeeThrough : s.background);
    for (int state = 0; state < 3; ++state) {
        Image p(pw, h, s.buttonSeeThrough ? kSeeThrough : s.background);
        Rgb top, bottom;
        StateColours(s, state, top, bottom);
        const double r = std::min<double>(s.radius, h / 2.0);
        Paint face = Down(top, bottom);
        if (s.look == Look::Glass)
            face = Gradient(
                {{0, Lighter(top, 0.3)}, {0.48, top}, {0.52, Mix(top, bottom, 0.7)}, {1, bottom}});
        Face(p, 0, 0, pw, h, r, state == 1 && s.look == Look::Xp ? Hex(0x2C5BA8) : s.border, face);
        if (s.look == Look::Xp && state == 1) {
            // A warm inner glow under the pointer.
            p.Draw(RoundRect(1, 1, pw - 1, h - 1, r - 1), Solid(Hex(0xF5B73E)), 1, 1, pw - 1,
                   h - 1);
            p.Draw(RoundRect(3, 3, pw - 3, h - 3, std::max(0.0, r - 2)), face, 3, 3, pw - 3, h - 3);
        }
        if (s.look == Look::Xp && state != 2)
            p.FillRect(2, h - 3, pw - 2, h - 2, Mix(bottom, s.border, 0.15));
        if (s.look == Look::Deep || s.look == Look::Silver) {
            // A light line under the top edge, a darker one above the bottom edge.
            p.FillRect(int(r), 1, pw - int(r), 2,
                       state == 2 ? Darker(top, 0.08) : Rgb{255, 255, 255});
            p.FillRect(int(r), h - 2, pw - int(r), h - 1, Darker(bottom, state == 2 ? 0.0 : 0.1));
        }
        if (s.gloss && state != 2) Gloss(p, 0, 0, pw, h, r, s.look == Look::Aqua ? 0.75 : 0.55);
        if (s.buttonSeeThrough) MarkSeeThroughCorners(p);
        strip.Put(p, state * pw, 0);
    }
    return strip;
}

Image CheckStrip(const Style& s, int w, int h, bool radio) {
    const int pw = w / 4;
    Image strip(w, h, radio ? kSeeThrough : s.background);
    for (int piece = 0; piece < 4; ++piece) {
        const bool on = piece == 0 || piece == 2;
        const bool enabled = piece < 2;
        Image p(pw, h, radio ? kSeeThrough : s.background);
        const int size = std::min(pw, h);
        const double x0 = (pw - size) / 2.0, y0 = (h - size) / 2.0, x1 = x0 + size, y1 = y0 + size;
        Rgb edge = enabled ? s.border : Mix(s.border, s.background, 0.6);
        Rgb top = enabled ? Rgb{255, 255, 255} : Mix(s.background, Rgb{255, 255, 255}, 0.4);
        Rgb bottom = enabled ? Mix(s.faceBottom, Rgb{255, 255, 255}, 0.35) : s.background;
        Rgb mark = enabled ? s.accentDark : Mix(s.border, s.background, 0.5);
        if (s.look == Look::Aqua || s.look == Look::Glass) {
            if (on && enabled) {
                top = s.hotTop;
                bottom = s.hotBottom;
            }
        }
        if (radio) {
            p.Draw(Ellipse(x0 + size / 2.0, y0 + size / 2.0, size / 2.0, size / 2.0), Solid(edge),
                   x0, y0, x1, y1);
            p.Draw(Ellipse(x0 + size / 2.0, y0 + size / 2.0, size / 2.0 - 1, size / 2.0 - 1),
                   Down(top, bottom), x0, y0, x1, y1);
            if (on) {
                const double r = size * 0.2;
                p.Draw(Ellipse(x0 + size / 2.0, y0 + size / 2.0, r + 0.6, r + 0.6),
                       Down(Lighter(mark, 0.3), mark), x0, y0, x1, y1);
            }
            MarkSeeThroughCorners(p);
        } else {
            const double r = s.look == Look::Aqua    ? 3
                             : s.look == Look::Glass ? 2.5
                             : s.look == Look::Xp    ? 0
                                                     : 1;
            Face(p, x0, y0, x1, y1, r, edge, Down(top, bottom));
            if (on) {
                const double k = size;
                p.Line(x0 + 0.27 * k, y0 + 0.52 * k, x0 + 0.44 * k, y0 + 0.70 * k, 1.9, mark);
                p.Line(x0 + 0.44 * k, y0 + 0.70 * k, x0 + 0.75 * k, y0 + 0.30 * k, 1.9, mark);
            }
        }
        strip.Put(p, piece * pw, 0);
    }
    return strip;
}

Image ProgressBar(const Style& s, int w, int h) {
    Image img(w, h, s.background);
    switch (s.look) {
    case Look::Xp:
        // Blocks with a gap between them.
        img.FillRect(0, 0, w - 2, h,
                     Gradient({{0, Lighter(s.accent, 0.5)}, {0.4, s.accent}, {1, s.accentDark}}));
        img.FillRect(w - 2, 0, w, h, Rgb{255, 255, 255});
        break;
    case Look::Aqua:
        img.FillRect(
            0, 0, w, h,
            Gradient({{0, Lighter(s.accent, 0.6)}, {0.5, s.accent}, {1, Lighter(s.accent, 0.3)}}));
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                if ((x + y) % w < w / 2) img.Set(x, y, Lighter(img.Get(x, y), 0.25));
        break;
    default:
        img.FillRect(0, 0, w, h,
                     Gradient({{0, Lighter(s.accent, 0.55)}, {0.5, s.accent}, {1, s.accentDark}}));
        break;
    }
    return img;
}

Image TrackBarBar(const Style& s, int w, int h) {
    Image img(w, h);
    const double r = h / 2.0;
    Face(img, 0, 0, w, h, r, Mix(s.border, s.background, 0.25),
         Gradient({{0, Darker(s.background, 0.28)}, {1, Lighter(s.background, 0.6)}}));
    if (s.look == Look::Aqua || s.look == Look::Glass)
        img.Draw(RoundRect(1, 1, w - 1, h - 1, r - 1), Down(Lighter(s.accent, 0.35), s.accent), 1,
                 1, w - 1, h - 1, 0.55);
    MarkSeeThroughCorners(img);
    img.Set(w - 1, 0, kSeeThrough);
    img.Set(w - 1, h - 1, kSeeThrough);
    return img;
}

Image TrackBarSlider(const Style& s, int w, int h, bool vertical) {
    Image img(w, h, vertical ? s.background : kSeeThrough);
    std::vector<std::pair<double, double>> outer, inner;
    if (!vertical) {
        const double tip = std::min(5.0, w / 2.0);
        outer = {
            {1, 0},       {w - 1.0, 0}, {double(w), 1}, {double(w), h - tip}, {w / 2.0, double(h)},
            {0, h - tip}, {0, 1}};
        inner = {{1.5, 1},           {w - 1.5, 1},       {w - 1.0, 1.5}, {w - 1.0, h - tip - 0.2},
                 {w / 2.0, h - 1.4}, {1, h - tip - 0.2}, {1, 1.5}};
    } else {
        const double tip = std::min(5.0, h / 2.0);
        outer = {
            {0, 1},       {0, h - 1.0}, {1, double(h)}, {w - tip, double(h)}, {double(w), h / 2.0},
            {w - tip, 0}, {1, 0}};
        inner = {{1, 1.5},           {1, h - 1.5},       {1.5, h - 1.0}, {w - tip - 0.2, h - 1.0},
                 {w - 1.4, h / 2.0}, {w - tip - 0.2, 1}, {1.5, 1}};
    }
    img.Draw(Polygon(outer), Solid(s.border), 0, 0, w, h);
    Paint face = vertical ? Across(s.faceTop, s.faceBottom) : Down(s.faceTop, s.faceBottom);
    if (s.look == Look::Aqua || s.look == Look::Glass)
        face = vertical ? Across(s.hotTop, s.downBottom) : Down(s.hotTop, s.downBottom);
    img.Draw(Polygon(inner), face, 0, 0, w, h);
    if (!vertical) MarkSeeThroughCorners(img);
    return img;
}

Image ScrollBarButtons(const Style& s, int w, int h) {
    const int pw = w / 6;
    Image strip(w, h, s.scrollBackground);
    for (int piece = 0; piece < 6; ++piece) {
        const int state = piece % 3;
        Image p(pw, h, s.scrollBackground);
        Rgb a, b;
        StateColours(s, state, a, b);
        const double r = s.look == Look::Aqua ? pw / 2.0 - 1 : s.look == Look::Glass ? 4 : 2;
        Face(p, 0, 0, pw, h, r, s.border, Across(a, b));
        if (s.gloss && state != 2)
            p.Draw(RoundRect(2, 2, pw / 2.0, h - 2, std::max(0.0, r - 2)),
                   Solid(Rgb{255, 255, 255}), 0, 0, 1, 1, 0.45);
        const double size = std::max(2.0, std::min(pw, h) * 0.22);
        Triangle(p, pw / 2.0, h / 2.0, size, piece < 3 ? 0 : 1, s.glyph);
        strip.Put(p, piece * pw, 0);
    }
    return strip;
}

Image ScrollBarThumb(const Style& s, int w, int h) {
    Image img(w, h, s.scrollBackground);
    const double r = std::min(4.0, w / 6.0);
    Rgb top = s.faceTop, bottom = s.faceBottom;
    if (s.look == Look::Aqua || s.look == Look::Glass) {
        top = s.hotTop;
        bottom = s.downBottom;
    }
    Face(img, 0, 1, w, h - 1, r, s.border, Down(top, bottom));
    if (s.gloss)
        img.Draw(RoundRect(2, 2, w - 2, h / 2.0, std::max(0.0, r - 2)), Solid(Rgb{255, 255, 255}),
                 0, 0, 1, 1, 0.5);
    return img;
}

Image TabScrollArrows(const Style& s, int w, int h) {
    const int pw = w / 4;
    Image strip(w, h, s.background);
    for (int piece = 0; piece < 4; ++piece) {
        const bool hot = piece % 2 == 1;
        Image p(pw, h, s.background);
        Face(p, 1, 1, pw - 1, h - 1, 2, hot ? s.accent : Mix(s.border, s.background, 0.35),
             Down(hot ? s.hotTop : s.faceTop, hot ? s.hotBottom : s.faceBottom));
        Triangle(p, pw / 2.0, h / 2.0, std::min(pw, h) * 0.2, piece < 2 ? 3 : 2,
                 hot ? s.accentDark : s.glyph);
        strip.Put(p, piece * pw, 0);
    }
    return strip;
}

Image TabStrip(const Style& s, int w, int h) {
    const int pw = w / 2;
    Image strip(w, h);
    for (int piece = 0; piece < 2; ++piece) {
        const bool active = piece == 0;
        Image p(pw, h);
        const double r = std::max(1.0, std::min(3.0, pw / 3.0));
        const Rgb edge = active ? s.border : Mix(s.border, s.background, 0.35);
        Paint face = active ? Down(Lighter(s.background, 0.7), s.background)
                            : Down(Mix(s.faceTop, s.faceBottom, 0.4), s.faceBottom);
        if (s.look == Look::Xp && active)
            face = Gradient({{0, Hex(0xF5B73E)}, {0.15, Hex(0xFFFFFF)}, {1, s.background}});
        p.Draw(RoundRect(0, 0, pw, h + r + 1, r), Solid(edge), 0, 0, pw, h);
        p.Draw(RoundRect(1, 1, pw - 1, h + r + 1, std::max(0.0, r - 1)), face, 1, 1, pw - 1, h);
        if (!active) p.FillRect(0, h - 1, pw, h, s.border);
        MarkSeeThroughCorners(p);
        strip.Put(p, piece * pw, 0);
    }
    return strip;
}

Image TabLine(const Style& s, int w, int h) {
    Image img(w, h, s.background);
    img.FillRect(0, 0, w, 1, s.border);
    if (h > 1) img.FillRect(0, 1, w, h, Down(Lighter(s.background, 0.6), s.background));
    return img;
}

Image SideChannelHandle(const Style& s, int w, int h) {
    Image img(w, h, s.background);
    Face(img, 0, 0, w, h, std::min(3.0, w / 2.0), s.border, Across(s.faceTop, s.faceBottom));
    for (int i = -2; i <= 2; ++i) {
        const int y = h / 2 + i * 3;
        img.FillRect(2, y, w - 2, y + 1, Darker(s.faceBottom, 0.3));
        img.FillRect(2, y + 1, w - 2, y + 2, Rgb{255, 255, 255});
    }
    return img;
}

Image SideChannelBar(const Style& s, int w, int h) {
    Image img(w, h, s.background);
    img.FillRect(0, 0, w, h,
                 Gradient({{0, s.border}, {0.06, Lighter(s.faceTop, 0.2)}, {1, s.faceBottom}}));
    return img;
}

} // namespace art
