#include "gif/GIFPalettes.h"

#include "gif/GIFDIB.h"
#include "platform/gdi/Dc.h"
#include "platform/gdi/Object.h"
#include "platform/gdi/Palette.h"

#include <vector>

namespace {

HPALETTE MakePalette(const std::vector<PALETTEENTRY>& entries) {
    std::vector<Byte> block(sizeof(LOGPALETTE) + sizeof(PALETTEENTRY) * entries.size());
    auto* pal = reinterpret_cast<LOGPALETTE*>(block.data());
    pal->palVersion = 0x300;
    pal->palNumEntries = static_cast<WORD>(entries.size());
    for (size_t i = 0; i < entries.size(); ++i)
        pal->palPalEntry[i] = entries[i];
    return CheckGDIHandle(CreatePalette(pal));
}

std::vector<PALETTEENTRY> Grays(std::initializer_list<int> levels) {
    std::vector<PALETTEENTRY> out;
    for (int v : levels)
        out.push_back({Byte(v), Byte(v), Byte(v), PC_NOCOLLAPSE});
    return out;
}

} // namespace

HPALETTE BuildNetscapePalette() {
    std::vector<PALETTEENTRY> entries;
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b)
                entries.push_back({Byte(51 * r), Byte(51 * g), Byte(51 * b), 0});
    return MakePalette(entries);
}

HPALETTE BuildGrayPalette256() {
    std::vector<PALETTEENTRY> entries;
    for (int i = 0; i < 256; ++i)
        entries.push_back({Byte(i), Byte(i), Byte(i), PC_NOCOLLAPSE});
    return MakePalette(entries);
}

HPALETTE BuildWindowsGrayPalette() {
    return MakePalette(Grays({0, 128, 192, 255}));
}

HPALETTE BuildMonochromePalette() {
    return MakePalette(Grays({0, 255}));
}

HPALETTE BuildHalftonePalette() {
    HDC screen = GetDC(0);
    HPALETTE palette = CreateHalftonePalette(screen);
    ReleaseDC(0, screen);
    return CheckGDIHandle(palette);
}

HPALETTE StockPalette() {
    return GetStockObject(DEFAULT_PALETTE);
}
