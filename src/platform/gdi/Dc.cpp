#include "platform/gdi/Dc.h"

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/Object.h"
#include "platform/gdi/internal/Target.h"

#include <atomic>
#include <mutex>

using namespace gdi;

namespace {

struct Screen {
    std::atomic<int> width{1024};
    std::atomic<int> height{768};
    std::atomic<int> dpi{96};
};

Screen& screen() {
    static Screen s;
    return s;
}

struct WindowHooks {
    std::mutex mutex;
    std::function<HDC(HWND, bool)> acquire;
    std::function<int(HWND, HDC)> release;
};

WindowHooks& hooks() {
    static WindowHooks* h = new WindowHooks;
    return *h;
}

HBITMAP monoStockBitmap() {
    static HBITMAP h = [] {
        auto b = std::make_shared<BitmapObj>();
        b->allocate(1, 1, 1, 2);
        b->stock = true;
        return addObject(b);
    }();
    return h;
}

void initState(DcState& s) {
    s.pen = stockObject(7);   // BLACK_PEN
    s.brush = stockObject(0); // WHITE_BRUSH
    s.font = defaultFont();
    s.palette = defaultPalette();
}

HDC newDc(bool isScreen) {
    auto [h, dc] = make<DcObj>();
    initState(dc->state);
    dc->screen = isScreen;
    if (!isScreen) dc->state.bitmap = monoStockBitmap();
    return h;
}

void selectBitmapInto(DcObj& dc, HDC self, HBITMAP next) {
    if (auto old = find<BitmapObj>(dc.state.bitmap); old && !old->stock) old->selectedInto = 0;
    if (auto b = find<BitmapObj>(next); b && !b->stock) b->selectedInto = self;
    dc.state.bitmap = next;
    dc.clipChanged();
}

// Logical point to the device coordinates the clip region is kept in (relative to the
// device origin).
POINT clipPoint(const DcObj& dc, int x, int y) {
    return POINT{dc.toDevX(x) - dc.deviceOrigin.x, dc.toDevY(y) - dc.deviceOrigin.y};
}

RegionData everything() {
    constexpr int kFar = 1 << 28;
    return RegionData(RECT{-kFar, -kFar, kFar, kFar});
}

int clipKind(DcObj& dc) {
    if (auto b = find<BitmapObj>(dc.state.bitmap))
        return dc.effectiveClip(b->width, b->height).kind();
    return dc.state.clip ? dc.state.clip->kind() : SIMPLEREGION;
}

int combineClip(HDC h, const RegionData& with, RegionData::Op op) {
    auto dc = find<DcObj>(h);
    if (!dc) return ERROR;
    RegionData base = dc->state.clip ? *dc->state.clip : everything();
    dc->state.clip = RegionData::combine(base, with, op);
    dc->clipChanged();
    return clipKind(*dc);
}

RegionData logicalRect(const DcObj& dc, int l, int t, int r, int b) {
    POINT a = clipPoint(dc, l, t), c = clipPoint(dc, r, b);
    return RegionData(
        RECT{std::min(a.x, c.x), std::min(a.y, c.y), std::max(a.x, c.x), std::max(a.y, c.y)});
}

BOOL setPoint(HDC h, POINT DcState::*field, int x, int y, bool relative, POINT* old) {
    auto dc = find<DcObj>(h);
    if (!dc) return FALSE;
    POINT& p = dc->state.*field;
    if (old) *old = p;
    if (relative) {
        p.x += x;
        p.y += y;
    } else {
        p = POINT{x, y};
    }
    return TRUE;
}

BOOL getPoint(HDC h, POINT DcState::*field, POINT* out) {
    auto dc = find<DcObj>(h);
    if (!dc || !out) return FALSE;
    *out = dc->state.*field;
    return TRUE;
}

} // namespace

namespace gdi {

bool resolveTarget(HDC h, Target& out) {
    out.dc = find<DcObj>(h);
    if (!out.dc) return false;
    out.bitmap = out.dc->screen ? nullptr : find<BitmapObj>(out.dc->state.bitmap);
    out.clip = nullptr;
    if (out.bitmap) {
        out.surface = out.bitmap->surface();
        out.clip = &out.dc->effectiveClip(out.bitmap->width, out.bitmap->height);
    }
    return true;
}

Px colorPx(const DcObj& dc, COLORREF color) {
    if ((color >> 24) == 1) {
        if (auto pal = find<PaletteObj>(dc.state.palette)) {
            std::size_t i = color & 0xFFFF;
            if (i < pal->entries.size()) {
                const PALETTEENTRY& e = pal->entries[i];
                return (Px{e.peRed} << 16) | (Px{e.peGreen} << 8) | e.peBlue;
            }
        }
        return 0;
    }
    return pxFromColorref(color & 0xFFFFFF);
}

} // namespace gdi

