// The data-access layer as a program uses it: a memory data set filled in code, its cursor
// and editing, the data source and links that hear of it, and the errors it raises.
#include "framework/DataLink.h"
#include "framework/DataSource.h"
#include "framework/MemoryDataSet.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

// A data set of People(Name, Age) with the given names, aged 20, 21, ...
ObjectPtr<TMemoryDataSet> People(const std::vector<String>& names) {
    auto set = CreateUnowned<TMemoryDataSet>();
    set->FieldDefs()->Add("Name", ftString);
    set->FieldDefs()->Add("Age", ftInteger);
    set->Open();
    Int64 age = 20;
    for (const String& n : names)
        set->AppendRecord({n, age++});
    set->First();
    return set;
}

String Names(TDataSet* set) {
    String all;
    set->First();
    while (!set->Eof()) {
        all += set->FieldByName("Name")->AsString() + ";";
        set->Next();
    }
    return all;
}

// Writes down every notification it hears, in order.
class RecordingLink : public TDataLink {
    KORVID_CLASS(RecordingLink, TDataLink)

    std::vector<std::string> heard;
    // Set to have the link write this into "Name" when asked for its edits.
    String pendingName;

protected:
    void ActiveChanged() override { heard.push_back(Active() ? "active" : "inactive"); }
    void EditingChanged() override { heard.push_back(Editing() ? "editing" : "browsing"); }
    void DataSetChanged() override { heard.push_back("data"); }
    void DataSetScrolled(int Distance) override {
        heard.push_back("scroll " + std::to_string(Distance));
    }
    void RecordChanged(TField* Field) override {
        heard.push_back("record " + (Field ? Field->FieldName() : String("-")));
    }
    void UpdateData() override {
        heard.push_back("update");
        if (!pendingName.empty()) DataSet()->FieldByName("Name")->SetAsString(pendingName);
    }
};

TEST(DataSetTest, CursorMovesAndReportsItsEnds) {
    auto set = People({"Ann", "Bob", "Cy"});
    struct Step {
        const char* what;
        int recNo;
        bool bof, eof;
        int moved; // for MoveBy steps
    };
    // Bof and Eof are set by a move that hits an end, and cleared by one that leaves it.
    const Step steps[] = {{"first", 1, true, false, 0},   {"next", 2, false, false, 1},
                          {"next", 3, false, false, 1},   {"next", 3, false, true, 0},
                          {"next", 3, false, true, 0},    {"prior", 2, false, false, -1},
                          {"last", 3, false, true, 0},    {"by -10", 1, true, false, -2},
                          {"prior", 1, true, false, 0},   {"by 2", 3, false, false, 2},
                          {"recno 2", 2, false, false, 0}};
    for (const Step& s : steps) {
        const std::string w = s.what;
        int moved = 0;
        if (w == "first") set->First();
        if (w == "last") set->Last();
        if (w == "next") set->Next();
        if (w == "prior") set->Prior();
        if (w == "by -10") moved = set->MoveBy(-10);
        if (w == "by 2") moved = set->MoveBy(2);
        if (w == "recno 2") set->SetRecNo(2);
        EXPECT_EQ(set->RecNo(), s.recNo) << w;
        EXPECT_EQ(set->Bof(), s.bof) << w;
        EXPECT_EQ(set->Eof(), s.eof) << w;
        if (w.rfind("by", 0) == 0) {
            EXPECT_EQ(moved, s.moved) << w;
        }
    }
    EXPECT_EQ(set->FieldByName("name")->AsString(), "Bob") << "names ignore case";
    EXPECT_EQ(set->FieldByName("Age")->AsInteger(), 21);

    auto empty = People({});
    EXPECT_TRUE(empty->Bof());
    EXPECT_TRUE(empty->Eof());
    EXPECT_EQ(empty->RecNo(), 0);
    empty->Next();
    empty->Last();
    EXPECT_TRUE(empty->Bof() && empty->Eof());
    EXPECT_TRUE(empty->FieldByName("Name")->IsNull());
}

