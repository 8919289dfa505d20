#pragma once
// The small stream and bit routines every part of the codec uses.
#include "rtl/Stream.h"

#include <vector>

// What ReadByteFrom answers when the stream has no byte left.
constexpr int kEndOfStream = -1;

// Reads count bytes or raises GIFException "Premature end of data".
void ReadExactly(TStream& stream, void* buffer, Int64 count);
// The next byte, or kEndOfStream; callers whose loop depends on the value stop on it.
int ReadByteFrom(TStream& stream);
// The next byte that is not zero, or kEndOfStream: zero bytes between blocks are padding.
int ReadByteSkippingPadding(TStream& stream);
void WriteByteTo(TStream& stream, Byte value);
// A 16-bit little-endian value in a block of bytes.
inline Word Le16(const Byte* p) {
    return static_cast<Word>(p[0] | (p[1] << 8));
}
inline void PutLe16(Byte* p, Word v) {
    p[0] = static_cast<Byte>(v);
    p[1] = static_cast<Byte>(v >> 8);
}

// (pixels x bits rounded up to a multiple of alignmentBits) / 8; the alignment is a power of 2.
Int64 AlignedRowBytes(Int64 pixels, int bitsPerPixel, int alignmentBits);
// 0 for no colours, else the smallest b >= 1 with 2^b >= count.
int BitsForColorCount(int count);

// Bytes of a frame of width x height one-byte pixels, computed in 64 bits. Sizes that no
// GIF of this program can hold (above kMaxFramePixels) raise "Image is too large".
constexpr Int64 kMaxFramePixels = Int64(1) << 28;
Int64 FramePixelCount(Int64 width, Int64 height);

// A string list as data sub-blocks: each string cut into pieces of at most 255 bytes, an
// empty string writes nothing, a zero count ends the list.
void WriteLinesAsSubBlocks(TStream& stream, const std::vector<String>& lines);
// Each sub-block becomes one string, cut at its first zero byte.
void ReadSubBlocksAsLines(TStream& stream, std::vector<String>& lines);
