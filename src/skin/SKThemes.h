#pragma once
// The 42 theme items every skinned control draws with, their values in the five built-in
// styles, the lookups into those tables, the initial style of a new control, and the manager
// that answers theme items from a skin file.
#include "skin/SKPublic.h"

#include <map>
#include <memory>

class TskThemeFileReader;

constexpr int kThemeItemCount = 42;

// The kind of a theme item's value.
enum ThemeItemKind : Byte { tkThemeInt = 0, tkThemeColor = 1, tkThemeImage = 2, tkThemeBool = 3 };

// Theme item numbers, for readable calls.
enum ThemeItem : int {
    tiButtonImage = 1,
    tiButtonTransparentBool,
    tiCheckBoxImage,
    tiRadioButtonImage,
    tiTitleBarButtonImage,
    tiTitleBarButtonTransparentBool,
    tiTitleBarButtonLeftOffsetInt,
    tiTitleBarButtonRightOffsetInt,
    tiTitleBarButtonTopInt,
    tiTitleBarLeftImage,
    tiTitleBarClientImage,
    tiTitleBarRightImage,
    tiFormMinWidthInt,
    tiFormRoundCornerInt,
    tiFormBackgroundColor,
    tiFormBorderColor,
    tiFormBorderWidthInt,
    tiMenuSelectedBorderColor,
    tiMenuSelectedBackgroundColor,
    tiMenuSelectedFontColor,
    tiMenuBackgroundColor,
    tiMenuFontColor,
    tiMenuBarColor,
    tiProgressBarImage,
    tiControlBorderColor,
    tiControlBackgroundColor,
    tiControlFontColor,
    tiTrackBarBarImage,
    tiTrackBarSliderImage,
    tiTrackBarSliderVImage,
    tiScrollBarBackgroundColor,
    tiScrollBarButtonImage,
    tiScrollBarSliderImage,
    tiCheckListBoxImage,
    tiToolBarButtonBorderColor,
    tiToolBarButtonBackgroundColor,
    tiToolBarButtonDownBackgroundColor,
    tiScrollButtonImage,
    tiTabControlTabImage,
    tiTabControlBarImage,
    tiSideChannelHandleImage,
    tiSideChannelBarImage
};

// Key names by item number; entry 0 is empty.
extern const char* const ThemeItemKeys[kThemeItemCount + 1];

// The item's kind; items outside 1..42 answer kind 0.
Byte ThemeItemKindOf(int Item);

// The raw table value and kind. FromThemeFile, a style above BlueGlass or an item outside
// 1..42: Kind 0 and -1. An image's value is its item number; its resource name comes from
// BuiltinThemeImageName.
int GetBuiltinThemeValue(TskUIStyle Style, int Item, Byte& Kind);
// The bitmap resource name of an image item in a built-in style; empty otherwise.
String BuiltinThemeImageName(TskUIStyle Style, int Item);
// An image item's bitmap resource into Bitmap; Bitmap unchanged for other items.
void LoadBuiltinThemeBitmap(TskUIStyle Style, int Item, TBitmap* Bitmap);
// Count 0: the whole image; otherwise piece Index (1-based) of Count.
void GetBuiltinThemeBitmap(TskUIStyle Style, int Item, TBitmap* Bitmap, int Count, int Index);
bool GetBuiltinThemeBool(TskUIStyle Style, int Item);    // false unless a bool item
TColor GetBuiltinThemeColor(TskUIStyle Style, int Item); // 0 unless a colour item
int GetBuiltinThemeInt(TskUIStyle Style, int Item);      // -1 unless an int item

// A new control's style: that of the first TskForm among the owner form's direct child
// controls, DeepBlue when the owner is no form or has none.
TskUIStyle GetOwnerUIStyle(TComponent* AOwner);

// Makes sure the built-in styles' bitmaps are in the resource registry.
void RegisterBuiltinThemeArt();

// The skin file behind a TskFileTheme: one reader at a time, owned.
class TskFileThemeMgr : public TObject {
    KORVID_CLASS(TskFileThemeMgr, TObject)

    TskFileThemeMgr();
    ~TskFileThemeMgr() override;

    // False, with the current reader kept, when FileName is no regular file. A file that
    // cannot be opened raises (the current reader kept); one that is no skin file, or whose
    // header is damaged, gives false and keeps the current reader too.
    bool LoadFromFile(const String& FileName);
    bool HasReader() const { return reader_ != nullptr; }
    const TskThemeFileReader* Reader() const { return reader_.get(); }

    // False when the graphic stays unchanged (no reader, no such image, or one that does not
    // load). Each image is decoded once per skin file and kept until another file loads.
    bool GetBitmap(int Item, TGraphic* Graphic);
    bool GetBool(int Item);
    // A colour or number the skin does not hold answers DeepBlue's built-in value.
    TColor GetColor(int Item);
    int GetInt(int Item);

private:
    std::unique_ptr<TskThemeFileReader> reader_;
    // Decoded images by item; an entry without a bitmap is an image that is not there.
    std::map<int, ObjectPtr<TBitmap>> decoded_;
};
