#pragma once
// The geometry, hit testing and painting shared by the scroll bar control and the bars a
// scrolling window draws at its edges: two arrow buttons at the ends, the track between them
// and a thumb on the track whose length shows the page.
#include "framework/GraphicsTypes.h"

enum TScrollBarKind { sbHorizontal, sbVertical };
enum TScrollCode {
    scLineUp,
    scLineDown,
    scPageUp,
    scPageDown,
    scPosition,
    scTrack,
    scTop,
    scBottom,
    scEndScroll
};
enum class TScrollBarPart { None, LineUp, LineDown, PageUp, PageDown, Thumb };

struct TScrollBarLayout {
    TScrollBarKind kind = sbHorizontal;
    TRect bar{}, lineUp{}, lineDown{}, track{}, thumb{};
    int min = 0, max = 0, pageSize = 0, position = 0;
    // The highest position the thumb reaches: max - pageSize + 1 with a page, else max.
    int MaxPosition() const;
    bool HasThumb() const { return thumb.right > thumb.left && thumb.bottom > thumb.top; }
    // The room the thumb moves in, along the bar.
    int TrackLength() const;
    int ThumbLength() const;
    // The position whose thumb starts at Offset pixels into the track.
    int PositionAt(int Offset) const;
    // Where the thumb of a position starts, in pixels into the track.
    int OffsetOf(int Position) const;
};

// Lays the parts out in Bar; arrows are square unless the bar is too short for two.
TScrollBarLayout LayoutScrollBar(const TRect& Bar, TScrollBarKind Kind, int Min, int Max,
                                 int PageSize, int Position);
TScrollBarPart ScrollBarHitTest(const TScrollBarLayout& Layout, const TPoint& Point);
// Paints the bar into dc; Pressed is drawn held down.
void PaintScrollBar(HDC dc, const TScrollBarLayout& Layout, TScrollBarPart Pressed, bool Enabled);

// The thickness of a scroll bar along its short side.
constexpr int kScrollBarSize = 16;
