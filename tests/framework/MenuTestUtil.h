#pragma once
// Helpers for driving menus on the headless screen: a form hook that runs a step in the
// middle of a menu's tracking loop (posted after scripted input, so it sees its effects), and
// a BMP dump of a screen area for looking at by eye.
#include "ControlTestUtil.h"
#include "framework/ImageList.h"
#include "framework/Menus.h"
#include "platform/user/User.h"

#include <cstdio>
#include <cstdlib>
#include <string>

constexpr UINT WM_TEST_STEP = WM_APP + 77;

// While alive, a WM_TEST_STEP posted to the form runs `step`.
class StepHook {
public:
    StepHook(TForm* form, std::function<void()> step) : form_(form), step_(std::move(step)) {
        saved_ = form->WindowProc;
        form->WindowProc = [this](TMessage& m) {
            if (m.Msg == WM_TEST_STEP) {
                step_();
                return;
            }
            saved_(m);
        };
    }
    ~StepHook() { form_->WindowProc = saved_; }
    void Post() { PostMessage(form_->Handle(), WM_TEST_STEP, 0, 0); }

private:
    TForm* form_;
    std::function<void()> step_;
    TWndMethod saved_;
};

// Writes the screen area as a 24-bit BMP into $KORVID_SHOT_DIR/name when that is set.
inline void SaveShot(headless::HeadlessBackend& screen, RECT area, const std::string& name) {
    const char* dir = std::getenv("KORVID_SHOT_DIR");
    if (!dir) return;
    std::vector<COLORREF> px = screen.ScreenShot(area);
    int w = area.right - area.left, h = area.bottom - area.top;
    int stride = (w * 3 + 3) & ~3;
    std::vector<unsigned char> out(54 + size_t(stride) * size_t(h), 0);
    auto put32 = [&](size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            out[at + size_t(i)] = (v >> (8 * i)) & 0xFF;
    };
    out[0] = 'B';
    out[1] = 'M';
    put32(2, std::uint32_t(out.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, std::uint32_t(w));
    put32(22, std::uint32_t(h));
    out[26] = 1;
    out[28] = 24;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            COLORREF c = px[size_t(y * w + x)];
            size_t at = 54 + size_t(h - 1 - y) * size_t(stride) + size_t(x) * 3;
            out[at] = (c >> 16) & 0xFF;
            out[at + 1] = (c >> 8) & 0xFF;
            out[at + 2] = c & 0xFF;
        }
    std::string path = std::string(dir) + "/" + name;
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(out.data(), 1, out.size(), f);
        std::fclose(f);
    }
}

// An item with a caption (and shortcut), counting its clicks into *clicks.
inline TMenuItem* NewItem(TMenuItem* parent, const String& caption, int* clicks = nullptr,
                          TShortCut shortCut = scNone) {
    auto* item = CreateComponent<TMenuItem>(nullptr);
    item->SetCaption(caption);
    item->SetShortCut(shortCut);
    if (clicks) item->OnClick = [clicks](TObject*) { ++*clicks; };
    parent->Add(item);
    return item;
}
