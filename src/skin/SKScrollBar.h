#pragma once
// TskScrollBar: a skinned scroll bar of three children: a decrease and an increase arrow
// button at the ends and a TskScrollTrackBar between them, whose slider picture the bar
// builds from the style. Range, position and OnChange live in the track.
#include "skin/SKButton.h"
#include "skin/SKTrackBar.h"

using TScrollBarInc = std::int16_t;

class TskScrollBar : public TCustomPanel {
    KORVID_CLASS(TskScrollBar, TCustomPanel)

    static void DeclareProperties(Published<TskScrollBar>& p);

    void Create(TComponent* AOwner) override;
    void Destroy() override;

    int Min() const { return track_->Min(); }
    void SetMin(int v) { track_->SetMin(v); }
    int Max() const { return track_->Max(); }
    void SetMax(int v) { track_->SetMax(v); }
    int Position() const { return track_->Position(); }
    void SetPosition(int v);
    int PageSize() const { return track_->PageSize(); }
    void SetPageSize(int v);
    TScrollBarInc LargeChange() const { return TScrollBarInc(track_->PageSize()); }
    void SetLargeChange(TScrollBarInc v) { track_->SetPageSize(v); }
    TScrollBarInc SmallChange() const { return smallChange_; }
    void SetSmallChange(TScrollBarInc v) { smallChange_ = v; }
    int LineButton() const { return lineButton_; }
    void SetLineButton(int v);
    TskProgressBarOrientation Orientation() const { return orientation_; }
    void SetOrientation(TskProgressBarOrientation v);
    TskUIStyle UIStyle() const { return uiStyle_; }
    void SetUIStyle(TskUIStyle v);
    TskFileTheme* FileTheme() const { return fileTheme_; }
    void SetFileTheme(TskFileTheme* v);
    TNotifyEvent OnChange() const { return track_->OnChange; }
    void SetOnChange(TNotifyEvent v) { track_->OnChange = std::move(v); }
    void SetSliderVisible(bool v) { track_->SetSliderVisible(v); }

    TskImageButton* DecreaseButton() const { return decrease_; }
    TskImageButton* IncreaseButton() const { return increase_; }
    TskScrollTrackBar* Track() const { return track_; }

    void Notification(TComponent* AComponent, TOperation Operation) override;
    void Dispatch(TMessage& Message) override;

protected:
    void Resize() override;

private:
    void Restyle();
    void LayOut();
    void BuildSlider();
    int TrackLength() const;

    TskImageButton* decrease_ = nullptr;
    TskImageButton* increase_ = nullptr;
    TskScrollTrackBar* track_ = nullptr;
    ObjectPtr<TBitmap> pieces_[3];
    TScrollBarInc smallChange_ = 1;
    int lineButton_ = 0;
    TskProgressBarOrientation orientation_ = skHorizontal;
    TskUIStyle uiStyle_ = DeepBlue;
    TskFileTheme* fileTheme_ = nullptr;
    bool hiddenForSize_ = false;
    bool arrowRepeated_ = false; // the arrow held now has stepped on a repeat tick
    bool layingOut_ = false;
};
