// Update regions, device contexts on the back buffers, and putting finished frames on screen.
#include "platform/user/Paint.h"

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/Dc.h"
#include "platform/gdi/Object.h"
#include "platform/gdi/Region.h"
#include "platform/kernel/Time.h"
#include "platform/user/MessageQueue.h"
#include "platform/user/WindowState.h"

#include <algorithm>
#include <cstring>
#include <map>

namespace user::detail {

Surface::~Surface() {
    if (bitmap) DeleteObject(bitmap);
}

namespace {

struct DcRecord {
    HWND hwnd = 0;
    std::shared_ptr<Surface> surface;
    // Surface coordinates the DC could draw on: kept as the set, not its bounds, since a
    // window DC on a frame whose client is covered by children reaches only the frame strips.
    RectSet touched;
};

std::map<HDC, DcRecord>& dcs() {
    static std::map<HDC, DcRecord> map;
    return map;
}

HRGN toRegion(const RectSet& set) {
    HRGN r = CreateRectRgn(0, 0, 0, 0);
    for (const RECT& part : set.Rects()) {
        HRGN piece = CreateRectRgnIndirect(&part);
        CombineRgn(r, r, piece, RGN_OR);
        DeleteObject(piece);
    }
    return r;
}

RECT clientInSurface(const Window& w) {
    POINT o = SurfaceOrigin(w);
    return MoveRect(w.client, o.x, o.y);
}

std::shared_ptr<Surface> makeSurface(int width, int height) {
    auto s = std::make_shared<Surface>();
    BITMAPINFO bi{};
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height; // top-down rows, as the backends read them
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    s->bitmap = CreateDIBSection(0, &bi, DIB_RGB_COLORS, &bits, 0, 0);
    if (!s->bitmap || !bits) return nullptr;
    s->bits = static_cast<BYTE*>(bits);
    s->width = width;
    s->height = height;
    return s;
}

HDC makeDc(Window& w, bool whole, const RectSet* limit) {
    WindowRef top = TopLevelOf(Find(w.handle));
    if (!top || !top->surface) return 0;
    std::shared_ptr<Surface> surface = top->surface;
    HDC dc = CreateCompatibleDC(0);
    if (!dc) return 0;
    SelectObject(dc, surface->bitmap);
    POINT o = SurfaceOrigin(w);
    if (!whole) {
        o.x += w.client.left;
        o.y += w.client.top;
    }
    SetDeviceOrigin(dc, o.x, o.y);
    RectSet visible = VisibleArea(w, whole);
    visible.Intersect(RECT{0, 0, surface->width, surface->height});
    if (limit) visible.Intersect(*limit);
    HRGN region = toRegion(visible);
    SetVisibleRegion(dc, region);
    DeleteObject(region);
    dcs()[dc] = DcRecord{w.handle, surface, std::move(visible)};
    return dc;
}

int releaseDc(HDC dc) {
    auto it = dcs().find(dc);
    if (it == dcs().end()) return 0;
    DcRecord record = std::move(it->second);
    dcs().erase(it);
    DeleteDC(dc);
    record.surface->dirty.Add(record.touched);
    record.surface->dirty.Coarsen(16);
    return 1;
}

// A window and its descendants, parents first, siblings back to front.
template <typename F> bool walkPaintOrder(HWND h, F&& visit) {
    WindowRef w = Find(h);
    if (!w || !(w->style & WS_VISIBLE) || w->redrawOff) return false;
    if (visit(*w)) return true;
    std::vector<HWND> kids = w->children;
    for (auto it = kids.rbegin(); it != kids.rend(); ++it)
        if (walkPaintOrder(*it, visit)) return true;
    return false;
}

bool treeNeedsPaint(HWND top) {
    return walkPaintOrder(top, [](Window& w) { return NeedsPaint(w); });
}

bool hasFrame(const Window& w) {
    return !(w.client == RECT{0, 0, Width(w.rect), Height(w.rect)});
}

void sendNcPaint(HWND hwnd) {
    WindowRef w = Find(hwnd);
    if (!w) return;
    w->framePending = false;
    SendMessage(hwnd, WM_NCPAINT, 1, 0);
}

} // namespace

RectSet VisibleArea(const Window& w, bool whole) {
    if (!IsVisibleChain(w)) return RectSet{};
    POINT o = SurfaceOrigin(w);
    RECT area = whole ? RECT{o.x, o.y, o.x + Width(w.rect), o.y + Height(w.rect)}
                      : MoveRect(w.client, o.x, o.y);
    RectSet visible(area);
    WindowRef held; // the parent cur is, once the walk leaves w
    const Window* cur = &w;
    while (cur->IsChild()) {
        WindowRef parent = Find(cur->parent);
        if (!parent) return RectSet{};
        RECT pc = clientInSurface(*parent);
        visible.Intersect(pc);
        if (cur->style & WS_CLIPSIBLINGS) {
            for (HWND s : parent->children) {
                if (s == cur->handle) break;
                const WindowRef sib = Find(s);
                if (sib && (sib->style & WS_VISIBLE))
                    visible.Subtract(MoveRect(sib->rect, pc.left, pc.top));
            }
        }
        held = std::move(parent);
        cur = &*held;
    }
    if (w.style & WS_CLIPCHILDREN) {
        RECT c = MoveRect(w.client, o.x, o.y);
        for (HWND k : w.children) {
            const WindowRef kid = Find(k);
            if (kid && (kid->style & WS_VISIBLE))
                visible.Subtract(MoveRect(kid->rect, c.left, c.top));
        }
    }
    return visible;
}

bool NeedsPaint(const Window& w) {
    return (!w.update.Empty() || w.framePending || w.internalPaint) && IsVisibleChain(w);
}

void InvalidateArea(Window& w, const RectSet& clientArea, bool erase, bool allChildren) {
    RectSet area = clientArea;
    area.Intersect(RECT{0, 0, Width(w.client), Height(w.client)});
    if (area.Empty()) return;
    w.update.Add(area);
    w.update.Coarsen();
    if (erase) w.erasePending = true;
    // Children are painted over by a parent that does not clip them, so they paint again after.
    if (!allChildren && (w.style & WS_CLIPCHILDREN)) return;
    std::vector<HWND> kids = w.children;
    for (HWND k : kids) {
        WindowRef kid = Find(k);
        if (!kid || !(kid->style & WS_VISIBLE)) continue;
        if (!area.Intersects(kid->rect)) continue;
        RectSet part = area;
        part.Intersect(kid->rect);
        if (hasFrame(*kid)) {
            RectSet frame(kid->rect);
            frame.Subtract(MoveRect(kid->client, kid->rect.left, kid->rect.top));
            frame.Intersect(part);
            if (!frame.Empty()) kid->framePending = true;
        }
        part.Offset(-(kid->rect.left + kid->client.left), -(kid->rect.top + kid->client.top));
        InvalidateArea(*kid, part, true, allChildren);
    }
}

void InvalidateWhole(Window& w, bool allChildren) {
    if (hasFrame(w)) w.framePending = true;
    InvalidateArea(w, RectSet(RECT{0, 0, Width(w.client), Height(w.client)}), true, allChildren);
    if (allChildren) {
        // Frames of children lie in the parent's client area; the call above marked those it
        // covered, this catches children with an empty client part.
        std::vector<HWND> kids = w.children;
        for (HWND k : kids)
            if (WindowRef kid = Find(k); kid && (kid->style & WS_VISIBLE) && hasFrame(*kid))
                kid->framePending = true;
    }
}

void UncoverArea(Window& parent, const RECT& parentClientRect) {
    InvalidateArea(parent, RectSet(parentClientRect), true, true);
}

void ResizeSurface(Window& top) {
    int width = std::max<int>(1, Width(top.rect));
    int height = std::max<int>(1, Height(top.rect));
    std::shared_ptr<Surface> old = top.surface;
    if (old && old->width == width && old->height == height) return;
    std::shared_ptr<Surface> fresh = makeSurface(width, height);
    if (!fresh) return;
    if (old) {
        // Keep what was drawn, so the window never flashes empty while it repaints.
        int w = std::min(width, old->width), h = std::min(height, old->height);
        for (int y = 0; y < h; ++y)
            std::memcpy(fresh->bits + static_cast<size_t>(y) * width * 4,
                        old->bits + static_cast<size_t>(y) * old->width * 4,
                        static_cast<size_t>(w) * 4);
    }
    fresh->dirty.Add(RECT{0, 0, width, height});
    top.surface = fresh;
    if (!old || (top.cls->style & (CS_HREDRAW | CS_VREDRAW))) {
        InvalidateWhole(top, true);
    } else {
        if (hasFrame(top)) top.framePending = true;
        RectSet uncovered(RECT{0, 0, Width(top.client), Height(top.client)});
        uncovered.Subtract(RECT{0, 0, old->width - (Width(top.rect) - Width(top.client)),
                                old->height - (Height(top.rect) - Height(top.client))});
        InvalidateArea(top, uncovered, true, true);
    }
}

void ReleaseSurface(Window& top) {
    top.surface.reset();
}

void PresentIfIdle(Window& top) {
    if (!top.surface || top.surface->dirty.Empty() || !top.native) return;
    if (!(top.style & WS_VISIBLE) || top.state == ShowState::Minimized) return;
    if (treeNeedsPaint(top.handle)) return;
    Surface& s = *top.surface;
    SurfaceView view{s.bits, s.width, s.height, s.width * 4};
    RectSet dirty = std::move(s.dirty);
    s.dirty.Clear();
    for (const RECT& r : dirty.Rects())
        CurrentDisplayBackend().Present(top.handle, r, view);
}

void PresentAll(ThreadQueue& queue) {
    std::vector<HWND> tops = TopLevels();
    for (HWND t : tops) {
        WindowRef w = Find(t);
        if (w && w->queue.get() == &queue) PresentIfIdle(*w);
    }
}

HWND FindPaintWindow(ThreadQueue& queue, HWND filter) {
    for (;;) {
        HWND found = 0;
        std::vector<HWND> tops = TopLevels();
        for (HWND t : tops) {
            WindowRef top = Find(t);
            if (!top || top->queue.get() != &queue) continue;
            walkPaintOrder(t, [&](Window& w) {
                if (!NeedsPaint(w)) return false;
                if (filter && w.handle != filter && !IsChild(filter, w.handle)) return false;
                found = w.handle;
                return true;
            });
            if (found) break;
        }
        if (!found) return 0;
        WindowRef w = Find(found);
        if (w->update.Empty() && !w->internalPaint) {
            // Only the frame is due: that needs no WM_PAINT of its own.
            sendNcPaint(found);
            continue;
        }
        return found;
    }
}

void DispatchPaint(HWND hwnd) {
    WindowRef w = Find(hwnd);
    if (!w) return;
    w->beganPaint = false;
    SendMessage(hwnd, WM_PAINT, 0, 0);
    w = Find(hwnd);
    // A procedure that ignores WM_PAINT would otherwise be asked forever.
    if (w && !w->beganPaint) {
        w->update.Clear();
        w->erasePending = false;
        w->internalPaint = false;
        if (w->framePending) sendNcPaint(hwnd);
    }
}

void InstallDcProvider() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    SetWindowDcProvider(
        [](HWND hwnd, bool whole) -> HDC {
            WindowRef w = Find(hwnd);
            return w ? makeDc(*w, whole, nullptr) : 0;
        },
        [](HWND, HDC dc) -> int { return releaseDc(dc); });
}

} // namespace user::detail

