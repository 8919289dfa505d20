#pragma once
// TskPopupMenu: a context menu whose items the menu draws itself in its style: background,
// side bar, text, shortcut, check mark and image. Every item of the menu's tree gets the
// menu's measure and draw handlers, also items added later; items of other menus never do.
#include "skin/SKMenu.h"

class TskPopupMenu : public TPopupMenu, public TskMenuLookProperties {
    KORVID_CLASS(TskPopupMenu, TPopupMenu)

    static void DeclareProperties(Published<TskPopupMenu>& p);

    void Create(TComponent* AOwner) override;
    void Loaded() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void MenuChanged(TObject* Sender, TMenuItem* Source, bool Rebuild) override;

    // Always true; writing it changes nothing.
    void SetOwnerDraw(bool) override {}

    void SetUIStyle(TskUIStyle Value);
    void SetFileTheme(TskFileTheme* Value);

    void SetUseSystemFont(bool Value) { look_.UseSystemFont = Value; }

    // The handlers every item of the menu gets.
    void MeasureItem(TObject* Sender, TCanvas* ACanvas, int& Width, int& Height);
    void DrawItem(TObject* Sender, TCanvas* ACanvas, const TRect& ARect, bool Selected);
    void SetItemsOwnerDraw();

    const TskMenuLook& Look() const { return look_; }
};

// The check mark shared by every skinned pop-up menu.
TImageList* PopupCheckMarks();
