#pragma once
// Controls that paint themselves on a canvas: TGraphicControl (no window; it paints on its
// parent's window) and TCustomControl (a window of its own). Both override Paint.
#include "framework/Canvas.h"
#include "framework/WinControl.h"

// A canvas on a control: outside painting it takes a device context of the control's window
// (for a non-windowed control, its parent's, moved and clipped to the control).
class TControlCanvas : public TCanvas {
    KORVID_CLASS(TControlCanvas, TCanvas)

    explicit TControlCanvas(TControl* control) : control_(control) {}
    void Destroy() override;
    TControl* Control() const { return control_; }
    // Gives the device context back to the window.
    void FreeHandle();

protected:
    void CreateHandle() override;

private:
    TControl* control_;
    HWND window_ = 0;
    HDC own_ = 0;
};

class TGraphicControl : public TControl {
    KORVID_CLASS(TGraphicControl, TControl)

    void Create(TComponent* AOwner) override;
    void Destroy() override;
    TCanvas* Canvas() { return canvas_.get(); }

    void Dispatch(TMessage& Message) override;

protected:
    TGraphicControl() = default;
    virtual void Paint();

private:
    ObjectPtr<TControlCanvas> canvas_;
};

class TCustomControl : public TWinControl {
    KORVID_CLASS(TCustomControl, TWinControl)

    void Create(TComponent* AOwner) override;
    void Destroy() override;
    TCanvas* Canvas() { return canvas_.get(); }

protected:
    TCustomControl() = default;
    virtual void Paint();
    void PaintWindow(HDC DC) override;

private:
    ObjectPtr<TControlCanvas> canvas_;
};
