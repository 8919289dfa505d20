// The texts derived from cell positions and the number fields' rules.
#include "app/CellModel.h"
#include "app/FieldRules.h"
#include "rtl/Exception.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace {

String CellFileText(int grid, const TCellPositions& p) {
    return CellPositionText(grid, p);
}

TEST(CellModel, IndexIsRowMajorOverTheFourByFourModel) {
    EXPECT_EQ(CellIndex(0, 0), 0);
    EXPECT_EQ(CellIndex(1, 2), 6); // the cell named ..23
    EXPECT_EQ(CellIndex(3, 3), 15);
}

TEST(CellModel, LabelShowsTwoDecimalsAndSeconds) {
    EXPECT_EQ(CellLabelText(12.5), "12.50s");
    EXPECT_EQ(CellLabelText(0), "0.00s");
    EXPECT_EQ(CellLabelText(10.0 / 3), "3.33s");
}

TEST(CellModel, PositionFileOfAutoPositionedTwoByTwoGrid) {
    TCellPositions p{};
    p[CellIndex(0, 0)] = 20;
    p[CellIndex(0, 1)] = 40;
    p[CellIndex(1, 0)] = 60;
    p[CellIndex(1, 1)] = 80;
    EXPECT_EQ(CellFileText(2, p),
              "<Maxstep>2</Maxstep><P11>20</P11><P12>40</P12><P13>0</P13><P14>0</P14>"
              "<P21>60</P21><P22>80</P22><P23>0</P23><P24>0</P24>"
              "<P31>0</P31><P32>0</P32><P33>0</P33><P34>0</P34>"
              "<P41>0</P41><P42>0</P42><P43>0</P43><P44>0</P44>");
}

TEST(CellModel, FirstCellIsWrittenAsWholeSecondsTheOthersInFull) {
    TCellPositions p{};
    p[0] = 12.75;
    p[1] = 12.5;
    p[2] = 10.0 / 3;
    p[15] = 99.999;
    String text = CellFileText(4, p);
    EXPECT_EQ(text.rfind("<Maxstep>4</Maxstep><P11>12</P11><P12>12.5</P12>"
                         "<P13>3.33333333333333</P13>",
                         0),
              0u)
        << text;
    EXPECT_NE(text.find("<P44>99.999</P44>"), String::npos);
    EXPECT_EQ(text.back(), '>'); // no line break or blank at the end
}

TEST(CellModel, PositionFileNameReplacesOnlyTheLastExtension) {
    EXPECT_EQ(CellPositionFileName("/v/clip.mpg"), "/v/clip.ini");
    EXPECT_EQ(CellPositionFileName("/v/a.b.avi"), "/v/a.b.ini");
}

TEST(CellModel, WriteTextFileReplacesTheWholeFileAndReportsAFolderItCannotWrite) {
    test_support::TempFolder dir("korvid-cell-");
    String name = dir.File("clip.ini");
    WriteTextFile("a much longer first content", name);
    WriteTextFile("<Maxstep>3</Maxstep>", name);
    std::ifstream in(name, std::ios::binary);
    String back((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(back, "<Maxstep>3</Maxstep>");
    EXPECT_THROW(WriteTextFile("x", dir.File("missing/clip.ini")), EInOutError);
}

TEST(FieldRules, AFieldIsGivenWhenItSortsAfterOneBlank) {
    EXPECT_FALSE(FieldGiven(""));
    EXPECT_FALSE(FieldGiven(" "));
    EXPECT_TRUE(FieldGiven("3"));
    EXPECT_TRUE(FieldGiven("  3"));
}

TEST(FieldRules, OutputDelayAndCaptureStep) {
    struct Case {
        const char* text;
        int delay;
        double step;
    };
    for (const Case& c : {Case{"3", 33, 1.0 / 3}, Case{"25", 4, 1.0 / 25}, Case{"1", 100, 1.0},
                          Case{"", 33, 0.33}, Case{" ", 33, 0.33}}) {
        EXPECT_EQ(OutputFrameDelay(c.text), c.delay) << c.text;
        EXPECT_DOUBLE_EQ(CaptureStep(c.text), c.step) << c.text;
    }
}

TEST(FieldRules, BadNumbersRaiseAConversionError) {
    for (const char* text : {"abc", "0", "-3", "2.5"}) {
        EXPECT_THROW(OutputFrameDelay(text), EConvertError) << text;
        EXPECT_THROW(CaptureStep(text), EConvertError) << text;
        EXPECT_THROW(ZoomPercent(text), EConvertError) << text;
    }
    EXPECT_THROW(CaptureFrames("x"), EConvertError);
}

TEST(FieldRules, ZoomAndFramesFallbacks) {
    EXPECT_EQ(ZoomPercent(""), 100);
    EXPECT_EQ(ZoomPercent("100"), 100);
    EXPECT_EQ(ZoomPercent("50"), 50);
    EXPECT_EQ(ZoomedSide(639, 50), 319);
    EXPECT_EQ(ZoomedSide(3, 5), 1); // never zero
    EXPECT_EQ(CaptureFrames(""), 5);
    EXPECT_EQ(CaptureFrames("20"), 20);
}

TEST(FieldRules, TotalCaptureTime) {
    EXPECT_EQ(TotalCaptureText("3", "20"), "Total Capture:6.67s");
    EXPECT_EQ(TotalCaptureText("", "20"), "Total Capture:6.67s");
    EXPECT_EQ(TotalCaptureText("4", ""), "Total Capture:1.25s");
}

} // namespace
