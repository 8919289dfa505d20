#include "framework/ScrollBarParts.h"

#include "framework/FillSolid.h"
#include "platform/gdi/Dc.h"
#include "platform/gdi/Draw.h"
#include "platform/gdi/Object.h"
#include "platform/gdi/Rect.h"

#include <algorithm>

namespace {
constexpr TColor kTrack = 0xEEEEEE;
constexpr TColor kThumb = 0xC4C4C4;
constexpr TColor kThumbDown = 0x9C9C9C;
constexpr TColor kArrowDown = 0xD8D8D8;
constexpr TColor kGlyph = 0x505050;
constexpr TColor kGlyphOff = 0xB0B0B0;
constexpr int kMinThumb = 8;

bool Vertical(const TScrollBarLayout& l) {
    return l.kind == sbVertical;
}

// A small filled triangle pointing away from the track.
void Arrow(HDC dc, const TRect& r, bool vertical, bool up, TColor color) {
    int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
    int s = std::max(2, std::min(r.right - r.left, r.bottom - r.top) / 4);
    POINT pts[3];
    if (vertical) {
        int d = up ? -1 : 1;
        pts[0] = POINT{cx - s, cy - d * s / 2};
        pts[1] = POINT{cx + s, cy - d * s / 2};
        pts[2] = POINT{cx, cy + d * (s + 1) / 2};
    } else {
        int d = up ? -1 : 1;
        pts[0] = POINT{cx - d * s / 2, cy - s};
        pts[1] = POINT{cx - d * s / 2, cy + s};
        pts[2] = POINT{cx + d * (s + 1) / 2, cy};
    }
    FillSolidPolygon(dc, pts, 3, color);
}
} // namespace

int TScrollBarLayout::MaxPosition() const {
    int m = pageSize > 0 ? max - pageSize + 1 : max;
    return std::max(m, min);
}

int TScrollBarLayout::TrackLength() const {
    return Vertical(*this) ? track.bottom - track.top : track.right - track.left;
}

int TScrollBarLayout::ThumbLength() const {
    return Vertical(*this) ? thumb.bottom - thumb.top : thumb.right - thumb.left;
}

int TScrollBarLayout::PositionAt(int Offset) const {
    int room = TrackLength() - ThumbLength();
    int span = MaxPosition() - min;
    if (room <= 0 || span <= 0) return min;
    Offset = std::clamp(Offset, 0, room);
    // Rounded, so the thumb lands where the pointer put it.
    long long v = (static_cast<long long>(Offset) * span + room / 2) / room;
    return min + static_cast<int>(v);
}

int TScrollBarLayout::OffsetOf(int Position) const {
    int room = TrackLength() - ThumbLength();
    int span = MaxPosition() - min;
    if (room <= 0 || span <= 0) return 0;
    Position = std::clamp(Position, min, MaxPosition());
    return static_cast<int>(static_cast<long long>(Position - min) * room / span);
}

TScrollBarLayout LayoutScrollBar(const TRect& Bar, TScrollBarKind Kind, int Min, int Max,
                                 int PageSize, int Position) {
    TScrollBarLayout l;
    l.kind = Kind;
    l.bar = Bar;
    l.min = Min;
    l.max = std::max(Max, Min);
    l.pageSize = std::max(PageSize, 0);
    l.position = std::clamp(Position, l.min, l.MaxPosition());
    bool v = Kind == sbVertical;
    int length = v ? Bar.bottom - Bar.top : Bar.right - Bar.left;
    int thick = v ? Bar.right - Bar.left : Bar.bottom - Bar.top;
    int arrow = std::max(0, std::min(thick, length / 2));
    if (v) {
        l.lineUp = Rect(Bar.left, Bar.top, Bar.right, Bar.top + arrow);
        l.lineDown = Rect(Bar.left, Bar.bottom - arrow, Bar.right, Bar.bottom);
        l.track = Rect(Bar.left, Bar.top + arrow, Bar.right, Bar.bottom - arrow);
    } else {
        l.lineUp = Rect(Bar.left, Bar.top, Bar.left + arrow, Bar.bottom);
        l.lineDown = Rect(Bar.right - arrow, Bar.top, Bar.right, Bar.bottom);
        l.track = Rect(Bar.left + arrow, Bar.top, Bar.right - arrow, Bar.bottom);
    }
    int trackLen = l.TrackLength();
    int range = l.max - l.min + 1;
    if (trackLen < kMinThumb || l.MaxPosition() == l.min) return l; // nothing to move
    int thumbLen = l.pageSize > 0 ? static_cast<int>(static_cast<long long>(trackLen) *
                                                     std::min(l.pageSize, range) / range)
                                  : thick;
    thumbLen = std::clamp(thumbLen, kMinThumb, trackLen);
    // The thumb rectangle first with its length, then moved to the position.
    if (v)
        l.thumb = Rect(l.track.left, l.track.top, l.track.right, l.track.top + thumbLen);
    else
        l.thumb = Rect(l.track.left, l.track.top, l.track.left + thumbLen, l.track.bottom);
    int offset = l.OffsetOf(l.position);
    if (v) {
        l.thumb.top += offset;
        l.thumb.bottom += offset;
    } else {
        l.thumb.left += offset;
        l.thumb.right += offset;
    }
    return l;
}

TScrollBarPart ScrollBarHitTest(const TScrollBarLayout& l, const TPoint& p) {
    if (!PtInRect(&l.bar, p)) return TScrollBarPart::None;
    if (PtInRect(&l.lineUp, p)) return TScrollBarPart::LineUp;
    if (PtInRect(&l.lineDown, p)) return TScrollBarPart::LineDown;
    if (!l.HasThumb()) return TScrollBarPart::None;
    if (PtInRect(&l.thumb, p)) return TScrollBarPart::Thumb;
    bool before = Vertical(l) ? p.y < l.thumb.top : p.x < l.thumb.left;
    return before ? TScrollBarPart::PageUp : TScrollBarPart::PageDown;
}

void PaintScrollBar(HDC dc, const TScrollBarLayout& l, TScrollBarPart Pressed, bool Enabled) {
    FillSolid(dc, l.bar, kTrack);
    bool movable = Enabled && l.HasThumb();
    TColor glyph = movable ? kGlyph : kGlyphOff;
    if (Pressed == TScrollBarPart::LineUp) FillSolid(dc, l.lineUp, kArrowDown);
    if (Pressed == TScrollBarPart::LineDown) FillSolid(dc, l.lineDown, kArrowDown);
    if (l.lineUp.right > l.lineUp.left) Arrow(dc, l.lineUp, Vertical(l), true, glyph);
    if (l.lineDown.right > l.lineDown.left) Arrow(dc, l.lineDown, Vertical(l), false, glyph);
    if (!movable) return;
    // The thumb sits a pixel in from the track's sides, so it reads as a separate part.
    TRect t = l.thumb;
    if (Vertical(l)) {
        t.left += 2;
        t.right -= 2;
    } else {
        t.top += 2;
        t.bottom -= 2;
    }
    FillSolid(dc, t, Pressed == TScrollBarPart::Thumb ? kThumbDown : kThumb);
}
