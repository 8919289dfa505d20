#pragma once
// The two plain controls the main window needs that the framework has no standard kind of:
// a radio button and a spin edit. The skinned set replaces them once it is there.
#include "framework/CustomControl.h"
#include "framework/Edit.h"

// A round choice with a caption. Radio buttons with the same parent form one group:
// checking one unchecks the others. A click checks it and then raises OnClick.
class TPlainRadioButton : public TGraphicControl {
    KORVID_CLASS(TPlainRadioButton, TGraphicControl)

    void Create(TComponent* AOwner) override;

    bool Checked() const { return checked_; }
    void SetChecked(bool v);

    void Click() override;

protected:
    void Paint() override;

private:
    bool checked_ = false;
};

// A number field: the text may be typed freely (the window reads it as it is); the up and
// down keys step the value by Increment within MinValue..MaxValue.
class TPlainSpinEdit : public TEdit {
    KORVID_CLASS(TPlainSpinEdit, TEdit)

    int MinValue() const { return minValue_; }
    void SetMinValue(int v) { minValue_ = v; }
    int MaxValue() const { return maxValue_; }
    void SetMaxValue(int v) { maxValue_ = v; }
    int Increment() const { return increment_; }
    void SetIncrement(int v) { increment_ = v; }
    // The text as a number within the range (MinValue for a text that is none).
    int Value() const;
    void SetValue(int v);

protected:
    void KeyDown(Word& Key, TShiftState Shift) override;

private:
    int minValue_ = 0;
    int maxValue_ = 100;
    int increment_ = 1;
};
