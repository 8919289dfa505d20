#pragma once
// A playback clock as a small value: the media time it showed when last set, the moment of
// that, the speed and whether it stands still.
#include <chrono>

namespace media::detail {

inline double NowSeconds() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
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

}  // namespace media::detail
