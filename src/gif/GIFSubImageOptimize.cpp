// The pixel work of frame optimisation: cropping transparent edges and turning pixels that
// repeat the previous frame into transparent ones.
#include "gif/GIFImageCore.h"
#include "gif/GIFSubImage.h"
#include "gif/codec/GIFException.h"

#include <algorithm>
#include <cstring>

namespace {

bool UsesIndex(const TGIFSubImage& frame, int index) {
    const Byte* p = frame.PixelData();
    return p &&
           std::find(p, p + frame.PixelCount(), static_cast<Byte>(index)) != p + frame.PixelCount();
}

bool SameColor(TGIFColorMap& a, int ia, TGIFColorMap& b, int ib) {
    if (&a == &b && ia == ib) return true;
    if (ia >= a.Count() || ib >= b.Count()) return false;
    return a.Colors()[ia] == b.Colors()[ib];
}

} // namespace

void TGIFSubImage::TrimTransparentEdges() {
    if (IsEmpty() || !transparent_) return;
    const Byte t = static_cast<Byte>(TransparentIndex());
    const int w = Width(), h = Height();
    const Byte* p = Data();
    auto column = [&](int x, int top, int bottom) {
        for (int y = top; y <= bottom; ++y)
            if (p[Int64(y) * w + x] != t) return false;
        return true;
    };
    auto row = [&](int y, int left, int right) {
        for (int x = left; x <= right; ++x)
            if (p[Int64(y) * w + x] != t) return false;
        return true;
    };
    int l = 0, r = w - 1, top = 0, b = h - 1;
    while (l <= r && column(l, top, b))
        ++l;
    while (l <= r && column(r, top, b))
        --r;
    if (l <= r) {
        while (top <= b && row(top, l, r))
            ++top;
        while (top <= b && row(b, l, r))
            --b;
    }
    if (l > r || top > b) {
        Reset();
        return;
    }
    const int nw = r - l + 1, nh = b - top + 1;
    std::unique_ptr<Byte[]> cropped(new Byte[static_cast<size_t>(Int64(nw) * nh)]);
    for (int y = 0; y < nh; ++y)
        std::memcpy(cropped.get() + Int64(y) * nw, p + Int64(top + y) * w + l,
                    static_cast<size_t>(nw));
    pixels_ = std::move(cropped);
    pixelCount_ = Int64(nw) * nh;
    held_ = pixelCount_;
    descriptor_.Left = static_cast<Word>(Left() + l);
    descriptor_.Top = static_cast<Word>(Top() + top);
    descriptor_.Width = static_cast<Word>(nw);
    descriptor_.Height = static_cast<Word>(nh);
    DropBitmap();
    DropMask();
}

bool TGIFSubImage::HasFreeColorSlot() {
    if (ownColorMap_.Count() > 0) return ownColorMap_.Count() < 256;
    int global = Image ? Image->GlobalColorMap().Count() : 0;
    return global >= 1 && global < 256;
}

int TGIFSubImage::PickTransparentIndex() {
    if (ownColorMap_.Count() > 0) return ownColorMap_.AppendColor(0);
    if (Image) {
        TGIFImageList& frames = Image->Frames();
        for (int i = 0; i < frames.Count(); ++i) {
            TGIFSubImage* other = frames.GetFrame(i);
            if (other == this || !other->IsTransparent() || other->OwnColorMap().Count() > 0)
                continue;
            // An index this frame shows as an opaque colour cannot stand for transparency.
            int index = other->TransparentIndex();
            if (!UsesIndex(*this, index)) return index;
        }
        return Image->GlobalColorMap().AppendColor(0);
    }
    RaiseGIFError(gifmsg::ColorTableOverflow);
}

void TGIFSubImage::MaskUnchangedPixels(TGIFSubImage* previous) {
    if (IsEmpty() || !previous || previous == this || previous->IsEmpty()) return;
    if (previous->ControlExtension()) {
        int disposal = previous->ControlExtension()->DisposalMethod();
        if (disposal == 2 || disposal == 3) return;
    }
    TRect a = FrameRect(), b = previous->FrameRect();
    TRect both = Rect(std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                      std::min(a.bottom, b.bottom));
    if (both.left >= both.right || both.top >= both.bottom) return;

    const bool wasTransparent = transparent_;
    bool needIndex = !wasTransparent;
    if (needIndex && !HasFreeColorSlot()) return;
    int t = wasTransparent ? TransparentIndex() : -1;
    bool tookIndex = false;
    const bool previousTransparent = previous->IsTransparent();
    const int pt = previous->TransparentIndex();

    for (int y = both.top; y < both.bottom; ++y) {
        Byte* row = RowAt(y - Top());
        const Byte* prevRow = previous->PixelRow(y - previous->Top());
        for (int x = both.left; x < both.right; ++x) {
            Byte& p = row[x - Left()];
            Byte q = prevRow[x - previous->Left()];
            if (!needIndex && p == t) continue;
            if (previousTransparent && q == pt) continue;
            if (!SameColor(EffectiveColorMap(), p, previous->EffectiveColorMap(), q)) continue;
            if (needIndex) {
                t = PickTransparentIndex();
                needIndex = false;
                tookIndex = true;
            }
            p = static_cast<Byte>(t);
        }
    }
    if (!wasTransparent && tookIndex) {
        TGIFGraphicControlExtension& gce = EnsureControlExtension();
        gce.SetHasTransparency(true);
        gce.SetTransparentIndex(t);
    }
    DropBitmap();
    DropMask();
}
