// The thread queues: sent and posted messages, routed input, WM_QUIT, WM_PAINT and WM_TIMER.
#include "platform/user/MessageQueue.h"

#include "platform/ScopeGuard.h"
#include "platform/Utf8.h"
#include "platform/kernel/Clock.h"
#include "platform/kernel/Time.h"
#include "platform/user/Input.h"
#include "platform/user/WindowState.h"

#include <chrono>
#include <map>
#include <strings.h>

namespace user::detail {
namespace {

bool inRange(UINT msg, UINT first, UINT last) {
    if (first == 0 && last == 0) return true;
    return msg >= first && msg <= last;
}

bool matchesWindow(HWND msgHwnd, HWND filter) {
    if (!filter) return true;
    return msgHwnd == filter || IsChild(filter, msgHwnd);
}

// Runs the calls other threads sent to this one, in the order they came.
void runSentCalls(ThreadQueue& q) {
    for (;;) {
        std::shared_ptr<SentCall> call;
        {
            std::lock_guard lock(q.mutex);
            if (q.sent.empty()) return;
            call = q.sent.front();
            q.sent.pop_front();
        }
        LRESULT result = 0;
        // The sender must never wait forever, not even on a call that failed.
        ScopeGuard answer([&] {
            std::lock_guard lock(call->mutex);
            call->result = result;
            call->done = true;
            call->cv.notify_all();
        });
        WindowRef w = Find(call->hwnd);
        if (w && w->thread == q.thread) {
            ++q.inSend;
            ScopeGuard leave([&q] { --q.inSend; });
            result = CallProc(call->hwnd, call->msg, call->wParam, call->lParam);
        }
    }
}

DWORD now32() {
    return static_cast<DWORD>(kernel::CurrentClock().Now());
}

POINT cursorNow() {
    return Input().cursor;
}

// Turns the first unrouted input item into the messages it makes, in place. Routing may send
// messages (hit testing, cursor shapes), so it runs without the queue lock.
void routeFront(ThreadQueue& q, size_t index) {
    QueueItem item;
    {
        std::lock_guard lock(q.mutex);
        if (index >= q.items.size() || !q.items[index].isInput) return;
        item = std::move(q.items[index]);
        q.items.erase(q.items.begin() + static_cast<long>(index));
    }
    std::vector<MSG> out;
    RouteInput(item.input, out);
    std::lock_guard lock(q.mutex);
    size_t at = std::min(index, q.items.size());
    for (const MSG& m : out) {
        QueueItem routed;
        routed.routed = true;
        routed.msg = m;
        if (m.message == WM_KEYDOWN || m.message == WM_SYSKEYDOWN) routed.text = item.input.text;
        q.items.insert(q.items.begin() + static_cast<long>(at++), std::move(routed));
    }
}

// Key and button state follow the input messages as the thread takes them.
void noteTaken(ThreadQueue& q, const QueueItem& item) {
    const MSG& m = item.msg;
    if (!item.routed) return;
    InputState& in = Input();
    if (m.message == WM_KEYDOWN || m.message == WM_SYSKEYDOWN || m.message == WM_KEYUP ||
        m.message == WM_SYSKEYUP) {
        NoteKeyMessage(q, m, item.text);
        return;
    }
    if ((m.message >= WM_MOUSEFIRST && m.message <= WM_MOUSELAST) ||
        (m.message >= WM_NCMOUSEMOVE && m.message <= WM_NCMBUTTONDBLCLK)) {
        // The button state rides in the input event's MK_ flags; client messages carry it.
        WPARAM keys = (m.message >= WM_MOUSEFIRST) ? m.wParam : 0;
        if (m.message >= WM_MOUSEFIRST) {
            auto set = [&](int vk, WPARAM flag) {
                in.keys[vk] = static_cast<BYTE>((in.keys[vk] & 0x01) | ((keys & flag) ? 0x80 : 0));
            };
            set(VK_LBUTTON, MK_LBUTTON);
            set(VK_RBUTTON, MK_RBUTTON);
            set(VK_MBUTTON, MK_MBUTTON);
        }
    }
}

// Looks for a message; fills msg and returns true when there is one.
bool peek(ThreadQueue& q, MSG* msg, HWND filter, UINT first, UINT last, bool remove) {
    runSentCalls(q);
    if (IsDisplayThread()) CurrentDisplayBackend().Pump();
    runSentCalls(q);

    for (size_t i = 0;;) {
        QueueItem found;
        bool have = false;
        bool needRoute = false;
        {
            std::lock_guard lock(q.mutex);
            for (; i < q.items.size(); ++i) {
                QueueItem& it = q.items[i];
                if (it.isInput) {
                    needRoute = true;
                    break;
                }
                if (!inRange(it.msg.message, first, last)) continue;
                if (filter && !matchesWindow(it.msg.hwnd, filter)) continue;
                have = true;
                if (remove) {
                    found = std::move(it);
                    q.items.erase(q.items.begin() + static_cast<long>(i));
                } else {
                    found = it;
                }
                break;
            }
        }
        if (needRoute) {
            routeFront(q, i);
            continue;
        }
        if (have) {
            *msg = found.msg;
            q.last = found.msg;
            if (remove) noteTaken(q, found);
            return true;
        }
        break;
    }

    {
        std::lock_guard lock(q.mutex);
        if (q.quit && inRange(WM_QUIT, first, last)) {
            MSG m;
            m.message = WM_QUIT;
            m.wParam = static_cast<WPARAM>(q.quitCode);
            m.time = now32();
            m.pt = cursorNow();
            if (remove) q.quit = false;
            *msg = m;
            q.last = m;
            return true;
        }
    }
    if (inRange(WM_PAINT, first, last)) {
        if (HWND h = FindPaintWindow(q, filter)) {
            MSG m;
            m.hwnd = h;
            m.message = WM_PAINT;
            m.time = now32();
            m.pt = cursorNow();
            *msg = m;
            q.last = m;
            return true;
        }
    }
    if (inRange(WM_TIMER, first, last)) {
        MSG m;
        if (TakeDueTimer(q, filter, remove, m)) {
            m.time = now32();
            m.pt = cursorNow();
            *msg = m;
            q.last = m;
            return true;
        }
    }
    return false;
}

bool hasWork(ThreadQueue& q) {
    std::lock_guard lock(q.mutex);
    return q.woken || !q.items.empty() || !q.sent.empty() || q.quit;
}

// Blocks until something may be in the queue.
void waitForWork(ThreadQueue& q) {
    PresentAll(q);
    kernel::Milliseconds deadline = NextTimerDue(q);
    if (IsDisplayThread()) {
        if (!hasWork(q)) CurrentDisplayBackend().Wait(deadline);
    } else {
        std::unique_lock lock(q.mutex);
        kernel::CurrentClock().WaitUntil(lock, q.cv, deadline, [&] {
            return q.woken || !q.items.empty() || !q.sent.empty() || q.quit;
        });
    }
    std::lock_guard lock(q.mutex);
    q.woken = false;
}

std::vector<HWND> threadTopLevels() {
    std::vector<HWND> out;
    DWORD me = GetCurrentThreadId();
    for (HWND h : TopLevels())
        if (WindowRef w = Find(h); w && w->thread == me) out.push_back(h);
    return out;
}

} // namespace
} // namespace user::detail

