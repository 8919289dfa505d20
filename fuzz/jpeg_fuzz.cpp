// The JPEG reader on arbitrary bytes: loading, decoding into the 24-bit bitmap, drawing and
// saving back. Every input must end in a drawn picture or an exception of the rtl tree; never
// a crash, overrun or hang.
#include "framework/Bitmap.h"
#include "framework/Canvas.h"
#include "framework/Jpeg.h"

#include <cstddef>
#include <cstdint>

namespace {

// Declared sizes up to the reader's limit decode the fill of a few bytes for seconds; such
// inputs are only loaded, so the fuzzer looks for faults rather than timeouts.
constexpr Int64 kPixelsDecoded = Int64(1) << 20;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TMemoryStream stream;
    if (size) stream.WriteBuffer(data, Int64(size));
    stream.SetPosition(0);
    ObjectPtr<TJPEGImage> image = MakeObject<TJPEGImage>();
    try {
        image->LoadFromStream(stream);
    } catch (const Exception&) {
        if (!image->Empty()) __builtin_trap(); // a failed load keeps what the image had
        return 0;
    }
    if (image->Empty() || Int64(image->Width()) * image->Height() > kPixelsDecoded) return 0;
    try {
        image->SetPerformance(size % 2 ? jpBestSpeed : jpBestQuality);
        TBitmap* decoded = image->Bitmap();
        if (decoded->Width() != image->Width() || decoded->Height() != image->Height())
            __builtin_trap();
        ObjectPtr<TBitmap> target = MakeObject<TBitmap>();
        target->SetPixelFormat(pf24bit);
        target->SetSize(32, 32);
        target->Canvas()->StretchDraw(Rect(0, 0, 32, 32), image.get());
        // The bytes it was loaded with are saved back unchanged.
        TMemoryStream out;
        image->SaveToStream(out);
        if (out.Size() <= 0) __builtin_trap();
    } catch (const Exception&) {
        // Data libjpeg refuses only once it decodes must still be an error, not a crash.
    }
    return 0;
}
