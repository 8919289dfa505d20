#include "skin/SKThemes.h"

#include "framework/Resources.h"
#include "rtl/Files.h"
#include "skin/SKThemeFile.h"

#include <map>
#include <mutex>

// The style art made at build time registers itself through this.
void RegisterStyleArtResources();

namespace {

struct ItemRow {
    const char* key;
    ThemeItemKind kind;
    const char* images[kLastBuiltinStyle]; // MacOS .. BlueGlass, image items only
    int values[kLastBuiltinStyle];         // integers, colours ($00BBGGRR) and 0/1
};

// clang-format off
const ItemRow kItems[kThemeItemCount] = {
    {"ButtonImage", tkThemeImage,
     {"MACOS_BUTTON", "WINXP_BUTTON", "DEEPBLUE_BUTTON", "PROTEIN_BUTTON", "BLUEGLASS_BUTTON"}, {}},
    {"ButtonTransparentBool", tkThemeBool, {}, {1, 0, 0, 0, 1}},
    {"CheckBoxImage", tkThemeImage,
     {"MACOS_CHECKBOX", "WINXP_CHECKBOX", "DEEPBLUE_CHECKBOX", "PROTEIN_CHECKBOX", "BLUEGLASS_CHECKBOX"}, {}},
    {"RadioButtonImage", tkThemeImage,
     {"MACOS_RADIOBUTTON", "WINXP_RADIOBUTTON", "DEEPBLUE_RADIOBUTTON", "PROTEIN_RADIOBUTTON", "BLUEGLASS_RADIOBUTTON"}, {}},
    {"TitleBarButtonImage", tkThemeImage,
     {"MACOS_TITLEBTN", "WINXP_TITLEBTN", "DEEPBLUE_TITLEBTN", "PROTEIN_TITLEBTN", "BLUEGLASS_TITLEBTN"}, {}},
    {"TitleBarButtonTransparentBool", tkThemeBool, {}, {0, 0, 0, 1, 1}},
    {"TitleBarButtonLeftOffsetInt", tkThemeInt, {}, {3, 2, 0, 0, 4}},
    {"TitleBarButtonRightOffsetInt", tkThemeInt, {}, {-2, -2, 0, 0, -3}},
    {"TitleBarButtonTopInt", tkThemeInt, {}, {4, 5, 2, 2, 6}},
    {"TitleBarLeftImage", tkThemeImage,
     {"MACOS_TITLE_LEFT", "WINXP_TITLE_LEFT", "DEEPBLUE_TITLE_LEFT", "PROTEIN_TITLE_LEFT", "BLUEGLASS_TITLE_LEFT"}, {}},
    {"TitleBarClientImage", tkThemeImage,
     {"MACOS_TITLE_CLIENT", "WINXP_TITLE_CLIENT", "DEEPBLUE_TITLE_CLIENT", "PROTEIN_TITLE_CLIENT", "BLUEGLASS_TITLE_CLIENT"}, {}},
    {"TitleBarRightImage", tkThemeImage,
     {"MACOS_TITLE_RIGHT", "WINXP_TITLE_RIGHT", "DEEPBLUE_TITLE_RIGHT", "PROTEIN_TITLE_RIGHT", "BLUEGLASS_TITLE_RIGHT"}, {}},
    {"FormMinWidthInt", tkThemeInt, {}, {130, 150, 130, 130, 270}},
    {"FormRoundCornerInt", tkThemeInt, {}, {0, 13, 0, 0, 11}},
    {"FormBackgroundColor", tkThemeColor, {}, {0x00E7E7E7, 0x00DEEBEF, 0x00E8E8E8, 0x00FBFBFB, 0x00E7E7E7}},
    {"FormBorderColor", tkThemeColor, {}, {0x007F7F7F, 0x00C82C00, 0x00000000, 0x00000000, 0x00000000}},
    {"FormBorderWidthInt", tkThemeInt, {}, {1, 3, 1, 1, 1}},
    {"MenuSelectedBorderColor", tkThemeColor, {}, {0x00C47339, 0x00C66931, 0x00A04A44, 0x00C4302D, 0x00EC5E5E}},
    {"MenuSelectedBackgroundColor", tkThemeColor, {}, {0x00C47339, 0x00EFD3C6, 0x00A04A44, 0x00C4302D, 0x00EC5E5E}},
    {"MenuSelectedFontColor", tkThemeColor, {}, {0x00FFFFFF, 0x00000000, 0x00FFFFFF, 0x00FFFFFF, 0x00FFFFFF}},
    {"MenuBackgroundColor", tkThemeColor, {}, {0x00000000, 0x00FFFFFF, 0x00FFFFFF, 0x00FFFFFF, 0x00E7E7E7}},
    {"MenuFontColor", tkThemeColor, {}, {0x00000000, 0x00000000, 0x00000000, 0x00000000, 0x00000000}},
    {"MenuBarColor", tkThemeColor, {}, {0x00000000, 0x00CED3D6, 0x00CED3D6, 0x00CED3D6, 0x00CED3D6}},
    {"ProgressBarImage", tkThemeImage,
     {"MACOS_PROGRESSBAR", "WINXP_PROGRESSBAR", "DEEPBLUE_PROGRESSBAR", "PROTEIN_PROGRESSBAR", "BLUEGLASS_PROGRESSBAR"}, {}},
    {"ControlBorderColor", tkThemeColor, {}, {0x007F7F7F, 0x00686868, 0x00000000, 0x00000000, 0x00000000}},
    {"ControlBackgroundColor", tkThemeColor, {}, {0x00E7E7E7, 0x00DEEBEF, 0x00E8E8E8, 0x00FBFBFB, 0x00E7E7E7}},
    {"ControlFontColor", tkThemeColor, {}, {0x00000000, 0x00CF4602, 0x00000000, 0x00000000, 0x00000000}},
    {"TrackBarBarImage", tkThemeImage,
     {"MACOS_TRACKBAR_BAR", "WINXP_TRACKBAR_BAR", "DEEPBLUE_TRACKBAR_BAR", "PROTEIN_TRACKBAR_BAR", "BLUEGLASS_TRACKBAR_BAR"}, {}},
    {"TrackBarSliderImage", tkThemeImage,
     {"MACOS_TRACKBAR_SLIDER", "WINXP_TRACKBAR_SLIDER", "DEEPBLUE_TRACKBAR_SLIDER", "PROTEIN_TRACKBAR_SLIDER", "BLUEGLASS_TRACKBAR_SLIDER"}, {}},
    {"TrackBarSliderVImage", tkThemeImage,
     {"MACOS_TRACKBAR_SLIDER_V", "WINXP_TRACKBAR_SLIDER_V", "DEEPBLUE_TRACKBAR_SLIDER_V", "PROTEIN_TRACKBAR_SLIDER_V", "BLUEGLASS_TRACKBAR_SLIDER_V"}, {}},
    {"ScrollBarBackgroundColor", tkThemeColor, {}, {0x00C9C9C9, 0x00F9F9F9, 0x00F5F5F5, 0x00F5F5F5, 0x00F4F4F4}},
    {"ScrollBarButtonImage", tkThemeImage,
     {"MACOS_SCROLLBAR_BUTTON", "WINXP_SCROLLBAR_BUTTON", "DEEPBLUE_SCROLLBAR_BUTTON", "PROTEIN_SCROLLBAR_BUTTON", "BLUEGLASS_SCROLLBAR_BUTTON"}, {}},
    {"ScrollBarSliderImage", tkThemeImage,
     {"MACOS_SCROLLBAR_TRACK", "WINXP_SCROLLBAR_TRACK", "DEEPBLUE_SCROLLBAR_TRACK", "PROTEIN_SCROLLBAR_TRACK", "BLUEGLASS_SCROLLBAR_TRACK"}, {}},
    {"CheckListBoxImage", tkThemeImage,
     {"MACOS_CHECKLIST", "WINXP_CHECKLIST", "DEEPBLUE_CHECKLIST", "PROTEIN_CHECKLIST", "BLUEGLASS_CHECKLIST"}, {}},
    {"ToolBarButtonBorderColor", tkThemeColor, {}, {0x00474747, 0x00C66931, 0x00474747, 0x00474747, 0x00474747}},
    {"ToolBarButtonBackgroundColor", tkThemeColor, {}, {0x00EFEFEF, 0x00EFD3C6, 0x00EFEFEF, 0x00EFEFEF, 0x00EFEFEF}},
    {"ToolBarButtonDownBackgroundColor", tkThemeColor, {}, {0x00D8D8D8, 0x00E1AC93, 0x00D8D8D8, 0x00D8D8D8, 0x00D8D8D8}},
    {"ScrollButtonImage", tkThemeImage,
     {"MACOS_SCROLLBUTTON", "WINXP_SCROLLBUTTON", "MORE_SCROLLBUTTON", "MORE_SCROLLBUTTON", "MORE_SCROLLBUTTON"}, {}},
    {"TabControlTabImage", tkThemeImage,
     {"MACOS_TAB", "WINXP_TAB", "DEEPBLUE_TAB", "PROTEIN_TAB", "BLUEGLASS_TAB"}, {}},
    {"TabControlBarImage", tkThemeImage,
     {"MACOS_TAB_LINE", "WINXP_TAB_LINE", "DEEPBLUE_TAB_LINE", "PROTEIN_TAB_LINE", "BLUEGLASS_TAB_LINE"}, {}},
    {"SideChannelHandleImage", tkThemeImage,
     {"MACOS_SIDECHENNEL_HANDLE", "WINXP_SIDECHENNEL_HANDLE", "DEEPBLUE_SIDECHENNEL_HANDLE", "PROTEIN_SIDECHENNEL_HANDLE", "BLUEGLASS_SIDECHENNEL_HANDLE"}, {}},
    {"SideChannelBarImage", tkThemeImage,
     {"MACOS_SIDECHENNEL_BAR", "WINXP_SIDECHENNEL_BAR", "DEEPBLUE_SIDECHENNEL_BAR", "PROTEIN_SIDECHENNEL_BAR", "BLUEGLASS_SIDECHENNEL_BAR"}, {}},
};
// clang-format on

bool ValidItem(int Item) {
    return Item >= 1 && Item <= kThemeItemCount;
}
bool BuiltinStyle(TskUIStyle Style) {
    return Style >= MacOS && Style <= kLastBuiltinStyle;
}

} // namespace

