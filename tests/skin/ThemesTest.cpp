#include "SkinTestUtil.h"
#include "support/SkinStyles.h"

#include "framework/Panel.h"
#include "framework/Resources.h"
#include "skin/SKButton.h"
#include "skin/SKMgr.h"
#include "skin/SKThemes.h"

namespace {

using skin_test::PixelOf;

TEST(ThemeItems, BuiltinValuesByKind) {
    struct Case {
        TskUIStyle style;
        int item;
        int asInt;
        TColor asColor;
        bool asBool;
    };
    // Each typed lookup answers only for its own kind: -1, 0 and false otherwise.
    const Case cases[] = {
        {DeepBlue, tiFormMinWidthInt, 130, 0, false},
        {DeepBlue, tiFormBackgroundColor, -1, 0x00E8E8E8, false},
        {Protein, tiFormBackgroundColor, -1, 0x00FBFBFB, false},
        {BlueGlass, tiButtonTransparentBool, -1, 0, true},
        {WinXP, tiButtonTransparentBool, -1, 0, false},
        {MacOS, tiTitleBarButtonRightOffsetInt, -2, 0, false},
        {WinXP, tiFormBorderColor, -1, 0x00C82C00, false},
        {Protein, tiTitleBarButtonTransparentBool, -1, 0, true},
        {BlueGlass, tiFormMinWidthInt, 270, 0, false},
        {WinXP, tiControlFontColor, -1, 0x00CF4602, false},
        {DeepBlue, tiButtonImage, -1, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "style " << int(c.style) << " item " << c.item);
        EXPECT_EQ(GetBuiltinThemeInt(c.style, c.item), c.asInt);
        EXPECT_EQ(GetBuiltinThemeColor(c.style, c.item), c.asColor);
        EXPECT_EQ(GetBuiltinThemeBool(c.style, c.item), c.asBool);
    }
}

TEST(ThemeItems, OutsideTheTablesAnswerKindZeroAndMinusOne) {
    struct Case {
        int style;
        int item;
    };
    const Case cases[] = {{FromThemeFile, 13}, {6, 13},       {255, 1},     {DeepBlue, 0},
                          {DeepBlue, 43},      {Protein, -1}, {MacOS, 1000}};
    for (const Case& c : cases) {
        Byte kind = 99;
        EXPECT_EQ(GetBuiltinThemeValue(TskUIStyle(c.style), c.item, kind), -1)
            << c.style << "/" << c.item;
        EXPECT_EQ(kind, 0) << c.style << "/" << c.item;
        EXPECT_EQ(GetBuiltinThemeInt(TskUIStyle(c.style), c.item), -1);
        EXPECT_TRUE(BuiltinThemeImageName(TskUIStyle(c.style), c.item).empty());
    }
    ObjectPtr<TBitmap> b = skin_test::SolidBitmap(3, 3, clRed);
    GetBuiltinThemeBitmap(FromThemeFile, tiButtonImage, b.get(), 0, 0);
    EXPECT_EQ(b->Width(), 3) << "no built-in picture for FromThemeFile; the bitmap is left alone";
}

TEST(ThemeItems, KeyNamesEndInTheirKind) {
    const char* endings[] = {"Int", "Color", "Image", "Bool"};
    for (int item = 1; item <= kThemeItemCount; ++item) {
        String key = ThemeItemKeys[item];
        String ending = endings[ThemeItemKindOf(item)];
        ASSERT_GE(key.size(), ending.size()) << item;
        EXPECT_EQ(key.substr(key.size() - ending.size()), ending) << key;
    }
    EXPECT_STREQ(ThemeItemKeys[tiFormRoundCornerInt], "FormRoundCornerInt");
    EXPECT_STREQ(ThemeItemKeys[tiSideChannelBarImage], "SideChannelBarImage");
}

// Every picture the controls size themselves from exists in every style at its size.
TEST(ThemeArt, EveryImageItemHasItsSizeInEveryStyle) {
    struct Case {
        int item;
        TSize size[5]; // MacOS .. BlueGlass
    };
    const Case cases[] = {
        {1, {{252, 23}, {54, 21}, {222, 21}, {222, 21}, {231, 27}}},
        {3, {{60, 17}, {52, 13}, {52, 13}, {52, 13}, {52, 13}}},
        {4, {{64, 17}, {52, 13}, {52, 13}, {52, 13}, {52, 13}}},
        {5, {{306, 17}, {378, 21}, {342, 19}, {342, 19}, {342, 19}}},
        {10, {{48, 23}, {35, 29}, {97, 32}, {441, 23}, {162, 33}}},
        {11, {{49, 23}, {37, 29}, {98, 32}, {1, 23}, {179, 33}}},
        {12, {{48, 23}, {35, 29}, {97, 32}, {1, 23}, {101, 33}}},
        {24, {{13, 10}, {6, 10}, {1, 10}, {1, 10}, {1, 10}}},
        {28, {{45, 5}, {45, 8}, {45, 4}, {45, 4}, {45, 4}}},
        {29, {{11, 20}, {11, 21}, {11, 20}, {11, 20}, {11, 20}}},
        {30, {{19, 11}, {22, 11}, {18, 11}, {18, 11}, {18, 11}}},
        {32, {{96, 22}, {96, 17}, {96, 16}, {96, 16}, {102, 16}}},
        {33, {{33, 16}, {21, 16}, {21, 16}, {21, 16}, {21, 16}}},
        {34, {{40, 11}, {44, 11}, {44, 11}, {44, 11}, {44, 11}}},
        {38, {{72, 18}, {72, 18}, {72, 17}, {72, 17}, {72, 17}}},
        {39, {{36, 27}, {18, 18}, {12, 17}, {18, 17}, {18, 17}}},
        {40, {{17, 7}, {8, 1}, {5, 5}, {10, 5}, {10, 5}}},
        {41, {{7, 84}, {8, 86}, {8, 83}, {8, 83}, {8, 86}}},
        {42, {{1, 21}, {1, 21}, {1, 20}, {1, 21}, {1, 21}}},
    };
    for (const Case& c : cases)
        for (int s = 0; s < 5; ++s) {
            ObjectPtr<TBitmap> b = MakeObject<TBitmap>();
            const TskUIStyle style = test_support::kBuiltinStyles[s].style;
            LoadBuiltinThemeBitmap(style, c.item, b.get());
            EXPECT_EQ(b->Width(), c.size[s].cx) << BuiltinThemeImageName(style, c.item);
            EXPECT_EQ(b->Height(), c.size[s].cy) << BuiltinThemeImageName(style, c.item);
        }
}

TEST(ThemeArt, PicturesOutsideTheItemsExist) {
    RegisterBuiltinThemeArt();
    struct Case {
        const char* name;
        int w, h;
    };
    const Case cases[] = {{"MACOS_MENU_BAR", 1, 22},       {"MACOS_MENU_SELECT", 1, 21},
                          {"MACOS_FORM_BACKGROUND", 8, 8}, {"PROTEIN_FORM_BACKGROUND", 8, 8},
                          {"MENU_CHECKED", 16, 16},        {"MDI_CONTROL_BUTTON", 48, 16},
                          {"DBNAV_BUTTON", 160, 16},       {"MAINICON", 32, 32}};
    for (const Case& c : cases) {
        ObjectPtr<TBitmap> b = MakeObject<TBitmap>();
        b->LoadFromResourceName(HInstance, c.name);
        EXPECT_EQ(b->Width(), c.w) << c.name;
        EXPECT_EQ(b->Height(), c.h) << c.name;
    }
}

// The look of a button's corners follows the style's ButtonTransparentBool: see-through
// (clFuchsia) where it is true, never clFuchsia anywhere where it is false.
TEST(ThemeArt, ButtonCornersFollowTheTransparencySwitch) {
    for (const auto& [style, name] : test_support::kBuiltinStyles) {
        ObjectPtr<TBitmap> strip = MakeObject<TBitmap>();
        LoadBuiltinThemeBitmap(style, tiButtonImage, strip.get());
        const bool seeThrough = GetBuiltinThemeBool(style, tiButtonTransparentBool);
        const int pw = strip->Width() / 3, h = strip->Height();
        for (int piece = 0; piece < 3; ++piece) {
            EXPECT_EQ(PixelOf(strip.get(), piece * pw, 0) == clFuchsia, seeThrough) << name;
            EXPECT_EQ(PixelOf(strip.get(), piece * pw, h - 1) == clFuchsia, seeThrough) << name;
        }
        if (seeThrough) continue;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < strip->Width(); ++x)
                ASSERT_NE(PixelOf(strip.get(), x, y), clFuchsia) << name << " at " << x << "," << y;
    }
}

