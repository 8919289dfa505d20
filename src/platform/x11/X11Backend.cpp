#include "platform/x11/X11Backend.h"

#include "platform/x11/internal/Backend.h"

#include "platform/user/Messages.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/cursorfont.h>
#include <X11/extensions/shape.h>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>

namespace x11 {
namespace {

unsigned int FontCursorOf(WORD shape) {
    switch (shape) {
    case 32513:
        return XC_xterm;
    case 32514:
    case 32650:
        return XC_watch;
    case 32515:
        return XC_crosshair;
    case 32516:
        return XC_sb_up_arrow;
    case 32642:
        return XC_bottom_right_corner;
    case 32643:
        return XC_bottom_left_corner;
    case 32644:
        return XC_sb_h_double_arrow;
    case 32645:
        return XC_sb_v_double_arrow;
    case 32640:
    case 32646:
        return XC_fleur;
    case 32648:
        return XC_X_cursor;
    case 32649:
        return XC_hand2;
    case 32651:
        return XC_question_arrow;
    default:
        return XC_left_ptr;
    }
}

// The _NET_WM_MOVERESIZE direction for a hit-test code; -1 for none.
long MoveResizeDirection(LRESULT hit) {
    switch (hit) {
    case HTCAPTION:
        return 8;
    case HTTOPLEFT:
        return 0;
    case HTTOP:
        return 1;
    case HTTOPRIGHT:
        return 2;
    case HTRIGHT:
        return 3;
    case HTBOTTOMRIGHT:
        return 4;
    case HTBOTTOM:
        return 5;
    case HTBOTTOMLEFT:
        return 6;
    case HTLEFT:
        return 7;
    default:
        return -1;
    }
}

} // namespace

using user::NativeWindowDesc;
using user::ShowState;
using user::SurfaceView;

X11Backend::X11Backend(Display* display, bool useInputMethod) : dpy_(display) {
    screen_ = DefaultScreen(dpy_);
    root_ = RootWindow(dpy_, screen_);
    if (pipe2(wakePipe_, O_NONBLOCK | O_CLOEXEC) != 0) wakePipe_[0] = wakePipe_[1] = -1;
    wmProtocols_ = XInternAtom(dpy_, "WM_PROTOCOLS", False);
    wmDelete_ = XInternAtom(dpy_, "WM_DELETE_WINDOW", False);
    motifHints_ = XInternAtom(dpy_, "_MOTIF_WM_HINTS", False);
    moveResize_ = XInternAtom(dpy_, "_NET_WM_MOVERESIZE", False);
    netState_ = XInternAtom(dpy_, "_NET_WM_STATE", False);
    stateAbove_ = XInternAtom(dpy_, "_NET_WM_STATE_ABOVE", False);
    stateMaxH_ = XInternAtom(dpy_, "_NET_WM_STATE_MAXIMIZED_HORZ", False);
    stateMaxV_ = XInternAtom(dpy_, "_NET_WM_STATE_MAXIMIZED_VERT", False);
    skipTaskbar_ = XInternAtom(dpy_, "_NET_WM_STATE_SKIP_TASKBAR", False);
    stateModal_ = XInternAtom(dpy_, "_NET_WM_STATE_MODAL", False);
    windowType_ = XInternAtom(dpy_, "_NET_WM_WINDOW_TYPE", False);
    typeDialog_ = XInternAtom(dpy_, "_NET_WM_WINDOW_TYPE_DIALOG", False);
    netName_ = XInternAtom(dpy_, "_NET_WM_NAME", False);
    utf8_ = XInternAtom(dpy_, "UTF8_STRING", False);
    workArea_ = XInternAtom(dpy_, "_NET_WORKAREA", False);
    netIcon_ = XInternAtom(dpy_, "_NET_WM_ICON", False);
    int eventBase = 0, errorBase = 0;
    hasShape_ = XShapeQueryExtension(dpy_, &eventBase, &errorBase);
    if (useInputMethod)
        inputMethod_.Open(dpy_, [this] {
            for (auto& [hwnd, w] : windows_)
                w.ic = nullptr;
        });
}

X11Backend::~X11Backend() {
    for (auto& [hwnd, w] : windows_) {
        if (w.ic) XDestroyIC(w.ic);
        XDestroyWindow(dpy_, w.window);
    }
    inputMethod_.Close();
    for (auto& [id, c] : cursors_)
        XFreeCursor(dpy_, c);
    XCloseDisplay(dpy_);
    if (wakePipe_[0] >= 0) {
        close(wakePipe_[0]);
        close(wakePipe_[1]);
    }
}
SIZE X11Backend::ScreenSize() {
    return SIZE{DisplayWidth(dpy_, screen_), DisplayHeight(dpy_, screen_)};
}

RECT X11Backend::WorkArea() {
    SIZE s = ScreenSize();
    RECT r{0, 0, s.cx, s.cy};
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(dpy_, root_, workArea_, 0, 4, False, XA_CARDINAL, &type, &format, &count,
                           &after, &data) == Success &&
        data && format == 32 && count >= 4) {
        const long* v = reinterpret_cast<const long*>(data);
        r = RECT{static_cast<LONG>(v[0]), static_cast<LONG>(v[1]), static_cast<LONG>(v[0] + v[2]),
                 static_cast<LONG>(v[1] + v[3])};
    }
    if (data) XFree(data);
    return r;
}

