#pragma once
// One frame of a GIF: its image descriptor, its pixels (one colour index per pixel, rows top
// to bottom, exactly Width bytes per row), its local colour map and the extensions written in
// front of it. The frame reads and writes its part of the stream, fills itself from pictures
// (GIFSubImageImport.cpp), renders itself into a cached bitmap and mask
// (GIFSubImageRender.cpp, GIFSubImageCache.h), draws itself onto a canvas
// (GIFSubImageDrawing.h), does the pixel work of frame optimisation (GIFSubImageOptimize.cpp)
// and can keep its pixels coded while nothing needs them (GIFSubImageCoded.cpp).
#include "framework/GraphicsTypes.h"
#include "gif/GIFExtensions.h"
#include "gif/GIFHeader.h"
#include "gif/GIFItem.h"
#include "gif/GIFSubImageCache.h"
#include "gif/codec/GIFColorMap.h"

#include <memory>
#include <vector>

class TBitmap;
class TCanvas;
class TGraphic;
class TGIFSubImage;
class TIcon;
class TMetafile;

class TGIFLocalColorMap final : public TGIFColorMap {
    KORVID_CLASS(TGIFLocalColorMap, TGIFColorMap)

    explicit TGIFLocalColorMap(TGIFSubImage* frame) : frame_(frame) {}

    void ReportWarning(int severity, const String& message) override;
    void CountUsage(TColorUsageTable& usage) override;
    void RemapPixels(const TColorIndexTable& table) override;
    bool OptimizeColors() override { return SortByUsage(); }
    void ColorsChanged() override;

    TGIFSubImage* Frame() const { return frame_; }

private:
    TGIFSubImage* frame_; // the frame that owns the map
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
    // Width x height zero pixels, the size checked in 64 bits and against the image's budget
    // first.
    void AllocatePixels();
    void ReleasePixels();
    // Allocates when there is no data; "Image is empty" when the frame has no size.
    void EnsurePixels();
    // Row y to change; RowAt and the non-const Data are for writing (what the frame keeps
    // coded is dropped), PixelRow and PixelData for reading.
    Byte* RowAt(int y);
    const Byte* PixelRow(int y);
    Byte PixelAt(int x, int y);
    // All PixelCount pixels; none without pixel data.
    Byte* Data();
    const Byte* Data() const;
    const Byte* PixelData() const { return Data(); }
    Int64 PixelCount() const { return pixelCount_; }
    // Pixels read from a stream: the first heldBytes of the frame's pixels in logical order;
    // the rest read as fill until something needs them all. The frame keeps only what the
    // data held until then, so a tiny file that declares a huge frame costs little.
    void AdoptPixels(std::unique_ptr<Byte[]> held, Int64 heldBytes, Byte fill);
    // Bytes the frame holds now (all its pixels once anything has asked for them; none while
    // they are kept only coded).
    Int64 HeldPixelBytes() const { return held_; }
    // Pixels the frame declared beyond what its image data held when it was read; 0 for a
    // frame made in memory. They are fill and cost nothing until a pass decodes them all.
    Int64 MissingPixels() const { return missing_; }

    // Keeps the pixels only coded, as the image data of the stream, until something needs
    // them (then they are decoded again); the rendered bitmap and mask go too. The coded form
    // is kept while the pixels stay as they are and is what saving writes. Nothing for an
    // empty frame, or when coding the pixels reports a problem.
    void Pack();
    bool Packed() const { return codedOnly_; }
    // A coded form of the current pixels is kept (packing again costs no coding).
    bool KeepsCode() const { return !coded_.empty(); }
    // How the pixels are coded for the stream, as this frame would write them now.
    struct CodingKey {
        int bits = 0;
        int maxColor = 0;
        int kind = 0;
        bool interlaced = false;
        bool operator==(const CodingKey&) const = default;
    };
    CodingKey ImageDataKey();
    // The coded pixels when they were coded as `key` says; null otherwise.
    const std::vector<Byte>* CodedPixels(const CodingKey& key) const;

    const TGIFImageDescriptor& DescriptorRecord() const { return descriptor_; }
    // 1 left, 2 top, 3 width, 4 height; other indices read 0 and write nothing.
    int BoundAt(int index) const;
    void SetBoundAt(int index, int value);
    // A new size drops the pixels (the new ones are all 0); a frame reaching past the
    // logical screen grows it, with warnings when the screen had a size.
    void ChangeBounds(int left, int top, int width, int height);
    int Left() const { return descriptor_.Left; }
    int Top() const { return descriptor_.Top; }
    int Width() const { return descriptor_.Width; }
    int Height() const { return descriptor_.Height; }
    TRect FrameRect() const { return Rect(Left(), Top(), Left() + Width(), Top() + Height()); }
    bool IsInterlaced() const { return descriptor_.PackedFields & 0x40; }
    void SetInterlaced(bool value);

    TGIFLocalColorMap& OwnColorMap() { return ownColorMap_; }
    const TGIFLocalColorMap& OwnColorMap() const { return ownColorMap_; }
    // The local map when it has colours, else the global one when that has, else the
    // (empty) local map.
    TGIFColorMap& EffectiveColorMap();
    int ResolutionField() const { return ownColorMap_.RequiredBits() - 1; }
    int PixelBits() const { return ownColorMap_.RequiredBits(); }
    void UpdatePackedFields();

