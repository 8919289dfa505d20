// The BMP reader on arbitrary bytes: it must either load a picture or raise EInvalidGraphic.
#include "framework/Bitmap.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TMemoryStream stream;
    if (size) stream.WriteBuffer(data, Int64(size));
    stream.SetPosition(0);
    auto bitmap = MakeObject<TBitmap>();
    try {
        bitmap->LoadFromStream(stream);
    } catch (const EInvalidGraphic&) {
        return 0;
    } catch (const EOutOfResources&) {
        return 0; // a valid header asking for more than the platform gives
    }
    if (!bitmap->Empty()) {
        // Every row the reader reports must be readable.
        volatile std::uint8_t sink = 0;
        for (int y = 0; y < bitmap->Height(); ++y)
            sink = sink ^ *static_cast<std::uint8_t*>(bitmap->ScanLine(y));
        (void)sink;
    }
    return 0;
}
