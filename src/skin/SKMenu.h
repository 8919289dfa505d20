#pragma once
// What both skinned menu kinds share: the drawing routines of their items and the look
// (colours, heights, side bar, font) that measures and draws every item in the menu's style.
#include "framework/Menus.h"
#include "skin/SKMgr.h"

class TImageList;

// Sets the item's measure and draw handlers and those of all its sub-items.
void SetMenuItemsOwnerDraw(TMenuItem* Item, const TMenuMeasureItemEvent& Measure,
                           const TMenuDrawItemEvent& Draw);

void FrameMenuRect(TCanvas* Canvas, const TRect& Rect, TColor Color);
void FillMenuRect(TCanvas* Canvas, const TRect& Rect, TColor Color);
// One line 2 pixels below the top, from 4 pixels right of the side bar to 2 before the end.
void DrawMenuSeparatorLine(TCanvas* Canvas, const TRect& Rect, TColor Color, int BarWidth);
// The MacOS pictures: "MACOS_MENU_BAR" cut to 12 rows, "MACOS_MENU_SELECT" and
// "MACOS_MENU_BAR" cut to 20, stretched over Rect.
void DrawMacSeparator(TCanvas* Canvas, const TRect& Rect);
void DrawMacSelected(TCanvas* Canvas, const TRect& Rect);
void DrawMacItem(TCanvas* Canvas, const TRect& Rect);
// A flat frame round the menu window, drawn at its edges. Dc, when given, is a DC that paints
// the window's client area already (a menu window is all client area), whose clip it ignores;
// without one the frame goes on the window's own DC.
void DrawFlatMenuFrame(HWND Window, TColor FrameColor, TColor LineColor, HDC Dc = 0);
// The system's menu font in the menu text colour; Font unchanged when it cannot be read.
void GetMenuFont(TFont* Font);

// The look of a skinned menu, held by each menu. The values are those of the style after
// ApplyStyle; the setters the menus publish write them.
struct TskMenuLook {
    TskUIStyle UIStyle = DeepBlue;
    TskFileTheme* FileTheme = nullptr;
    int MenuItemHeight = 21;
    int SeparatorHeight = 21;
    int BarWidth = 0;
    TColor BarColor = clBtnFace;
    TColor Color = clWhite;
    TColor SeparatorColor = 0x808080;
    TColor SelectedBorderColor = clHighlight;
    TColor SelectedColor = clHighlight;
    TColor SelectedFontColor = clWhite;
    TColor FontColor = clWhite;
    TColor BorderColor = 0;
    bool FlatMenu = false;
    String FontName = "MS Sans Serif";
    int FontSize = 8;
    TFontCharset FontCharset = 1;
    bool UseSystemFont = true;

    // Stores the style, the heights of its kind and its colours through the dispatch.
    void ApplyStyle(TskUIStyle Style);
    // Heights are fixed while the style is MacOS.
    void SetMenuItemHeight(int Value);
    void SetSeparatorHeight(int Value);
    // The font items are measured and drawn with.
    void SelectFont(TCanvas* Canvas) const;
    // Height by kind; width from the caption without its accelerator mark and the shortcut
    // text, both in the font the item is drawn with, plus the side bar and 40 pixels.
    void Measure(TMenuItem* Item, TCanvas* Canvas, int& Width, int& Height) const;
    // Images: the item images (nil: none); Checks: image 0 is the check mark.
    void Draw(TMenuItem* Item, TCanvas* Canvas, const TRect& Rect, bool Selected,
              TImageList* Images, TImageList* Checks) const;
};

