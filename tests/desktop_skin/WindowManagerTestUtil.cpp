#include "WindowManagerTestUtil.h"

#include <X11/Xlib.h>

#include <string>

namespace {

Window FindByTitle(Display* d, Window w, const char* title) {
    char* name = nullptr;
    if (XFetchName(d, w, &name) && name) {
        const bool match = std::string(name) == title;
        XFree(name);
        if (match) return w;
    }
    Window root = 0, parent = 0, *kids = nullptr;
    unsigned n = 0;
    Window found = 0;
    if (XQueryTree(d, w, &root, &parent, &kids, &n)) {
        for (unsigned i = 0; i < n && !found; ++i)
            found = FindByTitle(d, kids[i], title);
        if (kids) XFree(kids);
    }
    return found;
}

} // namespace

bool WindowIconSize(const char* display, const char* title, int& width, int& height) {
    Display* d = XOpenDisplay(display);
    if (!d) return false;
    bool ok = false;
    if (Window w = FindByTitle(d, DefaultRootWindow(d), title)) {
        Atom type = 0;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        const Atom icon = XInternAtom(d, "_NET_WM_ICON", False);
        if (XGetWindowProperty(d, w, icon, 0, 2, False, AnyPropertyType, &type, &format, &count,
                               &after, &data) == Success &&
            data) {
            if (count == 2) {
                const long* values = reinterpret_cast<const long*>(data);
                width = int(values[0]);
                height = int(values[1]);
                ok = true;
            }
            XFree(data);
        }
    }
    XCloseDisplay(d);
    return ok;
}