HDC CreateCompatibleDC(HDC dc) {
    if (dc && !find<DcObj>(dc)) return 0;
    return newDc(false);
}

BOOL DeleteDC(HDC h) {
    auto dc = find<DcObj>(h);
    if (!dc) return FALSE;
    selectBitmapInto(*dc, h, 0);
    for (DcState& s : dc->saved)
        if (auto b = find<BitmapObj>(s.bitmap); b && b->selectedInto == h) b->selectedInto = 0;
    return removeObject(h) ? TRUE : FALSE;
}

HDC GetDC(HWND window) {
    if (window == 0) return newDc(true);
    std::function<HDC(HWND, bool)> acquire;
    {
        std::lock_guard lock(hooks().mutex);
        acquire = hooks().acquire;
    }
    return acquire ? acquire(window, false) : 0;
}

HDC GetWindowDC(HWND window) {
    if (window == 0) return newDc(true);
    std::function<HDC(HWND, bool)> acquire;
    {
        std::lock_guard lock(hooks().mutex);
        acquire = hooks().acquire;
    }
    return acquire ? acquire(window, true) : 0;
}

int ReleaseDC(HWND window, HDC dc) {
    if (window == 0) {
        auto d = find<DcObj>(dc);
        if (!d || !d->screen) return 0;
        return removeObject(dc) ? 1 : 0;
    }
    std::function<int(HWND, HDC)> release;
    {
        std::lock_guard lock(hooks().mutex);
        release = hooks().release;
    }
    return release ? release(window, dc) : 0;
}

void SetWindowDcProvider(std::function<HDC(HWND, bool)> acquire,
                         std::function<int(HWND, HDC)> release) {
    std::lock_guard lock(hooks().mutex);
    hooks().acquire = std::move(acquire);
    hooks().release = std::move(release);
}

void SetScreenMetrics(int width, int height, int dpi) {
    screen().width = width;
    screen().height = height;
    screen().dpi = dpi > 0 ? dpi : 96;
}

BOOL SetDeviceOrigin(HDC h, int x, int y) {
    auto dc = find<DcObj>(h);
    if (!dc) return FALSE;
    dc->deviceOrigin = POINT{x, y};
    dc->clipChanged();
    return TRUE;
}

BOOL SetVisibleRegion(HDC h, HRGN region) {
    auto dc = find<DcObj>(h);
    if (!dc) return FALSE;
    if (region == 0) {
        dc->visible.reset();
    } else {
        auto r = find<RegionObj>(region);
        if (!r) return FALSE;
        dc->visible = r->data;
    }
    dc->clipChanged();
    return TRUE;
}

HGDIOBJ SelectObject(HDC h, HGDIOBJ obj) {
    auto dc = find<DcObj>(h);
    auto o = findObject(obj);
    if (!dc || !o) return 0;
    DcState& s = dc->state;
    HGDIOBJ old = 0;
    switch (o->kind) {
    case Kind::Bitmap: {
        if (dc->screen) return 0;
        auto b = std::static_pointer_cast<BitmapObj>(o);
        if (!b->stock && b->selectedInto && b->selectedInto != h && find<DcObj>(b->selectedInto))
            return 0;
        old = s.bitmap;
        selectBitmapInto(*dc, h, obj);
        return old;
    }
    case Kind::Pen:
        old = s.pen;
        s.pen = obj;
        return old;
    case Kind::Brush:
        old = s.brush;
        s.brush = obj;
        return old;
    case Kind::Font:
        old = s.font;
        s.font = obj;
        return old;
    case Kind::Region:
        return static_cast<HGDIOBJ>(SelectClipRgn(h, obj));
    default:
        return 0;
    }
}

HGDIOBJ GetCurrentObject(HDC h, UINT type) {
    auto dc = find<DcObj>(h);
    if (!dc) return 0;
    switch (type) {
    case OBJ_BITMAP:
        return dc->state.bitmap;
    case OBJ_PEN:
        return dc->state.pen;
    case OBJ_BRUSH:
        return dc->state.brush;
    case OBJ_FONT:
        return dc->state.font;
    case OBJ_PAL:
        return dc->state.palette;
    default:
        return 0;
    }
}

int SaveDC(HDC h) {
    auto dc = find<DcObj>(h);
    if (!dc) return 0;
    dc->saved.push_back(dc->state);
    return static_cast<int>(dc->saved.size());
}

