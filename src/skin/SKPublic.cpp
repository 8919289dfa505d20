#include "skin/SKPublic.h"

#include "framework/Application.h"
#include "platform/gdi/Gdi.h"
#include "platform/user/MessageQueue.h"
#include "platform/user/Metrics.h"
#include "rtl/Properties.h"
#include "skin/SKMgr.h"

#include <algorithm>
#include <cmath>

namespace {

double Luminance(COLORREF c) {
    auto channel = [](int v) {
        const double s = v / 255.0;
        return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(GetRValue(c)) + 0.7152 * channel(GetGValue(c)) +
           0.0722 * channel(GetBValue(c));
}

} // namespace

double ContrastRatio(COLORREF A, COLORREF B) {
    const double la = Luminance(A), lb = Luminance(B);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

bool PointInRect(const TPoint& Point, const TRect& Rect) {
    return PointInRect(Point.x, Point.y, Rect);
}

bool PointInRect(int X, int Y, const TRect& Rect) {
    return X >= Rect.left && X <= Rect.right && Y >= Rect.top && Y <= Rect.bottom;
}

void GetWorkAreaRect(TRect& Rect) {
    RECT r{0, 0, 0, 0};
    SystemParametersInfo(SPI_GETWORKAREA, 0, &r, 0);
    Rect = r;
}

void SetControlPosition(TControl* Control, const TPoint& Point) {
    if (!Control) return;
    Control->SetLeft(Point.x);
    Control->SetTop(Point.y);
}

void SetControlBounds(TControl* Control, const TRect& Rect) {
    if (!Control) return;
    Control->SetLeft(Rect.left);
    Control->SetTop(Rect.top);
    Control->SetWidth(Rect.right - Rect.left);
    Control->SetHeight(Rect.bottom - Rect.top);
}

String PCharToStr(const char* Text) {
    return Text ? String(Text) : String();
}

bool HasPublishedProperty(const TComponent* Component, const String& Name) {
    return Component && IsPublishedProp(Component, Name);
}

bool FormHasFocus(TCustomForm* Form) {
    TCustomForm* main = Application ? Application->MainForm() : nullptr;
    if (!main) return Form && Form->Active();
    if (main->FormStyle() == fsMDIForm && main == Form) return true;
    if (!Application->Active()) return false;
    if (!Form || Form == main) return true;
    if (main->FormStyle() == fsMDIForm && main->ClientHandle() && Form->HandleAllocated() &&
        static_cast<HWND>(SendMessage(main->ClientHandle(), WM_MDIGETACTIVE, 0, 0)) ==
            Form->Handle())
        return true;
    return Form->Active();
}

void ContainerApplyUIStyle(TWinControl* Container, TskUIStyle UIStyle, TskFileTheme* FileTheme) {
    if (!Container) return;
    for (int i = 0; i < Container->ControlCount(); ++i) {
        TControl* child = Container->Controls(i);
        if (!HasPublishedProperty(child, "FileTheme") || !HasPublishedProperty(child, "UIStyle"))
            continue;
        SetObjectProp(child, "FileTheme", static_cast<TObject*>(FileTheme));
        SetOrdProp(child, "UIStyle", static_cast<Int64>(UIStyle));
    }
}

int DrawCanvasText(TCanvas* Canvas, const String& Text, TRect& Rect, UINT Flags) {
    if (!Canvas) return 0;
    Canvas->TextExtent(""); // puts the canvas's font into its device context
    HDC dc = Canvas->Handle();
    if (!dc) return 0;
    int saved = SaveDC(dc);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ColorToRGB(Canvas->Font()->Color()));
    RECT r = Rect;
    int height = DrawText(dc, Text.c_str(), static_cast<int>(Text.size()), &r, Flags);
    RestoreDC(dc, saved);
    if (Flags & DT_CALCRECT) Rect = r;
    return height;
}
