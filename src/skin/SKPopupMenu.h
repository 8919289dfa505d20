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

    int BarWidth() const { return look_.BarWidth; }
    void SetBarWidth(int Value) { look_.BarWidth = Value; }
    TColor BarColor() const { return look_.BarColor; }
    void SetBarColor(TColor Value) { look_.BarColor = Value; }
    TColor Color() const { return look_.Color; }
    void SetColor(TColor Value) { look_.Color = Value; }
    TColor SeparatorColor() const { return look_.SeparatorColor; }
    void SetSeparatorColor(TColor Value) { look_.SeparatorColor = Value; }
    TColor SelectedBorderColor() const { return look_.SelectedBorderColor; }
    void SetSelectedBorderColor(TColor Value) { look_.SelectedBorderColor = Value; }
    TColor SelectedColor() const { return look_.SelectedColor; }
    void SetSelectedColor(TColor Value) { look_.SelectedColor = Value; }
    TColor SelectedFontColor() const { return look_.SelectedFontColor; }
    void SetSelectedFontColor(TColor Value) { look_.SelectedFontColor = Value; }
    TColor FontColor() const { return look_.FontColor; }
    void SetFontColor(TColor Value) { look_.FontColor = Value; }
    TColor BorderColor() const { return look_.BorderColor; }
    void SetBorderColor(TColor Value) { look_.BorderColor = Value; }
    bool FlatMenu() const { return look_.FlatMenu; }
    void SetFlatMenu(bool Value) { look_.FlatMenu = Value; }
    void SetUseSystemFont(bool Value) { look_.UseSystemFont = Value; }

    // The handlers every item of the menu gets.
    void MeasureItem(TObject* Sender, TCanvas* ACanvas, int& Width, int& Height);
    void DrawItem(TObject* Sender, TCanvas* ACanvas, const TRect& ARect, bool Selected);
    void SetItemsOwnerDraw();

    const TskMenuLook& Look() const { return look_; }
};

// The check mark shared by every skinned pop-up menu.
TImageList* PopupCheckMarks();
