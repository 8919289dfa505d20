// Moving, sizing, stacking, showing, minimising and maximising windows, and window regions.
#include "platform/gdi/Object.h"
#include "platform/gdi/Region.h"
#include "platform/kernel/Time.h"
#include "platform/user/Input.h"
#include "platform/user/MessageQueue.h"
#include "platform/user/Metrics.h"
#include "platform/user/WindowState.h"

#include <algorithm>

namespace user::detail {

namespace {

WPARAM sizeKind(const Window& w) {
    if (w.IsChild()) return SIZE_RESTORED;
    if (w.state == ShowState::Maximized) return SIZE_MAXIMIZED;
    if (w.state == ShowState::Minimized) return SIZE_MINIMIZED;
    return SIZE_RESTORED;
}

std::vector<HWND>* siblingList(Window& w) {
    if (!w.IsChild()) return &TopLevels();
    WindowRef p = Find(w.parent);
    return p ? &p->children : nullptr;
}

// Moves hwnd in its sibling list; returns whether the order changed.
bool restack(Window& w, HWND after) {
    std::vector<HWND>* list = siblingList(w);
    if (!list) return false;
    std::vector<HWND> before = *list;
    std::erase(*list, w.handle);
    if (after == HWND_TOP || after == HWND_TOPMOST || after == HWND_NOTOPMOST) {
        list->insert(list->begin(), w.handle);
    } else if (after == HWND_BOTTOM) {
        list->push_back(w.handle);
    } else {
        auto it = std::find(list->begin(), list->end(), after);
        if (it == list->end())
            list->insert(list->begin(), w.handle);
        else
            list->insert(it + 1, w.handle);
    }
    return before != *list;
}

bool anyActivatable(HWND except, HWND& found) {
    for (HWND t : TopLevels()) {
        WindowRef w = Find(t);
        if (t == except || !w || w->thread != GetCurrentThreadId() || w->destroying) continue;
        if (!(w->style & WS_VISIBLE) || (w->style & WS_DISABLED) || IsPopupMenu(*w) ||
            w->state == ShowState::Minimized || (w->exStyle & WS_EX_NOACTIVATE))
            continue;
        found = t;
        return true;
    }
    return false;
}

// The active window is going away from view: the next top-level window gets the activation.
void passActivation(HWND leaving) {
    if (Input().active != leaving) return;
    HWND next = 0;
    if (anyActivatable(leaving, next))
        ActivateTopLevel(next, WA_ACTIVE);
    else
        ActivateTopLevel(0, WA_ACTIVE);
}

void sendSize(HWND hwnd) {
    WindowRef w = Find(hwnd);
    if (!w) return;
    SendMessage(
        hwnd, WM_SIZE, sizeKind(*w),
        MAKELPARAM(static_cast<WORD>(Width(w->client)), static_cast<WORD>(Height(w->client))));
}

// A size the limits leave alone when the window sets none.
constexpr LONG kNoSizeLimit = 0x7FFF;

} // namespace

MINMAXINFO QueryMinMaxInfo(HWND hwnd) {
    MINMAXINFO info;
    WindowRef w = Find(hwnd);
    if (!w || w->IsChild()) return info;
    RECT area = CurrentDisplayBackend().WorkArea();
    info.ptMaxSize = POINT{Width(area), Height(area)};
    info.ptMaxPosition = POINT{area.left, area.top};
    // Only a window the user sizes by its frame has the desktop's track limits by default;
    // any other keeps exactly the size the program asks for.
    if (w->style & WS_THICKFRAME) {
        info.ptMinTrackSize =
            POINT{GetSystemMetrics(SM_CXMINTRACK), GetSystemMetrics(SM_CYMINTRACK)};
        info.ptMaxTrackSize =
            POINT{GetSystemMetrics(SM_CXMAXTRACK), GetSystemMetrics(SM_CYMAXTRACK)};
    } else {
        info.ptMinTrackSize = POINT{0, 0};
        info.ptMaxTrackSize = POINT{kNoSizeLimit, kNoSizeLimit};
    }
    if (IsPopupMenu(*w)) return info;
    SendMessage(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    // A handler that leaves a minimum above the maximum gets the minimum.
    info.ptMinTrackSize.x = std::max<LONG>(info.ptMinTrackSize.x, 0);
    info.ptMinTrackSize.y = std::max<LONG>(info.ptMinTrackSize.y, 0);
    info.ptMaxTrackSize.x = std::max(info.ptMaxTrackSize.x, info.ptMinTrackSize.x);
    info.ptMaxTrackSize.y = std::max(info.ptMaxTrackSize.y, info.ptMinTrackSize.y);
    // The desktop keeps a user's resizing within the same limits.
    if (WindowRef now = Find(hwnd); now && now->native && (now->style & WS_THICKFRAME)) {
        auto limit = [](LONG v) { return v >= kNoSizeLimit ? 0 : v; };
        CurrentDisplayBackend().SetNativeSizeLimits(
            hwnd, SIZE{info.ptMinTrackSize.x, info.ptMinTrackSize.y},
            SIZE{limit(info.ptMaxTrackSize.x), limit(info.ptMaxTrackSize.y)});
    }
    return info;
}

SIZE LimitTrackSize(const MINMAXINFO& info, int cx, int cy) {
    return SIZE{std::clamp<LONG>(cx, info.ptMinTrackSize.x, info.ptMaxTrackSize.x),
                std::clamp<LONG>(cy, info.ptMinTrackSize.y, info.ptMaxTrackSize.y)};
}

RECT ComputeClient(Window& w, const RECT& windowRect) {
    NCCALCSIZE_PARAMS p;
    WINDOWPOS pos;
    pos.hwnd = w.handle;
    pos.x = windowRect.left;
    pos.y = windowRect.top;
    pos.cx = Width(windowRect);
    pos.cy = Height(windowRect);
    p.rgrc[0] = windowRect;
    p.rgrc[1] = w.rect;
    p.rgrc[2] = MoveRect(w.client, w.rect.left, w.rect.top);
    p.lppos = &pos;
    HWND h = w.handle;
    SendMessage(h, WM_NCCALCSIZE, TRUE, reinterpret_cast<LPARAM>(&p));
    RECT c = MoveRect(p.rgrc[0], -windowRect.left, -windowRect.top);
    RECT whole{0, 0, Width(windowRect), Height(windowRect)};
    c.left = std::clamp(c.left, whole.left, whole.right);
    c.right = std::clamp(c.right, c.left, whole.right);
    c.top = std::clamp(c.top, whole.top, whole.bottom);
    c.bottom = std::clamp(c.bottom, c.top, whole.bottom);
    return c;
}

// The one place a window's bounds, order and visibility change. fromNative: the desktop made
// the change already, so it is not sent back to the backend.
BOOL MoveWindowTo(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags,
                  bool fromNative) {
    WindowRef w = Find(hwnd);
    if (!w || w->thread != GetCurrentThreadId()) return FALSE;
    WINDOWPOS wp;
    wp.hwnd = hwnd;
    wp.hwndInsertAfter = insertAfter;
    wp.x = (flags & SWP_NOMOVE) ? w->rect.left : x;
    wp.y = (flags & SWP_NOMOVE) ? w->rect.top : y;
    wp.cx = (flags & SWP_NOSIZE) ? Width(w->rect) : cx;
    wp.cy = (flags & SWP_NOSIZE) ? Height(w->rect) : cy;
    wp.flags = flags;
    // A top-level window's own limits come first; the desktop's changes were made already.
    if (!w->IsChild() && !(flags & SWP_NOSIZE) && !fromNative) {
        MINMAXINFO info = QueryMinMaxInfo(hwnd);
        w = Find(hwnd);
        if (!w) return FALSE;
        SIZE s = LimitTrackSize(info, wp.cx, wp.cy);
        wp.cx = s.cx;
        wp.cy = s.cy;
    }
    if (!(flags & SWP_NOSENDCHANGING)) {
        SendMessage(hwnd, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&wp));
        w = Find(hwnd);
        if (!w) return FALSE;
    }
    flags = wp.flags;
    RECT oldRect = w->rect;
    RECT newRect{wp.x, wp.y, wp.x + std::max(wp.cx, 0), wp.y + std::max(wp.cy, 0)};
    if (flags & SWP_NOMOVE) newRect = MoveRect(newRect, oldRect.left - wp.x, oldRect.top - wp.y);
    if (flags & SWP_NOSIZE) {
        newRect.right = newRect.left + Width(oldRect);
        newRect.bottom = newRect.top + Height(oldRect);
    }
    bool moved = newRect.left != oldRect.left || newRect.top != oldRect.top;
    bool sized = Width(newRect) != Width(oldRect) || Height(newRect) != Height(oldRect);
    bool frame = (flags & SWP_FRAMECHANGED) != 0;
    bool wasVisible = (w->style & WS_VISIBLE) != 0;
    bool show = (flags & SWP_SHOWWINDOW) && !wasVisible;
    bool hide = (flags & SWP_HIDEWINDOW) && wasVisible;

    if (sized || frame) {
        RECT c = ComputeClient(*w, newRect);
        w = Find(hwnd);
        if (!w) return FALSE;
        w->client = c;
    }
    bool restacked = false;
    if (!(flags & SWP_NOZORDER)) restacked = restack(*w, insertAfter);
    if (insertAfter == HWND_TOPMOST && !w->IsChild()) w->exStyle |= WS_EX_TOPMOST;
    if (insertAfter == HWND_NOTOPMOST && !w->IsChild()) w->exStyle &= ~WS_EX_TOPMOST;
    w->rect = newRect;
    if (show) w->style |= WS_VISIBLE;
    if (hide) w->style &= ~WS_VISIBLE;
    bool visibleNow = (w->style & WS_VISIBLE) != 0;
    bool redraw = !(flags & SWP_NOREDRAW);

    if (w->IsChild()) {
        WindowRef p = Find(w->parent);
        if (p && w->created) {
            if (wasVisible && (moved || sized || hide || restacked || frame) && redraw)
                UncoverArea(*p, oldRect);
            if (visibleNow && (moved || sized || show || restacked || frame) && redraw)
                InvalidateWhole(*w, true);
        }
    } else {
        DisplayBackend& b = CurrentDisplayBackend();
        if (sized) ResizeSurface(*w);
        if (frame) {
            w->framePending = true;
            if (w->native) b.SetNativeDesc(hwnd, DescOf(*w));
        }
        if (frame && redraw) InvalidateWhole(*w, true);
        if ((moved || sized) && w->native && !fromNative) b.SetNativeBounds(hwnd, newRect);
        if (restacked && w->native && visibleNow) b.RaiseNative(hwnd);
        if (show) {
            InvalidateWhole(*w, true);
            if (w->native) {
                bool activate = !(flags & SWP_NOACTIVATE) && !IsPopupMenu(*w) &&
                                !(w->exStyle & WS_EX_NOACTIVATE);
                b.SetNativeState(hwnd, w->state, activate);
            }
        }
        if (hide) {
            if (w->native) b.SetNativeState(hwnd, ShowState::Hidden, false);
            passActivation(hwnd);
        }
    }
    SendMessage(hwnd, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&wp));
    w = Find(hwnd);
    if (!w) return TRUE;
    // What the handler sees in wp are the final values; WM_MOVE and WM_SIZE come from the
    // default handling of WM_WINDOWPOSCHANGED.
    if (!w->IsChild() && !(flags & SWP_NOACTIVATE) && (show || (restacked && visibleNow)) &&
        !IsPopupMenu(*w) && !(w->exStyle & WS_EX_NOACTIVATE) && !(w->style & WS_DISABLED))
        ActivateTopLevel(hwnd, WA_ACTIVE);
    return TRUE;
}

