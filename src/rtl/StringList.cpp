#include "rtl/StringList.h"

#include "rtl/ScopeGuard.h"
#include "rtl/Stream.h"
#include "rtl/Text.h"

#include <algorithm>

const char* const sLineBreak = "\n";

namespace {

[[noreturn]] void IndexError(int index) {
    throw EStringListError("List index out of bounds (" + std::to_string(index) + ")");
}

String QuotedIfNeeded(const String& text) {
    bool plain = !text.empty();
    for (char c : text)
        if (static_cast<unsigned char>(c) <= ' ' || c == ',' || c == '"') plain = false;
    if (plain) return text;
    String quoted = "\"";
    for (char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

} // namespace

void TStrings::Put(int index, const String& text) {
    TObject* object = GetObject(index);
    Delete(index);
    InsertObject(index, text, object);
}

TObject* TStrings::GetObject(int) const {
    return nullptr;
}

void TStrings::PutObject(int, TObject*) {}

void TStrings::InsertObject(int index, const String& text, TObject* object) {
    Insert(index, text);
    PutObject(index, object);
}

int TStrings::Add(const String& text) {
    return AddObject(text, nullptr);
}

int TStrings::AddObject(const String& text, TObject* object) {
    int index = Count();
    InsertObject(index, text, object);
    return index;
}

int TStrings::IndexOf(const String& text) const {
    for (int i = 0; i < Count(); ++i)
        if (CompareStrings(Get(i), text) == 0) return i;
    return -1;
}

void TStrings::AddStrings(const TStrings& other) {
    UpdateScope update(this);
    for (int i = 0; i < other.Count(); ++i)
        AddObject(other.Get(i), other.GetObject(i));
}

void TStrings::Exchange(int a, int b) {
    String textA = Get(a), textB = Get(b);
    TObject* objectA = GetObject(a);
    TObject* objectB = GetObject(b);
    Put(a, textB);
    PutObject(a, objectB);
    Put(b, textA);
    PutObject(b, objectA);
}

void TStrings::Move(int from, int to) {
    if (from == to) return;
    String text = Get(from);
    TObject* object = GetObject(from);
    Get(to); // range check before anything changes
    // Insert the copy first: a list that refuses insertion (a sorted one) then keeps the line.
    UpdateScope update(this);
    if (from < to) {
        InsertObject(to + 1, text, object);
        Delete(from);
    } else {
        InsertObject(to, text, object);
        Delete(from + 1);
    }
}

String TStrings::Text() const {
    String text;
    for (int i = 0; i < Count(); ++i) {
        text += Get(i);
        text += sLineBreak;
    }
    return text;
}

void TStrings::SetText(const String& text) {
    UpdateScope update(this);
    Clear();
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == String::npos) {
            Add(text.substr(start));
            break;
        }
        Add(text.substr(start, end - start));
        start =
            end + ((text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? 2 : 1);
    }
}

String TStrings::CommaText() const {
    String text;
    for (int i = 0; i < Count(); ++i) {
        if (i) text += ',';
        text += QuotedIfNeeded(Get(i));
    }
    return text;
}

String TStrings::Names(int index) const {
    String line = Get(index);
    size_t eq = line.find('=');
    return eq == String::npos ? String() : line.substr(0, eq);
}

String TStrings::ValueFromIndex(int index) const {
    String line = Get(index);
    size_t eq = line.find('=');
    return eq == String::npos ? String() : line.substr(eq + 1);
}

int TStrings::IndexOfName(const String& name) const {
    for (int i = 0; i < Count(); ++i) {
        String line = Get(i);
        size_t eq = line.find('=');
        if (eq != String::npos && CompareStrings(line.substr(0, eq), name) == 0) return i;
    }
    return -1;
}

String TStrings::Values(const String& name) const {
    int index = IndexOfName(name);
    return index < 0 ? String() : ValueFromIndex(index);
}

void TStrings::SetValues(const String& name, const String& value) {
    int index = IndexOfName(name);
    if (value.empty()) {
        if (index >= 0) Delete(index);
        return;
    }
    if (index < 0)
        Add(name + "=" + value);
    else
        Put(index, name + "=" + value);
}

void TStrings::BeginUpdate() {
    if (updateCount_ == 0) SetUpdateState(true);
    ++updateCount_;
}

void TStrings::EndUpdate() {
    if (updateCount_ > 0 && --updateCount_ == 0) SetUpdateState(false);
}

void TStrings::LoadFromStream(TStream& stream) {
    Int64 size = stream.Size() - stream.Position();
    String text(static_cast<size_t>(size > 0 ? size : 0), '\0');
    if (!text.empty()) stream.ReadBuffer(text.data(), static_cast<Int64>(text.size()));
    SetText(text);
}

void TStrings::SaveToStream(TStream& stream) const {
    String text = Text();
    stream.WriteBuffer(text.data(), static_cast<Int64>(text.size()));
}

void TStrings::LoadFromFile(const String& fileName) {
    TFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(file);
}

void TStrings::SaveToFile(const String& fileName) const {
    TFileStream file(fileName, fmCreate);
    SaveToStream(file);
}

void TStrings::Assign(TPersistent* Source) {
    if (auto* other = dynamic_cast<TStrings*>(Source)) {
        if (other == this) return;
        UpdateScope update(this);
        Clear();
        AddStrings(*other);
        return;
    }
    inherited::Assign(Source);
}

bool TStrings::Equals(const TStrings& other) const {
    if (Count() != other.Count()) return false;
    for (int i = 0; i < Count(); ++i)
        if (Get(i) != other.Get(i)) return false;
    return true;
}

int TStrings::CompareStrings(const String& a, const String& b) const {
    return caseSensitive_ ? CompareStr(a, b) : CompareText(a, b);
}

size_t TStringList::Check(int index) const {
    if (index < 0 || index >= Count()) IndexError(index);
    return static_cast<size_t>(index);
}

String TStringList::Get(int index) const {
    return lines_[Check(index)].text;
}

void TStringList::Put(int index, const String& text) {
    if (sorted_) throw EStringListError("Operation not allowed on sorted list");
    size_t i = Check(index);
    Changing();
    lines_[i].text = text;
    Changed();
}

TObject* TStringList::GetObject(int index) const {
    return lines_[Check(index)].object;
}

void TStringList::PutObject(int index, TObject* object) {
    size_t i = Check(index);
    Changing();
    lines_[i].object = object;
    Changed();
}

void TStringList::InsertLine(int index, const String& text, TObject* object) {
    Changing();
    lines_.insert(lines_.begin() + index, Line{text, object});
    Changed();
}

void TStringList::Insert(int index, const String& text) {
    InsertObject(index, text, nullptr);
}

void TStringList::InsertObject(int index, const String& text, TObject* object) {
    if (sorted_) throw EStringListError("Operation not allowed on sorted list");
    if (index < 0 || index > Count()) IndexError(index);
    InsertLine(index, text, object);
}

void TStringList::Delete(int index) {
    size_t i = Check(index);
    Changing();
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(i));
    Changed();
}

