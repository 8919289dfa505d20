#include "GIFTestUtil.h"
#include "gif/GIFExtensions.h"
#include "gif/codec/GIFException.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace giftest;

namespace {

// A 2 x 1 image with a 2-colour global table: `extensions`, one image block, the trailer.
Bytes GIFWith(const Bytes& extensions) {
    Bytes image = Cat({{0x2C, 0, 0, 0, 0, 2, 0, 1, 0, 0},
                       {2},
                       SubBlocks(PackCodes({{4, 3}, {1, 3}, {0, 3}, {5, 3}}))});
    return Cat({Str("GIF89a"),
                {2, 0, 1, 0, 0x80, 0, 0},
                {0, 0, 0, 255, 255, 255},
                extensions,
                image,
                {0x3B}});
}

bool Contains(const Bytes& haystack, const Bytes& needle) {
    return std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end()) !=
           haystack.end();
}

Bytes Written(TGIFExtension& extension) {
    TMemoryStream s;
    extension.SaveToStream(s);
    return Contents(s);
}

const Bytes kLoopBlock =
    Cat({{0x21, 0xFF, 0x0B}, Str("NETSCAPE2.0"), {0x03, 0x01, 0x00, 0x00, 0x00}});

} // namespace

TEST(Extensions, NewLoopingExtensionIsTheClassic19Bytes) {
    RecordingImage image;
    TGIFSubImage* frame = AddFrame(image, 2, 1);
    auto* loop = CreateObject<TGIFAppExtNSLoop>(frame);
    frame->FrameExtensions().AppendItem(loop);
    EXPECT_EQ(Written(*loop), kLoopBlock);
    loop->LoopCount = 0x0102;
    loop->BufferBytes = 0x0A0B0C0D;
    EXPECT_EQ(Written(*loop), Cat({{0x21, 0xFF, 0x0B},
                                   Str("NETSCAPE2.0"),
                                   {3, 1, 0x02, 0x01, 5, 2, 0x0D, 0x0C, 0x0B, 0x0A, 0}}));
}

TEST(Extensions, LoopingSubBlocks) {
    struct Case {
        const char* what;
        Bytes data; // the sub-blocks after the identifier
        int loops;
        const char* error;
    } cases[] = {
        {"plain", {3, 1, 5, 0, 0}, 5, nullptr},
        {"id 9 is a loop count", {3, 9, 7, 0, 0}, 7, nullptr},
        {"size 5 skips 2 extra bytes", {5, 1, 4, 0, 0xEE, 0xEE, 0}, 4, nullptr},
        {"unknown id skipped", {2, 4, 0xEE, 3, 1, 6, 0, 0}, 6, nullptr},
        {"buffer bytes", {5, 2, 1, 2, 3, 4, 3, 1, 2, 0, 0}, 2, nullptr},
        {"id 1 with size 2", {2, 1, 5, 0}, 0, "Invalid GIF data"},
        {"id 2 with size 3", {3, 2, 1, 2, 0}, 0, "Invalid GIF data"},
    };
    for (const Case& c : cases) {
        RecordingImage image;
        Bytes gif = GIFWith(Cat({{0x21, 0xFF, 0x0B}, Str("NETSCAPE2.0"), c.data}));
        if (c.error) {
            TMemoryStream s;
            Fill(s, gif);
            try {
                image.ReadGIF(s);
                ADD_FAILURE() << c.what;
            } catch (const GIFException& e) {
                EXPECT_STREQ(e.what(), c.error) << c.what;
            }
            continue;
        }
        Load(image, gif);
        ASSERT_EQ(image.Frames().Count(), 1) << c.what;
        TGIFExtensionList& list = image.Frames().GetFrame(0)->FrameExtensions();
        ASSERT_EQ(list.Count(), 1) << c.what;
        auto* loop = dynamic_cast<TGIFAppExtNSLoop*>(list.ExtensionAt(0));
        ASSERT_TRUE(loop) << c.what;
        EXPECT_EQ(loop->LoopCount, c.loops) << c.what;
        EXPECT_EQ(image.Frames().GetFrame(0)->PixelAt(0, 0), 1) << c.what;
    }
}