void X11Backend::CreateNative(const NativeWindowDesc& desc) {
    XSetWindowAttributes attrs{};
    attrs.override_redirect = desc.popup ? True : False;
    attrs.background_pixmap = None; // we paint every pixel; no flash of a background
    attrs.bit_gravity = NorthWestGravity;
    attrs.event_mask = ExposureMask | StructureNotifyMask | KeyPressMask | KeyReleaseMask |
                       ButtonPressMask | ButtonReleaseMask | PointerMotionMask | LeaveWindowMask |
                       FocusChangeMask | PropertyChangeMask;
    const int w = std::max<LONG>(1, desc.bounds.right - desc.bounds.left);
    const int h = std::max<LONG>(1, desc.bounds.bottom - desc.bounds.top);
    Window window = XCreateWindow(
        dpy_, root_, desc.bounds.left, desc.bounds.top, w, h, 0, CopyFromParent, InputOutput,
        CopyFromParent, CWOverrideRedirect | CWBackPixmap | CWBitGravity | CWEventMask, &attrs);
    XSetWMProtocols(dpy_, window, &wmDelete_, 1);
    Native& n = windows_[desc.hwnd];
    n.window = window;
    n.gc = XCreateGC(dpy_, window, 0, nullptr);
    if (!desc.popup) n.ic = inputMethod_.CreateContext(dpy_, window, attrs.event_mask);
    byWindow_[window] = desc.hwnd;
    ApplyDesc(n, desc);
    if (currentCursor_) XDefineCursor(dpy_, window, currentCursor_);
    XFlush(dpy_);
}

void X11Backend::DestroyNative(HWND hwnd) {
    auto it = windows_.find(hwnd);
    if (it == windows_.end()) return;
    XFreeGC(dpy_, it->second.gc);
    if (it->second.ic) XDestroyIC(it->second.ic);
    XDestroyWindow(dpy_, it->second.window);
    byWindow_.erase(it->second.window);
    windows_.erase(it);
    XFlush(dpy_);
}

void X11Backend::SetNativeBounds(HWND hwnd, const RECT& b) {
    if (Native* n = Find(hwnd)) {
        n->bounds = b;
        // A fixed-size window's hints follow the sizes the program gives it, or the desktop
        // would hold it at the old one.
        if (!n->sizeable && !n->popup) ApplySizeHints(*n);
        XMoveResizeWindow(dpy_, n->window, b.left, b.top, std::max<LONG>(1, b.right - b.left),
                          std::max<LONG>(1, b.bottom - b.top));
        XFlush(dpy_);
    }
}

void X11Backend::SetNativeDesc(HWND hwnd, const NativeWindowDesc& desc) {
    if (Native* n = Find(hwnd)) {
        ApplyDesc(*n, desc);
        XFlush(dpy_);
    }
}

void X11Backend::SetNativeState(HWND hwnd, ShowState state, bool activate) {
    Native* n = Find(hwnd);
    if (!n) return;
    n->requested = state;
    switch (state) {
    case ShowState::Hidden:
        XUnmapWindow(dpy_, n->window);
        n->managed = false;
        break;
    case ShowState::Minimized:
        ApplyStates(*n);
        XIconifyWindow(dpy_, n->window, screen_);
        n->managed = true;
        break;
    case ShowState::Normal:
    case ShowState::Maximized:
        SetState(*n, stateMaxH_, state == ShowState::Maximized);
        SetState(*n, stateMaxV_, state == ShowState::Maximized);
        ApplyStates(*n);
        XMapWindow(dpy_, n->window);
        n->managed = true;
        if (activate && !n->popup) ActivateNative(hwnd);
        break;
    }
    XFlush(dpy_);
}

