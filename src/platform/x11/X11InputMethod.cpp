#include "platform/x11/internal/InputMethod.h"

#include "platform/x11/internal/Keys.h"

#include "platform/Utf8.h"

#include <X11/Xutil.h>

#include <clocale>
#include <cstring>
#include <langinfo.h>

#include <algorithm>
#include <utility>

namespace x11 {
namespace {

bool CtypeIsUtf8() {
    const char* codeset = nl_langinfo(CODESET);
    return codeset && std::strcmp(codeset, "UTF-8") == 0;
}

// An input method hands its text over in the encoding of the locale it was opened in, and
// the program runs in the C locale, where everything past ASCII arrives mangled. While one of
// these lives, the character type is a UTF-8 locale (the user's own when it is one) that Xlib
// supports; the program's comes back after.
class Utf8Ctype {
public:
    Utf8Ctype() {
        const char* current = std::setlocale(LC_CTYPE, nullptr);
        saved_ = current ? current : "C";
        if (CtypeIsUtf8() && XSupportsLocale()) return;
        for (const char* name : {"", "C.UTF-8", "C.utf8", "en_US.UTF-8"})
            if (std::setlocale(LC_CTYPE, name) && CtypeIsUtf8() && XSupportsLocale()) return;
        std::setlocale(LC_CTYPE, saved_.c_str());
    }
    ~Utf8Ctype() { std::setlocale(LC_CTYPE, saved_.c_str()); }
    Utf8Ctype(const Utf8Ctype&) = delete;
    Utf8Ctype& operator=(const Utf8Ctype&) = delete;

private:
    std::string saved_;
};

// Keys beyond Latin-1 come as Unicode key symbols: the code point plus this.
constexpr KeySym kUnicodeKeysym = 0x01000000;

} // namespace

void InputMethod::Open(Display* dpy, std::function<void()> gone) {
    Utf8Ctype utf8Ctype;
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
    Utf8Ctype utf8Ctype;
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
    // XLookupString types Latin-1 only; a Unicode key symbol is its character.
    if (sym >= kUnicodeKeysym + 0x100 && sym <= kUnicodeKeysym + 0x10FFFF) {
        std::string out;
        utf8::Append(out, static_cast<char32_t>(sym - kUnicodeKeysym));
        return out;
    }
    return len > 0 ? Latin1ToUtf8(text, len) : std::string();
}

} // namespace x11
