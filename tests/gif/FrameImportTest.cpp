#include "GIFGraphicTestUtil.h"

#include "framework/Icon.h"
#include "framework/Metafile.h"
#include "gif/codec/GIFException.h"
#include "platform/gdi/Gdi.h"

#include <gtest/gtest.h>

using namespace gifgraphictest;

namespace {

// A frame of a fresh image filled from the source.
struct Imported {
    RecordingGraphic image;
    TGIFSubImage* frame = CreateObject<TGIFSubImage>(image.image.get());
    ~Imported() { frame->Free(); }
};

std::vector<TColor> MapColors(TGIFColorMap& map) {
    std::vector<TColor> out;
    for (int i = 0; i < map.Count(); ++i)
        out.push_back(TGIFColorMap::TripletToColor(map.Colors()[i]));
    return out;
}

} // namespace

TEST(FrameImport, PalettedRowsAreUnpackedByDepth) {
    struct Case {
        const char* name;
        TPixelFormat format;
        int width;
        std::vector<Byte> row;
        std::vector<Byte> pixels;
    } cases[] = {
        {"4 bits, odd width", pf4bit, 3, {0x12, 0x30}, {1, 2, 3}},
        {"1 bit, most significant first", pf1bit, 10, {0xA0, 0x40}, {1, 0, 1, 0, 0, 0, 0, 0, 0, 1}},
        {"8 bits", pf8bit, 4, {7, 0, 255, 3}, {7, 0, 255, 3}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<TColor> colors(c.format == pf1bit ? 2 : c.format == pf4bit ? 16 : 256);
        for (size_t i = 0; i < colors.size(); ++i)
            colors[i] = RGB(i, 255 - i, i / 2);
        auto bitmap = MakePaletted(c.format, c.width, colors, {c.row});
        Imported in;
        in.frame->CopyFrom(bitmap.get());
        ASSERT_EQ(in.frame->Width(), c.width);
        ASSERT_EQ(in.frame->Height(), 1);
        EXPECT_EQ(Pixels(*in.frame), c.pixels);
        // The whole colour table becomes the map, used entries or not.
        EXPECT_EQ(MapColors(in.frame->OwnColorMap()), colors);
    }
}

TEST(FrameImport, TrueColourWithoutReductionKeepsFirstSeenOrder) {
    for (TPixelFormat format : {pf24bit, pf32bit}) {
        auto bitmap = MakeBitmap(16, 16, pf24bit);
        // 256 distinct colours, row by row from the top.
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                SetPixel24(*bitmap, x, y, Byte(y * 16 + x), Byte(x), 7);
        bitmap->SetPixelFormat(format);
        Imported in;
        in.image->SetReductionMethod(redNone);
        in.frame->CopyFrom(bitmap.get());
        ASSERT_EQ(in.frame->OwnColorMap().Count(), 256);
        EXPECT_EQ(TGIFColorMap::TripletToColor(in.frame->OwnColorMap().Colors()[0]), RGB(0, 0, 7));
        EXPECT_EQ(TGIFColorMap::TripletToColor(in.frame->OwnColorMap().Colors()[17]),
                  RGB(17, 1, 7));
        EXPECT_EQ(in.frame->PixelAt(1, 1), 17);
        EXPECT_EQ(in.frame->PixelAt(15, 15), 255);
    }
}

TEST(FrameImport, FailedImportsStillReportTheirEnd) {
    struct Case {
        const char* what;
        TReductionMethod reduction;
        String message;
    } cases[] = {
        // 257 colours without reduction overflow the table while the pixels are read.
        {"overflow", redNone, "Color table overflow"},
        // The reduction itself fails: converting the 32-bit source to 24 bits changes it,
        // and its change handler raises.
        {"reduction", redQuantize, "source refused"},
    };
    for (const Case& c : cases) {
        auto bitmap = MakeBitmap(257, 1);
        for (int x = 0; x < 257; ++x)
            SetPixel24(*bitmap, x, 0, Byte(x), Byte(x >> 8), 0);
        if (c.reduction != redNone) {
            bitmap->SetPixelFormat(pf32bit);
            bitmap->OnChange = [](TObject*) { throw Exception("source refused"); };
        }
        Imported in;
        in.image->SetReductionMethod(c.reduction);
        std::vector<std::pair<TProgressStage, int>> progress;
        in.image->OnProgress = [&](TObject*, TProgressStage stage, Byte percent, bool, const TRect&,
                                   const String& msg) {
            if (msg == "Converting...") progress.push_back({stage, percent});
        };
        try {
            in.frame->CopyFrom(bitmap.get());
            ADD_FAILURE() << c.what << ": no failure";
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(), c.message) << c.what;
        }
        bitmap->OnChange = nullptr;
        ASSERT_FALSE(progress.empty()) << c.what;
        EXPECT_EQ(progress.front().first, psStarting) << c.what;
        EXPECT_EQ(progress.back(), std::make_pair(psEnding, 0)) << c.what;
    }
}

