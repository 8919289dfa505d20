#include "app/OrImage.h"

#include "app/OrImageEffects.h"
#include "app/OrImageNoise.h"
#include "app/OrImageTones.h"
#include "framework/Forms.h"
#include "framework/Icon.h"
#include "platform/user/MessageQueue.h"
#include "rtl/AssignIfChanged.h"
#include "rtl/ScopeGuard.h"

#include <algorithm>

namespace {

// Where every control's noise sequence starts.
constexpr std::uint64_t kNoiseSeed = 0x2545F4914F6CDD1DULL;

bool FitsPicture(TBitmap* bitmap, int width, int height) {
    return bitmap && bitmap->PixelFormat() == pf24bit && bitmap->Width() == width &&
           bitmap->Height() == height && (width == 0 || height == 0 || !bitmap->Empty());
}

} // namespace

void TOrImage::DeclareProperties(Published<TOrImage>& p) {
    p.Object("PictureOriginal", &TOrImage::PictureOriginal, &TOrImage::SetPictureOriginal)
        .Ordinal("PicBrightness", &TOrImage::PicBrightness, &TOrImage::SetPicBrightness)
        .Ordinal("PicContrast", &TOrImage::PicContrast, &TOrImage::SetPicContrast)
        .Ordinal("PicGrayScale", &TOrImage::PicGrayScale, &TOrImage::SetPicGrayScale)
        .Ordinal("PicLightness", &TOrImage::PicLightness, &TOrImage::SetPicLightness)
        .Ordinal("PicDarkness", &TOrImage::PicDarkness, &TOrImage::SetPicDarkness)
        .Ordinal("PicSaturation", &TOrImage::PicSaturation, &TOrImage::SetPicSaturation)
        .Ordinal("PicSplitlight", &TOrImage::PicSplitlight, &TOrImage::SetPicSplitlight)
        .Ordinal("PicInvert", &TOrImage::PicInvert, &TOrImage::SetPicInvert)
        .Ordinal("PicColorNoise", &TOrImage::PicColorNoise, &TOrImage::SetPicColorNoise)
        .Ordinal("PicMonoNoise", &TOrImage::PicMonoNoise, &TOrImage::SetPicMonoNoise)
        .Ordinal("PicPosterize", &TOrImage::PicPosterize, &TOrImage::SetPicPosterize)
        .Ordinal("PicSolorize", &TOrImage::PicSolorize, &TOrImage::SetPicSolorize)
        .Ordinal("PicEmboss", &TOrImage::PicEmboss, &TOrImage::SetPicEmboss)
        .Ordinal("PicMosaic", &TOrImage::PicMosaic, &TOrImage::SetPicMosaic)
        .Ordinal("PicSplitBlur", &TOrImage::PicSplitBlur, &TOrImage::SetPicSplitBlur)
        .Ordinal("PicGaussianBlur", &TOrImage::PicGaussianBlur, &TOrImage::SetPicGaussianBlur)
        .Ordinal("PicAntiAlias", &TOrImage::PicAntiAlias, &TOrImage::SetPicAntiAlias)
        .Ordinal("PicTrace", &TOrImage::PicTrace, &TOrImage::SetPicTrace)
        .Ordinal("PicTile", &TOrImage::PicTile, &TOrImage::SetPicTile)
        .Text("PictureEffects", &TOrImage::PictureEffects, &TOrImage::SetPictureEffects)
        .Ordinal("Stretch", &TOrImage::Stretch, &TOrImage::SetStretch)
        .Ordinal("Center", &TOrImage::Center, &TOrImage::SetCenter)
        .Ordinal("IncrementalDisplay", &TOrImage::IncrementalDisplay,
                 &TOrImage::SetIncrementalDisplay)
        .Ordinal("DragCursor", &TOrImage::DragCursor, &TOrImage::SetDragCursor)
        .Ordinal("DragMode", &TOrImage::DragMode, &TOrImage::SetDragMode)
        .Ordinal("Transparent", &TOrImage::Transparent, &TOrImage::SetTransparent);
}

void TOrImage::Create(TComponent* AOwner) {
    inherited::Create(AOwner);
    ControlStyle().Include(csReplicatable);
    noiseState_ = kNoiseSeed;
    pictureOriginal_.reset(CreateObject<TPicture>());
    pictureOriginal_->OnChange = [this](TObject* sender) { OriginalChanged(sender); };
    adjustedPicture_.reset(CreateObject<TPicture>());
    adjustedPicture_->OnChange = [this](TObject* sender) { PictureChanged(sender); };
    adjustedPicture_->OnProgress = [this](TObject* sender, TProgressStage stage, Byte percent,
                                          bool redraw, const TRect& r, const String& msg) {
        ReportProgress(sender, stage, percent, redraw, r, msg);
    };
    SetBounds(Left(), Top(), 105, 105);
}

