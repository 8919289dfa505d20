#pragma once
// The head and tail of a GIF stream: signature and version, the logical screen descriptor
// with the global colour table, and the trailer byte.
#include "gif/GIFItem.h"
#include "gif/codec/GIFColorMap.h"

class TGIFHeader;

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

class TGIFGlobalColorMap final : public TGIFColorMap {
    KORVID_CLASS(TGIFGlobalColorMap, TGIFColorMap)

    explicit TGIFGlobalColorMap(TGIFHeader* header) : Header(header) {}

    void ReportWarning(int severity, const String& message) override;
    void CountUsage(TColorUsageTable& usage) override;
    void RemapPixels(const TColorIndexTable& table) override;
    bool OptimizeColors() override;
    void ColorsChanged() override;

    TGIFHeader* Header;
};

class TGIFHeader final : public TGIFItem {
    KORVID_CLASS(TGIFHeader, TGIFItem)

    explicit TGIFHeader(GIFImageCore* image);

    int RequiredVersion() override;
    void SaveToStream(TStream& stream) override;
    void LoadFromStream(TStream& stream) override;
    void Assign(TPersistent* Source) override;

    // Empties the colour map and zeroes the 7 descriptor bytes.
    void Clear();
    void PreparePackedFields();
    TColor BackgroundColor();
    int BitsPerPixel() const { return ColorMap.RequiredBits(); }
    int ColorResolution() const { return BitsPerPixel() - 1; }

    TGIFScreenDescriptor ScreenDescriptor;
    TGIFGlobalColorMap ColorMap;
};

class TGIFTrailer final : public TGIFItem {
    KORVID_CLASS(TGIFTrailer, TGIFItem)

    using TGIFItem::TGIFItem;
    void SaveToStream(TStream& stream) override;
    // A byte other than 0x3B warns "Invalid Image trailer"; the end of the stream is fine.
    void LoadFromStream(TStream& stream) override;
};