const char* const ThemeItemKeys[kThemeItemCount + 1] = {
    "",
    "ButtonImage",
    "ButtonTransparentBool",
    "CheckBoxImage",
    "RadioButtonImage",
    "TitleBarButtonImage",
    "TitleBarButtonTransparentBool",
    "TitleBarButtonLeftOffsetInt",
    "TitleBarButtonRightOffsetInt",
    "TitleBarButtonTopInt",
    "TitleBarLeftImage",
    "TitleBarClientImage",
    "TitleBarRightImage",
    "FormMinWidthInt",
    "FormRoundCornerInt",
    "FormBackgroundColor",
    "FormBorderColor",
    "FormBorderWidthInt",
    "MenuSelectedBorderColor",
    "MenuSelectedBackgroundColor",
    "MenuSelectedFontColor",
    "MenuBackgroundColor",
    "MenuFontColor",
    "MenuBarColor",
    "ProgressBarImage",
    "ControlBorderColor",
    "ControlBackgroundColor",
    "ControlFontColor",
    "TrackBarBarImage",
    "TrackBarSliderImage",
    "TrackBarSliderVImage",
    "ScrollBarBackgroundColor",
    "ScrollBarButtonImage",
    "ScrollBarSliderImage",
    "CheckListBoxImage",
    "ToolBarButtonBorderColor",
    "ToolBarButtonBackgroundColor",
    "ToolBarButtonDownBackgroundColor",
    "ScrollButtonImage",
    "TabControlTabImage",
    "TabControlBarImage",
    "SideChannelHandleImage",
    "SideChannelBarImage",
};