// A frame's sides are 16-bit: a larger picture would lose its last columns or rows.
TEST(FrameImport, PictureLargerThanAFrameCanHoldIsRefused) {
    for (auto [width, height] : {std::pair{65536, 1}, std::pair{2, 65536}}) {
        auto bitmap = MakeBitmap(width, height, pf8bit);
        RecordingGraphic image;
        try {
            image->AddFrame(bitmap.get());
            ADD_FAILURE() << width << " x " << height << ": no failure";
        } catch (const GIFException& e) {
            EXPECT_EQ(e.Message(), "Invalid image dimensions");
        }
        EXPECT_EQ(image->Frames().Count(), 0);
        EXPECT_EQ(image->ScreenWidth(), 0);
        EXPECT_EQ(image->ScreenHeight(), 0);
    }
    // The largest side a frame has is taken whole.
    auto widest = MakeBitmap(65535, 1, pf8bit);
    static_cast<Byte*>(widest->ScanLine(0))[65534] = 9;
    RecordingGraphic image;
    TGIFSubImage* frame = image->Frames().GetFrame(image->AddFrame(widest.get()));
    EXPECT_EQ(frame->Width(), 65535);
    EXPECT_EQ(frame->PixelAt(65534, 0), 9);
}

TEST(FrameImport, ReductionGivesAnEightBitFrameOfTheSource) {
    auto bitmap = MakeBitmap(40, 30);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
            SetPixel24(*bitmap, x, y, x < 20 ? 255 : 0, 0, y < 15 ? 255 : 0);
    Imported in;
    in.image->SetReductionMethod(redQuantize);
    in.frame->CopyFrom(bitmap.get());
    ASSERT_EQ(in.frame->Width(), 40);
    ASSERT_EQ(in.frame->Height(), 30);
    TGIFColorMap& map = in.frame->OwnColorMap();
    auto colorAt = [&](int x, int y) {
        return TGIFColorMap::TripletToColor(map.Colors()[in.frame->PixelAt(x, y)]);
    };
    EXPECT_EQ(colorAt(0, 0), RGB(255, 0, 255));
    EXPECT_EQ(colorAt(39, 0), RGB(0, 0, 255));
    EXPECT_EQ(colorAt(0, 29), RGB(255, 0, 0));
    EXPECT_EQ(colorAt(39, 29), RGB(0, 0, 0));
}

TEST(FrameImport, TransparentBitmapGetsATransparentIndexAndAFreshRendering) {
    // Left column red, the rest white; the bottom-left pixel decides the transparent colour.
    auto bitmap = MakeBitmap(4, 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x)
            x == 0 ? SetPixel24(*bitmap, x, y, 255, 0, 0)
                   : SetPixel24(*bitmap, x, y, 255, 255, 255);
    bitmap->SetTransparent(true);
    Imported in;
    in.image->SetReductionMethod(redNone);
    in.frame->CopyFrom(bitmap.get());
    ASSERT_TRUE(in.frame->IsTransparent());
    ASSERT_NE(in.frame->ControlExtension(), nullptr);
    int t = in.frame->TransparentIndex();
    EXPECT_EQ(TGIFColorMap::TripletToColor(in.frame->OwnColorMap().Colors()[t]), RGB(0, 0, 0));
    for (int y = 0; y < 2; ++y) {
        EXPECT_EQ(in.frame->PixelAt(0, y), t);
        EXPECT_NE(
            TGIFColorMap::TripletToColor(in.frame->OwnColorMap().Colors()[in.frame->PixelAt(1, y)]),
            RGB(0, 0, 0));
    }
    // The rendering made before the colours were renumbered is gone; a new one matches.
    EXPECT_FALSE(in.frame->BitmapExists());
    TBitmap* rendered = in.frame->GetFrameBitmap();
    ASSERT_NE(rendered, nullptr);
    EXPECT_EQ(static_cast<Byte*>(rendered->ScanLine(1))[0], t);
    EXPECT_TRUE(in.frame->MaskReady());
}