TEST(DataSetTest, EditInsertAppendPostAndCancel) {
    auto set = People({"Ann", "Bob", "Cy"});
    set->SetRecNo(2);
    set->Edit();
    EXPECT_EQ(set->State(), dsEdit);
    set->FieldByName("Name")->SetAsString("Bea");
    EXPECT_TRUE(set->Modified());
    set->Cancel();
    EXPECT_EQ(set->State(), dsBrowse);
    EXPECT_EQ(set->FieldByName("Name")->AsString(), "Bob") << "cancel restores the record";

    set->Edit();
    set->FieldByName("Name")->SetAsString("Bea");
    set->Post();
    EXPECT_EQ(set->FieldByName("Name")->AsString(), "Bea");

    // Insert goes in front of the current record; a cancelled insert returns to it.
    set->SetRecNo(2);
    set->Insert();
    EXPECT_EQ(set->State(), dsInsert);
    EXPECT_EQ(set->RecordCount(), 3) << "not counted before it is posted";
    set->Cancel();
    EXPECT_EQ(set->RecNo(), 2);
    EXPECT_EQ(set->FieldByName("Name")->AsString(), "Bea");
    set->Insert();
    set->FieldByName("Name")->SetAsString("Abe");
    set->Post();
    EXPECT_EQ(set->RecNo(), 2);
    set->Append();
    EXPECT_TRUE(set->Eof());
    set->FieldByName("Name")->SetAsString("Zed");
    set->FieldByName("Age")->SetAsString("99");
    set->Post();
    EXPECT_EQ(set->RecNo(), 5);
    EXPECT_EQ(set->FieldByName("Age")->AsInteger(), 99);
    EXPECT_EQ(Names(set.get()), "Ann;Abe;Bea;Cy;Zed;");

    // Moving on while editing keeps a changed record and drops an unchanged one.
    set->First();
    set->Edit();
    set->FieldByName("Name")->SetAsString("Anna");
    set->Next();
    EXPECT_EQ(set->State(), dsBrowse);
    set->Insert();
    set->Next();
    EXPECT_EQ(set->RecordCount(), 5) << "an untouched new record is dropped";
    EXPECT_EQ(Names(set.get()), "Anna;Abe;Bea;Cy;Zed;");

    // Edit on an empty set starts an insert.
    auto empty = People({});
    empty->Edit();
    EXPECT_EQ(empty->State(), dsInsert);
}

TEST(DataSetTest, DeleteKeepsTheCursorOnARecord) {
    auto set = People({"Ann", "Bob", "Cy"});
    set->SetRecNo(2);
    set->Delete();
    EXPECT_EQ(set->FieldByName("Name")->AsString(), "Cy") << "the next one takes its place";
    set->Delete();
    EXPECT_EQ(set->RecNo(), 1) << "deleting the last steps back";
    EXPECT_EQ(set->FieldByName("Name")->AsString(), "Ann");
    set->Insert();
    set->Delete();
    EXPECT_EQ(set->RecordCount(), 1) << "deleting a new record only drops it";
    set->Delete();
    EXPECT_TRUE(set->IsEmpty());
    EXPECT_TRUE(set->Bof() && set->Eof());
}

