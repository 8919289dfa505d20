#include "platform/kernel/Events.h"

#include "platform/kernel/Clock.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <new>
#include <vector>

namespace {

struct Event {
    std::mutex mutex;
    std::condition_variable changed;
    bool manualReset = false;
    bool signalled = false;
};

// Handle layout: a tag that marks kernel objects, the slot's generation, the slot index + 1.
constexpr HANDLE kTag = HANDLE{0x4B} << 56;
constexpr HANDLE kTagMask = HANDLE{0xFF} << 56;
constexpr int kIndexBits = 24;
constexpr HANDLE kIndexMask = (HANDLE{1} << kIndexBits) - 1;
constexpr HANDLE kGenerationMask = (HANDLE{1} << 32) - 1;

struct Slot {
    std::shared_ptr<Event> event;
    std::uint32_t generation = 1;
};

class HandleTable {
public:
    HANDLE Add(std::shared_ptr<Event> event) {
        std::lock_guard<std::mutex> guard(mutex_);
        size_t index;
        if (!free_.empty()) {
            index = free_.back();
            free_.pop_back();
        } else {
            if (slots_.size() >= kIndexMask) return 0;
            index = slots_.size();
            slots_.emplace_back();
        }
        Slot& slot = slots_[index];
        slot.event = std::move(event);
        return kTag | (HANDLE{slot.generation} << kIndexBits) | (index + 1);
    }

    std::shared_ptr<Event> Find(HANDLE handle) {
        std::lock_guard<std::mutex> guard(mutex_);
        Slot* slot = Locate(handle);
        return slot ? slot->event : nullptr;
    }

    bool Remove(HANDLE handle) {
        std::lock_guard<std::mutex> guard(mutex_);
        Slot* slot = Locate(handle);
        if (!slot) return false;
        slot->event.reset();
        // Generation 0 never appears in a handle, so a wrapped counter skips it.
        if (++slot->generation == 0) slot->generation = 1;
        free_.push_back(static_cast<size_t>(slot - slots_.data()));
        return true;
    }

private:
    Slot* Locate(HANDLE handle) {
        if ((handle & kTagMask) != kTag) return nullptr;
        HANDLE index = handle & kIndexMask;
        HANDLE generation = (handle >> kIndexBits) & kGenerationMask;
        if (index == 0 || index > slots_.size()) return nullptr;
        Slot& slot = slots_[index - 1];
        if (!slot.event || slot.generation != generation) return nullptr;
        return &slot;
    }

    std::mutex mutex_;
    std::vector<Slot> slots_;
    std::vector<size_t> free_;
};

HandleTable& Table() {
    static HandleTable table;
    return table;
}

thread_local DWORD lastError = ERROR_SUCCESS;

std::shared_ptr<Event> FindEvent(HANDLE handle) {
    auto event = Table().Find(handle);
    if (!event) lastError = ERROR_INVALID_HANDLE;
    return event;
}

} // namespace

HANDLE CreateEventA(LPSECURITY_ATTRIBUTES, BOOL manualReset, BOOL initialState, LPCSTR) {
    std::shared_ptr<Event> event;
    try {
        event = std::make_shared<Event>();
    } catch (const std::bad_alloc&) {
        lastError = ERROR_NOT_ENOUGH_MEMORY;
        return 0;
    }
    event->manualReset = manualReset != FALSE;
    event->signalled = initialState != FALSE;
    HANDLE handle = Table().Add(std::move(event));
    if (!handle) lastError = ERROR_NOT_ENOUGH_MEMORY;
    return handle;
}

HANDLE CreateEvent(LPSECURITY_ATTRIBUTES attributes, BOOL manualReset, BOOL initialState,
                   LPCSTR name) {
    return CreateEventA(attributes, manualReset, initialState, name);
}

BOOL SetEvent(HANDLE handle) {
    auto event = FindEvent(handle);
    if (!event) return FALSE;
    {
        std::lock_guard<std::mutex> guard(event->mutex);
        event->signalled = true;
    }
    event->changed.notify_all();
    return TRUE;
}

BOOL ResetEvent(HANDLE handle) {
    auto event = FindEvent(handle);
    if (!event) return FALSE;
    std::lock_guard<std::mutex> guard(event->mutex);
    event->signalled = false;
    return TRUE;
}

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
    auto event = FindEvent(handle);
    if (!event) return WAIT_FAILED;
    kernel::Clock& clock = kernel::CurrentClock();
    std::unique_lock<std::mutex> lock(event->mutex);
    if (!event->signalled && milliseconds != 0) {
        kernel::Milliseconds deadline =
            milliseconds == INFINITE ? kernel::kForever : clock.Now() + milliseconds;
        clock.WaitUntil(lock, event->changed, deadline, [&] { return event->signalled; });
    }
    if (!event->signalled) return WAIT_TIMEOUT;
    if (!event->manualReset) event->signalled = false;
    return WAIT_OBJECT_0;
}

BOOL CloseHandle(HANDLE handle) {
    if (Table().Remove(handle)) return TRUE;
    lastError = ERROR_INVALID_HANDLE;
    return FALSE;
}

DWORD GetLastError() {
    return lastError;
}

void SetLastError(DWORD error) {
    lastError = error;
}
