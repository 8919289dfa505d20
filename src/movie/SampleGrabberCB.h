#pragma once
// TSampleGrabberCB: receives frames from the player's frame hook on its streaming thread.
// Once armed it copies one frame (or, in burst mode, every n-th frame of a run) into a DIB
// section and posts WM_FRAMEGRABBED to the component's window, which delivers it on the
// user-interface thread. One frame is in flight at a time: the busy mark and the pending
// frame are set by the streaming thread when it posts and cleared only by the delivery.
#include "platform/media/FrameAccess.h"

#include <atomic>
#include <mutex>

class TSampleGrabberCB final : public media::ISampleGrabberCB {
public:
    TSampleGrabberCB() = default;
    ~TSampleGrabberCB() override;
    TSampleGrabberCB(const TSampleGrabberCB&) = delete;
    TSampleGrabberCB& operator=(const TSampleGrabberCB&) = delete;

    // Streaming thread; always S_OK.
    HRESULT BufferCB(double SampleTime, BYTE* Buffer, LONG BufferLength) override;

    // In burst mode a run of BurstCount frames starts with the next sample; in either mode the
    // count of an earlier run is dropped.
    void Arm();
    void Disarm();
    bool Armed() const { return armed_; }
    // The hook whose arming follows this object's, so a disarmed hook converts nothing.
    void SetGrabber(media::ISampleGrabber* grabber) { grabber_ = grabber; }
    void SetWindow(HWND window) { window_ = window; }
    void SetBurstMode(bool v) { burstMode_ = v; }
    // Values >= 0 are taken; 0 means a run without end.
    void SetBurstCount(int v);
    // Values > 0 are taken: every v-th sample of a run.
    void SetBurstInterval(int v);
    bool BurstMode() const { return burstMode_; }
    int BurstCount() const { return burstCount_; }
    int BurstInterval() const { return burstInterval_; }
    // The movie was paused and started for this grab: it is paused again at delivery.
    void SetResume(bool v) { resume_ = v; }
    bool Resume() const { return resume_; }

    // The frames' format: none, or one of the two video header kinds (both carry the
    // BITMAPINFOHEADER given here).
    static constexpr int kFormatNone = 0;
    static constexpr int kFormatVideoInfo = 1;
    void SetMediaType(const BITMAPINFOHEADER& header, int kind);
    void ClearMediaType() { SetMediaType(BITMAPINFOHEADER{}, 0); }
    int FormatKind() const { return formatKind_; }

    // User-interface thread: the posted frame, handed over to the caller; and the end of a
    // delivery, which frees a frame nobody took and lets the next one in.
    // The frame waiting for delivery, made for the current arming; a frame still on its way from
    // an earlier arming (a burst's, when a single grab was armed after it) is freed, not given.
    HBITMAP TakePendingFrame();
    HBITMAP PendingFrame() const { return pending_; }
    void EndDelivery();
    bool Busy() const { return busy_; }

private:
    void MirrorArming(bool armed);

    std::atomic<HBITMAP> pending_{0};
    // Counts the armings; the pending frame carries the one it was made for.
    std::atomic<unsigned> arming_{0};
    std::atomic<unsigned> pendingArming_{0};
    std::atomic<HWND> window_{0};
    std::atomic<bool> busy_{false};
    std::atomic<bool> burstMode_{false};
    std::atomic<int> countdown_{0};
    std::atomic<int> remaining_{0};
    std::atomic<int> burstCount_{1};
    std::atomic<int> burstInterval_{1};
    std::atomic<int> formatKind_{0};
    std::mutex headerMutex_;
    BITMAPINFOHEADER header_{};
    std::atomic<bool> resume_{false};
    std::atomic<bool> armed_{false};
    std::atomic<media::ISampleGrabber*> grabber_{nullptr};
};