using namespace user;
using namespace user::detail;

HWND WindowFromDC(HDC dc) {
    auto it = dcs().find(dc);
    return it == dcs().end() ? 0 : it->second.hwnd;
}

HDC BeginPaint(HWND hwnd, PAINTSTRUCT* ps) {
    WindowRef w = Find(hwnd);
    if (!w || !ps) return 0;
    if (w->framePending) {
        w->framePending = false;
        SendMessage(hwnd, WM_NCPAINT, 1, 0);
        w = Find(hwnd);
        if (!w) return 0;
    }
    RectSet update = std::move(w->update);
    w->update.Clear();
    w->internalPaint = false;
    w->beganPaint = true;
    bool erase = w->erasePending;
    w->erasePending = false;
    RECT bounds = update.Bounds();
    RectSet limit = update;
    RECT c = clientInSurface(*w);
    limit.Offset(c.left, c.top);
    HDC dc = makeDc(*w, false, &limit);
    ps->hdc = dc;
    ps->rcPaint = bounds;
    ps->fErase = FALSE;
    ps->fRestore = FALSE;
    ps->fIncUpdate = FALSE;
    if (dc && erase)
        ps->fErase = SendMessage(hwnd, WM_ERASEBKGND, static_cast<WPARAM>(dc), 0) ? FALSE : TRUE;
    return dc;
}

