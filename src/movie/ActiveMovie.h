#pragma once
// TActiveMovie: the movie player component. A panel that hosts the media player control in an
// inner panel and gives the program one object to drive: open a file, play, pause, stop,
// close, read and write the position, read the length, and copy the shown frame into a
// bitmap or a file. The player's state changes become the component's own events; most are
// held back and raised by a 50 ms poll, which also reports position changes.
#include "framework/Panel.h"
#include "movie/FullScreenKeys.h"
#include "movie/MovieCapture.h"
#include "movie/MovieLayout.h"
#include "movie/PlayerProperties.h"
#include "movie/PlayerPropertyForwarder.h"
#include "platform/media/PlayerDispatch.h"

#include <functional>
#include <memory>

class TDerivedMovie_;
class TTimer;
class TImage;
class TForm;

enum TDisplayMode { mpTime, mpFrames };

using TDerivedMovie_PositionChange2 =
    std::function<void(TObject* Sender, double OldTimePosition, double NewTimePosition,
                       Cardinal OldFramePosition, Cardinal NewFramePosition)>;
using TMovieStateChangeEvent = std::function<void(TObject* Sender, int OldState, int NewState)>;
using TMovieReadyStateChangeEvent = std::function<void(TObject* Sender, int ReadyState)>;
using TMovieResultEvent = std::function<void(TObject* Sender, int Result)>;
using TMovieErrorEvent =
    std::function<void(TObject* Sender, int ErrorCode, const String& ErrorMessage)>;
using TMovieWarningEvent =
    std::function<void(TObject* Sender, int WarningType, int Param, const String& Description)>;
using TMovieScriptCommandEvent =
    std::function<void(TObject* Sender, const String& scType, const String& Param)>;
using TMovieMarkerHitEvent = std::function<void(TObject* Sender, int MarkerNum)>;
using TMovieBufferingEvent = std::function<void(TObject* Sender, bool Start)>;
using TF1HelpInvokedEvent = std::function<void(TObject* Sender, bool& CanShowWMPHelp)>;

// The properties passed straight to the player come from PlayerPropertyForwarder, one getter
// and setter for each row of the player's table.
class TActiveMovie : public PlayerPropertyForwarder<TActiveMovie, TCustomPanel> {
    KORVID_CLASS(TActiveMovie, TCustomPanel)

    static void DeclareProperties(Published<TActiveMovie>& p);

    TActiveMovie();
    ~TActiveMovie() override;
    void Create(TComponent* AOwner) override;
    void Destroy() override;
    void Dispatch(TMessage& Message) override;

    // --- operations ---
    // Starts opening FileName (nothing when it is empty) and returns at once; OnOpenComplete
    // follows once the player has opened it, OnError when it cannot.
    void Open();
    void Play();
    // True when a playing movie was paused.
    bool Pause();
    void Stop();
    void Close();
    // Ignored beyond Duration.
    void Seek(double Position);
    // The frame the player shows, scaled by CaptureSize; false when none could be had.
    bool CaptureFrameToBitmap(TBitmap* Bitmap);
    // Dest fdBitmap: into Image when given, else into Bitmap. fdBMPFile, fdJPEGFile: saved
    // under FileName (an automatic name when empty), the name used written back.
    bool CaptureFrameTo(TFrameCapture_Dest Dest, String& FileName, TImage* Image, TBitmap* Bitmap);
    // Places the video inside the component (display size, zoom, scroll bars).
    void UpdateLayout();

    // --- the player's properties by dispatch id ---
    bool GetWordBoolProp(DISPID id) const;
    int GetIntegerProp(DISPID id) const;
    int GetEnumProp(DISPID id) const { return GetIntegerProp(id); }
    TColor GetColorProp(DISPID id) const { return GetIntegerProp(id); }
    double GetDoubleProp(DISPID id) const;
    String GetWideStringProp(DISPID id) const;
    // Runs the layout after the write.
    void SetWordBoolProp(DISPID id, bool Value);
    void SetIntegerProp(DISPID id, int Value);
    void SetEnumProp(DISPID id, int Value) { SetIntegerProp(id, Value); }
    void SetColorProp(DISPID id, TColor Value) { SetIntegerProp(id, Value); }
    void SetDoubleProp(DISPID id, double Value);
    void SetWideStringProp(DISPID id, const String& Value);

    // --- the player's state and position, read live ---
    int OpenState() const { return GetIntegerProp(media::dispid::OpenState); }
    int PlayState() const { return GetIntegerProp(media::dispid::PlayState); }
    int ReadyState() const { return GetIntegerProp(media::dispid::ReadyState); }
    // In the display mode's unit: seconds in mpTime. Writing it seeks.
    double CurrentPosition() const { return GetDoubleProp(media::dispid::CurrentPosition); }
    void SetCurrentPosition(double v) { SetDoubleProp(media::dispid::CurrentPosition, v); }

