#include "skin/SKMainMenu.h"

#include "framework/ImageList.h"
#include "skin/SKForm.h"

void TskMainMenu::DeclareProperties(Published<TskMainMenu>& p) {
    DeclareMenuLookProperties(p);
    p.Object("Images", &TskMainMenu::Images, &TskMainMenu::SetImages);
}

void TskMainMenu::Create(TComponent* AOwner) {
    inherited::Create(AOwner);
    checks_ = MakeCheckMarkList();
    TMainMenu::SetImages(checks_.get());
    TMainMenu::SetOwnerDraw(true);
    SetUIStyle(GetOwnerUIStyle(AOwner));
}

void TskMainMenu::AfterConstruction() {
    inherited::AfterConstruction();
    auto* form = dynamic_cast<TCustomForm*>(Owner());
    if (!form) return;
    if (form->Menu() == this) form->SetMenu(nullptr);
    for (int i = 0; i < form->ControlCount(); ++i)
        if (auto* skin = dynamic_cast<TskForm*>(form->Controls(i))) {
            skin->SetMenu(this);
            break;
        }
}

void TskMainMenu::Destroy() {
    if (skinForm_) {
        TskForm* form = skinForm_;
        skinForm_ = nullptr;
        if (form->Menu() == this) form->SetMenu(nullptr);
    }
    TMainMenu::SetImages(nullptr);
    inherited::Destroy();
    checks_.reset();
}

void TskMainMenu::Loaded() {
    inherited::Loaded();
    SetItemsOwnerDraw();
    if (skinForm_) skinForm_->RebuildMenuBar();
}

void TskMainMenu::Notification(TComponent* AComponent, TOperation Operation) {
    inherited::Notification(AComponent, Operation);
    DropRemovedFileTheme(this, look_.FileTheme, AComponent, Operation);
}

void TskMainMenu::MenuChanged(TObject* Sender, TMenuItem* Source, bool Rebuild) {
    if (Rebuild) SetItemsOwnerDraw();
    inherited::MenuChanged(Sender, Source, Rebuild);
    if (!skinForm_ || ComponentState().Contains(csLoading)) return;
    // A change to the tree's shape may add or take away top-level items: the bar is made
    // again; any other change only refreshes the buttons' captions and states.
    if (Rebuild) {
        skinForm_->RebuildMenuBar();
    } else {
        skinForm_->RefreshMenuButtons();
    }
}

TImageList* TskMainMenu::Images() const {
    TImageList* list = TMainMenu::Images();
    return list == checks_.get() ? nullptr : list;
}

void TskMainMenu::SetImages(TImageList* Value) {
    TMainMenu::SetImages(Value ? Value : checks_.get());
}

void TskMainMenu::SetFileTheme(TskFileTheme* Value) {
    LinkFileTheme(this, look_.FileTheme, Value);
    SetUIStyle(look_.UIStyle);
}

void TskMainMenu::SetUseSystemFont(bool Value) {
    look_.UseSystemFont = Value;
    if (skinForm_) skinForm_->UpdateMenuBarFont();
}

void TskMainMenu::SetItemsOwnerDraw() {
    SetMenuItemsOwnerDraw(
        Items(), [this](TObject* s, TCanvas* c, int& w, int& h) { MeasureItem(s, c, w, h); },
        [this](TObject* s, TCanvas* c, const TRect& r, bool sel) { DrawItem(s, c, r, sel); });
    Items()->OnMeasureItem = nullptr;
    Items()->OnDrawItem = nullptr;
}

void TskMainMenu::MeasureItem(TObject* Sender, TCanvas* ACanvas, int& Width, int& Height) {
    if (auto* item = dynamic_cast<TMenuItem*>(Sender)) look_.Measure(item, ACanvas, Width, Height);
}

void TskMainMenu::DrawItem(TObject* Sender, TCanvas* ACanvas, const TRect& ARect, bool Selected) {
    if (auto* item = dynamic_cast<TMenuItem*>(Sender))
        look_.Draw(item, ACanvas, ARect, Selected, Images(), checks_.get());
}
