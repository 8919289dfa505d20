#pragma once
// TskMainMenu: a form's main menu that is never the form's own menu bar: the TskForm on the
// form shows its top-level items as buttons of its menu bar, and the drop-down items are
// drawn by the menu in its style, as TskPopupMenu draws its items.
#include "skin/SKMenu.h"

class TskForm;

class TskMainMenu : public TMainMenu, public TskMenuLookProperties {
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

    void SetUIStyle(TskUIStyle Value) { look_.ApplyStyle(Value); }
    void SetFileTheme(TskFileTheme* Value);
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
    ObjectPtr<TImageList> checks_;
    TskForm* skinForm_ = nullptr;
};
