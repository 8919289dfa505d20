#pragma once
// One open movie: the format context, the chosen streams with their decoders and packet
// queues, the frame queue, the audio sink, the clocks, and the four threads (demuxer, video
// decoder, audio decoder, presenter) that work on them. Made by the engine at Open and
// destroyed at Close; destruction aborts every queue and joins every thread.
#include "platform/media/FrameHook.h"
#include "platform/media/internal/AudioSink.h"
#include "platform/media/internal/Clock.h"
#include "platform/media/internal/FrameQueue.h"
#include "platform/media/internal/FrameStore.h"
#include "platform/media/internal/PacketQueue.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

namespace media::detail {

class Session;

// What the session tells its engine; called on the session's threads.
class SessionHost {
public:
    virtual ~SessionHost() = default;
    virtual void SessionOpenStep(Session& session, int openState) = 0;
    virtual void SessionOpened(Session& session) = 0;
    virtual void SessionFailed(Session& session, int code, const std::string& description) = 0;
    virtual void SessionFirstFrame(Session& session) = 0;
    virtual void SessionEnded(Session& session) = 0;
    virtual void SessionPresented(Session& session) = 0;
};

struct StreamState {
    int index = -1;
    AVStream* stream = nullptr;
    ff::CodecContextPtr codec;
    std::unique_ptr<PacketQueue> packets;
    // The serial whose packets the decoder has fully drained (end of stream reached).
    std::atomic<int> finishedSerial{-1};
};

// What the video decoder can still give without reading anew: the frames it keeps from
// `first` (a start, in seconds) to `last`, decoded in this epoch of the reading.
struct VideoWindow {
    int epoch = -1;
    double first = 0;
    double last = 0;
    bool valid = false;
};

// The seek the reading last carried out.
struct SeekPoint {
    int serial = 0;
    double target = 0;
    bool fromStart = true; // the reading began at the very start (where any first frame will do)
};

struct MovieInfo {
    double duration = 0;  // seconds, to the end of the last picture
    double frameRate = 0; // 0 when unknown; the mean rate when a variable one was counted
    // The number of pictures when the container states it or a count could be made;
    // otherwise the length times the rate. Equal to duration when the rate is unknown.
    double frameCount = 0;
    double startSeconds = 0; // media time of position 0 for the sound
    double videoStart = 0;   // the decoder's time of the first picture: position 0 for the video
    bool variableRate = false;
    int width = 0;
    int height = 0;
    bool hasVideo = false;
    bool hasAudio = false;
};

class Session {
public:
    Session(std::string fileName, SessionHost& host, FrameHook& hook, bool useAudioDevice,
            bool decodeOn);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    void Start();
    // Any thread. The presented frame becomes the one whose span holds the target.
    void RequestSeek(double target);
    void SetPaused(bool paused);
    void SetRate(double rate);
    void SetGains(float left, float right);

    // The position the movie is at: the pending seek's target until its frame is shown.
    double Position();
    double MasterClock(double now);
    bool Paused() const { return paused_.load(); }
    bool Aborted() const { return abort_.load(); }

