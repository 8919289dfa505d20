// Full repaint of the main window's size (951 x 612 client) holding about 100 controls, on the
// headless display: every window erases and paints, every non-windowed control paints on its
// parent, and the back buffer reaches the (in-memory) screen. Goal: under 2 ms at the median.
#include "framework/Application.h"
#include "platform/headless/Headless.h"
#include "platform/user/User.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

// A windowed container: a filled face, a dark frame and a caption.
class TBenchPanel : public TCustomControl {
    KORVID_CLASS(TBenchPanel, TCustomControl)

protected:
    void Paint() override {
        TCanvas* c = Canvas();
        TRect r = ClientRect();
        c->Brush()->SetColor(Color());
        c->FillRect(r);
        c->Brush()->SetColor(clGray);
        c->FrameRect(r);
        c->Brush()->SetStyle(bsClear);
        c->TextOut(6, 4, Caption());
        c->Brush()->SetStyle(bsSolid);
    }
};

// A windowed leaf, such as a button: face, frame, centred caption.
class TBenchButton : public TCustomControl {
    KORVID_CLASS(TBenchButton, TCustomControl)

protected:
    void Paint() override {
        TCanvas* c = Canvas();
        TRect r = ClientRect();
        c->Brush()->SetColor(clBtnFace);
        c->FillRect(r);
        c->Brush()->SetColor(clBlack);
        c->FrameRect(r);
        c->Brush()->SetStyle(bsClear);
        TSize s = c->TextExtent(Caption());
        c->TextOut((r.right - s.cx) / 2, (r.bottom - s.cy) / 2, Caption());
        c->Brush()->SetStyle(bsSolid);
    }
};

// A non-windowed leaf, such as a label with a swatch.
class TBenchLabel : public TGraphicControl {
    KORVID_CLASS(TBenchLabel, TGraphicControl)
    TColor swatch = clRed;

protected:
    void Paint() override {
        TCanvas* c = Canvas();
        c->Brush()->SetColor(swatch);
        c->FillRect(Rect(0, 2, 12, 14));
        c->Brush()->SetStyle(bsClear);
        c->TextOut(16, 1, Caption());
        c->Brush()->SetStyle(bsSolid);
    }
};

struct Scene {
    headless::HeadlessSession session;
    TApplication* app = nullptr;
    TForm* form = nullptr;
    int controls = 0;

    Scene() {
        app = CreateComponent<TApplication>(nullptr);
        app->CreateForm(form);
        form->SetBorderStyle(bsNone);
        form->SetBounds(20, 20, 951, 612);
        form->SetColor(TColor(0xFBFBFB));
        // A strip of buttons along the top, then a grid of panels, each holding buttons and
        // labels, two of them holding a nested panel of their own.
        for (int i = 0; i < 10; ++i)
            Add<TBenchButton>(form, 8 + i * 93, 8, 88, 24, "Button");
        for (int row = 0; row < 3; ++row) {
            for (int col = 0; col < 4; ++col) {
                auto* panel =
                    Add<TBenchPanel>(form, 8 + col * 235, 40 + row * 190, 228, 182, "Panel");
                panel->SetColor(TColor(0xF0F0F0));
                for (int k = 0; k < 3; ++k) {
                    Add<TBenchButton>(panel, 8, 24 + k * 30, 100, 24, "Choose");
                    Add<TBenchLabel>(panel, 116, 28 + k * 30, 100, 18, "Label text");
                }
                if ((row + col) % 5 == 0) {
                    auto* inner = Add<TBenchPanel>(panel, 8, 116, 212, 58, "Inner");
                    Add<TBenchButton>(inner, 8, 24, 90, 24, "Inner");
                    Add<TBenchLabel>(inner, 106, 28, 100, 18, "Inner label");
                }
            }
        }
        form->Show();
        headless::HeadlessBackend::PumpMessages();
    }
    ~Scene() { app->Free(); }

    template <class T>
    T* Add(TWinControl* parent, int x, int y, int w, int h, const char* caption) {
        T* c = CreateComponent<T>(form);
        c->SetBounds(x, y, w, h);
        c->SetCaption(caption);
        c->SetParent(parent);
        ++controls;
        return c;
    }

    void RepaintAll() {
        RedrawWindow(form->Handle(), nullptr, 0,
                     RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    }
};

void BM_FullRepaint951x612(benchmark::State& state) {
    Scene scene;
    // What is timed must be the real thing: the form's face, a panel's face, a nested
    // button's face and a label's swatch are on the form's buffer after a repaint.
    scene.RepaintAll();
    HWND h = scene.form->Handle();
    auto at = [h](int x, int y) { return headless::HeadlessBackend::WindowPixel(h, x, y); };
    if (at(950, 611) != COLORREF(0xFBFBFB) || at(12, 300) != COLORREF(0xF0F0F0) ||
        at(8 + 10, 40 + 116 + 24 + 3) != COLORREF(ColorToRGB(clBtnFace)) ||
        at(8 + 116 + 5, 40 + 28 + 8) != COLORREF(clRed)) {
        state.SkipWithError("the scene did not paint");
        return;
    }
    for (auto _ : state)
        scene.RepaintAll();
    state.counters["controls"] = scene.controls;
}
BENCHMARK(BM_FullRepaint951x612)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

} // namespace

BENCHMARK_MAIN();
