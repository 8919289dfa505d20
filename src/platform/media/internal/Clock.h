#pragma once
// A playback clock as a small value: the media time it showed when last set, the moment of
// that, the speed and whether it stands still.
#include "platform/kernel/Clock.h"

namespace media::detail {

// The moment on the kernel's clock, so playback runs on a fake clock in tests: the pictures
// and the silent audio move on only as far as the test moves the time. Waits for a change
// stay short real-time waits that read this again.
inline double NowSeconds() {
    return static_cast<double>(kernel::CurrentClock().Now()) / 1000.0;
}

class Clock {
public:
    double Get(double now) const { return paused_ ? pts_ : pts_ + (now - updated_) * speed_; }
    void Set(double pts, double now) {
        pts_ = pts;
        updated_ = now;
    }
    void SetPaused(bool paused, double now) {
        pts_ = Get(now);
        updated_ = now;
        paused_ = paused;
    }
    void SetSpeed(double speed, double now) {
        pts_ = Get(now);
        updated_ = now;
        speed_ = speed;
    }
    bool Paused() const { return paused_; }

private:
    double pts_ = 0;
    double updated_ = 0;
    double speed_ = 1;
    bool paused_ = true;
};

} // namespace media::detail
