#pragma once
// TCustomEdit: a text field with its own window. It is the edit window itself: its default
// handling does what an edit does (typing, caret, selection by keys and mouse, clipboard,
// one-level undo, scrolling, the EM_ requests), so a descendant that handles a message
// (WM_PASTE, WM_CUT, WM_KEYDOWN ...) and does not pass it on refuses it, and one that passes
// it on and then acts sees the result. With ES_MULTILINE in its window style (TCustomMemo,
// or a descendant's CreateParams) it keeps several lines and its standard scroll bars.
//
// Geometry inside the window: the frame (BorderStyle), then a BorderWidth ring in the
// control's colour, then the scroll bars, then the client area; the text is laid out in the
// formatting rectangle (EM_SETRECTNP), by default the client area less small margins.
#include "framework/EditMessages.h"
#include "framework/Forms.h"
#include "framework/WinControl.h"

#include <unordered_map>
#include <vector>

// A control's own frame: bsNone or bsSingle (the form's border styles hold both names).
using TBorderStyle = TFormBorderStyle;
enum TEditCharCase { ecNormal, ecUpperCase, ecLowerCase };

class TCustomEdit : public TWinControl {
    KORVID_CLASS(TCustomEdit, TWinControl)

    void Create(TComponent* AOwner) override;

    bool AutoSelect() const { return autoSelect_; }
    void SetAutoSelect(bool v) { autoSelect_ = v; }
    TBorderStyle BorderStyle() const { return borderStyle_; }
    // bsNone or bsSingle; the other form styles are taken as bsSingle.
    void SetBorderStyle(TBorderStyle v);
    int BorderWidth() const { return borderWidth_; }
    void SetBorderWidth(int v);
    TEditCharCase CharCase() const { return charCase_; }
    // Converts the text already there as well.
    void SetCharCase(TEditCharCase v);
    // In bytes of text; 0 is no limit. Typing and pasting stop there; text set from code does not.
    int MaxLength() const { return maxLength_; }
    void SetMaxLength(int v);
    bool Modified() const { return modified_; }
    void SetModified(bool v) { modified_ = v; }
    char PasswordChar() const { return passwordChar_; }
    void SetPasswordChar(char v);
    // Typing, pasting, cutting and undo are refused; selecting, copying and scrolling work.
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool v);
    bool HideSelection() const { return hideSelection_; }
    void SetHideSelection(bool v);
    // Whether the window style has ES_MULTILINE (as the window was made, or would be).
    bool MultiLine();

    // Selection in byte offsets of Text; the caret is at its moving end.
    int SelStart() const;
    void SetSelStart(int v);
    int SelLength() const;
    void SetSelLength(int v);
    String SelText() const;
    // Replaces the selection as typing would (MaxLength and ReadOnly aside), undoably.
    void SetSelText(const String& v);
    int CaretPos() const { return caret_; }

    void SelectAll();
    // Scrolls to a position of the vertical (SB_VERT: the top line) or horizontal (SB_HORZ:
    // pixels) bar as a thumb drag there would, the position in full width.
    void ScrollToPosition(int Bar, int Pos) {
        if (Bar == SB_VERT)
            ScrollVert(SB_THUMBPOSITION, Pos);
        else
            ScrollHorz(SB_THUMBPOSITION, Pos);
    }
    void ClearSelection() { Perform(WM_CLEAR, 0, 0); }
    void CopyToClipboard() { Perform(WM_COPY, 0, 0); }
    void CutToClipboard() { Perform(WM_CUT, 0, 0); }
    void PasteFromClipboard() { Perform(WM_PASTE, 0, 0); }
    void Undo() { Perform(WM_UNDO, 0, 0); }
    bool CanUndo() const { return hasUndo_; }
    void ClearUndo() { hasUndo_ = false; }
    void Clear() { SetText(""); }

    void SetText(const String& v) override;
    // Raised after every change of the text: typing, clipboard, undo and text set from code.
    TNotifyEvent OnChange;

    void Dispatch(TMessage& Message) override;
    void DefaultHandler(TMessage& Message) override;

    // Laid-out lines (one for a single-line edit; wrapped lines count one each) and the
    // first one shown.
    int LineCount();
    int TopLine() const { return topLine_; }
    int ScrollX() const { return scrollX_; }
    // The formatting rectangle, in client coordinates.
    TRect TextRect();

