#include "rtl/Text.h"
#include "rtl/Exception.h"

#include <gtest/gtest.h>

TEST(Text, SortsAfterASingleBlank) {
    struct Case {
        const char* text;
        bool given;
    } cases[] = {
        {"", false},  {" ", false}, {"\t", false}, {"\x01", false}, {"  ", true},
        {" 1", true}, {"0", true},  {"!", true},   {"12", true},    {"\xC3\xA9", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SortsAfterBlank(c.text), c.given) << '"' << c.text << '"';
}

TEST(Text, ComparisonsAreByteWiseOrFoldAscii) {
    EXPECT_LT(CompareStr("a", "b"), 0);
    EXPECT_LT(CompareStr("B", "a"), 0);
    EXPECT_GT(CompareStr("\xC3", "z"), 0); // bytes compare unsigned
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
    for (const char* good : {"Button1", "_x", "skTabSheet3"})
        EXPECT_TRUE(IsValidIdent(good)) << good;
    for (const char* bad : {"", "1abc", "a b", "a-b", "\xC3\xA9"})
        EXPECT_FALSE(IsValidIdent(bad)) << bad;
}
