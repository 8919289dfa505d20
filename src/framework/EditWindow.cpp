// The edit window's message handling: what the framework routes, and what an edit does with
// the messages that reach its default handling.
#include "framework/Edit.h"

#include "platform/user/ScrollBar.h"
#include "platform/user/User.h"

#include <algorithm>
#include <cctype>

namespace {
POINT PointOf(LPARAM l) {
    return POINT{static_cast<SHORT>(LOWORD(static_cast<std::uintptr_t>(l))),
                 static_cast<SHORT>(HIWORD(static_cast<std::uintptr_t>(l)))};
}
} // namespace

void TCustomEdit::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        POINT p = PointOf(Message.LParam);
        if (CanFocus() && !Focused()) SetFocus();
        if (!HandleAllocated()) break;
        int pos = PosAtPoint(p.x, p.y);
        desiredX_ = -1;
        if (Message.Msg == WM_LBUTTONDBLCLK) {
            // The word under the pointer.
            int start = pos, end = pos;
            const String& t = Text();
            auto word = [&](int i) {
                unsigned char u = static_cast<unsigned char>(t[static_cast<size_t>(i)]);
                return u >= 0x80 || std::isalnum(u) || u == '_';
            };
            while (start > 0 && word(start - 1))
                --start;
            while (end < static_cast<int>(t.size()) && word(end))
                ++end;
            anchor_ = start;
            caret_ = end;
            typingRun_ = false;
            Invalidate();
        } else {
            MoveCaret(pos, (Message.WParam & MK_SHIFT) != 0);
        }
        selecting_ = true;
        SetCapture(Handle());
        break;
    }
    case WM_MOUSEMOVE:
        if (dragBar_ >= 0) {
            BarDrag(PointOf(Message.LParam));
        } else if (selecting_) {
            POINT p = PointOf(Message.LParam);
            caret_ = PosAtPoint(p.x, p.y);
            ScrollCaretIntoView();
            Invalidate();
        }
        break;
    case WM_LBUTTONUP:
        selecting_ = false;
        if (dragBar_ >= 0) BarRelease();
        if (HandleAllocated() && GetCapture() == Handle()) ReleaseCapture();
        break;
    case CM_ENTER:
        // A single-line field entered from the keyboard offers its whole text.
        if (autoSelect_ && !MultiLine() && GetKeyState(VK_LBUTTON) >= 0) SelectAll();
        break;
    case CM_FONTCHANGED:
        ResetFontCache();
        TextLayoutChanged();
        break;
    case CM_ENABLEDCHANGED:
        inherited::Dispatch(Message);
        UpdateScrollBars();
        if (HandleAllocated()) RedrawWindow(Handle(), nullptr, 0, RDW_FRAME | RDW_INVALIDATE);
        return;
    case WM_SIZE:
        inherited::Dispatch(Message);
        layoutValid_ = false;
        TextLayoutChanged();
        return;
    default:
        break;
    }
    inherited::Dispatch(Message);
}

