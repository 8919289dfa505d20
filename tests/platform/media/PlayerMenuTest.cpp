#include "platform/media/PlayerMenu.h"
#include "platform/media/HostedPlayerTestUtil.h"

#include "platform/gdi/SysColor.h"
#include "platform/user/NativeEvents.h"

using namespace fixtures;
using namespace media;

namespace {

constexpr auto kRight = user::native::Button::Right;
// Items from the top: Play, Pause, Stop, -, Default, Half, Double, Fit, -, Full screen.
// The first item's row starts below the one-pixel border.
constexpr POINT kFirstItem{20, 4};

class PlayerMenu : public HostedPlayer {
protected:
    void OpenClip() {
        const std::string path = dir.File("clip.mpg");
        WriteMovie(path, {"mpeg", Video::Mpeg1});
        player.Open(path);
        ASSERT_TRUE(PumpUntilEvent(eventid::ReadyStateChange, mpReadyStateComplete));
    }
    // Right click on the video; the menu, when one opened.
    HWND RightClick() {
        session->Click(200, 150, kRight);
        headless::HeadlessBackend::PumpMessages();
        const HWND menu = GetCapture();
        if (!menu) return 0;
        char name[100] = {};
        GetClassName(menu, name, sizeof name);
        return std::strcmp(name, "KorvidPlayerMenu") == 0 ? menu : 0;
    }
    void Keys(std::initializer_list<int> keys) {
        for (int vk : keys)
            session->PressKey(vk);
        headless::HeadlessBackend::PumpMessages();
    }
    void ClickIn(HWND menu, POINT p) {
        RECT r;
        GetWindowRect(menu, &r);
        session->Click(r.left + p.x, r.top + p.y);
        headless::HeadlessBackend::PumpMessages();
    }
    LONG DisplaySize() { return Get(player, dispid::DisplaySize).lVal; }
};

TEST_F(PlayerMenu, IsAPopupOfItsOwnThatHoldsThePointer) {
    OpenClip();
    const HWND menu = RightClick();
    ASSERT_NE(menu, 0u);
    EXPECT_EQ(GetAncestor(menu, GA_ROOT), menu) << "a top-level window";
    EXPECT_EQ(GetWindow(menu, GW_OWNER), host);
    const LONG style = GetWindowLong(menu, GWL_STYLE);
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_NE(style & WS_CAPTION, WS_CAPTION);
    EXPECT_TRUE(IsWindowVisible(menu));
    RECT r;
    GetWindowRect(menu, &r);
    EXPECT_EQ(r.left, 200); // at the pointer
    EXPECT_EQ(r.top, 150);
    // Plain menu colours, nothing highlighted until the pointer or a key picks an item.
    EXPECT_EQ(headless::HeadlessBackend::WindowPixel(menu, 3, kFirstItem.y),
              GetSysColor(COLOR_MENU));
    session->MovePointer(r.left + kFirstItem.x, r.top + kFirstItem.y);
    headless::HeadlessBackend::PumpMessages();
    EXPECT_EQ(headless::HeadlessBackend::WindowPixel(menu, 3, kFirstItem.y),
              GetSysColor(COLOR_HIGHLIGHT));
}

TEST_F(PlayerMenu, ClickingPlayPlaysAndClosesTheMenu) {
    OpenClip();
    ASSERT_EQ(Get(player, dispid::PlayState), Variant::Int(mpStopped));
    const HWND menu = RightClick();
    ASSERT_NE(menu, 0u);
    ClickIn(menu, kFirstItem);
    EXPECT_FALSE(IsWindow(menu));
    EXPECT_EQ(GetCapture(), 0u);
    EXPECT_TRUE(PumpUntilEvent(eventid::PlayStateChange, mpPlaying));
    // Playing: the first item is now disabled and Pause (the next row) acts.
    const HWND again = RightClick();
    ASSERT_NE(again, 0u);
    ClickIn(again, kFirstItem);
    EXPECT_TRUE(IsWindow(again)) << "a disabled item neither acts nor closes the menu";
    Keys({VK_DOWN, VK_RETURN});
    EXPECT_FALSE(IsWindow(again));
    EXPECT_TRUE(PumpUntilEvent(eventid::PlayStateChange, mpPaused));
}

TEST_F(PlayerMenu, KeysPickADisplaySizeOrFullScreen) {
    OpenClip();
    struct Case {
        const char* name;
        std::initializer_list<int> keys;
        LONG size;
    };
    // Stopped: Play and Stop are enabled, Pause is skipped.
    const Case cases[] = {
        {"half: play, stop, default, half",
         {VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN},
         mpHalfSize},
        {"fit: up from the top wraps to the last, then up", {VK_UP, VK_UP, VK_RETURN}, mpFitToSize},
        {"escape changes nothing", {VK_DOWN, VK_ESCAPE}, mpFitToSize},
        {"enter with nothing highlighted", {VK_RETURN, VK_ESCAPE}, mpFitToSize},
        {"full screen: the last item", {VK_UP, VK_RETURN}, mpFullScreen},
        {"a size leaves full screen", {VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN}, mpDefaultSize},
    };
    for (const Case& c : cases) {
        const HWND menu = RightClick();
        ASSERT_NE(menu, 0u) << c.name;
        Keys(c.keys);
        EXPECT_FALSE(IsWindow(menu)) << c.name;
        EXPECT_EQ(DisplaySize(), c.size) << c.name;
        EXPECT_EQ(Get(player, dispid::PlayState), Variant::Int(mpStopped)) << c.name;
    }
    EXPECT_EQ(GetParent(renderer), control);
    EXPECT_EQ(RectIn(renderer, control), (RECT{120, 90, 280, 210}));
}

TEST_F(PlayerMenu, OpensInFullScreenAndStopRewinds) {
    OpenClip();
    player.PutProperty(dispid::DisplaySize, Variant::Int(mpFullScreen));
    Seek(10 / 25.0);
    ASSERT_NE(GetParent(renderer), control);
    // 1280x1024 screen: the video fills its width from y 32.
    session->Click(640, 500, kRight);
    headless::HeadlessBackend::PumpMessages();
    const HWND menu = GetCapture();
    ASSERT_NE(menu, 0u);
    Keys({VK_DOWN, VK_DOWN, VK_RETURN}); // Play, Stop
    EXPECT_FALSE(IsWindow(menu));
    EXPECT_TRUE(PumpUntil([&] { return !player.Engine().Seeking(); }));
    EXPECT_DOUBLE_EQ(Get(player, dispid::CurrentPosition).dblVal, 0);
    // Esc closes an open menu and leaves full screen alone.
    session->Click(640, 500, kRight);
    headless::HeadlessBackend::PumpMessages();
    const HWND again = GetCapture();
    ASSERT_NE(again, 0u);
    Keys({VK_ESCAPE});
    EXPECT_FALSE(IsWindow(again));
    EXPECT_EQ(DisplaySize(), mpFullScreen);
}

TEST_F(PlayerMenu, WithoutAFileOnlyTheDisplaySizesAct) {
    player.PutProperty(dispid::DisplaySize, Variant::Int(mpFitToSize));
    HWND menu = RightClick();
    ASSERT_NE(menu, 0u);
    ClickIn(menu, kFirstItem); // Play
    EXPECT_TRUE(IsWindow(menu));
    Keys({VK_UP, VK_RETURN}); // Full screen is disabled too: Up lands on Fit
    EXPECT_EQ(DisplaySize(), mpFitToSize);
    EXPECT_FALSE(IsWindow(menu));
    menu = RightClick();
    Keys({VK_DOWN, VK_RETURN}); // Default size, the first enabled item
    EXPECT_EQ(DisplaySize(), mpDefaultSize);
    EXPECT_EQ(Get(player, dispid::OpenState), Variant::Int(mpClosed));
}

TEST_F(PlayerMenu, AClickOutsideClosesItWithoutActing) {
    OpenClip();
    const HWND menu = RightClick();
    ASSERT_NE(menu, 0u);
    session->Click(10, 10);
    headless::HeadlessBackend::PumpMessages();
    EXPECT_FALSE(IsWindow(menu));
    EXPECT_EQ(GetCapture(), 0u);
    EXPECT_EQ(Get(player, dispid::PlayState), Variant::Int(mpStopped));
}

TEST_F(PlayerMenu, NoMenuWhenTurnedOffOrTheControlIsDisabled) {
    OpenClip();
    for (DISPID off : {dispid::EnableContextMenu, dispid::Enabled}) {
        player.PutProperty(off, Variant::Bool(false));
        EXPECT_EQ(RightClick(), 0u) << "dispatch id " << off;
        EXPECT_EQ(GetCapture(), 0u);
        player.PutProperty(off, Variant::Bool(true));
    }
    EXPECT_NE(RightClick(), 0u);
}

} // namespace
