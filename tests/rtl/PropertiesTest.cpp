#include "rtl/Component.h"

#include <gtest/gtest.h>

namespace {

enum TStyle { stFromFile, stMac, stXP, stDeepBlue };

class TTheme : public TComponent {
    KORVID_CLASS(TTheme, TComponent)
};

class TOther : public TComponent {
    KORVID_CLASS(TOther, TComponent)
};

// The setters count their calls: a property set by name must go through them.
class TControlish : public TComponent {
    KORVID_CLASS(TControlish, TComponent)

    static void DeclareProperties(Published<TControlish>& p) {
        p.Ordinal("UIStyle", &TControlish::UIStyle, &TControlish::SetUIStyle)
            .Ordinal("Visible", &TControlish::Visible, &TControlish::SetVisible)
            .Ordinal("Width", &TControlish::Width, &TControlish::SetWidth)
            .Text("Caption", &TControlish::Caption, &TControlish::SetCaption)
            .Object("FileTheme", &TControlish::FileTheme, &TControlish::SetFileTheme)
            .Ordinal("Handle", &TControlish::Width); // read-only
    }

    TStyle UIStyle() const { return style_; }
    void SetUIStyle(TStyle v) {
        style_ = v;
        ++restyled_;
    }
    bool Visible() const { return visible_; }
    void SetVisible(bool v) { visible_ = v; }
    int Width() const { return width_; }
    void SetWidth(int v) { width_ = v < 0 ? 0 : v; }
    const String& Caption() const { return caption_; }
    virtual void SetCaption(const String& v) { caption_ = v; }
    TTheme* FileTheme() const { return theme_; }
    void SetFileTheme(TTheme* v) {
        theme_ = v;
        SetUIStyle(style_); // re-applies the style, as the skinned controls do
    }

    TStyle style_ = stDeepBlue;
    bool visible_ = true;
    int width_ = 10;
    String caption_;
    TTheme* theme_ = nullptr;
    int restyled_ = 0;
};

// Publishes nothing of its own: everything comes from above.
class TButtonish : public TControlish {
    KORVID_CLASS(TButtonish, TControlish)
};

// Publishes a new property, and Caption again with an accessor of its own.
class TLabelish : public TButtonish {
    KORVID_CLASS(TLabelish, TButtonish)

    static void DeclareProperties(Published<TLabelish>& p) {
        p.Ordinal("WordWrap", &TLabelish::wordWrap_, &TLabelish::SetWordWrap)
            .Text("Caption", &TLabelish::Caption, &TLabelish::SetUpperCaption);
    }
    void SetWordWrap(bool v) { wordWrap_ = v; }
    void SetUpperCaption(const String& v) { caption_ = "[" + v + "]"; }
    bool wordWrap_ = false;
};

} // namespace

TEST(Properties, LookupIncludesInheritedEntriesAndIgnoresCase) {
    auto label = CreateUnowned<TLabelish>();
    auto other = CreateUnowned<TOther>();
    for (const char* name :
         {"UIStyle", "uistyle", "FileTheme", "Caption", "WordWrap", "Name", "Tag"})
        EXPECT_TRUE(IsPublishedProp(label.get(), name)) << name;
    EXPECT_FALSE(IsPublishedProp(label.get(), "Color"));
    EXPECT_FALSE(IsPublishedProp(other.get(), "UIStyle"));
    EXPECT_TRUE(IsPublishedProp(other.get(), "Name"));
    EXPECT_FALSE(IsPublishedProp(nullptr, "Name"));
    auto button = CreateUnowned<TButtonish>();
    EXPECT_FALSE(IsPublishedProp(button.get(), "WordWrap"));
    EXPECT_EQ(PropType(button.get(), "UIStyle"), tkEnumeration);
    EXPECT_EQ(PropType(button.get(), "Width"), tkInteger);
    EXPECT_EQ(PropType(button.get(), "Caption"), tkString);
    EXPECT_EQ(PropType(button.get(), "FileTheme"), tkClass);

    // Each name once; the derived Caption hides the inherited one.
    int captions = 0;
    for (const PropertyInfo* info : GetPropList(label.get()))
        captions += info->Name == "Caption";
    EXPECT_EQ(captions, 1);
    EXPECT_EQ(GetPropList(label.get()).size(), 9u); // 2 + 6 + 1 entries
}

