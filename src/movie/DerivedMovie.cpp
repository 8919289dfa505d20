#include "movie/DerivedMovie.h"

#include "platform/media/MediaPlayer.h"

namespace {

void Check(HRESULT hr, const char* what) {
    if (FAILED(hr)) throw EOleException(String("The media player refused ") + what, hr);
}

int IntArg(const media::PlayerEvent& e, std::size_t i) {
    return i < e.args.size() ? static_cast<int>(e.args[i].AsDouble()) : 0;
}

double DoubleArg(const media::PlayerEvent& e, std::size_t i) {
    return i < e.args.size() ? e.args[i].AsDouble() : 0.0;
}

String TextArg(const media::PlayerEvent& e, std::size_t i) {
    return i < e.args.size() ? e.args[i].bstrVal : String();
}

} // namespace

void TDerivedMovie_::Create(TComponent* AOwner) {
    inherited::Create(AOwner);
    media::EngineOptions options;
    // The component decides itself whether a movie starts (AutoStart); the player always
    // starts, so the first change to playing can be seen and answered.
    options.autoStart = true;
    player_ = std::make_unique<media::MediaPlayer>(options);
    player_->SetEventHandler([this](const media::PlayerEvent& e) { PlayerEvent(e); });
}

void TDerivedMovie_::Destroy() {
    if (player_) {
        player_->SetEventHandler(nullptr);
        player_.reset();
    }
    inherited::Destroy();
}

media::Variant TDerivedMovie_::GetProperty(DISPID id) {
    media::Variant v;
    Check(player_->GetProperty(id, &v), "a property read");
    return v;
}

void TDerivedMovie_::SetProperty(DISPID id, const media::Variant& Value) {
    Check(player_->PutProperty(id, Value), "a property write");
}

void TDerivedMovie_::Open(const String& FileName) {
    Check(player_->Open(FileName), "Open");
}
void TDerivedMovie_::Play() {
    Check(player_->Play(), "Play");
}
void TDerivedMovie_::Pause() {
    Check(player_->Pause(), "Pause");
}
void TDerivedMovie_::Stop() {
    Check(player_->Stop(), "Stop");
}

String TDerivedMovie_::ErrorDescription() {
    String text;
    Check(player_->ErrorDescription(&text), "ErrorDescription");
    return text;
}

int TDerivedMovie_::ErrorCode() {
    LONG code = 0;
    Check(player_->ErrorCode(&code), "ErrorCode");
    return static_cast<int>(code);
}

HWND TDerivedMovie_::PlayerWindow() const {
    return player_ ? player_->Window() : 0;
}

void TDerivedMovie_::CreateWindowHandle(const TCreateParams& Params) {
    inherited::CreateWindowHandle(Params);
    RECT r{};
    GetClientRect(Handle(), &r);
    player_->CreateWindowIn(Handle(), 0, 0, r.right, r.bottom);
    if (OnControlCreated) OnControlCreated(this);
}

void TDerivedMovie_::Resize() {
    FitPlayerWindow();
    inherited::Resize();
}

void TDerivedMovie_::FitPlayerWindow() {
    const HWND w = PlayerWindow();
    if (!w || !HandleAllocated()) return;
    RECT r{};
    GetClientRect(Handle(), &r);
    MoveWindow(w, 0, 0, r.right, r.bottom, TRUE);
}

void TDerivedMovie_::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case WM_SIZE:
        inherited::Dispatch(Message);
        FitPlayerWindow();
        return;
    case WM_HELP: {
        bool canShow = true;
        if (OnF1HelpInvoked) OnF1HelpInvoked(this, canShow);
        if (canShow) inherited::Dispatch(Message);
        return;
    }
    default:
        inherited::Dispatch(Message);
    }
}

void TDerivedMovie_::PlayerEvent(const media::PlayerEvent& e) {
    // The player raises its events from its own window's procedure, which is not one of
    // ours: an exception must not leave into it.
    try {
        RaiseEvent(e);
    } catch (...) {
        HandleControlException(this);
    }
}

void TDerivedMovie_::RaiseEvent(const media::PlayerEvent& e) {
    namespace ev = media::eventid;
    switch (e.id) {
    case ev::DVDNotify:
        if (OnDVDNotify) OnDVDNotify(this);
        break;
    case ev::EndOfStream:
        if (OnEndOfStream) OnEndOfStream(this, IntArg(e, 0));
        break;
    case ev::OpenStateChange:
        if (OnOpenStateChange) OnOpenStateChange(this, IntArg(e, 0), IntArg(e, 1));
        break;
    case ev::PlayStateChange:
        if (OnPlayStateChange) OnPlayStateChange(this, IntArg(e, 0), IntArg(e, 1));
        break;
    case ev::ScriptCommand:
        if (OnScriptCommand) OnScriptCommand(this, TextArg(e, 0), TextArg(e, 1));
        break;
    case ev::Buffering:
        if (OnBuffering) OnBuffering(this, IntArg(e, 0) != 0);
        break;
    case ev::Error:
        if (OnError) OnError(this);
        break;
    case ev::MarkerHit:
        if (OnMarkerHit) OnMarkerHit(this, IntArg(e, 0));
        break;
    case ev::Warning:
        if (OnWarning) OnWarning(this, IntArg(e, 0), IntArg(e, 1), TextArg(e, 2));
        break;
    case ev::NewStream:
        if (OnNewStream) OnNewStream(this);
        break;
    case ev::Disconnect:
        if (OnDisconnect) OnDisconnect(this, IntArg(e, 0));
        break;
    case ev::PositionChange:
        if (OnPositionChange) OnPositionChange(this, DoubleArg(e, 0), DoubleArg(e, 1));
        break;
    case ev::DisplayModeChange:
        if (OnDisplayModeChange) OnDisplayModeChange(this);
        break;
    case ev::ReadyStateChange:
        if (OnReadyStateChange) OnReadyStateChange(this, IntArg(e, 0));
        break;
    default:
        break;
    }
}
