#include "framework/CustomControl.h"

#include "platform/gdi/Dc.h"

void TControlCanvas::Destroy() {
    FreeHandle();
    inherited::Destroy();
}

void TControlCanvas::CreateHandle() {
    TWinControl* win = dynamic_cast<TWinControl*>(control_);
    int dx = 0, dy = 0;
    if (!win) {
        win = control_->Parent();
        dx = control_->Left();
        dy = control_->Top();
    }
    if (!win || !win->HandleAllocated()) return;
    HDC dc = GetDC(win->Handle());
    if (!dc) return;
    if (win != control_) {
        SetViewportOrgEx(dc, dx, dy, nullptr);
        IntersectClipRect(dc, 0, 0, control_->Width(), control_->Height());
    }
    window_ = win->Handle();
    own_ = dc;
    SetHandle(dc);
}

void TControlCanvas::FreeHandle() {
    if (!own_) return;
    HDC dc = own_;
    own_ = 0;
    if (HandleAllocated() && Handle() == dc) SetHandle(0);
    ReleaseDC(window_, dc);
    window_ = 0;
}

namespace {

// Paints through the control's canvas on a device context the caller owns; the canvas lets go
// of it afterwards, also when Paint raises.
template <class PaintFn> void PaintOnCanvas(TControlCanvas& canvas, HDC dc, PaintFn paint) {
    canvas.FreeHandle();
    canvas.Lock();
    struct Done {
        TControlCanvas& c;
        ~Done() {
            c.SetHandle(0);
            c.Unlock();
        }
    } done{canvas};
    canvas.SetHandle(dc);
    paint();
}

} // namespace

void TGraphicControl::Create(TComponent* AOwner) {
    inherited::Create(AOwner);
    canvas_.reset(CreateObject<TControlCanvas>(this));
}

void TGraphicControl::Destroy() {
    if (canvas_) canvas_->FreeHandle();
    inherited::Destroy();
}

void TGraphicControl::Paint() {}

void TGraphicControl::Dispatch(TMessage& Message) {
    if (Message.Msg == WM_PAINT && Message.WParam) {
        PaintOnCanvas(*canvas_, static_cast<HDC>(Message.WParam), [this] { Paint(); });
        return;
    }
    inherited::Dispatch(Message);
}

void TCustomControl::Create(TComponent* AOwner) {
    inherited::Create(AOwner);
    canvas_.reset(CreateObject<TControlCanvas>(this));
}

void TCustomControl::Destroy() {
    if (canvas_) canvas_->FreeHandle();
    inherited::Destroy();
}

void TCustomControl::Paint() {}

void TCustomControl::PaintWindow(HDC DC) {
    PaintOnCanvas(*canvas_, DC, [this] { Paint(); });
}