TEST(Extensions, LoopingBlockCutByTheEndOfTheStreamStops) {
    // Every cut of a looping block ends the load: no spin on a byte reader that has nothing.
    Bytes whole = Cat({Str("GIF89a"), {2, 0, 1, 0, 0, 0, 0}, kLoopBlock});
    for (size_t cut = 13 + 3 + 11; cut < whole.size(); ++cut) {
        RecordingImage image;
        TMemoryStream s;
        Fill(s, Bytes(whole.begin(), whole.begin() + static_cast<long>(cut)));
        try {
            image.ReadGIF(s);
        } catch (const GIFException& e) {
            EXPECT_STREQ(e.what(), "Premature end of data") << cut;
        }
    }
}

TEST(Extensions, ApplicationIdentifiersPickTheClass) {
    {
        // "ANIMEXTS1.0" loops too and keeps its own identifier when written back.
        RecordingImage image;
        Bytes block = Cat({{0x21, 0xFF, 0x0B}, Str("ANIMEXTS1.0"), {3, 1, 2, 0, 0}});
        Load(image, GIFWith(block));
        auto* loop = dynamic_cast<TGIFAppExtNSLoop*>(
            image.Frames().GetFrame(0)->FrameExtensions().ExtensionAt(0));
        ASSERT_TRUE(loop);
        EXPECT_EQ(loop->LoopCount, 2);
        EXPECT_EQ(Written(*loop), block);
    }
    {
        // Unknown identifier: every sub-block survives byte for byte, also one that starts
        // with the bytes of a looping sub-block.
        RecordingImage image;
        Bytes block =
            Cat({{0x21, 0xFF, 0x0B}, Str("XMP DataXMP"), {3, 1, 0, 0, 4, 'a', 'b', 0, 'c', 0}});
        Load(image, GIFWith(block));
        TGIFExtension* ext = image.Frames().GetFrame(0)->FrameExtensions().ExtensionAt(0);
        auto* unknown = dynamic_cast<TGIFUnknownAppExtension*>(ext);
        ASSERT_TRUE(unknown);
        EXPECT_EQ(unknown->Blocks.size(), 2u);
        EXPECT_TRUE(Contains(Save(image), block));
        EXPECT_TRUE(image.warnings.empty());
    }
    {
        // Block size 12: the twelfth byte is skipped and the block loads as unknown.
        RecordingImage image;
        Load(image, GIFWith(Cat({{0x21, 0xFF, 12}, Str("NETSCAPE2.0X"), {3, 1, 2, 0, 0}})));
        TGIFExtension* ext = image.Frames().GetFrame(0)->FrameExtensions().ExtensionAt(0);
        auto* unknown = dynamic_cast<TGIFUnknownAppExtension*>(ext);
        ASSERT_TRUE(unknown);
        EXPECT_EQ(Written(*unknown),
                  Cat({{0x21, 0xFF, 0x0B}, Str("NETSCAPE2.0"), {3, 1, 2, 0, 0}}));
    }
    {
        // Block size 10: ten identifier bytes, the eleventh is 0.
        RecordingImage image;
        Load(image, GIFWith(Cat({{0x21, 0xFF, 10}, Str("NETSCAPE2."), {0}})));
        auto* unknown = dynamic_cast<TGIFUnknownAppExtension*>(
            image.Frames().GetFrame(0)->FrameExtensions().ExtensionAt(0));
        ASSERT_TRUE(unknown);
        EXPECT_EQ(unknown->AppId[9], '.');
        EXPECT_EQ(unknown->AppId[10], 0);
    }
    {
        RecordingImage image;
        TMemoryStream s;
        Fill(s, GIFWith(Cat({{0x21, 0xFF, 9}, Str("NETSCAPE2"), {0}})));
        try {
            image.ReadGIF(s);
            ADD_FAILURE();
        } catch (const GIFException& e) {
            EXPECT_STREQ(e.what(), "Unsupported Application Extension block size");
        }
        EXPECT_EQ(image.Frames().Count(), 0);
    }
}

