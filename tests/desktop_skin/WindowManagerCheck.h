#pragma once
// Apart from the program's own headers, whose names meet Xlib's.

// Waits (at most 5 s) until a window manager announces itself on the display's root window.
bool WaitForWindowManager(const char* display);
