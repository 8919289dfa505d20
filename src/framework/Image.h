#pragma once
// TImage: shows a picture of any registered graphic class: at its own size from the top-left
// corner, centred, or stretched over the control; redrawn whenever the picture changes. Its
// Canvas is the canvas of a bitmap the picture holds (made on first use when it holds
// nothing), so code can draw on the image and read it back.
#include "framework/CustomControl.h"
#include "framework/Picture.h"

class TImage : public TGraphicControl {
    KORVID_CLASS(TImage, TGraphicControl)

    void Create(TComponent* AOwner) override;
    void Destroy() override;

    TPicture* Picture() { return picture_.get(); }
    void SetPicture(TPicture* v) { picture_->Assign(v); }
    // The picture's bitmap canvas; EInvalidOperation "Can only modify an image if it contains
    // a bitmap" when the picture holds another kind of graphic.
    TCanvas* Canvas();
    bool Center() const { return center_; }
    void SetCenter(bool v);
    bool Stretch() const { return stretch_; }
    void SetStretch(bool v);
    // Stretch keeping the picture's proportions.
    bool Proportional() const { return proportional_; }
    void SetProportional(bool v);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool v);
    bool IncrementalDisplay() const { return incrementalDisplay_; }
    void SetIncrementalDisplay(bool v) { incrementalDisplay_ = v; }
    // The rectangle the picture is drawn into, in client coordinates.
    TRect DestRect();

    TProgressEvent OnProgress;

protected:
    void Paint() override;
    bool CanAutoSize(int& NewWidth, int& NewHeight) override;
    virtual void PictureChanged(TObject* Sender);

private:
    ObjectPtr<TPicture> picture_;
    bool center_ = false;
    bool stretch_ = false;
    bool proportional_ = false;
    bool transparent_ = false;
    bool incrementalDisplay_ = false;
    // Set while the image draws, so a graphic that reports a change from its own drawing
    // does not ask for the paint again and again.
    bool drawing_ = false;
};
