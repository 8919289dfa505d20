#pragma once
// A set of pixels as y-x bands: rectangles sorted by top then left, rectangles of one band
// share top and bottom, never overlap or touch, and no two adjacent bands have the same
// spans (they are merged).
#include "platform/WinTypes.h"

#include <vector>

namespace gdi {

class RegionData {
public:
    RegionData() = default;
    explicit RegionData(const RECT& r);
    // From spans per row: rows[i] holds [x0, x1) pairs of row top + i, sorted, disjoint.
    static RegionData fromRows(int top, const std::vector<std::vector<int>>& rows);

    enum class Op { And, Or, Xor, Diff };
    static RegionData combine(const RegionData& a, const RegionData& b, Op op);

    bool empty() const { return rects_.empty(); }
    const std::vector<RECT>& rects() const { return rects_; }
    RECT bounds() const;
    int kind() const; // NULLREGION, SIMPLEREGION, COMPLEXREGION
    bool contains(int x, int y) const;
    bool intersects(const RECT& r) const;
    void offset(int dx, int dy);
    bool operator==(const RegionData& o) const;

    // The spans of row y as [x0, x1) pairs, clipped to [x0, x1); calls fn(x0, x1) per span.
    template <class Fn> void forSpans(int y, int x0, int x1, Fn&& fn) const {
        const RECT* r = bandAt(y);
        if (!r) return;
        const RECT* end = rects_.data() + rects_.size();
        for (LONG top = r->top; r != end && r->top == top; ++r) {
            int a = r->left > x0 ? r->left : x0;
            int b = r->right < x1 ? r->right : x1;
            if (a < b) fn(a, b);
        }
    }
    // First rectangle of the band holding row y, or null.
    const RECT* bandAt(int y) const;

private:
    std::vector<RECT> rects_;
};

} // namespace gdi
