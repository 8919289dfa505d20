#pragma once
// Lists of text lines, each with an optional object pointer beside it. TStrings is the
// interface (a memo's lines are one too); TStringList keeps the lines itself.
// Lines compare without regard to case unless CaseSensitive is set; a "name=value" line has
// the name before the first "=".
#include "rtl/Lists.h"
#include "rtl/Persistent.h"

#include <vector>

class TStream;

// The line break Text writes; Text reads "\r\n", "\n" and "\r".
extern const char* const sLineBreak;

class TStrings : public TPersistent {
    KORVID_CLASS(TStrings, TPersistent)

    virtual int Count() const = 0;
    virtual String Get(int index) const = 0;
    virtual void Put(int index, const String& text);
    virtual TObject* GetObject(int index) const;
    virtual void PutObject(int index, TObject* object);
    virtual void Insert(int index, const String& text) = 0;
    virtual void InsertObject(int index, const String& text, TObject* object);
    virtual void Delete(int index) = 0;
    virtual void Clear() = 0;
    virtual int Add(const String& text);
    virtual int AddObject(const String& text, TObject* object);
    virtual int IndexOf(const String& text) const;
    void AddStrings(const TStrings& other);
    void Append(const String& text) { Add(text); }
    void Exchange(int a, int b);
    void Move(int from, int to);

    String Strings(int index) const { return Get(index); }
    String operator[](int index) const { return Get(index); }
    TObject* Objects(int index) const { return GetObject(index); }

    // Every line followed by sLineBreak.
    String Text() const;
    void SetText(const String& text);
    // Comma-separated, with lines quoted when they hold blanks, commas or quotes.
    String CommaText() const;

    String Names(int index) const;
    String ValueFromIndex(int index) const;
    int IndexOfName(const String& name) const;
    // The value of the first line named name; empty when absent.
    String Values(const String& name) const;
    // Replaces the value of the first line named name, adds a line when absent, and deletes
    // the line when value is empty.
    void SetValues(const String& name, const String& value);

    bool CaseSensitive() const { return caseSensitive_; }
    virtual void SetCaseSensitive(bool value) { caseSensitive_ = value; }

    // While updates are begun, change events wait; the last EndUpdate reports one change.
    void BeginUpdate();
    void EndUpdate();
    int UpdateCount() const { return updateCount_; }

    void LoadFromStream(TStream& stream);
    void SaveToStream(TStream& stream) const;
    void LoadFromFile(const String& fileName);
    void SaveToFile(const String& fileName) const;

    // Copies the lines (and objects) of another TStrings.
    void Assign(TPersistent* Source) override;
    bool Equals(const TStrings& other) const;

    // Compares two lines as the list does (by case sensitivity).
    int CompareStrings(const String& a, const String& b) const;

protected:
    virtual void SetUpdateState(bool updating) {}

private:
    bool caseSensitive_ = false;
    int updateCount_ = 0;
};

class TStringList : public TStrings {
    KORVID_CLASS(TStringList, TStrings)

    int Count() const override { return static_cast<int>(lines_.size()); }
    String Get(int index) const override;
    void Put(int index, const String& text) override;
    TObject* GetObject(int index) const override;
    void PutObject(int index, TObject* object) override;
    void Insert(int index, const String& text) override;
    void InsertObject(int index, const String& text, TObject* object) override;
    void Delete(int index) override;
    void Clear() override;
    int AddObject(const String& text, TObject* object) override;
    int IndexOf(const String& text) const override;
    void SetCaseSensitive(bool value) override;

    // Sorted lists keep their lines in order; Add puts a line where it belongs (duplicates by
    // Duplicates) and Insert raises EStringListError.
    bool Sorted() const { return sorted_; }
    void SetSorted(bool value);
    TDuplicates Duplicates() const { return duplicates_; }
    void SetDuplicates(TDuplicates value) { duplicates_ = value; }
    // Binary search in a sorted list: true and the index when found, else false and the
    // index where the line would go.
    bool Find(const String& text, int& index) const;
    virtual void Sort();
    using CompareLines = std::function<int(const TStringList& list, int a, int b)>;
    void CustomSort(const CompareLines& compare);

    TNotifyEvent OnChange;
    TNotifyEvent OnChanging;

protected:
    virtual void Changed();
    virtual void Changing();
    void SetUpdateState(bool updating) override;

private:
    struct Line {
        String text;
        TObject* object = nullptr;
    };
    size_t Check(int index) const;
    void InsertLine(int index, const String& text, TObject* object);

    std::vector<Line> lines_;
    bool sorted_ = false;
    TDuplicates duplicates_ = dupIgnore;
};