BOOL RestoreDC(HDC h, int level) {
    auto dc = find<DcObj>(h);
    if (!dc) return FALSE;
    int n = static_cast<int>(dc->saved.size());
    int target = level < 0 ? n + level + 1 : level;
    if (target < 1 || target > n) return FALSE;
    DcState s = dc->saved[static_cast<std::size_t>(target - 1)];
    dc->saved.resize(static_cast<std::size_t>(target - 1));
    HBITMAP bitmap = s.bitmap;
    auto b = find<BitmapObj>(bitmap);
    if (!b || (!b->stock && b->selectedInto && b->selectedInto != h)) bitmap = dc->state.bitmap;
    s.bitmap = dc->state.bitmap;
    dc->state = std::move(s);
    selectBitmapInto(*dc, h, bitmap);
    return TRUE;
}

BOOL SetViewportOrgEx(HDC dc, int x, int y, POINT* old) {
    return setPoint(dc, &DcState::viewportOrg, x, y, false, old);
}
BOOL OffsetViewportOrgEx(HDC dc, int dx, int dy, POINT* old) {
    return setPoint(dc, &DcState::viewportOrg, dx, dy, true, old);
}
BOOL GetViewportOrgEx(HDC dc, POINT* org) {
    return getPoint(dc, &DcState::viewportOrg, org);
}
BOOL SetWindowOrgEx(HDC dc, int x, int y, POINT* old) {
    return setPoint(dc, &DcState::windowOrg, x, y, false, old);
}
BOOL OffsetWindowOrgEx(HDC dc, int dx, int dy, POINT* old) {
    return setPoint(dc, &DcState::windowOrg, dx, dy, true, old);
}
BOOL GetWindowOrgEx(HDC dc, POINT* org) {
    return getPoint(dc, &DcState::windowOrg, org);
}
BOOL SetBrushOrgEx(HDC dc, int x, int y, POINT* old) {
    return setPoint(dc, &DcState::brushOrg, x, y, false, old);
}
BOOL GetBrushOrgEx(HDC dc, POINT* org) {
    return getPoint(dc, &DcState::brushOrg, org);
}

BOOL LPtoDP(HDC h, POINT* points, int count) {
    auto dc = find<DcObj>(h);
    if (!dc || (count > 0 && !points)) return FALSE;
    for (int i = 0; i < count; ++i)
        points[i] = clipPoint(*dc, points[i].x, points[i].y);
    return TRUE;
}

BOOL DPtoLP(HDC h, POINT* points, int count) {
    auto dc = find<DcObj>(h);
    if (!dc || (count > 0 && !points)) return FALSE;
    const DcState& s = dc->state;
    for (int i = 0; i < count; ++i) {
        points[i].x = points[i].x - s.viewportOrg.x + s.windowOrg.x;
        points[i].y = points[i].y - s.viewportOrg.y + s.windowOrg.y;
    }
    return TRUE;
}

int IntersectClipRect(HDC h, int left, int top, int right, int bottom) {
    auto dc = find<DcObj>(h);
    if (!dc) return ERROR;
    return combineClip(h, logicalRect(*dc, left, top, right, bottom), RegionData::Op::And);
}

int ExcludeClipRect(HDC h, int left, int top, int right, int bottom) {
    auto dc = find<DcObj>(h);
    if (!dc) return ERROR;
    return combineClip(h, logicalRect(*dc, left, top, right, bottom), RegionData::Op::Diff);
}

int SelectClipRgn(HDC h, HRGN region) {
    return ExtSelectClipRgn(h, region, RGN_COPY);
}

int ExtSelectClipRgn(HDC h, HRGN region, int mode) {
    auto dc = find<DcObj>(h);
    if (!dc) return ERROR;
    if (region == 0) {
        if (mode != RGN_COPY) return ERROR;
        dc->state.clip.reset();
        dc->clipChanged();
        return clipKind(*dc);
    }
    auto r = find<RegionObj>(region);
    if (!r) return ERROR;
    switch (mode) {
    case RGN_COPY:
        dc->state.clip = r->data;
        dc->clipChanged();
        return clipKind(*dc);
    case RGN_AND:
        return combineClip(h, r->data, RegionData::Op::And);
    case RGN_OR:
        return combineClip(h, r->data, RegionData::Op::Or);
    case RGN_XOR:
        return combineClip(h, r->data, RegionData::Op::Xor);
    case RGN_DIFF:
        return combineClip(h, r->data, RegionData::Op::Diff);
    default:
        return ERROR;
    }
}

