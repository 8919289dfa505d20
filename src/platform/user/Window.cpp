// Window classes, creation and destruction, the tree and the per-window values.
#include "platform/gdi/Object.h"
#include "platform/kernel/Time.h"
#include "platform/user/Input.h"
#include "platform/user/MessageQueue.h"
#include "platform/user/WindowState.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <strings.h>

namespace user::detail {

std::vector<HWND>& TopLevels() {
    static std::vector<HWND> list;
    return list;
}

namespace {

struct NoCase {
    bool operator()(const std::string& a, const std::string& b) const {
        return strcasecmp(a.c_str(), b.c_str()) < 0;
    }
};

std::mutex& classMutex() {
    static std::mutex m;
    return m;
}

std::map<std::string, std::shared_ptr<WindowClass>, NoCase>& classes() {
    static std::map<std::string, std::shared_ptr<WindowClass>, NoCase> map;
    return map;
}

std::shared_ptr<WindowClass> findClass(LPCSTR name) {
    if (!name || IS_INTRESOURCE(name)) return nullptr;
    std::lock_guard lock(classMutex());
    auto it = classes().find(name);
    return it == classes().end() ? nullptr : it->second;
}

void unlink(Window& w) {
    if (w.IsChild()) {
        if (WindowRef p = Find(w.parent)) std::erase(p->children, w.handle);
    } else {
        std::erase(TopLevels(), w.handle);
    }
}

void collectSubtree(HWND h, std::vector<HWND>& out) {
    WindowRef w = Find(h);
    if (!w) return;
    out.push_back(h);
    std::vector<HWND> kids = w->children;
    for (HWND c : kids)
        collectSubtree(c, out);
}

void sendDestroy(HWND h) {
    WindowRef w = Find(h);
    if (!w) return;
    SendMessage(h, WM_DESTROY, 0, 0);
    w = Find(h);
    if (!w) return;
    std::vector<HWND> kids = w->children;
    for (HWND c : kids)
        sendDestroy(c);
}

void sendNcDestroy(HWND h) {
    WindowRef w = Find(h);
    if (!w) return;
    std::vector<HWND> kids = w->children;
    for (HWND c : kids)
        sendNcDestroy(c);
    if (Find(h)) SendMessage(h, WM_NCDESTROY, 0, 0);
}

void notifyParents(Window& child, UINT event) {
    if (!child.IsChild() || (child.exStyle & WS_EX_NOPARENTNOTIFY)) return;
    HWND h = child.handle;
    WPARAM wParam = MAKEWPARAM(static_cast<WORD>(event), static_cast<WORD>(child.id));
    HWND p = child.parent;
    while (WindowRef pw = Find(p)) {
        SendMessage(p, WM_PARENTNOTIFY, wParam, static_cast<LPARAM>(h));
        // A parent that destroyed itself took the child along: nobody further up hears of it.
        if (!IsWindow(p)) break;
        if (!pw->IsChild() || (pw->exStyle & WS_EX_NOPARENTNOTIFY)) break;
        p = pw->parent;
    }
}

int nextDefaultPosition() {
    static int n = 0;
    return 40 + 24 * (n++ % 8);
}

} // namespace

LRESULT CallProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    WindowRef w = Find(hwnd);
    if (!w) return 0;
    WNDPROC proc = w->proc;
    if (!proc) return DefWindowProc(hwnd, msg, wParam, lParam);
    return proc(hwnd, msg, wParam, lParam);
}

void DestroyAllWindows() {
    std::vector<HWND> tops = TopLevels();
    for (HWND h : tops)
        DestroyWindow(h);
}

} // namespace user::detail

using namespace user;
using namespace user::detail;

ATOM RegisterClass(const WNDCLASS* wc) {
    if (!wc || !wc->lpszClassName || IS_INTRESOURCE(wc->lpszClassName) || !*wc->lpszClassName)
        return 0;
    auto cls = std::make_shared<WindowClass>();
    cls->name = wc->lpszClassName;
    cls->style = wc->style;
    cls->proc = wc->lpfnWndProc;
    cls->instance = wc->hInstance;
    cls->icon = wc->hIcon;
    cls->cursor = wc->hCursor;
    cls->background = wc->hbrBackground;
    std::lock_guard lock(classMutex());
    auto [it, inserted] = classes().emplace(cls->name, cls);
    if (!inserted) return 0;
    static ATOM next = 0xC000;
    return next == 0xFFFF ? 0xFFFF : next++;
}

