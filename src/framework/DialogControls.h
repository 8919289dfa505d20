#pragma once
// Small plain controls the framework's own dialogs and the list view's caption editor are
// built from: a push button, a one-line edit and a text label. They do only what those
// dialogs need; the program's forms use the full standard controls.
#include "framework/CustomControl.h"
#include "framework/Forms.h"

class TDialogButton : public TCustomControl {
    KORVID_CLASS(TDialogButton, TCustomControl)

    void Create(TComponent* AOwner) override;

    // Default: Enter presses it wherever the focus is (unless another button has it);
    // Cancel: Esc presses it.
    bool Default() const { return default_; }
    void SetDefault(bool v);
    bool Cancel() const { return cancel_; }
    void SetCancel(bool v) { cancel_ = v; }
    // Set on the form when the button is clicked, which ends a modal form.
    TModalResult ModalResult() const { return modalResult_; }
    void SetModalResult(TModalResult v) { modalResult_ = v; }

    void Click() override;
    void Dispatch(TMessage& Message) override;

protected:
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyUp(Word& Key, TShiftState Shift) override;

private:
    bool default_ = false;
    bool cancel_ = false;
    bool pressed_ = false;
    TModalResult modalResult_ = mrNone;
};

class TDialogEdit : public TCustomControl {
    KORVID_CLASS(TDialogEdit, TCustomControl)

    void Create(TComponent* AOwner) override;

    void SetText(const String& v) override;
    // The caret lies between characters, counted in bytes of the UTF-8 text; the selection
    // runs from SelStart for SelLength bytes.
    int SelStart() const;
    int SelLength() const;
    void SetSelStart(int v);
    void SetSelLength(int v);
    void SelectAll();

    TNotifyEvent OnChange;

    void Dispatch(TMessage& Message) override;
    // Types a character past ASCII, which KeyPress sees only as kNonAsciiKeyPress.
    void DefaultHandler(TMessage& Message) override;

protected:
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyPress(char& Key) override;

private:
    void ReplaceSelection(const String& with);
    void MoveCaret(int to, bool extend);
    int PositionAt(int x);
    void Changed() override;

    int caret_ = 0;  // byte offset
    int anchor_ = 0; // the selection's other end
    int scroll_ = 0; // pixels of text hidden at the left
};

class TDialogLabel : public TGraphicControl {
    KORVID_CLASS(TDialogLabel, TGraphicControl)

    void Create(TComponent* AOwner) override;
    void SetText(const String& v) override;
    // Shown left, its beginning cut off with "..." when it does not fit (paths).
    bool EllipsisAtStart() const { return ellipsisAtStart_; }
    void SetEllipsisAtStart(bool v) {
        ellipsisAtStart_ = v;
        Invalidate();
    }
    // Breaks lines at blanks to fit the width, and at line breaks.
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool v) {
        wordWrap_ = v;
        Invalidate();
    }
    // The lines the label shows at a given width (word-wrapped when asked).
    std::vector<String> LinesFor(TCanvas* canvas, int width);

protected:
    void Paint() override;

private:
    bool ellipsisAtStart_ = false;
    bool wordWrap_ = false;
};

// Draws a plain raised or sunken 1-pixel frame: light top-left, dark bottom-right.
void DrawPlainFrame(TCanvas* canvas, const TRect& r, bool sunken);
// Centres a dialog form over the program's active (else main) form, kept wholly inside the
// work area, and leaves it there when it is shown.
void PlaceDialogForm(TCustomForm* dialog);
// Whether a window of ours can be seen and answered: false on the built-in display that shows
// nothing, where a modal dialog would wait for ever.
bool DisplayCanShowDialogs();