Byte ThemeItemKindOf(int Item) {
    return ValidItem(Item) ? kItems[Item - 1].kind : tkThemeInt;
}

int GetBuiltinThemeValue(TskUIStyle Style, int Item, Byte& Kind) {
    if (!BuiltinStyle(Style) || !ValidItem(Item)) {
        Kind = tkThemeInt;
        return -1;
    }
    const ItemRow& row = kItems[Item - 1];
    Kind = row.kind;
    return row.kind == tkThemeImage ? Item : row.values[Style - MacOS];
}

String BuiltinThemeImageName(TskUIStyle Style, int Item) {
    if (!BuiltinStyle(Style) || !ValidItem(Item) || kItems[Item - 1].kind != tkThemeImage)
        return "";
    return PCharToStr(kItems[Item - 1].images[Style - MacOS]);
}

void RegisterBuiltinThemeArt() {
    static std::once_flag once;
    std::call_once(once, [] { RegisterStyleArtResources(); });
}

void LoadBuiltinThemeBitmap(TskUIStyle Style, int Item, TBitmap* Bitmap) {
    if (!Bitmap) return;
    const String name = BuiltinThemeImageName(Style, Item);
    if (name.empty()) return;
    // The art never changes while the program runs: each picture is decoded once. The
    // pictures live as long as the program (never freed, so that no bitmap outlives the
    // graphics layer at exit).
    static auto* decoded = new std::map<String, ObjectPtr<TBitmap>>;
    auto found = decoded->find(name);
    if (found == decoded->end()) {
        RegisterBuiltinThemeArt();
        auto image = MakeObject<TBitmap>();
        image->LoadFromResourceName(HInstance, name);
        found = decoded->emplace(name, std::move(image)).first;
    }
    Bitmap->Assign(found->second.get());
}

