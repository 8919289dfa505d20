#pragma once
// Panels that show a picture (at the corner, stretched or tiled), optionally over what lies
// behind them, with a caption on top: the track bar's slider and the skinned form's client.
#include "framework/Panel.h"
#include "skin/SKPublic.h"

class TskCustomPanel : public TCustomPanel {
    KORVID_CLASS(TskCustomPanel, TCustomPanel)

    void Create(TComponent* AOwner) override;
    void Destroy() override;

    TPicture* Picture() { return picture_.get(); }
    void SetPicture(TPicture* v);
    TskDrawStyle DrawStyle() const { return drawStyle_; }
    void SetDrawStyle(TskDrawStyle v);
    bool Transparent() const { return transparent_; }
    virtual void SetTransparent(bool v);
    void SetAutoSize(bool v) override;
    // Where the caption was last drawn.
    TRect CaptionRect() const { return captionRect_; }

    void Dispatch(TMessage& Message) override;

protected:
    TskCustomPanel() = default;
    virtual void PaintForeignParent();
    virtual void CaptionRectChanged(const TRect&) {}
    virtual void PictureChanged(TObject* Sender);
    void Paint() override;
    void Resize() override;

private:
    void ApplyTransparency();
    void SizeToPicture();

    ObjectPtr<TPicture> picture_;
    TskDrawStyle drawStyle_ = skNormal;
    bool transparent_ = false;
    TRect captionRect_{0, 0, 0, 0};
};

class TskImagePanel : public TskCustomPanel {
    KORVID_CLASS(TskImagePanel, TskCustomPanel)
};
