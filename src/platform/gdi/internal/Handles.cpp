#include "platform/gdi/internal/Handles.h"

#include <mutex>
#include <vector>

namespace gdi {
namespace {

constexpr unsigned kIndexBits = 20;
constexpr HANDLE kIndexMask = (HANDLE{1} << kIndexBits) - 1;
constexpr unsigned kGenerationMask = 0x7FF; // handles stay within 31 bits

struct Slot {
    std::shared_ptr<Object> object;
    unsigned generation = 1;
};

struct Table {
    std::mutex mutex;
    std::vector<Slot> slots = std::vector<Slot>(1); // slot 0 is never used: handle 0 is none
    std::vector<std::size_t> free;
};

Table& table() {
    static Table* t = new Table; // lives until exit, so late deletions never see it gone
    return *t;
}

} // namespace

HANDLE addObject(std::shared_ptr<Object> object) {
    Table& t = table();
    std::lock_guard lock(t.mutex);
    std::size_t index;
    if (!t.free.empty()) {
        index = t.free.back();
        t.free.pop_back();
    } else {
        if (t.slots.size() > kIndexMask) return 0;
        index = t.slots.size();
        t.slots.emplace_back();
    }
    Slot& slot = t.slots[index];
    slot.object = std::move(object);
    return (static_cast<HANDLE>(slot.generation) << kIndexBits) | index;
}

std::shared_ptr<Object> findObject(HANDLE handle) {
    Table& t = table();
    std::size_t index = handle & kIndexMask;
    unsigned generation = static_cast<unsigned>(handle >> kIndexBits);
    std::lock_guard lock(t.mutex);
    if (index == 0 || index >= t.slots.size()) return nullptr;
    Slot& slot = t.slots[index];
    if (slot.generation != generation || !slot.object) return nullptr;
    return slot.object;
}

bool removeObject(HANDLE handle) {
    Table& t = table();
    std::size_t index = handle & kIndexMask;
    unsigned generation = static_cast<unsigned>(handle >> kIndexBits);
    std::shared_ptr<Object> dropped; // destroyed outside the lock
    {
        std::lock_guard lock(t.mutex);
        if (index == 0 || index >= t.slots.size()) return false;
        Slot& slot = t.slots[index];
        if (slot.generation != generation || !slot.object) return false;
        dropped = std::move(slot.object);
        slot.generation = (slot.generation % kGenerationMask) + 1;
        t.free.push_back(index);
    }
    return true;
}

} // namespace gdi
