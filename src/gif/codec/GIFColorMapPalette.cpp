// The colour map's bridges to palettes and DIB colour tables.
#include "gif/codec/GIFColorMap.h"

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/Palette.h"

#include <vector>

void TGIFColorMap::FromPalette(HPALETTE palette) {
    Reset();
    if (!palette) return;
    PALETTEENTRY entries[256];
    UINT n = GetPaletteEntries(palette, 0, 0, nullptr);
    n = GetPaletteEntries(palette, 0, n < 256 ? n : 256, entries);
    std::vector<RGBQUAD> quads(n);
    for (UINT i = 0; i < n; ++i)
        quads[i] = {entries[i].peBlue, entries[i].peGreen, entries[i].peRed, 0};
    FromColorTable(quads.data(), static_cast<int>(n));
}

void TGIFColorMap::FromDIBColorTable(HDC dc) {
    std::vector<RGBQUAD> table(256);
    UINT n = GetDIBColorTable(dc, 0, 256, table.data());
    FromColorTable(table.data(), static_cast<int>(n));
    if (n == 0) ColorsChanged();
}

HPALETTE TGIFColorMap::ToPalette() const {
    if (Count() == 0) return 0;
    std::vector<Byte> block(sizeof(LOGPALETTE) +
                            sizeof(PALETTEENTRY) * static_cast<size_t>(Count()));
    auto* pal = reinterpret_cast<LOGPALETTE*>(block.data());
    pal->palVersion = 0x300;
    pal->palNumEntries = static_cast<WORD>(Count());
    for (int i = 0; i < Count(); ++i)
        pal->palPalEntry[i] = {Colors()[i].Red, Colors()[i].Green, Colors()[i].Blue, PC_NOCOLLAPSE};
    return CreatePalette(pal);
}
