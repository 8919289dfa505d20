#include "skin/SKCheckBox.h"

#include "framework/Label.h"
#include "platform/gdi/Gdi.h"
#include "platform/user/Input.h"
#include "platform/user/MessageQueue.h"
#include "rtl/AssignIfChanged.h"

#include <algorithm>

namespace {
// Posted to itself by a check box whose paint found it at the wrong size: the new size is
// taken once the paint is over, so painting never re-enters itself.
constexpr UINT CM_SKINAUTOSIZE = CM_BASE + 0x180;
} // namespace

void TskCheckBox::DeclareProperties(Published<TskCheckBox>& p) {
    p.Ordinal("UIStyle", &TskCheckBox::UIStyle, &TskCheckBox::SetUIStyle);
    p.Object("FileTheme", &TskCheckBox::FileTheme, &TskCheckBox::SetFileTheme);
    p.Ordinal("Checked", &TskCheckBox::Checked, &TskCheckBox::SetChecked);
    p.Ordinal("Transparent", &TskCheckBox::Transparent, &TskCheckBox::SetTransparent);
    p.Text("Caption", &TskCheckBox::Caption, &TskCheckBox::SetText);
}

void TskCheckBox::Create(TComponent* AOwner) {
    inherited::Create(AOwner);
    ControlStyle().Exclude(csDoubleClicks);
    SetColor(clWindow);
    inherited::SetAutoSize(true);
    SetBounds(Left(), Top(), 93, 17);
    SetTabStop(true);
    uiStyle_ = GetOwnerUIStyle(AOwner);
}

void TskCheckBox::Destroy() {
    LinkFileTheme(this, fileTheme_, nullptr);
    inherited::Destroy();
}

void TskCheckBox::SetChecked(bool v) {
    if (!AssignIfChanged(checked_, v)) return;
    Invalidate();
    CheckedChanged();
}

void TskCheckBox::RaiseClick() {
    if (ComponentState().Contains(csLoading)) return;
    if (OnClick) OnClick(this);
}

void TskCheckBox::CheckedChanged() {
    RaiseClick();
}

void TskCheckBox::ToggleChecked() {
    ToggleHook();
    SetChecked(!checked_);
}

void TskCheckBox::SetAutoSize(bool v) {
    inherited::SetAutoSize(v);
    Invalidate();
}

void TskCheckBox::SetTransparent(bool v) {
    transparent_ = v;
    Invalidate();
}

void TskCheckBox::SetUIStyle(TskUIStyle v) {
    uiStyle_ = v;
    Invalidate();
}

void TskCheckBox::SetFileTheme(TskFileTheme* v) {
    LinkFileTheme(this, fileTheme_, v);
    SetUIStyle(uiStyle_);
}

void TskCheckBox::SetEnabled(bool v) {
    inherited::SetEnabled(v);
    Invalidate();
}

void TskCheckBox::Notification(TComponent* AComponent, TOperation Operation) {
    inherited::Notification(AComponent, Operation);
    DropRemovedFileTheme(this, fileTheme_, AComponent, Operation);
}

bool TskCheckBox::WantFocusRect() {
    return TabStop() && Focused();
}

void TskCheckBox::Click() {
    // The published OnClick comes from the change of Checked, not from the click itself.
    ToggleChecked();
}

TSize TskCheckBox::AutoSizeFor(TBitmap* Picture, TCanvas* Canvas) {
    const int th = Canvas->TextHeight("W");
    const int h = std::max(th + 2, Picture->Height()) + 4;
    const int w = Picture->Width() + Canvas->TextWidth(Text()) + 8;
    return TSize{w, h};
}