void X11Backend::SetNativeShape(HWND hwnd, const std::vector<RECT>* shape) {
    Native* n = Find(hwnd);
    if (!n || !hasShape_) return;
    if (!shape) {
        XShapeCombineMask(dpy_, n->window, ShapeBounding, 0, 0, None, ShapeSet);
    } else {
        std::vector<XRectangle> rects;
        rects.reserve(shape->size());
        for (const RECT& r : *shape)
            rects.push_back(XRectangle{static_cast<short>(r.left), static_cast<short>(r.top),
                                       static_cast<unsigned short>(r.right - r.left),
                                       static_cast<unsigned short>(r.bottom - r.top)});
        XShapeCombineRectangles(dpy_, n->window, ShapeBounding, 0, 0, rects.data(),
                                static_cast<int>(rects.size()), ShapeSet, Unsorted);
    }
    XFlush(dpy_);
}

void X11Backend::RaiseNative(HWND hwnd) {
    if (Native* n = Find(hwnd)) XRaiseWindow(dpy_, n->window);
}

void X11Backend::ActivateNative(HWND hwnd) {
    Native* n = Find(hwnd);
    if (!n) return;
    XRaiseWindow(dpy_, n->window);
    XWindowAttributes a{};
    // Focusing an unmapped window is an X error; only viewable windows take it.
    if (XGetWindowAttributes(dpy_, n->window, &a) && a.map_state == IsViewable)
        XSetInputFocus(dpy_, n->window, RevertToParent, CurrentTime);
}

void X11Backend::Present(HWND hwnd, const RECT& rect, const SurfaceView& s) {
    Native* n = Find(hwnd);
    if (!n || !s.bits || s.width <= 0 || s.height <= 0) return;
    const LONG left = std::max<LONG>(0, rect.left), top = std::max<LONG>(0, rect.top);
    const LONG right = std::min<LONG>(s.width, rect.right);
    const LONG bottom = std::min<LONG>(s.height, rect.bottom);
    if (right <= left || bottom <= top) return;
    Visual* visual = DefaultVisual(dpy_, screen_);
    // The back buffer is blue-first 32-bit, which is the ZPixmap layout of a 24-bit
    // true-colour visual on a little-endian client; the image borrows it without a copy.
    XImage* image =
        XCreateImage(dpy_, visual, DefaultDepth(dpy_, screen_), ZPixmap, 0,
                     const_cast<char*>(reinterpret_cast<const char*>(s.bits)),
                     static_cast<unsigned>(s.width), static_cast<unsigned>(s.height), 32, s.stride);
    if (!image) return;
    image->byte_order = LSBFirst;
    XPutImage(dpy_, n->window, n->gc, image, left, top, left, top,
              static_cast<unsigned>(right - left), static_cast<unsigned>(bottom - top));
    image->data = nullptr; // borrowed: XDestroyImage must not free it
    XDestroyImage(image);
    XFlush(dpy_);
}

void X11Backend::BeginMoveSize(HWND hwnd, LRESULT hit, POINT start) {
    Native* n = Find(hwnd);
    const long direction = MoveResizeDirection(hit);
    if (!n || direction < 0) return;
    XUngrabPointer(dpy_, CurrentTime);
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = n->window;
    e.xclient.message_type = moveResize_;
    e.xclient.format = 32;
    e.xclient.data.l[0] = start.x;
    e.xclient.data.l[1] = start.y;
    e.xclient.data.l[2] = direction;
    e.xclient.data.l[3] = Button1;
    e.xclient.data.l[4] = 1;
    XSendEvent(dpy_, root_, False, SubstructureRedirectMask | SubstructureNotifyMask, &e);
    XFlush(dpy_);
}

void X11Backend::GrabPointer(HWND hwnd) {
    Native* n = Find(hwnd);
    if (!n) {
        XUngrabPointer(dpy_, CurrentTime);
    } else {
        XGrabPointer(dpy_, n->window, False,
                     ButtonPressMask | ButtonReleaseMask | PointerMotionMask, GrabModeAsync,
                     GrabModeAsync, None, None, CurrentTime);
    }
    XFlush(dpy_);
}

void X11Backend::SetCursorShape(WORD shapeId) {
    Cursor cursor = shapeId == 0 ? BlankCursor() : FontCursor(FontCursorOf(shapeId));
    if (cursor == currentCursor_) return;
    currentCursor_ = cursor;
    for (auto& [hwnd, n] : windows_)
        XDefineCursor(dpy_, n.window, cursor);
    XFlush(dpy_);
}

