#pragma once
// Small helpers the movie component's files share.
#include "rtl/Arithmetic.h"

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

} // namespace movie_detail
