#pragma once
// TOrImage: a picture control that keeps the picture it is given (PictureOriginal) and paints
// an adjusted copy of it (AdjustedPicture): tonal adjustments per pixel, optionally on top of
// one spatial effect and added noise. Every grabbed video frame passes through one of these
// on its way to a grid cell, so the per-pixel pass is kept to table lookups.
//
// Every Pic setter clamps, stores, and recomputes the adjusted picture at once. The effect
// and noise caches are 24-bit bitmaps of the original's size; they are dropped whenever the
// original changes and rebuilt on demand, so a brightness change only redoes the pixel pass.
#include "framework/Bitmap.h"
#include "framework/CustomControl.h"
#include "framework/Picture.h"

#include <cstdint>

class TOrImage : public TGraphicControl {
    KORVID_CLASS(TOrImage, TGraphicControl)

    static void DeclareProperties(Published<TOrImage>& p);

    void Create(TComponent* AOwner) override;
    void Destroy() override;
    void Dispatch(TMessage& Message) override;

    // The given picture; setting assigns a copy. A non-bitmap graphic is converted to a
    // 24-bit bitmap of its size; a bitmap is set to 24 bits.
    TPicture* PictureOriginal() const { return pictureOriginal_.get(); }
    void SetPictureOriginal(TPicture* Value);
    // The adjusted copy the control paints: a 24-bit bitmap of the original's size whenever
    // the original holds a graphic.
    TPicture* AdjustedPicture() const { return adjustedPicture_.get(); }

    // Tonal adjustments, each clamped as noted.
    int PicBrightness() const { return picBrightness_; } // -255 .. 255
    void SetPicBrightness(int Value);
    int PicContrast() const { return picContrast_; } // >= -255
    void SetPicContrast(int Value);
    bool PicGrayScale() const { return picGrayScale_; }
    void SetPicGrayScale(bool Value);
    int PicLightness() const { return picLightness_; } // <= 255
    void SetPicLightness(int Value);
    int PicDarkness() const { return picDarkness_; } // <= 255
    void SetPicDarkness(int Value);
    int PicSaturation() const { return picSaturation_; } // >= -255
    void SetPicSaturation(int Value);
    int PicSplitlight() const { return picSplitlight_; } // 0 .. 10
    void SetPicSplitlight(int Value);
    bool PicInvert() const { return picInvert_; }
    void SetPicInvert(bool Value);
    // Noise: >= 0; setting one clears the other.
    int PicColorNoise() const { return picColorNoise_; }
    void SetPicColorNoise(int Value);
    int PicMonoNoise() const { return picMonoNoise_; }
    void SetPicMonoNoise(int Value);
    // Posterize >= 0 and solarize 0 .. 255 exclude each other: setting one clears the other.
    int PicPosterize() const { return picPosterize_; }
    void SetPicPosterize(int Value);
    int PicSolorize() const { return picSolorize_; }
    void SetPicSolorize(int Value);

    // Spatial effects: at most one is on; setting one clears the others.
    bool PicEmboss() const { return picEmboss_; }
    void SetPicEmboss(bool Value);
    // Block size, 0 .. the larger side of the original.
    int PicMosaic() const { return picMosaic_; }
    void SetPicMosaic(int Value);
    // Blur distance, 0 .. 255.
    int PicSplitBlur() const { return picSplitBlur_; }
    void SetPicSplitBlur(int Value);
    // 0 .. 50: that many passes and one more of a split blur at distance 3.
    int PicGaussianBlur() const { return picGaussianBlur_; }
    void SetPicGaussianBlur(int Value);
    // 0 .. 50 passes of four-neighbour smoothing.
    int PicAntiAlias() const { return picAntiAlias_; }
    void SetPicAntiAlias(int Value);
    // 0 .. 10 passes of edge tracing.
    int PicTrace() const { return picTrace_; }
    void SetPicTrace(int Value);
    // >= 0: the picture shrunk about that many times and repeated. The stored value may be
    // lowered when the tiles would be smaller than 10 pixels.
    int PicTile() const { return picTile_; }
    void SetPicTile(int Value);