using namespace user;
using namespace user::detail;

LRESULT SendMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (hwnd == HWND_BROADCAST) {
        for (HWND h : threadTopLevels())
            SendMessage(h, msg, wParam, lParam);
        return 0;
    }
    std::shared_ptr<ThreadQueue> target = QueueOf(hwnd);
    if (!target) return 0;
    std::shared_ptr<ThreadQueue> mine = CurrentQueue();
    if (target == mine) return CallProc(hwnd, msg, wParam, lParam);
    auto call = std::make_shared<SentCall>();
    call->hwnd = hwnd;
    call->msg = msg;
    call->wParam = wParam;
    call->lParam = lParam;
    {
        std::lock_guard lock(target->mutex);
        target->sent.push_back(call);
    }
    WakeQueue(*target);
    // While waiting, calls sent to this thread still run, so two threads sending to each
    // other do not lock up.
    for (;;) {
        {
            std::unique_lock lock(call->mutex);
            if (call->cv.wait_for(lock, std::chrono::milliseconds(5), [&] { return call->done; }))
                return call->result;
        }
        runSentCalls(*mine);
        if (!IsWindow(hwnd)) {
            std::lock_guard lock(call->mutex);
            if (!call->done) return 0;
            return call->result;
        }
    }
}

LRESULT SendMessageA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return SendMessage(hwnd, msg, wParam, lParam);
}

