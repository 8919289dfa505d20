#pragma once
// TCustomLabel/TLabel: a line (or, word-wrapped, a paragraph) of text without a window. An
// '&' in the caption underlines the next letter; Alt with that letter focuses FocusControl.
#include "framework/Alignment.h"
#include "framework/CustomControl.h"

class TCustomLabel : public TGraphicControl {
    KORVID_CLASS(TCustomLabel, TGraphicControl)

    void Create(TComponent* AOwner) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    // A text or font given while loading is sized to once loading ends.
    void Loaded() override;

    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment v);
    TTextLayout Layout() const { return layout_; }
    void SetLayout(TTextLayout v);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool v);
    // Without a background of its own the label shows what lies under it.
    bool Transparent() const { return !ControlStyle().Contains(csOpaque); }
    void SetTransparent(bool v);
    bool ShowAccelChar() const { return showAccelChar_; }
    void SetShowAccelChar(bool v);
    TWinControl* FocusControl() const { return focusControl_; }
    void SetFocusControl(TWinControl* v);

    void Dispatch(TMessage& Message) override;

protected:
    TCustomLabel() = default;
    void Paint() override;
    bool CanAutoSize(int& NewWidth, int& NewHeight) override;
    // Draws (or with DT_CALCRECT measures) the caption in Rect.
    virtual void DoDrawText(HDC dc, TRect& Rect, UINT Flags);
    void DrawCaption(HDC dc, TRect& Rect, UINT Flags, HFONT font);
    // The caption as drawn: one blank for an empty one, so the label keeps a line's height.
    String DisplayText() const;
    void TextChanged();
    // Fits an auto-sized label to its text (not while loading).
    void AdjustBounds();

private:
    bool HandleDialogChar(TMessage& Message);

    TAlignment alignment_ = taLeftJustify;
    TTextLayout layout_ = tlTop;
    bool wordWrap_ = false;
    bool showAccelChar_ = true;
    TWinControl* focusControl_ = nullptr;
};

class TLabel : public TCustomLabel {
    KORVID_CLASS(TLabel, TCustomLabel)
};

// Whether Key is the letter an '&' marks in Text (case-insensitive; "&&" marks none).
bool IsAccel(Word Key, const String& Text);
