#include "platform/gdi/Region.h"

#include "platform/gdi/Blit.h"
#include "platform/gdi/internal/Paint.h"
#include "platform/gdi/internal/Shapes.h"

#include <algorithm>
#include <cstdint>

using namespace gdi;

namespace {

HRGN makeRegion(RegionData data) {
    auto [h, r] = make<RegionObj>();
    r->data = std::move(data);
    return h;
}

RECT ordered(int l, int t, int r, int b) {
    return RECT{std::min(l, r), std::min(t, b), std::max(l, r), std::max(t, b)};
}

// A region in logical coordinates moved to the device coordinates of dc.
RegionData onDevice(const DcObj& dc, const RegionData& r) {
    RegionData d = r;
    d.offset(dc.toDevX(0), dc.toDevY(0));
    return d;
}

// Curved and polygonal regions are built row by row: refuse ones taller than any screen or
// beyond the coordinates drawing keeps to, rather than spend memory and time without end.
bool buildable(const RECT& box) {
    constexpr std::int64_t kMaxRows = 1 << 16, kLimit = std::int64_t{1} << 29;
    auto inRange = [&](LONG v) { return v >= -kLimit && v <= kLimit; };
    return inRange(box.left) && inRange(box.top) && inRange(box.right) && inRange(box.bottom) &&
           std::int64_t{box.bottom} - box.top <= kMaxRows;
}

} // namespace

HRGN CreateRectRgn(int left, int top, int right, int bottom) {
    return makeRegion(RegionData(ordered(left, top, right, bottom)));
}

HRGN CreateRectRgnIndirect(const RECT* rect) {
    if (!rect) return 0;
    return CreateRectRgn(rect->left, rect->top, rect->right, rect->bottom);
}

HRGN CreateRoundRectRgn(int left, int top, int right, int bottom, int ew, int eh) {
    RECT box = ordered(left, top, right, bottom);
    if (!buildable(box)) return 0;
    // The namesake leaves out one more column and row than a rectangle region does.
    box.right -= 1;
    box.bottom -= 1;
    if (box.right <= box.left || box.bottom <= box.top) return makeRegion(RegionData());
    auto size = [](int v) {
        return static_cast<int>(
            std::min<std::int64_t>(std::abs(std::int64_t{v}), std::int64_t{1} << 30));
    };
    return makeRegion(roundRectShape(box, size(ew), size(eh)));
}

HRGN CreateEllipticRgn(int left, int top, int right, int bottom) {
    RECT box = ordered(left, top, right, bottom);
    if (!buildable(box)) return 0;
    return makeRegion(ellipseShape(box));
}

HRGN CreateEllipticRgnIndirect(const RECT* rect) {
    if (!rect) return 0;
    return CreateEllipticRgn(rect->left, rect->top, rect->right, rect->bottom);
}

HRGN CreatePolygonRgn(const POINT* points, int count, int fillMode) {
    if (!points || count < 0) return 0;
    if (count > 0) {
        RECT box{points[0].x, points[0].y, points[0].x, points[0].y};
        for (int i = 1; i < count; ++i) {
            box.left = std::min(box.left, points[i].x);
            box.top = std::min(box.top, points[i].y);
            box.right = std::max(box.right, points[i].x);
            box.bottom = std::max(box.bottom, points[i].y);
        }
        if (!buildable(box)) return 0;
    }
    return makeRegion(polygonShape(points, count, fillMode == 2 /* WINDING */));
}

int CombineRgn(HRGN dest, HRGN a, HRGN b, int mode) {
    auto d = find<RegionObj>(dest);
    auto ra = find<RegionObj>(a);
    if (!d || !ra) return ERROR;
    if (mode == RGN_COPY) {
        d->data = ra->data;
        return d->data.kind();
    }
    auto rb = find<RegionObj>(b);
    if (!rb) return ERROR;
    RegionData::Op op;
    switch (mode) {
    case RGN_AND:
        op = RegionData::Op::And;
        break;
    case RGN_OR:
        op = RegionData::Op::Or;
        break;
    case RGN_XOR:
        op = RegionData::Op::Xor;
        break;
    case RGN_DIFF:
        op = RegionData::Op::Diff;
        break;
    default:
        return ERROR;
    }
    d->data = RegionData::combine(ra->data, rb->data, op);
    return d->data.kind();
}

BOOL SetRectRgn(HRGN region, int left, int top, int right, int bottom) {
    auto r = find<RegionObj>(region);
    if (!r) return FALSE;
    r->data = RegionData(ordered(left, top, right, bottom));
    return TRUE;
}

