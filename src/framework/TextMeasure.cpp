#include "framework/TextMeasure.h"

#include "platform/gdi/Font.h"

namespace {

ObjectPtr<TFont> CopyOf(TFont* font) {
    ObjectPtr<TFont> copy = MakeObject<TFont>();
    copy->Assign(font);
    return copy;
}

} // namespace

TTextMeasure::TTextMeasure(TFont* Font)
    : font_(CopyOf(Font)), handle_(font_->Handle()), dc_(handle_) {}

TTextMeasure::TTextMeasure(HFONT Font) : handle_(Font), dc_(Font) {}

TSize TTextMeasure::TextExtent(const String& Text) const {
    SIZE s{0, 0};
    if (DC()) GetTextExtentPoint32(DC(), Text.c_str(), int(Text.size()), &s);
    return s;
}
