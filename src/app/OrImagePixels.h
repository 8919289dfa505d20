#pragma once
// Direct row access to a 24-bit bitmap for the picture view's effects: the row addresses
// taken once, pixels as three bytes (blue, green, red), x and y counted from the top left.
#include "framework/Bitmap.h"

#include <vector>

class PixelRows {
public:
    // An empty view for an empty bitmap or one that is not 24-bit.
    explicit PixelRows(TBitmap* bitmap) {
        if (!bitmap || bitmap->Empty() || bitmap->PixelFormat() != pf24bit) return;
        width_ = bitmap->Width();
        height_ = bitmap->Height();
        rows_.reserve(size_t(height_));
        for (int y = 0; y < height_; ++y)
            rows_.push_back(static_cast<Byte*>(bitmap->ScanLine(y)));
    }

    int Width() const { return width_; }
    int Height() const { return height_; }
    bool Empty() const { return rows_.empty(); }
    Byte* Row(int y) const { return rows_[size_t(y)]; }
    Byte* At(int x, int y) const { return rows_[size_t(y)] + 3 * x; }

private:
    std::vector<Byte*> rows_;
    int width_ = 0;
    int height_ = 0;
};
