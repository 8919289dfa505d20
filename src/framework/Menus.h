#pragma once
// Menus: the TMenuItem tree, the main menu a form shows in its menu bar, and the pop-up menu
// that tracks in a window of its own. Items are measured and drawn through virtuals that
// default to the item's OnMeasureItem / OnDrawItem and else to the framework's own look,
// so a descendant menu can restyle every item by setting the two handlers.
#include "framework/Controls.h"

#include <vector>

class TCanvas;
class TImageList;
class TMenu;
class TCustomForm;
class TMenuItem;
class TToolBar;

// A key with its modifiers: the virtual key in the low byte, the flags above it.
using TShortCut = Word;
constexpr TShortCut scNone = 0;
constexpr TShortCut scShift = 0x2000;
constexpr TShortCut scCtrl = 0x4000;
constexpr TShortCut scAlt = 0x8000;

TShortCut ShortCut(Word Key, TShiftState Shift);
void ShortCutToKey(TShortCut ShortCut, Word& Key, TShiftState& Shift);
// "Ctrl+Shift+S", "F5", "Del"; empty for scNone and keys without a name.
String ShortCutToText(TShortCut ShortCut);
// The reverse; scNone for text it does not know.
TShortCut TextToShortCut(const String& Text);
// The caption without its accelerator marks ("&&" stays one "&").
String StripHotkey(const String& Text);
// The accelerator letter of a caption (upper case), 0 when it has none.
char GetHotkey(const String& Text);

enum TMenuAutoFlag { maAutomatic, maManual, maParent };

using TMenuMeasureItemEvent =
    std::function<void(TObject* Sender, TCanvas* ACanvas, int& Width, int& Height)>;
using TMenuDrawItemEvent =
    std::function<void(TObject* Sender, TCanvas* ACanvas, const TRect& ARect, bool Selected)>;
using TMenuChangeEvent = std::function<void(TObject* Sender, TMenuItem* Source, bool Rebuild)>;

class TMenuItem : public TComponent {
    KORVID_CLASS(TMenuItem, TComponent)

    void Destroy() override;

    // --- the tree ---
    int Count() const { return int(items_.size()); }
    // EMenuError out of range.
    TMenuItem* Items(int Index) const;
    TMenuItem* Parent() const { return parent_; }
    int IndexOf(const TMenuItem* Item) const;
    int MenuIndex() const { return parent_ ? parent_->IndexOf(this) : -1; }
    // An item already in a tree, the item itself or one of its ancestors is refused with
    // EMenuError.
    void Add(TMenuItem* Item);
    void Insert(int Index, TMenuItem* Item);
    // Takes the item out of the tree and frees it.
    void Delete(int Index);
    // Takes the item out of the tree; the caller keeps it.
    void Remove(TMenuItem* Item);
    void Clear();
    // The menu the tree belongs to (nullptr for a loose tree).
    TMenu* GetParentMenu() const;

    // --- what it shows ---
    const String& Caption() const { return caption_; }
    void SetCaption(const String& Value);
    // The caption "-" makes a separator line.
    bool IsLine() const { return caption_ == "-"; }
    TShortCut ShortCut() const { return shortCut_; }
    void SetShortCut(TShortCut Value);
    bool Checked() const { return checked_; }
    // Checking a radio item unchecks the other radio items of its group.
    void SetChecked(bool Value);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool Value);
    bool Default() const { return default_; }
    void SetDefault(bool Value);
    bool Visible() const { return visible_; }
    void SetVisible(bool Value);
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int Value);
    bool RadioItem() const { return radioItem_; }
    void SetRadioItem(bool Value);
    int GroupIndex() const { return groupIndex_; }
    void SetGroupIndex(int Value);
    const String& Hint() const { return hint_; }
    void SetHint(const String& Value) { hint_ = Value; }
    TMenuAutoFlag AutoHotkeys() const { return autoHotkeys_; }
    void SetAutoHotkeys(TMenuAutoFlag Value) { autoHotkeys_ = Value; }

    TNotifyEvent OnClick;
    TMenuMeasureItemEvent OnMeasureItem;
    TMenuDrawItemEvent OnDrawItem;

    // Runs OnClick (only for an enabled item).
    virtual void Click();
    // Width and Height come in with the framework's own measures; the default hands them to
    // OnMeasureItem when set.
    virtual void MeasureItem(TCanvas* ACanvas, int& Width, int& Height);
    // Draws the item in ARect: OnDrawItem when set, else the framework's look.
    virtual void DrawItem(TCanvas* ACanvas, const TRect& ARect, bool Selected);
    // The framework's own item look (also for OnDrawItem handlers that add to it).
    void DefaultDrawItem(TCanvas* ACanvas, const TRect& ARect, bool Selected);
    void DefaultMeasureItem(TCanvas* ACanvas, int& Width, int& Height);

    // The item whose shortcut is the key, searched through this item's sub-tree (visible or
    // not, enabled or not); nullptr when none.
    TMenuItem* FindItemByShortCut(TShortCut Key);

