// TBitmap's image: layouts, handles, pixels, copying and drawing (the palette and the
// transparency have files of their own).
#include "framework/Bitmap.h"

#include "framework/BitmapDetail.h"
#include "framework/BitmapFile.h"
#include "framework/Resources.h"
#include "platform/gdi/Bitmap.h"
#include "platform/gdi/Blit.h"
#include "platform/gdi/Dc.h"
#include "platform/gdi/Draw.h"
#include "platform/gdi/Object.h"
#include "platform/gdi/Owned.h"
#include "platform/gdi/Palette.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>

using namespace bitmap_detail;

namespace {

using bitmap_file::kMask565;
constexpr DWORD kDestinationCopy = 0x00AA0029; // leaves the destination as it is

RGBQUAD Quad(COLORREF c) {
    return RGBQUAD{GetBValue(c), GetGValue(c), GetRValue(c), 0};
}

// The index of the table entry nearest to colour, the lowest on ties.
int NearestIndex(const std::vector<RGBQUAD>& table, COLORREF c) {
    int best = 0;
    long bestDistance = -1;
    for (size_t i = 0; i < table.size(); ++i) {
        long dr = long(table[i].rgbRed) - GetRValue(c);
        long dg = long(table[i].rgbGreen) - GetGValue(c);
        long db = long(table[i].rgbBlue) - GetBValue(c);
        long d = dr * dr + dg * dg + db * db;
        if (bestDistance < 0 || d < bestDistance) {
            bestDistance = d;
            best = int(i);
        }
    }
    return best;
}

// Fills a row of width pixels with one stored value.
void FillRow(Byte* row, int width, int bitCount, DWORD value) {
    switch (bitCount) {
    case 1:
    case 4:
    case 8: {
        const int perByte = 8 / bitCount;
        Byte b = 0;
        for (int k = 0; k < perByte; ++k)
            b = Byte((b << bitCount) | value);
        std::memset(row, b, size_t((Int64(width) * bitCount + 7) / 8));
        break;
    }
    case 16:
        for (int x = 0; x < width; ++x) {
            row[2 * x] = Byte(value);
            row[2 * x + 1] = Byte(value >> 8);
        }
        break;
    case 24:
        for (int x = 0; x < width; ++x) {
            row[3 * x] = Byte(value);
            row[3 * x + 1] = Byte(value >> 8);
            row[3 * x + 2] = Byte(value >> 16);
        }
        break;
    default:
        for (int x = 0; x < width; ++x)
            std::memcpy(row + 4 * x, &value, 4);
        break;
    }
}

// Copies the first width pixels of a row, leaving the bits beyond them in dest untouched.
void CopyPixels(Byte* dest, const Byte* src, int width, int bitCount) {
    const Int64 bits = Int64(width) * bitCount;
    const size_t whole = size_t(bits / 8);
    std::memcpy(dest, src, whole);
    const int rest = int(bits % 8);
    if (rest) {
        const Byte keep = Byte(0xFF >> rest); // pixels come most significant bit first
        dest[whole] = Byte((dest[whole] & keep) | (src[whole] & ~keep));
    }
}

bool SameColors(const std::vector<RGBQUAD>& a, const std::vector<RGBQUAD>& b) {
    return a.size() == b.size() &&
           (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(RGBQUAD)) == 0);
}

} // namespace

// Canvas

void TBitmapCanvas::Destroy() {
    FreeContext();
    inherited::Destroy();
}

void TBitmapCanvas::CreateHandle() {
    if (dc_) return;
    dc_ = CreateCompatibleDC(0);
    if (!dc_) throw EOutOfResources("Out of system resources");
    if (bitmap_->handle_) oldBitmap_ = SelectObject(dc_, bitmap_->handle_);
    if (HPALETTE palette = bitmap_->GetPalette()) {
        oldPalette_ = SelectPalette(dc_, palette, TRUE);
        RealizePalette(dc_);
    }
    SetHandle(dc_);
}

void TBitmapCanvas::FreeContext() {
    if (!dc_) return;
    SetHandle(0);
    if (oldBitmap_) SelectObject(dc_, oldBitmap_);
    if (oldPalette_) SelectPalette(dc_, oldPalette_, TRUE);
    DeleteDC(dc_);
    dc_ = 0;
    oldBitmap_ = 0;
    oldPalette_ = 0;
}

// Layouts and handles

