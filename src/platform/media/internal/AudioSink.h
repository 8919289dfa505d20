#pragma once
// Where decoded audio goes: 16-bit stereo samples at a fixed rate into a short ring, played
// by the sound device when one can be opened, and otherwise drained silently at the pace of
// the kernel's clock, so a machine without sound still plays at the right speed. The sink's
// position is the audio clock.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

namespace media::detail {

class AudioSink {
public:
    static constexpr int kSampleRate = 48000;
    static constexpr int kChannels = 2;

    AudioSink(const std::atomic<int>& requestSerial, bool useDevice);
    ~AudioSink();
    AudioSink(const AudioSink&) = delete;
    AudioSink& operator=(const AudioSink&) = delete;

    bool HasDevice() const { return device_ != 0; }
    // Starts the samples of a seek serial: what is buffered is dropped and the clock
    // restarts at pts.
    void Begin(int serial, double pts);
    // Blocks while the ring is full; returns the frames written, fewer when the serial went
    // stale or on abort.
    int Write(const std::int16_t* samples, int frames, int serial);
    // A seek that decodes on, from the samples of serial `from` to `to` at `target`: Kept
    // when the ring holds the target (what lies before it is dropped and the clock restarts
    // there), Ahead when the target lies after what it holds, Behind when before.
    enum class Following { Kept, Ahead, Behind };
    Following Follow(int from, int to, double target);
    void SetPaused(bool paused);
    void SetSpeed(double speed);
    void SetGains(float left, float right);
    // The media time being heard, once samples of this serial have begun.
    std::optional<double> Clock(int serial);
    // Samples of this serial have begun (its clock runs from the seek's target).
    bool Begun(int serial);
    // Nothing of this serial is left to play.
    bool Drained(int serial);
    void Abort();
    void Wake();

private:
    static void DeviceCallback(void* self, std::uint8_t* stream, int length);
    void Fill(std::int16_t* out, int frames);
    void AdvanceSilently(double now);
    std::size_t Buffered() const { return count_; }

    const std::atomic<int>& requestSerial_;
    std::uint32_t device_ = 0;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::int16_t> ring_; // interleaved frames
    std::size_t capacity_ = 0;       // in frames
    std::size_t read_ = 0;
    std::size_t count_ = 0;
    int serial_ = -1;
    double basePts_ = 0;
    std::uint64_t consumed_ = 0; // frames taken from the ring since Begin
    std::uint64_t owed_ = 0;     // silent only: frames of time that passed with the ring empty
    double stepCarry_ = 0;
    double lastAdvance_ = 0;
    double speed_ = 1;
    float gainLeft_ = 1;
    float gainRight_ = 1;
    bool paused_ = true;
    bool aborted_ = false;
};

} // namespace media::detail
