// The standard scroll bars' state, per window, and the geometry their owners draw by.
#include "platform/user/ScrollBar.h"

#include "platform/user/MessageQueue.h"
#include "platform/user/Messages.h"
#include "platform/user/Metrics.h"
#include "platform/user/Window.h"

#include <algorithm>
#include <mutex>
#include <unordered_map>

namespace {

struct BarState {
    int min = 0, max = 0;
    UINT page = 0;
    int pos = 0;
    bool disabled = false;
};

struct WindowBars {
    BarState bars[2]; // SB_HORZ, SB_VERT
};

// A thumb never gets shorter than this, so it can still be grabbed.
constexpr int kMinThumb = 8;

std::mutex& TableLock() {
    static std::mutex m;
    return m;
}

std::unordered_map<HWND, WindowBars>& Table() {
    static std::unordered_map<HWND, WindowBars> t;
    return t;
}

// The state of a live window's bar, made on first use. Handles carry a generation, so a
// stale entry never answers for a new window; stale entries are dropped as new ones come.
BarState* Lookup(HWND hwnd, int bar, bool create) {
    if ((bar != SB_HORZ && bar != SB_VERT) || !IsWindow(hwnd)) return nullptr;
    auto& t = Table();
    auto it = t.find(hwnd);
    if (it == t.end()) {
        if (!create) return nullptr;
        for (auto s = t.begin(); s != t.end();)
            s = IsWindow(s->first) ? std::next(s) : t.erase(s);
        it = t.emplace(hwnd, WindowBars{}).first;
    }
    return &it->second.bars[bar];
}

void Normalise(BarState& s) {
    if (s.max < s.min) s.max = s.min;
    long long span = static_cast<long long>(s.max) - s.min + 1;
    if (s.page > span) s.page = static_cast<UINT>(span);
    long long top = static_cast<long long>(s.max) - (s.page > 0 ? s.page - 1 : 0);
    s.pos = static_cast<int>(std::clamp<long long>(s.pos, s.min, std::max<long long>(top, s.min)));
}

DWORD StyleBit(int bar) {
    return bar == SB_HORZ ? WS_HSCROLL : WS_VSCROLL;
}

bool Shown(HWND hwnd, int bar) {
    return (GetWindowLong(hwnd, GWL_STYLE) & StyleBit(bar)) != 0;
}

void Redraw(HWND hwnd, int bar) {
    if (Shown(hwnd, bar) && IsWindowVisible(hwnd)) SendMessage(hwnd, WM_NCPAINT, 1, 0);
}

} // namespace

int SetScrollInfo(HWND hwnd, int nBar, LPCSCROLLINFO info, BOOL redraw) {
    if (!info) return 0;
    std::unique_lock lock(TableLock());
    BarState* s = Lookup(hwnd, nBar, true);
    if (!s) return 0;
    if (info->fMask & SIF_RANGE) {
        s->min = info->nMin;
        s->max = info->nMax;
    }
    if (info->fMask & SIF_PAGE) s->page = info->nPage;
    if (info->fMask & SIF_POS) s->pos = info->nPos;
    Normalise(*s);
    int pos = s->pos;
    lock.unlock();
    if (redraw) Redraw(hwnd, nBar);
    return pos;
}

BOOL GetScrollInfo(HWND hwnd, int nBar, LPSCROLLINFO info) {
    if (!info || !(info->fMask & SIF_ALL)) return FALSE;
    std::lock_guard lock(TableLock());
    if (!IsWindow(hwnd) || (nBar != SB_HORZ && nBar != SB_VERT)) return FALSE;
    BarState empty;
    const BarState* s = Lookup(hwnd, nBar, false);
    if (!s) s = &empty;
    if (info->fMask & SIF_RANGE) {
        info->nMin = s->min;
        info->nMax = s->max;
    }
    if (info->fMask & SIF_PAGE) info->nPage = s->page;
    if (info->fMask & SIF_POS) info->nPos = s->pos;
    if (info->fMask & SIF_TRACKPOS) info->nTrackPos = s->pos;
    return TRUE;
}

int SetScrollPos(HWND hwnd, int nBar, int pos, BOOL redraw) {
    SCROLLINFO old;
    old.fMask = SIF_POS;
    if (!GetScrollInfo(hwnd, nBar, &old)) return 0;
    SCROLLINFO si;
    si.fMask = SIF_POS;
    si.nPos = pos;
    SetScrollInfo(hwnd, nBar, &si, redraw);
    return old.nPos;
}

int GetScrollPos(HWND hwnd, int nBar) {
    SCROLLINFO si;
    si.fMask = SIF_POS;
    return GetScrollInfo(hwnd, nBar, &si) ? si.nPos : 0;
}

