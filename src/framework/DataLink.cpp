#include "framework/DataLink.h"

#include "framework/DataSet.h"
#include "framework/DataSource.h"
#include "rtl/AssignIfChanged.h"

void TDataLink::Destroy() {
    if (dataSource_) dataSource_->RemoveLink(this);
    dataSource_ = nullptr;
    inherited::Destroy();
}

void TDataLink::SetDataSource(TDataSource* Value) {
    if (Value == dataSource_) return;
    if (dataSource_) dataSource_->RemoveLink(this);
    dataSource_ = Value;
    if (dataSource_) dataSource_->AddLink(this);
    UpdateState();
}

TDataSet* TDataLink::DataSet() const {
    return dataSource_ ? dataSource_->DataSet() : nullptr;
}

void TDataLink::SetReadOnly(bool Value) {
    if (AssignIfChanged(readOnly_, Value)) UpdateState();
}

bool TDataLink::Edit() {
    if (!readOnly_ && dataSource_) dataSource_->Edit();
    return editing_;
}

void TDataLink::UpdateState() {
    const bool active = dataSource_ && dataSource_->State() != dsInactive;
    const TDataSetState state = active ? dataSource_->State() : dsInactive;
    const bool editing = active && !readOnly_ && (state == dsEdit || state == dsInsert);
    if (active != active_) {
        active_ = active;
        editing_ = editing;
        ActiveChanged();
        return;
    }
    if (editing != editing_) {
        editing_ = editing;
        EditingChanged();
    }
}

void TDataLink::DataEvent(TDataEvent Event, std::intptr_t Info) {
    switch (Event) {
    case deFieldChange:
        RecordChanged(reinterpret_cast<TField*>(Info));
        break;
    case deRecordChange:
        RecordChanged(nullptr);
        break;
    case deDataSetChange:
        DataSetChanged();
        break;
    case deDataSetScroll:
        DataSetScrolled(static_cast<int>(Info));
        break;
    case deUpdateRecord:
        UpdateData();
        break;
    case deUpdateState:
        UpdateState();
        break;
    }
}
