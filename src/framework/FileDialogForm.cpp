#include "framework/FileDialogForm.h"

#include "framework/Application.h"
#include "platform/user/User.h"
#include "rtl/Files.h"
#include "rtl/Text.h"

#include <algorithm>

namespace {

constexpr int kFolderImage = 0;
constexpr int kFileImage = 1;

bool LessNoCase(const String& a, const String& b) {
    String la = LowerCase(a), lb = LowerCase(b);
    return la != lb ? la < lb : a < b;
}

// The names of a folder's entries: sub-folders or files, hidden ones left out, sorted.
std::vector<std::pair<String, Int64>> ListFolder(const String& folder, bool folders) {
    std::vector<std::pair<String, Int64>> out;
    TSearchRec rec;
    if (FindFirst(IncludeTrailingPathDelimiter(folder) + "*", folders ? faDirectory : 0, rec) ==
        0) {
        do {
            bool isDir = (rec.Attr & faDirectory) != 0;
            if (isDir == folders) out.push_back({rec.Name, rec.Size});
        } while (FindNext(rec) == 0);
        FindClose(rec);
    }
    std::sort(out.begin(), out.end(),
              [](const auto& a, const auto& b) { return LessNoCase(a.first, b.first); });
    return out;
}

String SizeText(Int64 bytes) {
    if (bytes < 1024) return std::to_string(bytes) + " B";
    return std::to_string((bytes + 1023) / 1024) + " KB";
}

// 16 x 16 pictures of a folder and of a page, drawn here so the dialog needs no files.
void AddIcons(TImageList* images) {
    images->SetWidth(16);
    images->SetHeight(16);
    ObjectPtr<TBitmap> b = MakeObject<TBitmap>();
    b->SetWidth(16);
    b->SetHeight(16);
    TCanvas* c = b->Canvas();
    c->Brush()->SetColor(clFuchsia);
    c->FillRect(Rect(0, 0, 16, 16));
    c->Brush()->SetColor(TColor(0x4AC0F0)); // warm yellow
    c->Pen()->SetColor(TColor(0x2080B0));
    c->Rectangle(1, 4, 15, 14);
    c->Rectangle(1, 2, 7, 5);
    images->AddMasked(b.get(), clFuchsia);
    c->Brush()->SetColor(clFuchsia);
    c->FillRect(Rect(0, 0, 16, 16));
    c->Brush()->SetColor(clWhite);
    c->Pen()->SetColor(clGray);
    c->Rectangle(3, 1, 13, 15);
    c->Pen()->SetColor(TColor(0xC0C0C0));
    for (int y = 4; y < 13; y += 2) {
        c->MoveTo(5, y);
        c->LineTo(11, y);
    }
    images->AddMasked(b.get(), clFuchsia);
}

} // namespace

