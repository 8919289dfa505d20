#pragma once
// TToolBar and TToolButton: a row (or rows, when wrapping) of flat or raised buttons with
// images and captions. The bar paints every button itself, first offering each one to
// OnCustomDrawButton, so a descendant can draw some states and leave the rest to the
// framework. A button bound to a menu item drops the item's sub-menu down below itself;
// while it is open, moving onto another such button (or Left/Right) moves the menu there.
#include "framework/CustomControl.h"
#include "framework/Menus.h"

class TImageList;
class TPopupMenu;
class TToolBar;

enum TToolButtonStyle { tbsButton, tbsCheck, tbsDropDown, tbsSeparator, tbsDivider };

enum TCustomDrawStateFlag {
    cdsSelected,
    cdsGrayed,
    cdsDisabled,
    cdsChecked,
    cdsFocused,
    cdsDefault,
    cdsHot,
    cdsMarked,
    cdsIndeterminate
};
using TCustomDrawState = TSet<TCustomDrawStateFlag>;

enum TEdgeBorder { ebLeft, ebTop, ebRight, ebBottom };
using TEdgeBorders = TSet<TEdgeBorder>;
enum TEdgeStyle { esNone, esRaised, esLowered };

using TTBCustomDrawEvent =
    std::function<void(TToolBar* Sender, const TRect& ARect, bool& DefaultDraw)>;
using TTBCustomDrawBtnEvent = std::function<void(TToolBar* Sender, class TToolButton* Button,
                                                 TCustomDrawState State, bool& DefaultDraw)>;

class TToolButton : public TGraphicControl {
    KORVID_CLASS(TToolButton, TGraphicControl)

    void Create(TComponent* AOwner) override;
    void Destroy() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

    TToolButtonStyle Style() const { return style_; }
    void SetStyle(TToolButtonStyle Value);
    // A checked button in a group releases the others of the group (neighbours with Grouped
    // and tbsCheck, up to a separator).
    bool Grouped() const { return grouped_; }
    void SetGrouped(bool Value) { grouped_ = Value; }
    bool AllowAllUp() const { return allowAllUp_; }
    void SetAllowAllUp(bool Value) { allowAllUp_ = Value; }
    bool Down() const { return down_; }
    void SetDown(bool Value);
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int Value);
    bool Indeterminate() const { return indeterminate_; }
    void SetIndeterminate(bool Value);
    bool Marked() const { return marked_; }
    void SetMarked(bool Value);
    // Starts a new row after this button when the bar wraps.
    bool Wrap() const { return wrap_; }
    void SetWrap(bool Value);
    // Takes the item's caption, hint, image and enabled state; a click runs the item, or
    // drops its sub-menu down when it has one.
    TMenuItem* MenuItem() const { return menuItem_; }
    void SetMenuItem(TMenuItem* Value);
    TPopupMenu* DropdownMenu() const { return dropdownMenu_; }
    void SetDropdownMenu(TPopupMenu* Value);
    // The button's place in its bar (-1 without one).
    int Index() const;
    TToolBar* ToolBar() const;

    // True while the pointer is over the button (or the keyboard put the bar's hot mark
    // there); pressed while the left button holds it or its menu is dropped down.
    bool Hot() const;
    bool Pressed() const { return pressed_; }

    void Click() override;
    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    void Dispatch(TMessage& Message) override;

protected:
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;

private:
    friend class TToolBar;
    void Changed() override;
    bool HasMenu() const;

    TToolButtonStyle style_ = tbsButton;
    bool grouped_ = false;
    bool allowAllUp_ = false;
    bool down_ = false;
    int imageIndex_ = -1;
    bool indeterminate_ = false;
    bool marked_ = false;
    bool wrap_ = false;
    bool pressed_ = false;
    TMenuItem* menuItem_ = nullptr;
    TPopupMenu* dropdownMenu_ = nullptr;
};

class TToolBar : public TCustomControl {
    KORVID_CLASS(TToolBar, TCustomControl)

    void Create(TComponent* AOwner) override;
    void Destroy() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

    int ButtonCount() const { return int(buttons_.size()); }
    // EListError out of range.
    TToolButton* Buttons(int Index) const;

