// Keyboard focus, activation and mouse capture.
#include "platform/ScopeGuard.h"
#include "platform/kernel/Time.h"
#include "platform/user/Input.h"
#include "platform/user/MessageQueue.h"
#include "platform/user/WindowState.h"

namespace user::detail {
namespace {

bool fromNative = false; // the activation change being applied came from the desktop

bool canTakeFocus(const Window& w) {
    return IsVisibleChain(w) && IsEnabledChain(w);
}

// Moves the focus without activation checks; sends the pair of messages.
void moveFocus(HWND to) {
    InputState& in = Input();
    HWND old = in.focus;
    if (old == to) return;
    in.focus = to;
    if (old && IsWindow(old)) SendMessage(old, WM_KILLFOCUS, static_cast<WPARAM>(to), 0);
    // The handler of WM_KILLFOCUS may have moved the focus on.
    if (to && in.focus == to && IsWindow(to))
        SendMessage(to, WM_SETFOCUS, static_cast<WPARAM>(old), 0);
}

HWND nextActivatable(HWND except) {
    DWORD me = GetCurrentThreadId();
    for (HWND h : TopLevels()) {
        if (h == except) continue;
        WindowRef w = Find(h);
        if (!w || w->thread != me || w->destroying) continue;
        if (!(w->style & WS_VISIBLE) || w->state == ShowState::Minimized) continue;
        if ((w->style & WS_DISABLED) || IsPopupMenu(*w) || (w->exStyle & WS_EX_NOACTIVATE))
            continue;
        return h;
    }
    return 0;
}

void setAppActive(bool active, HWND except) {
    InputState& in = Input();
    if (in.appActive == active) return;
    in.appActive = active;
    DWORD me = GetCurrentThreadId();
    std::vector<HWND> tops = TopLevels();
    for (HWND h : tops) {
        WindowRef w = Find(h);
        if (!w || w->thread != me || w->destroying || h == except) continue;
        SendMessage(h, WM_ACTIVATEAPP, active ? TRUE : FALSE, 0);
    }
}

} // namespace

void ActivateTopLevel(HWND top, WORD how) {
    InputState& in = Input();
    WindowRef w = Find(top);
    if (top && (!w || w->IsChild())) return;
    HWND old = in.active;
    if (old == top) return;
    in.active = top;
    if (old && IsWindow(old)) {
        SendMessage(old, WM_NCACTIVATE, FALSE, 0);
        SendMessage(old, WM_ACTIVATE, WA_INACTIVE, static_cast<LPARAM>(top));
        // The focus does not stay in a window that is no longer active.
        if (in.focus && in.active == top) {
            WindowRef f = Find(in.focus);
            if (!f || TopLevelOf(f)->handle == old) moveFocus(0);
        }
    }
    if (in.active != top) return; // a handler activated something else meanwhile
    if (!top) {
        setAppActive(false, 0);
        return;
    }
    setAppActive(true, 0);
    if (in.active != top || !IsWindow(top)) return;
    w = Find(top);
    if (w->native && !fromNative) CurrentDisplayBackend().ActivateNative(top);
    SendMessage(top, WM_NCACTIVATE, TRUE, 0);
    SendMessage(top, WM_ACTIVATE, how, static_cast<LPARAM>(old));
}

void ActivateTopLevelFromNative(HWND top) {
    ScopeGuard restore([saved = fromNative] { fromNative = saved; });
    fromNative = true;
    ActivateTopLevel(top, WA_ACTIVE);
}

HWND ModalWindowFor(HWND disabledTop) {
    for (int depth = 0; depth < 16 && disabledTop; ++depth) {
        HWND next = 0;
        for (HWND h : TopLevels()) {
            WindowRef w = Find(h);
            if (!w || w->owner != disabledTop || w->destroying || !(w->style & WS_VISIBLE))
                continue;
            if (!(w->style & WS_DISABLED)) return h;
            next = h;
        }
        disabledTop = next;
    }
    // A modal window without an owner: everything else was disabled for it, so it is active.
    WindowRef active = Find(Input().active);
    if (active && !active->IsChild() && (active->style & WS_VISIBLE) &&
        !(active->style & WS_DISABLED))
        return active->handle;
    return 0;
}

bool BringModalWindowForward(HWND disabledTop) {
    HWND modal = ModalWindowFor(disabledTop);
    if (!modal || modal == disabledTop) return false;
    // Active already, as far as the program knows, while the desktop raised and focused the
    // other window: the desktop is told again.
    const bool wasActive = Input().active == modal;
    ActivateTopLevel(modal, WA_ACTIVE);
    if (WindowRef w = Find(modal); w && w->native && wasActive)
        CurrentDisplayBackend().ActivateNative(modal);
    return true;
}

void RefreshOwnedDescs(HWND hwnd) {
    for (HWND h : TopLevels()) {
        WindowRef w = Find(h);
        if (w && w->owner == hwnd && w->native && !w->destroying)
            CurrentDisplayBackend().SetNativeDesc(h, DescOf(*w));
    }
}

void ForgetWindow(HWND hwnd) {
    InputState& in = Input();
    if (in.focus == hwnd) in.focus = 0;
    if (in.capture == hwnd) {
        in.capture = 0;
        CurrentDisplayBackend().GrabPointer(0);
    }
    if (in.tracked == hwnd) in.tracked = 0;
    if (in.lastPointed == hwnd) in.lastPointed = 0;
    if (in.lastClickWindow == hwnd) in.lastClickWindow = 0;
    if (in.active == hwnd) {
        // The activation passes to the next window; nothing more goes to this one.
        in.active = 0;
        HWND next = nextActivatable(hwnd);
        if (next)
            ActivateTopLevel(next, WA_ACTIVE);
        else
            setAppActive(false, hwnd);
    }
}

} // namespace user::detail

