// The edit's properties, its text changes, keys, mouse, clipboard and undo.
#include "framework/Edit.h"

#include "platform/Utf8.h"
#include "platform/user/Clipboard.h"
#include "platform/user/ScrollBar.h"
#include "platform/user/User.h"
#include "rtl/AssignIfChanged.h"
#include "rtl/ScopeGuard.h"

#include <algorithm>
#include <cctype>
#include <cstring>

void TCustomEdit::Create(TComponent* AOwner) {
    inherited::Create(AOwner);
    ControlStyle().Exclude(csAcceptsControls);
    ControlStyle().Exclude(csSetCaption);
    SetColor(clWindow);
    SetBounds(0, 0, 121, 21);
    SetTabStop(true);
    SetCursor(crIBeam);
}

// --- properties ------------------------------------------------------------------------------

bool TCustomEdit::MultiLine() {
    if (HandleAllocated()) return (GetWindowLong(Handle(), GWL_STYLE) & ES_MULTILINE) != 0;
    return multiLine_;
}

void TCustomEdit::CreateParams(TCreateParams& Params) {
    inherited::CreateParams(Params);
    Params.Style |= ES_AUTOHSCROLL;
    if (multiLine_) Params.Style |= ES_MULTILINE | ES_AUTOVSCROLL;
    if (borderStyle_ != bsNone) Params.Style |= WS_BORDER;
    if (readOnly_) Params.Style |= ES_READONLY;
    if (passwordChar_) Params.Style |= ES_PASSWORD;
    if (charCase_ == ecUpperCase) Params.Style |= ES_UPPERCASE;
    if (charCase_ == ecLowerCase) Params.Style |= ES_LOWERCASE;
    if (!hideSelection_) Params.Style |= ES_NOHIDESEL;
    Params.Style |= ScrollBarStyle();
}

DWORD TCustomEdit::ScrollBarStyle() {
    return 0;
}

void TCustomEdit::CreateWindowHandle(const TCreateParams& Params) {
    inherited::CreateWindowHandle(Params);
    layoutValid_ = false;
    ResetFontCache();
    TextLayoutChanged();
}