TEST(ThemeArt, SlicedPieceIsThatPartOfTheStrip) {
    ObjectPtr<TBitmap> whole = MakeObject<TBitmap>();
    GetBuiltinThemeBitmap(Protein, tiButtonImage, whole.get(), 0, 0);
    ASSERT_EQ(whole->Width(), 222);
    ASSERT_EQ(whole->Height(), 21);
    ObjectPtr<TBitmap> middle = MakeObject<TBitmap>();
    GetBuiltinThemeBitmap(Protein, tiButtonImage, middle.get(), 3, 2);
    ASSERT_EQ(middle->Width(), 74);
    ASSERT_EQ(middle->Height(), 21);
    for (int y = 0; y < 21; ++y)
        for (int x = 0; x < 74; ++x)
            ASSERT_EQ(PixelOf(middle.get(), x, y), PixelOf(whole.get(), 74 + x, y))
                << x << "," << y;
}

TEST(StyleDispatch, UsingFileThemeDecidesTheSource) {
    ObjectPtr<TskFileTheme> unloaded = CreateUnowned<TskFileTheme>();
    struct Case {
        TskFileTheme* theme;
        TskUIStyle asked;
        bool fromFile;
        TskUIStyle used;
    };
    const Case cases[] = {
        {nullptr, Protein, false, Protein},
        {nullptr, FromThemeFile, false, DeepBlue},
        {unloaded.get(), FromThemeFile, false, DeepBlue},
        {unloaded.get(), MacOS, false, MacOS},
    };
    for (const Case& c : cases) {
        TskUIStyle used = BlueGlass;
        EXPECT_EQ(UsingFileTheme(c.theme, c.asked, used), c.fromFile) << int(c.asked);
        EXPECT_EQ(used, c.used) << int(c.asked);
    }
    // Without a loaded skin, FromThemeFile reads DeepBlue's values.
    EXPECT_EQ(SkinColor(unloaded.get(), FromThemeFile, tiFormBackgroundColor), 0x00E8E8E8);
    EXPECT_EQ(SkinInt(nullptr, FromThemeFile, tiFormMinWidthInt), 130);
    EXPECT_EQ(SkinInt(nullptr, BlueGlass, tiFormMinWidthInt), 270);
    EXPECT_TRUE(SkinBool(nullptr, MacOS, tiButtonTransparentBool));
}