void TskCheckBox::Paint() {
    ObjectPtr<TBitmap> picture = MakeObject<TBitmap>();
    const int piece = Enabled() ? (checked_ ? 1 : 2) : (checked_ ? 3 : 4);
    ObjectPtr<TBitmap> buffer = MakeObject<TBitmap>();
    buffer->Canvas()->SetFont(Font());
    SkinBitmap(fileTheme_, uiStyle_, ImageItem(), picture.get(), 4, piece);
    picture->SetTransparent(ImageTransparent());
    if (AutoSize()) {
        TSize want = AutoSizeFor(picture.get(), buffer->Canvas());
        if ((want.cx != Width() || want.cy != Height()) && HandleAllocated() &&
            !(resizePending_ && pendingSize_.cx == want.cx && pendingSize_.cy == want.cy)) {
            resizePending_ = true;
            pendingSize_ = want;
            PostMessage(Handle(), CM_SKINAUTOSIZE, 0, 0);
        }
    }
    const int w = Width(), h = Height();
    if (w <= 0 || h <= 0) return;
    buffer->SetSize(w, h);
    TCanvas* c = buffer->Canvas();
    DrawControlBackground(c, this, transparent_);
    c->Draw(1, (h - picture->Height()) / 2, picture.get());
    c->Brush()->SetStyle(bsClear);
    c->SetFont(Font());
    const int tx = picture->Width() + 4, th = c->TextHeight("W");
    const int ty = (h - th) / 2;
    TRect r = Rect(tx, ty, w, h);
    DrawCanvasText(c, Text(), r, DT_SINGLELINE);
    if (WantFocusRect()) {
        c->Brush()->SetStyle(bsSolid);
        c->DrawFocusRect(Rect(tx - 1, ty, w, ty + th + 2));
    }
    Canvas()->Draw(0, 0, buffer.get());
}

void TskCheckBox::TryFocus() {
    if (!CanFocus() || !Enabled() || !Visible()) return;
    try {
        SetFocus();
    } catch (const Exception&) {
        // A control that cannot take the focus still toggles.
    }
}

void TskCheckBox::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    inherited::MouseDown(Button, Shift, X, Y);
    if (Button == mbLeft) TryFocus();
}

void TskCheckBox::KeyUp(Word& Key, TShiftState Shift) {
    inherited::KeyUp(Key, Shift);
    if (KeyUpToggles() && (Key == VK_SPACE || Key == VK_RETURN) && Focused() && Enabled()) {
        Invalidate();
        Click();
    }
}

void TskCheckBox::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case WM_ERASEBKGND:
        Message.Result = 1;
        return;
    case CM_SKINAUTOSIZE:
        if (resizePending_) {
            resizePending_ = false;
            if (AutoSize()) SetBounds(Left(), Top(), pendingSize_.cx, pendingSize_.cy);
        }
        return;
    case CM_DIALOGCHAR:
        inherited::Dispatch(Message);
        if (IsAccel(Word(Message.WParam), Text()) && Enabled()) {
            TryFocus();
            Click();
            Message.Result = 1;
        } else {
            Message.Result = 0;
        }
        return;
    case CM_FOCUSCHANGED:
    case CM_FONTCHANGED:
    case CM_TEXTCHANGED:
    case WM_KILLFOCUS:
    case WM_SETFOCUS:
        inherited::Dispatch(Message);
        Invalidate();
        return;
    default:
        inherited::Dispatch(Message);
    }
}

// --- TskRadioButton ------------------------------------------------------------------------

void TskRadioButton::DeclareProperties(Published<TskRadioButton>& p) {
    p.Ordinal("GroupIndex", &TskRadioButton::GroupIndex, &TskRadioButton::SetGroupIndex);
}

void TskRadioButton::Create(TComponent* AOwner) {
    inherited::Create(AOwner);
    ControlStyle().Include(csDoubleClicks);
}

void TskRadioButton::CheckedChanged() {
    if (!Checked()) return;
    if (TWinControl* parent = Parent()) {
        for (int i = 0; i < parent->ControlCount(); ++i) {
            auto* sibling = dynamic_cast<TskRadioButton*>(parent->Controls(i));
            if (sibling && sibling != this && sibling->GroupIndex() == groupIndex_)
                sibling->SetChecked(false);
        }
    }
    RaiseClick();
}

void TskRadioButton::ToggleChecked() {
    if (!Checked()) SetChecked(true);
}

void TskRadioButton::Dispatch(TMessage& Message) {
    if (Message.Msg != WM_SETFOCUS) {
        inherited::Dispatch(Message);
        return;
    }
    inherited::Dispatch(Message);
    // Focus moving here from a button of a radio group checks this one.
    HWND from = reinterpret_cast<HWND>(Message.WParam);
    if (!from || (HandleAllocated() && from == Handle())) return;
    char name[261] = {};
    if (GetClassName(from, name, 260) > 0 && String(name) == "TskRadioGroupButton") Click();
}
