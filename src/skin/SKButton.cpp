// The skinned push button's core: state pictures, painting, mouse and keys, repeat timer.
#include "skin/SKButton.h"

#include "framework/Label.h"
#include "framework/PageControl.h"
#include "platform/gdi/Gdi.h"
#include "platform/user/Input.h"

#include <algorithm>

namespace {
constexpr int kFallbackPieceWidth = 74;
constexpr int kFallbackPieceHeight = 21;
} // namespace

void TskCustomButton::DeclareProperties(Published<TskCustomButton>& p) {
    p.Ordinal("UIStyle", &TskCustomButton::UIStyle, &TskCustomButton::SetUIStyle);
    p.Object("FileTheme", &TskCustomButton::FileTheme, &TskCustomButton::SetFileTheme);
    p.Text("Caption", &TskCustomButton::Caption, &TskCustomButton::SetText);
    p.Ordinal("Transparent", &TskCustomButton::Transparent, &TskCustomButton::SetTransparent);
    p.Ordinal("Default", &TskCustomButton::Default, &TskCustomButton::SetDefault);
    p.Ordinal("Cancel", &TskCustomButton::Cancel, &TskCustomButton::SetCancel);
}

void TskCustomButton::Create(TComponent* AOwner) {
    inherited::Create(AOwner);
    ControlStyle().Exclude(csDoubleClicks);
    ControlStyle().Exclude(csAcceptsControls);
    SetTabStop(true);
    SetText("");
    SetUIStyle(GetOwnerUIStyle(AOwner));
}

void TskCustomButton::Destroy() {
    StopRepeat();
    LinkFileTheme(this, fileTheme_, nullptr);
    inherited::Destroy();
}

// --- properties ----------------------------------------------------------------------------

void TskCustomButton::SetAutoSize(bool v) {
    inherited::SetAutoSize(v);
    UpdateAutoSize();
    Invalidate();
}

void TskCustomButton::SetText(const String& v) {
    inherited::SetText(v);
    CaptionChanged();
    Invalidate();
}

void TskCustomButton::SetDefault(bool v) {
    default_ = v;
    if (!HandleAllocated()) return;
    if (TCustomForm* form = GetParentForm(this))
        form->Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(form->ActiveControl()));
}

void TskCustomButton::SetTransparent(bool v) {
    transparent_ = v;
    TransparentChanged();
    Invalidate();
}

void TskCustomButton::TransparentChanged() {
    pictureTransparent_ = transparent_;
    Invalidate();
}

void TskCustomButton::SetFocusedRectMargin(int v) {
    focusedRectMargin_ = v;
    Invalidate();
}

void TskCustomButton::SetEnabled(bool v) {
    inherited::SetEnabled(v);
    // A disabled button cannot stay pressed, nor repeat.
    if (!v) EndPress();
    EnabledChanged();
    Invalidate();
}

void TskCustomButton::SetUIStyle(TskUIStyle v) {
    uiStyle_ = v;
    UIStyleChanged();
    Invalidate();
}

void TskCustomButton::SetFileTheme(TskFileTheme* v) {
    LinkFileTheme(this, fileTheme_, v);
    SetUIStyle(uiStyle_);
}

void TskCustomButton::Notification(TComponent* AComponent, TOperation Operation) {
    inherited::Notification(AComponent, Operation);
    DropRemovedFileTheme(this, fileTheme_, AComponent, Operation);
}

void TskCustomButton::FontChanged(TObject* Sender) {
    inherited::FontChanged(Sender);
    Canvas()->SetFont(Font());
    Invalidate();
}

void TskCustomButton::CreateWnd() {
    inherited::CreateWnd();
    activeDefault_ = default_;
}

// --- pictures ------------------------------------------------------------------------------

void TskCustomButton::UpdateAutoSize() {
    if (!AutoSize()) return;
    ObjectPtr<TBitmap> strip = MakeObject<TBitmap>();
    // Only the built-in strip: the skin file is not read for a size.
    LoadBuiltinThemeBitmap(uiStyle_, tiButtonImage, strip.get());
    const int w = strip->Width() ? strip->Width() : kFallbackPieceWidth;
    const int h = strip->Height() ? strip->Height() : kFallbackPieceHeight;
    SetBounds(Left(), Top(), w / 3, h);
}

void TskCustomButton::StylePiece(int Item, TBitmap* Graphic, int Count, int Index) {
    SkinBitmap(fileTheme_, uiStyle_, Item, Graphic, Count, Index);
}