void TOrImage::Destroy() {
    // The adjusted picture goes first: an animation in it may still paint on our canvas.
    if (adjustedPicture_) {
        adjustedPicture_->OnChange = nullptr;
        adjustedPicture_->OnProgress = nullptr;
    }
    adjustedPicture_.reset();
    if (pictureOriginal_) pictureOriginal_->OnChange = nullptr;
    pictureOriginal_.reset();
    FreeCaches();
    inherited::Destroy();
}

void TOrImage::SetPictureOriginal(TPicture* Value) {
    pictureOriginal_->Assign(Value);
}

TBitmap* TOrImage::OriginalBitmap() const {
    auto* bitmap = dynamic_cast<TBitmap*>(pictureOriginal_->Graphic());
    return bitmap && bitmap->PixelFormat() == pf24bit ? bitmap : nullptr;
}

void TOrImage::OriginalChanged(TObject*) {
    if (converting_) return;
    TGraphic* graphic = pictureOriginal_->Graphic();
    if (!graphic) {
        FreeCaches();
        adjustedPicture_->SetGraphic(nullptr);
        return;
    }
    if (auto* bitmap = dynamic_cast<TBitmap*>(graphic)) {
        if (bitmap->PixelFormat() != pf24bit) {
            // The conversion reports a change of its own; this call handles it.
            converting_ = true;
            ScopeGuard done([this] { converting_ = false; });
            bitmap->SetPixelFormat(pf24bit);
        }
        // A run of grabbed frames of one size then needs no new full-size bitmap each.
        if (!AssignIntoAdjusted(bitmap)) adjustedPicture_->SetGraphic(bitmap);
    } else {
        converting_ = true;
        ScopeGuard done([this] { converting_ = false; });
        // What the graphic reports while it draws (an animation starting) is not a change;
        // should the conversion fail, the graphic stays and is heard again.
        TNotifyEvent hook = std::move(graphic->OnChange);
        graphic->OnChange = nullptr;
        ScopeGuard rehook([&] {
            if (graphic) graphic->OnChange = std::move(hook);
        });
        ObjectPtr<TBitmap> converted = MakeObject<TBitmap>();
        converted->SetPixelFormat(pf24bit);
        converted->SetSize(graphic->Width(), graphic->Height());
        if (!converted->Empty()) converted->Canvas()->Draw(0, 0, graphic);
        pictureOriginal_->SetGraphic(nullptr);
        graphic = nullptr;
        adjustedPicture_->SetGraphic(converted.get());
        pictureOriginal_->Assign(adjustedPicture_.get());
    }
    FreeCaches();
    ApplyAdjustments();
}

// --- tonal setters --------------------------------------------------------------------------

void TOrImage::SetPicBrightness(int Value) {
    picBrightness_ = std::clamp(Value, -255, 255);
    ApplyAdjustments();
}

void TOrImage::SetPicContrast(int Value) {
    picContrast_ = std::max(Value, -255);
    ApplyAdjustments();
}

void TOrImage::SetPicGrayScale(bool Value) {
    picGrayScale_ = Value;
    ApplyAdjustments();
}

void TOrImage::SetPicLightness(int Value) {
    picLightness_ = std::min(Value, 255);
    ApplyAdjustments();
}

void TOrImage::SetPicDarkness(int Value) {
    picDarkness_ = std::min(Value, 255);
    ApplyAdjustments();
}

void TOrImage::SetPicSaturation(int Value) {
    picSaturation_ = std::max(Value, -255);
    ApplyAdjustments();
}

void TOrImage::SetPicSplitlight(int Value) {
    picSplitlight_ = std::clamp(Value, 0, 10);
    ApplyAdjustments();
}

void TOrImage::SetPicInvert(bool Value) {
    picInvert_ = Value;
    ApplyAdjustments();
}

void TOrImage::SetPicPosterize(int Value) {
    picPosterize_ = std::max(Value, 0);
    picSolorize_ = 0;
    ApplyAdjustments();
}

void TOrImage::SetPicSolorize(int Value) {
    picSolorize_ = std::clamp(Value, 0, 255);
    picPosterize_ = 0;
    ApplyAdjustments();
}

// --- noise ----------------------------------------------------------------------------------

