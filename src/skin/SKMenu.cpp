#include "skin/SKMenu.h"

#include "framework/ImageList.h"
#include "framework/MenuPopup.h"
#include "framework/Resources.h"
#include "platform/gdi/Gdi.h"
#include "platform/user/User.h"

#include <cstring>

void SetMenuItemsOwnerDraw(TMenuItem* Item, const TMenuMeasureItemEvent& Measure,
                           const TMenuDrawItemEvent& Draw) {
    if (!Item) return;
    Item->OnMeasureItem = Measure;
    Item->OnDrawItem = Draw;
    for (int i = 0; i < Item->Count(); ++i)
        SetMenuItemsOwnerDraw(Item->Items(i), Measure, Draw);
}

void FrameMenuRect(TCanvas* Canvas, const TRect& Rect, TColor Color) {
    Canvas->Brush()->SetStyle(bsSolid);
    Canvas->Brush()->SetColor(Color);
    Canvas->FrameRect(Rect);
}

void FillMenuRect(TCanvas* Canvas, const TRect& Rect, TColor Color) {
    Canvas->Brush()->SetStyle(bsSolid);
    Canvas->Brush()->SetColor(Color);
    Canvas->FillRect(Rect);
}

void DrawMenuSeparatorLine(TCanvas* Canvas, const TRect& Rect, TColor Color, int BarWidth) {
    Canvas->Pen()->SetColor(Color);
    Canvas->MoveTo(Rect.left + BarWidth + 4, Rect.top + 2);
    Canvas->LineTo(Rect.right - 2, Rect.top + 2);
}

namespace {

void DrawMacStrip(TCanvas* Canvas, const TRect& Rect, const char* name, int rows) {
    RegisterBuiltinThemeArt();
    auto strip = MakeObject<TBitmap>();
    try {
        strip->LoadFromResourceName(HInstance, name);
    } catch (const EResNotFound&) {
        return;
    }
    strip->SetHeight(rows);
    Canvas->StretchDraw(Rect, strip.get());
}

} // namespace

void DrawMacSeparator(TCanvas* Canvas, const TRect& Rect) {
    DrawMacStrip(Canvas, Rect, "MACOS_MENU_BAR", 12);
}
void DrawMacSelected(TCanvas* Canvas, const TRect& Rect) {
    DrawMacStrip(Canvas, Rect, "MACOS_MENU_SELECT", 20);
}
void DrawMacItem(TCanvas* Canvas, const TRect& Rect) {
    DrawMacStrip(Canvas, Rect, "MACOS_MENU_BAR", 20);
}

void DrawFlatMenuFrame(HWND Window, TColor FrameColor, TColor LineColor, HDC Dc) {
    RECT r;
    if (!Window || !GetWindowRect(Window, &r)) return;
    // The menu window's rectangle in the coordinates of the DC it is drawn on.
    RECT R{0, 0, r.right - r.left, r.bottom - r.top};
    HDC dc = Dc;
    if (dc) {
        POINT origin{0, 0};
        ClientToScreen(Window, &origin);
        OffsetRect(&R, r.left - origin.x, r.top - origin.y);
        // The frame lies outside the item being drawn, where the item's clip would keep it off.
        SaveDC(dc);
        SelectClipRgn(dc, 0);
    } else {
        dc = GetWindowDC(Window);
    }
    if (!dc) return;
    RECT outer{R.left, R.top + 1, R.right - 1, R.bottom - 1};
    HBRUSH frame = CreateSolidBrush(ColorToRGB(FrameColor));
    FrameRect(dc, &outer, frame);
    DeleteObject(frame);
    RECT inner{outer.left + 1, outer.top + 1, outer.right - 1, outer.bottom - 1};
    HBRUSH white = CreateSolidBrush(RGB(255, 255, 255));
    FrameRect(dc, &inner, white);
    DeleteObject(white);
    HPEN pen = CreatePen(0, 1, ColorToRGB(LineColor));
    HGDIOBJ old = SelectObject(dc, pen);
    MoveToEx(dc, R.left, R.bottom - 1, nullptr);
    LineTo(dc, R.right - 1, R.bottom - 1);
    LineTo(dc, R.right - 1, R.top);
    LineTo(dc, R.right, R.top);
    LineTo(dc, R.left, R.top);
    SelectObject(dc, old);
    DeleteObject(pen);
    if (Dc)
        RestoreDC(dc, -1);
    else
        ReleaseDC(Window, dc);
}

void GetMenuFont(TFont* Font) {
    if (!Font) return;
    NONCLIENTMETRICS metrics;
    if (!SystemParametersInfo(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0)) return;
    const LOGFONT& lf = metrics.lfMenuFont;
    Font->SetName(String(lf.lfFaceName, strnlen(lf.lfFaceName, sizeof(lf.lfFaceName))));
    if (lf.lfHeight != 0) Font->SetHeight(lf.lfHeight);
    TFontStyles style;
    if (lf.lfWeight >= 700) style.Include(fsBold);
    if (lf.lfItalic) style.Include(fsItalic);
    Font->SetStyle(style);
    Font->SetCharset(lf.lfCharSet);
    Font->SetColor(clMenuText);
}

// --- the look ------------------------------------------------------------------------------