TEST(Extensions, CommentAndTextSubBlocks) {
    RecordingImage image;
    TGIFSubImage* frame = AddFrame(image, 2, 1);
    auto* comment = CreateObject<TGIFCommentExtension>(frame);
    frame->FrameExtensions().AppendItem(comment);
    comment->Lines = {String(600, 'x'), String(), "end"};
    Bytes bytes = Written(*comment);
    // 0x21 0xFE, sub-blocks 255, 255, 90 and 3, terminator.
    ASSERT_EQ(bytes.size(), 2u + 256 + 256 + 91 + 4 + 1);
    EXPECT_EQ(bytes[2], 255);
    EXPECT_EQ(bytes[2 + 256], 255);
    EXPECT_EQ(bytes[2 + 512], 90);
    EXPECT_EQ(bytes[2 + 512 + 91], 3);
    EXPECT_EQ(bytes.back(), 0);

    RecordingImage loaded;
    Load(loaded, GIFWith(bytes));
    auto* back = dynamic_cast<TGIFCommentExtension*>(
        loaded.Frames().GetFrame(0)->FrameExtensions().ExtensionAt(0));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->Lines,
              (std::vector<String>{String(255, 'x'), String(255, 'x'), String(90, 'x'), "end"}));

    // A zero byte inside a sub-block cuts its string there.
    RecordingImage cut;
    Load(cut, GIFWith({0x21, 0xFE, 4, 'a', 'b', 0, 'c', 0}));
    auto* cutComment = dynamic_cast<TGIFCommentExtension*>(
        cut.Frames().GetFrame(0)->FrameExtensions().ExtensionAt(0));
    ASSERT_TRUE(cutComment);
    EXPECT_EQ(cutComment->Lines, std::vector<String>{"ab"});

    // A plain text extension keeps its 13 fixed bytes and its lines.
    Bytes text = {0x21, 0x01, 12, 1, 0, 2, 0, 3, 0, 4, 0, 8, 16, 1, 0, 2, 'h', 'i', 0};
    RecordingImage withText;
    Load(withText, GIFWith(text));
    auto* plain = dynamic_cast<TGIFTextExtension*>(
        withText.Frames().GetFrame(0)->FrameExtensions().ExtensionAt(0));
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->TextBlock.Width, 3);
    EXPECT_EQ(plain->TextBlock.CellHeight, 16);
    EXPECT_EQ(plain->Lines, std::vector<String>{"hi"});
    EXPECT_EQ(Written(*plain), text);
}

TEST(Extensions, GraphicControl) {
    RecordingImage image;
    TGIFSubImage* frame = AddFrame(image, 2, 1, 16);
    auto* gce = CreateObject<TGIFGraphicControlExtension>(frame);
    frame->FrameExtensions().AppendItem(gce);
    EXPECT_EQ(frame->ControlExtension(), gce);
    gce->SetFrameDelay(0x0134);
    gce->SetDisposalMethod(2);
    gce->SetHasTransparency(true);
    gce->SetTransparentIndex(7);
    EXPECT_TRUE(frame->IsTransparent());
    EXPECT_EQ(Written(*gce), (Bytes{0x21, 0xF9, 4, 0x09, 0x34, 0x01, 7, 0}));

    // An index outside the frame's 16 colours warns and stores 0.
    gce->SetTransparentIndex(200);
    EXPECT_EQ(gce->TransparentIndex(), 0);
    EXPECT_EQ(image.warnings, std::vector<String>{"Invalid color index"});

    // A second one stays second; both are kept.
    auto* second = CreateObject<TGIFGraphicControlExtension>(frame);
    frame->FrameExtensions().AppendItem(second);
    EXPECT_EQ(frame->ControlExtension(), gce);
    EXPECT_EQ(frame->FrameExtensions().Count(), 2);

    // Freeing the first clears the transparency and leaves the list.
    gce->Free();
    EXPECT_FALSE(frame->IsTransparent());
    EXPECT_EQ(frame->ControlExtension(), nullptr);
    ASSERT_EQ(frame->FrameExtensions().Count(), 1);
    EXPECT_EQ(frame->FrameExtensions().ExtensionAt(0), second);

    // Without any colour table the index is stored as given.
    RecordingImage bare;
    TGIFSubImage* noTable = AddFrame(bare, 2, 1, 0);
    auto* free = CreateObject<TGIFGraphicControlExtension>(noTable);
    noTable->FrameExtensions().AppendItem(free);
    free->SetTransparentIndex(200);
    EXPECT_EQ(free->TransparentIndex(), 200);
}

