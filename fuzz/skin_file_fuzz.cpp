// The skin file reader on arbitrary bytes: it must finish, read only what the file holds and
// answer every lookup, whatever the offsets and sizes in the file say.
#include "skin/SKThemeFile.h"
#include "skin/SKThemes.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TMemoryStream stream;
    if (size) stream.WriteBuffer(data, Int64(size));
    stream.SetPosition(0);
    TskThemeFileReader reader(stream);
    volatile Int64 sink = 0;
    for (int item = 1; item <= kThemeItemCount; ++item) {
        const String key = ThemeItemKeys[item];
        sink = sink + reader.GetInteger(key);
        sink = sink + reader.GetBool(key);
        if (TStream* image = reader.GetBitmapStream(key)) {
            Byte buffer[64];
            while (Int64 got = image->Read(buffer, sizeof buffer))
                sink = sink + got + buffer[0];
        }
    }
    (void)sink;
    return 0;
}