BOOL UnregisterClass(LPCSTR className, HINSTANCE) {
    if (!className || IS_INTRESOURCE(className)) return FALSE;
    std::lock_guard lock(classMutex());
    return classes().erase(className) ? TRUE : FALSE;
}

BOOL GetClassInfo(HINSTANCE, LPCSTR className, WNDCLASS* wc) {
    auto cls = findClass(className);
    if (!cls || !wc) return FALSE;
    wc->style = cls->style;
    wc->lpfnWndProc = cls->proc;
    wc->hInstance = cls->instance;
    wc->hIcon = cls->icon;
    wc->hCursor = cls->cursor;
    wc->hbrBackground = cls->background;
    wc->lpszMenuName = nullptr;
    wc->lpszClassName = cls->name.c_str();
    return TRUE;
}

int GetClassName(HWND hwnd, LPSTR buffer, int size) {
    WindowRef w = Find(hwnd);
    if (!w || !buffer || size <= 0) return 0;
    int n = std::min<int>(static_cast<int>(w->cls->name.size()), size - 1);
    std::memcpy(buffer, w->cls->name.data(), n);
    buffer[n] = 0;
    return n;
}

HWND CreateWindow(LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width,
                  int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
    return CreateWindowEx(0, className, windowName, style, x, y, width, height, parent, menu,
                          instance, param);
}

HWND CreateWindowEx(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                    int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                    LPVOID param) {
    auto cls = findClass(className);
    if (!cls) return 0;
    WindowRef parentWindow = Find(parent);
    if ((style & WS_CHILD) && !parentWindow) return 0;
    if (parentWindow && parentWindow->thread != GetCurrentThreadId()) return 0;
    InstallDcProvider();

    auto w = std::make_unique<Window>();
    w->cls = cls;
    w->queue = CurrentQueue();
    w->thread = GetCurrentThreadId();
    w->style = style & ~(WS_VISIBLE | WS_MINIMIZE | WS_MAXIMIZE);
    w->exStyle = exStyle;
    w->proc = cls->proc;
    w->instance = instance;
    w->text = windowName ? windowName : "";
    if (style & WS_CHILD) {
        w->parent = parent;
        w->id = static_cast<LONG_PTR>(menu);
    } else {
        // An owned window's owner is always a top-level window.
        if (parentWindow) w->owner = TopLevelOf(parentWindow)->handle;
        if (x == CW_USEDEFAULT) {
            x = nextDefaultPosition();
            y = x;
        }
        if (width == CW_USEDEFAULT) {
            width = 640;
            height = 480;
        }
    }
    if (x == CW_USEDEFAULT) x = y = 0;
    if (width == CW_USEDEFAULT) width = height = 0;
    width = std::max(width, 0);
    height = std::max(height, 0);
    w->rect = RECT{x, y, x + width, y + height};
    w->normalRect = w->rect;
    w->client = RECT{0, 0, width, height};
    bool child = w->IsChild();
    HWND h = AddWindow(std::move(w));
    if (!h) return 0;
    if (child)
        parentWindow->children.insert(parentWindow->children.begin(), h);
    else
        TopLevels().insert(TopLevels().begin(), h);
    if (!child) {
        MINMAXINFO info = QueryMinMaxInfo(h);
        WindowRef self = Find(h);
        if (!self) return 0;
        SIZE s = LimitTrackSize(info, width, height);
        width = s.cx;
        height = s.cy;
        self->rect = RECT{x, y, x + width, y + height};
        self->normalRect = self->rect;
        self->client = RECT{0, 0, width, height};
    }

    CREATESTRUCT cs;
    cs.lpCreateParams = param;
    cs.hInstance = instance;
    cs.hMenu = menu;
    cs.hwndParent = parent;
    cs.x = x;
    cs.y = y;
    cs.cx = width;
    cs.cy = height;
    cs.style = static_cast<LONG>(style);
    cs.lpszName = windowName;
    cs.lpszClass = className;
    cs.dwExStyle = exStyle;

    auto fail = [&]() -> HWND {
        if (WindowRef dead = Find(h)) {
            dead->created = true;
            DestroyWindow(h);
        }
        return 0;
    };
    if (!SendMessage(h, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&cs))) return fail();
    WindowRef self = Find(h);
    if (!self) return 0;
    self->client = ComputeClient(*self, self->rect);
    if (!child) {
        ClaimDisplayThread();
        ResizeSurface(*self);
        CurrentDisplayBackend().CreateNative(DescOf(*self));
        self->native = true;
        // Now that the desktop knows the window, it learns its size limits too.
        if (self->style & WS_THICKFRAME) {
            QueryMinMaxInfo(h);
            self = Find(h);
            if (!self) return 0;
        }
    }
    if (SendMessage(h, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) return fail();
    self = Find(h);
    if (!self) return 0;
    self->created = true;
    SendMessage(h, WM_SIZE, SIZE_RESTORED,
                MAKELPARAM(static_cast<WORD>(Width(self->client)),
                           static_cast<WORD>(Height(self->client))));
    self = Find(h);
    if (!self) return 0;
    POINT origin{self->rect.left + self->client.left, self->rect.top + self->client.top};
    SendMessage(h, WM_MOVE, 0,
                MAKELPARAM(static_cast<WORD>(origin.x), static_cast<WORD>(origin.y)));
    self = Find(h);
    if (!self) return 0;
    notifyParents(*self, WM_CREATE);
    if (!Find(h)) return 0;
    if (style & WS_MAXIMIZE)
        ShowWindow(h, (style & WS_VISIBLE) ? SW_SHOWMAXIMIZED : SW_MAXIMIZE);
    else if (style & WS_MINIMIZE)
        ShowWindow(h, SW_SHOWMINNOACTIVE);
    else if (style & WS_VISIBLE)
        ShowWindow(h, SW_SHOW);
    return Find(h) ? h : 0;
}