POINT X11Backend::CursorPos() {
    Window rootReturn = 0, child = 0;
    int rx = 0, ry = 0, wx = 0, wy = 0;
    unsigned int mask = 0;
    XQueryPointer(dpy_, root_, &rootReturn, &child, &rx, &ry, &wx, &wy, &mask);
    return POINT{rx, ry};
}

void X11Backend::SetCursorPos(POINT pt) {
    XWarpPointer(dpy_, None, root_, 0, 0, 0, 0, pt.x, pt.y);
    XFlush(dpy_);
}

void X11Backend::Beep() {
    XBell(dpy_, 0);
    XFlush(dpy_);
}

void X11Backend::Wait(kernel::Milliseconds deadline) {
    if (XPending(dpy_)) return;
    pollfd fds[2] = {{ConnectionNumber(dpy_), POLLIN, 0}, {wakePipe_[0], POLLIN, 0}};
    int timeout = -1;
    if (deadline != kernel::kForever) {
        const kernel::Milliseconds now = kernel::CurrentClock().Now();
        timeout = deadline <= now
                      ? 0
                      : static_cast<int>(std::min<kernel::Milliseconds>(deadline - now, 1000 * 60));
    }
    poll(fds, wakePipe_[0] >= 0 ? 2 : 1, timeout);
}

void X11Backend::Wake() {
    if (wakePipe_[1] >= 0) {
        const char byte = 1;
        [[maybe_unused]] ssize_t ignored = write(wakePipe_[1], &byte, 1);
    }
}

X11Backend::Native* X11Backend::Find(HWND hwnd) {
    auto it = windows_.find(hwnd);
    return it == windows_.end() ? nullptr : &it->second;
}

HWND X11Backend::Owner(Window window) const {
    auto it = byWindow_.find(window);
    return it == byWindow_.end() ? 0 : it->second;
}

void X11Backend::ApplyDesc(Native& n, const NativeWindowDesc& desc) {
    n.bounds = desc.bounds;
    n.popup = desc.popup;
    XStoreName(dpy_, n.window, desc.title.c_str());
    XChangeProperty(dpy_, n.window, netName_, utf8_, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(desc.title.data()),
                    static_cast<int>(desc.title.size()));
    // Motif hints: flags (decorations given), functions, decorations (0: none, 1: all).
    long hints[5] = {2, 0, desc.framed ? 1 : 0, 0, 0};
    XChangeProperty(dpy_, n.window, motifHints_, motifHints_, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(hints), 5);
    n.sizeable = desc.sizeable;
    if (!desc.popup) ApplySizeHints(n);
    // An owned window stays above its owner; a modal one is a dialog the owner waits for, which
    // the desktop keeps in front and hands the keyboard to.
    Native* owner = desc.owner && !desc.popup ? Find(desc.owner) : nullptr;
    if (owner)
        XSetTransientForHint(dpy_, n.window, owner->window);
    else
        XDeleteProperty(dpy_, n.window, XA_WM_TRANSIENT_FOR);
    if (desc.modal && !desc.popup)
        XChangeProperty(dpy_, n.window, windowType_, XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<unsigned char*>(&typeDialog_), 1);
    else
        XDeleteProperty(dpy_, n.window, windowType_);
    SetState(n, stateAbove_, desc.topmost);
    SetState(n, skipTaskbar_, desc.toolWindow);
    SetState(n, stateModal_, desc.modal && !desc.popup);
    ApplyStates(n);
}

void X11Backend::ApplySizeHints(Native& n) {
    XSizeHints size{};
    // The place the program asks for is kept, as the desktop of the calls this stands in for
    // does; without it a window manager places new windows by its own rules.
    size.flags = PPosition | USPosition;
    size.x = n.bounds.left;
    size.y = n.bounds.top;
    if (!n.sizeable) {
        size.flags |= PMinSize | PMaxSize;
        size.min_width = size.max_width = std::max<LONG>(1, n.bounds.right - n.bounds.left);
        size.min_height = size.max_height = std::max<LONG>(1, n.bounds.bottom - n.bounds.top);
    } else {
        if (n.minSize.cx > 0 || n.minSize.cy > 0) {
            size.flags |= PMinSize;
            size.min_width = std::max<LONG>(1, n.minSize.cx);
            size.min_height = std::max<LONG>(1, n.minSize.cy);
        }
        if (n.maxSize.cx > 0 && n.maxSize.cy > 0) {
            size.flags |= PMaxSize;
            size.max_width = n.maxSize.cx;
            size.max_height = n.maxSize.cy;
        }
    }
    XSetWMNormalHints(dpy_, n.window, &size);
}

