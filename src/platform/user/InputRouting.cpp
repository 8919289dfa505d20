// Input routing: which window a pointer or key event goes to and as what message; the key
// state, the pointer and its shape.
#include "platform/Utf8.h"
#include "platform/gdi/Region.h"
#include "platform/kernel/Clock.h"
#include "platform/kernel/Time.h"
#include "platform/user/Input.h"
#include "platform/user/MessageQueue.h"
#include "platform/user/Metrics.h"
#include "platform/user/NativeEvents.h"
#include "platform/user/WindowState.h"

#include <cstdlib>

namespace user::detail {
namespace {

bool inRegion(const Window& w, POINT screen) {
    POINT o = ScreenOrigin(w);
    POINT local{screen.x - o.x, screen.y - o.y};
    if (local.x < 0 || local.y < 0 || local.x >= Width(w.rect) || local.y >= Height(w.rect))
        return false;
    return !w.region || PtInRegion(w.region, local.x, local.y);
}

// The deepest visible descendant of w (w itself included) at a screen point.
WindowRef deepest(WindowRef w, POINT screen) {
    for (;;) {
        POINT o = ScreenOrigin(*w);
        POINT client{screen.x - o.x - w->client.left, screen.y - o.y - w->client.top};
        if (!RectContains(RECT{0, 0, Width(w->client), Height(w->client)}, client)) return w;
        WindowRef hit;
        for (HWND c : w->children) {
            WindowRef cw = Find(c);
            if (cw && (cw->style & WS_VISIBLE) && !cw->destroying && inRegion(*cw, screen)) {
                hit = cw;
                break;
            }
        }
        if (!hit) return w;
        w = hit;
    }
}

WPARAM mouseKeys(WORD keys) {
    return keys;
}

LPARAM pointParam(POINT p) {
    return MAKELPARAM(static_cast<WORD>(static_cast<SHORT>(p.x)),
                      static_cast<WORD>(static_cast<SHORT>(p.y)));
}

MSG makeMsg(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, const InputEvent& e) {
    MSG m;
    m.hwnd = hwnd;
    m.message = message;
    m.wParam = wParam;
    m.lParam = lParam;
    m.time = e.time;
    m.pt = e.screen;
    return m;
}

// Where input for a window goes when the window or an ancestor is disabled: the parent of the
// outermost disabled one, or nowhere for a disabled top-level window (a modal box is up).
WindowRef enabledTarget(const WindowRef& w) {
    WindowRef outer;
    for (WindowRef cur = w; cur; cur = cur->IsChild() ? Find(cur->parent) : nullptr)
        if (cur->style & WS_DISABLED) outer = cur;
    if (!outer) return w;
    if (!outer->IsChild()) return nullptr;
    return Find(outer->parent);
}

void leaveTracked(HWND newTarget, const InputEvent& e, std::vector<MSG>& out) {
    InputState& in = Input();
    if (in.tracked && in.tracked != newTarget) {
        out.push_back(makeMsg(in.tracked, WM_MOUSELEAVE, 0, 0, e));
        in.tracked = 0;
    }
}

UINT buttonMessage(int button, bool down, bool dbl) {
    static const UINT base[3] = {WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN};
    UINT m = base[button];
    return down ? (dbl ? m + 2 : m) : m + 1;
}

} // namespace

bool RouteInput(const InputEvent& e, std::vector<MSG>& out) {
    InputState& in = Input();
    using Kind = InputEvent::Kind;
    if (e.kind == Kind::Key || e.kind == Kind::Text) {
        HWND target = in.focus ? in.focus : in.active;
        WindowRef w = Find(target);
        if (!w || !IsEnabledChain(*w)) return false;
        if (e.kind == Kind::Text) {
            for (char32_t cp : utf8::Decode(e.text))
                out.push_back(makeMsg(target, WM_CHAR, cp, 1, e));
            return !out.empty();
        }
        bool alt = e.alt;
        bool ctrl = e.ctrl;
        // Alt (without Ctrl, which makes AltGr) and F10 are system keys.
        bool sys = (alt && !ctrl) || e.vk == VK_F10;
        LPARAM lParam = 1;
        if (alt) lParam |= LPARAM{1} << 29;
        if (e.autoRepeat || !e.down) lParam |= LPARAM{1} << 30;
        if (!e.down) lParam |= LPARAM{1} << 31;
        UINT message = e.down ? (sys ? WM_SYSKEYDOWN : WM_KEYDOWN) : (sys ? WM_SYSKEYUP : WM_KEYUP);
        out.push_back(makeMsg(target, message, static_cast<WPARAM>(e.vk), lParam, e));
        return true;
    }

    if (e.kind == Kind::Leave) {
        if (in.capture) return false;
        leaveTracked(0, e, out);
        in.lastPointed = 0;
        return !out.empty();
    }

    WindowRef target;
    LRESULT hit = HTCLIENT;
    if (in.capture) {
        target = Find(in.capture);
    } else {
        WindowRef top = Find(e.topLevel);
        if (top && (top->style & WS_VISIBLE) && inRegion(*top, e.screen))
            target = deepest(top, e.screen);
        if (target) {
            WindowRef enabled = enabledTarget(target);
            if (!enabled) {
                // Clicking a window that waits for a modal one beeps and brings that one to the
                // front, where it takes the keyboard.
                if (e.kind == Kind::Button && e.down) {
                    MessageBeep(0);
                    BringModalWindowForward(top->handle);
                }
                return false;
            }
            target = enabled;
        }
    }
    if (!target) {
        leaveTracked(0, e, out);
        in.lastPointed = 0;
        return !out.empty();
    }
    HWND h = target->handle;
    if (!in.capture) {
        hit = SendMessage(h, WM_NCHITTEST, 0, pointParam(e.screen));
        // A transparent part lets the parent have it.
        while (hit == HTTRANSPARENT) {
            WindowRef w = Find(h);
            if (!w || !w->IsChild()) {
                hit = HTNOWHERE;
                break;
            }
            h = w->parent;
            hit = SendMessage(h, WM_NCHITTEST, 0, pointParam(e.screen));
        }
        if (!IsWindow(h)) return false;
    }
    WindowRef w = Find(h);
    POINT o = ScreenOrigin(*w);
    POINT client{e.screen.x - o.x - w->client.left, e.screen.y - o.y - w->client.top};
    bool inClient = hit == HTCLIENT;

    if (e.kind == Kind::Move) {
        leaveTracked(h, e, out);
        in.lastPointed = h;
        if (!in.capture)
            SendMessage(h, WM_SETCURSOR, static_cast<WPARAM>(h),
                        MAKELPARAM(static_cast<WORD>(hit), WM_MOUSEMOVE));
        if (!IsWindow(h)) return !out.empty();
        if (inClient)
            out.push_back(makeMsg(h, WM_MOUSEMOVE, mouseKeys(e.keys), pointParam(client), e));
        else
            out.push_back(
                makeMsg(h, WM_NCMOUSEMOVE, static_cast<WPARAM>(hit), pointParam(e.screen), e));
        return true;
    }

    if (e.kind == Kind::Wheel) {
        // The wheel scrolls what is under the pointer (or holds the capture), as desktops do
        // today, not what has the focus; a window that does not scroll passes it to its parent.
        HWND to = h;
        WindowRef fw = Find(to);
        if (!fw || !IsEnabledChain(*fw)) return false;
        WPARAM wp =
            MAKELPARAM(static_cast<WORD>(e.keys), static_cast<WORD>(static_cast<SHORT>(e.delta)));
        out.push_back(makeMsg(to, e.horizontal ? WM_MOUSEHWHEEL : WM_MOUSEWHEEL, wp,
                              pointParam(e.screen), e));
        return true;
    }

    // Buttons.
    if (e.button < 0 || e.button > 2) return false;
    bool dbl = false;
    if (e.down) {
        WindowRef top = TopLevelOf(w);
        if (top && !IsPopupMenu(*top) && !(top->exStyle & WS_EX_NOACTIVATE) &&
            in.active != top->handle) {
            HWND th = top->handle;
            ActivateTopLevel(th, WA_CLICKACTIVE);
            if (!IsWindow(h)) return false;
            w = Find(h);
        }
        UINT down = buttonMessage(e.button, true, false);
        bool wantsDbl = inClient ? (w->cls->style & CS_DBLCLKS) != 0 : true;
        if (wantsDbl && !in.lastClickWasDouble && in.lastClickWindow == h &&
            in.lastClickMessage == down && e.time - in.lastClickTime <= in.doubleClickTime &&
            std::abs(e.screen.x - in.lastClickPoint.x) <= GetSystemMetrics(SM_CXDOUBLECLK) / 2 &&
            std::abs(e.screen.y - in.lastClickPoint.y) <= GetSystemMetrics(SM_CYDOUBLECLK) / 2) {
            dbl = true;
        }
        in.lastClickWasDouble = dbl;
        in.lastClickWindow = h;
        in.lastClickMessage = down;
        in.lastClickTime = e.time;
        in.lastClickPoint = e.screen;
    }
    UINT message = buttonMessage(e.button, e.down, dbl);
    if (inClient)
        out.push_back(makeMsg(h, message, mouseKeys(e.keys), pointParam(client), e));
    else
        out.push_back(makeMsg(h, message - WM_MOUSEMOVE + WM_NCMOUSEMOVE, static_cast<WPARAM>(hit),
                              pointParam(e.screen), e));
    return true;
}

void NoteKeyMessage(ThreadQueue& queue, const MSG& msg, const std::string& text) {
    InputState& in = Input();
    int vk = static_cast<int>(msg.wParam & 0xFF);
    bool down = msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN;
    BYTE& k = in.keys[vk];
    if (down) {
        // A fresh press flips the toggle (Caps Lock and friends).
        if (!(k & 0x80)) k ^= 0x01;
        k |= 0x80;
    } else {
        k &= 0x01;
    }
    if (down) {
        queue.keyMsg = msg;
        queue.keyText = text;
    } else {
        queue.keyText.clear();
    }
}

} // namespace user::detail