    // Stage helpers.
    int RequestSerial() const { return requestSerial_.load(); }
    // Every seek that moves the reading starts a new epoch; one that decodes on keeps it.
    int Epoch() const { return epoch_.load(); }
    // The target of the seek that produced this serial.
    double TargetFor(int serial);
    // The decoder found the first key frame after the seek point beyond the target: seek
    // again from further back, under a new serial, to the same target.
    void RequestSeekBack(int serial);
    // A decoder cannot go on to the target of a seek that was to decode on: read anew, under
    // a new serial, to the same target.
    void RequestReseek(int serial);
    // `moveReading`: the seek must read anew (not decode on from where the reading is).
    bool TakeSeekRequest(double& target, int& serial, double& back, bool& moveReading);
    // The demuxer has moved the reading for this seek: a new epoch begins.
    void MarkSeekExecuted(int serial, double target, bool fromStart);
    // The demuxer goes on reading for this seek: the decoders decode on to its target.
    void MarkSeekContinued(int serial, double target);
    SeekPoint Executed();
    // Waits for the demuxer's choice on the newest seek: true with its point when the
    // decoders of this epoch are to decode on to its target; false when the reading moved
    // (what they hold is of no use; `seen` becomes the newest serial) or on abort.
    bool AwaitDecodingOn(int epoch, int& seen, SeekPoint& point);
    void PublishVideoWindow(const VideoWindow& window);
    VideoWindow GetVideoWindow();
    // Whether the sound can go on to the target: it has not been played or dropped past it.
    bool AudioCanFollow(double target);
    void WaitForChange(std::chrono::milliseconds timeout);
    void NotifyChange();
    void SetShownSerial(int serial, double pts, bool resetClock);
    int ShownSerial() const { return shownSerial_.load(); }
    // The audio of this serial has begun at its target, or has nothing to play there: it
    // ended, or the file was read a second past the target (or as far as the video queue
    // holds) without any.
    bool AudioReady(int serial);
    // Demuxer: a packet of this serial was read, at this position in seconds.
    void NoteRead(int serial, double position);
    // True from a seek until its frame is shown and its audio is ready.
    bool Settling();
    // Nothing has moved between the stages (no packet read or decoded, no frame decoded or
    // shown) for kStallSeconds since the last seek: what the seek still waits for will not
    // come, so it settles with what there is (the picture shown, the sound not begun).
    bool Stalled();
    static constexpr double kStallSeconds = 2.0;
    void StartWorkers();
    void CreateSink();

    const std::string fileName;
    SessionHost& host;
    FrameHook& hook;
    const bool useAudioDevice;
    const bool decodeOn; // seeks may decode on instead of moving the reading
    // Seeks that moved the reading.
    std::uint64_t ReadingMoves() const { return readingMoves_.load(); }
    MovieInfo info; // written by the demuxer before SessionOpened, read-only afterwards
    ff::FormatContextPtr format;
    StreamState video;
    StreamState audio;
    std::unique_ptr<FrameQueue> frames;
    std::unique_ptr<AudioSink> sink;
    FrameStore store;

private:
    void WakeAll();
    // The same target again under a new serial, read anew (from further back).
    void RequestMove(int serial, bool furtherBack);
    enum class Following { Pending, Continued, Moved };
    Following Follow(int epoch, SeekPoint& point);

    std::atomic<bool> abort_{false};
    std::atomic<int> requestSerial_{0};
    std::atomic<int> epoch_{0};
    std::atomic<std::uint64_t> readingMoves_{0};
    std::atomic<int> shownSerial_{-1};
    std::atomic<bool> paused_{true};
    std::atomic<int> readSerial_{-1};
    std::atomic<double> readPosition_{0}; // the furthest packet read under readSerial_

    std::mutex seekMutex_;
    double requestedTarget_ = 0;
    bool seekPending_ = false;
    double seekBack_ = 0;
    bool moveReading_ = false;
    int executedSerial_ = 0;
    double executedTarget_ = 0;
    bool executedFromStart_ = true;

    // The pipeline's moves when Stalled last saw them change, and since when (on the kernel's
    // clock and in real time: a fake clock's leap must not cut short a seek still working).
    std::mutex stallMutex_;
    int stallSerial_ = -1;
    std::uint64_t lastMoves_ = 0;
    double idleSince_ = 0;
    std::chrono::steady_clock::time_point idleSinceReal_;

    std::mutex windowMutex_;
    VideoWindow window_;

    std::mutex clockMutex_;
    Clock external_;
    double rate_ = 1;

    std::mutex changeMutex_;
    std::condition_variable changed_;

    std::mutex threadsMutex_;
    std::thread demuxer_;
    std::thread videoDecoder_;
    std::thread audioDecoder_;
    std::thread presenter_;
};

// The stages, one per file, each run on its own thread.
void RunDemuxer(Session& session);
void RunVideoDecoder(Session& session);
void RunAudioDecoder(Session& session);
void RunPresenter(Session& session);

} // namespace media::detail
