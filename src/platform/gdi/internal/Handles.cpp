#include "platform/gdi/internal/Handles.h"

#include "platform/HandleTable.h"

namespace gdi {
namespace {

// Handles stay within 31 bits: 20 bits of slot, 11 of generation.
HandleTable<Object>& table() {
    static auto* t = new HandleTable<Object>(HandleLayout{
        .tag = 0, .indexBits = 20, .firstIndex = 1, .generationShift = 20, .maxGeneration = 0x7FF});
    return *t; // lives until exit, so late deletions never see it gone
}

} // namespace

HANDLE addObject(std::shared_ptr<Object> object) {
    return table().Add(std::move(object));
}

std::shared_ptr<Object> findObject(HANDLE handle) {
    return table().Find(handle);
}

bool removeObject(HANDLE handle) {
    return table().Remove(handle) != nullptr; // the object goes here, outside the lock
}

} // namespace gdi
