#include "skin/SKMgr.h"

#include "rtl/Files.h"

#include <algorithm>
#include <cstdlib>

void TskFileTheme::DeclareProperties(Published<TskFileTheme>& p) {
    p.Text("ThemeFile", &TskFileTheme::ThemeFile, &TskFileTheme::SetThemeFile);
}

void TskFileTheme::Create(TComponent* AOwner) {
    inherited::Create(AOwner);
    manager_ = MakeObject<TskFileThemeMgr>();
}

void TskFileTheme::Destroy() {
    manager_.reset();
    inherited::Destroy();
}

bool TskFileTheme::GetBitmap(int Item, TGraphic* Graphic) {
    return manager_ && manager_->GetBitmap(Item, Graphic);
}

void TskFileTheme::GetSlicedBitmap(int Item, TBitmap* Bitmap, int Count, int Index) {
    if (!Bitmap) return;
    ObjectPtr<TBitmap> whole = MakeObject<TBitmap>();
    if (!GetBitmap(Item, whole.get())) LoadBuiltinThemeBitmap(DeepBlue, Item, whole.get());
    SliceBitmap(whole.get(), Bitmap, Count < 1 ? 1 : Count, Count < 1 ? 1 : Index);
}

bool TskFileTheme::GetBool(int Item) {
    return manager_ && manager_->GetBool(Item);
}

TColor TskFileTheme::GetColor(int Item) {
    return manager_ ? manager_->GetColor(Item) : GetBuiltinThemeColor(DeepBlue, Item);
}

int TskFileTheme::GetInt(int Item) {
    return manager_ ? manager_->GetInt(Item) : GetBuiltinThemeInt(DeepBlue, Item);
}

std::vector<String> TskFileTheme::SkinSearchFolders() {
    std::vector<String> folders{ProgramFolder()};
    auto env = [](const char* name) {
        const char* v = std::getenv(name);
        return v ? String(v) : String();
    };
    // The user's data folders, as the desktop's base directory rules name them.
    String home = env("XDG_DATA_HOME");
    if (home.empty() && !env("HOME").empty()) home = env("HOME") + "/.local/share";
    String dirs = env("XDG_DATA_DIRS");
    if (dirs.empty()) dirs = "/usr/local/share:/usr/share";
    std::vector<String> data;
    if (!home.empty()) data.push_back(home);
    for (size_t start = 0; start <= dirs.size();) {
        size_t end = dirs.find(':', start);
        if (end == String::npos) end = dirs.size();
        if (end > start) data.push_back(dirs.substr(start, end - start));
        start = end + 1;
    }
    for (const String& d : data)
        folders.push_back(IncludeTrailingPathDelimiter(d) + "korvid/skins/");
    return folders;
}

String TskFileTheme::Resolve(const String& Value) const {
    if (Value.empty()) return "";
    if (FileExists(Value)) return Value;
    const String name = ExtractFileName(Value);
    if (name.empty()) return "";
    for (const String& folder : SkinSearchFolders()) {
        String candidate = IncludeTrailingPathDelimiter(folder) + name;
        if (FileExists(candidate)) return candidate;
    }
    return "";
}

void TskFileTheme::Warn(const String& text) {
    warning_ = text;
    if (!text.empty() && OnWarning) OnWarning(this, text);
}

void TskFileTheme::SetThemeFile(const String& Value) {
    if (Value == themeFile_) return;
    const String path = Resolve(Value);
    if (path.empty()) return;
    if (!IsValidSkinFile(path)) throw Exception("Invalid skin file for SkinPak!");
    // The manager swaps readers only once the new one has read its file, so a file that
    // cannot be read keeps the skin (and the name) loaded before.
    if (!manager_->LoadFromFile(path)) {
        Warn("The skin file \"" + path + "\" cannot be used: " +
             (manager_->HasReader() ? String("the previous skin stays")
                                    : String("the built-in style is used")));
        return;
    }
    themeFile_ = path;
    loaded_ = true;
    Warn(manager_->Reader()->Warning());
    ReapplyToClients();
}

void TskFileTheme::ReapplyToClients() {
    // A setter may link or unlink others: each client of the list as it was is asked only
    // while it is still linked.
    const std::vector<TComponent*> clients = clients_;
    for (TComponent* c : clients) {
        if (std::find(clients_.begin(), clients_.end(), c) == clients_.end()) continue;
        if (!HasPublishedProperty(c, "FileTheme") || GetObjectProp(c, "FileTheme") != this)
            continue;
        SetObjectProp(c, "FileTheme", this);
    }
}

void TskFileTheme::AddClient(TComponent* Client) {
    if (Client && std::find(clients_.begin(), clients_.end(), Client) == clients_.end())
        clients_.push_back(Client);
}

void TskFileTheme::RemoveClient(TComponent* Client) {
    std::erase(clients_, Client);
}

void TskFileTheme::Notification(TComponent* AComponent, TOperation Operation) {
    inherited::Notification(AComponent, Operation);
    if (Operation == opRemove) RemoveClient(AComponent);
}

bool UsingFileTheme(TskFileTheme* FileTheme, TskUIStyle UIStyle, TskUIStyle& Style) {
    Style = UIStyle;
    if (UIStyle != FromThemeFile) return false;
    if (FileTheme && FileTheme->IsLoaded()) return true;
    Style = DeepBlue;
    return false;
}

void SkinBitmap(TskFileTheme* FileTheme, TskUIStyle UIStyle, int Item, TBitmap* Bitmap, int Count,
                int Index) {
    if (!Bitmap) return;
    TskUIStyle style;
    if (!UsingFileTheme(FileTheme, UIStyle, style)) {
        GetBuiltinThemeBitmap(style, Item, Bitmap, Count, Index);
        return;
    }
    if (Count > 0) {
        FileTheme->GetSlicedBitmap(Item, Bitmap, Count, Index);
        return;
    }
    if (!FileTheme->GetBitmap(Item, Bitmap)) LoadBuiltinThemeBitmap(DeepBlue, Item, Bitmap);
}

bool SkinBool(TskFileTheme* FileTheme, TskUIStyle UIStyle, int Item) {
    TskUIStyle style;
    if (UsingFileTheme(FileTheme, UIStyle, style)) return FileTheme->GetBool(Item);
    return GetBuiltinThemeBool(style, Item);
}

TColor SkinColor(TskFileTheme* FileTheme, TskUIStyle UIStyle, int Item) {
    TskUIStyle style;
    if (UsingFileTheme(FileTheme, UIStyle, style)) return FileTheme->GetColor(Item);
    return GetBuiltinThemeColor(style, Item);
}

int SkinInt(TskFileTheme* FileTheme, TskUIStyle UIStyle, int Item) {
    TskUIStyle style;
    if (UsingFileTheme(FileTheme, UIStyle, style)) return FileTheme->GetInt(Item);
    return GetBuiltinThemeInt(style, Item);
}

void LinkFileTheme(TComponent* Control, TskFileTheme*& Field, TskFileTheme* Value) {
    if (Field && Field != Value && Control) {
        Field->RemoveFreeNotification(Control);
        Field->RemoveClient(Control);
    }
    Field = Value;
    if (Value && Control) {
        Value->FreeNotification(Control);
        Value->AddClient(Control);
    }
}
