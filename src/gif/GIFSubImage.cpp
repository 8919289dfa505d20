#include "gif/GIFSubImage.h"

#include "gif/GIFException.h"
#include "gif/GIFImageCore.h"
#include "gif/GIFLZWDecoder.h"
#include "gif/GIFStreamIO.h"
#include "platform/gdi/Object.h"

#include <algorithm>
#include <cstring>

// --- TGIFLocalColorMap ---

void TGIFLocalColorMap::ReportWarning(int severity, const String& message) {
    if (Frame && Frame->Image) Frame->Image->ReportWarning(this, severity, message);
}

void TGIFLocalColorMap::CountUsage(TColorUsageTable& usage) {
    if (Frame) Frame->CountPixelUsage(usage);
}

void TGIFLocalColorMap::RemapPixels(const TColorIndexTable& table) {
    if (Frame) Frame->RemapPixelValues(table);
}

void TGIFLocalColorMap::ColorsChanged() {
    if (Frame && Frame->Image) Frame->Image->FrameColorsChanged(*Frame);
}

// --- TGIFSubImage ---

TGIFSubImage::TGIFSubImage(GIFImageCore* image)
    : TGIFItem(image), OwnColorMap(this), FrameExtensions(image) {}

TGIFSubImage::~TGIFSubImage() {
    if (Image) Image->Frames().RemoveItem(this);
    // The extensions look back at the frame while they go.
    FrameExtensions.ClearItems();
    ControlExtension = nullptr;
    DropBitmap();
    DropMask();
    if (FramePalette) DeleteObject(FramePalette);
}

void TGIFSubImage::Reset() {
    FrameExtensions.ClearItems();
    OwnColorMap.Reset();
    ReleasePixels();
    DescriptorRecord.Height = 0;
    DescriptorRecord.Width = 0;
    IsTransparent = false;
    ControlExtension = nullptr;
    DropBitmap();
    DropMask();
}

bool TGIFSubImage::IsEmpty() const {
    return !PixelData || PixelCount == 0 || Width() == 0 || Height() == 0;
}

void TGIFSubImage::AllocatePixels() {
    ReleasePixels();
    Int64 n = FramePixelCount(Width(), Height());
    if (n > 0 && Image) Image->CheckPixelBudget(n);
    if (n > 0) PixelData.reset(new Byte[static_cast<size_t>(n)]());
    PixelCount = n;
}

void TGIFSubImage::ReleasePixels() {
    PixelData.reset();
    PixelCount = 0;
}

void TGIFSubImage::EnsurePixels() {
    if (!PixelData) AllocatePixels();
    if (PixelCount == 0) RaiseGIFError(gifmsg::ImageEmpty);
}

Byte* TGIFSubImage::RowAt(int y) {
    if (y < 0 || y >= Height()) RaiseGIFError(gifmsg::InvalidPixelCoordinates);
    EnsurePixels();
    return PixelData.get() + static_cast<Int64>(y) * Width();
}

Byte TGIFSubImage::PixelAt(int x, int y) {
    if (x < 0 || x >= Width()) RaiseGIFError(gifmsg::InvalidPixelCoordinates);
    return RowAt(y)[x];
}

int TGIFSubImage::BoundAt(int index) const {
    switch (index) {
    case 1: return Left();
    case 2: return Top();
    case 3: return Width();
    case 4: return Height();
    default: return 0;
    }
}

void TGIFSubImage::SetBoundAt(int index, int value) {
    switch (index) {
    case 1: ChangeBounds(value, Top(), Width(), Height()); break;
    case 2: ChangeBounds(Left(), value, Width(), Height()); break;
    case 3: ChangeBounds(Left(), Top(), value, Height()); break;
    case 4: ChangeBounds(Left(), Top(), Width(), value); break;
    default: break;
    }
}

void TGIFSubImage::ChangeBounds(int left, int top, int width, int height) {
    auto word = [](int v) { return static_cast<Word>(std::clamp(v, 0, 0xFFFF)); };
    bool resized = word(width) != Width() || word(height) != Height();
    DescriptorRecord.Left = word(left);
    DescriptorRecord.Top = word(top);
    DescriptorRecord.Width = word(width);
    DescriptorRecord.Height = word(height);
    if (resized) {
        DropBitmap();
        DropMask();
        AllocatePixels();
    }
    if (!Image) return;
    bool exceeded = false;
    int right = Left() + Width(), bottom = Top() + Height();
    if (Image->ScreenWidth() < right) {
        if (Image->ScreenWidth() > 0) {
            ReportWarning(1, gifmsg::WidthTooSmall);
            exceeded = true;
        }
        Image->SetScreenWidth(right);
    }
    if (Image->ScreenHeight() < bottom) {
        if (Image->ScreenHeight() > 0) {
            ReportWarning(1, gifmsg::HeightTooSmall);
            exceeded = true;
        }
        Image->SetScreenHeight(bottom);
    }
    if (exceeded) ReportWarning(1, gifmsg::ExceedsScreen);
}

