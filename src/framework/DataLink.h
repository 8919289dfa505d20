#pragma once
// TDataLink: what a data-aware control holds to hear of its data source's set. It caches
// whether the set is active and being edited, and turns the set's events into the
// notifications a control overrides: ActiveChanged, EditingChanged, DataSetChanged,
// DataSetScrolled, RecordChanged and UpdateData.
#include "framework/DB.h"
#include "rtl/Object.h"

#include <cstdint>

class TDataLink : public TObject {
    KORVID_CLASS(TDataLink, TObject)

    // Leaves the data source without notifying anything.
    void Destroy() override;

    TDataSource* DataSource() const { return dataSource_; }
    // Joins Value's links; the notifications follow for what the link now sees.
    void SetDataSource(TDataSource* Value);
    TDataSet* DataSet() const;
    // The source is enabled and its set is open.
    bool Active() const { return active_; }
    // Active, and the set is in edit or insert mode.
    bool Editing() const { return editing_; }
    // A read-only link never starts editing.
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool Value);
    // Set by links of controls that show the data (as opposed to ones that only watch).
    bool VisualControl() const { return visualControl_; }
    void SetVisualControl(bool Value) { visualControl_ = Value; }
    // Asks the source to start editing (when AutoEdit allows); true when the set is now
    // being edited.
    bool Edit();

protected:
    virtual void ActiveChanged() {}
    virtual void EditingChanged() {}
    virtual void DataSetChanged() {}
    // The cursor moved by Distance records (0: only Bof or Eof changed).
    virtual void DataSetScrolled(int Distance) {
        (void)Distance;
        DataSetChanged();
    }
    // Field changed, or the whole record when nullptr.
    virtual void RecordChanged(TField* Field) { (void)Field; }
    // Write the control's pending edit into its field now.
    virtual void UpdateData() {}

private:
    friend class TDataSource;
    void DataEvent(TDataEvent Event, std::intptr_t Info);
    void UpdateState();

    TDataSource* dataSource_ = nullptr;
    bool active_ = false;
    bool editing_ = false;
    bool readOnly_ = false;
    bool visualControl_ = false;
};
