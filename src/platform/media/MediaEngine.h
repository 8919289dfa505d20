#pragma once
// The decoding engine behind the player control: opens any file FFmpeg reads on a worker
// thread, demuxes, decodes and presents on threads of its own, and reports what happens as
// events that the owner collects on its user-interface thread. All methods are for the
// owning thread unless they say otherwise.
#include "platform/media/FrameAccess.h"
#include "platform/media/MediaTypes.h"

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace media {

struct EngineEvent {
    enum Kind {
        OpenStateChange,  // oldValue -> newValue
        ReadyStateChange, // newValue
        PlayStateChange,  // oldValue -> newValue
        PositionChange,   // oldPosition -> newPosition, seconds
        EndOfStream,      // newValue is the result (0)
        Error,            // newValue is the error code, text the description
    };
    Kind kind = OpenStateChange;
    int oldValue = 0;
    int newValue = 0;
    double oldPosition = 0;
    double newPosition = 0;
    std::string text;
};

struct EngineOptions {
    // Start playing once the first frame is shown.
    bool autoStart = true;
    // Use a sound device when one can be opened; otherwise (or when false) audio is
    // decoded and paced silently.
    bool useAudioDevice = true;
    // A seek a little ahead of the frame shown (before the next key frame, or within a second
    // or so) decodes on from there instead of reading anew from a key frame. The frames are
    // the same either way; off, every seek reads anew (the yardstick of tests and benchmarks).
    bool decodeOn = true;
};

class MediaEngine {
public:
    explicit MediaEngine(EngineOptions options = {});
    ~MediaEngine();
    MediaEngine(const MediaEngine&) = delete;
    MediaEngine& operator=(const MediaEngine&) = delete;

    // Called from any thread whenever an event is queued or a new frame was presented;
    // the owner posts itself a message and calls NextEvent on its own thread.
    void SetNotify(std::function<void()> notify);
    // The oldest event not yet delivered. Deliver each before asking for the next: the
    // engine carries out some steps between two events (at the end of the stream, the
    // stop comes only after the end-of-stream event has been handled).
    std::optional<EngineEvent> NextEvent();
    // Waits until an event is queued (or the time passes); for owners without a loop.
    bool WaitForEvents(std::chrono::milliseconds timeout);

    // Closes what is open and starts opening; returns at once. An empty name only closes.
    void Open(const std::string& fileName);
    void Close();
    void Play();
    void Pause();
    void Stop();

    const std::string& FileName() const;
    OpenState GetOpenState() const;
    PlayState GetPlayState() const;
    ReadyState GetReadyState() const;

    // Seconds from the first frame. While a seek is on its way the target is reported.
    double Position() const;
    void SetPosition(double seconds);
    // True from a seek until the frame at its target has been presented and the sound (if
    // any) has begun there.
    bool Seeking() const;
    double Duration() const;
    // Frames per second of the video; 0 when unknown or there is no video. At a variable
    // rate whose frames were counted, the mean rate (frames over length).
    double FrameRate() const;
    // Length in frames: the number of pictures where the container states it or the opening
    // could count them (a variable rate in a file of up to 512 MB); otherwise the length
    // times the frame rate, the frames the file would hold at its stated rate. Equal to
    // Duration() when the frame rate is unknown.
    double DurationInFrames() const;
    bool HasVideo() const;
    bool HasAudio() const;
    int VideoWidth() const;
    int VideoHeight() const;

    double Rate() const;
    void SetRate(double rate);
    // Hundredths of a decibel, 0 loudest, -10000 silent.
    void SetVolume(int volume);
    // -10000 full left .. 10000 full right.
    void SetBalance(int balance);
    void SetMute(bool mute);
    void SetAutoStart(bool autoStart);
    void SetAutoRewind(bool autoRewind);
    // How many times a movie plays through before it stops (0 or 1: once).
    void SetPlayCount(int playCount);

    int ErrorCode() const;
    std::string ErrorDescription() const;

    IBasicVideo& BasicVideo();
    // Splices the frame hook in; fails when no movie with video is open. Removing it is
    // always allowed. Both are open-time operations of the owning thread.
    ISampleGrabber* InsertSampleGrabber();
    void RemoveSampleGrabber();

    // Copies the presented frame scaled into a 32-bit top-down buffer of the given size
    // (for the display); false when no frame has been presented yet.
    bool DrawPresentedFrame(int width, int height, std::uint32_t* pixels, int stride);
    // Counts frames presented since the open (display refresh, tests).
    std::uint64_t PresentedFrameCount() const;
    // Counts the seeks since the open that read anew from a key frame; the others decoded on
    // (tests, benchmarks).
    std::uint64_t ReadingMoveCount() const;

    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
};

// Whether the media backend can run here (its decoders are present).
bool MediaBackendAvailable();

} // namespace media
