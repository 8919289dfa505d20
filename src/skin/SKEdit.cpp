#include "skin/SKEdit.h"

#include "platform/gdi/Gdi.h"
#include "platform/user/Clipboard.h"
#include "platform/user/Input.h"
#include "platform/user/MessageQueue.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstring>

// --- TskEdit -------------------------------------------------------------------------------

void TskEdit::DeclareProperties(Published<TskEdit>& p) {
    p.Ordinal("UIStyle", &TskEdit::UIStyle, &TskEdit::SetUIStyle);
    p.Object("FileTheme", &TskEdit::FileTheme, &TskEdit::SetFileTheme);
    p.Ordinal("BorderColor", &TskEdit::BorderColor, &TskEdit::SetBorderColor);
    p.Text("Text", &TskEdit::Text, &TskEdit::SetText);
}

void TskEdit::Create(TComponent* AOwner) {
    inherited::Create(AOwner);
    PrepareEditBorder(this);
    SetUIStyle(GetOwnerUIStyle(AOwner));
}

void TskEdit::Destroy() {
    LinkFileTheme(this, fileTheme_, nullptr);
    inherited::Destroy();
}

void TskEdit::SetBorderColor(TColor v) {
    borderColor_ = v;
    Invalidate();
    DrawFrame();
}

void TskEdit::SetUIStyle(TskUIStyle v) {
    uiStyle_ = v;
    borderColor_ = SkinColor(fileTheme_, uiStyle_, tiControlBorderColor);
    StyleChanged();
    Invalidate();
    DrawFrame();
}

void TskEdit::SetFileTheme(TskFileTheme* v) {
    LinkFileTheme(this, fileTheme_, v);
    SetUIStyle(uiStyle_);
}

void TskEdit::Notification(TComponent* AComponent, TOperation Operation) {
    inherited::Notification(AComponent, Operation);
    DropRemovedFileTheme(this, fileTheme_, AComponent, Operation);
}

void TskEdit::DrawFrame() {
    DrawEditBorder(this, borderColor_, Color(), true);
}

void TskEdit::Dispatch(TMessage& Message) {
    // The frame goes on after every repaint of the edit, so nothing paints it away.
    const bool repaint = RepaintsEditBorder(Message.Msg);
    inherited::Dispatch(Message);
    if (repaint) DrawFrame();
}

// --- TskSpinButtons ------------------------------------------------------------------------

void TskSpinButtons::DeclareProperties(Published<TskSpinButtons>& p) {
    p.Ordinal("UIStyle", &TskSpinButtons::UIStyle, &TskSpinButtons::SetUIStyle);
    p.Object("FileTheme", &TskSpinButtons::FileTheme, &TskSpinButtons::SetFileTheme);
}

void TskSpinButtons::Create(TComponent* AOwner) {
    inherited::Create(AOwner);
    ControlStyle().Exclude(csAcceptsControls);
    ControlStyle().Exclude(csSetCaption);
    ControlStyle().Include(csFramed);
    ControlStyle().Include(csOpaque);
    auto make = [this](TskArrowButtonType arrow) {
        auto* b = CreateComponent<TskArrowButton>(this);
        b->SetArrow(arrow);
        b->SetTabStop(false);
        b->SetMouseContinuouslyDownInterval(400);
        b->SetVisible(true);
        b->SetEnabled(true);
        b->SetParent(this);
        b->OnClick = [this](TObject* s) { ButtonClick(s); };
        b->OnMouseContinuouslyDown = [this](TObject* s) { ButtonClick(s); };
        return b;
    };
    up_ = make(skUp);
    down_ = make(skDown);
    SetBounds(Left(), Top(), 20, 25);
}

void TskSpinButtons::Destroy() {
    up_ = down_ = nullptr;
    inherited::Destroy();
}

TskUIStyle TskSpinButtons::UIStyle() const {
    return up_ ? up_->UIStyle() : DeepBlue;
}

void TskSpinButtons::SetUIStyle(TskUIStyle v) {
    if (up_) up_->SetUIStyle(v);
    if (down_) down_->SetUIStyle(v);
}

TskFileTheme* TskSpinButtons::FileTheme() const {
    return up_ ? up_->FileTheme() : nullptr;
}

