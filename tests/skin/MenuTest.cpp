// The skinned menus: which items get the menu's handlers, how an item is measured and drawn,
// the MacOS heights, and the main menu in the skinned form's menu bar.
#include "SkinFormTestUtil.h"

#include "framework/ImageList.h"
#include "framework/Panel.h"
#include "platform/gdi/Gdi.h"
#include "platform/user/User.h"
#include "skin/SKMainMenu.h"
#include "skin/SKPopupMenu.h"

namespace {

using skin_test::SkinFixture;
using skin_test::SkinFormFixture;

TMenuItem* AddItem(TMenuItem* parent, const String& caption, TComponent* owner) {
    auto* item = CreateComponent<TMenuItem>(owner);
    item->SetCaption(caption);
    parent->Add(item);
    return item;
}

class SkinMenus : public SkinFixture {
protected:
    // A 200 x 60 canvas to draw items on.
    ObjectPtr<TBitmap> Surface() {
        auto b = MakeObject<TBitmap>();
        b->SetPixelFormat(pf32bit);
        b->SetSize(200, 60);
        b->Canvas()->Brush()->SetColor(clBlack);
        b->Canvas()->FillRect(Rect(0, 0, 200, 60));
        return b;
    }
};

TEST_F(SkinMenus, HandlersGoOnlyOnTheMenusOwnItems) {
    auto* menu = CreateComponent<TskPopupMenu>(form_);
    auto* plain = CreateComponent<TPopupMenu>(form_); // another menu of the same form
    TMenuItem* mine = AddItem(menu->Items(), "&Open", form_);
    TMenuItem* sub = AddItem(mine, "Recent", form_);
    TMenuItem* theirs = AddItem(plain->Items(), "Theirs", form_);
    EXPECT_TRUE(mine->OnDrawItem);
    EXPECT_TRUE(mine->OnMeasureItem);
    EXPECT_TRUE(sub->OnDrawItem); // added later, below an item of the menu
    EXPECT_FALSE(theirs->OnDrawItem);
    EXPECT_FALSE(theirs->OnMeasureItem);
    EXPECT_TRUE(menu->OwnerDraw());
    menu->SetOwnerDraw(false);
    EXPECT_TRUE(menu->OwnerDraw());
}

TEST_F(SkinMenus, MeasuredInTheDrawingFontWithoutTheAccelerator) {
    auto* menu = CreateComponent<TskPopupMenu>(form_);
    menu->SetUseSystemFont(false);
    menu->SetFontName("DejaVu Sans");
    menu->SetFontSize(12);
    TMenuItem* item = AddItem(menu->Items(), "&Save as", form_);
    item->SetShortCut(ShortCut('S', TShiftState{ssCtrl}));
    TMenuItem* line = AddItem(menu->Items(), "-", form_);
    auto b = MakeObject<TBitmap>();
    TCanvas* c = b->Canvas();
    c->Font()->SetName("DejaVu Sans");
    c->Font()->SetSize(12);
    const int expected = c->TextWidth("Save as") + c->TextWidth("Ctrl+S") + 26 + 40;
    c->Font()->SetSize(30); // whatever the canvas had before
    int w = 0, h = 0;
    item->MeasureItem(c, w, h);
    EXPECT_EQ(w, expected);
    EXPECT_EQ(h, 21);
    line->MeasureItem(c, w, h);
    EXPECT_EQ(h, 5);
}

TEST_F(SkinMenus, MacOSFixesTheHeights) {
    auto* menu = CreateComponent<TskPopupMenu>(form_);
    menu->SetUIStyle(MacOS);
    menu->SetMenuItemHeight(30);
    EXPECT_EQ(menu->MenuItemHeight(), 20);
    EXPECT_EQ(menu->SeparatorHeight(), 12);
    menu->SetUIStyle(DeepBlue);
    EXPECT_EQ(menu->MenuItemHeight(), 21);
    menu->SetMenuItemHeight(30);
    EXPECT_EQ(menu->MenuItemHeight(), 30);
    // The colours come from the style.
    EXPECT_EQ(menu->SelectedColor(), GetBuiltinThemeColor(DeepBlue, tiMenuSelectedBackgroundColor));
    EXPECT_EQ(menu->Color(), GetBuiltinThemeColor(DeepBlue, tiMenuBackgroundColor));
    EXPECT_EQ(menu->BarWidth(), 26);
}

TEST_F(SkinMenus, DrawnItems) {
    auto* menu = CreateComponent<TskPopupMenu>(form_);
    menu->SetUIStyle(Protein);
    TMenuItem* item = AddItem(menu->Items(), "Open", form_);
    TMenuItem* line = AddItem(menu->Items(), "-", form_);
    TMenuItem* off = AddItem(menu->Items(), "Off", form_);
    off->SetEnabled(false);
    const TRect R = Rect(0, 10, 200, 31);
    struct Case {
        TMenuItem* item;
        bool selected;
        TColor barAt;  // pixel (5, 12)
        TColor bodyAt; // pixel (150, 12): right of the text
    } cases[] = {
        {item, false, menu->BarColor(), menu->Color()},
        {item, true, menu->SelectedColor(), menu->SelectedColor()},
        {off, true, menu->BarColor(), menu->Color()}, // disabled: never the selected look
        {line, false, menu->BarColor(), menu->Color()},
    };
    for (const Case& k : cases) {
        auto b = Surface();
        k.item->DrawItem(b->Canvas(), R, k.selected);
        EXPECT_EQ(b->Canvas()->Pixels(5, 12), k.barAt) << k.item->Caption() << k.selected;
        EXPECT_EQ(b->Canvas()->Pixels(150, 13), k.bodyAt) << k.item->Caption() << k.selected;
        EXPECT_EQ(b->Canvas()->Pixels(5, 5), clBlack); // nothing outside the rectangle
    }
    // The separator: one line 2 below the top, from 4 right of the bar to 2 before the end.
    auto b = Surface();
    line->DrawItem(b->Canvas(), R, false);
    EXPECT_EQ(b->Canvas()->Pixels(30, 12), menu->SeparatorColor());
    EXPECT_EQ(b->Canvas()->Pixels(197, 12), menu->SeparatorColor());
    EXPECT_EQ(b->Canvas()->Pixels(29, 12), menu->Color());
    EXPECT_EQ(b->Canvas()->Pixels(198, 12), menu->Color());
    EXPECT_EQ(b->Canvas()->Pixels(100, 13), menu->Color());
    // Disabled text is grey: some pixel of the text area is $808080.
    auto d = Surface();
    off->DrawItem(d->Canvas(), R, false);
    bool grey = false;
    for (int x = 30; x < 60 && !grey; ++x)
        for (int y = 12; y < 30 && !grey; ++y)
            grey = d->Canvas()->Pixels(x, y) == TColor(0x808080);
    EXPECT_TRUE(grey);
}

TEST_F(SkinMenus, CheckedItemsShowTheMarkOrTheirImageOnASquare) {
    auto* menu = CreateComponent<TskPopupMenu>(form_);
    menu->SetUIStyle(DeepBlue);
    TMenuItem* item = AddItem(menu->Items(), "Check", form_);
    item->SetChecked(true);
    const TRect R = Rect(0, 0, 200, 21);
    auto plain = Surface();
    item->DrawItem(plain->Canvas(), R, false);
    // The check mark has dark pixels inside the side bar.
    bool mark = false;
    for (int x = 4; x < 20 && !mark; ++x)
        for (int y = 3; y < 19 && !mark; ++y)
            mark = plain->Canvas()->Pixels(x, y) != menu->BarColor();
    EXPECT_TRUE(mark);
    auto* images = CreateComponent<TImageList>(form_);
    auto red = skin_test::SolidBitmap(16, 16, clRed);
    images->Add(red.get(), nullptr);
    menu->SetImages(images);
    item->SetImageIndex(0);
    auto withImage = Surface();
    item->DrawItem(withImage->Canvas(), R, false);
    EXPECT_EQ(withImage->Canvas()->Pixels(2, 1), clBlack); // the square's frame
    EXPECT_EQ(withImage->Canvas()->Pixels(3, 2), menu->SelectedColor());
    EXPECT_EQ(withImage->Canvas()->Pixels(10, 10), clRed); // the image on it
}

TEST_F(SkinMenus, MainMenuImagesHideTheOwnCheckMarks) {
    auto* menu = CreateComponent<TskMainMenu>(form_);
    EXPECT_EQ(menu->Images(), nullptr);
    ASSERT_NE(menu->CheckMarks(), nullptr);
    auto* list = CreateComponent<TImageList>(form_);
    menu->SetImages(list);
    EXPECT_EQ(menu->Images(), list);
    menu->SetImages(nullptr);
    EXPECT_EQ(menu->Images(), nullptr);
}

TEST_F(SkinMenus, FlatMenusFrameTheirWindow) {
    // The item is drawn on a window's own device context, as the menu's window paints it.
    auto* window = CreateComponent<TPanel>(form_);
    window->SetParent(form_);
    window->SetBevelOuter(bvNone);
    window->SetBounds(10, 10, 120, 40);
    window->SetColor(clLime);
    ShowForm();
    auto* menu = CreateComponent<TskPopupMenu>(form_);
    menu->SetUIStyle(WinXP);
    TMenuItem* item = AddItem(menu->Items(), "Open", form_);
    const HWND h = window->Handle();
    auto drawn = [&](bool flat) {
        window->Repaint();
        menu->SetFlatMenu(flat);
        ObjectPtr<TCanvas> canvas = MakeObject<TCanvas>();
        HDC dc = GetDC(h);
        canvas->SetHandle(dc);
        // Each item is drawn clipped to its own rectangle.
        IntersectClipRect(dc, 3, 3, 117, 24);
        item->DrawItem(canvas.get(), Rect(3, 3, 117, 24), false);
        canvas->SetHandle(0);
        ReleaseDC(h, dc);
        Pump();
        std::vector<COLORREF> out;
        for (TPoint p : {Point(0, 1), Point(1, 2), Point(60, 39), Point(119, 20), Point(60, 0)})
            out.push_back(WindowPixel(window, p.x, p.y));
        return out;
    };
    const COLORREF lime = COLORREF(clLime);
    EXPECT_EQ(drawn(false), std::vector<COLORREF>(5, lime)) << "no frame: the window as it was";
    const COLORREF line = COLORREF(GetBuiltinThemeColor(WinXP, tiFormBackgroundColor));
    EXPECT_EQ(drawn(true), (std::vector<COLORREF>{0, 0xFFFFFF, line, line, line}))
        << "black frame, white ring, lines in the form colour";
    // Drawn where no window is (an off-screen bitmap): nothing more than the item.
    auto b = Surface();
    item->DrawItem(b->Canvas(), Rect(0, 0, 200, 21), false);
    EXPECT_EQ(b->Canvas()->Pixels(0, 30), clBlack);
}

TEST_F(SkinMenus, TheMainMenuPublishesThePopupMenusLook) {
    auto* main = CreateComponent<TskMainMenu>(form_);
    auto* popup = CreateComponent<TskPopupMenu>(form_);
    struct Case {
        const char* name;
        Int64 value;
    };
    const Case cases[] = {{"BarWidth", 30},
                          {"BarColor", 0x010203},
                          {"Color", 0x040506},
                          {"SeparatorColor", 0x070809},
                          {"SelectedBorderColor", 0x0A0B0C},
                          {"SelectedColor", 0x0D0E0F},
                          {"SelectedFontColor", 0x101112},
                          {"FontColor", 0x131415},
                          {"BorderColor", 0x161718},
                          {"FlatMenu", 1},
                          {"FontCharset", 134},
                          {"FontSize", 11},
                          {"UseSystemFont", 0}};
    for (const Case& c : cases) {
        for (TComponent* menu : {static_cast<TComponent*>(main), static_cast<TComponent*>(popup)}) {
            ASSERT_TRUE(HasPublishedProperty(menu, c.name)) << menu->ClassName() << " " << c.name;
            SetOrdProp(menu, c.name, c.value);
            EXPECT_EQ(GetOrdProp(menu, c.name), c.value) << menu->ClassName() << " " << c.name;
        }
    }
    // What is stored is what the items are drawn with.
    EXPECT_EQ(main->Look().BarWidth, 30);
    EXPECT_EQ(main->Look().SelectedColor, 0x0D0E0F);
    EXPECT_TRUE(main->Look().FlatMenu);
    EXPECT_EQ(main->Look().FontCharset, 134);
}

class SkinMainMenu : public SkinFormFixture {};

TEST_F(SkinMainMenu, ShownAsTheFormsMenuBarAndRebuiltWhenItemsChange) {
    auto* menu = CreateComponent<TskMainMenu>(form_);
    EXPECT_EQ(skin_->Menu(), menu); // found the skin of its form
    EXPECT_EQ(menu->SkinForm(), skin_);
    EXPECT_EQ(form_->Menu(), nullptr);
    TMenuItem* file = AddItem(menu->Items(), "&File", form_);
    AddItem(file, "&Open", form_);
    AddItem(menu->Items(), "&Help", form_);
    ASSERT_NE(skin_->MenuBar(), nullptr);
    ASSERT_EQ(skin_->MenuBar()->ButtonCount(), 2);
    EXPECT_EQ(skin_->MenuBar()->Buttons(0)->MenuItem(), file);
    // A caption changed at run time reaches its button.
    file->SetCaption("&Datei");
    EXPECT_EQ(skin_->MenuBar()->Buttons(0)->Caption(), "&Datei");
    // A new top-level item gets a button of its own.
    AddItem(menu->Items(), "&Tools", form_);
    ASSERT_EQ(skin_->MenuBar()->ButtonCount(), 3);
    EXPECT_EQ(skin_->MenuBar()->Buttons(2)->MenuItem()->Caption(), "&Tools");
    ShowForm();
    EXPECT_EQ(form_->Menu(), nullptr);
    // The title bar stays on top of the menu bar.
    EXPECT_LT(skin_->TitleBar()->Top(), skin_->MenuBar()->Top());
    // Freeing the menu takes the bar away.
    menu->Free();
    EXPECT_EQ(skin_->Menu(), nullptr);
    EXPECT_EQ(skin_->MenuBar(), nullptr);
}

TEST_F(SkinMainMenu, ShortcutsWorkWithoutANativeMenu) {
    auto* menu = CreateComponent<TskMainMenu>(form_);
    TMenuItem* file = AddItem(menu->Items(), "&File", form_);
    TMenuItem* save = AddItem(file, "&Save", form_);
    save->SetShortCut(ShortCut('S', TShiftState{ssCtrl}));
    int saved = 0;
    save->OnClick = [&](TObject*) { ++saved; };
    ShowForm();
    form_->SetFocus();
    app_->ProcessMessages();
    screen().PressKey('S', false, /*ctrl=*/true);
    app_->ProcessMessages();
    EXPECT_EQ(saved, 1);
}

} // namespace
