#include "rtl/Object.h"

#include <cstdlib>
#include <cxxabi.h>
#include <mutex>
#include <typeindex>
#include <unordered_map>

RuntimeClass::RuntimeClass(const char* name, const RuntimeClass* parent,
                           void (*declare)(PropertyTable&))
    : name_(name), parent_(parent) {
    if (declare) declare(properties_);
}

bool RuntimeClass::InheritsFrom(const RuntimeClass& other) const {
    for (const RuntimeClass* c = this; c; c = c->parent_)
        if (c == &other) return true;
    return false;
}

const PropertyInfo* RuntimeClass::FindProperty(const String& name) const {
    for (const RuntimeClass* c = this; c; c = c->parent_)
        if (const PropertyInfo* info = c->properties_.Find(name)) return info;
    return nullptr;
}

const RuntimeClass& TObject::StaticClass() {
    static const RuntimeClass info("TObject", nullptr, nullptr);
    return info;
}

String TObject::ClassName() const {
    // Component loops ask for class names often; demangle each type once.
    static std::mutex mutex;
    static std::unordered_map<std::type_index, String> names;
    std::type_index type(typeid(*this));
    std::lock_guard<std::mutex> guard(mutex);
    auto it = names.find(type);
    if (it != names.end()) return it->second;
    int status = 0;
    char* demangled = abi::__cxa_demangle(type.name(), nullptr, nullptr, &status);
    String name = status == 0 && demangled ? demangled : type.name();
    std::free(demangled);
    // The class's own name, without the namespaces around it.
    int depth = 0;
    size_t start = 0;
    for (size_t i = 0; i + 1 < name.size(); ++i) {
        if (name[i] == '<' || name[i] == '(') ++depth;
        if (name[i] == '>' || name[i] == ')') --depth;
        if (depth == 0 && name[i] == ':' && name[i + 1] == ':') start = i + 2;
    }
    name.erase(0, start);
    names.emplace(type, name);
    return name;
}

void TObject::Free() {
    // Deletes this object.
    if (!destructionStarted_) {
        destructionStarted_ = true;
        BeforeDestruction();
        Destroy();
    }
    delete this;
}
