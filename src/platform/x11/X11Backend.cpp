#include "platform/x11/X11Backend.h"

#include "platform/user/Input.h"
#include "platform/user/Messages.h"
#include "platform/user/NativeEvents.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/cursorfont.h>
#include <X11/extensions/shape.h>
#include <X11/keysym.h>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <map>

namespace x11 {
namespace {

using user::NativeWindowSpec;
using user::ShowState;
using user::SurfaceView;
namespace native = user::native;

// Latin-1 text from XLookupString (no input method), as UTF-8 for the window layer.
std::string Latin1ToUtf8(const char* s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

int VirtualKeyOf(KeySym sym) {
    if (sym >= XK_a && sym <= XK_z) return static_cast<int>('A' + (sym - XK_a));
    if (sym >= XK_A && sym <= XK_Z) return static_cast<int>('A' + (sym - XK_A));
    if (sym >= XK_0 && sym <= XK_9) return static_cast<int>('0' + (sym - XK_0));
    if (sym >= XK_F1 && sym <= XK_F12) return VK_F1 + static_cast<int>(sym - XK_F1);
    if (sym >= XK_KP_0 && sym <= XK_KP_9) return VK_NUMPAD0 + static_cast<int>(sym - XK_KP_0);
    switch (sym) {
    case XK_BackSpace:
        return VK_BACK;
    case XK_Tab:
    case XK_ISO_Left_Tab:
        return VK_TAB;
    case XK_Return:
    case XK_KP_Enter:
        return VK_RETURN;
    case XK_Escape:
        return VK_ESCAPE;
    case XK_space:
        return VK_SPACE;
    case XK_Prior:
    case XK_KP_Prior:
        return VK_PRIOR;
    case XK_Next:
    case XK_KP_Next:
        return VK_NEXT;
    case XK_End:
    case XK_KP_End:
        return VK_END;
    case XK_Home:
    case XK_KP_Home:
        return VK_HOME;
    case XK_Left:
    case XK_KP_Left:
        return VK_LEFT;
    case XK_Up:
    case XK_KP_Up:
        return VK_UP;
    case XK_Right:
    case XK_KP_Right:
        return VK_RIGHT;
    case XK_Down:
    case XK_KP_Down:
        return VK_DOWN;
    case XK_Insert:
    case XK_KP_Insert:
        return VK_INSERT;
    case XK_Delete:
    case XK_KP_Delete:
        return VK_DELETE;
    case XK_Shift_L:
    case XK_Shift_R:
        return VK_SHIFT;
    case XK_Control_L:
    case XK_Control_R:
        return VK_CONTROL;
    case XK_Alt_L:
    case XK_Alt_R:
    case XK_Meta_L:
    case XK_Meta_R:
        return VK_MENU;
    case XK_Caps_Lock:
        return VK_CAPITAL;
    case XK_Num_Lock:
        return VK_NUMLOCK;
    case XK_Scroll_Lock:
        return VK_SCROLL;
    case XK_Pause:
        return VK_PAUSE;
    case XK_Print:
        return VK_SNAPSHOT;
    case XK_Menu:
        return VK_APPS;
    case XK_KP_Multiply:
        return VK_MULTIPLY;
    case XK_KP_Add:
        return VK_ADD;
    case XK_KP_Subtract:
        return VK_SUBTRACT;
    case XK_KP_Decimal:
        return VK_DECIMAL;
    case XK_KP_Divide:
        return VK_DIVIDE;
    case XK_semicolon:
    case XK_colon:
        return VK_OEM_1;
    case XK_equal:
    case XK_plus:
        return VK_OEM_PLUS;
    case XK_comma:
    case XK_less:
        return VK_OEM_COMMA;
    case XK_minus:
    case XK_underscore:
        return VK_OEM_MINUS;
    case XK_period:
    case XK_greater:
        return VK_OEM_PERIOD;
    case XK_slash:
    case XK_question:
        return VK_OEM_2;
    case XK_grave:
    case XK_asciitilde:
        return VK_OEM_3;
    case XK_bracketleft:
    case XK_braceleft:
        return VK_OEM_4;
    case XK_backslash:
    case XK_bar:
        return VK_OEM_5;
    case XK_bracketright:
    case XK_braceright:
        return VK_OEM_6;
    case XK_apostrophe:
    case XK_quotedbl:
        return VK_OEM_7;
    default:
        return 0;
    }
}

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

class X11Backend final : public user::DisplayBackend {
public:
    X11Backend(Display* display, bool useInputMethod) : dpy_(display) {
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
        netName_ = XInternAtom(dpy_, "_NET_WM_NAME", False);
        utf8_ = XInternAtom(dpy_, "UTF8_STRING", False);
        workArea_ = XInternAtom(dpy_, "_NET_WORKAREA", False);
        int eventBase = 0, errorBase = 0;
        hasShape_ = XShapeQueryExtension(dpy_, &eventBase, &errorBase);
        if (useInputMethod) OpenInputMethod();
    }

    ~X11Backend() override {
        for (auto& [hwnd, w] : windows_) {
            if (w.ic) XDestroyIC(w.ic);
            XDestroyWindow(dpy_, w.window);
        }
        if (im_) XCloseIM(im_);
        for (auto& [id, c] : cursors_)
            XFreeCursor(dpy_, c);
        XCloseDisplay(dpy_);
        if (wakePipe_[0] >= 0) {
            close(wakePipe_[0]);
            close(wakePipe_[1]);
        }
    }

    const char* Name() const override { return "x11"; }

    SIZE ScreenSize() override {
        return SIZE{DisplayWidth(dpy_, screen_), DisplayHeight(dpy_, screen_)};
    }

    RECT WorkArea() override {
        SIZE s = ScreenSize();
        RECT r{0, 0, s.cx, s.cy};
        Atom type = 0;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(dpy_, root_, workArea_, 0, 4, False, XA_CARDINAL, &type, &format,
                               &count, &after, &data) == Success &&
            data && format == 32 && count >= 4) {
            const long* v = reinterpret_cast<const long*>(data);
            r = RECT{static_cast<LONG>(v[0]), static_cast<LONG>(v[1]),
                     static_cast<LONG>(v[0] + v[2]), static_cast<LONG>(v[1] + v[3])};
        }
        if (data) XFree(data);
        return r;
    }

    void CreateNative(const NativeWindowSpec& desc) override {
        XSetWindowAttributes attrs{};
        attrs.override_redirect = desc.popup ? True : False;
        attrs.background_pixmap = None; // we paint every pixel; no flash of a background
        attrs.bit_gravity = NorthWestGravity;
        attrs.event_mask = ExposureMask | StructureNotifyMask | KeyPressMask | KeyReleaseMask |
                           ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                           LeaveWindowMask | FocusChangeMask | PropertyChangeMask;
        const int w = std::max<LONG>(1, desc.bounds.right - desc.bounds.left);
        const int h = std::max<LONG>(1, desc.bounds.bottom - desc.bounds.top);
        Window window = XCreateWindow(
            dpy_, root_, desc.bounds.left, desc.bounds.top, w, h, 0, CopyFromParent, InputOutput,
            CopyFromParent, CWOverrideRedirect | CWBackPixmap | CWBitGravity | CWEventMask, &attrs);
        XSetWMProtocols(dpy_, window, &wmDelete_, 1);
        Native& n = windows_[desc.hwnd];
        n.window = window;
        n.gc = XCreateGC(dpy_, window, 0, nullptr);
        if (!desc.popup) n.ic = CreateInputContext(window, attrs.event_mask);
        byWindow_[window] = desc.hwnd;
        ApplySpec(n, desc);
        if (currentCursor_) XDefineCursor(dpy_, window, currentCursor_);
        XFlush(dpy_);
    }

    void DestroyNative(HWND hwnd) override {
        auto it = windows_.find(hwnd);
        if (it == windows_.end()) return;
        XFreeGC(dpy_, it->second.gc);
        if (it->second.ic) XDestroyIC(it->second.ic);
        XDestroyWindow(dpy_, it->second.window);
        byWindow_.erase(it->second.window);
        windows_.erase(it);
        XFlush(dpy_);
    }

    void SetNativeBounds(HWND hwnd, const RECT& b) override {
        if (Native* n = Find(hwnd)) {
            n->bounds = b;
            XMoveResizeWindow(dpy_, n->window, b.left, b.top, std::max<LONG>(1, b.right - b.left),
                              std::max<LONG>(1, b.bottom - b.top));
            XFlush(dpy_);
        }
    }

    void SetNativeSpec(HWND hwnd, const NativeWindowSpec& desc) override {
        if (Native* n = Find(hwnd)) {
            ApplySpec(*n, desc);
            XFlush(dpy_);
        }
    }

    void SetNativeState(HWND hwnd, ShowState state, bool activate) override {
        Native* n = Find(hwnd);
        if (!n) return;
        n->requested = state;
        switch (state) {
        case ShowState::Hidden:
            XUnmapWindow(dpy_, n->window);
            break;
        case ShowState::Minimized:
            XIconifyWindow(dpy_, n->window, screen_);
            break;
        case ShowState::Normal:
        case ShowState::Maximized:
            SendState(*n, state == ShowState::Maximized, stateMaxH_, stateMaxV_);
            XMapWindow(dpy_, n->window);
            if (activate && !n->popup) ActivateNative(hwnd);
            break;
        }
        XFlush(dpy_);
    }

    void SetNativeShape(HWND hwnd, const std::vector<RECT>* shape) override {
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

    void RaiseNative(HWND hwnd) override {
        if (Native* n = Find(hwnd)) XRaiseWindow(dpy_, n->window);
    }

    void ActivateNative(HWND hwnd) override {
        Native* n = Find(hwnd);
        if (!n) return;
        XRaiseWindow(dpy_, n->window);
        XWindowAttributes a{};
        // Focusing an unmapped window is an X error; only viewable windows take it.
        if (XGetWindowAttributes(dpy_, n->window, &a) && a.map_state == IsViewable)
            XSetInputFocus(dpy_, n->window, RevertToParent, CurrentTime);
    }

    void Present(HWND hwnd, const RECT& rect, const SurfaceView& s) override {
        Native* n = Find(hwnd);
        if (!n || !s.bits || s.width <= 0 || s.height <= 0) return;
        const LONG left = std::max<LONG>(0, rect.left), top = std::max<LONG>(0, rect.top);
        const LONG right = std::min<LONG>(s.width, rect.right);
        const LONG bottom = std::min<LONG>(s.height, rect.bottom);
        if (right <= left || bottom <= top) return;
        Visual* visual = DefaultVisual(dpy_, screen_);
        // The back buffer is blue-first 32-bit, which is the ZPixmap layout of a 24-bit
        // true-colour visual on a little-endian client; the image borrows it without a copy.
        XImage* image = XCreateImage(dpy_, visual, DefaultDepth(dpy_, screen_), ZPixmap, 0,
                                     const_cast<char*>(reinterpret_cast<const char*>(s.bits)),
                                     static_cast<unsigned>(s.width),
                                     static_cast<unsigned>(s.height), 32, s.stride);
        if (!image) return;
        image->byte_order = LSBFirst;
        XPutImage(dpy_, n->window, n->gc, image, left, top, left, top,
                  static_cast<unsigned>(right - left), static_cast<unsigned>(bottom - top));
        image->data = nullptr; // borrowed: XDestroyImage must not free it
        XDestroyImage(image);
        XFlush(dpy_);
    }

    void BeginMoveSize(HWND hwnd, LRESULT hit, POINT start) override {
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

    void GrabPointer(HWND hwnd) override {
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

    void SetCursorShape(WORD shapeId) override {
        Cursor cursor = shapeId == 0 ? BlankCursor() : FontCursor(FontCursorOf(shapeId));
        if (cursor == currentCursor_) return;
        currentCursor_ = cursor;
        for (auto& [hwnd, n] : windows_)
            XDefineCursor(dpy_, n.window, cursor);
        XFlush(dpy_);
    }

    POINT CursorPos() override {
        Window rootReturn = 0, child = 0;
        int rx = 0, ry = 0, wx = 0, wy = 0;
        unsigned int mask = 0;
        XQueryPointer(dpy_, root_, &rootReturn, &child, &rx, &ry, &wx, &wy, &mask);
        return POINT{rx, ry};
    }

    void SetCursorPos(POINT pt) override {
        XWarpPointer(dpy_, None, root_, 0, 0, 0, 0, pt.x, pt.y);
        XFlush(dpy_);
    }

    void Beep() override {
        XBell(dpy_, 0);
        XFlush(dpy_);
    }

    void Pump() override {
        DrainWakePipe();
        while (XPending(dpy_)) {
            XEvent e;
            XNextEvent(dpy_, &e);
            // The input method takes the keys of a sequence it composes.
            if (im_ && XFilterEvent(&e, None)) continue;
            Deliver(e);
        }
    }

    void Wait(kernel::Milliseconds deadline) override {
        if (XPending(dpy_)) return;
        pollfd fds[2] = {{ConnectionNumber(dpy_), POLLIN, 0}, {wakePipe_[0], POLLIN, 0}};
        int timeout = -1;
        if (deadline != kernel::kForever) {
            const kernel::Milliseconds now = kernel::CurrentClock().Now();
            timeout =
                deadline <= now
                    ? 0
                    : static_cast<int>(std::min<kernel::Milliseconds>(deadline - now, 1000 * 60));
        }
        poll(fds, wakePipe_[0] >= 0 ? 2 : 1, timeout);
    }

    void Wake() override {
        if (wakePipe_[1] >= 0) {
            const char byte = 1;
            [[maybe_unused]] ssize_t ignored = write(wakePipe_[1], &byte, 1);
        }
    }

private:
    struct Native {
        Window window = 0;
        GC gc = nullptr;
        XIC ic = nullptr;  // this window's input context; nullptr: XLookupString
        RECT bounds{};
        bool popup = false;
        ShowState requested = ShowState::Hidden;
    };

    Native* Find(HWND hwnd) {
        auto it = windows_.find(hwnd);
        return it == windows_.end() ? nullptr : &it->second;
    }

    HWND Owner(Window window) const {
        auto it = byWindow_.find(window);
        return it == byWindow_.end() ? 0 : it->second;
    }

    void ApplySpec(Native& n, const NativeWindowSpec& desc) {
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
        if (!desc.sizeable && !desc.popup) {
            XSizeHints size{};
            size.flags = PMinSize | PMaxSize;
            size.min_width = size.max_width =
                std::max<LONG>(1, desc.bounds.right - desc.bounds.left);
            size.min_height = size.max_height =
                std::max<LONG>(1, desc.bounds.bottom - desc.bounds.top);
            XSetWMNormalHints(dpy_, n.window, &size);
        }
        if (desc.owner) {
            if (Native* owner = Find(desc.owner))
                XSetTransientForHint(dpy_, n.window, owner->window);
        }
        SendState(n, desc.topmost, stateAbove_, 0);
        SendState(n, desc.toolWindow, skipTaskbar_, 0);
    }

    // Changes a _NET_WM_STATE entry: through the window manager once mapped, in the property
    // before that.
    void SendState(Native& n, bool on, Atom first, Atom second) {
        XEvent e{};
        e.xclient.type = ClientMessage;
        e.xclient.window = n.window;
        e.xclient.message_type = netState_;
        e.xclient.format = 32;
        e.xclient.data.l[0] = on ? 1 : 0;
        e.xclient.data.l[1] = static_cast<long>(first);
        e.xclient.data.l[2] = static_cast<long>(second);
        e.xclient.data.l[3] = 1;
        XSendEvent(dpy_, root_, False, SubstructureRedirectMask | SubstructureNotifyMask, &e);
    }

    Cursor FontCursor(unsigned int shape) {
        auto it = cursors_.find(shape);
        if (it != cursors_.end()) return it->second;
        Cursor c = XCreateFontCursor(dpy_, shape);
        cursors_[shape] = c;
        return c;
    }

    Cursor BlankCursor() {
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

    void DrainWakePipe() {
        char buffer[64];
        while (wakePipe_[0] >= 0 && read(wakePipe_[0], buffer, sizeof buffer) > 0) {
        }
    }

    // Text comes through the desktop's input method (XMODIFIERS, else Xlib's own, which composes
    // with the locale's compose table) as UTF-8. Where none opens, keys are looked up one by
    // one as Latin-1.
    void OpenInputMethod() {
        XSetLocaleModifiers("");
        im_ = XOpenIM(dpy_, nullptr, nullptr, nullptr);
        if (!im_) {
            XSetLocaleModifiers("@im=none");
            im_ = XOpenIM(dpy_, nullptr, nullptr, nullptr);
        }
        if (!im_) return;
        XIMStyles* styles = nullptr;
        bool rootStyle = false;
        if (!XGetIMValues(im_, XNQueryInputStyle, &styles, nullptr) && styles) {
            for (unsigned short i = 0; i < styles->count_styles; ++i)
                if (styles->supported_styles[i] == (XIMPreeditNothing | XIMStatusNothing))
                    rootStyle = true;
            XFree(styles);
        }
        if (!rootStyle) {
            XCloseIM(im_);
            im_ = nullptr;
            return;
        }
        // An input method server that goes away takes its contexts with it.
        XIMCallback gone;
        gone.client_data = reinterpret_cast<XPointer>(this);
        gone.callback = [](XIM, XPointer self, XPointer) {
            auto* b = reinterpret_cast<X11Backend*>(self);
            b->im_ = nullptr;
            for (auto& [hwnd, w] : b->windows_)
                w.ic = nullptr;
        };
        XSetIMValues(im_, XNDestroyCallback, &gone, nullptr);
    }

    XIC CreateInputContext(Window window, long eventMask) {
        if (!im_) return nullptr;
        XIC ic = XCreateIC(im_, XNInputStyle, XIMPreeditNothing | XIMStatusNothing,
                           XNClientWindow, window, XNFocusWindow, window, nullptr);
        if (!ic) return nullptr;
        long wanted = 0;
        if (!XGetICValues(ic, XNFilterEvents, &wanted, nullptr) && (wanted & ~eventMask))
            XSelectInput(dpy_, window, eventMask | wanted);
        return ic;
    }

    // What a key press types, as UTF-8, and its key symbol.
    std::string LookUpText(Native* n, XKeyEvent& key, KeySym& sym) {
        char text[64];
        if (n && n->ic) {
            Status status = 0;
            int len = Xutf8LookupString(n->ic, &key, text, sizeof text, &sym, &status);
            if (status == XBufferOverflow && len > 0) {
                std::string big(static_cast<size_t>(len), '\0');
                len = Xutf8LookupString(n->ic, &key, big.data(), len, &sym, &status);
                return status == XLookupChars || status == XLookupBoth
                           ? big.substr(0, static_cast<size_t>(std::max(len, 0)))
                           : std::string();
            }
            if (status != XLookupKeySym && status != XLookupBoth) sym = NoSymbol;
            if (status == XLookupChars || status == XLookupBoth)
                return std::string(text, static_cast<size_t>(std::max(len, 0)));
            return std::string();
        }
        const int len = XLookupString(&key, text, sizeof text, &sym, nullptr);
        return len > 0 ? Latin1ToUtf8(text, len) : std::string();
    }

    // A key release immediately followed by a press of the same key at the same time is the
    // keyboard's auto-repeat: the release is swallowed and the press marked as a repeat.
    bool IsAutoRepeatRelease(const XKeyEvent& release) {
        if (!XEventsQueued(dpy_, QueuedAfterReading)) return false;
        XEvent next;
        XPeekEvent(dpy_, &next);
        return next.type == KeyPress && next.xkey.keycode == release.keycode &&
               next.xkey.time == release.time;
    }

    void Deliver(XEvent& e) {
        const HWND hwnd = Owner(e.xany.window);
        switch (e.type) {
        case MotionNotify:
            native::PointerMoved(hwnd, POINT{e.xmotion.x_root, e.xmotion.y_root});
            break;
        case ButtonPress:
        case ButtonRelease: {
            const POINT pt{e.xbutton.x_root, e.xbutton.y_root};
            const bool down = e.type == ButtonPress;
            switch (e.xbutton.button) {
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
            break;
        }
        case LeaveNotify:
            if (e.xcrossing.mode == NotifyNormal) native::PointerLeft(hwnd);
            break;
        case KeyPress:
        case KeyRelease: {
            if (e.type == KeyRelease && IsAutoRepeatRelease(e.xkey)) {
                repeatPending_ = true;
                break;
            }
            const bool down = e.type == KeyPress;
            KeySym sym = NoSymbol;
            std::string typed;
            // Control characters come from the key itself (Enter, Tab, Backspace, Esc) and
            // from Ctrl+letter, which the window layer turns into WM_CHAR as the desktop would.
            // Only presses type; a release is looked up for its key alone.
            if (down) {
                typed = LookUpText(Find(hwnd), e.xkey, sym);
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
            break;
        }
        case Expose:
            native::Exposed(hwnd, RECT{e.xexpose.x, e.xexpose.y, e.xexpose.x + e.xexpose.width,
                                       e.xexpose.y + e.xexpose.height});
            break;
        case ConfigureNotify: {
            if (!hwnd) break;
            // Under a window manager the window sits in a frame: ask where it is on the root.
            int x = e.xconfigure.x, y = e.xconfigure.y;
            if (!e.xconfigure.send_event && !e.xconfigure.override_redirect) {
                Window child = 0;
                XTranslateCoordinates(dpy_, e.xconfigure.window, root_, 0, 0, &x, &y, &child);
            }
            const RECT b{x, y, x + e.xconfigure.width, y + e.xconfigure.height};
            Native* n = Find(hwnd);
            if (n && (b.left != n->bounds.left || b.top != n->bounds.top ||
                      b.right != n->bounds.right || b.bottom != n->bounds.bottom)) {
                n->bounds = b;
                native::Configured(hwnd, b);
            }
            break;
        }
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
                if (e.type == FocusIn) XSetICFocus(n->ic);
                else XUnsetICFocus(n->ic);
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

    Display* dpy_;
    int screen_ = 0;
    Window root_ = 0;
    int wakePipe_[2] = {-1, -1};
    Atom wmProtocols_, wmDelete_, motifHints_, moveResize_, netState_, stateAbove_, stateMaxH_,
        stateMaxV_, skipTaskbar_, netName_, utf8_, workArea_;
    bool hasShape_ = false;
    bool repeatPending_ = false;
    XIM im_ = nullptr;
    std::map<HWND, Native> windows_;
    std::map<Window, HWND> byWindow_;
    std::map<unsigned int, Cursor> cursors_;
    Cursor currentCursor_ = 0;
};

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
