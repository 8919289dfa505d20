#include "GraphicTestUtil.h"

#include "framework/Jpeg.h"
#include "framework/Picture.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdio>

using namespace gfx_test;

namespace {

// A format of its own: remembers how it was made, saves a fixed text.
class TNoteGraphic : public TGraphic {
    KORVID_GRAPHIC_CLASS(TNoteGraphic, TGraphic)
    void Draw(TCanvas*, const TRect&) override {}
    void LoadFromStream(TStream& s) override {
        text.resize(size_t(s.Size() - s.Position()));
        if (!text.empty()) s.ReadBuffer(text.data(), Int64(text.size()));
        Progress(this, psEnding, 100, false, TRect{}, "Loading...");
    }
    void SaveToStream(TStream& s) override { s.WriteBuffer("note", 4); }
    void SetWidth(int) override {}
    void SetHeight(int) override {}
    void Assign(TPersistent* Source) override {
        if (auto* n = dynamic_cast<TNoteGraphic*>(Source)) {
            text = n->text;
            return;
        }
        inherited::Assign(Source);
    }
    String text;

protected:
    bool GetEmpty() const override { return text.empty(); }
    int GetWidth() const override { return 1; }
    int GetHeight() const override { return 1; }
};

class PictureFiles : public ::testing::Test {
protected:
    void SetUp() override {
        TPicture::RegisterFileFormat("note", "Notes", GraphicClass<TNoteGraphic>());
    }
    void TearDown() override { TPicture::UnregisterGraphicClass(GraphicClass<TNoteGraphic>()); }
    String Path(const char* name) { return dir_.File(name); }
    test_support::TempFolder dir_{"korvid-picture-"};
};

TEST(Picture, AssignMakesItsOwnCopyOfTheGraphicClass) {
    auto source = SolidBitmap(2, 2, clRed, pf8bit);
    auto picture = MakeObject<TPicture>();
    int changes = 0;
    picture->OnChange = [&](TObject* sender) {
        EXPECT_EQ(sender, picture.get());
        ++changes;
    };
    picture->Assign(source.get());
    EXPECT_EQ(changes, 1);
    ASSERT_NE(picture->Graphic(), nullptr);
    EXPECT_NE(picture->Graphic(), source.get());
    auto* held = dynamic_cast<TBitmap*>(picture->Graphic());
    ASSERT_NE(held, nullptr);
    EXPECT_EQ(held->PixelFormat(), pf8bit);
    source->Canvas()->SetPixels(0, 0, clBlue);
    EXPECT_EQ(PixelOf(*held, 0, 0), clRed);
    // Changes of the held copy reach the picture; those of the source do not.
    held->Canvas()->SetPixels(1, 1, clBlue);
    EXPECT_EQ(changes, 2);
    auto other = MakeObject<TPicture>();
    other->Assign(picture.get());
    EXPECT_NE(other->Graphic(), picture->Graphic());
    EXPECT_EQ(other->Width(), 2);
    picture->Assign(nullptr);
    EXPECT_EQ(picture->Graphic(), nullptr);
    EXPECT_EQ(picture->Width(), 0);
}

TEST(Picture, BitmapReplacesAnotherGraphic) {
    auto picture = MakeObject<TPicture>();
    auto jpeg = MakeObject<TJPEGImage>();
    picture->Assign(jpeg.get());
    TBitmap* bitmap = picture->Bitmap();
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(picture->Graphic(), bitmap);
    EXPECT_EQ(picture->Bitmap(), bitmap);
}

TEST_F(PictureFiles, LoadPicksTheClassByExtensionCaseInsensitively) {
    auto bitmap = SolidBitmap(3, 1, clLime);
    bitmap->SaveToFile(Path("a.BmP"));
    {
        TFileStream f(Path("b.NOTE"), fmCreate);
        f.WriteBuffer("hello", 5);
    }
    auto picture = MakeObject<TPicture>();
    int progress = 0;
    picture->OnProgress = [&](TObject*, TProgressStage, Byte, bool, const TRect&, const String&) {
        ++progress;
    };
    picture->LoadFromFile(Path("a.BmP"));
    ASSERT_NE(dynamic_cast<TBitmap*>(picture->Graphic()), nullptr);
    EXPECT_EQ(picture->Width(), 3);
    picture->LoadFromFile(Path("b.NOTE"));
    auto* note = dynamic_cast<TNoteGraphic*>(picture->Graphic());
    ASSERT_NE(note, nullptr);
    EXPECT_EQ(note->text, "hello");
    EXPECT_EQ(progress, 1);
}

TEST_F(PictureFiles, UnknownExtensionAndBrokenFileKeepThePicture) {
    auto picture = MakeObject<TPicture>();
    auto bitmap = SolidBitmap(2, 2, clRed);
    picture->Assign(bitmap.get());
    try {
        picture->LoadFromFile(Path("x.xyz"));
        FAIL();
    } catch (const EInvalidGraphic& e) {
        EXPECT_STREQ(e.what(), "Unknown picture file extension (.xyz)");
    }
    {
        TFileStream f(Path("bad.bmp"), fmCreate);
        f.WriteBuffer("BMxx", 4);
    }
    EXPECT_THROW(picture->LoadFromFile(Path("bad.bmp")), EInvalidGraphic);
    EXPECT_EQ(picture->Width(), 2);
}

TEST_F(PictureFiles, SaveWritesThroughTheHeldGraphicWhateverTheExtension) {
    auto picture = MakeObject<TPicture>();
    auto bitmap = SolidBitmap(2, 2, clRed);
    picture->Assign(bitmap.get());
    picture->SaveToFile(Path("out.note"));
    TFileStream f(Path("out.note"), fmOpenRead);
    char head[2] = {};
    f.ReadBuffer(head, 2);
    EXPECT_EQ(head[0], 'B');
    EXPECT_EQ(head[1], 'M');
}

TEST_F(PictureFiles, UnregisteredClassIsNoLongerFound) {
    EXPECT_TRUE(bool(TPicture::FileFormatClass(".note")));
    TPicture::UnregisterGraphicClass(GraphicClass<TNoteGraphic>());
    EXPECT_FALSE(bool(TPicture::FileFormatClass("note")));
}

TEST(Picture, ClipboardFormatsChooseTheClass) {
    const Word format = 0xC123;
    EXPECT_FALSE(TPicture::SupportsClipboardFormat(format));
    TPicture::RegisterClipboardFormat(format, GraphicClass<TNoteGraphic>());
    EXPECT_TRUE(TPicture::SupportsClipboardFormat(format));
    auto picture = MakeObject<TPicture>();
    // The note class refuses clipboard data: the picture stays empty.
    EXPECT_THROW(picture->LoadFromClipboardFormat(format, 1, 0), EInvalidGraphic);
    EXPECT_EQ(picture->Graphic(), nullptr);
    TPicture::UnregisterGraphicClass(GraphicClass<TNoteGraphic>());
    EXPECT_FALSE(TPicture::SupportsClipboardFormat(format));
}

} // namespace
