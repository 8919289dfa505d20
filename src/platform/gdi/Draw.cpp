#include "platform/gdi/Draw.h"

#include "platform/gdi/Blit.h"
#include "platform/gdi/Dc.h"
#include "platform/gdi/internal/Paint.h"
#include "platform/gdi/internal/Shapes.h"

#include <algorithm>
#include <cmath>
#include <numbers>

using namespace gdi;

namespace gdi {

void paintShape(Target& t, const RegionData& shape, const Pattern& pattern, std::uint8_t rop) {
    if (!t.drawable() || pattern.none) return;
    RECT cb = t.clip->bounds();
    for (const RECT& r : shape.rects()) {
        int top = std::max(r.top, cb.top), bottom = std::min(r.bottom, cb.bottom);
        for (int y = top; y < bottom; ++y)
            t.clip->forSpans(y, r.left, r.right, [&](int a, int b) {
                ropSpan(t.surface, y, a, b - a, nullptr, &pattern, rop);
            });
    }
}

std::optional<Pattern> brushPatternOf(Target& t, HBRUSH brush) {
    auto b = find<BrushObj>(brush);
    if (!b) return std::nullopt;
    Encoder enc(t.surface);
    const DcObj& dc = *t.dc;
    POINT origin{dc.state.brushOrg.x + dc.deviceOrigin.x, dc.state.brushOrg.y + dc.deviceOrigin.y};
    return makePattern(*b, t.surface, enc, colorPx(dc, dc.state.textColor),
                       colorPx(dc, dc.state.bkColor), dc.state.bkMode == OPAQUE, origin);
}

Pattern solidPattern(Target& t, Px color) {
    Encoder enc(t.surface);
    return Pattern::solidValue(enc(color));
}

} // namespace gdi