// A stand-in for the skinned form: only its class name and published style are looked at.
class TskForm : public TCustomControl {
    KORVID_CLASS(TskForm, TCustomControl)
    static void DeclareProperties(Published<TskForm>& p) {
        p.Ordinal("UIStyle", &TskForm::Style, &TskForm::SetStyle);
    }
    TskUIStyle Style() const { return style_; }
    void SetStyle(TskUIStyle v) { style_ = v; }

private:
    TskUIStyle style_ = DeepBlue;
};

class OwnerStyleTest : public skin_test::SkinFixture {};

TEST_F(OwnerStyleTest, NewControlsTakeTheFirstSkinnedFormsStyle) {
    EXPECT_EQ(GetOwnerUIStyle(nullptr), DeepBlue);
    EXPECT_EQ(GetOwnerUIStyle(app_), DeepBlue) << "not a form";
    EXPECT_EQ(GetOwnerUIStyle(form_), DeepBlue) << "no skinned form on it";
    auto* plain = CreateComponent<TPanel>(form_);
    plain->SetParent(form_);
    auto* skinned = CreateComponent<TskForm>(form_);
    skinned->SetStyle(Protein);
    skinned->SetParent(form_);
    auto* second = CreateComponent<TskForm>(form_);
    second->SetStyle(MacOS);
    second->SetParent(form_);
    EXPECT_EQ(GetOwnerUIStyle(form_), Protein);
}

TEST_F(OwnerStyleTest, ContainerPassesStyleAndThemeToDirectChildrenThatTakeBoth) {
    auto* panel = CreateComponent<TPanel>(form_);
    panel->SetParent(form_);
    auto* button = CreateComponent<TskButton>(form_);
    button->SetParent(panel);
    auto* styleOnly = CreateComponent<TskForm>(form_);
    styleOnly->SetParent(panel);
    auto* inner = CreateComponent<TPanel>(form_);
    inner->SetParent(panel);
    auto* deeper = CreateComponent<TskButton>(form_);
    deeper->SetParent(inner);
    auto* theme = CreateComponent<TskFileTheme>(form_);
    ContainerApplyUIStyle(panel, FromThemeFile, theme);
    EXPECT_EQ(button->UIStyle(), FromThemeFile);
    EXPECT_EQ(button->FileTheme(), theme);
    EXPECT_EQ(styleOnly->Style(), DeepBlue) << "publishes UIStyle but no FileTheme: left alone";
    EXPECT_EQ(deeper->UIStyle(), DeepBlue) << "children of children are not visited";
}

} // namespace
