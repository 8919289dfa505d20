#include "skin/SKTitleBarParts.h"

#include "framework/MessageDialogs.h"
#include "rtl/AssignIfChanged.h"
#include "skin/SKTitleBar.h"

#include <utility>

void ShowSkinError(const String& Text) {
    MessageDlg(Text, mtError, TMsgDlgButtons{mbOK}, 0);
}

// --- sections ------------------------------------------------------------------------------

TskTitleBarSection::TskTitleBarSection() : picture_(MakeObject<TPicture>()) {
    picture_->OnChange = [this](TObject*) { Changed(false); };
}

TskTitleBarSection::~TskTitleBarSection() = default;

TskTitleBar* TskTitleBarSection::TitleBar() const {
    auto* c = dynamic_cast<TskTitleBarSections*>(Collection());
    return c ? c->TitleBar() : nullptr;
}

void TskTitleBarSection::Assign(TPersistent* Source) {
    auto* s = dynamic_cast<TskTitleBarSection*>(Source);
    if (!s) {
        inherited::Assign(Source);
        return;
    }
    width_ = s->width_;
    align_ = s->align_;
    picture_->Assign(s->picture_.get());
    stretch_ = s->stretch_;
    autoSize_ = s->autoSize_;
    Changed(false);
}

void TskTitleBarSection::SetWidth(int Value) {
    if (AssignIfChanged(width_, Value)) Changed(false);
}

void TskTitleBarSection::SetAlign(TskTitleBarAlign Value) {
    if (align_ == Value) return; // no change is never a second client section
    if (Value == skClient && Collection()) {
        for (int i = 0; i < Collection()->Count(); ++i) {
            auto* other = static_cast<TskTitleBarSection*>(Collection()->Items(i));
            if (other != this && other->align_ == skClient) {
                ShowSkinError("Sorry, only one section's Align property can be \"skClient\"");
                return;
            }
        }
    }
    align_ = Value;
    if (align_ == skClient) stretch_ = true;
    Changed(false);
}

void TskTitleBarSection::SetPicture(TPicture* Value) {
    picture_->Assign(Value);
    if (autoSize_) width_ = picture_->Width();
    Changed(false);
}

void TskTitleBarSection::SetStretch(bool Value) {
    if (align_ == skClient) Value = true;
    if (AssignIfChanged(stretch_, Value)) Changed(false);
}

void TskTitleBarSection::SetAutoSize(bool Value) {
    autoSize_ = Value;
    if (picture_->Graphic()) width_ = picture_->Width();
    Changed(false);
}

TskTitleBarPartList::TskTitleBarPartList(ItemFactory MakeItem, TskTitleBar* Bar)
    : TCollection(std::move(MakeItem)), bar_(Bar) {}

TPersistent* TskTitleBarPartList::GetOwner() {
    return bar_;
}

void TskTitleBarPartList::Update(TCollectionItem*) {
    if (bar_ && !bar_->ComponentState().Contains(csDestroying)) bar_->Invalidate();
}

TskTitleBarSections::TskTitleBarSections(TskTitleBar* Bar)
    : TskTitleBarPartList(ItemsOf<TskTitleBarSection>(), Bar) {}

// --- buttons -------------------------------------------------------------------------------

TskTitleBarButton::TskTitleBarButton()
    : normal_(MakeObject<TPicture>()), mouseOn_(MakeObject<TPicture>()),
      mouseDown_(MakeObject<TPicture>()) {}

TskTitleBarButton::~TskTitleBarButton() = default;

TskTitleBar* TskTitleBarButton::TitleBar() const {
    auto* c = dynamic_cast<TskTitleBarButtons*>(Collection());
    return c ? c->TitleBar() : nullptr;
}

void TskTitleBarButton::Repaint() {
    Changed(false);
}

void TskTitleBarButton::Assign(TPersistent* Source) {
    auto* s = dynamic_cast<TskTitleBarButton*>(Source);
    if (!s) {
        inherited::Assign(Source);
        return;
    }
    visible_ = s->visible_;
    buttonType_ = s->buttonType_;
    transparent_ = s->transparent_;
    top_ = s->top_;
    uiStyle_ = s->uiStyle_;
    normal_->Assign(s->normal_.get());
    mouseOn_->Assign(s->mouseOn_.get());
    mouseDown_->Assign(s->mouseDown_.get());
    SetControlBoxMenu(s->controlBoxMenu_);
    Repaint();
}

void TskTitleBarButton::SetVisible(bool Value) {
    if (AssignIfChanged(visible_, Value)) Repaint();
}