TEST(DataSetTest, ErrorsNameWhatWasWrongAndChangeNothing) {
    auto set = People({"Ann"});
    auto readOnly = People({"Ann"});
    readOnly->SetReadOnly(true);
    auto empty = People({});
    auto closed = People({"Ann"});
    closed->Close();
    struct Case {
        const char* what;
        std::function<void()> run;
        const char* message;
    };
    const Case cases[] = {
        {"next on a closed set", [&] { closed->Next(); },
         "Cannot perform this operation on a closed dataset"},
        {"insert into a read-only set", [&] { readOnly->Insert(); },
         "Cannot modify a read-only dataset"},
        {"edit of a read-only set", [&] { readOnly->Edit(); }, "Cannot modify a read-only dataset"},
        {"delete from a read-only set", [&] { readOnly->Delete(); },
         "Cannot modify a read-only dataset"},
        {"delete from an empty set", [&] { empty->Delete(); },
         "Cannot perform this operation on an empty dataset"},
        {"post while browsing", [&] { set->Post(); }, "Dataset not in edit or insert mode"},
        {"field set while browsing", [&] { set->FieldByName("Name")->SetAsString("x"); },
         "Dataset not in edit or insert mode"},
        {"unknown field", [&] { set->FieldByName("Height"); }, "Field 'Height' not found"},
        {"record number out of range", [&] { set->SetRecNo(2); },
         "Record number 2 out of range 1..1"},
        {"fields of an open set", [&] { set->FieldDefs()->Add("X", ftString); },
         "Cannot perform this operation on an open dataset"},
        {"fields of a closed set with records", [&] { closed->FieldDefs()->Clear(); },
         "Cannot change the fields of a dataset that holds records"},
        {"too many values",
         [&] {
             set->AppendRecord({"a", Int64(1), "b"});
         },
         "Too many values: the dataset has 2 fields"},
        {"a name given twice",
         [&] {
             auto fresh = CreateUnowned<TMemoryDataSet>();
             fresh->FieldDefs()->Add("Name", ftString);
             fresh->FieldDefs()->Add("NAME", ftInteger);
         },
         "Duplicate field name 'NAME'"},
        {"opening without fields", [&] { CreateUnowned<TMemoryDataSet>()->Open(); },
         "Cannot open a dataset without fields"},
    };
    for (const Case& c : cases) {
        try {
            c.run();
            ADD_FAILURE() << c.what << ": no error";
        } catch (const EDatabaseError& e) {
            EXPECT_EQ(e.Message(), c.message) << c.what;
        }
    }
    EXPECT_EQ(Names(set.get()), "Ann;");
    EXPECT_EQ(Names(readOnly.get()), "Ann;");

    // A value that does not fit its field leaves no half-made record behind.
    EXPECT_THROW(set->AppendRecord({"Bob", "old"}), EConvertError);
    EXPECT_EQ(set->State(), dsBrowse);
    EXPECT_EQ(Names(set.get()), "Ann;");
}

TEST(DataSetTest, FieldsConvertBetweenTypes) {
    auto set = CreateUnowned<TMemoryDataSet>();
    set->FieldDefs()->Add("S", ftString);
    set->FieldDefs()->Add("I", ftInteger);
    set->FieldDefs()->Add("F", ftFloat);
    set->FieldDefs()->Add("B", ftBoolean);
    set->Open();
    set->AppendRecord({Int64(42), "17", "2.5", "true"});
    TField* s = set->FieldByName("S");
    TField* i = set->FieldByName("I");
    TField* f = set->FieldByName("F");
    TField* b = set->FieldByName("B");
    EXPECT_EQ(s->AsString(), "42");
    EXPECT_EQ(s->AsInteger(), 42);
    EXPECT_EQ(i->AsInteger(), 17);
    EXPECT_EQ(i->AsString(), "17");
    EXPECT_DOUBLE_EQ(i->AsFloat(), 17.0);
    EXPECT_DOUBLE_EQ(f->AsFloat(), 2.5);
    EXPECT_EQ(f->AsInteger(), 3) << "rounded";
    EXPECT_TRUE(b->AsBoolean());
    EXPECT_EQ(b->AsString(), "True");
    set->Edit();
    s->SetAsString("seven");
    EXPECT_THROW(s->AsInteger(), EConvertError);
    EXPECT_THROW(i->SetAsString("seven"), EConvertError);
    EXPECT_EQ(i->AsInteger(), 17) << "a failed set keeps the value";
    b->SetAsInteger(0);
    EXPECT_FALSE(b->AsBoolean());
    i->Clear();
    EXPECT_TRUE(i->IsNull());
    EXPECT_EQ(i->AsString(), "");
    EXPECT_EQ(i->AsInteger(), 0);
    set->Post();
    EXPECT_TRUE(i->IsNull());
}

TEST(DataSetTest, RecordsOutliveCloseAndEmptyDataSetRemovesThem) {
    auto set = People({"Ann", "Bob"});
    TField* name = set->FieldByName("Name");
    set->Edit();
    name->SetAsString("Lost");
    set->Close();
    EXPECT_EQ(set->RecordCount(), 0);
    EXPECT_TRUE(name->IsNull()) << "a closed set has no current record";
    set->Open();
    EXPECT_EQ(set->FieldByName("Name"), name) << "the same fields come back";
    EXPECT_EQ(Names(set.get()), "Ann;Bob;") << "the unposted change went, the records stayed";
    set->EmptyDataSet();
    EXPECT_TRUE(set->IsEmpty());
    set->Close();
    set->FieldDefs()->Add("Town", ftString); // allowed again once no records are held
    set->Open();
    EXPECT_NE(set->FindField("Town"), nullptr);
}

