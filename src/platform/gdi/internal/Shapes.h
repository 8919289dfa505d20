#pragma once
// The pixel sets of the filled shapes, in device coordinates. Boxes are [left, right) x
// [top, bottom); a pixel belongs to a shape when its centre does.
#include "platform/gdi/internal/RegionData.h"

#include <map>
#include <vector>

namespace gdi {

// Only rows [rowFrom, rowTo) are built: drawing asks for the rows its clip can show, so a
// shape far larger than the bitmap costs no more than the visible part.
constexpr int kAllRowsFrom = -(1 << 30), kAllRowsTo = 1 << 30;
RegionData ellipseShape(RECT box, int rowFrom = kAllRowsFrom, int rowTo = kAllRowsTo);
RegionData roundRectShape(RECT box, int ellipseWidth, int ellipseHeight, int rowFrom = kAllRowsFrom,
                          int rowTo = kAllRowsTo);
RegionData polygonShape(const POINT* points, int count, bool winding, int rowFrom = kAllRowsFrom,
                        int rowTo = kAllRowsTo);
// The box shrunk by d on every side (empty when nothing is left).
RECT insetBox(RECT box, int d);

// Collects spans row by row, merging overlaps, then gives them as a region.
class SpanSet {
public:
    void add(int y, int x0, int x1);
    void addRect(int left, int top, int right, int bottom);
    RegionData region() const;

private:
    std::map<int, std::vector<std::pair<int, int>>> rows_;
};

} // namespace gdi