protected:
    // Tells the menu of the tree that the item (or, with Rebuild, the tree's shape) changed.
    virtual void MenuChanged(bool Rebuild);

private:
    void TakeChild(int Index, TMenuItem* Item);
    void TurnSiblingsOff();

    TMenuItem* parent_ = nullptr;
    std::vector<TMenuItem*> items_;
    TMenu* menu_ = nullptr; // set on the root item only
    friend class TMenu;

    String caption_;
    TShortCut shortCut_ = scNone;
    bool checked_ = false;
    bool enabled_ = true;
    bool default_ = false;
    bool visible_ = true;
    int imageIndex_ = -1;
    bool radioItem_ = false;
    int groupIndex_ = 0;
    String hint_;
    TMenuAutoFlag autoHotkeys_ = maParent;
};

class TMenu : public TComponent {
    KORVID_CLASS(TMenu, TComponent)

    void Create(TComponent* AOwner) override;
    void Destroy() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

    // The invisible root whose sub-items are the menu's top-level items.
    TMenuItem* Items() const { return items_; }
    TImageList* Images() const { return images_; }
    virtual void SetImages(TImageList* Value);
    bool OwnerDraw() const { return ownerDraw_; }
    virtual void SetOwnerDraw(bool Value);
    // maManual keeps the captions' own accelerators; the framework never adds any itself,
    // so the flag is only stored for the skinned menus that read it.
    TMenuAutoFlag AutoHotkeys() const { return autoHotkeys_; }
    void SetAutoHotkeys(TMenuAutoFlag Value) { autoHotkeys_ = Value; }

    // A WM_KEYDOWN / WM_SYSKEYDOWN message with the keyboard's modifiers as they are now:
    // true when an enabled item's shortcut matched; its Click has run then (after its
    // parents' Click, as their sub-menus would open). A disabled match leaves the key alone.
    virtual bool IsShortCut(TMessage& Message);

    // Raised when an item of the tree (Source, nullptr for the whole menu) changed.
    TMenuChangeEvent OnChange;

    // Called by the items: OnChange, then the menu's own reaction.
    virtual void MenuChanged(TObject* Sender, TMenuItem* Source, bool Rebuild);

protected:
    TMenu() = default;

private:
    TMenuItem* items_ = nullptr; // owned, without a component owner
    TImageList* images_ = nullptr;
    bool ownerDraw_ = false;
    TMenuAutoFlag autoHotkeys_ = maAutomatic;
};

// The menu a form shows in its menu bar (TCustomForm::SetMenu): a flat tool bar across the
// top of the form, one button per top-level item, each dropping its sub-menu down.
class TMainMenu : public TMenu {
    KORVID_CLASS(TMainMenu, TMenu)

    void Destroy() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void MenuChanged(TObject* Sender, TMenuItem* Source, bool Rebuild) override;
    // The form showing the menu, nullptr when none does.
    TCustomForm* Form() const { return form_; }

private:
    friend class TCustomForm;
    friend bool MainMenuShortCut(TMainMenu* Menu, Word Key);
    void Attach(TCustomForm* form);
    void Detach();
    void RebuildBar();
    void RefreshBar();
    TCustomForm* form_ = nullptr;
    TToolBar* bar_ = nullptr; // owned by the form
};

enum TPopupAlignment { paLeft, paRight, paCenter };

class TPopupMenu : public TMenu {
    KORVID_CLASS(TPopupMenu, TMenu)

    // Shows the menu with its top-left corner at (X, Y) in screen coordinates (moved to stay
    // on the screen) and tracks it until an item is chosen or the menu is cancelled. Returns
    // after the menu closed; the chosen item's OnClick runs then, before Popup returns.
    virtual void Popup(int X, int Y);
    TPopupAlignment Alignment() const { return alignment_; }
    void SetAlignment(TPopupAlignment Value) { alignment_ = Value; }
    // The component the menu was shown for (set by whoever shows it).
    TComponent* PopupComponent() const { return popupComponent_; }
    void SetPopupComponent(TComponent* Value) { popupComponent_ = Value; }

    // Raised before the menu is shown (items can be changed there) and once it closed.
    TNotifyEvent OnPopup;
    TNotifyEvent OnClose;

private:
    TPopupAlignment alignment_ = paLeft;
    TComponent* popupComponent_ = nullptr;
};

KORVID_EXCEPTION(EMenuError, Exception);
