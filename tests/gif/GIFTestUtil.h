#pragma once
// Helpers that build image data by hand: codes packed least significant bit first, cut into
// data sub-blocks.
#include "rtl/Stream.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace giftest {

using Bytes = std::vector<Byte>;

struct Code {
    int value;
    int width;
};

inline Bytes PackCodes(std::initializer_list<Code> codes) {
    Bytes out;
    std::uint32_t acc = 0;
    int bits = 0;
    for (Code c : codes) {
        acc |= static_cast<std::uint32_t>(c.value) << bits;
        bits += c.width;
        while (bits >= 8) {
            out.push_back(static_cast<Byte>(acc));
            acc >>= 8;
            bits -= 8;
        }
    }
    if (bits > 0) out.push_back(static_cast<Byte>(acc));
    return out;
}

// Data cut into sub-blocks of at most blockSize bytes; with terminator a zero count follows.
inline Bytes SubBlocks(const Bytes& data, size_t blockSize = 255, bool terminator = true) {
    Bytes out;
    for (size_t at = 0; at < data.size(); at += blockSize) {
        size_t n = std::min(blockSize, data.size() - at);
        out.push_back(static_cast<Byte>(n));
        out.insert(out.end(), data.begin() + static_cast<long>(at),
                   data.begin() + static_cast<long>(at + n));
    }
    if (terminator) out.push_back(0);
    return out;
}

inline Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

inline Bytes Str(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

inline void Fill(TMemoryStream& s, const Bytes& b) {
    s.Clear();
    if (!b.empty()) s.WriteBuffer(b.data(), static_cast<Int64>(b.size()));
    s.SetPosition(0);
}

inline Bytes Contents(TMemoryStream& s) {
    return Bytes(s.Memory(), s.Memory() + s.Size());
}

} // namespace giftest

#include "gif/GIFImageCore.h"
#include "gif/GIFSubImage.h"

namespace giftest {

// An image that records its warnings.
struct RecordingImage : GIFImageCore {
    RecordingImage() {
        SetWarningHandler([this](TObject*, int severity, const String& message) {
            EXPECT_EQ(severity, 1);
            warnings.push_back(message);
        });
    }
    std::vector<String> warnings;
};

// Appends a frame of the given size at (left, top) with pixels all `value` and a local
// table of `colors` greys (none for 0).
inline TGIFSubImage* AddFrame(GIFImageCore& image, int width, int height, int colors = 4,
                              Byte value = 0, int left = 0, int top = 0) {
    TGIFSubImage* frame = CreateObject<TGIFSubImage>(&image);
    image.Frames().AppendItem(frame);
    frame->ChangeBounds(left, top, width, height);
    for (int i = 0; i < colors; ++i)
        frame->OwnColorMap().AppendColor(RGB(i, i, i));
    if (frame->PixelCount() > 0) std::fill_n(frame->Data(), frame->PixelCount(), value);
    return frame;
}

inline Bytes Save(GIFImageCore& image) {
    TMemoryStream s;
    image.WriteGIF(s);
    return Contents(s);
}

inline void Load(GIFImageCore& image, const Bytes& data) {
    TMemoryStream s;
    Fill(s, data);
    image.ReadGIF(s);
}

} // namespace giftest
