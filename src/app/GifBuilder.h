#pragma once
// Builds the animated GIF from grid frames: each frame reduced to 256 colours (octree
// palette) or grey, given the output delay, and, with unchanged-pixel transparency on, the
// pixels that already show the right colour written in a spare index marked transparent.
//
// Unchanged means: the colour the reduced frame has at a place (through its own colour map)
// equals the colour a viewer shows there after the frames written so far. A frame with more
// than nine tenths of its pixels unchanged, and an index that none of its changed pixels
// uses, is written that way; every other frame is written whole. Either way the frame
// decodes to exactly the colours of its reduced grid frame.
#include "framework/Bitmap.h"
#include "gif/GIFGraphic.h"

#include <vector>

struct TGifBuildSettings {
    bool colors256 = true;      // else grey scale
    bool floydSteinberg = true; // else the nearest colour
    bool transparency = true;   // unchanged pixels transparent
    int delay = 33;             // hundredths of a second per frame
    int zoom = 100;             // percent
};

class TGifBuilder {
public:
    explicit TGifBuilder(const TGifBuildSettings& settings);
    ~TGifBuilder();
    TGifBuilder(const TGifBuilder&) = delete;
    TGifBuilder& operator=(const TGifBuilder&) = delete;

    // The colour mode, dither and transparency switches for the frames added from now on.
    void SetSwitches(bool colors256, bool floydSteinberg, bool transparency);
    // Adds one grid frame (any pixel format; it is zoomed and converted in place). An empty
    // one raises EInvalidGraphicOperation.
    void AddGridFrame(TBitmap* grid);
    // The animation so far; stays the builder's.
    TGIFGraphic* Result() const { return result_.get(); }
    // Hands the animation to the caller.
    ObjectPtr<TGIFGraphic> TakeResult();

    int WholeFrames() const { return wholeFrames_; }
    int TransparentFrames() const { return transparentFrames_; }

private:
    // Appends an 8-bit frame with its delay (and the looping extension on frame 0); t is
    // the transparent index or -1.
    int AddAnimationFrame(TBitmap* frame8, int t);

    TGifBuildSettings settings_;
    ObjectPtr<TGIFGraphic> result_;
    // What a viewer shows after the frames so far, one 0x00BBGGRR colour per pixel.
    std::vector<DWORD> composite_;
    int compositeWidth_ = 0, compositeHeight_ = 0;
    int wholeFrames_ = 0, transparentFrames_ = 0;
};
