// Filling a frame from another picture: a paletted bitmap is taken as it is, any other
// bitmap is reduced to 8 bits first, other graphics go through a bitmap, another frame is
// copied whole. A transparent bitmap's mask becomes a transparent colour.
#include "framework/Bitmap.h"
#include "framework/Canvas.h"
#include "framework/Icon.h"
#include "framework/Metafile.h"
#include "framework/Picture.h"
#include "framework/ProgressScope.h"
#include "gif/GIFDIB.h"
#include "gif/GIFGraphic.h"
#include "gif/GIFReduce.h"
#include "gif/GIFSubImage.h"
#include "gif/codec/GIFException.h"
#include "platform/gdi/Owned.h"
#include "platform/user/Icon.h"
#include "rtl/ScopeGuard.h"

#include <cstring>

namespace {

constexpr const char* kConverting = "Converting...";
constexpr int kProgressRows = 32;
// Slots of the recent-colour cache of the true-colour import.
constexpr int kCacheSlots = 8;

TGIFGraphic* GraphicOf(GIFImageCore* image) {
    return dynamic_cast<TGIFGraphic*>(image);
}

void Report(TGIFSubImage& frame, TProgressStage stage, int percent, bool redraw) {
    if (frame.Image) frame.Image->ReportProgress(&frame, stage, percent, kConverting, redraw);
}

// A paletted bitmap of 1, 4 or 8 bits: its colour table becomes the frame's map and its
// pixel values the indices, high bits first as the rows store them.
void ImportPaletted(TGIFSubImage& frame, TDIBReader& reader, int bits) {
    std::vector<RGBQUAD> table = reader.Bitmap->ColorTable();
    frame.OwnColorMap().FromColorTable(table.data(), static_cast<int>(table.size()));
    int w = frame.Width(), h = frame.Height();
    int mask = (1 << bits) - 1;
    for (int y = 0; y < h; ++y) {
        if (y % kProgressRows == 0) Report(frame, psRunning, PercentOf(y, h), false);
        const auto* src = static_cast<const Byte*>(reader.RowPointer(y));
        Byte* dst = frame.RowAt(y);
        if (bits == 8) {
            std::memcpy(dst, src, static_cast<size_t>(w));
            continue;
        }
        for (int x = 0; x < w; ++x) {
            int bit = x * bits;
            dst[x] = static_cast<Byte>((src[bit / 8] >> (8 - bits - bit % 8)) & mask);
        }
    }
}

// Colours are collected with blue in the low byte (as the pixel bytes lie) and turned into
// red, green, blue at the end.
void ImportTrueColor(TGIFSubImage& frame, TDIBReader& reader) {
    struct Slot {
        TColor value = 0;
        int index = -1;
    } cache[kCacheSlots];
    int last = 0;
    TGIFColorMap& map = frame.OwnColorMap();
    int w = frame.Width(), h = frame.Height();
    for (int y = 0; y < h; ++y) {
        if (y % kProgressRows == 0) Report(frame, psRunning, PercentOf(y, h), false);
        const auto* src = static_cast<const Byte*>(reader.RowPointer(y));
        Byte* dst = frame.RowAt(y);
        for (int x = 0; x < w; ++x, src += 3) {
            TColor value = TColor(src[0]) | (TColor(src[1]) << 8) | (TColor(src[2]) << 16);
            int index = -1;
            int slot = last;
            do {
                if (cache[slot].index < 0) break;
                if (cache[slot].value == value) {
                    index = cache[slot].index;
                    last = slot;
                    break;
                }
                slot = (slot + kCacheSlots - 1) % kCacheSlots;
            } while (slot != last);
            if (index < 0) {
                index = map.AppendUniqueColor(value);
                last = (last + 1) % kCacheSlots;
                cache[last] = {value, index};
            }
            dst[x] = static_cast<Byte>(index);
        }
    }
    for (int i = 0; i < map.Count(); ++i)
        std::swap(map.Colors()[i].Red, map.Colors()[i].Blue);
}

// Draws the graphic at its size into a 24-bit bitmap.
void RenderGraphicToBitmap(TGraphic* graphic, TBitmap& bitmap) {
    bitmap.SetPixelFormat(pf24bit);
    bitmap.SetSize(graphic->Width(), graphic->Height());
    bitmap.Canvas()->Draw(0, 0, graphic);
}

// The graphic drawn at its size onto a 24-bit bitmap filled with the colour.
ObjectPtr<TBitmap> RenderOnBackground(TGraphic* graphic, TColor color) {
    ObjectPtr<TBitmap> bitmap = MakeObject<TBitmap>();
    bitmap->SetPixelFormat(pf24bit);
    bitmap->SetSize(graphic->Width(), graphic->Height());
    bitmap->Canvas()->Brush()->SetColor(color);
    bitmap->Canvas()->Brush()->SetStyle(bsSolid);
    bitmap->Canvas()->FillRect(Rect(0, 0, graphic->Width(), graphic->Height()));
    bitmap->Canvas()->Draw(0, 0, graphic);
    return bitmap;
}

// Icons and metafiles draw themselves best: their drawing keeps what they leave out.
bool DrawsFirst(TGraphic* graphic) {
    return dynamic_cast<TIcon*>(graphic) || dynamic_cast<TMetafile*>(graphic);
}

} // namespace