    // A plain text the control does not use.
    const String& PictureEffects() const { return pictureEffects_; }
    void SetPictureEffects(const String& Value) { pictureEffects_ = Value; }

    bool Stretch() const { return stretch_; }
    void SetStretch(bool Value);
    bool Center() const { return center_; }
    void SetCenter(bool Value);
    bool IncrementalDisplay() const { return incrementalDisplay_; }
    void SetIncrementalDisplay(bool Value) { incrementalDisplay_ = Value; }
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool Value);

    bool MouseInside() const { return mouseInside_; }

    // Raised on mouse enter (OnMouseEnter, inherited) and on mouse leave.
    TNotifyEvent OnMouseExit;
    TProgressEvent OnProgress;

    // The rectangle the adjusted picture is drawn into, in client coordinates.
    TRect DestRect();
    // The adjusted graphic's palette, or none.
    virtual HPALETTE GetPalette();

    // Recomputes the adjusted picture from the source (effect cache or original) and the
    // Pic values, then repaints. Nothing happens unless both pictures hold bitmaps.
    void ApplyAdjustments();

protected:
    void Paint() override;
    bool CanAutoSize(int& NewWidth, int& NewHeight) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    virtual void PictureChanged(TObject* Sender);
    virtual void ReportProgress(TObject* Sender, TProgressStage Stage, Byte PercentDone,
                                bool RedrawNow, const TRect& R, const String& Msg);
    bool DoPaletteChange();

private:
    enum class Effect { None, Emboss, Mosaic, SplitBlur, GaussianBlur, AntiAlias, Trace, Tile };

    void OriginalChanged(TObject* Sender);
    // Copies a new original into the adjusted picture's bitmap when that has its size (false
    // when there is none such), told as the picture's one change, as a new copy would be.
    bool AssignIntoAdjusted(TBitmap* original);
    // The first effect that is on, in the order the caches are looked for.
    Effect ActiveEffect() const;
    // Clears every effect value but the one given.
    void ClearEffectsBut(Effect keep);
    // Makes the effect cache for the active effect from the original, or drops it when
    // no effect is on or there is no original.
    void BuildEffectCache();
    void BuildNoiseCache();
    void FreeCaches();
    // The original's bitmap when it is a 24-bit one with pixels, else nil.
    TBitmap* OriginalBitmap() const;

    ObjectPtr<TPicture> pictureOriginal_;
    ObjectPtr<TBitmap> noiseBitmap_;
    ObjectPtr<TBitmap> effectBitmap_;
    bool mouseInside_ = false;
    bool converting_ = false;
    int picBrightness_ = 0;
    int picContrast_ = 0;
    bool picGrayScale_ = false;
    int picLightness_ = 0;
    int picDarkness_ = 0;
    int picSaturation_ = 0;
    int picSplitlight_ = 0;
    bool picInvert_ = false;
    int picColorNoise_ = 0;
    int picMonoNoise_ = 0;
    int picPosterize_ = 0;
    int picSolorize_ = 0;
    bool picEmboss_ = false;
    int picMosaic_ = 0;
    int picSplitBlur_ = 0;
    int picGaussianBlur_ = 0;
    int picAntiAlias_ = 0;
    int picTrace_ = 0;
    int picTile_ = 0;
    String pictureEffects_;
    ObjectPtr<TPicture> adjustedPicture_;
    bool stretch_ = false;
    bool center_ = false;
    bool incrementalDisplay_ = false;
    bool transparent_ = false;
    bool drawing_ = false;
    // The noise generator's state: fixed at creation, so a control makes the same noise
    // for the same sequence of settings.
    std::uint64_t noiseState_ = 0;
};
