#include "GIFTestUtil.h"
#include "gif/codec/GIFException.h"
#include "platform/gdi/Object.h"

#include <gtest/gtest.h>

using namespace giftest;

TEST(ColorMap, CapacityGrowsBy16Then32AndStopsAt256) {
    RecordingImage image;
    TGIFSubImage* frame = AddFrame(image, 1, 1, 0);
    TGIFColorMap& map = frame->OwnColorMap();
    struct Step {
        int count, capacity;
    } steps[] = {{1, 16},  {16, 16},   {17, 32},   {32, 32},  {33, 64},
                 {65, 96}, {224, 224}, {225, 256}, {256, 256}};
    int appended = 0;
    for (const Step& s : steps) {
        while (appended < s.count)
            map.AppendColor(RGB(appended, 0, 0)), ++appended;
        EXPECT_EQ(map.Capacity(), s.capacity) << s.count;
    }
    try {
        map.AppendColor(clWhite);
        ADD_FAILURE();
    } catch (const GIFException& e) {
        EXPECT_STREQ(e.what(), "Color table overflow");
    }
    EXPECT_EQ(map.Count(), 256);
}

TEST(ColorMap, SearchDirectionFollowsTheSortedFlag) {
    RecordingImage image;
    TGIFColorMap& map = AddFrame(image, 1, 1, 0)->OwnColorMap();
    map.AppendColor(RGB(1, 2, 3));
    map.AppendColor(RGB(9, 9, 9));
    map.AppendColor(RGB(1, 2, 3));
    EXPECT_EQ(map.FindColor(RGB(1, 2, 3)), 2);
    map.SetSortedByUsage(true);
    EXPECT_EQ(map.FindColor(RGB(1, 2, 3)), 0);
    EXPECT_EQ(map.FindColor(RGB(3, 2, 1)), -1);
    EXPECT_EQ(map.AppendUniqueColor(RGB(9, 9, 9)), 1);
    EXPECT_EQ(map.Count(), 3);
    // The triplet is red, green, blue in memory.
    EXPECT_EQ(map.Colors()[0].Red, 1);
    EXPECT_EQ(map.Colors()[0].Blue, 3);
    EXPECT_EQ(map.ColorAt(0), RGB(1, 2, 3));

    // A bad index warns and answers entry 0; an empty map raises.
    EXPECT_EQ(map.ColorAt(7), RGB(1, 2, 3));
    EXPECT_EQ(image.warnings, std::vector<String>{"Invalid color index"});
    EXPECT_THROW(map.RemoveColor(3), GIFException);
    map.RemoveColor(0);
    EXPECT_EQ(map.ColorAt(0), RGB(9, 9, 9));
    EXPECT_FALSE(map.SortedByUsage());
    map.Reset();
    EXPECT_THROW(map.ColorAt(0), GIFException);
}

TEST(ColorMap, SortByUsageRemapsPixelsAndTheTransparentIndex) {
    RecordingImage image;
    TGIFSubImage* frame = AddFrame(image, 4, 1, 3, 2);
    frame->Data()[0] = 0;
    auto* gce = CreateObject<TGIFGraphicControlExtension>(frame);
    frame->FrameExtensions().AppendItem(gce);
    gce->SetHasTransparency(true);
    gce->SetTransparentIndex(0);

    EXPECT_TRUE(frame->OwnColorMap().SortByUsage());
    TGIFColorMap& map = frame->OwnColorMap();
    ASSERT_EQ(map.Count(), 2);
    EXPECT_EQ(map.ColorAt(0), RGB(2, 2, 2));
    EXPECT_EQ(map.ColorAt(1), RGB(0, 0, 0));
    EXPECT_EQ(frame->Data()[0], 1);
    EXPECT_EQ(frame->Data()[1], 0);
    EXPECT_EQ(gce->TransparentIndex(), 1);
    EXPECT_TRUE(map.SortedByUsage());
}

TEST(ColorMap, SortByUsageEdgeCases) {
    {
        // Already in usage order: nothing moves, unused colours stay.
        RecordingImage image;
        TGIFSubImage* frame = AddFrame(image, 3, 1, 3, 0);
        frame->Data()[2] = 1;
        EXPECT_TRUE(frame->OwnColorMap().SortByUsage());
        EXPECT_EQ(frame->OwnColorMap().Count(), 3);
        EXPECT_EQ(frame->Data()[2], 1);
    }
    {
        RecordingImage image;
        TGIFSubImage* frame = AddFrame(image, 3, 1, 1, 0);
        EXPECT_FALSE(frame->OwnColorMap().SortByUsage());
        EXPECT_FALSE(frame->OwnColorMap().SortedByUsage());
    }
    {
        // Pixels at or above the count are counted and keep their value.
        RecordingImage image;
        TGIFSubImage* frame = AddFrame(image, 5, 1, 2, 200);
        frame->Data()[0] = 1;
        EXPECT_TRUE(frame->OwnColorMap().SortByUsage());
        EXPECT_EQ(frame->Data()[0], 0);
        for (int x = 1; x < 5; ++x)
            EXPECT_EQ(frame->Data()[x], 200);
        EXPECT_EQ(frame->OwnColorMap().ColorAt(0), RGB(1, 1, 1));
    }
    {
        // The global map sorts the frames that use it and leaves frames with their own map;
        // the screen's background colour (entry 0) stays, and its index follows it.
        RecordingImage image;
        for (int i = 0; i < 3; ++i)
            image.GlobalColorMap().AppendColor(RGB(10 * i, 0, 0));
        TGIFSubImage* usesGlobal = AddFrame(image, 2, 1, 0, 2);
        TGIFSubImage* ownMap = AddFrame(image, 2, 1, 3, 2);
        EXPECT_TRUE(image.GlobalColorMap().OptimizeColors());
        EXPECT_EQ(image.GlobalColorMap().Count(), 2);
        EXPECT_EQ(image.GlobalColorMap().ColorAt(0), RGB(20, 0, 0));
        EXPECT_EQ(image.StreamHeader().ScreenDescriptor.BackgroundColorIndex, 1);
        EXPECT_EQ(image.StreamHeader().BackgroundColor(), RGB(0, 0, 0));
        EXPECT_EQ(usesGlobal->Data()[0], 0);
        EXPECT_EQ(ownMap->Data()[0], 2);
    }
}

TEST(ColorMap, TablesReadWriteAndPalettes) {
    RecordingImage image;
    TGIFColorMap& map = AddFrame(image, 1, 1, 0)->OwnColorMap();
    TMemoryStream s;
    map.WriteTriplets(s);
    EXPECT_EQ(s.Size(), 0);
    map.AppendColor(RGB(1, 2, 3));
    map.WriteTriplets(s);
    EXPECT_EQ(Contents(s), (Bytes{1, 2, 3, 0, 0, 0}));

    Fill(s, {1, 2, 3, 4, 5});
    EXPECT_THROW(map.ReadTriplets(s, 2), GIFException);

    RGBQUAD quads[2] = {{30, 20, 10, 0}, {3, 2, 1, 0}};
    map.FromColorTable(quads, 2);
    EXPECT_EQ(map.ColorAt(0), RGB(10, 20, 30));
    HPALETTE palette = map.ToPalette();
    ASSERT_NE(palette, HPALETTE(0));
    RecordingImage other;
    TGIFColorMap& copy = AddFrame(other, 1, 1, 0)->OwnColorMap();
    copy.FromPalette(palette);
    DeleteObject(palette);
    ASSERT_EQ(copy.Count(), 2);
    EXPECT_EQ(copy.ColorAt(1), RGB(1, 2, 3));
}