void TskSpinButtons::SetFileTheme(TskFileTheme* v) {
    if (up_) up_->SetFileTheme(v);
    if (down_) down_->SetFileTheme(v);
    SetUIStyle(UIStyle());
}

void TskSpinButtons::ButtonClick(TObject* Sender) {
    if (Sender == up_ && OnUpClick) OnUpClick(this);
    if (Sender == down_ && OnDownClick) OnDownClick(this);
}

void TskSpinButtons::AdjustButtons(int& width, int height) {
    width = std::max(width, 15);
    if (!up_ || !down_ || ComponentState().Contains(csLoading)) return;
    const int upHeight = height / 2 + 1;
    up_->SetBounds(0, 0, width, upHeight);
    down_->SetBounds(0, upHeight - 1, width, height - upHeight + 1);
}

void TskSpinButtons::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    AdjustButtons(AWidth, AHeight);
    inherited::SetBounds(ALeft, ATop, AWidth, AHeight);
}

void TskSpinButtons::Loaded() {
    inherited::Loaded();
    int w = Width();
    AdjustButtons(w, Height());
    if (w != Width()) SetBounds(Left(), Top(), w, Height());
}

void TskSpinButtons::KeyDown(Word& Key, TShiftState Shift) {
    inherited::KeyDown(Key, Shift);
    if (Key == VK_UP && up_) up_->Click();
    if (Key == VK_DOWN && down_) down_->Click();
}

void TskSpinButtons::Dispatch(TMessage& Message) {
    if (Message.Msg == WM_SIZE) {
        inherited::Dispatch(Message);
        int w = Width();
        AdjustButtons(w, Height());
        if (w != Width()) SetBounds(Left(), Top(), w, Height());
        Message.Result = 0;
        return;
    }
    inherited::Dispatch(Message);
}

// --- TskSpinEdit ---------------------------------------------------------------------------

void TskSpinEdit::DeclareProperties(Published<TskSpinEdit>& p) {
    p.Ordinal("MinValue", &TskSpinEdit::MinValue, &TskSpinEdit::SetMinValue);
    p.Ordinal("MaxValue", &TskSpinEdit::MaxValue, &TskSpinEdit::SetMaxValue);
    p.Ordinal("Increment", &TskSpinEdit::Increment, &TskSpinEdit::SetIncrement);
    p.Ordinal("EditorEnabled", &TskSpinEdit::EditorEnabled, &TskSpinEdit::SetEditorEnabled);
}

void TskSpinEdit::Create(TComponent* AOwner) {
    inherited::Create(AOwner);
    buttons_ = CreateComponent<TskSpinButtons>(this);
    buttons_->SetBounds(0, 0, 15, 20);
    buttons_->SetVisible(true);
    buttons_->SetParent(this);
    buttons_->OnUpClick = [this](TObject*) { StepUp(); };
    buttons_->OnDownClick = [this](TObject*) { StepDown(); };
    SetText("0");
    StyleChanged();
}

void TskSpinEdit::Destroy() {
    buttons_ = nullptr;
    inherited::Destroy();
}

void TskSpinEdit::CreateParams(TCreateParams& Params) {
    inherited::CreateParams(Params);
    // The formatting rectangle keeps the text clear of the buttons; a single-line field can
    // have one here, so the window stays single-line (a multi-line one would take Tab).
    Params.Style |= WS_CLIPCHILDREN;
}

void TskSpinEdit::CreateWnd() {
    inherited::CreateWnd();
    SetEditRect();
}

void TskSpinEdit::SetEditRect() {
    if (!HandleAllocated() || !buttons_) return;
    RECT r{0, 0, ClientWidth() - buttons_->Width() - 2, ClientHeight() + 1};
    SendMessage(Handle(), EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&r));
}

void TskSpinEdit::PlaceButtons() {
    if (!buttons_) return;
    buttons_->SetBounds(Width() - buttons_->Width() - 4, 0, buttons_->Width(),
                        std::max(Height() - 4, 0));
}

void TskSpinEdit::StyleChanged() {
    if (!buttons_) return;
    buttons_->SetUIStyle(UIStyle());
    buttons_->SetFileTheme(FileTheme());
}

