#pragma once
// A set of pixels as non-overlapping rectangles: update regions, visible areas and dirty parts
// of back buffers. The sets the window layer works with hold a handful of rectangles, so plain
// lists beat banded regions here.
#include "platform/WinTypes.h"

#include <cstddef>
#include <vector>

namespace user::detail {

bool IsEmptyRect(const RECT& r);
RECT IntersectRects(const RECT& a, const RECT& b);
RECT BoundingRect(const RECT& a, const RECT& b);
RECT MoveRect(const RECT& r, int dx, int dy);
bool RectContains(const RECT& r, POINT pt);

class RectSet {
public:
    RectSet() = default;
    explicit RectSet(const RECT& r) { Add(r); }

    bool Empty() const { return rects_.empty(); }
    const std::vector<RECT>& Rects() const { return rects_; }
    RECT Bounds() const;
    bool Contains(POINT pt) const;
    bool Intersects(const RECT& r) const;

    void Clear() { rects_.clear(); }
    void Add(const RECT& r);
    void Add(const RectSet& other);
    void Subtract(const RECT& r);
    void Subtract(const RectSet& other);
    void Intersect(const RECT& r);
    void Intersect(const RectSet& other);
    void Offset(int dx, int dy);
    // A long list of slivers becomes its bounds: for update regions, where painting a little
    // more is cheaper than tracking every sliver.
    void Coarsen(size_t limit = 32);

private:
    std::vector<RECT> rects_;
};

} // namespace user::detail