int TBitmap::BitCountOf(TPixelFormat format) {
    switch (format) {
    case pf1bit:
        return 1;
    case pf4bit:
        return 4;
    case pf8bit:
        return 8;
    case pf15bit:
    case pf16bit:
        return 16;
    case pf24bit:
        return 24;
    case pfDevice:
    case pf32bit:
        return 32;
    default:
        throw EInvalidGraphicOperation("Invalid pixel format");
    }
}

TPixelFormat TBitmap::FormatOf(int bitCount, DWORD compression) {
    switch (bitCount) {
    case 1:
        return pf1bit;
    case 4:
        return pf4bit;
    case 8:
        return pf8bit;
    case 16:
        return compression == BI_BITFIELDS ? pf16bit : pf15bit;
    case 24:
        return pf24bit;
    default:
        return pf32bit;
    }
}

std::vector<RGBQUAD> TBitmap::TableFor(int bitCount, HPALETTE palette) {
    const size_t full = size_t(1) << bitCount;
    if (palette) {
        UINT count = GetPaletteEntries(palette, 0, 0, nullptr);
        if (count > 0) {
            std::vector<PALETTEENTRY> entries(count);
            GetPaletteEntries(palette, 0, count, entries.data());
            std::vector<RGBQUAD> table(std::min<size_t>(count, full));
            for (size_t i = 0; i < table.size(); ++i)
                table[i] = RGBQUAD{entries[i].peBlue, entries[i].peGreen, entries[i].peRed, 0};
            return table;
        }
    }
    // The standard table of the depth, as the platform fills it for a conversion.
    static std::mutex lock;
    static std::map<int, std::vector<RGBQUAD>> cache;
    std::lock_guard guard(lock);
    auto it = cache.find(bitCount);
    if (it != cache.end()) return it->second;
    InfoBuffer probe{};
    probe.header.biSize = sizeof(BITMAPINFOHEADER);
    probe.header.biWidth = 1;
    probe.header.biHeight = 1;
    probe.header.biPlanes = 1;
    probe.header.biBitCount = 32;
    void* probeBits = nullptr;
    gdi::UniqueObject one(CreateDIBSection(0, probe.info(), DIB_RGB_COLORS, &probeBits, 0, 0));
    if (!one) throw EOutOfResources("Out of system resources");
    gdi::MemoryDC dc;
    InfoBuffer out{};
    out.header.biSize = sizeof(BITMAPINFOHEADER);
    out.header.biWidth = 1;
    out.header.biHeight = 1;
    out.header.biPlanes = 1;
    out.header.biBitCount = WORD(bitCount);
    DWORD pixel = 0;
    const int lines = GetDIBits(dc.get(), one.get(), 0, 1, &pixel, out.info(), DIB_RGB_COLORS);
    if (lines != 1) throw EOutOfResources("Out of system resources");
    std::vector<RGBQUAD> table(out.colors, out.colors + full);
    cache[bitCount] = table;
    return table;
}

HBITMAP TBitmap::MakeDib(const Layout& layout, Byte** bits) {
    if (layout.width <= 0 || layout.height <= 0 ||
        bitmap_file::RowBytes(layout.width, layout.bitCount) * layout.height > (Int64(1) << 30))
        throw EOutOfResources("Out of system resources");
    InfoBuffer buffer{};
    BITMAPINFOHEADER& h = buffer.header;
    h.biSize = sizeof(BITMAPINFOHEADER);
    h.biWidth = layout.width;
    h.biHeight = layout.topDown ? -layout.height : layout.height;
    h.biPlanes = 1;
    h.biBitCount = WORD(layout.bitCount);
    h.biCompression = layout.compression;
    if (layout.compression == BI_BITFIELDS) {
        std::memcpy(buffer.colors, kMask565, sizeof kMask565);
    } else if (layout.bitCount <= 8) {
        const size_t n = std::min<size_t>(layout.colors.size(), size_t(1) << layout.bitCount);
        h.biClrUsed = DWORD(n);
        std::copy(layout.colors.begin(), layout.colors.begin() + Int64(n), buffer.colors);
    }
    void* memory = nullptr;
    HBITMAP dib = CreateDIBSection(0, buffer.info(), DIB_RGB_COLORS, &memory, 0, 0);
    if (!dib || !memory) throw EOutOfResources("Out of system resources");
    *bits = static_cast<Byte*>(memory);
    return dib;
}

TBitmap::Layout TBitmap::LayoutFor(TPixelFormat format, int width, int height,
                                   HPALETTE palette) const {
    Layout layout;
    layout.width = width;
    layout.height = height;
    layout.bitCount = BitCountOf(format);
    layout.topDown = topDown_;
    layout.compression = format == pf16bit ? BI_BITFIELDS : BI_RGB;
    if (layout.bitCount <= 8) layout.colors = TableFor(layout.bitCount, palette);
    return layout;
}

