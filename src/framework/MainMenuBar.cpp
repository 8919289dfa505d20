// The form's menu bar: TCustomForm::SetMenu and the TMainMenu side of it.
#include "framework/Forms.h"
#include "framework/Menus.h"
#include "framework/ToolBar.h"

void TCustomForm::SetMenu(TMainMenu* Value) {
    if (menu_ == Value) return;
    if (Value && Value->form_ && Value->form_ != this) Value->form_->SetMenu(nullptr);
    if (TMainMenu* old = menu_) {
        menu_ = nullptr;
        old->Detach();
    }
    menu_ = Value;
    if (Value) Value->Attach(this);
}

void TMainMenu::Attach(TCustomForm* form) {
    form_ = form;
    FreeNotification(form);
    // An MDI child's menu is the frame's to show, never a bar inside the child.
    if (form->ComponentState().Contains(csDestroying) || form->FormStyle() == fsMDIChild) return;
    bar_ = CreateComponent<TToolBar>(form);
    FreeNotification(bar_);
    bar_->SetFlat(true);
    bar_->SetShowCaptions(true);
    bar_->SetEdgeBorders(TEdgeBorders{});
    bar_->SetWrapable(true);
    bar_->SetColor(clMenuBar);
    bar_->SetAlign(alTop);
    bar_->SetTop(0);
    bar_->SetParent(form);
    bar_->SetAutoSize(true);
    RebuildBar();
}

void TMainMenu::Detach() {
    if (TToolBar* bar = bar_) {
        bar_ = nullptr;
        RemoveFreeNotification(bar);
        bar->Free();
    }
    if (form_) {
        RemoveFreeNotification(form_);
        form_ = nullptr;
    }
}

void TMainMenu::RebuildBar() {
    if (!bar_) return;
    while (bar_->ButtonCount() > 0)
        bar_->Buttons(bar_->ButtonCount() - 1)->Free();
    // A button made without a place goes first, so the items go in from the last.
    for (int i = Items()->Count() - 1; i >= 0; --i) {
        TMenuItem* item = Items()->Items(i);
        auto* button = CreateComponent<TToolButton>(bar_);
        button->SetGrouped(true);
        button->SetAutoSize(true);
        button->SetVisible(item->Visible());
        button->SetParent(bar_);
        button->SetMenuItem(item);
    }
}

void TMainMenu::RefreshBar() {
    if (!bar_) return;
    for (int i = 0; i < bar_->ButtonCount(); ++i) {
        TToolButton* b = bar_->Buttons(i);
        if (TMenuItem* item = b->MenuItem()) {
            b->SetCaption(item->Caption());
            b->SetEnabled(item->Enabled());
        }
    }
}

void TMainMenu::Destroy() {
    if (form_) form_->SetMenu(nullptr);
    inherited::Destroy();
}

void TMainMenu::Notification(TComponent* AComponent, TOperation Operation) {
    inherited::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (AComponent == bar_) bar_ = nullptr;
    if (AComponent && AComponent == form_) {
        // The form is going: its bar goes with it, and it shows no menu any more.
        form_->SetMenu(nullptr);
    }
}

void TMainMenu::MenuChanged(TObject* Sender, TMenuItem* Source, bool Rebuild) {
    inherited::MenuChanged(Sender, Source, Rebuild);
    if (!bar_ || ComponentState().Contains(csDestroying)) return;
    // Only the top-level items are buttons; deeper changes show when a sub-menu opens.
    bool topLevel = Source == nullptr || Source == Items() || Source->Parent() == Items();
    if (Rebuild && (Source == Items() || Source == nullptr || topLevel))
        RebuildBar();
    else if (topLevel)
        RefreshBar();
}

bool MainMenuShortCut(TMainMenu* Menu, Word Key) {
    TMessage m;
    m.Msg = KeyboardShiftState().Contains(ssAlt) ? WM_SYSKEYDOWN : WM_KEYDOWN;
    m.WParam = Key;
    if (Menu->IsShortCut(m)) return true;
    return Menu->bar_ && Menu->bar_->MenuKey(Key, m.Msg == WM_SYSKEYDOWN);
}