void TskCustomButton::GetNormalPic(TBitmap* Graphic) {
    StylePiece(tiButtonImage, Graphic, 3, 1);
}
void TskCustomButton::GetMouseOnPic(TBitmap* Graphic) {
    StylePiece(tiButtonImage, Graphic, 3, 2);
}
void TskCustomButton::GetMouseDownPic(TBitmap* Graphic) {
    StylePiece(tiButtonImage, Graphic, 3, 3);
}
void TskCustomButton::GetDisabledPic(TBitmap* Graphic) {
    StylePiece(tiButtonImage, Graphic, 3, 1);
}

// --- painting ------------------------------------------------------------------------------

void TskCustomButton::Paint() {
    ObjectPtr<TBitmap> picture = MakeObject<TBitmap>();
    try {
        if (!Enabled())
            GetDisabledPic(picture.get());
        else if (pressed_)
            GetMouseDownPic(picture.get());
        else if (hot_)
            GetMouseOnPic(picture.get());
        else
            GetNormalPic(picture.get());
    } catch (const Exception&) {
        // A skin or resource that does not load: a blank picture, and the rest as usual.
        picture = MakeObject<TBitmap>();
        picture->SetSize(kFallbackPieceWidth, kFallbackPieceHeight);
    }
    picture->SetTransparent(pictureTransparent_);
    const int w = Width(), h = Height();
    if (w <= 0 || h <= 0) return;
    ObjectPtr<TBitmap> buffer = MakeObject<TBitmap>();
    buffer->SetSize(w, h);
    TCanvas* c = buffer->Canvas();
    // See-through: the button's own parent (a tab sheet, a navigator, a tool bar, a form)
    // painted under the button's place, so what shows is exactly what lies behind it.
    DrawControlBackground(c, this, transparent_);
    DrawButtonImage(c, picture.get());
    picture.reset();
    if (Focused() && TabStop()) DrawButtonFocusRect(c);
    c->SetFont(Font());
    Canvas()->SetFont(Font());
    if (Caption().find_first_not_of(' ') != String::npos) DrawButtonCaption(c);
    Canvas()->Draw(0, 0, buffer.get());
}

void TskCustomButton::DrawButtonImage(TCanvas* Canvas, TBitmap* Picture) {
    if (!Picture || Picture->Width() <= 0 || Picture->Height() <= 0) return;
    ObjectPtr<TImageList> list = CreateUnowned<TImageList>();
    list->SetWidth(Picture->Width());
    list->SetHeight(Picture->Height());
    if (pictureTransparent_)
        list->AddMasked(Picture, Picture->Canvas()->Pixels(0, 0));
    else
        list->Add(Picture, nullptr);
    list->Draw(Canvas, 0, 0, 0, Enabled());
}

void TskCustomButton::DrawButtonCaption(TCanvas* Canvas) {
    Canvas->Brush()->SetStyle(bsClear);
    TRect r = ClientRect();
    Canvas->SetFont(Font());
    if (boldCaption_) Canvas->Font()->SetStyle(Canvas->Font()->Style() + TFontStyles{fsBold});
    // The caption is drawn with the flags it was measured with, so a wrapped caption stays
    // wrapped where it was centred.
    const UINT flags = DT_WORDBREAK | DT_EXPANDTABS;
    auto centred = [&](TRect area) {
        TRect measured = area;
        DrawCanvasText(Canvas, Caption(), measured, flags | DT_CALCRECT);
        const int dx = ((area.right - area.left) - (measured.right - measured.left)) / 2;
        const int dy = ((area.bottom - area.top) - (measured.bottom - measured.top)) / 2;
        OffsetRect(&measured, dx, dy);
        DrawCanvasText(Canvas, Caption(), measured, flags | DT_CENTER);
    };
    if (!Enabled()) {
        OffsetRect(&r, 1, 1);
        Canvas->Font()->SetColor(clWhite);
        centred(r);
        r = ClientRect();
        Canvas->Font()->SetColor(clGray);
    } else if (pressed_) {
        OffsetRect(&r, 1, 1);
    }
    centred(r);
    boldCaption_ = false;
}

void TskCustomButton::DrawButtonFocusRect(TCanvas* Canvas) {
    const int m = focusedRectMargin_;
    Canvas->Brush()->SetStyle(bsSolid);
    Canvas->DrawFocusRect(Rect(m, m, ClientWidth() - m, ClientHeight() - m));
}

// --- mouse, keys and the repeat timer ---------------------------------------------------------

