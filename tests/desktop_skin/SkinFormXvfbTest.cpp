// A skinned form in a real window under Xvfb with a window manager: dragged by its caption
// with xdotool, minimised, maximised and restored by its buttons, its system menu opened with
// Alt+Space; and, when KORVID_SHOT_DIR is set, a screenshot of it in each built-in style.
// Skipped where Xvfb, xdotool or the window manager is missing.
#include "WindowManagerTestUtil.h"
#include "platform/gdi/Gdi.h"
#include "skin/SKForm.h"
#include "skin/SKPageControl.h"
#include "support/SkinStyles.h"
#include "support/desktop/DesktopFixture.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

namespace {

class SkinFormOnX : public test_support::DesktopFixture {
protected:
    SkinFormOnX() : DesktopFixture("korvid-xvfb-skin-") {}
    void SetUp() override {
        StartDesktop();
        if (!Started()) return;
        app_->CreateForm(form_);
        form_->SetBorderStyle(bsSingle);
        form_->SetCaption("korvid skin");
        form_->SetBounds(100, 100, 420, 300);
        skin_ = CreateComponent<TskForm>(form_);
        skin_->SetUIStyle(Protein);
        pages_ = test_support::AddMainWindowPages(form_, skin_);
        skin_->SetUIStyleAutoUpdateSub(true);
        skin_->SetUIStyle(Protein);
        form_->Show();
        PumpUntil([&] { return IsWindowVisible(form_->Handle()) != FALSE; });
        PumpFor(300);
    }
    // The centre of caption button `index` in screen coordinates.
    TPoint ButtonCentre(int index) {
        TskTitleBar* bar = skin_->TitleBar();
        for (const auto& place : bar->ComputeLayout(bar->Width()).buttons)
            if (place.index == index)
                return bar->ClientToScreen(
                    Point((place.rect.left + place.rect.right) / 2,
                          std::max<LONG>(1, (place.rect.top + place.rect.bottom) / 2)));
        return Point(0, 0);
    }
    std::string At(TPoint p) { return std::to_string(p.x) + " " + std::to_string(p.y); }

    TForm* form_ = nullptr;
    TskForm* skin_ = nullptr;
    TskPageControl* pages_ = nullptr;
};

TEST_F(SkinFormOnX, DraggedByItsCaption) {
    const int left = form_->Left(), top = form_->Top();
    TPoint grip = skin_->TitleBar()->ClientToScreen(Point(skin_->TitleBar()->Width() / 2, 8));
    Script("mousemove " + At(grip) +
           " sleep 0.2 mousedown 1 sleep 0.2 mousemove_relative -- 40 30 sleep 0.1 "
           "mousemove_relative -- 40 30 sleep 0.1 mousemove_relative -- 40 20 sleep 0.3 mouseup 1");
    EXPECT_TRUE(PumpUntil([&] { return form_->Left() != left; }));
    EXPECT_NEAR(form_->Left() - left, 120, 4);
    EXPECT_NEAR(form_->Top() - top, 80, 4);
}

TEST_F(SkinFormOnX, MinimisedMaximisedAndRestoredByItsButtons) {
    // Maximise: the work area less one row.
    Script("mousemove " + At(ButtonCentre(2)) + " sleep 0.2 click 1");
    ASSERT_TRUE(PumpUntil([&] { return form_->WindowState() == wsMaximized; }));
    TRect area;
    GetWorkAreaRect(area);
    EXPECT_TRUE(PumpUntil([&] { return form_->Width() == area.right - area.left; }));
    EXPECT_EQ(form_->Height(), area.bottom - area.top - 1);
    // Restore from the same button.
    Script("mousemove " + At(ButtonCentre(2)) + " sleep 0.2 click 1");
    ASSERT_TRUE(
        PumpUntil([&] { return form_->WindowState() == wsNormal && form_->Width() == 420; }));
    EXPECT_EQ(form_->Height(), 300);
    // Minimise: the desktop iconifies the window; it comes back restored.
    Script("mousemove " + At(ButtonCentre(3)) + " sleep 0.2 click 1");
    EXPECT_TRUE(PumpUntil([&] { return IsIconic(form_->Handle()) != FALSE; }));
    form_->SetWindowState(wsNormal);
    EXPECT_TRUE(PumpUntil([&] { return !IsIconic(form_->Handle()); }));
}

TEST_F(SkinFormOnX, AltSpaceOpensTheSystemMenu) {
    std::atomic<bool> popped{false};
    skin_->TitleBar()->SystemMenu()->OnPopup = [&](TObject*) { popped = true; };
    std::thread closer([&] {
        test_support::PollUntil([&] { return popped.load(); }, std::chrono::seconds(4));
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        Xdotool("key Escape");
    });
    Script("search --name 'korvid skin' windowfocus --sync sleep 0.2 key alt+space");
    closer.join();
    EXPECT_TRUE(popped);
}

TEST_F(SkinFormOnX, TheApplicationIconReachesTheDesktop) {
    // A 16 x 16 icon made from two bitmaps: the desktop gets it as _NET_WM_ICON.
    std::vector<BYTE> maskBits(2 * 16, 0);
    ICONINFO info;
    info.hbmMask = CreateBitmap(16, 16, 1, 1, maskBits.data());
    std::vector<DWORD> pixels(256, 0x0000FF00);
    info.hbmColor = CreateBitmap(16, 16, 1, 32, pixels.data());
    auto icon = MakeObject<TIcon>();
    icon->SetHandle(CreateIconIndirect(&info));
    DeleteObject(info.hbmMask);
    DeleteObject(info.hbmColor);
    app_->SetIcon(icon.get());
    PumpFor(100);
    int w = 0, h = 0;
    ASSERT_TRUE(WindowIconSize(display_, "korvid skin", w, h));
    EXPECT_EQ(w, 16);
    EXPECT_EQ(h, 16);
}

TEST_F(SkinFormOnX, ScreenshotOfEachStyle) {
    const char* dir = std::getenv("KORVID_SHOT_DIR");
    if (!dir || !Have("import")) GTEST_SKIP() << "no KORVID_SHOT_DIR or no ImageMagick import";
    for (const auto& s : test_support::kBuiltinStyles) {
        skin_->SetUIStyle(s.style);
        skin_->SetCaption(std::string("Varnelo - ") + s.name);
        PumpFor(400);
        const std::string file = std::string(dir) + "/skin_" + s.name + ".png";
        // Where the desktop put the window, with a margin.
        const std::string crop = std::to_string(form_->Width() + 20) + "x" +
                                 std::to_string(form_->Height() + 20) + "+" +
                                 std::to_string(std::max(0, form_->Left() - 10)) + "+" +
                                 std::to_string(std::max(0, form_->Top() - 10));
        const std::string command = std::string("import -display ") + display_ +
                                    " -window root -crop " + crop + " +repage " + file;
        EXPECT_EQ(std::system(command.c_str()), 0) << s.name;
    }
}

} // namespace
