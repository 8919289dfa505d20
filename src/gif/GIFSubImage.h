#pragma once
// One frame of a GIF: its image descriptor, its pixels (one colour index per pixel, rows top
// to bottom, exactly Width bytes per row), its local colour map and the extensions written in
// front of it. This part is the frame's data and its place in the stream; rendering, drawing
// and import build on it.
#include "gif/GIFColorMap.h"
#include "gif/GIFExtensions.h"
#include "gif/GIFHeader.h"
#include "gif/GIFItem.h"

#include <memory>

class TGIFSubImage;

class TGIFLocalColorMap final : public TGIFColorMap {
    KORVID_CLASS(TGIFLocalColorMap, TGIFColorMap)

    explicit TGIFLocalColorMap(TGIFSubImage* frame) : Frame(frame) {}

    void ReportWarning(int severity, const String& message) override;
    void CountUsage(TColorUsageTable& usage) override;
    void RemapPixels(const TColorIndexTable& table) override;
    bool OptimizeColors() override { return SortByUsage(); }
    void ColorsChanged() override;

    TGIFSubImage* Frame;
};

class TGIFSubImage final : public TGIFItem {
    KORVID_CLASS(TGIFSubImage, TGIFItem)

    explicit TGIFSubImage(GIFImageCore* image);
    ~TGIFSubImage() override;

    // 2 with a sorted local map or any extension, else 1.
    int RequiredVersion() override;
    void SaveToStream(TStream& stream) override;
    void LoadFromStream(TStream& stream) override;

    void Reset();
    bool IsEmpty() const;
    // Width x height zero bytes, the size checked in 64 bits first.
    void AllocatePixels();
    void ReleasePixels();
    // Allocates when there is no data; "Image is empty" when the frame has no size.
    void EnsurePixels();
    Byte* RowAt(int y);
    Byte PixelAt(int x, int y);
    Byte* Data() { return PixelData.get(); }
    const Byte* Data() const { return PixelData.get(); }

    // 1 left, 2 top, 3 width, 4 height; other indices read 0 and write nothing.
    int BoundAt(int index) const;
    void SetBoundAt(int index, int value);
    // A new size drops the pixels (the new ones are all 0); a frame reaching past the
    // logical screen grows it, with warnings when the screen had a size.
    void ChangeBounds(int left, int top, int width, int height);
    int Left() const { return DescriptorRecord.Left; }
    int Top() const { return DescriptorRecord.Top; }
    int Width() const { return DescriptorRecord.Width; }
    int Height() const { return DescriptorRecord.Height; }
    TRect FrameRect() const { return Rect(Left(), Top(), Left() + Width(), Top() + Height()); }
    bool IsInterlaced() const { return DescriptorRecord.PackedFields & 0x40; }
    void SetInterlaced(bool value);

    // The local map when it has colours, else the global one when that has, else the
    // (empty) local map.
    TGIFColorMap& EffectiveColorMap();
    int ResolutionField() const { return OwnColorMap.RequiredBits() - 1; }
    int PixelBits() const { return OwnColorMap.RequiredBits(); }
    void UpdatePackedFields();
    // The transparent index of the graphic control extension (0 without one).
    int TransparentIndex() const;

    // What the colour maps do to the frame's pixels.
    void CountPixelUsage(TColorUsageTable& usage) const;
    void RemapPixelValues(const TColorIndexTable& table);

    std::unique_ptr<Byte[]> PixelData;
    Int64 PixelCount = 0;
    TGIFLocalColorMap OwnColorMap;
    TGIFImageDescriptor DescriptorRecord;
    TGIFExtensionList FrameExtensions;
    bool IsTransparent = false;
    TGIFGraphicControlExtension* ControlExtension = nullptr;  // the first one made for it
};

// Image data of the frame from the stream into freshly allocated pixels, filled first with
// the transparent index (or 0); de-interlaced when the descriptor says so.
void ReadImageData(TGIFSubImage& frame, TStream& stream);
// The frame's pixels as image data, coded with the image's compression kind.
void WriteImageData(TGIFSubImage& frame, TStream& stream);
