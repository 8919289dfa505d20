#include "gif/GIFReduce.h"

#include "gif/GIFColorLookup.h"
#include "gif/GIFDIB.h"
#include "gif/GIFDitherers.h"
#include "gif/GIFPalettes.h"
#include "platform/gdi/Object.h"
#include "platform/gdi/Owned.h"
#include "platform/gdi/Palette.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace {

// Above this many pixels the empty result starts at 1 bit, as frame rendering does.
constexpr Int64 kLargePicture = 500000;
constexpr int kSystemColorsEachEnd = 10;

std::unique_ptr<TColorLookup> LookupFor(int method, HPALETTE palette) {
    switch (method) {
    case redMonochrome:
        return std::make_unique<TMonochromeLookup>(palette);
    case redGrayScale:
        return std::make_unique<TGrayScaleLookup>(palette);
    case redNetscape:
        return std::make_unique<TNetscapeColorLookup>(palette);
    default:
        return std::make_unique<TFastColorLookup>(palette);
    }
}

} // namespace

HPALETTE BuildQuantizedPalette(GIFRowSource& rows, int colorCount, int colorBits,
                               bool withSystemColors) {
    int offset = 0;
    int entries = std::clamp(colorCount, 1, 256);
    std::vector<PALETTEENTRY> colors;
    if (withSystemColors) {
        PALETTEENTRY system[20] = {};
        GetPaletteEntries(StockPalette(), 0, 20, system);
        colors.assign(256, PALETTEENTRY{});
        for (int i = 0; i < kSystemColorsEachEnd; ++i) {
            colors[i] = system[i];
            colors[246 + i] = system[10 + i];
        }
        offset = kSystemColorsEachEnd;
        entries = 236;
    } else {
        colors.assign(static_cast<size_t>(entries), PALETTEENTRY{});
    }
    TColorQuantizer quantizer(entries, colorBits);
    quantizer.ScanImage(rows);
    std::vector<RGBQUAD> found = quantizer.Colors();
    for (size_t i = 0; i < found.size() && i < static_cast<size_t>(entries); ++i)
        colors[offset + i] = {found[i].rgbRed, found[i].rgbGreen, found[i].rgbBlue, 0};

    std::vector<Byte> block(sizeof(LOGPALETTE) + sizeof(PALETTEENTRY) * colors.size());
    auto* pal = reinterpret_cast<LOGPALETTE*>(block.data());
    pal->palVersion = 0x300;
    pal->palNumEntries = static_cast<WORD>(colors.size());
    std::copy(colors.begin(), colors.end(), pal->palPalEntry);
    return CheckGDIHandle(CreatePalette(pal));
}

HPALETTE QuantizeBitmapPalette(TBitmap* bitmap, int colorCount, int colorBits,
                               bool withSystemColors) {
    TDIBReader reader(bitmap, pf24bit);
    BitmapRows rows(bitmap);
    return BuildQuantizedPalette(rows, colorCount, colorBits, withSystemColors);
}

ObjectPtr<TBitmap> ReduceBitmapColors(TBitmap* bitmap, int reductionMethod, int ditherMethod,
                                      int colorBits, HPALETTE customPalette) {
    ObjectPtr<TBitmap> result = MakeObject<TBitmap>();
    int width = bitmap->Width(), height = bitmap->Height();
    if (Int64(width) * height > kLargePicture) SetBitmapPixelFormat(*result, pf1bit);

    if (reductionMethod == redNone) {
        result->Assign(bitmap);
        result->SetPixelFormat(pf24bit);
        return result;
    }

    TDIBReader reader(bitmap, pf24bit);
    if (reductionMethod < 0 || reductionMethod > redPalette) return result;

    // The stock palette of redWindows20 is held too: deleting a stock object does nothing.
    gdi::UniqueObject palette;
    switch (reductionMethod) {
    case redWindows20:
        palette.reset(StockPalette());
        break;
    case redWindowsHalftone:
        palette.reset(BuildHalftonePalette());
        break;
    case redWindowsGray:
        palette.reset(BuildWindowsGrayPalette());
        break;
    case redMonochrome:
        palette.reset(BuildMonochromePalette());
        break;
    case redGrayScale:
        palette.reset(BuildGrayPalette256());
        break;
    case redNetscape:
        palette.reset(BuildNetscapePalette());
        break;
    case redQuantize: {
        // 2^bits colours, never more than a GIF table holds.
        int bits = std::clamp(colorBits, 0, 8);
        BitmapRows rows(bitmap);
        palette.reset(BuildQuantizedPalette(rows, 1 << bits, 8, false));
        break;
    }
    case redQuantizeWindows:
        palette.reset(QuantizeBitmapPalette(bitmap, 256, 8, true));
        break;
    case redPalette:
        palette.reset(customPalette ? CopyPalette(customPalette) : 0);
        break;
    default:
        break;
    }

    std::unique_ptr<TColorLookup> lookup = LookupFor(reductionMethod, palette.get());
    if (lookup->ColorCount == 0) return result;
    std::unique_ptr<TDitherEngine> ditherer = CreateDitherer(ditherMethod, width, lookup.get());
    if (!ditherer) return result;

    TDIBWriter writer(result.get(), pf8bit, width, height, palette.get());
    for (int y = 0; y < height; ++y) {
        const Byte* src = static_cast<const Byte*>(reader.RowPointer(y));
        Byte* dst = static_cast<Byte*>(writer.RowPointer(y));
        ditherer->DitherRow(src, dst);
        ditherer->NextRow();
    }
    writer.FlushToBitmap();
    return result;
}