void TGIFSubImage::SetInterlaced(bool value) {
    if (value)
        DescriptorRecord.PackedFields |= 0x40;
    else
        DescriptorRecord.PackedFields &= static_cast<Byte>(~0x40);
}

TGIFColorMap& TGIFSubImage::EffectiveColorMap() {
    if (OwnColorMap.Count() == 0 && Image && Image->GlobalColorMap().Count() > 0)
        return Image->GlobalColorMap();
    return OwnColorMap;
}

int TGIFSubImage::RequiredVersion() {
    if (OwnColorMap.SortedByUsage()) return 2;
    int version = TGIFItem::RequiredVersion();
    if (FrameExtensions.Count() > 0) version = std::max(version, FrameExtensions.ItemAt(0)->RequiredVersion());
    return version;
}

void TGIFSubImage::UpdatePackedFields() {
    if (OwnColorMap.Count() > 0) {
        DescriptorRecord.PackedFields = static_cast<Byte>(
            0x80 | (OwnColorMap.SortedByUsage() ? 0x20 : 0) | (ResolutionField() & 7));
    } else {
        DescriptorRecord.PackedFields &= 0x58;
    }
}

int TGIFSubImage::TransparentIndex() const {
    return ControlExtension ? ControlExtension->TransparentIndex() : 0;
}

void TGIFSubImage::CountPixelUsage(TColorUsageTable& usage) const {
    if (!PixelData) return;
    const Byte* p = PixelData.get();
    for (Int64 i = 0; i < PixelCount; ++i) ++usage[p[i]].Count;
}

void TGIFSubImage::RemapPixelValues(const TColorIndexTable& table) {
    if (PixelData) {
        Byte* p = PixelData.get();
        for (Int64 i = 0; i < PixelCount; ++i) p[i] = table[p[i]];
    }
    if (IsTransparent && ControlExtension)
        ControlExtension->SetTransparentIndex(table[ControlExtension->TransparentIndex()]);
}

void TGIFSubImage::SaveToStream(TStream& stream) {
    FrameExtensions.SaveToStream(stream);
    if (IsEmpty()) return;
    UpdatePackedFields();
    DescriptorRecord.Write(stream);
    OwnColorMap.WriteTriplets(stream);
    WriteImageData(*this, stream);
}

void TGIFSubImage::LoadFromStream(TStream& stream) {
    Reset();
    FrameExtensions.LoadFromStream(stream, this);
    int b = ReadByteFrom(stream);
    if (b == kEndOfStream) return;
    stream.Seek(-1, soCurrent);
    if (b == kTrailer || b == 0) return;
    DescriptorRecord.Read(stream);
    if (Width() == 0 || Height() == 0) {
        DescriptorRecord.Width = static_cast<Word>(Image ? Image->ScreenWidth() : 0);
        DescriptorRecord.Height = static_cast<Word>(Image ? Image->ScreenHeight() : 0);
        ReportWarning(1, gifmsg::ExceedsScreen);
    }
    if (DescriptorRecord.PackedFields & 0x80)
        OwnColorMap.ReadTriplets(stream, 2 << (DescriptorRecord.PackedFields & 7));
    ReadImageData(*this, stream);
}

void ReadImageData(TGIFSubImage& frame, TStream& stream) {
    frame.AllocatePixels();
    Byte fill = frame.IsTransparent ? static_cast<Byte>(frame.TransparentIndex()) : 0;
    if (frame.PixelCount > 0) std::memset(frame.Data(), fill, static_cast<size_t>(frame.PixelCount));
    DecodeImageData(stream, frame.Data(), frame.Width(), frame.Height(), frame.IsInterlaced(),
                    [&frame](const String& message) { frame.ReportWarning(1, message); });
}

void WriteImageData(TGIFSubImage& frame, TStream& stream) {
    int bits, maxColor;
    if (frame.OwnColorMap.Count() == 0) {
        bits = frame.Image ? frame.Image->MaxBitsPerPixel() : 8;
        maxColor = 1 << bits;
    } else {
        bits = frame.OwnColorMap.RequiredBits();
        maxColor = frame.OwnColorMap.Count();
    }
    EncodeImageData(stream, frame.Data(), frame.Width(), frame.Height(), frame.IsInterlaced(),
                    bits, maxColor, frame.Image ? frame.Image->CompressionKind : kCompressLZW,
                    [&frame](const String& message) { frame.ReportWarning(1, message); });
}
