#include "framework/ImageList.h"

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/Blit.h"
#include "platform/gdi/Dc.h"
#include "platform/gdi/Object.h"
#include "platform/gdi/Owned.h"

#include <algorithm>
#include <cstring>

namespace {

// The pixels of a bitmap as 0x00RRGGBB, top row first.
std::vector<DWORD> PixelsOf(TBitmap* bitmap) {
    auto copy = MakeObject<TBitmap>();
    copy->Assign(bitmap);
    copy->SetPixelFormat(pf32bit);
    const int w = copy->Width(), h = copy->Height();
    std::vector<DWORD> pixels(size_t(w) * size_t(h));
    for (int y = 0; y < h; ++y)
        std::memcpy(pixels.data() + size_t(y) * size_t(w), copy->ScanLine(y), size_t(w) * 4);
    for (DWORD& p : pixels)
        p &= 0xFFFFFF;
    return pixels;
}

DWORD PixelOfColor(COLORREF c) {
    return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
}

} // namespace

void TImageList::Destroy() {
    images_.clear();
    inherited::Destroy();
}

void TImageList::Changed() {
    if (OnChange) OnChange(this);
}

void TImageList::SetWidth(int Value) {
    if (Value <= 0 || Value == width_) return;
    width_ = Value;
    Clear();
}

void TImageList::SetHeight(int Value) {
    if (Value <= 0 || Value == height_) return;
    height_ = Value;
    Clear();
}

int TImageList::AddPieces(TBitmap* image, const std::vector<bool>& clear) {
    const int w = image->Width(), h = image->Height();
    const std::vector<DWORD> pixels = PixelsOf(image);
    const int pieces = std::max(1, w / width_);
    const int first = Count();
    for (int p = 0; p < pieces; ++p) {
        Entry e;
        e.pixels.assign(size_t(width_) * size_t(height_), 0);
        e.clear.assign(e.pixels.size(), !clear.empty()); // outside the image: see-through
        for (int y = 0; y < std::min(h, height_); ++y)
            for (int x = 0; x < width_ && p * width_ + x < w; ++x) {
                const size_t from = size_t(y) * size_t(w) + size_t(p * width_ + x);
                const size_t to = size_t(y) * size_t(width_) + size_t(x);
                e.pixels[to] = pixels[from];
                e.clear[to] = !clear.empty() && clear[from];
            }
        images_.push_back(std::move(e));
    }
    Changed();
    return first;
}

int TImageList::Add(TBitmap* Image, TBitmap* Mask) {
    if (!Image || Image->Empty()) return -1;
    std::vector<bool> clear;
    if (Mask && !Mask->Empty()) {
        const std::vector<DWORD> m = PixelsOf(Mask);
        const int mw = Mask->Width(), mh = Mask->Height();
        clear.assign(size_t(Image->Width()) * size_t(Image->Height()), false);
        for (int y = 0; y < std::min(mh, Image->Height()); ++y)
            for (int x = 0; x < std::min(mw, Image->Width()); ++x)
                clear[size_t(y) * size_t(Image->Width()) + size_t(x)] =
                    m[size_t(y) * size_t(mw) + size_t(x)] != 0;
    }
    return AddPieces(Image, clear);
}

int TImageList::AddMasked(TBitmap* Image, TColor MaskColor) {
    if (!Image || Image->Empty()) return -1;
    const std::vector<DWORD> pixels = PixelsOf(Image);
    const DWORD key = MaskColor == clDefault
                          ? pixels[size_t(Image->Height() - 1) * size_t(Image->Width())]
                          : PixelOfColor(ColorToRGB(MaskColor));
    std::vector<bool> clear(pixels.size());
    for (size_t i = 0; i < pixels.size(); ++i)
        clear[i] = pixels[i] == key;
    return AddPieces(Image, clear);
}

void TImageList::Delete(int Index) {
    if (Index < 0 || Index >= Count()) throw EInvalidOperation("Invalid ImageList Index");
    images_.erase(images_.begin() + Index);
    Changed();
}

void TImageList::Clear() {
    if (images_.empty()) return;
    images_.clear();
    Changed();
}

void TImageList::Draw(TCanvas* Canvas, int X, int Y, int Index, bool Enabled) {
    if (!Canvas || Index < 0 || Index >= Count()) return;
    const Entry& e = images_[size_t(Index)];
    // The image as a 32-bit bitmap and its mask as a monochrome one (1 = keep the canvas).
    auto picture = MakeObject<TBitmap>();
    picture->SetPixelFormat(pf32bit);
    picture->SetSize(width_, height_);
    const size_t maskRow = size_t((width_ + 15) / 16) * 2;
    std::vector<Byte> mask(maskRow * size_t(height_), 0);
    bool anyClear = false;
    for (int y = 0; y < height_; ++y) {
        DWORD* row = static_cast<DWORD*>(picture->ScanLine(y));
        for (int x = 0; x < width_; ++x) {
            const size_t i = size_t(y) * size_t(width_) + size_t(x);
            DWORD p = e.pixels[i];
            if (!Enabled) {
                const int lum = (int((p >> 16) & 0xFF) * 77 + int((p >> 8) & 0xFF) * 150 +
                                 int(p & 0xFF) * 29) >>
                                8;
                const DWORD g = DWORD(255 - (255 - lum) / 2);
                p = (g << 16) | (g << 8) | g;
            }
            row[x] = p;
            if (masked_ && e.clear[i]) {
                mask[size_t(y) * maskRow + size_t(x >> 3)] |= Byte(0x80 >> (x & 7));
                anyClear = true;
            }
        }
    }
    Canvas->Changing();
    HDC dest = Canvas->Handle();
    {
        gdi::SelectedMemoryDC src(picture->Handle());
        if (anyClear) {
            gdi::UniqueObject monoMask(CreateBitmap(width_, height_, 1, 1, mask.data()));
            MaskBlt(dest, X, Y, width_, height_, src.get(), 0, 0, monoMask.get(), 0, 0,
                    MAKEROP4(0x00AA0029, SRCCOPY));
        } else {
            BitBlt(dest, X, Y, width_, height_, src.get(), 0, 0, SRCCOPY);
        }
    }
    Canvas->Changed();
}

void TImageList::GetBitmap(int Index, TBitmap* Image) {
    if (!Image || Index < 0 || Index >= Count()) return;
    Image->SetSize(width_, height_);
    Image->Canvas()->Brush()->SetColor(clWhite);
    Image->Canvas()->FillRect(Rect(0, 0, width_, height_));
    Draw(Image->Canvas(), 0, 0, Index, true);
}
