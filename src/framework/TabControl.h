#pragma once
// TCustomTabControl/TTabControl: a strip of tabs across the top over a framed display area.
// A click on a tab (or Left/Right with the focus) asks OnChanging, which may refuse, then
// selects the tab and raises OnChange; setting TabIndex from code asks nobody. When the tabs
// do not fit, two arrow buttons at the strip's right end scroll them.
#include "framework/CustomControl.h"
#include "rtl/StringList.h"

using TTabChangingEvent = std::function<void(TObject* Sender, bool& AllowChange)>;

class TCustomTabControl : public TCustomControl {
    KORVID_CLASS(TCustomTabControl, TCustomControl)

    void Create(TComponent* AOwner) override;
    void Destroy() override;

    // -1 for none; a value outside the tabs is refused (EListError "Tab index out of bounds").
    int TabIndex() const { return tabIndex_; }
    virtual void SetTabIndex(int v);
    int TabCount() const { return tabs_->Count(); }
    // The tab's rectangle in client coordinates; empty for a tab scrolled out of view.
    TRect TabRect(int Index);
    // The tab at a client point, -1 for none.
    int IndexOfTabAt(int X, int Y);
    // The area below the strip that the pages (or the program's controls) take.
    TRect DisplayRect();
    int TabHeight();
    // The first tab shown (the scroll position of an overflowing strip).
    int FirstVisibleTab() const { return firstTab_; }
    void SetFirstVisibleTab(int v);
    // Whether the tabs overflow the strip and the arrows show.
    bool ScrollArrowsShown();
    // The arrows' rectangles (empty when not shown).
    TRect ScrollArrowRect(bool right);
    // Scrolls the strip so the tab is wholly in view.
    void MakeTabVisible(int Index);

    TTabChangingEvent OnChanging;
    TNotifyEvent OnChange;

    void Dispatch(TMessage& Message) override;

protected:
    TCustomTabControl() = default;
    TStrings* TabStrings() { return tabs_.get(); }
    void SetTabStrings(TStrings* v) { tabs_->Assign(v); }
    virtual bool CanChange();
    virtual void Change();
    // A user's choice of tab: OnChanging, the selection, OnChange.
    void SelectTabByUser(int Index);
    void Paint() override;
    void AdjustClientRect(TRect& Rect) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    virtual void TabsChanged();
    // Sets the index without asking or telling anybody.
    void SetTabIndexQuiet(int v);

private:
    int TabWidth(int Index);
    int StripRight();

    ObjectPtr<TStringList> tabs_;
    int tabIndex_ = -1;
    int firstTab_ = 0;
};

class TTabControl : public TCustomTabControl {
    KORVID_CLASS(TTabControl, TCustomTabControl)

    TStrings* Tabs() { return TabStrings(); }
    void SetTabs(TStrings* v) { SetTabStrings(v); }
};
