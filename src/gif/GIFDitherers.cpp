#include "gif/GIFDitherers.h"

#include <algorithm>
#include <typeinfo>

namespace {
inline int Clamp255(int v) {
    return v < 0 ? 0 : v > 255 ? 255 : v;
}
} // namespace

Byte TDitherEngine::DitherPixel(Byte red, Byte green, Byte blue, Byte& outRed, Byte& outGreen,
                                Byte& outBlue) {
    Byte index = ColorLookup->NearestIndex(red, green, blue, outRed, outGreen, outBlue);
    Column += Step;
    return index;
}

void TDitherEngine::NextRow() {
    Step = -Step;
    Column = Step < 0 ? RowWidth - 1 : 0;
}

namespace {

template <typename Lookup>
int NearestRow(const Byte* pixels, Byte* out, int x, int step, int width, Lookup&& lookup) {
    Byte r, g, b;
    for (; x >= 0 && x < width; x += step) {
        const Byte* p = pixels + Int64(x) * 3;
        out[x] = lookup(p[2], p[1], p[0], r, g, b);
    }
    return x;
}

} // namespace

void TDitherEngine::DitherRow(const Byte* pixels, Byte* out) {
    // The base engine's pixel is the lookup alone; a derived engine's goes through its own
    // DitherPixel.
    if (typeid(*this) == typeid(TDitherEngine)) {
        if (auto* fast = dynamic_cast<TFastColorLookup*>(ColorLookup)) {
            Column = NearestRow(pixels, out, Column, Step, RowWidth,
                                [fast](Byte r, Byte g, Byte b, Byte& outR, Byte& outG, Byte& outB) {
                                    return fast->Nearest(r, g, b, outR, outG, outB);
                                });
        } else if (dynamic_cast<TGrayScaleLookup*>(ColorLookup)) {
            Column = NearestRow(pixels, out, Column, Step, RowWidth, TGrayScaleLookup::Nearest);
        } else {
            TColorLookup* lookup = ColorLookup;
            Column =
                NearestRow(pixels, out, Column, Step, RowWidth,
                           [lookup](Byte r, Byte g, Byte b, Byte& outR, Byte& outG, Byte& outB) {
                               return lookup->NearestIndex(r, g, b, outR, outG, outB);
                           });
        }
        return;
    }
    Byte r, g, b;
    for (int x = Column; x >= 0 && x < RowWidth; x = Column) {
        const Byte* p = pixels + Int64(x) * 3;
        out[x] = DitherPixel(p[2], p[1], p[0], r, g, b);
    }
}

// --- Floyd-Steinberg ---

TFloydSteinbergDitherer::TFloydSteinbergDitherer(int rowWidth, TColorLookup* lookup)
    : TDitherEngine(rowWidth, lookup) {
    for (Channel& c : channels_)
        c.row.assign(static_cast<size_t>(std::max(rowWidth, 0) + 2), 0);
}

// The cursor sits one cell behind the pixel: on the cell of the column just done, which
// collects the errors meant for it in the next row. The pixel's own error from the row above
// is in the cell ahead of the cursor.
Byte TFloydSteinbergDitherer::DitherPixel(Byte red, Byte green, Byte blue, Byte& outRed,
                                          Byte& outGreen, Byte& outBlue) {
    int cursor = Cursor();
    int ahead = cursor + Step;
    int value[3] = {red, green, blue};
    int corrected[3];
    for (int ch = 0; ch < 3; ++ch) {
        Channel& c = channels_[ch];
        corrected[ch] =
            Clamp255(value[ch] + (c.row[static_cast<size_t>(ahead)] + c.carried + 8) / 16);
    }
    Byte index =
        TDitherEngine::DitherPixel(static_cast<Byte>(corrected[0]), static_cast<Byte>(corrected[1]),
                                   static_cast<Byte>(corrected[2]), outRed, outGreen, outBlue);
    int chosen[3] = {outRed, outGreen, outBlue};
    for (int ch = 0; ch < 3; ++ch) {
        Channel& c = channels_[ch];
        int e = corrected[ch] - chosen[ch];
        // Also a zero error rewrites the cell: it still holds what the row above left for
        // this column, already used.
        c.row[static_cast<size_t>(cursor)] = c.belowPrevious + 3 * e;
        c.belowPrevious = c.below + 5 * e;
        c.below = e;
        c.carried = 7 * e;
    }
    return index;
}

