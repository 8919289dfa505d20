#pragma once
// TCanvas: drawing on a device context with a pen, a brush and a font. The tools are kept by
// the canvas and put into the device context only when a drawing call needs them; every
// drawing call is bracketed by Changing and Changed, which raise OnChanging and OnChange.
#include "framework/GraphicsObjects.h"
#include "rtl/Persistent.h"

#include <mutex>
#include <vector>

class TGraphic;

class TCanvas : public TPersistent {
    KORVID_CLASS(TCanvas, TPersistent)

    TCanvas();
    void AfterConstruction() override;
    void Destroy() override;

    // The device context, made by CreateHandle when the canvas has none; 0 when it cannot
    // have one. Setting a handle hands the canvas a context it does not own.
    HDC Handle();
    void SetHandle(HDC Value);
    bool HandleAllocated() const { return handle_ != 0; }

    TPen* Pen() { return pen_.get(); }
    TBrush* Brush() { return brush_.get(); }
    TFont* Font() { return font_.get(); }
    void SetPen(TPen* Value) { pen_->Assign(Value); }
    void SetBrush(TBrush* Value) { brush_->Assign(Value); }
    void SetFont(TFont* Value) { font_->Assign(Value); }

    TCopyMode CopyMode() const { return copyMode_; }
    void SetCopyMode(TCopyMode Value) { copyMode_ = Value; }
    TPoint PenPos();
    void SetPenPos(const TPoint& Value) { MoveTo(Value.x, Value.y); }
    // CLR_INVALID (as -1) outside the surface or the clip.
    TColor Pixels(int X, int Y);
    void SetPixels(int X, int Y, TColor Value);
    // The logical bounds of what can be drawn.
    TRect ClipRect();

    void Arc(int X1, int Y1, int X2, int Y2, int X3, int Y3, int X4, int Y4);
    // Copies Source's rectangle of ACanvas into Dest, stretched, with CopyMode.
    void CopyRect(const TRect& Dest, TCanvas* ACanvas, const TRect& Source);
    // Draws the graphic at its own size; a transparent graphic leaves its see-through pixels.
    void Draw(int X, int Y, TGraphic* Graphic);
    void StretchDraw(const TRect& Rect, TGraphic* Graphic);
    void DrawFocusRect(const TRect& Rect);
    void Ellipse(int X1, int Y1, int X2, int Y2);
    void Ellipse(const TRect& Rect) { Ellipse(Rect.left, Rect.top, Rect.right, Rect.bottom); }
    void FillRect(const TRect& Rect);
    void FrameRect(const TRect& Rect);
    void LineTo(int X, int Y);
    void MoveTo(int X, int Y);
    void Polygon(const std::vector<TPoint>& Points);
    void Polyline(const std::vector<TPoint>& Points);
    void Rectangle(int X1, int Y1, int X2, int Y2);
    void Rectangle(const TRect& Rect) { Rectangle(Rect.left, Rect.top, Rect.right, Rect.bottom); }
    void RoundRect(int X1, int Y1, int X2, int Y2, int X3, int Y3);
    // Text at (X, Y), its background filled with the brush unless the brush is clear; the
    // pen position moves to the text's end.
    void TextOut(int X, int Y, const String& Text);
    // The same, clipped to Rect (and the whole of Rect filled unless the brush is clear).
    void TextRect(const TRect& Rect, int X, int Y, const String& Text);
    TSize TextExtent(const String& Text);
    int TextWidth(const String& Text) { return TextExtent(Text).cx; }
    int TextHeight(const String& Text) { return TextExtent(Text).cy; }
    void Refresh();

    // Serialises drawing across threads; Lock may be nested.
    void Lock();
    void Unlock();
    bool TryLock();
    int LockCount() const { return lockCount_; }

    TNotifyEvent OnChange;
    TNotifyEvent OnChanging;

    virtual void Changing();
    virtual void Changed();

protected:
    // Makes the device context when the canvas needs one (the default makes none).
    virtual void CreateHandle() {}
    // Takes the tools out of the device context and forgets it (the owner deletes it).
    void DeselectHandles();
    // Takes the tools out of the device context, keeping it.
    void DeselectTools();

    enum StateFlag { HandleValid, PenValid, BrushValid, FontValid };
    void RequiredState(std::initializer_list<StateFlag> flags);

private:
    void ToolChanged(TObject* Sender);

    HDC handle_ = 0;
    ObjectPtr<TPen> pen_;
    ObjectPtr<TBrush> brush_;
    ObjectPtr<TFont> font_;
    TCopyMode copyMode_ = cmSrcCopy;
    bool penValid_ = false, brushValid_ = false, fontValid_ = false;
    HGDIOBJ oldPen_ = 0, oldBrush_ = 0, oldFont_ = 0;
    std::recursive_mutex lock_;
    int lockCount_ = 0;
};
