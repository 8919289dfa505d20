#include "rtl/Arithmetic.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

TEST(Arithmetic, RoundTakesHalvesToEven) {
    struct Case {
        double value;
        Int64 rounded;
    } cases[] = {
        {0.5, 0},
        {1.5, 2},
        {2.5, 2},
        {3.5, 4},
        {-0.5, 0},
        {-1.5, -2},
        {-2.5, -2},
        {2.4999999, 2},
        {2.5000001, 3},
        {-2.7, -3},
        {1e15 + 0.5, 1000000000000000LL},
        {0, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Round(c.value), c.rounded) << c.value;
}

TEST(Arithmetic, TruncGoesTowardZero) {
    EXPECT_EQ(Trunc(2.7), 2);
    EXPECT_EQ(Trunc(-2.7), -2);
    EXPECT_EQ(Trunc(12.75), 12);
    EXPECT_DOUBLE_EQ(Frac(-2.75), -0.75);
}

TEST(Arithmetic, RoundAndTruncRefuseWhatHasNoInteger) {
    for (double bad : {std::nan(""), std::numeric_limits<double>::infinity(), 1e19, -1e19,
                       9223372036854775808.0}) {
        EXPECT_THROW(Round(bad), EInvalidOp) << bad;
        EXPECT_THROW(Trunc(bad), EInvalidOp) << bad;
    }
    EXPECT_EQ(Trunc(-9223372036854775808.0), std::numeric_limits<Int64>::min());
}

TEST(Arithmetic, DivAndModTruncate) {
    struct Case {
        Int64 a, b, quotient, remainder;
    } cases[] = {
        {7, 2, 3, 1}, {-7, 2, -3, -1}, {7, -2, -3, 1}, {-7, -2, 3, -1}, {100, 12, 8, 4},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Div(c.a, c.b), c.quotient) << c.a << "/" << c.b;
        EXPECT_EQ(Mod(c.a, c.b), c.remainder) << c.a << "%" << c.b;
    }
    EXPECT_THROW(Div(1, 0), EDivByZero);
    EXPECT_THROW(Mod(1, 0), EDivByZero);
    EXPECT_THROW(Div(std::numeric_limits<Int64>::min(), -1), EIntOverflow);
    EXPECT_EQ(Mod(std::numeric_limits<Int64>::min(), -1), 0);
}

TEST(Arithmetic, MulDivRoundsHalfAwayAndFailsWithMinusOne) {
    constexpr int kMax = std::numeric_limits<int>::max();
    constexpr int kMin = std::numeric_limits<int>::min();
    struct Case {
        int a, b, c, result;
    } cases[] = {
        {10, 3, 4, 8},   // 7.5
        {-10, 3, 4, -8}, // -7.5
        {10, -3, 4, -8},
        {5, 2, -4, -3},    // -2.5
        {32, 100, 97, 33}, // 32.99
        {7, 1, 2, 4},
        {6, 1, 4, 2},             // 1.5
        {kMax, kMax, kMax, kMax}, // the product needs 62 bits
        {kMax, 2, 2, kMax},
        {1, 1, 0, -1},
        {kMax, kMax, 1, -1},
        {kMin, 1, -1, -1},
        {0, 5, 3, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MulDiv(c.a, c.b, c.c), c.result) << c.a << "*" << c.b << "/" << c.c;
}
