#pragma once
// Laying glyphs down: the text calls and DrawText share this.
#include "platform/gdi/internal/GlyphCache.h"
#include "platform/gdi/internal/Target.h"

#include <string>

namespace gdi {

std::shared_ptr<FontFace> faceOf(const DcObj& dc);
int runWidth(FontFace& face, const std::u32string& text, const INT* dx = nullptr);

// Draws text with its pen starting at (x, baseline) in device coordinates, in the DC's text
// colour, blending each glyph's coverage with what lies below. clip (device, may be null)
// narrows the DC's clip. Underline and strike-out follow the font.
void drawRun(Target& t, FontFace& face, int x, int baseline, const std::u32string& text,
             const INT* dx, const RECT* clip);

// A horizontal bar in the text colour (accelerator underlines), device coordinates.
void drawBar(Target& t, int x0, int x1, int y, int thickness, const RECT* clip);

} // namespace gdi
