#pragma once
// TskEdit: a single-line edit without the system frame that draws a one-colour frame from the
// style. TskSpinEdit: an integer edit with up and down arrow buttons (TskSpinButtons).
#include "framework/Edit.h"
#include "skin/SKButton.h"

class TskEdit : public TCustomEdit {
    KORVID_CLASS(TskEdit, TCustomEdit)

    static void DeclareProperties(Published<TskEdit>& p);

    void Create(TComponent* AOwner) override;
    void Destroy() override;

    TColor BorderColor() const { return borderColor_; }
    void SetBorderColor(TColor v);
    TskUIStyle UIStyle() const { return uiStyle_; }
    void SetUIStyle(TskUIStyle v);
    TskFileTheme* FileTheme() const { return fileTheme_; }
    void SetFileTheme(TskFileTheme* v);

    void Notification(TComponent* AComponent, TOperation Operation) override;
    void Dispatch(TMessage& Message) override;

protected:
    virtual void StyleChanged() {}
    void DrawFrame();

private:
    TColor borderColor_ = clBlack;
    TskUIStyle uiStyle_ = DeepBlue;
    TskFileTheme* fileTheme_ = nullptr;
};

class TskSpinButtons : public TWinControl {
    KORVID_CLASS(TskSpinButtons, TWinControl)

    static void DeclareProperties(Published<TskSpinButtons>& p);

    void Create(TComponent* AOwner) override;
    void Destroy() override;

    TskUIStyle UIStyle() const;
    void SetUIStyle(TskUIStyle v);
    TskFileTheme* FileTheme() const;
    void SetFileTheme(TskFileTheme* v);
    TskArrowButton* UpButton() const { return up_; }
    TskArrowButton* DownButton() const { return down_; }

    TNotifyEvent OnUpClick;
    TNotifyEvent OnDownClick;

    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    void Loaded() override;
    void Dispatch(TMessage& Message) override;

protected:
    void KeyDown(Word& Key, TShiftState Shift) override;

private:
    void ButtonClick(TObject* Sender);
    // Widens to at least 15 pixels and lays the two buttons out, overlapping by one.
    void AdjustButtons(int& width, int height);
    TskArrowButton* up_ = nullptr;
    TskArrowButton* down_ = nullptr;
};

class TskSpinEdit : public TskEdit {
    KORVID_CLASS(TskSpinEdit, TskEdit)

    static void DeclareProperties(Published<TskSpinEdit>& p);

    void Create(TComponent* AOwner) override;
    void Destroy() override;

    int MinValue() const { return minValue_; }
    void SetMinValue(int v) { minValue_ = v; }
    int MaxValue() const { return maxValue_; }
    void SetMaxValue(int v) { maxValue_ = v; }
    int Increment() const { return increment_; }
    void SetIncrement(int v) { increment_ = v; }
    bool EditorEnabled() const { return editorEnabled_; }
    void SetEditorEnabled(bool v) { editorEnabled_ = v; }
    // The text as an integer (saturated to the integer range); MinValue when it is none.
    int Value();
    // Writes the clamped value as text.
    void SetValue(Int64 v);
    // Equal bounds mean no bounds; bounds given the wrong way round are taken swapped.
    Int64 Clamp(Int64 v) const;
    TskSpinButtons* Buttons() const { return buttons_; }

    virtual bool AcceptsKey(char Key);
    virtual void StepUp();
    virtual void StepDown();

    void Dispatch(TMessage& Message) override;

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void StyleChanged() override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyPress(char& Key) override;

private:
    void SetEditRect();
    void PlaceButtons();
    void PasteFiltered();

    int minValue_ = 0;
    int maxValue_ = 0;
    int increment_ = 1;
    bool editorEnabled_ = true;
    TskSpinButtons* buttons_ = nullptr;
};