namespace {

struct PenInfo {
    bool none = true;
    UINT style = PS_SOLID;
    int width = 1;
    Px color = 0;
};

PenInfo penOf(const Target& t) {
    PenInfo p;
    auto pen = find<PenObj>(t.dc->state.pen);
    if (!pen || (pen->style & PS_STYLE_MASK) == PS_NULL) return p;
    p.none = false;
    p.style = pen->style & PS_STYLE_MASK;
    p.width = std::max(1, pen->width);
    p.color = colorPx(*t.dc, pen->color);
    return p;
}

RECT deviceBox(const DcObj& dc, int l, int t, int r, int b) {
    int x0 = dc.toDevX(l), y0 = dc.toDevY(t), x1 = dc.toDevX(r), y1 = dc.toDevY(b);
    return RECT{std::min(x0, x1), std::min(y0, y1), std::max(x0, x1), std::max(y0, y1)};
}

std::uint8_t rop2Of(const Target& t) {
    return ropFromRop2(t.dc->state.rop2);
}

// The on/off lengths of the styled cosmetic pens.
std::vector<int> dashesOf(UINT style) {
    switch (style) {
    case PS_DASH:
        return {18, 6};
    case PS_DOT:
        return {3, 3};
    case PS_DASHDOT:
        return {9, 6, 3, 6};
    case PS_DASHDOTDOT:
        return {9, 3, 3, 3, 3, 3};
    default:
        return {};
    }
}

// Where a drawing call can change pixels (the clip's bounds) widened by margin, as rows and
// columns of the device.
RECT visibleWindow(const Target& t, int margin) {
    RECT cb = t.clip->bounds();
    return RECT{cb.left - margin, cb.top - margin, cb.right + margin, cb.bottom + margin};
}

// The part of a shape inside the window, so later per-pixel work stays bounded.
RegionData within(const RegionData& shape, const RECT& window) {
    return RegionData::combine(shape, RegionData(window), RegionData::Op::And);
}

constexpr int kExactLineSteps = 1 << 16;

void linePixels(POINT a, POINT b, const PenInfo& pen, SpanSet& on, SpanSet& off, int& phase,
                const RECT* window = nullptr);

// A line too long to walk pixel by pixel: only the steps that can land in the window are
// visited, each pixel rounded from the exact position.
void longLinePixels(POINT a, POINT b, const PenInfo& pen, SpanSet& on, SpanSet& off, int& phase,
                    const RECT& window) {
    double dx = double(b.x) - a.x, dy = double(b.y) - a.y;
    std::int64_t steps = static_cast<std::int64_t>(std::max(std::abs(dx), std::abs(dy)));
    double lo = 0, hi = static_cast<double>(steps);
    auto clipAxis = [&](double start, double delta, double min, double max) {
        if (delta == 0) {
            if (start < min || start >= max) hi = -1;
            return;
        }
        double t0 = (min - start) / delta * static_cast<double>(steps);
        double t1 = (max - start) / delta * static_cast<double>(steps);
        if (t0 > t1) std::swap(t0, t1);
        lo = std::max(lo, std::floor(t0) - 1);
        hi = std::min(hi, std::ceil(t1) + 1);
    };
    clipAxis(a.x, dx, window.left, window.right);
    clipAxis(a.y, dy, window.top, window.bottom);
    std::int64_t first = static_cast<std::int64_t>(std::max(lo, 0.0));
    std::int64_t last = static_cast<std::int64_t>(std::min(hi, static_cast<double>(steps)));
    std::vector<int> dashes = pen.width == 1 ? dashesOf(pen.style) : std::vector<int>{};
    int cycle = 0;
    for (int d : dashes)
        cycle += d;
    int half = pen.width / 2;
    for (std::int64_t i = first; i < last; ++i) {
        bool draw = true;
        if (cycle) {
            int pos = static_cast<int>((phase + i) % cycle), k = 0;
            while (pos >= dashes[k])
                pos -= dashes[k++];
            draw = k % 2 == 0;
        }
        double f = static_cast<double>(i) / static_cast<double>(steps);
        int x = static_cast<int>(std::lround(a.x + dx * f));
        int y = static_cast<int>(std::lround(a.y + dy * f));
        SpanSet& target = draw ? on : off;
        if (pen.width == 1)
            target.add(y, x, x + 1);
        else
            target.addRect(x - half, y - half, x - half + pen.width, y - half + pen.width);
    }
    if (cycle) phase = static_cast<int>((phase + steps) % cycle);
}

// A line from a to b (device coordinates), end point excluded, as the pixels the pen puts
// down (on) and, for styled pens, the gaps (off).
void linePixels(POINT a, POINT b, const PenInfo& pen, SpanSet& on, SpanSet& off, int& phase,
                const RECT* window) {
    std::int64_t ldx = std::abs(std::int64_t{b.x} - a.x), ldy = std::abs(std::int64_t{b.y} - a.y);
    if (window && std::max(ldx, ldy) > kExactLineSteps) {
        longLinePixels(a, b, pen, on, off, phase, *window);
        return;
    }
    int dx = static_cast<int>(ldx), dy = static_cast<int>(ldy);
    int sx = a.x < b.x ? 1 : -1, sy = a.y < b.y ? 1 : -1;
    int steps = std::max(dx, dy);
    std::vector<int> dashes = pen.width == 1 ? dashesOf(pen.style) : std::vector<int>{};
    int cycle = 0;
    for (int d : dashes)
        cycle += d;
    int err = dx - dy;
    int x = a.x, y = a.y;
    int half = pen.width / 2;
    for (int i = 0; i < steps; ++i) {
        bool draw = true;
        if (cycle) {
            int pos = phase % cycle, k = 0;
            while (pos >= dashes[k])
                pos -= dashes[k++];
            draw = k % 2 == 0;
            ++phase;
        }
        SpanSet& target = draw ? on : off;
        if (pen.width == 1)
            target.add(y, x, x + 1);
        else
            target.addRect(x - half, y - half, x - half + pen.width, y - half + pen.width);
        int e2 = 2 * err;
        if (e2 > -dy) {
            err -= dy;
            x += sx;
        }
        if (e2 < dx) {
            err += dx;
            y += sy;
        }
    }
}

void strokePixels(Target& t, const PenInfo& pen, SpanSet& on, SpanSet& off) {
    std::uint8_t rop = rop2Of(t);
    paintShape(t, on.region(), solidPattern(t, pen.color), rop);
    if (t.dc->state.bkMode == OPAQUE)
        paintShape(t, off.region(), solidPattern(t, colorPx(*t.dc, t.dc->state.bkColor)), rop);
}

void strokePolyline(Target& t, const POINT* pts, int count, bool close) {
    PenInfo pen = penOf(t);
    if (pen.none || count < 2) return;
    SpanSet on, off;
    int phase = 0;
    std::vector<POINT> dev(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        dev[i] = POINT{t.dc->toDevX(pts[i].x), t.dc->toDevY(pts[i].y)};
    RECT window = visibleWindow(t, pen.width + 1);
    for (int i = 0; i + 1 < count; ++i)
        linePixels(dev[i], dev[i + 1], pen, on, off, phase, &window);
    if (close) linePixels(dev[count - 1], dev[0], pen, on, off, phase, &window);
    strokePixels(t, pen, on, off);
}

// Interior with the brush, then the outline (the shape less its inset) with the pen.
void drawShape(Target& t, RegionData outer, RegionData inner, const PenInfo& pen) {
    std::uint8_t rop = rop2Of(t);
    if (auto brush = brushPatternOf(t, t.dc->state.brush))
        paintShape(t, pen.none ? outer : inner, *brush, rop);
    if (!pen.none)
        paintShape(t, RegionData::combine(outer, inner, RegionData::Op::Diff),
                   solidPattern(t, pen.color), rop);
}

// Angle of (x, y) about the centre, counter-clockwise from the positive x axis with y down.
double angleOf(double x, double y, double cx, double cy) {
    double a = std::atan2(cy - y, x - cx);
    return a < 0 ? a + 2 * std::numbers::pi : a;
}

bool withinArc(double a, double start, double end) {
    if (std::abs(start - end) < 1e-12) return true; // a full ellipse
    if (start < end) return a >= start && a <= end;
    return a >= start || a <= end;
}

RegionData arcPixels(const RegionData& ring, RECT box, double start, double end) {
    // Pixel indices and the points the caller gives share one frame: the centre pixel's.
    double cx = (box.left + box.right - 1) / 2.0, cy = (box.top + box.bottom - 1) / 2.0;
    SpanSet s;
    for (const RECT& r : ring.rects())
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                if (withinArc(angleOf(x, y, cx, cy), start, end)) s.add(y, x, x + 1);
    return s.region();
}

} // namespace

HPEN CreatePen(int style, int width, COLORREF color) {
    auto [h, p] = make<PenObj>();
    p->style = static_cast<UINT>(style);
    p->width = std::max(width, 0);
    p->color = color;
    return h;
}

HPEN CreatePenIndirect(const LOGPEN* pen) {
    if (!pen) return 0;
    return CreatePen(static_cast<int>(pen->lopnStyle), pen->lopnWidth.x, pen->lopnColor);
}

HBRUSH CreateSolidBrush(COLORREF color) {
    auto [h, b] = make<BrushObj>();
    b->style = BS_SOLID;
    b->color = color;
    return h;
}

HBRUSH CreateHatchBrush(int hatch, COLORREF color) {
    if (hatch < HS_HORIZONTAL || hatch > HS_DIAGCROSS) return 0;
    auto [h, b] = make<BrushObj>();
    b->style = BS_HATCHED;
    b->hatch = hatch;
    b->color = color;
    return h;
}

HBRUSH CreatePatternBrush(HBITMAP bitmap) {
    auto bm = find<BitmapObj>(bitmap);
    if (!bm || bm->width == 0 || bm->height == 0) return 0;
    auto [h, b] = make<BrushObj>();
    b->style = BS_PATTERN;
    b->patternHandle = bitmap;
    Surface s = bm->surface();
    b->monoPattern = s.mono;
    // A bitmap smaller than 8x8 repeats within the pattern.
    for (int y = 0; y < 8; ++y) {
        Px row[8];
        std::uint32_t raw[8];
        int sy = y % bm->height;
        for (int x = 0; x < 8; ++x) {
            int sx = x % bm->width;
            if (s.mono) {
                unpackRow(s, sy, sx, 1, raw);
                row[x] = raw[0];
            } else {
                readPxRow(s, sy, sx, 1, &row[x]);
            }
            b->pattern[y * 8 + x] = row[x];
        }
    }
    return h;
}

HBRUSH CreateBrushIndirect(const LOGBRUSH* brush) {
    if (!brush) return 0;
    switch (brush->lbStyle) {
    case BS_SOLID:
        return CreateSolidBrush(brush->lbColor);
    case BS_HATCHED:
        return CreateHatchBrush(static_cast<int>(brush->lbHatch), brush->lbColor);
    case BS_PATTERN:
        return CreatePatternBrush(static_cast<HBITMAP>(brush->lbHatch));
    case BS_NULL: {
        auto [h, b] = make<BrushObj>();
        b->style = BS_NULL;
        return h;
    }
    default:
        return 0;
    }
}

int SetPolyFillMode(HDC h, int mode) {
    auto dc = find<DcObj>(h);
    if (!dc || (mode != ALTERNATE && mode != WINDING)) return 0;
    int old = dc->state.polyFillMode;
    dc->state.polyFillMode = mode;
    return old;
}

int GetPolyFillMode(HDC h) {
    auto dc = find<DcObj>(h);
    return dc ? dc->state.polyFillMode : 0;
}

int FillRect(HDC dc, const RECT* rect, HBRUSH brush) {
    Target t;
    if (!rect || !resolveTarget(dc, t)) return 0;
    if (!t.drawable()) return 1;
    auto pat = brushPatternOf(t, brush);
    if (!pat) return 0;
    paintShape(t, RegionData(deviceBox(*t.dc, rect->left, rect->top, rect->right, rect->bottom)),
               *pat, ropCode(PATCOPY));
    return 1;
}

int FrameRect(HDC dc, const RECT* rect, HBRUSH brush) {
    Target t;
    if (!rect || !resolveTarget(dc, t)) return 0;
    if (!t.drawable()) return 1;
    auto pat = brushPatternOf(t, brush);
    if (!pat) return 0;
    RECT box = deviceBox(*t.dc, rect->left, rect->top, rect->right, rect->bottom);
    RegionData frame =
        RegionData::combine(RegionData(box), RegionData(insetBox(box, 1)), RegionData::Op::Diff);
    paintShape(t, frame, *pat, ropCode(PATCOPY));
    return 1;
}

BOOL InvertRect(HDC dc, const RECT* rect) {
    Target t;
    if (!rect || !resolveTarget(dc, t)) return FALSE;
    if (!t.drawable()) return TRUE;
    paintShape(t, RegionData(deviceBox(*t.dc, rect->left, rect->top, rect->right, rect->bottom)),
               Pattern::solidValue(0), ropCode(DSTINVERT));
    return TRUE;
}

BOOL DrawFocusRect(HDC dc, const RECT* rect) {
    Target t;
    if (!rect || !resolveTarget(dc, t)) return FALSE;
    if (!t.drawable()) return TRUE;
    RECT box = deviceBox(*t.dc, rect->left, rect->top, rect->right, rect->bottom);
    RegionData frame =
        RegionData::combine(RegionData(box), RegionData(insetBox(box, 1)), RegionData::Op::Diff);
    // A checkerboard from the DC's origin: every other pixel inverted.
    Pattern p;
    p.solid = false;
    std::uint32_t all = t.surface.nativeMask();
    for (int i = 0; i < 64; ++i)
        p.values[i] = ((i / 8 + i % 8) % 2 == 0) ? all : 0;
    p.originX = t.dc->deviceOrigin.x;
    p.originY = t.dc->deviceOrigin.y;
    paintShape(t, frame, p, ropCode(PATINVERT));
    return TRUE;
}

BOOL Rectangle(HDC dc, int left, int top, int right, int bottom) {
    Target t;
    if (!resolveTarget(dc, t)) return FALSE;
    if (!t.drawable()) return TRUE;
    RECT box = deviceBox(*t.dc, left, top, right, bottom);
    PenInfo pen = penOf(t);
    if (!pen.none && pen.width == 1 && pen.style != PS_SOLID && pen.style != PS_INSIDEFRAME) {
        // Styled outline: the brush inside, then the dashes around.
        if (auto brush = brushPatternOf(t, t.dc->state.brush))
            paintShape(t, RegionData(insetBox(box, 1)), *brush, rop2Of(t));
        POINT pts[4] = {{left, top}, {right - 1, top}, {right - 1, bottom - 1}, {left, bottom - 1}};
        strokePolyline(t, pts, 4, true);
        return TRUE;
    }
    // With no pen the fill stops one pixel short on the right and bottom, as the namesake.
    RECT outer = pen.none ? RECT{box.left, box.top, box.right - 1, box.bottom - 1} : box;
    drawShape(t, RegionData(outer), RegionData(insetBox(box, pen.width)), pen);
    return TRUE;
}

BOOL RoundRect(HDC dc, int left, int top, int right, int bottom, int ew, int eh) {
    Target t;
    if (!resolveTarget(dc, t)) return FALSE;
    if (!t.drawable()) return TRUE;
    RECT box = deviceBox(*t.dc, left, top, right, bottom);
    PenInfo pen = penOf(t);
    int w = pen.none ? 0 : pen.width;
    RECT win = visibleWindow(t, 1);
    drawShape(
        t, within(roundRectShape(box, ew, eh, win.top, win.bottom), win),
        within(roundRectShape(insetBox(box, w), ew - 2 * w, eh - 2 * w, win.top, win.bottom), win),
        pen);
    return TRUE;
}

BOOL Ellipse(HDC dc, int left, int top, int right, int bottom) {
    Target t;
    if (!resolveTarget(dc, t)) return FALSE;
    if (!t.drawable()) return TRUE;
    RECT box = deviceBox(*t.dc, left, top, right, bottom);
    PenInfo pen = penOf(t);
    RECT win = visibleWindow(t, 1);
    drawShape(
        t, within(ellipseShape(box, win.top, win.bottom), win),
        within(ellipseShape(insetBox(box, pen.none ? 0 : pen.width), win.top, win.bottom), win),
        pen);
    return TRUE;
}

namespace {

BOOL arcOrPie(HDC dc, int left, int top, int right, int bottom, int xs, int ys, int xe, int ye,
              bool pie) {
    Target t;
    if (!resolveTarget(dc, t)) return FALSE;
    if (!t.drawable()) return TRUE;
    RECT box = deviceBox(*t.dc, left, top, right, bottom);
    double cx = (box.left + box.right - 1) / 2.0, cy = (box.top + box.bottom - 1) / 2.0;
    double start = angleOf(t.dc->toDevX(xs), t.dc->toDevY(ys), cx, cy);
    double end = angleOf(t.dc->toDevX(xe), t.dc->toDevY(ye), cx, cy);
    PenInfo pen = penOf(t);
    int w = pen.none ? 1 : pen.width;
    RECT win = visibleWindow(t, w + 1);
    RegionData outer = within(ellipseShape(box, win.top, win.bottom), win);
    RegionData inner = within(ellipseShape(insetBox(box, w), win.top, win.bottom), win);
    if (pie) {
        if (auto brush = brushPatternOf(t, t.dc->state.brush))
            paintShape(t, arcPixels(pen.none ? outer : inner, box, start, end), *brush, rop2Of(t));
    }
    if (pen.none) return TRUE;
    RegionData ring = RegionData::combine(outer, inner, RegionData::Op::Diff);
    RegionData curve = arcPixels(ring, box, start, end);
    if (pie) {
        // The two radii from the centre to where the arc starts and ends.
        SpanSet on, off;
        int phase = 0;
        POINT c{static_cast<LONG>(std::lround(cx)), static_cast<LONG>(std::lround(cy))};
        auto rim = [&](double a) {
            double rx = (box.right - box.left) / 2.0, ry = (box.bottom - box.top) / 2.0;
            return POINT{static_cast<LONG>(std::lround(cx + (rx - 0.5) * std::cos(a))),
                         static_cast<LONG>(std::lround(cy - (ry - 0.5) * std::sin(a)))};
        };
        PenInfo solid = pen;
        solid.style = PS_SOLID;
        linePixels(c, rim(start), solid, on, off, phase, &win);
        linePixels(c, rim(end), solid, on, off, phase, &win);
        curve = RegionData::combine(curve, on.region(), RegionData::Op::Or);
    }
    paintShape(t, curve, solidPattern(t, pen.color), rop2Of(t));
    return TRUE;
}

} // namespace

BOOL Arc(HDC dc, int left, int top, int right, int bottom, int xs, int ys, int xe, int ye) {
    return arcOrPie(dc, left, top, right, bottom, xs, ys, xe, ye, false);
}

BOOL Pie(HDC dc, int left, int top, int right, int bottom, int xs, int ys, int xe, int ye) {
    return arcOrPie(dc, left, top, right, bottom, xs, ys, xe, ye, true);
}

BOOL Polygon(HDC dc, const POINT* points, int count) {
    Target t;
    if (!resolveTarget(dc, t) || !points || count < 2) return FALSE;
    if (!t.drawable()) return TRUE;
    std::vector<POINT> dev(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        dev[i] = POINT{t.dc->toDevX(points[i].x), t.dc->toDevY(points[i].y)};
    if (auto brush = brushPatternOf(t, t.dc->state.brush)) {
        RECT win = visibleWindow(t, 1);
        bool winding = t.dc->state.polyFillMode == WINDING;
        paintShape(t, polygonShape(dev.data(), count, winding, win.top, win.bottom), *brush,
                   rop2Of(t));
    }
    strokePolyline(t, points, count, true);
    return TRUE;
}

BOOL Polyline(HDC dc, const POINT* points, int count) {
    Target t;
    if (!resolveTarget(dc, t) || !points || count < 2) return FALSE;
    if (t.drawable()) strokePolyline(t, points, count, false);
    return TRUE;
}

BOOL MoveToEx(HDC h, int x, int y, POINT* old) {
    auto dc = find<DcObj>(h);
    if (!dc) return FALSE;
    if (old) *old = dc->state.position;
    dc->state.position = POINT{x, y};
    return TRUE;
}

BOOL LineTo(HDC dc, int x, int y) {
    Target t;
    if (!resolveTarget(dc, t)) return FALSE;
    POINT pts[2] = {t.dc->state.position, POINT{x, y}};
    if (t.drawable()) strokePolyline(t, pts, 2, false);
    t.dc->state.position = POINT{x, y};
    return TRUE;
}

BOOL GetCurrentPositionEx(HDC h, POINT* pos) {
    auto dc = find<DcObj>(h);
    if (!dc || !pos) return FALSE;
    *pos = dc->state.position;
    return TRUE;
}

COLORREF SetPixel(HDC dc, int x, int y, COLORREF color) {
    Target t;
    if (!resolveTarget(dc, t) || !t.drawable()) return CLR_INVALID;
    int dx = t.dc->toDevX(x), dy = t.dc->toDevY(y);
    if (!t.clip->contains(dx, dy)) return CLR_INVALID;
    Encoder enc(t.surface);
    std::uint32_t v = enc(colorPx(*t.dc, color));
    packRow(t.surface, dy, dx, 1, &v);
    return colorrefFromPx(nativeToPx(t.surface, v));
}

BOOL SetPixelV(HDC dc, int x, int y, COLORREF color) {
    return SetPixel(dc, x, y, color) != CLR_INVALID ? TRUE : FALSE;
}

COLORREF GetPixel(HDC dc, int x, int y) {
    Target t;
    if (!resolveTarget(dc, t) || !t.drawable()) return CLR_INVALID;
    int dx = t.dc->toDevX(x), dy = t.dc->toDevY(y);
    if (!t.clip->contains(dx, dy)) return CLR_INVALID;
    std::uint32_t v;
    unpackRow(t.surface, dy, dx, 1, &v);
    return colorrefFromPx(nativeToPx(t.surface, v));
}
