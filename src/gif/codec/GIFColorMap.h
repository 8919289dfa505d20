#pragma once
// A GIF colour table: up to 256 entries of red, green, blue, in the order the stream stores
// them. The global table belongs to the header, a local one to a frame; both can sort
// themselves by how often each colour is used, rewriting the pixels that use them.
#include "platform/WinTypes.h"
#include "rtl/Persistent.h"
#include "rtl/Stream.h"

#include <memory>

struct TGIFColor {
    Byte Red = 0, Green = 0, Blue = 0;
    friend bool operator==(const TGIFColor&, const TGIFColor&) = default;
};

// How often pixel value Index occurs.
struct TColorUsage {
    Int64 Count = 0;
    int Index = 0;
};
using TColorUsageTable = TColorUsage[256];
// Old pixel value -> new pixel value, for every byte value.
using TColorIndexTable = Byte[256];

class TGIFColorMap : public TPersistent {
    KORVID_CLASS(TGIFColorMap, TPersistent)

    TGIFColorMap() = default;

    // Colour values hold red in bits 0-7, green in 8-15, blue in 16-23.
    static TGIFColor ColorToTriplet(TColor color) {
        return {Byte(color), Byte(color >> 8), Byte(color >> 16)};
    }
    static TColor TripletToColor(const TGIFColor& c) {
        return TColor(c.Red) | (TColor(c.Green) << 8) | (TColor(c.Blue) << 16);
    }

    int Count() const { return count_; }
    int Capacity() const { return capacity_; }
    bool SortedByUsage() const { return sorted_; }
    void SetSortedByUsage(bool value) { sorted_ = value; }
    const TGIFColor* Colors() const { return colors_.get(); }
    TGIFColor* Colors() { return colors_.get(); }

    // Empties the map without signalling a change.
    void Reset();
    // Capacity for n entries: 16 up to 16, else n rounded up to 32, at most 256.
    void EnsureCapacity(int n);
    void ReadTriplets(TStream& stream, int n);
    // The entries, padded with black to 2^RequiredBits entries; nothing for an empty map.
    void WriteTriplets(TStream& stream) const;
    // 0 when empty, else the smallest b >= 1 with 2^b >= count.
    int RequiredBits() const;

    // Sorted by usage: the lowest matching entry, otherwise the highest; -1 when absent.
    int FindColor(TColor color) const;
    int AppendColor(TColor color);
    int AppendUniqueColor(TColor color);
    void RemoveColor(int index);
    // A bad index warns "Invalid color index" and answers entry 0 (an empty map raises).
    TColor ColorAt(int index);

    // From n DIB colour-table records (blue, green, red, reserved).
    void FromColorTable(const RGBQUAD* table, int n);
    // From a palette's entries (none: empty, no change signalled).
    void FromPalette(HPALETTE palette);
    // From the colour table of the DIB selected into the device context.
    void FromDIBColorTable(HDC dc);
    // A new palette of the entries (PC_NOCOLLAPSE), owned by the caller; none when empty.
    HPALETTE ToPalette() const;

    void CopyFrom(const TGIFColorMap& source);
    void Assign(TPersistent* Source) override;

    // Sorts the entries by usage, most used first, drops those no pixel uses and rewrites
    // the pixels; false for 0 or 1 colours.
    bool SortByUsage();

    virtual void ReportWarning(int severity, const String& message) = 0;
    // Adds 1 to usage[v].Count for every pixel value v of every frame using the map.
    virtual void CountUsage(TColorUsageTable& usage) = 0;
    virtual void RemapPixels(const TColorIndexTable& table) = 0;
    virtual bool OptimizeColors() = 0;
    virtual void ColorsChanged() = 0;

private:
    std::unique_ptr<TGIFColor[]> colors_;
    int count_ = 0;
    int capacity_ = 0;
    bool sorted_ = false;
};

// Most used first; equal counts in the order the partitioning leaves them.
void SortUsageDescending(TColorUsage* records, int low, int high);
