#pragma once
// The nearest entry of a colour table for true colours: smallest squared distance, the lowest
// index on ties. Exact, and built for whole pictures: colour space is split into 4x4x4 boxes,
// each settled the first time a colour falls in it. A box that one entry owns wholly answers
// from a block of 64 copies of that entry; any other box gets a block of its own with the
// exact answer for each of its 64 colours. A lookup is then two table reads without a
// search, whatever the picture.
#include "platform/WinTypes.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace gdi {

using Px = std::uint32_t; // 0x00RRGGBB

class ColorMatcher {
public:
    // Tables longer than 256 entries are cut to 256 (an index must fit a byte).
    explicit ColorMatcher(std::vector<Px> table);
    // Starts over for another table, keeping the memory already in use.
    void reset(std::vector<Px> table);
    int nearest(Px p);
    // The plain search over the whole table, the reference the fast one must agree with.
    int nearestExact(Px p) const;
    const std::vector<Px>& table() const { return table_; }

    // n pixels to indices: 32-bit memory (B, G, R, X; X is ignored), 24-bit memory (B, G, R)
    // or true colours (their high byte ignored) into native values.
    void map32(const BYTE* in, int n, BYTE* out);
    void map24(const BYTE* in, int n, BYTE* out);
    void mapPx(const Px* in, int n, std::uint32_t* out);

private:
    // Handles an empty row or an empty table; false when the row needs mapping.
    bool mapsTrivially(int n, BYTE* out) const;
    struct View;
    View view() const;
    template <class Out, class Lanes> void mapLanes(const View& v, Lanes px, Out* out);
    unsigned answer(const View& v, std::uint32_t box, std::uint32_t local, Px p);
    unsigned answerSlow(std::uint32_t box, Px p);
    std::uint32_t settle(std::uint32_t box);
    const std::uint8_t* cellCandidates(int cell, int& count);
    const std::uint8_t* regionCandidates(int region, int& count);
    int searchIn(Px p, const std::uint8_t* candidates, int count) const;

    std::vector<Px> table_;
    // Per box: where its block of answers starts in blocks_, 0 while not settled.
    std::vector<std::uint32_t> boxes_;
    // Blocks of 64 answers, indexed by the low 2 bits of red, green, blue (rrggbb). Block 0
    // is never used, block 1 + i holds entry i throughout, mixed boxes follow. Reserved at
    // its largest (16 MB, one block per box) so that the rows being mapped may keep a
    // pointer into it; only the blocks made are ever touched, a few MB for a spread table.
    std::vector<std::uint8_t> blocks_;
    // Entries that can be nearest somewhere in a 32x32x32 region and in an 8x8x8 cell, in
    // index order, made as they are first needed; they narrow the work of settling a box.
    std::vector<std::int32_t> regionStart_;
    std::vector<std::uint16_t> regionCount_;
    std::vector<std::uint8_t> regionPool_;
    std::vector<std::int32_t> cellStart_;
    std::vector<std::uint16_t> cellCount_;
    std::vector<std::uint8_t> cellPool_;
};

// A matcher for this table, shared by every call of one thread that maps to the same colours
// (a palette, the colour tables of DIBs made from it, brushes drawn on them). The table's
// contents are the key, so a table changed in place simply finds another matcher. A few
// recent ones are kept; holding the pointer keeps one valid for as long as it is used.
std::shared_ptr<ColorMatcher> matcherFor(const RGBQUAD* colors, int count);
std::shared_ptr<ColorMatcher> matcherFor(const Px* table, int count);

} // namespace gdi
