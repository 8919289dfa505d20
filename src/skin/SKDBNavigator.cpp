// The data-set navigator: its buttons, their layout, enabling from the data set's state,
// focus and keys, and the actions on the data set.
#include "skin/SKDBNavigator.h"

#include "framework/DataSet.h"
#include "framework/MessageDialogs.h"
#include "framework/Resources.h"
#include "platform/user/Input.h"

#include <algorithm>
#include <mutex>

namespace {

// The default hints and the delete question, as named resource strings a program may
// register in another language before the first navigator is made.
const char* const kHintResources[kNavButtonCount] = {
    "SNavFirstRecord",  "SNavPriorRecord", "SNavNextRecord", "SNavLastRecord", "SNavInsertRecord",
    "SNavDeleteRecord", "SNavEditRecord",  "SNavPostEdit",   "SNavCancelEdit", "SNavRefreshRecord"};
const char* const kHintTexts[kNavButtonCount] = {
    "第一条记录", "前一条记录", "下一条记录", "最后一条记录", "插入记录",
    "删除记录",   "修改记录",   "提交修改",   "取消修改",     "刷新数据"};
constexpr const char* kDeleteQuestionResource = "SNavDeleteRecordQuestion";
constexpr const char* kDeleteQuestionText = "删除记录？";

void RegisterNavigatorStrings() {
    static std::once_flag once;
    std::call_once(once, [] {
        for (int i = 0; i < kNavButtonCount; ++i)
            if (!resources::HasString(kHintResources[i]))
                resources::RegisterString(kHintResources[i], kHintTexts[i]);
        if (!resources::HasString(kDeleteQuestionResource))
            resources::RegisterString(kDeleteQuestionResource, kDeleteQuestionText);
    });
}

} // namespace

// --- TskNavDataLink ----------------------------------------------------------------------------

void TskNavDataLink::Destroy() {
    navigator_ = nullptr;
    inherited::Destroy();
}

void TskNavDataLink::ActiveChanged() {
    if (navigator_) navigator_->UpdateAllButtons();
}

void TskNavDataLink::DataSetChanged() {
    // Both groups: whether the set may be modified can change while it stays open.
    if (navigator_) {
        navigator_->UpdateNavigationButtons();
        navigator_->UpdateEditButtons();
    }
}

void TskNavDataLink::EditingChanged() {
    if (navigator_) navigator_->UpdateEditButtons();
}

// --- construction ----------------------------------------------------------------------------

void TskDBNavigator::DeclareProperties(Published<TskDBNavigator>& p) {
    p.Ordinal("UIStyle", &TskDBNavigator::UIStyle, &TskDBNavigator::SetUIStyle);
    p.Object("FileTheme", &TskDBNavigator::FileTheme, &TskDBNavigator::SetFileTheme);
    p.Object("DataSource", &TskDBNavigator::DataSource, &TskDBNavigator::SetDataSource);
    p.Ordinal("VisibleButtons", &TskDBNavigator::VisibleButtonsBits,
              &TskDBNavigator::SetVisibleButtonsBits);
    p.Object("Hints", &TskDBNavigator::Hints, &TskDBNavigator::SetHints);
    p.Ordinal("ConfirmDelete", &TskDBNavigator::ConfirmDelete, &TskDBNavigator::SetConfirmDelete);
    p.Ordinal("Cursor", &TControl::Cursor, &TControl::SetCursor);
    p.Ordinal("Align", &TControl::Align, &TControl::SetAlign);
    p.Ordinal("Enabled", &TControl::Enabled, &TControl::SetEnabled);
    p.Ordinal("Visible", &TControl::Visible, &TControl::SetVisible);
}

void TskDBNavigator::Create(TComponent* AOwner) {
    dataLink_ = MakeObject<TskNavDataLink>(this);
    hints_ = MakeObject<TStringList>();
    defaultHints_ = MakeObject<TStringList>();
    inherited::Create(AOwner);
    ControlStyle().Exclude(csAcceptsControls);
    ControlStyle().Exclude(csSetCaption);
    ControlStyle().Include(csOpaque);
    hints_->OnChange = [this](TObject*) { InitHints(); };
    InitButtons();
    InitHints();
    SetBevelInner(bvNone);
    SetBevelOuter(bvNone);
    SetBounds(Left(), Top(), 250, 30);
    SetFullRepaint(false);
    // Transparent styles' buttons show what lies behind the navigator, not the panel's colour.
    SetParentBackground(true);
    SetUIStyle(GetOwnerUIStyle(AOwner));
    UpdateAllButtons();
}