BOOL EndPaint(HWND, const PAINTSTRUCT* ps) {
    if (!ps || !ps->hdc) return FALSE;
    return releaseDc(ps->hdc) ? TRUE : FALSE;
}

BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase) {
    if (hwnd == 0) {
        std::vector<HWND> tops = TopLevels();
        for (HWND t : tops)
            if (WindowRef w = Find(t); w && w->thread == GetCurrentThreadId())
                InvalidateWhole(*w, true);
        return TRUE;
    }
    WindowRef w = Find(hwnd);
    if (!w) return FALSE;
    RECT area = rect ? *rect : RECT{0, 0, Width(w->client), Height(w->client)};
    InvalidateArea(*w, RectSet(area), erase != FALSE, false);
    return TRUE;
}

BOOL InvalidateRgn(HWND hwnd, HRGN region, BOOL erase) {
    if (!region) return InvalidateRect(hwnd, nullptr, erase);
    WindowRef w = Find(hwnd);
    if (!w) return FALSE;
    RectSet area;
    for (const RECT& r : GetRegionRects(region))
        area.Add(r);
    InvalidateArea(*w, area, erase != FALSE, false);
    return TRUE;
}

BOOL ValidateRect(HWND hwnd, const RECT* rect) {
    WindowRef w = Find(hwnd);
    if (!w) return FALSE;
    if (!rect) {
        w->update.Clear();
        w->erasePending = false;
        w->internalPaint = false;
    } else {
        w->update.Subtract(*rect);
    }
    return TRUE;
}

