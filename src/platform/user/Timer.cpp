// Window timers on the kernel clock.
#include "platform/user/Timer.h"

#include "platform/kernel/Clock.h"
#include "platform/kernel/Time.h"
#include "platform/user/WindowState.h"

#include <algorithm>

namespace user::detail {

void KillWindowTimers(ThreadQueue& queue, HWND hwnd) {
    auto& t = queue.timers;
    t.erase(std::remove_if(t.begin(), t.end(), [&](const Timer& x) { return x.hwnd == hwnd; }),
            t.end());
}

bool TakeDueTimer(ThreadQueue& queue, HWND filter, bool remove, MSG& out) {
    kernel::Milliseconds now = kernel::CurrentClock().Now();
    Timer* best = nullptr;
    for (Timer& t : queue.timers) {
        if (t.due > now) continue;
        if (filter && t.hwnd != filter && !IsChild(filter, t.hwnd)) continue;
        if (!best || t.due < best->due) best = &t;
    }
    if (!best) return false;
    out = MSG{};
    out.hwnd = best->hwnd;
    out.message = WM_TIMER;
    out.wParam = best->id;
    out.lParam = reinterpret_cast<LPARAM>(best->proc);
    // Ticks missed while the thread was busy come as this one.
    if (remove) best->due = now + best->interval;
    return true;
}

std::uint64_t NextTimerDue(ThreadQueue& queue) {
    kernel::Milliseconds next = kernel::kForever;
    for (const Timer& t : queue.timers)
        next = std::min<kernel::Milliseconds>(next, t.due);
    return next;
}

} // namespace user::detail

using namespace user::detail;

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc) {
    if (hwnd) {
        WindowRef w = Find(hwnd);
        if (!w || w->thread != GetCurrentThreadId()) return 0;
    }
    std::shared_ptr<ThreadQueue> q = CurrentQueue();
    auto& timers = q->timers;
    if (!hwnd) {
        // A fresh id that no timer of the thread without a window uses.
        auto taken = [&](UINT_PTR candidate) {
            return std::any_of(timers.begin(), timers.end(),
                               [&](const Timer& t) { return t.hwnd == 0 && t.id == candidate; });
        };
        do {
            id = q->nextTimerId++;
            if (q->nextTimerId == 0) q->nextTimerId = 1;
        } while (id == 0 || taken(id));
    }
    kernel::Milliseconds due =
        elapse == 0 ? kernel::kForever : kernel::CurrentClock().Now() + elapse;
    for (Timer& t : timers) {
        if (t.hwnd == hwnd && t.id == id) {
            t.interval = elapse;
            t.proc = proc;
            t.due = due;
            return hwnd ? (id ? id : 1) : id;
        }
    }
    Timer t;
    t.hwnd = hwnd;
    t.id = id;
    t.interval = elapse;
    t.proc = proc;
    t.due = due;
    timers.push_back(t);
    return hwnd ? (id ? id : 1) : id;
}

BOOL KillTimer(HWND hwnd, UINT_PTR id) {
    std::shared_ptr<ThreadQueue> q = CurrentQueue();
    auto& timers = q->timers;
    auto it = std::find_if(timers.begin(), timers.end(),
                           [&](const Timer& t) { return t.hwnd == hwnd && t.id == id; });
    if (it == timers.end()) return FALSE;
    timers.erase(it);
    return TRUE;
}
