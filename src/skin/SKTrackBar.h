#pragma once
// TskTrackBar: a skinned slider control. A bar picture lies along the control and a slider
// panel moves on it; a press on the bar pages towards the pointer with a repeat timer, the
// slider can be dragged, keys step, ticks mark the values, OnChange tells every change of
// Position. TskScrollTrackBar is the track inside TskScrollBar: the scroll bar gives it its
// slider picture, and its slider is opaque and can be hidden.
#include "framework/Timer.h"
#include "skin/SKImagePanel.h"
#include "skin/SKMgr.h"

class TskTrackBar : public TCustomPanel {
    KORVID_CLASS(TskTrackBar, TCustomPanel)

    static void DeclareProperties(Published<TskTrackBar>& p);

    void Create(TComponent* AOwner) override;
    void Destroy() override;

    int Min() const { return min_; }
    void SetMin(int v);
    int Max() const { return max_; }
    void SetMax(int v);
    int Position() const { return position_; }
    void SetPosition(int v);
    int PageSize() const { return pageSize_; }
    void SetPageSize(int v);
    int LineSize() const { return lineSize_; }
    void SetLineSize(int v);
    TskProgressBarOrientation Orientation() const { return orientation_; }
    void SetOrientation(TskProgressBarOrientation v);
    bool ShowTick() const { return showTick_; }
    void SetShowTick(bool v);
    int Frequency() const { return frequency_; }
    void SetFrequency(int v);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool v);
    TPicture* BarImage() { return barImage_.get(); }
    void SetBarImage(TPicture* v);
    TPicture* SliderImage() { return slider_->Picture(); }
    virtual void SetSliderImage(TPicture* v);
    TskUIStyle UIStyle() const { return uiStyle_; }
    void SetUIStyle(TskUIStyle v);
    TskFileTheme* FileTheme() const { return fileTheme_; }
    void SetFileTheme(TskFileTheme* v);

    TskImagePanel* Slider() const { return slider_; }
    bool Dragging() const { return dragging_; }
    bool Paging() const { return pagingTimer_ != nullptr; }
    // The value whose slider would be centred under the point (along the bar).
    int ValueAtPoint(int X, int Y) const;
    // Where the slider's top-left corner goes for the current Position.
    TPoint SliderPoint() const;
    // The x (or y) of every tick mark, as drawn.
    std::vector<int> TickPositions() const;

    TNotifyEvent OnChange;

    void Notification(TComponent* AComponent, TOperation Operation) override;
    void Dispatch(TMessage& Message) override;

protected:
    virtual void UpdatePictures();
    virtual bool SkipsStylePictures() const { return false; }
    virtual bool SliderTransparent() const { return orientation_ == skHorizontal; }

    void Paint() override;
    void Resize() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void KeyDown(Word& Key, TShiftState Shift) override;

    void Restyle();
    void UpdateSlider();
    void FitSize();

private:
    void NotifyChange();
    void PageTowards(int X, int Y, int pages);
    void PagingTick(TObject* Sender);
    void StopPaging();
    void EndDrag();
    void SliderMouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
    void SliderMouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
    int Length() const;
    int SliderLength() const;
    void TryFocus();

    int min_ = 0, max_ = 10, position_ = 0;
    int pageSize_ = 2, lineSize_ = 1;
    TskProgressBarOrientation orientation_ = skHorizontal;
    bool showTick_ = true;
    int frequency_ = 1;
    bool transparent_ = false;
    ObjectPtr<TPicture> barImage_;
    ObjectPtr<TBitmap> barBitmap_;
    TskImagePanel* slider_ = nullptr;
    TskUIStyle uiStyle_ = DeepBlue;
    TskFileTheme* fileTheme_ = nullptr;
    ObjectPtr<TTimer> pagingTimer_;
    bool dragging_ = false;
    int lastNotified_ = 0;
    bool restyling_ = false;
};

class TskScrollTrackBar : public TskTrackBar {
    KORVID_CLASS(TskScrollTrackBar, TskTrackBar)

    bool SliderVisible() const { return Slider()->Visible(); }
    void SetSliderVisible(bool v);
    void SetSliderAutoSize();

protected:
    bool SkipsStylePictures() const override { return true; }
    bool SliderTransparent() const override { return false; }
};
