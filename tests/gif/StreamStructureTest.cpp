#include "GIFTestUtil.h"
#include "gif/codec/GIFException.h"
#include "gif/codec/GIFStreamIO.h"

#include <gtest/gtest.h>

using namespace giftest;

namespace {

// A 2 x 1 image: screen descriptor with a 2-colour global table, then `blocks`.
Bytes SmallGIF(const String& signature, const Bytes& blocks) {
    return Cat({Str(signature), {2, 0, 1, 0, 0x80, 0, 0}, {0, 0, 0, 255, 255, 255}, blocks});
}

// Image block at (0, 0) of 2 x 1 pixels (1, 0), no local table.
const Bytes kImage = Cat({{0x2C, 0, 0, 0, 0, 2, 0, 1, 0, 0},
                          {2},
                          SubBlocks(PackCodes({{4, 3}, {1, 3}, {0, 3}, {5, 3}}))});

} // namespace

TEST(StreamIO, SmallRoutines) {
    struct Bits {
        int count, bits;
    } cases[] = {{0, 0}, {1, 1}, {2, 1}, {3, 2}, {4, 2}, {5, 3}, {128, 7}, {129, 8}, {256, 8}};
    for (const Bits& c : cases)
        EXPECT_EQ(BitsForColorCount(c.count), c.bits) << c.count;
    EXPECT_EQ(AlignedRowBytes(100, 1, 32), 16);
    EXPECT_EQ(AlignedRowBytes(100, 24, 32), 300);
    EXPECT_EQ(AlignedRowBytes(3, 1, 16), 2);
    EXPECT_EQ(AlignedRowBytes(100, 8, 8), 100);
    EXPECT_EQ(FramePixelCount(65535, 4096), Int64(65535) * 4096);
    EXPECT_THROW(FramePixelCount(65535, 65535), GIFException);

    TMemoryStream s;
    Fill(s, {7});
    EXPECT_EQ(ReadByteFrom(s), 7);
    EXPECT_EQ(ReadByteFrom(s), kEndOfStream);
    Byte b[4];
    Fill(s, {1, 2, 3});
    try {
        ReadExactly(s, b, 4);
        FAIL();
    } catch (const EGIFPrematureEnd& e) {
        // A type of its own: loading tells a stream cut short from other failures by it.
        EXPECT_STREQ(e.what(), "Premature end of data");
    }
}

TEST(StreamStructure, SignatureAnywhereItMayBe) {
    for (const String& sig : {String("GIF89a"), String("gif87a"), String("GIF90a")}) {
        RecordingImage image;
        Load(image, SmallGIF(sig, Cat({kImage, {0x3B}})));
        ASSERT_EQ(image.Frames().Count(), 1) << sig;
        EXPECT_EQ(image.Frames().GetFrame(0)->PixelAt(0, 0), 1);
        EXPECT_TRUE(image.warnings.empty());
    }
    // Four bytes of something else in front.
    RecordingImage prefixed;
    Load(prefixed, Cat({Str("abcd"), SmallGIF("GIF89a", Cat({kImage, {0x3B}}))}));
    EXPECT_EQ(prefixed.Frames().Count(), 1);
    EXPECT_EQ(prefixed.ScreenWidth(), 2);

    RecordingImage bad;
    try {
        Load(bad, SmallGIF("PNG89a", Cat({kImage, {0x3B}})));
        FAIL();
    } catch (const GIFException& e) {
        EXPECT_STREQ(e.what(), "Invalid GIF signature");
    }
}