using namespace user;
using namespace user::detail;

SHORT GetKeyState(int vk) {
    if (vk < 0 || vk > 255) return 0;
    BYTE k = Input().keys[vk];
    return static_cast<SHORT>(((k & 0x80) ? 0x8000 : 0) | (k & 0x01));
}

SHORT GetAsyncKeyState(int vk) {
    if (vk < 0 || vk > 255) return 0;
    BYTE k = Input().asyncKeys[vk];
    return static_cast<SHORT>(((k & 0x80) ? 0x8000 : 0) | (k & 0x01));
}

BOOL GetKeyboardState(BYTE* state256) {
    if (!state256) return FALSE;
    for (int i = 0; i < 256; ++i)
        state256[i] = Input().keys[i];
    return TRUE;
}

namespace {
constexpr WORD kCursorIds[] = {32512, 32513, 32514, 32515, 32516, 32640, 32641, 32642,
                               32643, 32644, 32645, 32646, 32648, 32649, 32650, 32651};
bool knownCursor(std::uintptr_t id) {
    for (WORD c : kCursorIds)
        if (c == id) return true;
    return false;
}
} // namespace

HCURSOR LoadCursor(HINSTANCE, LPCSTR name) {
    if (!name || !IS_INTRESOURCE(name)) return 0;
    auto id = reinterpret_cast<std::uintptr_t>(name);
    // The handle of a standard shape is its id moved out of the range of small integers.
    return knownCursor(id) ? static_cast<HCURSOR>(0xC0500000u + id) : 0;
}

