#include "app/OrImageNoise.h"

#include "app/OrImageTones.h"

int NoiseSource::Below(int n) {
    if (n <= 0) return 0;
    state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
    const std::uint64_t high = state_ >> 32;
    return int((high * std::uint64_t(n)) >> 32);
}

namespace {

Byte NoiseByte(int amount, NoiseSource& source) {
    return Byte(ClampByte(std::int64_t(source.Below(amount)) - amount / 2));
}

} // namespace

void FillColorNoise(TBitmap* bitmap, int amount, NoiseSource& source) {
    const int width = bitmap->Width(), height = bitmap->Height();
    if (bitmap->Empty() || bitmap->PixelFormat() != pf24bit) return;
    for (int y = 0; y < height; ++y) {
        Byte* row = static_cast<Byte*>(bitmap->ScanLine(y));
        for (int x = 0; x < width; ++x) {
            Byte* p = row + 3 * x;
            p[2] = NoiseByte(amount, source);
            p[1] = NoiseByte(amount, source);
            p[0] = NoiseByte(amount, source);
        }
    }
}

void FillMonoNoise(TBitmap* bitmap, int amount, NoiseSource& source) {
    const int width = bitmap->Width(), height = bitmap->Height();
    if (bitmap->Empty() || bitmap->PixelFormat() != pf24bit) return;
    for (int y = 0; y < height; ++y) {
        Byte* row = static_cast<Byte*>(bitmap->ScanLine(y));
        for (int x = 0; x < width; ++x) {
            Byte* p = row + 3 * x;
            p[0] = p[1] = p[2] = NoiseByte(amount, source);
        }
    }
}
