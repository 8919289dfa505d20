#include "GraphicTestUtil.h"

#include "framework/ImageList.h"

#include <gtest/gtest.h>

using namespace gfx_test;

namespace {

// A strip of three 4 x 4 pieces: red, green, blue, each with a fuchsia top-left pixel.
ObjectPtr<TBitmap> Strip() {
    auto b = SolidBitmap(12, 4, clRed);
    b->Canvas()->Brush()->SetColor(clLime);
    b->Canvas()->FillRect(Rect(4, 0, 8, 4));
    b->Canvas()->Brush()->SetColor(clBlue);
    b->Canvas()->FillRect(Rect(8, 0, 12, 4));
    for (int x : {0, 4, 8})
        b->Canvas()->SetPixels(x, 0, clFuchsia);
    return b;
}

ObjectPtr<TImageList> List(int w, int h) {
    auto list = CreateUnowned<TImageList>();
    list->SetWidth(w);
    list->SetHeight(h);
    return list;
}

TEST(ImageList, AddCutsTheImageIntoPieces) {
    auto list = List(4, 4);
    auto strip = Strip();
    EXPECT_EQ(list->AddMasked(strip.get(), clFuchsia), 0);
    EXPECT_EQ(list->Count(), 3);
    EXPECT_EQ(list->Add(strip.get(), nullptr), 3);
    EXPECT_EQ(list->Count(), 6);
    list->SetWidth(8); // a new size clears the list
    EXPECT_EQ(list->Count(), 0);
    list->Clear();
    EXPECT_EQ(list->Count(), 0);
}

TEST(ImageList, MaskedDrawLeavesTheKeyColour) {
    auto list = List(4, 4);
    auto strip = Strip();
    list->AddMasked(strip.get(), clFuchsia);
    auto target = SolidBitmap(8, 8, clBlack);
    list->Draw(target->Canvas(), 2, 2, 1);
    EXPECT_EQ(PixelOf(*target, 2, 2), clBlack); // see-through
    EXPECT_EQ(PixelOf(*target, 3, 2), clLime);
    EXPECT_EQ(PixelOf(*target, 5, 5), clLime);
    EXPECT_EQ(PixelOf(*target, 6, 6), clBlack); // outside the image
    list->Draw(target->Canvas(), 0, 0, 7);      // no such image: nothing
    EXPECT_EQ(PixelOf(*target, 0, 0), clBlack);
}

TEST(ImageList, UnmaskedListDrawsOpaque) {
    auto list = List(4, 4);
    list->SetMasked(false);
    auto strip = Strip();
    list->AddMasked(strip.get(), clFuchsia);
    auto target = SolidBitmap(4, 4, clBlack);
    list->Draw(target->Canvas(), 0, 0, 2);
    EXPECT_EQ(PixelOf(*target, 0, 0), clFuchsia);
    EXPECT_EQ(PixelOf(*target, 1, 0), clBlue);
}

TEST(ImageList, MaskBitmapMarksSeeThroughInWhite) {
    auto list = List(2, 1);
    auto image = SolidBitmap(2, 1, clRed);
    auto mask = SolidBitmap(2, 1, clBlack);
    mask->Canvas()->SetPixels(1, 0, clWhite);
    list->Add(image.get(), mask.get());
    auto target = SolidBitmap(2, 1, clGreen);
    list->Draw(target->Canvas(), 0, 0, 0);
    EXPECT_EQ(PixelOf(*target, 0, 0), clRed);
    EXPECT_EQ(PixelOf(*target, 1, 0), clGreen);
}

TEST(ImageList, DisabledDrawIsLightGrey) {
    auto list = List(4, 4);
    auto strip = Strip();
    list->AddMasked(strip.get(), clFuchsia);
    auto target = SolidBitmap(4, 4, clBlack);
    list->Draw(target->Canvas(), 0, 0, 0, false);
    const TColor c = PixelOf(*target, 2, 2);
    EXPECT_EQ(GetRValue(c), GetGValue(c));
    EXPECT_EQ(GetGValue(c), GetBValue(c));
    EXPECT_GE(GetRValue(c), 128);
    EXPECT_EQ(PixelOf(*target, 0, 0), clBlack);
}

TEST(ImageList, GetBitmapGivesThePieceOnWhite) {
    auto list = List(4, 4);
    auto strip = Strip();
    list->AddMasked(strip.get(), clFuchsia);
    auto piece = MakeObject<TBitmap>();
    list->GetBitmap(2, piece.get());
    EXPECT_EQ(piece->Width(), 4);
    EXPECT_EQ(piece->Height(), 4);
    EXPECT_EQ(PixelOf(*piece, 0, 0), clWhite);
    EXPECT_EQ(PixelOf(*piece, 3, 3), clBlue);
}

TEST(ImageList, OwnedListDiesWithItsOwner) {
    auto owner = CreateUnowned<TComponent>();
    auto* list = CreateComponent<TImageList>(owner.get());
    EXPECT_EQ(owner->ComponentCount(), 1);
    EXPECT_EQ(list->Owner(), owner.get());
}

} // namespace
