#pragma once
// The drawings of every part of a style, at the size the controls expect.
#include "Styles.h"

namespace art {

// Pieces side by side, as the controls cut them.
Image ButtonStrip(const Style& s, int w, int h);            // normal, hot, pressed
Image CheckStrip(const Style& s, int w, int h, bool radio); // on, off, on disabled, off disabled
Image TitleButtonStrip(const Style& s, int w, int h, int titleHeight); // 6 kinds x 3 states
Image TitleSection(const Style& s, int w, int h, int which);           // 0 left, 1 client, 2 right
Image ProgressBar(const Style& s, int w, int h);
Image TrackBarBar(const Style& s, int w, int h); // left end, middle, right end
Image TrackBarSlider(const Style& s, int w, int h, bool vertical);
Image ScrollBarButtons(const Style& s, int w, int h); // up x 3 states, down x 3 states
Image ScrollBarThumb(const Style& s, int w, int h);   // start, middle, end
Image TabScrollArrows(const Style& s, int w, int h);  // right, right hot, left, left hot
Image TabStrip(const Style& s, int w, int h);         // active, inactive
Image TabLine(const Style& s, int w, int h);
Image SideChannelHandle(const Style& s, int w, int h);
Image SideChannelBar(const Style& s, int w, int h);

// Pictures outside the theme items.
Image MenuBarStrip(int w, int h);
Image MenuSelectStrip(int w, int h);
Image FormTile(const Style& s, int w, int h);
Image MenuCheckMark(int w, int h);
Image MdiButtons(int w, int h);
Image NavigatorGlyphs(int w, int h);
Image MainIcon(int w, int h);

} // namespace art
