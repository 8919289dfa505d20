// TBitmap's BMP streams, compiled-in resources and clipboard formats.
#include "framework/Bitmap.h"

#include "framework/BitmapFile.h"
#include "framework/Resources.h"
#include "platform/gdi/Object.h"
#include "platform/gdi/Owned.h"
#include "platform/gdi/Palette.h"
#include "platform/user/Clipboard.h"
#include "rtl/ScopeGuard.h"

#include <algorithm>
#include <cstring>

using bitmap_file::kMask565;

// Streams, resources, clipboard

void TBitmap::LoadFromStream(TStream& Stream) {
    if (Stream.Size() - Stream.Position() <= 0) {
        Assign(nullptr);
        return;
    }
    gdi::UniqueObject dib;
    Byte* bits = nullptr;
    Layout layout;
    TPixelFormat format = pfDevice;
    bitmap_file::Read(Stream, [&](const bitmap_file::Image& image) -> Byte* {
        layout.width = image.width;
        layout.height = image.height < 0 ? -image.height : image.height;
        layout.topDown = image.height < 0;
        layout.bitCount = image.bitCount;
        layout.compression = image.compression;
        layout.colors = image.colors;
        format = FormatOf(layout.bitCount, layout.compression);
        dib.reset(MakeDib(layout, &bits));
        return bits;
    });
    Adopt(dib.release(), bits, layout, format);
    DropPalette();
    SetPaletteModified(BitCountOf(format) <= 8);
    Changed(this);
}

void TBitmap::SaveToStream(TStream& Stream) {
    if (!handle_) return;
    Layout layout = CurrentLayout();
    bitmap_file::Image image;
    image.width = width_;
    image.height = topDown_ ? -height_ : height_;
    image.bitCount = WORD(layout.bitCount);
    image.compression = compression_;
    if (compression_ == BI_BITFIELDS) std::copy(kMask565, kMask565 + 3, image.masks);
    image.colors = layout.colors;
    FreeContext();
    bitmap_file::Write(Stream, image, bits_);
}

void TBitmap::LoadFromResourceName(HINSTANCE, const String& ResName) {
    std::span<const Byte> data = resources::FindBitmap(ResName);
    if (data.empty()) throw EResNotFound("Resource " + ResName + " not found");
    TMemoryStream stream;
    stream.WriteBuffer(data.data(), Int64(data.size()));
    stream.SetPosition(0);
    LoadFromStream(stream);
}

void TBitmap::LoadFromClipboardFormat(Word AFormat, HANDLE AData, HPALETTE APalette) {
    if (AFormat == CF_BITMAP && AData) {
        TPixelFormat format;
        Layout layout;
        Byte* bits = nullptr;
        HBITMAP copy = CopyToDib(AData, format, layout, &bits);
        if (!copy) throw EInvalidGraphic("Bitmap image is not valid");
        Adopt(copy, bits, layout, format);
        DropPalette();
        if (APalette && BitCountOf(format) > 8) palette_ = CopyPalette(APalette);
        Changed(this);
        return;
    }
    if (AFormat == CF_DIB && AData) {
        // A packed DIB: the header, its table and the rows, without a file header.
        const SIZE_T size = GlobalSize(AData);
        const Byte* memory = static_cast<const Byte*>(GlobalLock(AData));
        if (!memory) throw EInvalidGraphic("Bitmap image is not valid");
        TMemoryStream stream;
        {
            ScopeGuard unlock([AData] { GlobalUnlock(AData); });
            BITMAPFILEHEADER fh;
            fh.bfSize = DWORD(size + sizeof fh);
            fh.bfOffBits = 0; // the rows follow the table
            stream.WriteBuffer(&fh, sizeof fh);
            stream.WriteBuffer(memory, Int64(size));
        }
        stream.SetPosition(0);
        LoadFromStream(stream);
        return;
    }
    inherited::LoadFromClipboardFormat(AFormat, AData, APalette);
}

void TBitmap::SaveToClipboardFormat(Word& AFormat, HANDLE& AData, HPALETTE& APalette) {
    AFormat = CF_BITMAP;
    AData = 0;
    APalette = 0;
    if (!handle_) return;
    Layout layout = CurrentLayout();
    Byte* bits = nullptr;
    HBITMAP copy = MakeDib(layout, &bits);
    std::memcpy(bits, bits_, size_t(stride_ * height_));
    AData = copy;
    APalette = CopyPalette(GetPalette());
}
