#include "framework/Resources.h"

#include <map>
#include <mutex>

namespace resources {
namespace {

String Key(const String& name) {
    String key = name;
    for (char& c : key)
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    return key;
}

// Built on first use, so registrations from any translation unit's static initialisers work.
struct Registry {
    std::mutex lock;
    std::map<String, std::span<const Byte>> bitmaps;
    std::map<String, String> strings;
    std::map<String, std::span<const Byte>> icons;
};

Registry& TheRegistry() {
    static Registry registry;
    return registry;
}

} // namespace

void RegisterBitmap(const String& name, std::span<const Byte> data) {
    Registry& r = TheRegistry();
    std::lock_guard guard(r.lock);
    r.bitmaps[Key(name)] = data;
}

void RegisterString(const String& name, const String& text) {
    Registry& r = TheRegistry();
    std::lock_guard guard(r.lock);
    r.strings[Key(name)] = text;
}

std::span<const Byte> FindBitmap(const String& name) {
    Registry& r = TheRegistry();
    std::lock_guard guard(r.lock);
    auto it = r.bitmaps.find(Key(name));
    return it == r.bitmaps.end() ? std::span<const Byte>() : it->second;
}

void RegisterIcon(const String& name, std::span<const Byte> data) {
    Registry& r = TheRegistry();
    std::lock_guard guard(r.lock);
    r.icons[Key(name)] = data;
}

std::span<const Byte> FindIcon(const String& name) {
    Registry& r = TheRegistry();
    std::lock_guard guard(r.lock);
    auto it = r.icons.find(Key(name));
    return it == r.icons.end() ? std::span<const Byte>() : it->second;
}

bool HasString(const String& name) {
    Registry& r = TheRegistry();
    std::lock_guard guard(r.lock);
    return r.strings.count(Key(name)) != 0;
}

String LoadString(const String& name) {
    Registry& r = TheRegistry();
    std::lock_guard guard(r.lock);
    auto it = r.strings.find(Key(name));
    if (it == r.strings.end()) throw EResNotFound("Resource " + name + " not found");
    return it->second;
}

} // namespace resources
