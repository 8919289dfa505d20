#include "framework/DialogControls.h"

#include "framework/Application.h"
#include "framework/Frame3D.h"
#include "platform/Utf8.h"
#include "platform/gdi/Rect.h"
#include "platform/user/Backend.h"
#include "platform/user/User.h"

#include <algorithm>

namespace {

// The byte offset one character before or after pos in UTF-8 text.
int PrevChar(const String& s, int pos) {
    return pos <= 0 ? 0 : static_cast<int>(utf8::Previous(s, static_cast<size_t>(pos)));
}

int NextChar(const String& s, int pos) {
    return pos < 0 ? 0 : static_cast<int>(utf8::Next(s, static_cast<size_t>(pos)));
}

} // namespace

void DrawPlainFrame(TCanvas* canvas, const TRect& r, bool sunken) {
    TRect edge = r;
    Frame3D(canvas, edge, sunken ? clBtnShadow : clBtnHighlight,
            sunken ? clBtnHighlight : clBtnShadow, 1);
}

bool DisplayCanShowDialogs() {
    return user::CurrentDisplayBackend().ShowsWindows();
}

void PlaceDialogForm(TCustomForm* dialog) {
    TRect area = Screen ? Screen->WorkAreaRect() : Rect(0, 0, 0, 0);
    TCustomForm* over = Screen ? Screen->ActiveForm() : nullptr;
    if (!over || over == dialog) over = Application ? Application->MainForm() : nullptr;
    TRect r = over && over != dialog && over->Visible() ? over->BoundsRect() : area;
    int w = dialog->Width(), h = dialog->Height();
    int x = r.left + ((r.right - r.left) - w) / 2;
    int y = r.top + ((r.bottom - r.top) - h) / 2;
    x = std::max<int>(area.left, std::min<int>(x, area.right - w));
    y = std::max<int>(area.top, std::min<int>(y, area.bottom - h));
    dialog->SetPosition(poDesigned);
    dialog->SetBounds(x, y, w, h);
}

// --- TDialogButton --------------------------------------------------------------------------

void TDialogButton::Create(TComponent* AOwner) {
    inherited::Create(AOwner);
    SetTabStop(true);
    SetBounds(0, 0, 75, 25);
}

void TDialogButton::SetDefault(bool v) {
    default_ = v;
    Invalidate();
}

void TDialogButton::Click() {
    if (modalResult_ != mrNone)
        if (TCustomForm* form = GetParentForm(this)) form->SetModalResult(modalResult_);
    inherited::Click();
}

void TDialogButton::Paint() {
    TCanvas* c = Canvas();
    TRect r = ClientRect();
    c->Brush()->SetColor(pressed_ ? clBtnShadow : clBtnFace);
    c->FillRect(r);
    c->Brush()->SetColor(Focused() || default_ ? clWindowText : clBtnShadow);
    c->FrameRect(r);
    if (Focused() && default_) {
        TRect inner = r;
        InflateRect(&inner, -1, -1);
        c->FrameRect(inner);
    }
    c->Font()->Assign(Font());
    c->Font()->SetColor(Enabled() ? clBtnText : clGrayText);
    c->Brush()->SetStyle(bsClear);
    TSize size = c->TextExtent(Caption());
    int dx = pressed_ ? 1 : 0;
    c->TextOut((r.right - size.cx) / 2 + dx, (r.bottom - size.cy) / 2 + dx, Caption());
    if (Focused()) {
        TRect focus = r;
        InflateRect(&focus, -3, -3);
        c->Brush()->SetStyle(bsSolid);
        c->DrawFocusRect(focus);
    }
}

void TDialogButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (Button == mbLeft) {
        if (CanFocus() && !Focused()) SetFocus();
        pressed_ = true;
        Invalidate();
    }
    inherited::MouseDown(Button, Shift, X, Y);
}

void TDialogButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (Button == mbLeft && pressed_) {
        pressed_ = false;
        Invalidate();
    }
    // TControl runs Click for a release inside the control.
    inherited::MouseUp(Button, Shift, X, Y);
}

void TDialogButton::KeyDown(Word& Key, TShiftState Shift) {
    inherited::KeyDown(Key, Shift);
    if (Key == VK_SPACE) {
        pressed_ = true;
        Invalidate();
        Key = 0;
    }
}

void TDialogButton::KeyUp(Word& Key, TShiftState Shift) {
    inherited::KeyUp(Key, Shift);
    if (Key == VK_SPACE && pressed_) {
        pressed_ = false;
        Invalidate();
        Key = 0;
        Click();
    }
}