protected:
    TCustomEdit() = default;
    void CreateParams(TCreateParams& Params) override;
    void CreateWindowHandle(const TCreateParams& Params) override;
    void PaintWindow(HDC DC) override;
    virtual void Change();
    // Whether the laid-out lines wrap at the formatting rectangle's width.
    virtual bool WrapsLines() { return false; }
    // Which standard bars the window asks for (WS_HSCROLL / WS_VSCROLL bits).
    virtual DWORD ScrollBarStyle();
    // Lays the text out again, brings the caret into view, updates the bars and repaints.
    void TextLayoutChanged();
    // Puts the window's style bits for the properties in place and lets the frame change.
    void UpdateWindowStyle(DWORD setBits, DWORD clearBits);

    struct Line {
        int start = 0;  // byte offset in Text
        int length = 0; // bytes, the line break not counted
    };
    // The window style's ES_MULTILINE before the window exists (set by multi-line kinds).
    bool multiLine_ = false;

private:
    // --- text changes (Edit.cpp) ---
    void ReplaceRange(int from, int to, const String& with, bool undoable);
    void ReplaceSelection(const String& with, bool typed);
    void ApplyText(const String& v);
    void StoreText(const String& v);
    String CaseConverted(const String& v) const;
    String CleanedForEdit(const String& v);
    void TypeChar(unsigned codePoint);
    bool HandleEditKey(Word key, TShiftState shift);
    void MoveCaret(int to, bool extend);
    void DoCut();
    void DoCopy();
    void DoPaste();
    void DoClear();
    void DoUndo();
    void HandleEditMessage(TMessage& Message);

    // --- layout (EditLayout.cpp) ---
    void EnsureLayout();
    int CharWidth(unsigned codePoint);
    // x of every character boundary of a line, from the line's start (positions.size() =
    // characters + 1), with the character byte offsets beside them.
    void MeasureLine(const Line& line, std::vector<int>& xs, std::vector<int>& offsets);
    int LineOfPos(int pos);
    int XOfPos(int pos);
    int PosAtPoint(int x, int y);
    int PosInLineAtX(int line, int x);
    int LineHeight();
    int VisibleLines();
    int ContentWidth();
    void ScrollCaretIntoView();
    void ClampScroll();
    void UpdateScrollBars();
    void ScrollLines(int delta);
    void ScrollVert(WORD code, int pos);
    void ScrollHorz(WORD code, int pos);
    int WordStart(int pos);
    int WordEnd(int pos);
    int NextPos(int pos) const;
    int PrevPos(int pos) const;
    String DisplayText(const Line& line);
    void ResetFontCache();

    // --- frame and bars (EditFrame.cpp) ---
    void CalcNonClient(TMessage& Message);
    void PaintNonClient();
    void PaintBar(HDC dc, int bar, const RECT& windowRect);
    LRESULT HitTestBars(TMessage& Message);
    void BarButtonDown(LRESULT hit, POINT screen);
    void BarDrag(POINT client);
    void BarRelease();
    int BarPosFromThumb(int bar, int along);

    bool autoSelect_ = true;
    TBorderStyle borderStyle_ = bsSingle;
    int borderWidth_ = 0;
    TEditCharCase charCase_ = ecNormal;
    int maxLength_ = 0;
    bool modified_ = false;
    char passwordChar_ = 0;
    bool readOnly_ = false;
    bool hideSelection_ = true;
    DWORD windowStyle_ = 0; // the style the window was made with (0: none yet)

    int anchor_ = 0, caret_ = 0;
    bool hasUndo_ = false;
    String undoText_;
    int undoAnchor_ = 0, undoCaret_ = 0;
    bool settingText_ = false;
    bool typingRun_ = false; // the last change was typing, so more typing joins its undo

    std::vector<Line> lines_;
    bool layoutValid_ = false;
    int layoutWidth_ = -1;
    int contentWidth_ = 0;
    int topLine_ = 0;
    int scrollX_ = 0;
    int desiredX_ = -1; // kept across up/down moves
    bool rectSet_ = false;
    TRect rect_;
    std::unordered_map<unsigned, int> widths_;
    int lineHeight_ = 0;

    bool selecting_ = false;
    int dragBar_ = -1;   // SB_HORZ / SB_VERT while a thumb is dragged
    int dragOffset_ = 0; // pointer offset into the thumb
};

class TEdit : public TCustomEdit {
    KORVID_CLASS(TEdit, TCustomEdit)
};
