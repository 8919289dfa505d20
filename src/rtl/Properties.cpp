#include "rtl/Properties.h"

#include "rtl/Object.h"
#include "rtl/Text.h"

void PropertyTable::Add(PropertyInfo info) {
    for (PropertyInfo& e : entries_) {
        if (SameText(e.Name, info.Name)) {
            e = std::move(info);
            return;
        }
    }
    entries_.push_back(std::move(info));
}

const PropertyInfo* PropertyTable::Find(const String& name) const {
    for (const PropertyInfo& e : entries_)
        if (SameText(e.Name, name)) return &e;
    return nullptr;
}

namespace {

const PropertyInfo& Require(const TObject* object, const String& name, TTypeKind a,
                            TTypeKind b = tkUnknown) {
    if (!object) throw EPropertyError("No object for property " + name);
    const PropertyInfo* info = object->ClassType().FindProperty(name);
    if (!info) throw EPropertyError("Unknown property: \"" + name + "\"");
    if (info->Kind != a && (b == tkUnknown || info->Kind != b))
        throw EPropertyError("Invalid property type: \"" + name + "\"");
    return *info;
}

[[noreturn]] void ReadOnly(const String& name) {
    throw EPropertyError("Property \"" + name + "\" is read-only");
}

} // namespace

const PropertyInfo* GetPropInfo(const TObject* object, const String& name) {
    return object ? object->ClassType().FindProperty(name) : nullptr;
}

bool IsPublishedProp(const TObject* object, const String& name) {
    return GetPropInfo(object, name) != nullptr;
}

TTypeKind PropType(const TObject* object, const String& name) {
    const PropertyInfo* info = GetPropInfo(object, name);
    if (!info) throw EPropertyError("Unknown property: \"" + name + "\"");
    return info->Kind;
}

std::vector<const PropertyInfo*> GetPropList(const TObject* object) {
    std::vector<const PropertyInfo*> list;
    if (!object) return list;
    for (const RuntimeClass* c = &object->ClassType(); c; c = c->Parent()) {
        for (const PropertyInfo& e : c->OwnProperties().Entries()) {
            // A name published again lower down hides the one above.
            bool hidden = false;
            for (const PropertyInfo* seen : list)
                hidden = hidden || SameText(seen->Name, e.Name);
            if (!hidden) list.push_back(&e);
        }
    }
    return list;
}

Int64 GetOrdProp(const TObject* object, const String& name) {
    return Require(object, name, tkInteger, tkEnumeration).GetOrdinal(*object);
}

void SetOrdProp(TObject* object, const String& name, Int64 value) {
    const PropertyInfo& info = Require(object, name, tkInteger, tkEnumeration);
    if (!info.SetOrdinal) ReadOnly(name);
    info.SetOrdinal(*object, value);
}

String GetStrProp(const TObject* object, const String& name) {
    return Require(object, name, tkString).GetText(*object);
}

void SetStrProp(TObject* object, const String& name, const String& value) {
    const PropertyInfo& info = Require(object, name, tkString);
    if (!info.SetText) ReadOnly(name);
    info.SetText(*object, value);
}

TObject* GetObjectProp(const TObject* object, const String& name) {
    return Require(object, name, tkClass).GetObject(*object);
}

void SetObjectProp(TObject* object, const String& name, TObject* value) {
    const PropertyInfo& info = Require(object, name, tkClass);
    if (!info.SetObject) ReadOnly(name);
    info.SetObject(*object, value);
}

std::any GetMethodPropValue(const TObject* object, const String& name) {
    return Require(object, name, tkMethod).GetMethod(*object);
}

void SetMethodPropValue(TObject* object, const String& name, const std::any& value) {
    Require(object, name, tkMethod).SetMethod(*object, value);
}
