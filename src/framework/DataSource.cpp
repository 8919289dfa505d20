#include "framework/DataSource.h"

#include "framework/DataLink.h"
#include "framework/DataSet.h"
#include "rtl/AssignIfChanged.h"

#include <algorithm>

void TDataSource::DeclareProperties(Published<TDataSource>& p) {
    p.Object("DataSet", &TDataSource::DataSet, &TDataSource::SetDataSet);
    p.Ordinal("Enabled", &TDataSource::Enabled, &TDataSource::SetEnabled);
    p.Ordinal("AutoEdit", &TDataSource::AutoEdit, &TDataSource::SetAutoEdit);
}

void TDataSource::Create(TComponent* AOwner) {
    inherited::Create(AOwner);
}

void TDataSource::Destroy() {
    *alive_ = false;
    SetDataSet(nullptr);
    // The links stay with their controls; they only lose their source.
    const std::vector<TDataLink*> links = links_;
    for (TDataLink* link : links)
        link->SetDataSource(nullptr);
    links_.clear();
    inherited::Destroy();
}

void TDataSource::Notification(TComponent* AComponent, TOperation Operation) {
    inherited::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent && AComponent == dataSet_) SetDataSet(nullptr);
}

void TDataSource::SetDataSet(TDataSet* Value) {
    if (Value == dataSet_) return;
    if (dataSet_) {
        dataSet_->RemoveDataSource(this);
        dataSet_->RemoveFreeNotification(this);
    }
    dataSet_ = Value;
    if (dataSet_) {
        dataSet_->AddDataSource(this);
        dataSet_->FreeNotification(this);
    }
    UpdateState();
}

void TDataSource::SetEnabled(bool Value) {
    if (AssignIfChanged(enabled_, Value)) UpdateState();
}

TDataSetState TDataSource::State() const {
    return dataSet_ && enabled_ ? dataSet_->State() : dsInactive;
}

void TDataSource::Edit() {
    if (autoEdit_ && State() == dsBrowse) dataSet_->Edit();
}

bool TDataSource::HasLink(const TDataLink* Link) const {
    return std::find(links_.begin(), links_.end(), Link) != links_.end();
}

void TDataSource::AddLink(TDataLink* Link) {
    if (!HasLink(Link)) links_.push_back(Link);
}

void TDataSource::RemoveLink(TDataLink* Link) {
    links_.erase(std::remove(links_.begin(), links_.end(), Link), links_.end());
}

void TDataSource::UpdateState() {
    const std::shared_ptr<bool> alive = alive_;
    const std::vector<TDataLink*> links = links_;
    for (TDataLink* link : links) {
        if (!*alive) return;
        if (HasLink(link)) link->UpdateState();
    }
    if (!*alive) return;
    const TDataSetState now = State();
    if (now != state_) {
        state_ = now;
        if (OnStateChange) OnStateChange(this);
    }
}

void TDataSource::DataEvent(TDataEvent Event, std::intptr_t Info) {
    if (Event == deUpdateState) {
        UpdateState();
        return;
    }
    // A switched-off source passes nothing on.
    if (!enabled_) return;
    // A handler may free this source or take links away: both are checked before each call.
    const std::shared_ptr<bool> alive = alive_;
    const std::vector<TDataLink*> links = links_;
    for (TDataLink* link : links) {
        if (!*alive) return;
        if (HasLink(link)) link->DataEvent(Event, Info);
    }
    if (!*alive) return;
    switch (Event) {
    case deFieldChange:
        if (OnDataChange) OnDataChange(this, reinterpret_cast<TField*>(Info));
        break;
    case deRecordChange:
    case deDataSetChange:
    case deDataSetScroll:
        if (OnDataChange) OnDataChange(this, nullptr);
        break;
    case deUpdateRecord:
        if (OnUpdateData) OnUpdateData(this);
        break;
    case deUpdateState:
        break;
    }
}
