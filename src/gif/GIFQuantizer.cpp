#include "gif/GIFQuantizer.h"

#include <algorithm>

namespace {

void Collect(const TOctreeNode* node, std::vector<RGBQUAD>& out) {
    if (!node) return;
    if (node->Leaf) {
        RGBQUAD q;
        if (node->Pixels > 0) {
            q.rgbRed = static_cast<Byte>(node->SumRed / node->Pixels);
            q.rgbGreen = static_cast<Byte>(node->SumGreen / node->Pixels);
            q.rgbBlue = static_cast<Byte>(node->SumBlue / node->Pixels);
        }
        out.push_back(q);
        return;
    }
    for (const auto& child : node->Child)
        Collect(child.get(), out);
}

// Children 7 down to 0 go before their parent.
void FreeTree(std::unique_ptr<TOctreeNode> node) {
    if (!node) return;
    for (int i = 7; i >= 0; --i)
        FreeTree(std::move(node->Child[i]));
}

} // namespace

TColorQuantizer::TColorQuantizer(int maxColors, int colorBits)
    : maxLeaves_(std::max(maxColors, 1)), depth_(std::clamp(colorBits, 1, 8)) {}

TColorQuantizer::~TColorQuantizer() {
    FreeTree(std::move(root_));
}

TOctreeNode* TColorQuantizer::MakeNode(int level) {
    auto* node = new TOctreeNode;
    if (level == depth_) {
        node->Leaf = true;
        ++leaves_;
    } else {
        node->NextReducible = reducibleAt_[level];
        reducibleAt_[level] = node;
    }
    return node;
}

inline TOctreeNode* TColorQuantizer::LeafFor(Byte red, Byte green, Byte blue) {
    if (!root_) root_.reset(MakeNode(0));
    TOctreeNode* node = root_.get();
    for (int level = 0; !node->Leaf; ++level) {
        auto& child = node->Child[ChildIndex(red, green, blue, level)];
        if (!child) child.reset(MakeNode(level + 1));
        node = child.get();
    }
    return node;
}

namespace {

inline void AddInto(TOctreeNode* leaf, Byte red, Byte green, Byte blue) {
    ++leaf->Pixels;
    leaf->SumRed += red;
    leaf->SumGreen += green;
    leaf->SumBlue += blue;
}

} // namespace

void TColorQuantizer::AddPixel(Byte red, Byte green, Byte blue) {
    AddInto(LeafFor(red, green, blue), red, green, blue);
}

bool TColorQuantizer::MergeDeepest() {
    int i = depth_ - 1;
    while (i > 0 && !reducibleAt_[i])
        --i;
    TOctreeNode* node = reducibleAt_[i];
    if (!node) return false; // everything is one leaf already
    reducibleAt_[i] = node->NextReducible;
    node->NextReducible = nullptr;
    int children = 0;
    for (auto& child : node->Child) {
        if (!child) continue;
        ++children;
        node->Pixels += child->Pixels;
        node->SumRed += child->SumRed;
        node->SumGreen += child->SumGreen;
        node->SumBlue += child->SumBlue;
        FreeTree(std::move(child));
    }
    node->Leaf = true;
    leaves_ -= children - 1;
    return true;
}

void TColorQuantizer::ReduceToLimit() {
    while (leaves_ > maxLeaves_ && MergeDeepest()) {
    }
}

// A pixel of the colour before it walks to the same leaf, unless a merge since has folded
// the walk's end into a node above: runs of one colour, common in pictures, walk once.
bool TColorQuantizer::ScanImage(GIFRowSource& rows) {
    int width = rows.Width(), height = rows.Height();
    for (int y = 0; y < height; ++y) {
        const Byte* p = rows.Row(y);
        TOctreeNode* last = nullptr;
        std::uint32_t lastColor = 0;
        for (int x = 0; x < width; ++x, p += 3) {
            std::uint32_t color =
                std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16;
            TOctreeNode* leaf = last && color == lastColor ? last : LeafFor(p[2], p[1], p[0]);
            AddInto(leaf, p[2], p[1], p[0]);
            last = leaf;
            lastColor = color;
            if (leaves_ > maxLeaves_) {
                ReduceToLimit();
                last = nullptr;
            }
        }
    }
    return true;
}

std::vector<RGBQUAD> TColorQuantizer::Colors() const {
    std::vector<RGBQUAD> out;
    out.reserve(static_cast<size_t>(leaves_));
    Collect(root_.get(), out);
    return out;
}

int TColorQuantizer::ExportColors(RGBQUAD* table, int capacity) const {
    std::vector<RGBQUAD> colors = Colors();
    int n = std::min(capacity, static_cast<int>(colors.size()));
    std::copy_n(colors.begin(), n, table);
    return n;
}
