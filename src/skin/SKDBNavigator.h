#pragma once
// TskDBNavigator: a row of ten skinned buttons that move through and change the records of
// the data set its DataSource shows (first, prior, next, last, insert, delete, edit, post,
// cancel, refresh). Its data link enables each button from the set's state; prior and next
// repeat while held. The buttons share the width evenly, the pixels left over going one by
// one to the last ones, and an unaligned navigator keeps its width a multiple of the
// visible buttons.
#include "framework/DataLink.h"
#include "framework/DataSource.h"
#include "framework/Panel.h"
#include "rtl/StringList.h"
#include "skin/SKButton.h"

#include <array>

class TskDBNavigator;

enum TNavigateBtn {
    nbFirst,
    nbPrior,
    nbNext,
    nbLast,
    nbInsert,
    nbDelete,
    nbEdit,
    nbPost,
    nbCancel,
    nbRefresh
};
using TButtonSet = TSet<TNavigateBtn>;
constexpr int kNavButtonCount = 10;
constexpr TButtonSet kAllNavButtons = TButtonSet::FromBits(0x3FF);

using ENavClick = std::function<void(TObject* Sender, TNavigateBtn Button)>;

// The navigator's glyph strip, part of the built-in style art: ten 16x16 pictures side by
// side in button order.
constexpr const char* kNavigatorGlyphResource = "DBNAV_BUTTON";

enum TNavButtonStyleFlag { nsAllowTimer };
using TNavButtonStyle = TSet<TNavButtonStyleFlag>;

class TskNavButton : public TskButton {
    KORVID_CLASS(TskNavButton, TskButton)

    void Create(TComponent* AOwner) override;
    void Destroy() override;

    TNavigateBtn Index() const { return index_; }
    void SetIndex(TNavigateBtn v) { index_ = v; }
    // nsAllowTimer: the button repeats its action while held.
    TNavButtonStyle NavStyle() const { return navStyle_; }
    void SetNavStyle(TNavButtonStyle v) { navStyle_ = v; }
    // Whether a held press is repeating (or about to).
    bool RepeatArmed() const;

    void Dispatch(TMessage& Message) override;

protected:
    void Paint() override;
    void EnabledChanged() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;

private:
    TskDBNavigator* Navigator() const;
    void RepeatTick();
    void StopRepeating();

    TNavigateBtn index_ = nbFirst;
    TNavButtonStyle navStyle_;
    ObjectPtr<TTimer> repeatTimer_;
};

class TskNavDataLink : public TDataLink {
    KORVID_CLASS(TskNavDataLink, TDataLink)

    explicit TskNavDataLink(TskDBNavigator* Navigator) : navigator_(Navigator) {
        SetVisualControl(true);
    }
    void Destroy() override;
    // The navigator stops hearing from the link (it is going).
    void Detach() { navigator_ = nullptr; }

protected:
    void ActiveChanged() override;
    void DataSetChanged() override;
    void EditingChanged() override;

private:
    TskDBNavigator* navigator_;
};

class TskDBNavigator : public TCustomPanel {
    KORVID_CLASS(TskDBNavigator, TCustomPanel)

    static void DeclareProperties(Published<TskDBNavigator>& p);

    void Create(TComponent* AOwner) override;
    void Destroy() override;
    void Loaded() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    void Dispatch(TMessage& Message) override;

    TskUIStyle UIStyle() const { return uiStyle_; }
    void SetUIStyle(TskUIStyle Value);
    TskFileTheme* FileTheme() const { return fileTheme_; }
    void SetFileTheme(TskFileTheme* Value);

    TDataSource* DataSource() const { return dataLink_->DataSource(); }
    void SetDataSource(TDataSource* Value);
    TskNavDataLink* DataLink() const { return dataLink_.get(); }

    TButtonSet VisibleButtons() const { return visibleButtons_; }
    void SetVisibleButtons(TButtonSet Value);
    // Custom hints, line i for button i; empty lines keep the default.
    TStringList* Hints() const { return hints_.get(); }
    // The ten default texts exactly store no custom hints.
    void SetHints(TStrings* Value);
    // The ten default hints (the unit's resource strings), loaded on first use.
    TStrings* DefaultHints();
    bool ConfirmDelete() const { return confirmDelete_; }
    void SetConfirmDelete(bool Value) { confirmDelete_ = Value; }

    // The width every visible button got in the last layout.
    int ButtonWidth() const { return buttonWidth_; }
    TPoint MinButtonSize() const { return minButtonSize_; }
    // The button that shows the focus rectangle while the navigator has the focus; while it
    // has, never a hidden or disabled one when another can take it.
    TNavigateBtn FocusedButton() const { return focusedButton_; }
    // nullptr once the navigator is being freed.
    TskNavButton* Buttons(TNavigateBtn Index) const { return buttons_[size_t(Index)]; }

    // Index's action on the data set (when the source is active), then OnClick.
    virtual void ButtonClick(TNavigateBtn Index);

    // After a button's action (also without a data source); the panel's own click event
    // (TControl::OnClick) is hidden behind it.
    ENavClick OnClick;
    // Before a button's action on an active data set.
    ENavClick BeforeAction;

protected:
    void KeyDown(Word& Key, TShiftState Shift) override;

private:
    friend class TskNavButton;
    friend class TskNavDataLink;

    Int64 VisibleButtonsBits() const { return Int64(visibleButtons_.Bits()); }
    void SetVisibleButtonsBits(Int64 v) { SetVisibleButtons(TButtonSet::FromBits(Cardinal(v))); }

    void InitButtons();
    void InitHints();
    void CalcMinSize(int& W, int& H);
    void LayoutButtons(int& W, int& H);
    // Lays the buttons out on the current size, and takes the size the layout asks for.
    void Relayout();
    bool Laying() const;
    int VisibleCount() const;

    // False while the navigator is being made or freed: no button to update.
    bool Updating() const;
    void EnableButton(TNavigateBtn Index, bool Value);
    void RepaintButton(TNavigateBtn Index);
    void UpdateAllButtons();
    void UpdateNavigationButtons();
    void UpdateEditButtons();
    // While the navigator has the focus, moves it off a button that is hidden or disabled,
    // forward first.
    void KeepFocusAvailable();
    bool ButtonAvailable(int Index) const;
    void SetFocusedButton(TNavigateBtn Value);
    void ButtonMouseDown(TskNavButton* Button);

    TskUIStyle uiStyle_ = DeepBlue;
    TskFileTheme* fileTheme_ = nullptr;
    ObjectPtr<TskNavDataLink> dataLink_;
    TButtonSet visibleButtons_ = kAllNavButtons;
    ObjectPtr<TStringList> hints_;
    ObjectPtr<TStringList> defaultHints_;
    int buttonWidth_ = 0;
    TPoint minButtonSize_{20, 18};
    TNavigateBtn focusedButton_ = nbFirst;
    bool confirmDelete_ = true;
    std::array<TskNavButton*, kNavButtonCount> buttons_{};
    bool buttonsMade_ = false;
};
