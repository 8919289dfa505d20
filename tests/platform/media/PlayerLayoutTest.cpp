#include "platform/media/PlayerLayout.h"

#include "platform/gdi/Gdi.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using namespace media;

TEST(PlayerVideoRect, PlacesTheVideoByDisplaySize) {
    struct Case {
        const char* name;
        int w, h, vw, vh;
        LONG size;
        RECT expected;
    };
    const Case cases[] = {
        {"default centred", 400, 300, 320, 240, 0, {40, 30, 360, 270}},
        {"default too big falls back to fit", 300, 300, 320, 240, 0, {0, 38, 300, 263}},
        {"half", 400, 300, 321, 241, 1, {120, 90, 280, 210}},
        {"double", 700, 500, 320, 240, 2, {30, 10, 670, 490}},
        {"double too big fits", 400, 300, 320, 240, 2, {0, 0, 400, 300}},
        {"fit keeps the aspect", 400, 400, 320, 240, 4, {0, 50, 400, 350}},
        {"full screen fits the screen", 1280, 1024, 160, 120, 3, {0, 32, 1280, 992}},
        {"no video", 400, 300, 0, 0, 4, {0, 0, 0, 0}},
        {"no room", 0, 300, 320, 240, 0, {0, 0, 0, 0}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(VideoRect(c.w, c.h, c.vw, c.vh, c.size), c.expected) << c.name;
}

TEST(PlayerControlBar, LaysOutAlongTheBottomAndHitsItsParts) {
    const ControlBarLayout l = LayoutControlBar(320, 240, {});
    EXPECT_EQ(l.bar, (RECT{0, 240 - kControlBarHeight, 320, 240}));
    const int y = 240 - kControlBarHeight / 2;
    EXPECT_EQ(HitControlBar(l, {l.playPause.left + 2, y}), BarPart::PlayPause);
    EXPECT_EQ(HitControlBar(l, {l.stop.left + 2, y}), BarPart::Stop);
    EXPECT_EQ(HitControlBar(l, {(l.track.left + l.track.right) / 2, l.bar.top + 1}),
              BarPart::Track);
    EXPECT_EQ(HitControlBar(l, {l.text.left + 5, y}), BarPart::None);
    EXPECT_EQ(HitControlBar(l, {100, 10}), BarPart::None) << "above the bar is the video";
    // The tracker runs from 0 at its left end to the length at its right end.
    EXPECT_DOUBLE_EQ(TrackerTime(l, l.track.left - 50, 60), 0);
    EXPECT_DOUBLE_EQ(TrackerTime(l, l.track.right + 50, 60), 60);
    EXPECT_NEAR(TrackerTime(l, (l.track.left + l.track.right) / 2, 60), 30, 0.5);
    EXPECT_DOUBLE_EQ(TrackerTime(l, 100, 0), 0);

    ControlBarOptions none;
    none.showPositionControls = false;
    none.showTracker = false;
    none.showDisplay = false;
    const ControlBarLayout bare = LayoutControlBar(320, 240, none);
    EXPECT_EQ(HitControlBar(bare, {5, y}), BarPart::None);
    EXPECT_EQ(HitControlBar(bare, {160, y}), BarPart::None);
}

TEST(PlayerControlBar, WritesPositionAndLength) {
    EXPECT_EQ(PositionText(0, 0), "0:00 / 0:00");
    EXPECT_EQ(PositionText(75.9, 600), "1:15 / 10:00");
    EXPECT_EQ(PositionText(61, 3725), "0:01:01 / 1:02:05");
    EXPECT_EQ(PositionText(-3, 10), "0:00 / 0:10");
}

namespace {

struct Canvas {
    Canvas(int w, int h) : width(w), height(h) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = w;
        info.bmiHeader.biHeight = -h;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* p = nullptr;
        bitmap = CreateDIBSection(0, &info, DIB_RGB_COLORS, &p, 0, 0);
        bits = static_cast<std::uint32_t*>(p);
        dc = CreateCompatibleDC(0);
        old = SelectObject(dc, bitmap);
    }
    ~Canvas() {
        SelectObject(dc, old);
        DeleteDC(dc);
        DeleteObject(bitmap);
    }
    std::uint32_t At(int x, int y) const { return bits[y * width + x] & 0xFFFFFF; }
    int width, height;
    HBITMAP bitmap = 0;
    HDC dc = 0;
    HGDIOBJ old = 0;
    std::uint32_t* bits = nullptr;
};

} // namespace

TEST(PlayerControlBar, PaintsTheThumbAtThePositionAndTheButtonForTheState) {
    const ControlBarLayout l = LayoutControlBar(320, 240, {});
    Canvas start(320, 240), middle(320, 240);
    PaintControlBar(start.dc, l, {false, true, 0, 100});
    PaintControlBar(middle.dc, l, {true, true, 50, 100});
    const RECT t0 = TrackerThumb(l, 0, 100);
    const RECT t50 = TrackerThumb(l, 50, 100);
    const int y = (t0.top + t0.bottom) / 2;
    const std::uint32_t ink = 0xE6E6E6;
    EXPECT_EQ(start.At(t0.left + 1, y), ink);
    EXPECT_NE(start.At(t50.left + 1, y), ink);
    EXPECT_EQ(middle.At(t50.left + 1, y), ink);
    EXPECT_NE(middle.At(t0.left + 1, y), ink);
    // Paused shows the play triangle's tip; playing shows two bars with a gap between.
    const int cy = (l.playPause.top + l.playPause.bottom) / 2;
    EXPECT_EQ(start.At(l.playPause.left + 7, cy), ink);
    EXPECT_EQ(middle.At(l.playPause.left + 8, cy), ink);
    EXPECT_NE(middle.At(l.playPause.left + 11, cy), ink);
    // The text area holds some light pixels (the digits).
    int lit = 0;
    for (int x = l.text.left; x < l.text.right; ++x)
        for (int yy = l.text.top; yy < l.text.bottom; ++yy)
            lit += (middle.At(x, yy) & 0xFF) > 0x90;
    EXPECT_GT(lit, 20);
}
