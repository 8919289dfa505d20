#pragma once
// The framework's own open/save dialog window: the folder shown with an Up button, its
// sub-folders, its files filtered by the chosen type, a typed name and OK/Cancel. Enter in the
// name field accepts (or, for a pattern or a folder, filters or goes there), Esc cancels,
// Tab walks through the controls, Backspace outside the name field goes up.
#include "framework/DialogControls.h"
#include "framework/Dialogs.h"
#include "framework/ListView.h"

struct TFileDialogResult {
    String FileName;
    int FilterIndex = 1;
};

class TFileDialogForm : public TForm {
    KORVID_CLASS(TFileDialogForm, TForm)

    void Create(TComponent* AOwner) override;

    // Sets the dialog it serves and fills the lists; call before ShowModal.
    void Prepare(TOpenDialog* dialog, const String& title, const String& folder);
    const TFileDialogResult& Result() const { return result_; }

    const String& Folder() const { return folder_; }
    void OpenFolder(const String& folder);
    void GoUp();
    // The file patterns now applied: the typed pattern, else the chosen filter's.
    std::vector<String> ActivePatterns() const;
    int FilterIndex() const;
    // What the OK button does.
    void Accept();

    TDialogLabel* FolderLabel() const { return folderLabel_; }
    TDialogButton* UpButton() const { return upButton_; }
    TListView* FolderList() const { return folderList_; }
    TListView* FileList() const { return fileList_; }
    TDialogEdit* NameEdit() const { return nameEdit_; }
    TListView* TypeList() const { return typeList_; }
    TDialogButton* OkButton() const { return okButton_; }
    TDialogButton* CancelButton() const { return cancelButton_; }

protected:
    void KeyDown(Word& Key, TShiftState Shift) override;

private:
    void Refill();
    void EnterSelectedFolder();

    TOpenDialog* dialog_ = nullptr;
    String folder_;
    String typedPattern_; // a pattern typed into the name field, until the type changes
    TFileDialogResult result_;
    std::vector<TFilterEntry> filters_;

    TDialogLabel* lookInLabel_ = nullptr;
    TDialogLabel* folderLabel_ = nullptr;
    TDialogButton* upButton_ = nullptr;
    TListView* folderList_ = nullptr;
    TListView* fileList_ = nullptr;
    TDialogLabel* nameLabel_ = nullptr;
    TDialogEdit* nameEdit_ = nullptr;
    TDialogLabel* typeLabel_ = nullptr;
    TListView* typeList_ = nullptr;
    TDialogButton* okButton_ = nullptr;
    TDialogButton* cancelButton_ = nullptr;
};

// Shows the form modally for the dialog; true with the result filled when the user chose.
bool RunFileDialogForm(TOpenDialog& dialog, const String& title, const String& folder,
                       TFileDialogResult& result);