TBitmap::Layout TBitmap::CurrentLayout() const {
    Layout layout;
    layout.width = width_;
    layout.height = height_;
    layout.bitCount = BitCountOf(format_);
    layout.topDown = topDown_;
    layout.compression = compression_;
    if (handle_ && layout.bitCount <= 8) layout.colors = colors_;
    return layout;
}

std::vector<RGBQUAD> TBitmap::ColorTable() {
    if (!handle_ || BitCountOf(format_) > 8) return {};
    return CurrentLayout().colors;
}

void TBitmap::Adopt(HBITMAP dib, Byte* bits, const Layout& layout, TPixelFormat format) {
    FreeContext();
    DropMask();
    if (handle_) DeleteObject(handle_);
    if (adopted_) DeleteObject(adopted_);
    adopted_ = 0;
    handle_ = dib;
    bits_ = bits;
    width_ = layout.width;
    height_ = layout.height;
    topDown_ = layout.topDown;
    compression_ = layout.compression;
    colors_ = layout.bitCount <= 8 ? layout.colors : std::vector<RGBQUAD>();
    stride_ = bitmap_file::RowBytes(layout.width, layout.bitCount);
    format_ = format;
}

void TBitmap::DropHandle() {
    FreeContext();
    DropMask();
    if (handle_) DeleteObject(handle_);
    if (adopted_) DeleteObject(adopted_);
    handle_ = adopted_ = 0;
    bits_ = nullptr;
    stride_ = 0;
    colors_.clear();
}

void TBitmap::FreeContext() {
    if (canvas_) canvas_->FreeContext();
}

void TBitmap::Destroy() {
    canvas_.reset();
    DropHandle();
    DropPalette();
    inherited::Destroy();
}

void TBitmap::Changed(TObject* Sender) {
    DropMask();
    inherited::Changed(Sender);
}

TCanvas* TBitmap::Canvas() {
    if (!canvas_) {
        canvas_.reset(CreateObject<TBitmapCanvas>(this));
        canvas_->OnChange = [this](TObject*) { Changed(this); };
    }
    return canvas_.get();
}

HBITMAP TBitmap::Handle() {
    FreeContext();
    return handle_;
}

HBITMAP TBitmap::CopyToDib(HBITMAP source, TPixelFormat& format, Layout& layout, Byte** bits) {
    BITMAP bm;
    if (GetObject(source, sizeof bm, &bm) < kBitmapObjectSize || bm.bmWidth <= 0 ||
        bm.bmHeight <= 0)
        return 0;
    DIBSECTION ds;
    const bool dib = GetObject(source, sizeof ds, &ds) == kDibSectionObjectSize;
    layout.width = bm.bmWidth;
    layout.height = bm.bmHeight;
    layout.bitCount = bm.bmBitsPixel;
    layout.topDown = dib && ds.dsBmih.biHeight < 0;
    layout.compression = BI_RGB;
    if (layout.bitCount == 16 && dib && ds.dsBitfields[1] == kMask565[1])
        layout.compression = BI_BITFIELDS;
    if (layout.bitCount != 1 && layout.bitCount != 4 && layout.bitCount != 8 &&
        layout.bitCount != 16 && layout.bitCount != 24)
        layout.bitCount = 32;
    if (layout.bitCount <= 8) {
        if (dib) {
            gdi::SelectedMemoryDC dc(source);
            Require(dc);
            RGBQUAD table[256];
            UINT n = GetDIBColorTable(dc.get(), 0, 256, table);
            layout.colors.assign(table, table + n);
        } else {
            layout.colors = {Quad(0), Quad(0xFFFFFF)}; // a monochrome device bitmap
        }
    }
    format = dib || layout.bitCount == 1 ? FormatOf(layout.bitCount, layout.compression) : pfDevice;
    gdi::UniqueObject copy(MakeDib(layout, bits));
    // Through the colour table: a monochrome source then paints 0 black and 1 white.
    InfoBuffer info{};
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = layout.width;
    info.header.biHeight = layout.topDown ? -layout.height : layout.height;
    info.header.biPlanes = 1;
    info.header.biBitCount = WORD(layout.bitCount);
    info.header.biCompression = layout.compression;
    if (layout.compression == BI_BITFIELDS) std::memcpy(info.colors, kMask565, sizeof kMask565);
    gdi::MemoryDC dc;
    const int lines =
        GetDIBits(dc.get(), source, 0, UINT(layout.height), *bits, info.info(), DIB_RGB_COLORS);
    if (lines != layout.height) return 0;
    return copy.release();
}