void TskMenuLook::ApplyStyle(TskUIStyle Style) {
    UIStyle = Style;
    BarWidth = 26;
    if (Style == MacOS) {
        MenuItemHeight = 20;
        SeparatorHeight = 12;
        SeparatorColor = 0;
    } else {
        MenuItemHeight = 21;
        SeparatorHeight = 5;
        SeparatorColor = 0x848284;
    }
    BarColor = SkinColor(FileTheme, Style, tiMenuBarColor);
    Color = SkinColor(FileTheme, Style, tiMenuBackgroundColor);
    FontColor = SkinColor(FileTheme, Style, tiMenuFontColor);
    SelectedBorderColor = SkinColor(FileTheme, Style, tiMenuSelectedBorderColor);
    SelectedColor = SkinColor(FileTheme, Style, tiMenuSelectedBackgroundColor);
    SelectedFontColor = SkinColor(FileTheme, Style, tiMenuSelectedFontColor);
}

void TskMenuLook::SetMenuItemHeight(int Value) {
    if (UIStyle != MacOS) MenuItemHeight = Value;
}

void TskMenuLook::SetSeparatorHeight(int Value) {
    if (UIStyle != MacOS) SeparatorHeight = Value;
}

void TskMenuLook::SelectFont(TCanvas* Canvas) const {
    TFont* f = Canvas->Font();
    if (UseSystemFont) {
        GetMenuFont(f);
        return;
    }
    f->SetName(FontName);
    f->SetSize(FontSize);
    f->SetCharset(FontCharset);
}

void TskMenuLook::Measure(TMenuItem* Item, TCanvas* Canvas, int& Width, int& Height) const {
    Height = Item->IsLine() ? SeparatorHeight : MenuItemHeight;
    SelectFont(Canvas);
    if (Item->Default()) {
        TFontStyles bold = Canvas->Font()->Style();
        bold.Include(fsBold);
        Canvas->Font()->SetStyle(bold);
    }
    Width = Canvas->TextWidth(StripHotkey(Item->Caption())) +
            Canvas->TextWidth(ShortCutToText(Item->ShortCut())) + BarWidth + 40;
}

void TskMenuLook::Draw(TMenuItem* Item, TCanvas* Canvas, const TRect& R, bool Selected,
                       TImageList* Images, TImageList* Checks) const {
    if (FlatMenu)
        if (HWND window = WindowFromDC(Canvas->Handle()))
            DrawFlatMenuFrame(window, clBlack, SkinColor(FileTheme, UIStyle, tiFormBackgroundColor),
                              Canvas->Handle());
    auto fillPlain = [&] {
        if (BarWidth > 0)
            FillMenuRect(Canvas, Rect(R.left, R.top, R.left + BarWidth, R.bottom), BarColor);
        FillMenuRect(Canvas, Rect(R.left + BarWidth, R.top, R.right, R.bottom), Color);
    };
    if (Item->IsLine()) {
        if (UIStyle == MacOS) {
            DrawMacSeparator(Canvas, R);
        } else {
            fillPlain();
            DrawMenuSeparatorLine(Canvas, R, SeparatorColor, BarWidth);
        }
        return;
    }
    const bool enabled = Item->Enabled();
    if (Selected && enabled) {
        if (UIStyle == MacOS) {
            DrawMacSelected(Canvas, R);
        } else {
            FillMenuRect(Canvas, R, SelectedColor);
            FrameMenuRect(Canvas, R, SelectedBorderColor);
        }
    } else if (UIStyle == MacOS) {
        DrawMacItem(Canvas, R);
    } else {
        fillPlain();
    }
    SelectFont(Canvas);
    Canvas->Brush()->SetStyle(bsClear);
    Canvas->Font()->SetColor(!enabled   ? TColor(0x808080)
                             : Selected ? SelectedFontColor
                                        : FontColor);
    if (Item->Default()) {
        TFontStyles bold = Canvas->Font()->Style();
        bold.Include(fsBold);
        Canvas->Font()->SetStyle(bold);
    }
    DrawMenuText(Canvas, Item->Caption(), Rect(R.left + BarWidth + 4, R.top + 4, R.right, R.bottom),
                 DT_SINGLELINE | DT_LEFT);
    const String shortcut = ShortCutToText(Item->ShortCut());
    if (!shortcut.empty())
        DrawMenuText(Canvas, shortcut,
                     Rect(R.right - Canvas->TextWidth(shortcut) - 16, R.top + 4, R.right, R.bottom),
                     DT_SINGLELINE | DT_LEFT | DT_NOPREFIX);
    const bool usableImage =
        Images && Item->ImageIndex() != -1 && Item->ImageIndex() < Images->Count();
    if (Item->Checked()) {
        if (usableImage) {
            FrameMenuRect(Canvas, Rect(R.left + 2, R.top + 1, R.left + 21, R.top + 20), clBlack);
            FillMenuRect(Canvas, Rect(R.left + 3, R.top + 2, R.left + 20, R.top + 19),
                         SelectedColor);
        } else if (Checks) {
            Checks->Draw(Canvas, R.left + 4, R.top + 3, 0, enabled);
        }
    }
    if (usableImage) Images->Draw(Canvas, R.left + 4, R.top + 3, Item->ImageIndex(), enabled);
}

ObjectPtr<TImageList> MakeCheckMarkList() {
    ObjectPtr<TImageList> list(CreateComponent<TImageList>(nullptr));
    RegisterBuiltinThemeArt();
    auto mark = MakeObject<TBitmap>();
    try {
        mark->LoadFromResourceName(HInstance, "MENU_CHECKED");
    } catch (const EResNotFound&) {
        return list;
    }
    mark->SetTransparent(true);
    list->SetWidth(mark->Width());
    list->SetHeight(mark->Height());
    list->AddMasked(mark.get(), clWhite);
    return list;
}
