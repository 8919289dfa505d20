#pragma once
// The keyboard table: X key symbols as the window layer's virtual key codes.
#include <X11/Xlib.h>

#include <string>

namespace x11 {

// The virtual key code of a key symbol; 0 for a key that only types.
int VirtualKeyOf(KeySym sym);

// Latin-1 text from XLookupString (no input method), as UTF-8 for the window layer.
std::string Latin1ToUtf8(const char* s, int n);

} // namespace x11
