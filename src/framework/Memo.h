#pragma once
// TCustomMemo: the multi-line edit. Its Lines are a view of Text (lines joined by "\r\n");
// changing either changes the other. WordWrap breaks lines at the formatting rectangle's
// width; ScrollBars asks for the window's standard bars, drawn inside the border.
#include "framework/Edit.h"
#include "rtl/StringList.h"

enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };

class TCustomMemo;

// The memo's lines: every change goes to the memo's text at once (or when the last
// EndUpdate comes).
class TMemoStrings : public TStrings {
    KORVID_CLASS(TMemoStrings, TStrings)

    explicit TMemoStrings(TCustomMemo* memo) : memo_(memo) {}
    int Count() const override;
    String Get(int index) const override;
    void Put(int index, const String& text) override;
    void Insert(int index, const String& text) override;
    void Delete(int index) override;
    void Clear() override;

protected:
    void SetUpdateState(bool updating) override;

private:
    std::vector<String> Current() const;
    void Store(std::vector<String> lines);

    TCustomMemo* memo_;
    bool updating_ = false;
    bool pending_ = false;
    std::vector<String> held_;
};

class TCustomMemo : public TCustomEdit {
    KORVID_CLASS(TCustomMemo, TCustomEdit)

    void Create(TComponent* AOwner) override;
    void Destroy() override;

    TStrings* Lines() { return lines_.get(); }
    void SetLines(TStrings* v) { lines_->Assign(v); }
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool v);
    // Enter types a new line (else it goes to the form, e.g. to a default button).
    bool WantReturns() const { return wantReturns_; }
    void SetWantReturns(bool v) { wantReturns_ = v; }
    // Tab types a tab (else it moves the focus on).
    bool WantTabs() const { return wantTabs_; }
    void SetWantTabs(bool v) { wantTabs_ = v; }
    TScrollStyle ScrollBars() const { return scrollBars_; }
    void SetScrollBars(TScrollStyle v);

    void Dispatch(TMessage& Message) override;

protected:
    TCustomMemo() = default;
    bool WrapsLines() override { return wordWrap_; }
    DWORD ScrollBarStyle() override;
    void KeyPress(char& Key) override;

private:
    ObjectPtr<TMemoStrings> lines_;
    bool wordWrap_ = true;
    bool wantReturns_ = true;
    bool wantTabs_ = false;
    TScrollStyle scrollBars_ = ssNone;
};

class TMemo : public TCustomMemo {
    KORVID_CLASS(TMemo, TCustomMemo)
};
