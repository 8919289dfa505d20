#pragma once
// Collections: lists of items of one class that the collection makes, owns and frees.
#include "rtl/Persistent.h"

#include <functional>
#include <vector>

class TCollection;

enum TCollectionNotification { cnAdded, cnExtracting, cnDeleting };

class TCollectionItem : public TPersistent {
    KORVID_CLASS(TCollectionItem, TPersistent)

    TCollectionItem() = default;
    ~TCollectionItem() override; // leaves its collection

    TCollection* Collection() const { return collection_; }
    // Moves the item to another collection (or to none).
    void SetCollection(TCollection* value);
    int Index() const;
    void SetIndex(int value);
    int ID() const { return id_; }
    virtual String DisplayName() const;
    TPersistent* GetOwner() override;

protected:
    // Tells the collection that this item (or, with AllItems, every item) changed.
    void Changed(bool AllItems);

private:
    friend class TCollection;
    TCollection* collection_ = nullptr;
    int id_ = 0;
};

class TCollection : public TPersistent {
    KORVID_CLASS(TCollection, TPersistent)

    using ItemFactory = std::function<TCollectionItem*()>;
    template <class Item> static ItemFactory ItemsOf() {
        return [] { return static_cast<TCollectionItem*>(CreateObject<Item>()); };
    }

    explicit TCollection(ItemFactory makeItem);
    ~TCollection() override; // frees the items

    int Count() const { return static_cast<int>(items_.size()); }
    // Raises EListError out of range.
    TCollectionItem* Items(int index) const;
    void SetItem(int index, TCollectionItem* source) { Items(index)->Assign(source); }
    TCollectionItem* Add();
    TCollectionItem* Insert(int index);
    void Delete(int index);
    void Clear();
    TCollectionItem* FindItemID(int id) const;

    // Changes between BeginUpdate and the last EndUpdate are reported once, as Update(nil).
    virtual void BeginUpdate();
    virtual void EndUpdate();
    int UpdateCount() const { return updateCount_; }

    // Replaces the items with copies of another collection's items.
    void Assign(TPersistent* Source) override;
    TPersistent* GetOwner() override { return nullptr; }

protected:
    // A change to Item, or to the whole collection when Item is nil.
    virtual void Update(TCollectionItem* Item) {}
    virtual void Notify(TCollectionItem* Item, TCollectionNotification Action) {}
    void Changed();

private:
    friend class TCollectionItem;
    void InsertItem(TCollectionItem* item);
    void RemoveItem(TCollectionItem* item);
    void ItemChanged(TCollectionItem* item);

    ItemFactory makeItem_;
    std::vector<TCollectionItem*> items_;
    int nextId_ = 0;
    int updateCount_ = 0;
    bool destroying_ = false;
};

// A collection that knows the persistent object it belongs to.
class TOwnedCollection : public TCollection {
    KORVID_CLASS(TOwnedCollection, TCollection)

    TOwnedCollection(TPersistent* owner, ItemFactory makeItem)
        : TCollection(std::move(makeItem)), owner_(owner) {}
    TPersistent* GetOwner() override { return owner_; }

private:
    TPersistent* owner_;
};
