#pragma once
// Helpers of the picture view tests: 24-bit pictures drawn in code, pixels read back as
// (red, green, blue), and a checksum of a picture's pixels for the golden pictures.
#include "app/OrImage.h"
#include "platform/headless/Headless.h"
#include "support/Bitmap24.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <functional>
#include <ostream>

namespace orimagetest {

struct Rgb {
    int r = 0, g = 0, b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
    friend std::ostream& operator<<(std::ostream& os, const Rgb& c) {
        return os << "(" << c.r << ", " << c.g << ", " << c.b << ")";
    }
};

inline ObjectPtr<TBitmap> MakePicture(int width, int height,
                                      const std::function<Rgb(int x, int y)>& colour) {
    return test_support::Bitmap24(width, height, [&](int x, int y) {
        const Rgb c = colour(x, y);
        return std::uint32_t(Byte(c.r)) << 16 | std::uint32_t(Byte(c.g)) << 8 | Byte(c.b);
    });
}

inline Rgb PixelAt(TBitmap* bitmap, int x, int y) {
    const Byte* p = static_cast<const Byte*>(bitmap->ScanLine(y)) + 3 * x;
    return Rgb{p[2], p[1], p[0]};
}

inline void SetPixelAt(TBitmap* bitmap, int x, int y, Rgb c) {
    Byte* p = static_cast<Byte*>(bitmap->ScanLine(y)) + 3 * x;
    p[0] = Byte(c.b);
    p[1] = Byte(c.g);
    p[2] = Byte(c.r);
}

// A busy pattern with every channel varying on its own, so that effects leave a mark.
inline Rgb Pattern(int x, int y) {
    return Rgb{(x * 37 + y * 11) % 256, (x * 5 + y * 53 + 17) % 256, ((x ^ y) * 29 + 90) % 256};
}

// FNV-1a over the pixel bytes, row by row from the top (row padding left out).
inline std::uint32_t Checksum(TBitmap* bitmap) {
    std::uint32_t h = 2166136261u;
    for (int y = 0; y < bitmap->Height(); ++y) {
        const Byte* row = static_cast<const Byte*>(bitmap->ScanLine(y));
        for (int i = 0; i < 3 * bitmap->Width(); ++i)
            h = (h ^ row[i]) * 16777619u;
    }
    return h;
}

inline TBitmap* AdjustedBitmap(TOrImage* image) {
    return dynamic_cast<TBitmap*>(image->AdjustedPicture()->Graphic());
}

inline TBitmap* OriginalBitmap(TOrImage* image) {
    return dynamic_cast<TBitmap*>(image->PictureOriginal()->Graphic());
}

// A picture view without a parent, on the headless backend.
class OrImageFixture : public ::testing::Test {
protected:
    void SetUp() override { image_.reset(CreateComponent<TOrImage>(nullptr)); }
    void TearDown() override { image_.reset(); }
    void Show(TBitmap* picture) { image_->PictureOriginal()->SetGraphic(picture); }
    TBitmap* Adjusted() { return AdjustedBitmap(image_.get()); }

    headless::HeadlessSession session_;
    ObjectPtr<TOrImage> image_;
};

} // namespace orimagetest