    TGIFExtensionList& FrameExtensions() { return extensions_; }
    const TGIFExtensionList& FrameExtensions() const { return extensions_; }
    // Set and cleared by the frame's own graphic control extension.
    bool IsTransparent() const { return transparent_; }
    // The first graphic control extension made for the frame: its delay, disposal and
    // transparency are the frame's.
    TGIFGraphicControlExtension* ControlExtension() const { return control_; }
    // The transparent index of the graphic control extension (0 without one).
    int TransparentIndex() const;

    // What the colour maps do to the frame's pixels.
    void CountPixelUsage(TColorUsageTable& usage) const;
    void RemapPixelValues(const TColorIndexTable& table);

    // Import (GIFSubImageImport.cpp): another frame is copied whole, a bitmap or another
    // graphic becomes the frame's pixels and colours, nil clears; assigning the frame to
    // itself changes nothing.
    void Assign(TPersistent* Source) override { CopyFrom(Source); }
    void CopyFrom(TPersistent* source);
    // Pixels the mask (any bitmap of the frame's size) marks with a non-zero value become
    // transparent through a new black colour; "Invalid image dimensions" for another size.
    void ApplyTransparencyMask(TBitmap& mask);
    void ApplyMaskHandle(HBITMAP mask);
    // The icon's own mask (see-through bits) makes its transparency.
    void ApplyIconMask(TIcon& icon);
    // What the metafile leaves out of its drawing becomes transparent.
    void ApplyMetafileMask(TMetafile& metafile);

    // Cached rendering (GIFSubImageRender.cpp). The bitmap and mask stay the frame's.
    bool BitmapExists() const { return cache_.HasBitmap(); }
    TBitmap* CreateFrameBitmap() { return cache_.NewBitmap(); }
    void DropBitmap() { cache_.DropBitmap(); }
    void DropMask() { cache_.DropMask(); }
    // Renders when needed; whether the frame has a mask (some pixel is transparent).
    bool MaskReady();
    // The frame rendered at its own size; none for an empty frame.
    TBitmap* GetFrameBitmap();
    HBITMAP MaskHandle() const { return cache_.Mask(); }
    HPALETTE GetPaletteHandle();
    void SetPaletteHandle(HPALETTE palette);
    // The palette made of the old colours goes; the bitmap stays.
    void DropPalette() { cache_.SetPalette(0); }
    // Each a new bitmap owned by the caller; they build the mask when it is stale.
    ObjectPtr<TBitmap> RenderPlain();
    ObjectPtr<TBitmap> RenderDithered();

    // Drawing (GIFSubImageDrawing.h): rect stands for the whole logical screen.
    void PaintFrame(TCanvas* canvas, const TRect& rect, bool tile, bool transparent);
    // The frame's own rectangle scaled into rect.
    TRect PlaceInRect(const TRect& rect);
    // Where the frame lands when drawn tiled within rect: at its own size, the first tile at
    // rect's corner plus the frame's offset, stepping by the screen size; none for a screen
    // with a zero side.
    std::vector<TRect> TileRects(const TRect& rect);
    void PaintFrameRect(TCanvas* canvas, const TRect& rect, bool tile, bool transparent);

    // Frame optimisation (GIFSubImageOptimize.cpp).
    // Crops transparent edges; a wholly transparent frame becomes empty.
    void TrimTransparentEdges();
    // Pixels that show the same colour as the previous frame at the same place become
    // transparent.
    void MaskUnchangedPixels(TGIFSubImage* previous);
    bool HasFreeColorSlot();
    // A colour index for transparency that no opaque pixel of this frame uses.
    int PickTransparentIndex();

protected:
    void AssignTo(TPersistent* Dest) override { CopyToBitmap(Dest); }
    // A bitmap receives the frame's rendering; anything else is the base's conversion error.
    void CopyToBitmap(TPersistent* target);

private:
    // The graphic control extension registers itself and keeps the transparency flag.
    friend class TGIFGraphicControlExtension;

    // Makes every pixel real: the held ones and the fill after them.
    void HoldAllPixels() const;
    // Decodes the pixels kept only coded.
    void Unpack() const;
    // The pixels are about to change: the coded form goes.
    void DropCode();
    // Copies the pixels, colours and descriptor of another frame.
    void CopyFrame(TGIFSubImage& source);
    void ImportBitmap(TBitmap* source);
    // The bitmap's pixels and colours, reduced first when it is not paletted.
    void ReadBitmapPixels(TBitmap* source);
    void ImportGraphic(TGraphic* graphic);
    // A control extension of the frame, made and appended when it has none.
    TGIFGraphicControlExtension& EnsureControlExtension();

    // Pixel data: pixels_ holds the first held_ of pixelCount_ pixels, the rest are fill_.
    mutable std::unique_ptr<Byte[]> pixels_;
    mutable Int64 held_ = 0;
    bool hasPixels_ = false;
    Int64 pixelCount_ = 0;
    Int64 missing_ = 0;
    Byte fill_ = 0;
    // The pixels as coded image data, while they match; with codedOnly_ the only form held.
    mutable std::vector<Byte> coded_;
    CodingKey codedKey_;
    mutable bool codedOnly_ = false;
    TGIFLocalColorMap ownColorMap_;
    TGIFImageDescriptor descriptor_;
    TGIFExtensionList extensions_;
    bool transparent_ = false;
    TGIFGraphicControlExtension* control_ = nullptr; // one of extensions_, not owned here
    GIFSubImageCache cache_;
};

// Image data of the frame from the stream, filled first with the transparent index (or 0);
// de-interlaced when the descriptor says so.
void ReadImageData(TGIFSubImage& frame, TStream& stream);
// The frame's pixels as image data, coded with the image's compression kind.
void WriteImageData(TGIFSubImage& frame, TStream& stream);
