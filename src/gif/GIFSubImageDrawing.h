#pragma once
// Drawing one frame onto a canvas. The rectangle given stands for the whole logical screen:
// the frame is stretched into its part of it, or tiled at its own size, through its mask
// when asked.
#include "framework/GraphicsTypes.h"

#include <vector>

class TCanvas;
class TGIFSubImage;

class GIFSubImageDrawing {
public:
    explicit GIFSubImageDrawing(TGIFSubImage& frame) : frame_(frame) {}

    void Paint(TCanvas* canvas, const TRect& rect, bool tile, bool transparent);
    // The frame's own rectangle scaled into rect.
    TRect PlaceInRect(const TRect& rect) const;
    // The tiles of the frame within rect: at its own size, the first at rect's corner plus
    // the frame's offset, stepping by the screen size; none for a screen with a zero side.
    std::vector<TRect> TileRects(const TRect& rect) const;
    // Into rect as it is (stretched), or tiled within it.
    void PaintRect(TCanvas* canvas, const TRect& rect, bool tile, bool transparent);

private:
    TGIFSubImage& frame_;
};
