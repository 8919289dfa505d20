#include "rtl/Conversion.h"
#include "rtl/ScopeGuard.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>

namespace {

// Every case here runs with "." as the separator; the comma locale has its own suite.
class Conversion : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = FormatSettings();
        SetFormatSettings(TFormatSettings{"."});
    }
    void TearDown() override { SetFormatSettings(saved_); }
    TFormatSettings saved_;
};

} // namespace

TEST_F(Conversion, StrToIntAcceptsDecimalAndHex) {
    struct Case {
        const char* text;
        int value;
    } cases[] = {
        {"0", 0},
        {"42", 42},
        {"-42", -42},
        {"+7", 7},
        {"  12", 12},
        {"007", 7},
        {"$FF", 255},
        {"$ff", 255},
        {"0x1f", 31},
        {"-$10", -16},
        {"$7FFFFFFF", 2147483647},
        {"$FFFFFFFF", -1}, // hexadecimal is the bit pattern
        {"2147483647", 2147483647},
        {"-2147483648", std::numeric_limits<int>::min()},
    };
    for (const Case& c : cases)
        EXPECT_EQ(StrToInt(c.text), c.value) << c.text;
}

TEST_F(Conversion, StrToIntRejectsEverythingElse) {
    const char* bad[] = {"",
                         " ",
                         "12 ",
                         "1.5",
                         "abc",
                         "2147483648",
                         "-2147483649",
                         "$100000000",
                         "--1",
                         "+-1",
                         "$",
                         "0x",
                         "99999999999999999999999",
                         "12a",
                         "1e3",
                         "\t"};
    for (const char* text : bad) {
        EXPECT_THROW(StrToInt(text), EConvertError) << text;
        int v = 99;
        EXPECT_FALSE(TryStrToInt(text, v)) << text;
        EXPECT_EQ(v, 99) << text;
        EXPECT_EQ(StrToIntDef(text, -5), -5) << text;
    }
    try {
        StrToInt("abc");
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "'abc' is not a valid integer value");
    }
}

TEST_F(Conversion, StrToInt64Limits) {
    EXPECT_EQ(StrToInt64("9223372036854775807"), std::numeric_limits<Int64>::max());
    EXPECT_EQ(StrToInt64("-9223372036854775808"), std::numeric_limits<Int64>::min());
    EXPECT_EQ(StrToInt64("$FFFFFFFFFFFFFFFF"), -1);
    EXPECT_EQ(StrToInt64("4294967296"), 4294967296LL);
    EXPECT_THROW(StrToInt64("9223372036854775808"), EConvertError);
    EXPECT_THROW(StrToInt64("-9223372036854775809"), EConvertError);
    EXPECT_THROW(StrToInt64("$10000000000000000"), EConvertError);
}

TEST_F(Conversion, IntToStrAndHex) {
    EXPECT_EQ(IntToStr(0), "0");
    EXPECT_EQ(IntToStr(-123), "-123");
    EXPECT_EQ(IntToStr(std::numeric_limits<Int64>::min()), "-9223372036854775808");
    EXPECT_EQ(IntToHex(255, 4), "00FF");
    EXPECT_EQ(IntToHex(0, 0), "0");
    EXPECT_EQ(IntToHex(-1, 2), "FFFFFFFFFFFFFFFF");
}

TEST_F(Conversion, StrToFloat) {
    struct Case {
        const char* text;
        double value;
    } cases[] = {
        {"12.5", 12.5}, {" 1.5 ", 1.5},  {"-2.5e3", -2500}, {"+.5", 0.5},     {"5.", 5},
        {"0", 0},       {"1E-3", 0.001}, {"007.25", 7.25},  {"1e308", 1e308},
    };
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(StrToFloat(c.text), c.value) << c.text;
    const char* bad[] = {"",   " ",   "abc",  "1e",  "1.2.3", ".",   "1,5",
                         "e5", "1e+", "0x10", "inf", "nan",   "1 2", "1e999"};
    for (const char* text : bad)
        EXPECT_THROW(StrToFloat(text), EConvertError) << text;
    EXPECT_DOUBLE_EQ(StrToFloatDef("x", 2.5), 2.5);
}

