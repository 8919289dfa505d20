#pragma once
// The per-pixel part of the picture view: tonal adjustments of 24-bit rows (blue, green, red
// per pixel). Everything that depends on one channel alone is folded into lookup tables when
// the settings are taken, so a row costs one lookup per byte when nothing mixes channels.
#include "rtl/Types.h"

#include <array>
#include <cstdint>

struct ToneSettings {
    int brightness = 0; // -255 .. 255
    int contrast = 0;   // >= -255
    int lightness = 0;  // <= 255
    int darkness = 0;   // <= 255
    int saturation = 0; // >= -255
    int splitlight = 0; // 0 .. 10
    int posterize = 0;  // >= 0; wins over solarize
    int solarize = 0;   // 0 .. 255
    bool grayScale = false;
    bool invert = false;
};

// 0 below 0, 255 above 255.
inline int ClampByte(std::int64_t v) {
    return v < 0 ? 0 : v > 255 ? 255 : int(v);
}

class ToneTables {
public:
    explicit ToneTables(const ToneSettings& settings);

    // Adjusts width pixels of source into target (which may be the same row). noise, when
    // given, holds one byte per channel to add, laid out as the picture.
    void ApplyRow(const Byte* source, const Byte* noise, Byte* target, int width) const;

private:
    // A channel after solarizing or posterizing, contrast, lightness, darkness, brightness
    // and split light, for a channel value c before them (and, for the solarized table,
    // before inverting it).
    std::array<Byte, 256> plain_{};
    std::array<Byte, 256> solarized_{};
    // The same sum before clamping (kept within -256 .. 256, which clamps the same way
    // whatever noise byte is added), and clamp-then-split-light of sum + noise + 256.
    std::array<std::int16_t, 256> sumPlain_{};
    std::array<std::int16_t, 256> sumSolarized_{};
    std::array<Byte, 768> clampSplit_{};
    // plain_ with the final inversion folded in, for rows where nothing mixes channels.
    std::array<Byte, 256> direct_{};
    // When direct_ is just c + shift clamped (brightness alone), rows take a saturating add
    // the compiler turns into vector code, many bytes at a time.
    bool shiftOnly_ = false;
    int shift_ = 0;
    int solarizeAbove_ = 255; // a pixel whose channel average exceeds this is solarized
    bool solarize_ = false;
    bool grayScale_ = false;
    bool saturate_ = false;
    // (d * (saturation + 255)) div 255 for a distance d = c - mean of -255 .. 255, at
    // index d + 255, kept within -256 .. 256 (the mean added, that clamps the same way).
    std::array<std::int16_t, 511> saturated_{};
    bool invert_ = false;
};
