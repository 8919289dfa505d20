// The presenter stage: shows each frame when the master clock reaches it, drops frames it
// is too late for, shows the first frame of every seek at once (also while paused), feeds
// the frame hook, and notices the end of the stream.
#include "platform/media/internal/Session.h"

#include <algorithm>

namespace media::detail {

namespace {

using std::chrono::milliseconds;

class PresenterStage {
public:
    explicit PresenterStage(Session& s) : s_(s) {}

    void Run() {
        while (!s_.Aborted()) {
            const int serial = s_.RequestSerial();
            if (!s_.info.hasVideo) SettleAudioOnly(serial);
            // The movie is ready once its first picture is shown and its sound is there too,
            // so the clock starts with both.
            if (!firstReported_ && firstShown_ && s_.ShownSerial() == serial &&
                s_.AudioReady(serial)) {
                firstReported_ = true;
                s_.host.SessionFirstFrame(s_);
            }
            if (s_.info.hasVideo && Step(serial)) continue;
            CheckEnd(serial);
        }
    }

private:
    // Handles the front frame; true when something was done.
    bool Step(int serial) {
        std::optional<FrameTiming> front = s_.frames->Peek(0, milliseconds(10));
        if (!front || front->serial != serial) {
            if (s_.ShownSerial() != serial &&
                ((s_.video.finishedSerial.load() == serial && s_.frames->Empty()) ||
                 s_.Stalled())) {
                // Nothing decodable at the target (or nothing more coming): the old frame
                // stays, the seek is done.
                s_.SetShownSerial(serial, s_.TargetFor(serial), true);
                if (!firstShown_) {
                    firstShown_ = true;
                    firstReported_ = true;
                    s_.host.SessionFailed(s_, kErrorNoFrames,
                                          "The file \"" + s_.fileName +
                                              "\" is damaged: no picture in it can be decoded.");
                }
            }
            return false;
        }
        if (s_.ShownSerial() != serial) {
            const double target = serial == 0 ? front->pts : s_.TargetFor(serial);
            Present(serial);
            s_.SetShownSerial(serial, std::max(0.0, target), true);
            firstShown_ = true;
            return true;
        }
        if (s_.Paused()) {
            s_.WaitForChange(milliseconds(20));
            return true;
        }
        const double now = NowSeconds();
        const double master = s_.MasterClock(now);
        const double wait = front->pts - master;
        if (wait > 0.002) {
            s_.WaitForChange(milliseconds(std::clamp(static_cast<int>(wait * 1000), 1, 10)));
            return true;
        }
        std::optional<FrameTiming> next = s_.frames->Peek(1, milliseconds(0));
        if (next && next->serial == serial && next->pts <= master) {
            // Too late to show; the hook sits before the display and still sees it.
            DecodedFrame late = s_.frames->Pop();
            if (late.frame) s_.hook.Deliver(*late.frame, late.pts);
            return true;
        }
        Present(serial);
        return true;
    }

    void Present(int serial) {
        DecodedFrame f = s_.frames->Pop();
        if (f.serial != serial || !f.frame) return;
        s_.hook.Deliver(*f.frame, f.pts);
        s_.store.Present(std::move(f.frame), s_.Paused());
        s_.host.SessionPresented(s_);
    }

    // Without pictures a seek is carried out once its sound has begun at the target (or
    // there is none left there); the clock then runs from the target.
    void SettleAudioOnly(int serial) {
        if (s_.ShownSerial() == serial || !s_.AudioReady(serial)) return;
        s_.SetShownSerial(serial, serial == 0 ? 0 : s_.TargetFor(serial), true);
        firstShown_ = true;
    }

    void CheckEnd(int serial) {
        if (s_.Paused() || endedSerial_ == serial || s_.ShownSerial() != serial) {
            if (!s_.info.hasVideo) s_.WaitForChange(milliseconds(10));
            return;
        }
        const bool videoDone =
            !s_.info.hasVideo || (s_.video.finishedSerial.load() == serial && s_.frames->Empty());
        const bool audioDone = !s_.info.hasAudio || (s_.audio.finishedSerial.load() == serial &&
                                                     (!s_.sink || s_.sink->Drained(serial)));
        if (videoDone && audioDone) {
            endedSerial_ = serial;
            s_.host.SessionEnded(s_);
        } else if (!s_.info.hasVideo) {
            s_.WaitForChange(milliseconds(10));
        }
    }

    Session& s_;
    bool firstShown_ = false;
    bool firstReported_ = false;
    int endedSerial_ = -1;
};

} // namespace

void RunPresenter(Session& session) {
    PresenterStage(session).Run();
}

} // namespace media::detail
