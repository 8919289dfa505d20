#pragma once
// The start of most property setters: store the new value unless it equals the old one, and
// tell the caller whether anything changed, so that the change is announced only then:
//     if (AssignIfChanged(color_, Value)) Changed();
#include <utility>

template <class T, class U> [[nodiscard]] bool AssignIfChanged(T& field, U&& value) {
    if (field == value) return false;
    field = std::forward<U>(value);
    return true;
}
