#include "rtl/DateTime.h"

#include "rtl/Exception.h"

#include <gtest/gtest.h>

#include <vector>

TEST(DateTime, EncodeAndDecodeRoundTrip) {
    EXPECT_EQ(EncodeDate(1899, 12, 30), 0.0);
    EXPECT_EQ(EncodeDate(1900, 1, 1), 2.0);
    EXPECT_EQ(EncodeDate(2000, 1, 1), 36526.0);
    struct Case {
        int y, mo, d, h, mi, s, ms;
    } cases[] = {
        {2024, 1, 31, 23, 59, 59, 42}, {2024, 2, 29, 0, 0, 0, 0},       {1899, 12, 29, 6, 0, 0, 0},
        {1, 1, 1, 12, 30, 15, 999},    {9999, 12, 31, 23, 59, 59, 999},
    };
    for (const Case& c : cases) {
        TDateTime t = EncodeDate(c.y, c.mo, c.d);
        t += t < 0 ? -EncodeTime(c.h, c.mi, c.s, c.ms) : EncodeTime(c.h, c.mi, c.s, c.ms);
        int y, mo, d, h, mi, s, ms;
        DecodeDate(t, y, mo, d);
        DecodeTime(t, h, mi, s, ms);
        EXPECT_EQ((std::vector<int>{y, mo, d, h, mi, s, ms}),
                  (std::vector<int>{c.y, c.mo, c.d, c.h, c.mi, c.s, c.ms}));
    }
}

TEST(DateTime, InvalidPartsRaiseConvertError) {
    EXPECT_THROW(EncodeDate(2023, 2, 29), EConvertError);
    EXPECT_THROW(EncodeDate(2024, 13, 1), EConvertError);
    EXPECT_THROW(EncodeDate(2024, 4, 31), EConvertError);
    EXPECT_THROW(EncodeDate(0, 1, 1), EConvertError);
    EXPECT_THROW(EncodeTime(24, 0, 0, 0), EConvertError);
    EXPECT_THROW(EncodeTime(0, 60, 0, 0), EConvertError);
    EXPECT_THROW(EncodeTime(0, 0, 0, 1000), EConvertError);
}

TEST(DateTime, FormatDateTimePatterns) {
    const TDateTime t = EncodeDate(2024, 1, 31) + EncodeTime(23, 59, 58, 42);
    const TDateTime morning = EncodeDate(2007, 3, 4) + EncodeTime(5, 6, 7, 8);
    struct Case {
        const char* format;
        TDateTime value;
        const char* text;
    } cases[] = {
        {"yymmdd_hhmmss_zzz", t, "240131_235958_042"},
        {"yymmdd_hhmmss_zzz", morning, "070304_050607_008"},
        {"yyyy-mm-dd hh:nn:ss", morning, "2007-03-04 05:06:07"},
        {"d/m/yy h:n:s.z", morning, "4/3/07 5:6:7.8"},
        {"hh:mm", morning, "05:06"}, // minutes right after an hour
        {"mm", morning, "03"},
        {"ddd dddd mmm mmmm", morning, "Sun Sunday Mar March"},
        {"'yy' \"mm\" yy", morning, "yy mm 07"},
        {"YYMMDD", t, "240131"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatDateTime(c.format, c.value), c.text) << c.format;
}

TEST(DateTime, FormatsTheCaptureTimeStamp) {
    TDateTime t = EncodeDate(2024, 1, 31) + EncodeTime(23, 59, 59, 42);
    EXPECT_EQ(FormatDateTime("yymmdd_hhmmss_zzz", t), "240131_235959_042");
    EXPECT_EQ(FormatDateTime("yyyy-mm-dd hh:nn:ss.zzz", t), "2024-01-31 23:59:59.042");
    EXPECT_EQ(FormatDateTime("d/m/yy h:n", EncodeDate(2005, 3, 7) + EncodeTime(8, 5, 0, 0)),
              "7/3/05 8:5");
    EXPECT_EQ(FormatDateTime("hh:mm", EncodeTime(9, 7, 0, 0)), "09:07"); // mm after an hour
    EXPECT_EQ(FormatDateTime("'at' hh\"h\"", EncodeTime(14, 0, 0, 0)), "at 14h");
    EXPECT_EQ(FormatDateTime("ddd d mmm yyyy", EncodeDate(2024, 2, 29)), "Thu 29 Feb 2024");
    EXPECT_EQ(FormatDateTime("yyyymmdd_hhnnss_zzz", EncodeTime(0, 0, 0, 999)),
              "18991230_000000_999"); // day 0, and 999 ms do not roll over
}

TEST(DateTime, EncodeDecodeAndInvalidDates) {
    EXPECT_DOUBLE_EQ(EncodeDate(1899, 12, 30), 0);
    EXPECT_DOUBLE_EQ(EncodeDate(1970, 1, 1), 25569);
    int y, m, d, h, n, s, z;
    DecodeDate(EncodeDate(2000, 2, 29), y, m, d);
    EXPECT_EQ(y * 10000 + m * 100 + d, 20000229);
    DecodeTime(EncodeTime(12, 34, 56, 789), h, n, s, z);
    EXPECT_EQ(h * 10000000 + n * 100000 + s * 1000 + z, 123456789);
    EXPECT_THROW(EncodeDate(2023, 2, 29), EConvertError);
    EXPECT_THROW(EncodeDate(2023, 13, 1), EConvertError);
    EXPECT_THROW(EncodeTime(24, 0, 0, 0), EConvertError);
    TDateTime now = Now();
    DecodeDate(now, y, m, d);
    EXPECT_GE(y, 2024);
}
