#pragma once
// Small helpers of the graphics tests: BMP files built byte by byte, and pixel reads.
#include "framework/Bitmap.h"
#include "platform/gdi/Palette.h"
#include "rtl/Stream.h"

#include <cstdint>
#include <initializer_list>
#include <vector>

namespace gfx_test {

inline void Put16(std::vector<Byte>& out, unsigned v) {
    out.push_back(Byte(v));
    out.push_back(Byte(v >> 8));
}
inline void Put32(std::vector<Byte>& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out.push_back(Byte(v >> (8 * i)));
}

// A BMP file: 14-byte file header, 40-byte info header, then masks or colour table, then
// the pixel bytes as given (rows in file order). Fields are laid out as the writer lays
// them, so a file without surprises saves back to the same bytes.
struct BmpSpec {
    std::int32_t width = 0;
    std::int32_t height = 0; // negative: top-down
    int bitCount = 24;
    std::uint32_t compression = 0;
    std::vector<std::uint32_t> masks; // for BI_BITFIELDS
    std::vector<RGBQUAD> colors;
    std::vector<Byte> pixels;
    std::int64_t imageSizeOverride = -1;
};

inline std::vector<Byte> MakeBmp(const BmpSpec& s) {
    const std::uint32_t table = s.compression == 3 ? 12 : std::uint32_t(s.colors.size() * 4);
    const std::uint32_t offset = 14 + 40 + table;
    std::vector<Byte> out;
    Put16(out, 0x4D42);
    Put32(out, std::uint32_t(offset + s.pixels.size()));
    Put16(out, 0);
    Put16(out, 0);
    Put32(out, offset);
    Put32(out, 40);
    Put32(out, std::uint32_t(s.width));
    Put32(out, std::uint32_t(s.height));
    Put16(out, 1);
    Put16(out, unsigned(s.bitCount));
    Put32(out, s.compression);
    Put32(out, s.imageSizeOverride >= 0 ? std::uint32_t(s.imageSizeOverride)
                                        : std::uint32_t(s.pixels.size()));
    Put32(out, 0);
    Put32(out, 0);
    Put32(out, s.compression == 3 ? 0 : std::uint32_t(s.colors.size()));
    Put32(out, 0);
    if (s.compression == 3) {
        for (std::uint32_t m : s.masks)
            Put32(out, m);
    } else {
        for (const RGBQUAD& q : s.colors) {
            out.push_back(q.rgbBlue);
            out.push_back(q.rgbGreen);
            out.push_back(q.rgbRed);
            out.push_back(0);
        }
    }
    out.insert(out.end(), s.pixels.begin(), s.pixels.end());
    return out;
}

inline void LoadBytes(TBitmap& bitmap, const std::vector<Byte>& bytes) {
    TMemoryStream stream;
    if (!bytes.empty()) stream.WriteBuffer(bytes.data(), Int64(bytes.size()));
    stream.SetPosition(0);
    bitmap.LoadFromStream(stream);
}

inline std::vector<Byte> SaveBytes(TBitmap& bitmap) {
    TMemoryStream stream;
    bitmap.SaveToStream(stream);
    return std::vector<Byte>(stream.Memory(), stream.Memory() + stream.Size());
}

inline RGBQUAD Q(Byte r, Byte g, Byte b) {
    return RGBQUAD{b, g, r, 0};
}

// The colour of a pixel, 0x00BBGGRR, through the bitmap's canvas.
inline TColor PixelOf(TBitmap& bitmap, int x, int y) {
    return bitmap.Canvas()->Pixels(x, y);
}

// A bitmap filled with one colour.
inline ObjectPtr<TBitmap> SolidBitmap(int w, int h, TColor color, TPixelFormat format = pf24bit) {
    auto b = MakeObject<TBitmap>();
    b->SetPixelFormat(format);
    b->SetSize(w, h);
    b->Canvas()->Brush()->SetColor(color);
    b->Canvas()->FillRect(Rect(0, 0, w, h));
    return b;
}

// A logical palette of the given colours; the caller owns it.
inline HPALETTE MakePalette(std::initializer_list<COLORREF> colours) {
    std::vector<Byte> buffer(sizeof(LOGPALETTE) + colours.size() * sizeof(PALETTEENTRY));
    auto* log = reinterpret_cast<LOGPALETTE*>(buffer.data());
    log->palVersion = 0x300;
    log->palNumEntries = WORD(colours.size());
    int i = 0;
    for (COLORREF c : colours)
        log->palPalEntry[i++] = PALETTEENTRY{GetRValue(c), GetGValue(c), GetBValue(c), 0};
    return CreatePalette(log);
}

} // namespace gfx_test
