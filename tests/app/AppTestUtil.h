#pragma once
// Shared helpers of the application tests: bitmaps drawn in code, GIF files decoded back
// (by FFmpeg, which shows every frame over the ones before as a viewer does), and the
// movie fixtures of the media tests.
#include "framework/Bitmap.h"
#include "support/Bitmap24.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace apptest {

// A 24-bit bitmap whose pixel (x, y) is colour(x, y) as 0x00RRGGBB.
inline ObjectPtr<TBitmap> MakeBitmap(int width, int height,
                                     const std::function<std::uint32_t(int x, int y)>& colour) {
    return test_support::Bitmap24(width, height, colour);
}
// Pixel (x, y) of a 24-bit or 8-bit bitmap as 0x00RRGGBB.
std::uint32_t PixelOf(TBitmap* bitmap, int x, int y);

struct DecodedGif {
    int width = 0, height = 0;
    // One picture per frame, 0x00RRGGBB per pixel, as shown after that frame.
    std::vector<std::vector<std::uint32_t>> frames;
};
DecodedGif DecodeGifWithFFmpeg(const String& path);

} // namespace apptest