void TStringList::Clear() {
    if (lines_.empty()) return;
    Changing();
    lines_.clear();
    Changed();
}

int TStringList::AddObject(const String& text, TObject* object) {
    if (!sorted_) {
        int index = Count();
        InsertLine(index, text, object);
        return index;
    }
    int index;
    if (Find(text, index)) {
        if (duplicates_ == dupIgnore) return index;
        if (duplicates_ == dupError)
            throw EStringListError("String list does not allow duplicates");
    }
    InsertLine(index, text, object);
    return index;
}

int TStringList::IndexOf(const String& text) const {
    if (!sorted_) return TStrings::IndexOf(text);
    int index;
    return Find(text, index) ? index : -1;
}

void TStringList::SetCaseSensitive(bool value) {
    if (value == CaseSensitive()) return;
    TStrings::SetCaseSensitive(value);
    if (sorted_) Sort();
}

void TStringList::SetSorted(bool value) {
    if (value == sorted_) return;
    if (value) Sort();
    sorted_ = value;
}

bool TStringList::Find(const String& text, int& index) const {
    int low = 0, high = Count() - 1;
    bool found = false;
    while (low <= high) {
        int mid = low + (high - low) / 2;
        int c = CompareStrings(lines_[static_cast<size_t>(mid)].text, text);
        if (c < 0) {
            low = mid + 1;
        } else {
            high = mid - 1;
            if (c == 0) {
                found = true;
                // The first of equal lines, unless duplicates are accepted anyway.
                if (duplicates_ != dupAccept) low = mid;
            }
        }
    }
    index = low;
    return found;
}

void TStringList::Sort() {
    CustomSort([](const TStringList& list, int a, int b) {
        return list.CompareStrings(list.lines_[static_cast<size_t>(a)].text,
                                   list.lines_[static_cast<size_t>(b)].text);
    });
}

void TStringList::CustomSort(const CompareLines& compare) {
    if (Count() < 2) return;
    Changing();
    // Sort positions, then rebuild, so that compare always sees the list as it was.
    std::vector<int> order(lines_.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = static_cast<int>(i);
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return compare(*this, a, b) < 0; });
    std::vector<Line> sorted;
    sorted.reserve(lines_.size());
    for (int i : order)
        sorted.push_back(lines_[static_cast<size_t>(i)]);
    lines_ = std::move(sorted);
    Changed();
}

void TStringList::Changed() {
    if (UpdateCount() == 0 && OnChange) OnChange(this);
}

void TStringList::Changing() {
    if (UpdateCount() == 0 && OnChanging) OnChanging(this);
}

void TStringList::SetUpdateState(bool updating) {
    if (updating)
        Changing();
    else
        Changed();
}
