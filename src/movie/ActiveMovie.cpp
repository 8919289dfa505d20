#include "movie/ActiveMovie.h"

#include "movie/DerivedMovie.h"
#include "movie/MovieSupport.h"
#include "movie/PlayerProperties.h"

#include "framework/Timer.h"
#include "platform/kernel/Time.h"
#include "platform/media/MediaPlayer.h"
#include "platform/user/MessageBox.h"
#include "platform/user/MessageQueue.h"
#include "rtl/Conversion.h"
#include "rtl/Files.h"
#include "rtl/ScopeGuard.h"

#include <cstdlib>

using movie_detail::Finally;
using movie_detail::PaceWait;
using movie_detail::RoundEven;

namespace {

namespace d = media::dispid;

// Timers and players of every component in the process are numbered from one counter.
int g_componentCounter = 0;

String NextComponentName() {
    return "AMComponent" + std::to_string(++g_componentCounter);
}

std::function<bool()>& InstalledCheck() {
    static std::function<bool()> check = [] { return media::MediaBackendAvailable(); };
    return check;
}

void DispatchPendingMessages() {
    MSG msg;
    while (PeekMessage(&msg, 0, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessage(&msg);
    }
}

} // namespace

const char* const TActiveMovie::kPlayerDownloadAddress = "https://ffmpeg.org/download.html";

void TActiveMovie::SetPlayerInstalledCheck(std::function<bool()> check) {
    InstalledCheck() = check ? std::move(check) : [] { return media::MediaBackendAvailable(); };
}

bool CheckPlayerInstalled() {
    if (InstalledCheck()()) return true;
    const String text =
        String("Microsoft Windows Media Player is not installed on this platform.") +
        "\r\nIt can be downloaded from " + TActiveMovie::kPlayerDownloadAddress;
    MessageBox(0, text.c_str(), "", MB_OK);
    return false;
}

// --- construction and destruction ---

TActiveMovie::TActiveMovie() = default;
TActiveMovie::~TActiveMovie() = default;

void TActiveMovie::Create(TComponent* AOwner) {
    if (!CheckPlayerInstalled()) std::exit(EXIT_FAILURE);
    inherited::Create(AOwner);
    SetColor(clBlack);
    SetParentColor(true);
    SetBounds(Left(), Top(), 240, 200);
    SetBorderWidth(0);
    SetBevelInner(bvNone);
    SetBevelOuter(bvNone);
    CreateChildren();
}

void TActiveMovie::CreateChildren() {
    timer_ = CreateComponent<TTimer>(this);
    timer_->SetName(NextComponentName());
    timer_->SetEnabled(false);
    timer_->SetInterval(static_cast<Cardinal>(timerInterval_));
    timer_->SetOnTimer([this](TObject* s) { TimerTick(s); });

    layout_ = std::make_unique<MovieLayout>(*this);

    player_ = CreateComponent<TDerivedMovie_>(this);
    player_->SetName(NextComponentName());
    keys_ = std::make_unique<FullScreenKeys>(
        *this, Props(), OnFullScreenKeyPress,
        FullScreenKeys::Hooks{
            .leaveFullScreen = [this] { layout_->ApplyDisplaySize(); },
            // A movie that is not playing is sought to its polled position again.
            .hiddenFormMoving =
                [this] {
                    if (OpenState() == kOpenStateOpen && PlayState() != kPlayStatePlaying)
                        Seek(currentTime_);
                },
        });
    capture_ = std::make_unique<MovieCapture>(
        *this, *player_, OnFGrabberCaptureCompleted,
        MovieCapture::Hooks{
            .pause = [this] { return Pause(); },
            .grabberFound = [this] { layout_->KeepLogoWithoutPicture(); },
        });
    BindPlayerEvents();
    player_->SetProperty(d::AutoSize, media::Variant::Bool(false));
    player_->SetProperty(d::CurrentPosition, media::Variant::Bool(false));
    player_->SetProperty(d::VideoInFrame, media::Variant::Bool(false));
    player_->SetProperty(d::VideoBorder3D, media::Variant::Bool(false));
    OnResize = [this](TObject*) { UpdateLayout(); };
    layout_->Attach(*player_);
    SetCaption("");
    timer_->SetEnabled(true);
}

void TActiveMovie::BindPlayerEvents() {
    TDerivedMovie_& p = *player_;
    p.OnOpenStateChange = [this](TObject*, int o, int n) { PlayerOpenStateChange(o, n); };
    p.OnPlayStateChange = [this](TObject*, int o, int n) { PlayerPlayStateChange(o, n); };
    p.OnReadyStateChange = [this](TObject*, int s) { PlayerReadyStateChange(s); };
    p.OnEndOfStream = [this](TObject*, int r) { PlayerEndOfStream(r); };
    p.OnDisconnect = [this](TObject*, int r) { PlayerDisconnect(r); };
    p.OnError = [this](TObject*) { PlayerError(); };
    p.OnScriptCommand = [this](TObject*, const String& t, const String& a) {
        if (OnScriptCommand) OnScriptCommand(this, t, a);
    };
    p.OnBuffering = [this](TObject*, bool start) {
        if (OnBuffering) OnBuffering(this, start);
    };
    p.OnMarkerHit = [this](TObject*, int n) {
        if (OnMarkerHit) OnMarkerHit(this, n);
    };
    p.OnWarning = [this](TObject*, int t, int a, const String& text) {
        if (OnWarning) OnWarning(this, t, a, text);
    };
    p.OnNewStream = [this](TObject*) {
        if (OnNewStream) OnNewStream(this);
    };
    p.OnDisplayModeChange = [this](TObject*) {
        if (OnDisplayModeChange) OnDisplayModeChange(this);
    };
    p.OnF1HelpInvoked = [this](TObject*, bool& canShow) {
        if (OnF1HelpInvoked) OnF1HelpInvoked(this, canShow);
    };
    p.OnControlCreated = [this](TObject* s) { PlayerWindowCreated(s); };
    // The player's own control events reach the component's handlers with the component as
    // the sender.
    p.OnClick = [this](TObject*) {
        if (OnClick) OnClick(this);
    };
    p.OnDblClick = [this](TObject*) {
        if (OnDblClick) OnDblClick(this);
    };
    p.OnMouseDown = [this](TObject*, TMouseButton b, TShiftState s, int x, int y) {
        if (OnMouseDown) OnMouseDown(this, b, s, x, y);
    };
    p.OnMouseUp = [this](TObject*, TMouseButton b, TShiftState s, int x, int y) {
        if (OnMouseUp) OnMouseUp(this, b, s, x, y);
    };
    p.OnMouseMove = [this](TObject*, TShiftState s, int x, int y) {
        if (OnMouseMove) OnMouseMove(this, s, x, y);
    };
    p.OnKeyDown = [this](TObject*, Word& k, TShiftState s) {
        if (OnKeyDown) OnKeyDown(this, k, s);
    };
    p.OnKeyUp = [this](TObject*, Word& k, TShiftState s) {
        if (OnKeyUp) OnKeyUp(this, k, s);
    };
    p.OnKeyPress = [this](TObject*, char& k) {
        if (OnKeyPress) OnKeyPress(this, k);
    };
    p.OnEnter = [this](TObject*) {
        if (OnEnter) OnEnter(this);
    };
    p.OnExit = [this](TObject*) {
        if (OnExit) OnExit(this);
    };
    p.OnDragOver = [this](TObject*, TObject* source, int x, int y, TDragState state, bool& accept) {
        accept = static_cast<bool>(OnDragOver);
        if (OnDragOver) OnDragOver(this, source, x, y, state, accept);
    };
    p.OnDragDrop = [this](TObject*, TObject* source, int x, int y) {
        if (OnDragDrop) OnDragDrop(this, source, x, y);
    };
    p.OnStartDrag = [this](TObject*, TDragObject*& object) {
        if (OnStartDrag) OnStartDrag(this, object);
    };
    p.OnEndDrag = [this](TObject*, TObject* target, int x, int y) {
        if (OnEndDrag) OnEndDrag(this, target, x, y);
    };
}

void TActiveMovie::UnbindPlayerEvents() {
    TDerivedMovie_& p = *player_;
    p.OnOpenStateChange = nullptr;
    p.OnPlayStateChange = nullptr;
    p.OnReadyStateChange = nullptr;
    p.OnEndOfStream = nullptr;
    p.OnDisconnect = nullptr;
    p.OnError = nullptr;
    p.OnScriptCommand = nullptr;
    p.OnBuffering = nullptr;
    p.OnMarkerHit = nullptr;
    p.OnWarning = nullptr;
    p.OnNewStream = nullptr;
    p.OnDisplayModeChange = nullptr;
    p.OnF1HelpInvoked = nullptr;
    p.OnControlCreated = nullptr;
    p.OnClick = nullptr;
    p.OnDblClick = nullptr;
    p.OnMouseDown = nullptr;
    p.OnMouseUp = nullptr;
    p.OnMouseMove = nullptr;
    p.OnKeyDown = nullptr;
    p.OnKeyUp = nullptr;
    p.OnKeyPress = nullptr;
    p.OnEnter = nullptr;
    p.OnExit = nullptr;
    p.OnDragOver = nullptr;
    p.OnDragDrop = nullptr;
    p.OnStartDrag = nullptr;
    p.OnEndDrag = nullptr;
}

void TActiveMovie::PlayerWindowCreated(TObject*) {
    player_->SetParentColor(true);
    player_->SetAlign(alClient);
    layout_->ClipVideoWindows();
    keys_->CreateHiddenForm();
    layout_->RaiseBars();
    UpdateLayout();
    if (OnCreate) OnCreate(this);
}

void TActiveMovie::Destroy() {
    if (timer_) timer_->SetEnabled(false);
    if (keys_) keys_->Release();
    if (player_) UnbindPlayerEvents();
    // A player still loading finishes its step first; bounded, so a player that never
    // leaves loading cannot hold the program.
    if (player_) {
        const std::uint64_t deadline = GetTickCount64() + kLoadingWaitMs;
        while (GetIntegerPropSafe(media::dispid::ReadyState) == kReadyStateLoading &&
               GetTickCount64() < deadline) {
            DispatchPendingMessages();
            PaceWait(player_->MediaPlayer());
        }
    }
    if (capture_) capture_->Release();
    inherited::Destroy();
}

PlayerProperties TActiveMovie::Props() const {
    return PlayerProperties(*player_);
}

int TActiveMovie::GetIntegerPropSafe(DISPID id) const {
    media::Variant v;
    if (!player_ || FAILED(player_->MediaPlayer().GetProperty(id, &v))) return 0;
    return v.lVal;
}

// --- properties by dispatch id ---

bool TActiveMovie::GetWordBoolProp(DISPID id) const {
    return Props().WordBool(id);
}
int TActiveMovie::GetIntegerProp(DISPID id) const {
    return Props().Integer(id);
}
double TActiveMovie::GetDoubleProp(DISPID id) const {
    return Props().Double(id);
}
String TActiveMovie::GetWideStringProp(DISPID id) const {
    return Props().WideString(id);
}

void TActiveMovie::SetWordBoolProp(DISPID id, bool Value) {
    Props().SetWordBool(id, Value);
    UpdateLayout();
}

void TActiveMovie::SetIntegerProp(DISPID id, int Value) {
    Props().SetInteger(id, Value);
}

void TActiveMovie::SetDoubleProp(DISPID id, double Value) {
    Props().SetDouble(id, Value);
}

void TActiveMovie::SetWideStringProp(DISPID id, const String& Value) {
    Props().SetWideString(id, Value);
}

// --- operations ---

void TActiveMovie::Open() {
    if (fileName_.empty()) return;
    if (PlayState() == kPlayStatePlaying) player_->Stop();
    opening_ = true;
    player_->Open(fileName_);
}

void TActiveMovie::Play() {
    if (OpenState() != kOpenStateOpen) return;
    player_->Play();
    if (layout_->FullScreenMode()) layout_->EnterFullScreen();
}

bool TActiveMovie::Pause() {
    if (OpenState() != kOpenStateOpen || PlayState() != kPlayStatePlaying) return false;
    player_->Pause();
    return true;
}

void TActiveMovie::Stop() {
    if (OpenState() != kOpenStateOpen) return;
    player_->Stop();
    SetCurrentPosition(0);
}

void TActiveMovie::Close() {
    if (OpenState() != kOpenStateOpen) return;
    if (PlayState() == kPlayStatePlaying) player_->Stop();
    opening_ = false;
    SetWideStringProp(d::FileName, "");
    capture_->ReleaseBasicVideo();
}

bool TActiveMovie::CaptureFrameToBitmap(TBitmap* Bitmap) {
    if (OpenState() != kOpenStateOpen) return false;
    String name;
    return CaptureFrameTo(fdBitmap, name, nullptr, Bitmap);
}

bool TActiveMovie::CaptureFrameTo(TFrameCapture_Dest Dest, String& FileName, TImage* Image,
                                  TBitmap* Bitmap) {
    const bool wasPlaying = Pause();
    // The movie plays on after a failure too (a JPEG file that cannot be written); a failure
    // to play on then gives way to the capture's own.
    ScopeGuard playOn([this, wasPlaying] {
        if (wasPlaying) Play();
    });
    return capture_->Capture(Dest, FileName, Image, Bitmap);
}

void TActiveMovie::Seek(double Position) {
    if (Position > duration_) return;
    if (DisplayMode() == mpFrames) {
        SetDisplayMode(mpTime);
        SetCurrentPosition(Position);
        SetDisplayMode(mpFrames);
    } else {
        SetCurrentPosition(Position);
    }
}

// --- setters ---

TDisplayMode TActiveMovie::DisplayMode() const {
    return GetIntegerProp(d::DisplayMode) == media::mpFrames ? mpFrames : mpTime;
}

void TActiveMovie::SetDisplayMode(TDisplayMode v) {
    SetIntegerProp(d::DisplayMode, v == mpFrames ? media::mpFrames : media::mpTime);
}

void TActiveMovie::SetRate(double v) {
    // Written first: a rate the player refuses leaves the old one in place.
    SetDoubleProp(d::Rate, v);
    rate_ = v;
}

void TActiveMovie::SetSelectionStart(double v) {
    if (v == -1.0 || (v >= 0 && (selectionEnd_ == -1.0 || v <= selectionEnd_))) selectionStart_ = v;
}

void TActiveMovie::SetSelectionEnd(double v) {
    if (v == -1.0 || (v >= 0 && (selectionStart_ == -1.0 || v >= selectionStart_)))
        selectionEnd_ = v;
}

void TActiveMovie::SetColor(TColor v) {
    inherited::SetColor(v);
    keptColor_ = v;
}

void TActiveMovie::SetParentColor(bool v) {
    inherited::SetParentColor(v);
    keptColor_ = Color();
}

void TActiveMovie::SetVisible(bool v) {
    if (!layout_->SetVideoVisible(v)) return;
    if (!v) {
        // The component blends into its parent; the kept colour comes back with Visible.
        if (Parent()) inherited::SetColor(Parent()->Color());
    } else if (ParentColor()) {
        if (Parent()) inherited::SetColor(Parent()->Color());
        inherited::SetParentColor(true);
        keptColor_ = Color();
    } else {
        inherited::SetColor(keptColor_);
    }
    // The layout hides the video while Visible is off.
    layout_->UpdateAndRepaint();
}

void TActiveMovie::UpdateLayout() {
    if (layout_) layout_->Update();
}

// --- player events ---

void TActiveMovie::PlayerOpenStateChange(int OldState, int NewState) {
    currentFrame_ = 0;
    currentTime_ = 0;
    if (NewState == kOpenStateClosed) {
        capture_->MovieClosed();
        keys_->UnhookRenderer();
    }
    if (NewState == kOpenStateOpen) {
        capture_->MovieOpened();
        layout_->KeepLogoWithoutPicture();
        lastPosition_ = -1.0;
        ReadLength();
        if (!autoStart_) SetCurrentPosition(0);
        keys_->HookRenderer();
        if (OnOpenComplete) OnOpenComplete(this);
    }
    UpdateLayout();
    oldOpenState_ = OldState;
    newOpenState_ = NewState;
    openStatePending_ = true;
}

void TActiveMovie::ReadLength() {
    double frames = 0;
    if (DisplayMode() == mpFrames) {
        SetDisplayMode(mpTime);
        duration_ = GetDoubleProp(d::Duration);
        SetDisplayMode(mpFrames);
        frames = GetDoubleProp(d::Duration);
    } else {
        SetDisplayMode(mpFrames);
        frames = GetDoubleProp(d::Duration);
        SetDisplayMode(mpTime);
        duration_ = GetDoubleProp(d::Duration);
    }
    frameCount_ =
        frames != duration_ ? static_cast<Cardinal>(std::max<Int64>(0, RoundEven(frames))) : 0;
}

void TActiveMovie::PlayerPlayStateChange(int OldState, int NewState) {
    if (GetDoubleProp(d::Rate) != rate_) SetDoubleProp(d::Rate, rate_);
    if (NewState == kPlayStatePlaying) {
        if (OldState != kPlayStatePaused && selectionStart_ != -1.0)
            SetCurrentPosition(selectionStart_);
        if (opening_) {
            if (!autoStart_) pausePending_ = true;
            opening_ = false;
        }
        if (layout_->FullScreenMode()) fullScreenPending_ = true;
        UpdateLayout();
    }
    if (NewState == kPlayStateStopped) capture_->Disarm();
    oldPlayState_ = OldState;
    newPlayState_ = NewState;
    playStatePending_ = true;
}

void TActiveMovie::PlayerReadyStateChange(int State) {
    layout_->FollowReadyState(State);
    if (!layout_->DisplayLogo() &&
        (State == kReadyStateInteractive || State == kReadyStateComplete))
        capture_->InsertGrabberIfEnabled();
    UpdateLayout();
    if (OnReadyStateChange) OnReadyStateChange(this, State);
}

void TActiveMovie::PlayerEndOfStream(int Result) {
    if (layout_->FullScreenMode()) Pause();
    endOfStreamResult_ = Result;
    endOfStreamPending_ = true;
}

void TActiveMovie::PlayerDisconnect(int Result) {
    disconnectResult_ = Result;
    disconnectPending_ = true;
}

void TActiveMovie::PlayerError() {
    if (!OnError) return;
    const String description = player_->ErrorDescription();
    const int code = player_->ErrorCode();
    OnError(this, code, description);
}

// --- the poll ---

void TActiveMovie::TimerTick(TObject*) {
    if (tickRunning_) return;
    tickRunning_ = true;
    // Cleared on every way out, a handler's exception included, or no tick would run again.
    Finally clear([this] { tickRunning_ = false; });

    if (fullScreenPending_) {
        fullScreenPending_ = false;
        layout_->EnterFullScreen();
    }
    if (pausePending_) {
        pausePending_ = false;
        player_->Pause();
    }
    if (OpenState() == kOpenStateOpen) {
        if (OnPositionChange || selectionEnd_ != -1.0) PollPosition();
        keys_->DeliverPending();
    }
    if (endOfStreamPending_) {
        endOfStreamPending_ = false;
        if (OnEndOfStream) OnEndOfStream(this, endOfStreamResult_);
        if (loop_) player_->Play();
    }
    if (openStatePending_) {
        openStatePending_ = false;
        if (OnOpenStateChange) OnOpenStateChange(this, oldOpenState_, newOpenState_);
    }
    if (playStatePending_) {
        playStatePending_ = false;
        if (OnPlayStateChange) OnPlayStateChange(this, oldPlayState_, newPlayState_);
    }
    if (disconnectPending_) {
        disconnectPending_ = false;
        if (OnDisconnect) OnDisconnect(this, disconnectResult_);
    }
}

void TActiveMovie::PollPosition() {
    const double p = CurrentPosition();
    if (p == lastPosition_) return;
    const double last = lastPosition_ == -1.0 ? 0.0 : lastPosition_;
    double oldTime = 0, newTime = 0;
    Int64 oldFrame = 0, newFrame = 0;
    if (DisplayMode() == mpFrames) {
        oldFrame = RoundEven(last);
        newFrame = RoundEven(p);
        if (frameCount_ != 0) {
            oldTime = last * duration_ / frameCount_;
            newTime = p * duration_ / frameCount_;
        }
    } else {
        oldTime = last;
        newTime = p;
        if (duration_ != 0) {
            oldFrame = RoundEven(frameCount_ * last / duration_);
            newFrame = RoundEven(frameCount_ * p / duration_);
        }
    }
    auto frame = [](Int64 f) { return static_cast<Cardinal>(std::max<Int64>(0, f)); };
    currentTime_ = newTime;
    currentFrame_ = frame(newFrame);
    lastPosition_ = p;
    if (OnPositionChange)
        OnPositionChange(this, oldTime, newTime, frame(oldFrame), frame(newFrame));
    if (selectionEnd_ >= 0 && p >= selectionEnd_) Pause();
}

// --- messages ---

void TActiveMovie::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case WM_SIZE:
        inherited::Dispatch(Message);
        if (layout_) layout_->SizeChanged();
        return;
    case WM_FRAMEGRABBED:
        if (capture_) capture_->DeliverGrabbedFrame(Message);
        return;
    default:
        inherited::Dispatch(Message);
    }
}

