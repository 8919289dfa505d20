#include "platform/gdi/internal/Objects.h"

#include "platform/gdi/Draw.h"
#include "platform/gdi/Object.h"

#include <cstdio>
#include <mutex>
#include <new>

namespace gdi {

Surface BitmapObj::surface() {
    Surface s;
    s.width = width;
    s.height = height;
    s.bpp = bpp;
    s.mono = !dib && bpp == 1;
    BYTE* base = storage.data();
    auto step = static_cast<std::ptrdiff_t>(stride);
    if (dib && !topDown && height > 0) {
        s.top = base + (height - 1) * step;
        s.pitch = -step;
    } else {
        s.top = base;
        s.pitch = step;
    }
    s.colors = colors.data();
    s.colorCount = static_cast<int>(colors.size());
    s.masks = masks;
    return s;
}

bool BitmapObj::allocate(int w, int h, int depth, int rowAlign, const BYTE* init) {
    if (w < 0 || h < 0) return false;
    std::size_t row = w == 0 ? 0 : rowBytes(w, depth, rowAlign);
    if (w > 0 && row == 0) return false;
    // Beyond 1 GiB of pixels something is wrong with the numbers that got us here.
    constexpr std::uint64_t kMaxBytes = std::uint64_t{1} << 30;
    std::uint64_t total = static_cast<std::uint64_t>(row) * static_cast<std::uint64_t>(h);
    if (total > kMaxBytes) return false;
    try {
        if (init)
            storage.assign(init, init + total);
        else
            storage.assign(static_cast<std::size_t>(total), 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    width = w;
    height = h;
    bpp = depth;
    stride = row;
    return true;
}

const RegionData& DcObj::effectiveClip(int bitmapWidth, int bitmapHeight) {
    if (clipValid_ && clipW_ == bitmapWidth && clipH_ == bitmapHeight) return clipCache_;
    RegionData r(RECT{0, 0, bitmapWidth, bitmapHeight});
    if (visible) r = RegionData::combine(r, *visible, RegionData::Op::And);
    if (state.clip) {
        RegionData c = *state.clip;
        c.offset(deviceOrigin.x, deviceOrigin.y);
        r = RegionData::combine(r, c, RegionData::Op::And);
    }
    clipCache_ = std::move(r);
    clipValid_ = true;
    clipW_ = bitmapWidth;
    clipH_ = bitmapHeight;
    return clipCache_;
}

namespace {

struct Stock {
    HGDIOBJ objects[DEFAULT_GUI_FONT + 1] = {};
    HFONT defaultFont = 0;
};

HGDIOBJ addStock(std::shared_ptr<Object> o) {
    o->stock = true;
    return addObject(std::move(o));
}

HGDIOBJ stockBrush(UINT style, COLORREF color) {
    auto b = std::make_shared<BrushObj>();
    b->style = style;
    b->color = color;
    return addStock(b);
}

HGDIOBJ stockPen(UINT style, COLORREF color) {
    auto p = std::make_shared<PenObj>();
    p->style = style;
    p->color = color;
    return addStock(p);
}

HGDIOBJ stockFont(const char* face, LONG height, BYTE pitch) {
    auto f = std::make_shared<FontObj>();
    f->log.lfHeight = height;
    f->log.lfPitchAndFamily = pitch;
    std::snprintf(f->log.lfFaceName, sizeof f->log.lfFaceName, "%s", face);
    return addStock(f);
}

Stock& stock() {
    static Stock* s = [] {
        auto* st = new Stock;
        st->objects[WHITE_BRUSH] = stockBrush(BS_SOLID, 0xFFFFFF);
        st->objects[LTGRAY_BRUSH] = stockBrush(BS_SOLID, 0xC0C0C0);
        st->objects[GRAY_BRUSH] = stockBrush(BS_SOLID, 0x808080);
        st->objects[DKGRAY_BRUSH] = stockBrush(BS_SOLID, 0x404040);
        st->objects[BLACK_BRUSH] = stockBrush(BS_SOLID, 0);
        st->objects[NULL_BRUSH] = stockBrush(BS_NULL, 0);
        st->objects[WHITE_PEN] = stockPen(PS_SOLID, 0xFFFFFF);
        st->objects[BLACK_PEN] = stockPen(PS_SOLID, 0);
        st->objects[NULL_PEN] = stockPen(PS_NULL, 0);
        HGDIOBJ fixed = stockFont("Courier New", -13, FIXED_PITCH | FF_MODERN);
        HGDIOBJ variable = stockFont("MS Sans Serif", -11, VARIABLE_PITCH | FF_SWISS);
        st->objects[OEM_FIXED_FONT] = fixed;
        st->objects[ANSI_FIXED_FONT] = fixed;
        st->objects[SYSTEM_FIXED_FONT] = fixed;
        st->objects[ANSI_VAR_FONT] = variable;
        st->objects[DEVICE_DEFAULT_FONT] = variable;
        st->objects[DEFAULT_GUI_FONT] = variable;
        st->objects[SYSTEM_FONT] = stockFont("MS Sans Serif", -13, VARIABLE_PITCH | FF_SWISS);
        st->defaultFont = st->objects[SYSTEM_FONT];
        auto pal = std::make_shared<PaletteObj>();
        for (const RGBQUAD& q : stock20())
            pal->entries.push_back(PALETTEENTRY{q.rgbRed, q.rgbGreen, q.rgbBlue, 0});
        st->objects[DEFAULT_PALETTE] = addStock(pal);
        return st;
    }();
    return *s;
}

} // namespace

HBRUSH stockObject(int which) {
    if (which < 0 || which > DEFAULT_GUI_FONT) return 0;
    return stock().objects[which];
}
HFONT defaultFont() {
    return stock().defaultFont;
}
HPALETTE defaultPalette() {
    return stock().objects[DEFAULT_PALETTE];
}

} // namespace gdi