void TskDBNavigator::Destroy() {
    if (dataLink_) {
        dataLink_->Detach();
        if (TDataSource* source = dataLink_->DataSource()) source->RemoveFreeNotification(this);
        dataLink_.reset();
    }
    LinkFileTheme(this, fileTheme_, nullptr);
    if (hints_) hints_->OnChange = nullptr;
    inherited::Destroy();
}

void TskDBNavigator::InitButtons() {
    minButtonSize_ = Point(20, 18);
    RegisterBuiltinThemeArt();
    ObjectPtr<TBitmap> strip = MakeObject<TBitmap>();
    strip->LoadFromResourceName(HInstance, kNavigatorGlyphResource);
    int x = 0;
    for (int i = 0; i < kNavButtonCount; ++i) {
        auto* button = CreateComponent<TskNavButton>(this);
        const auto index = static_cast<TNavigateBtn>(i);
        button->SetSpacing(-1);
        button->SetIndex(index);
        button->SetVisible(visibleButtons_.Contains(index));
        button->SetBounds(x, 0, minButtonSize_.x, minButtonSize_.y);
        x += minButtonSize_.x;
        ObjectPtr<TBitmap> glyph = MakeObject<TBitmap>();
        SliceBitmap(strip.get(), glyph.get(), kNavButtonCount, i + 1);
        button->SetGlyph(glyph.get());
        button->OnClick = [this, index](TObject*) { ButtonClick(index); };
        button->OnMouseDown = [this, button](TObject*, TMouseButton, TShiftState, int, int) {
            ButtonMouseDown(button);
        };
        if (index == nbPrior || index == nbNext) button->SetNavStyle({nsAllowTimer});
        button->SetParent(this);
        buttons_[size_t(i)] = button;
    }
    buttonsMade_ = true;
}

void TskDBNavigator::Loaded() {
    inherited::Loaded();
    Relayout();
    InitHints();
    UpdateAllButtons();
}

void TskDBNavigator::Notification(TComponent* AComponent, TOperation Operation) {
    inherited::Notification(AComponent, Operation);
    if (Operation != opRemove || !AComponent) return;
    for (TskNavButton*& b : buttons_)
        if (b == AComponent) b = nullptr;
    if (dataLink_ && AComponent == dataLink_->DataSource()) SetDataSource(nullptr);
    if (AComponent == fileTheme_) {
        fileTheme_ = nullptr;
        SetUIStyle(DeepBlue);
    }
}

// --- properties --------------------------------------------------------------------------------

void TskDBNavigator::SetUIStyle(TskUIStyle Value) {
    uiStyle_ = Value;
    for (TskNavButton* b : buttons_) {
        if (!b) continue;
        b->SetFileTheme(fileTheme_);
        b->SetUIStyle(uiStyle_);
    }
    Invalidate();
}

void TskDBNavigator::SetFileTheme(TskFileTheme* Value) {
    LinkFileTheme(this, fileTheme_, Value);
    SetUIStyle(uiStyle_);
}

void TskDBNavigator::SetDataSource(TDataSource* Value) {
    TDataSource* old = dataLink_->DataSource();
    if (old == Value) return;
    if (old) old->RemoveFreeNotification(this);
    dataLink_->SetDataSource(Value);
    if (!ComponentState().Contains(csLoading)) UpdateAllButtons();
    if (Value) Value->FreeNotification(this);
}

void TskDBNavigator::SetVisibleButtons(TButtonSet Value) {
    visibleButtons_ = Value * kAllNavButtons;
    for (int i = 0; i < kNavButtonCount; ++i)
        if (TskNavButton* b = buttons_[size_t(i)])
            b->SetVisible(visibleButtons_.Contains(static_cast<TNavigateBtn>(i)));
    Relayout();
    KeepFocusAvailable();
    Invalidate();
}

void TskDBNavigator::SetHints(TStrings* Value) {
    if (Value == hints_.get()) return;
    if (!Value || Value->Text() == DefaultHints()->Text())
        hints_->Clear();
    else
        hints_->Assign(Value);
}

TStrings* TskDBNavigator::DefaultHints() {
    if (defaultHints_->Count() == 0) {
        RegisterNavigatorStrings();
        for (const char* name : kHintResources)
            defaultHints_->Add(resources::LoadString(name));
    }
    return defaultHints_.get();
}

void TskDBNavigator::InitHints() {
    TStrings* defaults = DefaultHints();
    for (int i = 0; i < kNavButtonCount; ++i)
        if (buttons_[size_t(i)]) buttons_[size_t(i)]->SetHint(defaults->Strings(i));
    const int custom = std::min(hints_->Count(), kNavButtonCount);
    for (int i = 0; i < custom; ++i) {
        const String text = hints_->Strings(i);
        if (!text.empty() && buttons_[size_t(i)]) buttons_[size_t(i)]->SetHint(text);
    }
}