void TFileDialogForm::Create(TComponent* AOwner) {
    inherited::Create(AOwner);
    SetBorderStyle(bsDialog);
    SetKeyPreview(true);
    SetClientWidth(520);
    SetClientHeight(336);

    auto* icons = CreateComponent<TImageList>(this);
    AddIcons(icons);

    auto label = [this](const String& text, int x, int y, int w) {
        auto* l = CreateComponent<TDialogLabel>(this);
        l->SetParent(this);
        l->SetCaption(text);
        l->SetBounds(x, y, w, 17);
        return l;
    };
    auto list = [this, icons](int x, int y, int w, int h) {
        auto* lv = CreateComponent<TListView>(this);
        lv->SetParent(this);
        lv->SetBounds(x, y, w, h);
        lv->SetViewStyle(vsReport);
        lv->SetReadOnly(true);
        lv->SetSmallImages(icons);
        return lv;
    };

    lookInLabel_ = label("Look in:", 10, 12, 60);
    folderLabel_ = label("", 72, 12, 356);
    folderLabel_->SetEllipsisAtStart(true);
    upButton_ = CreateComponent<TDialogButton>(this);
    upButton_->SetParent(this);
    upButton_->SetCaption("Up");
    upButton_->SetBounds(436, 8, 74, 23);
    upButton_->OnClick = [this](TObject*) { GoUp(); };

    folderList_ = list(10, 38, 170, 200);
    folderList_->Columns()->Add()->SetCaption("Folders");
    folderList_->Columns()->Items(0)->SetWidth(150);
    fileList_ = list(188, 38, 322, 200);
    fileList_->Columns()->Add()->SetCaption("Name");
    fileList_->Columns()->Items(0)->SetWidth(220);
    fileList_->Columns()->Add()->SetCaption("Size");
    fileList_->Columns()->Items(1)->SetWidth(80);
    fileList_->Columns()->Items(1)->SetAlignment(caRightJustify);

    nameLabel_ = label("File name:", 10, 252, 84);
    nameEdit_ = CreateComponent<TDialogEdit>(this);
    nameEdit_->SetParent(this);
    nameEdit_->SetBounds(100, 248, 326, 22);
    okButton_ = CreateComponent<TDialogButton>(this);
    okButton_->SetParent(this);
    okButton_->SetBounds(436, 247, 74, 25);
    okButton_->SetDefault(true);
    okButton_->OnClick = [this](TObject*) { Accept(); };

    typeLabel_ = label("Files of type:", 10, 282, 88);
    typeList_ = list(100, 278, 326, 50);
    typeList_->SetSmallImages(nullptr);
    typeList_->SetShowColumnHeaders(false);
    typeList_->Columns()->Add()->SetWidth(300);
    cancelButton_ = CreateComponent<TDialogButton>(this);
    cancelButton_->SetParent(this);
    cancelButton_->SetCaption("Cancel");
    cancelButton_->SetBounds(436, 278, 74, 25);
    cancelButton_->SetCancel(true);
    cancelButton_->SetModalResult(mrCancel);

    // Tab order: name, type, OK, Cancel, folders, files, Up.
    nameEdit_->SetTabOrder(0);
    typeList_->SetTabOrder(1);
    okButton_->SetTabOrder(2);
    cancelButton_->SetTabOrder(3);
    folderList_->SetTabOrder(4);
    fileList_->SetTabOrder(5);
    upButton_->SetTabOrder(6);
    SetActiveControl(nameEdit_);

    folderList_->OnDblClick = [this](TObject*) { EnterSelectedFolder(); };
    folderList_->OnKeyDown = [this](TObject*, Word& key, TShiftState) {
        if (key == VK_RETURN) {
            key = 0;
            EnterSelectedFolder();
        }
    };
    fileList_->OnSelectItem = [this](TObject*, TListItem* item, bool selected) {
        if (selected) nameEdit_->SetText(item->Caption());
    };
    fileList_->OnDblClick = [this](TObject*) {
        if (fileList_->Selected()) Accept();
    };
    fileList_->OnKeyDown = [this](TObject*, Word& key, TShiftState) {
        if (key == VK_RETURN && fileList_->Selected()) {
            key = 0;
            Accept();
        }
    };
    typeList_->OnSelectItem = [this](TObject*, TListItem*, bool selected) {
        if (!selected) return;
        typedPattern_.clear();
        if (HasWildcards(nameEdit_->Text())) nameEdit_->SetText("");
        Refill();
    };
}

void TFileDialogForm::Prepare(TOpenDialog* dialog, const String& title, const String& folder) {
    dialog_ = dialog;
    SetCaption(title);
    okButton_->SetCaption(String(dialog->Kind()) == "save" ? "Save" : "Open");
    filters_ = ParseDialogFilter(dialog->Filter());
    typeList_->Items()->BeginUpdate();
    for (const TFilterEntry& e : filters_)
        typeList_->Items()->Add()->SetCaption(e.Description);
    typeList_->Items()->EndUpdate();
    String name = ExtractFileName(dialog->FileName());
    if (HasWildcards(name)) typedPattern_ = name;
    nameEdit_->SetText(name);
    folder_ = folder;
    int index =
        std::clamp(dialog->FilterIndex(), 1, std::max<int>(1, static_cast<int>(filters_.size())));
    if (!filters_.empty())
        typeList_->SetItemIndex(index - 1); // fills the lists
    else
        Refill();
}

int TFileDialogForm::FilterIndex() const {
    return typeList_->ItemIndex() >= 0 ? typeList_->ItemIndex() + 1 : 1;
}

