#pragma once
// The properties a host passes straight to the player: a named getter and setter for each row
// of the player's table, reading and writing that row's dispatch id through the host's typed
// property access (Host::GetWordBoolProp, SetWordBoolProp and the rest), and the host's
// published entry for each, a string as text and every other kind as an ordinal.
#include "platform/media/PlayerDispatch.h"
#include "rtl/Properties.h"
#include "rtl/Types.h"

#include <type_traits>

// Sits between the host and its framework base (Base), so that a property whose name the base
// has already (Enabled) overrides the base's setter: the host's window stays enabled and the
// player's own setting changes.
template <class Host, class Base> class PlayerPropertyForwarder : public Base {
public:
    // The value types by kind.
    using WordBoolValue = bool;
    using IntegerValue = int;
    using ColorValue = TColor;
    using WideStringValue = String;
    // A string goes in by reference, the rest by value.
    template <class T> using ValueIn = std::conditional_t<std::is_scalar_v<T>, T, const T&>;

#define KORVID_PLAYER_FORWARDERS_AS(Name, Kind, Tail)                                              \
    Kind##Value Name() const {                                                                     \
        return AsHost().Get##Kind##Prop(media::dispid::Name);                                      \
    }                                                                                              \
    void Set##Name(ValueIn<Kind##Value> v) Tail {                                                  \
        AsHost().Set##Kind##Prop(media::dispid::Name, v);                                          \
    }
#define KORVID_PLAYER_FORWARDERS(Name, Kind, Id) KORVID_PLAYER_FORWARDERS_AS(Name, Kind, )
#define KORVID_PLAYER_FORWARDERS_OVERRIDE(Name, Kind, Id)                                          \
    KORVID_PLAYER_FORWARDERS_AS(Name, Kind, override)
    KORVID_PLAYER_PASSED_PROPERTIES(KORVID_PLAYER_FORWARDERS, KORVID_PLAYER_FORWARDERS_OVERRIDE)
#undef KORVID_PLAYER_FORWARDERS_AS
#undef KORVID_PLAYER_FORWARDERS
#undef KORVID_PLAYER_FORWARDERS_OVERRIDE

protected:
    // For the host's DeclareProperties.
    static void PublishPlayerProperties(Published<Host>& p) {
#define KORVID_PUBLISH_PLAYER_PROPERTY(Name, Kind, Id)                                             \
    Publish(p, #Name, &Host::Name, &Host::Set##Name);
        KORVID_PLAYER_PASSED_PROPERTIES(KORVID_PUBLISH_PLAYER_PROPERTY,
                                        KORVID_PUBLISH_PLAYER_PROPERTY)
#undef KORVID_PUBLISH_PLAYER_PROPERTY
    }

private:
    template <class Getter, class Setter>
    static void Publish(Published<Host>& p, const char* name, Getter get, Setter set) {
        if constexpr (std::is_same_v<std::invoke_result_t<Getter, const Host&>, String>)
            p.Text(name, get, set);
        else
            p.Ordinal(name, get, set);
    }

    const Host& AsHost() const {
        return static_cast<const Host&>(*this);
    }
    Host& AsHost() {
        return static_cast<Host&>(*this);
    }
};
