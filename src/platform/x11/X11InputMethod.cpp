#include "platform/x11/internal/InputMethod.h"

#include "platform/x11/internal/Keys.h"

#include <X11/Xutil.h>

#include <algorithm>
#include <utility>

namespace x11 {

void InputMethod::Open(Display* dpy, std::function<void()> gone) {
    XSetLocaleModifiers("");
    im_ = XOpenIM(dpy, nullptr, nullptr, nullptr);
    if (!im_) {
        XSetLocaleModifiers("@im=none");
        im_ = XOpenIM(dpy, nullptr, nullptr, nullptr);
    }
    if (!im_) return;
    XIMStyles* styles = nullptr;
    bool rootStyle = false;
    if (!XGetIMValues(im_, XNQueryInputStyle, &styles, nullptr) && styles) {
        for (unsigned short i = 0; i < styles->count_styles; ++i)
            if (styles->supported_styles[i] == (XIMPreeditNothing | XIMStatusNothing))
                rootStyle = true;
        XFree(styles);
    }
    if (!rootStyle) {
        Close();
        return;
    }
    gone_ = std::move(gone);
    // An input method server that goes away takes its contexts with it.
    XIMCallback destroyed;
    destroyed.client_data = reinterpret_cast<XPointer>(this);
    destroyed.callback = [](XIM, XPointer self, XPointer) {
        auto* method = reinterpret_cast<InputMethod*>(self);
        method->im_ = nullptr;
        if (method->gone_) method->gone_();
    };
    XSetIMValues(im_, XNDestroyCallback, &destroyed, nullptr);
}

void InputMethod::Close() {
    if (im_) XCloseIM(im_);
    im_ = nullptr;
}

XIC InputMethod::CreateContext(Display* dpy, Window window, long eventMask) const {
    if (!im_) return nullptr;
    XIC ic = XCreateIC(im_, XNInputStyle, XIMPreeditNothing | XIMStatusNothing, XNClientWindow,
                       window, XNFocusWindow, window, nullptr);
    if (!ic) return nullptr;
    long wanted = 0;
    if (!XGetICValues(ic, XNFilterEvents, &wanted, nullptr) && (wanted & ~eventMask))
        XSelectInput(dpy, window, eventMask | wanted);
    return ic;
}

std::string LookUpText(XIC ic, XKeyEvent& key, KeySym& sym) {
    char text[64];
    if (ic) {
        Status status = 0;
        int len = Xutf8LookupString(ic, &key, text, sizeof text, &sym, &status);
        if (status == XBufferOverflow && len > 0) {
            std::string big(static_cast<size_t>(len), '\0');
            len = Xutf8LookupString(ic, &key, big.data(), len, &sym, &status);
            return status == XLookupChars || status == XLookupBoth
                       ? big.substr(0, static_cast<size_t>(std::max(len, 0)))
                       : std::string();
        }
        if (status != XLookupKeySym && status != XLookupBoth) sym = NoSymbol;
        if (status == XLookupChars || status == XLookupBoth)
            return std::string(text, static_cast<size_t>(std::max(len, 0)));
        return std::string();
    }
    const int len = XLookupString(&key, text, sizeof text, &sym, nullptr);
    return len > 0 ? Latin1ToUtf8(text, len) : std::string();
}

} // namespace x11
