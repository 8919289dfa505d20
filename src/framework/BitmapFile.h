#pragma once
// The BMP file format: reading every depth, orientation and compression the format knows
// into the layout a DIB section is made from, and writing such a layout back uncompressed.
// Every size and offset taken from a file is checked in 64 bits before anything is
// allocated; a bad or truncated file raises EInvalidGraphic.
#include "platform/WinTypes.h"
#include "rtl/Stream.h"

#include <functional>
#include <vector>

namespace bitmap_file {

// The decoded picture's layout. Rows are 4-byte aligned; a negative height means the rows run
// top-down in memory. Compressed and unusual bit-field files come out as plain formats: RLE as
// 4 or 8 bits, 16 bits as 5-5-5 (BI_RGB) or 5-6-5 (BI_BITFIELDS), other masks as 24 or 32
// bits.
struct Image {
    LONG width = 0;
    LONG height = 0;
    WORD bitCount = 0;
    DWORD compression = BI_RGB;
    DWORD masks[3] = {0, 0, 0};  // red, green, blue; only for BI_BITFIELDS
    std::vector<RGBQUAD> colors; // the colour table, with the count the file gives
    LONG xPelsPerMeter = 0;
    LONG yPelsPerMeter = 0;
};

// Red, green and blue masks of 16-bit 5-6-5 pixels, in files and in DIB sections alike.
constexpr DWORD kMask565[3] = {0xF800, 0x07E0, 0x001F};

// Bytes of one row of width pixels at bitCount bits, padded to 4 bytes.
Int64 RowBytes(Int64 width, int bitCount);

// Reads a bitmap file from the stream's position and leaves the stream just after what the
// file header says is its end (or its pixel data, whichever is further). allocate is called
// once with the layout and returns the memory for the rows (RowBytes(width) x |height|), which
// Read then fills.
void Read(TStream& stream, const std::function<Byte*(const Image&)>& allocate);

// Writes a bitmap file of the given layout: the 14-byte file header, a 40-byte info header,
// the masks or the colour table, then the rows as they lie in memory.
void Write(TStream& stream, const Image& image, const Byte* bits);

} // namespace bitmap_file
