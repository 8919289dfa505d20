#pragma once
// TTimer: OnTimer every Interval milliseconds on the user-interface thread while Enabled.
// A timer may be changed or freed from inside its own OnTimer.
#include "platform/WinTypes.h"
#include "rtl/Component.h"

class TTimer : public TComponent {
    KORVID_CLASS(TTimer, TComponent)

    void Create(TComponent* AOwner) override;
    void Destroy() override;

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool v);
    Cardinal Interval() const { return interval_; }
    void SetInterval(Cardinal v);
    TNotifyEvent OnTimer() const { return onTimer_; }
    void SetOnTimer(TNotifyEvent v);

protected:
    virtual void Timer();

private:
    void UpdateTimer();
    static void TimerProc(HWND hwnd, UINT msg, UINT_PTR id, DWORD time);

    bool enabled_ = true;
    Cardinal interval_ = 1000;
    TNotifyEvent onTimer_;
    UINT_PTR id_ = 0;
};
