// The GIF stream readers on arbitrary bytes: header, block sequence, extensions, colour
// tables and LZW image data, through the codec's whole read path. Every input must end in a
// loaded image, warnings, or a GIFException; never a crash, overrun or hang.
#include "GIFWorkCap.h"
#include "gif/GIFImageCore.h"
#include "gif/codec/GIFException.h"
#include "gif/codec/GIFLZWDecoder.h"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    {
        TMemoryStream stream;
        if (size > 0) stream.WriteBuffer(data, static_cast<Int64>(size));
        stream.SetPosition(0);
        GIFImageCore image;
        image.SetWarningHandler([](TObject*, int, const String&) {});
        try {
            image.ReadGIF(stream);
            // What was read must also write back.
            if (image.Frames().Count() > 0 && FramePixels(image) <= kPixelsWorkedOn) {
                TMemoryStream out;
                image.WriteGIF(out);
            }
        } catch (const GIFException&) {
        }
    }
    // The LZW decoder alone: the first two bytes choose the frame's size.
    if (size >= 3) {
        int width = 1 + data[0] % 64, height = 1 + data[1] % 64;
        bool interlaced = data[0] & 0x80;
        TMemoryStream stream;
        stream.WriteBuffer(data + 2, static_cast<Int64>(size - 2));
        stream.SetPosition(0);
        std::vector<Byte> pixels(static_cast<std::size_t>(width) * height);
        try {
            DecodeImageData(stream, pixels.data(), width, height, interlaced, nullptr);
        } catch (const GIFException&) {
        }
    }
    return 0;
}
