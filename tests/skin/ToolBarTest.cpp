#include "SkinTestUtil.h"

#include "framework/Image.h"
#include "framework/ImageList.h"
#include "platform/gdi/Gdi.h"
#include "skin/SKToolBar.h"

#include <optional>

namespace {

using skin_test::PixelOf;

// Colours no style and no framework drawing uses, so a pixel tells who painted it.
constexpr TColor kFill = 0x0030C020;
constexpr TColor kDownFill = 0x00207010;
constexpr TColor kFrame = 0x00A01080;

class SkToolBarTest : public skin_test::SkinFixture {
protected:
    void SetUp() override {
        SkinFixture::SetUp();
        bar_ = CreateComponent<TskToolBar>(form_);
        bar_->SetParent(form_);
        bar_->SetShowCaptions(true);
        ShowForm();
    }
    // Buttons show in the order given (a new button goes first, so they are made from the
    // last).
    std::vector<TToolButton*> AddButtons(std::initializer_list<const char*> captions) {
        std::vector<TToolButton*> made;
        std::vector<const char*> list(captions);
        for (auto it = list.rbegin(); it != list.rend(); ++it) {
            auto* b = CreateComponent<TToolButton>(bar_);
            b->SetCaption(*it);
            b->SetParent(bar_);
            made.insert(made.begin(), b);
        }
        Pump();
        return made;
    }
    void UseTestColours() {
        bar_->SetButtonColor(kFill);
        bar_->SetButtonDownColor(kDownFill);
        bar_->SetButtonBorderColor(kFrame);
        Pump();
    }
    void PointAt(TToolButton* b, int x = -1, int y = -1) {
        TPoint p = b->ClientToScreen(Point(x < 0 ? b->Width() / 2 : x, y < 0 ? 2 : y));
        session_->MovePointer(p.x, p.y);
        Pump();
    }
    // Onto the form below the bar.
    void PointAway() {
        TPoint p = form_->ClientToScreen(Point(200, 200));
        session_->MovePointer(p.x, p.y);
        Pump();
    }
    COLORREF BarPixel(int x, int y) { return WindowPixel(bar_, x, y); }
    std::vector<COLORREF> ButtonPixels(TToolButton* b) {
        std::vector<COLORREF> out;
        TRect r = b->BoundsRect();
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                out.push_back(BarPixel(x, y));
        return out;
    }
    void Repaint() {
        bar_->Invalidate();
        Pump();
    }

