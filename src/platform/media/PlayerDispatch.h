#pragma once
// The dispatch ids of the player control: the properties read and written by number, and the
// events it raises, with the arguments each event carries.
#include "platform/media/Variant.h"

namespace media {

namespace dispid {
// Properties with a meaning of their own.
constexpr DISPID Volume = 19;       // I4, hundredths of a decibel, -10000..0
constexpr DISPID Balance = 20;      // I4, -10000 (left) .. 10000 (right)
constexpr DISPID ShowDisplay = 22;  // BOOL
constexpr DISPID ShowControls = 23; // BOOL, the control bar
constexpr DISPID ShowPositionControls = 24;
constexpr DISPID ShowTracker = 26;
constexpr DISPID EnablePositionControls = 27;
constexpr DISPID EnableTracker = 29;
constexpr DISPID DisplayMode = 32; // I4, 0 time, 1 frames
constexpr DISPID ImageSourceWidth = 1001;
constexpr DISPID ImageSourceHeight = 1002;
constexpr DISPID Duration = 1003; // R8, seconds or frames by the display mode
constexpr DISPID SendKeyboardEvents = 1013;
constexpr DISPID SendMouseClickEvents = 1014;
constexpr DISPID SendMouseMoveEvents = 1015;
constexpr DISPID AutoRewind = 1018;
constexpr DISPID InvokeURLs = 1020;
constexpr DISPID EnableContextMenu = 1021;
constexpr DISPID ClickToPlay = 1025;
constexpr DISPID FileName = 1026;        // BSTR, writing opens, empty closes
constexpr DISPID CurrentPosition = 1027; // R8, seconds or frames by the display mode
constexpr DISPID Rate = 1028;            // R8
constexpr DISPID PlayCount = 1030;
constexpr DISPID DisplaySize = 1032; // I4, 0 default, 1 half, 2 double, 3 full screen, 4 fit
constexpr DISPID AllowScan = 1035;
constexpr DISPID CursorType = 1044;
constexpr DISPID AnimationAtStart = 1045;
constexpr DISPID OpenState = 1061;
constexpr DISPID SendOpenStateChangeEvents = 1062;
constexpr DISPID SendWarningEvents = 1063;
constexpr DISPID SendErrorEvents = 1064;
constexpr DISPID PlayState = 1068;
constexpr DISPID SendPlayStateChangeEvents = 1069;
constexpr DISPID BaseURL = 1082;
constexpr DISPID DefaultFrame = 1083;
constexpr DISPID ShowCaptioning = 1084;
constexpr DISPID CaptioningID = 1085;
constexpr DISPID ShowStatusBar = 1086;
constexpr DISPID ShowGotoBar = 1088;
constexpr DISPID Mute = 1089;
constexpr DISPID Language = 1095;
constexpr DISPID AudioStream = 1096;
constexpr DISPID SAMIStyle = 1097;
constexpr DISPID SAMILang = 1098;
constexpr DISPID SAMIFileName = 1099;
constexpr DISPID VideoBorderWidth = 1101;
constexpr DISPID VideoBorderColor = 1102;
constexpr DISPID VideoBorder3D = 1103;
constexpr DISPID ShowAudioControls = 1107;
constexpr DISPID EnableFullScreenControls = 1108;
constexpr DISPID VideoInFrame = 1112; // kept only
constexpr DISPID AutoSize = -500;
constexpr DISPID Enabled = -514;
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
