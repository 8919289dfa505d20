#include "GIFGraphicTestUtil.h"
#include "GIFTestUtil.h"

#include "framework/Picture.h"
#include "gif/codec/GIFException.h"
#include "platform/gdi/Object.h"
#include "platform/user/Clipboard.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace gifgraphictest;
using giftest::Bytes;
using giftest::Cat;
using giftest::Contents;
using giftest::Fill;
using giftest::PackCodes;
using giftest::Str;
using giftest::SubBlocks;

namespace {

// 2 x 1 frame at (0, 0), pixels (1, 0), no local table.
const Bytes kImage = Cat({{0x2C, 0, 0, 0, 0, 2, 0, 1, 0, 0},
                          {2},
                          SubBlocks(PackCodes({{4, 3}, {1, 3}, {0, 3}, {5, 3}}))});
// GIF89a, a 2 x 1 screen with a black and white global table, then the blocks.
Bytes SmallGIF(const Bytes& blocks) {
    return Cat({Str("GIF89a"), {2, 0, 1, 0, 0x80, 0, 0}, {0, 0, 0, 255, 255, 255}, blocks});
}

Bytes SaveBytes(TGraphic& graphic) {
    TMemoryStream s;
    graphic.SaveToStream(s);
    return Contents(s);
}

void LoadBytes(TGraphic& graphic, const Bytes& data) {
    TMemoryStream s;
    Fill(s, data);
    graphic.LoadFromStream(s);
}

Bytes ReadFile(const String& name) {
    std::ifstream in(name, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace

TEST(Graphic, NewImageIsEmptyAndDrawsNothing) {
    RecordingGraphic image;
    EXPECT_TRUE(image->Empty());
    EXPECT_EQ(image->Width(), 0);
    EXPECT_EQ(image->GetRenderedBitmap(), nullptr);
    auto target = MakeBitmap(2, 2);
    target->Canvas()->Brush()->SetColor(RGB(1, 2, 3));
    target->Canvas()->FillRect(Rect(0, 0, 2, 2));
    target->Canvas()->StretchDraw(Rect(0, 0, 2, 2), image.image.get());
    EXPECT_EQ(target->Canvas()->Pixels(0, 0), RGB(1, 2, 3));
    EXPECT_EQ(image->PaintOptions(), 0x060F);
    EXPECT_EQ(image->ReductionMethod(), redNetscape);
    EXPECT_EQ(image->BackdropColor(), TColor(0x1FFFFFFF));
    EXPECT_THROW(SaveBytes(*image), GIFException);
}

TEST(Graphic, AssignedBitmapBecomesTheOnlyFrame) {
    auto bitmap = MakeBitmap(320, 240);
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 320; ++x)
            SetPixel24(*bitmap, x, y, Byte(x), Byte(y), 0);
    RecordingGraphic image;
    image->SetReductionMethod(redQuantize);
    image->Assign(bitmap.get());
    ASSERT_EQ(image->Frames().Count(), 1);
    TGIFSubImage* frame = image->Frames().GetFrame(0);
    EXPECT_EQ(frame->FrameRect(), Rect(0, 0, 320, 240));
    EXPECT_EQ(image->ScreenWidth(), 320);
    EXPECT_EQ(image->ScreenHeight(), 240);
    EXPECT_TRUE(image.warnings.empty());
    TBitmap* rendered = image->GetRenderedBitmap();
    ASSERT_NE(rendered, nullptr);
    ASSERT_EQ(rendered->PixelFormat(), pf8bit);
    for (int y : {0, 100, 239})
        for (int x : {0, 160, 319})
            EXPECT_EQ(static_cast<Byte*>(rendered->ScanLine(y))[x], frame->PixelAt(x, y));
}

TEST(Graphic, AddFrameCountsAndRefusesStrangers) {
    RecordingGraphic image;
    auto bitmap = MakePaletted(pf8bit, 2, {RGB(0, 0, 0), RGB(9, 9, 9)}, {{0, 1}});
    EXPECT_EQ(image->AddFrame(bitmap.get()), 0);
    EXPECT_EQ(image->AddFrame(bitmap.get()), 1);
    TGIFSubImage* own = image->Frames().GetFrame(1);
    EXPECT_EQ(image->AddFrame(own), 1); // already there
    ObjectPtr<TGIFHeader> header(CreateObject<TGIFHeader>(image.image.get()));
    try {
        image->AddFrame(header.get());
        FAIL();
    } catch (const GIFException& e) {
        EXPECT_EQ(e.Message(), "Object type not supported for operation");
    }
    RecordingGraphic other;
    TGIFSubImage* foreign = AddPlainFrame(*other, 1, 1, {RGB(0, 0, 0)});
    EXPECT_THROW(image->AddFrame(foreign), GIFException);
    EXPECT_EQ(image->Frames().Count(), 2);
}

TEST(Graphic, FailedConversionLeavesNoFrameNorGrownScreen) {
    RecordingGraphic image;
    image->SetReductionMethod(redNone);
    auto bitmap = MakeBitmap(300, 1);
    for (int x = 0; x < 300; ++x)
        SetPixel24(*bitmap, x, 0, Byte(x), Byte(x >> 8), 1);
    EXPECT_THROW(image->AddFrame(bitmap.get()), GIFException);
    EXPECT_TRUE(image->Empty());
    EXPECT_EQ(image->ScreenWidth(), 0);
}

TEST(Graphic, CopyKeepsOwnEncodingSettingsAndDropsHandlers) {
    RecordingGraphic source;
    AddPlainFrame(*source, 2, 2, {RGB(1, 1, 1), RGB(2, 2, 2)}, 1);
    MakeTransparent(*AddPlainFrame(*source, 1, 1, {RGB(3, 3, 3), RGB(0, 0, 0)}, 0, 1, 1), 1);
    source->SetSpeedPercent(50);
    source->SetCompressionKind(kCompressRLE);
    source->SetQuantizeBits(4);
    source->SetBackdropColor(clRed);
    RecordingGraphic copy;
    copy->Assign(source.image.get());
    EXPECT_EQ(copy->Frames().Count(), 2);
    EXPECT_EQ(copy->SpeedPercent(), 100);
    EXPECT_EQ(copy->CompressionKind(), kCompressLZW);
    EXPECT_EQ(copy->QuantizeBits(), 8);
    EXPECT_EQ(copy->BackdropColor(), clRed);
    EXPECT_FALSE(copy->WarningHandler());
    EXPECT_FALSE(copy->OnProgress);
    source->SetCompressionKind(kCompressLZW);
    EXPECT_EQ(SaveBytes(*copy), SaveBytes(*source));
}

TEST(GraphicStream, SaveLoadRoundTripIsByteExact) {
    RecordingGraphic image;
    for (int i = 0; i < 4; ++i)
        image->GlobalColorMap().AppendColor(RGB(i * 60, 0, 255 - i * 60));
    TGIFSubImage* first = AddPlainFrame(*image, 5, 3, {}, 0);
    for (int i = 0; i < 15; ++i)
        first->Data()[i] = Byte(i % 4);
    TGIFSubImage* second = AddPlainFrame(*image, 2, 2, {RGB(9, 9, 9), RGB(0, 0, 0)}, 1, 3, 1);
    MakeTransparent(*second, 1)->SetFrameDelay(25);
    auto* loop = CreateObject<TGIFAppExtNSLoop>(first);
    first->FrameExtensions().AppendItem(loop);
    Bytes saved = SaveBytes(*image);
    EXPECT_EQ(Bytes(saved.begin(), saved.begin() + 6), Str("GIF89a"));
    EXPECT_EQ(saved.back(), 0x3B);

    RecordingGraphic loaded;
    LoadBytes(*loaded, saved);
    ASSERT_EQ(loaded->Frames().Count(), 2);
    EXPECT_EQ(Pixels(*loaded->Frames().GetFrame(0)), Pixels(*first));
    EXPECT_TRUE(loaded->Frames().GetFrame(1)->IsTransparent());
    EXPECT_EQ(SaveBytes(*loaded), saved);
    EXPECT_TRUE(loaded.warnings.empty());
}

TEST(GraphicStream, OneFrameWithoutExtensionsIsWrittenAs87a) {
    RecordingGraphic image;
    AddPlainFrame(*image, 2, 1, {RGB(0, 0, 0), RGB(255, 255, 255)}, 1);
    Bytes saved = SaveBytes(*image);
    // Signature, screen 2 x 1 with no global table (size field from the local one), the
    // descriptor with a 2-entry local table, the table, code size 2, data, trailer.
    Bytes head = Cat({Str("GIF87a"),
                      {2, 0, 1, 0, 0x00, 0, 0},
                      {0x2C, 0, 0, 0, 0, 2, 0, 1, 0, 0x80},
                      {0, 0, 0, 255, 255, 255},
                      {2}});
    ASSERT_GT(saved.size(), head.size());
    EXPECT_EQ(Bytes(saved.begin(), saved.begin() + static_cast<long>(head.size())), head);
}

TEST(GraphicStream, StreamCutShortKeepsTheFramesThatArrived) {
    Bytes whole = SmallGIF(Cat({kImage, kImage, {0x3B}}));
    // Cut inside the second frame's descriptor.
    Bytes cut(whole.begin(), whole.begin() + static_cast<long>(SmallGIF(kImage).size() + 4));
    RecordingGraphic image;
    LoadBytes(*image, cut);
    ASSERT_EQ(image->Frames().Count(), 1);
    EXPECT_EQ(image->Frames().GetFrame(0)->PixelAt(0, 0), 1);
    EXPECT_EQ(image.warnings, std::vector<String>{"Premature end of data"});
}

TEST(GraphicStream, OtherFailuresAfterAFrameStillRaise) {
    // Image data of minimum code size 0 after a good frame: no decoder could mean it.
    Bytes broken = Cat({{0x2C, 0, 0, 0, 0, 2, 0, 1, 0, 0}, {0}, {1, 0, 0}});
    RecordingGraphic image;
    try {
        LoadBytes(*image, SmallGIF(Cat({kImage, broken, {0x3B}})));
        FAIL() << "loaded";
    } catch (const GIFException& e) {
        EXPECT_EQ(e.Message(), "Invalid GIF data");
    }
    EXPECT_TRUE(image->Empty());
    EXPECT_TRUE(image.warnings.empty());
}

TEST(GraphicStream, WhatIsNoGIFRaisesAndLeavesTheImageEmpty) {
    RecordingGraphic image;
    AddPlainFrame(*image, 2, 2, {RGB(0, 0, 0)});
    TMemoryStream s;
    Bytes junk = Cat({{9, 9}, Str("PNG89a and more bytes")});
    Fill(s, junk);
    s.SetPosition(2);
    try {
        image->LoadFromStream(s);
        FAIL();
    } catch (const GIFException& e) {
        EXPECT_EQ(e.Message(), "Invalid GIF signature");
    }
    EXPECT_TRUE(image->Empty());
    EXPECT_EQ(image->ScreenWidth(), 0);
    EXPECT_EQ(s.Position(), 2);
    // A header cut short is no GIF either.
    EXPECT_THROW(LoadBytes(*image, Str("GIF89a\x02")), GIFException);
    EXPECT_TRUE(image->Empty());
}

TEST(GraphicStream, HugeDeclaredFramesRaiseBeforeAllocating) {
    // A 65535 x 65535 frame, and frames within the per-frame limit that add up past the
    // image's budget.
    Bytes huge = SmallGIF(Cat({{0x2C, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0}, {2}, {0}, {0x3B}}));
    RecordingGraphic image;
    EXPECT_THROW(LoadBytes(*image, huge), GIFException);
    EXPECT_TRUE(image->Empty());

    // Frames within the per-frame limit may not add up past the image's budget.
    AddPlainFrame(*image, 1000, 1000, {RGB(0, 0, 0)});
    EXPECT_NO_THROW(image->CheckPixelBudget(kMaxImagePixels - 1000 * 1000));
    try {
        image->CheckPixelBudget(kMaxImagePixels - 1000 * 1000 + 1);
        FAIL();
    } catch (const GIFException& e) {
        EXPECT_EQ(e.Message(), "Image is too large");
    }
}

TEST(GraphicStream, StubFilesRefuseThePassesThatDecodeEveryFrame) {
    // Image data of a single pixel of colour 1: a few bytes for any declared size.
    const Bytes onePixel = Cat({{2}, SubBlocks(PackCodes({{4, 3}, {1, 3}, {5, 3}}))});
    auto frame = [&](int width, int height) {
        return Cat(
            {{0x2C, 0, 0, 0, 0, Byte(width), Byte(width >> 8), Byte(height), Byte(height >> 8), 0},
             onePixel});
    };
    auto screen = [](int width, int height) {
        return Cat({Str("GIF89a"),
                    {Byte(width), Byte(width >> 8), Byte(height), Byte(height >> 8)},
                    {0x80, 0, 0},
                    {0, 0, 0, 255, 255, 255}});
    };
    Bytes twelve = screen(8000, 8000);
    for (int i = 0; i < 12; ++i)
        twelve = Cat({twelve, frame(8000, 8000)});
    twelve.push_back(0x3B);
    // A comment, then a byte that is no introducer: the frame's descriptor starts at it.
    const Bytes stray = Cat({screen(90, 90),
                             {0x21, 0xFE, 3},
                             Str("abc"),
                             {0},
                             {'T', 0, 0, 0, 0, 0x50, 0x45, 0x32, 0x2E, 0},
                             onePixel,
                             {0x3B}});
    // Damaged, not a stub: a 2000 x 2000 frame (4 million pixels) that holds one.
    const Bytes damaged = Cat({screen(2000, 2000), frame(2000, 2000), {0x3B}});

    struct Case {
        const char* what;
        const Bytes& file;
        bool refused;
    } cases[] = {{"twelve frames of 8000 x 8000", twelve, true},
                 {"one 17744 x 11826 frame on a 90 x 90 screen", stray, true},
                 {"a 2000 x 2000 frame cut short", damaged, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // The codec's own image keeps every frame it read (no budget of its own).
        giftest::RecordingImage core;
        TMemoryStream in;
        Fill(in, c.file);
        core.ReadGIF(in);
        TMemoryStream out;
        if (!c.refused) {
            EXPECT_NO_THROW(core.WriteGIF(out));
            continue;
        }
        try {
            core.WriteGIF(out);
            ADD_FAILURE() << "saved";
        } catch (const GIFException& e) {
            EXPECT_EQ(e.Message(), "Image is too large");
        }
        // The picture loads what its budget allows, then refuses to save or optimise it.
        if (c.file.size() > 100) continue; // the twelve frames exceed the picture's budget
        RecordingGraphic image;
        LoadBytes(*image, c.file);
        ASSERT_EQ(image->Frames().Count(), 1);
        EXPECT_THROW(SaveBytes(*image), GIFException);
        EXPECT_THROW(image->OptimizeFrames(kOptimizeCrop | kOptimizeMerge | kOptimizeCleanup,
                                           redNone, 8, dtNearest),
                     GIFException);
        EXPECT_EQ(image->Frames().GetFrame(0)->HeldPixelBytes(), 1) << "decoded all the same";
    }
}

TEST(GraphicStream, FramesMadeInMemorySaveWhateverTheirSize) {
    // More pixels than a file may leave missing, all of them held.
    RecordingGraphic image;
    const int side = 4097;
    AddPlainFrame(*image, side, side, {RGB(0, 0, 0), RGB(255, 255, 255)}, 1);
    ASSERT_GT(Int64(side) * side, kMaxMissingPixels);
    EXPECT_NO_THROW(SaveBytes(*image));
}

TEST(GraphicRegistration, PictureLoadsByExtensionAndSavesGIFWhateverTheName) {
    test_support::TempFolder folder{"korvid-gif-graphic-"};
    RecordingGraphic image;
    AddPlainFrame(*image, 2, 1, {RGB(0, 0, 0), RGB(255, 255, 255)}, 1);
    Bytes gif = SaveBytes(*image);
    String gifName = folder.File("one.GIF");
    {
        std::ofstream out(gifName, std::ios::binary);
        out.write(reinterpret_cast<const char*>(gif.data()), static_cast<long>(gif.size()));
    }
    auto picture = MakeObject<TPicture>();
    GIFGraphicInit();
    EXPECT_EQ(TPicture::FileFormatClass("gif"), GraphicClass<TGIFGraphic>());
    EXPECT_NE(GIFClipboardFormat(), 0);
    EXPECT_TRUE(TPicture::SupportsClipboardFormat(GIFClipboardFormat()));
    picture->LoadFromFile(gifName);
    ASSERT_NE(dynamic_cast<TGIFGraphic*>(picture->Graphic()), nullptr);
    EXPECT_EQ(picture->Width(), 2);

    // The picture holds its own copy, which writes GIF data under any name.
    picture->Assign(image.image.get());
    String bmpName = folder.File("grid.bmp");
    picture->SaveToFile(bmpName);
    EXPECT_EQ(ReadFile(bmpName), gif);

    GIFGraphicDone();
    EXPECT_FALSE(TPicture::FileFormatClass("GIF"));
    EXPECT_FALSE(TPicture::SupportsClipboardFormat(GIFClipboardFormat()));
    EXPECT_THROW(picture->LoadFromFile(gifName), EInvalidGraphic);
}

TEST(GraphicRegistration, ClipboardCarriesTheGIFData) {
    GIFGraphicInit();
    RecordingGraphic image;
    AddPlainFrame(*image, 2, 1, {RGB(0, 0, 0), RGB(255, 255, 255)}, 1);
    ASSERT_TRUE(OpenClipboard(0));
    EmptyClipboard();
    Word format = 0;
    HANDLE data = 0;
    HPALETTE palette = 0;
    image->SaveToClipboardFormat(format, data, palette);
    EXPECT_EQ(format, CF_BITMAP);
    SetClipboardData(format, data);
    CloseClipboard();

    RecordingGraphic pasted;
    pasted->LoadFromClipboardFormat(GIFClipboardFormat(), 0, 0);
    EXPECT_EQ(SaveBytes(*pasted), SaveBytes(*image));
    EXPECT_THROW(pasted->LoadFromClipboardFormat(CF_TEXT, 0, 0), GIFException);
    GIFGraphicDone();
    if (palette) DeleteObject(palette);
}

TEST(GraphicOptimize, RepeatedFrameIsMergedAwayAndCleanupDropsWhatNobodyNeeds) {
    RecordingGraphic image;
    TGIFSubImage* first = AddPlainFrame(*image, 4, 1, {RGB(1, 1, 1), RGB(2, 2, 2)}, 1);
    auto* comment = CreateObject<TGIFCommentExtension>(first);
    comment->Lines = {"gone"};
    first->FrameExtensions().AppendItem(comment);
    first->FrameExtensions().AppendItem(CreateObject<TGIFAppExtNSLoop>(first));
    TGIFSubImage* second = AddPlainFrame(*image, 4, 1, {RGB(1, 1, 1), RGB(2, 2, 2)}, 1);
    auto* gce = CreateObject<TGIFGraphicControlExtension>(second);
    second->FrameExtensions().AppendItem(gce);
    TGIFSubImage* third = AddPlainFrame(*image, 4, 1, {RGB(1, 1, 1), RGB(2, 2, 2)}, 0);
    third->RowAt(0)[3] = 1;
    std::vector<std::pair<TProgressStage, int>> progress;
    image->OnProgress = [&](TObject*, TProgressStage stage, Byte percent, bool, const TRect&,
                            const String& msg) {
        EXPECT_EQ(msg, "Optimizing...");
        progress.push_back({stage, percent});
    };
    image->OptimizeFrames(kOptimizeCrop | kOptimizeMerge | kOptimizeCleanup, redNone, 8, dtNearest);
    // The second frame repeated the first: nothing of it was left.
    ASSERT_EQ(image->Frames().Count(), 2);
    EXPECT_EQ(image->Frames().GetFrame(0), first);
    ASSERT_EQ(first->FrameExtensions().Count(), 1);
    EXPECT_NE(dynamic_cast<TGIFAppExtNSLoop*>(first->FrameExtensions().ExtensionAt(0)), nullptr);
    // The third keeps only its changed pixels, cropped, and stays transparent.
    TGIFSubImage* last = image->Frames().GetFrame(1);
    EXPECT_TRUE(last->IsTransparent());
    EXPECT_EQ(last->FrameRect(), Rect(0, 0, 3, 1));
    EXPECT_EQ(progress.front(), std::make_pair(psStarting, 0));
    EXPECT_EQ(progress.back(), std::make_pair(psEnding, 100));

    EXPECT_THROW(image->OptimizeFrames(kOptimizeReduceColors, redPalette, 8, dtNearest),
                 GIFException);
}

TEST(GraphicPalette, QueryComingBackToTheImageRaises) {
    RecordingGraphic image;
    image->SetPaintOptions(image->PaintOptions() & (~drDither));
    AddPlainFrame(*image, 2, 1, {});
    try {
        image->GetPaletteHandle();
        FAIL();
    } catch (const GIFException& e) {
        EXPECT_EQ(e.Message(), "No global or local color table defined");
    }
    // With colours the frame's own palette answers.
    image->Frames().GetFrame(0)->OwnColorMap().AppendColor(RGB(1, 2, 3));
    EXPECT_NE(image->GetPaletteHandle(), HPALETTE(0));
}

TEST(GraphicStream, LoadingReportsItsEndOnEveryPath) {
    struct Case {
        Bytes data;
        bool raises;
    } cases[] = {{SmallGIF(Cat({kImage, {0x3B}})), false}, {Str("GIF8"), true}};
    for (const Case& c : cases) {
        RecordingGraphic image;
        std::vector<std::pair<TProgressStage, int>> ends;
        image->OnProgress = [&](TObject*, TProgressStage stage, Byte percent, bool redraw,
                                const TRect&, const String& msg) {
            if (stage != psRunning && msg == "Loading...") ends.push_back({stage, percent});
            if (stage == psEnding) {
                EXPECT_TRUE(redraw);
            }
        };
        if (c.raises) {
            EXPECT_THROW(LoadBytes(*image, c.data), GIFException);
        } else {
            LoadBytes(*image, c.data);
        }
        ASSERT_EQ(ends.size(), 2u);
        EXPECT_EQ(ends[1], std::make_pair(psEnding, c.raises ? 0 : 100));
    }
}

TEST(Graphic, AnotherGIFIsAddedThroughItsRendering) {
    auto bitmap = MakeBitmap(6, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x)
            SetPixel24(*bitmap, x, y, Byte(x * 40), Byte(y * 60), 90);
    RecordingGraphic cell;
    cell->SetReductionMethod(redQuantize);
    cell->Assign(bitmap.get());
    RecordingGraphic animation;
    EXPECT_EQ(animation->AddFrame(cell.image.get()), 0);
    EXPECT_EQ(animation->AddFrame(cell.image.get()), 1);
    TGIFSubImage* source = cell->Frames().GetFrame(0);
    TGIFSubImage* added = animation->Frames().GetFrame(1);
    ASSERT_EQ(added->FrameRect(), Rect(0, 0, 6, 4));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(added->EffectiveColorMap().Colors()[added->PixelAt(x, y)],
                      source->EffectiveColorMap().Colors()[source->PixelAt(x, y)]);
    EXPECT_EQ(animation->ScreenWidth(), 6);
}