void X11Backend::SetNativeSizeLimits(HWND hwnd, SIZE minimum, SIZE maximum) {
    Native* n = Find(hwnd);
    if (!n || n->popup) return;
    if (n->minSize == minimum && n->maxSize == maximum) return;
    n->minSize = minimum;
    n->maxSize = maximum;
    ApplySizeHints(*n);
    XFlush(dpy_);
}

void X11Backend::SetNativeIcon(HWND hwnd, int width, int height, const std::vector<DWORD>& argb) {
    Native* n = Find(hwnd);
    if (!n) return;
    if (argb.empty() || width <= 0 || height <= 0 ||
        argb.size() != size_t(width) * size_t(height)) {
        XDeleteProperty(dpy_, n->window, netIcon_);
    } else {
        // CARDINAL[]: width, height, then the pixels, each in a long as Xlib wants format 32.
        std::vector<long> data;
        data.reserve(argb.size() + 2);
        data.push_back(width);
        data.push_back(height);
        for (DWORD p : argb)
            data.push_back(static_cast<long>(p));
        XChangeProperty(dpy_, n->window, netIcon_, XA_CARDINAL, 32, PropModeReplace,
                        reinterpret_cast<unsigned char*>(data.data()),
                        static_cast<int>(data.size()));
    }
    XFlush(dpy_);
}

void X11Backend::SetState(Native& n, Atom state, bool on) {
    if (on)
        n.states.insert(state);
    else
        n.states.erase(state);
}

void X11Backend::ApplyStates(Native& n) {
    if (n.popup) return;
    if (!n.managed) {
        std::vector<Atom> atoms(n.states.begin(), n.states.end());
        XChangeProperty(dpy_, n.window, netState_, XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<unsigned char*>(atoms.data()),
                        static_cast<int>(atoms.size()));
        n.told = n.states;
        return;
    }
    std::set<Atom> all = n.states;
    all.insert(n.told.begin(), n.told.end());
    for (Atom state : all) {
        const bool on = n.states.count(state) != 0;
        if (on == (n.told.count(state) != 0)) continue;
        XEvent e{};
        e.xclient.type = ClientMessage;
        e.xclient.window = n.window;
        e.xclient.message_type = netState_;
        e.xclient.format = 32;
        e.xclient.data.l[0] = on ? 1 : 0;
        e.xclient.data.l[1] = static_cast<long>(state);
        e.xclient.data.l[3] = 1;
        XSendEvent(dpy_, root_, False, SubstructureRedirectMask | SubstructureNotifyMask, &e);
    }
    n.told = n.states;
}

Cursor X11Backend::FontCursor(unsigned int shape) {
    auto it = cursors_.find(shape);
    if (it != cursors_.end()) return it->second;
    Cursor c = XCreateFontCursor(dpy_, shape);
    cursors_[shape] = c;
    return c;
}

Cursor X11Backend::BlankCursor() {
    constexpr unsigned int kBlank = ~0u;
    auto it = cursors_.find(kBlank);
    if (it != cursors_.end()) return it->second;
    static const char empty[1] = {0};
    Pixmap pixmap = XCreateBitmapFromData(dpy_, root_, empty, 1, 1);
    XColor black{};
    Cursor c = XCreatePixmapCursor(dpy_, pixmap, pixmap, &black, &black, 0, 0);
    XFreePixmap(dpy_, pixmap);
    cursors_[kBlank] = c;
    return c;
}

void X11Backend::DrainWakePipe() {
    char buffer[64];
    while (wakePipe_[0] >= 0 && read(wakePipe_[0], buffer, sizeof buffer) > 0) {
    }
}

namespace {

int IgnoreXErrors(Display*, XErrorEvent*) {
    return 0;
}

} // namespace

std::unique_ptr<user::DisplayBackend> OpenX11Backend(const char* displayName, bool useInputMethod) {
    Display* display = XOpenDisplay(displayName);
    if (!display) return nullptr;
    const int screen = DefaultScreen(display);
    Visual* visual = DefaultVisual(display, screen);
    // The back buffers are 32-bit blue-first pixels; other visuals would need a converter.
    if (DefaultDepth(display, screen) < 24 || visual->c_class != TrueColor ||
        visual->red_mask != 0xFF0000 || visual->blue_mask != 0xFF) {
        XCloseDisplay(display);
        return nullptr;
    }
    // A window that went away on the server side must not end the program.
    XSetErrorHandler(IgnoreXErrors);
    return std::make_unique<X11Backend>(display, useInputMethod);
}

} // namespace x11