int OffsetClipRgn(HDC h, int dx, int dy) {
    auto dc = find<DcObj>(h);
    if (!dc) return ERROR;
    if (dc->state.clip) dc->state.clip->offset(dx, dy);
    dc->clipChanged();
    return clipKind(*dc);
}

int GetClipRgn(HDC h, HRGN region) {
    auto dc = find<DcObj>(h);
    auto r = find<RegionObj>(region);
    if (!dc || !r) return -1;
    if (!dc->state.clip) return 0;
    r->data = *dc->state.clip;
    return 1;
}

int GetClipBox(HDC h, RECT* rect) {
    Target t;
    if (!rect || !resolveTarget(h, t)) return ERROR;
    const DcObj& dc = *t.dc;
    RECT b;
    int kind;
    if (t.bitmap) {
        b = t.clip->bounds();
        kind = t.clip->kind();
    } else {
        b = RECT{0, 0, screen().width, screen().height};
        kind = SIMPLEREGION;
    }
    // Back to logical coordinates.
    int dx = dc.toDevX(0), dy = dc.toDevY(0);
    *rect = RECT{b.left - dx, b.top - dy, b.right - dx, b.bottom - dy};
    return kind;
}

BOOL PtVisible(HDC h, int x, int y) {
    Target t;
    if (!resolveTarget(h, t) || !t.bitmap) return FALSE;
    return t.clip->contains(t.dc->toDevX(x), t.dc->toDevY(y)) ? TRUE : FALSE;
}

BOOL RectVisible(HDC h, const RECT* rect) {
    Target t;
    if (!rect || !resolveTarget(h, t) || !t.bitmap) return FALSE;
    int dx = t.dc->toDevX(0), dy = t.dc->toDevY(0);
    RECT r{rect->left + dx, rect->top + dy, rect->right + dx, rect->bottom + dy};
    return t.clip->intersects(r) ? TRUE : FALSE;
}

#define KORVID_DC_FIELD(Set, Get, Type, field)                                                     \
    Type Set(HDC h, Type value) {                                                                  \
        auto dc = find<DcObj>(h);                                                                  \
        if (!dc) return Type{};                                                                    \
        Type old = dc->state.field;                                                                \
        dc->state.field = value;                                                                   \
        return old;                                                                                \
    }                                                                                              \
    Type Get(HDC h) {                                                                              \
        auto dc = find<DcObj>(h);                                                                  \
        return dc ? dc->state.field : Type{};                                                      \
    }

KORVID_DC_FIELD(SetTextColor, GetTextColor, COLORREF, textColor)
KORVID_DC_FIELD(SetBkColor, GetBkColor, COLORREF, bkColor)

int SetBkMode(HDC h, int mode) {
    auto dc = find<DcObj>(h);
    if (!dc || (mode != TRANSPARENT && mode != OPAQUE)) return 0;
    int old = dc->state.bkMode;
    dc->state.bkMode = mode;
    return old;
}
int GetBkMode(HDC h) {
    auto dc = find<DcObj>(h);
    return dc ? dc->state.bkMode : 0;
}

int SetROP2(HDC h, int mode) {
    auto dc = find<DcObj>(h);
    if (!dc || mode < R2_BLACK || mode > R2_WHITE) return 0;
    int old = dc->state.rop2;
    dc->state.rop2 = mode;
    return old;
}
int GetROP2(HDC h) {
    auto dc = find<DcObj>(h);
    return dc ? dc->state.rop2 : 0;
}

int GetDeviceCaps(HDC h, int index) {
    if (!find<DcObj>(h)) return 0;
    Screen& s = screen();
    switch (index) {
    case DRIVERVERSION:
        return 0x4000;
    case TECHNOLOGY:
        return DT_RASDISPLAY;
    case HORZSIZE:
        return s.width * 254 / (s.dpi * 10);
    case VERTSIZE:
        return s.height * 254 / (s.dpi * 10);
    case HORZRES:
        return s.width;
    case VERTRES:
        return s.height;
    case BITSPIXEL:
        return 32;
    case PLANES:
        return 1;
    case NUMBRUSHES:
    case NUMPENS:
    case NUMCOLORS:
        return -1;
    case NUMFONTS:
        return 0;
    case RASTERCAPS:
        return RC_BITBLT | RC_STRETCHBLT | RC_DIBTODEV;
    case LOGPIXELSX:
    case LOGPIXELSY:
        return s.dpi;
    case SIZEPALETTE:
        return 0;
    case NUMRESERVED:
        return 20;
    case COLORRES:
        return 24;
    default:
        return 0;
    }
}
