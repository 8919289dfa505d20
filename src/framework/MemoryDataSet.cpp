#include "framework/MemoryDataSet.h"

void TMemoryDataSet::DeclareProperties(Published<TMemoryDataSet>& p) {
    p.Ordinal("Active", &TMemoryDataSet::Active, &TMemoryDataSet::SetActive);
    p.Ordinal("ReadOnly", &TMemoryDataSet::ReadOnly, &TMemoryDataSet::SetReadOnly);
}

void TMemoryDataSet::SetReadOnly(bool Value) {
    if (Value == readOnly_) return;
    if (Active()) CheckBrowseMode();
    readOnly_ = Value;
    if (Active()) DataEvent(deDataSetChange, 0);
}

void TMemoryDataSet::EmptyDataSet() {
    if (Active()) {
        Cancel();
        rows_.clear();
        First();
    } else {
        rows_.clear();
    }
}

std::vector<TFieldValue> TMemoryDataSet::InternalGetRecord(int Index) const {
    return rows_.at(size_t(Index));
}

void TMemoryDataSet::InternalPost(int Index, const std::vector<TFieldValue>& Values,
                                  bool Inserting) {
    if (Inserting)
        rows_.insert(rows_.begin() + Index, Values);
    else
        rows_.at(size_t(Index)) = Values;
}

void TMemoryDataSet::InternalDelete(int Index) {
    rows_.erase(rows_.begin() + Index);
}