namespace {

// Changes the minimised / maximised state of a top-level window.
void changeState(HWND hwnd, ShowState target, bool fromNative) {
    WindowRef w = Find(hwnd);
    if (!w || w->IsChild() || w->state == target) return;
    ShowState old = w->state;
    DisplayBackend& b = CurrentDisplayBackend();
    if (target == ShowState::Minimized) {
        w->state = ShowState::Minimized;
        w->style |= WS_MINIMIZE;
        // Restoring brings back the state before minimising.
        w->style =
            old == ShowState::Maximized ? (w->style | WS_MAXIMIZE) : (w->style & ~WS_MAXIMIZE);
        if (w->native && !fromNative && (w->style & WS_VISIBLE))
            b.SetNativeState(hwnd, ShowState::Minimized, false);
        sendSize(hwnd);
        passActivation(hwnd);
        return;
    }
    w->style &= ~WS_MINIMIZE;
    if (target == ShowState::Maximized) {
        if (old == ShowState::Normal) w->normalRect = w->rect;
        w->state = ShowState::Maximized;
        w->style |= WS_MAXIMIZE;
        if (w->native && !fromNative && (w->style & WS_VISIBLE))
            b.SetNativeState(hwnd, ShowState::Maximized, false);
        // Where the window asks to be when maximised (the work area unless it says otherwise),
        // within its track limits.
        MINMAXINFO info = QueryMinMaxInfo(hwnd);
        w = Find(hwnd);
        if (!w) return;
        SIZE s = LimitTrackSize(info, info.ptMaxSize.x, info.ptMaxSize.y);
        RECT area{info.ptMaxPosition.x, info.ptMaxPosition.y, info.ptMaxPosition.x + s.cx,
                  info.ptMaxPosition.y + s.cy};
        if (w->rect == area) {
            sendSize(hwnd);
        } else {
            MoveWindowTo(hwnd, 0, area.left, area.top, Width(area), Height(area),
                         SWP_NOZORDER | SWP_NOACTIVATE, fromNative);
        }
        return;
    }
    // Back to normal.
    w->state = ShowState::Normal;
    w->style &= ~WS_MAXIMIZE;
    if (w->native && !fromNative && (w->style & WS_VISIBLE))
        b.SetNativeState(hwnd, ShowState::Normal, false);
    if (old == ShowState::Maximized && !fromNative) {
        RECT r = w->normalRect;
        MoveWindowTo(hwnd, 0, r.left, r.top, Width(r), Height(r), SWP_NOZORDER | SWP_NOACTIVATE,
                     false);
    } else {
        if (old == ShowState::Minimized && w->surface)
            w->surface->dirty.Add(RECT{0, 0, w->surface->width, w->surface->height});
        sendSize(hwnd);
    }
}

} // namespace

