#include "platform/media/MediaEngine.h"

#include "platform/media/internal/Session.h"

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <deque>
#include <mutex>

namespace media {

using detail::Session;

namespace {

float Gain(int hundredthsOfDecibel) {
    if (hundredthsOfDecibel <= -10000) return 0.0f;
    return static_cast<float>(std::pow(10.0, std::min(0, hundredthsOfDecibel) / 2000.0));
}

// Queued between events: the steps the engine takes once the event before has been handled.
enum class Step { None, FinishEnd };

EngineEvent Event(EngineEvent::Kind kind, int oldValue, int newValue, double oldPosition = 0,
                  double newPosition = 0, std::string text = {}) {
    EngineEvent e;
    e.kind = kind;
    e.oldValue = oldValue;
    e.newValue = newValue;
    e.oldPosition = oldPosition;
    e.newPosition = newPosition;
    e.text = std::move(text);
    return e;
}

struct QueuedEvent {
    EngineEvent event;
    Step step = Step::None;
};

} // namespace

struct MediaEngine::Impl final : detail::SessionHost, IBasicVideo {
    explicit Impl(EngineOptions o) : options(o) {}

    // --- events ---
    void Post(EngineEvent e) { queue.push_back({std::move(e), Step::None}); }
    void PostStep(Step step) { queue.push_back({{}, step}); }
    void PostOpenState(OpenState next) {
        Post(Event(EngineEvent::OpenStateChange, openState, next));
        openState = next;
    }
    void PostPlayState(PlayState next) {
        Post(Event(EngineEvent::PlayStateChange, playState, next));
        playState = next;
    }
    void PostReadyState(ReadyState next) {
        readyState = next;
        Post(Event(EngineEvent::ReadyStateChange, 0, next));
    }
    void Wake() {
        changed.notify_all();
        std::function<void()> n;
        {
            std::lock_guard lock(notifyMutex);
            n = notify;
        }
        if (n) n();
    }

    // --- session host (session threads) ---
    void SessionOpenStep(Session& s, int state) override {
        {
            std::lock_guard lock(mutex);
            if (&s != live || state <= openState) return;
            PostOpenState(static_cast<OpenState>(state));
        }
        Wake();
    }
    void SessionOpened(Session& s) override {
        {
            std::lock_guard lock(mutex);
            if (&s != live) return;
            info = s.info;
            ApplyAudio(s);
            s.SetRate(rate);
            PostOpenState(mpOpen);
            PostReadyState(mpReadyStateInteractive);
        }
        Wake();
    }
    void SessionFailed(Session& s, int code, const std::string& text) override {
        {
            std::lock_guard lock(mutex);
            if (&s != live) return;
            errorCode = code;
            errorText = text;
            Post(Event(EngineEvent::Error, 0, code, 0, 0, text));
            Shut();
            deadSession = true;
        }
        Wake();
    }
    void SessionFirstFrame(Session& s) override {
        {
            std::lock_guard lock(mutex);
            if (&s != live) return;
            PostReadyState(mpReadyStateComplete);
            if (autoStart && playState == mpStopped) {
                playsLeft = playCount;
                PostPlayState(mpPlaying);
                s.SetPaused(false);
            }
        }
        Wake();
    }
    void SessionEnded(Session& s) override {
        {
            std::lock_guard lock(mutex);
            if (&s != live || playState != mpPlaying) return;
            if (playsLeft > 1) {
                --playsLeft;
                s.RequestSeek(0);
                return;
            }
            Post(Event(EngineEvent::EndOfStream, 0, 0));
            PostStep(Step::FinishEnd);
        }
        Wake();
    }
    void SessionPresented(Session&) override { Wake(); }

    // --- the owning thread ---
    void FinishEnd() {
        if (!session || playState != mpPlaying) return;
        PostPlayState(mpStopped);
        session->SetPaused(true);
        if (autoRewind) {
            session->RequestSeek(0);
            atEnd = false;
        } else {
            atEnd = true;
        }
    }

    // Back to closed, with the events for each state left. Called with the lock held.
    void Shut() {
        live = nullptr;
        if (playState != mpStopped) PostPlayState(mpStopped);
        if (openState != mpClosed) PostOpenState(mpClosed);
        readyState = mpReadyStateUninitialized;
        info = {};
        atEnd = false;
        hook.Remove();
    }

    void ReapDeadSession() {
        std::unique_ptr<Session> dead;
        {
            std::lock_guard lock(mutex);
            if (!deadSession) return;
            deadSession = false;
            dead = std::move(session);
        }
    }

    void ApplyAudio(Session& s) {
        float left = Gain(volume);
        float right = left;
        if (balance > 0) left *= Gain(-balance);
        if (balance < 0) right *= Gain(balance);
        if (mute) left = right = 0;
        s.SetGains(left, right);
    }

    bool IsOpen() const { return openState == mpOpen && session; }

