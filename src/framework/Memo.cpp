// The memo: its lines view, word wrap, scroll bars and the keys it wants.
#include "framework/Memo.h"

#include "platform/user/User.h"
#include "rtl/AssignIfChanged.h"

namespace {
// The lines of a text; a break at the very end starts no further line.
std::vector<String> SplitLines(const String& text) {
    std::vector<String> out;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == String::npos) {
            out.push_back(text.substr(start));
            break;
        }
        out.push_back(text.substr(start, end - start));
        start =
            end + ((text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? 2 : 1);
    }
    return out;
}

String JoinLines(const std::vector<String>& lines) {
    String out;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i) out += "\r\n";
        out += lines[i];
    }
    return out;
}
} // namespace

// --- lines --------------------------------------------------------------------------------

std::vector<String> TMemoStrings::Current() const {
    return updating_ && pending_ ? held_ : SplitLines(memo_->Text());
}

void TMemoStrings::Store(std::vector<String> lines) {
    if (updating_) {
        held_ = std::move(lines);
        pending_ = true;
        return;
    }
    memo_->SetText(JoinLines(lines));
}

void TMemoStrings::SetUpdateState(bool updating) {
    updating_ = updating;
    if (!updating && pending_) {
        pending_ = false;
        memo_->SetText(JoinLines(held_));
        held_.clear();
    }
}

int TMemoStrings::Count() const {
    return static_cast<int>(Current().size());
}

String TMemoStrings::Get(int index) const {
    auto lines = Current();
    if (index < 0 || index >= static_cast<int>(lines.size()))
        throw EListError("List index out of bounds");
    return lines[static_cast<size_t>(index)];
}

void TMemoStrings::Put(int index, const String& text) {
    auto lines = Current();
    if (index < 0 || index >= static_cast<int>(lines.size()))
        throw EListError("List index out of bounds");
    lines[static_cast<size_t>(index)] = text;
    Store(std::move(lines));
}

void TMemoStrings::Insert(int index, const String& text) {
    auto lines = Current();
    if (index < 0 || index > static_cast<int>(lines.size()))
        throw EListError("List index out of bounds");
    lines.insert(lines.begin() + index, text);
    Store(std::move(lines));
}

void TMemoStrings::Delete(int index) {
    auto lines = Current();
    if (index < 0 || index >= static_cast<int>(lines.size()))
        throw EListError("List index out of bounds");
    lines.erase(lines.begin() + index);
    Store(std::move(lines));
}

void TMemoStrings::Clear() {
    Store({});
}

// --- memo ---------------------------------------------------------------------------------

void TCustomMemo::Create(TComponent* AOwner) {
    multiLine_ = true;
    inherited::Create(AOwner);
    SetAutoSelect(false);
    SetBounds(0, 0, 185, 89);
    lines_.reset(CreateObject<TMemoStrings>(this));
}

void TCustomMemo::Destroy() {
    inherited::Destroy();
    lines_.reset();
}

void TCustomMemo::SetWordWrap(bool v) {
    if (AssignIfChanged(wordWrap_, v)) TextLayoutChanged();
}

void TCustomMemo::SetScrollBars(TScrollStyle v) {
    if (!AssignIfChanged(scrollBars_, v)) return;
    DWORD want = ScrollBarStyle();
    UpdateWindowStyle(want, (WS_HSCROLL | WS_VSCROLL) & ~want);
}

DWORD TCustomMemo::ScrollBarStyle() {
    switch (scrollBars_) {
    case ssHorizontal:
        return WS_HSCROLL;
    case ssVertical:
        return WS_VSCROLL;
    case ssBoth:
        return WS_HSCROLL | WS_VSCROLL;
    default:
        return 0;
    }
}

void TCustomMemo::KeyPress(char& Key) {
    inherited::KeyPress(Key);
    if ((Key == '\r' && !wantReturns_) || (Key == '\t' && !wantTabs_)) Key = 0;
}

void TCustomMemo::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case WM_GETDLGCODE:
        inherited::Dispatch(Message);
        // Tab and Enter reach the memo only when it wants them; the arrows always do.
        Message.Result &= ~(DLGC_WANTALLKEYS | DLGC_WANTTAB);
        if (wantTabs_) Message.Result |= DLGC_WANTTAB;
        return;
    case CM_WANTSPECIALKEY:
        if (Message.WParam == VK_RETURN && wantReturns_) {
            Message.Result = 1;
            return;
        }
        break;
    default:
        break;
    }
    inherited::Dispatch(Message);
}