    TskToolBar* bar_ = nullptr;
};

TEST(RemoveAmpersands, FollowsTheAcceleratorRule) {
    const struct {
        const char* caption;
        const char* shown;
    } cases[] = {{"&File", "File"},
                 {"Save && Exit", "Save & Exit"},
                 {"&&&Open", "&Open"},
                 {"&&&&", "&&"},
                 {"Close&", "Close"},
                 {"No marks", "No marks"},
                 {"", ""},
                 {"E&x&it", "Exit"}};
    for (const auto& c : cases)
        EXPECT_EQ(RemoveAmpersands(c.caption), String(c.shown)) << c.caption;
}

TEST_F(SkToolBarTest, EachButtonStateIsDrawnByTheSkinOrLeftToTheFramework) {
    bar_->SetShowCaptions(false);
    auto b = AddButtons({"a", "b"});
    b[0]->SetStyle(tbsCheck);
    UseTestColours();
    struct Case {
        const char* name;
        bool checked;
        bool hot;
        bool pressed;
        std::optional<TColor> fill; // none: the framework draws it
    };
    const Case cases[] = {
        {"normal", false, false, false, std::nullopt},
        {"hot", false, true, false, kFill},
        {"hot and pressed", false, true, true, kDownFill},
        {"checked, pointer elsewhere", true, false, false, kFill},
        {"checked and hot", true, true, false, kFill},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        b[0]->SetDown(c.checked);
        if (c.hot)
            PointAt(b[0]);
        else
            PointAway();
        if (c.pressed) {
            session_->PressButton();
            Pump();
        }
        ASSERT_EQ(b[0]->Hot(), c.hot);
        ASSERT_EQ(b[0]->Pressed(), c.pressed);
        const TRect r = b[0]->BoundsRect();
        std::vector<COLORREF> skinned = ButtonPixels(b[0]);
        // The same button drawn by the framework alone.
        auto painter = bar_->OnCustomDrawButton;
        bar_->OnCustomDrawButton = nullptr;
        Repaint();
        std::vector<COLORREF> framework = ButtonPixels(b[0]);
        bar_->OnCustomDrawButton = painter;
        Repaint();
        if (!c.fill) {
            EXPECT_EQ(skinned, framework);
        } else {
            EXPECT_NE(skinned, framework);
            EXPECT_EQ(BarPixel(r.left, r.top), COLORREF(kFrame));
            EXPECT_EQ(BarPixel(r.right - 1, r.bottom - 1), COLORREF(kFrame));
            EXPECT_EQ(BarPixel(r.left + 1, r.top + 1), COLORREF(*c.fill));
            EXPECT_EQ(BarPixel(r.right - 2, r.bottom - 2), COLORREF(*c.fill));
        }
        if (c.pressed) {
            session_->ReleaseButton();
            Pump();
        }
    }
    // The other button, in none of those states, stayed the framework's all along.
    EXPECT_NE(BarPixel(b[1]->Left() + 1, b[1]->Top() + 1), COLORREF(kFill));
}

// The leftmost and topmost column and row in Area that differ from Background.
TPoint InkCorner(const std::function<COLORREF(int, int)>& at, const TRect& area,
                 COLORREF background) {
    TPoint corner{area.right, area.bottom};
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            if (at(x, y) != background) {
                corner.x = std::min(corner.x, x);
                corner.y = std::min(corner.y, y);
            }
    return corner;
}

TEST_F(SkToolBarTest, CaptionsAreCentredByTheTextTheyShow) {
    const struct {
        const char* caption;
        const char* shown;
    } cases[] = {{"&File", "File"}, {"Save && Exit", "Save & Exit"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.caption);
        auto b = AddButtons({c.caption});
        b[0]->SetStyle(tbsCheck);
        b[0]->SetAutoSize(false);
        bar_->SetButtonWidth(110);
        UseTestColours();
        b[0]->SetDown(true);
        PointAway();
        const TRect r = b[0]->BoundsRect();
        const int w = r.right - r.left;
        ASSERT_EQ(w, 110);
        // Where the ink of the caption starts when drawn at (0, 0) with the bar's font.
        auto probe = skin_test::SolidBitmap(120, 30, kFill);
        probe->Canvas()->SetFont(bar_->Font());
        TRect at = Rect(0, 0, 120, 30);
        DrawCanvasText(probe->Canvas(), c.caption, at, DT_LEFT | DT_SINGLELINE);
        const TPoint bearing = InkCorner([&](int x, int y) { return PixelOf(probe.get(), x, y); },
                                         Rect(0, 0, 120, 30), COLORREF(kFill));
        probe->Canvas()->SetFont(bar_->Font());
        const int width = probe->Canvas()->TextWidth(c.shown);
        const TRect inside = Rect(r.left + 1, r.top + 1, r.right - 1, r.bottom - 1);
        auto bar = [&](int x, int y) { return BarPixel(x, y); };
        TPoint ink = InkCorner(bar, inside, COLORREF(kFill));
        EXPECT_EQ(ink.x, r.left + (w - width) / 2 + bearing.x);
        EXPECT_EQ(ink.y, r.top + 4 + bearing.y) << "raised: four rows down";
        // Held down under the pointer, the caption drops one row and stays centred.
        b[0]->SetStyle(tbsButton);
        b[0]->SetDown(false);
        PointAt(b[0]);
        session_->PressButton();
        Pump();
        ink = InkCorner(bar, inside, COLORREF(kDownFill));
        EXPECT_EQ(ink.x, r.left + (w - width) / 2 + bearing.x);
        EXPECT_EQ(ink.y, r.top + 5 + bearing.y);
        session_->ReleaseButton();
        Pump();
        b[0]->Free();
    }
}

TEST_F(SkToolBarTest, MacOSAndProteinShowWhatTheParentPaintsBehind) {
    // A striped picture on the form, under the bar.
    auto* behind = CreateComponent<TImage>(form_);
    behind->SetBounds(0, 0, 400, 40);
    auto stripes =
        skin_test::PatternBitmap(400, 40, [](int x, int) { return x % 4 < 2 ? clRed : clBlue; });
    behind->Picture()->Assign(stripes.get());
    behind->SetParent(form_);
    bar_->BringToFront();
    AddButtons({"One"});
    bar_->SetColor(clLime);
    const struct {
        TskUIStyle style;
        bool transparent;
    } cases[] = {{MacOS, true},   {WinXP, false},     {DeepBlue, false},
                 {Protein, true}, {BlueGlass, false}, {FromThemeFile, false}};
    const int x = bar_->Width() - 20, y = bar_->Height() / 2; // past the last button
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.style));
        bar_->SetUIStyle(c.style);
        Pump();
        EXPECT_EQ(bar_->Transparent(), c.transparent);
        EXPECT_EQ(bar_->EdgeInner(), esNone);
        EXPECT_EQ(bar_->EdgeOuter(), esNone);
        if (c.transparent) {
            EXPECT_EQ(BarPixel(x, y), COLORREF(clRed));
            EXPECT_EQ(BarPixel(x + 2, y), COLORREF(clBlue));
        } else {
            EXPECT_EQ(BarPixel(x, y), COLORREF(clLime));
            EXPECT_EQ(BarPixel(x + 2, y), COLORREF(clLime));
        }
    }
}