std::vector<String> TFileDialogForm::ActivePatterns() const {
    if (!typedPattern_.empty()) return SplitPatterns(typedPattern_);
    int i = typeList_->ItemIndex();
    if (i >= 0 && i < static_cast<int>(filters_.size()))
        return filters_[static_cast<size_t>(i)].Patterns;
    return {};
}

void TFileDialogForm::Refill() {
    folderLabel_->SetCaption(folder_);
    std::vector<String> patterns = ActivePatterns();
    folderList_->Items()->BeginUpdate();
    folderList_->Items()->Clear();
    for (const auto& [name, size] : ListFolder(folder_, true)) {
        TListItem* item = folderList_->Items()->Add();
        item->SetCaption(name);
        item->SetImageIndex(kFolderImage);
    }
    folderList_->Items()->EndUpdate();
    folderList_->SetScrollPos(0);
    fileList_->Items()->BeginUpdate();
    fileList_->Items()->Clear();
    for (const auto& [name, size] : ListFolder(folder_, false)) {
        if (!MatchesAnyPattern(name, patterns)) continue;
        TListItem* item = fileList_->Items()->Add();
        item->SetCaption(name);
        item->SetImageIndex(kFileImage);
        item->SetSubItems({SizeText(size)});
    }
    fileList_->Items()->EndUpdate();
    fileList_->SetScrollPos(0);
}

void TFileDialogForm::OpenFolder(const String& folder) {
    String full = ExpandFileName(folder);
    if (full.size() > 1 && full.back() == PathDelim) full.pop_back();
    if (!DirectoryExists(full)) return;
    folder_ = full;
    Refill();
}

void TFileDialogForm::GoUp() {
    if (folder_ == "/" || folder_.empty()) return;
    String parent = ExtractFileDir(ExcludeTrailingPathDelimiter(folder_));
    OpenFolder(parent.empty() ? String(1, PathDelim) : parent);
}

void TFileDialogForm::EnterSelectedFolder() {
    if (TListItem* item = folderList_->Selected())
        OpenFolder(IncludeTrailingPathDelimiter(folder_) + item->Caption());
}

void TFileDialogForm::Accept() {
    String text = Trim(nameEdit_->Text());
    if (text.empty()) {
        if (folderList_->Selected() && folderList_->Focused()) EnterSelectedFolder();
        return;
    }
    if (HasWildcards(text)) {
        // A pattern filters the file list; a folder in front of it is gone to first.
        String dir = ExtractFilePath(text);
        if (!dir.empty()) {
            String target = dir[0] == PathDelim ? dir : IncludeTrailingPathDelimiter(folder_) + dir;
            if (DirectoryExists(target))
                folder_ = ExcludeTrailingPathDelimiter(ExpandFileName(target));
        }
        typedPattern_ = ExtractFileName(text);
        nameEdit_->SetText(typedPattern_);
        Refill();
        return;
    }
    String path = dialog_->CompleteName(text, folder_, FilterIndex());
    if (DirectoryExists(path)) {
        OpenFolder(path);
        nameEdit_->SetText("");
        return;
    }
    if (!dialog_->AcceptChoice(path)) {
        if (nameEdit_->CanFocus()) nameEdit_->SetFocus();
        return;
    }
    result_.FileName = path;
    result_.FilterIndex = FilterIndex();
    SetModalResult(mrOk);
}

void TFileDialogForm::KeyDown(Word& Key, TShiftState Shift) {
    inherited::KeyDown(Key, Shift);
    // Backspace goes up a folder, unless it edits the typed name (or a caption).
    if (Key == VK_BACK && FocusedControl() && !dynamic_cast<TDialogEdit*>(FocusedControl())) {
        GoUp();
        Key = 0;
    }
}

bool RunFileDialogForm(TOpenDialog& dialog, const String& title, const String& folder,
                       TFileDialogResult& result) {
    if (!Application || Application->Terminated() || !DisplayCanShowDialogs()) return false;
    ObjectPtr<TFileDialogForm> form(CreateComponent<TFileDialogForm>(nullptr));
    form->Prepare(&dialog, title, folder);
    PlaceDialogForm(form.get());
    if (form->ShowModal() != mrOk) return false;
    result = form->Result();
    return true;
}
