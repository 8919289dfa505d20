#include "platform/user/Input.h"
#include "platform/user/NativeEvents.h"
#include "platform/x11/internal/Backend.h"
#include "platform/x11/internal/Keys.h"

#include <X11/Xutil.h>

// How X events become the window layer's native input: pointer, keys, exposure, moves,
// showing state, focus and the close request.
namespace x11 {

using user::ShowState;
namespace native = user::native;

void X11Backend::Pump() {
    DrainWakePipe();
    while (XPending(dpy_)) {
        XEvent e;
        XNextEvent(dpy_, &e);
        // The input method takes the keys of a sequence it composes.
        if (inputMethod_.Filter(e)) continue;
        Deliver(e);
    }
}

// A key release immediately followed by a press of the same key at the same time is the
// keyboard's auto-repeat: the release is swallowed and the press marked as a repeat.
bool X11Backend::IsAutoRepeatRelease(const XKeyEvent& release) {
    if (!XEventsQueued(dpy_, QueuedAfterReading)) return false;
    XEvent next;
    XPeekEvent(dpy_, &next);
    return next.type == KeyPress && next.xkey.keycode == release.keycode &&
           next.xkey.time == release.time;
}

void X11Backend::DeliverButton(HWND hwnd, const XButtonEvent& button, bool down) {
    const POINT pt{button.x_root, button.y_root};
    switch (button.button) {
    case Button1:
        native::PointerButton(hwnd, pt, native::Button::Left, down);
        break;
    case Button2:
        native::PointerButton(hwnd, pt, native::Button::Middle, down);
        break;
    case Button3:
        native::PointerButton(hwnd, pt, native::Button::Right, down);
        break;
    case Button4:
        if (down) native::PointerWheel(hwnd, pt, 120, false);
        break;
    case Button5:
        if (down) native::PointerWheel(hwnd, pt, -120, false);
        break;
    case 6:
        if (down) native::PointerWheel(hwnd, pt, -120, true);
        break;
    case 7:
        if (down) native::PointerWheel(hwnd, pt, 120, true);
        break;
    default:
        break;
    }
}

void X11Backend::DeliverKey(HWND hwnd, XEvent& e) {
    if (e.type == KeyRelease && IsAutoRepeatRelease(e.xkey)) {
        repeatPending_ = true;
        return;
    }
    const bool down = e.type == KeyPress;
    KeySym sym = NoSymbol;
    std::string typed;
    // Control characters come from the key itself (Enter, Tab, Backspace, Esc) and
    // from Ctrl+letter, which the window layer turns into WM_CHAR as the desktop would.
    // Only presses type; a release is looked up for its key alone.
    if (down) {
        Native* n = Find(hwnd);
        typed = LookUpText(n ? n->ic : nullptr, e.xkey, sym);
    } else {
        char ignored[8];
        XLookupString(&e.xkey, ignored, sizeof ignored, &sym, nullptr);
    }
    const KeySym plain = e.xkey.keycode ? XLookupKeysym(&e.xkey, 0) : NoSymbol;
    const int vk = VirtualKeyOf(plain ? plain : sym);
    // What an input method composed comes as a press without a key, and a key without
    // a virtual key code (é on a French layout) only types: both are text alone.
    if (vk == 0) {
        if (down && !typed.empty()) native::Text(typed);
    } else {
        native::Key(vk, down, typed, down && repeatPending_);
    }
    repeatPending_ = false;
}

void X11Backend::DeliverConfigure(HWND hwnd, const XConfigureEvent& configure) {
    if (!hwnd) return;
    // Under a window manager the window sits in a frame: ask where it is on the root.
    int x = configure.x, y = configure.y;
    if (!configure.send_event && !configure.override_redirect) {
        Window child = 0;
        XTranslateCoordinates(dpy_, configure.window, root_, 0, 0, &x, &y, &child);
    }
    const RECT b{x, y, x + configure.width, y + configure.height};
    Native* n = Find(hwnd);
    if (n && (b.left != n->bounds.left || b.top != n->bounds.top || b.right != n->bounds.right ||
              b.bottom != n->bounds.bottom)) {
        n->bounds = b;
        native::Configured(hwnd, b);
    }
}

void X11Backend::Deliver(XEvent& e) {
    const HWND hwnd = Owner(e.xany.window);
    switch (e.type) {
    case MotionNotify:
        native::PointerMoved(hwnd, POINT{e.xmotion.x_root, e.xmotion.y_root});
        break;
    case ButtonPress:
    case ButtonRelease:
        DeliverButton(hwnd, e.xbutton, e.type == ButtonPress);
        break;
    case LeaveNotify:
        if (e.xcrossing.mode == NotifyNormal) native::PointerLeft(hwnd);
        break;
    case KeyPress:
    case KeyRelease:
        DeliverKey(hwnd, e);
        break;
    case Expose:
        native::Exposed(hwnd, RECT{e.xexpose.x, e.xexpose.y, e.xexpose.x + e.xexpose.width,
                                   e.xexpose.y + e.xexpose.height});
        break;
    case ConfigureNotify:
        DeliverConfigure(hwnd, e.xconfigure);
        break;
    case MapNotify:
        if (Native* n = Find(hwnd); n && n->requested == ShowState::Minimized) {
            n->requested = ShowState::Normal;
            native::StateChanged(hwnd, ShowState::Normal);
        }
        break;
    case UnmapNotify:
        // Unmapped without being hidden by us: the desktop minimised it.
        if (Native* n = Find(hwnd);
            n && n->requested != ShowState::Hidden && n->requested != ShowState::Minimized) {
            n->requested = ShowState::Minimized;
            native::StateChanged(hwnd, ShowState::Minimized);
        }
        break;
    case FocusIn:
    case FocusOut:
        if (Native* n = Find(hwnd); n && n->ic) {
            if (e.type == FocusIn)
                XSetICFocus(n->ic);
            else
                XUnsetICFocus(n->ic);
        }
        if (hwnd && e.xfocus.mode == NotifyNormal)
            native::ActivationChanged(hwnd, e.type == FocusIn);
        break;
    case MappingNotify:
        // Keys were given other symbols (a keyboard layout change, or a tool typing a
        // character the layout lacks on a spare key).
        if (e.xmapping.request == MappingKeyboard || e.xmapping.request == MappingModifier)
            XRefreshKeyboardMapping(&e.xmapping);
        break;
    case ClientMessage:
        if (hwnd && e.xclient.message_type == wmProtocols_ &&
            static_cast<Atom>(e.xclient.data.l[0]) == wmDelete_)
            native::CloseRequested(hwnd);
        break;
    default:
        break;
    }
}

} // namespace x11
