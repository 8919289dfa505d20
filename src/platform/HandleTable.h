#pragma once
// A table that turns handles into objects. A handle is a tag, the slot's generation and the
// slot's number; removing an object bumps the generation, so a handle kept after that no
// longer finds anything, not even a later object in the same slot. Objects are held by
// shared_ptr: whoever looked one up keeps it alive even if another thread removes the handle
// meanwhile, and the table never destroys an object while it holds its lock.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

// Where the parts of a handle lie. The generation runs from 1 to maxGeneration and wraps.
struct HandleLayout {
    std::uintptr_t tag = 0;        // bits that every handle of the table carries
    unsigned indexBits = 20;       // the slot number, in the lowest bits
    std::uintptr_t firstIndex = 1; // the number of the first slot (1: no handle is 0)
    unsigned generationShift = 20; // where the generation starts
    std::uintptr_t maxGeneration = 0x7FF;
};

template <class T> class HandleTable {
public:
    explicit HandleTable(HandleLayout layout) : layout_(layout) {}
    HandleTable(const HandleTable&) = delete;
    HandleTable& operator=(const HandleTable&) = delete;

    // The handle of a new entry; 0 when the table is full. make gets the handle first, for an
    // object that wants to know its own.
    template <class Make> std::uintptr_t AddWith(Make&& make) {
        std::lock_guard lock(mutex_);
        std::size_t slot;
        if (!free_.empty()) {
            slot = free_.back();
            free_.pop_back();
        } else {
            if (slots_.size() + layout_.firstIndex > IndexMask()) return 0;
            slot = slots_.size();
            slots_.emplace_back();
        }
        Slot& s = slots_[slot];
        const std::uintptr_t handle =
            layout_.tag | (s.generation << layout_.generationShift) | (slot + layout_.firstIndex);
        s.object = make(handle);
        if (!s.object) {
            free_.push_back(slot);
            return 0;
        }
        return handle;
    }
    std::uintptr_t Add(std::shared_ptr<T> object) {
        return AddWith([&](std::uintptr_t) { return std::move(object); });
    }

    std::shared_ptr<T> Find(std::uintptr_t handle) const {
        std::lock_guard lock(mutex_);
        const Slot* s = SlotOf(handle);
        return s ? s->object : nullptr;
    }

    // Takes the object out and makes the handle dead; nullptr when it was not live. The
    // caller drops the object, outside the table's lock.
    std::shared_ptr<T> Remove(std::uintptr_t handle) {
        std::lock_guard lock(mutex_);
        Slot* s = const_cast<Slot*>(SlotOf(handle));
        if (!s) return nullptr;
        std::shared_ptr<T> out = std::move(s->object);
        s->generation = s->generation >= layout_.maxGeneration ? 1 : s->generation + 1;
        free_.push_back(static_cast<std::size_t>(s - slots_.data()));
        return out;
    }

    // Every live object, in slot order.
    std::vector<std::shared_ptr<T>> All() const {
        std::lock_guard lock(mutex_);
        std::vector<std::shared_ptr<T>> out;
        for (const Slot& s : slots_)
            if (s.object) out.push_back(s.object);
        return out;
    }

private:
    struct Slot {
        std::shared_ptr<T> object;
        std::uintptr_t generation = 1;
    };

    std::uintptr_t IndexMask() const { return (std::uintptr_t(1) << layout_.indexBits) - 1; }

    const Slot* SlotOf(std::uintptr_t handle) const {
        const std::uintptr_t generationBits = layout_.maxGeneration << layout_.generationShift;
        if ((handle & ~(IndexMask() | generationBits)) != layout_.tag) return nullptr;
        const std::uintptr_t index = handle & IndexMask();
        if (index < layout_.firstIndex || index - layout_.firstIndex >= slots_.size())
            return nullptr;
        const Slot& s = slots_[index - layout_.firstIndex];
        const std::uintptr_t generation = (handle & generationBits) >> layout_.generationShift;
        return s.object && s.generation == generation ? &s : nullptr;
    }

    const HandleLayout layout_;
    mutable std::mutex mutex_;
    std::vector<Slot> slots_;
    std::vector<std::size_t> free_;
};