// --- published properties ---

void TActiveMovie::DeclareProperties(Published<TActiveMovie>& p) {
    using M = TActiveMovie;
    auto number = [](double (M::*get)() const) {
        return [get](const M& m) { return FloatToStr((m.*get)()); };
    };
    auto setNumber = [](void (M::*set)(double)) {
        return [set](M& m, const String& v) { (m.*set)(StrToFloat(v)); };
    };
    p.Ordinal("AutoFileName", &M::AutoFileName, &M::SetAutoFileName)
        .Text("AutoFilePrefix", &M::AutoFilePrefix, &M::SetAutoFilePrefix)
        .Ordinal("AutoStart", &M::AutoStart, &M::SetAutoStart)
        .Ordinal("CaptureSize", &M::CaptureSize, &M::SetCaptureSize)
        .Ordinal("DisplayLogo", &M::DisplayLogo, &M::SetDisplayLogo)
        .Ordinal("DisplayMode", &M::DisplayMode, &M::SetDisplayMode)
        .Ordinal("DisplaySize", &M::DisplaySize, &M::SetDisplaySize)
        .Ordinal("FGrabber_BurstCount", &M::FGrabber_BurstCount, &M::SetFGrabber_BurstCount)
        .Ordinal("FGrabber_BurstInterval", &M::FGrabber_BurstInterval,
                 &M::SetFGrabber_BurstInterval)
        .Ordinal("FGrabber_BurstMode", &M::FGrabber_BurstMode, &M::SetFGrabber_BurstMode)
        .Ordinal("FGrabber_Enabled", &M::FGrabber_Enabled, &M::SetFGrabber_Enabled)
        .Text("FileName", &M::FileName, &M::SetFileName)
        .Ordinal("FullScreenMode", &M::FullScreenMode, &M::SetFullScreenMode)
        .Ordinal("JPEGPerformance", &M::JPEGPerformance, &M::SetJPEGPerformance)
        .Ordinal("JPEGProgressiveDisplay", &M::JPEGProgressiveDisplay,
                 &M::SetJPEGProgressiveDisplay)
        .Ordinal("JPEGQuality", &M::JPEGQuality, &M::SetJPEGQuality)
        .Ordinal("Loop", &M::Loop, &M::SetLoop)
        .Text("Rate", number(&M::Rate), setNumber(&M::SetRate))
        .Ordinal("ScrollBarsThickness", &M::ScrollBarsThickness, &M::SetScrollBarsThickness)
        .Text("SelectionEnd", number(&M::SelectionEnd), setNumber(&M::SetSelectionEnd))
        .Text("SelectionStart", number(&M::SelectionStart), setNumber(&M::SetSelectionStart))
        .Ordinal(
            "ShowControls", [](const M& m) { return const_cast<M&>(m).ShowControls(); },
            &M::SetShowControls)
        .Ordinal("ShowScrollBars", &M::ShowScrollBars, &M::SetShowScrollBars)
        .Text("StoragePath", &M::StoragePath, &M::SetStoragePath)
        .Ordinal("Visible", &M::Visible, &M::SetVisible)
        .Ordinal("ZoomSize", &M::ZoomSize, &M::SetZoomSize)
        .Ordinal("Color", &M::Color, &M::SetColor)
        .Ordinal("ParentColor", &M::ParentColor, &M::SetParentColor)
        .Ordinal("Align", &M::Align, &M::SetAlign);
    // Passed straight to the player.
    PublishPlayerProperties(p);
}
