#include "platform/gdi/SysColor.h"

#include "platform/gdi/Draw.h"
#include "platform/gdi/internal/Objects.h"

#include <array>
#include <mutex>

using namespace gdi;

namespace {

constexpr int kCount = COLOR_ENDCOLORS + 1;

struct Table {
    std::mutex mutex;
    std::array<COLORREF, kCount> colors = {
        RGB(200, 200, 200), RGB(58, 110, 165),  RGB(10, 36, 106),   RGB(128, 128, 128),
        RGB(212, 208, 200), RGB(255, 255, 255), RGB(0, 0, 0),       RGB(0, 0, 0),
        RGB(0, 0, 0),       RGB(255, 255, 255), RGB(212, 208, 200), RGB(212, 208, 200),
        RGB(128, 128, 128), RGB(10, 36, 106),   RGB(255, 255, 255), RGB(212, 208, 200),
        RGB(128, 128, 128), RGB(128, 128, 128), RGB(0, 0, 0),       RGB(212, 208, 200),
        RGB(255, 255, 255), RGB(64, 64, 64),    RGB(212, 208, 200), RGB(0, 0, 0),
        RGB(255, 255, 225), RGB(181, 181, 181), RGB(0, 0, 128),     RGB(166, 202, 240),
        RGB(192, 192, 192), RGB(49, 106, 197),  RGB(212, 208, 200)};
    std::array<HBRUSH, kCount> brushes{};
};

Table& table() {
    static Table* t = new Table;
    return *t;
}

} // namespace

COLORREF GetSysColor(int index) {
    if (index < 0 || index >= kCount) return 0;
    Table& t = table();
    std::lock_guard lock(t.mutex);
    return t.colors[static_cast<std::size_t>(index)];
}

HBRUSH GetSysColorBrush(int index) {
    if (index < 0 || index >= kCount) return 0;
    Table& t = table();
    std::lock_guard lock(t.mutex);
    HBRUSH& b = t.brushes[static_cast<std::size_t>(index)];
    if (!b || !find<BrushObj>(b)) {
        auto brush = std::make_shared<BrushObj>();
        brush->color = t.colors[static_cast<std::size_t>(index)];
        brush->stock = true;
        b = addObject(brush);
    }
    return b;
}

BOOL SetSysColors(int count, const int* indexes, const COLORREF* colors) {
    if (count < 0 || (count > 0 && (!indexes || !colors))) return FALSE;
    Table& t = table();
    std::lock_guard lock(t.mutex);
    for (int i = 0; i < count; ++i) {
        int k = indexes[i];
        if (k < 0 || k >= kCount) continue;
        t.colors[static_cast<std::size_t>(k)] = colors[i] & 0xFFFFFF;
        if (auto b = find<BrushObj>(t.brushes[static_cast<std::size_t>(k)]))
            b->color = colors[i] & 0xFFFFFF;
    }
    return TRUE;
}
