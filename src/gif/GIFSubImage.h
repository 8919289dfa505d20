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
#include <vector>

class TBitmap;
class TCanvas;
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

    // Import (GIFFrameImport.cpp): another frame is copied whole, a bitmap or another
    // graphic becomes the frame's pixels and colours, nil clears; assigning the frame to
    // itself changes nothing.
    void Assign(TPersistent* Source) override { CopyFrom(Source); }
    void CopyFrom(TPersistent* source);
    // Pixels the mask (any bitmap of the frame's size) marks with a non-zero value become
    // transparent through a new black colour; "Invalid image dimensions" for another size.
    void ApplyTransparencyMask(TBitmap& mask);
    void ApplyMaskHandle(HBITMAP mask);

    // Cached rendering (GIFFrameRender.cpp). The bitmap and mask stay the frame's.
    bool BitmapExists() const { return FrameBitmap != nullptr; }
    TBitmap* CreateFrameBitmap();
    void DropBitmap();
    void DropMask();
    // Renders when needed; whether the frame has a mask (some pixel is transparent).
    bool MaskReady();
    // The frame rendered at its own size; none for an empty frame.
    TBitmap* GetFrameBitmap();
    HBITMAP MaskHandle() const { return MaskBitmap; }
    HPALETTE GetPaletteHandle();
    void SetPaletteHandle(HPALETTE palette);
    // Each a new bitmap owned by the caller; they build the mask when it is stale.
    TBitmap* RenderPlain();
    TBitmap* RenderDithered();

    // Drawing (GIFFrameDraw.cpp): rect stands for the whole logical screen.
    void PaintFrame(TCanvas* canvas, const TRect& rect, bool tile, bool transparent);
    // The frame's own rectangle scaled into rect.
    TRect PlaceInRect(const TRect& rect);
    // Where the frame lands when drawn tiled within rect: at its own size, the first tile at
    // rect's corner plus the frame's offset, stepping by the screen size; none for a screen
    // with a zero side.
    std::vector<TRect> TileRects(const TRect& rect);
    void PaintFrameRect(TCanvas* canvas, const TRect& rect, bool tile, bool transparent);

    // Frame optimisation (GIFFrameOptimize.cpp).
    // Crops transparent edges; a wholly transparent frame becomes empty.
    void TrimTransparentEdges();
    // Pixels that show the same colour as the previous frame at the same place become
    // transparent.
    void MaskUnchangedPixels(TGIFSubImage* previous);
    bool HasFreeColorSlot();
    // A colour index for transparency that no opaque pixel of this frame uses.
    int PickTransparentIndex();

    std::unique_ptr<Byte[]> PixelData;
    Int64 PixelCount = 0;
    TGIFLocalColorMap OwnColorMap;
    TGIFImageDescriptor DescriptorRecord;
    TGIFExtensionList FrameExtensions;
    bool IsTransparent = false;
    TGIFGraphicControlExtension* ControlExtension = nullptr; // the first one made for it
    TBitmap* FrameBitmap = nullptr;                          // owned
    HBITMAP MaskBitmap = 0; // owned; 1 bit per pixel, 1 = transparent
    bool MaskStale = true;
    HPALETTE FramePalette = 0; // owned

protected:
    void AssignTo(TPersistent* Dest) override { CopyToBitmap(Dest); }
    // A bitmap receives the frame's rendering; anything else is the base's conversion error.
    void CopyToBitmap(TPersistent* target);
};

// Image data of the frame from the stream into freshly allocated pixels, filled first with
// the transparent index (or 0); de-interlaced when the descriptor says so.
void ReadImageData(TGIFSubImage& frame, TStream& stream);
// The frame's pixels as image data, coded with the image's compression kind.
void WriteImageData(TGIFSubImage& frame, TStream& stream);
