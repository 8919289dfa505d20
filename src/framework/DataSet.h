#pragma once
// TDataSet: records seen through a cursor. It is closed (dsInactive) or open, and when open
// it browses (dsBrowse) or holds one record being changed (dsEdit) or made (dsInsert) until
// Post keeps it or Cancel drops it. Moving the cursor while editing posts a changed record
// first. Every change is told to the data sources that show the set (and through them to
// their links). Where the records live is a descendant's business (see TMemoryDataSet).
#include "framework/Field.h"
#include "rtl/Component.h"

#include <cstdint>
#include <vector>

class TDataSet : public TComponent {
    KORVID_CLASS(TDataSet, TComponent)

    void Create(TComponent* AOwner) override;
    // Closes the set (a record being changed is dropped) and leaves its data sources.
    void Destroy() override;

    // --- opening and state ---
    bool Active() const { return state_ != dsInactive; }
    void SetActive(bool v);
    // Makes the fields from FieldDefs and stands on the first record.
    void Open() { SetActive(true); }
    // A record being changed is dropped.
    void Close() { SetActive(false); }
    TDataSetState State() const { return state_; }
    // Whether records may be inserted, changed and deleted.
    virtual bool CanModify() const { return Active(); }
    // Whether the current record was changed since Edit or Insert.
    bool Modified() const { return modified_; }

    // --- the cursor ---
    // Bof: at the first record after First or a Prior that could not move; Eof likewise at
    // the last one. Both hold on an empty set.
    bool Bof() const { return bof_; }
    bool Eof() const { return eof_; }
    bool IsEmpty() const { return RecordCount() == 0; }
    // Stored records; a record being inserted is not counted until posted. 0 when closed.
    int RecordCount() const;
    // 1-based position of the current record, 0 on an empty or closed set.
    int RecNo() const { return Active() ? recNo_ : 0; }
    void SetRecNo(int v);
    void First();
    void Last();
    void Next() { MoveBy(1); }
    void Prior() { MoveBy(-1); }
    // Moves up to Distance records; returns how far it went.
    int MoveBy(int Distance);

    // --- changing records ---
    // A new empty record in front of the current one (Insert) or after the last (Append).
    void Insert();
    void Append();
    // Starts changing the current record; on an empty set, starts inserting one.
    void Edit();
    // Keeps the record being changed or inserted; its links write their edits first.
    void Post();
    // Drops the changes, back to the record that was current before.
    void Cancel();
    // Deletes the current record (a record being inserted is only dropped).
    void Delete();
    // Reads the records again, keeping the position where it still exists.
    void Refresh();
    // Posts a changed record, drops an unchanged one: back to browsing.
    void CheckBrowseMode();
    // Append (or Insert), the values into the fields in order, Post. Fewer values than
    // fields leave the rest null; more raise EDatabaseError.
    void AppendRecord(const std::vector<TFieldValue>& Values);
    void InsertRecord(const std::vector<TFieldValue>& Values);

    // --- fields ---
    TFieldDefs* FieldDefs() { return fieldDefs_.get(); }
    TFields* Fields() { return fields_.get(); }
    int FieldCount() const { return fields_->Count(); }
    TField* FindField(const String& Name) const { return fields_->FindField(Name); }
    TField* FieldByName(const String& Name) const { return fields_->FieldByName(Name); }

    // --- the controls that show the set ---
    // While disabled (counted) the sources hear nothing; the last EnableControls tells them
    // what they missed in one go.
    void DisableControls() { ++disableCount_; }
    void EnableControls();
    bool ControlsDisabled() const { return disableCount_ > 0; }

    // Raises unless the field definitions may change now (closed, and no stored records).
    virtual void CheckFieldDefsChange();

protected:
    TDataSet() = default;

    // The storage of a concrete set. Indexes are 0-based.
    virtual void InternalOpen() {}
    virtual void InternalClose() {}
    virtual int InternalRecordCount() const = 0;
    virtual std::vector<TFieldValue> InternalGetRecord(int Index) const = 0;
    // Stores Values as record Index: a new one there when Inserting, else over it.
    virtual void InternalPost(int Index, const std::vector<TFieldValue>& Values,
                              bool Inserting) = 0;
    virtual void InternalDelete(int Index) = 0;
    virtual void InternalRefresh() {}

    // Raises unless the set is open / may be modified.
    void CheckActive() const;
    void CheckCanModify() const;
    // Tells every data source (and its links), unless the controls are disabled.
    void DataEvent(TDataEvent Event, std::intptr_t Info);

private:
    friend class TField;
    friend class TDataSource;

    const TFieldValue& FieldValue(int Index) const;
    void SetFieldValue(TField* Field, TFieldValue Value);
    void AddDataSource(TDataSource* Source);
    void RemoveDataSource(TDataSource* Source);

    void SetState(TDataSetState Value);
    void LoadCurrent();
    void BeginNewRecord(bool Appending);
    void FillAndPost(const std::vector<TFieldValue>& Values, bool Appending);

    ObjectPtr<TFieldDefs> fieldDefs_;
    ObjectPtr<TFields> fields_;
    TDataSetState state_ = dsInactive;
    int recNo_ = 0;
    bool bof_ = true;
    bool eof_ = true;
    bool modified_ = false;
    // The current record's values (the one being changed while editing or inserting).
    std::vector<TFieldValue> buffer_;
    // Where an insert goes (0-based), and the cursor to return to when it is cancelled.
    int insertAt_ = 0;
    int savedRecNo_ = 0;
    bool savedBof_ = true, savedEof_ = true;
    std::vector<TDataSource*> sources_;
    int disableCount_ = 0;
    bool missedState_ = false;
    bool missedData_ = false;
};