TEST(Extensions, GraphicControlIsReadByItsOwnSize) {
    {
        // Transparency on index 1: the frame's empty pixels are filled with it.
        RecordingImage image;
        Load(image, GIFWith({0x21, 0xF9, 4, 0x05, 10, 0, 1, 0}));
        TGIFSubImage* frame = image.Frames().GetFrame(0);
        ASSERT_TRUE(frame->ControlExtension());
        EXPECT_TRUE(frame->IsTransparent());
        EXPECT_EQ(frame->ControlExtension()->FrameDelay(), 10);
        EXPECT_EQ(frame->ControlExtension()->DisposalMethod(), 1);
        EXPECT_TRUE(image.warnings.empty());
    }
    {
        // A block of size 5 has one byte more; the image after it still loads.
        RecordingImage image;
        Load(image, GIFWith({0x21, 0xF9, 5, 0x00, 3, 0, 0, 0xEE, 0}));
        ASSERT_EQ(image.Frames().Count(), 1);
        EXPECT_EQ(image.Frames().GetFrame(0)->ControlExtension()->FrameDelay(), 3);
        EXPECT_EQ(image.Frames().GetFrame(0)->PixelAt(0, 0), 1);
        EXPECT_TRUE(image.warnings.empty());
    }
    {
        // A stream that ends inside the block warns and keeps going.
        RecordingImage image;
        Load(image, Cat({Str("GIF89a"), {2, 0, 1, 0, 0, 0, 0}, {0x21, 0xF9, 4, 1}}));
        EXPECT_EQ(image.warnings.front(), "Premature end of data");
    }
}

TEST(Extensions, GraphicControlOfSizeZeroEndsAtItsSizeByte) {
    // The size byte 0 is the block's own terminator: the image separator after it must not
    // be taken for a sub-block of 0x2C bytes, which would swallow the image.
    RecordingImage image;
    Load(image, GIFWith({0x21, 0xF9, 0}));
    ASSERT_EQ(image.Frames().Count(), 1);
    TGIFSubImage* frame = image.Frames().GetFrame(0);
    ASSERT_TRUE(frame->ControlExtension());
    EXPECT_EQ(frame->ControlExtension()->FrameDelay(), 0);
    EXPECT_EQ(frame->ControlExtension()->DisposalMethod(), 0);
    EXPECT_FALSE(frame->IsTransparent());
    ASSERT_FALSE(frame->IsEmpty());
    EXPECT_EQ(frame->PixelAt(0, 0), 1);
    EXPECT_EQ(frame->PixelAt(1, 0), 0);
    EXPECT_EQ(image.warnings, std::vector<String>{"Premature end of data"});
}