WORD CursorShapeId(HCURSOR cursor) {
    if (cursor < 0xC0500000u) return 0;
    std::uintptr_t id = cursor - 0xC0500000u;
    return knownCursor(id) ? static_cast<WORD>(id) : 0;
}

HCURSOR SetCursor(HCURSOR cursor) {
    InputState& in = Input();
    HCURSOR old = in.cursorShape;
    if (old == cursor) return old;
    in.cursorShape = cursor;
    CurrentDisplayBackend().SetCursorShape(in.cursorShown >= 0 ? CursorShapeId(cursor) : 0);
    return old;
}

HCURSOR GetCursor() {
    return Input().cursorShape;
}

BOOL GetCursorPos(POINT* pt) {
    if (!pt) return FALSE;
    *pt = CurrentDisplayBackend().CursorPos();
    return TRUE;
}

BOOL SetCursorPos(int x, int y) {
    CurrentDisplayBackend().SetCursorPos(POINT{x, y});
    return TRUE;
}

int ShowCursor(BOOL show) {
    InputState& in = Input();
    in.cursorShown += show ? 1 : -1;
    CurrentDisplayBackend().SetCursorShape(in.cursorShown >= 0 ? CursorShapeId(in.cursorShape) : 0);
    return in.cursorShown;
}