    // --- IBasicVideo ---
    HRESULT GetVideoSize(LONG* width, LONG* height) override {
        if (!width || !height) return E_POINTER;
        std::lock_guard lock(mutex);
        if (!IsOpen() || !info.hasVideo) return E_FAIL;
        *width = info.width;
        *height = info.height;
        return S_OK;
    }
    HRESULT GetCurrentImage(LONG* bufferSize, BYTE* buffer) override {
        std::lock_guard lock(mutex);
        if (!IsOpen() || !info.hasVideo) return E_FAIL;
        return session->store.CurrentImage(bufferSize, buffer);
    }

    EngineOptions options;
    mutable std::mutex mutex;
    std::condition_variable changed;
    std::deque<QueuedEvent> queue;
    std::mutex notifyMutex;
    std::function<void()> notify;

    std::unique_ptr<Session> session; // owned by the owning thread
    Session* live = nullptr;          // the session whose reports count
    bool deadSession = false;
    std::string fileName;
    OpenState openState = mpClosed;
    PlayState playState = mpStopped;
    ReadyState readyState = mpReadyStateUninitialized;
    detail::MovieInfo info;
    int errorCode = kErrorNone;
    std::string errorText;
    bool atEnd = false;

    double rate = 1;
    int volume = 0;
    int balance = 0;
    bool mute = false;
    bool autoStart = true;
    bool autoRewind = true;
    int playCount = 1;
    int playsLeft = 1;
    detail::FrameHook hook;
};

MediaEngine::MediaEngine(EngineOptions options) : impl_(std::make_unique<Impl>(options)) {
    // Damaged input is reported through the error event; the library's own chatter would
    // only fill the terminal.
    static const bool quiet = [] {
        av_log_set_level(AV_LOG_FATAL);
        return true;
    }();
    (void)quiet;
    impl_->autoStart = options.autoStart;
}

MediaEngine::~MediaEngine() {
    SetNotify(nullptr);
    Close();
}

void MediaEngine::SetNotify(std::function<void()> notify) {
    std::lock_guard lock(impl_->notifyMutex);
    impl_->notify = std::move(notify);
}

std::optional<EngineEvent> MediaEngine::NextEvent() {
    impl_->ReapDeadSession();
    std::lock_guard lock(impl_->mutex);
    while (!impl_->queue.empty()) {
        QueuedEvent q = std::move(impl_->queue.front());
        impl_->queue.pop_front();
        if (q.step == Step::FinishEnd) {
            impl_->FinishEnd();
            continue;
        }
        return std::move(q.event);
    }
    return std::nullopt;
}

bool MediaEngine::WaitForEvents(std::chrono::milliseconds timeout) {
    std::unique_lock lock(impl_->mutex);
    return impl_->changed.wait_for(lock, timeout, [&] { return !impl_->queue.empty(); });
}

void MediaEngine::Open(const std::string& fileName) {
    Close();
    if (fileName.empty()) return;
    Impl& m = *impl_;
    {
        std::lock_guard lock(m.mutex);
        m.fileName = fileName;
        m.errorCode = kErrorNone;
        m.errorText.clear();
        m.session = std::make_unique<Session>(fileName, m, m.hook, m.options.useAudioDevice,
                                              m.options.decodeOn);
        m.live = m.session.get();
        m.PostOpenState(mpLocating);
        m.PostReadyState(mpReadyStateLoading);
        m.session->Start();
    }
    m.Wake();
}

void MediaEngine::Close() {
    Impl& m = *impl_;
    std::unique_ptr<Session> closing;
    bool posted = false;
    {
        std::lock_guard lock(m.mutex);
        posted = m.openState != mpClosed || m.playState != mpStopped;
        if (m.live) m.Shut();
        closing = std::move(m.session);
        m.deadSession = false;
        m.fileName.clear();
    }
    closing.reset(); // joins the session's threads
    if (posted) m.Wake();
}

void MediaEngine::Play() {
    Impl& m = *impl_;
    {
        std::lock_guard lock(m.mutex);
        if (!m.IsOpen() || m.playState == mpPlaying) return;
        if (m.atEnd) {
            m.session->RequestSeek(0);
            m.atEnd = false;
        }
        m.playsLeft = m.playCount;
        m.PostPlayState(mpPlaying);
        m.session->SetPaused(false);
    }
    m.Wake();
}

void MediaEngine::Pause() {
    Impl& m = *impl_;
    {
        std::lock_guard lock(m.mutex);
        if (!m.IsOpen() || m.playState == mpPaused) return;
        m.PostPlayState(mpPaused);
        m.session->SetPaused(true);
    }
    m.Wake();
}

void MediaEngine::Stop() {
    Impl& m = *impl_;
    {
        std::lock_guard lock(m.mutex);
        if (!m.IsOpen() || m.playState == mpStopped) return;
        m.PostPlayState(mpStopped);
        m.session->SetPaused(true);
    }
    m.Wake();
}

const std::string& MediaEngine::FileName() const {
    return impl_->fileName;
}

OpenState MediaEngine::GetOpenState() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->openState;
}

