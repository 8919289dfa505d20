// The handle table, the thread queues and the geometry every part of the layer shares.
#include "platform/HandleTable.h"
#include "platform/kernel/Time.h"
#include "platform/user/Metrics.h"
#include "platform/user/WindowState.h"

#include <map>

namespace user::detail {

namespace {

// A handle is the slot's generation in the high half, a tag and the slot index in the low
// half; it is never 0, 1, 0xFFFF, -1 or -2, which mean something else as window arguments.
HandleTable<Window>& table() {
    static HandleTable<Window> t(HandleLayout{.tag = 0xA0000000ull,
                                              .indexBits = 28,
                                              .firstIndex = 0,
                                              .generationShift = 32,
                                              .maxGeneration = 0x7FFFFFFF});
    return t;
}

struct QueueRegistry {
    std::mutex mutex;
    std::map<DWORD, std::weak_ptr<ThreadQueue>> byThread;
    DWORD displayThread = 0;
};

QueueRegistry& registry() {
    static QueueRegistry r;
    return r;
}

} // namespace

WindowRef Find(HWND hwnd) {
    if (hwnd == 0) return WindowRef();
    return WindowRef(table().Find(hwnd));
}

HWND AddWindow(std::unique_ptr<Window> window) {
    std::shared_ptr<Window> shared(std::move(window));
    return table().AddWith([&](std::uintptr_t handle) {
        shared->handle = handle;
        return shared;
    });
}

void RemoveWindow(HWND hwnd) {
    // The window (and its surface) is freed here, outside the table's lock, unless someone
    // still holds it.
    table().Remove(hwnd);
}

std::shared_ptr<ThreadQueue> QueueOf(HWND hwnd) {
    WindowRef w = Find(hwnd);
    return w ? w->queue : nullptr;
}

std::vector<HWND> AllWindows() {
    std::vector<HWND> out;
    for (const std::shared_ptr<Window>& w : table().All())
        out.push_back(w->handle);
    return out;
}

std::shared_ptr<ThreadQueue> CurrentQueue() {
    thread_local std::shared_ptr<ThreadQueue> mine;
    if (!mine) {
        mine = std::make_shared<ThreadQueue>();
        mine->thread = GetCurrentThreadId();
        QueueRegistry& r = registry();
        std::lock_guard lock(r.mutex);
        r.byThread[mine->thread] = mine;
    }
    return mine;
}

std::shared_ptr<ThreadQueue> QueueOfThread(DWORD thread) {
    QueueRegistry& r = registry();
    std::lock_guard lock(r.mutex);
    auto it = r.byThread.find(thread);
    if (it == r.byThread.end()) return nullptr;
    auto q = it->second.lock();
    if (!q) r.byThread.erase(it);
    return q;
}

bool IsDisplayThread() {
    QueueRegistry& r = registry();
    std::lock_guard lock(r.mutex);
    return r.displayThread == 0 || r.displayThread == GetCurrentThreadId();
}

void ClaimDisplayThread() {
    QueueRegistry& r = registry();
    std::lock_guard lock(r.mutex);
    if (r.displayThread == 0) r.displayThread = GetCurrentThreadId();
}

void ResetDisplayThread() {
    QueueRegistry& r = registry();
    std::lock_guard lock(r.mutex);
    r.displayThread = 0;
}

void WakeQueue(ThreadQueue& queue) {
    {
        std::lock_guard lock(queue.mutex);
        queue.woken = true;
    }
    queue.cv.notify_all();
    bool display;
    {
        QueueRegistry& r = registry();
        std::lock_guard lock(r.mutex);
        display = r.displayThread == 0 || r.displayThread == queue.thread;
    }
    if (display) CurrentDisplayBackend().Wake();
}

void Enqueue(const std::shared_ptr<ThreadQueue>& queue, QueueItem item) {
    {
        std::lock_guard lock(queue->mutex);
        queue->items.push_back(std::move(item));
    }
    WakeQueue(*queue);
}

InputState& Input() {
    static InputState state;
    return state;
}

LONG Width(const RECT& r) {
    return r.right - r.left;
}
LONG Height(const RECT& r) {
    return r.bottom - r.top;
}

WindowRef TopLevelOf(WindowRef w) {
    while (w && w->IsChild())
        w = Find(w->parent);
    return w;
}

// The walks up the parent chain below hold each parent while they read it; cur is w or the
// parent held.

POINT SurfaceOrigin(const Window& w) {
    POINT p{0, 0};
    WindowRef held;
    const Window* cur = &w;
    while (cur->IsChild()) {
        WindowRef parent = Find(cur->parent);
        if (!parent) break;
        p.x += cur->rect.left + parent->client.left;
        p.y += cur->rect.top + parent->client.top;
        held = std::move(parent);
        cur = &*held;
    }
    return p;
}

POINT ScreenOrigin(const Window& w) {
    POINT p = SurfaceOrigin(w);
    WindowRef held;
    const Window* cur = &w;
    while (cur->IsChild()) {
        WindowRef parent = Find(cur->parent);
        if (!parent) break;
        held = std::move(parent);
        cur = &*held;
    }
    if (!cur->IsChild()) {
        p.x += cur->rect.left;
        p.y += cur->rect.top;
    }
    return p;
}

bool IsVisibleChain(const Window& w) {
    WindowRef held;
    const Window* cur = &w;
    for (;;) {
        if (!(cur->style & WS_VISIBLE)) return false;
        if (!cur->IsChild()) return cur->state != ShowState::Minimized;
        held = Find(cur->parent);
        if (!held) return false;
        cur = &*held;
    }
}

bool IsEnabledChain(const Window& w) {
    WindowRef held;
    const Window* cur = &w;
    for (;;) {
        if (cur->style & WS_DISABLED) return false;
        if (!cur->IsChild()) return true;
        held = Find(cur->parent);
        if (!held) return false;
        cur = &*held;
    }
}

bool IsPopupMenu(const Window& w) {
    return !w.IsChild() && (w.style & WS_POPUP) && (w.style & WS_CAPTION) != WS_CAPTION &&
           (w.exStyle & WS_EX_TOOLWINDOW) && (w.exStyle & WS_EX_TOPMOST);
}

bool IsNativelyFramed(const Window& w) {
    return !w.IsChild() && (w.style & WS_CAPTION) == WS_CAPTION;
}

int CaptionHeight(const Window& w) {
    // The desktop draws the caption of a top-level window; a child's is ours.
    if (!w.IsChild() || (w.style & WS_CAPTION) != WS_CAPTION) return 0;
    return GetSystemMetrics((w.exStyle & WS_EX_TOOLWINDOW) ? SM_CYSMCAPTION : SM_CYCAPTION);
}

RECT FrameInsets(const Window& w) {
    if (IsNativelyFramed(w)) return RECT{};
    int frame = 0;
    if (w.style & WS_THICKFRAME)
        frame = GetSystemMetrics(SM_CXFRAME);
    else if ((w.style & WS_DLGFRAME) || (w.exStyle & WS_EX_DLGMODALFRAME))
        frame = GetSystemMetrics(SM_CXDLGFRAME);
    else if (w.style & WS_BORDER)
        frame = GetSystemMetrics(SM_CXBORDER);
    if (w.exStyle & WS_EX_CLIENTEDGE) frame += GetSystemMetrics(SM_CXEDGE);
    if (w.exStyle & WS_EX_STATICEDGE) frame += GetSystemMetrics(SM_CXBORDER);
    return RECT{frame, frame + CaptionHeight(w), frame, frame};
}

NativeWindowDesc DescOf(const Window& w) {
    NativeWindowDesc s;
    s.hwnd = w.handle;
    s.owner = w.owner;
    s.bounds = w.rect;
    s.framed = IsNativelyFramed(w);
    s.sizeable = (w.style & WS_THICKFRAME) != 0;
    s.popup = IsPopupMenu(w);
    s.toolWindow = (w.exStyle & WS_EX_TOOLWINDOW) != 0;
    s.topmost = (w.exStyle & WS_EX_TOPMOST) != 0;
    if (WindowRef owner = w.owner ? Find(w.owner) : nullptr)
        s.modal = (owner->style & WS_DISABLED) && !(w.style & WS_DISABLED);
    s.minimizeBox = (w.style & WS_MINIMIZEBOX) && (w.style & WS_SYSMENU);
    s.maximizeBox = (w.style & WS_MAXIMIZEBOX) && (w.style & WS_SYSMENU);
    s.title = w.text;
    return s;
}

} // namespace user::detail