BOOL DestroyWindow(HWND hwnd) {
    WindowRef w = Find(hwnd);
    if (!w || w->thread != GetCurrentThreadId()) return FALSE;
    if (w->destroying) return TRUE;

    // Owned top-level windows go first, as they would be unusable without their owner.
    std::vector<HWND> tops = TopLevels();
    for (HWND t : tops) {
        WindowRef tw = Find(t);
        if (tw && tw->owner == hwnd) DestroyWindow(t);
    }
    w = Find(hwnd);
    if (!w || w->destroying) return TRUE;

    std::vector<HWND> subtree;
    collectSubtree(hwnd, subtree);
    for (HWND h : subtree)
        if (WindowRef x = Find(h)) x->destroying = true;

    if (w->IsChild()) {
        if ((w->style & WS_VISIBLE) && w->created) {
            if (WindowRef p = Find(w->parent)) {
                w->style &= ~WS_VISIBLE;
                UncoverArea(*p, w->rect);
            }
        }
        notifyParents(*w, WM_DESTROY);
    } else if (w->native) {
        w->style &= ~WS_VISIBLE;
        CurrentDisplayBackend().SetNativeState(hwnd, ShowState::Hidden, false);
    }
    for (HWND h : subtree)
        ForgetWindow(h);

    if (Find(hwnd) && Find(hwnd)->created) {
        sendDestroy(hwnd);
        sendNcDestroy(hwnd);
    }

    // Windows created during WM_DESTROY handling are swept up too.
    subtree.clear();
    collectSubtree(hwnd, subtree);
    for (auto it = subtree.rbegin(); it != subtree.rend(); ++it) {
        WindowRef x = Find(*it);
        if (!x) continue;
        KillWindowTimers(*x->queue, x->handle);
        ForgetWindow(x->handle);
        unlink(*x);
        if (!x->IsChild()) {
            if (x->native) CurrentDisplayBackend().DestroyNative(x->handle);
            ReleaseSurface(*x);
        }
        if (x->region) DeleteObject(x->region);
        RemoveWindow(*it);
    }
    return TRUE;
}

