#include "platform/media/internal/AudioSink.h"

#include "platform/media/internal/Clock.h"

#include <SDL2/SDL.h>
#include <dlfcn.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <mutex>

namespace media::detail {

namespace {

void IgnoreAlsaError(const char*, int, const char*, int, const char*, ...) {}

// ALSA writes its own lines to the standard error for every device it fails to open (several
// for one missing card). Its report handler is replaced before SDL loads the library; the
// library stays loaded for the process' life, so SDL gets this copy with the quiet handler.
void QuietAlsa() {
    void* alsa = dlopen("libasound.so.2", RTLD_NOW | RTLD_GLOBAL);
    if (!alsa) return;
    using Handler = void (*)(const char*, int, const char*, int, const char*, ...);
    using SetHandler = int (*)(Handler);
    if (auto set = reinterpret_cast<SetHandler>(dlsym(alsa, "snd_lib_error_set_handler")))
        set(&IgnoreAlsaError);
}

bool InitSoundOnce() {
    static const bool ok = [] {
        QuietAlsa();
        SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        return SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
    }();
    return ok;
}

constexpr double kRingSeconds = 0.5;

} // namespace

AudioSink::AudioSink(const std::atomic<int>& requestSerial, bool useDevice)
    : requestSerial_(requestSerial) {
    capacity_ = static_cast<std::size_t>(kSampleRate * kRingSeconds);
    ring_.assign(capacity_ * kChannels, 0);
    lastAdvance_ = NowSeconds();
    if (useDevice && InitSoundOnce()) {
        SDL_AudioSpec want{};
        want.freq = kSampleRate;
        want.format = AUDIO_S16SYS;
        want.channels = kChannels;
        want.samples = 1024;
        want.callback = &AudioSink::DeviceCallback;
        want.userdata = this;
        SDL_AudioSpec have{};
        device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    }
    if (useDevice && !device_) {
        // Said once: every movie opened after it plays silently for the same reason.
        static std::once_flag told;
        std::call_once(told,
                       [] { std::fputs("No sound device: playing without sound.\n", stderr); });
    }
}

AudioSink::~AudioSink() {
    if (device_) SDL_CloseAudioDevice(device_);
}

void AudioSink::DeviceCallback(void* self, std::uint8_t* stream, int length) {
    static_cast<AudioSink*>(self)->Fill(reinterpret_cast<std::int16_t*>(stream),
                                        length /
                                            static_cast<int>(sizeof(std::int16_t) * kChannels));
}

void AudioSink::Fill(std::int16_t* out, int frames) {
    std::lock_guard lock(mutex_);
    for (int i = 0; i < frames; ++i) {
        if (count_ == 0) {
            out[2 * i] = out[2 * i + 1] = 0;
            continue;
        }
        const std::int16_t* frame = &ring_[read_ * kChannels];
        out[2 * i] = static_cast<std::int16_t>(std::lround(frame[0] * gainLeft_));
        out[2 * i + 1] = static_cast<std::int16_t>(std::lround(frame[1] * gainRight_));
        // Other speeds step through the samples (the pitch follows).
        stepCarry_ += speed_;
        std::size_t step = static_cast<std::size_t>(stepCarry_);
        stepCarry_ -= static_cast<double>(step);
        step = std::min(step, count_);
        read_ = (read_ + step) % capacity_;
        count_ -= step;
        consumed_ += step;
    }
    changed_.notify_all();
}

void AudioSink::AdvanceSilently(double now) {
    if (device_ || paused_) {
        lastAdvance_ = now;
        return;
    }
    const double due = (now - lastAdvance_) * kSampleRate * speed_ + stepCarry_;
    lastAdvance_ = now;
    std::size_t step = static_cast<std::size_t>(due);
    stepCarry_ = due - static_cast<double>(step);
    if (step > count_) {
        // Nothing is heard, so nothing has to wait: the time that passed without samples is
        // owed, and the samples that come late count as played at once. The clock keeps the
        // system's pace however the decoder's writes fall between its reads.
        owed_ += step - count_;
        step = count_;
    }
    read_ = (read_ + step) % capacity_;
    count_ -= step;
    consumed_ += step;
}

void AudioSink::Begin(int serial, double pts) {
    std::lock_guard lock(mutex_);
    serial_ = serial;
    basePts_ = pts;
    consumed_ = 0;
    owed_ = 0;
    read_ = 0;
    count_ = 0;
    stepCarry_ = 0;
    lastAdvance_ = NowSeconds();
    changed_.notify_all();
}

int AudioSink::Write(const std::int16_t* samples, int frames, int serial) {
    std::unique_lock lock(mutex_);
    std::size_t done = 0;
    const std::size_t total = static_cast<std::size_t>(frames);
    while (done < total) {
        if (aborted_ || serial != requestSerial_.load() || serial != serial_)
            return static_cast<int>(done);
        AdvanceSilently(NowSeconds());
        if (owed_ > 0) {
            const std::size_t late =
                static_cast<std::size_t>(std::min<std::uint64_t>(owed_, total - done));
            owed_ -= late;
            consumed_ += late;
            done += late;
            continue;
        }
        if (count_ == capacity_) {
            changed_.wait_for(lock, std::chrono::milliseconds(5));
            continue;
        }
        const std::size_t write = (read_ + count_) % capacity_;
        const std::size_t n = std::min({total - done, capacity_ - count_, capacity_ - write});
        std::memcpy(&ring_[write * kChannels], samples + done * kChannels,
                    n * kChannels * sizeof(std::int16_t));
        count_ += n;
        done += n;
    }
    return static_cast<int>(done);
}

AudioSink::Following AudioSink::Follow(int from, int to, double target) {
    std::lock_guard lock(mutex_);
    if (serial_ != from) return Following::Ahead;
    AdvanceSilently(NowSeconds());
    constexpr double kTolerance = 1e-3;
    const double front = basePts_ + static_cast<double>(consumed_) / kSampleRate;
    const double end = front + static_cast<double>(count_) / kSampleRate;
    if (target < front - kTolerance) return Following::Behind;
    if (target > end + kTolerance) return Following::Ahead;
    const std::size_t drop = std::min<std::size_t>(
        count_,
        static_cast<std::size_t>(std::max(0L, std::lround((target - front) * kSampleRate))));
    read_ = (read_ + drop) % capacity_;
    count_ -= drop;
    serial_ = to;
    basePts_ = target;
    consumed_ = 0;
    owed_ = 0;
    stepCarry_ = 0;
    changed_.notify_all();
    return Following::Kept;
}

void AudioSink::SetPaused(bool paused) {
    {
        std::lock_guard lock(mutex_);
        AdvanceSilently(NowSeconds());
        paused_ = paused;
        changed_.notify_all();
    }
    if (device_) SDL_PauseAudioDevice(device_, paused ? 1 : 0);
}

void AudioSink::SetSpeed(double speed) {
    std::lock_guard lock(mutex_);
    AdvanceSilently(NowSeconds());
    speed_ = speed > 0 ? speed : 1;
}

void AudioSink::SetGains(float left, float right) {
    std::lock_guard lock(mutex_);
    gainLeft_ = left;
    gainRight_ = right;
}

std::optional<double> AudioSink::Clock(int serial) {
    std::lock_guard lock(mutex_);
    if (serial != serial_) return std::nullopt;
    const double now = NowSeconds();
    AdvanceSilently(now);
    double clock = basePts_ + static_cast<double>(consumed_) / kSampleRate;
    // Between two advances the silent sink moves on smoothly.
    if (!device_ && !paused_ && count_ > 0) clock += stepCarry_ / kSampleRate;
    return clock;
}

bool AudioSink::Begun(int serial) {
    std::lock_guard lock(mutex_);
    return serial == serial_;
}

bool AudioSink::Drained(int serial) {
    std::lock_guard lock(mutex_);
    AdvanceSilently(NowSeconds());
    return serial != serial_ || count_ == 0;
}

void AudioSink::Abort() {
    std::lock_guard lock(mutex_);
    aborted_ = true;
    changed_.notify_all();
}

void AudioSink::Wake() {
    std::lock_guard lock(mutex_);
    changed_.notify_all();
}

} // namespace media::detail
