#pragma once
// The two ways the movie component reaches the frames of an open movie: the presented frame
// on request (a packed DIB), and a hook that sees every presented frame on the streaming
// thread as 24-bit RGB. Both belong to the engine and live as long as it does.
#include "platform/media/MediaTypes.h"

namespace media {

class IBasicVideo {
public:
    virtual ~IBasicVideo() = default;
    // The native size of the video; fails when nothing with video is open.
    virtual HRESULT GetVideoSize(LONG* width, LONG* height) = 0;
    // The presented frame as a packed DIB: BITMAPINFOHEADER, colour table (none for the
    // 24-bit frames given here), then the bottom-up rows. With no buffer, *bufferSize
    // receives the size needed; with a buffer, *bufferSize must hold at least that much.
    virtual HRESULT GetCurrentImage(LONG* bufferSize, BYTE* buffer) = 0;
};

// Receives presented frames on the streaming thread. The buffer is only valid during the
// call: bottom-up BGR rows with the stride rounded up to four bytes.
class ISampleGrabberCB {
public:
    virtual ~ISampleGrabberCB() = default;
    virtual HRESULT BufferCB(double sampleTime, BYTE* buffer, LONG bufferLength) = 0;
};

// The frame hook once it is spliced into an open movie.
class ISampleGrabber {
public:
    virtual ~ISampleGrabber() = default;
    // None detaches. The call waits until a callback that is running has returned, so the
    // old callback object may be freed once this returns.
    virtual HRESULT SetCallback(ISampleGrabberCB* callback) = 0;
    // A disarmed hook makes no calls and converts nothing.
    virtual void SetArmed(bool armed) = 0;
    virtual bool Armed() const = 0;
    // The header of the frames the callback receives (24 bits, BI_RGB, bottom-up).
    virtual HRESULT GetConnectedMediaType(BITMAPINFOHEADER* header) = 0;
};

} // namespace media
