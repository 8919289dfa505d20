#pragma once
// Small DIB sections in memory DCs, and pixel access by the bits pointer.
#include "platform/gdi/Gdi.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace gdi_test {

struct Dib {
    HDC dc = 0;
    HBITMAP bitmap = 0;
    HGDIOBJ old = 0;
    BYTE* bits = nullptr;
    int width = 0, height = 0, bpp = 0;
    LONG stride = 0;
    bool topDown = false;

    Dib(int w, int h, int depth, std::vector<RGBQUAD> colors = {}, bool td = true)
        : width(w), height(h), bpp(depth), topDown(td) {
        std::vector<BYTE> info(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD));
        auto* bi = reinterpret_cast<BITMAPINFO*>(info.data());
        bi->bmiHeader = BITMAPINFOHEADER{};
        bi->bmiHeader.biWidth = w;
        bi->bmiHeader.biHeight = td ? -h : h;
        bi->bmiHeader.biBitCount = static_cast<WORD>(depth);
        bi->bmiHeader.biClrUsed = static_cast<DWORD>(colors.size());
        if (!colors.empty())
            std::memcpy(bi->bmiColors, colors.data(), colors.size() * sizeof(RGBQUAD));
        void* p = nullptr;
        bitmap = CreateDIBSection(0, bi, DIB_RGB_COLORS, &p, 0, 0);
        bits = static_cast<BYTE*>(p);
        stride = DibRowBytes(w, depth);
        dc = CreateCompatibleDC(0);
        old = SelectObject(dc, bitmap);
    }
    ~Dib() {
        SelectObject(dc, old);
        DeleteDC(dc);
        DeleteObject(bitmap);
    }
    Dib(const Dib&) = delete;
    Dib& operator=(const Dib&) = delete;

    BYTE* row(int y) const {
        return bits + static_cast<std::ptrdiff_t>(topDown ? y : height - 1 - y) * stride;
    }
    // 0x00RRGGBB of a 24- or 32-bit pixel, the index of a paletted one.
    DWORD at(int x, int y) const {
        const BYTE* r = row(y);
        switch (bpp) {
        case 32:
            return r[4 * x] | (r[4 * x + 1] << 8) | (r[4 * x + 2] << 16);
        case 24:
            return r[3 * x] | (r[3 * x + 1] << 8) | (r[3 * x + 2] << 16);
        case 16:
            return r[2 * x] | (r[2 * x + 1] << 8);
        case 8:
            return r[x];
        case 4:
            return (x & 1) ? (r[x / 2] & 15) : (r[x / 2] >> 4);
        default:
            return (r[x / 8] >> (7 - x % 8)) & 1;
        }
    }
    void set(int x, int y, DWORD v) {
        BYTE* r = row(y);
        switch (bpp) {
        case 32:
            r[4 * x] = BYTE(v);
            r[4 * x + 1] = BYTE(v >> 8);
            r[4 * x + 2] = BYTE(v >> 16);
            break;
        case 24:
            r[3 * x] = BYTE(v);
            r[3 * x + 1] = BYTE(v >> 8);
            r[3 * x + 2] = BYTE(v >> 16);
            break;
        case 16:
            r[2 * x] = BYTE(v);
            r[2 * x + 1] = BYTE(v >> 8);
            break;
        case 8:
            r[x] = BYTE(v);
            break;
        case 4:
            r[x / 2] = (x & 1) ? BYTE((r[x / 2] & 0xF0) | v) : BYTE((r[x / 2] & 0x0F) | (v << 4));
            break;
        default:
            if (v)
                r[x / 8] |= BYTE(0x80 >> (x % 8));
            else
                r[x / 8] &= BYTE(~(0x80 >> (x % 8)));
        }
    }
    void fill(DWORD v) {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                set(x, y, v);
    }
    // The pixels as a string of '#' (equal to v) and '.', row by row, for shape checks.
    std::string mask(DWORD v) const {
        std::string s;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x)
                s += at(x, y) == v ? '#' : '.';
            s += '\n';
        }
        return s;
    }
};

inline RGBQUAD quad(BYTE r, BYTE g, BYTE b) {
    return RGBQUAD{b, g, r, 0};
}

// The rule written out independently of the library: smallest squared distance, lowest index.
inline int bruteNearest(const std::vector<std::uint32_t>& table, std::uint32_t p) {
    int best = 0;
    long bestD = -1;
    for (int i = 0; i < static_cast<int>(table.size()); ++i) {
        long dr = long((p >> 16) & 0xFF) - long((table[i] >> 16) & 0xFF);
        long dg = long((p >> 8) & 0xFF) - long((table[i] >> 8) & 0xFF);
        long db = long(p & 0xFF) - long(table[i] & 0xFF);
        long d = dr * dr + dg * dg + db * db;
        if (bestD < 0 || d < bestD) {
            bestD = d;
            best = i;
        }
    }
    return best;
}

} // namespace gdi_test
