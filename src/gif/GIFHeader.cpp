#include "gif/GIFHeader.h"

#include "gif/GIFImageCore.h"
#include "gif/GIFSubImage.h"
#include "gif/codec/GIFException.h"
#include "gif/codec/GIFStreamIO.h"

#include <algorithm>
#include <cctype>
#include <cstring>

// --- TGIFGlobalColorMap ---

void TGIFGlobalColorMap::ReportWarning(int severity, const String& message) {
    if (Header && Header->Image) Header->Image->ReportWarning(this, severity, message);
}

void TGIFGlobalColorMap::CountUsage(TColorUsageTable& usage) {
    if (!Header) return;
    // The screen's background colour is shown where no frame draws: it stays in the map.
    ++usage[Header->ScreenDescriptor.BackgroundColorIndex].Count;
    if (!Header->Image) return;
    TGIFImageList& frames = Header->Image->Frames();
    for (int i = 0; i < frames.Count(); ++i) {
        TGIFSubImage* frame = frames.GetFrame(i);
        if (&frame->EffectiveColorMap() == this) frame->CountPixelUsage(usage);
    }
}

void TGIFGlobalColorMap::RemapPixels(const TColorIndexTable& table) {
    if (!Header) return;
    Byte& background = Header->ScreenDescriptor.BackgroundColorIndex;
    background = table[background];
    if (!Header->Image) return;
    TGIFImageList& frames = Header->Image->Frames();
    for (int i = 0; i < frames.Count(); ++i) {
        TGIFSubImage* frame = frames.GetFrame(i);
        if (&frame->EffectiveColorMap() == this) frame->RemapPixelValues(table);
    }
}

bool TGIFGlobalColorMap::OptimizeColors() {
    if (!Header || !Header->Image || Header->Image->Frames().Count() == 0) return false;
    return SortByUsage();
}

void TGIFGlobalColorMap::ColorsChanged() {
    if (Header && Header->Image) Header->Image->GlobalColorsChanged();
}

// --- TGIFHeader ---

TGIFHeader::TGIFHeader(GIFImageCore* image) : TGIFItem(image), ColorMap(this) {}

void TGIFHeader::Clear() {
    ColorMap.Reset();
    ScreenDescriptor = TGIFScreenDescriptor{};
}

int TGIFHeader::RequiredVersion() {
    return ColorMap.SortedByUsage() || ScreenDescriptor.AspectRatio != 0 ? 2 : 1;
}

TColor TGIFHeader::BackgroundColor() {
    return ColorMap.ColorAt(ScreenDescriptor.BackgroundColorIndex);
}

void TGIFHeader::LoadFromStream(TStream& stream) {
    auto isGIF = [](const Byte* b) {
        return std::toupper(b[0]) == 'G' && std::toupper(b[1]) == 'I' && std::toupper(b[2]) == 'F';
    };
    Int64 start = stream.Position();
    Byte sig[6];
    ReadExactly(stream, sig, 6);
    if (!isGIF(sig)) {
        // Some writers put a 4-byte prefix in front of the signature.
        stream.SetPosition(start + 4);
        ReadExactly(stream, sig, 6);
        if (!isGIF(sig)) RaiseGIFError(gifmsg::InvalidSignature);
    }
    ScreenDescriptor.Read(stream);
    if (ScreenDescriptor.PackedFields & 0x80)
        ColorMap.ReadTriplets(stream, 2 << (ScreenDescriptor.PackedFields & 7));
    else
        ColorMap.Reset();
}

void TGIFHeader::PreparePackedFields() {
    Byte packed = 0;
    bool hasTable = ColorMap.Count() > 0;
    if (hasTable) packed |= 0x80;
    if (hasTable && ColorMap.SortedByUsage()) packed |= 0x08;
    // An image with no colour table at all counts as 1 bit.
    int resolution =
        Image ? std::max(Image->MaxColorResolution(), 0) : std::max(ColorResolution(), 0);
    packed |= static_cast<Byte>((resolution & 7) << 4);
    int size = hasTable ? BitsPerPixel() - 1 : (Image ? Image->MaxBitsPerPixel() : 0) - 1;
    packed |= static_cast<Byte>(std::max(size, 0) & 7);
    ScreenDescriptor.PackedFields = packed;
}

void TGIFHeader::SaveToStream(TStream& stream) {
    int version = Image ? Image->RequiredVersion() : 0;
    if (version == 0) RaiseGIFError(gifmsg::UnsupportedVersion);
    stream.WriteBuffer(version == 1 ? "GIF87a" : "GIF89a", 6);
    PreparePackedFields();
    ScreenDescriptor.Write(stream);
    if (ScreenDescriptor.PackedFields & 0x80) ColorMap.WriteTriplets(stream);
}

void TGIFHeader::Assign(TPersistent* Source) {
    if (auto* header = dynamic_cast<TGIFHeader*>(Source)) {
        if (header == this) return;
        ColorMap.CopyFrom(header->ColorMap);
        ScreenDescriptor = header->ScreenDescriptor;
        return;
    }
    if (auto* map = dynamic_cast<TGIFColorMap*>(Source)) {
        Clear();
        ColorMap.CopyFrom(*map);
        return;
    }
    inherited::Assign(Source);
}

// --- TGIFTrailer ---

void TGIFTrailer::SaveToStream(TStream& stream) {
    WriteByteTo(stream, kTrailer);
}

void TGIFTrailer::LoadFromStream(TStream& stream) {
    int b = ReadByteFrom(stream);
    if (b != kEndOfStream && b != kTrailer) ReportWarning(1, gifmsg::InvalidTrailer);
}
