#include "rtl/Lists.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

int a = 1, b = 2, c = 3;

std::vector<int*> Items(const TList<int*>& list) {
    return list.Vector();
}

} // namespace

TEST(List, AddInsertDeleteKeepOrder) {
    TList<int*> list;
    EXPECT_EQ(list.Add(&a), 0);
    EXPECT_EQ(list.Add(&c), 1);
    list.Insert(1, &b);
    list.Insert(3, &a); // at Count: appends
    EXPECT_EQ(Items(list), (std::vector<int*>{&a, &b, &c, &a}));
    list.Delete(0);
    EXPECT_EQ(Items(list), (std::vector<int*>{&b, &c, &a}));
    EXPECT_EQ(list.First(), &b);
    EXPECT_EQ(list.Last(), &a);
}

TEST(List, RemoveTakesOnlyTheFirstMatch) {
    TList<int*> list;
    for (int* p : {&a, &b, &a, &c})
        list.Add(p);
    EXPECT_EQ(list.Remove(&a), 0);
    EXPECT_EQ(Items(list), (std::vector<int*>{&b, &a, &c}));
    EXPECT_EQ(list.Remove(&a), 1);
    EXPECT_EQ(list.Remove(&a), -1);
    EXPECT_EQ(Items(list), (std::vector<int*>{&b, &c}));
}

TEST(List, IndexOutOfBoundsRaisesListError) {
    TList<int*> list;
    list.Add(&a);
    EXPECT_THROW(list.Get(1), EListError);
    EXPECT_THROW(list.Get(-1), EListError);
    EXPECT_THROW(list.Delete(1), EListError);
    EXPECT_THROW(list.Insert(2, &b), EListError);
    EXPECT_THROW(list.Move(0, 1), EListError);
    EXPECT_THROW(list.Exchange(0, 5), EListError);
    try {
        list.Get(7);
        FAIL() << "no exception";
    } catch (const EListError& e) {
        EXPECT_EQ(e.Message(), "List index out of bounds (7)");
    }
    EXPECT_EQ(list.Count(), 1); // nothing changed by the failed calls
}

TEST(List, SortIsStableAndUsesTheComparison) {
    struct Entry {
        int key;
        char tag;
    };
    Entry e[] = {{3, 'a'}, {1, 'b'}, {3, 'c'}, {2, 'd'}, {1, 'e'}};
    TList<Entry*> list;
    for (Entry& x : e)
        list.Add(&x);
    list.Sort([](Entry* l, Entry* r) { return l->key - r->key; });
    String order;
    for (Entry* x : list)
        order += x->tag;
    EXPECT_EQ(order, "bedac");
}

TEST(List, MoveExchangeAndPack) {
    TList<int*> list;
    for (int* p : std::vector<int*>{&a, nullptr, &b, nullptr, &c})
        list.Add(p);
    list.Pack();
    EXPECT_EQ(Items(list), (std::vector<int*>{&a, &b, &c}));
    list.Move(0, 2);
    EXPECT_EQ(Items(list), (std::vector<int*>{&b, &c, &a}));
    list.Exchange(0, 2);
    EXPECT_EQ(Items(list), (std::vector<int*>{&a, &c, &b}));
    EXPECT_EQ(list.Extract(&c), &c);
    EXPECT_EQ(list.Extract(&c), nullptr);
    EXPECT_EQ(Items(list), (std::vector<int*>{&a, &b}));
}

TEST(ThreadList, LockIsRecursiveAndDuplicatesFollowTheSetting) {
    TThreadList<int*> list;
    {
        LockedList<int*> outer(list);
        // The holder may lock again and use the list's own calls.
        LockedList<int*> inner(list);
        list.Add(&a);
        list.Add(&a); // dupIgnore
        EXPECT_EQ(outer->Count(), 1);
    }
    list.SetDuplicates(dupError);
    EXPECT_THROW(list.Add(&a), EListError);
    list.SetDuplicates(dupAccept);
    list.Add(&a);
    EXPECT_EQ(LockedList<int*>(list)->Count(), 2);
}

TEST(ThreadList, ConcurrentAddsAreNotLost) {
    TThreadList<int*> list;
    list.SetDuplicates(dupAccept);
    std::vector<std::thread> workers;
    for (int t = 0; t < 4; ++t)
        workers.emplace_back([&] {
            for (int i = 0; i < 500; ++i)
                list.Add(&a);
        });
    for (auto& w : workers)
        w.join();
    EXPECT_EQ(LockedList<int*>(list)->Count(), 2000);
}