namespace {

// One channel's Floyd-Steinberg state as locals of the row loop.
struct RowChannel {
    int* row;
    int carried, below, belowPrevious;

    int Corrected(int value, int x) const {
        return Clamp255(value + (row[x + 1] + carried + 8) / 16);
    }
    void Spread(int e, int cursor) {
        row[cursor] = belowPrevious + 3 * e;
        belowPrevious = below + 5 * e;
        below = e;
        carried = 7 * e;
    }
};

} // namespace

// The same steps as DitherPixel for each pixel of the row. Column x reads its error from
// cell x + 1 and leaves its share for the next row in the cell behind it, x + 1 - Step.
template <typename Lookup>
void TFloydSteinbergDitherer::DitherRowWith(const Byte* pixels, Byte* out, Lookup&& lookup) {
    auto load = [](Channel& c) {
        return RowChannel{c.row.data(), c.carried, c.below, c.belowPrevious};
    };
    auto store = [](const RowChannel& l, Channel& c) {
        c.carried = l.carried;
        c.below = l.below;
        c.belowPrevious = l.belowPrevious;
    };
    RowChannel red = load(channels_[0]), green = load(channels_[1]), blue = load(channels_[2]);
    const int step = Step;
    const int width = RowWidth;
    int x = Column;
    for (; x >= 0 && x < width; x += step) {
        const Byte* p = pixels + Int64(x) * 3;
        int r = red.Corrected(p[2], x), g = green.Corrected(p[1], x), b = blue.Corrected(p[0], x);
        Byte chosenR, chosenG, chosenB;
        out[x] = lookup(static_cast<Byte>(r), static_cast<Byte>(g), static_cast<Byte>(b), chosenR,
                        chosenG, chosenB);
        const int cursor = x + 1 - step;
        red.Spread(r - chosenR, cursor);
        green.Spread(g - chosenG, cursor);
        blue.Spread(b - chosenB, cursor);
    }
    Column = x;
    store(red, channels_[0]);
    store(green, channels_[1]);
    store(blue, channels_[2]);
}

void TFloydSteinbergDitherer::DitherRow(const Byte* pixels, Byte* out) {
    // The general and the gray lookups are final: their answers can be asked without a
    // virtual call.
    if (auto* fast = dynamic_cast<TFastColorLookup*>(ColorLookup)) {
        DitherRowWith(pixels, out,
                      [fast](Byte r, Byte g, Byte b, Byte& outR, Byte& outG, Byte& outB) {
                          return fast->Nearest(r, g, b, outR, outG, outB);
                      });
        return;
    }
    if (dynamic_cast<TGrayScaleLookup*>(ColorLookup)) {
        DitherRowWith(pixels, out, TGrayScaleLookup::Nearest);
        return;
    }
    TColorLookup* lookup = ColorLookup;
    DitherRowWith(pixels, out,
                  [lookup](Byte r, Byte g, Byte b, Byte& outR, Byte& outG, Byte& outB) {
                      return lookup->NearestIndex(r, g, b, outR, outG, outB);
                  });
}

void TFloydSteinbergDitherer::NextRow() {
    int cursor = Cursor();
    for (Channel& c : channels_) {
        c.row[static_cast<size_t>(cursor)] = c.belowPrevious;
        c.carried = c.below = c.belowPrevious = 0;
    }
    TDitherEngine::NextRow();
}

// --- kernels ---

TKernelDitherer::TKernelDitherer(int rowWidth, TColorLookup* lookup, int rows, int reach,
                                 int divisor)
    : TDitherEngine(rowWidth, lookup), Divisor(divisor), reach_(reach) {
    for (auto& c : channels_)
        c.assign(static_cast<size_t>(rows),
                 std::vector<int>(static_cast<size_t>(std::max(rowWidth, 0) + 2 * reach), 0));
}

Byte TKernelDitherer::DitherPixel(Byte red, Byte green, Byte blue, Byte& outRed, Byte& outGreen,
                                  Byte& outBlue) {
    int at = Column + reach_;
    int value[3] = {red, green, blue};
    int corrected[3];
    for (int ch = 0; ch < 3; ++ch)
        corrected[ch] = Clamp255(
            value[ch] + (channels_[ch][0][static_cast<size_t>(at)] + Divisor / 2) / Divisor);
    Byte index =
        TDitherEngine::DitherPixel(static_cast<Byte>(corrected[0]), static_cast<Byte>(corrected[1]),
                                   static_cast<Byte>(corrected[2]), outRed, outGreen, outBlue);
    int chosen[3] = {outRed, outGreen, outBlue};
    for (int ch = 0; ch < 3; ++ch) {
        int e = corrected[ch] - chosen[ch];
        if (e != 0) Spread(channels_[ch].data(), at, e);
    }
    return index;
}