    // --- what the program reads directly ---
    // Length in seconds and in frames (0 when the player cannot tell frames).
    double Duration() const { return duration_; }
    Cardinal FrameCount() const { return frameCount_; }
    // The position last reported by the poll.
    double CurrentTimePosition() const { return currentTime_; }
    Cardinal CurrentFramePosition() const { return currentFrame_; }
    TDerivedMovie_* Player() const { return player_; }
    TPanel* InnerPanel() const { return layout_->InnerPanel(); }
    TScrollBar* HorzScrollBar() const { return layout_->HorzScrollBar(); }
    TScrollBar* VertScrollBar() const { return layout_->VertScrollBar(); }
    TPanel* CornerPanel() const { return layout_->CornerPanel(); }
    TTimer* PollTimer() const { return timer_; }
    TForm* HiddenForm() const { return keys_->HiddenForm(); }
    bool GrabberAvailable() const { return capture_->GrabberAvailable(); }
    bool GrabberInserted() const { return capture_->GrabberInserted(); }
    bool LogoMode() const { return layout_->LogoMode(); }
    HWND RendererWindow() const { return keys_->RendererWindow(); }

    // --- the component's own properties ---
    TAuto_Filename AutoFileName() const { return capture_->AutoFileName(); }
    void SetAutoFileName(TAuto_Filename v) { capture_->SetAutoFileName(v); }
    const String& AutoFilePrefix() const { return capture_->AutoFilePrefix(); }
    void SetAutoFilePrefix(const String& v) { capture_->SetAutoFilePrefix(v); }
    bool AutoStart() const { return autoStart_; }
    void SetAutoStart(bool v) { autoStart_ = v; }
    int CaptureSize() const { return capture_->CaptureSize(); }
    void SetCaptureSize(int v) { capture_->SetCaptureSize(v); }
    bool DisplayLogo() const { return layout_->DisplayLogo(); }
    void SetDisplayLogo(bool v) { layout_->SetDisplayLogo(v); }
    TDisplayMode DisplayMode() const;
    void SetDisplayMode(TDisplayMode v);
    TDisplaySize DisplaySize() const { return layout_->DisplaySize(); }
    void SetDisplaySize(TDisplaySize v) { layout_->SetDisplaySize(v); }
    int FGrabber_BurstCount() const { return capture_->BurstCount(); }
    void SetFGrabber_BurstCount(int v) { capture_->SetBurstCount(v); }
    int FGrabber_BurstInterval() const { return capture_->BurstInterval(); }
    void SetFGrabber_BurstInterval(int v) { capture_->SetBurstInterval(v); }
    bool FGrabber_BurstMode() const { return capture_->BurstMode(); }
    void SetFGrabber_BurstMode(bool v) { capture_->SetBurstMode(v); }
    bool FGrabber_Enabled() const { return capture_->GrabberEnabled(); }
    void SetFGrabber_Enabled(bool v) { capture_->SetGrabberEnabled(v); }
    const String& FileName() const { return fileName_; }
    void SetFileName(const String& v) { fileName_ = v; }
    bool FullScreenMode() const { return layout_->FullScreenMode(); }
    void SetFullScreenMode(bool v) { layout_->SetFullScreenMode(v); }
    TJPEGPerformance JPEGPerformance() const { return capture_->JPEGPerformance(); }
    void SetJPEGPerformance(TJPEGPerformance v) { capture_->SetJPEGPerformance(v); }
    bool JPEGProgressiveDisplay() const { return capture_->JPEGProgressiveDisplay(); }
    void SetJPEGProgressiveDisplay(bool v) { capture_->SetJPEGProgressiveDisplay(v); }
    int JPEGQuality() const { return capture_->JPEGQuality(); }
    void SetJPEGQuality(int v) { capture_->SetJPEGQuality(v); }
    bool Loop() const { return loop_; }
    void SetLoop(bool v) { loop_ = v; }
    double Rate() const { return rate_; }
    void SetRate(double v);
    int ScrollBarsThickness() const { return layout_->ScrollBarsThickness(); }
    void SetScrollBarsThickness(int v) { layout_->SetScrollBarsThickness(v); }
    // -1 is none.
    double SelectionEnd() const { return selectionEnd_; }
    void SetSelectionEnd(double v);
    double SelectionStart() const { return selectionStart_; }
    void SetSelectionStart(double v);
    // Reads the player's control bar setting and remembers it.
    bool ShowControls() { return layout_->ShowControls(); }
    void SetShowControls(bool v) { layout_->SetShowControls(v); }
    bool ShowScrollBars() const { return layout_->ShowScrollBars(); }
    void SetShowScrollBars(bool v) { layout_->SetShowScrollBars(v); }
    const String& StoragePath() const { return capture_->StoragePath(); }
    void SetStoragePath(const String& v) { capture_->SetStoragePath(v); }
    // The component's own visibility: hides the video, not the panel.
    bool Visible() const { return layout_->VideoVisible(); }
    void SetVisible(bool v);
    int ZoomSize() const { return layout_->ZoomSize(); }
    void SetZoomSize(int v) { layout_->SetZoomSize(v); }
    // The panel colour, also kept for when Visible comes back.
    void SetColor(TColor v);
    void SetParentColor(bool v);