void TDialogButton::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case CM_DIALOGKEY: {
        // Enter presses the focused button, else the default one; Esc the cancel one.
        bool enter = Message.WParam == VK_RETURN;
        bool esc = Message.WParam == VK_ESCAPE;
        TCustomForm* form = GetParentForm(this);
        TWinControl* focused = form ? form->FocusedControl() : nullptr;
        bool otherButtonFocused =
            focused && focused != this && dynamic_cast<TDialogButton*>(focused);
        if (EnabledThroughParents() && Visible() &&
            ((enter && (Focused() || (default_ && !otherButtonFocused))) || (esc && cancel_))) {
            Click();
            Message.Result = 1;
            return;
        }
        break;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        Invalidate();
        break;
    default:
        break;
    }
    inherited::Dispatch(Message);
}

// --- TDialogEdit ----------------------------------------------------------------------------

void TDialogEdit::Create(TComponent* AOwner) {
    inherited::Create(AOwner);
    SetTabStop(true);
    SetColor(clWindow);
    SetCursor(crIBeam);
    SetBounds(0, 0, 121, 21);
}

void TDialogEdit::SetText(const String& v) {
    if (v == Text()) return;
    inherited::SetText(v);
    caret_ = anchor_ = static_cast<int>(v.size());
    scroll_ = 0;
    Changed();
}

int TDialogEdit::SelStart() const {
    return std::min(caret_, anchor_);
}
int TDialogEdit::SelLength() const {
    return std::abs(caret_ - anchor_);
}

void TDialogEdit::SetSelStart(int v) {
    caret_ = anchor_ = std::clamp(v, 0, static_cast<int>(Text().size()));
    Invalidate();
}

void TDialogEdit::SetSelLength(int v) {
    anchor_ = SelStart();
    caret_ = std::clamp(anchor_ + std::max(0, v), 0, static_cast<int>(Text().size()));
    Invalidate();
}

void TDialogEdit::SelectAll() {
    anchor_ = 0;
    caret_ = static_cast<int>(Text().size());
    Invalidate();
}

void TDialogEdit::Changed() {
    Invalidate();
    if (OnChange) OnChange(this);
}

void TDialogEdit::ReplaceSelection(const String& with) {
    String t = Text();
    int start = SelStart();
    t.replace(static_cast<size_t>(start), static_cast<size_t>(SelLength()), with);
    TControl::SetText(t);
    if (HandleAllocated()) SetWindowText(Handle(), t.c_str());
    caret_ = anchor_ = start + static_cast<int>(with.size());
    Changed();
}

void TDialogEdit::MoveCaret(int to, bool extend) {
    caret_ = std::clamp(to, 0, static_cast<int>(Text().size()));
    if (!extend) anchor_ = caret_;
    Invalidate();
}

int TDialogEdit::PositionAt(int x) {
    TCanvas* c = Canvas();
    c->Font()->Assign(Font());
    const String& t = Text();
    int target = x - 3 + scroll_;
    int pos = 0;
    while (pos < static_cast<int>(t.size())) {
        int next = NextChar(t, pos);
        int mid = (c->TextWidth(t.substr(0, static_cast<size_t>(pos))) +
                   c->TextWidth(t.substr(0, static_cast<size_t>(next)))) /
                  2;
        if (target < mid) break;
        pos = next;
    }
    return pos;
}

void TDialogEdit::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (Button == mbLeft) {
        if (CanFocus() && !Focused()) SetFocus();
        MoveCaret(PositionAt(X), Shift.Contains(ssShift));
    }
    inherited::MouseDown(Button, Shift, X, Y);
}

void TDialogEdit::KeyDown(Word& Key, TShiftState Shift) {
    inherited::KeyDown(Key, Shift);
    bool shift = Shift.Contains(ssShift);
    const String& t = Text();
    switch (Key) {
    case VK_LEFT:
        MoveCaret(PrevChar(t, caret_), shift);
        break;
    case VK_RIGHT:
        MoveCaret(NextChar(t, caret_), shift);
        break;
    case VK_HOME:
        MoveCaret(0, shift);
        break;
    case VK_END:
        MoveCaret(static_cast<int>(t.size()), shift);
        break;
    case VK_DELETE:
        if (SelLength() == 0) anchor_ = NextChar(t, caret_);
        if (SelLength() > 0) ReplaceSelection("");
        break;
    case 'A':
        if (Shift.Contains(ssCtrl)) SelectAll();
        return;
    default:
        return;
    }
    Key = 0;
}

void TDialogEdit::KeyPress(char& Key) {
    inherited::KeyPress(Key);
    // A character past ASCII is typed from its message, which keeps its code point.
    if (Key == 0 || Key == kNonAsciiKeyPress) return;
    if (Key == '\b') {
        if (SelLength() == 0) anchor_ = PrevChar(Text(), caret_);
        if (SelLength() > 0) ReplaceSelection("");
    } else if (static_cast<unsigned char>(Key) >= 0x20 && Key != 0x7F) {
        ReplaceSelection(String(1, Key));
    } else {
        return;
    }
    Key = 0;
}

