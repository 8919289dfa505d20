#include "gif/codec/GIFStreamIO.h"

#include "gif/codec/GIFException.h"

#include <algorithm>
#include <cstring>

void RaiseGIFError(const String& message) {
    throw GIFException(message);
}

EGIFPrematureEnd::EGIFPrematureEnd() : GIFException(gifmsg::PrematureEnd) {}

void RaisePrematureEnd() {
    throw EGIFPrematureEnd();
}

void ReadExactly(TStream& stream, void* buffer, Int64 count) {
    if (count <= 0) return;
    if (stream.Read(buffer, count) != count) RaisePrematureEnd();
}

int ReadByteFrom(TStream& stream) {
    Byte b = 0;
    return stream.Read(&b, 1) == 1 ? b : kEndOfStream;
}

int ReadByteSkippingPadding(TStream& stream) {
    int b;
    do
        b = ReadByteFrom(stream);
    while (b == 0);
    return b;
}

void WriteByteTo(TStream& stream, Byte value) {
    stream.WriteBuffer(&value, 1);
}

Int64 AlignedRowBytes(Int64 pixels, int bitsPerPixel, int alignmentBits) {
    Int64 bits = pixels * bitsPerPixel;
    Int64 mask = alignmentBits - 1;
    return ((bits + mask) & ~mask) / 8;
}

int BitsForColorCount(int count) {
    if (count <= 0) return 0;
    int bits = 1;
    while ((1 << bits) < count)
        ++bits;
    return bits;
}

Int64 FramePixelCount(Int64 width, Int64 height) {
    if (width < 0 || height < 0) RaiseGIFError(gifmsg::InvalidDimensions);
    Int64 n = width * height;
    if (n > kMaxFramePixels) RaiseGIFError(gifmsg::ImageTooLarge);
    return n;
}

void WriteLinesAsSubBlocks(TStream& stream, const std::vector<String>& lines) {
    for (const String& line : lines) {
        size_t at = 0;
        while (at < line.size()) {
            size_t n = std::min<size_t>(255, line.size() - at);
            WriteByteTo(stream, static_cast<Byte>(n));
            stream.WriteBuffer(line.data() + at, static_cast<Int64>(n));
            at += n;
        }
    }
    WriteByteTo(stream, 0);
}

void ReadSubBlocksAsLines(TStream& stream, std::vector<String>& lines) {
    lines.clear();
    char block[255];
    for (int count = ReadByteFrom(stream); count > 0; count = ReadByteFrom(stream)) {
        ReadExactly(stream, block, count);
        const void* zero = std::memchr(block, 0, static_cast<size_t>(count));
        size_t n = zero ? static_cast<size_t>(static_cast<const char*>(zero) - block)
                        : static_cast<size_t>(count);
        lines.emplace_back(block, n);
    }
}