// The look a skinned menu keeps and the properties of it that both menu kinds publish.
class TskMenuLookProperties {
public:
    TskUIStyle UIStyle() const { return look_.UIStyle; }
    TskFileTheme* FileTheme() const { return look_.FileTheme; }
    int MenuItemHeight() const { return look_.MenuItemHeight; }
    void SetMenuItemHeight(int Value) { look_.SetMenuItemHeight(Value); }
    int SeparatorHeight() const { return look_.SeparatorHeight; }
    void SetSeparatorHeight(int Value) { look_.SetSeparatorHeight(Value); }
    const String& FontName() const { return look_.FontName; }
    void SetFontName(const String& Value) { look_.FontName = Value; }
    int FontSize() const { return look_.FontSize; }
    void SetFontSize(int Value) { look_.FontSize = Value; }
    TFontCharset FontCharset() const { return look_.FontCharset; }
    void SetFontCharset(TFontCharset Value) { look_.FontCharset = Value; }
    bool UseSystemFont() const { return look_.UseSystemFont; }
    int BarWidth() const { return look_.BarWidth; }
    void SetBarWidth(int Value) { look_.BarWidth = Value; }
    TColor BarColor() const { return look_.BarColor; }
    void SetBarColor(TColor Value) { look_.BarColor = Value; }
    TColor Color() const { return look_.Color; }
    void SetColor(TColor Value) { look_.Color = Value; }
    TColor SeparatorColor() const { return look_.SeparatorColor; }
    void SetSeparatorColor(TColor Value) { look_.SeparatorColor = Value; }
    TColor SelectedBorderColor() const { return look_.SelectedBorderColor; }
    void SetSelectedBorderColor(TColor Value) { look_.SelectedBorderColor = Value; }
    TColor SelectedColor() const { return look_.SelectedColor; }
    void SetSelectedColor(TColor Value) { look_.SelectedColor = Value; }
    TColor SelectedFontColor() const { return look_.SelectedFontColor; }
    void SetSelectedFontColor(TColor Value) { look_.SelectedFontColor = Value; }
    TColor FontColor() const { return look_.FontColor; }
    void SetFontColor(TColor Value) { look_.FontColor = Value; }
    TColor BorderColor() const { return look_.BorderColor; }
    void SetBorderColor(TColor Value) { look_.BorderColor = Value; }
    // Draws the flat frame round the menu's window.
    bool FlatMenu() const { return look_.FlatMenu; }
    void SetFlatMenu(bool Value) { look_.FlatMenu = Value; }

protected:
    TskMenuLook look_;
};

// The look's properties both menu kinds publish, in the order they publish them; each menu
// adds its own OwnerDraw, Images and UseSystemFont.
template <class Menu> void DeclareMenuLookProperties(Published<Menu>& p) {
    p.Object("FileTheme", &Menu::FileTheme, &Menu::SetFileTheme)
        .Ordinal("UIStyle", &Menu::UIStyle, &Menu::SetUIStyle)
        .Ordinal("MenuItemHeight", &Menu::MenuItemHeight, &Menu::SetMenuItemHeight)
        .Ordinal("SeparatorHeight", &Menu::SeparatorHeight, &Menu::SetSeparatorHeight)
        .Ordinal("BarWidth", &Menu::BarWidth, &Menu::SetBarWidth)
        .Ordinal("BarColor", &Menu::BarColor, &Menu::SetBarColor)
        .Ordinal("Color", &Menu::Color, &Menu::SetColor)
        .Ordinal("SeparatorColor", &Menu::SeparatorColor, &Menu::SetSeparatorColor)
        .Ordinal("SelectedBorderColor", &Menu::SelectedBorderColor, &Menu::SetSelectedBorderColor)
        .Ordinal("SelectedColor", &Menu::SelectedColor, &Menu::SetSelectedColor)
        .Ordinal("SelectedFontColor", &Menu::SelectedFontColor, &Menu::SetSelectedFontColor)
        .Ordinal("FontColor", &Menu::FontColor, &Menu::SetFontColor)
        .Ordinal("BorderColor", &Menu::BorderColor, &Menu::SetBorderColor)
        .Ordinal("FlatMenu", &Menu::FlatMenu, &Menu::SetFlatMenu)
        .Text("FontName", &Menu::FontName, &Menu::SetFontName)
        .Ordinal("FontSize", &Menu::FontSize, &Menu::SetFontSize)
        .Ordinal("FontCharset", &Menu::FontCharset, &Menu::SetFontCharset)
        .Ordinal("UseSystemFont", &Menu::UseSystemFont, &Menu::SetUseSystemFont);
}

// A list holding "MENU_CHECKED" added masked with white: the check mark of the menus.
ObjectPtr<TImageList> MakeCheckMarkList();