    int ButtonWidth() const { return buttonWidth_; }
    void SetButtonWidth(int Value);
    int ButtonHeight() const { return buttonHeight_; }
    void SetButtonHeight(int Value);
    // Flat buttons show a raised edge only while hot.
    bool Flat() const { return flat_; }
    void SetFlat(bool Value);
    bool ShowCaptions() const { return showCaptions_; }
    void SetShowCaptions(bool Value);
    // Captions right of the images instead of below them.
    bool List() const { return list_; }
    void SetList(bool Value);
    // Buttons that do not fit go on to a new row.
    bool Wrapable() const { return wrapable_; }
    void SetWrapable(bool Value);
    // The bar shows its parent's colour instead of its own.
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool Value);
    TEdgeBorders EdgeBorders() const { return edgeBorders_; }
    void SetEdgeBorders(TEdgeBorders Value);
    TEdgeStyle EdgeInner() const { return edgeInner_; }
    void SetEdgeInner(TEdgeStyle Value);
    TEdgeStyle EdgeOuter() const { return edgeOuter_; }
    void SetEdgeOuter(TEdgeStyle Value);
    int Indent() const { return indent_; }
    void SetIndent(int Value);
    TImageList* Images() const { return images_; }
    void SetImages(TImageList* Value);
    // Drawn for hot buttons when set.
    TImageList* HotImages() const { return hotImages_; }
    void SetHotImages(TImageList* Value);
    TImageList* DisabledImages() const { return disabledImages_; }
    void SetDisabledImages(TImageList* Value);

    // The button the pointer is over (nullptr when none).
    TToolButton* HotButton() const { return hot_; }
    // The button whose menu is dropped down now.
    TToolButton* MenuButton() const { return menuButton_; }
    // Drops the button's menu down and tracks it, moving across the bar's menu buttons as
    // the pointer or Left/Right ask. Returns whether an item was chosen (it ran).
    bool TrackMenu(TToolButton* Button, bool SelectFirst = false);
    // The keyboard's way onto a bar of menu-item buttons: Alt with an item's accelerator opens
    // that item's menu (or runs the item), F10 opens the first one with its first entry
    // selected; from there the arrows move along the bar and Esc leaves. Returns whether the
    // key was used.
    bool MenuKey(Word Key, bool Alt);

    // The framework's own drawing of a button (for custom-draw handlers that add to it).
    void DefaultDrawButton(TToolButton* Button, TCustomDrawState State);
    TCustomDrawState ButtonState(TToolButton* Button) const;

    // Before the buttons: ARect is the client area; DefaultDraw false skips the buttons.
    TTBCustomDrawEvent OnCustomDraw;
    TTBCustomDrawBtnEvent OnCustomDrawButton;

    void Dispatch(TMessage& Message) override;
    void SetAutoSize(bool v) override;

protected:
    void Paint() override;
    void AlignControls(TControl* AControl, TRect& Rect) override;
    void AdjustClientRect(TRect& Rect) override;
    bool CanAutoSize(int& NewWidth, int& NewHeight) override;

private:
    friend class TToolButton;
    void SetHot(TToolButton* Button);
    void ButtonsChanged();
    void PlaceButtons(int width, int& height);
    int ButtonExtent(TToolButton* Button);
    int RowHeight();
    int EdgeWidth(TEdgeBorder side) const;
    TToolButton* ButtonAtScreen(TPoint p);
    TToolButton* MenuNeighbour(TToolButton* from, int step);
    void DrawEdges();

    std::vector<TToolButton*> buttons_;
    int buttonWidth_ = 23;
    int buttonHeight_ = 22;
    bool flat_ = false;
    bool showCaptions_ = false;
    bool list_ = false;
    bool wrapable_ = true;
    bool transparent_ = false;
    TEdgeBorders edgeBorders_{ebTop};
    TEdgeStyle edgeInner_ = esRaised;
    TEdgeStyle edgeOuter_ = esLowered;
    int indent_ = 0;
    TImageList* images_ = nullptr;
    TImageList* hotImages_ = nullptr;
    TImageList* disabledImages_ = nullptr;
    TToolButton* hot_ = nullptr;
    TToolButton* menuButton_ = nullptr;
    bool placing_ = false;
};
