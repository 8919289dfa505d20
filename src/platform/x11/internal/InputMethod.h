#pragma once
// The desktop's input method: text comes through it (XMODIFIERS, else Xlib's own, which
// composes with the locale's compose table) as UTF-8. Where none opens, keys are looked up one
// by one: Latin-1, and Unicode key symbols as their characters.
#include <X11/Xlib.h>

#include <functional>
#include <string>

namespace x11 {

class InputMethod {
public:
    InputMethod() = default;
    ~InputMethod() { Close(); }
    InputMethod(const InputMethod&) = delete;
    InputMethod& operator=(const InputMethod&) = delete;

    // Opens the desktop's input method if it offers the root style. gone runs when its server
    // goes away, which takes every context made from it along.
    void Open(Display* dpy, std::function<void()> gone);
    void Close();

    // A context for one window (nullptr without an input method); it may widen the window's
    // event mask by the events the input method needs.
    XIC CreateContext(Display* dpy, Window window, long eventMask) const;

    // True when the input method takes the event as part of a sequence it composes.
    bool Filter(XEvent& e) const { return im_ && XFilterEvent(&e, None); }

private:
    XIM im_ = nullptr;
    std::function<void()> gone_;
};

// What a key press types, as UTF-8, and its key symbol; through ic, or by its key alone.
std::string LookUpText(XIC ic, XKeyEvent& key, KeySym& sym);

} // namespace x11
