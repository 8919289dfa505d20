#include "rtl/Collection.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

int liveItems = 0;

class TColumn : public TCollectionItem {
    KORVID_CLASS(TColumn, TCollectionItem)

    TColumn() { ++liveItems; }
    ~TColumn() override { --liveItems; }

    void Assign(TPersistent* Source) override {
        if (auto* other = dynamic_cast<TColumn*>(Source)) {
            width = other->width;
            caption = other->caption;
            return;
        }
        inherited::Assign(Source);
    }
    void SetWidth(int value) {
        width = value;
        Changed(false);
    }

    int width = 0;
    String caption;
};

class TOther : public TCollectionItem {
    KORVID_CLASS(TOther, TCollectionItem)
};

// Records what the collection reports.
class TColumns : public TCollection {
    KORVID_CLASS(TColumns, TCollection)

    TColumns() : TCollection(ItemsOf<TColumn>()) {}
    TColumn* Column(int index) const { return static_cast<TColumn*>(Items(index)); }

    std::vector<String> log;

protected:
    void Update(TCollectionItem* Item) override {
        log.push_back(Item ? "update " + std::to_string(Item->Index()) : String("update all"));
    }
    void Notify(TCollectionItem* Item, TCollectionNotification Action) override {
        log.push_back(Action == cnAdded      ? "added"
                      : Action == cnDeleting ? "deleting"
                                             : "extracting");
    }
};

} // namespace

TEST(Collection, OwnsAndFreesItsItems) {
    liveItems = 0;
    {
        ObjectPtr<TColumns> columns(CreateObject<TColumns>());
        for (int i = 0; i < 3; ++i)
            columns->Add();
        EXPECT_EQ(liveItems, 3);
        columns->Delete(1);
        EXPECT_EQ(liveItems, 2);
        EXPECT_EQ(columns->Count(), 2);
        // An item freed on its own leaves the collection.
        columns->Items(0)->Free();
        EXPECT_EQ(columns->Count(), 1);
        EXPECT_THROW(columns->Items(1), EListError);
    }
    EXPECT_EQ(liveItems, 0);
}

TEST(Collection, IdsIndexesAndInsert) {
    ObjectPtr<TColumns> columns(CreateObject<TColumns>());
    TCollectionItem* first = columns->Add();
    TCollectionItem* second = columns->Add();
    TCollectionItem* front = columns->Insert(0);
    EXPECT_EQ(front->Index(), 0);
    EXPECT_EQ(first->Index(), 1);
    EXPECT_EQ(second->Index(), 2);
    EXPECT_EQ(columns->FindItemID(second->ID()), second);
    EXPECT_NE(first->ID(), front->ID());
    const int frontId = front->ID();
    columns->Delete(0);
    EXPECT_EQ(columns->FindItemID(frontId), nullptr);
    // IDs are never reused.
    EXPECT_EQ(columns->Add()->ID(), 3);
}

TEST(Collection, AssignCopiesEveryItem) {
    liveItems = 0;
    ObjectPtr<TColumns> source(CreateObject<TColumns>());
    ObjectPtr<TColumns> target(CreateObject<TColumns>());
    for (int i = 0; i < 3; ++i) {
        auto* column = static_cast<TColumn*>(source->Add());
        column->width = 10 * (i + 1);
        column->caption = "c" + std::to_string(i);
    }
    target->Add();
    target->log.clear();
    target->Assign(source.get());
    ASSERT_EQ(target->Count(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(target->Column(i)->width, 10 * (i + 1));
        EXPECT_EQ(target->Column(i)->caption, "c" + std::to_string(i));
        EXPECT_NE(target->Column(i), source->Column(i));
    }
    EXPECT_EQ(liveItems, 6);
    // Every change of the assignment is reported once, at the end.
    ASSERT_FALSE(target->log.empty());
    EXPECT_EQ(target->log.back(), "update all");
    EXPECT_EQ(std::count(target->log.begin(), target->log.end(), "update all"), 1);
}

TEST(Collection, ItemOfAnotherClassIsRefused) {
    ObjectPtr<TColumns> columns(CreateObject<TColumns>());
    columns->Add();
    ObjectPtr<TOther> other(CreateObject<TOther>());
    try {
        columns->Items(0)->Assign(other.get());
        FAIL() << "no exception";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "Cannot assign a TOther to a TColumn");
    }
}

TEST(Collection, ChangesAreReported) {
    ObjectPtr<TColumns> columns(CreateObject<TColumns>());
    columns->Add();
    auto* second = static_cast<TColumn*>(columns->Add());
    columns->log.clear();
    second->SetWidth(5);
    columns->Delete(0);
    EXPECT_EQ(columns->log,
              (std::vector<String>{"update 1", "deleting", "extracting", "update all"}));
    columns->log.clear();
    columns->BeginUpdate();
    columns->Add();
    second->SetWidth(6);
    EXPECT_EQ(columns->log, (std::vector<String>{"added"}));
    columns->EndUpdate();
    EXPECT_EQ(columns->log.back(), "update all");
}
