#include "skin/SKPageControl.h"

#include <algorithm>

// --- sheets --------------------------------------------------------------------------------

void TskTabSheet::DeclareProperties(Published<TskTabSheet>& p) {
    p.Ordinal("PageIndex", &TskTabSheet::PageIndex, &TskTabSheet::SetPageIndex)
        .Text("Caption", &TskTabSheet::Caption, &TskTabSheet::SetCaption)
        .Ordinal("TabVisible", &TskTabSheet::TabVisible, &TskTabSheet::SetTabVisible)
        .Ordinal("DragCursor", &TskTabSheet::DragCursor, &TskTabSheet::SetDragCursor)
        .Ordinal("DragMode", &TskTabSheet::DragMode, &TskTabSheet::SetDragMode);
}

void TskTabSheet::Create(TComponent* AOwner) {
    inherited::Create(AOwner);
    TControl::SetText(" ");
    SetBevelInner(bvNone);
    SetBevelOuter(bvNone);
    SetBorderWidth(0);
    SetAlign(alClient);
}

void TskTabSheet::SetPageIndex(int Value) {
    if (!pageControl_ || Value < 0 || Value >= pageControl_->PageCount() || Value == pageIndex_)
        return;
    pageControl_->MovePage(this, Value);
}

void TskTabSheet::SetCaption(const String& Value) {
    caption_ = Value;
    if (pageControl_) pageControl_->RebuildTabTexts();
}

void TskTabSheet::SetBorderColor(TColor Value) {
    borderColor_ = Value;
    Invalidate();
}

bool TskTabSheet::TabVisible() const {
    if (!pageControl_ || !pageControl_->TopPanel()) return tabVisible_;
    return pageControl_->TopPanel()->TabVisible(pageIndex_);
}

void TskTabSheet::SetTabVisible(bool Value) {
    tabVisible_ = Value;
    if (!pageControl_ || !pageControl_->TopPanel()) return;
    pageControl_->TopPanel()->SetTabVisible(pageIndex_, Value);
    if (!Value && pageControl_->ActivePage() == this)
        pageControl_->ActivateNearestVisible(pageIndex_);
}

// --- the page control ----------------------------------------------------------------------

void TskPageControl::DeclareProperties(Published<TskPageControl>& p) {
    p.Object("ActivePage", &TskPageControl::ActivePage, &TskPageControl::SetActivePage)
        .Ordinal("PageCount", &TskPageControl::PageCount);
}

TskTabControlTopPanel* TskPageControl::CreateTopPanel() {
    return CreateComponent<TskPageControlTopPanel>(this);
}

void TskPageControl::Create(TComponent* AOwner) {
    inherited::Create(AOwner);
    if (TopPanel()) TopPanel()->Tabs()->Clear();
}

void TskPageControl::Destroy() {
    for (TskTabSheet* page : pages_)
        page->pageControl_ = nullptr;
    pages_.clear();
    activePage_ = nullptr;
    inherited::Destroy();
}

TskTabSheet* TskPageControl::Pages(int Index) const {
    if (Index < 0 || Index >= PageCount()) throw EListError("List index out of bounds");
    return pages_[size_t(Index)];
}

void TskPageControl::Loaded() {
    inherited::Loaded();
    if (storedNames_.empty()) return;
    SortPagesByStoredOrder();
    ApplyTabVisibleFlags();
    storedNames_.clear();
}

void TskPageControl::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case CM_CONTROLLISTCHANGE:
        if (auto* sheet = dynamic_cast<TskTabSheet*>(reinterpret_cast<TControl*>(Message.WParam))) {
            if (Message.LParam)
                AddPage(sheet);
            else
                RemovePage(sheet);
        }
        break;
    case CM_COLORCHANGED:
        for (TskTabSheet* page : pages_)
            page->SetColor(Color());
        break;
    default:
        break;
    }
    inherited::Dispatch(Message);
}

void TskPageControl::ShowControl(TControl* AControl) {
    inherited::ShowControl(AControl);
    if (auto* sheet = dynamic_cast<TskTabSheet*>(AControl)) SetActivePage(sheet);
}

std::vector<String> TskPageControl::PageNames() const {
    std::vector<String> names;
    for (TskTabSheet* page : pages_)
        names.push_back(page->Name());
    return names;
}

void TskPageControl::RenumberPages() {
    for (size_t i = 0; i < pages_.size(); ++i)
        pages_[i]->pageIndex_ = int(i);
}

void TskPageControl::RebuildTabTexts() {
    if (!TopPanel()) return;
    TStrings* tabs = TopPanel()->Tabs();
    tabs->BeginUpdate();
    tabs->Clear();
    for (TskTabSheet* page : pages_)
        tabs->Add(page->Caption());
    tabs->EndUpdate();
}

void TskPageControl::ApplyTabVisibleFlags() {
    if (!TopPanel()) return;
    for (size_t i = 0; i < pages_.size(); ++i)
        TopPanel()->SetTabVisible(int(i), pages_[i]->tabVisible_);
}

void TskPageControl::SortPagesByStoredOrder() {
    for (TskTabSheet* page : pages_) {
        auto it = std::find(storedNames_.begin(), storedNames_.end(), page->Name());
        page->pageIndex_ = it == storedNames_.end() ? -1 : int(it - storedNames_.begin());
    }
    std::stable_sort(pages_.begin(), pages_.end(),
                     [](TskTabSheet* a, TskTabSheet* b) { return a->pageIndex_ < b->pageIndex_; });
    RenumberPages();
    RebuildTabTexts();
}