void TKernelDitherer::NextRow() {
    for (auto& c : channels_) {
        std::fill(c[0].begin(), c[0].end(), 0);
        std::rotate(c.begin(), c.begin() + 1, c.end());
    }
    TDitherEngine::NextRow();
}

void TStuckiDitherer::Spread(std::vector<int>* r, int at, int e) {
    Add(r[0], at, 1, 8, e), Add(r[0], at, 2, 4, e);
    Add(r[1], at, -2, 2, e), Add(r[1], at, -1, 4, e), Add(r[1], at, 0, 8, e);
    Add(r[1], at, 1, 4, e), Add(r[1], at, 2, 2, e);
    Add(r[2], at, -2, 1, e), Add(r[2], at, -1, 2, e), Add(r[2], at, 0, 4, e);
    Add(r[2], at, 1, 2, e), Add(r[2], at, 2, 1, e);
}

void TSierraDitherer::Spread(std::vector<int>* r, int at, int e) {
    Add(r[0], at, 1, 5, e), Add(r[0], at, 2, 3, e);
    Add(r[1], at, -2, 2, e), Add(r[1], at, -1, 4, e), Add(r[1], at, 0, 5, e);
    Add(r[1], at, 1, 4, e), Add(r[1], at, 2, 2, e);
    Add(r[2], at, -1, 2, e), Add(r[2], at, 0, 3, e), Add(r[2], at, 1, 2, e);
}

void TJaJuNiDitherer::Spread(std::vector<int>* r, int at, int e) {
    Add(r[0], at, 1, 7, e), Add(r[0], at, 2, 5, e);
    Add(r[1], at, -2, 3, e), Add(r[1], at, -1, 5, e), Add(r[1], at, 0, 7, e);
    Add(r[1], at, 1, 5, e), Add(r[1], at, 2, 3, e);
    Add(r[2], at, -2, 1, e), Add(r[2], at, -1, 3, e), Add(r[2], at, 0, 5, e);
    Add(r[2], at, 1, 3, e), Add(r[2], at, 2, 1, e);
}

void TSteveArcheDitherer::Spread(std::vector<int>* r, int at, int e) {
    Add(r[0], at, 2, 32, e);
    Add(r[1], at, -3, 12, e), Add(r[1], at, -1, 26, e), Add(r[1], at, 1, 30, e);
    Add(r[1], at, 3, 16, e);
    Add(r[2], at, -2, 12, e), Add(r[2], at, 0, 26, e), Add(r[2], at, 2, 12, e);
    Add(r[3], at, -3, 5, e), Add(r[3], at, -1, 12, e), Add(r[3], at, 1, 12, e);
    Add(r[3], at, 3, 5, e);
}

void TBurkesDitherer::Spread(std::vector<int>* r, int at, int e) {
    Add(r[0], at, 1, 8, e), Add(r[0], at, 2, 4, e);
    Add(r[1], at, -2, 2, e), Add(r[1], at, -1, 4, e), Add(r[1], at, 0, 8, e);
    Add(r[1], at, 1, 4, e), Add(r[1], at, 2, 2, e);
}

std::unique_ptr<TDitherEngine> CreateDitherer(int method, int rowWidth, TColorLookup* lookup) {
    switch (method) {
    case dtNearest:
        return std::make_unique<TDitherEngine>(rowWidth, lookup);
    case dtFloydSteinberg:
        return std::make_unique<TFloydSteinbergDitherer>(rowWidth, lookup);
    case dtStucki:
        return std::make_unique<TStuckiDitherer>(rowWidth, lookup);
    case dtSierra:
        return std::make_unique<TSierraDitherer>(rowWidth, lookup);
    case dtJaJuNi:
        return std::make_unique<TJaJuNiDitherer>(rowWidth, lookup);
    case dtSteveArche:
        return std::make_unique<TSteveArcheDitherer>(rowWidth, lookup);
    case dtBurkes:
        return std::make_unique<TBurkesDitherer>(rowWidth, lookup);
    default:
        return nullptr;
    }
}
