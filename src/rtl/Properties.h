#pragma once
// Published properties by name. Each class keeps a table of the properties it publishes
// itself; a lookup goes from the object's class up through its parents, so inherited entries
// count and a derived class may publish a name again with its own accessors. Names compare
// without regard to case. Getting and setting always goes through the class's own getter and
// setter, so a property set by name behaves exactly as one set in code.
#include "rtl/Exception.h"
#include "rtl/Types.h"

#include <any>
#include <functional>
#include <type_traits>
#include <vector>

class TObject;

enum TTypeKind { tkUnknown, tkInteger, tkEnumeration, tkString, tkClass, tkMethod };

struct PropertyInfo {
    String Name;
    TTypeKind Kind = tkUnknown;
    std::function<Int64(const TObject&)> GetOrdinal;
    std::function<void(TObject&, Int64)> SetOrdinal;
    std::function<String(const TObject&)> GetText;
    std::function<void(TObject&, const String&)> SetText;
    std::function<TObject*(const TObject&)> GetObject;
    std::function<void(TObject&, TObject*)> SetObject;
    // An event handler, held as the event's own closure type.
    std::function<std::any(const TObject&)> GetMethod;
    std::function<void(TObject&, const std::any&)> SetMethod;

    bool Writable() const { return SetOrdinal || SetText || SetObject || SetMethod; }
};

class PropertyTable {
public:
    // A second entry of the same name replaces the first.
    void Add(PropertyInfo info);
    const PropertyInfo* Find(const String& name) const;
    const std::vector<PropertyInfo>& Entries() const { return entries_; }

private:
    std::vector<PropertyInfo> entries_;
};

namespace rtl_detail {
template <class> struct SetterArgument;
template <class C, class R, class A> struct SetterArgument<R (C::*)(A)> {
    using type = std::remove_cvref_t<A>;
};
template <class C, class R, class A> struct SetterArgument<R (C::*)(A) noexcept> {
    using type = std::remove_cvref_t<A>;
};
} // namespace rtl_detail

// The typed builder a class's DeclareProperties receives. Getters are const member functions
// (or data members); setters are member functions taking one value. A property without a
// setter is read-only.
template <class C> class Published {
public:
    explicit Published(PropertyTable& table) : table_(table) {}

    // Integers, booleans and enumerations.
    template <class Getter, class Setter = std::nullptr_t>
    Published& Ordinal(const char* name, Getter get, Setter set = nullptr) {
        PropertyInfo info;
        info.Name = name;
        using Value = std::remove_cvref_t<std::invoke_result_t<Getter, const C&>>;
        info.Kind =
            std::is_enum_v<Value> || std::is_same_v<Value, bool> ? tkEnumeration : tkInteger;
        info.GetOrdinal = [get](const TObject& o) -> Int64 {
            return static_cast<Int64>(std::invoke(get, static_cast<const C&>(o)));
        };
        if constexpr (!std::is_null_pointer_v<Setter>) {
            info.SetOrdinal = [set](TObject& o, Int64 v) {
                using Arg = typename rtl_detail::SetterArgument<Setter>::type;
                if constexpr (std::is_same_v<Arg, bool>)
                    std::invoke(set, static_cast<C&>(o), v != 0);
                else
                    std::invoke(set, static_cast<C&>(o), static_cast<Arg>(v));
            };
        }
        table_.Add(std::move(info));
        return *this;
    }

    template <class Getter, class Setter = std::nullptr_t>
    Published& Text(const char* name, Getter get, Setter set = nullptr) {
        PropertyInfo info;
        info.Name = name;
        info.Kind = tkString;
        info.GetText = [get](const TObject& o) -> String {
            return String(std::invoke(get, static_cast<const C&>(o)));
        };
        if constexpr (!std::is_null_pointer_v<Setter>) {
            info.SetText = [set](TObject& o, const String& v) {
                std::invoke(set, static_cast<C&>(o), v);
            };
        }
        table_.Add(std::move(info));
        return *this;
    }

    // A reference to another object. Setting an object of the wrong class raises
    // EPropertyError; nil is always accepted.
    template <class Getter, class Setter = std::nullptr_t>
    Published& Object(const char* name, Getter get, Setter set = nullptr) {
        PropertyInfo info;
        info.Name = name;
        info.Kind = tkClass;
        info.GetObject = [get](const TObject& o) -> TObject* {
            return std::invoke(get, static_cast<const C&>(o));
        };
        if constexpr (!std::is_null_pointer_v<Setter>) {
            info.SetObject = [set, name](TObject& o, TObject* v) {
                using Arg = typename rtl_detail::SetterArgument<Setter>::type;
                using Target = std::remove_pointer_t<Arg>;
                Target* typed = dynamic_cast<Target*>(v);
                if (v && !typed) throw EPropertyError(String("Invalid value for property ") + name);
                std::invoke(set, static_cast<C&>(o), typed);
            };
        }
        table_.Add(std::move(info));
        return *this;
    }

    // An event: a closure data member (read and written in place), or a getter with a setter.
    template <class Getter, class Setter = std::nullptr_t>
    Published& Event(const char* name, Getter get, Setter set = nullptr) {
        PropertyInfo info;
        info.Name = name;
        info.Kind = tkMethod;
        using Value = std::remove_cvref_t<std::invoke_result_t<Getter, const C&>>;
        info.GetMethod = [get](const TObject& o) -> std::any {
            return Value(std::invoke(get, static_cast<const C&>(o)));
        };
        info.SetMethod = [get, set, name](TObject& o, const std::any& v) {
            (void)get; // only one of the two is used, by the kind of event
            (void)set;
            const Value* typed = std::any_cast<Value>(&v);
            if (!typed) throw EPropertyError(String("Invalid value for property ") + name);
            if constexpr (std::is_null_pointer_v<Setter>)
                std::invoke(get, static_cast<C&>(o)) = *typed;
            else
                std::invoke(set, static_cast<C&>(o), *typed);
        };
        table_.Add(std::move(info));
        return *this;
    }

private:
    PropertyTable& table_;
};

// Run-time access. Unknown names and kinds that do not match raise EPropertyError.
const PropertyInfo* GetPropInfo(const TObject* object, const String& name); // nullptr: none
bool IsPublishedProp(const TObject* object, const String& name);
TTypeKind PropType(const TObject* object, const String& name);
std::vector<const PropertyInfo*> GetPropList(const TObject* object); // derived entries first

Int64 GetOrdProp(const TObject* object, const String& name);
void SetOrdProp(TObject* object, const String& name, Int64 value);
template <class E>
requires std::is_enum_v<E>
void SetOrdProp(TObject* object, const String& name, E value) {
    SetOrdProp(object, name, static_cast<Int64>(value));
}
String GetStrProp(const TObject* object, const String& name);
void SetStrProp(TObject* object, const String& name, const String& value);
TObject* GetObjectProp(const TObject* object, const String& name);
void SetObjectProp(TObject* object, const String& name, TObject* value);
// Events: the handler as its own closure type; another type raises EPropertyError.
std::any GetMethodPropValue(const TObject* object, const String& name);
void SetMethodPropValue(TObject* object, const String& name, const std::any& value);
template <class Event> Event GetMethodProp(const TObject* object, const String& name) {
    std::any value = GetMethodPropValue(object, name);
    if (const Event* typed = std::any_cast<Event>(&value)) return *typed;
    throw EPropertyError("Invalid property type: \"" + name + "\"");
}
template <class Event> void SetMethodProp(TObject* object, const String& name, Event value) {
    SetMethodPropValue(object, name, std::any(std::move(value)));
}
