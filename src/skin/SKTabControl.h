#pragma once
// The skinned tab strip and the tab control that owns one across its top above a bordered
// client area. The strip draws its tabs from the style's tab and bar pictures, scrolls with
// two arrows when the tabs do not fit, and tells its tab control when the tab changes.
#include "framework/Panel.h"
#include "rtl/StringList.h"
#include "skin/SKMgr.h"
#include "skin/SKStyledPanel.h"

#include <vector>

class TskTab;

using TTabActiveNotify = std::function<void(TObject* Sender, int Index)>;
using TTabChangingEvent = std::function<void(TObject* Sender, bool& AllowChange)>;

class TskTabControlTopPanel : public TCustomPanel {
    KORVID_CLASS(TskTabControlTopPanel, TCustomPanel)

    static void DeclareProperties(Published<TskTabControlTopPanel>& p);

    void Create(TComponent* AOwner) override;
    void Destroy() override;
    void Dispatch(TMessage& Message) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

    TskTab* TabControl() const { return tabControl_; }
    void SetTabControl(TskTab* Value) { tabControl_ = Value; }

    TStrings* Tabs() const { return tabs_.get(); }
    void SetTabs(TStrings* Value) { tabs_->Assign(Value); }
    TskUIStyle UIStyle() const { return uiStyle_; }
    void SetUIStyle(TskUIStyle Value);
    TskFileTheme* FileTheme() const { return fileTheme_; }
    void SetFileTheme(TskFileTheme* Value);
    int TabIndex() const { return tabIndex_; }
    // -1 means no active tab. Other values outside the tabs only repaint. A change made by a
    // click asks the tab control's OnChanging first.
    void SetTabIndex(int Value);
    int LeftMargin() const { return leftMargin_; }
    void SetLeftMargin(int Value);

    // Per tab: the width found at the last paint (-1: not yet known, 0: hidden) and whether
    // the tab is shown. The lists grow with the tabs.
    int TabWidth(int Index) const;
    bool TabVisible(int Index) const;
    void SetTabVisible(int Index, bool Value);
    int TabHeight() const { return tabHeight_; }
    int FirstVisibleTab() const { return firstVisible_; }
    bool Overflow() const { return overflow_; }
    int ArrowWidth() const { return arrowWidth_; }
    int ArrowHeight() const { return arrowHeight_; }
    // Where tab Index was drawn at the last paint; empty when it was not.
    TRect TabRect(int Index) const;
    // The tab under a point of the strip, -1 for none (as drawn at the last paint).
    int TabAt(int X, int Y) const;

    // Draws the strip into Bitmap (what Paint shows); returns the last fully shown tab.
    int DrawTabs(TBitmap* Bitmap);
    void DrawArrows(TBitmap* Bitmap);

protected:
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void Resize() override;
    // With a tab control, the strip lies across its top whatever asked for the realignment.
    void RequestAlign() override;

private:
    void Grow(int count);
    // How many shown tabs come before tab Index: its place in the scroll order.
    int ShownBefore(int Index) const;

    ObjectPtr<TStringList> tabs_;
    TskUIStyle uiStyle_ = DeepBlue;
    TskFileTheme* fileTheme_ = nullptr;
    int tabIndex_ = 0;
    int leftMargin_ = 10;
    std::vector<int> tabWidths_;
    std::vector<TRect> tabRects_;
    std::vector<bool> tabVisible_;
    int tabHeight_ = 0;
    bool clicking_ = false;
    int firstVisible_ = 0;
    bool overflow_ = false;
    int arrowState_ = 0; // under the pointer at the last paint: 1 right, -1 left, 0 none
    int arrowWidth_ = 0;
    int arrowHeight_ = 0;
    bool ensureActiveVisible_ = false;
    TskTab* tabControl_ = nullptr;
};

// The abstract tab control; TskPageControl is the one in use. The strip draws its texts in
// the tab control's Font.
class TskTab : public TskStyledPanel {
    KORVID_CLASS(TskTab, TskStyledPanel)

    static void DeclareProperties(Published<TskTab>& p);

    void Create(TComponent* AOwner) override;
    void Destroy() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void Dispatch(TMessage& Message) override;

    void SetUIStyle(TskUIStyle Value) override;
    TColor BorderColor() const { return borderColor_; }
    void SetBorderColor(TColor Value);
    int LeftMargin() const { return topPanel_ ? topPanel_->LeftMargin() : 0; }
    void SetLeftMargin(int Value) {
        if (topPanel_) topPanel_->SetLeftMargin(Value);
    }
    TskTabControlTopPanel* TopPanel() const { return topPanel_; }

    TTabActiveNotify OnTabActive;
    TNotifyEvent OnChange;
    TTabChangingEvent OnChanging;

    virtual void SetTabIndex(int Index);
    virtual void BorderColorChanged() {}
    // The strip's tab changed (by a click or by code).
    virtual void TabActivated(int Index);
    virtual void ApplyStyleToChildren(TskUIStyle Style, TskFileTheme* Theme);

protected:
    virtual TskTabControlTopPanel* CreateTopPanel() = 0;
    void AlignControls(TControl* AControl, TRect& Rect) override;
    void Paint() override;
    void Resize() override;

private:
    TColor borderColor_ = 0;
    TskTabControlTopPanel* topPanel_ = nullptr;
};
