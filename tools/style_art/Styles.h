#pragma once
// The five looks of the built-in styles: their colours and a few switches of shape.
#include "Raster.h"

#include <string>

namespace art {

enum class Look { Aqua, Xp, Deep, Silver, Glass };

struct Style {
    std::string prefix; // resource name prefix, "MACOS" ..
    Look look;
    Rgb background;          // the form and control background the art sits on
    Rgb border;              // outlines of buttons, boxes, bars
    Rgb faceTop, faceBottom; // a button at rest
    Rgb hotTop, hotBottom;   // under the pointer
    Rgb downTop, downBottom; // pressed
    Rgb accent, accentDark;  // marks, fills, selection
    Rgb glyph;               // arrows and symbols on buttons
    Rgb titleTop, titleBottom, titleHighlight, titleShadow;
    Rgb titleGlyph;
    Rgb scrollBackground;
    double radius;         // button corner radius
    bool buttonSeeThrough; // button corners show what lies behind
    bool titleButtonSeeThrough;
    bool gloss;         // a shine over the upper half
    int titleButtonTop; // where the caption buttons sit in the caption
};

const Style& StyleFor(Look look);

} // namespace art
