#include "rtl/Arithmetic.h"

#include <cmath>
#include <limits>

namespace {

// Doubles at or beyond 2^63 (or below -2^63) have no Int64.
constexpr double kTwo63 = 9223372036854775808.0;

Int64 ToInt64(double whole) {
    if (!std::isfinite(whole) || whole >= kTwo63 || whole < -kTwo63)
        throw EInvalidOp("Invalid floating point operation");
    return static_cast<Int64>(whole);
}

} // namespace

Int64 Round(double value) {
    if (!std::isfinite(value)) throw EInvalidOp("Invalid floating point operation");
    double floor = std::floor(value);
    double diff = value - floor;
    double result = floor;
    if (diff > 0.5 || (diff == 0.5 && std::fmod(floor, 2.0) != 0)) result = floor + 1;
    return ToInt64(result);
}

Int64 Trunc(double value) {
    return ToInt64(std::trunc(value));
}

double Frac(double value) {
    return value - std::trunc(value);
}

Int64 Div(Int64 a, Int64 b) {
    if (b == 0) throw EDivByZero("Division by zero");
    if (a == std::numeric_limits<Int64>::min() && b == -1) throw EIntOverflow("Integer overflow");
    return a / b;
}

Int64 Mod(Int64 a, Int64 b) {
    if (b == 0) throw EDivByZero("Division by zero");
    if (b == -1) return 0;
    return a % b;
}

int MulDiv(int a, int b, int c) {
    if (c == 0) return -1;
    Int64 product = static_cast<Int64>(a) * b;
    bool negative = (product < 0) != (c < 0);
    // |a * b| < 2^62 and |c| <= 2^31, so none of this overflows.
    std::uint64_t p =
        product < 0 ? static_cast<std::uint64_t>(-product) : static_cast<std::uint64_t>(product);
    std::uint64_t d =
        c < 0 ? static_cast<std::uint64_t>(-static_cast<Int64>(c)) : static_cast<std::uint64_t>(c);
    std::uint64_t q = (p + d / 2) / d;
    Int64 result = negative ? -static_cast<Int64>(q) : static_cast<Int64>(q);
    if (result > std::numeric_limits<int>::max() || result < std::numeric_limits<int>::min())
        return -1;
    return static_cast<int>(result);
}
