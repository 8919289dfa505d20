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
        canvas_->FreeHandle();
        canvas_->Lock();
        struct Done {
            TControlCanvas* c;
            ~Done() {
                c->SetHandle(0);
                c->Unlock();
            }
        } done{canvas_.get()};
        canvas_->SetHandle(static_cast<HDC>(Message.WParam));
        Paint();
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
    canvas_->FreeHandle();
    canvas_->Lock();
    struct Done {
        TControlCanvas* c;
        ~Done() {
            c->SetHandle(0);
            c->Unlock();
        }
    } done{canvas_.get()};
    canvas_->SetHandle(DC);
    Paint();
}
