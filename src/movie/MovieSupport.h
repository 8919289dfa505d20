#pragma once
// Small helpers the movie component's files share.
#include "platform/kernel/Time.h"
#include "platform/media/MediaPlayer.h"
#include "rtl/Arithmetic.h"

#include <chrono>
#include <cmath>
#include <utility>

namespace movie_detail {

// Runs a clean-up when the scope is left, also by an exception.
template <class F> class Finally {
public:
    explicit Finally(F f) : f_(std::move(f)) {}
    ~Finally() { f_(); }
    Finally(const Finally&) = delete;
    Finally& operator=(const Finally&) = delete;

private:
    F f_;
};

// Values derived from the video are rounded to the nearest integer, halves to even; a value
// that is no number (a length of 0 divided by 0) counts as 0.
inline Int64 RoundEven(double v) {
    return std::isfinite(v) ? Round(v) : 0;
}

// A side scaled by a percentage, as captures and delivered frames are sized.
inline int ScaledSide(int side, int percent) {
    return static_cast<int>(RoundEven(static_cast<double>(side) * percent / 100.0));
}

// One step of a bounded wait for the player's threads, which do the work waited for: give
// them a moment (the player wakes us early when it has news), then let the clock move on.
inline void PaceWait(media::MediaPlayer& player) {
    player.WaitForEvents(std::chrono::milliseconds(1));
    Sleep(1);
}

} // namespace movie_detail