void TCustomEdit::UpdateWindowStyle(DWORD setBits, DWORD clearBits) {
    if (!HandleAllocated()) return;
    HWND h = Handle();
    LONG style = GetWindowLong(h, GWL_STYLE);
    LONG next = (style & ~static_cast<LONG>(clearBits)) | static_cast<LONG>(setBits);
    if (next == style) return;
    SetWindowLong(h, GWL_STYLE, next);
    SetWindowPos(h, 0, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    layoutValid_ = false;
    TextLayoutChanged();
    RedrawWindow(h, nullptr, 0, RDW_FRAME | RDW_INVALIDATE);
}

void TCustomEdit::SetBorderStyle(TBorderStyle v) {
    if (v != bsNone) v = bsSingle;
    if (!AssignIfChanged(borderStyle_, v)) return;
    if (v == bsNone)
        UpdateWindowStyle(0, WS_BORDER);
    else
        UpdateWindowStyle(WS_BORDER, 0);
}

void TCustomEdit::SetBorderWidth(int v) {
    v = std::clamp(v, 0, 1000);
    if (!AssignIfChanged(borderWidth_, v)) return;
    if (!HandleAllocated()) return;
    SetWindowPos(Handle(), 0, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    layoutValid_ = false;
    TextLayoutChanged();
    RedrawWindow(Handle(), nullptr, 0, RDW_FRAME | RDW_INVALIDATE);
}

void TCustomEdit::SetCharCase(TEditCharCase v) {
    if (!AssignIfChanged(charCase_, v)) return;
    UpdateWindowStyle(v == ecUpperCase   ? ES_UPPERCASE
                      : v == ecLowerCase ? ES_LOWERCASE
                                         : 0,
                      (ES_UPPERCASE | ES_LOWERCASE) & ~(v == ecUpperCase   ? ES_UPPERCASE
                                                        : v == ecLowerCase ? ES_LOWERCASE
                                                                           : 0));
    String converted = CaseConverted(Text());
    if (converted != Text()) {
        int a = anchor_, c = caret_;
        StoreText(converted);
        anchor_ = a;
        caret_ = c;
        modified_ = true;
        TextLayoutChanged();
        Change();
    }
}

void TCustomEdit::SetMaxLength(int v) {
    maxLength_ = std::max(v, 0);
}

void TCustomEdit::SetPasswordChar(char v) {
    if (!AssignIfChanged(passwordChar_, v)) return;
    if (v)
        UpdateWindowStyle(ES_PASSWORD, 0);
    else
        UpdateWindowStyle(0, ES_PASSWORD);
    ResetFontCache();
    TextLayoutChanged();
}

void TCustomEdit::SetReadOnly(bool v) {
    if (!AssignIfChanged(readOnly_, v)) return;
    if (v)
        UpdateWindowStyle(ES_READONLY, 0);
    else
        UpdateWindowStyle(0, ES_READONLY);
}

void TCustomEdit::SetHideSelection(bool v) {
    if (!AssignIfChanged(hideSelection_, v)) return;
    if (v)
        UpdateWindowStyle(0, ES_NOHIDESEL);
    else
        UpdateWindowStyle(ES_NOHIDESEL, 0);
    Invalidate();
}

// --- selection -------------------------------------------------------------------------------

int TCustomEdit::SelStart() const {
    return std::min(anchor_, caret_);
}
int TCustomEdit::SelLength() const {
    return std::abs(caret_ - anchor_);
}
String TCustomEdit::SelText() const {
    return Text().substr(static_cast<size_t>(SelStart()), static_cast<size_t>(SelLength()));
}

void TCustomEdit::SetSelStart(int v) {
    int n = static_cast<int>(Text().size());
    v = std::clamp(v, 0, n);
    v = static_cast<int>(utf8::StartOf(Text(), static_cast<size_t>(v)));
    anchor_ = caret_ = v;
    typingRun_ = false;
    ScrollCaretIntoView();
    Invalidate();
}

void TCustomEdit::SetSelLength(int v) {
    int n = static_cast<int>(Text().size());
    int start = SelStart();
    int end = std::clamp(start + std::max(v, 0), start, n);
    // An end inside a character takes the whole character in.
    const size_t held = utf8::StartOf(Text(), static_cast<size_t>(end));
    if (end > start && held != static_cast<size_t>(end))
        end = static_cast<int>(utf8::Next(Text(), held));
    anchor_ = start;
    caret_ = end;
    typingRun_ = false;
    ScrollCaretIntoView();
    Invalidate();
}

void TCustomEdit::SetSelText(const String& v) {
    typingRun_ = false;
    ReplaceSelection(v, false);
}

void TCustomEdit::SelectAll() {
    anchor_ = 0;
    caret_ = static_cast<int>(Text().size());
    typingRun_ = false;
    ScrollCaretIntoView();
    Invalidate();
}

void TCustomEdit::MoveCaret(int to, bool extend) {
    caret_ = std::clamp(to, 0, static_cast<int>(Text().size()));
    if (!extend) anchor_ = caret_;
    typingRun_ = false;
    ScrollCaretIntoView();
    Invalidate();
}

// --- text changes ----------------------------------------------------------------------------

String TCustomEdit::CaseConverted(const String& v) const {
    if (charCase_ == ecNormal) return v;
    String out = v;
    for (char& c : out) {
        unsigned char u = static_cast<unsigned char>(c);
        if (u < 0x80)
            c = static_cast<char>(charCase_ == ecUpperCase ? std::toupper(u) : std::tolower(u));
    }
    return out;
}

// What typing or pasting may put in: a single line stops at the first line break; many
// lines get every break as "\r\n".
String TCustomEdit::CleanedForEdit(const String& v) {
    if (!MultiLine()) {
        size_t cut = v.find_first_of("\r\n");
        return cut == String::npos ? v : v.substr(0, cut);
    }
    String out;
    out.reserve(v.size());
    for (size_t i = 0; i < v.size(); ++i) {
        if (v[i] == '\r') {
            out += "\r\n";
            if (i + 1 < v.size() && v[i + 1] == '\n') ++i;
        } else if (v[i] == '\n') {
            out += "\r\n";
        } else {
            out += v[i];
        }
    }
    return out;
}

void TCustomEdit::StoreText(const String& v) {
    // Handlers of the text change must not measure the old lines against the new text.
    layoutValid_ = false;
    settingText_ = true;
    ScopeGuard reset([&] { settingText_ = false; });
    TControl::SetText(v);
    if (HandleAllocated()) SetWindowText(Handle(), v.c_str());
}

void TCustomEdit::ApplyText(const String& v) {
    StoreText(CaseConverted(v));
    anchor_ = caret_ = 0;
    hasUndo_ = false;
    typingRun_ = false;
    modified_ = false;
    topLine_ = 0;
    scrollX_ = 0;
    TextLayoutChanged();
    Change();
}

void TCustomEdit::SetText(const String& v) {
    if (v == Text()) return;
    if (HandleAllocated())
        SetWindowText(Handle(), v.c_str());
    else
        ApplyText(v);
}

void TCustomEdit::ReplaceRange(int from, int to, const String& with, bool undoable) {
    if (undoable) {
        undoText_ = Text();
        undoAnchor_ = anchor_;
        undoCaret_ = caret_;
        hasUndo_ = true;
    }
    const String& t = Text();
    String next = t.substr(0, static_cast<size_t>(from)) + with + t.substr(static_cast<size_t>(to));
    StoreText(next);
    anchor_ = caret_ = from + static_cast<int>(with.size());
    modified_ = true;
    TextLayoutChanged();
    Change();
}

void TCustomEdit::ReplaceSelection(const String& with, bool typed) {
    int s = SelStart(), e = s + SelLength();
    String w = CleanedForEdit(CaseConverted(with));
    if (typed && maxLength_ > 0) {
        long long room =
            static_cast<long long>(maxLength_) - (static_cast<long long>(Text().size()) - (e - s));
        if (room < static_cast<long long>(w.size())) {
            size_t keep = room > 0 ? static_cast<size_t>(room) : 0;
            if (keep < w.size()) keep = utf8::StartOf(w, keep);
            if (keep > 0 && w[keep - 1] == '\r' && keep < w.size() && w[keep] == '\n') --keep;
            w.resize(keep);
            if (w.empty()) MessageBeep(0);
        }
    }
    if (w.empty() && s == e) return;
    bool keepUndo = typed && typingRun_ && s == e && hasUndo_;
    ReplaceRange(s, e, w, !keepUndo);
}

void TCustomEdit::TypeChar(unsigned cp) {
    switch (cp) {
    case 1:
        SelectAll();
        return; // Ctrl+A
    case 3:
        Perform(WM_COPY, 0, 0);
        return; // Ctrl+C
    case 0x16:
        Perform(WM_PASTE, 0, 0);
        return; // Ctrl+V
    case 0x18:
        Perform(WM_CUT, 0, 0);
        return; // Ctrl+X
    case 0x1A:
        Perform(WM_UNDO, 0, 0);
        return; // Ctrl+Z
    default:
        break;
    }
    if (cp == '\b') {
        if (readOnly_) return;
        if (SelLength() == 0) {
            if (caret_ == 0) return;
            int from = PrevPos(caret_);
            typingRun_ = false;
            ReplaceRange(from, caret_, "", true);
        } else {
            typingRun_ = false;
            ReplaceSelection("", false);
        }
        return;
    }
    String s;
    if (cp == '\r' || cp == '\n') {
        if (!MultiLine()) return;
        s = "\r\n";
    } else if (cp == '\t') {
        if (!MultiLine()) return;
        s = "\t";
    } else if (cp < 32 || cp == 127) {
        return;
    } else {
        if (cp > 0x10FFFF) return;
        s = utf8::Encode(cp);
    }
    if (readOnly_) return;
    ReplaceSelection(s, true);
    typingRun_ = true;
}

bool TCustomEdit::HandleEditKey(Word key, TShiftState shift) {
    bool extend = shift.Contains(ssShift);
    bool ctrl = shift.Contains(ssCtrl);
    bool multi = MultiLine();
    int line = LineOfPos(caret_);
    auto collapseOr = [&](int to, bool toStart) {
        if (!extend && SelLength() > 0)
            MoveCaret(toStart ? SelStart() : SelStart() + SelLength(), false);
        else
            MoveCaret(to, extend);
    };
    switch (key) {
    case VK_LEFT:
        desiredX_ = -1;
        collapseOr(ctrl ? WordStart(caret_) : PrevPos(caret_), true);
        return true;
    case VK_RIGHT:
        desiredX_ = -1;
        collapseOr(ctrl ? WordEnd(caret_) : NextPos(caret_), false);
        return true;
    case VK_UP:
    case VK_DOWN:
    case VK_PRIOR:
    case VK_NEXT: {
        if (!multi) {
            if (key == VK_UP || key == VK_DOWN) {
                collapseOr(key == VK_UP ? PrevPos(caret_) : NextPos(caret_), key == VK_UP);
                return true;
            }
            return false;
        }
        if (desiredX_ < 0) desiredX_ = XOfPos(caret_);
        int step = (key == VK_UP || key == VK_DOWN) ? 1 : std::max(1, VisibleLines() - 1);
        bool up = key == VK_UP || key == VK_PRIOR;
        int target = std::clamp(line + (up ? -step : step), 0, LineCount() - 1);
        if (key == VK_PRIOR || key == VK_NEXT) ScrollLines(up ? -step : step);
        int keepX = desiredX_;
        MoveCaret(PosInLineAtX(target, keepX), extend);
        desiredX_ = keepX;
        return true;
    }
    case VK_HOME:
        desiredX_ = -1;
        MoveCaret(ctrl || !multi ? 0 : lines_[static_cast<size_t>(line)].start, extend);
        return true;
    case VK_END: {
        desiredX_ = -1;
        const Line& l = lines_[static_cast<size_t>(line)];
        MoveCaret(ctrl || !multi ? static_cast<int>(Text().size()) : l.start + l.length, extend);
        return true;
    }
    case VK_DELETE:
        if (extend) {
            Perform(WM_CUT, 0, 0);
            return true;
        }
        if (readOnly_) return true;
        typingRun_ = false;
        if (SelLength() > 0)
            Perform(WM_CLEAR, 0, 0);
        else if (caret_ < static_cast<int>(Text().size()))
            ReplaceRange(caret_, NextPos(caret_), "", true);
        return true;
    case VK_INSERT:
        if (ctrl)
            Perform(WM_COPY, 0, 0);
        else if (extend)
            Perform(WM_PASTE, 0, 0);
        return ctrl || extend;
    default:
        return false;
    }
}

// --- clipboard and undo ----------------------------------------------------------------------

void TCustomEdit::DoCopy() {
    // A password is never handed out.
    if (SelLength() == 0 || passwordChar_) return;
    String s = SelText();
    if (!OpenClipboard(HandleAllocated() ? Handle() : 0)) return;
    EmptyClipboard();
    if (HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, s.size() + 1)) {
        if (auto* p = static_cast<char*>(GlobalLock(mem))) {
            std::memcpy(p, s.c_str(), s.size() + 1);
            GlobalUnlock(mem);
            if (!SetClipboardData(CF_TEXT, mem)) GlobalFree(mem);
        } else {
            GlobalFree(mem);
        }
    }
    CloseClipboard();
}

void TCustomEdit::DoCut() {
    if (readOnly_ || passwordChar_ || SelLength() == 0) return;
    DoCopy();
    typingRun_ = false;
    ReplaceSelection("", false);
}

void TCustomEdit::DoPaste() {
    if (readOnly_) return;
    String s;
    if (!OpenClipboard(HandleAllocated() ? Handle() : 0)) return;
    if (HANDLE h = GetClipboardData(CF_TEXT)) {
        SIZE_T size = GlobalSize(h);
        if (auto* p = static_cast<const char*>(GlobalLock(h))) {
            // The block need not end in a zero; never read past it.
            s.assign(p, strnlen(p, size));
            GlobalUnlock(h);
        }
    }
    CloseClipboard();
    typingRun_ = false;
    if (!s.empty()) ReplaceSelection(s, true);
}

void TCustomEdit::DoClear() {
    if (readOnly_ || SelLength() == 0) return;
    typingRun_ = false;
    ReplaceSelection("", false);
}

void TCustomEdit::DoUndo() {
    if (readOnly_ || !hasUndo_) return;
    // Undoing twice gives the change back, as one level of undo does.
    String text = undoText_;
    int a = undoAnchor_, c = undoCaret_;
    undoText_ = Text();
    undoAnchor_ = anchor_;
    undoCaret_ = caret_;
    typingRun_ = false;
    StoreText(text);
    int n = static_cast<int>(text.size());
    anchor_ = std::clamp(a, 0, n);
    caret_ = std::clamp(c, 0, n);
    modified_ = true;
    TextLayoutChanged();
    Change();
}

void TCustomEdit::Change() {
    if (OnChange) OnChange(this);
}