void TGIFSubImage::ImportBitmap(TBitmap* source) {
    // A frame's sides are 16-bit: a larger picture would lose its last columns or rows.
    if (source->Width() > 0xFFFF || source->Height() > 0xFFFF)
        RaiseGIFError(gifmsg::InvalidDimensions);
    SetBoundAt(3, source->Width());
    SetBoundAt(4, source->Height());
    TGIFGraphic* g = GraphicOf(Image);
    // The end is reported on every way out, also when the reduction fails.
    ProgressScope progress([this, g](TProgressStage stage, Byte percent) {
        Report(*this, stage, percent, stage == psEnding && g && g->PaletteModified());
    });
    ReadBitmapPixels(source);
    progress.Finish();
}

void TGIFSubImage::ReadBitmapPixels(TBitmap* source) {
    TGIFGraphic* g = GraphicOf(Image);
    TPixelFormat format = source->PixelFormat();
    if (format == pf1bit || format == pf4bit || format == pf8bit) {
        CreateFrameBitmap()->Assign(source);
    } else {
        DropBitmap();
        cache_.SetBitmap(ReduceBitmapColors(source, g ? g->ReductionMethod() : redNetscape,
                                            g ? g->DitherMethod() : dtNearest,
                                            g ? g->QuantizeBits() : 8, 0));
        format = cache_.Bitmap()->PixelFormat();
    }
    // Setting the size above has just allocated the pixels, zero-filled; only a frame whose
    // size did not change needs them now.
    if (!hasPixels_ || pixelCount_ != Int64(Width()) * Height()) AllocatePixels();
    if (format != pf1bit && format != pf4bit && format != pf8bit) format = pf24bit;
    {
        TDIBReader reader(cache_.Bitmap(), format);
        switch (format) {
        case pf8bit:
            ImportPaletted(*this, reader, 8);
            break;
        case pf4bit:
            ImportPaletted(*this, reader, 4);
            break;
        case pf1bit:
            ImportPaletted(*this, reader, 1);
            break;
        default:
            ImportTrueColor(*this, reader);
            break;
        }
    }
    if (source->Transparent()) ApplyMaskHandle(source->MaskHandle());
}

void TGIFSubImage::ImportGraphic(TGraphic* graphic) {
    {
        ObjectPtr<TBitmap> bitmap = MakeObject<TBitmap>();
        if (DrawsFirst(graphic)) {
            try {
                RenderGraphicToBitmap(graphic, *bitmap);
            } catch (Exception&) {
                bitmap->Assign(graphic);
            }
        } else {
            try {
                bitmap->Assign(graphic);
            } catch (Exception&) {
                RenderGraphicToBitmap(graphic, *bitmap);
            }
        }
        ImportBitmap(bitmap.get());
    }
    if (auto* icon = dynamic_cast<TIcon*>(graphic))
        ApplyIconMask(*icon);
    else if (auto* metafile = dynamic_cast<TMetafile*>(graphic))
        ApplyMetafileMask(*metafile);
}

void TGIFSubImage::ApplyIconMask(TIcon& icon) {
    ICONINFO info;
    if (!GetIconInfo(icon.Handle(), &info)) return;
    // Both bitmaps are new ones of the caller's.
    gdi::UniqueObject mask(info.hbmMask), color(info.hbmColor);
    if (info.hbmColor) {
        ApplyMaskHandle(info.hbmMask);
        return;
    }
    // A monochrome icon has no colour bitmap: its mask is twice the icon's height, the AND
    // half (what is see-through) above the XOR half.
    ObjectPtr<TBitmap> both = MakeObject<TBitmap>();
    both->SetHandle(info.hbmMask);
    ScopeGuard giveBack([&] { both->ReleaseHandle(); });
    ObjectPtr<TBitmap> andHalf = MakeObject<TBitmap>();
    andHalf->SetPixelFormat(pf1bit);
    andHalf->SetSize(both->Width(), both->Height() / 2);
    const TRect half = Rect(0, 0, andHalf->Width(), andHalf->Height());
    andHalf->Canvas()->CopyRect(half, both->Canvas(), half);
    ApplyTransparencyMask(*andHalf);
}

