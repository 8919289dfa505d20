#include "platform/user/RectSet.h"

#include "platform/gdi/Rect.h"
#include <algorithm>

namespace user::detail {

bool IsEmptyRect(const RECT& r) {
    return IsRectEmpty(&r);
}

RECT IntersectRects(const RECT& a, const RECT& b) {
    RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
           std::min(a.bottom, b.bottom)};
    if (IsEmptyRect(r)) return RECT{};
    return r;
}

RECT BoundingRect(const RECT& a, const RECT& b) {
    if (IsEmptyRect(a)) return b;
    if (IsEmptyRect(b)) return a;
    return RECT{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                std::max(a.bottom, b.bottom)};
}

RECT MoveRect(const RECT& r, int dx, int dy) {
    return RECT{r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
}

bool RectContains(const RECT& r, POINT pt) {
    return PtInRect(&r, pt);
}

namespace {

// Appends the parts of a that lie outside b (at most four).
void AppendDifference(const RECT& a, const RECT& b, std::vector<RECT>& out) {
    RECT overlap = IntersectRects(a, b);
    if (IsEmptyRect(overlap)) {
        out.push_back(a);
        return;
    }
    if (a.top < overlap.top) out.push_back(RECT{a.left, a.top, a.right, overlap.top});
    if (overlap.bottom < a.bottom) out.push_back(RECT{a.left, overlap.bottom, a.right, a.bottom});
    if (a.left < overlap.left)
        out.push_back(RECT{a.left, overlap.top, overlap.left, overlap.bottom});
    if (overlap.right < a.right)
        out.push_back(RECT{overlap.right, overlap.top, a.right, overlap.bottom});
}

} // namespace

RECT RectSet::Bounds() const {
    RECT b{};
    for (const RECT& r : rects_)
        b = BoundingRect(b, r);
    return b;
}

bool RectSet::Contains(POINT pt) const {
    return std::any_of(rects_.begin(), rects_.end(),
                       [&](const RECT& r) { return RectContains(r, pt); });
}

bool RectSet::Intersects(const RECT& r) const {
    return std::any_of(rects_.begin(), rects_.end(),
                       [&](const RECT& x) { return !IsEmptyRect(IntersectRects(x, r)); });
}

void RectSet::Add(const RECT& r) {
    if (IsEmptyRect(r)) return;
    // Keep only the new pixels so the list never overlaps itself.
    std::vector<RECT> pieces{r};
    for (const RECT& existing : rects_) {
        std::vector<RECT> next;
        for (const RECT& p : pieces)
            AppendDifference(p, existing, next);
        pieces.swap(next);
        if (pieces.empty()) return;
    }
    rects_.insert(rects_.end(), pieces.begin(), pieces.end());
}

void RectSet::Coarsen(size_t limit) {
    if (rects_.size() > limit) {
        RECT b = Bounds();
        rects_.assign(1, b);
    }
}

void RectSet::Add(const RectSet& other) {
    for (const RECT& r : other.rects_)
        Add(r);
}

void RectSet::Subtract(const RECT& r) {
    if (IsEmptyRect(r) || rects_.empty()) return;
    std::vector<RECT> next;
    for (const RECT& existing : rects_)
        AppendDifference(existing, r, next);
    rects_.swap(next);
}

void RectSet::Subtract(const RectSet& other) {
    for (const RECT& r : other.rects_)
        Subtract(r);
}

void RectSet::Intersect(const RECT& r) {
    std::vector<RECT> next;
    for (const RECT& existing : rects_) {
        RECT x = IntersectRects(existing, r);
        if (!IsEmptyRect(x)) next.push_back(x);
    }
    rects_.swap(next);
}

void RectSet::Intersect(const RectSet& other) {
    RectSet result;
    for (const RECT& r : other.rects_) {
        RectSet part = *this;
        part.Intersect(r);
        result.Add(part);
    }
    *this = std::move(result);
}

void RectSet::Offset(int dx, int dy) {
    for (RECT& r : rects_)
        r = MoveRect(r, dx, dy);
}

} // namespace user::detail
