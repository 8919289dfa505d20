#pragma once
// TScrollBar: a stand-alone scroll bar. Arrows step by SmallChange, the track pages by
// LargeChange (both repeat while the button is held), the thumb can be dragged, and the
// arrow, page and Home/End keys move it when it has the focus. OnScroll sees every step
// first and may change the position it leads to; OnChange follows every change of Position.
#include "framework/CustomControl.h"
#include "framework/ScrollBarParts.h"

using TScrollEvent = std::function<void(TObject* Sender, TScrollCode ScrollCode, int& ScrollPos)>;

class TScrollBar : public TCustomControl {
    KORVID_CLASS(TScrollBar, TCustomControl)

    void Create(TComponent* AOwner) override;
    void Destroy() override;

    TScrollBarKind Kind() const { return kind_; }
    // Turning the bar also swaps its width and height.
    void SetKind(TScrollBarKind v);
    int Min() const { return min_; }
    int Max() const { return max_; }
    int Position() const { return position_; }
    int PageSize() const { return pageSize_; }
    void SetMin(int v) { SetParams(position_, v, max_); }
    void SetMax(int v) { SetParams(position_, min_, v); }
    // Clamped into Min..Max - PageSize + 1 (Min..Max without a page).
    void SetPosition(int v) { SetParams(v, min_, max_); }
    // EInvalidOperation "Scroll bar property out of range" when APageSize is negative or
    // larger than the range.
    void SetPageSize(int v);
    // EInvalidOperation "Scroll bar property out of range" when AMax is below AMin.
    void SetParams(int APosition, int AMin, int AMax);
    int SmallChange() const { return smallChange_; }
    void SetSmallChange(int v) { smallChange_ = v; }
    int LargeChange() const { return largeChange_; }
    void SetLargeChange(int v) { largeChange_ = v; }

    TNotifyEvent OnChange;
    TScrollEvent OnScroll;

    // The part under the left button while it is held (None otherwise).
    TScrollBarPart PressedPart() const { return pressed_; }
    TScrollBarLayout Layout();

    void Dispatch(TMessage& Message) override;

protected:
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    virtual void Change();
    // Runs OnScroll for a step to ScrollPos, then takes the position it leaves.
    virtual void Scroll(TScrollCode ScrollCode, int& ScrollPos);

private:
    void Step(TScrollCode code);
    // One step of the held part; false when it has nothing more to do.
    bool RepeatStep();
    void StopTracking();
    // The button let go: the last steps of a drag and scEndScroll.
    void EndTracking();

    TScrollBarKind kind_ = sbHorizontal;
    int min_ = 0, max_ = 100, position_ = 0, pageSize_ = 0;
    int smallChange_ = 1, largeChange_ = 1;
    TScrollBarPart pressed_ = TScrollBarPart::None;
    TPoint pointer_{0, 0};
    int dragOffset_ = 0; // where in the thumb the pointer took it
    bool timerRunning_ = false;
};
