#pragma once
// What the audio and the video decoder stage share: the loop that takes a stream's packets
// from its queue and feeds them to the decoder, and where in the reading the stage stands.
// Each stage says what a new reading, a newer seek, a decoded frame and the stream's end
// mean to it.
#include "platform/media/internal/Session.h"

namespace media::detail {

class DecoderStage {
public:
    DecoderStage(Session& s, StreamState& stream);
    virtual ~DecoderStage() = default;
    DecoderStage(const DecoderStage&) = delete;
    DecoderStage& operator=(const DecoderStage&) = delete;

    // Until the queue is aborted: a packet of a new epoch (a new reading) restarts the stage,
    // packets of an older epoch or of a seek the stage does not follow are passed by, the
    // empty packet at the stream's end drains the decoder, every other packet is decoded.
    void Run();

protected:
    // A packet of a new epoch came: the stage starts over (through StartEpoch).
    virtual void Restart(int epoch) = 0;
    // A newer seek was asked for: true when the stage goes on toward its target.
    virtual bool FollowSeek() = 0;
    // Every frame of the stream has been decoded in this epoch.
    virtual void Drained() = 0;
    virtual void Handle(ff::FramePtr frame) = 0;

    // Flushes the decoder and takes the seek point of the epoch's reading.
    SeekPoint StartEpoch(int epoch);
    // Hands on each frame the decoder has ready, while the epoch lasts.
    void ReceiveAll();

    Session& s_;
    AVCodecContext* codec_;
    int epoch_ = -1;
    int serial_ = -1;
    int seen_ = -1; // the newest seek this stage has followed
    double target_ = 0;
    bool drained_ = false; // the end of the stream was decoded in this epoch

private:
    PacketQueue& packets_;
};

} // namespace media::detail