// --- layout ------------------------------------------------------------------------------------

bool TskDBNavigator::Laying() const {
    return !ComponentState().Contains(csLoading) && Updating();
}

int TskDBNavigator::VisibleCount() const {
    int n = 0;
    for (const TskNavButton* b : buttons_)
        if (b && b->Visible()) ++n;
    // Hiding them all counts as one, so the width still divides.
    return std::max(n, 1);
}

void TskDBNavigator::CalcMinSize(int& W, int& H) {
    if (!Laying()) return;
    const int n = VisibleCount();
    W = std::max(W, n * minButtonSize_.x);
    H = std::max(H, minButtonSize_.y);
    if (Align() == alNone) W = n * (W / n);
}

void TskDBNavigator::LayoutButtons(int& W, int& H) {
    if (!Laying()) return;
    CalcMinSize(W, H);
    const int n = VisibleCount();
    buttonWidth_ = W / n;
    const int taken = n * buttonWidth_;
    if (Align() == alNone) W = taken;
    // The pixels the division leaves go one by one to the buttons, spread along the row.
    const int remain = W - taken;
    int acc = n / 2;
    int x = 0;
    for (TskNavButton* b : buttons_) {
        if (!b) continue;
        if (b->Visible()) {
            int space = 0;
            if (remain != 0) {
                acc -= remain;
                if (acc < 0) {
                    acc += n;
                    space = 1;
                }
            }
            b->SetBounds(x, 0, buttonWidth_ + space, H);
            x += buttonWidth_ + space;
        } else {
            b->SetBounds(W + 1, 0, buttonWidth_, H);
        }
    }
}

void TskDBNavigator::Relayout() {
    int w = Width(), h = Height();
    LayoutButtons(w, h);
    if (w != Width() || h != Height()) inherited::SetBounds(Left(), Top(), w, h);
}

void TskDBNavigator::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    // Once the window exists its size is kept by WM_WINDOWPOSCHANGING and laid out on WM_SIZE.
    if (!HandleAllocated()) LayoutButtons(AWidth, AHeight);
    inherited::SetBounds(ALeft, ATop, AWidth, AHeight);
}

// --- enabling ----------------------------------------------------------------------------------

bool TskDBNavigator::Updating() const {
    return buttonsMade_ && !ComponentState().Contains(csDestroying);
}

void TskDBNavigator::EnableButton(TNavigateBtn Index, bool Value) {
    if (TskNavButton* b = buttons_[size_t(Index)]) b->SetEnabled(Value);
}

void TskDBNavigator::UpdateAllButtons() {
    if (!Updating()) return;
    if (!Enabled() || !dataLink_ || !dataLink_->Active()) {
        for (int i = 0; i < kNavButtonCount; ++i)
            EnableButton(static_cast<TNavigateBtn>(i), false);
    } else {
        UpdateNavigationButtons();
        UpdateEditButtons();
    }
    KeepFocusAvailable();
}

void TskDBNavigator::UpdateNavigationButtons() {
    if (!Updating()) return;
    const bool on = Enabled() && dataLink_ && dataLink_->Active();
    TDataSet* set = on ? dataLink_->DataSet() : nullptr;
    const bool bof = set && set->Bof(), eof = set && set->Eof();
    const bool modify = set && set->CanModify();
    EnableButton(nbFirst, on && !bof);
    EnableButton(nbPrior, on && !bof);
    EnableButton(nbNext, on && !eof);
    EnableButton(nbLast, on && !eof);
    EnableButton(nbDelete, on && modify && !(bof && eof));
    KeepFocusAvailable();
}

void TskDBNavigator::UpdateEditButtons() {
    if (!Updating()) return;
    const bool on = Enabled() && dataLink_ && dataLink_->Active();
    TDataSet* set = on ? dataLink_->DataSet() : nullptr;
    const bool modify = set && set->CanModify();
    const bool editing = on && dataLink_->Editing();
    EnableButton(nbInsert, on && modify);
    EnableButton(nbEdit, on && modify && !editing);
    EnableButton(nbPost, on && modify && editing);
    EnableButton(nbCancel, on && modify && editing);
    EnableButton(nbRefresh, on && modify);
    KeepFocusAvailable();
}

// --- focus and keys ----------------------------------------------------------------------------

bool TskDBNavigator::ButtonAvailable(int Index) const {
    const TskNavButton* b = buttons_[size_t(Index)];
    return b && b->Visible() && b->Enabled();
}

void TskDBNavigator::RepaintButton(TNavigateBtn Index) {
    if (TskNavButton* b = buttons_[size_t(Index)]) b->Invalidate();
}

