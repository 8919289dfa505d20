#include "skin/SKPopupMenu.h"

#include "framework/ImageList.h"

TImageList* PopupCheckMarks() {
    static ObjectPtr<TImageList> marks = MakeCheckMarkList();
    return marks.get();
}

void TskPopupMenu::DeclareProperties(Published<TskPopupMenu>& p) {
    p.Ordinal("OwnerDraw", &TskPopupMenu::OwnerDraw, &TskPopupMenu::SetOwnerDraw);
    DeclareMenuLookProperties(p);
}

void TskPopupMenu::Create(TComponent* AOwner) {
    inherited::Create(AOwner);
    TPopupMenu::SetOwnerDraw(true);
    SetUIStyle(GetOwnerUIStyle(AOwner));
}

void TskPopupMenu::Loaded() {
    inherited::Loaded();
    SetItemsOwnerDraw();
}

void TskPopupMenu::Notification(TComponent* AComponent, TOperation Operation) {
    inherited::Notification(AComponent, Operation);
    DropRemovedFileTheme(this, look_.FileTheme, AComponent, Operation);
}

void TskPopupMenu::MenuChanged(TObject* Sender, TMenuItem* Source, bool Rebuild) {
    // An item that joined this menu's tree is drawn by it too; nothing outside the tree is
    // touched, whoever owns it.
    if (Rebuild) SetItemsOwnerDraw();
    inherited::MenuChanged(Sender, Source, Rebuild);
}

void TskPopupMenu::SetItemsOwnerDraw() {
    SetMenuItemsOwnerDraw(
        Items(), [this](TObject* s, TCanvas* c, int& w, int& h) { MeasureItem(s, c, w, h); },
        [this](TObject* s, TCanvas* c, const TRect& r, bool sel) { DrawItem(s, c, r, sel); });
    // The invisible root is never drawn.
    Items()->OnMeasureItem = nullptr;
    Items()->OnDrawItem = nullptr;
}

void TskPopupMenu::SetUIStyle(TskUIStyle Value) {
    look_.ApplyStyle(Value);
}

void TskPopupMenu::SetFileTheme(TskFileTheme* Value) {
    LinkFileTheme(this, look_.FileTheme, Value);
    SetUIStyle(look_.UIStyle);
}

void TskPopupMenu::MeasureItem(TObject* Sender, TCanvas* ACanvas, int& Width, int& Height) {
    if (auto* item = dynamic_cast<TMenuItem*>(Sender)) look_.Measure(item, ACanvas, Width, Height);
}

void TskPopupMenu::DrawItem(TObject* Sender, TCanvas* ACanvas, const TRect& ARect, bool Selected) {
    if (auto* item = dynamic_cast<TMenuItem*>(Sender))
        look_.Draw(item, ACanvas, ARect, Selected, Images(), PopupCheckMarks());
}
