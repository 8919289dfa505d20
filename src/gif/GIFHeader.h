#pragma once
// The head and tail of a GIF stream: signature and version, the logical screen descriptor
// with the global colour table, and the trailer byte.
#include "gif/GIFItem.h"
#include "gif/codec/GIFColorMap.h"
#include "gif/codec/GIFDescriptors.h"

class TGIFHeader;

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
