#include "rtl/StringList.h"

#include "rtl/Stream.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<String> Lines(const TStrings& list) {
    std::vector<String> lines;
    for (int i = 0; i < list.Count(); ++i)
        lines.push_back(list[i]);
    return lines;
}

using V = std::vector<String>;

class TNotStrings : public TPersistent {
    KORVID_CLASS(TNotStrings, TPersistent)
};

} // namespace

TEST(StringList, AddDeleteClearAndIndexOf) {
    TStringList list;
    EXPECT_EQ(list.Add("one"), 0);
    EXPECT_EQ(list.Add("Two"), 1);
    EXPECT_EQ(list.Add("three"), 2);
    EXPECT_EQ(list.IndexOf("two"), 1); // without regard to case by default
    EXPECT_EQ(list.IndexOf("four"), -1);
    list.SetCaseSensitive(true);
    EXPECT_EQ(list.IndexOf("two"), -1);
    EXPECT_EQ(list.IndexOf("Two"), 1);
    list.Delete(0);
    EXPECT_EQ(Lines(list), (V{"Two", "three"}));
    EXPECT_THROW(list.Delete(2), EStringListError);
    EXPECT_THROW(list.Get(-1), EListError);
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
}

TEST(StringList, TextJoinsAndSplitsLines) {
    struct Case {
        const char* text;
        V lines;
    } cases[] = {
        {"", {}},
        {"a", {"a"}},
        {"a\n", {"a"}},
        {"a\nb\n", {"a", "b"}},
        {"a\r\nb\rc", {"a", "b", "c"}},
        {"a\n\nb", {"a", "", "b"}},
        {"\n", {""}},
    };
    for (const Case& c : cases) {
        TStringList list;
        list.SetText(c.text);
        EXPECT_EQ(Lines(list), c.lines) << c.text;
    }
    TStringList list;
    list.Add("x");
    list.Add("");
    list.Add("y");
    EXPECT_EQ(list.Text(), String("x") + sLineBreak + sLineBreak + "y" + sLineBreak);
}

TEST(StringList, SortAndSortedAdd) {
    TStringList list;
    for (const char* s : {"pear", "Apple", "banana", "apple"})
        list.Add(s);
    list.Sort();
    // Equal lines (without regard to case) keep their order.
    EXPECT_EQ(Lines(list), (V{"Apple", "apple", "banana", "pear"}));

    TStringList sorted;
    sorted.SetSorted(true);
    for (const char* s : {"m", "c", "x", "a", "c"})
        sorted.Add(s);
    EXPECT_EQ(Lines(sorted), (V{"a", "c", "m", "x"})); // dupIgnore
    EXPECT_EQ(sorted.IndexOf("m"), 2);
    EXPECT_THROW(sorted.Insert(0, "b"), EStringListError);
    sorted.SetDuplicates(dupError);
    EXPECT_THROW(sorted.Add("x"), EStringListError);
    sorted.SetDuplicates(dupAccept);
    sorted.Add("c");
    EXPECT_EQ(Lines(sorted), (V{"a", "c", "c", "m", "x"}));
    int index = -1;
    EXPECT_FALSE(sorted.Find("d", index));
    EXPECT_EQ(index, 3);
}

TEST(StringList, AssignCopiesLinesAndObjects) {
    TStringList source;
    TStringList other;
    source.AddObject("a", &other);
    source.Add("b");
    TStringList copy;
    copy.Add("old");
    copy.Assign(&source);
    EXPECT_EQ(Lines(copy), (V{"a", "b"}));
    EXPECT_EQ(copy.Objects(0), &other);
    EXPECT_EQ(copy.Objects(1), nullptr);
    copy.Assign(&copy); // onto itself: unchanged
    EXPECT_EQ(Lines(copy), (V{"a", "b"}));

    TNotStrings alien;
    try {
        copy.Assign(&alien);
        FAIL() << "no exception";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "Cannot assign a TNotStrings to a TStringList");
    }
}

TEST(StringList, OnChangeFiresPerChangeAndOncePerUpdate) {
    TStringList list;
    int changing = 0, changed = 0;
    list.OnChanging = [&](TObject* sender) {
        EXPECT_EQ(sender, &list);
        ++changing;
    };
    list.OnChange = [&](TObject* sender) {
        EXPECT_EQ(sender, &list);
        ++changed;
    };
    list.Add("a");
    list.Add("b");
    list.Delete(0);
    EXPECT_EQ(changing, 3);
    EXPECT_EQ(changed, 3);
    list.Clear();
    EXPECT_EQ(changed, 4);
    list.Clear(); // already empty: nothing changes
    EXPECT_EQ(changed, 4);

    changing = changed = 0;
    list.SetText("x\ny\nz");
    EXPECT_EQ(changing, 1);
    EXPECT_EQ(changed, 1);

    changed = 0;
    list.BeginUpdate();
    list.BeginUpdate();
    list.Add("1");
    list.Sort();
    list.EndUpdate();
    EXPECT_EQ(changed, 0);
    list.EndUpdate();
    EXPECT_EQ(changed, 1);
}

TEST(StringList, NamesAndValues) {
    TStringList list;
    list.SetText("width=10\nHeight=20\nplain");
    EXPECT_EQ(list.Values("height"), "20");
    EXPECT_EQ(list.Values("plain"), "");
    EXPECT_EQ(list.Names(0), "width");
    list.SetValues("width", "12");
    list.SetValues("depth", "3");
    list.SetValues("Height", "");
    EXPECT_EQ(Lines(list), (V{"width=12", "plain", "depth=3"}));
}

TEST(StringList, SavesAndLoadsThroughAStream) {
    TStringList list;
    list.SetText("first\nsecond");
    TMemoryStream stream;
    list.SaveToStream(stream);
    stream.SetPosition(0);
    TStringList back;
    back.LoadFromStream(stream);
    EXPECT_EQ(Lines(back), (V{"first", "second"}));
}

TEST(StringList, MoveAndExchangeKeepEveryLine) {
    TStringList list;
    list.SetText("a\nb\nc\nd");
    list.Move(0, 2);
    EXPECT_EQ(Lines(list), (V{"b", "c", "a", "d"}));
    list.Move(3, 0);
    EXPECT_EQ(Lines(list), (V{"d", "b", "c", "a"}));
    list.Exchange(0, 3);
    EXPECT_EQ(Lines(list), (V{"a", "b", "c", "d"}));
    EXPECT_THROW(list.Move(0, 4), EListError);
    EXPECT_EQ(Lines(list), (V{"a", "b", "c", "d"}));

    // A sorted list refuses to reorder, and loses nothing doing so.
    list.SetSorted(true);
    EXPECT_THROW(list.Move(0, 2), EStringListError);
    EXPECT_THROW(list.Exchange(0, 1), EStringListError);
    EXPECT_EQ(Lines(list), (V{"a", "b", "c", "d"}));
}
