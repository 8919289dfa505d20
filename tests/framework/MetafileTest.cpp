#include "framework/Metafile.h"
#include "framework/Bitmap.h"
#include "framework/Canvas.h"
#include "framework/Picture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const TColor kGrey = RGB(90, 90, 90), kBlue = RGB(0, 0, 255), kYellow = RGB(255, 255, 0);

// A 6 x 4 metafile: its left half blue, a yellow block at (4, 1)-(6, 3).
ObjectPtr<TMetafile> Recorded() {
    ObjectPtr<TMetafile> metafile = MakeObject<TMetafile>();
    metafile->SetWidth(6);
    metafile->SetHeight(4);
    ObjectPtr<TMetafileCanvas> canvas = MakeObject<TMetafileCanvas>(metafile.get());
    canvas->Brush()->SetColor(kBlue);
    canvas->FillRect(Rect(0, 0, 3, 4));
    canvas->Brush()->SetColor(kYellow);
    canvas->FillRect(Rect(4, 1, 6, 3));
    // Nothing reaches the metafile until the canvas goes.
    EXPECT_TRUE(metafile->Empty());
    return metafile;
}

// The picture drawn into the whole of a grey bitmap of the given size, as rows of letters:
// b blue, y yellow, . grey (untouched), ? anything else.
std::vector<std::string> Played(TGraphic& graphic, int width, int height) {
    ObjectPtr<TBitmap> target = MakeObject<TBitmap>();
    target->SetPixelFormat(pf24bit);
    target->SetSize(width, height);
    target->Canvas()->Brush()->SetColor(kGrey);
    target->Canvas()->FillRect(Rect(0, 0, width, height));
    target->Canvas()->StretchDraw(Rect(0, 0, width, height), &graphic);
    std::vector<std::string> rows;
    for (int y = 0; y < height; ++y) {
        std::string row;
        for (int x = 0; x < width; ++x) {
            TColor c = target->Canvas()->Pixels(x, y);
            row += c == kBlue ? 'b' : c == kYellow ? 'y' : c == kGrey ? '.' : '?';
        }
        rows.push_back(row);
    }
    return rows;
}

} // namespace

TEST(Metafile, PlaysItsDrawingBackAtAnySizeLeavingTheRest) {
    ObjectPtr<TMetafile> metafile = Recorded();
    EXPECT_FALSE(metafile->Empty());
    EXPECT_EQ(metafile->RecordCount(), 2);
    EXPECT_TRUE(metafile->Transparent());
    EXPECT_EQ(Played(*metafile, 6, 4),
              (std::vector<std::string>{"bbb...", "bbb.yy", "bbb.yy", "bbb..."}));
    EXPECT_EQ(Played(*metafile, 12, 4), (std::vector<std::string>{
                                            "bbbbbb......",
                                            "bbbbbb..yyyy",
                                            "bbbbbb..yyyy",
                                            "bbbbbb......",
                                        }));
}

TEST(Metafile, PictureHoldsACopyThatOutlivesTheOriginal) {
    ObjectPtr<TMetafile> metafile = Recorded();
    ObjectPtr<TPicture> picture = MakeObject<TPicture>();
    picture->SetGraphic(metafile.get());
    metafile.reset();
    auto* copy = dynamic_cast<TMetafile*>(picture->Graphic());
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->Width(), 6);
    EXPECT_EQ(copy->Height(), 4);
    EXPECT_EQ(Played(*copy, 6, 4),
              (std::vector<std::string>{"bbb...", "bbb.yy", "bbb.yy", "bbb..."}));
    // No file format: saving says so; clearing keeps the size.
    TMemoryStream stream;
    EXPECT_THROW(copy->SaveToStream(stream), EInvalidGraphic);
    copy->Clear();
    EXPECT_TRUE(copy->Empty());
    EXPECT_EQ(copy->Width(), 6);
}