void TBitmap::SetHandle(HBITMAP Value) {
    if (Value == handle_ && Value) return;
    if (!Value) {
        DropHandle();
        Changed(this);
        return;
    }
    DIBSECTION ds;
    if (GetObject(Value, sizeof ds, &ds) == kDibSectionObjectSize) {
        // A DIB section is taken over as it is.
        Layout layout;
        layout.width = ds.dsBm.bmWidth;
        layout.height = ds.dsBm.bmHeight;
        layout.bitCount = ds.dsBm.bmBitsPixel;
        layout.topDown = ds.dsBmih.biHeight < 0;
        layout.compression =
            layout.bitCount == 16 && ds.dsBitfields[1] == kMask565[1] ? BI_BITFIELDS : BI_RGB;
        if (layout.bitCount != 16) layout.compression = BI_RGB;
        if (layout.bitCount <= 8) {
            gdi::SelectedMemoryDC dc(Value);
            Require(dc);
            RGBQUAD table[256];
            UINT n = GetDIBColorTable(dc.get(), 0, 256, table);
            layout.colors.assign(table, table + n);
        }
        Adopt(Value, static_cast<Byte*>(ds.dsBm.bmBits), layout,
              FormatOf(layout.bitCount, layout.compression));
    } else {
        TPixelFormat format;
        Layout layout;
        Byte* bits = nullptr;
        HBITMAP copy = CopyToDib(Value, format, layout, &bits);
        if (!copy) throw EInvalidGraphic("Bitmap image is not valid");
        Adopt(copy, bits, layout, format);
        adopted_ = Value;
    }
    DropPalette();
    Changed(this);
}

HBITMAP TBitmap::ReleaseHandle() {
    FreeContext();
    DropMask();
    HBITMAP result = handle_;
    if (adopted_) {
        // Give back the caller's own bitmap, with what was drawn on the copy.
        BITMAP bm;
        if (GetObject(adopted_, sizeof bm, &bm) >= kBitmapObjectSize && bm.bmWidth == width_ &&
            bm.bmHeight == height_) {
            InfoBuffer info{};
            info.header.biSize = sizeof(BITMAPINFOHEADER);
            info.header.biWidth = width_;
            info.header.biHeight = topDown_ ? -height_ : height_;
            info.header.biPlanes = 1;
            info.header.biBitCount = WORD(BitCountOf(format_));
            info.header.biCompression = compression_;
            if (compression_ == BI_BITFIELDS)
                std::memcpy(info.colors, kMask565, sizeof kMask565);
            else {
                Layout layout = CurrentLayout();
                info.header.biClrUsed = DWORD(layout.colors.size());
                std::copy(layout.colors.begin(), layout.colors.end(), info.colors);
            }
            gdi::MemoryDC dc;
            SetDIBits(dc.get(), adopted_, 0, UINT(height_), bits_, info.info(), DIB_RGB_COLORS);
            DeleteObject(handle_);
            result = adopted_;
        } else {
            DeleteObject(adopted_);
        }
    }
    handle_ = adopted_ = 0;
    bits_ = nullptr;
    stride_ = 0;
    return result;
}

// Pixels

void* TBitmap::ScanLine(int Row) {
    if (!handle_ || Row < 0 || Row >= height_)
        throw EInvalidGraphicOperation("Scan line index out of range");
    GdiFlush();
    // The caller may write through the row: the mask no longer follows the pixels.
    DropMask();
    const Int64 memoryRow = topDown_ ? Row : Int64(height_) - 1 - Row;
    return bits_ + memoryRow * stride_;
}

void TBitmap::ConvertTo(TPixelFormat format, const Layout& layout) {
    Byte* bits = nullptr;
    gdi::UniqueObject dib(MakeDib(layout, &bits));
    FreeContext();
    {
        gdi::SelectedMemoryDC from(handle_);
        Require(from);
        gdi::SelectedMemoryDC to(dib.get());
        Require(to);
        if (!BitBlt(to.get(), 0, 0, width_, height_, from.get(), 0, 0, SRCCOPY))
            throw EOutOfResources("Out of system resources");
    }
    Adopt(dib.release(), bits, layout, format);
}