void TDialogEdit::Paint() {
    TCanvas* c = Canvas();
    TRect r = ClientRect();
    c->Brush()->SetColor(Enabled() ? Color() : clBtnFace);
    c->FillRect(r);
    c->Brush()->SetColor(Focused() ? clHighlight : clBtnShadow);
    c->FrameRect(r);
    c->Font()->Assign(Font());
    const String& t = Text();
    int textH = c->TextHeight("Ag");
    int y = (r.bottom - textH) / 2;
    int caretX = c->TextWidth(t.substr(0, static_cast<size_t>(caret_)));
    // Keep the caret in view.
    int room = std::max(1, r.right - 6);
    if (caretX - scroll_ > room) scroll_ = caretX - room;
    if (caretX < scroll_) scroll_ = caretX;
    int x0 = 3 - scroll_;
    TRect inner = Rect(1, 1, r.right - 1, r.bottom - 1);
    c->Brush()->SetStyle(bsClear);
    c->Font()->SetColor(Enabled() ? clWindowText : clGrayText);
    c->TextRect(inner, x0, y, t);
    if (Focused() && SelLength() > 0) {
        int s = SelStart(), e = s + SelLength();
        int sx = x0 + c->TextWidth(t.substr(0, static_cast<size_t>(s)));
        int ex = x0 + c->TextWidth(t.substr(0, static_cast<size_t>(e)));
        TRect sel = Rect(std::max(sx, 1), y, std::min(ex, r.right - 1), y + textH);
        c->Brush()->SetColor(clHighlight);
        c->FillRect(sel);
        c->Font()->SetColor(clHighlightText);
        c->Brush()->SetStyle(bsClear);
        c->TextRect(sel, sx, y, t.substr(static_cast<size_t>(s), static_cast<size_t>(e - s)));
    }
    if (Focused()) {
        c->Pen()->SetColor(clWindowText);
        c->MoveTo(x0 + caretX, y);
        c->LineTo(x0 + caretX, y + textH);
    }
}

void TDialogEdit::DefaultHandler(TMessage& Message) {
    if (Message.Msg == WM_CHAR && Message.WParam >= 0x80) {
        String typed;
        utf8::Append(typed, static_cast<char32_t>(Message.WParam));
        ReplaceSelection(typed);
        Message.Result = 0;
        return;
    }
    inherited::DefaultHandler(Message);
}

void TDialogEdit::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case WM_GETDLGCODE:
        Message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
        return;
    case WM_SETFOCUS:
        // Coming to the field selects its text, so typing replaces it (a click then
        // places the caret where it lands).
        SelectAll();
        break;
    case WM_KILLFOCUS:
        Invalidate();
        break;
    default:
        break;
    }
    inherited::Dispatch(Message);
}

// --- TDialogLabel ---------------------------------------------------------------------------

void TDialogLabel::Create(TComponent* AOwner) {
    inherited::Create(AOwner);
    SetBounds(0, 0, 65, 17);
}

void TDialogLabel::SetText(const String& v) {
    if (v == Text()) return;
    inherited::SetText(v);
    Invalidate();
}

std::vector<String> TDialogLabel::LinesFor(TCanvas* canvas, int width) {
    std::vector<String> lines;
    const String& t = Text();
    size_t start = 0;
    while (start <= t.size()) {
        size_t end = t.find('\n', start);
        String para = t.substr(start, end == String::npos ? String::npos : end - start);
        if (!para.empty() && para.back() == '\r') para.pop_back();
        if (!wordWrap_) {
            lines.push_back(para);
        } else {
            String line;
            size_t i = 0;
            while (i <= para.size()) {
                size_t sp = para.find(' ', i);
                String word = para.substr(i, sp == String::npos ? String::npos : sp - i);
                String tryLine = line.empty() ? word : line + " " + word;
                if (!line.empty() && canvas->TextWidth(tryLine) > width) {
                    lines.push_back(line);
                    line = word;
                } else {
                    line = tryLine;
                }
                if (sp == String::npos) break;
                i = sp + 1;
            }
            lines.push_back(line);
        }
        if (end == String::npos) break;
        start = end + 1;
    }
    return lines;
}

void TDialogLabel::Paint() {
    TCanvas* c = Canvas();
    c->Font()->Assign(Font());
    c->Brush()->SetStyle(bsClear);
    TRect r = ClientRect();
    String t = Text();
    if (ellipsisAtStart_ && c->TextWidth(t) > r.right) {
        // Cut whole characters from the front until "..." and the rest fit.
        size_t cut = 0;
        while (cut < t.size() && c->TextWidth("..." + t.substr(cut)) > r.right) {
            cut = utf8::Next(t, cut);
        }
        t = "..." + t.substr(cut);
        c->TextRect(r, 0, 0, t);
        return;
    }
    int lineH = c->TextHeight("Ag");
    int y = 0;
    for (const String& line : LinesFor(c, r.right)) {
        c->TextRect(r, 0, y, line);
        y += lineH;
    }
}
