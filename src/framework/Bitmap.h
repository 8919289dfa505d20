#pragma once
// TBitmap: a picture held as a DIB section in one of the pixel formats, with a canvas to draw
// on, direct row access (ScanLine), a palette, a transparent colour and its mask, and the BMP
// file format.
#include "framework/Canvas.h"
#include "framework/Graphic.h"

#include <vector>

class TBitmap;

// A new palette with the same entries, the caller's; 0 for none.
HPALETTE CopyPalette(HPALETTE Palette);

// The canvas of a bitmap: a memory device context holding the bitmap while it is drawn on.
class TBitmapCanvas : public TCanvas {
    KORVID_CLASS(TBitmapCanvas, TCanvas)

    explicit TBitmapCanvas(TBitmap* owner) : bitmap_(owner) {}
    void Destroy() override;

    // Takes the bitmap out of the context and deletes the context; the next drawing call
    // makes a new one.
    void FreeContext();

protected:
    void CreateHandle() override;

private:
    TBitmap* bitmap_;
    HDC dc_ = 0;
    HGDIOBJ oldBitmap_ = 0;
    HPALETTE oldPalette_ = 0;
};

class TBitmap : public TGraphic {
    KORVID_GRAPHIC_CLASS(TBitmap, TGraphic)

    TBitmap() = default;
    void Destroy() override;

    // A bitmap copies another bitmap whole (pixels, format, colour table, palette,
    // transparency); nil empties it; other graphics are asked to assign themselves.
    void Assign(TPersistent* Source) override;
    void Draw(TCanvas* ACanvas, const TRect& Rect) override;

    TCanvas* Canvas();

    // The DIB section (0 for an empty bitmap). Asking for it takes the bitmap out of the
    // canvas's device context, so the caller may select it into one of its own.
    HBITMAP Handle();
    // The bitmap takes the handle over. A device bitmap is copied into a DIB section; the
    // original is kept unchanged, so that ReleaseHandle can give it back.
    void SetHandle(HBITMAP Value);
    // Gives the handle to the caller; the bitmap is empty afterwards.
    HBITMAP ReleaseHandle();
    TBitmapHandleType HandleType() const { return bmDIB; }
    void SetHandleType(TBitmapHandleType) {}

    // A monochrome bitmap of the same size, 1 where a pixel has the transparent colour. It
    // stays the bitmap's and is made again after a change.
    HBITMAP MaskHandle();
    HBITMAP ReleaseMaskHandle();

    TPixelFormat PixelFormat() const { return format_; }
    // Converts the pixels in place; down to 1, 4 or 8 bits by the nearest colour of the
    // palette when one is set, else of the standard table of that depth.
    void SetPixelFormat(TPixelFormat Value);
    // Bits per pixel of a format (15 bits take 16, the device format 32); "Invalid pixel
    // format" for one it does not know.
    static int BitCountOf(TPixelFormat format);
    bool Monochrome() const;
    void SetMonochrome(bool Value);

    // Row Row's first byte, rows counted from the top. Raises EInvalidGraphicOperation "Scan
    // line index out of range" outside 0 .. Height - 1.
    void* ScanLine(int Row);

    void SetWidth(int Value) override { SetSize(Value, height_); }
    void SetHeight(int Value) override { SetSize(width_, Value); }
    // Keeps the top-left content; new area is white. A side of 0 empties the bitmap.
    void SetSize(int AWidth, int AHeight);

    // The bitmap takes ownership of the palette. On a paletted format it becomes the colour
    // table (pixel indices unchanged); on true colour it is kept for later conversions.
    void SetPalette(HPALETTE Value) override;
    HPALETTE ReleasePalette();
    // The colour table of a paletted bitmap with the count it was made with; empty otherwise.
    std::vector<RGBQUAD> ColorTable();

    // The colour of the bottom-left pixel in tmAuto mode, else the colour set.
    TColor TransparentColor();
    void SetTransparentColor(TColor Value);
    TTransparentMode TransparentMode() const { return transparentMode_; }
    void SetTransparentMode(TTransparentMode Value);

    // BMP of every depth and orientation, BI_RGB, BI_BITFIELDS, RLE4 and RLE8. An empty
    // stream gives an empty bitmap; a bad one raises EInvalidGraphic and leaves the bitmap as
    // it was. Saving writes the pixels as they are stored (nothing for an empty bitmap).
    void LoadFromStream(TStream& Stream) override;
    void SaveToStream(TStream& Stream) override;
    // A compiled-in bitmap (see Resources.h); EResNotFound when there is none.
    void LoadFromResourceName(HINSTANCE Instance, const String& ResName);
    // CF_BITMAP (the handle is copied; the clipboard keeps it) and CF_DIB.
    void LoadFromClipboardFormat(Word AFormat, HANDLE AData, HPALETTE APalette) override;
    // A copy of the bitmap as CF_BITMAP and of its palette, both the caller's.
    void SaveToClipboardFormat(Word& AFormat, HANDLE& AData, HPALETTE& APalette) override;

    // Frees the image; the bitmap becomes empty.
    void FreeImage();
    void Dormant() {}

    void Changed(TObject* Sender) override;

protected:
    bool GetEmpty() const override { return handle_ == 0; }
    int GetWidth() const override { return width_; }
    int GetHeight() const override { return height_; }
    HPALETTE GetPalette() override;

private:
    friend class TBitmapCanvas;

    // How the pixels lie in memory; a DIB section is made from it.
    struct Layout {
        int width = 0, height = 0;
        int bitCount = 32;
        bool topDown = false;
        DWORD compression = 0; // BI_RGB, or BI_BITFIELDS for 5-6-5
        std::vector<RGBQUAD> colors;
    };
    // Makes a DIB section of the layout; raises EOutOfResources when it cannot be had.
    static HBITMAP MakeDib(const Layout& layout, Byte** bits);
    static TPixelFormat FormatOf(int bitCount, DWORD compression);
    // The colour table a paletted format gets: from the palette when given, else the
    // standard table of the depth.
    static std::vector<RGBQUAD> TableFor(int bitCount, HPALETTE palette);
    Layout LayoutFor(TPixelFormat format, int width, int height, HPALETTE palette) const;
    Layout CurrentLayout() const;
    // Takes a DIB section made by MakeDib (deleting the current one) with its bits.
    void Adopt(HBITMAP dib, Byte* bits, const Layout& layout, TPixelFormat format);
    void DropHandle();
    void DropMask();
    void DropPalette();
    void FreeContext();
    // Rebuilds the image in another layout, the pixels converted by a blit.
    void ConvertTo(TPixelFormat format, const Layout& layout);
    // A DIB section copy of any bitmap handle, and the format it came out in.
    static HBITMAP CopyToDib(HBITMAP source, TPixelFormat& format, Layout& layout, Byte** bits);
    COLORREF PixelAt(int x, int y);

    HBITMAP handle_ = 0;
    HBITMAP adopted_ = 0; // a device bitmap handed to SetHandle, given back by ReleaseHandle
    Byte* bits_ = nullptr;
    Int64 stride_ = 0;
    int width_ = 0;
    int height_ = 0;
    bool topDown_ = false;
    DWORD compression_ = 0;
    std::vector<RGBQUAD> colors_; // the colour table of a paletted DIB
    TPixelFormat format_ = pfDevice;
    HPALETTE palette_ = 0;
    bool paletteFromTable_ = false; // palette_ was made from the colour table
    HBITMAP mask_ = 0;
    TColor transparentColor_ = clDefault;
    TTransparentMode transparentMode_ = tmAuto;
    ObjectPtr<TBitmapCanvas> canvas_;
};
