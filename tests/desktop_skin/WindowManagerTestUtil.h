#pragma once
// Apart from the program's own headers, whose names meet Xlib's.

// The size of the icon a top-level window of that title gives the desktop (_NET_WM_ICON);
// false when there is no such window or it has no icon.
bool WindowIconSize(const char* display, const char* title, int& width, int& height);