void TBitmap::SetPixelFormat(TPixelFormat Value) {
    const int newBits = BitCountOf(Value);
    if (Value == format_) return;
    if (!handle_) {
        format_ = Value;
        compression_ = Value == pf16bit ? BI_BITFIELDS : BI_RGB;
        DropPalette();
        Changed(this);
        return;
    }
    const int oldBits = BitCountOf(format_);
    if (newBits == oldBits && newBits == 32) {
        format_ = Value; // the device format is 32 bits already
        Changed(this);
        return;
    }
    if (newBits <= 8) {
        // A palette set by the caller, or one that fits the new depth, decides the table.
        HPALETTE palette = palette_;
        if (palette && paletteFromTable_ &&
            GetPaletteEntries(palette, 0, 0, nullptr) > (1u << newBits))
            palette = 0;
        Layout layout = LayoutFor(Value, width_, height_, palette);
        ConvertTo(Value, layout);
        if (!palette)
            DropPalette();
        else
            paletteFromTable_ = true;
    } else {
        ConvertTo(Value, LayoutFor(Value, width_, height_, 0));
        paletteFromTable_ = false; // a palette made from the old table stays, as if assigned
    }
    Changed(this);
}

bool TBitmap::Monochrome() const {
    if (format_ != pf1bit || !handle_) return format_ == pf1bit;
    std::vector<RGBQUAD> table = CurrentLayout().colors;
    return table.size() == 2 && table[0].rgbRed == 0 && table[0].rgbGreen == 0 &&
           table[0].rgbBlue == 0 && table[1].rgbRed == 255 && table[1].rgbGreen == 255 &&
           table[1].rgbBlue == 255;
}

void TBitmap::SetMonochrome(bool Value) {
    if (Value == Monochrome()) return;
    if (Value) {
        if (!handle_) {
            SetPixelFormat(pf1bit);
            return;
        }
        Layout layout = LayoutFor(pf1bit, width_, height_, 0);
        layout.colors = {Quad(0), Quad(0xFFFFFF)};
        DropPalette();
        ConvertTo(pf1bit, layout);
        Changed(this);
    } else {
        SetPixelFormat(pfDevice);
    }
}

void TBitmap::SetSize(int AWidth, int AHeight) {
    AWidth = std::max(AWidth, 0);
    AHeight = std::max(AHeight, 0);
    if (AWidth == width_ && AHeight == height_ && (handle_ || AWidth == 0 || AHeight == 0)) return;
    if (AWidth == 0 || AHeight == 0) {
        DropHandle();
        width_ = AWidth;
        height_ = AHeight;
        Changed(this);
        return;
    }
    Layout layout;
    if (handle_) {
        layout = CurrentLayout();
    } else {
        layout =
            LayoutFor(format_, AWidth, AHeight, BitCountOf(format_) <= 8 ? palette_ : HPALETTE(0));
        layout.compression = format_ == pf16bit ? BI_BITFIELDS : BI_RGB;
    }
    layout.width = AWidth;
    layout.height = AHeight;

    // New area is white: the nearest entry for a paletted format.
    DWORD white;
    switch (layout.bitCount) {
    case 1:
    case 4:
    case 8:
        white = DWORD(NearestIndex(layout.colors, 0xFFFFFF));
        break;
    case 16:
        white = layout.compression == BI_BITFIELDS ? 0xFFFF : 0x7FFF;
        break;
    case 24:
        white = 0xFFFFFF;
        break;
    default:
        white = 0x00FFFFFF;
        break;
    }
    Byte* bits = nullptr;
    HBITMAP dib = MakeDib(layout, &bits);
    const Int64 stride = bitmap_file::RowBytes(AWidth, layout.bitCount);
    for (int y = 0; y < AHeight; ++y)
        FillRow(bits + y * stride, AWidth, layout.bitCount, white);
    if (handle_) {
        const int w = std::min(width_, AWidth), h = std::min(height_, AHeight);
        for (int y = 0; y < h; ++y) {
            const Int64 from = topDown_ ? y : Int64(height_) - 1 - y;
            const Int64 to = layout.topDown ? y : Int64(AHeight) - 1 - y;
            CopyPixels(bits + to * stride, bits_ + from * stride_, w, layout.bitCount);
        }
    }
    const TPixelFormat format = format_;
    Adopt(dib, bits, layout, format);
    Changed(this);
}

// Copying and drawing

void TBitmap::FreeImage() {
    if (!handle_ && width_ == 0 && height_ == 0) return;
    DropHandle();
    width_ = height_ = 0;
    Changed(this);
}

