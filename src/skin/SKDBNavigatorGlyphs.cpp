// The navigator's built-in glyph strip, drawn from character pictures: '.' is see-through
// (clFuchsia), '#' dark grey, 'g' green, 'r' red, 'b' blue. The strip is kept as a BMP file
// image and registered as a bitmap resource, as the built-in style art is.
#include "framework/Resources.h"
#include "skin/SKDBNavigator.h"

#include <cstdint>
#include <mutex>
#include <vector>

namespace {

constexpr int kGlyphSize = 16;
using GlyphRows = const char* const[kGlyphSize];

GlyphRows kFirst = {"................", "................", "................", "...##.......##..",
                    "...##......###..", "...##.....####..", "...##....#####..", "...##...######..",
                    "...##...######..", "...##....#####..", "...##.....####..", "...##......###..",
                    "...##.......##..", "................", "................", "................"};
GlyphRows kPrior = {"................", "................", "................", "..........##....",
                    ".........###....", "........####....", ".......#####....", "......######....",
                    "......######....", ".......#####....", "........####....", ".........###....",
                    "..........##....", "................", "................", "................"};
GlyphRows kInsert = {
    "................", "................", "................", "......####......",
    "......####......", "......####......", "...##########...", "...##########...",
    "...##########...", "...##########...", "......####......", "......####......",
    "......####......", "................", "................", "................"};
GlyphRows kDelete = {
    "................", "................", "................", "................",
    "................", "................", "...##########...", "...##########...",
    "...##########...", "...##########...", "................", "................",
    "................", "................", "................", "................"};
GlyphRows kEdit = {"................", "................", "................", "................",
                   ".......##.......", "......####......", ".....######.....", "....########....",
                   "...##########...", "..############..", "..############..", "................",
                   "................", "................", "................", "................"};
GlyphRows kPost = {"................", "................", "................", "............gg..",
                   "...........ggg..", "..........ggg...", ".........ggg....", "..gg....ggg.....",
                   "..ggg..ggg......", "...gggggg.......", "....gggg........", ".....gg.........",
                   "................", "................", "................", "................"};
GlyphRows kCancel = {
    "................", "................", "...rr.......rr..", "...rrr.....rrr..",
    "....rrr...rrr...", ".....rrr.rrr....", "......rrrrr.....", ".......rrr......",
    "......rrrrr.....", ".....rrr.rrr....", "....rrr...rrr...", "...rrr.....rrr..",
    "...rr.......rr..", "................", "................", "................"};
GlyphRows kRefresh = {
    "................", "................", "......bbbb..b...", "....bbb..bbbb...",
    "...bb......bbb..", "..bb......bbbb..", "..bb............", ".bb.............",
    ".bb...........bb", "..bb..........bb", "..bbbb.......bb.", "...bbb......bb..",
    "...b.bbb..bbb...", "........bbbb....", "................", "................"};

// The mirrors of first and prior are last and next.
struct Glyph {
    const char* const* rows;
    bool mirrored;
};
const Glyph kGlyphs[kNavButtonCount] = {
    {kFirst, false},  {kPrior, false}, {kPrior, true}, {kFirst, true},   {kInsert, false},
    {kDelete, false}, {kEdit, false},  {kPost, false}, {kCancel, false}, {kRefresh, false}};

// Blue, green, red, as a BMP stores them.
void PutPixel(std::vector<Byte>& bmp, size_t at, char c) {
    Byte b = 0xFF, g = 0x00, r = 0xFF; // clFuchsia
    switch (c) {
    case '#':
        b = g = r = 0x30;
        break;
    case 'g':
        b = 0x10;
        g = 0x90;
        r = 0x10;
        break;
    case 'r':
        b = 0x20;
        g = 0x20;
        r = 0xC8;
        break;
    case 'b':
        b = 0xC0;
        g = 0x60;
        r = 0x10;
        break;
    default:
        break;
    }
    bmp[at] = b;
    bmp[at + 1] = g;
    bmp[at + 2] = r;
}

std::vector<Byte> DrawStrip() {
    const int w = kGlyphSize * kNavButtonCount, h = kGlyphSize;
    const int stride = (w * 3 + 3) & ~3;
    constexpr size_t kHeader = 54;
    std::vector<Byte> bmp(kHeader + size_t(stride) * size_t(h), 0);
    auto put32 = [&bmp](size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            bmp[at + size_t(i)] = Byte((v >> (8 * i)) & 0xFF);
    };
    bmp[0] = 'B';
    bmp[1] = 'M';
    put32(2, std::uint32_t(bmp.size()));
    put32(10, kHeader);
    put32(14, 40);
    put32(18, std::uint32_t(w));
    put32(22, std::uint32_t(h));
    bmp[26] = 1;  // planes
    bmp[28] = 24; // bits per pixel
    for (int i = 0; i < kNavButtonCount; ++i)
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < kGlyphSize; ++x) {
                const char* row = kGlyphs[i].rows[y];
                const char c = row[kGlyphs[i].mirrored ? kGlyphSize - 1 - x : x];
                // Rows are stored bottom-up.
                const size_t at =
                    kHeader + size_t(h - 1 - y) * size_t(stride) + size_t(i * kGlyphSize + x) * 3;
                PutPixel(bmp, at, c);
            }
    return bmp;
}

} // namespace

void RegisterNavigatorGlyphs() {
    static std::once_flag once;
    std::call_once(once, [] {
        if (!resources::FindBitmap(kNavigatorGlyphResource).empty()) return;
        // Registered bytes must outlive every lookup.
        static const std::vector<Byte> strip = DrawStrip();
        resources::RegisterBitmap(kNavigatorGlyphResource, strip);
    });
}