void TskDBNavigator::SetFocusedButton(TNavigateBtn Value) {
    if (Value == focusedButton_) return;
    const TNavigateBtn old = focusedButton_;
    focusedButton_ = Value;
    if (Focused()) {
        RepaintButton(old);
        RepaintButton(focusedButton_);
    }
}

void TskDBNavigator::KeepFocusAvailable() {
    // Only a focus the user sees has to move; an unfocused navigator keeps its place, so
    // passing states (a record appended in code) do not push it along.
    if (!Updating() || !Focused() || ButtonAvailable(focusedButton_)) return;
    for (int i = focusedButton_ + 1; i < kNavButtonCount; ++i)
        if (ButtonAvailable(i)) return SetFocusedButton(static_cast<TNavigateBtn>(i));
    for (int i = focusedButton_ - 1; i >= 0; --i)
        if (ButtonAvailable(i)) return SetFocusedButton(static_cast<TNavigateBtn>(i));
    // None can take it: it stays, and no button shows it.
}

void TskDBNavigator::ButtonMouseDown(TskNavButton* Button) {
    const TNavigateBtn old = focusedButton_;
    focusedButton_ = Button->Index();
    if (!TabStop()) return;
    if (!Focused() && CanFocus()) {
        SetFocus();
        return;
    }
    if (Focused() && old != focusedButton_) {
        RepaintButton(old);
        RepaintButton(focusedButton_);
    }
}

void TskDBNavigator::KeyDown(Word& Key, TShiftState Shift) {
    inherited::KeyDown(Key, Shift);
    switch (Key) {
    case VK_SPACE:
        // The click may free the navigator; nothing of it is touched after.
        if (ButtonAvailable(focusedButton_)) Buttons(focusedButton_)->Click();
        break;
    case VK_LEFT:
        for (int i = focusedButton_ - 1; i >= 0; --i)
            if (ButtonAvailable(i)) {
                SetFocusedButton(static_cast<TNavigateBtn>(i));
                break;
            }
        break;
    case VK_RIGHT:
        for (int i = focusedButton_ + 1; i < kNavButtonCount; ++i)
            if (ButtonAvailable(i)) {
                SetFocusedButton(static_cast<TNavigateBtn>(i));
                break;
            }
        break;
    default:
        break;
    }
}

// --- actions -----------------------------------------------------------------------------------

void TskDBNavigator::ButtonClick(TNavigateBtn Index) {
    TDataSource* source = DataSource();
    if (source && source->State() != dsInactive) {
        if (BeforeAction) BeforeAction(this, Index);
        // The handler may have changed the source: look again.
        source = DataSource();
        TDataSet* set = source && source->State() != dsInactive ? source->DataSet() : nullptr;
        if (set) {
            switch (Index) {
            case nbFirst:
                set->First();
                break;
            case nbPrior:
                set->Prior();
                break;
            case nbNext:
                set->Next();
                break;
            case nbLast:
                set->Last();
                break;
            case nbInsert:
                set->Insert();
                break;
            case nbDelete:
                // Only an explicit OK deletes; a box that could not be shown keeps the record.
                if (!confirmDelete_ || MessageDlg(resources::LoadString(kDeleteQuestionResource),
                                                  mtConfirmation, {mbOK, mbCancel}, 0) == mrOk)
                    set->Delete();
                break;
            case nbEdit:
                set->Edit();
                break;
            case nbPost:
                set->Post();
                break;
            case nbCancel:
                set->Cancel();
                break;
            case nbRefresh:
                set->Refresh();
                break;
            }
        }
    }
    if (OnClick) OnClick(this, Index);
}

// --- messages ----------------------------------------------------------------------------------

void TskDBNavigator::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case WM_SIZE: {
        inherited::Dispatch(Message);
        int w = Width(), h = Height();
        LayoutButtons(w, h);
        return;
    }
    case WM_WINDOWPOSCHANGING: {
        inherited::Dispatch(Message);
        auto* pos = reinterpret_cast<WINDOWPOS*>(Message.LParam);
        if (pos && !(pos->flags & SWP_NOSIZE)) CalcMinSize(pos->cx, pos->cy);
        return;
    }
    case WM_GETDLGCODE:
        Message.Result = DLGC_WANTARROWS;
        return;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        inherited::Dispatch(Message);
        KeepFocusAvailable();
        if (Updating()) RepaintButton(focusedButton_);
        return;
    case CM_ENABLEDCHANGED:
        inherited::Dispatch(Message);
        if (!ComponentState().Contains(csLoading)) UpdateAllButtons();
        return;
    case CM_CURSORCHANGED:
        inherited::Dispatch(Message);
        for (TskNavButton* b : buttons_)
            if (b) b->SetCursor(Cursor());
        return;
    default:
        inherited::Dispatch(Message);
    }
}