BOOL IsWindow(HWND hwnd) {
    return Find(hwnd) ? TRUE : FALSE;
}

BOOL IsChild(HWND parent, HWND hwnd) {
    WindowRef w = Find(hwnd);
    while (w && w->IsChild()) {
        if (w->parent == parent) return TRUE;
        w = Find(w->parent);
    }
    return FALSE;
}

BOOL IsWindowVisible(HWND hwnd) {
    WindowRef w = Find(hwnd);
    if (!w) return FALSE;
    for (WindowRef cur = w; cur; cur = cur->IsChild() ? Find(cur->parent) : nullptr) {
        if (!(cur->style & WS_VISIBLE)) return FALSE;
        if (!cur->IsChild()) return TRUE;
    }
    return FALSE;
}

BOOL IsWindowEnabled(HWND hwnd) {
    WindowRef w = Find(hwnd);
    return w && !(w->style & WS_DISABLED);
}

HWND GetParent(HWND hwnd) {
    WindowRef w = Find(hwnd);
    if (!w) return 0;
    return w->IsChild() ? w->parent : w->owner;
}

HWND SetParent(HWND hwnd, HWND newParent) {
    WindowRef w = Find(hwnd);
    WindowRef np = Find(newParent);
    if (!w || !np || hwnd == newParent || IsChild(hwnd, newParent)) return 0;
    if (!w->IsChild()) {
        // A top-level window only changes its owner.
        HWND old = w->owner;
        w->owner = TopLevelOf(np)->handle;
        return old;
    }
    HWND old = w->parent;
    if (old == newParent) return old;
    WindowRef op = Find(old);
    bool visible = (w->style & WS_VISIBLE) != 0;
    if (op && visible) UncoverArea(*op, w->rect);
    unlink(*w);
    w->parent = newParent;
    np->children.insert(np->children.begin(), hwnd);
    if (visible) InvalidateWhole(*w, true);
    return old;
}

HWND GetAncestor(HWND hwnd, UINT flags) {
    WindowRef w = Find(hwnd);
    if (!w) return 0;
    switch (flags) {
    case GA_PARENT:
        return w->IsChild() ? w->parent : kDesktopWindow;
    case GA_ROOT:
        return TopLevelOf(w)->handle;
    case GA_ROOTOWNER: {
        WindowRef top = TopLevelOf(w);
        while (WindowRef o = Find(top->owner))
            top = o;
        return top->handle;
    }
    }
    return 0;
}

HWND GetDesktopWindow() {
    return kDesktopWindow;
}

HWND GetTopWindow(HWND hwnd) {
    if (hwnd == 0 || hwnd == kDesktopWindow) return TopLevels().empty() ? 0 : TopLevels().front();
    WindowRef w = Find(hwnd);
    return w && !w->children.empty() ? w->children.front() : 0;
}

HWND GetWindow(HWND hwnd, UINT relation) {
    WindowRef w = Find(hwnd);
    if (!w) return 0;
    if (relation == GW_CHILD) return w->children.empty() ? 0 : w->children.front();
    if (relation == GW_OWNER) return w->IsChild() ? 0 : w->owner;
    const std::vector<HWND>* list = &TopLevels();
    if (w->IsChild()) {
        WindowRef p = Find(w->parent);
        if (!p) return 0;
        list = &p->children;
    }
    auto it = std::find(list->begin(), list->end(), hwnd);
    if (it == list->end()) return 0;
    switch (relation) {
    case GW_HWNDFIRST:
        return list->front();
    case GW_HWNDLAST:
        return list->back();
    case GW_HWNDNEXT:
        return it + 1 == list->end() ? 0 : *(it + 1);
    case GW_HWNDPREV:
        return it == list->begin() ? 0 : *(it - 1);
    }
    return 0;
}