TEST(DataSetTest, LinksHearEachChangeInOrder) {
    auto set = People({"Ann", "Bob", "Cy"});
    set->Close();
    auto source = CreateUnowned<TDataSource>();
    auto link = MakeObject<RecordingLink>();
    std::vector<std::string> sourceHeard;
    source->OnStateChange = [&](TObject*) {
        sourceHeard.push_back("state " + std::to_string(source->State()));
    };
    source->OnDataChange = [&](TObject*, TField* f) {
        sourceHeard.push_back("data " + (f ? f->FieldName() : String("-")));
    };
    source->SetDataSet(set.get());
    link->SetDataSource(source.get());
    EXPECT_FALSE(link->Active());
    set->Open();
    set->Next();
    set->Edit();
    set->FieldByName("Age")->SetAsInteger(5);
    link->pendingName = "Bo";
    set->Post();
    EXPECT_EQ(set->FieldByName("Name")->AsString(), "Bo") << "the link's edit was posted";
    link->pendingName.clear();
    set->SetRecNo(3);
    set->Next(); // only Eof changes
    set->Next(); // nothing changes
    const std::vector<std::string> expected = {"active",     "scroll 1", "editing",     "record -",
                                               "record Age", "update",   "record Name", "browsing",
                                               "data",       "scroll 1", "scroll 0"};
    EXPECT_EQ(link->heard, expected);
    const std::vector<std::string> expectedSource = {"state 1",  "data -",    "state 2", "data -",
                                                     "data Age", "data Name", "state 1", "data -",
                                                     "data -",   "data -"};
    EXPECT_EQ(sourceHeard, expectedSource);

    // A switched-off source shows an inactive set and passes nothing on.
    link->heard.clear();
    source->SetEnabled(false);
    EXPECT_FALSE(link->Active());
    EXPECT_EQ(source->State(), dsInactive);
    set->First();
    source->SetEnabled(true);
    set->Close();
    EXPECT_EQ(link->heard, (std::vector<std::string>{"inactive", "active", "inactive"}));
}

TEST(DataSetTest, DisabledControlsHearOnceWhenEnabledAgain) {
    auto set = People({"Ann", "Bob", "Cy"});
    auto source = CreateUnowned<TDataSource>();
    source->SetDataSet(set.get());
    auto link = MakeObject<RecordingLink>();
    link->SetDataSource(source.get());
    link->heard.clear();
    set->DisableControls();
    set->DisableControls();
    set->Next();
    set->Edit();
    set->FieldByName("Name")->SetAsString("B");
    set->Post();
    set->EnableControls();
    // Asked for its edits before the post, as always, but told nothing else yet.
    EXPECT_EQ(link->heard, (std::vector<std::string>{"update"}));
    set->EnableControls();
    EXPECT_EQ(link->heard, (std::vector<std::string>{"update", "data"}))
        << "editing began and ended unseen: the link's cached state never changed";
    set->EnableControls(); // one too many does nothing
    EXPECT_FALSE(set->ControlsDisabled());
}

TEST(DataSetTest, FreeingAnyPartLeavesTheOthersConsistent) {
    auto set = People({"Ann"});
    auto* source = CreateComponent<TDataSource>(nullptr);
    source->SetDataSet(set.get());
    auto link = MakeObject<RecordingLink>();
    link->SetDataSource(source);
    EXPECT_TRUE(link->Active());
    source->Free();
    EXPECT_EQ(link->DataSource(), nullptr);
    EXPECT_FALSE(link->Active());
    set->Next(); // the set no longer knows the source

    auto source2 = CreateUnowned<TDataSource>();
    auto* doomed = CreateComponent<TMemoryDataSet>(nullptr);
    doomed->FieldDefs()->Add("A", ftString);
    doomed->Open();
    source2->SetDataSet(doomed);
    link->SetDataSource(source2.get());
    EXPECT_TRUE(link->Active());
    link->heard.clear();
    doomed->Free();
    EXPECT_EQ(source2->DataSet(), nullptr);
    EXPECT_EQ(link->heard, (std::vector<std::string>{"inactive"}));

    auto* leaving = CreateObject<RecordingLink>();
    leaving->SetDataSource(source2.get());
    EXPECT_TRUE(source2->HasLink(leaving));
    leaving->Free();
    EXPECT_FALSE(source2->HasLink(leaving));
    EXPECT_TRUE(source2->HasLink(link.get()));
}

} // namespace
