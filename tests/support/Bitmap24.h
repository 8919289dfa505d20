#pragma once
// A 24-bit bitmap drawn in code, pixel by pixel.
#include "framework/Bitmap.h"

#include <cstdint>
#include <functional>

namespace test_support {

// width x height, pixel (x, y) being colour(x, y) as 0x00RRGGBB.
inline ObjectPtr<TBitmap> Bitmap24(int width, int height,
                                   const std::function<std::uint32_t(int x, int y)>& colour) {
    ObjectPtr<TBitmap> bitmap = MakeObject<TBitmap>();
    bitmap->SetPixelFormat(pf24bit);
    bitmap->SetSize(width, height);
    for (int y = 0; y < height; ++y) {
        auto* row = static_cast<std::uint8_t*>(bitmap->ScanLine(y));
        for (int x = 0; x < width; ++x) {
            const std::uint32_t c = colour(x, y);
            row[3 * x] = std::uint8_t(c);
            row[3 * x + 1] = std::uint8_t(c >> 8);
            row[3 * x + 2] = std::uint8_t(c >> 16);
        }
    }
    return bitmap;
}

} // namespace test_support
