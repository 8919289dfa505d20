#include "framework/PageControl.h"

#include "framework/FillSolid.h"
#include "rtl/AssignIfChanged.h"
#include "rtl/ScopeGuard.h"

#include <algorithm>

// --- TTabSheet -----------------------------------------------------------------------------

void TTabSheet::Create(TComponent* AOwner) {
    inherited::Create(AOwner);
    ControlStyle() =
        TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csDoubleClicks};
    SetAlign(alClient);
    SetParentColor(true);
    SetVisible(false);
}

void TTabSheet::Destroy() {
    // Leave the page control while this is still a whole sheet.
    if (pageControl_) SetParent(nullptr);
    inherited::Destroy();
}

void TTabSheet::SetPageControl(TPageControl* v) {
    SetParent(v);
}

int TTabSheet::PageIndex() const {
    if (!pageControl_) return -1;
    auto& p = pageControl_->pages_;
    auto it = std::find(p.begin(), p.end(), this);
    return it == p.end() ? -1 : static_cast<int>(it - p.begin());
}

void TTabSheet::SetPageIndex(int v) {
    if (pageControl_) pageControl_->MovePage(this, v);
}

int TTabSheet::TabIndex() const {
    if (!pageControl_ || !tabVisible_) return -1;
    int n = 0;
    for (TTabSheet* p : pageControl_->pages_) {
        if (p == this) return n;
        if (p->tabVisible_) ++n;
    }
    return -1;
}

void TTabSheet::SetTabVisible(bool v) {
    if (!AssignIfChanged(tabVisible_, v)) return;
    if (pageControl_) pageControl_->TabVisibilityChanged(this);
}

void TTabSheet::Paint() {
    FillSolid(Canvas()->Handle(), ClientRect(), Color());
}

void TTabSheet::Dispatch(TMessage& Message) {
    if (Message.Msg == CM_TEXTCHANGED && pageControl_) pageControl_->UpdateTabs();
    inherited::Dispatch(Message);
}

// --- TPageControl --------------------------------------------------------------------------

void TPageControl::Destroy() {
    // The sheets are freed with the other children; they need not tell this control.
    for (TTabSheet* p : pages_)
        p->pageControl_ = nullptr;
    pages_.clear();
    activePage_ = nullptr;
    inherited::Destroy();
}

TTabSheet* TPageControl::Pages(int Index) const {
    if (Index < 0 || Index >= PageCount()) throw EListError("List index out of bounds");
    return pages_[static_cast<size_t>(Index)];
}

TTabSheet* TPageControl::PageForTab(int TabIndex) const {
    if (TabIndex < 0) return nullptr;
    int n = 0;
    for (TTabSheet* p : pages_) {
        if (!p->tabVisible_) continue;
        if (n++ == TabIndex) return p;
    }
    return nullptr;
}

void TPageControl::UpdateTabs() {
    TStrings* tabs = TabStrings();
    {
        UpdateScope update(tabs);
        tabs->Clear();
        for (TTabSheet* p : pages_)
            if (p->tabVisible_) tabs->Add(p->Caption());
    }
    SetTabIndexQuiet(activePage_ ? activePage_->TabIndex() : -1);
    Invalidate();
}

void TPageControl::InsertPage(TTabSheet* Page) {
    if (std::find(pages_.begin(), pages_.end(), Page) != pages_.end()) return;
    pages_.push_back(Page);
    Page->pageControl_ = this;
    Page->SetVisible(false);
    UpdateTabs();
    // The first page to arrive is shown; later ones wait behind it.
    if (!activePage_) SetActivePage(Page);
}

void TPageControl::RemovePage(TTabSheet* Page) {
    auto it = std::find(pages_.begin(), pages_.end(), Page);
    if (it == pages_.end()) return;
    TTabSheet* next = nullptr;
    if (Page == activePage_) {
        next = FindNextPage(Page, true, true);
        if (next == Page) next = nullptr;
    }
    pages_.erase(std::find(pages_.begin(), pages_.end(), Page));
    Page->pageControl_ = nullptr;
    if (Page == activePage_) {
        activePage_ = nullptr;
        UpdateTabs();
        SetActivePage(next);
    } else {
        UpdateTabs();
    }
}

void TPageControl::MovePage(TTabSheet* Page, int Index) {
    auto it = std::find(pages_.begin(), pages_.end(), Page);
    if (it == pages_.end()) return;
    Index = std::clamp(Index, 0, PageCount() - 1);
    pages_.erase(it);
    pages_.insert(pages_.begin() + Index, Page);
    UpdateTabs();
}

void TPageControl::ShowPage(TTabSheet* Page) {
    TTabSheet* old = activePage_;
    if (old == Page) return;
    activePage_ = Page;
    if (Page) {
        Page->BringToFront();
        Page->SetVisible(true);
    }
    if (old) {
        old->SetVisible(false);
        if (old->OnHide) old->OnHide(old);
    }
    if (Page && Page->OnShow) Page->OnShow(Page);
}

void TPageControl::SetActivePage(TTabSheet* Page) {
    if (Page && Page->pageControl_ != this) return;
    ShowPage(Page);
    SetTabIndexQuiet(activePage_ ? activePage_->TabIndex() : -1);
}

void TPageControl::SetActivePageIndex(int Index) {
    if (Index < 0 || Index >= PageCount()) return;
    SetActivePage(pages_[static_cast<size_t>(Index)]);
}

TTabSheet* TPageControl::FindNextPage(TTabSheet* CurPage, bool GoForward, bool CheckTabVisible) {
    if (pages_.empty()) return nullptr;
    int n = PageCount();
    int start = CurPage ? CurPage->PageIndex() : -1;
    if (start < 0) start = GoForward ? n - 1 : 0;
    int i = start;
    for (int step = 0; step < n; ++step) {
        i = GoForward ? (i + 1) % n : (i + n - 1) % n;
        TTabSheet* p = pages_[static_cast<size_t>(i)];
        if (!CheckTabVisible || p->tabVisible_) return p;
    }
    return nullptr;
}

void TPageControl::SelectNextPage(bool GoForward, bool CheckTabVisible) {
    TTabSheet* next = FindNextPage(activePage_, GoForward, CheckTabVisible);
    if (!next || next == activePage_ || !CanChange()) return;
    SetActivePage(next);
    Change();
}

void TPageControl::TabVisibilityChanged(TTabSheet* Page) {
    if (!Page->tabVisible_ && Page == activePage_) {
        // The page whose tab goes away gives way to the nearest page with a tab.
        TTabSheet* next = FindNextPage(Page, true, true);
        if (next && next != Page) {
            ShowPage(next);
        }
    }
    UpdateTabs();
}

void TPageControl::SetTabIndex(int v) {
    if (v < -1 || v >= TabCount()) throw EListError("Tab index out of bounds");
    SetActivePage(PageForTab(v));
}

void TPageControl::Change() {
    // A tab chosen by the user: its page comes forward before OnChange sees it.
    TTabSheet* page = PageForTab(TabIndex());
    if (page) ShowPage(page);
    inherited::Change();
}

void TPageControl::Dispatch(TMessage& Message) {
    if (Message.Msg == CM_CONTROLLISTCHANGE) {
        auto* control = reinterpret_cast<TControl*>(Message.WParam);
        if (auto* sheet = dynamic_cast<TTabSheet*>(control)) {
            if (Message.LParam)
                InsertPage(sheet);
            else
                RemovePage(sheet);
        }
    }
    inherited::Dispatch(Message);
}