TEST(FrameImport, MaskWithoutSetPixelsLeavesTheOptimisedMap) {
    auto bitmap = MakePaletted(pf8bit, 2, {RGB(1, 1, 1), RGB(9, 9, 9), RGB(5, 5, 5)}, {{1, 1}});
    Imported in;
    in.frame->CopyFrom(bitmap.get());
    auto mask = MakeBitmap(2, 1);
    mask->Canvas()->Brush()->SetColor(clBlack); // nothing transparent
    mask->Canvas()->FillRect(Rect(0, 0, 2, 1));
    in.frame->ApplyTransparencyMask(*mask);
    EXPECT_FALSE(in.frame->IsTransparent());
    EXPECT_EQ(in.frame->FrameExtensions().Count(), 0);
    // Sorted by use: the one used colour is left.
    EXPECT_EQ(MapColors(in.frame->OwnColorMap()), std::vector<TColor>{RGB(9, 9, 9)});
    EXPECT_EQ(Pixels(*in.frame), (std::vector<Byte>{0, 0}));
}

TEST(FrameImport, MaskOfAnotherSizeIsRefused) {
    auto bitmap = MakePaletted(pf8bit, 2, {RGB(1, 1, 1), RGB(9, 9, 9)}, {{0, 1}});
    Imported in;
    in.frame->CopyFrom(bitmap.get());
    auto mask = MakeBitmap(1, 1);
    EXPECT_THROW(in.frame->ApplyTransparencyMask(*mask), GIFException);
    EXPECT_FALSE(in.frame->IsTransparent());
}

TEST(FrameImport, FullMapGetsNoTransparentColour) {
    std::vector<TColor> colors(256);
    std::vector<Byte> row(256);
    for (int i = 0; i < 256; ++i) {
        colors[i] = RGB(i, i, 0);
        row[i] = Byte(i);
    }
    auto bitmap = MakePaletted(pf8bit, 256, colors, {row});
    Imported in;
    in.frame->CopyFrom(bitmap.get());
    auto mask = MakeBitmap(256, 1);
    mask->Canvas()->Brush()->SetColor(clWhite);
    mask->Canvas()->FillRect(Rect(0, 0, 256, 1));
    in.frame->ApplyTransparencyMask(*mask);
    EXPECT_FALSE(in.frame->IsTransparent());
    EXPECT_EQ(in.frame->OwnColorMap().Count(), 256);
}

TEST(FrameImport, FrameCopiesWholeAndSelfAssignChangesNothing) {
    RecordingGraphic image;
    TGIFSubImage* source = AddPlainFrame(*image, 3, 2, {RGB(1, 2, 3), RGB(4, 5, 6)}, 1, 2, 1);
    MakeTransparent(*source, 0)->SetFrameDelay(7);
    source->RowAt(0)[0] = 0;
    source->CopyFrom(source);
    EXPECT_EQ(source->Width(), 3);

    TGIFSubImage* copy = CreateObject<TGIFSubImage>(image.image.get());
    copy->CopyFrom(source);
    EXPECT_EQ(copy->FrameRect(), source->FrameRect());
    EXPECT_EQ(Pixels(*copy), Pixels(*source));
    EXPECT_EQ(MapColors(copy->OwnColorMap()), MapColors(source->OwnColorMap()));
    ASSERT_NE(copy->ControlExtension(), nullptr);
    EXPECT_TRUE(copy->IsTransparent());
    EXPECT_EQ(copy->ControlExtension()->FrameDelay(), 7);
    copy->Free();
}

