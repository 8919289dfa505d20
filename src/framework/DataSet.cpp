#include "framework/DataSet.h"

#include "framework/DataSource.h"
#include "rtl/AssignIfChanged.h"
#include "rtl/Conversion.h"

#include <algorithm>

namespace {

const TFieldValue kNull{};

bool FieldsMatch(TFields* fields, TFieldDefs* defs) {
    if (fields->Count() != defs->Count()) return false;
    for (int i = 0; i < defs->Count(); ++i) {
        const TField* f = fields->Fields(i);
        if (f->FieldName() != defs->Items(i).Name || f->DataType() != defs->Items(i).DataType)
            return false;
    }
    return true;
}

} // namespace

void TDataSet::Create(TComponent* AOwner) {
    inherited::Create(AOwner);
    fieldDefs_ = MakeObject<TFieldDefs>(this);
    fields_ = MakeObject<TFields>();
}

void TDataSet::Destroy() {
    // Nothing is posted on the way out: a record being changed goes with the set.
    if (Active()) SetActive(false);
    while (!sources_.empty())
        sources_.back()->SetDataSet(nullptr);
    inherited::Destroy();
}

// --- opening and state -----------------------------------------------------------------------

void TDataSet::SetActive(bool v) {
    if (v == Active()) return;
    if (v) {
        if (fieldDefs_->Count() == 0) throw EDatabaseError("Cannot open a dataset without fields");
        if (!FieldsMatch(fields_.get(), fieldDefs_.get())) {
            fields_->Clear();
            for (int i = 0; i < fieldDefs_->Count(); ++i)
                fields_->Add(MakeObject<TField>(this, fieldDefs_->Items(i), i));
        }
        InternalOpen();
        const int count = InternalRecordCount();
        recNo_ = count > 0 ? 1 : 0;
        bof_ = true;
        eof_ = count == 0;
        modified_ = false;
        LoadCurrent();
        SetState(dsBrowse);
    } else {
        modified_ = false;
        InternalClose();
        recNo_ = 0;
        bof_ = eof_ = true;
        buffer_.clear();
        SetState(dsInactive);
    }
}

void TDataSet::SetState(TDataSetState Value) {
    if (AssignIfChanged(state_, Value)) DataEvent(deUpdateState, 0);
}

void TDataSet::CheckActive() const {
    if (!Active()) throw EDatabaseError("Cannot perform this operation on a closed dataset");
}

void TDataSet::CheckCanModify() const {
    if (!CanModify()) throw EDatabaseError("Cannot modify a read-only dataset");
}

void TDataSet::CheckFieldDefsChange() {
    if (Active()) throw EDatabaseError("Cannot perform this operation on an open dataset");
    if (InternalRecordCount() > 0)
        throw EDatabaseError("Cannot change the fields of a dataset that holds records");
}

int TDataSet::RecordCount() const {
    return Active() ? InternalRecordCount() : 0;
}

// --- the current record ----------------------------------------------------------------------

void TDataSet::LoadCurrent() {
    if (recNo_ > 0 && recNo_ <= InternalRecordCount())
        buffer_ = InternalGetRecord(recNo_ - 1);
    else
        buffer_.clear();
    buffer_.resize(size_t(fields_->Count()));
}

const TFieldValue& TDataSet::FieldValue(int Index) const {
    if (Index < 0 || size_t(Index) >= buffer_.size()) return kNull;
    return buffer_[size_t(Index)];
}

void TDataSet::SetFieldValue(TField* Field, TFieldValue Value) {
    if (state_ != dsEdit && state_ != dsInsert)
        throw EDatabaseError("Dataset not in edit or insert mode");
    buffer_[size_t(Field->Index())] = std::move(Value);
    modified_ = true;
    DataEvent(deFieldChange, reinterpret_cast<std::intptr_t>(Field));
}

// --- the cursor --------------------------------------------------------------------------------

void TDataSet::First() {
    CheckActive();
    CheckBrowseMode();
    const int count = InternalRecordCount();
    recNo_ = count > 0 ? 1 : 0;
    bof_ = true;
    eof_ = count == 0;
    LoadCurrent();
    DataEvent(deDataSetChange, 0);
}

void TDataSet::Last() {
    CheckActive();
    CheckBrowseMode();
    const int count = InternalRecordCount();
    recNo_ = count;
    eof_ = true;
    bof_ = count == 0;
    LoadCurrent();
    DataEvent(deDataSetChange, 0);
}

int TDataSet::MoveBy(int Distance) {
    CheckActive();
    CheckBrowseMode();
    if (Distance == 0 || (Distance > 0 && eof_) || (Distance < 0 && bof_)) return 0;
    const int count = InternalRecordCount();
    bof_ = eof_ = false;
    // 64 bits: a distance of INT_MAX from the last record must not wrap.
    Int64 target = Int64(recNo_) + Distance;
    if (target > count) {
        target = count;
        eof_ = true;
    }
    if (target < 1) {
        target = count > 0 ? 1 : 0;
        bof_ = true;
    }
    if (count == 0) bof_ = eof_ = true;
    const int moved = static_cast<int>(target) - recNo_;
    recNo_ = static_cast<int>(target);
    LoadCurrent();
    DataEvent(deDataSetScroll, moved);
    return moved;
}

void TDataSet::SetRecNo(int v) {
    CheckActive();
    CheckBrowseMode();
    const int count = InternalRecordCount();
    if (v < 1 || v > count)
        throw EDatabaseError("Record number " + IntToStr(v) + " out of range 1.." +
                             IntToStr(count));
    const int moved = v - recNo_;
    recNo_ = v;
    bof_ = eof_ = false;
    LoadCurrent();
    DataEvent(deDataSetScroll, moved);
}

