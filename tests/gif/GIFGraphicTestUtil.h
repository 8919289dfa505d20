#pragma once
// Helpers for the tests of frames and of the GIF graphic: bitmaps drawn in code and an image
// that records its warnings.
#include "framework/Bitmap.h"
#include "gif/GIFGraphic.h"
#include "gif/GIFSubImage.h"
#include "platform/gdi/Palette.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

namespace gifgraphictest {

inline ObjectPtr<TBitmap> MakeBitmap(int width, int height, TPixelFormat format = pf24bit) {
    ObjectPtr<TBitmap> bitmap = MakeObject<TBitmap>();
    bitmap->SetPixelFormat(format);
    bitmap->SetSize(width, height);
    return bitmap;
}

inline void SetPixel24(TBitmap& bitmap, int x, int y, Byte r, Byte g, Byte b) {
    Byte* p = static_cast<Byte*>(bitmap.ScanLine(y)) + x * 3;
    p[0] = b;
    p[1] = g;
    p[2] = r;
}

inline HPALETTE PaletteOf(const std::vector<TColor>& colors) {
    std::vector<Byte> block(sizeof(LOGPALETTE) + sizeof(PALETTEENTRY) * colors.size());
    auto* pal = reinterpret_cast<LOGPALETTE*>(block.data());
    pal->palVersion = 0x300;
    pal->palNumEntries = static_cast<WORD>(colors.size());
    for (size_t i = 0; i < colors.size(); ++i)
        pal->palPalEntry[i] = {Byte(colors[i]), Byte(colors[i] >> 8), Byte(colors[i] >> 16), 0};
    return CreatePalette(pal);
}

// A paletted bitmap with the given colours and raw row bytes (from the top).
inline ObjectPtr<TBitmap> MakePaletted(TPixelFormat format, int width,
                                       const std::vector<TColor>& colors,
                                       const std::vector<std::vector<Byte>>& rows) {
    ObjectPtr<TBitmap> bitmap = MakeBitmap(width, static_cast<int>(rows.size()), format);
    bitmap->SetPalette(PaletteOf(colors));
    for (size_t y = 0; y < rows.size(); ++y) {
        auto* line = static_cast<Byte*>(bitmap->ScanLine(static_cast<int>(y)));
        std::copy(rows[y].begin(), rows[y].end(), line);
    }
    return bitmap;
}

// A GIF graphic that records its warnings, freed at the end of the scope.
struct RecordingGraphic {
    RecordingGraphic() : image(MakeObject<TGIFGraphic>()) {
        image->SetWarningHandler(
            [this](TObject*, int, const String& message) { warnings.push_back(message); });
    }
    TGIFGraphic* operator->() const { return image.get(); }
    TGIFGraphic& operator*() const { return *image; }
    ObjectPtr<TGIFGraphic> image;
    std::vector<String> warnings;
};

// A frame of the image of the given size and colours, pixels all `value`, appended to it.
inline TGIFSubImage* AddPlainFrame(TGIFGraphic& image, int width, int height,
                                   std::initializer_list<TColor> colors, Byte value = 0,
                                   int left = 0, int top = 0) {
    TGIFSubImage* frame = CreateObject<TGIFSubImage>(&image);
    frame->ChangeBounds(left, top, width, height);
    for (TColor c : colors)
        frame->OwnColorMap().AppendColor(c);
    if (frame->PixelCount() > 0) std::fill_n(frame->Data(), frame->PixelCount(), value);
    image.AddFrame(frame);
    return frame;
}

inline TGIFGraphicControlExtension* MakeTransparent(TGIFSubImage& frame, int index) {
    TGIFGraphicControlExtension* gce = frame.ControlExtension();
    if (!gce) {
        gce = CreateObject<TGIFGraphicControlExtension>(&frame);
        frame.FrameExtensions().AppendItem(gce);
    }
    gce->SetHasTransparency(true);
    gce->SetTransparentIndex(index);
    return gce;
}

inline std::vector<Byte> Pixels(TGIFSubImage& frame) {
    return std::vector<Byte>(frame.Data(), frame.Data() + frame.PixelCount());
}

} // namespace gifgraphictest