void TOrImage::SetPicColorNoise(int Value) {
    picColorNoise_ = std::max(Value, 0);
    picMonoNoise_ = 0;
    BuildNoiseCache();
    ApplyAdjustments();
}

void TOrImage::SetPicMonoNoise(int Value) {
    picMonoNoise_ = std::max(Value, 0);
    picColorNoise_ = 0;
    BuildNoiseCache();
    ApplyAdjustments();
}

void TOrImage::BuildNoiseCache() {
    TBitmap* original = OriginalBitmap();
    if (!original || (picColorNoise_ <= 0 && picMonoNoise_ <= 0)) {
        noiseBitmap_.reset();
        return;
    }
    if (!noiseBitmap_) noiseBitmap_ = MakeObject<TBitmap>();
    noiseBitmap_->SetPixelFormat(pf24bit);
    noiseBitmap_->SetSize(original->Width(), original->Height());
    NoiseSource source(noiseState_);
    if (picColorNoise_ > 0)
        FillColorNoise(noiseBitmap_.get(), picColorNoise_, source);
    else
        FillMonoNoise(noiseBitmap_.get(), picMonoNoise_, source);
    noiseState_ = source.State();
}

// --- spatial effects ------------------------------------------------------------------------

TOrImage::Effect TOrImage::ActiveEffect() const {
    if (picEmboss_) return Effect::Emboss;
    if (picMosaic_ > 0) return Effect::Mosaic;
    if (picSplitBlur_ > 0) return Effect::SplitBlur;
    if (picGaussianBlur_ > 0) return Effect::GaussianBlur;
    if (picAntiAlias_ > 0) return Effect::AntiAlias;
    if (picTrace_ > 0) return Effect::Trace;
    if (picTile_ > 0) return Effect::Tile;
    return Effect::None;
}

void TOrImage::ClearEffectsBut(Effect keep) {
    if (keep != Effect::Emboss) picEmboss_ = false;
    if (keep != Effect::Mosaic) picMosaic_ = 0;
    if (keep != Effect::SplitBlur) picSplitBlur_ = 0;
    if (keep != Effect::GaussianBlur) picGaussianBlur_ = 0;
    if (keep != Effect::AntiAlias) picAntiAlias_ = 0;
    if (keep != Effect::Trace) picTrace_ = 0;
    if (keep != Effect::Tile) picTile_ = 0;
}

void TOrImage::BuildEffectCache() {
    const Effect effect = ActiveEffect();
    TBitmap* original = OriginalBitmap();
    if (effect == Effect::None || !original) {
        effectBitmap_.reset();
        return;
    }
    if (!effectBitmap_) effectBitmap_ = MakeObject<TBitmap>();
    TBitmap* cache = effectBitmap_.get();
    cache->Assign(original);
    switch (effect) {
    case Effect::Emboss:
        EmbossBitmap(cache);
        break;
    case Effect::Mosaic:
        MosaicBitmap(cache, picMosaic_);
        break;
    case Effect::SplitBlur:
        SplitBlurBitmap(cache, picSplitBlur_);
        break;
    case Effect::GaussianBlur:
        GaussianBlurBitmap(cache, picGaussianBlur_);
        break;
    case Effect::AntiAlias:
        for (int i = 0; i < picAntiAlias_; ++i)
            AntiAliasBitmap(cache);
        break;
    case Effect::Trace:
        TraceBitmap(cache, picTrace_);
        break;
    case Effect::Tile:
        picTile_ = TileBitmap(cache, original, picTile_);
        // A picture too small for a tile of ten pixels keeps no tiling at all.
        if (picTile_ == 0) effectBitmap_.reset();
        break;
    case Effect::None:
        break;
    }
}

void TOrImage::FreeCaches() {
    noiseBitmap_.reset();
    effectBitmap_.reset();
}

void TOrImage::SetPicEmboss(bool Value) {
    picEmboss_ = Value;
    ClearEffectsBut(Effect::Emboss);
    BuildEffectCache();
    ApplyAdjustments();
}

void TOrImage::SetPicMosaic(int Value) {
    TBitmap* original = OriginalBitmap();
    const int largest = original ? std::max(original->Width(), original->Height()) : 0;
    picMosaic_ = std::clamp(Value, 0, largest);
    ClearEffectsBut(Effect::Mosaic);
    BuildEffectCache();
    ApplyAdjustments();
}

void TOrImage::SetPicSplitBlur(int Value) {
    picSplitBlur_ = std::clamp(Value, 0, 255);
    ClearEffectsBut(Effect::SplitBlur);
    BuildEffectCache();
    ApplyAdjustments();
}

