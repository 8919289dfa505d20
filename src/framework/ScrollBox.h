#pragma once
// TScrollBox: a bordered container whose children may reach past its client area. With
// AutoScroll the scroll ranges follow the children's extent; a bar shows along the right
// or bottom edge, outside the client area, whenever the children do not fit, and moving
// it moves the children.
#include "framework/Panel.h"
#include "framework/ScrollBarParts.h"

class TScrollBox;

// One edge's scroll bar of a scrolling control.
class TControlScrollBar : public TPersistent {
    KORVID_CLASS(TControlScrollBar, TPersistent)

    TControlScrollBar(TScrollBox* Control, TScrollBarKind Kind) : control_(Control), kind_(Kind) {}

    TScrollBarKind Kind() const { return kind_; }
    // The extent of the content along the bar; with AutoScroll it follows the children.
    int Range() const { return range_; }
    void SetRange(int v);
    // The scrolled distance: 0 .. Range - the client extent.
    int Position() const { return position_; }
    void SetPosition(int v);
    int Increment() const { return increment_; }
    void SetIncrement(int v) { increment_ = v > 0 ? v : 1; }
    // Whether the bar may show at all.
    bool Visible() const { return visible_; }
    void SetVisible(bool v);
    // Whether the bar is shown now.
    bool IsScrollBarVisible() const { return shown_; }
    // The highest position: how far the content reaches past the client area.
    int MaxPosition() const;

private:
    friend class TScrollBox;
    TScrollBox* control_;
    TScrollBarKind kind_;
    int range_ = 0;
    int position_ = 0;
    int increment_ = 8;
    bool visible_ = true;
    bool shown_ = false;
};

class TScrollBox : public TScrollingWinControl {
    KORVID_CLASS(TScrollBox, TScrollingWinControl)

    void Create(TComponent* AOwner) override;
    void Destroy() override;

    TControlScrollBar* HorzScrollBar() { return horz_.get(); }
    TControlScrollBar* VertScrollBar() { return vert_.get(); }
    void SetAutoScroll(bool v);
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle v);
    // Scrolls so that Control is wholly in view (as far as it fits).
    void ScrollInView(TControl* AControl);
    // Moves every child by (DeltaX, DeltaY) without touching the bars.
    void ScrollBy(int DeltaX, int DeltaY);
    // Recomputes the ranges (with AutoScroll), which bars show and the positions.
    void UpdateScrollBars();

    void Dispatch(TMessage& Message) override;
    void WndProc(TMessage& Message) override;

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateHandle() override;
    void AdjustClientRect(TRect& Rect) override;
    void AlignControls(TControl* AControl, TRect& Rect) override;
    void PaintWindow(HDC DC) override;

private:
    friend class TControlScrollBar;
    // The scroll bars' rectangles in window coordinates.
    TRect BarRect(TScrollBarKind kind);
    TScrollBarLayout BarLayout(TScrollBarKind kind);
    void PaintBars();
    void CalcRanges();
    void ApplyShown(bool horz, bool vert);
    void ScrollTo(TControlScrollBar* bar, int position);
    void StepBar(TControlScrollBar* bar, TScrollBarPart part);
    void HandleScrollMessage(TMessage& Message, TScrollBarKind kind);
    void StartTracking(TScrollBarKind kind, const TPoint& windowPoint);
    void TrackTo(const TPoint& windowPoint);
    void StopTracking();
    TPoint ClientToWindowOffset();

    ObjectPtr<TControlScrollBar> horz_, vert_;
    TBorderStyle borderStyle_ = bsSingle;
    bool updating_ = false;
    bool scrolling_ = false;
    // The bar being pressed with the mouse, and on which part.
    TControlScrollBar* trackBar_ = nullptr;
    TScrollBarPart trackPart_ = TScrollBarPart::None;
    TPoint trackPoint_{0, 0};
    int dragOffset_ = 0;
};
