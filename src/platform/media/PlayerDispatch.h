#pragma once
// The dispatch ids of the player control: the properties read and written by number, and the
// events it raises, with the arguments each event carries.
#include "platform/media/Variant.h"

namespace media {

// The properties a host passes straight through, as X(Name, Kind, id); Kind is WordBool,
// Integer, Color or WideString. One whose name a host control already has (Enabled) comes as
// Shared(Name, Kind, id), so the host can make its setter an override.
#define KORVID_PLAYER_PASSED_PROPERTIES(X, Shared)                                                 \
    X(AllowScan, WordBool, 1035)                                                                   \
    X(AnimationAtStart, WordBool, 1045)                                                            \
    X(AudioStream, Integer, 1096)                                                                  \
    X(AutoRewind, WordBool, 1018)                                                                  \
    X(Balance, Integer, 20) /* -10000 (left) .. 10000 (right) */                                   \
    X(BaseURL, WideString, 1082)                                                                   \
    X(CaptioningID, WideString, 1085)                                                              \
    X(ClickToPlay, WordBool, 1025)                                                                 \
    X(CursorType, Integer, 1044)                                                                   \
    X(DefaultFrame, WideString, 1083)                                                              \
    X(EnableContextMenu, WordBool, 1021)                                                           \
    Shared(Enabled, WordBool, -514) X(EnableFullScreenControls, WordBool,                          \
                                      1108) X(EnablePositionControls, WordBool, 27)                \
        X(EnableTracker, WordBool, 29) X(InvokeURLs, WordBool, 1020) X(Language, Integer, 1095) X( \
            Mute, WordBool, 1089) X(PlayCount, Integer, 1030) X(SAMIFileName, WideString, 1099)    \
            X(SAMILang, WideString, 1098) X(SAMIStyle, WideString, 1097)                           \
                X(SendErrorEvents, WordBool, 1064) X(SendKeyboardEvents, WordBool, 1013) X(        \
                    SendMouseClickEvents, WordBool, 1014) X(SendMouseMoveEvents, WordBool, 1015)   \
                    X(SendOpenStateChangeEvents, WordBool, 1062) X(SendPlayStateChangeEvents,      \
                                                                   WordBool, 1069)                 \
                        X(SendWarningEvents, WordBool, 1063) X(ShowAudioControls, WordBool, 1107)  \
                            X(ShowCaptioning, WordBool, 1084) X(ShowDisplay, WordBool, 22) X(      \
                                ShowGotoBar, WordBool, 1088) X(ShowPositionControls, WordBool, 24) \
                                X(ShowStatusBar, WordBool, 1086) X(ShowTracker, WordBool, 26)      \
                                    X(VideoBorder3D, WordBool, 1103)                               \
                                        X(VideoBorderColor, Color, 1102)                           \
                                            X(VideoBorderWidth, Integer, 1101)                     \
                                                X(Volume, Integer,                                 \
                                                  19) /* hundredths of a decibel, -10000..0 */

namespace dispid {
#define KORVID_PLAYER_DISPID(Name, Kind, Id) constexpr DISPID Name = Id;
KORVID_PLAYER_PASSED_PROPERTIES(KORVID_PLAYER_DISPID, KORVID_PLAYER_DISPID)
#undef KORVID_PLAYER_DISPID

// Properties with a meaning of their own.
constexpr DISPID ShowControls = 23; // BOOL, the control bar
constexpr DISPID DisplayMode = 32;  // I4, 0 time, 1 frames
constexpr DISPID ImageSourceWidth = 1001;
constexpr DISPID ImageSourceHeight = 1002;
constexpr DISPID Duration = 1003;        // R8, seconds or frames by the display mode
constexpr DISPID FileName = 1026;        // BSTR, writing opens, empty closes
constexpr DISPID CurrentPosition = 1027; // R8, seconds or frames by the display mode
constexpr DISPID Rate = 1028;            // R8
constexpr DISPID DisplaySize = 1032;     // I4, 0 default, 1 half, 2 double, 3 full screen, 4 fit
constexpr DISPID OpenState = 1061;
constexpr DISPID PlayState = 1068;
constexpr DISPID VideoInFrame = 1112; // kept only
constexpr DISPID AutoSize = -500;
constexpr DISPID ReadyState = -525;
} // namespace dispid

namespace eventid {
// Arguments in order: PositionChange (old R8, new R8, in the display mode's unit),
// OpenStateChange and PlayStateChange (old I4, new I4), ReadyStateChange (new I4),
// EndOfStream (result I4), Error (none: ask ErrorCode and ErrorDescription),
// DisplayModeChange (none).
constexpr DISPID PositionChange = 2;
constexpr DISPID DisplayModeChange = 51;
constexpr DISPID DVDNotify = 1505;
constexpr DISPID ScriptCommand = 3001;
constexpr DISPID EndOfStream = 3002;
constexpr DISPID Buffering = 3003;
constexpr DISPID Disconnect = 3004;
constexpr DISPID MarkerHit = 3006;
constexpr DISPID NewStream = 3008;
constexpr DISPID Warning = 3009;
constexpr DISPID Error = 3010;
constexpr DISPID OpenStateChange = 3011;
constexpr DISPID PlayStateChange = 3012;
constexpr DISPID ReadyStateChange = -609;
} // namespace eventid

enum DisplaySizeValue : LONG {
    mpDefaultSize = 0,
    mpHalfSize = 1,
    mpDoubleSize = 2,
    mpFullScreen = 3,
    mpFitToSize = 4,
};

enum DisplayModeValue : LONG {
    mpTime = 0,
    mpFrames = 1,
};

} // namespace media
