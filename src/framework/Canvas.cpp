#include "framework/Canvas.h"

#include "framework/Graphic.h"
#include "platform/gdi/Blit.h"
#include "platform/gdi/Dc.h"
#include "platform/gdi/Draw.h"
#include "platform/gdi/Font.h"
#include "platform/gdi/Object.h"

namespace {

int Rop2Of(TPenMode mode) {
    static constexpr int kRop2[] = {R2_BLACK,       R2_WHITE,      R2_NOP,         R2_NOT,
                                    R2_COPYPEN,     R2_NOTCOPYPEN, R2_MERGEPENNOT, R2_MASKPENNOT,
                                    R2_MERGENOTPEN, R2_MASKNOTPEN, R2_MERGEPEN,    R2_NOTMERGEPEN,
                                    R2_MASKPEN,     R2_NOTMASKPEN, R2_XORPEN,      R2_NOTXORPEN};
    return kRop2[mode];
}

// Changing before a drawing call and Changed after it, also when it raises.
class DrawingScope {
public:
    explicit DrawingScope(TCanvas* canvas) : canvas_(canvas) { canvas_->Changing(); }
    ~DrawingScope() { canvas_->Changed(); }
    DrawingScope(const DrawingScope&) = delete;
    DrawingScope& operator=(const DrawingScope&) = delete;

private:
    TCanvas* canvas_;
};

} // namespace

TCanvas::TCanvas()
    : pen_(MakeObject<TPen>()), brush_(MakeObject<TBrush>()), font_(MakeObject<TFont>()) {
    auto hook = [this](TObject* sender) { ToolChanged(sender); };
    pen_->OnChange = hook;
    brush_->OnChange = hook;
    font_->OnChange = hook;
}

void TCanvas::AfterConstruction() {
    inherited::AfterConstruction();
}

void TCanvas::Destroy() {
    DeselectTools();
    pen_->OnChange = nullptr;
    brush_->OnChange = nullptr;
    font_->OnChange = nullptr;
    inherited::Destroy();
}

HDC TCanvas::Handle() {
    if (!handle_) CreateHandle();
    return handle_;
}

void TCanvas::SetHandle(HDC Value) {
    if (handle_ == Value) return;
    DeselectHandles();
    handle_ = Value;
}

void TCanvas::DeselectTools() {
    if (!handle_) return;
    if (penValid_) SelectObject(handle_, oldPen_);
    if (brushValid_) SelectObject(handle_, oldBrush_);
    if (fontValid_) SelectObject(handle_, oldFont_);
    penValid_ = brushValid_ = fontValid_ = false;
}

void TCanvas::DeselectHandles() {
    DeselectTools();
    handle_ = 0;
}

void TCanvas::ToolChanged(TObject* Sender) {
    // The tool's handle is about to be deleted: it must not stay selected.
    if (!handle_) return;
    if (Sender == pen_.get() && penValid_) {
        SelectObject(handle_, oldPen_);
        penValid_ = false;
    } else if (Sender == brush_.get() && brushValid_) {
        SelectObject(handle_, oldBrush_);
        brushValid_ = false;
    } else if (Sender == font_.get() && fontValid_) {
        SelectObject(handle_, oldFont_);
        fontValid_ = false;
    }
}

void TCanvas::RequiredState(std::initializer_list<StateFlag> flags) {
    for (StateFlag f : flags) {
        switch (f) {
        case HandleValid:
            if (!handle_) CreateHandle();
            if (!handle_) throw EInvalidOperation("Canvas does not allow drawing");
            break;
        case PenValid:
            if (!penValid_) {
                oldPen_ = SelectObject(handle_, pen_->Handle());
                penValid_ = true;
            }
            SetROP2(handle_, Rop2Of(pen_->Mode()));
            break;
        case BrushValid:
            if (!brushValid_) {
                oldBrush_ = SelectObject(handle_, brush_->Handle());
                brushValid_ = true;
            }
            SetBkColor(handle_, ColorToRGB(brush_->Color()));
            SetBkMode(handle_, brush_->Style() == bsSolid ? OPAQUE : TRANSPARENT);
            break;
        case FontValid:
            if (!fontValid_) {
                oldFont_ = SelectObject(handle_, font_->Handle());
                fontValid_ = true;
            }
            SetTextColor(handle_, ColorToRGB(font_->Color()));
            break;
        }
    }
}

void TCanvas::Changing() {
    if (OnChanging) OnChanging(this);
}

void TCanvas::Changed() {
    if (OnChange) OnChange(this);
}

TPoint TCanvas::PenPos() {
    RequiredState({HandleValid});
    POINT p;
    GetCurrentPositionEx(handle_, &p);
    return p;
}

TColor TCanvas::Pixels(int X, int Y) {
    RequiredState({HandleValid});
    return TColor(GetPixel(handle_, X, Y));
}

void TCanvas::SetPixels(int X, int Y, TColor Value) {
    DrawingScope scope(this);
    RequiredState({HandleValid, PenValid});
    SetPixelV(handle_, X, Y, ColorToRGB(Value));
}

TRect TCanvas::ClipRect() {
    RequiredState({HandleValid});
    RECT r;
    GetClipBox(handle_, &r);
    return r;
}

