#pragma once
// Where the player control shows its video and its control bar: pure geometry, so the
// window code only asks and paints.
#include "platform/WinTypes.h"

#include <string>

namespace media {

// Height of the control bar along the bottom of the control's window.
constexpr int kControlBarHeight = 26;

// The video's rectangle inside an area of width x height for a display size (0 default,
// 1 half, 2 double, 3 full screen, 4 fit). Default, half and double are centred at their
// size and fall back to fit when they do not fit; fit and full screen keep the aspect and
// fill one side. Empty when there is no video or no room.
RECT VideoRect(int width, int height, int videoWidth, int videoHeight, LONG displaySize);

struct ControlBarOptions {
    bool showPositionControls = true; // play/pause and stop
    bool showTracker = true;
    bool showDisplay = true; // position and length as text
};

struct ControlBarLayout {
    RECT bar{};
    RECT playPause{}; // empty when hidden
    RECT stop{};
    RECT track{}; // the groove the thumb runs in
    RECT text{};
};

ControlBarLayout LayoutControlBar(int width, int height, const ControlBarOptions& options);

enum class BarPart { None, PlayPause, Stop, Track };
BarPart HitControlBar(const ControlBarLayout& layout, POINT pt);

// The time a point on the tracker stands for, clamped to 0..length.
double TrackerTime(const ControlBarLayout& layout, int x, double length);
// The thumb's rectangle for a position.
RECT TrackerThumb(const ControlBarLayout& layout, double position, double length);

// "m:ss / m:ss" (hours as "h:mm:ss" once the length reaches an hour).
std::string PositionText(double position, double length);

struct ControlBarState {
    bool playing = false;
    bool enabled = true; // greyed out when the control or its position controls are off
    double position = 0;
    double length = 0;
};

// Paints the bar into a device context in the window's client coordinates.
void PaintControlBar(HDC dc, const ControlBarLayout& layout, const ControlBarState& state);

} // namespace media