TEST(FrameImport, FrameOfExtensionsOnlyKeepsThemWhenCopied) {
    RecordingGraphic image;
    TGIFSubImage* source = CreateObject<TGIFSubImage>(image.image.get());
    auto* comment = CreateObject<TGIFCommentExtension>(source);
    comment->Lines = {"made here"};
    source->FrameExtensions().AppendItem(comment);
    TGIFSubImage* copy = CreateObject<TGIFSubImage>(image.image.get());
    copy->CopyFrom(source);
    ASSERT_EQ(copy->FrameExtensions().Count(), 1);
    auto* copied = dynamic_cast<TGIFCommentExtension*>(copy->FrameExtensions().ExtensionAt(0));
    ASSERT_NE(copied, nullptr);
    EXPECT_EQ(copied->Lines, std::vector<String>{"made here"});
    copy->Free();
    source->Free();
}

TEST(FrameImport, NilClearsAndUnknownSourcesAreRefused) {
    RecordingGraphic image;
    TGIFSubImage* frame = AddPlainFrame(*image, 2, 2, {RGB(1, 1, 1)});
    frame->CopyFrom(nullptr);
    EXPECT_TRUE(frame->IsEmpty());
    ObjectPtr<TGIFHeader> header(CreateObject<TGIFHeader>(image.image.get()));
    EXPECT_THROW(frame->CopyFrom(header.get()), EConvertError);
}

namespace {

// A one-image ICO file of 24-bit pixels (colors, rows from the top) and its AND mask
// (see, 1: see-through).
ObjectPtr<TIcon> MakeIcon(const std::vector<std::vector<TColor>>& colors,
                          const std::vector<std::vector<int>>& see) {
    const int h = static_cast<int>(colors.size()), w = static_cast<int>(colors[0].size());
    const int xorRow = (w * 3 + 3) / 4 * 4, andRow = ((w + 31) / 32) * 4;
    std::vector<Byte> image(40 + size_t(xorRow + andRow) * h, 0);
    auto put32 = [&](size_t at, DWORD v) {
        for (int i = 0; i < 4; ++i)
            image[at + i] = Byte(v >> (8 * i));
    };
    put32(0, 40);
    put32(4, DWORD(w));
    put32(8, DWORD(2 * h));
    image[12] = 1;  // planes
    image[14] = 24; // bits
    for (int y = 0; y < h; ++y) {
        // Rows are stored from the bottom.
        size_t color = 40 + size_t(h - 1 - y) * xorRow;
        size_t mask = 40 + size_t(xorRow) * h + size_t(h - 1 - y) * andRow;
        for (int x = 0; x < w; ++x) {
            TColor c = colors[y][x];
            image[color + 3 * x] = Byte(c >> 16);
            image[color + 3 * x + 1] = Byte(c >> 8);
            image[color + 3 * x + 2] = Byte(c);
            if (see[y][x]) image[mask + x / 8] |= Byte(0x80 >> (x % 8));
        }
    }
    std::vector<Byte> file = {0, 0, 1, 0, 1, 0, Byte(w), Byte(h), 0, 0, 1, 0, 24, 0};
    for (int i = 0; i < 4; ++i)
        file.push_back(Byte(image.size() >> (8 * i)));
    file.insert(file.end(), {22, 0, 0, 0});
    file.insert(file.end(), image.begin(), image.end());
    TMemoryStream stream;
    stream.WriteBuffer(file.data(), static_cast<Int64>(file.size()));
    stream.SetPosition(0);
    ObjectPtr<TIcon> icon = MakeObject<TIcon>();
    icon->LoadFromStream(stream);
    return icon;
}

// Every pixel of the frame: kSeeThrough for the transparent index, else its colour.
constexpr TColor kSeeThrough = 0x7F000000;
std::vector<std::vector<TColor>> Shown(TGIFSubImage& frame) {
    std::vector<std::vector<TColor>> rows(frame.Height());
    for (int y = 0; y < frame.Height(); ++y)
        for (int x = 0; x < frame.Width(); ++x) {
            int p = frame.PixelAt(x, y);
            rows[y].push_back(frame.IsTransparent() && p == frame.TransparentIndex()
                                  ? kSeeThrough
                                  : TGIFColorMap::TripletToColor(frame.OwnColorMap().Colors()[p]));
        }
    return rows;
}

} // namespace

