// The list view's items and report columns; they tell the view of every change.
#include "framework/ListView.h"
#include "rtl/AssignIfChanged.h"

#include <algorithm>

// --- TListItem ------------------------------------------------------------------------------

TListView* TListItem::ListView() const {
    return owner_ ? owner_->Owner() : nullptr;
}

void TListItem::SetCaption(const String& v) {
    if (!AssignIfChanged(caption_, v)) return;
    if (TListView* lv = ListView()) lv->ItemChanged(this);
}

void TListItem::SetImageIndex(int v) {
    if (!AssignIfChanged(imageIndex_, v)) return;
    if (TListView* lv = ListView()) lv->ItemChanged(this);
}

void TListItem::SetSubItems(std::vector<String> v) {
    subItems_ = std::move(v);
    if (TListView* lv = ListView()) lv->ItemChanged(this);
}

bool TListItem::Selected() const {
    TListView* lv = ListView();
    return lv && lv->Selected() == this;
}

void TListItem::SetSelected(bool v) {
    TListView* lv = ListView();
    if (!lv) return;
    if (v)
        lv->SetSelected(this);
    else if (lv->Selected() == this)
        lv->SetSelected(nullptr);
}

bool TListItem::EditCaption() {
    TListView* lv = ListView();
    return lv && lv->EditCaption(this);
}

void TListItem::Delete() {
    owner_->Delete(index_);
} // this item is gone after it

// --- TListItems -----------------------------------------------------------------------------

void TListItems::Destroy() {
    items_.clear();
    inherited::Destroy();
}

TListItem* TListItems::Add() {
    return Insert(Count());
}

TListItem* TListItems::Insert(int Index) {
    if (Index < 0 || Index > Count()) throw EListError("List index out of bounds");
    items_.insert(items_.begin() + Index, MakeObject<TListItem>(this));
    Renumber(Index);
    owner_->ItemsChanged();
    return items_[static_cast<size_t>(Index)].get();
}

void TListItems::Delete(int Index) {
    TListItem* item = Item(Index);
    owner_->ItemRemoving(item);
    items_.erase(items_.begin() + Index);
    Renumber(Index);
    owner_->ItemsChanged();
}

void TListItems::Clear() {
    if (items_.empty()) return;
    for (auto& item : items_)
        owner_->ItemRemoving(item.get());
    items_.clear();
    owner_->ItemsChanged();
}

TListItem* TListItems::Item(int Index) const {
    if (Index < 0 || Index >= Count()) throw EListError("List index out of bounds");
    return items_[static_cast<size_t>(Index)].get();
}

int TListItems::IndexOf(const TListItem* Value) const {
    return Value && Value->owner_ == this ? Value->index_ : -1;
}

void TListItems::BeginUpdate() {
    ++owner_->updating_;
}

void TListItems::EndUpdate() {
    if (owner_->updating_ > 0 && --owner_->updating_ == 0) owner_->ItemsChanged();
}

void TListItems::Renumber(int from) {
    for (size_t i = static_cast<size_t>(std::max(0, from)); i < items_.size(); ++i)
        items_[i]->index_ = static_cast<int>(i);
}

// --- columns --------------------------------------------------------------------------------

void TListColumn::Changed() {
    if (owner_) owner_->ColumnsChanged();
}

void TListColumn::SetCaption(const String& v) {
    caption_ = v;
    Changed();
}

void TListColumn::SetWidth(int v) {
    width_ = std::max(0, v);
    Changed();
}

void TListColumn::SetAlignment(TListColumnAlignment v) {
    alignment_ = v;
    Changed();
}

TListColumn* TListColumns::Add() {
    columns_.push_back(MakeObject<TListColumn>(owner_));
    owner_->ColumnsChanged();
    return columns_.back().get();
}

void TListColumns::Clear() {
    columns_.clear();
    owner_->ColumnsChanged();
}

void TListColumns::Delete(int Index) {
    Items(Index);
    columns_.erase(columns_.begin() + Index);
    owner_->ColumnsChanged();
}

TListColumn* TListColumns::Items(int Index) const {
    if (Index < 0 || Index >= Count()) throw EListError("List index out of bounds");
    return columns_[static_cast<size_t>(Index)].get();
}
