#pragma once
// TskPageControl: the skinned page control. Its strip shows one tab per page; a change of the
// strip's tab switches the page. Pages are child panels filling the client area: the active
// one is in front and enabled, the others disabled behind it. A page switch raises the old
// page's OnHide and the new page's OnShow once each.
#include "skin/SKTabControl.h"

class TskPageControl;

class TskPageControlTopPanel : public TskTabControlTopPanel {
    KORVID_CLASS(TskPageControlTopPanel, TskTabControlTopPanel)
};

class TskTabSheet : public TCustomPanel {
    KORVID_CLASS(TskTabSheet, TCustomPanel)

    static void DeclareProperties(Published<TskTabSheet>& p);

    void Create(TComponent* AOwner) override;

    TskPageControl* PageControl() const { return pageControl_; }
    int PageIndex() const { return pageIndex_; }
    // Moves the page within its control; ignored without one or out of range.
    void SetPageIndex(int Value);
    const String& Caption() const { return caption_; }
    // The tab's text (the panel's own text stays " ").
    void SetCaption(const String& Value);
    TColor BorderColor() const { return borderColor_; }
    void SetBorderColor(TColor Value);
    bool TabVisible() const;
    void SetTabVisible(bool Value);
    // The sheet's own copy of its tab's flag (what loading and moves re-apply).
    bool OwnTabVisible() const { return tabVisible_; }

    TNotifyEvent OnShow;
    TNotifyEvent OnHide;

private:
    friend class TskPageControl;
    TskPageControl* pageControl_ = nullptr;
    int pageIndex_ = -1;
    String caption_;
    TColor borderColor_ = 0;
    bool tabVisible_ = true;
};

class TskPageControl : public TskTab {
    KORVID_CLASS(TskPageControl, TskTab)

    static void DeclareProperties(Published<TskPageControl>& p);

    void Create(TComponent* AOwner) override;
    void Destroy() override;
    void Loaded() override;
    void Dispatch(TMessage& Message) override;
    // A sheet that is shown (or has a control in it shown) becomes the active page.
    void ShowControl(TControl* AControl) override;

    int PageCount() const { return int(pages_.size()); }
    TskTabSheet* Pages(int Index) const;
    TskTabSheet* ActivePage() const { return activePage_; }
    // nil leaves no page active (the strip keeps its tab).
    void SetActivePage(TskTabSheet* Sheet);
    // Indexes outside the pages are ignored.
    void SetActivePageIndex(int Index);
    // Index outside the strip's tabs: no page is active and the strip has no tab selected.
    void ActivatePageByIndex(int Index);
    // The nearest page before Index whose tab shows, else the nearest after; none: nothing.
    void ActivateNearestVisible(int Index);

    // The page names in tab order, as stored; and the order read back while loading, which
    // Loaded applies to the pages (and their tabs' flags).
    std::vector<String> PageNames() const;
    void SetStoredPageNames(const std::vector<String>& Names) { storedNames_ = Names; }

    void TabActivated(int Index) override;
    void BorderColorChanged() override;
    void ApplyStyleToChildren(TskUIStyle Style, TskFileTheme* Theme) override;

protected:
    TskTabControlTopPanel* CreateTopPanel() override;

private:
    friend class TskTabSheet;
    void AddPage(TskTabSheet* Sheet);
    void RemovePage(TskTabSheet* Sheet);
    void MovePage(TskTabSheet* Sheet, int Value);
    void RenumberPages();
    void RebuildTabTexts();
    void ApplyTabVisibleFlags();
    void SortPagesByStoredOrder();
    void ShowPage(TskTabSheet* Sheet);
    void HidePage(TskTabSheet* Sheet);

    std::vector<TskTabSheet*> pages_;
    TskTabSheet* activePage_ = nullptr;
    std::vector<String> storedNames_;
};