namespace {
bool enumChildren(HWND parent, WNDENUMPROC proc, LPARAM param) {
    WindowRef w = Find(parent);
    if (!w) return true;
    std::vector<HWND> kids = w->children;
    for (HWND c : kids) {
        if (!Find(c)) continue;
        if (!proc(c, param)) return false;
        if (!enumChildren(c, proc, param)) return false;
    }
    return true;
}
} // namespace

BOOL EnumChildWindows(HWND parent, WNDENUMPROC proc, LPARAM param) {
    if (!proc) return FALSE;
    if (parent == 0 || parent == kDesktopWindow) return EnumWindows(proc, param);
    if (!Find(parent)) return FALSE;
    enumChildren(parent, proc, param);
    return TRUE;
}

BOOL EnumThreadWindows(DWORD threadId, WNDENUMPROC proc, LPARAM param) {
    if (!proc) return FALSE;
    std::vector<HWND> tops = TopLevels();
    for (HWND t : tops) {
        WindowRef w = Find(t);
        if (w && w->thread == threadId && !proc(t, param)) break;
    }
    return TRUE;
}

BOOL EnumWindows(WNDENUMPROC proc, LPARAM param) {
    if (!proc) return FALSE;
    std::vector<HWND> tops = TopLevels();
    for (HWND t : tops)
        if (Find(t) && !proc(t, param)) break;
    return TRUE;
}

DWORD GetWindowThreadProcessId(HWND hwnd, DWORD* processId) {
    auto q = QueueOf(hwnd);
    if (processId) *processId = q ? 1 : 0;
    return q ? q->thread : 0;
}

LONG_PTR GetWindowLongPtr(HWND hwnd, int index) {
    WindowRef w = Find(hwnd);
    if (!w) return 0;
    switch (index) {
    case GWLP_WNDPROC:
        return reinterpret_cast<LONG_PTR>(w->proc);
    case GWLP_HINSTANCE:
        return static_cast<LONG_PTR>(w->instance);
    case GWLP_HWNDPARENT:
        return static_cast<LONG_PTR>(w->IsChild() ? w->parent : w->owner);
    case GWLP_ID:
        return w->id;
    case GWL_STYLE:
        return static_cast<LONG_PTR>(w->style);
    case GWL_EXSTYLE:
        return static_cast<LONG_PTR>(w->exStyle);
    case GWLP_USERDATA:
        return w->userData;
    }
    return 0;
}

LONG_PTR SetWindowLongPtr(HWND hwnd, int index, LONG_PTR value) {
    WindowRef w = Find(hwnd);
    if (!w) return 0;
    LONG_PTR old = GetWindowLongPtr(hwnd, index);
    switch (index) {
    case GWLP_WNDPROC:
        if (!value) return 0;
        w->proc = reinterpret_cast<WNDPROC>(value);
        break;
    case GWLP_HINSTANCE:
        w->instance = static_cast<HINSTANCE>(value);
        break;
    case GWLP_HWNDPARENT:
        if (!w->IsChild() && w->owner != static_cast<HWND>(value)) {
            w->owner = static_cast<HWND>(value);
            if (w->native) CurrentDisplayBackend().SetNativeDesc(hwnd, DescOf(*w));
        }
        break;
    case GWLP_ID:
        w->id = value;
        break;
    case GWL_STYLE:
    case GWL_EXSTYLE: {
        STYLESTRUCT ss;
        ss.styleOld = static_cast<DWORD>(old);
        ss.styleNew = static_cast<DWORD>(value);
        SendMessage(hwnd, WM_STYLECHANGING, static_cast<WPARAM>(index),
                    reinterpret_cast<LPARAM>(&ss));
        w = Find(hwnd);
        if (!w) return old;
        if (index == GWL_STYLE) {
            // Visibility, child-ness and the disabled state change only through their calls.
            constexpr DWORD kept = WS_VISIBLE | WS_CHILD | WS_DISABLED | WS_MINIMIZE | WS_MAXIMIZE;
            w->style = (ss.styleNew & ~kept) | (w->style & kept);
        } else {
            w->exStyle = ss.styleNew;
        }
        SendMessage(hwnd, WM_STYLECHANGED, static_cast<WPARAM>(index),
                    reinterpret_cast<LPARAM>(&ss));
        break;
    }
    case GWLP_USERDATA:
        w->userData = value;
        break;
    default:
        return 0;
    }
    return old;
}

