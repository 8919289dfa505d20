#pragma once
// TskMemo: a multi-line edit with the skinned one-colour frame and an optional pair of
// skinned scroll bars that the form places beside it. With bars attached, the memo keeps the
// window's own bars on underneath, lays the skinned ones over its right and bottom edges,
// copies range, page, position and state into them after everything that can scroll the
// text, and scrolls the text when the user moves one. Without bars the window's own bars stay
// as ScrollBars says (the help text's vertical bar).
#include "framework/Memo.h"
#include "skin/SKScrollBar.h"

class TskMemo : public TCustomMemo {
    KORVID_CLASS(TskMemo, TCustomMemo)

    static void DeclareProperties(Published<TskMemo>& p);

    void Create(TComponent* AOwner) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void Dispatch(TMessage& Message) override;

    TColor BorderColor() const { return borderColor_; }
    void SetBorderColor(TColor Value);
    TskUIStyle UIStyle() const { return uiStyle_; }
    void SetUIStyle(TskUIStyle Value);
    TskFileTheme* FileTheme() const { return fileTheme_; }
    void SetFileTheme(TskFileTheme* Value);
    TskScrollBar* VScrollBar() const { return vBar_; }
    void SetVScrollBar(TskScrollBar* Value);
    TskScrollBar* HScrollBar() const { return hBar_; }
    void SetHScrollBar(TskScrollBar* Value);

    // Lays the attached bars over the memo's edges (in the parent's coordinates) and syncs.
    void PlaceBars();
    // Copies the window's bars into the attached ones.
    void SyncBars();

private:
    void SetBar(TskScrollBar*& field, TskScrollBar* Value, bool vertical);
    void UpdateScrollBars();
    void SyncOne(TskScrollBar* bar, bool vertical);
    void BarChanged(bool vertical);
    void DrawFrame();

    TColor borderColor_ = 0;
    TskUIStyle uiStyle_ = DeepBlue;
    TskFileTheme* fileTheme_ = nullptr;
    TskScrollBar* vBar_ = nullptr;
    TskScrollBar* hBar_ = nullptr;
    bool syncing_ = false;
    bool scrolling_ = false;
    bool mouseDown_ = false;
};
