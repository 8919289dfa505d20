#pragma once
// Lays out the test server's keyboard, so the smoke test needs no X11 header of its own.
#include <initializer_list>

namespace x11test {

// Puts the key symbols (X keysym values) on unused keys of the display's keyboard, as a layout
// that has them would. False when the display is missing or has too few unused keys.
bool AddKeys(const char* display, std::initializer_list<unsigned long> keysyms);

} // namespace x11test