// --- changing records --------------------------------------------------------------------------

void TDataSet::BeginNewRecord(bool Appending) {
    CheckActive();
    CheckBrowseMode();
    CheckCanModify();
    const int count = InternalRecordCount();
    savedRecNo_ = recNo_;
    savedBof_ = bof_;
    savedEof_ = eof_;
    insertAt_ = Appending ? count : std::max(recNo_ - 1, 0);
    recNo_ = insertAt_ + 1;
    bof_ = false;
    eof_ = Appending;
    buffer_.assign(size_t(fields_->Count()), TFieldValue{});
    modified_ = false;
    SetState(dsInsert);
    DataEvent(deDataSetChange, 0);
}

void TDataSet::Insert() {
    BeginNewRecord(false);
}

void TDataSet::Append() {
    BeginNewRecord(true);
}

void TDataSet::Edit() {
    CheckActive();
    if (state_ == dsEdit || state_ == dsInsert) return;
    if (InternalRecordCount() == 0) {
        Insert();
        return;
    }
    CheckCanModify();
    modified_ = false;
    SetState(dsEdit);
    DataEvent(deRecordChange, 0);
}

void TDataSet::Post() {
    CheckActive();
    if (state_ != dsEdit && state_ != dsInsert)
        throw EDatabaseError("Dataset not in edit or insert mode");
    DataEvent(deUpdateRecord, 0);
    // A store that fails leaves the record as it is, still being changed.
    if (state_ == dsInsert) {
        InternalPost(insertAt_, buffer_, true);
        recNo_ = insertAt_ + 1;
    } else {
        InternalPost(recNo_ - 1, buffer_, false);
    }
    bof_ = eof_ = false;
    modified_ = false;
    SetState(dsBrowse);
    LoadCurrent();
    DataEvent(deDataSetChange, 0);
}

void TDataSet::Cancel() {
    if (state_ != dsEdit && state_ != dsInsert) return;
    if (state_ == dsInsert) {
        recNo_ = savedRecNo_;
        bof_ = savedBof_;
        eof_ = savedEof_;
    }
    modified_ = false;
    SetState(dsBrowse);
    LoadCurrent();
    DataEvent(deDataSetChange, 0);
}

void TDataSet::Delete() {
    CheckActive();
    if (state_ == dsInsert) {
        Cancel();
        return;
    }
    CheckCanModify();
    if (InternalRecordCount() == 0)
        throw EDatabaseError("Cannot perform this operation on an empty dataset");
    InternalDelete(recNo_ - 1);
    const int count = InternalRecordCount();
    recNo_ = std::min(recNo_, count);
    bof_ = eof_ = count == 0;
    modified_ = false;
    SetState(dsBrowse);
    LoadCurrent();
    DataEvent(deDataSetChange, 0);
}

void TDataSet::Refresh() {
    CheckActive();
    CheckBrowseMode();
    InternalRefresh();
    const int count = InternalRecordCount();
    if (count == 0) {
        recNo_ = 0;
        bof_ = eof_ = true;
    } else {
        recNo_ = std::clamp(recNo_, 1, count);
    }
    LoadCurrent();
    DataEvent(deDataSetChange, 0);
}

void TDataSet::CheckBrowseMode() {
    CheckActive();
    if (state_ != dsEdit && state_ != dsInsert) return;
    DataEvent(deUpdateRecord, 0);
    if (modified_)
        Post();
    else
        Cancel();
}

void TDataSet::FillAndPost(const std::vector<TFieldValue>& Values, bool Appending) {
    CheckActive();
    if (Values.size() > size_t(fields_->Count()))
        throw EDatabaseError("Too many values: the dataset has " + IntToStr(fields_->Count()) +
                             " fields");
    BeginNewRecord(Appending);
    // A value that does not fit its field drops the whole record.
    ScopeGuard drop([this] { Cancel(); });
    for (size_t i = 0; i < Values.size(); ++i)
        fields_->Fields(static_cast<int>(i))->SetValue(Values[i]);
    Post();
    drop.Dismiss();
}

void TDataSet::AppendRecord(const std::vector<TFieldValue>& Values) {
    FillAndPost(Values, true);
}

void TDataSet::InsertRecord(const std::vector<TFieldValue>& Values) {
    FillAndPost(Values, false);
}

// --- the sources -------------------------------------------------------------------------------

void TDataSet::EnableControls() {
    if (disableCount_ == 0) return;
    if (--disableCount_ > 0) return;
    const bool state = missedState_, data = missedData_;
    missedState_ = missedData_ = false;
    if (state) DataEvent(deUpdateState, 0);
    if (data) DataEvent(deDataSetChange, 0);
}

void TDataSet::DataEvent(TDataEvent Event, std::intptr_t Info) {
    // Links are asked for their edits even while they are told nothing else.
    if (disableCount_ > 0 && Event != deUpdateRecord) {
        if (Event == deUpdateState)
            missedState_ = true;
        else
            missedData_ = true;
        return;
    }
    // A handler may take a source away (or add one): each is looked up again before it hears.
    const std::vector<TDataSource*> sources = sources_;
    for (TDataSource* s : sources)
        if (std::find(sources_.begin(), sources_.end(), s) != sources_.end())
            s->DataEvent(Event, Info);
}

void TDataSet::AddDataSource(TDataSource* Source) {
    if (std::find(sources_.begin(), sources_.end(), Source) == sources_.end())
        sources_.push_back(Source);
}

void TDataSet::RemoveDataSource(TDataSource* Source) {
    sources_.erase(std::remove(sources_.begin(), sources_.end(), Source), sources_.end());
}
