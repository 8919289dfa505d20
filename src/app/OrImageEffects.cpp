// Emboss, mosaic and the blurs of the picture view.
#include "app/OrImageEffects.h"

#include "app/OrImagePixels.h"

#include <algorithm>
#include <cstring>

namespace {

void EmbossRow(Byte* row, const Byte* partner, int width) {
    // Columns that have a partner three to the right use it; the last three use their own.
    const int shifted = std::max(width - 3, 0);
    for (int x = 0; x < shifted; ++x)
        for (int k = 0; k < 3; ++k)
            row[3 * x + k] = Byte((row[3 * x + k] + (255 - partner[3 * (x + 3) + k])) / 2);
    for (int x = shifted; x < width; ++x)
        for (int k = 0; k < 3; ++k)
            row[3 * x + k] = Byte((row[3 * x + k] + (255 - partner[3 * x + k])) / 2);
}

} // namespace

void EmbossBitmap(TBitmap* bitmap) {
    PixelRows px(bitmap);
    const int w = px.Width(), h = px.Height();
    if (h < 2) return;
    for (int y = 0; y + 1 < h; ++y)
        EmbossRow(px.Row(y), px.Row(y + 1), w);
    EmbossRow(px.Row(h - 1), px.Row(h - 2), w);
}

void MosaicBitmap(TBitmap* bitmap, int size) {
    PixelRows px(bitmap);
    if (px.Empty() || size <= 1) return;
    const int w = px.Width(), h = px.Height();
    for (int by = 0; by < h; by += size) {
        const int bottom = std::min(h, by + size);
        for (int bx = 0; bx < w; bx += size) {
            const int right = std::min(w, bx + size);
            Byte colour[3];
            std::memcpy(colour, px.At(bx, by), 3);
            for (int y = by; y < bottom; ++y)
                for (int x = bx; x < right; ++x)
                    std::memcpy(px.At(x, y), colour, 3);
        }
    }
}

void SplitBlurBitmap(TBitmap* bitmap, int distance) {
    PixelRows px(bitmap);
    if (px.Empty() || distance <= 0) return;
    const int w = px.Width(), h = px.Height();
    for (int y = 0; y < h; ++y) {
        const int above = y - distance < 0 ? y : y - distance;
        const int below = y + distance >= h ? h - 1 : y + distance;
        const Byte* up = px.Row(above);
        const Byte* down = px.Row(below);
        Byte* row = px.Row(y);
        for (int x = 0; x < w; ++x) {
            const int left = 3 * (x - distance < 0 ? x : x - distance);
            const int right = 3 * (x + distance >= w ? w - 1 : x + distance);
            for (int k = 0; k < 3; ++k)
                row[3 * x + k] =
                    Byte((up[left + k] + up[right + k] + down[left + k] + down[right + k]) / 4);
        }
    }
}

void GaussianBlurBitmap(TBitmap* bitmap, int passes) {
    if (passes <= 0) return;
    for (int i = 0; i <= passes; ++i)
        SplitBlurBitmap(bitmap, 3);
}

void AntiAliasBitmap(TBitmap* bitmap) {
    PixelRows px(bitmap);
    const int w = px.Width(), h = px.Height();
    for (int y = 1; y + 1 < h; ++y) {
        const Byte* up = px.Row(y - 1);
        const Byte* down = px.Row(y + 1);
        Byte* row = px.Row(y);
        for (int x = 1; x + 1 < w; ++x)
            for (int k = 0; k < 3; ++k) {
                const int i = 3 * x + k;
                row[i] = Byte((up[i] + down[i] + row[i - 3] + row[i + 3]) / 4);
            }
    }
}
