#pragma once
// Lays out a test server's keyboard, so a desktop test needs no X11 header of its own.
#include <initializer_list>

namespace test_support {

// Puts the key symbols (X keysym values) on unused keys of the display's keyboard, as a layout
// that has them would. False when the display is missing or has too few unused keys.
bool AddKeys(const char* display, std::initializer_list<unsigned long> keysyms);

} // namespace test_support
