#pragma once
// The pieces of a skinned title bar: its picture sections (left, right, stretched middle)
// and its caption buttons (close, maximise/restore, minimise, help, control box, custom),
// each held in a collection that repaints the bar on any change.
#include "framework/Menus.h"
#include "rtl/Collection.h"
#include "skin/SKMgr.h"

class TskTitleBar;

enum TskTitleBarBtnType { skMax, skMin, skClose, skHelp, skControlBox, skCustom };
enum TskTitleBarAlign { skLeft, skRight, skClient };

// Pieces of the style's title-bar button strip (18 pieces, 1-based): the first of each
// triple (normal, mouse-on, pressed).
constexpr int kControlBoxPiece = 1;
constexpr int kHelpPiece = 4;
constexpr int kMaximizePiece = 7;
constexpr int kRestorePiece = 10;
constexpr int kMinimizePiece = 13;
constexpr int kClosePiece = 16;
constexpr int kTitleButtonPieces = 18;

class TskTitleBarSection : public TCollectionItem {
    KORVID_CLASS(TskTitleBarSection, TCollectionItem)

    TskTitleBarSection();
    ~TskTitleBarSection() override;
    void Assign(TPersistent* Source) override;

    int Width() const { return width_; }
    void SetWidth(int Value);
    TskTitleBarAlign Align() const { return align_; }
    // A second skClient section of the collection is refused with an error box; setting the
    // value a section already has is no change and never refused.
    void SetAlign(TskTitleBarAlign Value);
    TPicture* Picture() const { return picture_.get(); }
    void SetPicture(TPicture* Value);
    bool Stretch() const { return stretch_; }
    // A skClient section always stretches.
    void SetStretch(bool Value);
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool Value);

    TskTitleBar* TitleBar() const;

private:
    int width_ = 10;
    TskTitleBarAlign align_ = skLeft;
    ObjectPtr<TPicture> picture_;
    bool stretch_ = false;
    bool autoSize_ = false;
};

// A collection of the bar's parts: the bar owns it and repaints when an item changes.
class TskTitleBarPartList : public TCollection {
    KORVID_CLASS(TskTitleBarPartList, TCollection)

    TskTitleBar* TitleBar() const { return bar_; }
    TPersistent* GetOwner() override;

protected:
    TskTitleBarPartList(ItemFactory MakeItem, TskTitleBar* Bar);
    void Update(TCollectionItem* Item) override;

private:
    TskTitleBar* bar_;
};

class TskTitleBarSections : public TskTitleBarPartList {
    KORVID_CLASS(TskTitleBarSections, TskTitleBarPartList)

    explicit TskTitleBarSections(TskTitleBar* Bar);
    TskTitleBarSection* Items(int Index) const {
        return static_cast<TskTitleBarSection*>(TCollection::Items(Index));
    }
    TskTitleBarSection* Add() { return static_cast<TskTitleBarSection*>(TCollection::Add()); }
};

class TskTitleBarButton : public TCollectionItem {
    KORVID_CLASS(TskTitleBarButton, TCollectionItem)

    TskTitleBarButton();
    ~TskTitleBarButton() override;
    void Assign(TPersistent* Source) override;

    bool Visible() const { return visible_; }
    void SetVisible(bool Value);
    TskTitleBarBtnType ButtonType() const { return buttonType_; }
    // A second skControlBox of the collection is refused with an error box; the type a button
    // already has is accepted silently. An accepted type reloads the pictures.
    void SetButtonType(TskTitleBarBtnType Value);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool Value);
    int Top() const { return top_; }
    void SetTop(int Value);
    TskUIStyle UIStyle() const { return uiStyle_; }
    void SetUIStyle(TskUIStyle Value);
    TPicture* PicNormal() const { return normal_.get(); }
    TPicture* PicMouseOn() const { return mouseOn_.get(); }
    TPicture* PicMouseDown() const { return mouseDown_.get(); }
    void SetPicNormal(TPicture* Value);
    void SetPicMouseOn(TPicture* Value);
    void SetPicMouseDown(TPicture* Value);
    TPopupMenu* ControlBoxMenu() const { return controlBoxMenu_; }
    void SetControlBoxMenu(TPopupMenu* Value);

    // The button's action (needs a bar on a form): maximise or restore, minimise, close, or
    // the control box's own menu.
    void Click();
    // Pictures, transparency and top from the style (custom buttons keep their pictures).
    void ApplyStyle();
    // Maximise or restore pictures by the form's state (not on a Custom bar).
    void UpdateMaxGlyph();

    TskTitleBar* TitleBar() const;

private:
    void LoadPieces(int first);
    void Repaint();

    bool visible_ = true;
    TskTitleBarBtnType buttonType_ = skCustom;
    bool transparent_ = false;
    int top_ = 2;
    TskUIStyle uiStyle_ = DeepBlue;
    ObjectPtr<TPicture> normal_, mouseOn_, mouseDown_;
    TPopupMenu* controlBoxMenu_ = nullptr;
};

class TskTitleBarButtons : public TskTitleBarPartList {
    KORVID_CLASS(TskTitleBarButtons, TskTitleBarPartList)

    explicit TskTitleBarButtons(TskTitleBar* Bar);
    TskTitleBarButton* Items(int Index) const {
        return static_cast<TskTitleBarButton*>(TCollection::Items(Index));
    }
    TskTitleBarButton* Add() { return static_cast<TskTitleBarButton*>(TCollection::Add()); }
};

// The refusal the collections show: an error box with an OK button.
void ShowSkinError(const String& Text);
