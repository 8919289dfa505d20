#pragma once
// An ordered list of pointers, and a list of pointers shared between threads.
// TList<> holds untyped pointers; TList<TGIFItem*> is the same list, typed. The list owns
// nothing: freeing what the pointers point to is the caller's business.
#include "rtl/Exception.h"
#include "rtl/Object.h"

#include <algorithm>
#include <functional>
#include <mutex>
#include <vector>

enum TDuplicates { dupIgnore, dupAccept, dupError };

namespace rtl_detail {
[[noreturn]] void RaiseListIndexError(int index);
}

template <class T = void*> class TList : public TObject {
public:
    using Item = T;
    // Negative when a sorts before b, 0 when equal, positive after.
    using Compare = std::function<int(T a, T b)>;

    int Count() const { return static_cast<int>(items_.size()); }
    bool Empty() const { return items_.empty(); }
    int Capacity() const { return static_cast<int>(items_.capacity()); }
    void SetCapacity(int capacity) {
        if (capacity > 0) items_.reserve(static_cast<size_t>(capacity));
    }

    T Get(int index) const { return items_[Check(index)]; }
    void Put(int index, T item) { items_[Check(index)] = item; }
    T operator[](int index) const { return Get(index); }
    T Items(int index) const { return Get(index); }
    T First() const { return Get(0); }
    T Last() const { return Get(Count() - 1); }

    int Add(T item) {
        items_.push_back(item);
        return Count() - 1;
    }
    // index may equal Count (append).
    void Insert(int index, T item) {
        if (index < 0 || index > Count()) rtl_detail::RaiseListIndexError(index);
        // The counted form: GCC 12 sees an overflow in the moves of the single-item one.
        items_.insert(items_.begin() + index, 1, item);
    }
    void Delete(int index) { items_.erase(items_.begin() + Check(index)); }
    // Removes the first occurrence; returns its index, or -1 when absent.
    int Remove(T item) {
        int index = IndexOf(item);
        if (index >= 0) items_.erase(items_.begin() + index);
        return index;
    }
    // Removes the first occurrence and returns it, or a null item when absent.
    T Extract(T item) {
        int index = IndexOf(item);
        if (index < 0) return T{};
        items_.erase(items_.begin() + index);
        return item;
    }
    int IndexOf(T item) const {
        auto it = std::find(items_.begin(), items_.end(), item);
        return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
    }
    void Clear() { items_.clear(); }
    void Exchange(int a, int b) { std::swap(items_[Check(a)], items_[Check(b)]); }
    void Move(int from, int to) {
        T item = Get(from);
        Check(to);
        items_.erase(items_.begin() + from);
        items_.insert(items_.begin() + to, item);
    }
    // Removes every null item.
    void Pack() { items_.erase(std::remove(items_.begin(), items_.end(), T{}), items_.end()); }
    // Equal items keep their order.
    void Sort(const Compare& compare) {
        std::stable_sort(items_.begin(), items_.end(), [&](T a, T b) { return compare(a, b) < 0; });
    }
    void Assign(const TList& source) { items_ = source.items_; }

    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }
    const std::vector<T>& Vector() const { return items_; }

private:
    size_t Check(int index) const {
        if (index < 0 || index >= Count()) rtl_detail::RaiseListIndexError(index);
        return static_cast<size_t>(index);
    }
    std::vector<T> items_;
};

// A TList behind a recursive lock: a thread that holds the list may lock it again.
template <class T = void*> class TThreadList : public TObject {
public:
    // Locks the list and returns it; every LockList needs its UnlockList.
    TList<T>* LockList() {
        mutex_.lock();
        return &list_;
    }
    void UnlockList() { mutex_.unlock(); }

    // Adding an item already present follows Duplicates (dupIgnore by default; dupError
    // raises EListError "Duplicates not allowed").
    void Add(T item) {
        std::lock_guard<std::recursive_mutex> guard(mutex_);
        if (duplicates_ != dupAccept && list_.IndexOf(item) >= 0) {
            if (duplicates_ == dupError) throw EListError("Duplicates not allowed");
            return;
        }
        list_.Add(item);
    }
    void Remove(T item) {
        std::lock_guard<std::recursive_mutex> guard(mutex_);
        list_.Remove(item);
    }
    void Clear() {
        std::lock_guard<std::recursive_mutex> guard(mutex_);
        list_.Clear();
    }
    TDuplicates Duplicates() const { return duplicates_; }
    void SetDuplicates(TDuplicates value) { duplicates_ = value; }

private:
    std::recursive_mutex mutex_;
    TList<T> list_;
    TDuplicates duplicates_ = dupIgnore;
};

// Holds a TThreadList locked for the lifetime of the scope.
template <class T> class LockedList {
public:
    explicit LockedList(TThreadList<T>& list) : owner_(list), list_(list.LockList()) {}
    ~LockedList() { owner_.UnlockList(); }
    LockedList(const LockedList&) = delete;
    LockedList& operator=(const LockedList&) = delete;
    TList<T>* operator->() const { return list_; }
    TList<T>& operator*() const { return *list_; }

private:
    TThreadList<T>& owner_;
    TList<T>* list_;
};