UINT GetDoubleClickTime() {
    return Input().doubleClickTime;
}

BOOL SetDoubleClickTime(UINT ms) {
    Input().doubleClickTime = ms ? ms : 500;
    return TRUE;
}

BOOL MessageBeep(UINT) {
    CurrentDisplayBackend().Beep();
    return TRUE;
}

HWND WindowFromPoint(POINT pt) {
    for (HWND t : TopLevels()) {
        WindowRef w = Find(t);
        if (!w || !(w->style & WS_VISIBLE) || w->state == ShowState::Minimized || w->destroying)
            continue;
        if (!inRegion(*w, pt)) continue;
        return deepest(w, pt)->handle;
    }
    return 0;
}

HWND ChildWindowFromPoint(HWND parent, POINT pt) {
    WindowRef p = Find(parent);
    if (!p) return 0;
    if (!RectContains(RECT{0, 0, Width(p->client), Height(p->client)}, pt)) return 0;
    for (HWND c : p->children) {
        WindowRef cw = Find(c);
        if (!cw || !(cw->style & WS_VISIBLE)) continue;
        POINT local{pt.x - cw->rect.left, pt.y - cw->rect.top};
        if (!RectContains(cw->rect, pt)) continue;
        if (cw->region && !PtInRegion(cw->region, local.x, local.y)) continue;
        return c;
    }
    return parent;
}

BOOL EnableWindow(HWND hwnd, BOOL enable) {
    WindowRef w = Find(hwnd);
    if (!w || w->thread != GetCurrentThreadId()) return FALSE;
    BOOL wasDisabled = (w->style & WS_DISABLED) ? TRUE : FALSE;
    if (enable) {
        if (!wasDisabled) return FALSE;
        w->style &= ~WS_DISABLED;
        if (!w->IsChild()) RefreshOwnedDescs(hwnd);
        SendMessage(hwnd, WM_ENABLE, TRUE, 0);
        return TRUE;
    }
    if (wasDisabled) return TRUE;
    SendMessage(hwnd, WM_CANCELMODE, 0, 0);
    w = Find(hwnd);
    if (!w) return TRUE;
    w->style |= WS_DISABLED;
    if (!w->IsChild()) RefreshOwnedDescs(hwnd);
    InputState& in = Input();
    // Nothing below a disabled window keeps the focus or the pointer.
    auto within = [&](HWND h) { return h && (h == hwnd || IsChild(hwnd, h)); };
    if (within(in.focus)) SetFocus(0);
    if (within(in.capture)) ReleaseCapture();
    if (IsWindow(hwnd)) SendMessage(hwnd, WM_ENABLE, FALSE, 0);
    return FALSE;
}