void TOrImage::SetPicGaussianBlur(int Value) {
    picGaussianBlur_ = std::clamp(Value, 0, 50);
    ClearEffectsBut(Effect::GaussianBlur);
    BuildEffectCache();
    ApplyAdjustments();
}

void TOrImage::SetPicAntiAlias(int Value) {
    picAntiAlias_ = std::clamp(Value, 0, 50);
    ClearEffectsBut(Effect::AntiAlias);
    BuildEffectCache();
    ApplyAdjustments();
}

void TOrImage::SetPicTrace(int Value) {
    picTrace_ = std::clamp(Value, 0, 10);
    ClearEffectsBut(Effect::Trace);
    BuildEffectCache();
    ApplyAdjustments();
}

void TOrImage::SetPicTile(int Value) {
    picTile_ = std::max(Value, 0);
    ClearEffectsBut(Effect::Tile);
    BuildEffectCache();
    ApplyAdjustments();
}

// --- the pixel pass -------------------------------------------------------------------------

bool TOrImage::AssignIntoAdjusted(TBitmap* original) {
    auto* kept = dynamic_cast<TBitmap*>(adjustedPicture_->Graphic());
    if (!kept || kept->Width() != original->Width() || kept->Height() != original->Height())
        return false;
    // The tone pass that follows writes every byte of 24-bit rows that need no padding:
    // copying the pixels in first would be a pass over the picture for nothing.
    const bool overwritten = kept->PixelFormat() == pf24bit && original->PixelFormat() == pf24bit &&
                             (original->Width() * 3) % 4 == 0;
    if (!overwritten) {
        TNotifyEvent hook = std::move(kept->OnChange);
        kept->OnChange = nullptr;
        ScopeGuard rehook([&] { kept->OnChange = std::move(hook); });
        kept->Assign(original);
    }
    if (adjustedPicture_->OnChange) adjustedPicture_->OnChange(adjustedPicture_.get());
    return true;
}

void TOrImage::ApplyAdjustments() {
    auto* original = dynamic_cast<TBitmap*>(pictureOriginal_->Graphic());
    auto* adjusted = dynamic_cast<TBitmap*>(adjustedPicture_->Graphic());
    if (!original || !adjusted) return;
    if (original->PixelFormat() != pf24bit) {
        // Changed without notice: taken as a new original (made 24-bit, caches dropped).
        OriginalChanged(this);
        return;
    }
    const int width = original->Width(), height = original->Height();

    // A cache made for another picture (the original changed in a way that told nobody)
    // is made again, so no row is ever read past its end.
    if ((picColorNoise_ > 0 || picMonoNoise_ > 0) &&
        !FitsPicture(noiseBitmap_.get(), width, height))
        BuildNoiseCache();
    if (ActiveEffect() != Effect::None && !FitsPicture(effectBitmap_.get(), width, height))
        BuildEffectCache();
    if (!FitsPicture(adjusted, width, height)) {
        adjusted->Assign(original);
        // The copy's notice may have replaced the adjusted picture's graphic.
        adjusted = dynamic_cast<TBitmap*>(adjustedPicture_->Graphic());
        if (!FitsPicture(adjusted, width, height)) return;
    }

    TBitmap* source = original;
    if (ActiveEffect() != Effect::None && effectBitmap_) source = effectBitmap_.get();
    TBitmap* noise = (picColorNoise_ > 0 || picMonoNoise_ > 0) ? noiseBitmap_.get() : nullptr;

    if (width > 0 && height > 0) {
        ToneSettings settings;
        settings.brightness = picBrightness_;
        settings.contrast = picContrast_;
        settings.lightness = picLightness_;
        settings.darkness = picDarkness_;
        settings.saturation = picSaturation_;
        settings.splitlight = picSplitlight_;
        settings.posterize = picPosterize_;
        settings.solarize = picSolorize_;
        settings.grayScale = picGrayScale_;
        settings.invert = picInvert_;
        const ToneTables tables(settings);
        for (int y = 0; y < height; ++y) {
            const Byte* noiseRow = noise ? static_cast<const Byte*>(noise->ScanLine(y)) : nullptr;
            tables.ApplyRow(static_cast<const Byte*>(source->ScanLine(y)), noiseRow,
                            static_cast<Byte*>(adjusted->ScanLine(y)), width);
        }
    }
    Repaint();
}

// --- showing the picture --------------------------------------------------------------------

void TOrImage::SetStretch(bool Value) {
    if (AssignIfChanged(stretch_, Value)) PictureChanged(this);
}