Int64 TskSpinEdit::Clamp(Int64 v) const {
    if (minValue_ == maxValue_) return v;
    const Int64 lo = std::min(minValue_, maxValue_), hi = std::max(minValue_, maxValue_);
    return std::clamp(v, lo, hi);
}

int TskSpinEdit::Value() {
    const String& text = Text();
    Int64 v = 0;
    const char* first = text.data();
    const char* last = text.data() + text.size();
    auto [end, error] = std::from_chars(first, last, v);
    if (error == std::errc::result_out_of_range) {
        // A number too long for the range reads as the range's end on its side.
        return text.size() > 0 && text[0] == '-' ? INT_MIN : INT_MAX;
    }
    if (error != std::errc() || end != last || text.empty()) return minValue_;
    return int(std::clamp<Int64>(v, INT_MIN, INT_MAX));
}

void TskSpinEdit::SetValue(Int64 v) {
    const Int64 clamped = std::clamp<Int64>(Clamp(v), INT_MIN, INT_MAX);
    SetText(std::to_string(clamped));
}

void TskSpinEdit::StepUp() {
    if (ReadOnly()) {
        MessageBeep(0);
        return;
    }
    SetValue(Int64(Value()) + increment_);
}

void TskSpinEdit::StepDown() {
    if (ReadOnly()) {
        MessageBeep(0);
        return;
    }
    SetValue(Int64(Value()) - increment_);
}

bool TskSpinEdit::AcceptsKey(char Key) {
    const bool control = Key >= 0 && Key < 32 && Key != '\r';
    const bool number = Key == '-' || (Key >= '0' && Key <= '9');
    if (!editorEnabled_) return control && Key != '\b';
    return control || number;
}

void TskSpinEdit::KeyDown(Word& Key, TShiftState Shift) {
    if (Key == VK_UP) StepUp();
    if (Key == VK_DOWN) StepDown();
    inherited::KeyDown(Key, Shift);
    // Delete changes the text as Backspace does: without the editor it is refused alike.
    if (Key == VK_DELETE && !editorEnabled_) {
        Key = 0;
        MessageBeep(0);
    }
}

void TskSpinEdit::KeyPress(char& Key) {
    if (!AcceptsKey(Key)) {
        Key = 0;
        MessageBeep(0);
    }
    if (Key != 0) inherited::KeyPress(Key);
}

void TskSpinEdit::PasteFiltered() {
    String text;
    if (!OpenClipboard(HandleAllocated() ? Handle() : 0)) return;
    if (HANDLE h = GetClipboardData(CF_TEXT)) {
        SIZE_T size = GlobalSize(h);
        if (auto* p = static_cast<const char*>(GlobalLock(h))) {
            text.assign(p, strnlen(p, size));
            GlobalUnlock(h);
        }
    }
    CloseClipboard();
    // What typing would refuse is left out of the paste, with the same beep.
    String kept;
    bool refused = false;
    for (char ch : text) {
        if (ch >= 0 && ch < 32) {
            refused = true; // line breaks and other control characters are not text here
            continue;
        }
        if (AcceptsKey(ch))
            kept += ch;
        else
            refused = true;
    }
    if (refused) MessageBeep(0);
    if (!kept.empty()) SetSelText(kept);
}

void TskSpinEdit::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case WM_SIZE:
        inherited::Dispatch(Message);
        if (Height() < 0) SetHeight(0);
        PlaceButtons();
        SetEditRect();
        return;
    case WM_CUT:
    case WM_CLEAR:
    case WM_UNDO:
        // Each of these changes the text: only an editable spin edit takes them.
        if (editorEnabled_ && !ReadOnly()) inherited::Dispatch(Message);
        return;
    case WM_PASTE:
        if (editorEnabled_ && !ReadOnly()) PasteFiltered();
        return;
    case CM_ENTER:
        if (AutoSelect() && !(GetKeyState(VK_LBUTTON) < 0)) SelectAll();
        inherited::Dispatch(Message);
        return;
    case CM_EXIT: {
        inherited::Dispatch(Message);
        const int v = Value();
        if (Clamp(v) != v) SetValue(v);
        return;
    }
    default:
        inherited::Dispatch(Message);
    }
}