void TskCustomButton::StartRepeat() {
    if (repeatTimer_) return;
    repeatTimer_ = CreateUnowned<TTimer>();
    repeatTimer_->SetInterval(Cardinal(std::max(repeatInterval_, 0)));
    repeatTimer_->SetOnTimer([this](TObject* Sender) { RepeatTick(Sender); });
    repeatTimer_->SetEnabled(true);
}

void TskCustomButton::StopRepeat() {
    repeatTimer_.reset();
}

void TskCustomButton::RepeatTick(TObject*) {
    // The handler may disable or free the button; nothing of it is touched afterwards.
    if (OnMouseContinuouslyDown) OnMouseContinuouslyDown(this);
}

void TskCustomButton::EndPress() {
    StopRepeat();
    if (pressed_) {
        pressed_ = false;
        Invalidate();
    }
}

void TskCustomButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (Button == mbLeft) {
        pressed_ = true;
        StartRepeat();
        if (TabStop() && CanFocus() && Enabled() && Visible()) {
            try {
                SetFocus();
            } catch (const Exception&) {
                // A button that cannot take the focus still takes the press.
            }
        }
        Invalidate();
    }
    inherited::MouseDown(Button, Shift, X, Y);
}

void TskCustomButton::MouseMove(TShiftState Shift, int X, int Y) {
    inherited::MouseMove(Shift, X, Y);
    if (X < 0 || Y < 0 || X > Width() || Y > Height()) {
        if (hot_ || pressed_) {
            hot_ = false;
            pressed_ = false;
            Invalidate();
        }
    }
}

void TskCustomButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    // Whatever the release did (a click, or nothing outside the button), the press is over.
    if (Button == mbLeft) EndPress();
    inherited::MouseUp(Button, Shift, X, Y);
}

void TskCustomButton::Click() {
    EndPress();
    if (Parent())
        if (TCustomForm* form = GetParentForm(this)) form->SetModalResult(modalResult_);
    inherited::Click();
}

void TskCustomButton::KeyDown(Word& Key, TShiftState Shift) {
    inherited::KeyDown(Key, Shift);
    if ((Key == VK_SPACE || Key == VK_RETURN) && Focused() && Enabled()) {
        pressed_ = true;
        Invalidate();
    }
}

void TskCustomButton::KeyUp(Word& Key, TShiftState Shift) {
    inherited::KeyUp(Key, Shift);
    if ((Key == VK_SPACE || Key == VK_RETURN) && Focused() && pressed_ && Enabled()) {
        pressed_ = false;
        Invalidate();
        Click();
    }
}

void TskCustomButton::ActionChange(TObject* Sender, bool CheckDefaults) {
    inherited::ActionChange(Sender, CheckDefaults);
    SetText(Text());
}

void TskCustomButton::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case WM_ERASEBKGND:
        Message.Result = 1;
        return;
    case CM_MOUSEENTER:
        inherited::Dispatch(Message);
        hot_ = true;
        Invalidate();
        return;
    case CM_MOUSELEAVE:
        inherited::Dispatch(Message);
        hot_ = false;
        EndPress();
        Invalidate();
        if (OnMouseExit) OnMouseExit(this);
        return;
    case CM_DIALOGKEY: {
        const bool enter = Message.WParam == VK_RETURN && activeDefault_;
        const bool esc = Message.WParam == VK_ESCAPE && cancel_;
        const bool modifiers = KeyboardShiftState().Contains(ssShift) ||
                               KeyboardShiftState().Contains(ssCtrl) ||
                               KeyboardShiftState().Contains(ssAlt);
        if ((enter || esc) && !modifiers && CanFocus()) {
            Click();
            Message.Result = 1;
            return;
        }
        inherited::Dispatch(Message);
        return;
    }
    case CM_DIALOGCHAR:
        inherited::Dispatch(Message);
        if (IsAccel(Word(Message.WParam), Caption()) && Enabled()) {
            Click();
            Message.Result = 1;
        } else {
            Message.Result = 0;
        }
        return;
    case CM_FOCUSCHANGED: {
        inherited::Dispatch(Message);
        auto* focused = reinterpret_cast<TWinControl*>(Message.LParam);
        if (dynamic_cast<TskButton*>(focused))
            activeDefault_ = focused == this;
        else
            activeDefault_ = default_;
        Invalidate();
        return;
    }
    case CM_TEXTCHANGED:
        inherited::Dispatch(Message);
        CaptionChanged();
        Invalidate();
        return;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        inherited::Dispatch(Message);
        Invalidate();
        return;
    default:
        inherited::Dispatch(Message);
    }
}
