#include "rtl/DateTime.h"
#include "rtl/Exception.h"
#include "rtl/Text.h"

#include <gtest/gtest.h>

TEST(Text, SortsAfterASingleBlank) {
    struct Case {
        const char* text;
        bool given;
    } cases[] = {
        {"", false},   {" ", false},     {"\t", false}, {"\x01", false}, {"  ", true},
        {" 1", true},  {"0", true},      {"!", true},   {"12", true},    {"\xC3\xA9", true},
    };
    for (const Case& c : cases) EXPECT_EQ(SortsAfterBlank(c.text), c.given) << '"' << c.text << '"';
}

TEST(Text, ComparisonsAreByteWiseOrFoldAscii) {
    EXPECT_LT(CompareStr("a", "b"), 0);
    EXPECT_LT(CompareStr("B", "a"), 0);
    EXPECT_GT(CompareStr("\xC3", "z"), 0);  // bytes compare unsigned
    EXPECT_LT(CompareStr("ab", "abc"), 0);
    EXPECT_EQ(CompareStr("", ""), 0);
    EXPECT_EQ(CompareText("Hello", "hELLO"), 0);
    EXPECT_LT(CompareText("apple", "Banana"), 0);
    EXPECT_TRUE(SameText("FileTheme", "filetheme"));
    EXPECT_FALSE(SameText("File", "Files"));
}

TEST(Text, Helpers) {
    EXPECT_EQ(Trim("  a b \t\r\n"), "a b");
    EXPECT_EQ(TrimLeft("  x "), "x ");
    EXPECT_EQ(TrimRight("  x "), "  x");
    EXPECT_EQ(UpperCase("aBc1"), "ABC1");
    EXPECT_EQ(LowerCase("aBc1"), "abc1");
    EXPECT_EQ(Pos("lo", "hello"), 4);
    EXPECT_EQ(Pos("x", "hello"), 0);
    EXPECT_EQ(Copy("hello", 2, 3), "ell");
    EXPECT_EQ(Copy("hello", 4, 100), "lo");
    EXPECT_EQ(Copy("hello", 9, 2), "");
    EXPECT_EQ(Copy("hello", 0, 2), "he");
    EXPECT_EQ(StringReplaceAll("a.b.c", ".", "::"), "a::b::c");
    for (const char* good : {"Button1", "_x", "skTabSheet3"}) EXPECT_TRUE(IsValidIdent(good)) << good;
    for (const char* bad : {"", "1abc", "a b", "a-b", "\xC3\xA9"}) EXPECT_FALSE(IsValidIdent(bad)) << bad;
}

TEST(DateTime, FormatsTheCaptureTimeStamp) {
    TDateTime t = EncodeDate(2024, 1, 31) + EncodeTime(23, 59, 59, 42);
    EXPECT_EQ(FormatDateTime("yymmdd_hhmmss_zzz", t), "240131_235959_042");
    EXPECT_EQ(FormatDateTime("yyyy-mm-dd hh:nn:ss.zzz", t), "2024-01-31 23:59:59.042");
    EXPECT_EQ(FormatDateTime("d/m/yy h:n", EncodeDate(2005, 3, 7) + EncodeTime(8, 5, 0, 0)),
              "7/3/05 8:5");
    EXPECT_EQ(FormatDateTime("hh:mm", EncodeTime(9, 7, 0, 0)), "09:07");  // mm after an hour
    EXPECT_EQ(FormatDateTime("'at' hh\"h\"", EncodeTime(14, 0, 0, 0)), "at 14h");
    EXPECT_EQ(FormatDateTime("ddd d mmm yyyy", EncodeDate(2024, 2, 29)), "Thu 29 Feb 2024");
    EXPECT_EQ(FormatDateTime("yyyymmdd_hhnnss_zzz", EncodeTime(0, 0, 0, 999)),
              "18991230_000000_999");  // day 0, and 999 ms do not roll over
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
