#pragma once
// Area-averaging resampling (HALFTONE): every destination pixel is the average of the source
// area it covers, weighted by how much of each source pixel lies under it.
#include "platform/gdi/internal/Surface.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace gdi {

class AreaResampler {
public:
    // srcRect lies within the source surface; the destination is destWidth x destHeight.
    AreaResampler(const Surface& src, RECT srcRect, int destWidth, int destHeight, bool mirrorX,
                  bool mirrorY);
    // Produces destination rows [rowFrom, rowTo), columns [colFrom, colTo) (destination
    // relative); sink(row, pixels) receives colTo - colFrom pixels per row. Every row is made
    // on its own, from the source alone: calls for different rows may run at once.
    void run(int colFrom, int colTo, int rowFrom, int rowTo,
             const std::function<void(int, const Px*)>& sink) const;

private:
    struct Taps {
        std::vector<std::int32_t> first;  // first source index per destination index
        std::vector<std::int32_t> offset; // into weights
        std::vector<std::int32_t> count;
        std::vector<std::uint16_t> weights; // sum to 1 << 14 per destination index
    };
    static Taps makeTaps(int srcLength, int destLength, bool mirror);
    const BYTE* sourceRow(int y, std::vector<BYTE>& scratch, int x0, int x1, int& channels) const;

    Surface src_;
    RECT rect_;
    Taps h_, v_;
};

} // namespace gdi