BOOL ValidateRgn(HWND hwnd, HRGN region) {
    if (!region) return ValidateRect(hwnd, nullptr);
    WindowRef w = Find(hwnd);
    if (!w) return FALSE;
    for (const RECT& r : GetRegionRects(region))
        w->update.Subtract(r);
    return TRUE;
}

BOOL GetUpdateRect(HWND hwnd, RECT* rect, BOOL) {
    WindowRef w = Find(hwnd);
    if (!w) return FALSE;
    RECT b = w->update.Bounds();
    if (rect) *rect = b;
    return w->update.Empty() ? FALSE : TRUE;
}

int GetUpdateRgn(HWND hwnd, HRGN region, BOOL) {
    WindowRef w = Find(hwnd);
    if (!w || !region) return ERROR;
    HRGN r = toRegion(w->update);
    int kind = CombineRgn(region, r, 0, RGN_COPY);
    DeleteObject(r);
    return kind;
}

BOOL UpdateWindow(HWND hwnd) {
    WindowRef w = Find(hwnd);
    if (!w) return FALSE;
    if (NeedsPaint(*w)) {
        if (w->update.Empty() && !w->internalPaint)
            sendNcPaint(hwnd);
        else
            DispatchPaint(hwnd);
    }
    if (WindowRef top = TopLevelOf(Find(hwnd))) PresentIfIdle(*top);
    return TRUE;
}

namespace {
void paintTreeNow(HWND hwnd) {
    WindowRef w = Find(hwnd);
    if (!w) return;
    if (NeedsPaint(*w)) {
        if (w->update.Empty() && !w->internalPaint)
            sendNcPaint(hwnd);
        else
            DispatchPaint(hwnd);
    }
    w = Find(hwnd);
    if (!w) return;
    std::vector<HWND> kids = w->children;
    for (auto it = kids.rbegin(); it != kids.rend(); ++it)
        paintTreeNow(*it);
}

void validateTree(Window& w, const RectSet& area, bool children) {
    w.update.Subtract(area);
    if (!children) return;
    for (HWND k : w.children) {
        WindowRef kid = Find(k);
        if (!kid) continue;
        RectSet part = area;
        part.Offset(-(kid->rect.left + kid->client.left), -(kid->rect.top + kid->client.top));
        validateTree(*kid, part, true);
    }
}
} // namespace

BOOL RedrawWindow(HWND hwnd, const RECT* rect, HRGN region, UINT flags) {
    WindowRef w = Find(hwnd);
    if (!w) return FALSE;
    RectSet area;
    if (region)
        for (const RECT& r : GetRegionRects(region))
            area.Add(r);
    else if (rect)
        area.Add(*rect);
    else
        area.Add(RECT{0, 0, Width(w->client), Height(w->client)});
    bool children = (flags & RDW_ALLCHILDREN) != 0;
    if (flags & RDW_INVALIDATE) {
        InvalidateArea(*w, area, (flags & RDW_ERASE) != 0, children);
        if ((flags & RDW_FRAME) && hasFrame(*w)) w->framePending = true;
    }
    if (flags & RDW_INTERNALPAINT) w->internalPaint = true;
    if (flags & RDW_NOINTERNALPAINT) w->internalPaint = false;
    if (flags & RDW_VALIDATE) {
        validateTree(*w, area, children);
        if (flags & RDW_NOFRAME) w->framePending = false;
    }
    if (flags & RDW_NOERASE) w->erasePending = false;
    if (flags & (RDW_UPDATENOW | RDW_ERASENOW)) {
        if (children)
            paintTreeNow(hwnd);
        else
            UpdateWindow(hwnd);
        if (WindowRef top = TopLevelOf(Find(hwnd))) PresentIfIdle(*top);
    }
    return TRUE;
}

BOOL ScrollWindow(HWND hwnd, int dx, int dy, const RECT* rect, const RECT* clip) {
    WindowRef w = Find(hwnd);
    if (!w) return FALSE;
    if (!rect && !clip) {
        std::vector<HWND> kids = w->children;
        for (HWND k : kids) {
            WindowRef kid = Find(k);
            if (!kid) continue;
            MoveWindowTo(k, 0, kid->rect.left + dx, kid->rect.top + dy, 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW, false);
        }
        w = Find(hwnd);
        if (!w) return TRUE;
        InvalidateWhole(*w, true);
        return TRUE;
    }
    RECT area = rect ? *rect : RECT{0, 0, Width(w->client), Height(w->client)};
    if (clip) area = IntersectRects(area, *clip);
    InvalidateArea(*w, RectSet(area), true, false);
    return TRUE;
}
