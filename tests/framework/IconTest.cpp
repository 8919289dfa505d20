// Icons: ICO files read with their AND masks, drawn through the mask, handed out through
// GetIconInfo, saved back, chosen by size, and the application's icon on every form window.
#include "framework/Icon.h"
#include "ControlTestUtil.h"
#include "framework/Bitmap.h"
#include "framework/Picture.h"
#include "framework/Resources.h"
#include "platform/gdi/Gdi.h"
#include "platform/user/User.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <functional>

namespace {

void Put16(std::vector<Byte>& out, unsigned v) {
    out.push_back(Byte(v));
    out.push_back(Byte(v >> 8));
}
void Put32(std::vector<Byte>& out, DWORD v) {
    for (int i = 0; i < 4; ++i)
        out.push_back(Byte(v >> (8 * i)));
}

// One image of an ICO file: its pixels as palette indices (1/4/8 bits) or 0xAARRGGBB
// values (24/32 bits), and which pixels are masked.
struct IcoImage {
    int width = 0, height = 0, bitCount = 4;
    std::vector<DWORD> palette; // 0x00RRGGBB
    std::function<DWORD(int x, int y)> pixel;
    std::function<bool(int x, int y)> masked = [](int, int) { return false; };
    bool withMask = true;
};

std::vector<Byte> ImageBytes(const IcoImage& im) {
    std::vector<Byte> d;
    Put32(d, 40);
    Put32(d, DWORD(im.width));
    Put32(d, DWORD(2 * im.height)); // image and mask stacked
    Put16(d, 1);
    Put16(d, unsigned(im.bitCount));
    for (int i = 0; i < 6; ++i)
        Put32(d, 0);
    for (DWORD c : im.palette)
        Put32(d, c);
    const int xorRow = ((im.width * im.bitCount + 31) / 32) * 4;
    const int andRow = ((im.width + 31) / 32) * 4;
    for (int y = im.height - 1; y >= 0; --y) {
        std::vector<Byte> row(size_t(xorRow), 0);
        for (int x = 0; x < im.width; ++x) {
            DWORD v = im.pixel(x, y);
            switch (im.bitCount) {
            case 32:
                for (int k = 0; k < 4; ++k)
                    row[size_t(4 * x + k)] = Byte(v >> (8 * k));
                break;
            case 24:
                for (int k = 0; k < 3; ++k)
                    row[size_t(3 * x + k)] = Byte(v >> (8 * k));
                break;
            case 8:
                row[size_t(x)] = Byte(v);
                break;
            case 4:
                row[size_t(x / 2)] |= Byte(x % 2 ? v : v << 4);
                break;
            case 1:
                row[size_t(x / 8)] |= Byte(v ? 0x80 >> (x % 8) : 0);
                break;
            }
        }
        d.insert(d.end(), row.begin(), row.end());
    }
    if (im.withMask)
        for (int y = im.height - 1; y >= 0; --y) {
            std::vector<Byte> row(size_t(andRow), 0);
            for (int x = 0; x < im.width; ++x)
                if (im.masked(x, y)) row[size_t(x / 8)] |= Byte(0x80 >> (x % 8));
            d.insert(d.end(), row.begin(), row.end());
        }
    return d;
}

std::vector<Byte> IcoFile(const std::vector<IcoImage>& images) {
    std::vector<Byte> out;
    Put16(out, 0);
    Put16(out, 1);
    Put16(out, unsigned(images.size()));
    std::vector<std::vector<Byte>> blobs;
    for (const IcoImage& im : images)
        blobs.push_back(ImageBytes(im));
    DWORD offset = DWORD(6 + 16 * images.size());
    for (size_t i = 0; i < images.size(); ++i) {
        out.push_back(Byte(images[i].width));
        out.push_back(Byte(images[i].height));
        out.push_back(0);
        out.push_back(0);
        Put16(out, 1);
        Put16(out, unsigned(images[i].bitCount));
        Put32(out, DWORD(blobs[i].size()));
        Put32(out, offset);
        offset += DWORD(blobs[i].size());
    }
    for (auto& b : blobs)
        out.insert(out.end(), b.begin(), b.end());
    return out;
}

// A 16 x 16 four-bit icon: blue left half, yellow right half, the top-left 8 x 8 masked.
IcoImage FourBit16() {
    IcoImage im;
    im.width = im.height = 16;
    im.bitCount = 4;
    im.palette.assign(16, 0);
    im.palette[1] = 0x0000FF; // blue (0x00RRGGBB)
    im.palette[2] = 0xFFFF00; // yellow
    im.pixel = [](int x, int y) -> DWORD { return x < 8 && y < 8 ? 0 : (x < 8 ? 1 : 2); };
    im.masked = [](int x, int y) { return x < 8 && y < 8; };
    return im;
}

void LoadInto(TIcon* icon, const std::vector<Byte>& bytes) {
    TMemoryStream s;
    s.WriteBuffer(bytes.data(), Int64(bytes.size()));
    s.SetPosition(0);
    icon->LoadFromStream(s);
}

ObjectPtr<TBitmap> RedBitmap(int w, int h) {
    auto b = MakeObject<TBitmap>();
    b->SetPixelFormat(pf24bit);
    b->SetSize(w, h);
    b->Canvas()->Brush()->SetColor(clRed);
    b->Canvas()->FillRect(Rect(0, 0, w, h));
    return b;
}

TEST(Icon, DrawsThroughItsAndMask) {
    auto icon = MakeObject<TIcon>();
    LoadInto(icon.get(), IcoFile({FourBit16()}));
    EXPECT_EQ(icon->Width(), 16);
    EXPECT_EQ(icon->Height(), 16);
    EXPECT_TRUE(icon->Transparent());
    auto b = RedBitmap(20, 20);
    b->Canvas()->Draw(2, 2, icon.get());
    EXPECT_EQ(b->Canvas()->Pixels(3, 3), clRed);     // masked: the background stays
    EXPECT_EQ(b->Canvas()->Pixels(3, 12), clBlue);   // unmasked left half
    EXPECT_EQ(b->Canvas()->Pixels(12, 3), clYellow); // 0xFFFF00 read as 0x00RRGGBB
    EXPECT_EQ(b->Canvas()->Pixels(1, 1), clRed);     // outside the icon
    EXPECT_EQ(b->Canvas()->Pixels(18, 18), clRed);
}

TEST(Icon, StretchedDrawKeepsTheMaskInPlace) {
    auto icon = MakeObject<TIcon>();
    LoadInto(icon.get(), IcoFile({FourBit16()}));
    auto b = RedBitmap(32, 32);
    b->Canvas()->StretchDraw(Rect(0, 0, 32, 32), icon.get());
    EXPECT_EQ(b->Canvas()->Pixels(15, 15), clRed);
    EXPECT_EQ(b->Canvas()->Pixels(5, 20), clBlue);
    EXPECT_EQ(b->Canvas()->Pixels(16, 0), clYellow);
}

TEST(Icon, EveryDepthReadsTheSamePicture) {
    // Black under the mask (top left), blue below it (black for one bit), yellow at the right.
    for (int depth : {1, 4, 8, 24, 32}) {
        IcoImage im = FourBit16();
        im.bitCount = depth;
        const DWORD lowerLeft = depth == 1 ? 0x000000 : 0x0000FF;
        if (depth <= 8) {
            im.palette.assign(size_t(1) << depth, 0);
            im.palette[1] = 0xFFFF00;
            if (depth > 1) im.palette[2] = 0x0000FF;
            im.pixel = [depth](int x, int y) -> DWORD {
                if (x >= 8) return 1;
                return y < 8 || depth == 1 ? 0 : 2;
            };
        } else {
            im.palette.clear();
            im.pixel = [lowerLeft](int x, int y) -> DWORD {
                if (x >= 8) return 0xFFFF00;
                return y < 8 ? 0 : lowerLeft;
            };
        }
        auto icon = MakeObject<TIcon>();
        LoadInto(icon.get(), IcoFile({im}));
        auto b = RedBitmap(16, 16);
        b->Canvas()->Draw(0, 0, icon.get());
        EXPECT_EQ(b->Canvas()->Pixels(2, 2), clRed) << depth;
        EXPECT_EQ(b->Canvas()->Pixels(2, 12), depth == 1 ? clBlack : clBlue) << depth;
        EXPECT_EQ(b->Canvas()->Pixels(12, 12), clYellow) << depth;
    }
}

TEST(Icon, ColouredPixelsUnderTheMaskInvertTheBackground) {
    // The XOR rule: a set mask bit over a non-black image pixel flips the destination.
    IcoImage im = FourBit16();
    im.masked = [](int, int) { return true; };
    auto icon = MakeObject<TIcon>();
    LoadInto(icon.get(), IcoFile({im}));
    auto b = RedBitmap(16, 16);
    b->Canvas()->Draw(0, 0, icon.get());
    EXPECT_EQ(b->Canvas()->Pixels(2, 2), clRed);           // black: unchanged
    EXPECT_EQ(b->Canvas()->Pixels(2, 12), clRed ^ clBlue); // red XOR blue
    EXPECT_EQ(b->Canvas()->Pixels(12, 12), clRed ^ clYellow);
}

TEST(Icon, ThirtyTwoBitImageWithoutMaskTakesItFromAlpha) {
    IcoImage im;
    im.width = im.height = 8;
    im.bitCount = 32;
    im.withMask = false;
    im.pixel = [](int x, int) -> DWORD { return x < 4 ? 0x00000000 : 0xFF00FF00; };
    auto icon = MakeObject<TIcon>();
    LoadInto(icon.get(), IcoFile({im}));
    auto b = RedBitmap(8, 8);
    b->Canvas()->Draw(0, 0, icon.get());
    EXPECT_EQ(b->Canvas()->Pixels(1, 1), clRed);
    EXPECT_EQ(b->Canvas()->Pixels(6, 1), clLime);
}

TEST(Icon, ImageNearestTheAskedSizeIsUsed) {
    IcoImage small = FourBit16();
    IcoImage large = FourBit16();
    large.width = large.height = 32;
    large.pixel = [](int, int) -> DWORD { return 2; };
    large.masked = [](int, int) { return false; };
    auto icon = MakeObject<TIcon>();
    LoadInto(icon.get(), IcoFile({small, large}));
    EXPECT_EQ(icon->ImageCount(), 2);
    EXPECT_EQ(icon->Width(), 32); // the default size
    icon->SetSize(16, 16);
    EXPECT_EQ(icon->Width(), 16);
    auto b = RedBitmap(16, 16);
    b->Canvas()->Draw(0, 0, icon.get());
    EXPECT_EQ(b->Canvas()->Pixels(1, 1), clRed); // the small image's mask
    icon->SetSize(20, 20);                       // nearer 16 than 32
    EXPECT_EQ(icon->Width(), 16);
    icon->SetSize(30, 30);
    EXPECT_EQ(icon->Width(), 32);
}

TEST(Icon, BadFilesAreRefusedAndTheIconKeepsWhatItHad) {
    const std::vector<Byte> good = IcoFile({FourBit16()});
    struct Case {
        const char* name;
        std::function<void(std::vector<Byte>&)> damage;
    } cases[] = {
        {"cursor type", [](std::vector<Byte>& f) { f[2] = 2; }},
        {"no images", [](std::vector<Byte>& f) { f[4] = 0; }},
        {"cut short", [](std::vector<Byte>& f) { f.resize(f.size() - 10); }},
        {"offset beyond the end",
         [](std::vector<Byte>& f) {
             f[18] = 0xFF;
             f[19] = 0x7F;
         }},
        {"png image",
         [](std::vector<Byte>& f) {
             f[22] = 0x89;
             f[23] = 'P';
         }},
        {"odd height", [](std::vector<Byte>& f) { f[22 + 8] = 31; }},
        {"huge width", [](std::vector<Byte>& f) { f[22 + 5] = 0x40; }},
        {"16 bits", [](std::vector<Byte>& f) { f[22 + 14] = 16; }},
        {"compressed", [](std::vector<Byte>& f) { f[22 + 16] = 2; }},
        {"index beyond the palette", [](std::vector<Byte>& f) { f[22 + 32] = 2; }},
    };
    for (const Case& c : cases) {
        auto icon = MakeObject<TIcon>();
        LoadInto(icon.get(), good);
        std::vector<Byte> bad = good;
        c.damage(bad);
        EXPECT_THROW(LoadInto(icon.get(), bad), EInvalidGraphic) << c.name;
        EXPECT_EQ(icon->Width(), 16) << c.name;
        auto b = RedBitmap(16, 16);
        b->Canvas()->Draw(0, 0, icon.get());
        EXPECT_EQ(b->Canvas()->Pixels(2, 12), clBlue) << c.name;
    }
}

TEST(Icon, IconInfoHandsOutTheMaskAndImage) {
    auto icon = MakeObject<TIcon>();
    LoadInto(icon.get(), IcoFile({FourBit16()}));
    ICONINFO info;
    ASSERT_TRUE(GetIconInfo(icon->Handle(), &info));
    EXPECT_TRUE(info.fIcon);
    ASSERT_NE(info.hbmMask, 0u);
    ASSERT_NE(info.hbmColor, 0u);
    BITMAP bm;
    ASSERT_GT(GetObject(info.hbmMask, sizeof(bm), &bm), 0);
    EXPECT_EQ(bm.bmWidth, 16);
    EXPECT_EQ(bm.bmHeight, 16);
    EXPECT_EQ(bm.bmBitsPixel, 1);
    // The mask as a bitmap: white where see-through.
    auto mask = MakeObject<TBitmap>();
    mask->SetHandle(info.hbmMask);
    EXPECT_EQ(mask->Canvas()->Pixels(1, 1), clWhite);
    EXPECT_EQ(mask->Canvas()->Pixels(12, 12), clBlack);
    auto image = MakeObject<TBitmap>();
    image->SetHandle(info.hbmColor);
    EXPECT_EQ(image->Canvas()->Pixels(12, 12), clYellow);
    // A new icon from those bitmaps draws the same.
    HICON copy = CreateIconIndirect(&info);
    ASSERT_NE(copy, 0u);
    auto b = RedBitmap(16, 16);
    ASSERT_TRUE(DrawIconEx(b->Canvas()->Handle(), 0, 0, copy, 0, 0, 0, 0, DI_NORMAL));
    EXPECT_EQ(b->Canvas()->Pixels(1, 1), clRed);
    EXPECT_EQ(b->Canvas()->Pixels(2, 12), clBlue);
    EXPECT_TRUE(DestroyIcon(copy));
    EXPECT_FALSE(DestroyIcon(copy));
    EXPECT_FALSE(GetIconInfo(copy, &info)); // a stale handle finds nothing
    EXPECT_FALSE(DrawIconEx(b->Canvas()->Handle(), 0, 0, copy, 0, 0, 0, 0, DI_NORMAL));
}

TEST(Icon, MonochromeIconAndMaskOnlyDrawing) {
    // A monochrome icon: AND half on top (left column masked), XOR half below (white right).
    const int rowBytes = 2;
    std::vector<Byte> bits(size_t(rowBytes) * 16, 0);
    for (int y = 0; y < 8; ++y)
        bits[size_t(y) * rowBytes] = 0x80; // AND: x = 0
    for (int y = 8; y < 16; ++y)
        bits[size_t(y) * rowBytes] = 0x0F; // XOR: x = 4..7 white
    ICONINFO info;
    info.hbmMask = CreateBitmap(8, 16, 1, 1, bits.data());
    HICON icon = CreateIconIndirect(&info);
    DeleteObject(info.hbmMask);
    ASSERT_NE(icon, 0u);
    auto b = RedBitmap(8, 8);
    DrawIconEx(b->Canvas()->Handle(), 0, 0, icon, 0, 0, 0, 0, DI_NORMAL);
    EXPECT_EQ(b->Canvas()->Pixels(0, 0), clRed);   // masked, black XOR: unchanged
    EXPECT_EQ(b->Canvas()->Pixels(2, 0), clBlack); // unmasked black
    EXPECT_EQ(b->Canvas()->Pixels(5, 0), clWhite);
    auto m = RedBitmap(8, 8);
    DrawIconEx(m->Canvas()->Handle(), 0, 0, icon, 0, 0, 0, 0, DI_MASK);
    EXPECT_EQ(m->Canvas()->Pixels(0, 0), clWhite);
    EXPECT_EQ(m->Canvas()->Pixels(5, 0), clBlack);
    ICONINFO back;
    ASSERT_TRUE(GetIconInfo(icon, &back));
    EXPECT_EQ(back.hbmColor, 0u);
    BITMAP bm;
    GetObject(back.hbmMask, sizeof(bm), &bm);
    EXPECT_EQ(bm.bmHeight, 16);
    DeleteObject(back.hbmMask);
    DestroyIcon(icon);
}

TEST(Icon, SavesTheFileItLoadedAndAHandleAsAFile) {
    const std::vector<Byte> file = IcoFile({FourBit16()});
    auto icon = MakeObject<TIcon>();
    LoadInto(icon.get(), file);
    TMemoryStream out;
    icon->SaveToStream(out);
    ASSERT_EQ(out.Size(), Int64(file.size()));
    EXPECT_EQ(std::memcmp(out.Memory(), file.data(), file.size()), 0);

    // Made from a handle: written as a 32-bit image whose alpha and mask keep the holes.
    auto fromHandle = MakeObject<TIcon>();
    fromHandle->SetHandle(CopyIcon(icon->Handle()));
    TMemoryStream again;
    fromHandle->SaveToStream(again);
    again.SetPosition(0);
    auto back = MakeObject<TIcon>();
    back->LoadFromStream(again);
    EXPECT_EQ(back->Width(), 16);
    auto b = RedBitmap(16, 16);
    b->Canvas()->Draw(0, 0, back.get());
    EXPECT_EQ(b->Canvas()->Pixels(1, 1), clRed);
    EXPECT_EQ(b->Canvas()->Pixels(2, 12), clBlue);
    EXPECT_EQ(b->Canvas()->Pixels(12, 12), clYellow);

    auto empty = MakeObject<TIcon>();
    TMemoryStream none;
    empty->SaveToStream(none);
    EXPECT_EQ(none.Size(), 0);
}

TEST(Icon, AssignCopiesAndNilEmpties) {
    auto a = MakeObject<TIcon>();
    LoadInto(a.get(), IcoFile({FourBit16()}));
    auto b = MakeObject<TIcon>();
    b->Assign(a.get());
    EXPECT_NE(b->Handle(), a->Handle()); // each keeps its own handle
    a->Assign(nullptr);
    EXPECT_TRUE(a->Empty());
    EXPECT_EQ(a->Handle(), 0u);
    auto bmp = RedBitmap(16, 16);
    bmp->Canvas()->Draw(0, 0, b.get());
    EXPECT_EQ(bmp->Canvas()->Pixels(2, 12), clBlue);
}

TEST(Icon, PictureLoadsIcoFilesByExtension) {
    const std::vector<Byte> file = IcoFile({FourBit16()});
    test_support::TempFolder folder("korvid-icon-");
    const std::string path = folder.File("icon.ico");
    {
        TMemoryStream s;
        s.WriteBuffer(file.data(), Int64(file.size()));
        s.SaveToFile(path);
    }
    auto picture = MakeObject<TPicture>();
    picture->LoadFromFile(path);
    ASSERT_NE(dynamic_cast<TIcon*>(picture->Graphic()), nullptr);
    EXPECT_EQ(picture->Width(), 16);
}

class ApplicationIcon : public ControlFixture {};

TEST_F(ApplicationIcon, EveryFormWindowShowsTheApplicationIcon) {
    static const std::vector<Byte> file = IcoFile({FourBit16()});
    auto icon = MakeObject<TIcon>();
    LoadInto(icon.get(), file);
    EXPECT_TRUE(app_->Icon()->Empty());
    HWND h = form_->Handle();
    EXPECT_EQ(SendMessage(h, WM_GETICON, ICON_BIG, 0), 0);
    app_->SetIcon(icon.get());
    const HICON shown = static_cast<HICON>(SendMessage(h, WM_GETICON, ICON_BIG, 0));
    EXPECT_EQ(shown, app_->Icon()->Handle());
    // The desktop got the pixels: the masked corner transparent, the rest opaque.
    headless::HeadlessBackend::NativeIcon native = session_->IconOf(h);
    ASSERT_EQ(native.width, 16);
    ASSERT_EQ(native.argb.size(), 256u);
    EXPECT_EQ(native.argb[0] >> 24, 0u);
    EXPECT_EQ(native.argb[15 * 16 + 2], 0xFF0000FFu); // opaque blue, 0xAARRGGBB
    // A form made later gets it when its window appears.
    TForm* second = nullptr;
    app_->CreateForm(second);
    EXPECT_EQ(static_cast<HICON>(SendMessage(second->Handle(), WM_GETICON, ICON_BIG, 0)),
              app_->Icon()->Handle());
    // Emptying it takes it off the windows.
    app_->SetIcon(nullptr);
    EXPECT_EQ(SendMessage(h, WM_GETICON, ICON_BIG, 0), 0);
    EXPECT_TRUE(session_->IconOf(h).argb.empty());
}

TEST(ApplicationIconResource, MainIconResourceIsTheStartingIcon) {
    static const std::vector<Byte> file = IcoFile({FourBit16()});
    resources::RegisterIcon("MAINICON", file);
    headless::HeadlessSession session;
    auto* app = CreateComponent<TApplication>(nullptr);
    EXPECT_EQ(app->Icon()->Width(), 16);
    EXPECT_NE(app->Icon()->Handle(), 0u);
    app->Free();
    resources::RegisterIcon("MAINICON", {});
    auto icon = MakeObject<TIcon>();
    EXPECT_THROW(icon->LoadFromResourceName(HInstance, "MAINICON"), EResNotFound);
}

} // namespace
