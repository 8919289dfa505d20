#pragma once
// TskFileTheme: the component that names a skin file and answers theme items from it; the
// style dispatch every skinned control reads its pictures, colours, numbers and switches
// through; and the bookkeeping of a control's link to its file theme.
#include "skin/SKThemeFile.h"
#include "skin/SKThemes.h"

#include <functional>
#include <vector>

using TskWarningEvent = std::function<void(TObject* Sender, const String& Text)>;

class TskFileTheme : public TComponent {
    KORVID_CLASS(TskFileTheme, TComponent)

    static void DeclareProperties(Published<TskFileTheme>& p);

    void Create(TComponent* AOwner) override;
    void Destroy() override;

    // The skin's image for the item loaded into Graphic; false, Graphic unchanged, when the
    // skin has none.
    bool GetBitmap(int Item, TGraphic* Graphic);
    // Piece Index of Count of the item's image into Bitmap. An image the skin lacks comes
    // from the DeepBlue style.
    void GetSlicedBitmap(int Item, TBitmap* Bitmap, int Count, int Index);
    bool GetBool(int Item);
    // Colours and numbers the skin lacks answer DeepBlue's built-in values.
    TColor GetColor(int Item);
    int GetInt(int Item);

    bool IsLoaded() const { return loaded_; }
    bool CheckThemeFile(const String& FileName) const { return IsValidSkinFile(FileName); }

    const String& ThemeFile() const { return themeFile_; }
    // Finds the file (as given, then by its name in the program's folder and in the user's
    // data folders), checks it is a skin file ("Invalid skin file for SkinPak!" otherwise),
    // loads it and re-applies the style of every control that uses this theme, wherever it
    // is owned (a form's title bar and a tab control's strip as well). A file found nowhere
    // changes nothing; one that does not load keeps the skin that was loaded before.
    void SetThemeFile(const String& Value);

    // The components linked to this theme (LinkFileTheme keeps the list), in link order.
    const std::vector<TComponent*>& Clients() const { return clients_; }
    void AddClient(TComponent* Client);
    void RemoveClient(TComponent* Client);
    void Notification(TComponent* AComponent, TOperation Operation) override;

    // The folders a bare skin file name is looked for in, after the path as given.
    static std::vector<String> SkinSearchFolders();

    // The problem the last load met, if any; the controls then draw what the skin lacks (or
    // everything, when it did not load) in their built-in style.
    const String& LastWarning() const { return warning_; }
    TskWarningEvent OnWarning;

private:
    void Warn(const String& text);
    String Resolve(const String& Value) const;
    // Gives this theme again to every client still linked to it, so each re-applies its style.
    void ReapplyToClients();

    ObjectPtr<TskFileThemeMgr> manager_;
    String themeFile_;
    bool loaded_ = false;
    String warning_;
    std::vector<TComponent*> clients_;
};

// Which source the dispatch reads: true with Style FromThemeFile when FileTheme is a loaded
// skin and UIStyle is FromThemeFile; otherwise false with Style the built-in style to use
// (DeepBlue for FromThemeFile without a loaded skin).
bool UsingFileTheme(TskFileTheme* FileTheme, TskUIStyle UIStyle, TskUIStyle& Style);

// The style dispatch: the skin file when UsingFileTheme says so, else the built-in tables.
// Count 0 asks for the whole image.
void SkinBitmap(TskFileTheme* FileTheme, TskUIStyle UIStyle, int Item, TBitmap* Bitmap,
                int Count = 0, int Index = 0);
bool SkinBool(TskFileTheme* FileTheme, TskUIStyle UIStyle, int Item);
TColor SkinColor(TskFileTheme* FileTheme, TskUIStyle UIStyle, int Item);
int SkinInt(TskFileTheme* FileTheme, TskUIStyle UIStyle, int Item);

// Points a control's FileTheme field at Value, so that the control hears (Notification,
// opRemove) when the theme goes and the theme reaches it when it loads another skin, wherever
// either is owned.
void LinkFileTheme(TComponent* Control, TskFileTheme*& Field, TskFileTheme* Value);

// What a skinned control does when its file theme is being freed: the link is dropped and the
// control falls back to the DeepBlue style. Called from the control's Notification; true when
// AComponent was that theme.
template <class Control>
bool DropRemovedFileTheme(Control* Self, TskFileTheme*& Field, TComponent* AComponent,
                          TOperation Operation) {
    if (Operation != opRemove || !AComponent || AComponent != Field) return false;
    Field = nullptr;
    Self->SetUIStyle(DeepBlue);
    return true;
}
