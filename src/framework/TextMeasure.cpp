#include "framework/TextMeasure.h"

#include "platform/gdi/Dc.h"
#include "platform/gdi/Object.h"

TTextMeasure::TTextMeasure(TFont* Font) {
    font_.reset(CreateObject<TFont>());
    font_->Assign(Font);
    dc_ = CreateCompatibleDC(0);
    if (dc_) SelectObject(dc_, font_->Handle());
}

TTextMeasure::~TTextMeasure() {
    if (dc_) DeleteDC(dc_);
}