void TskPageControl::HidePage(TskTabSheet* Sheet) {
    if (!Sheet || Sheet->ComponentState().Contains(csDestroying)) return;
    Sheet->SetEnabled(false);
    if (Sheet->OnHide) Sheet->OnHide(Sheet);
}

void TskPageControl::ShowPage(TskTabSheet* Sheet) {
    Sheet->SetVisible(true);
    Sheet->SetEnabled(true);
    Sheet->BringToFront();
    Sheet->Invalidate();
}

void TskPageControl::AddPage(TskTabSheet* Sheet) {
    if (std::find(pages_.begin(), pages_.end(), Sheet) != pages_.end()) return;
    Sheet->pageControl_ = this;
    Sheet->SetColor(Color());
    Sheet->SetBorderColor(BorderColor());
    pages_.push_back(Sheet);
    RenumberPages();
    RebuildTabTexts();
    ApplyTabVisibleFlags();
    SetActivePage(Sheet);
}

void TskPageControl::RemovePage(TskTabSheet* Sheet) {
    auto it = std::find(pages_.begin(), pages_.end(), Sheet);
    if (it == pages_.end()) return;
    const int index = int(it - pages_.begin());
    pages_.erase(it);
    Sheet->pageControl_ = nullptr;
    Sheet->pageIndex_ = -1;
    if (activePage_ == Sheet) {
        HidePage(Sheet);
        activePage_ = nullptr;
    }
    RenumberPages();
    RebuildTabTexts();
    // The flags go with their pages: each page keeps its own.
    ApplyTabVisibleFlags();
    // The page before it; the first page gone, the one now first: pages that remain never
    // stand there all disabled, with no tab selected.
    ActivatePageByIndex(std::max(index - 1, 0));
}

void TskPageControl::MovePage(TskTabSheet* Sheet, int Value) {
    auto it = std::find(pages_.begin(), pages_.end(), Sheet);
    if (it == pages_.end()) return;
    pages_.erase(it);
    pages_.insert(pages_.begin() + std::clamp(Value, 0, PageCount()), Sheet);
    RenumberPages();
    RebuildTabTexts();
    ApplyTabVisibleFlags();
    SetActivePage(Sheet);
}

void TskPageControl::SetActivePage(TskTabSheet* Sheet) {
    if (Sheet && Sheet->pageControl_ != this) return;
    if (activePage_ && activePage_ != Sheet) HidePage(activePage_);
    const bool changed = activePage_ != Sheet;
    activePage_ = Sheet;
    if (!Sheet) return;
    if (TopPanel() && TopPanel()->TabIndex() != Sheet->PageIndex()) {
        // The strip's change switches the page (TabActivated): shown once, from there.
        TopPanel()->SetTabIndex(Sheet->PageIndex());
        if (TopPanel()->TabIndex() == Sheet->PageIndex()) return;
    }
    ShowPage(Sheet);
    if (changed && Sheet->OnShow) Sheet->OnShow(Sheet);
}

void TskPageControl::SetActivePageIndex(int Index) {
    if (Index >= 0 && Index < PageCount()) ActivatePageByIndex(Index);
}

void TskPageControl::ActivatePageByIndex(int Index) {
    const int tabs = TopPanel() ? TopPanel()->Tabs()->Count() : 0;
    if (Index < 0 || Index >= tabs || Index >= PageCount()) {
        SetActivePage(nullptr);
        // No page is active: the strip shows no tab selected either.
        if (TopPanel()) TopPanel()->SetTabIndex(-1);
        return;
    }
    SetActivePage(pages_[size_t(Index)]);
}

void TskPageControl::ActivateNearestVisible(int Index) {
    if (!TopPanel()) return;
    for (int i = Index - 1; i >= 0; --i)
        if (TopPanel()->TabVisible(i)) {
            ActivatePageByIndex(i);
            return;
        }
    for (int i = Index + 1; i < PageCount(); ++i)
        if (TopPanel()->TabVisible(i)) {
            ActivatePageByIndex(i);
            return;
        }
}

void TskPageControl::TabActivated(int Index) {
    if (Index < 0 || Index >= PageCount()) {
        if (activePage_) HidePage(activePage_);
        activePage_ = nullptr;
        inherited::TabActivated(Index);
        return;
    }
    TskTabSheet* page = pages_[size_t(Index)];
    if (activePage_ && activePage_ != page) HidePage(activePage_);
    activePage_ = page;
    ShowPage(page);
    if (!ComponentState().Contains(csLoading)) {
        try {
            if (page->ControlCount() > 0) {
                auto* first = dynamic_cast<TWinControl*>(page->Controls(0));
                TCustomForm* form = GetParentForm(this);
                if (first && form && first->Visible() && first->CanFocus())
                    form->SetActiveControl(first);
            }
        } catch (const std::exception&) {
            // A page whose first control cannot take the focus is shown all the same.
        }
    }
    if (page->OnShow) page->OnShow(page);
    inherited::TabActivated(Index);
}

void TskPageControl::BorderColorChanged() {
    for (TskTabSheet* page : pages_)
        page->SetBorderColor(BorderColor());
    if (activePage_) activePage_->Invalidate();
}

void TskPageControl::ApplyStyleToChildren(TskUIStyle Style, TskFileTheme* Theme) {
    for (TskTabSheet* page : pages_) {
        ContainerApplyUIStyle(page, Style, Theme);
        page->SetColor(Color());
        page->SetBorderColor(BorderColor());
        page->SetAlign(alClient);
    }
}
