#include "app/PlainControls.h"

#include "framework/WinControl.h"
#include "platform/user/Input.h"
#include "rtl/Conversion.h"

#include <algorithm>

void TPlainRadioButton::Create(TComponent* AOwner) {
    inherited::Create(AOwner);
    SetBounds(Left(), Top(), 60, 17);
}

void TPlainRadioButton::SetChecked(bool v) {
    if (checked_ == v) return;
    checked_ = v;
    if (v && Parent())
        for (int i = 0; i < Parent()->ControlCount(); ++i)
            if (auto* other = dynamic_cast<TPlainRadioButton*>(Parent()->Controls(i)))
                if (other != this) other->SetChecked(false);
    Invalidate();
}

void TPlainRadioButton::Click() {
    SetChecked(true);
    inherited::Click();
}

void TPlainRadioButton::Paint() {
    TCanvas* canvas = Canvas();
    const int size = 12;
    const int top = (Height() - size) / 2;
    canvas->Brush()->SetColor(clWindow);
    canvas->Pen()->SetColor(Enabled() ? clBlack : clGray);
    canvas->Ellipse(0, top, size, top + size);
    if (checked_) {
        canvas->Brush()->SetColor(Enabled() ? clBlack : clGray);
        canvas->Ellipse(3, top + 3, size - 3, top + size - 3);
    }
    canvas->Brush()->SetStyle(bsClear);
    canvas->Font()->Assign(Font());
    if (!Enabled()) canvas->Font()->SetColor(clGray);
    int textTop = (Height() - canvas->TextHeight(Caption())) / 2;
    canvas->TextOut(size + 4, textTop, Caption());
}

int TPlainSpinEdit::Value() const {
    int value = minValue_;
    if (!TryStrToInt(Text(), value)) return minValue_;
    return std::clamp(value, minValue_, std::max(minValue_, maxValue_));
}

void TPlainSpinEdit::SetValue(int v) {
    SetText(IntToStr(std::clamp(v, minValue_, std::max(minValue_, maxValue_))));
}

void TPlainSpinEdit::KeyDown(Word& Key, TShiftState Shift) {
    if (!ReadOnly() && (Key == VK_UP || Key == VK_DOWN)) {
        SetValue(Value() + (Key == VK_UP ? increment_ : -increment_));
        Key = 0;
        return;
    }
    inherited::KeyDown(Key, Shift);
}