TEST_F(SkToolBarTest, DropDownArrowSitsOnItsOwnButtonInAnyRow) {
    auto b = AddButtons({"first", "menu"});
    b[0]->SetWrap(true);
    b[1]->SetStyle(tbsDropDown);
    auto images = MakeObject<TImageList>();
    images->SetMasked(false);
    auto face = skin_test::SolidBitmap(16, 16, clYellow);
    images->Add(face.get(), nullptr);
    bar_->SetImages(images.get());
    b[1]->SetImageIndex(0);
    bar_->SetShowCaptions(false);
    UseTestColours();
    bar_->SetAutoSize(true);
    PointAt(b[1], 2, 2);
    ASSERT_TRUE(b[1]->Hot());
    const TRect r = b[1]->BoundsRect();
    ASSERT_GT(r.top, 0) << "the drop-down button is on the second row";
    const int y = r.top + (r.bottom - r.top) / 2;
    const COLORREF black = RGB(0, 0, 0);
    // Two filled triangles pointing down: five, three, then one pixel wide.
    for (int x = r.right - 9; x <= r.right - 5; ++x)
        EXPECT_EQ(BarPixel(x, y), black) << x;
    for (int x = r.right - 8; x <= r.right - 6; ++x)
        EXPECT_EQ(BarPixel(x, y + 1), black) << x;
    EXPECT_EQ(BarPixel(r.right - 7, y + 2), black);
    EXPECT_EQ(BarPixel(r.right - 10, y), COLORREF(kFill));
    EXPECT_EQ(BarPixel(r.right - 7, y + 3), COLORREF(kFill));
    EXPECT_EQ(BarPixel(r.right - 7, y - 1), COLORREF(kFill));
    // The divider runs the button's height.
    for (int row = r.top; row < r.bottom; ++row)
        EXPECT_EQ(BarPixel(r.right - 14, row), black) << row;
    // Nothing of the arrow lands in the first row, where a height-only place would put it.
    const int wrongY = (r.bottom - r.top) / 2;
    EXPECT_NE(BarPixel(r.right - 7, wrongY), black);
    // The image is centred in the part left of the arrow, three rows down.
    const int imageLeft = r.left + (r.right - 14 - r.left - 16) / 2;
    EXPECT_EQ(BarPixel(imageLeft, r.top + 3), COLORREF(clYellow));
    EXPECT_EQ(BarPixel(imageLeft + 15, r.top + 18), COLORREF(clYellow));
    EXPECT_EQ(BarPixel(imageLeft - 1, r.top + 3), COLORREF(kFill));
    EXPECT_EQ(BarPixel(imageLeft, r.top + 2), COLORREF(kFill));
    // Not hot but checked: raised, with no arrow.
    b[1]->SetDown(true);
    PointAway();
    EXPECT_EQ(BarPixel(r.right - 7, y), COLORREF(kFill));
    EXPECT_EQ(BarPixel(r.right - 14, y), COLORREF(kFill));
    bar_->SetImages(nullptr);
}

TEST_F(SkToolBarTest, StyleComesFromTheSkinAndFallsBackWhenTheThemeGoes) {
    EXPECT_TRUE(bar_->Flat());
    EXPECT_TRUE(HasPublishedProperty(bar_, "UIStyle"));
    EXPECT_TRUE(HasPublishedProperty(bar_, "FileTheme"));
    // A form container hands its style on by the published properties.
    ContainerApplyUIStyle(form_, WinXP, nullptr);
    EXPECT_EQ(bar_->UIStyle(), WinXP);
    EXPECT_EQ(bar_->ButtonColor(), GetBuiltinThemeColor(WinXP, tiToolBarButtonBackgroundColor));
    EXPECT_EQ(bar_->ButtonBorderColor(), GetBuiltinThemeColor(WinXP, tiToolBarButtonBorderColor));
    EXPECT_EQ(bar_->ButtonDownColor(),
              GetBuiltinThemeColor(WinXP, tiToolBarButtonDownBackgroundColor));
    SetOrdProp(bar_, "ButtonColor", Int64(kFill));
    EXPECT_EQ(bar_->ButtonColor(), kFill);

    auto* theme = CreateComponent<TskFileTheme>(form_);
    bar_->SetFileTheme(theme);
    EXPECT_EQ(bar_->UIStyle(), WinXP);
    theme->Free();
    EXPECT_EQ(bar_->FileTheme(), nullptr);
    EXPECT_EQ(bar_->UIStyle(), DeepBlue);
    EXPECT_EQ(bar_->ButtonColor(), GetBuiltinThemeColor(DeepBlue, tiToolBarButtonBackgroundColor));
}

} // namespace
