#pragma once
// The table that turns GDI handles into objects. A handle is a slot index plus the slot's
// generation, so a handle kept after DeleteObject no longer finds anything. Objects are held
// by shared_ptr: a call that looked one up keeps it alive even if another thread deletes
// the handle meanwhile.
#include "platform/WinTypes.h"

#include <memory>

namespace gdi {

enum class Kind { Bitmap, Dc, Pen, Brush, Font, Palette, Region };

struct Object {
    explicit Object(Kind k) : kind(k) {}
    virtual ~Object() = default;
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;
    const Kind kind;
    bool stock = false;
};

HANDLE addObject(std::shared_ptr<Object> object);
std::shared_ptr<Object> findObject(HANDLE handle);
// Drops the handle; false when it was not live.
bool removeObject(HANDLE handle);

template <class T> std::shared_ptr<T> find(HANDLE handle) {
    auto object = findObject(handle);
    if (!object || object->kind != T::kKind) return nullptr;
    return std::static_pointer_cast<T>(object);
}

template <class T, class... Args> std::pair<HANDLE, std::shared_ptr<T>> make(Args&&... args) {
    auto object = std::make_shared<T>(std::forward<Args>(args)...);
    HANDLE handle = addObject(object);
    return {handle, std::move(object)};
}

} // namespace gdi
