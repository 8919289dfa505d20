// TBitmap's palette: made from the colour table on demand, or set from outside and kept.
#include "framework/Bitmap.h"

#include "platform/gdi/Object.h"
#include "platform/gdi/Palette.h"

#include <cstring>

HPALETTE CopyPalette(HPALETTE Palette) {
    if (!Palette) return 0;
    const UINT count = GetPaletteEntries(Palette, 0, 0, nullptr);
    if (count == 0) return 0;
    std::vector<Byte> buffer(sizeof(LOGPALETTE) + count * sizeof(PALETTEENTRY));
    auto* log = reinterpret_cast<LOGPALETTE*>(buffer.data());
    log->palVersion = 0x300;
    log->palNumEntries = WORD(count);
    GetPaletteEntries(Palette, 0, count, log->palPalEntry);
    return CreatePalette(log);
}

HPALETTE TBitmap::GetPalette() {
    if (palette_) return palette_;
    if (!handle_ || BitCountOf(format_) > 8) return 0;
    std::vector<RGBQUAD> table = CurrentLayout().colors;
    if (table.empty()) return 0;
    std::vector<Byte> buffer(sizeof(LOGPALETTE) + table.size() * sizeof(PALETTEENTRY));
    auto* log = reinterpret_cast<LOGPALETTE*>(buffer.data());
    log->palVersion = 0x300;
    log->palNumEntries = WORD(table.size());
    for (size_t i = 0; i < table.size(); ++i)
        log->palPalEntry[i] = PALETTEENTRY{table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue, 0};
    palette_ = CreatePalette(log);
    paletteFromTable_ = palette_ != 0;
    return palette_;
}

void TBitmap::SetPalette(HPALETTE Value) {
    if (Value && Value == palette_) return;
    if (handle_ && Value && BitCountOf(format_) <= 8) {
        // The palette becomes the colour table; the pixel indices stay.
        Layout layout = CurrentLayout();
        layout.colors = TableFor(layout.bitCount, Value);
        Byte* bits = nullptr;
        HBITMAP dib = MakeDib(layout, &bits);
        std::memcpy(bits, bits_, size_t(stride_ * height_));
        const TPixelFormat format = format_;
        Adopt(dib, bits, layout, format);
    }
    DropPalette();
    palette_ = Value;
    paletteFromTable_ = false;
    SetPaletteModified(true);
    Changed(this);
}

HPALETTE TBitmap::ReleasePalette() {
    HPALETTE result = GetPalette();
    FreeContext();
    palette_ = 0;
    paletteFromTable_ = false;
    return result;
}

void TBitmap::DropPalette() {
    FreeContext();
    if (palette_) DeleteObject(palette_);
    palette_ = 0;
    paletteFromTable_ = false;
}
