#pragma once
// The octree colour quantiser: every pixel walks down by its colour bits (red, green, blue of
// bit 7, then bit 6, ...) to a leaf; while there are more leaves than colours wanted, the
// newest inner node of the deepest level is folded into a leaf.
#include "platform/WinTypes.h"
#include "rtl/Types.h"

#include <memory>
#include <vector>

// Rows of 24-bit pixels (blue, green, red), row 0 at the top.
class GIFRowSource {
public:
    virtual ~GIFRowSource() = default;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual const Byte* Row(int y) = 0;
};

// A plain 24-bit pixel buffer as a row source (rows of Width x 3 bytes, no padding unless a
// stride is given).
class PixelBufferRows final : public GIFRowSource {
public:
    PixelBufferRows(const Byte* pixels, int width, int height, Int64 stride = 0)
        : pixels_(pixels), width_(width), height_(height),
          stride_(stride ? stride : Int64(width) * 3) {}
    int Width() const override { return width_; }
    int Height() const override { return height_; }
    const Byte* Row(int y) override { return pixels_ + stride_ * y; }

private:
    const Byte* pixels_;
    int width_, height_;
    Int64 stride_;
};

struct TOctreeNode {
    bool Leaf = false;
    std::uint32_t Pixels = 0;
    std::uint64_t SumRed = 0, SumGreen = 0, SumBlue = 0;
    TOctreeNode* NextReducible = nullptr;
    std::unique_ptr<TOctreeNode> Child[8];
};

class TColorQuantizer {
public:
    // At most maxColors leaves (at least 1), colour bits 1..8 (every caller passes 8).
    TColorQuantizer(int maxColors, int colorBits);
    ~TColorQuantizer();
    TColorQuantizer(const TColorQuantizer&) = delete;
    TColorQuantizer& operator=(const TColorQuantizer&) = delete;

    bool ScanImage(GIFRowSource& rows);
    void AddPixel(Byte red, Byte green, Byte blue);
    // Merges until the leaves fit the limit again.
    void ReduceToLimit();

    int Leaves() const { return leaves_; }
    // The leaves' average colours in walk order (children 0 to 7, depth first).
    std::vector<RGBQUAD> Colors() const;
    // One entry (blue, green, red, 0) per leaf; answers the count written.
    int ExportColors(RGBQUAD* table, int capacity) const;

    static int ChildIndex(Byte red, Byte green, Byte blue, int level) {
        int bit = 7 - level;
        return (((red >> bit) & 1) << 2) | (((green >> bit) & 1) << 1) | ((blue >> bit) & 1);
    }

private:
    TOctreeNode* MakeNode(int level);
    bool MergeDeepest();
    // The leaf the colour's walk ends at, making the nodes on the way that are missing.
    TOctreeNode* LeafFor(Byte red, Byte green, Byte blue);

    std::unique_ptr<TOctreeNode> root_;
    int leaves_ = 0;
    TOctreeNode* reducibleAt_[8] = {};
    int maxLeaves_;
    int depth_;
};