TEST(Properties, SetAndGetGoThroughTheAccessors) {
    auto theme = CreateUnowned<TTheme>();
    auto button = CreateUnowned<TButtonish>();
    SetOrdProp(button.get(), "UIStyle", stMac);
    EXPECT_EQ(button->UIStyle(), stMac);
    EXPECT_EQ(button->restyled_, 1);
    EXPECT_EQ(GetOrdProp(button.get(), "uistyle"), stMac);
    SetObjectProp(button.get(), "FileTheme", theme.get());
    EXPECT_EQ(button->FileTheme(), theme.get());
    EXPECT_EQ(button->restyled_, 2); // the theme setter re-applied the style
    EXPECT_EQ(GetObjectProp(button.get(), "FileTheme"), theme.get());
    SetObjectProp(button.get(), "FileTheme", nullptr);
    EXPECT_EQ(button->FileTheme(), nullptr);
    SetOrdProp(button.get(), "Width", -5);
    EXPECT_EQ(button->Width(), 0); // the setter's own rule applies
    SetOrdProp(button.get(), "Visible", 2);
    EXPECT_TRUE(button->Visible());
    SetOrdProp(button.get(), "Visible", 0);
    EXPECT_FALSE(button->Visible());
    SetStrProp(button.get(), "Caption", "OK");
    EXPECT_EQ(GetStrProp(button.get(), "Caption"), "OK");
    SetStrProp(button.get(), "Name", "Button1");
    EXPECT_EQ(button->Name(), "Button1");
    SetOrdProp(button.get(), "Tag", 42);
    EXPECT_EQ(button->Tag(), 42);

    auto label = CreateUnowned<TLabelish>();
    SetStrProp(label.get(), "Caption", "x");
    EXPECT_EQ(label->Caption(), "[x]");
    SetOrdProp(label.get(), "WordWrap", 1);
    EXPECT_TRUE(label->wordWrap_);
}

TEST(Properties, WrongNamesKindsAndValuesAreRefused) {
    auto button = CreateUnowned<TButtonish>();
    auto other = CreateUnowned<TOther>();
    EXPECT_THROW(SetOrdProp(button.get(), "Color", 1), EPropertyError);
    EXPECT_THROW(GetOrdProp(button.get(), "Caption"), EPropertyError);
    EXPECT_THROW(SetStrProp(button.get(), "Width", "3"), EPropertyError);
    EXPECT_THROW(SetObjectProp(button.get(), "UIStyle", nullptr), EPropertyError);
    EXPECT_THROW(SetObjectProp(button.get(), "FileTheme", other.get()), EPropertyError);
    EXPECT_EQ(button->FileTheme(), nullptr);
    EXPECT_THROW(SetOrdProp(button.get(), "Handle", 1), EPropertyError);
    EXPECT_EQ(GetOrdProp(button.get(), "Handle"), 10);
    EXPECT_THROW(GetOrdProp(nullptr, "Width"), EPropertyError);
    EXPECT_THROW(PropType(button.get(), "Nope"), EPropertyError);
}

namespace {

using TCountEvent = std::function<void(TObject* Sender, int Count)>;

// An event kept in a data member, and one behind a getter and a setter that counts its calls.
class TEventful : public TComponent {
    KORVID_CLASS(TEventful, TComponent)

    static void DeclareProperties(Published<TEventful>& p) {
        p.Event("OnChange", &TEventful::OnChange)
            .Event("OnCount", &TEventful::Counter, &TEventful::SetCounter);
    }
    TNotifyEvent OnChange;
    TCountEvent Counter() const { return counter_; }
    void SetCounter(TCountEvent v) {
        counter_ = std::move(v);
        ++sets_;
    }
    TCountEvent counter_;
    int sets_ = 0;
};

TEST(Properties, EventsAreSetAndReadByNameAsTheirOwnClosureType) {
    ObjectPtr<TEventful> o(CreateComponent<TEventful>(nullptr));
    EXPECT_EQ(PropType(o.get(), "OnChange"), tkMethod);
    int changes = 0, counted = 0;
    SetMethodProp<TNotifyEvent>(o.get(), "onchange", [&](TObject*) { ++changes; });
    ASSERT_TRUE(o->OnChange);
    o->OnChange(o.get());
    GetMethodProp<TNotifyEvent>(o.get(), "OnChange")(o.get());
    EXPECT_EQ(changes, 2);
    SetMethodProp<TCountEvent>(o.get(), "OnCount", [&](TObject*, int n) { counted += n; });
    EXPECT_EQ(o->sets_, 1) << "through the setter";
    o->Counter()(o.get(), 5);
    EXPECT_EQ(counted, 5);
    // A handler of another type is refused, both ways, and nothing changes.
    EXPECT_THROW(SetMethodProp<TNotifyEvent>(o.get(), "OnCount", [](TObject*) {}), EPropertyError);
    EXPECT_THROW(GetMethodProp<TNotifyEvent>(o.get(), "OnCount"), EPropertyError);
    EXPECT_EQ(o->sets_, 1);
    EXPECT_THROW(GetOrdProp(o.get(), "OnChange"), EPropertyError);
    // Cleared by name.
    SetMethodProp<TNotifyEvent>(o.get(), "OnChange", nullptr);
    EXPECT_FALSE(o->OnChange);
}

} // namespace