BOOL PostMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (hwnd == HWND_BROADCAST) {
        for (HWND h : threadTopLevels())
            PostMessage(h, msg, wParam, lParam);
        return TRUE;
    }
    std::shared_ptr<ThreadQueue> q = hwnd ? QueueOf(hwnd) : CurrentQueue();
    if (!q) return FALSE;
    QueueItem item;
    item.msg.hwnd = hwnd;
    item.msg.message = msg;
    item.msg.wParam = wParam;
    item.msg.lParam = lParam;
    item.msg.time = now32();
    item.msg.pt = cursorNow();
    Enqueue(q, std::move(item));
    return TRUE;
}

BOOL PostMessageA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return PostMessage(hwnd, msg, wParam, lParam);
}

BOOL PostThreadMessage(DWORD threadId, UINT msg, WPARAM wParam, LPARAM lParam) {
    std::shared_ptr<ThreadQueue> q = QueueOfThread(threadId);
    if (!q) return FALSE;
    QueueItem item;
    item.msg.message = msg;
    item.msg.wParam = wParam;
    item.msg.lParam = lParam;
    item.msg.time = now32();
    item.msg.pt = cursorNow();
    Enqueue(q, std::move(item));
    return TRUE;
}

BOOL PeekMessage(MSG* msg, HWND hwnd, UINT first, UINT last, UINT remove) {
    if (!msg) return FALSE;
    if (hwnd && !IsWindow(hwnd)) return FALSE;
    std::shared_ptr<ThreadQueue> q = CurrentQueue();
    if (peek(*q, msg, hwnd, first, last, (remove & PM_REMOVE) != 0)) return TRUE;
    PresentAll(*q);
    return FALSE;
}

BOOL PeekMessageA(MSG* msg, HWND hwnd, UINT first, UINT last, UINT remove) {
    return PeekMessage(msg, hwnd, first, last, remove);
}

BOOL GetMessage(MSG* msg, HWND hwnd, UINT first, UINT last) {
    if (!msg) return -1;
    std::shared_ptr<ThreadQueue> q = CurrentQueue();
    for (;;) {
        if (hwnd && !IsWindow(hwnd)) return -1;
        if (peek(*q, msg, hwnd, first, last, true)) return msg->message == WM_QUIT ? FALSE : TRUE;
        waitForWork(*q);
    }
}

BOOL GetMessageA(MSG* msg, HWND hwnd, UINT first, UINT last) {
    return GetMessage(msg, hwnd, first, last);
}

BOOL WaitMessage() {
    std::shared_ptr<ThreadQueue> q = CurrentQueue();
    for (;;) {
        MSG m;
        if (peek(*q, &m, 0, 0, 0, false)) return TRUE;
        waitForWork(*q);
    }
}

namespace user::detail {

void PostCharsFront(ThreadQueue& q, HWND hwnd, UINT msg, const std::string& text, DWORD time,
                    POINT pt) {
    const std::u32string cps = utf8::Decode(text);
    std::lock_guard lock(q.mutex);
    auto at = q.items.begin();
    for (unsigned cp : cps) {
        QueueItem item;
        item.msg.hwnd = hwnd;
        item.msg.message = msg;
        item.msg.wParam = cp;
        item.msg.lParam = 1;
        item.msg.time = time;
        item.msg.pt = pt;
        at = q.items.insert(at, std::move(item)) + 1;
    }
}

} // namespace user::detail

