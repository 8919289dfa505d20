#pragma once
// TImageList: a list of equally sized images, each with an optional see-through mask, drawn
// onto canvases enabled or greyed.
#include "framework/Bitmap.h"
#include "rtl/Component.h"

#include <vector>

class TImageList : public TComponent {
    KORVID_CLASS(TImageList, TComponent)

    void Destroy() override;

    // Changing either size clears the list.
    int Width() const { return width_; }
    void SetWidth(int Value);
    int Height() const { return height_; }
    void SetHeight(int Value);
    // A list that is not masked draws every image opaque.
    bool Masked() const { return masked_; }
    void SetMasked(bool Value) { masked_ = Value; }
    int Count() const { return int(images_.size()); }

    // Adds Image cut into pieces of the list's width (one piece when it is narrower), each
    // scaled to no size: taken from the top-left. Mask pixels that are white mark
    // see-through pixels; a nil mask makes the pieces opaque. Returns the index of the
    // first piece, -1 for an empty image.
    int Add(TBitmap* Image, TBitmap* Mask);
    // The same with the pixels of MaskColor see-through (clDefault: the bottom-left pixel's).
    int AddMasked(TBitmap* Image, TColor MaskColor);
    void Delete(int Index);
    void Clear();

    // Draws image Index at (X, Y); a disabled image is drawn in light greys. An index out of
    // range draws nothing.
    void Draw(TCanvas* Canvas, int X, int Y, int Index, bool Enabled = true);
    // Image Index on a white bitmap of the list's size, drawn through its mask.
    void GetBitmap(int Index, TBitmap* Image);

    TNotifyEvent OnChange;

private:
    struct Entry {
        std::vector<DWORD> pixels; // 0x00RRGGBB, top row first
        std::vector<bool> clear;   // see-through pixels
    };
    int AddPieces(TBitmap* image, const std::vector<bool>& clear);
    void Changed();

    int width_ = 16;
    int height_ = 16;
    bool masked_ = true;
    std::vector<Entry> images_;
};