void TOrImage::SetCenter(bool Value) {
    if (AssignIfChanged(center_, Value)) PictureChanged(this);
}

void TOrImage::SetTransparent(bool Value) {
    if (AssignIfChanged(transparent_, Value)) PictureChanged(this);
}

void TOrImage::PictureChanged(TObject*) {
    const int pw = adjustedPicture_->Width(), ph = adjustedPicture_->Height();
    if (AutoSize() && pw > 0 && ph > 0) SetBounds(Left(), Top(), pw, ph);
    if (TGraphic* graphic = adjustedPicture_->Graphic()) {
        // Icons are always see-through. Setting the same value again would report a change
        // and bring us back here.
        if (!dynamic_cast<TIcon*>(graphic) && graphic->Transparent() != transparent_)
            graphic->SetTransparent(transparent_);
        graphic = adjustedPicture_->Graphic();
        if (!graphic) return;
        const bool seeThrough =
            graphic->Transparent() ||
            (!stretch_ && (graphic->Width() < Width() || graphic->Height() < Height()));
        ControlStyle().Set(csOpaque, !seeThrough);
        if (DoPaletteChange() && drawing_) Update();
    } else {
        ControlStyle().Exclude(csOpaque);
    }
    if (!drawing_) Invalidate();
}

TRect TOrImage::DestRect() {
    const int pw = adjustedPicture_->Width(), ph = adjustedPicture_->Height();
    if (stretch_) return ClientRect();
    if (center_) return Bounds((Width() - pw) / 2, (Height() - ph) / 2, pw, ph);
    return Rect(0, 0, pw, ph);
}

void TOrImage::Paint() {
    if (ComponentState().Contains(csDesigning)) {
        Canvas()->Pen()->SetStyle(psDash);
        Canvas()->Brush()->SetStyle(bsClear);
        Canvas()->Rectangle(0, 0, Width(), Height());
    }
    const bool wasDrawing = drawing_;
    drawing_ = true;
    ScopeGuard restore([this, wasDrawing] { drawing_ = wasDrawing; });
    if (TGraphic* graphic = adjustedPicture_->Graphic()) Canvas()->StretchDraw(DestRect(), graphic);
}

bool TOrImage::DoPaletteChange() {
    if (!Visible() || ComponentState().Contains(csLoading)) return false;
    TGraphic* graphic = adjustedPicture_->Graphic();
    if (!graphic || !graphic->PaletteModified()) return false;
    if (graphic->Palette() == 0) {
        graphic->SetPaletteModified(false);
        return false;
    }
    TCustomForm* form = GetParentForm(this);
    if (!form || !form->Active() || !form->HandleAllocated()) return false;
    if (drawing_)
        SendMessage(form->Handle(), WM_QUERYNEWPALETTE, 0, 0);
    else
        PostMessage(form->Handle(), WM_QUERYNEWPALETTE, 0, 0);
    graphic->SetPaletteModified(false);
    return true;
}

HPALETTE TOrImage::GetPalette() {
    TGraphic* graphic = adjustedPicture_->Graphic();
    return graphic ? graphic->Palette() : HPALETTE(0);
}

bool TOrImage::CanAutoSize(int& NewWidth, int& NewHeight) {
    const int pw = adjustedPicture_->Width(), ph = adjustedPicture_->Height();
    if (ComponentState().Contains(csDesigning) && (pw <= 0 || ph <= 0)) return true;
    if (Align() == alNone || Align() == alLeft || Align() == alRight) NewWidth = pw;
    if (Align() == alNone || Align() == alTop || Align() == alBottom) NewHeight = ph;
    return true;
}

void TOrImage::ReportProgress(TObject* Sender, TProgressStage Stage, Byte PercentDone,
                              bool RedrawNow, const TRect& R, const String& Msg) {
    if (RedrawNow && incrementalDisplay_) {
        if (DoPaletteChange())
            Update();
        else
            Paint();
    }
    if (OnProgress) OnProgress(Sender, Stage, PercentDone, RedrawNow, R, Msg);
}

// --- the pointer ----------------------------------------------------------------------------

void TOrImage::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case CM_MOUSEENTER:
        mouseInside_ = true;
        break; // the inherited handling raises OnMouseEnter
    case CM_MOUSELEAVE:
        mouseInside_ = false;
        if (OnMouseExit) OnMouseExit(this);
        break;
    default:
        break;
    }
    inherited::Dispatch(Message);
}

void TOrImage::MouseMove(TShiftState Shift, int X, int Y) {
    mouseInside_ = true;
    inherited::MouseMove(Shift, X, Y);
}
