// Bilinear resampling in 15-bit fixed point, and the tile effect built on it.
#include "app/OrImageEffects.h"

#include "app/OrImagePixels.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

constexpr std::int64_t kOne = 32768; // 1.0 in 15-bit fixed point

} // namespace

void ResampleBitmap(TBitmap* source, TBitmap* target) {
    PixelRows from(source);
    PixelRows to(target);
    if (from.Empty() || to.Empty()) return;
    const int sw = from.Width(), sh = from.Height();
    const int tw = to.Width(), th = to.Height();
    const std::int64_t stepX = (std::int64_t(sw) - 1) * kOne / tw;
    const std::int64_t stepY = (std::int64_t(sh) - 1) * kOne / th;
    std::int64_t sy = 0;
    for (int y = 0; y < th; ++y, sy += stepY) {
        const int upperRow = int(sy / kOne);
        const int lowerRow = sh == 1 ? upperRow : upperRow + 1;
        const std::int64_t fy = sy % kOne;
        const Byte* upper = from.Row(upperRow);
        const Byte* lower = from.Row(lowerRow);
        Byte* out = to.Row(y);
        std::int64_t sx = 0;
        for (int x = 0; x < tw; ++x, sx += stepX) {
            const int left = int(sx / kOne);
            // A one-column source has no column to the right: its weight is 0 anyway.
            const int right = sw == 1 ? left : left + 1;
            const std::int64_t fx = sx % kOne;
            const std::int64_t topRight = fx * (kOne - fy) / kOne;
            const std::int64_t topLeft = (kOne - fy) - topRight;
            const std::int64_t bottomRight = fx * fy / kOne;
            const std::int64_t bottomLeft = fy - bottomRight;
            for (int k = 0; k < 3; ++k)
                out[3 * x + k] =
                    Byte((upper[3 * left + k] * topLeft + upper[3 * right + k] * topRight +
                          lower[3 * left + k] * bottomLeft + lower[3 * right + k] * bottomRight) /
                         kOne);
        }
    }
}

int TileBitmap(TBitmap* cache, TBitmap* original, int value) {
    PixelRows picture(cache);
    if (value <= 0 || picture.Empty() || !original || original->Empty()) return value;
    const int w = original->Width(), h = original->Height();
    const int tileWidth = std::max(10, w / value);
    const int tileHeight = std::max(10, h / value);
    const int kept = tileWidth == 10 && tileHeight == 10 ? std::max(h, w) / 10 : value;

    ObjectPtr<TBitmap> tile = MakeObject<TBitmap>();
    tile->SetPixelFormat(pf24bit);
    tile->SetSize(tileWidth, tileHeight);
    if (original->PixelFormat() == pf24bit) {
        ResampleBitmap(original, tile.get());
    } else {
        ObjectPtr<TBitmap> copy = MakeObject<TBitmap>();
        copy->Assign(original);
        copy->SetPixelFormat(pf24bit);
        ResampleBitmap(copy.get(), tile.get());
    }
    PixelRows piece(tile.get());
    // Tiles from the top left; the last row and column of them are cut at the edges.
    const int pw = picture.Width(), ph = picture.Height();
    for (int j = 0; j * tileHeight <= h; ++j)
        for (int i = 0; i * tileWidth <= w; ++i) {
            const int left = i * tileWidth, top = j * tileHeight;
            const int columns = std::min(tileWidth, pw - left);
            for (int y = 0; y < tileHeight && top + y < ph; ++y)
                if (columns > 0)
                    std::memcpy(picture.At(left, top + y), piece.Row(y), size_t(3 * columns));
        }
    return kept;
}