TEST(FrameImport, IconsAndMetafilesKeepTheirTransparency) {
    const TColor R = RGB(255, 0, 0), G = RGB(0, 128, 0), B = RGB(0, 0, 255), Y = RGB(255, 255, 0),
                 T = kSeeThrough;
    {
        ObjectPtr<TIcon> icon = MakeIcon({{R, R, G, G}, {R, R, G, G}, {G, G, G, G}, {G, G, G, G}},
                                         {{0, 0, 0, 1}, {0, 0, 0, 1}, {0, 0, 0, 1}, {1, 0, 0, 1}});
        Imported in;
        in.image->SetReductionMethod(redNone);
        in.frame->CopyFrom(icon.get());
        ASSERT_EQ(in.frame->Width(), 4);
        ASSERT_TRUE(in.frame->IsTransparent());
        ASSERT_TRUE(in.frame->ControlExtension());
        EXPECT_TRUE(in.frame->ControlExtension()->HasTransparency());
        EXPECT_EQ(Shown(*in.frame), (std::vector<std::vector<TColor>>{
                                        {R, R, G, T}, {R, R, G, T}, {G, G, G, T}, {T, G, G, T}}));
    }
    {
        ObjectPtr<TMetafile> metafile = MakeObject<TMetafile>();
        metafile->SetWidth(6);
        metafile->SetHeight(4);
        {
            ObjectPtr<TMetafileCanvas> canvas = MakeObject<TMetafileCanvas>(metafile.get());
            canvas->Brush()->SetColor(B);
            canvas->FillRect(Rect(0, 0, 3, 4));
            canvas->Brush()->SetColor(Y);
            canvas->FillRect(Rect(4, 1, 6, 3));
        }
        Imported in;
        in.image->SetReductionMethod(redNone);
        in.frame->CopyFrom(metafile.get());
        ASSERT_EQ(in.frame->Width(), 6);
        ASSERT_TRUE(in.frame->IsTransparent());
        EXPECT_EQ(
            Shown(*in.frame),
            (std::vector<std::vector<TColor>>{
                {B, B, B, T, T, T}, {B, B, B, T, Y, Y}, {B, B, B, T, Y, Y}, {B, B, B, T, T, T}}));
    }
}

// A monochrome icon has no colour bitmap: its mask holds the AND half above the XOR half, and
// the AND half says what is see-through.
TEST(FrameImport, MonochromeIconTakesItsTransparencyFromTheAndHalf) {
    // Rows of 4 pixels, 2 bytes each (word-aligned): AND 0110 and 0000, XOR 1000 and 0011.
    const Byte rows[] = {0x60, 0, 0x00, 0, 0x80, 0, 0x30, 0};
    ICONINFO info;
    info.hbmMask = CreateBitmap(4, 4, 1, 1, rows);
    ASSERT_NE(info.hbmMask, 0u);
    HICON handle = CreateIconIndirect(&info);
    DeleteObject(info.hbmMask);
    ASSERT_NE(handle, 0u);
    ObjectPtr<TIcon> icon = MakeObject<TIcon>();
    icon->SetHandle(handle);
    ASSERT_EQ(icon->Width(), 4);
    ASSERT_EQ(icon->Height(), 2);
    Imported in;
    in.image->SetReductionMethod(redNone);
    in.frame->CopyFrom(icon.get());
    ASSERT_EQ(in.frame->Height(), 2);
    ASSERT_TRUE(in.frame->IsTransparent());
    const TColor W = clWhite, K = clBlack, T = kSeeThrough;
    EXPECT_EQ(Shown(*in.frame), (std::vector<std::vector<TColor>>{{W, T, T, K}, {K, K, W, W}}));
}