BOOL TranslateMessage(const MSG* msg) {
    if (!msg || (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN)) return FALSE;
    std::shared_ptr<ThreadQueue> q = CurrentQueue();
    const MSG& k = q->keyMsg;
    if (k.message != msg->message || k.hwnd != msg->hwnd || k.wParam != msg->wParam ||
        k.lParam != msg->lParam || k.time != msg->time || q->keyText.empty())
        return FALSE;
    std::string text = std::move(q->keyText);
    q->keyText.clear();
    // The characters come next, ahead of what the queue holds already (the key-up).
    PostCharsFront(*q, msg->hwnd, msg->message == WM_SYSKEYDOWN ? WM_SYSCHAR : WM_CHAR, text,
                   msg->time, msg->pt);
    return TRUE;
}

LRESULT DispatchMessage(const MSG* msg) {
    if (!msg) return 0;
    if (msg->message == WM_TIMER && msg->lParam) {
        auto proc = reinterpret_cast<TIMERPROC>(msg->lParam);
        proc(msg->hwnd, WM_TIMER, msg->wParam, static_cast<DWORD>(kernel::CurrentClock().Now()));
        return 0;
    }
    if (!msg->hwnd) return 0;
    WindowRef w = Find(msg->hwnd);
    if (!w || w->thread != GetCurrentThreadId()) return 0;
    if (msg->message == WM_PAINT) {
        DispatchPaint(msg->hwnd);
        return 0;
    }
    return CallProc(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

LRESULT DispatchMessageA(const MSG* msg) {
    return DispatchMessage(msg);
}

void PostQuitMessage(int exitCode) {
    std::shared_ptr<ThreadQueue> q = CurrentQueue();
    {
        std::lock_guard lock(q->mutex);
        q->quit = true;
        q->quitCode = exitCode;
    }
    WakeQueue(*q);
}

LONG GetMessageTime() {
    return static_cast<LONG>(CurrentQueue()->last.time);
}

DWORD GetMessagePos() {
    const POINT& p = CurrentQueue()->last.pt;
    return static_cast<DWORD>(MAKELPARAM(static_cast<WORD>(p.x), static_cast<WORD>(p.y)));
}

DWORD GetQueueStatus(UINT flags) {
    std::shared_ptr<ThreadQueue> q = CurrentQueue();
    UINT status = 0;
    {
        std::lock_guard lock(q->mutex);
        for (const QueueItem& it : q->items) {
            if (it.isInput) {
                status |= (it.input.kind == InputEvent::Kind::Key ||
                           it.input.kind == InputEvent::Kind::Text)
                              ? QS_KEY
                          : it.input.kind == InputEvent::Kind::Button ? QS_MOUSEBUTTON
                                                                      : QS_MOUSEMOVE;
            } else if (it.routed) {
                UINT m = it.msg.message;
                status |= (m >= WM_KEYFIRST && m <= WM_KEYLAST)        ? QS_KEY
                          : (m == WM_MOUSEMOVE || m == WM_NCMOUSEMOVE) ? QS_MOUSEMOVE
                                                                       : QS_MOUSEBUTTON;
            } else {
                status |= QS_POSTMESSAGE;
            }
        }
        if (!q->sent.empty()) status |= QS_SENDMESSAGE;
        if (q->quit) status |= QS_POSTMESSAGE;
    }
    if (FindPaintWindow(*q, 0)) status |= QS_PAINT;
    if (NextTimerDue(*q) <= kernel::CurrentClock().Now()) status |= QS_TIMER;
    status &= flags;
    return (status << 16) | status;
}

BOOL InSendMessage() {
    return CurrentQueue()->inSend > 0 ? TRUE : FALSE;
}

UINT RegisterWindowMessage(LPCSTR name) {
    if (!name || !*name) return 0;
    struct NoCase {
        bool operator()(const std::string& a, const std::string& b) const {
            return strcasecmp(a.c_str(), b.c_str()) < 0;
        }
    };
    static std::mutex mutex;
    static std::map<std::string, UINT, NoCase> names;
    std::lock_guard lock(mutex);
    auto it = names.find(name);
    if (it != names.end()) return it->second;
    if (names.size() >= 0x3FFF) return 0;
    UINT id = 0xC000 + static_cast<UINT>(names.size());
    names.emplace(name, id);
    return id;
}
