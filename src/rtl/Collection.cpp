#include "rtl/Collection.h"

#include "rtl/ScopeGuard.h"

#include <algorithm>
#include <string>

TCollectionItem::~TCollectionItem() {
    if (collection_) collection_->RemoveItem(this);
}

void TCollectionItem::SetCollection(TCollection* value) {
    if (value == collection_) return;
    if (collection_) collection_->RemoveItem(this);
    if (value) value->InsertItem(this);
}

int TCollectionItem::Index() const {
    if (!collection_) return -1;
    auto& items = collection_->items_;
    auto it = std::find(items.begin(), items.end(), this);
    return it == items.end() ? -1 : static_cast<int>(it - items.begin());
}

void TCollectionItem::SetIndex(int value) {
    int current = Index();
    if (current < 0 || value == current) return;
    auto& items = collection_->items_;
    int last = static_cast<int>(items.size()) - 1;
    value = std::clamp(value, 0, last);
    items.erase(items.begin() + current);
    items.insert(items.begin() + value, this);
    Changed(true);
}

String TCollectionItem::DisplayName() const {
    return ClassName();
}

TPersistent* TCollectionItem::GetOwner() {
    return collection_;
}

void TCollectionItem::Changed(bool AllItems) {
    if (collection_) collection_->ItemChanged(AllItems ? nullptr : this);
}

TCollection::TCollection(ItemFactory makeItem) : makeItem_(std::move(makeItem)) {}

TCollection::~TCollection() {
    // Update and Notify belong to the derived collection that is already gone.
    destroying_ = true;
    ++updateCount_;
    while (!items_.empty()) {
        TCollectionItem* last = items_.back();
        items_.pop_back();
        last->collection_ = nullptr;
        last->Free();
    }
}

TCollectionItem* TCollection::Items(int index) const {
    if (index < 0 || index >= Count())
        throw EListError("List index out of bounds (" + std::to_string(index) + ")");
    return items_[static_cast<size_t>(index)];
}

TCollectionItem* TCollection::Add() {
    if (!makeItem_) throw EInvalidOperation("This collection has no item class");
    TCollectionItem* item = makeItem_();
    InsertItem(item);
    return item;
}

TCollectionItem* TCollection::Insert(int index) {
    TCollectionItem* item = Add();
    item->SetIndex(index);
    return item;
}

void TCollection::Delete(int index) {
    TCollectionItem* item = Items(index);
    Notify(item, cnDeleting);
    item->Free(); // leaves the collection, which reports the change
}

void TCollection::Clear() {
    if (items_.empty()) return;
    UpdateScope update(this);
    while (!items_.empty())
        Delete(Count() - 1);
}

TCollectionItem* TCollection::FindItemID(int id) const {
    for (TCollectionItem* item : items_)
        if (item->id_ == id) return item;
    return nullptr;
}

void TCollection::BeginUpdate() {
    ++updateCount_;
}

void TCollection::EndUpdate() {
    if (updateCount_ > 0 && --updateCount_ == 0) Changed();
}

void TCollection::Assign(TPersistent* Source) {
    if (auto* other = dynamic_cast<TCollection*>(Source)) {
        if (other == this) return;
        UpdateScope update(this);
        Clear();
        for (TCollectionItem* item : other->items_)
            Add()->Assign(item);
        return;
    }
    inherited::Assign(Source);
}

void TCollection::Changed() {
    if (updateCount_ == 0) Update(nullptr);
}

void TCollection::InsertItem(TCollectionItem* item) {
    items_.push_back(item);
    item->collection_ = this;
    item->id_ = nextId_++;
    Notify(item, cnAdded);
    Changed();
}

void TCollection::RemoveItem(TCollectionItem* item) {
    if (!destroying_) Notify(item, cnExtracting);
    auto it = std::find(items_.begin(), items_.end(), item);
    if (it != items_.end()) items_.erase(it);
    item->collection_ = nullptr;
    if (!destroying_) Changed();
}

void TCollection::ItemChanged(TCollectionItem* item) {
    if (updateCount_ == 0) Update(item);
}