void TCustomEdit::DefaultHandler(TMessage& Message) {
    switch (Message.Msg) {
    case WM_SETTEXT: {
        if (settingText_ || !HandleAllocated()) break;
        auto text = reinterpret_cast<LPCSTR>(Message.LParam);
        ApplyText(text ? text : "");
        // The framework reads the text back from the message: give it what is kept.
        Message.LParam = reinterpret_cast<LPARAM>(Text().c_str());
        Message.Result = TRUE;
        return;
    }
    case WM_GETDLGCODE:
        Message.Result = DLGC_WANTCHARS | DLGC_WANTARROWS | DLGC_HASSETSEL;
        if (MultiLine()) Message.Result |= DLGC_WANTALLKEYS;
        return;
    case WM_CHAR:
        TypeChar(static_cast<unsigned>(Message.WParam));
        return;
    case WM_KEYDOWN:
        if (HandleEditKey(static_cast<Word>(Message.WParam), KeyboardShiftState())) return;
        break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        if (Message.Msg == WM_KILLFOCUS) selecting_ = false;
        Invalidate();
        // The frame shows where the focus is.
        if (HandleAllocated()) RedrawWindow(Handle(), nullptr, 0, RDW_FRAME | RDW_INVALIDATE);
        break;
    case WM_CAPTURECHANGED:
        selecting_ = false;
        dragBar_ = -1;
        break;
    case WM_CUT:
        DoCut();
        return;
    case WM_COPY:
        DoCopy();
        return;
    case WM_PASTE:
        DoPaste();
        return;
    case WM_CLEAR:
        DoClear();
        return;
    case WM_UNDO:
        Message.Result = hasUndo_ && !readOnly_;
        DoUndo();
        return;
    case WM_MOUSEWHEEL: {
        if (!MultiLine()) break;
        UINT lines = 3;
        SystemParametersInfo(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
        int notches = GET_WHEEL_DELTA_WPARAM(Message.WParam) / WHEEL_DELTA;
        if (notches == 0) notches = GET_WHEEL_DELTA_WPARAM(Message.WParam) > 0 ? 1 : -1;
        ScrollLines(-notches * static_cast<int>(std::max(1u, lines)));
        return;
    }
    case WM_VSCROLL:
        ScrollVert(LOWORD(Message.WParam), HIWORD(Message.WParam));
        return;
    case WM_HSCROLL:
        ScrollHorz(LOWORD(Message.WParam), HIWORD(Message.WParam));
        return;
    case WM_NCCALCSIZE:
        CalcNonClient(Message);
        return;
    case WM_NCPAINT:
        PaintNonClient();
        return;
    case WM_NCHITTEST:
        Message.Result = HitTestBars(Message);
        return;
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK:
        if (Message.WParam == static_cast<WPARAM>(HTVSCROLL) ||
            Message.WParam == static_cast<WPARAM>(HTHSCROLL)) {
            if (CanFocus() && !Focused()) SetFocus();
            BarButtonDown(static_cast<LRESULT>(Message.WParam), PointOf(Message.LParam));
            return;
        }
        break;
    case WM_ERASEBKGND:
        Message.Result = 1;
        return;
    default:
        if (Message.Msg >= EM_GETSEL && Message.Msg <= EM_GETLIMITTEXT) {
            HandleEditMessage(Message);
            return;
        }
        break;
    }
    inherited::DefaultHandler(Message);
}

void TCustomEdit::HandleEditMessage(TMessage& Message) {
    WPARAM w = Message.WParam;
    LPARAM l = Message.LParam;
    int n = static_cast<int>(Text().size());
    switch (Message.Msg) {
    case EM_GETSEL: {
        if (auto* s = reinterpret_cast<DWORD*>(w)) *s = static_cast<DWORD>(SelStart());
        if (auto* e = reinterpret_cast<DWORD*>(l))
            *e = static_cast<DWORD>(SelStart() + SelLength());
        Message.Result =
            MAKELPARAM(static_cast<WORD>(SelStart()), static_cast<WORD>(SelStart() + SelLength()));
        return;
    }
    case EM_SETSEL: {
        int s = static_cast<int>(static_cast<intptr_t>(w)), e = static_cast<int>(l);
        if (s == -1) {
            anchor_ = caret_;
        } else {
            if (s < 0 || s > n) s = n;
            if (e < 0 || e > n) e = n;
            anchor_ = s;
            caret_ = e;
        }
        typingRun_ = false;
        ScrollCaretIntoView();
        Invalidate();
        return;
    }
    case EM_GETRECT:
        if (auto* r = reinterpret_cast<RECT*>(l)) *r = TextRect();
        return;
    case EM_SETRECT:
    case EM_SETRECTNP:
        if (auto* r = reinterpret_cast<const RECT*>(l)) {
            RECT v = *r;
            if (v.right < v.left) v.right = v.left;
            if (v.bottom < v.top) v.bottom = v.top;
            rect_ = v;
            rectSet_ = true;
        } else {
            rectSet_ = false;
        }
        layoutValid_ = false;
        EnsureLayout();
        ClampScroll();
        ScrollCaretIntoView();
        UpdateScrollBars();
        if (Message.Msg == EM_SETRECT) Invalidate();
        return;
    case EM_SCROLL: {
        int before = topLine_;
        ScrollVert(static_cast<WORD>(w), 0);
        Message.Result = MAKELPARAM(static_cast<WORD>(topLine_ - before), 1);
        return;
    }
    case EM_LINESCROLL:
        if (MultiLine()) {
            scrollX_ += static_cast<int>(static_cast<intptr_t>(w)) * CharWidth('x');
            ScrollLines(static_cast<int>(l));
            Message.Result = TRUE;
        }
        return;
    case EM_SCROLLCARET:
        ScrollCaretIntoView();
        Invalidate();
        return;
    case EM_GETMODIFY:
        Message.Result = modified_;
        return;
    case EM_SETMODIFY:
        modified_ = w != 0;
        return;
    case EM_GETLINECOUNT:
        Message.Result = LineCount();
        return;
    case EM_LINEINDEX: {
        EnsureLayout();
        int line = static_cast<int>(static_cast<intptr_t>(w));
        if (line == -1) line = LineOfPos(caret_);
        Message.Result = line >= 0 && line < static_cast<int>(lines_.size())
                             ? lines_[static_cast<size_t>(line)].start
                             : -1;
        return;
    }
    case EM_LINELENGTH: {
        EnsureLayout();
        int at = static_cast<int>(static_cast<intptr_t>(w));
        if (at < 0 || at > n) at = caret_;
        Message.Result = lines_[static_cast<size_t>(LineOfPos(at))].length;
        return;
    }
    case EM_LINEFROMCHAR: {
        int at = static_cast<int>(static_cast<intptr_t>(w));
        if (at < 0 || at > n) at = caret_;
        Message.Result = LineOfPos(at);
        return;
    }
    case EM_REPLACESEL: {
        auto text = reinterpret_cast<LPCSTR>(l);
        typingRun_ = false;
        ReplaceSelection(text ? text : "", false);
        if (!w) hasUndo_ = false;
        return;
    }
    case EM_LIMITTEXT:
        SetMaxLength(static_cast<int>(std::min<WPARAM>(w, 0x7FFFFFFE)));
        return;
    case EM_GETLIMITTEXT:
        Message.Result = maxLength_ ? maxLength_ : 0x7FFFFFFE;
        return;
    case EM_CANUNDO:
        Message.Result = hasUndo_;
        return;
    case EM_UNDO:
        Message.Result = hasUndo_ && !readOnly_;
        DoUndo();
        return;
    case EM_SETPASSWORDCHAR:
        SetPasswordChar(static_cast<char>(w));
        return;
    case EM_GETPASSWORDCHAR:
        Message.Result = static_cast<unsigned char>(passwordChar_);
        return;
    case EM_EMPTYUNDOBUFFER:
        hasUndo_ = false;
        return;
    case EM_GETFIRSTVISIBLELINE:
        Message.Result = MultiLine() ? topLine_ : 0;
        return;
    case EM_SETREADONLY:
        SetReadOnly(w != 0);
        Message.Result = TRUE;
        return;
    default:
        inherited::DefaultHandler(Message);
        return;
    }
}