void TskTitleBarButton::SetButtonType(TskTitleBarBtnType Value) {
    if (buttonType_ == Value) return; // the same type again is accepted silently
    if (Value == skControlBox && Collection()) {
        for (int i = 0; i < Collection()->Count(); ++i) {
            auto* other = static_cast<TskTitleBarButton*>(Collection()->Items(i));
            if (other != this && other->buttonType_ == skControlBox) {
                ShowSkinError(
                    "Sorry, only one button's ButtonType property can be \"skControlBox\"");
                return;
            }
        }
    }
    buttonType_ = Value;
    ApplyStyle();
}

void TskTitleBarButton::SetTransparent(bool Value) {
    if (AssignIfChanged(transparent_, Value)) Repaint();
}

void TskTitleBarButton::SetTop(int Value) {
    if (AssignIfChanged(top_, Value)) Repaint();
}

void TskTitleBarButton::SetUIStyle(TskUIStyle Value) {
    uiStyle_ = Value;
    ApplyStyle();
}

void TskTitleBarButton::SetPicNormal(TPicture* Value) {
    normal_->Assign(Value);
    Repaint();
}
void TskTitleBarButton::SetPicMouseOn(TPicture* Value) {
    mouseOn_->Assign(Value);
    Repaint();
}
void TskTitleBarButton::SetPicMouseDown(TPicture* Value) {
    mouseDown_->Assign(Value);
    Repaint();
}

void TskTitleBarButton::SetControlBoxMenu(TPopupMenu* Value) {
    if (controlBoxMenu_ == Value) return;
    TskTitleBar* bar = TitleBar();
    if (controlBoxMenu_ && bar) controlBoxMenu_->RemoveFreeNotification(bar);
    controlBoxMenu_ = Value;
    // The bar hears when the menu goes and clears the reference.
    if (controlBoxMenu_ && bar) controlBoxMenu_->FreeNotification(bar);
}

void TskTitleBarButton::LoadPieces(int first) {
    TskTitleBar* bar = TitleBar();
    TskFileTheme* theme = bar ? bar->FileTheme() : nullptr;
    TPicture* pictures[3] = {normal_.get(), mouseOn_.get(), mouseDown_.get()};
    for (int k = 0; k < 3; ++k) {
        auto piece = MakeObject<TBitmap>();
        SkinBitmap(theme, uiStyle_, tiTitleBarButtonImage, piece.get(), kTitleButtonPieces,
                   first + k);
        pictures[k]->Assign(piece.get());
    }
}

void TskTitleBarButton::ApplyStyle() {
    TskTitleBar* bar = TitleBar();
    TskFileTheme* theme = bar ? bar->FileTheme() : nullptr;
    transparent_ = SkinBool(theme, uiStyle_, tiTitleBarButtonTransparentBool);
    switch (buttonType_) {
    case skControlBox:
        LoadPieces(kControlBoxPiece);
        break;
    case skHelp:
        LoadPieces(kHelpPiece);
        break;
    case skMax:
        LoadPieces(kMaximizePiece);
        break;
    case skMin:
        LoadPieces(kMinimizePiece);
        break;
    case skClose:
        LoadPieces(kClosePiece);
        break;
    case skCustom:
        break;
    }
    top_ = SkinInt(theme, uiStyle_, tiTitleBarButtonTopInt);
    if (buttonType_ == skMax) UpdateMaxGlyph();
    Repaint();
}

void TskTitleBarButton::UpdateMaxGlyph() {
    TskTitleBar* bar = TitleBar();
    if (buttonType_ != skMax || (bar && bar->Custom())) return;
    TCustomForm* form = bar ? bar->ParentForm() : nullptr;
    const bool maximized = form && form->WindowState() == wsMaximized;
    LoadPieces(maximized ? kRestorePiece : kMaximizePiece);
    Repaint();
}

void TskTitleBarButton::Click() {
    TskTitleBar* bar = TitleBar();
    TCustomForm* form = bar ? bar->ParentForm() : nullptr;
    if (!form) return;
    switch (buttonType_) {
    case skMax:
        if (form->WindowState() == wsMaximized) {
            form->SetWindowState(wsNormal);
        } else {
            form->SetWindowState(wsMaximized);
            if (!bar->IsOnSkinnedForm()) {
                TRect area;
                GetWorkAreaRect(area);
                area.bottom -= 1;
                SetControlBounds(form, area);
            }
        }
        UpdateMaxGlyph();
        break;
    case skMin:
        MinimizeForm(form);
        break;
    case skClose:
        form->Close();
        break;
    case skControlBox:
        if (controlBoxMenu_) {
            TPoint at = bar->ClientToScreen(Point(0, bar->Height()));
            controlBoxMenu_->Popup(at.x, at.y);
        }
        break;
    case skHelp:
    case skCustom:
        break;
    }
}

TskTitleBarButtons::TskTitleBarButtons(TskTitleBar* Bar)
    : TskTitleBarPartList(ItemsOf<TskTitleBarButton>(), Bar) {}
