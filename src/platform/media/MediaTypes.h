#pragma once
// States and error codes of the media player control and its engine.
#include "platform/WinTypes.h"

namespace media {

// Open states: a local file goes 0 -> 3 -> 4 -> 5 -> 6; a failure goes back to 0.
enum OpenState : int {
    mpClosed = 0,
    mpLoadingASX = 1,
    mpLoadingNSC = 2,
    mpLocating = 3,
    mpConnecting = 4,
    mpOpening = 5,
    mpOpen = 6,
};

enum PlayState : int {
    mpStopped = 0,
    mpPaused = 1,
    mpPlaying = 2,
};

enum ReadyState : int {
    mpReadyStateUninitialized = 0,
    mpReadyStateLoading = 1,
    mpReadyStateInteractive = 3,
    mpReadyStateComplete = 4,
};

// What ErrorCode reports after a failed open; ErrorDescription gives the matching text.
enum MediaErrorCode : int {
    kErrorNone = 0,
    kErrorFileNotFound = static_cast<int>(0x80070002u),
    kErrorNotMedia = static_cast<int>(0x80040200u),
    kErrorNoPlayableStream = static_cast<int>(0x80040201u),
    kErrorCodecMissing = static_cast<int>(0x80040202u),
    kErrorNoFrames = static_cast<int>(0x80040203u),
    kErrorOpenFailed = static_cast<int>(0x80040204u),
};

} // namespace media
