#include "platform/gdi/internal/Shapes.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace gdi {
namespace {

// Span of row y of the ellipse inscribed in box, or false when the row misses it.
bool ellipseRow(const RECT& box, int y, int& x0, int& x1) {
    double a = (double(box.right) - box.left) / 2.0, b = (double(box.bottom) - box.top) / 2.0;
    if (a <= 0 || b <= 0) return false;
    double cx = box.left + a, cy = box.top + b;
    double dy = (y + 0.5 - cy) / b;
    if (dy * dy > 1.0) return false;
    double half = a * std::sqrt(1.0 - dy * dy);
    // Pixels whose centres lie within [cx - half, cx + half].
    x0 = static_cast<int>(std::ceil(cx - half - 0.5));
    x1 = static_cast<int>(std::floor(cx + half - 0.5)) + 1;
    // Keep it symmetric about the centre despite rounding.
    std::int64_t mirror = std::int64_t{box.left} + box.right - x0;
    x1 = static_cast<int>(std::min<std::int64_t>(x1, mirror));
    return x0 < x1;
}

} // namespace

RECT insetBox(RECT box, int d) {
    RECT r{box.left + d, box.top + d, box.right - d, box.bottom - d};
    if (r.left >= r.right || r.top >= r.bottom) return RECT{};
    return r;
}

RegionData ellipseShape(RECT box, int rowFrom, int rowTo) {
    std::vector<std::vector<int>> rows;
    int first = std::max<int>(box.top, rowFrom), last = std::min<int>(box.bottom, rowTo);
    for (int y = first; y < last; ++y) {
        int x0, x1;
        if (ellipseRow(box, y, x0, x1))
            rows.push_back({x0, x1});
        else
            rows.emplace_back();
    }
    return RegionData::fromRows(first, rows);
}

RegionData roundRectShape(RECT box, int ew, int eh, int rowFrom, int rowTo) {
    std::int64_t w = std::int64_t{box.right} - box.left, h = std::int64_t{box.bottom} - box.top;
    if (w <= 0 || h <= 0) return RegionData();
    // Boxes are kept within +-2^29 by the callers, so these sums stay in range.
    ew = static_cast<int>(std::clamp<std::int64_t>(ew, 0, w));
    eh = static_cast<int>(std::clamp<std::int64_t>(eh, 0, h));
    int first = std::max<int>(box.top, rowFrom), last = std::min<int>(box.bottom, rowTo);
    if (ew < 2 || eh < 2) {
        if (first >= last) return RegionData();
        return RegionData(RECT{box.left, first, box.right, last});
    }
    RECT top{box.left, box.top, box.left + ew, box.top + eh};
    RECT bottom{box.left, box.bottom - eh, box.left + ew, box.bottom};
    std::vector<std::vector<int>> rows;
    for (int y = first; y < last; ++y) {
        int x0 = box.left, x1 = box.right;
        const RECT* corner = nullptr;
        if (y - box.top < eh / 2)
            corner = &top;
        else if (box.bottom - 1 - y < eh / 2)
            corner = &bottom;
        if (corner) {
            int e0, e1;
            if (!ellipseRow(*corner, y, e0, e1)) {
                rows.emplace_back();
                continue;
            }
            x0 = e0;
            x1 = box.right - (e0 - box.left);
        }
        if (x0 < x1)
            rows.push_back({x0, x1});
        else
            rows.emplace_back();
    }
    return RegionData::fromRows(first, rows);
}

RegionData polygonShape(const POINT* p, int count, bool winding, int rowFrom, int rowTo) {
    if (count < 3) return RegionData();
    int top = p[0].y, bottom = p[0].y;
    for (int i = 1; i < count; ++i) {
        top = std::min<int>(top, p[i].y);
        bottom = std::max<int>(bottom, p[i].y);
    }
    top = std::max(top, rowFrom);
    bottom = std::min(bottom, rowTo);
    std::vector<std::vector<int>> rows;
    std::vector<std::pair<double, int>> hits;
    for (int y = top; y < bottom; ++y) {
        double yc = y + 0.5;
        hits.clear();
        for (int i = 0; i < count; ++i) {
            const POINT& a = p[i];
            const POINT& b = p[(i + 1) % count];
            if (a.y == b.y) continue;
            double ylo = std::min(a.y, b.y), yhi = std::max(a.y, b.y);
            if (yc < ylo || yc >= yhi) continue;
            double x = a.x + (yc - a.y) * (double(b.x) - a.x) / (double(b.y) - a.y);
            hits.emplace_back(x, b.y > a.y ? 1 : -1);
        }
        std::sort(hits.begin(), hits.end());
        std::vector<int> spans;
        int wind = 0;
        for (std::size_t k = 0; k + 1 < hits.size(); ++k) {
            wind += hits[k].second;
            bool in = winding ? wind != 0 : (k % 2 == 0);
            if (!in) continue;
            int x0 = static_cast<int>(std::clamp(std::ceil(hits[k].first - 0.5), -2e9, 2e9));
            int x1 = static_cast<int>(std::clamp(std::ceil(hits[k + 1].first - 0.5), -2e9, 2e9));
            if (x0 >= x1) continue;
            if (!spans.empty() && spans.back() >= x0)
                spans.back() = std::max(spans.back(), x1);
            else
                spans.insert(spans.end(), {x0, x1});
        }
        rows.push_back(std::move(spans));
    }
    return RegionData::fromRows(top, rows);
}

void SpanSet::add(int y, int x0, int x1) {
    if (x0 < x1) rows_[y].emplace_back(x0, x1);
}

void SpanSet::addRect(int left, int top, int right, int bottom) {
    for (int y = top; y < bottom; ++y)
        add(y, left, right);
}

RegionData SpanSet::region() const {
    if (rows_.empty()) return RegionData();
    int top = rows_.begin()->first, bottom = rows_.rbegin()->first + 1;
    std::vector<std::vector<int>> rows(static_cast<std::size_t>(bottom - top));
    for (auto [y, spans] : rows_) {
        std::sort(spans.begin(), spans.end());
        std::vector<int>& out = rows[static_cast<std::size_t>(y - top)];
        for (auto [a, b] : spans) {
            if (!out.empty() && out.back() >= a)
                out.back() = std::max(out.back(), b);
            else
                out.insert(out.end(), {a, b});
        }
    }
    return RegionData::fromRows(top, rows);
}

} // namespace gdi