TEST(StreamStructure, BlockSequenceOddities) {
    {
        // Zero bytes before the first block and between blocks are skipped; no trailer.
        RecordingImage image;
        Load(image, SmallGIF("GIF89a", Cat({{0, 0}, kImage, {0, 0, 0}, kImage})));
        EXPECT_EQ(image.Frames().Count(), 2);
        EXPECT_TRUE(image.warnings.empty());
    }
    {
        // Zero bytes between a frame's extensions and its image are skipped as well: the
        // extensions stay with the image instead of ending a frame of their own there.
        RecordingImage image;
        Load(image,
             SmallGIF("GIF89a", Cat({{0x21, 0xF9, 4, 0x01, 5, 0, 0, 0}, {0, 0}, kImage, {0x3B}})));
        ASSERT_EQ(image.Frames().Count(), 1);
        TGIFSubImage* frame = image.Frames().GetFrame(0);
        ASSERT_FALSE(frame->IsEmpty());
        ASSERT_TRUE(frame->ControlExtension());
        EXPECT_EQ(frame->ControlExtension()->FrameDelay(), 5);
        EXPECT_TRUE(frame->IsTransparent());
        EXPECT_EQ(frame->PixelAt(0, 0), 1);
        EXPECT_TRUE(image.warnings.empty());
    }
    {
        // A comment right before the trailer becomes a frame of only that extension.
        RecordingImage image;
        Load(image, SmallGIF("GIF89a", Cat({kImage, {0x21, 0xFE, 2, 'h', 'i', 0}, {0x3B}})));
        ASSERT_EQ(image.Frames().Count(), 2);
        TGIFSubImage* last = image.Frames().GetFrame(1);
        EXPECT_TRUE(last->IsEmpty());
        ASSERT_EQ(last->FrameExtensions().Count(), 1);
        auto* comment = dynamic_cast<TGIFCommentExtension*>(last->FrameExtensions().ExtensionAt(0));
        ASSERT_TRUE(comment);
        EXPECT_EQ(comment->Lines, std::vector<String>{"hi"});
    }
    {
        // An unknown block stops reading with a warning; a wrong trailer warns too.
        RecordingImage image;
        Load(image, SmallGIF("GIF89a", Cat({kImage, {0x99}})));
        EXPECT_EQ(image.Frames().Count(), 1);
        EXPECT_EQ(image.warnings,
                  (std::vector<String>{"Unknown GIF block type", "Invalid Image trailer"}));
    }
    {
        // A frame of width 0 takes the logical screen's size.
        RecordingImage image;
        Bytes zeroWide = kImage;
        zeroWide[5] = 0;
        Load(image, SmallGIF("GIF89a", Cat({zeroWide, {0x3B}})));
        ASSERT_EQ(image.Frames().Count(), 1);
        EXPECT_EQ(image.Frames().GetFrame(0)->Width(), 2);
        EXPECT_EQ(image.Frames().GetFrame(0)->Height(), 1);
        EXPECT_EQ(image.warnings, std::vector<String>{"Image exceeds Logical Screen size"});
    }
    {
        // A frame whose data raises is freed; those before it stay.
        RecordingImage image;
        Bytes broken = Cat({{0x2C, 0, 0, 0, 0, 2, 0, 1, 0, 0}, {12, 1, 0, 0}});
        TMemoryStream s;
        Fill(s, SmallGIF("GIF89a", Cat({kImage, broken})));
        EXPECT_THROW(image.ReadGIF(s), GIFException);
        EXPECT_EQ(image.Frames().Count(), 1);
    }
}

TEST(StreamStructure, HeaderBytesAndVersionChoice) {
    RecordingImage image;
    TGIFSubImage* frame = AddFrame(image, 3, 2, 4, 1);
    // A frame added to an empty image sets the screen without a warning.
    EXPECT_EQ(image.ScreenWidth(), 3);
    EXPECT_EQ(image.ScreenHeight(), 2);
    EXPECT_TRUE(image.warnings.empty());
    Bytes plain = Save(image);
    EXPECT_EQ(Bytes(plain.begin(), plain.begin() + 13),
              (Bytes{'G', 'I', 'F', '8', '7', 'a', 3, 0, 2, 0, 0x11, 0, 0}));
    // Image descriptor with a local table of 4 entries (size field 1).
    EXPECT_EQ(Bytes(plain.begin() + 13, plain.begin() + 23),
              (Bytes{0x2C, 0, 0, 0, 0, 3, 0, 2, 0, 0x81}));
    EXPECT_EQ(plain.back(), 0x3B);

    auto* gce = CreateObject<TGIFGraphicControlExtension>(frame);
    frame->FrameExtensions().AppendItem(gce);
    Bytes animated = Save(image);
    EXPECT_EQ(String(animated.begin(), animated.begin() + 6), "GIF89a");

    // It loads back as it was.
    RecordingImage again;
    Load(again, animated);
    ASSERT_EQ(again.Frames().Count(), 1);
    TGIFSubImage* back = again.Frames().GetFrame(0);
    EXPECT_EQ(back->Width(), 3);
    EXPECT_EQ(back->OwnColorMap().Count(), 4);
    EXPECT_EQ(back->PixelAt(2, 1), 1);
    EXPECT_EQ(back->FrameExtensions().Count(), 1);
    EXPECT_EQ(back->ControlExtension(), back->FrameExtensions().ExtensionAt(0));
    EXPECT_EQ(Save(again), animated);
}

TEST(StreamStructure, PackedFieldsAndTablePadding) {
    {
        // 256-colour local tables and no global table: resolution 7 and size 7.
        RecordingImage image;
        AddFrame(image, 2, 2, 256);
        Bytes data = Save(image);
        EXPECT_EQ(data[10], 0x77);
    }
    {
        // A global table of 5 colours is written as 8 entries, the last 3 black.
        RecordingImage image;
        for (int i = 1; i <= 5; ++i)
            image.GlobalColorMap().AppendColor(RGB(i, i, i));
        AddFrame(image, 2, 2, 0, 4);
        Bytes data = Save(image);
        EXPECT_EQ(data[10], 0x80 | 0x20 | 0x02);
        Bytes table(data.begin() + 13, data.begin() + 13 + 24);
        EXPECT_EQ(Bytes(table.begin() + 12, table.begin() + 15), (Bytes{5, 5, 5}));
        EXPECT_EQ(Bytes(table.begin() + 15, table.end()), Bytes(9, 0));
        EXPECT_EQ(data[13 + 24], 0x2C);
        // The frame without a table is coded for the global one's 3 bits.
        EXPECT_EQ(data[13 + 24 + 10], 3);
    }
    {
        RecordingImage empty;
        TMemoryStream s;
        try {
            empty.WriteGIF(s);
            FAIL();
        } catch (const GIFException& e) {
            EXPECT_STREQ(e.what(), "Unsupported GIF version");
        }
    }
}