using namespace user;
using namespace user::detail;

HWND SetFocus(HWND hwnd) {
    InputState& in = Input();
    HWND old = in.focus;
    if (!hwnd) {
        moveFocus(0);
        return old;
    }
    WindowRef w = Find(hwnd);
    if (!w || w->thread != GetCurrentThreadId() || w->destroying || !canTakeFocus(*w)) return 0;
    WindowRef top = TopLevelOf(w);
    if (in.active != top->handle) {
        if (IsPopupMenu(*top)) return 0;
        ActivateTopLevel(top->handle, WA_ACTIVE);
        // Activating may have put the focus somewhere already (the window itself).
        if (!IsWindow(hwnd) || in.active != top->handle) return 0;
    }
    moveFocus(hwnd);
    return old;
}

HWND GetFocus() {
    return Input().focus;
}

HWND SetActiveWindow(HWND hwnd) {
    InputState& in = Input();
    HWND old = in.active;
    if (!hwnd) {
        ActivateTopLevel(0, WA_ACTIVE);
        return old;
    }
    WindowRef w = Find(hwnd);
    if (!w || w->thread != GetCurrentThreadId()) return 0;
    w = TopLevelOf(w);
    if ((w->style & WS_DISABLED) || IsPopupMenu(*w) || !(w->style & WS_VISIBLE)) return 0;
    ActivateTopLevel(w->handle, WA_ACTIVE);
    return old;
}

HWND GetActiveWindow() {
    return Input().active;
}

BOOL SetForegroundWindow(HWND hwnd) {
    WindowRef w = Find(hwnd);
    if (!w) return FALSE;
    w = TopLevelOf(w);
    if (w->native && (w->style & WS_VISIBLE)) CurrentDisplayBackend().RaiseNative(w->handle);
    HWND top = w->handle;
    SetActiveWindow(top);
    return Input().active == top ? TRUE : FALSE;
}

HWND GetForegroundWindow() {
    return Input().active;
}

HWND SetCapture(HWND hwnd) {
    InputState& in = Input();
    HWND old = in.capture;
    WindowRef w = Find(hwnd);
    if (!w || w->thread != GetCurrentThreadId()) return 0;
    if (old == hwnd) return old;
    in.capture = hwnd;
    CurrentDisplayBackend().GrabPointer(TopLevelOf(w)->handle);
    if (old && IsWindow(old)) SendMessage(old, WM_CAPTURECHANGED, 0, static_cast<LPARAM>(hwnd));
    return old;
}

BOOL ReleaseCapture() {
    InputState& in = Input();
    HWND old = in.capture;
    if (!old) return TRUE;
    in.capture = 0;
    CurrentDisplayBackend().GrabPointer(0);
    if (IsWindow(old)) SendMessage(old, WM_CAPTURECHANGED, 0, 0);
    return TRUE;
}

HWND GetCapture() {
    return Input().capture;
}

BOOL TrackMouseEvent(TRACKMOUSEEVENT* track) {
    if (!track || track->cbSize != sizeof(TRACKMOUSEEVENT)) return FALSE;
    InputState& in = Input();
    if (track->dwFlags & TME_CANCEL) {
        if ((track->dwFlags & TME_LEAVE) && in.tracked == track->hwndTrack) in.tracked = 0;
        return TRUE;
    }
    if (!(track->dwFlags & TME_LEAVE)) return TRUE;
    if (!IsWindow(track->hwndTrack)) return FALSE;
    // Asked while the pointer is elsewhere already: the leave comes at once.
    if (in.lastPointed != track->hwndTrack) {
        PostMessage(track->hwndTrack, WM_MOUSELEAVE, 0, 0);
        return TRUE;
    }
    in.tracked = track->hwndTrack;
    return TRUE;
}