    // --- events ---
    TNotifyEvent OnOpenComplete;
    TDerivedMovie_PositionChange2 OnPositionChange;
    TMovieStateChangeEvent OnOpenStateChange;
    TMovieStateChangeEvent OnPlayStateChange;
    TMovieReadyStateChangeEvent OnReadyStateChange;
    TMovieResultEvent OnEndOfStream;
    TMovieResultEvent OnDisconnect;
    TMovieErrorEvent OnError;
    TMovieWarningEvent OnWarning;
    TMovieScriptCommandEvent OnScriptCommand;
    TMovieMarkerHitEvent OnMarkerHit;
    TMovieBufferingEvent OnBuffering;
    TFullScreenKeyPressEvent OnFullScreenKeyPress;
    TF1HelpInvokedEvent OnF1HelpInvoked;
    TOnFrameCaptureCompleted OnFGrabberCaptureCompleted;
    TNotifyEvent OnNewStream;
    TNotifyEvent OnDisplayModeChange;
    TNotifyEvent OnCreate;

    // How long a grab waits for the frame hook before it gives up, in milliseconds of the
    // kernel clock.
    static constexpr Cardinal kGrabWaitMs = MovieCapture::kGrabWaitMs;
    // How long destruction waits for a player that is still loading.
    static constexpr Cardinal kLoadingWaitMs = 3000;

    // The installed check that the media layer can run; tests replace it. When it fails,
    // construction shows the not-installed message and ends the program.
    static void SetPlayerInstalledCheck(std::function<bool()> check);
    static const char* const kPlayerDownloadAddress;

private:
    // Construction, step by step.
    void CreateChildren();
    void PlayerWindowCreated(TObject* Sender);
    void BindPlayerEvents();
    PlayerProperties Props() const;
    // A read that cannot raise, for destruction.
    int GetIntegerPropSafe(DISPID id) const;
    void UnbindPlayerEvents();

    // Player events.
    void PlayerOpenStateChange(int OldState, int NewState);
    void PlayerPlayStateChange(int OldState, int NewState);
    void PlayerReadyStateChange(int State);
    void PlayerEndOfStream(int Result);
    void PlayerDisconnect(int Result);
    void PlayerError();
    void ReadLength();

    // The poll.
    void TimerTick(TObject* Sender);
    void PollPosition();

    // The parts, made with the children.
    std::unique_ptr<MovieLayout> layout_;
    std::unique_ptr<FullScreenKeys> keys_;
    std::unique_ptr<MovieCapture> capture_;
    // The player's state as the component follows it.
    bool autoStart_ = true;
    bool disconnectPending_ = false;
    int disconnectResult_ = 0;
    String fileName_;
    Cardinal frameCount_ = 0;
    Cardinal currentFrame_ = 0;
    bool tickRunning_ = false;
    bool opening_ = false;
    bool loop_ = false;
    TDerivedMovie_* player_ = nullptr;
    // The panel colour set last, for when Visible comes back.
    TColor keptColor_ = clBlack;
    bool openStatePending_ = false;
    int oldOpenState_ = 0;
    int newOpenState_ = 0;
    bool fullScreenPending_ = false;
    bool pausePending_ = false;
    bool playStatePending_ = false;
    int oldPlayState_ = 0;
    int newPlayState_ = 0;
    double lastPosition_ = -1.0;
    double rate_ = 1.0;
    bool endOfStreamPending_ = false;
    int endOfStreamResult_ = 0;
    double selectionEnd_ = -1.0;
    double selectionStart_ = -1.0;
    double currentTime_ = 0;
    TTimer* timer_ = nullptr;
    double duration_ = 0;
    int timerInterval_ = 50;
};

// Shows the not-installed message; false when the media layer cannot run (the check above).
bool CheckPlayerInstalled();
