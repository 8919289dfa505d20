#include "WindowTestUtil.h"

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/Dc.h"
#include "platform/gdi/Object.h"
#include "platform/gdi/Region.h"

namespace usertest {
namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

class PaintTest : public WindowTest {
protected:
    // Windows paint themselves in the colour given here.
    std::map<HWND, COLORREF> colours;
    void SetUp() override {
        WindowTest::SetUp();
        HookFn() = [this](HWND h, UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
            if (msg != WM_PAINT || !colours.count(h)) return std::nullopt;
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(h, &ps);
            HBRUSH b = CreateSolidBrush(colours[h]);
            RECT r;
            GetClientRect(h, &r);
            FillRect(dc, &r, b);
            DeleteObject(b);
            EndPaint(h, &ps);
            return 0;
        };
    }
    size_t paints(HWND h) { return Received(h, WM_PAINT).size(); }
};

TEST_F(PaintTest, PaintedPixelsReachTheBufferAndTheScreen) {
    HWND top = Top(100, 50, 60, 40);
    HWND child = Child(top, 10, 10, 20, 10);
    colours[top] = kBlue;
    colours[child] = kRed;
    Pump();
    EXPECT_EQ(headless::HeadlessBackend::WindowPixel(top, 0, 0), kBlue);
    EXPECT_EQ(headless::HeadlessBackend::WindowPixel(child, 0, 0), kRed);
    EXPECT_EQ(session->ScreenPixel(100, 50), kBlue);
    EXPECT_EQ(session->ScreenPixel(110, 60), kRed);
    EXPECT_EQ(session->ScreenPixel(129, 69), kRed);
    EXPECT_EQ(session->ScreenPixel(130, 70), kBlue);
    EXPECT_EQ(session->ScreenPixel(99, 50), 0u); // the desktop
    EXPECT_EQ(session->TopLevelAt(100, 50), top);
}

TEST_F(PaintTest, InvalidationIsDeferredAndCoalescedUpdateWindowPaintsAtOnce) {
    HWND top = Top(0, 0, 60, 40);
    Pump();
    ClearLog();
    InvalidateRect(top, nullptr, TRUE);
    InvalidateRect(top, nullptr, TRUE);
    EXPECT_EQ(paints(top), 0u); // deferred
    Pump();
    EXPECT_EQ(paints(top), 1u); // once for both
    InvalidateRect(top, nullptr, FALSE);
    UpdateWindow(top);
    EXPECT_EQ(paints(top), 2u); // at once
    Pump();
    EXPECT_EQ(paints(top), 2u);
}

TEST_F(PaintTest, EraseComesFromBeginPaintWithTheClassBrush) {
    HWND top = Top(0, 0, 60, 40);
    Pump();
    ClearLog();
    InvalidateRect(top, nullptr, TRUE);
    Pump();
    EXPECT_EQ(Messages(top, {WM_PAINT, WM_ERASEBKGND}),
              (std::vector<UINT>{WM_PAINT, WM_ERASEBKGND}));
    EXPECT_EQ(headless::HeadlessBackend::WindowPixel(top, 5, 5), GetSysColor(COLOR_WINDOW));
    ClearLog();
    InvalidateRect(top, nullptr, FALSE);
    Pump();
    EXPECT_EQ(Messages(top, {WM_PAINT, WM_ERASEBKGND}), (std::vector<UINT>{WM_PAINT}));
}

TEST_F(PaintTest, WindowThatIgnoresPaintIsValidatedAndNotAskedAgain) {
    HWND top = Top(0, 0, 60, 40);
    HookFn() = [](HWND, UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (msg == WM_PAINT) return 0; // no BeginPaint
        return std::nullopt;
    };
    EXPECT_LT(Pump(), 10);
    ClearLog();
    EXPECT_EQ(Pump(), 0);
    RECT r;
    EXPECT_FALSE(GetUpdateRect(top, &r, FALSE));
}

TEST_F(PaintTest, UpdateRectIsWhatWasInvalidated) {
    HWND top = Top(0, 0, 60, 40);
    Pump();
    RECT part{5, 6, 15, 16};
    InvalidateRect(top, &part, FALSE);
    RECT r;
    ASSERT_TRUE(GetUpdateRect(top, &r, FALSE));
    EXPECT_EQ(r, part);
    ValidateRect(top, nullptr);
    EXPECT_FALSE(GetUpdateRect(top, &r, FALSE));
}

TEST_F(PaintTest, BorderedChildGetsItsFramePaintedWithoutAClientPaintLoop) {
    HWND top = Top(0, 0, 80, 60);
    HWND child = Child(top, 10, 10, 30, 20, WS_BORDER);
    RECT client;
    GetClientRect(child, &client);
    EXPECT_EQ(client, (RECT{0, 0, 28, 18}));
    Pump();
    EXPECT_FALSE(Received(child, WM_NCPAINT).empty());
    // Only the frame is due: it paints without a WM_PAINT and the loop settles.
    ClearLog();
    RedrawWindow(child, nullptr, 0, RDW_FRAME | RDW_INVALIDATE | RDW_VALIDATE);
    EXPECT_LT(Pump(), 10);
    EXPECT_EQ(Received(child, WM_NCPAINT).size(), 1u);
    EXPECT_EQ(headless::HeadlessBackend::WindowFramePixel(child, 0, 0),
              GetSysColor(COLOR_WINDOWFRAME));
}

TEST_F(PaintTest, HidingAChildRepaintsWhatItCovered) {
    HWND top = Top(0, 0, 60, 40);
    HWND child = Child(top, 0, 0, 20, 20);
    colours[top] = kBlue;
    colours[child] = kRed;
    Pump();
    EXPECT_EQ(session->ScreenPixel(5, 5), kRed);
    ShowWindow(child, SW_HIDE);
    Pump();
    EXPECT_EQ(session->ScreenPixel(5, 5), kBlue);
}

TEST_F(PaintTest, GetWindowDcCoversTheFrameGetDcOnlyTheClient) {
    HWND top = Top(0, 0, 40, 40, WS_POPUP | WS_BORDER);
    Pump();
    HDC whole = GetWindowDC(top);
    ASSERT_NE(whole, 0u);
    SetPixel(whole, 0, 0, kRed);
    ReleaseDC(top, whole);
    HDC client = GetDC(top);
    SetPixel(client, 0, 0, kBlue);
    ReleaseDC(top, client);
    EXPECT_EQ(headless::HeadlessBackend::WindowFramePixel(top, 0, 0), kRed);
    EXPECT_EQ(headless::HeadlessBackend::WindowFramePixel(top, 1, 1), kBlue);
    Pump();
    EXPECT_EQ(session->ScreenPixel(1, 1), kBlue);
}

// A DC's release puts on screen what it could draw on, not the bounds of that: a frame DC on a
// window whose client a child covers reaches the frame strips only. A pixel changed under the
// child behind the window layer's back shows where it would be presented.
TEST_F(PaintTest, ReleasingAFrameDcPresentsTheFrameNotTheChildItsBoundsSpan) {
    HWND top = Top(0, 0, 40, 40, WS_POPUP | WS_BORDER | WS_CLIPCHILDREN);
    RECT client;
    GetClientRect(top, &client);
    HWND child = Child(top, 0, 0, client.right, client.bottom);
    colours[top] = kBlue;
    colours[child] = kBlue;
    Pump();
    ASSERT_EQ(session->ScreenPixel(5, 5), kBlue);
    HDC probe = GetWindowDC(top);
    DIBSECTION buffer{};
    ASSERT_GT(GetObject(GetCurrentObject(probe, OBJ_BITMAP), sizeof buffer, &buffer), 0);
    ASSERT_NE(buffer.dsBm.bmBits, nullptr);
    ReleaseDC(top, probe);
    Pump();
    auto* bits = static_cast<BYTE*>(buffer.dsBm.bmBits);
    BYTE* hidden = bits + 5 * buffer.dsBm.bmWidthBytes + 5 * 4; // blue as B, G, R, 0
    hidden[0] = 0;
    hidden[2] = 255;
    HDC frame = GetWindowDC(top);
    SetPixel(frame, 0, 0, kRed);
    SetPixel(frame, 39, 39, kRed);
    ReleaseDC(top, frame);
    Pump();
    EXPECT_EQ(session->ScreenPixel(0, 0), kRed);
    EXPECT_EQ(session->ScreenPixel(39, 39), kRed);
    EXPECT_EQ(session->ScreenPixel(5, 5), kBlue);
    InvalidateRect(child, nullptr, FALSE);
    colours[child] = kRed;
    Pump();
    EXPECT_EQ(session->ScreenPixel(5, 5), kRed);
}

// --- regions ---

TEST_F(PaintTest, WindowRegionShapesScreenAndPointer) {
    HWND top = Top(100, 100, 40, 40);
    colours[top] = kRed;
    HRGN rgn = CreateRectRgn(0, 0, 20, 20);
    ASSERT_EQ(SetWindowRgn(top, rgn, TRUE), 1);
    Pump();
    EXPECT_EQ(session->ScreenPixel(105, 105), kRed);
    EXPECT_EQ(session->ScreenPixel(130, 130), 0u); // outside: the desktop shows
    EXPECT_EQ(session->TopLevelAt(130, 130), 0u);
    EXPECT_EQ(WindowFromPoint(POINT{130, 130}), 0u);
    EXPECT_EQ(WindowFromPoint(POINT{105, 105}), top);
    HRGN copy = CreateRectRgn(0, 0, 0, 0);
    EXPECT_NE(GetWindowRgn(top, copy), ERROR);
    RECT box;
    GetRgnBox(copy, &box);
    EXPECT_EQ(box, (RECT{0, 0, 20, 20}));
    DeleteObject(copy);
    ClearLog();
    session->Click(130, 130);
    Pump();
    EXPECT_TRUE(Received(top, WM_LBUTTONDOWN).empty());
    SetWindowRgn(top, 0, TRUE); // the window frees the old region
    Pump();
    EXPECT_EQ(session->ScreenPixel(130, 130), kRed);
}

TEST_F(PaintTest, SetWindowRgnRefusesWhatIsNotARegion) {
    HWND top = Top(0, 0, 40, 40);
    HBRUSH notRegion = CreateSolidBrush(kRed);
    EXPECT_EQ(SetWindowRgn(top, notRegion, TRUE), 0);
    DeleteObject(notRegion);
    EXPECT_EQ(SetWindowRgn(0xDEAD0001, 0, TRUE), 0);
}

} // namespace
} // namespace usertest