BOOL SetScrollRange(HWND hwnd, int nBar, int minPos, int maxPos, BOOL redraw) {
    if (!IsWindow(hwnd) || (nBar != SB_HORZ && nBar != SB_VERT)) return FALSE;
    SCROLLINFO si;
    si.fMask = SIF_RANGE;
    si.nMin = minPos;
    si.nMax = maxPos;
    SetScrollInfo(hwnd, nBar, &si, redraw);
    return TRUE;
}

BOOL GetScrollRange(HWND hwnd, int nBar, int* minPos, int* maxPos) {
    SCROLLINFO si;
    si.fMask = SIF_RANGE;
    if (!minPos || !maxPos || !GetScrollInfo(hwnd, nBar, &si)) return FALSE;
    *minPos = si.nMin;
    *maxPos = si.nMax;
    return TRUE;
}

BOOL ShowScrollBar(HWND hwnd, int nBar, BOOL show) {
    if (!IsWindow(hwnd)) return FALSE;
    DWORD bits = nBar == SB_BOTH   ? (WS_HSCROLL | WS_VSCROLL)
                 : nBar == SB_HORZ ? WS_HSCROLL
                 : nBar == SB_VERT ? WS_VSCROLL
                                   : 0;
    if (!bits) return FALSE;
    LONG style = GetWindowLong(hwnd, GWL_STYLE);
    LONG next = show ? (style | static_cast<LONG>(bits)) : (style & ~static_cast<LONG>(bits));
    if (next != style) {
        SetWindowLong(hwnd, GWL_STYLE, next);
        SetWindowPos(hwnd, 0, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    }
    return TRUE;
}

BOOL EnableScrollBar(HWND hwnd, UINT nBar, UINT arrows) {
    if (arrows != ESB_ENABLE_BOTH && arrows != ESB_DISABLE_BOTH) return FALSE;
    bool changed = false;
    {
        std::lock_guard lock(TableLock());
        for (int bar = SB_HORZ; bar <= SB_VERT; ++bar) {
            if (nBar != SB_BOTH && static_cast<int>(nBar) != bar) continue;
            BarState* s = Lookup(hwnd, bar, true);
            if (!s) return FALSE;
            bool disable = arrows == ESB_DISABLE_BOTH;
            if (s->disabled != disable) changed = true;
            s->disabled = disable;
        }
    }
    if (changed && IsWindowVisible(hwnd)) SendMessage(hwnd, WM_NCPAINT, 1, 0);
    return changed ? TRUE : FALSE;
}

BOOL GetScrollBarInfo(HWND hwnd, LONG idObject, PSCROLLBARINFO info) {
    if (!info || (idObject != OBJID_HSCROLL && idObject != OBJID_VSCROLL)) return FALSE;
    if (!IsWindow(hwnd)) return FALSE;
    int bar = idObject == OBJID_HSCROLL ? SB_HORZ : SB_VERT;
    BarState s;
    {
        std::lock_guard lock(TableLock());
        if (const BarState* found = Lookup(hwnd, bar, false)) s = *found;
    }
    *info = SCROLLBARINFO{};
    RECT client;
    GetClientRect(hwnd, &client);
    POINT origin{0, 0};
    ClientToScreen(hwnd, &origin);
    bool shown = Shown(hwnd, bar);
    bool horz = bar == SB_HORZ;
    int thick = GetSystemMetrics(horz ? SM_CYHSCROLL : SM_CXVSCROLL);
    RECT r;
    if (horz)
        r = RECT{0, client.bottom, client.right, client.bottom + thick};
    else
        r = RECT{client.right, 0, client.right + thick, client.bottom};
    info->rcScrollBar =
        RECT{r.left + origin.x, r.top + origin.y, r.right + origin.x, r.bottom + origin.y};
    int length = horz ? r.right - r.left : r.bottom - r.top;
    int arrow = std::min(GetSystemMetrics(horz ? SM_CXHSCROLL : SM_CYVSCROLL), length / 2);
    info->dxyLineButton = arrow;
    if (!shown) {
        info->rgstate[0] = STATE_SYSTEM_INVISIBLE;
        return TRUE;
    }
    long long span = static_cast<long long>(s.max) - s.min + 1;
    int track = length - 2 * arrow;
    bool usable = !s.disabled && IsWindowEnabled(hwnd) && s.max > s.min &&
                  (s.page == 0 || s.page < span) && track >= kMinThumb;
    if (!usable) {
        info->rgstate[0] = STATE_SYSTEM_UNAVAILABLE;
        return TRUE;
    }
    int thumb = s.page == 0
                    ? kMinThumb
                    : static_cast<int>(std::max<long long>(kMinThumb, track * s.page / span));
    thumb = std::min(thumb, track);
    long long travel = span - (s.page > 0 ? s.page : 1);
    int offset = travel > 0 ? static_cast<int>((track - thumb) * (s.pos - s.min) / travel) : 0;
    info->xyThumbTop = arrow + offset;
    info->xyThumbBottom = arrow + offset + thumb;
    return TRUE;
}
