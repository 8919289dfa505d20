#include "platform/media/MediaPlayer.h"

#include <cmath>

namespace media {

namespace {

PlayerEvent Make(DISPID id, std::vector<Variant> args = {}) {
    return {id, std::move(args)};
}

} // namespace

MediaPlayer::MediaPlayer(EngineOptions options) : engine_(options) {
    engine_.SetNotify([this] {
        std::function<void()> wakeup;
        {
            std::lock_guard lock(wakeMutex_);
            if (wakeView_) {
                wakeView_->Wake();
                return;
            }
            wakeup = wakeup_;
        }
        if (wakeup) wakeup();
    });
}

MediaPlayer::~MediaPlayer() {
    engine_.SetNotify(nullptr);
    {
        std::lock_guard lock(wakeMutex_);
        wakeView_ = nullptr;
    }
    view_.reset();
    engine_.Close();
}

double MediaPlayer::ToDisplayUnit(double seconds) const {
    if (displayMode_ != mpFrames) return seconds;
    const double fps = engine_.FrameRate();
    if (fps <= 0) return seconds;
    // The frame whose span holds the time; the small allowance keeps a frame's own start
    // from reading as the frame before through rounding.
    return std::floor(seconds * fps + 1e-6);
}

double MediaPlayer::FromDisplayUnit(double value) const {
    if (displayMode_ != mpFrames) return value;
    const double fps = engine_.FrameRate();
    return fps > 0 ? value / fps : value;
}

HRESULT MediaPlayer::GetProperty(DISPID id, Variant* value) {
    if (!value) return E_POINTER;
    const PropertyInfo* info = FindProperty(id);
    if (!info) return DISP_E_MEMBERNOTFOUND;
    if (!info->live) {
        *value = props_.Get(id);
        return S_OK;
    }
    switch (id) {
    case dispid::OpenState:
        *value = Variant::Int(engine_.GetOpenState());
        break;
    case dispid::PlayState:
        *value = Variant::Int(engine_.GetPlayState());
        break;
    case dispid::ReadyState:
        *value = Variant::Int(engine_.GetReadyState());
        break;
    case dispid::CurrentPosition:
        *value = Variant::Double(ToDisplayUnit(engine_.Position()));
        break;
    case dispid::Duration:
        *value = Variant::Double(displayMode_ == mpFrames ? engine_.DurationInFrames()
                                                          : engine_.Duration());
        break;
    case dispid::Rate:
        *value = Variant::Double(engine_.Rate());
        break;
    case dispid::ImageSourceWidth:
        *value = Variant::Int(engine_.VideoWidth());
        break;
    case dispid::ImageSourceHeight:
        *value = Variant::Int(engine_.VideoHeight());
        break;
    case dispid::FileName:
        *value = Variant::Str(engine_.FileName());
        break;
    case dispid::Volume:
        *value = Variant::Int(volume_);
        break;
    case dispid::Balance:
        *value = Variant::Int(balance_);
        break;
    case dispid::DisplayMode:
        *value = Variant::Int(displayMode_);
        break;
    case dispid::DisplaySize:
        *value = Variant::Int(displaySize_);
        break;
    default:
        return DISP_E_MEMBERNOTFOUND;
    }
    return S_OK;
}

HRESULT MediaPlayer::PutProperty(DISPID id, const Variant& value) {
    const PropertyInfo* info = FindProperty(id);
    if (!info || info->readOnly) return DISP_E_MEMBERNOTFOUND;
    if (info->live) return PutLive(id, value);
    Variant v;
    HRESULT hr = ChangeType(value, info->type, &v);
    if (FAILED(hr)) return hr;
    if (id == dispid::PlayCount && v.lVal < 0) return E_INVALIDARG;
    hr = props_.Put(id, v);
    if (FAILED(hr)) return hr;
    switch (id) {
    case dispid::Mute:
        ApplyAudio();
        break;
    case dispid::AutoRewind:
        engine_.SetAutoRewind(v.boolVal != VARIANT_FALSE);
        break;
    case dispid::PlayCount:
        engine_.SetPlayCount(v.lVal);
        break;
    default:
        break;
    }
    ViewChanged();
    return S_OK;
}

HRESULT MediaPlayer::PutLive(DISPID id, const Variant& value) {
    const PropertyInfo* info = FindProperty(id);
    Variant v;
    const HRESULT hr = ChangeType(value, info->type, &v);
    if (FAILED(hr)) return hr;
    switch (id) {
    case dispid::CurrentPosition: {
        if (!std::isfinite(v.dblVal) || v.dblVal < 0) return E_INVALIDARG;
        // Nothing to move while closed (a host may write its defaults before any open).
        if (engine_.GetOpenState() == mpOpen) engine_.SetPosition(FromDisplayUnit(v.dblVal));
        break;
    }
    case dispid::Rate:
        if (!std::isfinite(v.dblVal) || v.dblVal <= 0 || v.dblVal > 16) return E_INVALIDARG;
        engine_.SetRate(v.dblVal);
        break;
    case dispid::FileName:
        if (v.bstrVal.empty())
            engine_.Close();
        else
            engine_.Open(v.bstrVal);
        break;
    case dispid::Volume:
        if (v.lVal < -10000 || v.lVal > 0) return E_INVALIDARG;
        volume_ = v.lVal;
        ApplyAudio();
        break;
    case dispid::Balance:
        if (v.lVal < -10000 || v.lVal > 10000) return E_INVALIDARG;
        balance_ = v.lVal;
        ApplyAudio();
        break;
    case dispid::DisplayMode:
        if (v.lVal != mpTime && v.lVal != mpFrames) return E_INVALIDARG;
        if (v.lVal != displayMode_) {
            displayMode_ = v.lVal;
            // Raised from within the write, as the change is the caller's own.
            if (handler_) handler_(Make(eventid::DisplayModeChange));
        }
        break;
    case dispid::DisplaySize:
        if (v.lVal < mpDefaultSize || v.lVal > mpFitToSize) return E_INVALIDARG;
        displaySize_ = v.lVal;
        break;
    default:
        return DISP_E_MEMBERNOTFOUND;
    }
    ViewChanged();
    return S_OK;
}

void MediaPlayer::ApplyAudio() {
    engine_.SetVolume(volume_);
    engine_.SetBalance(balance_);
    engine_.SetMute(props_.GetBool(dispid::Mute));
}

HRESULT MediaPlayer::Open(const std::string& fileName) {
    if (fileName.empty()) return E_INVALIDARG;
    engine_.Open(fileName);
    ViewChanged();
    return S_OK;
}

HRESULT MediaPlayer::Play() {
    if (engine_.GetOpenState() != mpOpen) return E_UNEXPECTED;
    engine_.Play();
    return S_OK;
}

HRESULT MediaPlayer::Pause() {
    if (engine_.GetOpenState() != mpOpen) return E_UNEXPECTED;
    engine_.Pause();
    return S_OK;
}

HRESULT MediaPlayer::Stop() {
    if (engine_.GetOpenState() != mpOpen) return E_UNEXPECTED;
    engine_.Stop();
    return S_OK;
}

HRESULT MediaPlayer::ErrorDescription(std::string* description) {
    if (!description) return E_POINTER;
    *description = engine_.ErrorDescription();
    return S_OK;
}

HRESULT MediaPlayer::ErrorCode(LONG* code) {
    if (!code) return E_POINTER;
    *code = engine_.ErrorCode();
    return S_OK;
}

void MediaPlayer::SetEventHandler(std::function<void(const PlayerEvent&)> handler) {
    handler_ = std::move(handler);
}

void MediaPlayer::SetWakeup(std::function<void()> wakeup) {
    std::lock_guard lock(wakeMutex_);
    wakeup_ = std::move(wakeup);
}

bool MediaPlayer::WaitForEvents(std::chrono::milliseconds timeout) {
    return engine_.WaitForEvents(timeout);
}

void MediaPlayer::Raise(PlayerEvent event) {
    if (handler_) handler_(event);
}

void MediaPlayer::DeliverEvents() {
    while (std::optional<EngineEvent> e = engine_.NextEvent()) {
        switch (e->kind) {
        case EngineEvent::OpenStateChange:
            if (props_.GetBool(dispid::SendOpenStateChangeEvents))
                Raise(Make(eventid::OpenStateChange,
                           {Variant::Int(e->oldValue), Variant::Int(e->newValue)}));
            break;
        case EngineEvent::PlayStateChange:
            if (props_.GetBool(dispid::SendPlayStateChangeEvents))
                Raise(Make(eventid::PlayStateChange,
                           {Variant::Int(e->oldValue), Variant::Int(e->newValue)}));
            break;
        case EngineEvent::ReadyStateChange:
            Raise(Make(eventid::ReadyStateChange, {Variant::Int(e->newValue)}));
            break;
        case EngineEvent::PositionChange:
            Raise(Make(eventid::PositionChange, {Variant::Double(ToDisplayUnit(e->oldPosition)),
                                                 Variant::Double(ToDisplayUnit(e->newPosition))}));
            break;
        case EngineEvent::EndOfStream:
            Raise(Make(eventid::EndOfStream, {Variant::Int(e->newValue)}));
            break;
        case EngineEvent::Error:
            if (props_.GetBool(dispid::SendErrorEvents)) Raise(Make(eventid::Error));
            break;
        }
        ViewChanged();
    }
}

IBasicVideo& MediaPlayer::BasicVideo() {
    return engine_.BasicVideo();
}
ISampleGrabber* MediaPlayer::InsertSampleGrabber() {
    return engine_.InsertSampleGrabber();
}
void MediaPlayer::RemoveSampleGrabber() {
    engine_.RemoveSampleGrabber();
}

HWND MediaPlayer::Window() const {
    return view_ ? view_->Handle() : 0;
}

void MediaPlayer::ViewChanged() {
    if (view_) view_->Changed();
}

} // namespace media