LONG GetWindowLong(HWND hwnd, int index) {
    return static_cast<LONG>(GetWindowLongPtr(hwnd, index));
}

LONG SetWindowLong(HWND hwnd, int index, LONG value) {
    LONG_PTR v = (index == GWL_STYLE || index == GWL_EXSTYLE)
                     ? static_cast<LONG_PTR>(static_cast<DWORD>(value))
                     : static_cast<LONG_PTR>(value);
    return static_cast<LONG>(SetWindowLongPtr(hwnd, index, v));
}

LRESULT CallWindowProc(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (!proc) return DefWindowProc(hwnd, msg, wParam, lParam);
    return proc(hwnd, msg, wParam, lParam);
}

BOOL SetWindowText(HWND hwnd, LPCSTR text) {
    if (!Find(hwnd)) return FALSE;
    return SendMessage(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text ? text : "")) != 0;
}

int GetWindowText(HWND hwnd, LPSTR buffer, int size) {
    if (!Find(hwnd) || !buffer || size <= 0) return 0;
    return static_cast<int>(
        SendMessage(hwnd, WM_GETTEXT, static_cast<WPARAM>(size), reinterpret_cast<LPARAM>(buffer)));
}

int GetWindowTextLength(HWND hwnd) {
    if (!Find(hwnd)) return 0;
    return static_cast<int>(SendMessage(hwnd, WM_GETTEXTLENGTH, 0, 0));
}

BOOL GetWindowRect(HWND hwnd, RECT* rect) {
    if (!rect) return FALSE;
    if (hwnd == kDesktopWindow) {
        SIZE s = user::CurrentDisplayBackend().ScreenSize();
        *rect = RECT{0, 0, s.cx, s.cy};
        return TRUE;
    }
    WindowRef w = Find(hwnd);
    if (!w) return FALSE;
    POINT o = ScreenOrigin(*w);
    *rect = RECT{o.x, o.y, o.x + Width(w->rect), o.y + Height(w->rect)};
    return TRUE;
}

BOOL GetClientRect(HWND hwnd, RECT* rect) {
    if (!rect) return FALSE;
    if (hwnd == kDesktopWindow) return GetWindowRect(hwnd, rect);
    WindowRef w = Find(hwnd);
    if (!w) return FALSE;
    *rect = RECT{0, 0, Width(w->client), Height(w->client)};
    return TRUE;
}

namespace {
bool clientScreenOrigin(HWND hwnd, POINT& p) {
    if (hwnd == 0 || hwnd == kDesktopWindow) {
        p = POINT{0, 0};
        return true;
    }
    WindowRef w = Find(hwnd);
    if (!w) return false;
    POINT o = ScreenOrigin(*w);
    p = POINT{o.x + w->client.left, o.y + w->client.top};
    return true;
}
} // namespace

BOOL ClientToScreen(HWND hwnd, POINT* pt) {
    POINT o;
    if (!pt || !Find(hwnd) || !clientScreenOrigin(hwnd, o)) return FALSE;
    pt->x += o.x;
    pt->y += o.y;
    return TRUE;
}

BOOL ScreenToClient(HWND hwnd, POINT* pt) {
    POINT o;
    if (!pt || !Find(hwnd) || !clientScreenOrigin(hwnd, o)) return FALSE;
    pt->x -= o.x;
    pt->y -= o.y;
    return TRUE;
}

int MapWindowPoints(HWND from, HWND to, POINT* points, UINT count) {
    POINT a, b;
    if (!clientScreenOrigin(from, a) || !clientScreenOrigin(to, b)) return 0;
    int dx = a.x - b.x, dy = a.y - b.y;
    for (UINT i = 0; points && i < count; ++i) {
        points[i].x += dx;
        points[i].y += dy;
    }
    return MAKELONG(static_cast<WORD>(dx), static_cast<WORD>(dy));
}
