#include "platform/HandleTable.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

struct Thing {
    explicit Thing(int v, int* counter) : value(v), alive(counter) { ++*alive; }
    ~Thing() { --*alive; }
    int value;
    int* alive;
};

} // namespace

TEST(HandleTable, AFoundObjectOutlivesItsRemovalAndAStaleHandleNeverFindsTheNextOne) {
    HandleTable<Thing> table(HandleLayout{
        .tag = 0xA000, .indexBits = 8, .firstIndex = 1, .generationShift = 16, .maxGeneration = 3});
    int alive = 0;
    const std::uintptr_t first = table.Add(std::make_shared<Thing>(1, &alive));
    ASSERT_NE(first, 0u);
    EXPECT_EQ(first & 0xA000, 0xA000u);
    std::shared_ptr<Thing> held = table.Find(first);
    ASSERT_TRUE(held);
    EXPECT_TRUE(table.Remove(first));
    EXPECT_EQ(alive, 1) << "the holder keeps it";
    EXPECT_FALSE(table.Find(first));
    EXPECT_FALSE(table.Remove(first));
    held.reset();
    EXPECT_EQ(alive, 0);

    // The slot is reused under a new generation; the old handle stays dead, through the wrap.
    std::uintptr_t previous = first;
    for (int round = 0; round < 4; ++round) {
        const std::uintptr_t next = table.Add(std::make_shared<Thing>(round, &alive));
        EXPECT_EQ(next & 0xFF, first & 0xFF) << "same slot";
        EXPECT_NE(next, previous);
        EXPECT_FALSE(table.Find(previous));
        EXPECT_EQ(table.Find(next)->value, round);
        table.Remove(next);
        previous = next;
    }
    // Handles without the tag, or with bits outside the layout, find nothing.
    const std::uintptr_t live = table.Add(std::make_shared<Thing>(7, &alive));
    EXPECT_FALSE(table.Find(live & ~std::uintptr_t(0xA000)));
    EXPECT_FALSE(table.Find(live | (std::uintptr_t(1) << 40)));
    EXPECT_EQ(table.All().size(), 1u);
}

TEST(HandleTable, AFullTableSaysSoWithZero) {
    HandleTable<int> table(HandleLayout{
        .tag = 0, .indexBits = 2, .firstIndex = 1, .generationShift = 2, .maxGeneration = 7});
    EXPECT_NE(table.Add(std::make_shared<int>(1)), 0u);
    EXPECT_NE(table.Add(std::make_shared<int>(2)), 0u);
    EXPECT_NE(table.Add(std::make_shared<int>(3)), 0u);
    EXPECT_EQ(table.Add(std::make_shared<int>(4)), 0u); // slot numbers 1..3 only
}