void TBitmap::Assign(TPersistent* Source) {
    if (Source == this) return;
    if (!Source) {
        DropHandle();
        DropPalette();
        width_ = height_ = 0;
        Changed(this);
        return;
    }
    auto* source = dynamic_cast<TBitmap*>(Source);
    if (!source) {
        inherited::Assign(Source);
        return;
    }
    if (source->handle_) {
        Layout layout = source->CurrentLayout();
        const Layout current = CurrentLayout();
        if (handle_ && layout.width == current.width && layout.height == current.height &&
            layout.bitCount == current.bitCount && layout.topDown == current.topDown &&
            layout.compression == current.compression &&
            SameColors(layout.colors, current.colors)) {
            // The same layout again (a picture replaced by the next of its kind): the pixels
            // go into the DIB there is, instead of a new one made and cleared first.
            FreeContext();
            DropMask();
            if (adopted_) DeleteObject(adopted_);
            adopted_ = 0;
            std::memcpy(bits_, source->bits_, size_t(source->stride_ * source->height_));
            format_ = source->format_;
        } else {
            Byte* bits = nullptr;
            HBITMAP dib = MakeDib(layout, &bits);
            std::memcpy(bits, source->bits_, size_t(source->stride_ * source->height_));
            Adopt(dib, bits, layout, source->format_);
        }
    } else {
        DropHandle();
        width_ = source->width_;
        height_ = source->height_;
        format_ = source->format_;
        compression_ = source->compression_;
        topDown_ = source->topDown_;
    }
    DropPalette();
    if (source->palette_ && !source->paletteFromTable_) palette_ = CopyPalette(source->palette_);
    transparentColor_ = source->transparentColor_;
    transparentMode_ = source->transparentMode_;
    SetTransparent(source->Transparent());
    Changed(this);
}

void TBitmap::Draw(TCanvas* ACanvas, const TRect& Rect) {
    if (!handle_ || !ACanvas) return;
    const int w = Rect.right - Rect.left, h = Rect.bottom - Rect.top;
    if (w == 0 || h == 0) return;
    HBITMAP mask = Transparent() ? MaskHandle() : HBITMAP(0);
    // Drawn onto its own canvas, the bitmap is read through that same context.
    const bool own = ACanvas == canvas_.get();
    if (!own) FreeContext();
    HDC dest = ACanvas->Handle();
    if (!dest) return;
    gdi::SelectedMemoryDC sourceDc(own ? HBITMAP(0) : handle_);
    Require(sourceDc);
    const HDC source = own ? dest : sourceDc.get();
    const HPALETTE palette = GetPalette();
    gdi::PaletteSelection selectedPalette(dest, palette, TRUE);
    if (palette) RealizePalette(dest);
    if (!mask) {
        StretchBlt(dest, Rect.left, Rect.top, w, h, source, 0, 0, width_, height_,
                   DWORD(ACanvas->CopyMode()));
    } else if (w == width_ && h == height_) {
        MaskBlt(dest, Rect.left, Rect.top, w, h, source, 0, 0, mask, 0, 0,
                MAKEROP4(kDestinationCopy, SRCCOPY));
    } else {
        // Stretch picture and mask to the target size first, nearest pixel, so the
        // see-through pixels stay exact.
        const int aw = w < 0 ? -w : w, ah = h < 0 ? -h : h;
        gdi::UniqueObject picture(CreateBitmap(aw, ah, 1, 32, nullptr));
        gdi::UniqueObject stretchedMask(CreateBitmap(aw, ah, 1, 1, nullptr));
        if (picture && stretchedMask) {
            {
                gdi::SelectedMemoryDC p(picture.get()), m(stretchedMask.get()), maskDc(mask);
                Require(p);
                Require(m);
                Require(maskDc);
                SetStretchBltMode(p.get(), COLORONCOLOR);
                SetStretchBltMode(m.get(), COLORONCOLOR);
                StretchBlt(p.get(), 0, 0, w, h, source, 0, 0, width_, height_, SRCCOPY);
                StretchBlt(m.get(), 0, 0, w, h, maskDc.get(), 0, 0, width_, height_, SRCCOPY);
            }
            gdi::SelectedMemoryDC p(picture.get());
            Require(p);
            MaskBlt(dest, std::min(Rect.left, Rect.right), std::min(Rect.top, Rect.bottom), aw, ah,
                    p.get(), 0, 0, stretchedMask.get(), 0, 0, MAKEROP4(kDestinationCopy, SRCCOPY));
        }
    }
}
