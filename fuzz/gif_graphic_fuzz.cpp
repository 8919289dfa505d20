// The GIF graphic on arbitrary bytes: loading through TGIFGraphic, then everything a picture
// control does with what loaded: the rendered logical screen, every frame's bitmap and mask
// (plain and dithered), frames drawn stretched, tiled and through their masks, the whole
// image drawn onto a canvas, and saving it again. Every input must end in a drawn image or an
// exception of the rtl tree; never a crash, overrun or hang. Seeds: fuzz/corpus/gif_graphic/
// holds small files made the way the agreement tests make theirs (gifbuild, convert, and our
// own encoder through TGIFGraphic::AddFrame).
#include "GIFWorkCap.h"
#include "framework/Bitmap.h"
#include "framework/Canvas.h"
#include "gif/GIFGraphic.h"
#include "gif/GIFSubImage.h"
#include "gif/codec/GIFException.h"

#include <cstddef>
#include <cstdint>

namespace {

// Drawing targets stay small: the point is every path, not big blits.
constexpr int kCanvasSide = 48;
// Frames past this are loaded but not drawn, so one input stays quick.
constexpr int kFramesDrawn = 8;

void DrawFrames(TGIFGraphic& image, TCanvas* canvas, std::uint8_t choice) {
    const TRect whole = Rect(0, 0, kCanvasSide, kCanvasSide);
    // An odd rectangle too: off the origin, and narrower than the screen.
    const TRect odd = Rect(3, -2, 3 + (choice & 31), 17);
    int n = image.Frames().Count();
    for (int i = 0; i < n && i < kFramesDrawn; ++i) {
        TGIFSubImage* frame = image.Frames().GetFrame(i);
        if (frame->IsEmpty()) continue;
        frame->GetFrameBitmap();
        frame->MaskReady();
        frame->PaintFrame(canvas, whole, false, true);
        frame->PaintFrame(canvas, odd, (choice & 1) != 0, (choice & 2) != 0);
        frame->PaintFrame(canvas, whole, true, true);
    }
}

void Exercise(TGIFGraphic& image, std::uint8_t choice) {
    if (FramePixels(image) > kPixelsWorkedOn) return;
    TMemoryStream out;
    image.SaveToStream(out);
    if (Int64(image.ScreenWidth()) * image.ScreenHeight() > kPixelsWorkedOn) return;

    ObjectPtr<TBitmap> target = MakeObject<TBitmap>();
    target->SetPixelFormat(pf24bit);
    target->SetSize(kCanvasSide, kCanvasSide);
    TCanvas* canvas = target->Canvas();

    image.GetRenderedBitmap();
    DrawFrames(image, canvas, choice);
    canvas->StretchDraw(Rect(0, 0, kCanvasSide, kCanvasSide), &image);

    // The same frames rendered to the 216-colour cube.
    image.SetPaintOptions(
        static_cast<TGIFPaintOptions>((image.PaintOptions() | drDither) & ~drAutoDither));
    if (choice & 4) image.SetPaintOptions(image.PaintOptions() | drTile);
    for (int i = 0; i < image.Frames().Count() && i < kFramesDrawn; ++i) {
        TGIFSubImage* frame = image.Frames().GetFrame(i);
        frame->DropBitmap();
        frame->DropMask();
        frame->SetPaletteHandle(0);
    }
    image.SetPaletteHandle(0);
    image.FreeRenderedBitmap();
    image.GetRenderedBitmap();
    DrawFrames(image, canvas, static_cast<std::uint8_t>(choice >> 3));
    canvas->StretchDraw(Rect(5, 5, 30, 20), &image);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TMemoryStream stream;
    if (size > 0) stream.WriteBuffer(data, static_cast<Int64>(size));
    stream.SetPosition(0);
    ObjectPtr<TGIFGraphic> image = MakeObject<TGIFGraphic>();
    image->SetWarningHandler([](TObject*, int, const String&) {});
    try {
        image->LoadFromStream(stream);
    } catch (const Exception&) {
        // A failed load leaves nothing behind, and the stream where it was.
        if (!image->IsEmpty() || image->ScreenWidth() != 0 || stream.Position() != 0)
            __builtin_trap();
        return 0;
    }
    try {
        Exercise(*image, size > 0 ? data[size - 1] : 0);
    } catch (const Exception&) {
        // Drawing may refuse (a screen too large for a bitmap, say) but must say so.
    }
    return 0;
}
