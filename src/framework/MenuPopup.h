#pragma once
// The tracking of a drop-down menu, shared by TPopupMenu, the form's menu bar and tool-bar
// buttons: each open level is a pop-up window (top-level, no caption, tool and topmost, so
// the desktop leaves it alone), the topmost level holds the pointer capture, and a modal loop
// takes the keyboard and pointer input for the menu until it closes.
#include "framework/Menus.h"

enum class MenuTrackEnd { Cancelled, Chosen, Handover };

struct MenuTrackResult {
    MenuTrackEnd End = MenuTrackEnd::Cancelled;
    TMenuItem* Item = nullptr; // the chosen item (enabled, without sub-items)
};

struct MenuTrackRequest {
    TMenuItem* Parent = nullptr; // its visible sub-items are the first level
    TPoint At{0, 0};             // top-left corner of the first level, screen coordinates
    // A screen rectangle (a bar button) the first level opens beside: when the level does
    // not fit below it, it goes above. Empty: the level goes above At.
    TRect Anchor{0, 0, 0, 0};
    bool SelectFirst = false;
    // The pointer moved to a screen point outside every level; true ends the tracking with
    // Handover (a bar opens the menu of the button there instead).
    std::function<bool(TPoint)> OnPointerOutside;
    // Left (-1) or Right (+1) on the first level that no sub-menu takes; true ends the
    // tracking with Handover.
    std::function<bool(int)> OnBarStep;
};

// Runs the loop; returns once every level is closed. A second tracking while one runs, or a
// parent without visible sub-items, returns Cancelled at once.
MenuTrackResult TrackMenu(const MenuTrackRequest& Request);
bool MenuTrackingActive();

// Puts the text into the canvas's device context with the canvas font and DrawText format
// (accelerator marks are underlined unless DT_NOPREFIX).
void DrawMenuText(TCanvas* Canvas, const String& Text, TRect Rect, UINT Format);