TEST(StreamStructure, FramesGrowTheScreenWithWarnings) {
    RecordingImage image;
    AddFrame(image, 4, 4);
    TGIFSubImage* f = AddFrame(image, 2, 2, 4, 0, 3, 1);
    EXPECT_EQ(image.ScreenWidth(), 5);
    EXPECT_EQ(image.ScreenHeight(), 4);
    EXPECT_EQ(image.warnings, (std::vector<String>{"Image width too small for contained frames",
                                                   "Image exceeds Logical Screen size"}));
    EXPECT_THROW(image.SetScreenWidth(4), GIFException);
    // A new width reallocates the pixels, all 0.
    f->Data()[0] = 3;
    f->SetBoundAt(3, 1);
    EXPECT_EQ(f->PixelCount(), 2);
    EXPECT_EQ(f->PixelAt(0, 0), 0);
    EXPECT_THROW(f->PixelAt(1, 0), GIFException);
    EXPECT_THROW(f->RowAt(2), GIFException);
}

TEST(StreamStructure, FrameHoldsOnlyThePixelsItsDataGave) {
    // A 4 x 60000 frame whose data gives ten pixels of colour 1 (strings 1, 11, 111, 1111).
    // The rest reads as the fill, 0 or the transparent index, without being stored until
    // something asks for all the pixels.
    const Bytes data = SubBlocks(PackCodes({{4, 3}, {1, 3}, {6, 3}, {7, 3}, {8, 4}, {5, 4}}));
    struct Case {
        const char* what;
        bool interlaced;
        Bytes control;
        Int64 held;                            // rows the data reached, in logical order
        std::vector<std::pair<int, int>> ones; // (x, y) of the ten pixels
        Byte fill;
    } cases[] = {
        {"plain",
         false,
         {},
         10,
         {{0, 0}, {1, 0}, {2, 0}, {3, 0}, {0, 1}, {1, 1}, {2, 1}, {3, 1}, {0, 2}, {1, 2}},
         0},
        // Stored rows 0, 1, 2 are logical rows 0, 8, 16; the rows between are fill.
        {"interlaced transparent",
         true,
         {0x21, 0xF9, 4, 0x01, 0, 0, 3, 0},
         17 * 4,
         {{0, 0}, {1, 0}, {2, 0}, {3, 0}, {0, 8}, {1, 8}, {2, 8}, {3, 8}, {0, 16}, {1, 16}},
         3},
    };
    for (const Case& c : cases) {
        RecordingImage image;
        Bytes descriptor = {0x2C, 0, 0, 0, 0, 4, 0, 0x60, 0xEA, Byte(c.interlaced ? 0x40 : 0)};
        Load(image, Cat({Str("GIF89a"),
                         {4, 0, 0x60, 0xEA, 0x81, 0, 0},
                         {0, 0, 0, 255, 255, 255, 9, 9, 9, 7, 7, 7},
                         c.control,
                         descriptor,
                         {2},
                         data,
                         {0x3B}}));
        ASSERT_EQ(image.Frames().Count(), 1) << c.what;
        TGIFSubImage* frame = image.Frames().GetFrame(0);
        EXPECT_EQ(frame->PixelCount(), 4 * 60000) << c.what;
        EXPECT_EQ(frame->HeldPixelBytes(), c.held) << c.what;
        auto expected = [&](int x, int y) {
            for (auto [ox, oy] : c.ones)
                if (ox == x && oy == y) return Byte(1);
            return c.fill;
        };
        for (int y : {0, 1, 2, 7, 8, 9, 16, 17, 59999})
            for (int x = 0; x < 4; ++x)
                EXPECT_EQ(frame->PixelAt(x, y), expected(x, y)) << c.what << " " << x << "," << y;
        EXPECT_EQ(frame->HeldPixelBytes(), c.held) << c.what << ": reading pixels stores none";
        // Row access makes every pixel real, with the same values.
        const Byte* last = frame->RowAt(59999);
        EXPECT_EQ(frame->HeldPixelBytes(), 4 * 60000) << c.what;
        EXPECT_EQ(last[3], c.fill) << c.what;
        for (int y : {0, 1, 2, 8, 16})
            for (int x = 0; x < 4; ++x)
                EXPECT_EQ(frame->RowAt(y)[x], expected(x, y)) << c.what << " " << x << "," << y;
    }
}
