// Edge tracing of the picture view: neighbours of different colour leave a black pixel.
#include "app/OrImageEffects.h"

#include "app/OrImagePixels.h"

#include <vector>

namespace {

class Tracer {
public:
    Tracer(const PixelRows& picture, std::vector<const Byte*> indices)
        : picture_(picture), indices_(std::move(indices)) {}

    // One boundary decision between pixel (x, y) and its neighbour (nx, ny).
    void Compare(int x, int y, int nx, int ny) {
        const Byte p = indices_[size_t(y)][x];
        const Byte n = indices_[size_t(ny)][nx];
        if (p == n) return;
        if (!haveTraced_) {
            Blacken(x, y);
            traced_ = n;
            haveTraced_ = true;
        } else if (p == traced_) {
            Blacken(nx, ny);
        } else {
            Blacken(x, y);
        }
    }

    void Forward() {
        for (int y = 0; y + 1 < picture_.Height(); ++y)
            for (int x = 0; x + 2 < picture_.Width(); ++x) {
                Compare(x, y, x + 1, y);
                Compare(x, y, x, y + 1);
            }
    }

    void Backward() {
        for (int y = picture_.Height() - 1; y >= 1; --y)
            for (int x = picture_.Width() - 1; x >= 2; --x) {
                Compare(x, y, x - 1, y);
                Compare(x, y, x, y - 1);
            }
    }

private:
    void Blacken(int x, int y) {
        Byte* p = picture_.At(x, y);
        p[0] = p[1] = p[2] = 0;
    }

    const PixelRows& picture_;
    std::vector<const Byte*> indices_;
    Byte traced_ = 0;
    bool haveTraced_ = false;
};

} // namespace

void TraceBitmap(TBitmap* bitmap, int passes) {
    PixelRows picture(bitmap);
    if (picture.Empty() || passes <= 0) return;
    // Colours are compared by their index in an 8-bit copy, so near colours count as one.
    ObjectPtr<TBitmap> indexed = MakeObject<TBitmap>();
    indexed->Assign(bitmap);
    indexed->SetPixelFormat(pf8bit);
    std::vector<const Byte*> indices;
    indices.reserve(size_t(picture.Height()));
    for (int y = 0; y < picture.Height(); ++y)
        indices.push_back(static_cast<const Byte*>(indexed->ScanLine(y)));
    Tracer tracer(picture, std::move(indices));
    for (int pass = 1; pass <= passes; ++pass) {
        tracer.Forward();
        if (pass >= 2) tracer.Backward();
    }
}
