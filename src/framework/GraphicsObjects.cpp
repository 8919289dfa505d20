#include "framework/GraphicsObjects.h"

#include "framework/Bitmap.h"
#include "platform/gdi/Draw.h"
#include "platform/gdi/Font.h"
#include "platform/gdi/Object.h"
#include "rtl/AssignIfChanged.h"

#include <algorithm>
#include <cstring>

namespace {

int MulDivRound(int a, int b, int c) {
    if (c == 0) return -1;
    long long p = static_cast<long long>(a) * b;
    long long q = p / c, r = p % c;
    if (2 * (r < 0 ? -r : r) >= (c < 0 ? -(long long)c : c)) q += ((p < 0) != (c < 0)) ? -1 : 1;
    return static_cast<int>(q);
}

template <class H> void DropHandle(H& handle) {
    if (handle) DeleteObject(handle);
    handle = 0;
}

} // namespace

void TGraphicsObject::Changed() {
    if (OnChange) OnChange(this);
}

// Pen

void TPen::Destroy() {
    DropHandle(handle_);
    inherited::Destroy();
}

void TPen::Changed() {
    // Listeners take the old handle out of their device context before it goes.
    inherited::Changed();
    DropHandle(handle_);
}

void TPen::Assign(TPersistent* Source) {
    if (auto* pen = dynamic_cast<TPen*>(Source)) {
        color_ = pen->color_;
        width_ = pen->width_;
        style_ = pen->style_;
        mode_ = pen->mode_;
        Changed();
        return;
    }
    inherited::Assign(Source);
}

void TPen::SetColor(TColor Value) {
    if (AssignIfChanged(color_, Value)) Changed();
}

void TPen::SetWidth(int Value) {
    if (Value >= 0 && AssignIfChanged(width_, Value)) Changed();
}

void TPen::SetStyle(TPenStyle Value) {
    if (AssignIfChanged(style_, Value)) Changed();
}

void TPen::SetMode(TPenMode Value) {
    if (AssignIfChanged(mode_, Value)) Changed();
}

HPEN TPen::Handle() {
    if (!handle_) {
        static constexpr UINT kStyles[] = {PS_SOLID,      PS_DASH, PS_DOT,        PS_DASHDOT,
                                           PS_DASHDOTDOT, PS_NULL, PS_INSIDEFRAME};
        handle_ = CreatePen(int(kStyles[style_]), width_, ColorToRGB(color_));
    }
    return handle_;
}

// Brush

void TBrush::Destroy() {
    DropHandle(handle_);
    inherited::Destroy();
}

void TBrush::Changed() {
    inherited::Changed();
    DropHandle(handle_);
}

void TBrush::Assign(TPersistent* Source) {
    if (auto* brush = dynamic_cast<TBrush*>(Source)) {
        color_ = brush->color_;
        style_ = brush->style_;
        bitmap_ = brush->bitmap_;
        Changed();
        return;
    }
    inherited::Assign(Source);
}

void TBrush::SetColor(TColor Value) {
    if (color_ == Value && style_ != bsClear) return;
    color_ = Value;
    if (style_ == bsClear) style_ = bsSolid;
    Changed();
}

void TBrush::SetStyle(TBrushStyle Value) {
    if (AssignIfChanged(style_, Value)) Changed();
}

void TBrush::SetBitmap(TBitmap* Value) {
    bitmap_ = Value;
    Changed();
}

HBRUSH TBrush::Handle() {
    if (handle_) return handle_;
    if (bitmap_ && !bitmap_->Empty()) {
        handle_ = CreatePatternBrush(bitmap_->Handle());
    } else if (style_ == bsClear) {
        LOGBRUSH lb;
        lb.lbStyle = BS_NULL;
        handle_ = CreateBrushIndirect(&lb);
    } else if (style_ == bsSolid) {
        handle_ = CreateSolidBrush(ColorToRGB(color_));
    } else {
        static constexpr int kHatches[] = {
            0, 0, HS_HORIZONTAL, HS_VERTICAL, HS_FDIAGONAL, HS_BDIAGONAL, HS_CROSS, HS_DIAGCROSS};
        handle_ = CreateHatchBrush(kHatches[style_], ColorToRGB(color_));
    }
    return handle_;
}

// Font

void TFont::Destroy() {
    DropHandle(handle_);
    inherited::Destroy();
}

void TFont::Changed() {
    inherited::Changed();
    DropHandle(handle_);
}

void TFont::Assign(TPersistent* Source) {
    if (auto* font = dynamic_cast<TFont*>(Source)) {
        name_ = font->name_;
        height_ = font->pixelsPerInch_ == pixelsPerInch_
                      ? font->height_
                      : -MulDivRound(font->Size(), pixelsPerInch_, 72);
        style_ = font->style_;
        color_ = font->color_;
        pitch_ = font->pitch_;
        charset_ = font->charset_;
        Changed();
        return;
    }
    inherited::Assign(Source);
}

void TFont::SetName(const String& Value) {
    if (!Value.empty() && AssignIfChanged(name_, Value)) Changed();
}

int TFont::Size() const {
    return -MulDivRound(height_, 72, pixelsPerInch_);
}

void TFont::SetSize(int Value) {
    SetHeight(-MulDivRound(Value, pixelsPerInch_, 72));
}

void TFont::SetHeight(int Value) {
    if (AssignIfChanged(height_, Value)) Changed();
}

void TFont::SetStyle(TFontStyles Value) {
    if (AssignIfChanged(style_, Value)) Changed();
}

void TFont::SetColor(TColor Value) {
    if (AssignIfChanged(color_, Value)) Changed();
}

void TFont::SetPitch(TFontPitch Value) {
    if (AssignIfChanged(pitch_, Value)) Changed();
}

void TFont::SetCharset(TFontCharset Value) {
    if (AssignIfChanged(charset_, Value)) Changed();
}

HFONT TFont::Handle() {
    if (handle_) return handle_;
    LOGFONT lf;
    lf.lfHeight = height_;
    lf.lfWeight = style_.Contains(fsBold) ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = style_.Contains(fsItalic);
    lf.lfUnderline = style_.Contains(fsUnderline);
    lf.lfStrikeOut = style_.Contains(fsStrikeOut);
    lf.lfCharSet = charset_;
    lf.lfPitchAndFamily = pitch_ == fpFixed      ? FIXED_PITCH
                          : pitch_ == fpVariable ? VARIABLE_PITCH
                                                 : DEFAULT_PITCH;
    size_t n = std::min(name_.size(), size_t(LF_FACESIZE - 1));
    std::memcpy(lf.lfFaceName, name_.data(), n);
    lf.lfFaceName[n] = 0;
    handle_ = CreateFontIndirect(&lf);
    return handle_;
}
