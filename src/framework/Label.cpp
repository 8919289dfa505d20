#include "framework/Label.h"

#include "framework/FillSolid.h"
#include "framework/TextMeasure.h"
#include "platform/gdi/Dc.h"
#include "platform/gdi/Font.h"
#include "platform/gdi/Object.h"
#include "platform/gdi/Owned.h"
#include "rtl/AssignIfChanged.h"

#include <cctype>

bool IsAccel(Word Key, const String& Text) {
    for (size_t i = 0; i + 1 < Text.size(); ++i) {
        if (Text[i] != '&') continue;
        if (Text[i + 1] == '&') {
            ++i; // "&&" is a plain ampersand
            continue;
        }
        unsigned char c = static_cast<unsigned char>(Text[i + 1]);
        return std::toupper(c) == std::toupper(static_cast<unsigned char>(Key & 0xFF));
    }
    return false;
}

void TCustomLabel::Create(TComponent* AOwner) {
    inherited::Create(AOwner);
    ControlStyle() = TControlStyle{csCaptureMouse, csClickEvents,  csSetCaption,
                                   csOpaque,       csReplicatable, csDoubleClicks};
    SetBounds(0, 0, 65, 17);
    SetParentColor(true);
    SetAutoSize(true);
}

void TCustomLabel::Notification(TComponent* AComponent, TOperation Operation) {
    inherited::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == focusControl_) focusControl_ = nullptr;
}

String TCustomLabel::DisplayText() const {
    const String& text = Caption();
    if (text.empty() || (showAccelChar_ && text == "&")) return " ";
    return text;
}

void TCustomLabel::DoDrawText(HDC dc, TRect& Rect, UINT Flags) {
    DrawCaption(dc, Rect, Flags, Font()->Handle());
}

void TCustomLabel::DrawCaption(HDC dc, TRect& Rect, UINT Flags, HFONT font) {
    String text = DisplayText();
    Flags |= DT_EXPANDTABS;
    if (wordWrap_) Flags |= DT_WORDBREAK;
    if (!showAccelChar_) Flags |= DT_NOPREFIX;
    gdi::SavedDC saved(dc);
    SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ColorToRGB(Enabled() ? Font()->Color() : clGrayText));
    DrawText(dc, text.c_str(), static_cast<int>(text.size()), &Rect, Flags);
}

void TCustomLabel::Paint() {
    HDC dc = Canvas()->Handle();
    TRect client = ClientRect();
    if (!Transparent()) FillSolid(dc, client, Color());
    UINT flags = alignment_ == taCenter         ? DT_CENTER
                 : alignment_ == taRightJustify ? DT_RIGHT
                                                : DT_LEFT;
    TRect r = client;
    if (layout_ != tlTop) {
        TRect calc = client;
        DoDrawText(dc, calc, flags | DT_CALCRECT);
        int h = calc.bottom - calc.top;
        int free = (client.bottom - client.top) - h;
        int dy = layout_ == tlBottom ? free : free / 2;
        r.top += dy;
        r.bottom = r.top + h;
    }
    DoDrawText(dc, r, flags);
}

bool TCustomLabel::CanAutoSize(int& NewWidth, int& NewHeight) {
    TTextMeasure measure(Font());
    if (!measure.DC()) return false;
    TRect r = Rect(0, 0, wordWrap_ ? Width() : 0, 0);
    DrawCaption(measure.DC(), r, DT_CALCRECT, measure.FontHandle());
    if (!wordWrap_) NewWidth = r.right - r.left;
    NewHeight = r.bottom - r.top;
    return true;
}

void TCustomLabel::Loaded() {
    inherited::Loaded();
    AdjustBounds();
}

void TCustomLabel::TextChanged() {
    AdjustBounds();
    Invalidate();
}

void TCustomLabel::AdjustBounds() {
    if (AutoSize() && !ComponentState().Contains(csLoading)) {
        int w = Width(), h = Height();
        if (CanAutoSize(w, h)) {
            // A right-aligned label keeps its right edge, a centred one its middle.
            int left = Left();
            if (alignment_ == taRightJustify)
                left += Width() - w;
            else if (alignment_ == taCenter)
                left += (Width() - w) / 2;
            if (wordWrap_) left = Left();
            SetBounds(left, Top(), w, h);
        }
    }
}

void TCustomLabel::SetAlignment(TAlignment v) {
    if (AssignIfChanged(alignment_, v)) Invalidate();
}

void TCustomLabel::SetLayout(TTextLayout v) {
    if (AssignIfChanged(layout_, v)) Invalidate();
}

void TCustomLabel::SetWordWrap(bool v) {
    if (AssignIfChanged(wordWrap_, v)) TextChanged();
}

void TCustomLabel::SetTransparent(bool v) {
    if (Transparent() == v) return;
    if (v)
        ControlStyle().Exclude(csOpaque);
    else
        ControlStyle().Include(csOpaque);
    Invalidate();
}

void TCustomLabel::SetShowAccelChar(bool v) {
    if (AssignIfChanged(showAccelChar_, v)) TextChanged();
}

void TCustomLabel::SetFocusControl(TWinControl* v) {
    if (focusControl_ == v) return;
    if (focusControl_) focusControl_->RemoveFreeNotification(this);
    focusControl_ = v;
    if (v) v->FreeNotification(this);
}

bool TCustomLabel::HandleDialogChar(TMessage& Message) {
    if (!focusControl_ || !showAccelChar_ || !EnabledThroughParents() || !Visible()) return false;
    if (!IsAccel(static_cast<Word>(Message.WParam), Caption())) return false;
    if (!focusControl_->CanFocus()) return false;
    focusControl_->SetFocus();
    return true;
}

void TCustomLabel::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case CM_TEXTCHANGED:
    case CM_FONTCHANGED:
        TextChanged();
        return;
    case CM_DIALOGCHAR:
        if (HandleDialogChar(Message)) Message.Result = 1;
        return;
    default:
        break;
    }
    inherited::Dispatch(Message);
}
