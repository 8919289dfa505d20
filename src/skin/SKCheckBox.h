#pragma once
// Skinned check box and radio button: a box or round mark from the style's four-piece strip
// (on, off, on disabled, off disabled), then the caption. A radio button unchecks the radio
// buttons of its parent that share its GroupIndex when it becomes checked.
#include "framework/CustomControl.h"
#include "skin/SKMgr.h"

enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };

class TskCheckBox : public TCustomControl {
    KORVID_CLASS(TskCheckBox, TCustomControl)

    static void DeclareProperties(Published<TskCheckBox>& p);

    void Create(TComponent* AOwner) override;
    void Destroy() override;

    bool Checked() const { return checked_; }
    // Raises OnClick when the value changes (never while the form is loading).
    void SetChecked(bool v);
    TCheckBoxState State() const { return checked_ ? cbChecked : cbUnchecked; }
    void SetState(TCheckBoxState v) { SetChecked(v == cbChecked); }
    void SetAutoSize(bool v) override;
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool v);
    TskUIStyle UIStyle() const { return uiStyle_; }
    void SetUIStyle(TskUIStyle v);
    TskFileTheme* FileTheme() const { return fileTheme_; }
    void SetFileTheme(TskFileTheme* v);
    void SetEnabled(bool v) override;

    void Click() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void Dispatch(TMessage& Message) override;

protected:
    virtual bool WantFocusRect();
    virtual bool ImageTransparent() { return false; }
    virtual int ImageItem() { return tiCheckBoxImage; }
    virtual void CheckedChanged();
    virtual void ToggleHook() {}
    virtual void ToggleChecked();
    virtual bool KeyUpToggles() { return true; }

    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void KeyUp(Word& Key, TShiftState Shift) override;
    // The size AutoSize asks for, measured with the picture about to be drawn.
    TSize AutoSizeFor(TBitmap* Picture, TCanvas* Canvas);
    void RaiseClick();

private:
    void TryFocus();
    bool checked_ = false;
    bool transparent_ = false;
    TskUIStyle uiStyle_ = DeepBlue;
    TskFileTheme* fileTheme_ = nullptr;
    bool resizePending_ = false;
    TSize pendingSize_{0, 0};
};

class TskRadioButton : public TskCheckBox {
    KORVID_CLASS(TskRadioButton, TskCheckBox)

    static void DeclareProperties(Published<TskRadioButton>& p);

    void Create(TComponent* AOwner) override;
    int GroupIndex() const { return groupIndex_; }
    void SetGroupIndex(int v) { groupIndex_ = v; }

    void Dispatch(TMessage& Message) override;

protected:
    bool ImageTransparent() override { return true; }
    int ImageItem() override { return tiRadioButtonImage; }
    void CheckedChanged() override;
    void ToggleChecked() override;
    bool KeyUpToggles() override { return false; }

private:
    int groupIndex_ = 0;
};