PlayState MediaEngine::GetPlayState() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->playState;
}

ReadyState MediaEngine::GetReadyState() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->readyState;
}

double MediaEngine::Position() const {
    std::lock_guard lock(impl_->mutex);
    if (!impl_->IsOpen()) return 0;
    if (impl_->atEnd) return impl_->info.duration;
    return impl_->session->Position();
}

void MediaEngine::SetPosition(double seconds) {
    Impl& m = *impl_;
    {
        std::lock_guard lock(m.mutex);
        if (!m.IsOpen() || !std::isfinite(seconds)) return;
        const double target = std::clamp(seconds, 0.0, m.info.duration);
        const double old = m.atEnd ? m.info.duration : m.session->Position();
        m.atEnd = false;
        m.session->RequestSeek(target);
        m.Post(Event(EngineEvent::PositionChange, 0, 0, old, target));
    }
    m.Wake();
}

bool MediaEngine::Seeking() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->IsOpen() && impl_->session->Settling();
}

#define KORVID_INFO(expr)                                                                          \
    std::lock_guard lock(impl_->mutex);                                                            \
    return impl_->IsOpen() ? (expr) : decltype(expr) {}

double MediaEngine::Duration() const {
    KORVID_INFO(impl_->info.duration);
}
double MediaEngine::FrameRate() const {
    KORVID_INFO(impl_->info.frameRate);
}
double MediaEngine::DurationInFrames() const {
    KORVID_INFO(impl_->info.frameCount);
}
bool MediaEngine::HasVideo() const {
    KORVID_INFO(impl_->info.hasVideo);
}
bool MediaEngine::HasAudio() const {
    KORVID_INFO(impl_->info.hasAudio);
}
int MediaEngine::VideoWidth() const {
    KORVID_INFO(impl_->info.width);
}
int MediaEngine::VideoHeight() const {
    KORVID_INFO(impl_->info.height);
}

#undef KORVID_INFO

double MediaEngine::Rate() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->rate;
}

void MediaEngine::SetRate(double rate) {
    std::lock_guard lock(impl_->mutex);
    if (!std::isfinite(rate) || rate <= 0 || rate > 16) return;
    impl_->rate = rate;
    if (impl_->session) impl_->session->SetRate(rate);
}

void MediaEngine::SetVolume(int volume) {
    std::lock_guard lock(impl_->mutex);
    impl_->volume = std::clamp(volume, -10000, 0);
    if (impl_->session) impl_->ApplyAudio(*impl_->session);
}

void MediaEngine::SetBalance(int balance) {
    std::lock_guard lock(impl_->mutex);
    impl_->balance = std::clamp(balance, -10000, 10000);
    if (impl_->session) impl_->ApplyAudio(*impl_->session);
}

void MediaEngine::SetMute(bool mute) {
    std::lock_guard lock(impl_->mutex);
    impl_->mute = mute;
    if (impl_->session) impl_->ApplyAudio(*impl_->session);
}

void MediaEngine::SetAutoStart(bool autoStart) {
    std::lock_guard lock(impl_->mutex);
    impl_->autoStart = autoStart;
}

void MediaEngine::SetAutoRewind(bool autoRewind) {
    std::lock_guard lock(impl_->mutex);
    impl_->autoRewind = autoRewind;
}

void MediaEngine::SetPlayCount(int playCount) {
    std::lock_guard lock(impl_->mutex);
    impl_->playCount = std::max(1, playCount);
}

int MediaEngine::ErrorCode() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->errorCode;
}

std::string MediaEngine::ErrorDescription() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->errorText;
}

IBasicVideo& MediaEngine::BasicVideo() {
    return *impl_;
}

ISampleGrabber* MediaEngine::InsertSampleGrabber() {
    std::lock_guard lock(impl_->mutex);
    if (!impl_->IsOpen() || !impl_->info.hasVideo) return nullptr;
    impl_->hook.Splice(impl_->info.width, impl_->info.height);
    return &impl_->hook;
}

void MediaEngine::RemoveSampleGrabber() {
    impl_->hook.Remove();
}

bool MediaEngine::DrawPresentedFrame(int width, int height, std::uint32_t* pixels, int stride) {
    std::lock_guard lock(impl_->mutex);
    return impl_->IsOpen() && impl_->info.hasVideo &&
           impl_->session->store.Draw(width, height, pixels, stride);
}

std::uint64_t MediaEngine::PresentedFrameCount() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->session ? impl_->session->store.Count() : 0;
}

std::uint64_t MediaEngine::ReadingMoveCount() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->session ? impl_->session->ReadingMoves() : 0;
}

bool MediaBackendAvailable() {
    return avformat_version() > 0 && avcodec_find_decoder(AV_CODEC_ID_MPEG1VIDEO) != nullptr &&
           av_find_input_format("mpeg") != nullptr;
}

} // namespace media
