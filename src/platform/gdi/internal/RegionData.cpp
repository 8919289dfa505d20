#include "platform/gdi/internal/RegionData.h"

#include "platform/gdi/Dc.h"

#include <algorithm>

namespace gdi {
namespace {

// Appends one band [top, bottom) with the spans, merging it into the band above when that
// one ends at top with the same spans.
void appendBand(std::vector<RECT>& out, int top, int bottom, const std::vector<int>& spans) {
    if (spans.empty() || top >= bottom) return;
    std::size_t n = spans.size() / 2;
    if (out.size() >= n) {
        std::size_t start = out.size() - n;
        const RECT& first = out[start];
        bool same = first.bottom == top && (start == 0 || out[start - 1].top != first.top);
        for (std::size_t i = 0; same && i < n; ++i) {
            const RECT& r = out[start + i];
            same = r.top == first.top && r.bottom == top && r.left == spans[2 * i] &&
                   r.right == spans[2 * i + 1];
        }
        if (same) {
            for (std::size_t i = 0; i < n; ++i)
                out[start + i].bottom = bottom;
            return;
        }
    }
    for (std::size_t i = 0; i < n; ++i)
        out.push_back(RECT{spans[2 * i], top, spans[2 * i + 1], bottom});
}

bool inside(RegionData::Op op, bool a, bool b) {
    switch (op) {
    case RegionData::Op::And:
        return a && b;
    case RegionData::Op::Or:
        return a || b;
    case RegionData::Op::Xor:
        return a != b;
    case RegionData::Op::Diff:
        return a && !b;
    }
    return false;
}

// Spans of the band of `rects` starting at index i.
void bandSpans(const std::vector<RECT>& rects, std::size_t i, std::vector<int>& spans) {
    spans.clear();
    for (LONG top = rects[i].top; i < rects.size() && rects[i].top == top; ++i) {
        spans.push_back(rects[i].left);
        spans.push_back(rects[i].right);
    }
}

void combineSpans(const std::vector<int>& a, const std::vector<int>& b, RegionData::Op op,
                  std::vector<int>& out) {
    out.clear();
    std::size_t i = 0, j = 0;
    bool inA = false, inB = false, was = false;
    int start = 0;
    while (i < a.size() || j < b.size()) {
        int x;
        if (j >= b.size() || (i < a.size() && a[i] <= b[j]))
            x = a[i];
        else
            x = b[j];
        while (i < a.size() && a[i] == x) {
            inA = !inA;
            ++i;
        }
        while (j < b.size() && b[j] == x) {
            inB = !inB;
            ++j;
        }
        bool now = inside(op, inA, inB);
        if (now && !was) start = x;
        if (!now && was && x > start) {
            out.push_back(start);
            out.push_back(x);
        }
        was = now;
    }
}

} // namespace

RegionData::RegionData(const RECT& r) {
    if (r.left < r.right && r.top < r.bottom) rects_.push_back(r);
}

RegionData RegionData::fromRows(int top, const std::vector<std::vector<int>>& rows) {
    RegionData d;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        int y = top + static_cast<int>(i);
        appendBand(d.rects_, y, y + 1, rows[i]);
    }
    return d;
}

RegionData RegionData::combine(const RegionData& a, const RegionData& b, Op op) {
    RegionData d;
    std::vector<LONG> ys;
    ys.reserve(2 * (a.rects_.size() + b.rects_.size()));
    for (const RECT& r : a.rects_)
        ys.insert(ys.end(), {r.top, r.bottom});
    for (const RECT& r : b.rects_)
        ys.insert(ys.end(), {r.top, r.bottom});
    std::sort(ys.begin(), ys.end());
    ys.erase(std::unique(ys.begin(), ys.end()), ys.end());
    std::vector<int> sa, sb, out;
    std::size_t ia = 0, ib = 0;
    for (std::size_t k = 0; k + 1 < ys.size(); ++k) {
        int y0 = ys[k], y1 = ys[k + 1];
        while (ia < a.rects_.size() && a.rects_[ia].bottom <= y0)
            ++ia;
        while (ib < b.rects_.size() && b.rects_[ib].bottom <= y0)
            ++ib;
        sa.clear();
        sb.clear();
        if (ia < a.rects_.size() && a.rects_[ia].top <= y0) bandSpans(a.rects_, ia, sa);
        if (ib < b.rects_.size() && b.rects_[ib].top <= y0) bandSpans(b.rects_, ib, sb);
        combineSpans(sa, sb, op, out);
        appendBand(d.rects_, y0, y1, out);
    }
    return d;
}

RECT RegionData::bounds() const {
    if (rects_.empty()) return RECT{};
    RECT b{rects_.front().left, rects_.front().top, rects_.front().right, rects_.back().bottom};
    for (const RECT& r : rects_) {
        b.left = std::min(b.left, r.left);
        b.right = std::max(b.right, r.right);
    }
    return b;
}

int RegionData::kind() const {
    if (rects_.empty()) return NULLREGION;
    return rects_.size() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

const RECT* RegionData::bandAt(int y) const {
    // The first rectangle whose bottom lies below y.
    auto it = std::upper_bound(rects_.begin(), rects_.end(), y,
                               [](int v, const RECT& r) { return v < r.bottom; });
    if (it == rects_.end() || it->top > y) return nullptr;
    return &*it;
}

bool RegionData::contains(int x, int y) const {
    bool hit = false;
    forSpans(y, x, x + 1, [&](int, int) { hit = true; });
    return hit;
}

bool RegionData::intersects(const RECT& r) const {
    for (const RECT& q : rects_)
        if (q.left < r.right && r.left < q.right && q.top < r.bottom && r.top < q.bottom)
            return true;
    return false;
}

void RegionData::offset(int dx, int dy) {
    for (RECT& r : rects_) {
        r.left += dx;
        r.right += dx;
        r.top += dy;
        r.bottom += dy;
    }
}

bool RegionData::operator==(const RegionData& o) const {
    return rects_ == o.rects_;
}

} // namespace gdi