TEST(Extensions, FirstOfTwoGraphicControlsDecides) {
    struct Block {
        Byte packed, delay, index;
    };
    struct Case {
        const char* what;
        Block first, second;
        bool transparent;
    } cases[] = {
        // Disposal 2, delay 7, opaque; then disposal 3, delay 9, transparent on 1.
        {"opaque first", {0x08, 7, 0}, {0x0D, 9, 1}, false},
        // Disposal 1, delay 4, transparent on 1; then one transparent on 0.
        {"transparent first", {0x05, 4, 1}, {0x01, 8, 0}, true},
    };
    for (const Case& c : cases) {
        RecordingImage image;
        Load(image,
             GIFWith({0x21, 0xF9, 4, c.first.packed, c.first.delay, 0, c.first.index, 0, 0x21, 0xF9,
                      4, c.second.packed, c.second.delay, 0, c.second.index, 0}));
        ASSERT_EQ(image.Frames().Count(), 1) << c.what;
        TGIFSubImage* frame = image.Frames().GetFrame(0);
        ASSERT_EQ(frame->FrameExtensions().Count(), 2) << c.what;
        TGIFGraphicControlExtension* own = frame->ControlExtension();
        ASSERT_EQ(own, frame->FrameExtensions().ExtensionAt(0)) << c.what;
        EXPECT_EQ(own->FrameDelay(), c.first.delay) << c.what;
        EXPECT_EQ(own->DisposalMethod(), (c.first.packed >> 2) & 7) << c.what;
        EXPECT_EQ(frame->IsTransparent(), c.transparent) << c.what;
        EXPECT_EQ(frame->TransparentIndex(), c.first.index) << c.what;
        // The second one going changes nothing of the frame.
        frame->FrameExtensions().ExtensionAt(1)->Free();
        EXPECT_EQ(frame->ControlExtension(), own) << c.what;
        EXPECT_EQ(frame->IsTransparent(), c.transparent) << c.what;
        EXPECT_EQ(frame->FrameExtensions().Count(), 1) << c.what;
    }
}

TEST(Extensions, UnknownLabelsAndStrayBytes) {
    {
        // An extension label nobody knows is skipped with a warning; the image loads.
        RecordingImage image;
        Load(image, GIFWith({0x21, 0x42, 3, 1, 2, 3, 0}));
        ASSERT_EQ(image.Frames().Count(), 1);
        EXPECT_EQ(image.Frames().GetFrame(0)->FrameExtensions().Count(), 0);
        EXPECT_EQ(image.Frames().GetFrame(0)->PixelAt(0, 0), 1);
        EXPECT_EQ(image.warnings, std::vector<String>{"Unknown extension type"});
    }
    {
        // The extension reader stops at a byte that starts no block.
        RecordingImage image;
        TMemoryStream s;
        Fill(s, Cat({Str("GIF89a"), {2, 0, 1, 0, 0, 0, 0}, {0x21, 0xFE, 1, 'a', 0, 0x77}}));
        // What follows is then taken for an image descriptor, which is cut short here.
        EXPECT_THROW(image.ReadGIF(s), GIFException);
        ASSERT_FALSE(image.warnings.empty());
        EXPECT_EQ(image.warnings.front(), "Invalid extension introducer");
    }
    {
        // An extension loading itself checks its introducer and label.
        RecordingImage image;
        TGIFSubImage* frame = AddFrame(image, 1, 1);
        auto* comment = CreateObject<TGIFCommentExtension>(frame);
        TMemoryStream s;
        Fill(s, {0x21, 0xF9, 0});
        try {
            comment->LoadFromStream(s);
            ADD_FAILURE();
        } catch (const GIFException& e) {
            EXPECT_STREQ(e.what(),
                         "Internal error: Extension Instance does not match Extension Label");
        }
        Fill(s, {0x22, 0xFE, 0});
        EXPECT_THROW(comment->LoadFromStream(s), GIFException);
        comment->Free();
    }
}

TEST(Extensions, ExtensionsMakeTheImage89a) {
    RecordingImage image;
    TGIFSubImage* frame = AddFrame(image, 1, 1);
    EXPECT_EQ(Save(image)[4], '7');
    frame->FrameExtensions().AppendItem(CreateObject<TGIFCommentExtension>(frame));
    EXPECT_EQ(Save(image)[4], '9');
}
