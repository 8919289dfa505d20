#pragma once
// TCustomPanel/TPanel: a container with an outer and an inner bevel, a border between them,
// an optional single-line frame and a caption centred vertically in it. Aligned children sit
// inside the bevels and the border.
#include "framework/Alignment.h"
#include "framework/Forms.h"

enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };
using TBevelWidth = int;
using TBorderWidth = int;
// A control's own frame: bsNone or bsSingle (the form's border styles hold both names).
using TBorderStyle = TFormBorderStyle;

class TCustomPanel : public TCustomControl {
    KORVID_CLASS(TCustomPanel, TCustomControl)

    void Create(TComponent* AOwner) override;

    TBevelCut BevelInner() const { return bevelInner_; }
    void SetBevelInner(TBevelCut v);
    TBevelCut BevelOuter() const { return bevelOuter_; }
    void SetBevelOuter(TBevelCut v);
    TBevelWidth BevelWidth() const { return bevelWidth_; }
    // At least 1.
    void SetBevelWidth(TBevelWidth v);
    TBorderWidth BorderWidth() const { return borderWidth_; }
    // Not negative.
    void SetBorderWidth(TBorderWidth v);
    TBorderStyle BorderStyle() const { return borderStyle_; }
    // bsNone or bsSingle; the other form styles are taken as bsSingle.
    void SetBorderStyle(TBorderStyle v);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment v);
    // Whether the panel shows its parent's background (and non-windowed controls) instead of
    // filling itself with Color.
    bool ParentBackground() const { return parentBackground_; }
    void SetParentBackground(bool v);
    bool FullRepaint() const { return fullRepaint_; }
    void SetFullRepaint(bool v) { fullRepaint_ = v; }

    void Dispatch(TMessage& Message) override;

protected:
    TCustomPanel() = default;
    void CreateParams(TCreateParams& Params) override;
    void AdjustClientRect(TRect& Rect) override;
    void Paint() override;
    // The width the bevels and the border take on each side.
    int FrameWidth() const;
    // Paints the parent's background and its non-windowed controls under this panel.
    void PaintParentBackground(HDC dc);

private:
    void FrameChanged();

    TBevelCut bevelInner_ = bvNone;
    TBevelCut bevelOuter_ = bvRaised;
    TBevelWidth bevelWidth_ = 1;
    TBorderWidth borderWidth_ = 0;
    TBorderStyle borderStyle_ = bsNone;
    TAlignment alignment_ = taCenter;
    bool parentBackground_ = false;
    bool fullRepaint_ = true;
};

class TPanel : public TCustomPanel {
    KORVID_CLASS(TPanel, TCustomPanel)
};

// Paints Control's parent (its background, its own painting and its non-windowed children,
// Control excepted) into dc, which is set up in Control's client coordinates. What a
// see-through control draws over.
void PaintParentUnder(TControl* Control, HDC dc);