void TCanvas::Arc(int X1, int Y1, int X2, int Y2, int X3, int Y3, int X4, int Y4) {
    DrawingScope scope(this);
    RequiredState({HandleValid, PenValid});
    ::Arc(handle_, X1, Y1, X2, Y2, X3, Y3, X4, Y4);
}

void TCanvas::CopyRect(const TRect& Dest, TCanvas* ACanvas, const TRect& Source) {
    DrawingScope scope(this);
    RequiredState({HandleValid, FontValid, BrushValid});
    ACanvas->RequiredState({HandleValid, BrushValid});
    StretchBlt(handle_, Dest.left, Dest.top, Dest.right - Dest.left, Dest.bottom - Dest.top,
               ACanvas->handle_, Source.left, Source.top, Source.right - Source.left,
               Source.bottom - Source.top, DWORD(copyMode_));
}

void TCanvas::Draw(int X, int Y, TGraphic* Graphic) {
    if (!Graphic || Graphic->Empty()) return;
    DrawingScope scope(this);
    RequiredState({HandleValid});
    SetBkColor(handle_, ColorToRGB(brush_->Color()));
    Graphic->Draw(this, Rect(X, Y, X + Graphic->Width(), Y + Graphic->Height()));
}

void TCanvas::StretchDraw(const TRect& Rect, TGraphic* Graphic) {
    if (!Graphic) return;
    DrawingScope scope(this);
    RequiredState({HandleValid});
    Graphic->Draw(this, Rect);
}

void TCanvas::DrawFocusRect(const TRect& Rect) {
    DrawingScope scope(this);
    RequiredState({HandleValid, BrushValid});
    ::DrawFocusRect(handle_, &Rect);
}

void TCanvas::Ellipse(int X1, int Y1, int X2, int Y2) {
    DrawingScope scope(this);
    RequiredState({HandleValid, PenValid, BrushValid});
    ::Ellipse(handle_, X1, Y1, X2, Y2);
}

void TCanvas::FillRect(const TRect& Rect) {
    DrawingScope scope(this);
    RequiredState({HandleValid, BrushValid});
    ::FillRect(handle_, &Rect, brush_->Handle());
}

void TCanvas::FrameRect(const TRect& Rect) {
    DrawingScope scope(this);
    RequiredState({HandleValid, BrushValid});
    ::FrameRect(handle_, &Rect, brush_->Handle());
}

void TCanvas::LineTo(int X, int Y) {
    DrawingScope scope(this);
    RequiredState({HandleValid, PenValid, BrushValid});
    ::LineTo(handle_, X, Y);
}

void TCanvas::MoveTo(int X, int Y) {
    RequiredState({HandleValid});
    MoveToEx(handle_, X, Y, nullptr);
}

void TCanvas::Polygon(const std::vector<TPoint>& Points) {
    DrawingScope scope(this);
    RequiredState({HandleValid, PenValid, BrushValid});
    ::Polygon(handle_, Points.data(), int(Points.size()));
}

void TCanvas::Polyline(const std::vector<TPoint>& Points) {
    DrawingScope scope(this);
    RequiredState({HandleValid, PenValid, BrushValid});
    ::Polyline(handle_, Points.data(), int(Points.size()));
}

void TCanvas::Rectangle(int X1, int Y1, int X2, int Y2) {
    DrawingScope scope(this);
    RequiredState({HandleValid, PenValid, BrushValid});
    ::Rectangle(handle_, X1, Y1, X2, Y2);
}

void TCanvas::RoundRect(int X1, int Y1, int X2, int Y2, int X3, int Y3) {
    DrawingScope scope(this);
    RequiredState({HandleValid, PenValid, BrushValid});
    ::RoundRect(handle_, X1, Y1, X2, Y2, X3, Y3);
}

void TCanvas::TextOut(int X, int Y, const String& Text) {
    {
        DrawingScope scope(this);
        RequiredState({HandleValid, FontValid, BrushValid});
        ExtTextOut(handle_, X, Y, 0, nullptr, Text.c_str(), UINT(Text.size()), nullptr);
    }
    MoveTo(X + TextWidth(Text), Y);
}

void TCanvas::TextRect(const TRect& Rect, int X, int Y, const String& Text) {
    DrawingScope scope(this);
    RequiredState({HandleValid, FontValid, BrushValid});
    UINT options = ETO_CLIPPED;
    if (brush_->Style() != bsClear) options |= ETO_OPAQUE;
    ExtTextOut(handle_, X, Y, options, &Rect, Text.c_str(), UINT(Text.size()), nullptr);
}

TSize TCanvas::TextExtent(const String& Text) {
    RequiredState({HandleValid, FontValid});
    SIZE s;
    GetTextExtentPoint32(handle_, Text.c_str(), int(Text.size()), &s);
    return s;
}

void TCanvas::Refresh() {
    DeselectTools();
}

void TCanvas::Lock() {
    lock_.lock();
    ++lockCount_;
}

void TCanvas::Unlock() {
    --lockCount_;
    lock_.unlock();
}

bool TCanvas::TryLock() {
    if (!lock_.try_lock()) return false;
    ++lockCount_;
    return true;
}
