#pragma once
// The non-client frame a skinned form paints itself: the outer border, the 3-pixel frame in
// the form's colour, the frame beside the menu bar in the bar's colour, and above the caption
// the title bar's own pictures continued, with arcs at round top corners.
#include "framework/GraphicsTypes.h"
#include "platform/WinTypes.h"

class TskTitleBar;

struct TskFormFrame {
    int Width = 0, Height = 0; // the form's window
    int BorderWidth = 1;
    TColor BorderColor = 0;
    TColor FrameColor = 0;
    // Where the side frame starts below the caption.
    int CaptionHeight = 0;
    // The frame beside the menu bar, from TitleHeight + 3 down MenuHeight rows (none at 0).
    int TitleHeight = 0;
    int MenuHeight = 0;
    TColor MenuColor = 0;
    // The visible title bar whose pictures continue over the frame, or nullptr.
    TskTitleBar* TitleBar = nullptr;
    int RoundCorner = 0;
};

// Paints the frame on the window's whole device context.
void PaintSkinFormFrame(HWND Window, const TskFormFrame& Frame);