void TGIFSubImage::ApplyMetafileMask(TMetafile& metafile) {
    // Where the metafile draws, its renders on white and on black agree and their exclusive
    // or is black; where it leaves the background, white.
    ObjectPtr<TBitmap> mask = RenderOnBackground(&metafile, clWhite);
    ObjectPtr<TBitmap> onBlack = RenderOnBackground(&metafile, clBlack);
    const TRect all = Rect(0, 0, mask->Width(), mask->Height());
    mask->Canvas()->SetCopyMode(cmSrcInvert);
    mask->Canvas()->CopyRect(all, onBlack->Canvas(), all);
    // Black (covered) is 0 and white 1 in a monochrome mask.
    mask->SetPixelFormat(pf1bit);
    ApplyTransparencyMask(*mask);
}

void TGIFSubImage::CopyFrame(TGIFSubImage& frame) {
    if (!frame.IsEmpty()) {
        descriptor_ = frame.descriptor_;
        transparent_ = frame.transparent_;
        AllocatePixels();
        if (frame.codedOnly_) {
            // Kept coded as the original keeps them: nothing is decoded for the copy.
            coded_ = frame.coded_;
            codedKey_ = frame.codedKey_;
            codedOnly_ = true;
        } else if (pixelCount_ > 0) {
            std::memcpy(Data(), frame.PixelData(), static_cast<size_t>(pixelCount_));
            coded_ = frame.coded_;
            codedKey_ = frame.codedKey_;
        }
        ownColorMap_.CopyFrom(frame.ownColorMap_);
    }
    // Also a frame of extensions only keeps them: a copied image must save as the original
    // does.
    if (frame.extensions_.Count() > 0) {
        TMemoryStream stream;
        frame.extensions_.SaveToStream(stream);
        stream.SetPosition(0);
        extensions_.LoadFromStream(stream, this);
    }
    if (!frame.IsEmpty() && frame.BitmapExists())
        CreateFrameBitmap()->Assign(frame.cache_.Bitmap());
}

void TGIFSubImage::CopyFrom(TPersistent* source) {
    if (source == this) return;
    if (!source) {
        Reset();
        return;
    }
    if (auto* frame = dynamic_cast<TGIFSubImage*>(source)) {
        Reset();
        CopyFrame(*frame);
        return;
    }
    if (auto* bitmap = dynamic_cast<TBitmap*>(source)) {
        Reset();
        if (!bitmap->Empty()) ImportBitmap(bitmap);
        return;
    }
    if (auto* picture = dynamic_cast<TPicture*>(source)) {
        CopyFrom(picture->Graphic());
        return;
    }
    if (auto* graphic = dynamic_cast<TGraphic*>(source)) {
        Reset();
        if (!graphic->Empty()) ImportGraphic(graphic);
        return;
    }
    inherited::Assign(source);
}

void TGIFSubImage::ApplyMaskHandle(HBITMAP mask) {
    if (!mask) return;
    // The handle stays the caller's: the bitmap borrows it and gives it back.
    ObjectPtr<TBitmap> borrowed = MakeObject<TBitmap>();
    borrowed->SetHandle(mask);
    ScopeGuard giveBack([&] { borrowed->ReleaseHandle(); });
    ApplyTransparencyMask(*borrowed);
}

void TGIFSubImage::ApplyTransparencyMask(TBitmap& mask) {
    if (IsEmpty()) return;
    if (mask.Width() != Width() || mask.Height() != Height())
        RaiseGIFError(gifmsg::InvalidDimensions);
    ownColorMap_.OptimizeColors();
    // The optimisation renumbered the pixels: the cached rendering shows the old numbers.
    DropBitmap();
    DropMask();
    if (ownColorMap_.Count() == 0 || ownColorMap_.Count() >= 256) return;
    int t = ownColorMap_.AppendColor(0);
    // Read from a copy: the reader converts what it reads in place.
    ObjectPtr<TBitmap> bits = MakeObject<TBitmap>();
    bits->Assign(&mask);
    bool any = false;
    {
        TDIBReader reader(bits.get(), pf8bit);
        for (int y = 0; y < Height(); ++y) {
            const auto* m = static_cast<const Byte*>(reader.RowPointer(y));
            Byte* row = RowAt(y);
            for (int x = 0; x < Width(); ++x)
                if (m[x] != 0) {
                    row[x] = static_cast<Byte>(t);
                    any = true;
                }
        }
    }
    if (!any) {
        ownColorMap_.RemoveColor(t);
        return;
    }
    TGIFGraphicControlExtension& gce = EnsureControlExtension();
    gce.SetHasTransparency(true);
    gce.SetTransparentIndex(t);
}
