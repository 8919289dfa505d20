#pragma once
// The fixed-size blocks of a GIF stream: the bytes that introduce a block, the logical screen
// descriptor and the image descriptor.
#include "rtl/Stream.h"

constexpr Byte kExtensionIntroducer = 0x21;
constexpr Byte kImageSeparator = 0x2C;
constexpr Byte kTrailer = 0x3B;

// 7 bytes: width, height (16 bits each, little-endian), packed byte (bit 7 global table,
// bits 4-6 colour resolution, bit 3 sorted, bits 0-2 table size n: 2^(n+1) entries),
// background colour index, pixel aspect ratio.
struct TGIFScreenDescriptor {
    Word ScreenWidth = 0;
    Word ScreenHeight = 0;
    Byte PackedFields = 0;
    Byte BackgroundColorIndex = 0;
    Byte AspectRatio = 0;

    void Read(TStream& stream);
    void Write(TStream& stream) const;
};

// 10 bytes: separator 0x2C, left, top, width, height (16 bits each), packed byte (bit 7
// local table, bit 6 interlaced, bit 5 sorted, bits 3-4 reserved, bits 0-2 table size).
struct TGIFImageDescriptor {
    Byte Separator = kImageSeparator;
    Word Left = 0;
    Word Top = 0;
    Word Width = 0;
    Word Height = 0;
    Byte PackedFields = 0;

    void Read(TStream& stream);
    void Write(TStream& stream) const;
};
