#pragma once
// States, result codes and error codes of the media player control and its engine.
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

}  // namespace media

// Results of the frame-access calls, as the calls they stand in for report them. Guarded so
// that another family of calls may declare the same codes.
#ifndef KORVID_HRESULT_CODES_DEFINED
#define KORVID_HRESULT_CODES_DEFINED
constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003u);
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);
constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
constexpr HRESULT E_UNEXPECTED = static_cast<HRESULT>(0x8000FFFFu);
constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002u);

constexpr bool SUCCEEDED(HRESULT hr) { return hr >= 0; }
constexpr bool FAILED(HRESULT hr) { return hr < 0; }
#endif

namespace media {

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

}  // namespace media
