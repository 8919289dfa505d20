#pragma once
// Noise for the picture view: a small pseudo-random source and the two ways of filling the
// noise cache (a 24-bit bitmap of the original's size whose bytes are added per channel).
#include "framework/Bitmap.h"

#include <cstdint>

// A 64-bit linear congruential sequence; its upper half gives the draws. Deterministic, so a
// control makes the same noise for the same settings on every platform.
class NoiseSource {
public:
    explicit NoiseSource(std::uint64_t state) : state_(state) {}
    // A whole number drawn uniformly from 0 .. n - 1 (0 when n <= 0).
    int Below(int n);
    std::uint64_t State() const { return state_; }

private:
    std::uint64_t state_;
};

// Every channel byte of every pixel (drawn red, green, blue in that order) becomes
// ClampByte(r - amount div 2) with r drawn from 0 .. amount - 1; the bitmap must be 24-bit.
void FillColorNoise(TBitmap* bitmap, int amount, NoiseSource& source);
// One such value per pixel, in all three channels.
void FillMonoNoise(TBitmap* bitmap, int amount, NoiseSource& source);
