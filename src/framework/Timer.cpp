#include "framework/Timer.h"

#include "framework/WinControl.h"
#include "platform/user/Timer.h"
#include "rtl/AssignIfChanged.h"

#include <unordered_map>

namespace {
// Timers by platform id; a tick looks its timer up, so one freed meanwhile is never reached.
std::unordered_map<UINT_PTR, TTimer*>& Timers() {
    static std::unordered_map<UINT_PTR, TTimer*> map;
    return map;
}
} // namespace

void TTimer::Create(TComponent* AOwner) {
    inherited::Create(AOwner);
}

void TTimer::Destroy() {
    enabled_ = false;
    UpdateTimer();
    inherited::Destroy();
}

void TTimer::SetEnabled(bool v) {
    if (AssignIfChanged(enabled_, v)) UpdateTimer();
}

void TTimer::SetInterval(Cardinal v) {
    if (AssignIfChanged(interval_, v)) UpdateTimer();
}

void TTimer::SetOnTimer(TNotifyEvent v) {
    onTimer_ = std::move(v);
    UpdateTimer();
}

void TTimer::UpdateTimer() {
    if (id_) {
        KillTimer(0, id_);
        Timers().erase(id_);
        id_ = 0;
    }
    if (!enabled_ || interval_ == 0 || !onTimer_ || ComponentState().Contains(csDestroying)) return;
    id_ = SetTimer(0, 0, interval_, &TTimer::TimerProc);
    if (!id_) throw EOutOfResources("Not enough timers available");
    Timers()[id_] = this;
}

void TTimer::Timer() {
    if (enabled_ && onTimer_) {
        TNotifyEvent handler = onTimer_; // the handler may replace itself or free the timer
        handler(this);
    }
}

void TTimer::TimerProc(HWND, UINT, UINT_PTR id, DWORD) {
    auto it = Timers().find(id);
    if (it == Timers().end()) return;
    TTimer* timer = it->second;
    try {
        timer->Timer();
    } catch (...) {
        // Called from the message queue: an exception must not leave into it.
        HandleControlException(nullptr);
    }
}
