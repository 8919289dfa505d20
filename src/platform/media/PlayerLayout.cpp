#include "platform/media/PlayerLayout.h"

#include "platform/gdi/Dc.h"
#include "platform/gdi/Draw.h"
#include "platform/gdi/Font.h"
#include "platform/gdi/Object.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace media {

namespace {

constexpr int kButton = 22;
constexpr int kGap = 2;
constexpr int kTextWidth = 96;
constexpr int kThumbWidth = 8;

RECT Rect(int l, int t, int r, int b) {
    return RECT{l, t, r, b};
}
bool Empty(const RECT& r) {
    return r.right <= r.left || r.bottom <= r.top;
}
bool Inside(const RECT& r, POINT p) {
    return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}

RECT Centred(int width, int height, int w, int h) {
    const int x = static_cast<int>(std::nearbyint((width - w) / 2.0));
    const int y = static_cast<int>(std::nearbyint((height - h) / 2.0));
    return Rect(x, y, x + w, y + h);
}

RECT Fit(int width, int height, int vw, int vh) {
    int w = width;
    int h = static_cast<int>(std::nearbyint(static_cast<double>(width) * vh / vw));
    if (h > height) {
        h = height;
        w = static_cast<int>(std::nearbyint(static_cast<double>(height) * vw / vh));
    }
    return Centred(width, height, std::max(1, w), std::max(1, h));
}

void Fill(HDC dc, const RECT& r, COLORREF colour) {
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &r, brush);
    DeleteObject(brush);
}

} // namespace

RECT VideoRect(int width, int height, int videoWidth, int videoHeight, LONG displaySize) {
    if (width <= 0 || height <= 0 || videoWidth <= 0 || videoHeight <= 0) return {};
    int w = videoWidth;
    int h = videoHeight;
    switch (displaySize) {
    case 1:
        w = std::max(1, videoWidth / 2);
        h = std::max(1, videoHeight / 2);
        break;
    case 2:
        w = videoWidth * 2;
        h = videoHeight * 2;
        break;
    case 3:
    case 4:
        return Fit(width, height, videoWidth, videoHeight);
    default:
        break;
    }
    if (w > width || h > height) return Fit(width, height, videoWidth, videoHeight);
    return Centred(width, height, w, h);
}

ControlBarLayout LayoutControlBar(int width, int height, const ControlBarOptions& options) {
    ControlBarLayout l;
    const int top = std::max(0, height - kControlBarHeight);
    l.bar = Rect(0, top, std::max(0, width), std::max(0, height));
    const int y0 = top + (kControlBarHeight - kButton) / 2;
    int x = kGap;
    if (options.showPositionControls) {
        l.playPause = Rect(x, y0, x + kButton, y0 + kButton);
        x += kButton + kGap;
        l.stop = Rect(x, y0, x + kButton, y0 + kButton);
        x += kButton + kGap * 3;
    }
    int right = width - kGap;
    if (options.showDisplay && right - kTextWidth > x) {
        l.text = Rect(right - kTextWidth, top, right, height);
        right -= kTextWidth + kGap;
    }
    if (options.showTracker && right - x > kThumbWidth * 2)
        l.track = Rect(x, top + kControlBarHeight / 2 - 3, right, top + kControlBarHeight / 2 + 3);
    return l;
}

BarPart HitControlBar(const ControlBarLayout& l, POINT pt) {
    if (!Inside(l.bar, pt)) return BarPart::None;
    if (!Empty(l.playPause) && Inside(l.playPause, pt)) return BarPart::PlayPause;
    if (!Empty(l.stop) && Inside(l.stop, pt)) return BarPart::Stop;
    // The tracker takes the bar's whole height over its width, so it is easy to hit.
    if (!Empty(l.track) && pt.x >= l.track.left && pt.x < l.track.right) return BarPart::Track;
    return BarPart::None;
}

double TrackerTime(const ControlBarLayout& l, int x, double length) {
    const int span = l.track.right - l.track.left - kThumbWidth;
    if (span <= 0 || !(length > 0)) return 0;
    const double f = static_cast<double>(x - l.track.left - kThumbWidth / 2) / span;
    return std::clamp(f, 0.0, 1.0) * length;
}

RECT TrackerThumb(const ControlBarLayout& l, double position, double length) {
    const int span = l.track.right - l.track.left - kThumbWidth;
    if (span <= 0) return {};
    const double f = length > 0 ? std::clamp(position / length, 0.0, 1.0) : 0.0;
    const int x = l.track.left + static_cast<int>(std::nearbyint(f * span));
    return Rect(x, l.bar.top + 4, x + kThumbWidth, l.bar.bottom - 4);
}

std::string PositionText(double position, double length) {
    auto format = [&](double seconds) {
        const long total = std::isfinite(seconds) && seconds > 0 ? static_cast<long>(seconds) : 0;
        char buf[32];
        if (length >= 3600)
            std::snprintf(buf, sizeof buf, "%ld:%02ld:%02ld", total / 3600, total / 60 % 60,
                          total % 60);
        else
            std::snprintf(buf, sizeof buf, "%ld:%02ld", total / 60, total % 60);
        return std::string(buf);
    };
    return format(position) + " / " + format(length);
}

void PaintControlBar(HDC dc, const ControlBarLayout& l, const ControlBarState& s) {
    const COLORREF face = RGB(48, 48, 48);
    const COLORREF ink = s.enabled ? RGB(230, 230, 230) : RGB(120, 120, 120);
    Fill(dc, l.bar, face);
    if (!Empty(l.playPause)) {
        Fill(dc, l.playPause, RGB(70, 70, 70));
        const RECT& b = l.playPause;
        if (s.playing) { // two bars: pause
            Fill(dc, Rect(b.left + 7, b.top + 6, b.left + 10, b.bottom - 6), ink);
            Fill(dc, Rect(b.right - 10, b.top + 6, b.right - 7, b.bottom - 6), ink);
        } else { // a triangle: play
            for (int i = 0; i < 10; ++i) {
                const int half = (10 - i) / 2;
                const int cy = (b.top + b.bottom) / 2;
                Fill(dc, Rect(b.left + 7 + i, cy - half, b.left + 8 + i, cy + half + 1), ink);
            }
        }
    }
    if (!Empty(l.stop)) {
        Fill(dc, l.stop, RGB(70, 70, 70));
        Fill(dc, Rect(l.stop.left + 6, l.stop.top + 6, l.stop.right - 6, l.stop.bottom - 6), ink);
    }
    if (!Empty(l.track)) {
        Fill(dc, l.track, RGB(20, 20, 20));
        Fill(dc, TrackerThumb(l, s.position, s.length), ink);
    }
    if (!Empty(l.text)) {
        const std::string text = PositionText(s.position, s.length);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, ink);
        RECT r = l.text;
        DrawText(dc, text.c_str(), static_cast<int>(text.size()), &r,
                 DT_RIGHT | DT_VCENTER | DT_SINGLELINE);
    }
}

} // namespace media
