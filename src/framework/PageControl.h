#pragma once
// TPageControl/TTabSheet: pages that share one place, one shown at a time, chosen through a
// tab per page. A sheet joins the page control it is parented to and leaves it with its
// parent. A sheet whose tab is hidden stays a page but cannot be chosen by a tab.
#include "framework/TabControl.h"

class TPageControl;

class TTabSheet : public TCustomControl {
    KORVID_CLASS(TTabSheet, TCustomControl)

    void Create(TComponent* AOwner) override;
    void Destroy() override;

    TPageControl* PageControl() const { return pageControl_; }
    // Same as setting the parent.
    void SetPageControl(TPageControl* v);
    // The position among the pages (-1 without a page control).
    int PageIndex() const;
    void SetPageIndex(int v);
    bool TabVisible() const { return tabVisible_; }
    void SetTabVisible(bool v);
    // The index of the sheet's tab among the shown tabs (-1 when its tab is hidden).
    int TabIndex() const;

    TNotifyEvent OnShow;
    TNotifyEvent OnHide;

    void Dispatch(TMessage& Message) override;

protected:
    void Paint() override;

private:
    friend class TPageControl;
    TPageControl* pageControl_ = nullptr;
    bool tabVisible_ = true;
};

class TPageControl : public TCustomTabControl {
    KORVID_CLASS(TPageControl, TCustomTabControl)

    void Destroy() override;

    int PageCount() const { return static_cast<int>(pages_.size()); }
    // EListError "List index out of bounds" outside 0..PageCount-1.
    TTabSheet* Pages(int Index) const;
    TTabSheet* ActivePage() const { return activePage_; }
    // Shows the page (nil: none). Code that sets it asks no OnChanging and raises no OnChange.
    void SetActivePage(TTabSheet* Page);
    int ActivePageIndex() const { return activePage_ ? activePage_->PageIndex() : -1; }
    // Indices outside the pages are ignored.
    void SetActivePageIndex(int Index);
    // The next (or previous) page whose tab shows, wrapping round; nil when there is none.
    TTabSheet* FindNextPage(TTabSheet* CurPage, bool GoForward, bool CheckTabVisible);
    void SelectNextPage(bool GoForward, bool CheckTabVisible = true);
    // The page shown by a tab (tabs are those of the pages with a visible tab).
    TTabSheet* PageForTab(int TabIndex) const;

    // Shows the page of that tab (code again: no events).
    void SetTabIndex(int v) override;
    void Dispatch(TMessage& Message) override;

protected:
    void Change() override;

private:
    friend class TTabSheet;
    void InsertPage(TTabSheet* Page);
    void RemovePage(TTabSheet* Page);
    void MovePage(TTabSheet* Page, int Index);
    // Rebuilds the tabs from the pages and selects the active page's tab.
    void UpdateTabs();
    void TabVisibilityChanged(TTabSheet* Page);
    void ShowPage(TTabSheet* Page);

    std::vector<TTabSheet*> pages_;
    TTabSheet* activePage_ = nullptr;
};
