#pragma once
// The image data of one image block (minimum code size, data sub-blocks, block terminator)
// decoded into one byte per pixel.
#include "gif/codec/GIFWarningSink.h"
#include "rtl/Stream.h"

#include <memory>
#include <vector>

// Decodes into pixels (width x height bytes, rows top to bottom, in logical row order also
// when the file stores them interlaced). The caller fills pixels with the frame's fill index
// first: pixels the data does not reach keep it. Short or broken data ends with a warning;
// data that no decoder could mean (minimum code size 0 or above 11, a code beyond the table)
// raises GIFException "Invalid GIF data". The stream is left after the block terminator
// whenever the data has one.
void DecodeImageData(TStream& stream, Byte* pixels, int width, int height, bool interlaced,
                     const GIFWarningSink& warn);

// Pixels as far as the data reaches, in logical row order: Size bytes from the top-left; what
// lies beyond them, and rows an interlaced file never sent, are the fill.
struct GIFDecodedPixels {
    std::unique_ptr<Byte[]> Pixels;
    Int64 Size = 0;
};
// The same decoding, into memory that grows with the pixels the data really holds: a few
// bytes that declare a huge image cost little. Rows skipped inside Size hold fill.
GIFDecodedPixels DecodeImagePixels(TStream& stream, int width, int height, bool interlaced,
                                   Byte fill, const GIFWarningSink& warn);

// The logical rows of an interlaced image in the order the file stores them: 0, 8, 16, ...;
// 4, 12, ...; 2, 6, 10, ...; 1, 3, 5, ... (each row exactly once).
std::vector<int> InterlacedRowOrder(int height);
