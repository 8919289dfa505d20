#pragma once
// A screen area of the headless display dumped as a 24-bit BMP for looking at by eye; written
// only when KORVID_SHOT_DIR is set.
#include "platform/headless/Headless.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace test_support {

// Writes the screen area into $KORVID_SHOT_DIR/name.
inline void SaveScreenShot(headless::HeadlessBackend& screen, RECT area, const std::string& name) {
    const char* dir = std::getenv("KORVID_SHOT_DIR");
    if (!dir) return;
    std::vector<COLORREF> px = screen.ScreenShot(area);
    const int w = area.right - area.left, h = area.bottom - area.top;
    const int stride = (w * 3 + 3) & ~3;
    std::vector<unsigned char> out(54 + size_t(stride) * size_t(h), 0);
    auto put32 = [&](size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            out[at + size_t(i)] = (v >> (8 * i)) & 0xFF;
    };
    out[0] = 'B';
    out[1] = 'M';
    put32(2, std::uint32_t(out.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, std::uint32_t(w));
    put32(22, std::uint32_t(h));
    out[26] = 1;
    out[28] = 24;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const COLORREF c = px[size_t(y) * size_t(w) + size_t(x)];
            unsigned char* p = &out[54 + size_t(h - 1 - y) * size_t(stride) + size_t(x) * 3];
            p[0] = GetBValue(c);
            p[1] = GetGValue(c);
            p[2] = GetRValue(c);
        }
    const std::string path = std::string(dir) + "/" + name;
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(out.data(), 1, out.size(), f);
        std::fclose(f);
    }
}

} // namespace test_support
