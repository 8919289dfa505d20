#pragma once
// Reading a BITMAPINFO that a caller hands in, with every size checked, and copying rows
// between formats.
#include "platform/gdi/internal/Surface.h"

#include <optional>
#include <vector>

namespace gdi {

struct DcObj;

struct DibDesc {
    int width = 0;
    int height = 0; // rows, always positive
    bool topDown = false;
    int bpp = 0;
    DWORD compression = BI_RGB;
    Masks masks;
    std::vector<RGBQUAD> colors;
    std::size_t stride = 0;
    std::size_t imageBytes = 0; // stride * height
};

// False for a header we cannot use (bad size, depth, compression or dimensions). With
// DIB_PAL_COLORS the colour table is looked up in dc's palette.
bool parseDib(const BITMAPINFO* info, UINT usage, const DcObj* dc, DibDesc& out);

// A surface over caller memory laid out as desc (null bits gives an unusable surface).
Surface dibSurface(const DibDesc& desc, const void* bits);

// Copies n pixels of row sy of src into row dy of dest at the same columns [x, x + n),
// converting through true colour when the formats differ (a monochrome bitmap counts as
// black and white here).
void convertRow(const Surface& src, int sy, const Surface& dest, int dy, int x, int n);

// convertRow for many rows between the same two surfaces: what the conversion needs (the
// comparison of the formats, the nearest-colour map of a paletted destination) is settled
// once, not for every row.
class RowConverter {
public:
    RowConverter(const Surface& src, const Surface& dest);
    RowConverter(const RowConverter&) = delete;
    RowConverter& operator=(const RowConverter&) = delete;
    void operator()(int sy, int dy, int x, int n);

private:
    enum class Path { Copy, Expand24To32, Pack32To24, Lut8, Map32To8, Map24To8, General };
    Surface src_;
    Surface dest_;
    Path path_ = Path::General;
    std::uint32_t lut_[256] = {};
    std::optional<Encoder> encoder_; // refers to dest_
};

} // namespace gdi
