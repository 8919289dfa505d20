#pragma once
// TMemoryDataSet: a data set whose records live in memory, filled by the program (define the
// fields in FieldDefs, Open, then AppendRecord or Append/fields/Post). Its records stay
// across Close and Open; EmptyDataSet removes them.
#include "framework/DataSet.h"

class TMemoryDataSet : public TDataSet {
    KORVID_CLASS(TMemoryDataSet, TDataSet)

    static void DeclareProperties(Published<TMemoryDataSet>& p);

    bool CanModify() const override { return Active() && !readOnly_; }
    bool ReadOnly() const { return readOnly_; }
    // Changing it on an open set posts a changed record first and tells the controls.
    void SetReadOnly(bool Value);
    // Removes every record (a record being changed with them).
    void EmptyDataSet();

protected:
    int InternalRecordCount() const override { return static_cast<int>(rows_.size()); }
    std::vector<TFieldValue> InternalGetRecord(int Index) const override;
    void InternalPost(int Index, const std::vector<TFieldValue>& Values, bool Inserting) override;
    void InternalDelete(int Index) override;

private:
    std::vector<std::vector<TFieldValue>> rows_;
    bool readOnly_ = false;
};
