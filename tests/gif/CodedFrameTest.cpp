// Frames that keep their pixels coded while nothing needs them: they give the same pixels
// and the same bytes as frames that keep them decoded, drop the coded form when their pixels
// change, stay coded through a copy of the image, and are coded again once shown.
#include "GIFGraphicTestUtil.h"
#include "PainterTestUtil.h"

#include "gif/codec/GIFEncoders.h"
#include "rtl/Stream.h"

#include <gtest/gtest.h>

#include <string>

using namespace gifgraphictest;

namespace {

constexpr int kWidth = 37;
constexpr int kHeight = 23;

// Index 0 becomes 1, the others stay.
const TColorIndexTable& ZeroToOne() {
    static TColorIndexTable table = {};
    for (int i = 0; i < 256; ++i)
        table[i] = static_cast<Byte>(i == 0 ? 1 : i);
    return table;
}
const TColorIndexTable& kZeroToOne = ZeroToOne();

// Pixels in runs and noise over 200 colours: some codes repeat, some do not.
Byte PixelValue(int x, int y) {
    return static_cast<Byte>((x / 3 + y * 7 + (x * y) % 11) % 200);
}

TGIFSubImage* AddPatternFrame(TGIFGraphic& image, bool interlaced) {
    TGIFSubImage* frame = CreateObject<TGIFSubImage>(&image);
    frame->ChangeBounds(0, 0, kWidth, kHeight);
    for (int i = 0; i < 200; ++i)
        frame->OwnColorMap().AppendColor(TColor(RGB(i, 255 - i, i / 2)));
    frame->SetInterlaced(interlaced);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            frame->RowAt(y)[x] = PixelValue(x, y);
    image.AddFrame(frame);
    return frame;
}

std::string Saved(TGIFGraphic& image) {
    TMemoryStream stream;
    image.SaveToStream(stream);
    return std::string(reinterpret_cast<const char*>(stream.Memory()),
                       static_cast<size_t>(stream.Size()));
}

struct CodingCase {
    const char* name;
    bool interlaced;
    Byte compression;
};

class CodedFrame : public ::testing::TestWithParam<CodingCase> {};

TEST_P(CodedFrame, KeepsItsPixelsAndBytesAndDropsTheCodeWhenThePixelsChange) {
    const CodingCase& c = GetParam();
    ObjectPtr<TGIFGraphic> image = MakeObject<TGIFGraphic>();
    image->SetCompressionKind(c.compression);
    TGIFSubImage* frame = AddPatternFrame(*image, c.interlaced);
    frame->GetFrameBitmap();
    const std::string decoded = Saved(*image);

    frame->Pack();
    EXPECT_TRUE(frame->Packed());
    EXPECT_EQ(frame->HeldPixelBytes(), 0);
    EXPECT_FALSE(frame->BitmapExists());
    EXPECT_EQ(Saved(*image), decoded) << "the coded form is what the stream holds";
    EXPECT_TRUE(frame->Packed()) << "saving needs nothing decoded";
    for (int y : {0, 1, kHeight / 2, kHeight - 1})
        for (int x : {0, 5, kWidth - 1})
            EXPECT_EQ(frame->PixelAt(x, y), PixelValue(x, y)) << x << "," << y;
    EXPECT_FALSE(frame->Packed());
    EXPECT_TRUE(frame->KeepsCode()) << "reading keeps the coded form";

    // Changes through every way of writing pixels: what is saved is the new pixels.
    struct Write {
        const char* how;
        std::function<void()> run;
    };
    const Write writes[] = {
        {"RowAt", [&] { frame->RowAt(3)[4] = 199; }},
        {"Data", [&] { frame->Data()[kWidth * 5] = 198; }},
        {"a remap", [&] { frame->RemapPixelValues(kZeroToOne); }},
    };
    ObjectPtr<TGIFGraphic> control = MakeObject<TGIFGraphic>();
    control->SetCompressionKind(c.compression);
    TGIFSubImage* same = AddPatternFrame(*control, c.interlaced);
    for (const Write& write : writes) {
        frame->Pack();
        write.run();
        EXPECT_FALSE(frame->KeepsCode()) << write.how;
        // The control frame gets the same change on pixels never coded.
        std::swap(frame, same);
        write.run();
        std::swap(frame, same);
        EXPECT_EQ(Saved(*image), Saved(*control)) << write.how;
        EXPECT_NE(Saved(*image), decoded) << write.how;
    }
}

INSTANTIATE_TEST_SUITE_P(Codings, CodedFrame,
                         ::testing::Values(CodingCase{"Lzw", false, kCompressLZW},
                                           CodingCase{"LzwInterlaced", true, kCompressLZW},
                                           CodingCase{"RunLength", false, kCompressRLE}),
                         [](const auto& test) { return std::string(test.param.name); });

TEST(CodedFrameCopy, StaysCodedAndIsCodedAgainForAnotherCompression) {
    ObjectPtr<TGIFGraphic> image = MakeObject<TGIFGraphic>();
    for (int i = 0; i < 3; ++i)
        AddPatternFrame(*image, false)->Pack();
    const std::string original = Saved(*image);

    ObjectPtr<TGIFGraphic> copy = MakeObject<TGIFGraphic>();
    copy->Assign(image.get());
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(copy->Frames().GetFrame(i)->Packed()) << i;
        EXPECT_EQ(copy->Frames().GetFrame(i)->HeldPixelBytes(), 0) << i;
    }
    EXPECT_EQ(Saved(*copy), original);

    // The copy keeps its own compression kind: its frames are coded anew to save.
    ObjectPtr<TGIFGraphic> runLength = MakeObject<TGIFGraphic>();
    runLength->SetCompressionKind(kCompressRLE);
    runLength->Assign(image.get());
    ObjectPtr<TGIFGraphic> expected = MakeObject<TGIFGraphic>();
    expected->SetCompressionKind(kCompressRLE);
    for (int i = 0; i < 3; ++i)
        AddPatternFrame(*expected, false);
    EXPECT_EQ(Saved(*runLength), Saved(*expected));
}

class CodedFrameAnimation : public paintertest::PainterFixture {};

TEST_F(CodedFrameAnimation, EachFrameIsCodedAgainOnceShown) {
    ObjectPtr<TGIFGraphic> image = paintertest::Strip({0, 0, 0, 0});
    image->SetPaintOptions(image->PaintOptions() & (~drLoop));
    for (int i = 0; i < 4; ++i)
        image->Frames().GetFrame(i)->Pack();
    paintertest::HandlerLog log;
    log.Hook(*image);
    // While frame k is painted, every other frame is held coded.
    std::vector<int> decodedElsewhere;
    log.onPaint = [&](TGIFPainter& painter) {
        int decoded = 0;
        for (int i = 0; i < 4; ++i)
            if (i != painter.CurrentFrame) decoded += !image->Frames().GetFrame(i)->Packed();
        decodedElsewhere.push_back(decoded);
    };
    auto shown = MakeBitmap(8, 4);
    shown->Canvas()->StretchDraw(Rect(0, 0, 8, 4), image.get());
    ASSERT_TRUE(Serve([&] { return log.Count('E') == 1 && Listed(*image) == 0; }));
    EXPECT_EQ(decodedElsewhere, (std::vector<int>{0, 0, 0, 0}));
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(image->Frames().GetFrame(i)->Packed()) << i;
    // The last frame was shown from its decoded pixels.
    const TColor last = image->Frames().GetFrame(3)->OwnColorMap().ColorAt(0);
    EXPECT_EQ(image->RenderedBitmap()->Canvas()->Pixels(3, 1), last);
}

} // namespace
