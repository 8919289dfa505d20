#pragma once
// Rounding and integer arithmetic as the program's code expects them.
#include "rtl/Exception.h"
#include "rtl/Types.h"

// Nearest integer, halves to the even neighbour (2.5 -> 2, 3.5 -> 4, -2.5 -> -2). NaN,
// infinities and values beyond 64 bits raise EInvalidOp.
Int64 Round(double value);
// Toward zero; the same failures as Round.
Int64 Trunc(double value);
double Frac(double value);

// Division and remainder truncating toward zero (-7 div 2 = -3, -7 mod 2 = -1). A zero
// divisor raises EDivByZero; the one quotient that does not fit raises EIntOverflow.
Int64 Div(Int64 a, Int64 b);
Int64 Mod(Int64 a, Int64 b);

// a * b / c with a 64-bit product, rounded half away from zero; -1 when c is 0 or the
// result does not fit in 32 bits.
int MulDiv(int a, int b, int c);

template <class T> constexpr T Min(T a, T b) {
    return b < a ? b : a;
}
template <class T> constexpr T Max(T a, T b) {
    return a < b ? b : a;
}