void ApplyNativeBounds(Window& top, const RECT& bounds) {
    if (top.rect == bounds) return;
    MoveWindowTo(top.handle, 0, bounds.left, bounds.top, Width(bounds), Height(bounds),
                 SWP_NOZORDER | SWP_NOACTIVATE, true);
}

void ApplyNativeState(Window& top, ShowState state) {
    if (state == ShowState::Hidden) return;
    changeState(top.handle, state, true);
}

} // namespace user::detail

using namespace user;
using namespace user::detail;
using user::ShowState;

BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
    return MoveWindowTo(hwnd, insertAfter, x, y, cx, cy, flags, false);
}

BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint) {
    return SetWindowPos(hwnd, 0, x, y, width, height,
                        SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0 : SWP_NOREDRAW));
}

BOOL BringWindowToTop(HWND hwnd) {
    return SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

BOOL ShowWindow(HWND hwnd, int command) {
    WindowRef w = Find(hwnd);
    if (!w || w->thread != GetCurrentThreadId()) return FALSE;
    BOOL wasVisible = (w->style & WS_VISIBLE) ? TRUE : FALSE;
    if (command == SW_HIDE) {
        if (!wasVisible) return FALSE;
        SendMessage(hwnd, WM_SHOWWINDOW, FALSE, 0);
        SetWindowPos(hwnd, 0, 0, 0, 0, 0,
                     SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        return wasVisible;
    }
    bool activate = command != SW_SHOWNA && command != SW_SHOWNOACTIVATE &&
                    command != SW_SHOWMINNOACTIVE && command != SW_MINIMIZE;
    ShowState target = w->state;
    bool topLevel = !w->IsChild();
    if (topLevel) {
        switch (command) {
        case SW_SHOWNORMAL:
        case SW_SHOWDEFAULT:
            target = ShowState::Normal;
            break;
        case SW_RESTORE:
            if (w->state == ShowState::Minimized)
                target = (w->style & WS_MAXIMIZE) ? ShowState::Maximized : ShowState::Normal;
            else
                target = ShowState::Normal;
            break;
        case SW_SHOWMAXIMIZED:
            target = ShowState::Maximized;
            break;
        case SW_SHOWMINIMIZED:
        case SW_MINIMIZE:
        case SW_SHOWMINNOACTIVE:
            target = ShowState::Minimized;
            break;
        default:
            break;
        }
    }
    if (!wasVisible) {
        SendMessage(hwnd, WM_SHOWWINDOW, TRUE, 0);
        w = Find(hwnd);
        if (!w) return FALSE;
        // A window shown minimised appears minimised at once.
        if (topLevel && target == ShowState::Minimized) {
            w->state = ShowState::Minimized;
            w->style |= WS_MINIMIZE;
        }
        SetWindowPos(hwnd, 0, 0, 0, 0, 0,
                     SWP_SHOWWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER |
                         (activate && target != ShowState::Minimized ? 0 : SWP_NOACTIVATE));
    }
    if (topLevel && Find(hwnd)) changeState(hwnd, target, false);
    w = Find(hwnd);
    if (w && topLevel && activate && target != ShowState::Minimized && wasVisible &&
        !IsPopupMenu(*w) && !(w->exStyle & WS_EX_NOACTIVATE))
        SetActiveWindow(hwnd);
    return wasVisible;
}

BOOL IsIconic(HWND hwnd) {
    WindowRef w = Find(hwnd);
    return w && !w->IsChild() && w->state == ShowState::Minimized;
}

BOOL IsZoomed(HWND hwnd) {
    WindowRef w = Find(hwnd);
    return w && !w->IsChild() && w->state == ShowState::Maximized;
}

BOOL GetWindowPlacement(HWND hwnd, WINDOWPLACEMENT* placement) {
    WindowRef w = Find(hwnd);
    if (!w || !placement) return FALSE;
    placement->flags = 0;
    placement->showCmd = !(w->style & WS_VISIBLE)           ? SW_HIDE
                         : w->state == ShowState::Minimized ? SW_SHOWMINIMIZED
                         : w->state == ShowState::Maximized ? SW_SHOWMAXIMIZED
                                                            : SW_SHOWNORMAL;
    placement->rcNormalPosition = w->state == ShowState::Normal ? w->rect : w->normalRect;
    placement->ptMinPosition = POINT{-1, -1};
    placement->ptMaxPosition = POINT{-1, -1};
    return TRUE;
}

int SetWindowRgn(HWND hwnd, HRGN region, BOOL redraw) {
    WindowRef w = Find(hwnd);
    if (!w) return 0;
    if (region && GetObjectType(region) != OBJ_REGION) return 0;
    if (w->region && w->region != region) DeleteObject(w->region);
    w->region = region;
    if (!w->IsChild()) {
        if (w->native) {
            if (region) {
                std::vector<RECT> shape = GetRegionRects(region);
                CurrentDisplayBackend().SetNativeShape(hwnd, &shape);
            } else {
                CurrentDisplayBackend().SetNativeShape(hwnd, nullptr);
            }
        }
        if (redraw) InvalidateWhole(*w, true);
    } else if (redraw && (w->style & WS_VISIBLE)) {
        if (WindowRef p = Find(w->parent)) UncoverArea(*p, w->rect);
        InvalidateWhole(*w, true);
    }
    return 1;
}

int GetWindowRgn(HWND hwnd, HRGN region) {
    WindowRef w = Find(hwnd);
    if (!w || !w->region || !region) return ERROR;
    return CombineRgn(region, w->region, 0, RGN_COPY);
}

BOOL CloseWindow(HWND hwnd) {
    if (!Find(hwnd)) return FALSE;
    ShowWindow(hwnd, SW_MINIMIZE);
    return TRUE;
}