int OffsetRgn(HRGN region, int dx, int dy) {
    auto r = find<RegionObj>(region);
    if (!r) return ERROR;
    if (!r->data.empty()) {
        // A move that would overflow the coordinates is refused, the region left as it was.
        constexpr std::int64_t kLimit = std::int64_t{1} << 30;
        RECT b = r->data.bounds();
        if (std::int64_t{b.left} + dx < -kLimit || std::int64_t{b.right} + dx > kLimit ||
            std::int64_t{b.top} + dy < -kLimit || std::int64_t{b.bottom} + dy > kLimit)
            return ERROR;
    }
    r->data.offset(dx, dy);
    return r->data.kind();
}

int GetRgnBox(HRGN region, RECT* box) {
    auto r = find<RegionObj>(region);
    if (!r || !box) return ERROR;
    *box = r->data.bounds();
    return r->data.kind();
}

BOOL PtInRegion(HRGN region, int x, int y) {
    auto r = find<RegionObj>(region);
    return r && r->data.contains(x, y) ? TRUE : FALSE;
}

BOOL RectInRegion(HRGN region, const RECT* rect) {
    auto r = find<RegionObj>(region);
    return r && rect && r->data.intersects(*rect) ? TRUE : FALSE;
}

BOOL EqualRgn(HRGN a, HRGN b) {
    auto ra = find<RegionObj>(a);
    auto rb = find<RegionObj>(b);
    if (!ra || !rb) return ERROR;
    return ra->data == rb->data ? TRUE : FALSE;
}

BOOL FillRgn(HDC dc, HRGN region, HBRUSH brush) {
    Target t;
    auto r = find<RegionObj>(region);
    if (!r || !resolveTarget(dc, t)) return FALSE;
    if (!t.drawable()) return TRUE;
    auto pat = brushPatternOf(t, brush);
    if (!pat) return FALSE;
    paintShape(t, onDevice(*t.dc, r->data), *pat, ropCode(PATCOPY));
    return TRUE;
}

BOOL PaintRgn(HDC dc, HRGN region) {
    auto d = find<DcObj>(dc);
    if (!d) return FALSE;
    return FillRgn(dc, region, d->state.brush);
}

BOOL InvertRgn(HDC dc, HRGN region) {
    Target t;
    auto r = find<RegionObj>(region);
    if (!r || !resolveTarget(dc, t)) return FALSE;
    if (!t.drawable()) return TRUE;
    paintShape(t, onDevice(*t.dc, r->data), Pattern::solidValue(0), ropCode(DSTINVERT));
    return TRUE;
}

BOOL FrameRgn(HDC dc, HRGN region, HBRUSH brush, int width, int height) {
    Target t;
    auto r = find<RegionObj>(region);
    if (!r || !resolveTarget(dc, t) || width < 1 || height < 1) return FALSE;
    if (!t.drawable()) return TRUE;
    auto pat = brushPatternOf(t, brush);
    if (!pat) return FALSE;
    // The frame is what the region loses when shrunk by width x height: pixels within that
    // distance of its outside.
    RegionData outside =
        RegionData::combine(RegionData(r->data.bounds()), r->data, RegionData::Op::Diff);
    RECT b = r->data.bounds();
    RegionData border = RegionData::combine(
        RegionData(RECT{b.left - width, b.top - height, b.right + width, b.bottom + height}),
        RegionData(b), RegionData::Op::Diff);
    outside = RegionData::combine(outside, border, RegionData::Op::Or);
    RegionData grown;
    for (const RECT& q : outside.rects()) {
        RegionData one(RECT{q.left - width + 1, q.top - height + 1, q.right + width - 1,
                            q.bottom + height - 1});
        grown = RegionData::combine(grown, one, RegionData::Op::Or);
    }
    RegionData frame = RegionData::combine(r->data, grown, RegionData::Op::And);
    paintShape(t, onDevice(*t.dc, frame), *pat, ropCode(PATCOPY));
    return TRUE;
}

std::vector<RECT> GetRegionRects(HRGN region) {
    auto r = find<RegionObj>(region);
    if (!r) return {};
    return r->data.rects();
}

std::vector<BYTE> GetRegionMask(HRGN region, int width, int height) {
    auto r = find<RegionObj>(region);
    if (!r || width <= 0 || height <= 0) return {};
    std::size_t stride = (static_cast<std::size_t>(width) + 7) / 8;
    std::vector<BYTE> mask(stride * static_cast<std::size_t>(height), 0);
    for (int y = 0; y < height; ++y) {
        BYTE* row = mask.data() + stride * static_cast<std::size_t>(y);
        r->data.forSpans(y, 0, width, [&](int a, int b) {
            for (int x = a; x < b; ++x)
                row[x >> 3] |= static_cast<BYTE>(0x80 >> (x & 7));
        });
    }
    return mask;
}