void GetBuiltinThemeBitmap(TskUIStyle Style, int Item, TBitmap* Bitmap, int Count, int Index) {
    if (!Bitmap) return;
    if (Count == 0) {
        LoadBuiltinThemeBitmap(Style, Item, Bitmap);
        return;
    }
    ObjectPtr<TBitmap> whole = MakeObject<TBitmap>();
    LoadBuiltinThemeBitmap(Style, Item, whole.get());
    if (whole->Empty()) return; // not an image item
    SliceBitmap(whole.get(), Bitmap, Count, Index);
}

bool GetBuiltinThemeBool(TskUIStyle Style, int Item) {
    Byte kind = 0;
    int value = GetBuiltinThemeValue(Style, Item, kind);
    return kind == tkThemeBool && value != 0;
}

TColor GetBuiltinThemeColor(TskUIStyle Style, int Item) {
    Byte kind = 0;
    int value = GetBuiltinThemeValue(Style, Item, kind);
    return kind == tkThemeColor ? TColor(value) : 0;
}

int GetBuiltinThemeInt(TskUIStyle Style, int Item) {
    Byte kind = 0;
    int value = GetBuiltinThemeValue(Style, Item, kind);
    return kind == tkThemeInt ? value : -1;
}

TskUIStyle GetOwnerUIStyle(TComponent* AOwner) {
    auto* form = dynamic_cast<TCustomForm*>(AOwner);
    if (!form) return DeepBlue;
    for (int i = 0; i < form->ControlCount(); ++i) {
        TControl* child = form->Controls(i);
        // The skinned form lives above this layer of the library; it is known by its class
        // name and its published style.
        if (child->ClassName() != "TskForm" || !HasPublishedProperty(child, "UIStyle")) continue;
        Int64 style = GetOrdProp(child, "UIStyle");
        return style >= FromThemeFile && style <= kLastBuiltinStyle ? TskUIStyle(style) : DeepBlue;
    }
    return DeepBlue;
}

// --- TskFileThemeMgr -----------------------------------------------------------------------

TskFileThemeMgr::TskFileThemeMgr() = default;
TskFileThemeMgr::~TskFileThemeMgr() = default;

bool TskFileThemeMgr::LoadFromFile(const String& FileName) {
    if (!FileExists(FileName)) return false;
    // A new reader replaces the current one only once it has read its file.
    auto fresh = std::make_unique<TskThemeFileReader>(FileName);
    if (!fresh->HeaderValid()) return false;
    reader_ = std::move(fresh);
    decoded_.clear();
    return true;
}

bool TskFileThemeMgr::GetBitmap(int Item, TGraphic* Graphic) {
    if (!reader_ || !Graphic || !ValidItem(Item)) return false;
    auto found = decoded_.find(Item);
    if (found == decoded_.end()) {
        ObjectPtr<TBitmap> image;
        if (TStream* stream = reader_->GetBitmapStream(ThemeItemKeys[Item])) {
            image = MakeObject<TBitmap>();
            try {
                image->LoadFromStream(*stream);
            } catch (const EInvalidGraphic&) {
                image.reset(); // the graphic keeps what it had
            }
            if (image && image->Empty()) image.reset();
        }
        found = decoded_.emplace(Item, std::move(image)).first;
    }
    if (!found->second) return false;
    Graphic->Assign(found->second.get());
    return !Graphic->Empty();
}

bool TskFileThemeMgr::GetBool(int Item) {
    if (!reader_ || !ValidItem(Item)) return false;
    return reader_->GetBool(ThemeItemKeys[Item]);
}

TColor TskFileThemeMgr::GetColor(int Item) {
    if (!ValidItem(Item)) return 0;
    int value = 0;
    if (reader_ && reader_->FindInteger(ThemeItemKeys[Item], value)) return TColor(value);
    return kItems[Item - 1].kind == tkThemeColor ? GetBuiltinThemeColor(DeepBlue, Item)
                                                 : GetBuiltinThemeInt(DeepBlue, Item);
}

int TskFileThemeMgr::GetInt(int Item) {
    if (!ValidItem(Item)) return -1;
    int value = 0;
    if (reader_ && reader_->FindInteger(ThemeItemKeys[Item], value)) return value;
    return kItems[Item - 1].kind == tkThemeColor ? GetBuiltinThemeColor(DeepBlue, Item)
                                                 : GetBuiltinThemeInt(DeepBlue, Item);
}
