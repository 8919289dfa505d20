#include "GraphicTestUtil.h"

#include "framework/Jpeg.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

using namespace gfx_test;

namespace {

// Left half red, right half blue: survives compression within a few levels.
ObjectPtr<TBitmap> TwoColours() {
    auto b = SolidBitmap(32, 16, clRed);
    b->Canvas()->Brush()->SetColor(clBlue);
    b->Canvas()->FillRect(Rect(16, 0, 32, 16));
    return b;
}

// The start-of-frame marker of a baseline picture; its height follows 3 bytes later.
const Byte kSof0[] = {0xFF, 0xC0};

bool Near(TColor a, TColor b, int tolerance) {
    for (int shift : {0, 8, 16})
        if (std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > tolerance) return false;
    return true;
}

std::vector<Byte> Save(TGraphic& g) {
    TMemoryStream s;
    g.SaveToStream(s);
    return std::vector<Byte>(s.Memory(), s.Memory() + s.Size());
}

TEST(Jpeg, BitmapRoundTrip) {
    auto source = TwoColours();
    auto jpeg = MakeObject<TJPEGImage>();
    jpeg->Assign(source.get());
    EXPECT_EQ(jpeg->Width(), 32);
    std::vector<Byte> bytes = Save(*jpeg);
    ASSERT_GT(bytes.size(), 100u);
    EXPECT_EQ(bytes[0], 0xFF);
    EXPECT_EQ(bytes[1], 0xD8);
    auto loaded = MakeObject<TJPEGImage>();
    TMemoryStream s;
    s.WriteBuffer(bytes.data(), Int64(bytes.size()));
    s.SetPosition(0);
    loaded->LoadFromStream(s);
    EXPECT_EQ(loaded->Width(), 32);
    EXPECT_EQ(loaded->Height(), 16);
    auto back = MakeObject<TBitmap>();
    back->Assign(loaded.get());
    EXPECT_EQ(back->PixelFormat(), pf24bit);
    EXPECT_TRUE(Near(PixelOf(*back, 4, 8), clRed, 12));
    EXPECT_TRUE(Near(PixelOf(*back, 28, 8), clBlue, 12));
    // Kept bytes are saved back unchanged.
    EXPECT_EQ(Save(*loaded), bytes);
}

TEST(Jpeg, QualityIsClampedAndDecidesTheSize) {
    auto source = MakeObject<TBitmap>();
    source->SetPixelFormat(pf24bit);
    source->SetSize(64, 64);
    for (int y = 0; y < 64; ++y) {
        Byte* row = static_cast<Byte*>(source->ScanLine(y));
        for (int x = 0; x < 64 * 3; ++x)
            row[x] = Byte((x * 37 + y * 91) ^ (x * y));
    }
    auto jpeg = MakeObject<TJPEGImage>();
    jpeg->SetCompressionQuality(0);
    EXPECT_EQ(jpeg->CompressionQuality(), 1);
    jpeg->SetCompressionQuality(500);
    EXPECT_EQ(jpeg->CompressionQuality(), 100);
    jpeg->Assign(source.get());
    const size_t best = Save(*jpeg).size();
    jpeg->SetCompressionQuality(10);
    const size_t small = Save(*jpeg).size();
    EXPECT_LT(small, best);
    jpeg->SetPerformance(jpBestSpeed);
    EXPECT_EQ(jpeg->Performance(), jpBestSpeed);
}

TEST(Jpeg, BrokenDataIsRefusedAndKeepsThePicture) {
    auto jpeg = MakeObject<TJPEGImage>();
    auto source = TwoColours();
    jpeg->Assign(source.get());
    std::vector<Byte> good = Save(*jpeg);
    for (size_t cut : {size_t(2), size_t(20), good.size() / 3}) {
        SCOPED_TRACE(cut);
        TMemoryStream s;
        s.WriteBuffer(good.data(), Int64(cut));
        s.SetPosition(0);
        auto other = MakeObject<TJPEGImage>();
        other->Assign(jpeg.get());
        try {
            other->LoadFromStream(s);
            // libjpeg fills a cut tail with grey: a long enough head may still decode.
            EXPECT_GT(cut, size_t(20));
        } catch (const EInvalidGraphic& e) {
            EXPECT_STREQ(e.what(), "JPEG image is not valid");
            EXPECT_EQ(other->Width(), 32);
        }
    }
    TMemoryStream junk;
    junk.WriteBuffer("not a jpeg at all", 17);
    junk.SetPosition(0);
    EXPECT_THROW(jpeg->LoadFromStream(junk), EInvalidGraphic);
    EXPECT_EQ(jpeg->Width(), 32);
}

TEST(Jpeg, DecodingStopsWhereTheDataEnds) {
    // A 32 x 16 picture whose header claims more: its data ends after row 15.
    auto jpeg = MakeObject<TJPEGImage>();
    jpeg->Assign(TwoColours().get());
    const std::vector<Byte> bytes = Save(*jpeg);
    struct Case {
        const char* what;
        int width, height;
        std::size_t cut;         // bytes dropped before the end-of-image marker
        std::vector<Byte> added; // in front of the end-of-image marker
        bool loads;
    } cases[] = {{"ends at its marker", 32, 30000, 0, {}, true},
                 {"file cut short", 32, 30000, 2, {}, true},
                 {"a comment after its data", 32, 30000, 0, {0xFF, 0xFE, 0, 3, 'x'}, true},
                 // 123 million pixels without data: a stub, not a damaged picture.
                 {"most of it missing", 4096, 30000, 0, {}, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<Byte> file = bytes;
        const auto sof = std::search(file.begin(), file.end(), kSof0, kSof0 + 2);
        ASSERT_NE(sof, file.end());
        sof[5] = Byte(c.height >> 8);
        sof[6] = Byte(c.height);
        sof[7] = Byte(c.width >> 8);
        sof[8] = Byte(c.width);
        file.insert(file.end() - 2, c.added.begin(), c.added.end());
        auto loaded = MakeObject<TJPEGImage>();
        loaded->SetProgressiveDisplay(true);
        int rowsReported = 0;
        loaded->OnProgress = [&](TObject*, TProgressStage stage, Byte, bool, const TRect&,
                                 const String&) { rowsReported += stage == psRunning; };
        TMemoryStream s;
        s.WriteBuffer(file.data(), Int64(file.size() - c.cut));
        s.SetPosition(0);
        if (!c.loads) {
            EXPECT_THROW(loaded->LoadFromStream(s), EInvalidGraphic);
            EXPECT_TRUE(loaded->Empty());
            continue;
        }
        loaded->LoadFromStream(s);
        ASSERT_EQ(loaded->Height(), c.height);
        // Progress comes every 32 decoded rows: only the first block rows were decoded.
        EXPECT_LE(rowsReported, 2);
        TBitmap* b = loaded->Bitmap();
        EXPECT_TRUE(Near(b->Canvas()->Pixels(2, 2), clRed, 24));
        EXPECT_EQ(b->Canvas()->Pixels(5, c.height - 1), RGB(128, 128, 128))
            << "the missing rest is grey";
    }
}

TEST(Jpeg, ProgressiveDisplayReportsRows) {
    auto source = TwoColours();
    auto jpeg = MakeObject<TJPEGImage>();
    jpeg->Assign(source.get());
    std::vector<Byte> bytes = Save(*jpeg);
    auto loaded = MakeObject<TJPEGImage>();
    loaded->SetProgressiveDisplay(true);
    std::vector<TProgressStage> stages;
    loaded->OnProgress = [&](TObject*, TProgressStage stage, Byte, bool redraw, const TRect&,
                             const String&) {
        stages.push_back(stage);
        if (stage == psRunning) {
            EXPECT_TRUE(redraw);
        }
    };
    TMemoryStream s;
    s.WriteBuffer(bytes.data(), Int64(bytes.size()));
    s.SetPosition(0);
    loaded->LoadFromStream(s);
    ASSERT_GE(stages.size(), 3u);
    EXPECT_EQ(stages.front(), psStarting);
    EXPECT_EQ(stages[1], psRunning);
    EXPECT_EQ(stages.back(), psEnding);
}

TEST(Jpeg, DrawingOnTheDecodedPictureIsSavedAnew) {
    auto source = TwoColours();
    auto jpeg = MakeObject<TJPEGImage>();
    jpeg->Assign(source.get());
    std::vector<Byte> first = Save(*jpeg);
    jpeg->Bitmap()->Canvas()->Brush()->SetColor(clLime);
    jpeg->Bitmap()->Canvas()->FillRect(Rect(0, 0, 32, 16));
    std::vector<Byte> second = Save(*jpeg);
    EXPECT_NE(first, second);
    auto target = SolidBitmap(32, 16, clBlack);
    target->Canvas()->Draw(0, 0, jpeg.get());
    EXPECT_TRUE(Near(PixelOf(*target, 5, 5), clLime, 12));
}

} // namespace
