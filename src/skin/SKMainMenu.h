#pragma once
// TskMainMenu: a form's main menu that is never the form's own menu bar: the TskForm on the
// form shows its top-level items as buttons of its menu bar, and the drop-down items are
// drawn by the menu in its style, as TskPopupMenu draws its items.
#include "skin/SKMenu.h"

class TskForm;

class TskMainMenu : public TMainMenu {
    KORVID_CLASS(TskMainMenu, TMainMenu)

    static void DeclareProperties(Published<TskMainMenu>& p);

    void Create(TComponent* AOwner) override;
    void AfterConstruction() override;
    void Destroy() override;
    void Loaded() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void MenuChanged(TObject* Sender, TMenuItem* Source, bool Rebuild) override;

    void SetOwnerDraw(bool) override {}

    // The item images: nil when only the menu's own check-mark list is set.
    TImageList* Images() const;
    // nil selects the menu's own check-mark list.
    void SetImages(TImageList* Value) override;
    TImageList* CheckMarks() const { return checks_.get(); }

    TskUIStyle UIStyle() const { return look_.UIStyle; }
    void SetUIStyle(TskUIStyle Value) { look_.ApplyStyle(Value); }
    TskFileTheme* FileTheme() const { return look_.FileTheme; }
    void SetFileTheme(TskFileTheme* Value);
    int MenuItemHeight() const { return look_.MenuItemHeight; }
    void SetMenuItemHeight(int Value) { look_.SetMenuItemHeight(Value); }
    int SeparatorHeight() const { return look_.SeparatorHeight; }
    void SetSeparatorHeight(int Value) { look_.SetSeparatorHeight(Value); }
    const String& FontName() const { return look_.FontName; }
    void SetFontName(const String& Value) { look_.FontName = Value; }
    int FontSize() const { return look_.FontSize; }
    void SetFontSize(int Value) { look_.FontSize = Value; }
    TFontCharset FontCharset() const { return look_.FontCharset; }
    void SetFontCharset(TFontCharset Value) { look_.FontCharset = Value; }
    bool UseSystemFont() const { return look_.UseSystemFont; }
    // The showing form's menu bar takes the new font.
    void SetUseSystemFont(bool Value);
    TskMenuLook& Look() { return look_; }

    // The form that shows the menu (set by its Menu setter).
    TskForm* SkinForm() const { return skinForm_; }
    void SetSkinForm(TskForm* Form) { skinForm_ = Form; }

    void MeasureItem(TObject* Sender, TCanvas* ACanvas, int& Width, int& Height);
    void DrawItem(TObject* Sender, TCanvas* ACanvas, const TRect& ARect, bool Selected);
    void SetItemsOwnerDraw();

private:
    TskMenuLook look_;
    ObjectPtr<TImageList> checks_;
    TskForm* skinForm_ = nullptr;
};
