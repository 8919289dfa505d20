#include "platform/media/internal/Session.h"

#include <algorithm>

namespace media::detail {

Session::Session(std::string fileName_, SessionHost& host_, FrameHook& hook_, bool useAudioDevice_,
                 bool decodeOn_)
    : fileName(std::move(fileName_)), host(host_), hook(hook_), useAudioDevice(useAudioDevice_),
      decodeOn(decodeOn_) {
    // About two seconds of typical video and audio, whichever limit comes first.
    video.packets = std::make_unique<PacketQueue>(epoch_, requestSerial_, 16u << 20, 120);
    audio.packets = std::make_unique<PacketQueue>(epoch_, requestSerial_, 2u << 20, 400);
    frames = std::make_unique<FrameQueue>(requestSerial_, 3);
}

Session::~Session() {
    {
        std::lock_guard lock(threadsMutex_);
        abort_ = true;
        if (sink) sink->Abort();
    }
    video.packets->Abort();
    audio.packets->Abort();
    frames->Abort();
    NotifyChange();
    for (std::thread* t : {&demuxer_, &videoDecoder_, &audioDecoder_, &presenter_})
        if (t->joinable()) t->join();
}

void Session::Start() {
    std::lock_guard lock(threadsMutex_);
    demuxer_ = std::thread([this] { RunDemuxer(*this); });
}

void Session::StartWorkers() {
    std::lock_guard lock(threadsMutex_);
    if (abort_) return;
    if (info.hasVideo) videoDecoder_ = std::thread([this] { RunVideoDecoder(*this); });
    if (info.hasAudio) audioDecoder_ = std::thread([this] { RunAudioDecoder(*this); });
    presenter_ = std::thread([this] { RunPresenter(*this); });
}

void Session::CreateSink() {
    std::lock_guard lock(threadsMutex_);
    if (!abort_) sink = std::make_unique<AudioSink>(requestSerial_, useAudioDevice);
}

void Session::RequestSeek(double target) {
    {
        std::lock_guard lock(seekMutex_);
        requestedTarget_ = std::max(0.0, target);
        seekBack_ = 0;
        moveReading_ = false;
        seekPending_ = true;
        requestSerial_.fetch_add(1);
    }
    WakeAll();
}

void Session::RequestSeekBack(int serial) {
    RequestMove(serial, true);
}

void Session::RequestReseek(int serial) {
    RequestMove(serial, false);
}

void Session::RequestMove(int serial, bool furtherBack) {
    {
        std::lock_guard lock(seekMutex_);
        if (serial != requestSerial_.load()) return;
        if (furtherBack) seekBack_ = seekBack_ == 0 ? 1 : seekBack_ * 2;
        moveReading_ = true;
        seekPending_ = true;
        requestSerial_.fetch_add(1);
    }
    WakeAll();
}

void Session::WakeAll() {
    video.packets->Wake();
    audio.packets->Wake();
    frames->Wake();
    if (sink) sink->Wake();
    NotifyChange();
}

bool Session::TakeSeekRequest(double& target, int& serial, double& back, bool& moveReading) {
    std::lock_guard lock(seekMutex_);
    if (!seekPending_) return false;
    seekPending_ = false;
    target = requestedTarget_;
    serial = requestSerial_.load();
    back = seekBack_;
    moveReading = moveReading_ || back > 0;
    return true;
}

void Session::MarkSeekExecuted(int serial, double target, bool fromStart) {
    {
        std::lock_guard lock(seekMutex_);
        executedSerial_ = serial;
        executedTarget_ = target;
        executedFromStart_ = fromStart;
        epoch_.fetch_add(1);
        readingMoves_.fetch_add(1);
    }
    WakeAll();
}

void Session::MarkSeekContinued(int serial, double target) {
    {
        std::lock_guard lock(seekMutex_);
        executedSerial_ = serial;
        executedTarget_ = target;
        // What has been read in this epoch counts for the new seek too.
        readSerial_ = serial;
    }
    WakeAll();
}

SeekPoint Session::Executed() {
    std::lock_guard lock(seekMutex_);
    return {executedSerial_, executedTarget_, executedFromStart_};
}

Session::Following Session::Follow(int epoch, SeekPoint& point) {
    std::lock_guard lock(seekMutex_);
    if (epoch != epoch_.load()) return Following::Moved;
    if (seekPending_ || executedSerial_ != requestSerial_.load()) return Following::Pending;
    point = {executedSerial_, executedTarget_, executedFromStart_};
    return Following::Continued;
}

bool Session::AwaitDecodingOn(int epoch, int& seen, SeekPoint& point) {
    while (!Aborted()) {
        switch (Follow(epoch, point)) {
        case Following::Moved:
            seen = RequestSerial();
            return false;
        case Following::Pending:
            WaitForChange(std::chrono::milliseconds(5));
            break;
        case Following::Continued:
            seen = point.serial;
            return true;
        }
    }
    return false;
}

void Session::PublishVideoWindow(const VideoWindow& window) {
    std::lock_guard lock(windowMutex_);
    window_ = window;
}

VideoWindow Session::GetVideoWindow() {
    std::lock_guard lock(windowMutex_);
    return window_;
}

bool Session::AudioCanFollow(double target) {
    if (!info.hasAudio) return true;
    int serial = 0;
    double from = 0;
    {
        std::lock_guard lock(seekMutex_);
        serial = executedSerial_;
        from = executedTarget_;
    }
    // Begun: the sink holds what follows its clock; not yet: the decoder is still dropping
    // the samples before the last target.
    if (sink)
        if (std::optional<double> clock = sink->Clock(serial)) from = *clock;
    return target >= from - 1e-6;
}

double Session::TargetFor(int serial) {
    std::lock_guard lock(seekMutex_);
    return serial == executedSerial_ ? executedTarget_ : requestedTarget_;
}

void Session::SetPaused(bool paused) {
    {
        std::lock_guard lock(clockMutex_);
        external_.SetPaused(paused, NowSeconds());
        paused_ = paused;
    }
    if (sink) sink->SetPaused(paused);
    NotifyChange();
}

void Session::SetRate(double rate) {
    {
        std::lock_guard lock(clockMutex_);
        rate_ = rate;
        external_.SetSpeed(rate, NowSeconds());
    }
    if (sink) sink->SetSpeed(rate);
}

void Session::SetGains(float left, float right) {
    if (sink) sink->SetGains(left, right);
}

void Session::SetShownSerial(int serial, double pts, bool resetClock) {
    if (resetClock) {
        std::lock_guard lock(clockMutex_);
        external_.Set(pts, NowSeconds());
    }
    shownSerial_ = serial;
}

bool Session::AudioReady(int serial) {
    if (!info.hasAudio || audio.finishedSerial.load() == serial || (sink && sink->Begun(serial)))
        return true;
    if (Stalled()) return true;
    // Files interleave their streams within a fraction of a second.
    constexpr double kInterleaveSeconds = 1.0;
    return readSerial_.load() == serial &&
           (readPosition_.load() > TargetFor(serial) + kInterleaveSeconds ||
            (info.hasVideo && video.packets->Full()));
}

void Session::NoteRead(int serial, double position) {
    if (readSerial_.load() != serial) {
        readPosition_ = position;
        readSerial_ = serial;
    } else if (position > readPosition_.load()) {
        readPosition_ = position;
    }
}

bool Session::Stalled() {
    // A real second at least, whatever the kernel's clock does.
    constexpr std::chrono::seconds kRealMinimum{1};
    const int serial = requestSerial_.load();
    const std::uint64_t moves = video.packets->Moves() + audio.packets->Moves() + frames->Moves();
    const double now = NowSeconds();
    const auto real = std::chrono::steady_clock::now();
    std::lock_guard lock(stallMutex_);
    if (serial != stallSerial_ || moves != lastMoves_) {
        stallSerial_ = serial;
        lastMoves_ = moves;
        idleSince_ = now;
        idleSinceReal_ = real;
        return false;
    }
    return now - idleSince_ >= kStallSeconds && real - idleSinceReal_ >= kRealMinimum;
}

bool Session::Settling() {
    const int serial = requestSerial_.load();
    return shownSerial_.load() != serial || !AudioReady(serial);
}

double Session::MasterClock(double now) {
    const int serial = requestSerial_.load();
    if (sink && info.hasAudio &&
        !(audio.finishedSerial.load() == serial && sink->Drained(serial))) {
        if (std::optional<double> clock = sink->Clock(serial)) {
            std::lock_guard lock(clockMutex_);
            // The system clock follows the audio, so it carries on once the audio ends.
            external_.Set(*clock, now);
            return *clock;
        }
    }
    std::lock_guard lock(clockMutex_);
    return external_.Get(now);
}

double Session::Position() {
    {
        std::lock_guard lock(seekMutex_);
        if (shownSerial_.load() != requestSerial_.load()) return requestedTarget_;
    }
    return std::clamp(MasterClock(NowSeconds()), 0.0, std::max(0.0, info.duration));
}

void Session::WaitForChange(std::chrono::milliseconds timeout) {
    std::unique_lock lock(changeMutex_);
    changed_.wait_for(lock, timeout);
}

void Session::NotifyChange() {
    std::lock_guard lock(changeMutex_);
    changed_.notify_all();
}

} // namespace media::detail