TEST_F(Conversion, FloatToStrIsTheShortestFifteenDigitForm) {
    struct Case {
        double value;
        const char* text;
    } cases[] = {
        {12.5, "12.5"},
        {0.0, "0"},
        {-0.0, "0"},
        {10.0 / 3, "3.33333333333333"},
        {20.0 / 3, "6.66666666666667"},
        {-1.5, "-1.5"},
        {100, "100"},
        {0.1 + 0.2, "0.3"},
        {12.75, "12.75"},
        {1e14, "100000000000000"},
        {1e15, "1E15"},
        {123456789012345678.0, "1.23456789012346E17"},
        {0.0001, "0.0001"},
        {0.00001, "1E-5"},
        {1.5e-7, "1.5E-7"},
        {999999999999999.9, "1E15"}, // rounding at 15 digits carries into a new digit
        {std::numeric_limits<double>::quiet_NaN(), "NAN"},
        {std::numeric_limits<double>::infinity(), "INF"},
        {-std::numeric_limits<double>::infinity(), "-INF"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FloatToStr(c.value), c.text) << c.text;
}

TEST_F(Conversion, FixedFormatsRoundHalvesAwayFromZero) {
    struct Case {
        double value;
        int digits;
        const char* text;
    } cases[] = {
        {12.5, 2, "12.50"},      {20.0 / 3, 2, "6.67"}, {2.675, 2, "2.68"},
        {0.125, 2, "0.13"},      {-0.001, 2, "0.00"},   {0.005, 2, "0.01"},
        {999.999, 2, "1000.00"}, {0, 2, "0.00"},        {-2.5, 2, "-2.50"},
        {2.5, 0, "3"},           {-2.5, 0, "-3"},       {1234567.891, 1, "1234567.9"},
        {0.0004, 3, "0.000"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FloatToStrF(c.value, ffFixed, 15, c.digits), c.text) << c.text;
    EXPECT_EQ(FloatToStrF(1234.5, ffExponent, 5, 3), "1.2345E+003");
    EXPECT_EQ(FloatToStrF(0.00012, ffExponent, 2, 2), "1.2E-04");
    EXPECT_EQ(FloatToStrF(10.0 / 3, ffGeneral, 4, 0), "3.333");
}

TEST_F(Conversion, FormatFloatPictures) {
    struct Case {
        const char* format;
        double value;
        const char* text;
    } cases[] = {
        {"0.00", 12.5, "12.50"},
        {"0.00", 20.0 / 3, "6.67"},
        {"0", 2.5, "3"},
        {"#.##", 0.5, ".5"},
        {"0.0#", 1.0, "1.0"},
        {"0.0#", 1.234, "1.23"},
        {"00", 7, "07"},
        {"0 'px'", 5, "5 px"},
        {"0.00", -1.005, "-1.01"},
        {"#,##0.00", 1234.5, "1234.50"},
        {"x", 3, "x"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatFloat(c.format, c.value), c.text) << c.format;
}

namespace {

// Finds or builds a locale whose decimal separator is a comma. Building one needs localedef
// and the locale sources; it is built in the folder, LOCPATH pointed there (builtHere set).
String CommaLocale(const test_support::TempFolder& folder, bool& builtHere) {
    for (const char* name : {"de_DE.UTF-8", "fr_FR.UTF-8", "nl_NL.UTF-8", "de_DE.utf8"})
        if (LoadFormatSettings(name) && FormatSettings().DecimalSeparator == ",") return name;
    String command =
        "localedef -i de_DE -f UTF-8 '" + folder.File("de_DE.UTF-8") + "' > /dev/null 2>&1";
    if (std::system(command.c_str()) < 0) return "";
    ::setenv("LOCPATH", folder.Path().c_str(), 1);
    builtHere = true;
    if (LoadFormatSettings("de_DE.UTF-8") && FormatSettings().DecimalSeparator == ",")
        return "de_DE.UTF-8";
    return "";
}

} // namespace

TEST_F(Conversion, CommaSeparatorFromTheLocale) {
    test_support::TempFolder folder("korvid-locale-");
    bool builtHere = false;
    // LOCPATH must not outlive the folder it names.
    ScopeGuard unsetPath([&] {
        if (builtHere) ::unsetenv("LOCPATH");
    });
    String locale = CommaLocale(folder, builtHere);
    if (locale.empty()) GTEST_SKIP() << "no locale with a comma separator can be had";
    ASSERT_EQ(FormatSettings().DecimalSeparator, ",");
    EXPECT_EQ(FloatToStr(12.5), "12,5");
    EXPECT_EQ(FloatToStr(10.0 / 3), "3,33333333333333");
    EXPECT_EQ(FloatToStr(1.5e-7), "1,5E-7");
    EXPECT_EQ(FloatToStr(12), "12");
    EXPECT_EQ(FloatToStrF(20.0 / 3, ffFixed, 15, 2), "6,67");
    EXPECT_EQ(FormatFloat("0.00", 12.5), "12,50");
    EXPECT_DOUBLE_EQ(StrToFloat("12,5"), 12.5);
    EXPECT_THROW(StrToFloat("12.5"), EConvertError);
    EXPECT_EQ(StrToInt("12"), 12); // integers know no separator

    // The environment's LC_NUMERIC is what "the user's locale" means.
    const char* oldAll = std::getenv("LC_ALL");
    String savedAll = oldAll ? oldAll : "";
    ::setenv("LC_ALL", locale.c_str(), 1);
    SetFormatSettings(TFormatSettings{"."});
    EXPECT_TRUE(LoadFormatSettings());
    EXPECT_EQ(FormatSettings().DecimalSeparator, ",");
    if (oldAll)
        ::setenv("LC_ALL", savedAll.c_str(), 1);
    else
        ::unsetenv("LC_ALL");
}

TEST_F(Conversion, UnknownLocaleKeepsTheSettings) {
    EXPECT_FALSE(LoadFormatSettings("xx_NOWHERE.UTF-8"));
    EXPECT_EQ(FormatSettings().DecimalSeparator, ".");
}
